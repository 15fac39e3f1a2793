// The real program as a user runs it, with five full categories (fifty auctions, a picture each):
// the time from its start until its tray icon is registered, its resident memory, and the
// processor time it takes over a stretch with the watch-list window closed to the tray and over
// one with the window showing (the price check then fetches every slot's page every 40 s).
//
//   build/bench/resident_bench [seconds]          # 60 seconds each stretch by default
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
#include <QProcess>
#include <QThread>

#include <unistd.h>

#include <cstdio>
#include <functional>

namespace {

using namespace Qt::StringLiterals;
using bench::Print;
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

int Fail(const QString& why)
{
    std::fprintf(stderr, "resident_bench: %s\n", qPrintable(why));
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int seconds = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 60;
    if (seconds <= 0)
        return Fail(u"usage: resident_bench [seconds]"_s);

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

    QElapsedTimer clock;
    clock.start();
    program.start(testsupport::binDir() + u"/mirubero"_s, {});
    if (!program.waitForStarted(5000))
        return Fail(u"the program did not start: "_s + program.errorString());
    const qint64 pid = program.processId();
    const auto running = [&program] {
        program.waitForFinished(0);
        return program.state() == QProcess::Running;
    };
    const auto mainWindow = [&]() -> std::uint64_t {
        for (const auto& window : x11.viewableWindowsOf(pid))
            if (!window.dialog)
                return window.id;
        return 0;
    };
    if (!WaitFor([&] { return !desktop.trayItems().isEmpty() || !running(); }, 20000) || !running())
        return Fail(u"no tray icon within 20 s"_s);
    const qint64 trayMs = clock.elapsed();
    if (!WaitFor([&] { return mainWindow() != 0 || !running(); }, 20000) || !running())
        return Fail(u"the watch-list window did not show"_s);
    const qint64 windowMs = clock.elapsed();
    Print(u"start to tray icon (ms)"_s, QString::number(trayMs));
    Print(u"start to window shown (ms)"_s, QString::number(windowMs));

    // One stretch: the processor time it took, and the requests the site had meanwhile.
    const auto stretch = [&](const QString& name) {
        site.clearRequests();
        const qint64 before = ProcessorMs(pid);
        QThread::sleep(seconds);
        const qint64 used = ProcessorMs(pid) - before;
        Print(name, u"%1 ms of processor time in %2 s, %3 % of a core, %4 requests to the site"_s.arg(used)
                        .arg(seconds)
                        .arg(100.0 * used / (seconds * 1000.0), 0, 'f', 3)
                        .arg(site.requests().size()));
    };

    // The window closed to the tray, as it mostly is.
    QThread::sleep(3);
    x11.requestClose(mainWindow());
    if (!WaitFor([&] { return mainWindow() == 0; }, 10000, 20))
        return Fail(u"the window did not close"_s);
    if (!x11.viewableWindowsOf(pid).empty())
        return Fail(u"a question came up when the window closed"_s);
    QThread::sleep(2);
    stretch(u"idle, window hidden"_s);
    Print(u"resident memory (MiB)"_s, QString::number(StatusKiB(pid, "VmRSS") / 1024.0, 'f', 1));

    if (!desktop.clickTrayMenu(u"設定画面を起動(_S)"_s) ||
        !WaitFor([&] { return mainWindow() != 0; }, 10000, 20))
        return Fail(u"the tray menu did not bring the window back"_s);
    QThread::sleep(2);
    stretch(u"idle, window showing"_s);
    Print(u"resident memory, window shown (MiB)"_s,
          QString::number(StatusKiB(pid, "VmRSS") / 1024.0, 'f', 1));
    Print(u"peak resident memory (MiB)"_s, QString::number(StatusKiB(pid, "VmHWM") / 1024.0, 'f', 1));

    program.kill();
    program.waitForFinished(5000);
    return 0;
}
