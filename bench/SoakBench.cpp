// A simulated day of the resident side and the price-check pass, watched for growth: 2,000
// passes (by default) over fifty auctions in five categories on the fake site on loopback, 40 s
// of the fake clock apart, with the monitor ticked every 5 s meanwhile as its timer would tick
// it (so alarms come in their window). Between passes prices go up, and an auction whose end has
// come shows the ended notice from then on. Every tenth pass the user deletes a slot (an ended
// auction when the category has one) and registers a new auction into it, by a paste into the
// freed address cell or by a drop on the grid, through the watch-list presenter. The transfers
// run through the real page fetcher and picture downloader; the window is the tests' fake of
// it, the widgets take no part.
//
//   build/bench/soak_bench [passes] [--csv FILE] [--plot FILE]
//
// Runs at least three passes. Prints one "name: value" line per figure: what the day did and how
// long it took; resident memory, open file descriptors, live QObjects and live timers after the
// warm-up (pass 200, a tenth of a shorter run, at least two passes) and at the end. --csv writes
// the memory curve (a sample every hundredth of the run), --plot draws it as a PNG. Exits with 1
// when a goal is missed (memory grew by 1 MiB or more after the warm-up; descriptors, QObjects
// or timers rose above the highest count up to the warm-up), with 2 when the day itself went wrong (a pass
// that did not fetch every page, a registration that did not fill its slot).

#include "BenchFolder.h"
#include "BenchPages.h"
#include "BenchReport.h"
#include "retrieval/SlotPictures.h"
#include "store/TextRules.h"
#include "support/FakeAuctionSite.h"
#include "support/Transfers.h"
#include "watchlist/WatchListFixture.h"

#include <QAbstractEventDispatcher>
#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLocale>
#include <QPainter>
#include <QThread>

#include <unistd.h>

#include <array>
#include <deque>
#include <mutex>
#include <random>
#include <unordered_set>

// Qt's table of hooks for tools that follow objects; QtCore exports it, its header is private.
extern Q_CORE_EXPORT quintptr qtHookData[];

namespace {

using namespace Qt::StringLiterals;

constexpr int Categories = 5;
// Addresses on the site: fifty watched, the others waiting to be registered.
constexpr int AddressCount = 60;
constexpr int PictureCount = 5;
// Lines of markup around the fields: pages of some 15 KB, so that a day takes minutes.
constexpr int FillerLines = 100;
constexpr int TickMs = 5000;
constexpr int PassIntervalMs = 40000;
constexpr int RegistrationEvery = 10;
constexpr int PriceChangesPerPass = 5;

// Every QObject alive, kept by Qt's add and remove hooks.
class LiveObjects final {
public:
    // Before the first QObject; false when this Qt's hook table is not the one known here.
    static bool Install()
    {
        if (qtHookData[HookDataSize] <= RemoveQObject || (qtHookData[QtVersion] >> 16) != 6)
            return false;
        qtHookData[AddQObject] = reinterpret_cast<quintptr>(&Added);
        qtHookData[RemoveQObject] = reinterpret_cast<quintptr>(&Removed);
        return true;
    }
    static qsizetype Count()
    {
        const std::lock_guard lock(s_mutex);
        return static_cast<qsizetype>(Objects().size());
    }
    // The timers registered for the objects of this thread.
    static qsizetype Timers()
    {
        QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
        const std::lock_guard lock(s_mutex);
        qsizetype timers = 0;
        for (QObject* object : Objects())
            if (object->thread() == QThread::currentThread())
                timers += dispatcher->registeredTimers(object).size();
        return timers;
    }

private:
    enum Hook { HookDataSize = 1, QtVersion = 2, AddQObject = 3, RemoveQObject = 4 };
    static std::unordered_set<QObject*>& Objects()
    {
        static auto* objects = new std::unordered_set<QObject*>;
        return *objects;
    }
    static void Added(QObject* object)
    {
        const std::lock_guard lock(s_mutex);
        Objects().insert(object);
    }
    static void Removed(QObject* object)
    {
        const std::lock_guard lock(s_mutex);
        Objects().erase(object);
    }
    static inline std::mutex s_mutex;
};

qsizetype OpenFileDescriptors()
{
    return static_cast<qsizetype>(
        QDir(u"/proc/self/fd"_s).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size());
}

// What is measured after the warm-up and at the end.
struct Figures {
    qint64 RssKiB = 0;
    qsizetype Fds = 0;
    qsizetype Objects = -1;
    qsizetype Timers = -1;

