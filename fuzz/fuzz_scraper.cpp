// The item-page scraper over one slot. The input is the slot's state as key=value lines (see
// ReadState), a NUL byte, then the page; without a NUL it is all page over the default state.
// The read of the page never crashes and gives facts that agree with each other and with the
// page: each on the start of a line within it, in page order where there are several; a
// check's read gives the same without the title and the pictures. Their apply to the slot
// never crashes, always clears Scraping, and a successful one never leaves end-time cells
// that encoded before in a state that no longer encodes.
#include "retrieval/FetchPage.h"
#include "retrieval/ItemPageScraper.h"
#include "retrieval/PageFacts.h"
#include "retrieval/PageLines.h"
#include "store/IniFile.h"
#include "store/PriceHistory.h"
#include "store/StoredFiles.h"
#include "store/TextRules.h"
#include "support/Fakes.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

std::unique_ptr<QTemporaryDir> DataDir;

struct State {
    store::WatchListModel Model;
    shell::Schedule Schedule;
    QDateTime Now{QDate(2024, 5, 10), QTime(12, 0)};
    bool StartingUp = false;
    int Row = 1;
    bool Registering = false;
    QString Address = u"https://page.auctions.yahoo.co.jp/jp/auction/x123"_s;
    // Whether the category file holds the slot's section with its URL.
    bool Stored = true;
};

// Keys: Registering, StartingUp, Stored, Ended, Won, OverBudget (0 or 1), Row (1 to 10), OwnBid,
// Budget, Honmei, Lead (numbers), Now (yyyy-MM-dd HH:mm), Address, and the cells Title, Month,
// Day, Hour, Minute, Kakaku, KakakuText, Sokketugaku, Nyusatu.
void ReadState(State& state, const QString& text)
{
    std::array<QString, store::ColumnCount> cells;
    QString kakakuText;
    bool ended = false, won = false, overBudget = false;
    int ownBid = 0, budget = 0;
    for (const QString& line : text.split(u'\n')) {
        const qsizetype equals = line.indexOf(u'=');
        if (equals < 0)
            continue;
        const QString key = line.left(equals).trimmed();
        const QString value = line.mid(equals + 1).chopped(line.endsWith(u'\r') ? 1 : 0);
        const int number = value.toInt();
        if (key == u"Registering")
            state.Registering = number != 0;
        else if (key == u"StartingUp")
            state.StartingUp = number != 0;
        else if (key == u"Stored")
            state.Stored = number != 0;
        else if (key == u"Ended")
            ended = number != 0;
        else if (key == u"Won")
            won = number != 0;
        else if (key == u"OverBudget")
            overBudget = number != 0;
        else if (key == u"Row" && number >= 1 && number <= store::SlotsPerKomoku)
            state.Row = number;
        else if (key == u"OwnBid")
            ownBid = number;
        else if (key == u"Budget")
            budget = number;
        else if (key == u"Honmei")
            state.Model.Komokus[0].HonmeiNo = number;
        else if (key == u"Lead")
            state.Schedule.Settings.LeadMinutes = number;
        else if (key == u"Now") {
            const QDateTime now = QDateTime::fromString(value, u"yyyy-MM-dd HH:mm"_s);
            if (now.isValid())
                state.Now = now;
        } else if (key == u"Address")
            state.Address = value;
        else if (key == u"Title")
            cells[store::ColTitle] = value;
        else if (key == u"Month")
            cells[store::ColMonth] = value;
        else if (key == u"Day")
            cells[store::ColDay] = value;
        else if (key == u"Hour")
            cells[store::ColHour] = value;
        else if (key == u"Minute")
            cells[store::ColMinute] = value;
        else if (key == u"Kakaku")
            cells[store::ColKakaku] = value;
        else if (key == u"KakakuText")
            kakakuText = value;
        else if (key == u"Sokketugaku")
            cells[store::ColSokketugaku] = value;
        else if (key == u"Nyusatu")
            cells[store::ColNyusatu] = value;
    }
    // The row is known only now; the values go to that slot.
    cells[store::ColURL] = state.Address;
    store::Slot& slot = state.Model.SlotAt(0, state.Row);
    slot.Cells = cells;
    slot.KakakuText = kakakuText;
    shell::ScheduleSlot& scheduled = state.Schedule.At(0, state.Row - 1);
    scheduled.Ended = ended;
    scheduled.Won = won;
    scheduled.OverBudget = overBudget;
    scheduled.OwnBid = ownBid;
    scheduled.Budget = budget;
    scheduled.URL = state.Address;
}

// Whether line is where a line of the page starts.
bool LineStart(const retrieval::PageLines& page, QByteArrayView body, qsizetype line)
{
    return line >= 0 && line < page.Size() && (line == 0 || body[line - 1] == '\r' || body[line - 1] == '\n');
}

