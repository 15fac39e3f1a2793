#pragma once

#include <QString>

#include <functional>

namespace platform {

enum class MouseButton { Left, Right, Middle, Other };

// The task-tray icon with its hint, balloon and two-command menu.
class Tray {
public:
    struct Handlers {
        std::function<void(MouseButton)> MouseUp;
        std::function<void()> ShowCommand; // "設定画面を起動(&S)"
        std::function<void()> ExitCommand; // "終了(&E)"
    };

    virtual ~Tray() = default;

    virtual void setHandlers(Handlers handlers) = 0;
    virtual void setVisible(bool visible) = 0;
    virtual void setHint(const QString& hint) = 0;
    virtual void showBalloon(const QString& title, const QString& text) = 0;
    virtual void setMenuEnabled(bool showCommand, bool exitCommand) = 0;
    // Pops the menu up at the mouse cursor, unless the tray host already shows it.
    virtual void popupMenu() = 0;
    // Whether the desktop offers a tray at all.
    virtual bool isAvailable() const = 0;
};

} // namespace platform