    // The higher of each count.
    void Raise(const Figures& other)
    {
        Fds = std::max(Fds, other.Fds);
        Objects = std::max(Objects, other.Objects);
        Timers = std::max(Timers, other.Timers);
    }
};

struct Sample {
    int Pass;
    qint64 RssKiB;
    qsizetype Fds;
    qsizetype Objects;
};

struct Auction {
    QString Title;
    int Price = 0;
    QDateTime End;
    bool Ended = false;
    bool Watched = false;
};

QString Yen(int amount)
{
    return QLocale(QLocale::English).toString(amount) + u"円"_s;
}

// The resident, the pass and the window's behaviour as the watch-list tests build them, over the
// real transfers to the fake site, and the day they go through.
class SoakDay final : public watchlisttest::WatchListFiles {
public:
    // The pass goes before the clients it uses.
    ~SoakDay() override
    {
        presenter.reset();
        pass.reset();
    }
    void TestBody() override {}

    // Empty, or what went wrong.
    QString Start();
    // Between passes: prices, ends, and every tenth pass a deletion and a registration.
    QString Between(int passNo);
    // The ticks until the next pass is due, and the pass.
    QString Pass();
    Figures Measure(bool objectsCounted) const;

    int passes = 0;
    int pagesFetched = 0;
    int picturesDownloaded = 0;
    int registrations = 0;
    int deletions = 0;
    int priceChanges = 0;
    int auctionsEnded = 0;
    int alarms = 0;
    int balloons = 0;

private:
    static QString ItemPath(int id) { return u"/jp/auction/s%1"_s.arg(id); }
    static QString PicturePath(int picture) { return u"/i/p%1.jpg"_s.arg(picture); }
    QString Address(int id) const { return site.url(ItemPath(id)); }
    // The site serves the auction's page as it stands now.
    void Publish(int id);
    void ChangeSite();
    QString DeleteAndRegister(int komoku);
    // Row 1 to 10 of category komoku that holds the address; 0 for none.
    int RowOf(int komoku, const QString& address) const;
    int IdOf(const QString& address) const;
    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_random); }
    // Lets what the transfers posted run, deferred deletions included.
    static void Settle();
    // Counts what the fakes recorded, then forgets it: their lists would grow with the day.
    void Forget();
    qsizetype SiteRequests(const QString& prefix) const;

    // Before the clients, which keep connections to it until they go.
    testsupport::FakeAuctionSite site;
    std::unique_ptr<retrieval::PageFetcher> fetcher;
    std::unique_ptr<retrieval::SlotPictureDownloader> downloader;
    std::array<Auction, AddressCount> m_auctions;
    std::deque<int> m_waiting;
    int m_generation = 0;
    std::mt19937 m_random{20261210u};
};

