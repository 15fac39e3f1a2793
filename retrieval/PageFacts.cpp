#include "retrieval/PageFacts.h"

#include "retrieval/FetchPage.h"
#include "retrieval/PageLines.h"

#include <array>

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

class PageReader final {
public:
    explicit PageReader(const PageLines& page) : m_page(page) {}

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
    const auto valueLine = NextWith(Marks().PriceValue, heading);
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
    const PageMarker& heading = Marks().CountHeading;
    for (auto line = FindLine(heading, 0); line && m_page.HasNext(line->Line);
         line = NextWith(heading, *line)) {
        const QString value = m_page.Decode(m_page.LineFrom(line->Line.Next));
        const qsizetype link = value.indexOf(u"<a href="_s);
        if (link < 0)
            continue;
        return PageFacts::Field{link > CountValueOffset ? TrimControls(QStringView(value).sliced(
                                                              CountValueOffset, link - CountValueOffset))
                                                        : QString(),
                                line->Line.Begin};
    }
    return std::nullopt;
}

std::optional<PageFacts::EndTime> PageReader::FirstEndTime() const
{
    const Markers& marks = Marks();
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
    end.Month = TrimControls(QStringView(text).mid(s + 5, 2));
    end.Day = TrimControls(QStringView(text).mid(s + 8, 2));
    const qsizetype colon = text.indexOf(u':', s);
    if (colon >= 0) {
        end.Hour = TrimControls(QStringView(text).mid(colon - 2, 2));
        end.Minute = TrimControls(QStringView(text).mid(colon + 1, 2));
    }
    end.Line = heading->Line.Begin;
    return end;
}

void PageReader::EndedNotices(PageFacts& facts) const
{
    const PageMarker& notice = Marks().EndedNotice;
    const auto first = FindLine(notice, 0);
    if (!first)
        return;
    facts.EndedNotice = first->Line.Begin;
    if (const auto next = NextWith(notice, *first))
        facts.EndedNoticeAgain = next->Line.Begin;
}

void PageReader::TitleAndPictures(PageFacts& facts) const
{
    const Markers& marks = Marks();
    const std::array<const PageMarker*, 2> wanted{&marks.TitleStart, &marks.PictureBlock};
    bool titleDone = false;
    MarkerWalk walk(m_page);
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
                    facts.Title = TrimControls(title);
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
    const PageMarker& imgSrc = Marks().PictureStart;
    const auto line = NextWith(imgSrc, block);
    if (!line)
        return std::nullopt;
    const qsizetype start = line->Text.indexOf(imgSrc.Text) + imgSrc.Text.size();
    const QStringView rest = QStringView(line->Text).sliced(start);
    const qsizetype quote = rest.first(std::min(rest.size(), SearchDistance + 1)).indexOf(u'"', 1);
    if (quote <= 0)
        return std::nullopt;
    QString url = TrimControls(rest.first(quote));
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

PageFacts ReadItemPage(QByteArrayView body, const QString& address, PageRead read)
{
    const PageLines page(body);
    PageFacts facts;
    facts.Empty = page.IsEmpty();
    facts.Read = !facts.Empty && address.startsWith(ItemPagePrefix());
    if (!facts.Read)
        return facts;
    const PageReader reader(page);
    facts.Kakaku = reader.FirstPrice(Marks().PriceHeading);
    facts.Sokketugaku = reader.FirstPrice(Marks().SokketuHeading);
    facts.Nyusatu = reader.FirstBidCount();
    facts.ShuryoTime = reader.FirstEndTime();
    reader.EndedNotices(facts);
    if (read == PageRead::Registration)
        reader.TitleAndPictures(facts);
    return facts;
}

} // namespace retrieval
