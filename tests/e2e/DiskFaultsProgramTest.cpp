// The real program on a data folder it cannot write: read-only, full, or another user's. The
// user gets a message, and what was stored before stays as it was, byte for byte, with nothing
// half-written beside it. The folders are mounted in the test's own mount namespace
// (SiteFixture); the program runs as nobody where the folder must belong to someone else.

#include "e2e/SiteFixture.h"
#include "e2e/StoredFolder.h"

#include <QImage>

#include <gtest/gtest.h>

#include <cstring>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

constexpr uid_t Nobody = 65534;

class DiskFaultsProgramTest : public e2e::SiteFixture {
protected:
    QString program() const { return programDir + u"/mirubero"_s; }

    // The program, run through the command in front of it (setpriv ... --) when one is given.
    QProcess* startAs(const QStringList& asUser, const QStringList& arguments = {})
    {
        if (asUser.isEmpty())
            return start(program(), arguments, false);
        return start(asUser.front(), asUser.mid(1) << program() << arguments, false);
    }

    // The program does not start on the folder: it says why and ends, the folder as it was.
    void expectRefusedStart(const QString& what, const QStringList& asUser)
    {
        SCOPED_TRACE(what.toStdString());
        const auto before = e2e::Snapshot(dataDir());
        QProcess* refused = startAs(asUser);
        EXPECT_FALSE(waitForDialogs(refused).empty()) << "no message";
        EXPECT_TRUE(waitForWindows(refused, 0).empty());
        refused->kill();
        refused->waitForFinished(3000);
        EXPECT_EQ(e2e::Snapshot(dataDir()), before);
    }

    // The program started as the given user on the folder as it stands: its window shows, an
    // auction handed over by a second start cannot be saved and a message says so; the program
    // keeps running and the folder is what it was.
    void registerAndExpectNothingChanged(const QString& what, const QStringList& asUser = {})
    {
        SCOPED_TRACE(what.toStdString());
        const auto before = e2e::Snapshot(dataDir());
        QProcess* running = startAs(asUser);
        ASSERT_EQ(waitForWindows(running).size(), 1u) << running->readAllStandardError().toStdString();
        EXPECT_EQ(e2e::Snapshot(dataDir()), before) << "changed by the start";
        QProcess* second = startAs(asUser, {address(u"disk1"_s)});
        ASSERT_TRUE(waitForExit(second));
        EXPECT_EQ(second->exitCode(), 0) << second->readAllStandardError().toStdString();
        EXPECT_FALSE(waitForDialogs(running).empty()) << "no message for the failed save";
        EXPECT_FALSE(hasEnded(running));
        EXPECT_EQ(e2e::Snapshot(dataDir()), before);
        running->kill();
        running->waitForFinished(3000);
    }

    QString programDir = testsupport::binDir();
};

TEST_F(DiskFaultsProgramTest, ReadOnlyFullAndForeignFoldersShowAMessageAndKeepWhatWasStored)
{
    QImage photo(400, 300, QImage::Format_RGB32);
    photo.fill(qRgb(90, 30, 160));
    putItem(u"disk1"_s, u"ディスク"_s, u"2,000円"_s, u"2030.01.15（火）21:00"_s, u"/i/disk1.jpg"_s,
            store::EncodeJpeg(photo));
    const QString dir = dataDir();

    // 1. Read-only: the start cannot prune (the folder is aged) and the registration cannot save.
    ASSERT_TRUE(e2e::PutStoredFolder(dir, 1));
    {
        e2e::Mount readOnly(dir, dir, nullptr, MS_BIND);
        ASSERT_TRUE(readOnly.remountReadOnly()) << "a read-only bind mount: " << std::strerror(errno);
        registerAndExpectNothingChanged(u"read-only"_s);
    }

    // 2. Full: a small tmpfs filled to its last block once the stored files are in it.
    {
        e2e::Mount full(u"tmpfs"_s, dir, "tmpfs", 0, "size=256k");
        ASSERT_TRUE(full.mounted()) << "tmpfs: " << std::strerror(errno);
        ASSERT_TRUE(e2e::PutStoredFolder(dir, 1));
        QFile filler(dir + u"/filler"_s);
        ASSERT_TRUE(filler.open(QIODevice::WriteOnly));
        const QByteArray block(4096, 'f');
        while (filler.write(block) == block.size() && filler.flush()) {
        }
        filler.close();
        registerAndExpectNothingChanged(u"full"_s);
    }

    // 3. Another user's folder, the program run as nobody: it cannot save there. With the
    // settings file unreadable it does not start, and says why.
    QDir(dir).removeRecursively();
    ASSERT_TRUE(e2e::PutStoredFolder(dir, 1));
    const QString nobodyRun = scratch.file(u"run-nobody"_s);
    ASSERT_TRUE(QDir().mkpath(nobodyRun));
    ASSERT_EQ(chown(QFile::encodeName(nobodyRun).constData(), Nobody, Nobody), 0);
    extraEnvironment.insert(u"XDG_RUNTIME_DIR"_s, nobodyRun);
    // The way to the data folder is open to everyone, the folder itself writable by root only.
    for (QString path = dir; path.startsWith(scratch.path()); path = QFileInfo(path).path())
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                        QFile::ReadOther | QFile::ExeOther | QFile::ReadGroup |
                                        QFile::ExeGroup);
    // Everyone may read the copy: the build tree may lie where only root can go (a clone in /root).
    programDir = scratch.file(u"bin"_s);
    ASSERT_TRUE(copyProgram(programDir));
    const QStringList asNobody{u"setpriv"_s, u"--reuid=65534"_s, u"--regid=65534"_s, u"--clear-groups"_s,
                               u"--"_s};
    registerAndExpectNothingChanged(u"another user's folder"_s, asNobody);

    ASSERT_TRUE(QFile::setPermissions(dir + u"/Total.ini"_s, QFile::ReadOwner | QFile::WriteOwner));
    expectRefusedStart(u"unreadable settings"_s, asNobody);

    // 4. The folder the user's own, a list in it another user's and unreadable: the window could
    // not show it, and its first save would replace it.
    ASSERT_EQ(chown(QFile::encodeName(dir).constData(), Nobody, Nobody), 0);
    ASSERT_TRUE(QFile::setPermissions(dir + u"/Total.ini"_s,
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther));
    ASSERT_TRUE(QFile::setPermissions(dir + u"/Settei0.ini"_s, QFile::ReadOwner | QFile::WriteOwner));
    expectRefusedStart(u"unreadable list"_s, asNobody);
}

} // namespace
