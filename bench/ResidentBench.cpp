// The real program as a user runs it, with five full categories (fifty auctions, a picture each):
// the time from its start until its tray icon is registered (the median of several starts), its
// resident memory, and the processor time and wake-ups it takes over a stretch with the watch-list
// window closed to the tray and over one with the window showing (the price check then fetches
// every slot's page every 40 s; the seconds in which no pass ran are also counted apart).
//
//   build/bench/resident_bench [seconds] [--program <path>] [--starts <n>]
//
// 60 seconds each stretch and five starts by default; the program is build/bin/mirubero unless
// --program names another (an older build, say).
//
// The auctions live on the fake site, reached under the site's own host names: the benchmark
// moves itself into a network and mount namespace of its own, which needs root. The program runs
// on a private Xvfb display with a tray host and a notification server on a private bus. Prints
// one "name: value" line per figure.

#include "BenchFolder.h"
#include "BenchPages.h"
#include "BenchReport.h"
#include "e2e/DesktopBus.h"
#include "e2e/SiteNamespace.h"
#include "e2e/X11Session.h"
#include "support/FakeAuctionSite.h"
#include "support/ScratchDir.h"
#include "support/TestCertificates.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <vector>

namespace {

using namespace Qt::StringLiterals;
using bench::StatusKiB;

bool WaitFor(const std::function<bool()>& condition, int timeoutMs, int stepMs = 2)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        if (condition())
            return true;
        QThread::msleep(stepMs);
    }
    return condition();
}

