#include "retrieval/PageFacts.h"

#include "retrieval/FetchPage.h"
#include "retrieval/PageLines.h"
#include "retrieval/PageMarkers.h"

#include <array>

using namespace Qt::StringLiterals;

namespace retrieval {

namespace {

// The price is read up to its "円", which it keeps: the stored prices are written so.
constexpr QChar Yen = u'円';
constexpr qsizetype PriceSearchLength = 100;
// How far after its start the end of a title or a picture address is looked for.
constexpr qsizetype SearchDistance = 1000;

// The text from the start of rest up to the nearest end marker that begins 1 to SearchDistance
// characters into it; none when there is none.
std::optional<QStringView> UpTo(QStringView rest, const PageMarker& end)
{
    const qsizetype at =
        rest.first(std::min(rest.size(), SearchDistance + end.Text.size())).indexOf(end.Text, 1);
    if (at <= 0)
        return std::nullopt;
    return rest.first(at);
}

// One line of the page together with its text.
struct TextLine final {
    PageLines::Line Line;
    QString Text;
};

class PageReader final {
public:
    PageReader(const PageLines& page, const PageMarkers& markers) : m_page(page), m_marks(markers) {}

    std::optional<PageFacts::Field> FirstPrice(const PageMarker& heading) const;
    std::optional<PageFacts::Field> FirstBidCount() const;
    std::optional<PageFacts::EndTime> FirstEndTime() const;
    void EndedNotices(PageFacts& facts) const;
    void TitleAndPictures(PageFacts& facts) const;

private:
    TextLine Decoded(const PageLines::Line& line) const { return {line, m_page.Decode(line)}; }
    // The first line at or after from whose text holds the marker. A line whose bytes hold
    // it always does: no character of a marker comes from another through the text form.
    std::optional<TextLine> FindLine(const PageMarker& marker, qsizetype from) const;
    std::optional<TextLine> NextWith(const PageMarker& marker, const TextLine& after) const;
    std::optional<QString> PriceAfter(const TextLine& heading) const;
    std::optional<PageFacts::Picture> PictureOf(const TextLine& block) const;

