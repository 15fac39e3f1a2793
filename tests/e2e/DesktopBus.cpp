#include "e2e/DesktopBus.h"
#include "support/PrivateBus.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QDeadlineTimer>
#include <QFile>
#include <QStandardPaths>

namespace e2e {

namespace {

using namespace Qt::StringLiterals;

constexpr int WaitMs = 5000;

const QString WatcherService = u"org.kde.StatusNotifierWatcher"_s;
const QString NotificationsService = u"org.freedesktop.Notifications"_s;

// The watcher: tells clients that a tray host is there and takes their item registrations.
// Qt reads its property through an introspecting interface, so the introspection must declare it.
class Watcher final : public QDBusVirtualObject {
public:
    explicit Watcher(std::shared_ptr<DesktopBus::Records> records) : m_records(std::move(records)) {}

    QString introspect(const QString&) const override
    {
        return uR"(<interface name="org.kde.StatusNotifierWatcher">
  <method name="RegisterStatusNotifierItem"><arg name="service" type="s" direction="in"/></method>
  <method name="RegisterStatusNotifierHost"><arg name="service" type="s" direction="in"/></method>
  <property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
  <property name="ProtocolVersion" type="i" access="read"/>
  <property name="RegisteredStatusNotifierItems" type="as" access="read"/>
</interface>)"_s;
    }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override
    {
        const QString member = message.member();
        if (member == u"Introspect"_s) {
            connection.send(message.createReply(
                u"<!DOCTYPE node PUBLIC \"-//freedesktop//DTD D-BUS Object Introspection 1.0//EN\" "
                u"\"http://www.freedesktop.org/standards/dbus/1.0/introspect.dtd\">\n<node>"_s +
                introspect({}) + u"</node>"_s));
        } else if (member == u"Get"_s && message.arguments().size() == 2) {
            const QString name = message.arguments().at(1).toString();
            QVariant value;
            if (name == u"IsStatusNotifierHostRegistered"_s)
                value = true;
            else if (name == u"ProtocolVersion"_s)
                value = 0;
            else {
                std::lock_guard lock(m_records->mutex);
                value = m_records->items;
            }
            connection.send(message.createReply(QVariant::fromValue(QDBusVariant(value))));
        } else if (member == u"GetAll"_s) {
            std::lock_guard lock(m_records->mutex);
            connection.send(message.createReply(
                QVariant::fromValue(QVariantMap{{u"IsStatusNotifierHostRegistered"_s, true},
                                                {u"ProtocolVersion"_s, 0},
                                                {u"RegisteredStatusNotifierItems"_s, m_records->items}})));
        } else if (member == u"RegisterStatusNotifierItem"_s && !message.arguments().isEmpty()) {
            {
                std::lock_guard lock(m_records->mutex);
                m_records->items << message.arguments().constFirst().toString();
            }
            connection.send(message.createReply());
        } else {
            connection.send(message.createReply());
        }
        return true;
    }

private:
    std::shared_ptr<DesktopBus::Records> m_records;
};

// The notification server: records what would be shown.
class Notifications final : public QDBusVirtualObject {
public:
    explicit Notifications(std::shared_ptr<DesktopBus::Records> records) : m_records(std::move(records)) {}

    QString introspect(const QString&) const override { return {}; }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override
    {
        const QString member = message.member();
        const QVariantList args = message.arguments();
        if (member == u"Notify"_s && args.size() >= 5) {
            uint id = 0;
            {
                std::lock_guard lock(m_records->mutex);
                m_records->balloons.push_back({args.at(3).toString(), args.at(4).toString()});
                id = static_cast<uint>(m_records->balloons.size());
            }
            connection.send(message.createReply(QVariant::fromValue(id)));
        } else if (member == u"GetCapabilities"_s) {
            connection.send(message.createReply(QStringList{u"body"_s}));
        } else if (member == u"GetServerInformation"_s) {
            connection.send(
                message.createReply(QVariantList{u"e2e"_s, u"mirubero tests"_s, u"1"_s, u"1.2"_s}));
        } else {
            connection.send(message.createReply());
        }
        return true;
    }

private:
    std::shared_ptr<DesktopBus::Records> m_records;
};

// One entry of a com.canonical.dbusmenu layout, (ia{sv}av), with its children.
void ReadLayout(const QDBusArgument& argument, std::vector<TrayMenuItem>& items)
{
    int id = 0;
    QVariantMap properties;
    argument.beginStructure();
    argument >> id >> properties;
    if (properties.value(u"type"_s).toString() != u"separator"_s && properties.contains(u"label"_s))
        items.push_back(
            {id, properties.value(u"label"_s).toString(), properties.value(u"enabled"_s, true).toBool()});
    argument.beginArray();
    while (!argument.atEnd()) {
        QDBusVariant child;
        argument >> child;
        ReadLayout(child.variant().value<QDBusArgument>(), items);
    }
    argument.endArray();
    argument.endStructure();
}

} // namespace

