#pragma once

#include "platform/PowerNotices.h"

#include <QDBusConnection>
#include <QObject>

namespace platform {

// Suspend and resume as logind announces them on the system bus. Without a
// reachable system bus (a container, a minimal session) nothing is delivered.
class LogindPowerNotices final : public QObject, public PowerNotices {
    Q_OBJECT

public:
    explicit LogindPowerNotices(const QDBusConnection& bus = QDBusConnection::systemBus(),
                                QObject* parent = nullptr);

    void listen(std::function<void(int code)> handler) override;

private slots:
    void onPrepareForSleep(bool start);

private:
    QDBusConnection m_bus;
    std::function<void(int code)> m_handler;
};

} // namespace platform
