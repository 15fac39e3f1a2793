// The real program killed (SIGKILL) at random moments while its start prunes an aged folder and
// while it saves an auction handed over by a second start. After each kill every stored file
// holds a version that an unkilled run gave it, and the program starts again on the folder:
// its window shows and no temporary file is left. A start after a killed prune ends
// where the unkilled one did, every picture under its slot.

#include "crash/StoredNames.h"
#include "e2e/SiteFixture.h"
#include "e2e/StoredFolder.h"

#include <QElapsedTimer>
#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <map>
#include <set>

using namespace Qt::StringLiterals;

namespace {

// The stored files of a folder by the hashes of their bytes.
std::map<QString, QByteArray> StoredHashes(const QString& dir)
{
    std::map<QString, QByteArray> hashes;
    for (const QString& name : QDir(dir).entryList(QDir::Files))
        if (crashtest::IsStoredName(name))
            hashes[name] = crashtest::Sha1Of(dir + u'/' + name);
    return hashes;
}

// Every version of every stored file seen while an unkilled run went on; the files present
// at its start and at its end are there throughout.
struct Versions {
    std::map<QString, std::set<QByteArray>> seen;
    std::set<QString> always;
    std::map<QString, QByteArray> last;

    void record(const QString& dir)
    {
        last = StoredHashes(dir);
        for (const auto& [name, hash] : last)
            seen[name].insert(hash);
    }
    // Records as often as it can until the condition holds.
    bool watch(const QString& dir, const std::function<bool()>& condition, int timeoutMs)
    {
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < timeoutMs) {
            record(dir);
            if (condition())
                return true;
            QThread::usleep(300);
        }
        return false;
    }
    void begin(const QString& dir)
    {
        record(dir);
        for (const auto& [name, hash] : last)
            always.insert(name);
    }
    void end(const QString& dir)
    {
        record(dir);
        std::erase_if(always, [&](const QString& name) { return !last.count(name); });
    }
    // What in the folder no unkilled run had; empty when nothing.
    QString unknown(const QString& dir) const
    {
        QStringList wrong;
        const auto now = StoredHashes(dir);
        for (const auto& [name, hash] : now)
            if (!seen.count(name) || !seen.at(name).count(hash))
                wrong << name + u" holds content no whole run gave it"_s;
        for (const QString& name : always)
            if (!now.count(name))
                wrong << name + u" is gone"_s;
        return wrong.join(u"; "_s);
    }
};

class CrashProgramTest : public e2e::SiteFixture {
protected:
    QString program() const { return testsupport::binDir() + u"/mirubero"_s; }

    void copyFolder(const QString& from)
    {
        QDir(dataDir()).removeRecursively();
        QDir().mkpath(dataDir());
        for (const QString& name : QDir(from).entryList(QDir::Files))
            ASSERT_TRUE(QFile::copy(from + u'/' + name, dataDir() + u'/' + name));
    }

    // The program on its own offline network, so that no price check writes anything.
    QProcess* startOffline() { return start(program(), {}, true); }
    // With the fake site, its window shown.
    QProcess* startShown()
    {
        QProcess* running = start(program(), {}, false);
        EXPECT_EQ(waitForWindows(running).size(), 1u);
        return running;
    }
    QProcess* handOver()
    {
        QProcess* second = start(program(), {address(u"crash1"_s)}, false);
        processesToEnd.push_back(second);
        return second;
    }
    bool registered() const
    {
        return QFileInfo::exists(dataDir() + u"/Image0_0.jpg"_s) &&
               stored().ReadString(u"1"_s, u"Title"_s) == u"クラッシュ"_s;
    }

    static void killNow(QProcess* process)
    {
        ::kill(static_cast<pid_t>(process->processId()), SIGKILL);
        process->waitForFinished(3000);
    }

