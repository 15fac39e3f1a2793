#pragma once

#include "platform/Dialogs.h"

namespace platform {

class QtDialogs final : public Dialogs {
public:
    void showMessage(const QString& text, const QString& caption, MessageIcon icon) override;
    bool askYesNo(const QString& text, const QString& caption, MessageIcon icon, bool topmost) override;

    // The message texts use a lone carriage return as the line break.
    static QString toDisplayText(const QString& text);
};

} // namespace platform
