#pragma once

#include "store/DayCount.h"

#include <QByteArray>
#include <QtGlobal>

#include <ctime>

namespace testsupport {

// Sets the process's time zone for a test and reads it again, as a zone change would; the
// zone before comes back at the end.
class ZoneOverride final {
public:
    explicit ZoneOverride(const char* zone)
        : m_saved(qgetenv("TZ")), m_hadZone(qEnvironmentVariableIsSet("TZ"))
    {
        Set(zone);
    }
    ~ZoneOverride()
    {
        if (m_hadZone)
            qputenv("TZ", m_saved);
        else
            qunsetenv("TZ");
        tzset();
        store::ReadLocalZone();
    }
    ZoneOverride(const ZoneOverride&) = delete;
    ZoneOverride& operator=(const ZoneOverride&) = delete;

    void Set(const char* zone)
    {
        qputenv("TZ", zone);
        tzset();
        store::ReadLocalZone();
    }

private:
    QByteArray m_saved;
    bool m_hadZone;
};

} // namespace testsupport