// User and system processor time of a process, in milliseconds.
qint64 ProcessorMs(qint64 pid)
{
    QFile stat(u"/proc/%1/stat"_s.arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    // The fields after the command name, which is in parentheses and may hold spaces.
    const QByteArray line = stat.readAll();
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return -1;
    const qint64 ticks = fields[11].toLongLong() + fields[12].toLongLong();
    return ticks * 1000 / sysconf(_SC_CLK_TCK);
}

// A "Rss..." or "Vm..." line of /proc/<pid>/status, in MiB, as text.
QString StatusMiB(qint64 pid, const QByteArray& key)
{
    return QString::number(StatusKiB(pid, key) / 1024.0, 'f', 1);
}

// The context switches of each thread of a process, by thread: each is one wake-up of a thread
// that slept or one preemption.
std::map<QString, qint64> ContextSwitches(qint64 pid)
{
    std::map<QString, qint64> counts;
    const QDir tasks(u"/proc/%1/task"_s.arg(pid));
    for (const QString& task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile status(tasks.filePath(task) + u"/status"_s);
        if (!status.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith("voluntary_ctxt_switches:") || line.startsWith("nonvoluntary_ctxt_switches:"))
                counts[task] += line.mid(line.indexOf(':') + 1).trimmed().toLongLong();
    }
    return counts;
}

// The context switches between two counts: of the threads that lived through, their growth; of
// those that came meanwhile, all of theirs. A thread that ended meanwhile takes its own along.
qint64 SwitchesBetween(const std::map<QString, qint64>& before, const std::map<QString, qint64>& after)
{
    qint64 switches = 0;
    for (const auto& [task, count] : after) {
        const auto earlier = before.find(task);
        switches += earlier == before.end() ? count : count - earlier->second;
    }
    return switches;
}

void Print(const char* name, const QString& value)
{
    bench::Print(QString::fromUtf8(name), value);
}

int Fail(const QString& why)
{
    std::fprintf(stderr, "resident_bench: %s\n", qPrintable(why));
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QString usage = u"usage: resident_bench [seconds] [--program <path>] [--starts <n>]"_s;
    QStringList args = app.arguments().mid(1);
    int seconds = 60;
    int starts = 5;
    QString programPath = testsupport::binDir() + u"/mirubero"_s;
    if (!args.isEmpty() && !args.front().startsWith(u"--"_s))
        seconds = args.takeFirst().toInt();
    while (args.size() >= 2) {
        const QString option = args.takeFirst();
        const QString value = args.takeFirst();
        if (option == u"--program"_s)
            programPath = QFileInfo(value).absoluteFilePath();
        else if (option == u"--starts"_s)
            starts = value.toInt();
        else
            return Fail(usage);
    }
    if (seconds <= 0 || starts <= 0 || !args.isEmpty())
        return Fail(usage);
    if (!QFileInfo(programPath).isExecutable())
        return Fail(u"no program at "_s + programPath);

    testsupport::ScratchDir scratch;
    // The display starts before the namespace, as the whole-program tests' displays do. A server
    // started in a network namespace of its own finds the display numbers of the others free
    // there, and would take over the socket file in /tmp/.X11-unix of one of them, the one way
    // the programs of the others reach it.
    e2e::X11Session x11;
    if (!x11.isRunning())
        return Fail(u"Xvfb did not start"_s);
    const e2e::SiteNamespace entered = e2e::EnterSiteNamespace(
        {testsupport::FakeAuctionSite::host(), u"auctions.yahoo.co.jp"_s, u"auctions.c.yimg.jp"_s},
        testsupport::trustedAuthorityFile(), scratch.path());
    // Where it cannot run at all (without root), the exit status is 77, which the smoke test
    // counts as skipped.
    if (entered.Result == e2e::SiteNamespace::Outcome::Unavailable) {
        Fail(u"needs a network namespace of its own (run as root): "_s + entered.Reason);
        return 77;
    }
    if (entered.Result != e2e::SiteNamespace::Outcome::Entered)
        return Fail(u"no network namespace of its own: "_s + entered.Reason);
    testsupport::FakeAuctionSite site(testsupport::FakeAuctionSite::Certificate::Trusted,
                                      testsupport::FakeAuctionSite::Tls::UpTo13, 443);
    if (!site.isListening())
        return Fail(u"the fake site cannot listen on port 443"_s);

    // Every auction ends two days or more from now: with the window closed no price check is due,
    // with it showing every slot is checked. The pages hold what is stored, so nothing changes.
    const QDateTime now = QDateTime::currentDateTime();
    const QDateTime firstEnd(now.date().addDays(2), QTime(21, 7));
    const QString home = scratch.file(u"home"_s);
    const QString dataDir = home + u"/Documents/ヨツバネ/MiruberoData/"_s;
    if (!QDir().mkpath(dataDir) || !QDir().mkpath(scratch.file(u"run"_s)))
        return Fail(u"cannot make the scratch home"_s);
    QFile::setPermissions(scratch.file(u"run"_s), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const auto address = [&site](int komoku, int row) {
        return site.url(u"/jp/auction/r%1%2"_s.arg(komoku).arg(row));
    };
    try {
        bench::WriteFullFolder(dataDir, address, firstEnd);
    } catch (const std::exception& e) {
        return Fail(QString::fromUtf8(e.what()));
    }
    for (int k = 0; k < store::MaxKomokuCount; ++k) {
        for (int row = 1; row <= store::SlotsPerKomoku; ++row) {
            const QString endText = scrapetest::PageEndText(firstEnd.addDays(row - 1));
            site.setPage(u"/jp/auction/r%1%2"_s.arg(k).arg(row), bench::ItemPage(u"12,345円"_s, endText));
            if (!bench::Thumbnail(k * 10 + row).save(dataDir + store::ImageName(k, row - 1), "JPEG", 90))
                return Fail(u"cannot write a picture"_s);
        }
    }
    // Speech goes nowhere.
    QFile asoundrc(home + u"/.asoundrc"_s);
    if (!asoundrc.open(QIODevice::WriteOnly) ||
        asoundrc.write("pcm.!default {\n type file\n slave.pcm \"null\"\n file \"/dev/null\"\n}\n") < 0)
        return Fail(u"cannot write the sound set-up"_s);
    asoundrc.close();

    e2e::DesktopBus desktop(scratch.path());
    if (!desktop.error().isEmpty())
        return Fail(desktop.error());

    QProcess program;
    QProcessEnvironment env;
    env.insert(u"PATH"_s, qEnvironmentVariable("PATH"));
    env.insert(u"HOME"_s, home);
    env.insert(u"XDG_RUNTIME_DIR"_s, scratch.file(u"run"_s));
    env.insert(u"DISPLAY"_s, x11.displayName());
    env.insert(u"QT_QPA_PLATFORM"_s, u"xcb"_s);
    env.insert(u"LANG"_s, u"C.UTF-8"_s);
    env.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, desktop.address());
    program.setProcessEnvironment(env);
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program.setStandardOutputFile(QProcess::nullDevice());

    const auto mainWindowOf = [&x11](qint64 pid) -> std::uint64_t {
        for (const auto& window : x11.viewableWindowsOf(pid))
            if (!window.dialog)
                return window.id;
        return 0;
    };
    // Each start but the last ends at once; the last one is measured on.
    std::vector<qint64> trayTimes;
    std::vector<qint64> windowTimes;
    qint64 pid = 0;
    const auto running = [&program] {
        program.waitForFinished(0);
        return program.state() == QProcess::Running;
    };
    for (int start = 1; start <= starts; ++start) {
        QElapsedTimer clock;
        clock.start();
        program.start(programPath, {});
        if (!program.waitForStarted(5000))
            return Fail(u"the program did not start: "_s + program.errorString());
        pid = program.processId();
        // Each start registers a tray item of its own; those of the ended starts stay listed.
        const auto registered = [&] { return desktop.trayItems().size() >= start; };
        if (!WaitFor([&] { return registered() || !running(); }, 20000) || !running())
            return Fail(u"no tray icon within 20 s"_s);
        trayTimes.push_back(clock.elapsed());
        if (!WaitFor([&] { return mainWindowOf(pid) != 0 || !running(); }, 20000) || !running())
            return Fail(u"the watch-list window did not show"_s);
        windowTimes.push_back(clock.elapsed());
        if (start == starts)
            break;
        program.terminate();
        if (!program.waitForFinished(10000)) {
            program.kill();
            program.waitForFinished(5000);
        }
    }
    const auto median = [](std::vector<qint64> values) {
        std::sort(values.begin(), values.end());
        return values[values.size() / 2];
    };
    const auto list = [](const std::vector<qint64>& values) {
        QStringList texts;
        for (const qint64 value : values)
            texts << QString::number(value);
        return texts.join(u", "_s);
    };
    const auto mainWindow = [&] { return mainWindowOf(pid); };
    Print("program", programPath);
    Print("start to tray icon (ms)",
          u"%1 (median of %2 starts: %3)"_s.arg(median(trayTimes)).arg(starts).arg(list(trayTimes)));
    Print("start to window shown (ms)",
          u"%1 (median of %2 starts: %3)"_s.arg(median(windowTimes)).arg(starts).arg(list(windowTimes)));

    // One stretch: the processor time it took, its wake-ups and the requests the site had
    // meanwhile; and the processor time of the seconds in which no page was asked for, nor in the
    // second before or after (the time between passes).
    const auto stretch = [&](const char* name) {
        site.clearRequests();
        const qint64 before = ProcessorMs(pid);
        const std::map<QString, qint64> switchesBefore = ContextSwitches(pid);
        std::vector<qint64> processor{before};
        std::vector<qsizetype> requests{0};
        QElapsedTimer second;
        second.start();
        for (int i = 1; i <= seconds; ++i) {
            QThread::msleep(static_cast<unsigned long>(std::max<qint64>(0, i * 1000 - second.elapsed())));
            processor.push_back(ProcessorMs(pid));
            requests.push_back(site.requests().size());
        }
        const qint64 used = processor.back() - before;
        const qint64 switches = SwitchesBetween(switchesBefore, ContextSwitches(pid));
        qint64 quietMs = 0;
        int quietSeconds = 0;
        for (int i = 1; i + 1 < static_cast<int>(requests.size()) - 1; ++i) {
            if (requests[i - 1] == requests[i + 2]) {
                quietMs += processor[i + 1] - processor[i];
                ++quietSeconds;
            }
        }
        Print(name, u"%1 ms of processor time in %2 s, %3 % of a core, %4 requests to the site"_s.arg(used)
                        .arg(seconds)
                        .arg(100.0 * used / (seconds * 1000.0), 0, 'f', 3)
                        .arg(site.requests().size()));
        Print((QByteArray(name) + ", between passes").constData(),
              u"%1 ms of processor time in %2 s without a request, %3 % of a core"_s.arg(quietMs)
                  .arg(quietSeconds)
                  .arg(quietSeconds > 0 ? 100.0 * quietMs / (quietSeconds * 1000.0) : 0.0, 0, 'f', 3));
        Print((QByteArray(name) + ", wake-ups").constData(),
              u"%1 context switches in %2 s, %3 a second"_s.arg(switches).arg(seconds).arg(
                  static_cast<double>(switches) / seconds, 0, 'f', 2));
    };

    // The window closed to the tray, as it mostly is.
    QThread::sleep(3);
    x11.requestClose(mainWindow());
    if (!WaitFor([&] { return mainWindow() == 0; }, 10000, 20))
        return Fail(u"the window did not close"_s);
    if (!x11.viewableWindowsOf(pid).empty())
        return Fail(u"a question came up when the window closed"_s);
    QThread::sleep(2);
    stretch("idle, window hidden");
    Print("resident memory (MiB)", StatusMiB(pid, "VmRSS"));
    Print("resident memory, its parts (MiB)",
          u"%1 anonymous, %2 mapped files (libraries, fonts), %3 shared memory"_s.arg(
              StatusMiB(pid, "RssAnon"), StatusMiB(pid, "RssFile"), StatusMiB(pid, "RssShmem")));

    if (!desktop.clickTrayMenu(u"設定画面を起動(_S)"_s) ||
        !WaitFor([&] { return mainWindow() != 0; }, 10000, 20))
        return Fail(u"the tray menu did not bring the window back"_s);
    QThread::sleep(2);
    stretch("idle, window showing");
    Print("resident memory, window shown (MiB)", StatusMiB(pid, "VmRSS"));
    Print("peak resident memory (MiB)", StatusMiB(pid, "VmHWM"));

    program.kill();
    program.waitForFinished(5000);
    return 0;
}
