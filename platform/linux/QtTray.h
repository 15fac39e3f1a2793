#pragma once

#include "platform/Tray.h"

#include <QMenu>
#include <QObject>
#include <QSystemTrayIcon>

namespace platform {

class QtTray final : public QObject, public Tray {
    Q_OBJECT

public:
    explicit QtTray(const QIcon& icon, QObject* parent = nullptr);

    void setHandlers(Handlers handlers) override;
    void setVisible(bool visible) override;
    void setHint(const QString& hint) override;
    void showBalloon(const QString& title, const QString& text) override;
    void setMenuEnabled(bool showCommand, bool exitCommand) override;
    void popupMenu() override;
    bool isAvailable() const override;

private:
    void onActivated(QSystemTrayIcon::ActivationReason reason);

    QMenu m_menu;
    QAction* m_showAction = nullptr;
    QAction* m_exitAction = nullptr;
    QSystemTrayIcon m_icon;
    Handlers m_handlers;
};

} // namespace platform
