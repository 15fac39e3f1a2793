#pragma once

#include "platform/Clipboard.h"

namespace platform {

// The desktop's clipboard (not the mouse selection), read with the rules of a drop.
class QtClipboard final : public Clipboard {
public:
    QImage picture() const override;
    QString text() const override;
};

} // namespace platform
