// The real program when the network is slow or gone.
//
// A price-check pass over a slow site: twelve registered auctions whose pages the fake site
// answers after 0.6 s each, one of them after 8 s. From the moment the watch-list window shows
// (the start shows it, and the first pass follows at once) the window is pinged as a window
// manager pings it, _NET_WM_PING every 50 ms; the time until each ping comes back is how long the
// event loop kept the window waiting. Counted are the pings sent from the pass's first request
// until a second after its last page was answered.
//
// A start without network: fifty auctions, in a network namespace with loopback only, no route
// and no name for the site (nothing answers the connectivity probe, names do not resolve),
// against the same start with the site reachable: the time until the tray icon registers and
// until the window is mapped, the median of several starts of each, taken in turns.
//
//   build/bench/slow_network_bench [--program <path>] [--starts <n>]
//
// The program is build/bin/mirubero unless --program names another (an older build, say; its
// data folder must be of the same format). Each measurement runs in a child process of this one
// (--measure pass | start-online | start-offline), in a network and mount namespace of its own,
// which needs root, on a private Xvfb display with a tray host and a notification server on a
// private bus. Prints one "name: value" line per figure.

#include "BenchFolder.h"
#include "BenchPages.h"
#include "BenchReport.h"
#include "WindowPinger.h"
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
#include <QSet>
#include <QThread>

#include <X11/Xlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <optional>

namespace {

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;
using bench::Print;
using testsupport::FakeAuctionSite;

constexpr int PassAuctions = 12;
constexpr int SlowAuction = 5; // the sixth in the pass's order
constexpr auto PageDelay = 600ms;
constexpr auto SlowPageDelay = 8000ms;
constexpr auto PingInterval = 50ms;
constexpr auto LongWait = 100ms;

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

// The exit status where the benchmark cannot run at all (without root): the smoke test counts it
// as skipped.
constexpr int NoNamespace = 77;

int Fail(const QString& why)
{
    std::fprintf(stderr, "slow_network_bench: %s\n", qPrintable(why));
    return 1;
}

QString ItemPath(int komoku, int row)
{
    return u"/jp/auction/r%1%2"_s.arg(komoku).arg(row);
}

long long Ms(std::chrono::steady_clock::duration duration)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(duration).count();
}

