#include "retrieval/ItemPageScraper.h"

#include "retrieval/EndedSlotUpdate.h"
#include "retrieval/FetchPage.h"
#include "retrieval/PageLines.h"
#include "store/DayCount.h"
#include "store/IniFile.h"
#include "store/SlotRecord.h"
#include "store/StoredFiles.h"
#include "store/TextRules.h"
#include "store/WholeFile.h"

#include <QDir>

#include <optional>

using namespace Qt::StringLiterals;

namespace retrieval {

namespace {

// The site's page layout, matched character for character.
struct Markers final {
    PageMarker PriceHeading{u"<dt class=\"Price__title\">現在価格"_s};
    PageMarker PriceValue{u"<dd class=\"Price__value\">"_s};
    PageMarker SokketuHeading{u"<dt class=\"Price__title\">即決価格"_s};
    PageMarker CountHeading{u"<dt class=\"Count__title\">入札件数"_s};
    PageMarker EndHeading{u"<dt class=\"ProductDetail__title\">終了日時"_s};
    PageMarker EndValue{u"<span class=\"ProductDetail__bullet\">：</span>"_s};
    PageMarker EndedNotice{u"このオークションは終了しています"_s};
    PageMarker TitleStart{u"<title>"_s};
    PageMarker PictureBlock{u"<li class=\"ProductImage__image\">"_s};
    PageMarker PictureStart{u"<img src=\""_s};
};

const Markers& Marks()
{
    static const Markers markers;
    return markers;
}

constexpr QChar Yen = u'円';
constexpr qsizetype PriceSearchLength = 100;
// The bid count follows the value line's opening tag, "<dd class="Count__number">".
constexpr qsizetype CountValueOffset = 26;
constexpr qsizetype SearchDistance = 1000;

// One line of the page together with its text.
struct TextLine final {
    PageLines::Line Line;
    QString Text;
};

class Scraper final {
public:
    Scraper(ScrapeContext& context, const PageLines& page, bool readLines, int komoku, int row)
        : m_context(context), m_page(page), m_readLines(readLines), m_komoku(komoku), m_row(row),
          m_slot(context.Model.SlotAt(komoku, row)), m_cells(m_slot.Cells),
          m_schedule(context.Schedule.At(komoku, row - 1)), m_registering(context.Registering)
    {
    }

    ScrapeResult Run();

private:
    TextLine Decoded(const PageLines::Line& line) const { return {line, m_page.Decode(line)}; }
    std::optional<TextLine> FindLine(const PageMarker& marker, qsizetype from) const;
    std::optional<TextLine> NextWith(const PageMarker& marker, const TextLine& after) const;
    std::optional<QString> PriceAfter(const TextLine& heading) const;

    void CurrentPrice(const TextLine& line);
    void Sokketu(const TextLine& line);
    void BidCount(const TextLine& line);
    ScrapeResult EndTime(const TextLine& line);
    ScrapeResult EndedStep();
    ScrapeResult StoreAndRevert();
    void RegistrationExtras();
    // The picture a block offers, when its address ends in "jpg" or "gif".
    std::optional<PictureCandidate> PictureOf(const TextLine& block) const;

    bool AllFound() const { return m_priceFound && m_sokketuFound && m_countFound && m_endFound; }

