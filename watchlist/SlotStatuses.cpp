#include "watchlist/SlotStatuses.h"

namespace watchlist {

shell::SlotStatus& SlotStatuses::Of(int komoku, int slot)
{
    if (shell::SlotStatus* status = m_resident.Status(komoku, slot))
        return *status;
    m_spare = {};
    return m_spare;
}

} // namespace watchlist