// The home of one run of the program: `auctions` slots on the site's addresses, each with its
// picture, ending two days or more from now (so a showing window checks every slot and nothing
// is due), and speech that goes nowhere. Empty on success, otherwise what failed.
QString PrepareHome(const testsupport::ScratchDir& scratch, int auctions, const QDateTime& firstEnd)
{
    const QString home = scratch.file(u"home"_s);
    const QString dataDir = home + u"/Documents/ヨツバネ/MiruberoData/"_s;
    if (!QDir().mkpath(dataDir) || !QDir().mkpath(scratch.file(u"run"_s)))
        return u"cannot make the scratch home"_s;
    QFile::setPermissions(scratch.file(u"run"_s), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const auto address = [](int komoku, int row) {
        return u"https://%1%2"_s.arg(FakeAuctionSite::host(), ItemPath(komoku, row));
    };
    try {
        bench::WriteFolder(dataDir, address, firstEnd, auctions);
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    }
    for (int i = 0; i < auctions; ++i)
        if (!bench::Thumbnail(i + 1).save(dataDir + store::ImageName(i / 10, i % 10), "JPEG", 90))
            return u"cannot write a picture"_s;
    QFile asoundrc(home + u"/.asoundrc"_s);
    if (!asoundrc.open(QIODevice::WriteOnly) ||
        asoundrc.write("pcm.!default {\n type file\n slave.pcm \"null\"\n file \"/dev/null\"\n}\n") < 0)
        return u"cannot write the sound set-up"_s;
    return {};
}

// The item pages of the first `auctions` slots, as stored.
void PutPages(FakeAuctionSite& site, int auctions, const QDateTime& firstEnd)
{
    for (int i = 0; i < auctions; ++i) {
        const QString endText = scrapetest::PageEndText(firstEnd.addDays(i % 10));
        site.setPage(ItemPath(i / 10, i % 10 + 1), bench::ItemPage(u"12,345円"_s, endText));
    }
}

// One run of the program as a user runs it, on this measurement's display and bus.
class Run final {
public:
    Run(const QString& program, const testsupport::ScratchDir& scratch, const e2e::X11Session& x11,
        const e2e::DesktopBus& desktop)
        : m_x11(x11), m_desktop(desktop), m_traysBefore(desktop.trayItems().size())
    {
        QProcessEnvironment env;
        env.insert(u"PATH"_s, qEnvironmentVariable("PATH"));
        env.insert(u"HOME"_s, scratch.file(u"home"_s));
        env.insert(u"XDG_RUNTIME_DIR"_s, scratch.file(u"run"_s));
        env.insert(u"DISPLAY"_s, x11.displayName());
        env.insert(u"QT_QPA_PLATFORM"_s, u"xcb"_s);
        env.insert(u"LANG"_s, u"C.UTF-8"_s);
        env.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, desktop.address());
        m_process.setProcessEnvironment(env);
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.setStandardOutputFile(QProcess::nullDevice());
        m_clock.start();
        m_process.start(program, {});
        m_started = m_process.waitForStarted(5000);
    }
    ~Run()
    {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
    Run(const Run&) = delete;
    Run& operator=(const Run&) = delete;

    bool started() const { return m_started; }
    QString errorString() const { return m_process.errorString(); }
    qint64 elapsed() const { return m_clock.elapsed(); }
    bool running()
    {
        m_process.waitForFinished(0);
        return m_process.state() == QProcess::Running;
    }
    bool trayShown() const { return m_desktop.trayItems().size() > m_traysBefore; }
    // The mapped watch-list window, or 0.
    std::uint64_t window() const { return firstWindow(false); }
    // A mapped message box of the program, or 0.
    std::uint64_t dialog() const { return firstWindow(true); }

private:
    std::uint64_t firstWindow(bool dialog) const
    {
        for (const auto& shown : m_x11.viewableWindowsOf(m_process.processId()))
            if (shown.dialog == dialog)
                return shown.id;
        return 0;
    }

    const e2e::X11Session& m_x11;
    const e2e::DesktopBus& m_desktop;
    qsizetype m_traysBefore;
    QProcess m_process;
    QElapsedTimer m_clock;
    bool m_started = false;
};

int MeasurePass(const QString& program)
{
    testsupport::ScratchDir scratch;
    // The display starts before the namespace: an Xvfb inside a network namespace of its own sees
    // the display numbers of every other one as free and takes over its socket file.
    e2e::X11Session x11;
    if (!x11.isRunning())
        return Fail(u"Xvfb did not start"_s);
    const e2e::SiteNamespace entered =
        e2e::EnterSiteNamespace({FakeAuctionSite::host(), u"auctions.yahoo.co.jp"_s, u"auctions.c.yimg.jp"_s},
                                testsupport::trustedAuthorityFile(), scratch.path());
    if (entered.Result == e2e::SiteNamespace::Outcome::Unavailable) {
        Fail(u"needs a network namespace of its own (run as root): "_s + entered.Reason);
        return NoNamespace;
    }
    if (entered.Result != e2e::SiteNamespace::Outcome::Entered)
        return Fail(u"no network namespace of its own: "_s + entered.Reason);
    FakeAuctionSite site(FakeAuctionSite::Certificate::Trusted, FakeAuctionSite::Tls::UpTo13, 443);
    if (!site.isListening())
        return Fail(u"the fake site cannot listen on port 443"_s);
    const QDateTime firstEnd(QDate::currentDate().addDays(2), QTime(21, 7));
    if (const QString error = PrepareHome(scratch, PassAuctions, firstEnd); !error.isEmpty())
        return Fail(error);
    PutPages(site, PassAuctions, firstEnd);
    std::map<QByteArray, std::chrono::milliseconds> delays;
    for (int i = 0; i < PassAuctions; ++i) {
        const QString path = ItemPath(i / 10, i % 10 + 1);
        delays[path.toUtf8()] = i == SlowAuction ? SlowPageDelay : PageDelay;
        site.setDelay(path, delays[path.toUtf8()]);
    }

    e2e::DesktopBus desktop(scratch.path());
    if (!desktop.error().isEmpty())
        return Fail(desktop.error());

    Run run(program, scratch, x11, desktop);
    if (!run.started())
        return Fail(u"the program did not start: "_s + run.errorString());
    if (!WaitFor([&] { return run.window() != 0 || !run.running(); }, 20000) || !run.running())
        return Fail(u"the watch-list window did not show"_s);
    bench::WindowPinger pinger(x11.displayName(), run.window(), PingInterval);
    if (!pinger.error().isEmpty())
        return Fail(pinger.error());

    // The pass is over once every page was asked for and answered; a second more takes in the
    // reading of the last one.
    std::optional<std::chrono::steady_clock::time_point> lastAnswer;
    const bool passed = WaitFor(
        [&] {
            QSet<QByteArray> asked;
            std::chrono::steady_clock::time_point answer{};
            for (const auto& request : site.requests()) {
                const auto delay = delays.find(request.target);
                if (delay == delays.end())
                    continue;
                asked.insert(request.target);
                answer = std::max(answer, request.arrived + delay->second);
            }
            if (asked.size() == PassAuctions)
                lastAnswer = answer;
            return (lastAnswer && std::chrono::steady_clock::now() > *lastAnswer + 1s) || !run.running();
        },
        120000, 20);
    const bool windowShowing = run.window() != 0;
    const std::vector<bench::WindowPinger::Ping> pings = pinger.stop();
    if (!passed || !run.running())
        return Fail(u"the pass did not fetch every page within two minutes"_s);
    if (!windowShowing)
        return Fail(u"the watch-list window did not stay up during the pass"_s);
    if (pings.empty())
        return Fail(u"no ping was sent"_s);

    const QList<FakeAuctionSite::Request> requests = site.requests();
    for (const auto& [path, delay] : delays)
        if (site.requestsFor(QString::fromUtf8(path)).size() != 1)
            return Fail(u"the pass asked for %1 more than once"_s.arg(QString::fromUtf8(path)));
    const auto passStart = requests.constFirst().arrived;
    const auto counted = *lastAnswer + 1s;
    qsizetype sent = 0;
    qsizetype over = 0;
    qsizetype unanswered = 0;
    std::chrono::milliseconds longest{0};
    for (const auto& ping : pings) {
        if (ping.sent < passStart || ping.sent > counted)
            continue;
        ++sent;
        over += ping.waited() > LongWait ? 1 : 0;
        unanswered += ping.answer ? 0 : 1;
        longest = std::max(longest, ping.waited());
    }
    Print(
        u"requests to the site"_s,
        u"%1 (%2 of them item pages: one answered after %3 ms, the others after %4 ms)"_s.arg(requests.size())
            .arg(delays.size())
            .arg(SlowPageDelay.count())
            .arg(PageDelay.count()));
    Print(u"pass duration (ms)"_s, QString::number(Ms(*lastAnswer - passStart)));
    Print(u"first ping after the pass began (ms)"_s,
          QString::number(std::max(0LL, Ms(pings.front().sent - passStart))));
    Print(u"pings sent"_s, QString::number(sent));
    Print(u"longest wait (ms)"_s, QString::number(longest.count()));
    Print(u"pings over 100 ms"_s, QString::number(over));
    Print(u"pings unanswered"_s, QString::number(unanswered));
    return 0;
}

int MeasureStart(const QString& program, bool online)
{
    testsupport::ScratchDir scratch;
    // Without network the namespace holds loopback alone, no route and no name for the site.
    const QStringList names =
        online ? QStringList{FakeAuctionSite::host(), u"auctions.yahoo.co.jp"_s, u"auctions.c.yimg.jp"_s}
               : QStringList{};
    e2e::X11Session x11;
    if (!x11.isRunning())
        return Fail(u"Xvfb did not start"_s);
    const e2e::SiteNamespace entered =
        e2e::EnterSiteNamespace(names, testsupport::trustedAuthorityFile(), scratch.path());
    if (entered.Result == e2e::SiteNamespace::Outcome::Unavailable) {
        Fail(u"needs a network namespace of its own (run as root): "_s + entered.Reason);
        return NoNamespace;
    }
    if (entered.Result != e2e::SiteNamespace::Outcome::Entered)
        return Fail(u"no network namespace of its own: "_s + entered.Reason);
    std::optional<FakeAuctionSite> site;
    const QDateTime firstEnd(QDate::currentDate().addDays(2), QTime(21, 7));
    if (online) {
        site.emplace(FakeAuctionSite::Certificate::Trusted, FakeAuctionSite::Tls::UpTo13, 443);
        if (!site->isListening())
            return Fail(u"the fake site cannot listen on port 443"_s);
        PutPages(*site, 5 * store::SlotsPerKomoku, firstEnd);
    }
    if (const QString error = PrepareHome(scratch, 5 * store::SlotsPerKomoku, firstEnd); !error.isEmpty())
        return Fail(error);

    e2e::DesktopBus desktop(scratch.path());
    if (!desktop.error().isEmpty())
        return Fail(desktop.error());

    Run run(program, scratch, x11, desktop);
    if (!run.started())
        return Fail(u"the program did not start: "_s + run.errorString());
    std::optional<qint64> trayMs;
    std::optional<qint64> windowMs;
    WaitFor(
        [&] {
            if (!trayMs && run.trayShown())
                trayMs = run.elapsed();
            if (!windowMs && run.window() != 0)
                windowMs = run.elapsed();
            return (trayMs && windowMs) || !run.running();
        },
        30000);
    if (!trayMs || !windowMs || !run.running())
        return Fail(u"no tray icon or no window within 30 s"_s);
    // The start really was on line or off: the probe reached the site, or the program said it
    // could not reach the Internet.
    if (online && !WaitFor([&] { return !site->requests().isEmpty(); }, 30000, 20))
        return Fail(u"the probe never reached the site"_s);
    if (!online && !WaitFor([&] { return run.dialog() != 0; }, 30000, 20))
        return Fail(u"no offline message within 30 s"_s);
    Print(u"tray (ms)"_s, QString::number(*trayMs));
    Print(u"window (ms)"_s, QString::number(*windowMs));
    return 0;
}

// The figures a child process printed, by name: the first number after the colon.
std::map<QString, qint64> RunChild(const QString& measure, const QString& program, bool forward)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), {u"--measure"_s, measure, u"--program"_s, program});
    std::map<QString, qint64> figures;
    const bool finished = child.waitForFinished(300000);
    if (finished && child.exitStatus() == QProcess::NormalExit && child.exitCode() == NoNamespace)
        std::exit(NoNamespace);
    if (!finished || child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0) {
        child.kill();
        child.waitForFinished(5000);
        return figures;
    }
    for (const QByteArray& line : child.readAllStandardOutput().split('\n')) {
        const qsizetype colon = line.indexOf(": ");
        if (colon < 0)
            continue;
        if (forward)
            Print(QString::fromUtf8(line.left(colon)), QString::fromUtf8(line.mid(colon + 2)));
        figures[QString::fromUtf8(line.left(colon))] = line.mid(colon + 2).split(' ').value(0).toLongLong();
    }
    return figures;
}

