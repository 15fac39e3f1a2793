#include "store/WholeFile.h"

#include <QFileInfo>
#include <QSaveFile>

namespace store {

bool WriteWholeFile(const QString& path, const QByteArray& bytes, QString* reason)
{
    const auto failed = [reason](const QString& why) {
        if (reason)
            *reason = why;
        return false;
    };
    // QSaveFile would say only that it cannot open its temporary file.
    if (QFileInfo(path).isDir())
        return failed(QStringLiteral("同じ名前のフォルダーがあります"));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return failed(file.errorString());
    // QSaveFile's commit puts the file in place even when its buffered bytes could not be
    // written (a full disk leaves an empty file): the flush is checked before it.
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        const QString why = file.errorString();
        file.cancelWriting();
        return failed(why);
    }
    if (!file.commit())
        return failed(file.errorString());
    return true;
}

QString WriteFailedMessage(const QString& path, const QString& reason)
{
    QString text = path + QStringLiteral(" に書き込めませんでした。");
    if (!reason.isEmpty())
        text += QLatin1Char('\r') + reason;
    return text;
}

} // namespace store