QString SoakDay::Start()
{
    SetUp();
    if (HasFatalFailure())
        return u"the resident side did not start"_s;
    if (!site.isListening())
        return u"the fake site does not listen"_s;
    clock.current = QDateTime(QDate(2026, 12, 10), QTime(7, 0));
    probe.reachable = true;
    for (int i = 0; i < PictureCount; ++i)
        site.setPicture(PicturePath(i), store::EncodeJpeg(bench::Thumbnail(i), 85));
    // Fifty auctions that end one after another through the day, 25 minutes apart from 40
    // minutes on; the other addresses wait.
    for (int id = 0; id < AddressCount; ++id) {
        Auction& auction = m_auctions[static_cast<size_t>(id)];
        auction.Title = u"ニコン 単焦点レンズ AF-S 50mm f/1.8G 美品 %1"_s.arg(id);
        auction.Price = 1000 + 500 * id;
        auction.End = clock.current.addSecs(2400 + 1500 * id);
        auction.Watched = id < Categories * store::SlotsPerKomoku;
        if (auction.Watched)
            Publish(id);
        else
            m_waiting.push_back(id);
    }
    const QString dataDir = form->DataDir();
    try {
        bench::WriteFullFolder(
            dataDir,
            [this](int komoku, int row) { return Address(komoku * store::SlotsPerKomoku + row - 1); },
            clock.current.addDays(1));
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    }
    // The stored end and alarm times are the day's, so that the alarms come before the ends.
    for (int k = 0; k < Categories; ++k) {
        store::IniFile file(dataDir + store::SetteiIniName(k));
        for (int row = 1; row <= store::SlotsPerKomoku; ++row) {
            const QDateTime end = m_auctions[static_cast<size_t>(k * store::SlotsPerKomoku + row - 1)].End;
            file.WriteDateTime(store::SlotSection(row), store::settei::ShuryoTime, store::ToDayCount(end));
            file.WriteDateTime(store::SlotSection(row), store::settei::ArarmTime,
                               store::ToDayCount(end.addSecs(-600)));
        }
        if (!file.Save())
            return u"cannot write the category file"_s;
    }
    for (int k = 0; k < Categories; ++k)
        for (int s = 0; s < store::SlotsPerKomoku; ++s)
            if (!bench::Thumbnail(k * store::SlotsPerKomoku + s)
                     .save(dataDir + store::ImageName(k, s), "JPEG", 90))
                return u"cannot write a picture"_s;
    fetcher = std::make_unique<retrieval::PageFetcher>(site.fetcherOptions());
    downloader = std::make_unique<retrieval::SlotPictureDownloader>(site.fetcherOptions());
    create(fetcher.get(), downloader.get());
    view.onShow = [this] { presenter->FormShow(); };
    startUp();
    if (model.KomokuCount != Categories ||
        RowOf(Categories - 1, Address(AddressCount - 11)) != store::SlotsPerKomoku)
        return u"the window did not load the five categories"_s;
    Forget();
    return {};
}

void SoakDay::Publish(int id)
{
    const Auction& auction = m_auctions[static_cast<size_t>(id)];
    QStringList head;
    if (auction.Ended)
        head << scrapetest::EndedNotice();
    head << scrapetest::PictureBlock(site.url(PicturePath(id % PictureCount), u"auctions.c.yimg.jp"_s));
    site.setPage(ItemPath(id), bench::ItemPage(Yen(auction.Price), scrapetest::PageEndText(auction.End),
                                               auction.Title, FillerLines, head));
}

void SoakDay::ChangeSite()
{
    for (int id = 0; id < AddressCount; ++id) {
        Auction& auction = m_auctions[static_cast<size_t>(id)];
        if (auction.Watched && !auction.Ended && auction.End <= clock.current) {
            auction.Ended = true;
            ++auctionsEnded;
            Publish(id);
        }
    }
    for (int i = 0; i < PriceChangesPerPass; ++i) {
        const int id = Pick(AddressCount);
        Auction& auction = m_auctions[static_cast<size_t>(id)];
        if (!auction.Watched || auction.Ended)
            continue;
        auction.Price += 100 * (1 + Pick(20));
        ++priceChanges;
        Publish(id);
    }
}

QString SoakDay::Between(int passNo)
{
    ChangeSite();
    if (passNo % RegistrationEvery != 2)
        return {};
    const QString failed = DeleteAndRegister(passNo / RegistrationEvery % Categories);
    Forget();
    return failed;
}

