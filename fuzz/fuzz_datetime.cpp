// The date-time text of the stored files: any text reads as a day count or as 0, and a day
// count read back from its own text is the same day count.
#include "store/DayCount.h"

#include <QString>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const double days = store::DayCountFromText(text);
    if (days == 0)
        return 0;
    if (!store::FromDayCount(days).isValid())
        std::abort(); // a day count was read that names no date-time
    const QString written = store::DayCountToText(days);
    if (store::DayCountFromText(written) != days)
        std::abort(); // its own text reads as another day count
    return 0;
}
