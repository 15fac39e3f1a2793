#pragma once

#include <QString>

namespace platform {

// The program's texts break lines with CR LF (and a lone CR in message texts), as the
// stored files do; Qt's widgets and splitting want LF alone.
inline QString LfLineBreaks(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

inline QString CrLfLineBreaks(QString text)
{
    return LfLineBreaks(std::move(text)).replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
}

} // namespace platform
