#include "window/Fonts.h"

#include <QApplication>
#include <QFont>
#include <QString>

using namespace Qt::StringLiterals;

namespace window {

void InstallFontSubstitutions()
{
    QFont::insertSubstitution(u"ＭＳ Ｐゴシック"_s, u"IPAPGothic"_s);
    QFont::insertSubstitutions(u"Tahoma"_s, {u"Liberation Sans"_s, u"IPAPGothic"_s});
    QFont desktop = QApplication::font();
    desktop.setFamilies({desktop.family(), u"IPAPGothic"_s});
    QApplication::setFont(desktop);
}

QFont PGothicFont(int pixelSize, bool bold)
{
    QFont font(u"ＭＳ Ｐゴシック"_s);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

} // namespace window
