#pragma once

// Data folders for the real program on damaged disks and under kills: an aged folder whose next
// start prunes it, the bytes of a folder, and mounts in the test's own mount namespace.

#include "store/Pictures.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QString>

#include <map>
#include <string>
#include <utility>

#include <sys/mount.h>
#include <sys/statvfs.h>

namespace e2e {

inline QByteArray ReadBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Every file of a folder with the hash of its bytes.
inline std::map<std::string, std::string> Snapshot(const QString& dir)
{
    std::map<std::string, std::string> files;
    for (const QString& name : QDir(dir).entryList(QDir::Files | QDir::Hidden))
        files[name.toStdString()] =
            QCryptographicHash::hash(ReadBytes(dir + u'/' + name), QCryptographicHash::Sha1)
                .toHex()
                .toStdString();
    return files;
}

// `komokus` categories of six slots with a picture each: the odd rows ended years ago and go at
// the next start, moving the even rows and their pictures up; the even rows end next year.
// `komokus` 0 gives one category without slots.
inline bool PutStoredFolder(const QString& dir, int komokus)
{
    using namespace Qt::StringLiterals;
    QDir().mkpath(dir);
    const QByteArray crlf = "\r\n";
    bool written = WriteBytes(dir + u"/Total.ini"_s,
                              "[KomokuCount]\r\nValue=" + QByteArray::number(std::max(komokus, 1)) +
                                  "\r\n[EndAuction]\r\nDel=2\r\n") &&
                   WriteBytes(dir + u"/SpeakMsg.txt"_s, "\x82\xa8\x82\xed\x82\xe9\x82\xe6\r\n");
    const QString later = QString::number(QDate::currentDate().year() + 1) + u"/06/01 21:00:00"_s;
    for (int k = 0; k < std::max(komokus, 1); ++k) {
        QByteArray ini = "[Komoku]\r\nName=cat" + QByteArray::number(k) + "\r\n[Honmei]\r\nNo=4\r\n";
        for (int s = 0; s < 6 && komokus > 0; ++s) {
            const QByteArray row = QByteArray::number(s + 1);
            ini += "[" + row + "]\r\nTitle=item" + QByteArray::number(k) + row + "\r\nShuryoTime=" +
                   (s % 2 == 0 ? QByteArray("2020/01/0") + row + " 21:00:00" : later.toLatin1()) +
                   "\r\nURL=https://page.auctions.yahoo.co.jp/jp/auction/k" + QByteArray::number(k) + row +
                   "\r\nKakaku=1,000\x89\x7e\r\nPictureExist=1\r\n";
            QImage picture(40, 30, QImage::Format_RGB32);
            picture.fill(qRgb(40 * s, 100 + 50 * k, 200 - 30 * s));
            written =
                written && WriteBytes(dir + u"/Image%1_%2.jpg"_s.arg(k).arg(s), store::EncodeJpeg(picture));
        }
        written = written && WriteBytes(dir + u"/Settei%1.ini"_s.arg(k), ini + crlf);
    }
    return written;
}

// A mount in the test's own mount namespace, undone when it goes.
class Mount final {
public:
    Mount(const QString& source, const QString& target, const char* type, unsigned long flags,
          const char* options = nullptr)
        : m_target(QFile::encodeName(target))
    {
        m_mounted =
            mount(QFile::encodeName(source).constData(), m_target.constData(), type, flags, options) == 0;
    }
    ~Mount()
    {
        if (m_mounted)
            umount2(m_target.constData(), MNT_DETACH);
    }
    Mount(const Mount&) = delete;
    Mount& operator=(const Mount&) = delete;
    bool mounted() const { return m_mounted; }
    // Makes the mount read-only. It keeps the flags it has: in a user namespace those it came with
    // from outside (nosuid, nodev, noexec, as a container's mounts have) cannot be dropped, and a
    // remount without them is refused.
    bool remountReadOnly()
    {
        struct statvfs info {};
        if (!m_mounted || statvfs(m_target.constData(), &info) != 0)
            return false;
        unsigned long kept = 0;
        for (const auto& [held, flag] :
             {std::pair{ST_NOSUID, MS_NOSUID}, std::pair{ST_NODEV, MS_NODEV}, std::pair{ST_NOEXEC, MS_NOEXEC},
              std::pair{ST_NOATIME, MS_NOATIME}, std::pair{ST_NODIRATIME, MS_NODIRATIME},
              std::pair{ST_RELATIME, MS_RELATIME}})
            if (info.f_flag & held)
                kept |= flag;
        return mount(nullptr, m_target.constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY | kept,
                     nullptr) == 0;
    }

private:
    QByteArray m_target;
    bool m_mounted = false;
};

} // namespace e2e