QString Median(std::vector<qint64> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    const qint64 median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    return u"%1 (median of %2 starts, %3 to %4)"_s.arg(median).arg(n).arg(values.front()).arg(values.back());
}

} // namespace

int main(int argc, char** argv)
{
    // The pinger talks to the display from a thread of its own.
    XInitThreads();
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    QString program = testsupport::binDir() + u"/mirubero"_s;
    QString measure;
    int starts = 5;
    while (!args.isEmpty()) {
        const QString option = args.takeFirst();
        if (args.isEmpty())
            return Fail(u"usage: slow_network_bench [--program <path>] [--starts <n>]"_s);
        const QString value = args.takeFirst();
        if (option == u"--program"_s)
            program = QFileInfo(value).absoluteFilePath();
        else if (option == u"--measure"_s)
            measure = value;
        else if (option == u"--starts"_s && value.toInt() > 0)
            starts = value.toInt();
        else
            return Fail(u"usage: slow_network_bench [--program <path>] [--starts <n>]"_s);
    }
    if (measure == u"pass"_s)
        return MeasurePass(program);
    if (measure == u"start-online"_s || measure == u"start-offline"_s)
        return MeasureStart(program, measure == u"start-online"_s);
    if (!measure.isEmpty())
        return Fail(u"no such measurement: "_s + measure);
    if (!QFileInfo(program).isExecutable())
        return Fail(u"no program at "_s + program);

    Print(u"program"_s, program);
    if (RunChild(u"pass"_s, program, true).empty())
        return Fail(u"the pass over the slow site failed"_s);
    // In turns, so that a change of the machine's speed falls on both alike.
    std::map<QString, std::vector<qint64>> figures;
    for (int i = 0; i < starts; ++i) {
        for (const QString& kind : {u"online"_s, u"offline"_s}) {
            const auto start = RunChild(u"start-"_s + kind, program, false);
            if (start.empty())
                return Fail(u"a start %1 failed"_s.arg(kind));
            figures[u"tray "_s + kind].push_back(start.at(u"tray (ms)"_s));
            figures[u"window "_s + kind].push_back(start.at(u"window (ms)"_s));
        }
    }
    Print(u"start to tray icon, site reachable (ms)"_s, Median(figures[u"tray online"_s]));
    Print(u"start to window shown, site reachable (ms)"_s, Median(figures[u"window online"_s]));
    Print(u"start to tray icon, no network (ms)"_s, Median(figures[u"tray offline"_s]));
    Print(u"start to window shown, no network (ms)"_s, Median(figures[u"window offline"_s]));
    return 0;
}