QString SoakDay::DeleteAndRegister(int komoku)
{
    presenter->TabSheetAuctionShow(komoku);
    presenter->PageControl1Change(komoku + 1);
    // The first ended auction of the category goes, or one drawn at random.
    int row = 0;
    for (int r = 1; r <= store::SlotsPerKomoku && row == 0; ++r)
        if (cell(komoku, r, store::ColTitle).startsWith(store::EndedMarker()))
            row = r;
    if (row == 0)
        row = 1 + Pick(store::SlotsPerKomoku);
    const QString gone = cell(komoku, row, store::ColURL);
    const int goneId = IdOf(gone);
    if (goneId < 0)
        return u"slot %1-%2 holds no auction of the day: %3"_s.arg(komoku).arg(row).arg(gone);
    presenter->GridClick(komoku, row, store::ColTitle);
    dialogs.answers.assign(1, true);
    presenter->RowDellClick();
    dialogs.answers.clear();
    if (RowOf(komoku, gone) != 0 || !cell(komoku, store::SlotsPerKomoku, store::ColURL).isEmpty())
        return u"the deletion of slot %1-%2 left it in its category"_s.arg(komoku).arg(row);
    m_auctions[static_cast<size_t>(goneId)].Watched = false;
    m_waiting.push_back(goneId);
    ++deletions;

    // A new auction, ending two to ten hours from now, comes in through the freed row.
    const int id = m_waiting.front();
    m_waiting.pop_front();
    Auction& auction = m_auctions[static_cast<size_t>(id)];
    auction.Title = u"ニコン 単焦点レンズ AF-S 50mm f/1.8G 美品 %1-%2"_s.arg(id).arg(++m_generation);
    auction.Price = 1000 + 500 * Pick(60);
    const QDateTime now = clock.current;
    auction.End =
        QDateTime(now.date(), QTime(now.time().hour(), now.time().minute())).addSecs(7200 + 60 * Pick(480));
    auction.Ended = false;
    auction.Watched = true;
    Publish(id);
    site.clearRequests();
    const QString address = Address(id);
    if (m_generation % 2 == 0)
        presenter->GridCellEdited(komoku, store::SlotsPerKomoku, store::ColURL, address);
    else
        presenter->DropURLTarget1Drop(address);
    if (!testsupport::Spin([this] { return pass->Mode() == shell::RunMode::Idle; }))
        return u"the registration of %1 did not end"_s.arg(address);
    Settle();
    const int at = RowOf(komoku, address);
    if (at == 0 || cell(komoku, at, store::ColTitle) != auction.Title ||
        cell(komoku, at, store::ColKakaku) != Yen(auction.Price) || model.SlotAt(komoku, at).Picture.IsNull())
        return u"the registration of %1 did not fill its slot"_s.arg(address);
    pagesFetched += static_cast<int>(SiteRequests(u"/jp/auction/"_s));
    picturesDownloaded += static_cast<int>(SiteRequests(u"/i/"_s));
    ++registrations;
    return {};
}

QString SoakDay::Pass()
{
    int inUse = 0;
    for (int k = 0; k < model.KomokuCount; ++k)
        for (int r = 1; r <= store::SlotsPerKomoku; ++r)
            inUse += model.SlotAt(k, r).InUse() ? 1 : 0;
    site.clearRequests();
    // The next pass is due 40 s after the last one ended; the first follows the window's show.
    for (int ticks = 0; pass->Mode() == shell::RunMode::Idle; ++ticks) {
        if (ticks == PassIntervalMs / TickMs)
            return u"no pass started 40 s after the last one"_s;
        if (passes > 0)
            clock.advance(TickMs);
        form->MainTimerTimer();
        Settle();
    }
    if (!testsupport::Spin([this] { return pass->Mode() == shell::RunMode::Idle; }))
        return u"the pass did not end"_s;
    Settle();
    ++passes;
    const qsizetype fetched = SiteRequests(u"/jp/auction/"_s);
    pagesFetched += static_cast<int>(fetched);
    Forget();
    if (fetched != inUse || testsupport::State(*form).RetryCount != 0)
        return u"pass %1 fetched %2 of %3 pages"_s.arg(passes).arg(fetched).arg(inUse);
    return {};
}

