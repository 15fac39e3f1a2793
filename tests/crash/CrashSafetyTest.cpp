#include "crash/StoredNames.h"
#include "shell/ResidentFixture.h"
#include "store/StoredFiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>
#include <map>
#include <set>

using namespace Qt::StringLiterals;

namespace {

using crashtest::IsStoredName;
using crashtest::Sha1Of;

QString DataDir(const QString& documents)
{
    return documents + u"/ヨツバネ/MiruberoData/"_s;
}

void CopyFolder(const QString& from, const QString& to)
{
    QDir(to).removeRecursively();
    QDir().mkpath(to);
    for (const QString& name : QDir(from).entryList(QDir::Files))
        ASSERT_TRUE(QFile::copy(from + name, to + name));
}

int Driver(const QStringList& args, QString* errors = nullptr)
{
    QProcess driver;
    driver.start(QStringLiteral(CRASH_DRIVER), args);
    driver.waitForFinished(30000);
    if (errors)
        *errors = QString::fromUtf8(driver.readAllStandardError());
    return driver.exitStatus() == QProcess::NormalExit ? driver.exitCode() : -1;
}

// Every version each stored file takes in a run that is not cut short, step by step.
struct Versions {
    std::map<QString, std::set<QByteArray>> seen;
    std::set<QString> always; // present after every step

    explicit Versions(const QString& log)
    {
        QFile file(log);
        if (!file.open(QIODevice::ReadOnly))
            return;
        std::vector<std::set<QString>> steps(1);
        for (const QByteArray& line : file.readAll().split('\n')) {
            if (line == "--") {
                steps.emplace_back();
            } else if (!line.isEmpty()) {
                const qsizetype space = line.indexOf(' ');
                const QString name = QString::fromUtf8(line.left(space));
                seen[name].insert(line.mid(space + 1));
                steps.back().insert(name);
            }
        }
        steps.pop_back();
        for (const auto& [name, hashes] : seen) {
            if (std::all_of(steps.begin(), steps.end(),
                            [&](const auto& step) { return step.count(name) > 0; }))
                always.insert(name);
        }
    }
};

// Start-up pruning, saving, sorting, slot deletion, moves between categories and the deletion of
// a category, killed at random moments: every stored file holds one of the versions a whole run
// gives it, and the next start finds each slot with its own picture and no temporary file left.
TEST(CrashSafety, KilledCommandsLeaveWholeFilesAndEveryPictureUnderItsSlot)
{
    testsupport::ScratchDir scratch;
    const QString start = scratch.file(u"start"_s);
    ASSERT_EQ(Driver({u"init"_s, start}), 0);
    // A kill is no power cut: what was written stands in the page cache either way, so the killed
    // runs may work in memory, where flushing to disk costs nothing.
    QTemporaryDir memory(u"/dev/shm/mirubero-crash-XXXXXX"_s);
    const QString base = memory.isValid() ? memory.path() : scratch.path();
    const QString record = base + u"/record"_s;
    const QString work = base + u"/work"_s;
    CopyFolder(DataDir(start), DataDir(record));
    QElapsedTimer whole;
    whole.start();
    ASSERT_EQ(Driver({u"run"_s, record, scratch.file(u"versions"_s)}), 0);
    const qint64 runMs = std::max<qint64>(whole.elapsed(), 20);
    const Versions versions(scratch.file(u"versions"_s));
    ASSERT_TRUE(versions.always.count(u"Total.ini"_s));
    QString errors;
    ASSERT_EQ(Driver({u"check"_s, record}, &errors), 0) << errors.toStdString();

    // Each kill falls at a random moment of its own slice of a whole run's time, so that the
    // kills cover the run evenly however fast the machine is (a sanitizer build is slower).
    // Under the sanitizers a run takes some twenty times as long, and what they look for, the
    // driver's memory use, the record run and a fifth of the kills already cover; the optimised
    // build makes all hundred.
#if defined(__SANITIZE_ADDRESS__)
    constexpr int Kills = 20;
#else
    constexpr int Kills = 100;
#endif
    QRandomGenerator random(20261209);
    for (int kills = 1; kills <= Kills; ++kills) {
        CopyFolder(DataDir(start), DataDir(work));
        QProcess driver;
        driver.start(QStringLiteral(CRASH_DRIVER), {u"run"_s, work});
        ASSERT_TRUE(driver.waitForStarted());
        const double slice = (kills - 1 + random.generateDouble()) / Kills;
        QThread::usleep(static_cast<unsigned long>(slice * static_cast<double>(runMs) * 1100));
        ::kill(static_cast<pid_t>(driver.processId()), SIGKILL);
        driver.waitForFinished();

        const QDir dir(DataDir(work));
        for (const QString& name : dir.entryList(QDir::Files)) {
            if (!IsStoredName(name))
                continue;
            const auto known = versions.seen.find(name);
            ASSERT_TRUE(known != versions.seen.end() && known->second.count(Sha1Of(dir.filePath(name))))
                << name.toStdString() << " holds content no whole run gave it, kill " << kills;
        }
        for (const QString& name : versions.always)
            ASSERT_TRUE(dir.exists(name)) << name.toStdString() << " is gone, kill " << kills;
        ASSERT_EQ(Driver({u"check"_s, work}, &errors), 0) << "kill " << kills << ":\n"
                                                          << errors.toStdString();
    }
}

// The temporary files of a write cut short beside the program's own files go at start-up; a
// staged picture whose list was not replaced goes too, and the user's other files stay.
class Leftovers : public testsupport::ResidentFixture {};

TEST_F(Leftovers, StartUpRemovesOnlyTheProgramsOwnTemporaryFiles)
{
    const QString dir = folders.documents + u"/ヨツバネ/MiruberoData/"_s;
    QDir().mkpath(dir);
    const QStringList ours{u"Total.ini.AbC123"_s, u"Settei0.ini.x1Y2z3"_s, u"SpeakMsg.txt.Qw3rTy"_s,
                           u"Image0_1.jpg.QwErTy"_s, u"Image0_0.jpg.mv0123456789ab"_s};
    const QStringList theirs{u"Total.ini.bak"_s,       u"Total.ini.backup"_s, u"notes.txt.AbC123"_s,
                             u"Settei0.ini.old1234"_s, u"Image0_1.jpg"_s,     u"Image0_0.jpg.copy"_s};
    for (const QString& name : ours + theirs) {
        QFile file(dir + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("x");
    }
    ASSERT_TRUE(form->FormCreate());
    for (const QString& name : ours)
        EXPECT_FALSE(QFile::exists(dir + name)) << name.toStdString();
    for (const QString& name : theirs)
        EXPECT_TRUE(QFile::exists(dir + name)) << name.toStdString();
}

} // namespace
