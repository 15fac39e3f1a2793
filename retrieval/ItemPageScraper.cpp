#include "retrieval/ItemPageScraper.h"

#include "retrieval/EndedSlotUpdate.h"
#include "store/DayCount.h"
#include "store/IniFile.h"
#include "store/PriceTrack.h"
#include "store/SlotRecord.h"
#include "store/StoredFiles.h"
#include "store/TextRules.h"
#include "store/WholeFile.h"

#include <QDir>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace retrieval {

namespace {

// The line a fact stands on.
qsizetype LineOf(qsizetype line)
{
    return line;
}
template <typename Fact> qsizetype LineOf(const Fact& fact)
{
    return fact.Line;
}
template <typename Fact> bool At(const std::optional<Fact>& fact, qsizetype line)
{
    return fact && LineOf(*fact) == line;
}

// Brings a page's facts into the slot (category komoku, row 1 to 10) in the order a walk
// down the page meets them.
class PageApply final {
public:
    PageApply(ScrapeContext& context, const PageFacts& facts, int komoku, int row)
        : m_context(context), m_facts(facts), m_komoku(komoku), m_row(row),
          m_slot(context.Model.SlotAt(komoku, row)), m_cells(m_slot.Cells),
          m_schedule(context.Schedule.At(komoku, row - 1)), m_registering(context.Registering)
    {
    }

    ScrapeResult Run();

private:
    ScrapeResult Walk();
    void CurrentPrice();
    void Sokketu();
    void BidCount();
    ScrapeResult EndTime();
    void EndedNotice();
    ScrapeResult EndedStep();
    ScrapeResult StoreAndRevert();
    void RegistrationExtras();
    void Record();

    bool AllFound() const { return m_priceFound && m_sokketuFound && m_countFound && m_endFound; }

    ScrapeContext& m_context;
    const PageFacts& m_facts;
    const int m_komoku;
    const int m_row;
    store::Slot& m_slot;
    std::array<QString, store::ColumnCount>& m_cells;
    shell::ScheduleSlot& m_schedule;
    const bool m_registering;

