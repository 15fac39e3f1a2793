#include "store/PictureMoves.h"

#include "store/Pictures.h"
#include "store/StoredFiles.h"
#include "store/WholeFile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <cstdio>

namespace store {

namespace {

QString TagOf(const QByteArray& listBytes)
{
    return QStringLiteral("mv") +
           QString::fromLatin1(
               QCryptographicHash::hash(listBytes, QCryptographicHash::Sha1).toHex().left(12));
}

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Replaces target by source in one step (QFile::rename refuses an existing target).
bool ReplaceWith(const QString& source, const QString& target)
{
    return std::rename(QFile::encodeName(source).constData(), QFile::encodeName(target).constData()) == 0;
}

// Puts one staged picture in place: an empty one removes the picture.
void PutInPlace(const QString& staged, const QString& target)
{
    if (QFileInfo(staged).size() == 0) {
        QFile::remove(target);
        QFile::remove(staged);
    } else {
        ReplaceWith(staged, target);
    }
}

} // namespace

PictureMoves::PictureMoves(QString dataDir, int komoku) : m_dataDir(std::move(dataDir)), m_komoku(komoku) {}

bool PictureMoves::Copy(int slot, const QString& path)
{
    const QByteArray bytes = ReadAll(path);
    if (bytes.isEmpty())
        return false;
    m_changes.push_back({slot, bytes});
    return true;
}

bool PictureMoves::Write(int slot, const QByteArray& jpeg)
{
    if (jpeg.isEmpty())
        return false;
    m_changes.push_back({slot, jpeg});
    return true;
}

void PictureMoves::Remove(int slot)
{
    if (QFileInfo::exists(m_dataDir + ImageName(m_komoku, slot)))
        m_changes.push_back({slot, {}});
}

bool PictureMoves::Commit(IniFile& list)
{
    const auto listFailed = [this, &list] {
        m_failure = WriteFailedMessage(list.Path(), list.SaveError());
        return false;
    };
    if (m_changes.empty())
        return list.Save() || listFailed();
    // A folder where a picture should go could not be replaced after the list: nothing changes.
    for (const Change& change : m_changes) {
        const QString path = m_dataDir + ImageName(m_komoku, change.slot);
        if (QFileInfo(path).isDir()) {
            m_failure = WriteFailedMessage(path, QStringLiteral("同じ名前のフォルダーがあります"));
            return false;
        }
    }
    const QString tag = TagOf(list.ToBytes());
    std::vector<QString> staged;
    const auto dropStaged = [&staged] {
        for (const QString& path : staged)
            QFile::remove(path);
    };
    for (const Change& change : m_changes) {
        const QString path = m_dataDir + ImageName(m_komoku, change.slot) + QLatin1Char('.') + tag;
        QString reason;
        if (!WriteWholeFile(path, change.bytes, &reason)) {
            dropStaged();
            m_failure = WriteFailedMessage(m_dataDir + ImageName(m_komoku, change.slot), reason);
            return false;
        }
        staged.push_back(path);
    }
    if (!list.Save()) {
        dropStaged();
        return listFailed();
    }
    for (size_t i = 0; i < staged.size(); ++i)
        PutInPlace(staged[i], m_dataDir + ImageName(m_komoku, m_changes[i].slot));
    m_changes.clear();
    return true;
}

void FinishPictureMoves(const QString& dataDir)
{
    // Six letters and digits as an atomic write draws them; six small letters are rather a word
    // the user chose ("Total.ini.backup"), and such a file is left alone.
    static const QRegularExpression leftover(QStringLiteral(
        R"(^(Total\.ini|SpeakMsg\.txt|Settei\d+\.ini|Image\d+_\d+\.jpg(\.mv[0-9a-f]{12})?)\.(?![a-z]{6}$)[A-Za-z0-9]{6}$)"));
    static const QRegularExpression staged(
        QStringLiteral(R"(^Image(0|[1-9]\d*)_(0|[1-9]\d*)\.jpg\.(mv[0-9a-f]{12})$)"));
    const QDir dir(dataDir);
    const QStringList names = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : names) {
        if (leftover.match(name).hasMatch())
            QFile::remove(dir.filePath(name));
    }
    for (const QString& name : names) {
        const QRegularExpressionMatch match = staged.match(name);
        if (!match.hasMatch())
            continue;
        const int komoku = match.captured(1).toInt();
        const QString list = dir.filePath(SetteiIniName(komoku));
        if (QFileInfo(list).isFile() && TagOf(ReadAll(list)) == match.captured(3))
            PutInPlace(dir.filePath(name), dir.filePath(name.chopped(match.captured(3).size() + 1)));
        else
            QFile::remove(dir.filePath(name));
    }
}

} // namespace store
