#pragma once

// What the crash tests compare: the program's own stored files, by the hash of their bytes.

#include <QCryptographicHash>
#include <QFile>
#include <QRegularExpression>
#include <QString>

namespace crashtest {

inline QByteArray Sha1Of(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly)
               ? QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha1).toHex()
               : QByteArray("unreadable");
}

inline bool IsStoredName(const QString& name)
{
    static const QRegularExpression stored(
        QStringLiteral("^(Total\\.ini|SpeakMsg\\.txt|Settei\\d+\\.ini|Image\\d+_\\d+\\.jpg)$"));
    return stored.match(name).hasMatch();
}

} // namespace crashtest