int SoakDay::RowOf(int komoku, const QString& address) const
{
    for (int r = 1; r <= store::SlotsPerKomoku; ++r)
        if (cell(komoku, r, store::ColURL) == address)
            return r;
    return 0;
}

int SoakDay::IdOf(const QString& address) const
{
    for (int id = 0; id < AddressCount; ++id)
        if (Address(id) == address)
            return id;
    return -1;
}

void SoakDay::Settle()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void SoakDay::Forget()
{
    alarms += static_cast<int>(speech.played.size());
    balloons += static_cast<int>(tray.balloons.size());
    speech.played.clear();
    tray.balloons.clear();
    tray.hint.clear();
    dialogs.shown.clear();
    view.log.clear();
    view.repaints.clear();
    probe.probed.clear();
    shellOpen.opened.clear();
    site.clearRequests();
}

qsizetype SoakDay::SiteRequests(const QString& prefix) const
{
    qsizetype count = 0;
    for (const auto& request : site.requests())
        count += request.target.startsWith(prefix.toLatin1()) ? 1 : 0;
    return count;
}

Figures SoakDay::Measure(bool objectsCounted) const
{
    Figures figures;
    figures.RssKiB = bench::StatusKiB(getpid(), "VmRSS");
    figures.Fds = OpenFileDescriptors();
    if (objectsCounted) {
        figures.Objects = LiveObjects::Count();
        figures.Timers = LiveObjects::Timers();
    }
    return figures;
}

double MiB(qint64 kib)
{
    return static_cast<double>(kib) / 1024.0;
}

bool WriteCsv(const QString& path, const std::vector<Sample>& samples)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QByteArray text = "passes,rss_mib,open_fds,live_qobjects\n";
    for (const Sample& s : samples)
        text +=
            u"%1,%2,%3,%4\n"_s.arg(s.Pass).arg(MiB(s.RssKiB), 0, 'f', 3).arg(s.Fds).arg(s.Objects).toLatin1();
    return file.write(text) == text.size();
}

