#include "window/Placement.h"

#include <QLabel>
#include <QScreen>

namespace window {

QLabel* PlacedLabel(const QString& name, const QString& text, QPoint at, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->adjustSize();
    label->move(at);
    return label;
}

void CentreOnScreen(QWidget& window, bool availableArea)
{
    const QScreen* screen = window.screen();
    if (screen == nullptr)
        return;
    const QRect area = availableArea ? screen->availableGeometry() : screen->geometry();
    const QSize outer = window.frameGeometry().size();
    window.move(area.x() + (area.width() - outer.width()) / 2,
                area.y() + (area.height() - outer.height()) / 2);
}

} // namespace window
