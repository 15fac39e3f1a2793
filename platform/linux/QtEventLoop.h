#pragma once

#include "platform/EventLoop.h"

namespace platform {

class QtEventLoop final : public EventLoop {
public:
    void processEvents() override;
    void quit() override;
};

} // namespace platform