    ScrapeContext& m_context;
    const PageLines& m_page;
    const bool m_readLines;
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

std::optional<TextLine> Scraper::FindLine(const PageMarker& marker, qsizetype from) const
{
    while (from < m_page.Size()) {
        const qsizetype hit = m_page.Find(marker, from);
        if (hit < 0)
            return std::nullopt;
        TextLine line = Decoded(m_page.LineAround(hit, from));
        // A line that is not valid UTF-8 counts as empty.
        if (line.Text.contains(marker.Text))
            return line;
        if (!m_page.HasNext(line.Line))
            return std::nullopt;
        from = line.Line.Next;
    }
    return std::nullopt;
}

std::optional<TextLine> Scraper::NextWith(const PageMarker& marker, const TextLine& after) const
{
    if (!m_page.HasNext(after.Line))
        return std::nullopt;
    return FindLine(marker, after.Line.Next);
}

std::optional<QString> Scraper::PriceAfter(const TextLine& heading) const
{
    const auto valueLine = NextWith(Marks().PriceValue, heading);
    if (!valueLine || !m_page.HasNext(valueLine->Line))
        return std::nullopt;
    const QString price = m_page.Decode(m_page.LineFrom(valueLine->Line.Next));
    const qsizetype yen = QStringView(price).first(std::min(price.size(), PriceSearchLength)).indexOf(Yen);
    if (yen < 0)
        return std::nullopt;
    return TrimControls(QStringView(price).first(yen)) + Yen;
}

void Scraper::CurrentPrice(const TextLine& line)
{
    if (!line.Text.contains(Marks().PriceHeading.Text))
        return;
    const auto price = PriceAfter(line);
    if (!price)
        return;
    m_cells[store::ColKakaku] = *price;
    m_priceFound = true;
    m_anyFound = true;
    if (!m_registering && m_cells[store::ColKakaku] != m_slot.KakakuText)
        m_context.Notice.KakakuChanged = true;
}

void Scraper::Sokketu(const TextLine& line)
{
    if (!line.Text.contains(Marks().SokketuHeading.Text))
        return;
    const auto price = PriceAfter(line);
    if (!price)
        return;
    m_cells[store::ColSokketugaku] = *price;
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

void Scraper::BidCount(const TextLine& line)
{
    if (!line.Text.contains(Marks().CountHeading.Text) || !m_page.HasNext(line.Line))
        return;
    const QString value = m_page.Decode(m_page.LineFrom(line.Line.Next));
    const qsizetype link = value.indexOf(u"<a href="_s);
    if (link < 0)
        return;
    m_cells[store::ColNyusatu] =
        link > CountValueOffset
            ? TrimControls(QStringView(value).sliced(CountValueOffset, link - CountValueOffset))
            : QString();
    m_countFound = true;
    m_anyFound = true;
}

ScrapeResult Scraper::EndTime(const TextLine& line)
{
    if (!line.Text.contains(Marks().EndHeading.Text))
        return {};
    const auto valueLine = NextWith(Marks().EndValue, line);
    if (!valueLine)
        return {};
    const QString& text = valueLine->Text;
    // s: the first character after the value marker; the year standing there is not used.
    const qsizetype s = text.indexOf(Marks().EndValue.Text) + Marks().EndValue.Text.size();
    const QString month = TrimControls(QStringView(text).mid(s + 5, 2));
    const QString day = TrimControls(QStringView(text).mid(s + 8, 2));
    QString hour = m_cells[store::ColHour];
    QString minute = m_cells[store::ColMinute];
    const qsizetype colon = text.indexOf(u':', s);
    if (colon >= 0) {
        hour = TrimControls(QStringView(text).mid(colon - 2, 2));
        minute = TrimControls(QStringView(text).mid(colon + 1, 2));
    }
    // The cells take the page's text only when it makes a date and time, so that a
    // broken page never leaves a slot with an end time that no longer reads.
    const auto end = store::EncodeEndTime(month, day, hour, minute, m_context.Now.date());
    if (!end)
        return ScrapeResult::Failed(InvalidEndTimeMessage());
    m_cells[store::ColMonth] = month;
    m_cells[store::ColDay] = day;
    m_cells[store::ColHour] = hour;
    m_cells[store::ColMinute] = minute;
    m_endFound = true;
    m_anyFound = true;
    if (store::ToDayCount(m_context.Now) < *end)
        m_ended = false;
    return {};
}

ScrapeResult Scraper::EndedStep()
{
    const Markers& marks = Marks();
    const int ownBid = m_schedule.OwnBid;

    m_priceFound = false;
    for (auto line = FindLine(marks.PriceHeading, 0); line; line = NextWith(marks.PriceHeading, *line)) {
        CurrentPrice(*line);
        if (m_priceFound) {
            const int price = store::PriceValue(m_cells[store::ColKakaku]).value_or(0);
            if (ownBid >= 1 && price >= 1 && ownBid >= price)
                m_schedule.Won = true;
            break;
        }
    }
    m_sokketuFound = false;
    for (auto line = FindLine(marks.SokketuHeading, 0); line; line = NextWith(marks.SokketuHeading, *line)) {
        Sokketu(*line);
        if (m_sokketuFound) {
            const int price = store::PriceValue(m_cells[store::ColSokketugaku]).value_or(0);
            if (ownBid >= 1 && price >= 1 && ownBid == price)
                m_schedule.Won = true;
            break;
        }
    }
    m_countFound = false;
    for (auto line = FindLine(marks.CountHeading, 0); line && !m_countFound;
         line = NextWith(marks.CountHeading, *line))
        BidCount(*line);
    m_endFound = false;
    for (auto line = FindLine(marks.EndHeading, 0); line && !m_endFound;
         line = NextWith(marks.EndHeading, *line)) {
        if (auto result = EndTime(*line); !result.Ok)
            return result;
    }
    // Also when the end time has just proved to lie ahead: the revert step undoes it.
    return UpdateEndedSlot(m_context, m_komoku, m_row);
}

ScrapeResult Scraper::Run()
{
    m_slot.SokketuEnd = false;
    // During price checks a slot without a buy-it-now price is never searched for one.
    m_sokketuFound = !m_registering && m_cells[store::ColSokketugaku].isEmpty();
    m_context.Notice.KakakuChanged = false;

    if (m_readLines && !m_page.IsEmpty()) {
        const Markers& marks = Marks();
        const std::array<const PageMarker*, 5> wanted{&marks.PriceHeading, &marks.SokketuHeading,
                                                      &marks.CountHeading, &marks.EndHeading,
                                                      &marks.EndedNotice};
        MarkerWalk walk(m_page);
        // Lines holding none of the markers still looked for cannot change anything.
        while (auto raw =
                   walk.Next(wanted, {!m_priceFound, !m_sokketuFound, !m_countFound, !m_endFound, true})) {
            const TextLine line = Decoded(*raw);
            if (!m_priceFound)
                CurrentPrice(line);
            if (!m_sokketuFound)
                Sokketu(line);
            if (!m_countFound)
                BidCount(line);
            if (!m_endFound) {
                if (auto result = EndTime(line); !result.Ok)
                    return result;
            }
            if (line.Text.contains(marks.EndedNotice.Text)) {
                m_ended = true;
                m_anyFound = true;
                if (!m_cells[store::ColKakaku].isEmpty() &&
                    m_cells[store::ColKakaku] == m_cells[store::ColSokketugaku])
                    m_slot.SokketuEnd = true;
            }
            if (m_ended && !m_schedule.Ended) {
                if (auto result = EndedStep(); !result.Ok)
                    return result;
            }
            if (AllFound() || m_ended || !walk.Advance(line.Line))
                break;
        }
    }

    // It was searched for and the page no longer shows it.
    if (!m_sokketuFound && !m_schedule.Ended)
        m_cells[store::ColSokketugaku].clear();

    if (auto result = StoreAndRevert(); !result.Ok)
        return result;

    if (m_registering)
        RegistrationExtras();
    ScrapeResult done;
    done.Unread = m_readLines && !m_anyFound;
    done.Pictures = std::move(m_pictures);
    return done;
}

ScrapeResult Scraper::StoreAndRevert()
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

void Scraper::RegistrationExtras()
{
    m_cells[store::ColTitle].clear();
    if (!m_readLines || m_page.IsEmpty())
        return;
    const Markers& marks = Marks();
    const std::array<const PageMarker*, 2> wanted{&marks.TitleStart, &marks.PictureBlock};
    bool titleDone = false;
    MarkerWalk walk(m_page);
    // Every picture block is listed: the registration downloads them in turn until one arrives.
    while (auto raw = walk.Next(wanted, {!titleDone, true})) {
        const TextLine line = Decoded(*raw);
        if (!titleDone) {
            const qsizetype open = line.Text.indexOf(marks.TitleStart.Text);
            if (open >= 0) {
                const qsizetype start = open + marks.TitleStart.Text.size();
                const QStringView rest = QStringView(line.Text).sliced(start);
                const qsizetype close =
                    rest.first(std::min(rest.size(), SearchDistance + 8)).indexOf(u"</title>"_s, 1);
                if (close > 0) {
                    QStringView title = rest.first(close);
                    const QString sitePrefix = u"ヤフオク! -"_s;
                    if (title.startsWith(sitePrefix))
                        title = title.sliced(sitePrefix.size());
                    m_cells[store::ColTitle] = TrimControls(title);
                }
                // One title line is enough, whether it closed on it or not.
                titleDone = true;
            }
        }
        if (line.Text.contains(marks.PictureBlock.Text)) {
            if (auto picture = PictureOf(line))
                m_pictures.push_back(std::move(*picture));
        }
        if (!walk.Advance(line.Line))
            break;
    }
}

std::optional<PictureCandidate> Scraper::PictureOf(const TextLine& block) const
{
    const PageMarker& imgSrc = Marks().PictureStart;
    const auto line = NextWith(imgSrc, block);
    if (!line)
        return std::nullopt;
    const qsizetype start = line->Text.indexOf(imgSrc.Text) + imgSrc.Text.size();
    const QStringView rest = QStringView(line->Text).sliced(start);
    const qsizetype quote = rest.first(std::min(rest.size(), SearchDistance + 1)).indexOf(u'"', 1);
    if (quote <= 0)
        return std::nullopt;
    const QString url = TrimControls(rest.first(quote));
    QLatin1StringView extension;
    if (url.endsWith(u"jpg"_s))
        extension = ".jpg"_L1;
    else if (url.endsWith(u"gif"_s))
        extension = ".gif"_L1;
    else
        return std::nullopt;
    return PictureCandidate{url, m_context.DataDir + store::ImageName(m_komoku, m_row - 1, extension)};
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

ScrapeResult ScrapeItemPage(ScrapeContext& context, QByteArrayView body, const QString& address, int komoku,
                            int row)
{
    if (!HasSlot(context, komoku, row))
        return ScrapeResult::Failed(NoSuchSlotMessage());
    const PageLines page(body);
    if (page.IsEmpty()) {
        context.Dialogs.showMessage(EmptyPageMessage());
        return {};
    }
    const bool readLines = address.startsWith(ItemPagePrefix());
    ScrapingFlag scraping(context.Model.Scraping);
    return Scraper(context, page, readLines, komoku, row).Run();
}

} // namespace retrieval
