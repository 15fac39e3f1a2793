#pragma once

#include "platform/linux/CurlSetup.h"

#include <QByteArray>
#include <QObject>
#include <QTimer>

#include <curl/curl.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>

namespace platform {

// libcurl's multi interface driven by the thread's Qt event loop: a socket notifier for each
// socket libcurl watches, one timer for its time-outs, and curl_multi_socket_action on their
// events. A transfer runs while the thread handles its events; nothing here ever waits.
//
// Each client of the program (item pages, pictures, the probe) has a multi handle of its own,
// so that connections are kept and reused within one client only.
class CurlMulti final {
public:
    // The result of the transfer; the easy handle holds the rest (status, body through its
    // write callback).
    using Done = std::function<void(CURLcode result)>;

    // Connections are closed once no transfer has run for keepIdle.
    explicit CurlMulti(std::chrono::milliseconds keepIdle = CurlOptions().KeepIdle);
    // Aborts whatever still runs; no Done is called.
    ~CurlMulti();
    CurlMulti(const CurlMulti&) = delete;
    CurlMulti& operator=(const CurlMulti&) = delete;

    // Starts the transfer of an easy handle that the caller has set up and keeps alive until
    // it is done or aborted. `done` is called once, from the event loop, never from inside
    // libcurl or from inside Start. False when the transfer could not be started; `done` is
    // then not called. A handle that runs already is aborted first.
    bool Start(CURL* easy, Done done);
    // Stops the handle's transfer at once; its Done is not called. Nothing when it does not run.
    void Abort(CURL* easy);
    // Whether the handle's transfer runs or has ended without its Done having been called yet.
    bool Running(CURL* easy) const;

private:
    struct SocketWatch;
    struct Transfer {
        std::uint64_t Id = 0;
        Done Callback;
    };

    // A multi handle with this object's callbacks, or null.
    CURLM* NewMulti();
    // Closes the connections kept for reuse, when nothing runs.
    void CloseIdleConnections();
    static int OnSocket(CURL* easy, curl_socket_t socket, int what, void* self, void* watch);
    static int OnTimer(CURLM* multi, long timeoutMs, void* self);
    void WatchSocket(curl_socket_t socket, int what, SocketWatch* watch);
    void Act(curl_socket_t socket, int events);
    // Hands the ended transfers on to their callers through the event loop.
    void CollectEnded();
    void Deliver(std::uint64_t id);

    CURLM* m_multi = nullptr;
    // Context of the queued deliveries: they are dropped with it.
    std::unique_ptr<QObject> m_context;
    QTimer m_timer;
    QTimer m_idle;
    std::map<CURL*, Transfer> m_running;
    // Ended transfers whose callbacks wait for the event loop, by id.
    std::map<std::uint64_t, std::pair<CURL*, std::pair<Done, CURLcode>>> m_ended;
    std::uint64_t m_nextId = 1;
};

// What one client's transfers need, in the order that frees them safely: the header list after
// the handle that refers to it, the multi handle (aborting a transfer of the handle) first.
struct CurlTransfer {
    explicit CurlTransfer(const CurlOptions& options) : curl(options), multi(options.KeepIdle) {}

    CurlList headers;
    CurlEasyHandle curl;
    CurlMulti multi;
    // Context of the deliveries queued to the event loop: they are dropped with it.
    std::unique_ptr<QObject> deferred = std::make_unique<QObject>();
    QByteArray body;
    QByteArray address;
};

} // namespace platform
