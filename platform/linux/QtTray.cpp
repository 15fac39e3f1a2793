#include "platform/linux/QtTray.h"

#include "platform/linux/QtDialogs.h"

#include <QCursor>

namespace platform {

QtTray::QtTray(const QIcon& icon, QObject* parent) : QObject(parent)
{
    m_showAction = m_menu.addAction(QStringLiteral("設定画面を起動(&S)"));
    m_menu.addSeparator();
    m_exitAction = m_menu.addAction(QStringLiteral("終了(&E)"));
    connect(m_showAction, &QAction::triggered, this, [this] {
        if (m_handlers.ShowCommand)
            m_handlers.ShowCommand();
    });
    connect(m_exitAction, &QAction::triggered, this, [this] {
        if (m_handlers.ExitCommand)
            m_handlers.ExitCommand();
    });
    m_icon.setIcon(icon);
    // Tray hosts that draw the menu themselves need it attached to the icon.
    m_icon.setContextMenu(&m_menu);
    connect(&m_icon, &QSystemTrayIcon::activated, this, &QtTray::onActivated);
}

void QtTray::setHandlers(Handlers handlers)
{
    m_handlers = std::move(handlers);
}

void QtTray::setVisible(bool visible)
{
    m_icon.setVisible(visible);
}

void QtTray::setHint(const QString& hint)
{
    m_icon.setToolTip(QtDialogs::toDisplayText(hint));
}

void QtTray::showBalloon(const QString& title, const QString& text)
{
    m_icon.showMessage(title, QtDialogs::toDisplayText(text), QSystemTrayIcon::Information);
}

void QtTray::setMenuEnabled(bool showCommand, bool exitCommand)
{
    m_showAction->setEnabled(showCommand);
    m_exitAction->setEnabled(exitCommand);
}

void QtTray::popupMenu()
{
    if (!m_menu.isVisible())
        m_menu.popup(QCursor::pos());
}

bool QtTray::isAvailable() const
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void QtTray::onActivated(QSystemTrayIcon::ActivationReason reason)
{
    if (!m_handlers.MouseUp)
        return;
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        m_handlers.MouseUp(MouseButton::Left);
        break;
    case QSystemTrayIcon::Context:
        m_handlers.MouseUp(MouseButton::Right);
        break;
    case QSystemTrayIcon::MiddleClick:
        m_handlers.MouseUp(MouseButton::Middle);
        break;
    case QSystemTrayIcon::DoubleClick:
    case QSystemTrayIcon::Unknown:
        break;
    }
}

} // namespace platform
