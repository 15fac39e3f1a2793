#pragma once

#include <QByteArray>
#include <QString>

namespace store {

// Writes bytes to path in one step: the old file, or the whole new one, never a part of it.
// False when the file could not be written; `reason`, when given, then says why, in the
// system's words (a full disk, a read-only folder, a folder in the file's place).
bool WriteWholeFile(const QString& path, const QByteArray& bytes, QString* reason = nullptr);

// What the user is told when a stored file could not be written: which file, and why.
QString WriteFailedMessage(const QString& path, const QString& reason = {});

} // namespace store