void CheckFacts(const retrieval::PageFacts& facts, QByteArrayView body, const QString& address)
{
    const retrieval::PageLines page(body);
    if (facts.Empty != page.IsEmpty() ||
        facts.Read != (!facts.Empty && address.startsWith(retrieval::ItemPagePrefix())))
        std::abort();
    const auto onLine = [&](qsizetype line) {
        if (!facts.Read || !LineStart(page, body, line))
            std::abort(); // a fact of a page not read, or off the start of a line
    };
    for (const auto* price : {&facts.Kakaku, &facts.Sokketugaku}) {
        if (*price) {
            onLine((*price)->Line);
            if (!(*price)->Text.endsWith(u'円'))
                std::abort();
        }
    }
    if (facts.Nyusatu)
        onLine(facts.Nyusatu->Line);
    if (facts.ShuryoTime) {
        onLine(facts.ShuryoTime->Line);
        if (facts.ShuryoTime->Hour.has_value() != facts.ShuryoTime->Minute.has_value())
            std::abort();
    }
    if (facts.EndedNotice)
        onLine(*facts.EndedNotice);
    if (facts.EndedNoticeAgain) {
        onLine(*facts.EndedNoticeAgain);
        if (!facts.EndedNotice || *facts.EndedNoticeAgain <= *facts.EndedNotice)
            std::abort();
    }
    if (!facts.Read && !facts.Title.isEmpty())
        std::abort();
    qsizetype previous = -1;
    for (const auto& picture : facts.Pictures) {
        onLine(picture.Line);
        if (picture.Line <= previous || !picture.Url.endsWith(picture.Extension.sliced(1)))
            std::abort(); // out of page order, or an extension the address does not end in
        previous = picture.Line;
    }
}

bool EndEncodes(const State& state)
{
    const auto& cells = state.Model.Komokus[0].Slots[static_cast<size_t>(state.Row - 1)].Cells;
    return store::EncodeEndTime(cells[store::ColMonth], cells[store::ColDay], cells[store::ColHour],
                                cells[store::ColMinute], state.Now.date())
        .has_value();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static QCoreApplication app(*argc, *argv);
    // Every apply saves the category file, and a save syncs it to disk: in memory that is cheap.
    const QString shm = u"/dev/shm"_s;
    DataDir = QFileInfo(shm).isWritable() ? std::make_unique<QTemporaryDir>(shm + u"/mirubero-fuzz-XXXXXX"_s)
                                          : std::make_unique<QTemporaryDir>();
    if (!DataDir->isValid())
        std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArrayView input(data, static_cast<qsizetype>(size));
    const qsizetype split = input.indexOf('\0');
    const QByteArrayView page = split < 0 ? input : input.sliced(split + 1);

    State state;
    state.Schedule.Komoku.resize(1);
    state.Schedule.Settings.LeadMinutes = 10;
    state.Schedule.Settings.Balloon = true;
    state.Model.Komokus[0].Name = u"カメラ"_s;
    if (split >= 0)
        ReadState(state, QString::fromUtf8(input.first(split)));
    else
        ReadState(state, u"Title=Nikon F3\nKakaku=1,000円\nKakakuText=1,000円\nNyusatu=3\n"
                         u"Month=05\nDay=12\nHour=21\nMinute=34"_s);

    const QString file = DataDir->filePath(store::SetteiIniName(0));
    QFile::remove(file);
    // Each input starts without a price history, as it starts without a category file.
    QDir(DataDir->filePath(store::PriceHistoryFolderName())).removeRecursively();
    if (state.Stored) {
        const auto& cells = state.Model.SlotAt(0, state.Row).Cells;
        store::IniFile ini(file);
        ini.WriteString(store::SlotSection(state.Row), store::settei::Title, cells[store::ColTitle]);
        ini.WriteString(store::SlotSection(state.Row), store::settei::URL, state.Address);
        ini.WriteString(store::SlotSection(state.Row), store::settei::ArarmTime, u"2024/05/12 21:00:00"_s);
        if (!ini.Save())
            std::abort();
    }

    // The read needs nothing but the page. A check's read is a registration's without the
    // title and the pictures.
    const retrieval::PageFacts facts =
        retrieval::ReadItemPage(page, state.Address, retrieval::BuiltInPageMarkers());
    CheckFacts(facts, page, state.Address);
    retrieval::PageFacts checkFacts = facts;
    checkFacts.Title.clear();
    checkFacts.Pictures.clear();
    if (!(retrieval::ReadItemPage(page, state.Address, retrieval::BuiltInPageMarkers(),
                                  retrieval::PageRead::Check) == checkFacts))
        std::abort();

    const bool encodedBefore = EndEncodes(state);
    shell::PriceNotice notice;
    struct Tray final : shell::TrayNotices {
        void SetTrayHint(const QString&) override {}
        void ShowBalloon(const QString&, const QString&) override {}
    } tray;
    testsupport::FakeWindowView window;
    testsupport::FakeDialogs dialogs;
    retrieval::ScrapeContext context{
        state.Model, state.Schedule, DataDir->path() + u"/"_s, state.Now, state.StartingUp, notice, tray,
        window,      dialogs,        state.Registering};
    const retrieval::ScrapeResult result =
        retrieval::ApplyItemPage(context, state.Registering ? facts : checkFacts, 0, state.Row);
    if (state.Model.Scraping)
        std::abort(); // left set on the way out
    if (result.Ok && encodedBefore && !state.Schedule.At(0, state.Row - 1).Ended && !EndEncodes(state))
        std::abort(); // a running slot's end time no longer reads
    return 0;
}
