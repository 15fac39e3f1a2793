#pragma once

#include "platform/Clock.h"

namespace platform {

class SteadyClock final : public Clock {
public:
    std::uint32_t tickCount() const override;
    QDateTime now() const override;
    void sleep(int milliseconds) override;
};

} // namespace platform
