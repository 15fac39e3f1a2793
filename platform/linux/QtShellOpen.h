#pragma once

#include "platform/ShellOpen.h"

namespace platform {

class QtShellOpen final : public ShellOpen {
public:
    bool open(const QString& target) override;
};

} // namespace platform