    // What a start that shows no window did instead: its dialogs, its end, what it wrote.
    std::string whatShows(QProcess* process)
    {
        QStringList seen;
        for (const auto& dialog : x11.viewableWindowsOf(process->processId()))
            seen << u"window \""_s + dialog.title + u'"';
        if (hasEnded(process))
            seen << u"ended with %1"_s.arg(process->exitCode());
        seen << u"wrote \""_s + QString::fromLocal8Bit(process->readAllStandardError()) + u'"';
        seen << u"folder: "_s + QDir(dataDir()).entryList(QDir::Files).join(u' ');
        return seen.join(u"; "_s).toStdString();
    }

    // Starts the program again on what a kill left: its window shows, it keeps running, and
    // only the program's own files are in the folder.
    void expectCleanStart(int kill)
    {
        QProcess* again = startOffline();
        ASSERT_EQ(waitForWindows(again).size(), 1u) << "kill " << kill << ": " << whatShows(again);
        // Offline, the start's notice of no connection follows the window; a folder the start
        // refuses would have ended the program with its message instead.
        QThread::msleep(200);
        EXPECT_FALSE(hasEnded(again)) << "kill " << kill;
        for (const QString& name : QDir(dataDir()).entryList(QDir::Files))
            EXPECT_TRUE(crashtest::IsStoredName(name)) << name.toStdString() << " left, kill " << kill;
        killNow(again);
    }
};

TEST_F(CrashProgramTest, KilledStartsAndRegistrationsLeaveWholeFilesAndStartAgain)
{
    QImage photo(400, 300, QImage::Format_RGB32);
    photo.fill(qRgb(20, 160, 90));
    putItem(u"crash1"_s, u"クラッシュ"_s, u"5,000円"_s, u"2030.02.20（水）20:00"_s, u"/i/crash1.jpg"_s,
            store::EncodeJpeg(photo));
    const QString aged = scratch.file(u"aged"_s);
    const QString empty = scratch.file(u"empty"_s);
    ASSERT_TRUE(e2e::PutStoredFolder(aged, 2));
    ASSERT_TRUE(e2e::PutStoredFolder(empty, 0));

    // Unkilled runs: the prune until the window shows, the registration until its picture is
    // stored; the folder is watched for every version meanwhile.
    Versions pruning;
    copyFolder(aged);
    pruning.begin(dataDir());
    QElapsedTimer clock;
    clock.start();
    QProcess* whole = startOffline();
    ASSERT_TRUE(pruning.watch(
        dataDir(), [&] { return !x11.viewableWindowsOf(whole->processId()).empty(); }, e2e::StartTimeoutMs));
    const qint64 pruneMs = clock.elapsed();
    pruning.end(dataDir());
    killNow(whole);
    const auto pruned = pruning.last;
    ASSERT_NE(pruned, StoredHashes(aged)) << "the start pruned nothing";

    Versions registration;
    copyFolder(empty);
    whole = startShown();
    registration.begin(dataDir());
    clock.restart();
    handOver();
    ASSERT_TRUE(registration.watch(
        dataDir(), [&] { return registered(); }, 15000));
    const qint64 registerMs = clock.elapsed();
    QThread::msleep(300);
    registration.end(dataDir());
    killNow(whole);

    QRandomGenerator random(20261209);
    QElapsedTimer elapsed;
    elapsed.start();
    int kills = 0;
    while (kills < 60 && elapsed.elapsed() < 75000) {
        ++kills;
        const bool prune = kills % 2 == 1;
        copyFolder(prune ? aged : empty);
        QProcess* victim = prune ? startOffline() : startShown();
        // A second start that came too early runs as the program itself: it goes with the victim.
        QProcess* second = prune ? nullptr : handOver();
        QThread::usleep(random.bounded(static_cast<quint32>((prune ? pruneMs : registerMs) * 1100)));
        killNow(victim);
        if (second)
            killNow(second);
        const Versions& versions = prune ? pruning : registration;
        ASSERT_EQ(versions.unknown(dataDir()), QString())
            << (prune ? "pruning" : "registration") << ", kill " << kills;
        expectCleanStart(kills);
        if (HasFailure())
            break;
        if (prune) {
            EXPECT_EQ(StoredHashes(dataDir()), pruned)
                << "the start after kill " << kills << " ended elsewhere";
        }
    }
    RecordProperty("kills", kills);
    EXPECT_GE(kills, 20);
}

} // namespace
