#include "window/Fonts.h"

#include <QFont>
#include <QString>

using namespace Qt::StringLiterals;

namespace window {

void InstallFontSubstitutions()
{
    QFont::insertSubstitution(u"ＭＳ Ｐゴシック"_s, u"IPAPGothic"_s);
    QFont::insertSubstitution(u"Tahoma"_s, u"Liberation Sans"_s);
}

QFont PGothicFont(int pixelSize, bool bold)
{
    QFont font(u"ＭＳ Ｐゴシック"_s);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

} // namespace window
