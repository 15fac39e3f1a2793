#pragma once

#include "platform/ConnectivityProbe.h"
#include "retrieval/FetchPage.h"
#include "retrieval/SlotPictures.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <optional>

namespace testsupport {

// Runs the event loop until done() holds or the time is up; whether it holds. The loop waits
// for events as the program's own does, looking at done() every millisecond meanwhile. Both
// timers go with the call: a single shot would stay registered until its time is up, long after
// the loop it was to end.
template <typename Done> bool Spin(Done done, int timeoutMs = 120000)
{
    if (done())
        return true;
    QEventLoop loop;
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
    limit.start(timeoutMs);
    look.start(1);
    loop.exec();
    return done();
}

// One fetch of a page client, with the event loop running until it has answered.
inline retrieval::FetchResult FetchNow(retrieval::PageClient& client, const QString& url)
{
    std::optional<retrieval::FetchResult> result;
    client.Fetch(url, [&result](retrieval::FetchResult answer) { result = std::move(answer); });
    Spin([&result] { return result.has_value(); });
    return result.value_or(retrieval::FetchResult{});
}

// One picture download, with the event loop running until it has ended; the body, or empty.
inline QByteArray DownloadNow(retrieval::PictureClient& client, const QString& url)
{
    std::optional<QByteArray> body;
    client.Download(url, [&body](QByteArray bytes) { body = std::move(bytes); });
    Spin([&body] { return body.has_value(); });
    return body.value_or(QByteArray());
}

// One probe, with the event loop running until it has answered.
inline bool ReachNow(platform::ConnectivityProbe& probe, const QString& url)
{
    std::optional<bool> reached;
    probe.reach(url, [&reached](bool answer) { reached = answer; });
    Spin([&reached] { return reached.has_value(); });
    return reached.value_or(false);
}

} // namespace testsupport
