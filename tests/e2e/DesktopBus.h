#pragma once

#include <QDBusConnection>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QThread>

#include <memory>
#include <mutex>
#include <vector>

namespace e2e {

struct Balloon {
    QString title;
    QString text;
};

struct TrayMenuItem {
    int id = 0;
    QString label; // as the menu shows it, the mnemonic marked with "_"
    bool enabled = true;
};

// A private session bus with what a desktop offers a tray program on it: a status-notifier
// watcher, so that Qt shows the tray icon as a StatusNotifierItem on this bus, and a
// notification server that records the balloons. The test reads the icon's hint and works its
// menu through the item's own interfaces, as a tray host would. The services answer on a
// thread of their own, so a test may block while the program talks to them.
class DesktopBus final {
public:
    explicit DesktopBus(const QString& workDir);
    ~DesktopBus();
    DesktopBus(const DesktopBus&) = delete;
    DesktopBus& operator=(const DesktopBus&) = delete;

    // Empty when the bus and its services are up, otherwise what went wrong.
    QString error() const { return m_error; }
    QString address() const { return m_address; }

    std::vector<Balloon> balloons() const;
    // Bus names of the tray icons registered with the watcher, latest last.
    QStringList trayItems() const;
    // The latest tray icon's hint (its tool-tip title); empty when there is none.
    QString trayHint() const;
    // The latest tray icon's menu entries, separators left out.
    std::vector<TrayMenuItem> trayMenu() const;
    // Clicks the entry with this label in the latest tray icon's menu.
    bool clickTrayMenu(const QString& label) const;

    struct Records {
        std::mutex mutex;
        std::vector<Balloon> balloons;
        QStringList items;
    };

private:
    QProcess m_daemon;
    QString m_address;
    QString m_error;
    QString m_connectionName;
    QThread m_thread;
    std::shared_ptr<Records> m_records;
    std::vector<QObject*> m_services;
};

} // namespace e2e