    bool m_priceFound = false;
    bool m_sokketuFound = false;
    bool m_countFound = false;
    bool m_endFound = false;
    bool m_ended = false;
    // Any of the values a check reads, or the ended notice, was found on the page.
    bool m_anyFound = false;
    std::vector<PictureCandidate> m_pictures;
};

void PageApply::CurrentPrice()
{
    m_cells[store::ColKakaku] = m_facts.Kakaku->Text;
    m_priceFound = true;
    m_anyFound = true;
    if (!m_registering && m_cells[store::ColKakaku] != m_slot.KakakuText)
        m_context.Notice.KakakuChanged = true;
}

void PageApply::Sokketu()
{
    m_cells[store::ColSokketugaku] = m_facts.Sokketugaku->Text;
    m_sokketuFound = true;
    m_anyFound = true;
    if (!m_priceFound) {
        // A page with only a buy-it-now price: that is the price to pay.
        m_slot.SokketuEnd = true;
        m_cells[store::ColKakaku] = m_cells[store::ColSokketugaku];
        m_priceFound = true;
    } else if (m_cells[store::ColKakaku] == m_cells[store::ColSokketugaku]) {
        m_slot.SokketuEnd = true;
    }
}

void PageApply::BidCount()
{
    m_cells[store::ColNyusatu] = m_facts.Nyusatu->Text;
    m_countFound = true;
    m_anyFound = true;
}

ScrapeResult PageApply::EndTime()
{
    const PageFacts::EndTime& read = *m_facts.ShuryoTime;
    const QString hour = read.Hour.value_or(m_cells[store::ColHour]);
    const QString minute = read.Minute.value_or(m_cells[store::ColMinute]);
    // The cells take the page's text only when it makes a date and time, so that a
    // broken page never leaves a slot with an end time that no longer reads.
    const auto end = store::EncodeEndTime(read.Month, read.Day, hour, minute, m_context.Now.date());
    if (!end)
        return ScrapeResult::Failed(InvalidEndTimeMessage());
    m_cells[store::ColMonth] = read.Month;
    m_cells[store::ColDay] = read.Day;
    m_cells[store::ColHour] = hour;
    m_cells[store::ColMinute] = minute;
    m_endFound = true;
    m_anyFound = true;
    if (store::ToDayCount(m_context.Now) < *end)
        m_ended = false;
    return {};
}

void PageApply::EndedNotice()
{
    m_ended = true;
    m_anyFound = true;
    if (!m_cells[store::ColKakaku].isEmpty() && m_cells[store::ColKakaku] == m_cells[store::ColSokketugaku])
        m_slot.SokketuEnd = true;
}

ScrapeResult PageApply::EndedStep()
{
    // The final figures come from the whole page, above the notice as well as below it.
    const int ownBid = m_schedule.OwnBid;
    m_priceFound = false;
    if (m_facts.Kakaku) {
        CurrentPrice();
        const int price = store::PriceValue(m_cells[store::ColKakaku]).value_or(0);
        if (ownBid >= 1 && price >= 1 && ownBid >= price)
            m_schedule.Won = true;
    }
    m_sokketuFound = false;
    if (m_facts.Sokketugaku) {
        Sokketu();
        const int price = store::PriceValue(m_cells[store::ColSokketugaku]).value_or(0);
        if (ownBid >= 1 && price >= 1 && ownBid == price)
            m_schedule.Won = true;
    }
    m_countFound = false;
    if (m_facts.Nyusatu)
        BidCount();
    m_endFound = false;
    if (m_facts.ShuryoTime) {
        if (auto result = EndTime(); !result.Ok)
            return result;
    }
    // Also when the end time has just proved to lie ahead: the revert step undoes it.
    return UpdateEndedSlot(m_context, m_komoku, m_row);
}

// The lines the facts stand on, in page order. A check stops once it has the four values it
// looks for, or at the ended notice; on a running slot the notice starts the ended step, which
// takes every value from the whole page. When that step finds the end still ahead, the walk
// goes on, and only a further notice changes anything after it.
ScrapeResult PageApply::Walk()
{
    std::vector<qsizetype> lines;
    const auto add = [&lines](const auto& fact) {
        if (fact)
            lines.push_back(LineOf(*fact));
    };
    add(m_facts.Kakaku);
    add(m_facts.Sokketugaku);
    add(m_facts.Nyusatu);
    add(m_facts.ShuryoTime);
    add(m_facts.EndedNotice);
    add(m_facts.EndedNoticeAgain);
    std::sort(lines.begin(), lines.end());
    lines.erase(std::unique(lines.begin(), lines.end()), lines.end());

    // On one line the fields count in this order, the notice last.
    for (const qsizetype line : lines) {
        if (!m_priceFound && At(m_facts.Kakaku, line))
            CurrentPrice();
        if (!m_sokketuFound && At(m_facts.Sokketugaku, line))
            Sokketu();
        if (!m_countFound && At(m_facts.Nyusatu, line))
            BidCount();
        if (!m_endFound && At(m_facts.ShuryoTime, line)) {
            if (auto result = EndTime(); !result.Ok)
                return result;
        }
        if (At(m_facts.EndedNotice, line) || At(m_facts.EndedNoticeAgain, line))
            EndedNotice();
        if (m_ended && !m_schedule.Ended) {
            if (auto result = EndedStep(); !result.Ok)
                return result;
        }
        if (AllFound() || m_ended)
            break;
    }
    return {};
}

ScrapeResult PageApply::Run()
{
    m_slot.SokketuEnd = false;
    // During price checks a slot without a buy-it-now price is never searched for one.
    m_sokketuFound = !m_registering && m_cells[store::ColSokketugaku].isEmpty();
    m_context.Notice.KakakuChanged = false;

    if (m_facts.Read) {
        if (auto result = Walk(); !result.Ok)
            return result;
    }

    // It was searched for and the page no longer shows it.
    if (!m_sokketuFound && !m_schedule.Ended)
        m_cells[store::ColSokketugaku].clear();

    if (auto result = StoreAndRevert(); !result.Ok)
        return result;

    if (m_registering)
        RegistrationExtras();
    if (m_facts.Read && m_anyFound)
        Record();
    ScrapeResult done;
    done.Unread = m_facts.Read && !m_anyFound;
    done.Pictures = std::move(m_pictures);
    return done;
}
ScrapeResult PageApply::StoreAndRevert()
{
    m_slot.KakakuText = m_cells[store::ColKakaku];
    store::IniFile ini(m_context.DataDir + store::SetteiIniName(m_komoku));
    store::SlotRecord record;
    record.Nyusatu = m_cells[store::ColNyusatu];
    record.WriteKey(ini, m_row, store::SlotKey::Nyusatu);
    const auto save = [&ini](ScrapeResult result) {
        if (ini.IsModified() && !ini.Save() && result.Ok)
            return ScrapeResult::Failed(store::WriteFailedMessage(ini.Path(), ini.SaveError()));
        return result;
    };
    const auto makeDataDir = [this] { QDir().mkpath(m_context.DataDir); };

    if (m_context.Notice.KakakuChanged) {
        if (m_schedule.Budget > 0)
            m_schedule.OverBudget = store::PriceValue(m_slot.KakakuText).value_or(0) > m_schedule.Budget;
        if (m_schedule.OverBudget && m_context.Window.isWindowVisible() &&
            m_context.Model.ActivePage == m_komoku + 1)
            m_context.Window.repaintGrid(m_komoku);
        makeDataDir();
        if (store::SlotStored(ini, m_row)) {
            record.Kakaku = m_cells[store::ColKakaku];
            record.WriteKey(ini, m_row, store::SlotKey::Kakaku);
        } else {
            store::EraseSlot(ini, m_row);
        }
    }

    // The page shows an auction taken for ended as still running.
    if (m_schedule.Ended && !m_ended) {
        m_schedule.Ended = false;
        m_cells[store::ColTitle].remove(store::EndedMarker());
        const auto end =
            store::EncodeEndTime(m_cells[store::ColMonth], m_cells[store::ColDay], m_cells[store::ColHour],
                                 m_cells[store::ColMinute], m_context.Now.date());
        if (!end)
            return save(ScrapeResult::Failed(InvalidEndTimeMessage()));
        m_slot.ShuryoTime = *end;
        m_slot.ArarmTime = *end - m_context.Schedule.Settings.LeadMinutes / (24.0 * 60.0);
        m_cells[store::ColArarmHour].clear();
        m_cells[store::ColArarmMinute].clear();
        makeDataDir();
        record.Title = m_cells[store::ColTitle];
        record.ShuryoTime = *end;
        record.WriteKey(ini, m_row, store::SlotKey::Title);
        record.WriteKey(ini, m_row, store::SlotKey::ShuryoTime);
        store::DeleteSlotKey(ini, m_row, store::SlotKey::ArarmTime);
    }
    return save({});
}

// The page was read: the slot remembers when, and its price history gets the reading.
void PageApply::Record()
{
    const auto price = store::PriceValue(m_cells[store::ColKakaku]);
    if (!price || *price < 0) {
        store::TrackSlot(m_context.DataDir, m_slot);
        m_slot.Track.LastRead = m_context.Now;
        return;
    }
    const int bids = std::max(0, store::PriceValue(m_cells[store::ColNyusatu]).value_or(0));
    store::RecordSlotReading(m_context.DataDir, m_slot, {m_context.Now, *price, bids});
}

void PageApply::RegistrationExtras()
{
    m_cells[store::ColTitle] = m_facts.Title;
    // Every picture is listed: the registration downloads them in turn until one arrives.
    for (const PageFacts::Picture& picture : m_facts.Pictures)
        m_pictures.push_back(
            {picture.Url, m_context.DataDir + store::ImageName(m_komoku, m_row - 1, picture.Extension)});
}

// Keeps Scraping set for exactly as long as the scrape runs, whichever way it leaves.
class ScrapingFlag final {
public:
    explicit ScrapingFlag(bool& flag) : m_flag(flag) { m_flag = true; }
    ~ScrapingFlag() { m_flag = false; }
    ScrapingFlag(const ScrapingFlag&) = delete;
    ScrapingFlag& operator=(const ScrapingFlag&) = delete;

private:
    bool& m_flag;
};

} // namespace

QString EmptyPageMessage()
{
    return u"現在の価格などを取得できませんでした。"_s;
}

ScrapeResult ApplyItemPage(ScrapeContext& context, const PageFacts& facts, int komoku, int row)
{
    if (!HasSlot(context, komoku, row))
        return ScrapeResult::Failed(NoSuchSlotMessage());
    if (facts.Empty) {
        context.Dialogs.showMessage(EmptyPageMessage());
        return {};
    }
    ScrapingFlag scraping(context.Model.Scraping);
    return PageApply(context, facts, komoku, row).Run();
}

ScrapeResult ScrapeItemPage(ScrapeContext& context, const PageMarkers& markers, QByteArrayView body,
                            const QString& address, int komoku, int row)
{
    const PageRead read = context.Registering ? PageRead::Registration : PageRead::Check;
    return ApplyItemPage(context, ReadItemPage(body, address, markers, read), komoku, row);
}

} // namespace retrieval