    const PageLines& m_page;
    const PageMarkers& m_marks;
};

std::optional<TextLine> PageReader::FindLine(const PageMarker& marker, qsizetype from) const
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

std::optional<TextLine> PageReader::NextWith(const PageMarker& marker, const TextLine& after) const
{
    if (!m_page.HasNext(after.Line))
        return std::nullopt;
    return FindLine(marker, after.Line.Next);
}

std::optional<QString> PageReader::PriceAfter(const TextLine& heading) const
{
    const auto valueLine = NextWith(m_marks.PriceValue, heading);
    if (!valueLine || !m_page.HasNext(valueLine->Line))
        return std::nullopt;
    const QString price = m_page.Decode(m_page.LineFrom(valueLine->Line.Next));
    const qsizetype yen = QStringView(price).first(std::min(price.size(), PriceSearchLength)).indexOf(Yen);
    if (yen < 0)
        return std::nullopt;
    return TrimControls(QStringView(price).first(yen)) + Yen;
}

std::optional<PageFacts::Field> PageReader::FirstPrice(const PageMarker& heading) const
{
    for (auto line = FindLine(heading, 0); line; line = NextWith(heading, *line)) {
        if (auto price = PriceAfter(*line))
            return PageFacts::Field{std::move(*price), line->Line.Begin};
    }
    return std::nullopt;
}

std::optional<PageFacts::Field> PageReader::FirstBidCount() const
{
    const PageMarker& heading = m_marks.CountHeading;
    // The value line is expected to begin with CountValue; the count follows it.
    const qsizetype offset = m_marks.CountValue.Text.size();
    for (auto line = FindLine(heading, 0); line && m_page.HasNext(line->Line);
         line = NextWith(heading, *line)) {
        const QString value = m_page.Decode(m_page.LineFrom(line->Line.Next));
        const qsizetype link = value.indexOf(m_marks.CountEnd.Text);
        if (link < 0)
            continue;
        return PageFacts::Field{link > offset ? TrimControls(QStringView(value).sliced(offset, link - offset))
                                              : QString(),
                                line->Line.Begin};
    }
    return std::nullopt;
}

std::optional<PageFacts::EndTime> PageReader::FirstEndTime() const
{
    const PageMarkers& marks = m_marks;
    // The value is looked for down to the end of the page: when the first heading has
    // none after it, no later heading has one.
    const auto heading = FindLine(marks.EndHeading, 0);
    if (!heading)
        return std::nullopt;
    const auto valueLine = NextWith(marks.EndValue, *heading);
    if (!valueLine)
        return std::nullopt;
    const QString& text = valueLine->Text;
    // s: the first character after the value marker; the year standing there is not used.
    const qsizetype s = text.indexOf(marks.EndValue.Text) + marks.EndValue.Text.size();
    PageFacts::EndTime end;
    end.Month = TrimControls(QStringView(text).mid(s + marks.EndMonthOffset, 2));
    end.Day = TrimControls(QStringView(text).mid(s + marks.EndDayOffset, 2));
    const qsizetype colon = text.indexOf(marks.TimeSeparator.Text, s);
    if (colon >= 0) {
        end.Hour = TrimControls(QStringView(text).mid(colon - 2, 2));
        end.Minute = TrimControls(QStringView(text).mid(colon + marks.TimeSeparator.Text.size(), 2));
    }
    end.Line = heading->Line.Begin;
    return end;
}

void PageReader::EndedNotices(PageFacts& facts) const
{
    const PageMarker& notice = m_marks.EndedNotice;
    const auto first = FindLine(notice, 0);
    if (!first)
        return;
    facts.EndedNotice = first->Line.Begin;
    if (const auto next = NextWith(notice, *first))
        facts.EndedNoticeAgain = next->Line.Begin;
}

void PageReader::TitleAndPictures(PageFacts& facts) const
{
    const PageMarkers& marks = m_marks;
    const std::array<const PageMarker*, 2> wanted{&marks.TitleStart, &marks.PictureBlock};
    bool titleDone = false;
    MarkerWalk walk(m_page);
    while (auto raw = walk.Next(wanted, {!titleDone, true})) {
        const TextLine line = Decoded(*raw);
        if (!titleDone) {
            const qsizetype open = line.Text.indexOf(marks.TitleStart.Text);
            if (open >= 0) {
                const qsizetype start = open + marks.TitleStart.Text.size();
                if (auto title = UpTo(QStringView(line.Text).sliced(start), marks.TitleEnd)) {
                    if (title->startsWith(marks.TitlePrefix.Text))
                        *title = title->sliced(marks.TitlePrefix.Text.size());
                    facts.Title = TrimControls(*title);
                }
                // One title line is enough, whether it closed on it or not.
                titleDone = true;
            }
        }
        if (line.Text.contains(marks.PictureBlock.Text)) {
            if (auto picture = PictureOf(line))
                facts.Pictures.push_back(std::move(*picture));
        }
        if (!walk.Advance(line.Line))
            break;
    }
}

std::optional<PageFacts::Picture> PageReader::PictureOf(const TextLine& block) const
{
    const PageMarker& imgSrc = m_marks.PictureStart;
    const auto line = NextWith(imgSrc, block);
    if (!line)
        return std::nullopt;
    const qsizetype start = line->Text.indexOf(imgSrc.Text) + imgSrc.Text.size();
    const auto address = UpTo(QStringView(line->Text).sliced(start), m_marks.PictureEnd);
    if (!address)
        return std::nullopt;
    QString url = TrimControls(*address);
    QLatin1StringView extension;
    if (url.endsWith(u"jpg"_s))
        extension = ".jpg"_L1;
    else if (url.endsWith(u"gif"_s))
        extension = ".gif"_L1;
    else
        return std::nullopt;
    return PageFacts::Picture{std::move(url), extension, block.Line.Begin};
}

} // namespace

PageFacts ReadItemPage(QByteArrayView body, const QString& address, const PageMarkers& markers, PageRead read)
{
    const PageLines page(body);
    PageFacts facts;
    facts.Empty = page.IsEmpty();
    facts.Read = !facts.Empty && address.startsWith(ItemPagePrefix());
    if (!facts.Read)
        return facts;
    const PageReader reader(page, markers);
    facts.Kakaku = reader.FirstPrice(markers.PriceHeading);
    facts.Sokketugaku = reader.FirstPrice(markers.SokketuHeading);
    facts.Nyusatu = reader.FirstBidCount();
    facts.ShuryoTime = reader.FirstEndTime();
    reader.EndedNotices(facts);
    if (read == PageRead::Registration)
        reader.TitleAndPictures(facts);
    return facts;
}

} // namespace retrieval
