#pragma once

#include <QString>

namespace platform {

enum class MessageIcon { None, Information, Question, Warning, Error };

// Modal message boxes. A lone carriage return in a text breaks the line.
class Dialogs {
public:
    virtual ~Dialogs() = default;

    // OK box. An empty caption shows the application title.
    virtual void showMessage(const QString& text, const QString& caption = {},
                             MessageIcon icon = MessageIcon::None) = 0;

    // Yes/No question; true when the user answered Yes.
    virtual bool askYesNo(const QString& text, const QString& caption, MessageIcon icon, bool topmost) = 0;
};

} // namespace platform
