#pragma once

#include <QByteArray>
#include <QString>

namespace store {

// Text in the stored files and for the speech engine is CP932 (Shift_JIS with
// the Microsoft mapping). Conversion happens at that boundary only.

// Characters that CP932 cannot hold become "?".
QByteArray ToCp932(const QString& text);

// Bytes that are not valid CP932 become U+FFFD.
QString FromCp932(const QByteArray& bytes);

} // namespace store
