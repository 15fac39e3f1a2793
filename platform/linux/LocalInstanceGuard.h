#pragma once

#include "platform/InstanceGuard.h"

#include <QLocalServer>
#include <QLockFile>
#include <QObject>

#include <memory>

class QLocalSocket;

namespace platform {

// One instance per user: a lock file decides who runs, a local socket beside it
// lets a later start reach the running instance. The lock records the owner's
// process id, so the lock of a crashed instance is taken over, never obeyed.
// A later start sends one line: "show", or "register <address>", which is answered "ok".
// The files live in a folder only the user can reach; without one the program runs without
// the guard and says so.
class LocalInstanceGuard final : public QObject, public InstanceGuard {
    Q_OBJECT

public:
    // The files are named after name and live in folder (the per-user runtime folder by default).
    explicit LocalInstanceGuard(const QString& name, const QString& folder = {}, QObject* parent = nullptr);
    ~LocalInstanceGuard() override;

    bool acquire() override;
    bool askRunningToShow() override;
    bool askRunningToRegister(const QString& address) override;
    void listen(std::function<void()> showHandler,
                std::function<void(const QString& address)> registerHandler) override;

    // XDG_RUNTIME_DIR, or else "<temp>/mirubero-<uid>", made if missing. Empty when that folder
    // cannot be made, or is not the user's own real folder (a link, another user's folder, or one
    // others may enter): whoever could write there could take the socket and the addresses a
    // later start hands over.
    static QString defaultFolder();

private:
    // Sends one request line; with awaitReply it counts as delivered only once the instance says so.
    bool send(const QByteArray& request, bool awaitReply);
    void onNewConnection();
    void answer(QLocalSocket* socket, const QByteArray& request);

    // Empty without a folder of the user's own.
    QString m_socketPath;
    QString m_refusedFolder;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer m_server;
    std::function<void()> m_showHandler;
    std::function<void(const QString& address)> m_registerHandler;
};

} // namespace platform
