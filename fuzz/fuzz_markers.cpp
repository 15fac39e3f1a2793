// The marker file's reader: any bytes are either refused with a reason, or give markers whose
// texts are not empty and are held by the stored files' code page, with offsets of at most
// 1000 characters. A page written from the markers' own texts then reads without fault and
// shows its price and bid count, whatever the texts are.
#include "retrieval/ItemPages.h"
#include "retrieval/PageFacts.h"
#include "retrieval/PageMarkers.h"
#include "store/Cp932.h"

#include <QByteArray>

#include <cstdint>
#include <cstdlib>

namespace {

bool Holdable(const retrieval::PageMarker& marker)
{
    return !marker.Text.isEmpty() && store::FromCp932(store::ToCp932(marker.Text)) == marker.Text &&
           marker.Bytes == marker.Text.toUtf8();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const retrieval::ParsedPageMarkers parsed = retrieval::ParsePageMarkers(bytes);
    if (!parsed.Markers) {
        if (parsed.Error.isEmpty())
            std::abort(); // refused without a reason
        return 0;
    }
    if (!parsed.Error.isEmpty())
        std::abort();
    const retrieval::PageMarkers& m = *parsed.Markers;
    for (const retrieval::PageMarker* marker :
         {&m.PriceHeading, &m.PriceValue, &m.SokketuHeading, &m.CountHeading, &m.CountValue, &m.CountEnd,
          &m.EndHeading, &m.EndValue, &m.TimeSeparator, &m.EndedNotice, &m.TitleStart, &m.TitleEnd,
          &m.TitlePrefix, &m.PictureBlock, &m.PictureStart, &m.PictureEnd}) {
        if (!Holdable(*marker))
            std::abort();
    }
    if (m.EndMonthOffset < 0 || m.EndMonthOffset > 1000 || m.EndDayOffset < 0 || m.EndDayOffset > 1000)
        std::abort();

    // Each block alone on its lines, the value line of the price right below its heading.
    using namespace Qt::StringLiterals;
    const QStringList lines{m.PriceHeading.Text,
                            m.PriceValue.Text,
                            u"1,200円"_s,
                            m.CountHeading.Text,
                            m.CountValue.Text + u"5"_s + m.CountEnd.Text,
                            m.EndHeading.Text,
                            m.EndValue.Text + u"2024.05.12（日）21"_s + m.TimeSeparator.Text + u"34"_s,
                            m.EndedNotice.Text,
                            m.TitleStart.Text + m.TitlePrefix.Text + u" x"_s + m.TitleEnd.Text,
                            m.PictureBlock.Text,
                            m.PictureStart.Text + u"https://x/a.jpg"_s + m.PictureEnd.Text};
    const retrieval::PageFacts facts =
        retrieval::ReadItemPage(scrapetest::Page(lines), scrapetest::ItemUrl(), m);
    if (!facts.Read || !facts.Kakaku || !facts.Nyusatu)
        std::abort();
    return 0;
}
