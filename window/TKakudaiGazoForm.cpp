#include "window/TKakudaiGazoForm.h"

namespace window {

TKakudaiGazoForm::TKakudaiGazoForm(QWidget* parent) : QWidget(parent)
{
    setWindowTitle(QStringLiteral("拡大画像"));
}

} // namespace window
