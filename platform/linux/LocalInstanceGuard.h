#pragma once

#include "platform/InstanceGuard.h"

#include <QLocalServer>
#include <QLockFile>
#include <QObject>

namespace platform {

// One instance per user: a lock file decides who runs, a local socket beside it
// lets a later start reach the running instance. The lock records the owner's
// process id, so the lock of a crashed instance is taken over, never obeyed.
class LocalInstanceGuard final : public QObject, public InstanceGuard {
    Q_OBJECT

public:
    // The files are named after name and live in folder (the per-user runtime folder by default).
    explicit LocalInstanceGuard(const QString& name, const QString& folder = {}, QObject* parent = nullptr);
    ~LocalInstanceGuard() override;

    bool acquire() override;
    bool askRunningToShow() override;
    void listen(std::function<void()> showHandler) override;

    static QString defaultFolder();

private:
    void onNewConnection();

    QString m_socketPath;
    QLockFile m_lock;
    QLocalServer m_server;
    std::function<void()> m_showHandler;
};

} // namespace platform