DesktopBus::DesktopBus(const QString& workDir) : m_records(std::make_shared<Records>())
{
    const QString daemon = QStandardPaths::findExecutable(u"dbus-daemon"_s);
    if (daemon.isEmpty()) {
        m_error = u"dbus-daemon is missing (Debian package dbus-daemon)"_s;
        return;
    }
    QFile config(workDir + u"/desktop-bus.conf"_s);
    if (!config.open(QIODevice::WriteOnly) ||
        config.write(
            QString::fromUtf8(testsupport::PrivateBusConfig).arg(workDir + u"/desktop-bus"_s).toUtf8()) < 0) {
        m_error = u"cannot write "_s + config.fileName();
        return;
    }
    config.close();
    m_daemon.start(daemon, {u"--config-file="_s + config.fileName(), u"--print-address"_s, u"--nofork"_s});
    // The daemon prints its address once the socket accepts connections.
    const QDeadlineTimer deadline(WaitMs);
    while (m_daemon.waitForStarted(WaitMs) && !m_daemon.canReadLine() && !deadline.hasExpired())
        m_daemon.waitForReadyRead(static_cast<int>(deadline.remainingTime()));
    m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
    if (m_address.isEmpty()) {
        m_error = u"dbus-daemon did not start: "_s + QString::fromLocal8Bit(m_daemon.readAllStandardError());
        return;
    }

    m_connectionName = u"e2e-desktop-"_s + QString::number(reinterpret_cast<quintptr>(this));
    QDBusConnection bus = QDBusConnection::connectToBus(m_address, m_connectionName);
    if (!bus.isConnected()) {
        m_error = bus.lastError().message();
        return;
    }
    m_thread.start();
    auto* watcher = new Watcher(m_records);
    auto* notifications = new Notifications(m_records);
    m_services = {watcher, notifications};
    for (QObject* service : m_services)
        service->moveToThread(&m_thread);
    if (!bus.registerVirtualObject(u"/StatusNotifierWatcher"_s, watcher) ||
        !bus.registerVirtualObject(u"/org/freedesktop/Notifications"_s, notifications) ||
        !bus.registerService(WatcherService) || !bus.registerService(NotificationsService))
        m_error = u"cannot register the desktop services: "_s + bus.lastError().message();
}

DesktopBus::~DesktopBus()
{
    if (!m_connectionName.isEmpty())
        QDBusConnection::disconnectFromBus(m_connectionName);
    m_thread.quit();
    m_thread.wait(WaitMs);
    for (QObject* service : m_services)
        delete service;
    if (m_daemon.state() != QProcess::NotRunning) {
        m_daemon.terminate();
        if (!m_daemon.waitForFinished(WaitMs))
            m_daemon.kill();
        m_daemon.waitForFinished(WaitMs);
    }
}

std::vector<Balloon> DesktopBus::balloons() const
{
    std::lock_guard lock(m_records->mutex);
    return m_records->balloons;
}

QStringList DesktopBus::trayItems() const
{
    std::lock_guard lock(m_records->mutex);
    return m_records->items;
}

QString DesktopBus::trayHint() const
{
    const QStringList items = trayItems();
    if (items.isEmpty())
        return {};
    QDBusMessage get = QDBusMessage::createMethodCall(items.last(), u"/StatusNotifierItem"_s,
                                                      u"org.freedesktop.DBus.Properties"_s, u"Get"_s);
    get << u"org.kde.StatusNotifierItem"_s << u"ToolTip"_s;
    const QDBusMessage reply = QDBusConnection(m_connectionName).call(get, QDBus::Block, WaitMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    // (icon name, icon pixmaps a(iiay), title, text)
    const QDBusArgument tip =
        reply.arguments().constFirst().value<QDBusVariant>().variant().value<QDBusArgument>();
    QString iconName;
    QString title;
    QString text;
    tip.beginStructure();
    tip >> iconName;
    tip.beginArray();
    while (!tip.atEnd()) {
        int width = 0;
        int height = 0;
        QByteArray pixels;
        tip.beginStructure();
        tip >> width >> height >> pixels;
        tip.endStructure();
    }
    tip.endArray();
    tip >> title >> text;
    tip.endStructure();
    return title;
}

std::vector<TrayMenuItem> DesktopBus::trayMenu() const
{
    std::vector<TrayMenuItem> items;
    const QStringList trays = trayItems();
    if (trays.isEmpty())
        return items;
    QDBusMessage call = QDBusMessage::createMethodCall(trays.last(), u"/MenuBar"_s,
                                                       u"com.canonical.dbusmenu"_s, u"GetLayout"_s);
    call << 0 << -1 << QStringList();
    const QDBusMessage reply = QDBusConnection(m_connectionName).call(call, QDBus::Block, WaitMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() < 2)
        return items;
    ReadLayout(reply.arguments().at(1).value<QDBusArgument>(), items);
    return items;
}

bool DesktopBus::clickTrayMenu(const QString& label) const
{
    const QStringList trays = trayItems();
    for (const TrayMenuItem& item : trayMenu()) {
        if (item.label != label)
            continue;
        QDBusMessage call = QDBusMessage::createMethodCall(trays.last(), u"/MenuBar"_s,
                                                           u"com.canonical.dbusmenu"_s, u"Event"_s);
        call << item.id << u"clicked"_s << QVariant::fromValue(QDBusVariant(0)) << 0u;
        return QDBusConnection(m_connectionName).call(call, QDBus::Block, WaitMs).type() ==
               QDBusMessage::ReplyMessage;
    }
    return false;
}

} // namespace e2e
