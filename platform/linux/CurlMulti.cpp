#include "platform/linux/CurlMulti.h"

#include "platform/linux/CurlSetup.h"

#include <QSocketNotifier>

#include <malloc.h>

namespace platform {

// The notifiers of one socket; libcurl keeps a pointer to it beside the socket.
struct CurlMulti::SocketWatch {
    std::unique_ptr<QSocketNotifier> Read;
    std::unique_ptr<QSocketNotifier> Write;
};

namespace {

// A notifier may be the one whose signal is being handled: it goes once the event loop is back.
void Retire(std::unique_ptr<QSocketNotifier>& notifier)
{
    if (!notifier)
        return;
    notifier->setEnabled(false);
    notifier.release()->deleteLater();
}

} // namespace

CurlMulti::CurlMulti(std::chrono::milliseconds keepIdle) : m_context(std::make_unique<QObject>())
{
    initCurlOnce();
    m_multi = NewMulti();
    m_timer.setSingleShot(true);
    QObject::connect(&m_timer, &QTimer::timeout, m_context.get(), [this] { Act(CURL_SOCKET_TIMEOUT, 0); });
    m_idle.setSingleShot(true);
    m_idle.setInterval(keepIdle);
    QObject::connect(&m_idle, &QTimer::timeout, m_context.get(), [this] { CloseIdleConnections(); });
}

CURLM* CurlMulti::NewMulti()
{
    CURLM* multi = curl_multi_init();
    if (!multi)
        return nullptr;
    curl_multi_setopt(multi, CURLMOPT_SOCKETFUNCTION, &CurlMulti::OnSocket);
    curl_multi_setopt(multi, CURLMOPT_SOCKETDATA, this);
    curl_multi_setopt(multi, CURLMOPT_TIMERFUNCTION, &CurlMulti::OnTimer);
    curl_multi_setopt(multi, CURLMOPT_TIMERDATA, this);
    return multi;
}

void CurlMulti::CloseIdleConnections()
{
    if (!m_multi || !m_running.empty() || !m_ended.empty())
        return;
    // The cleanup closes the kept connections, which libcurl reports through OnSocket.
    curl_multi_cleanup(m_multi);
    m_timer.stop();
    m_multi = NewMulti();
    // Their TLS state was most of a MiB in small pieces among longer-lived ones: the free pages
    // between them go back to the system.
    malloc_trim(0);
}

CurlMulti::~CurlMulti()
{
    m_timer.stop();
    m_ended.clear();
    // Removing a handle closes its sockets, which libcurl reports through OnSocket.
    while (!m_running.empty())
        Abort(m_running.begin()->first);
    if (m_multi)
        curl_multi_cleanup(m_multi);
}

bool CurlMulti::Start(CURL* easy, Done done)
{
    if (!m_multi || !easy)
        return false;
    Abort(easy);
    m_idle.stop();
    const std::uint64_t id = m_nextId++;
    m_running[easy] = {id, std::move(done)};
    if (curl_multi_add_handle(m_multi, easy) != CURLM_OK) {
        m_running.erase(easy);
        return false;
    }
    // libcurl has asked for its timer through OnTimer; the transfer starts when it fires.
    return true;
}

void CurlMulti::Abort(CURL* easy)
{
    if (m_running.erase(easy) > 0) {
        curl_multi_remove_handle(m_multi, easy);
        if (m_running.empty())
            m_idle.start();
    }
    for (auto it = m_ended.begin(); it != m_ended.end();) {
        if (it->second.first == easy)
            it = m_ended.erase(it);
        else
            ++it;
    }
}

bool CurlMulti::Running(CURL* easy) const
{
    if (m_running.count(easy) > 0)
        return true;
    for (const auto& ended : m_ended) {
        if (ended.second.first == easy)
            return true;
    }
    return false;
}

int CurlMulti::OnSocket(CURL*, curl_socket_t socket, int what, void* self, void* watch)
{
    static_cast<CurlMulti*>(self)->WatchSocket(socket, what, static_cast<SocketWatch*>(watch));
    return 0;
}

int CurlMulti::OnTimer(CURLM*, long timeoutMs, void* self)
{
    // Called from inside libcurl: only the timer is touched here.
    auto* multi = static_cast<CurlMulti*>(self);
    if (timeoutMs < 0)
        multi->m_timer.stop();
    else
        multi->m_timer.start(static_cast<int>(std::min<long>(timeoutMs, 24L * 60 * 60 * 1000)));
    return 0;
}

void CurlMulti::WatchSocket(curl_socket_t socket, int what, SocketWatch* watch)
{
    // Called from inside libcurl: the notifiers change, libcurl is not called back.
    if (what == CURL_POLL_REMOVE) {
        if (watch) {
            Retire(watch->Read);
            Retire(watch->Write);
            delete watch;
        }
        return;
    }
    if (!watch) {
        watch = new SocketWatch;
        curl_multi_assign(m_multi, socket, watch);
    }
    const auto notify = [this, socket](std::unique_ptr<QSocketNotifier>& notifier, QSocketNotifier::Type type,
                                       int events, bool wanted) {
        if (!wanted) {
            if (notifier)
                notifier->setEnabled(false);
            return;
        }
        if (!notifier) {
            notifier = std::make_unique<QSocketNotifier>(socket, type);
            QObject::connect(notifier.get(), &QSocketNotifier::activated, m_context.get(),
                             [this, socket, events] { Act(socket, events); });
        }
        notifier->setEnabled(true);
    };
    notify(watch->Read, QSocketNotifier::Read, CURL_CSELECT_IN,
           what == CURL_POLL_IN || what == CURL_POLL_INOUT);
    notify(watch->Write, QSocketNotifier::Write, CURL_CSELECT_OUT,
           what == CURL_POLL_OUT || what == CURL_POLL_INOUT);
}

void CurlMulti::Act(curl_socket_t socket, int events)
{
    if (!m_multi)
        return;
    int running = 0;
    curl_multi_socket_action(m_multi, socket, events, &running);
    CollectEnded();
}

void CurlMulti::CollectEnded()
{
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(m_multi, &left)) {
        if (message->msg != CURLMSG_DONE)
            continue;
        CURL* easy = message->easy_handle;
        const CURLcode result = message->data.result;
        curl_multi_remove_handle(m_multi, easy);
        auto it = m_running.find(easy);
        if (it == m_running.end())
            continue;
        const std::uint64_t id = it->second.Id;
        m_ended[id] = {easy, {std::move(it->second.Callback), result}};
        m_running.erase(it);
        // The caller may start the next transfer from its callback: that is done outside libcurl.
        QMetaObject::invokeMethod(
            m_context.get(), [this, id] { Deliver(id); }, Qt::QueuedConnection);
    }
}

void CurlMulti::Deliver(std::uint64_t id)
{
    const auto it = m_ended.find(id);
    if (it == m_ended.end())
        return;
    auto [callback, result] = std::move(it->second.second);
    m_ended.erase(it);
    if (m_running.empty() && m_ended.empty())
        m_idle.start();
    // The callback may start the next transfer, which stops the idle timer again.
    if (callback)
        callback(result);
}

} // namespace platform