// The memory curve, 640 × 360: resident MiB over passes, the warm-up marked.
bool WritePlot(const QString& path, const std::vector<Sample>& samples, int warmUp)
{
    QImage image(640, 360, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QFont font = painter.font();
    font.setPixelSize(12);
    painter.setFont(font);
    const QRectF area(64, 34, 550, 270);
    const int lastPass = std::max(1, samples.back().Pass);
    double low = MiB(samples.front().RssKiB);
    double high = low;
    for (const Sample& s : samples) {
        low = std::min(low, MiB(s.RssKiB));
        high = std::max(high, MiB(s.RssKiB));
    }
    // Whole MiB at both ends and at least 4 MiB in all, so that a growth of 1 MiB shows as what it is.
    low = std::floor(low - 0.5);
    high = std::max(std::ceil(high + 0.5), low + 4);
    const auto at = [&](double pass, double mib) {
        return QPointF(area.left() + area.width() * pass / lastPass,
                       area.bottom() - area.height() * (mib - low) / (high - low));
    };

    painter.setPen(QColor(225, 225, 225));
    const int mibStep = std::max(1, static_cast<int>((high - low) / 8));
    for (double mib = low; mib <= high; mib += mibStep)
        painter.drawLine(at(0, mib), at(lastPass, mib));
    painter.setPen(QPen(QColor(200, 120, 0), 1, Qt::DashLine));
    painter.drawLine(at(warmUp, low), at(warmUp, high));
    painter.drawText(at(warmUp, high) + QPointF(4, 12), u"warm-up"_s);

    painter.setPen(Qt::black);
    painter.drawLine(area.bottomLeft(), area.bottomRight());
    painter.drawLine(area.bottomLeft(), area.topLeft());
    for (double mib = low; mib <= high; mib += mibStep) {
        const QPointF p = at(0, mib);
        painter.drawLine(p, p - QPointF(4, 0));
        painter.drawText(QRectF(p.x() - 48, p.y() - 8, 40, 16), Qt::AlignRight | Qt::AlignVCenter,
                         QString::number(mib, 'f', 0));
    }
    const int passStep = lastPass >= 1000 ? lastPass / 1000 * 250 : std::max(1, lastPass / 4);
    for (int pass = 0; pass <= lastPass; pass += passStep) {
        const QPointF p = at(pass, low);
        painter.drawLine(p, p + QPointF(0, 4));
        painter.drawText(QRectF(p.x() - 30, p.y() + 6, 60, 16), Qt::AlignHCenter | Qt::AlignTop,
                         QString::number(pass));
    }
    painter.drawText(QRectF(area.left(), area.bottom() + 24, area.width(), 18), Qt::AlignHCenter,
                     u"passes"_s);
    painter.save();
    painter.translate(16, area.center().y());
    painter.rotate(-90);
    painter.drawText(QRectF(-40, -9, 80, 18), Qt::AlignCenter, u"MiB"_s);
    painter.restore();
    font.setPixelSize(13);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(QRectF(0, 6, image.width(), 20), Qt::AlignHCenter,
                     u"soak_bench: resident memory over %1 passes"_s.arg(lastPass));

    QPolygonF curve;
    for (const Sample& s : samples)
        curve << at(s.Pass, MiB(s.RssKiB));
    painter.setPen(QPen(QColor(20, 80, 200), 2));
    painter.drawPolyline(curve);
    painter.end();
    return image.save(path, "PNG");
}

int Usage()
{
    std::fprintf(stderr, "usage: soak_bench [passes] [--csv FILE] [--plot FILE]\n");
    return 2;
}

int Failed(const QString& why)
{
    std::fprintf(stderr, "soak_bench: %s\n", qPrintable(why));
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    const bool objectsCounted = LiveObjects::Install();
    // Fonts for the plot want a GUI application; no screen is needed.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    int passCount = 2000;
    QString csvPath;
    QString plotPath;
    const QStringList args = app.arguments().mid(1);
    for (qsizetype i = 0; i < args.size(); ++i) {
        bool number = false;
        if (args[i] == u"--csv"_s && i + 1 < args.size())
            csvPath = args[++i];
        else if (args[i] == u"--plot"_s && i + 1 < args.size())
            plotPath = args[++i];
        else if (passCount = args[i].toInt(&number); !number || passCount < 1)
            return Usage();
    }
    // The warm-up takes in the first registration, which opens the picture downloader's connection.
    if (passCount < 3)
        return Usage();
    const int warmUp = std::clamp(passCount / 10, 2, 200);
    const int sampleEvery = std::max(1, passCount / 100);

    SoakDay day;
    if (const QString failed = day.Start(); !failed.isEmpty())
        return Failed(failed);
    std::vector<Sample> samples;
    const auto sample = [&](int pass) {
        const Figures now = day.Measure(objectsCounted);
        samples.push_back({pass, now.RssKiB, now.Fds, now.Objects});
    };
    sample(0);
    // The counts rise and fall within a pass's cycle (the site closes a connection after 100
    // requests, the client opens the next): the highest after the warm-up is held against the
    // highest up to it, each pass counted.
    Figures afterWarmUp;
    Figures highUpToWarmUp;
    Figures highAfterWarmUp;
    QElapsedTimer taken;
    taken.start();
    for (int p = 1; p <= passCount; ++p) {
        if (p > 1)
            if (const QString failed = day.Between(p); !failed.isEmpty())
                return Failed(failed);
        if (const QString failed = day.Pass(); !failed.isEmpty())
            return Failed(failed);
        const Figures now = day.Measure(objectsCounted);
        (p <= warmUp ? highUpToWarmUp : highAfterWarmUp).Raise(now);
        if (p == warmUp)
            afterWarmUp = now;
        if (p % sampleEvery == 0 || p == passCount)
            sample(p);
    }
    const qint64 elapsedMs = taken.elapsed();
    const Figures atEnd = day.Measure(objectsCounted);

    using bench::Print;
    const auto both = [](qsizetype warm, qsizetype end) {
        return warm < 0 ? u"not countable"_s : u"%1 / %2"_s.arg(warm).arg(end);
    };
    Print(u"passes"_s, QString::number(day.passes));
    Print(u"simulated time (h)"_s, QString::number(day.passes * PassIntervalMs / 3.6e6, 'f', 1));
    Print(u"pages fetched"_s, QString::number(day.pagesFetched));
    Print(u"pictures downloaded"_s, QString::number(day.picturesDownloaded));
    Print(u"registrations"_s, QString::number(day.registrations));
    Print(u"deletions"_s, QString::number(day.deletions));
    Print(u"price changes on the site"_s, QString::number(day.priceChanges));
    Print(u"auctions ended"_s, QString::number(day.auctionsEnded));
    Print(u"alarms spoken"_s, QString::number(day.alarms));
    Print(u"balloons"_s, QString::number(day.balloons));
    Print(u"time taken (s)"_s, QString::number(elapsedMs / 1000.0, 'f', 1));
    Print(u"time per pass (ms)"_s, QString::number(static_cast<double>(elapsedMs) / day.passes, 'f', 1));
    Print(u"warm-up (passes)"_s, QString::number(warmUp));
    Print(u"resident memory after warm-up (MiB)"_s, QString::number(MiB(afterWarmUp.RssKiB), 'f', 2));
    Print(u"resident memory at the end (MiB)"_s, QString::number(MiB(atEnd.RssKiB), 'f', 2));
    const qint64 growthKiB = atEnd.RssKiB - afterWarmUp.RssKiB;
    Print(u"resident memory growth after warm-up (KiB)"_s, QString::number(growthKiB));
    Print(u"peak resident memory (MiB)"_s, QString::number(MiB(bench::StatusKiB(getpid(), "VmHWM")), 'f', 2));
    Print(u"open file descriptors, after warm-up / at the end"_s, both(afterWarmUp.Fds, atEnd.Fds));
    Print(u"live QObjects, after warm-up / at the end"_s, both(afterWarmUp.Objects, atEnd.Objects));
    Print(u"live timers, after warm-up / at the end"_s, both(afterWarmUp.Timers, atEnd.Timers));
    Print(u"open file descriptors, highest up to / after the warm-up"_s,
          both(highUpToWarmUp.Fds, highAfterWarmUp.Fds));
    Print(u"live QObjects, highest up to / after the warm-up"_s,
          both(highUpToWarmUp.Objects, highAfterWarmUp.Objects));
    Print(u"live timers, highest up to / after the warm-up"_s,
          both(highUpToWarmUp.Timers, highAfterWarmUp.Timers));

    if (!csvPath.isEmpty() && !WriteCsv(csvPath, samples))
        return Failed(u"cannot write "_s + csvPath);
    if (!plotPath.isEmpty() && !WritePlot(plotPath, samples, warmUp))
        return Failed(u"cannot write "_s + plotPath);

    QStringList missed;
    if (growthKiB >= 1024)
        missed << u"memory grew by 1 MiB or more after the warm-up"_s;
    if (highAfterWarmUp.Fds > highUpToWarmUp.Fds)
        missed << u"open file descriptors grew"_s;
    if (highAfterWarmUp.Objects > highUpToWarmUp.Objects)
        missed << u"live QObjects grew"_s;
    if (highAfterWarmUp.Timers > highUpToWarmUp.Timers)
        missed << u"live timers grew"_s;
    Print(u"goals"_s, missed.isEmpty() ? u"met"_s : u"missed: "_s + missed.join(u"; "_s));
    return missed.isEmpty() ? 0 : 1;
}
