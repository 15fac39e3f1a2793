#pragma once

#include "retrieval/FetchPage.h"
#include "retrieval/SlotPictures.h"

#include <QByteArray>
#include <QStringList>

#include <functional>

namespace testsupport {

// Item pages whose fetches wait until the test answers them, as a transfer in flight waits
// for the network: whatever the test does in between happens while the page is on its way.
class FakePages final : public retrieval::PageClient {
public:
    void Fetch(const QString& url, Done done) override
    {
        requested << url;
        waiting = std::move(done);
        if (onFetch)
            onFetch(url);
    }
    void Cancel() override
    {
        if (waiting)
            ++cancels;
        waiting = {};
    }

    bool inFlight() const { return static_cast<bool>(waiting); }
    // Answers the fetch in flight; false when none is.
    bool answer(const retrieval::FetchResult& result)
    {
        Done done = std::move(waiting);
        waiting = {};
        if (!done)
            return false;
        done(result);
        return true;
    }
    bool answerPage(const QByteArray& body)
    {
        retrieval::FetchResult result;
        result.Ok = true;
        result.HttpStatus = 200;
        result.Body = body;
        return answer(result);
    }
    bool fail(retrieval::FetchError error, int status = 0)
    {
        retrieval::FetchResult result;
        result.Error = error;
        result.HttpStatus = status;
        result.ErrorText = retrieval::fetchErrorText(error, status);
        return answer(result);
    }

    QStringList requested;
    Done waiting;
    int cancels = 0;
    // Called when a fetch starts, with its address.
    std::function<void(const QString&)> onFetch;
};

// A real page client watched by the test: it hears of every fetch as it starts and may act
// before the answer is delivered, as the user acts while a page is on its way.
class WatchedPages final : public retrieval::PageClient {
public:
    explicit WatchedPages(retrieval::PageClient& inner) : m_inner(inner) {}

    void Fetch(const QString& url, Done done) override
    {
        if (onFetch)
            onFetch(url);
        m_inner.Fetch(url, [this, done = std::move(done)](const retrieval::FetchResult& result) {
            if (beforeAnswer)
                beforeAnswer(result);
            done(result);
        });
    }
    void Cancel() override { m_inner.Cancel(); }

    std::function<void(const QString&)> onFetch;
    std::function<void(const retrieval::FetchResult&)> beforeAnswer;

private:
    retrieval::PageClient& m_inner;
};

// Picture downloads that wait for the test the same way.
class FakePictures final : public retrieval::PictureClient {
public:
    void Download(const QString& url, Done done) override
    {
        requested << url;
        waiting = std::move(done);
    }
    void Cancel() override
    {
        if (waiting)
            ++cancels;
        waiting = {};
    }

    bool inFlight() const { return static_cast<bool>(waiting); }
    // Ends the download in flight with body (empty: it failed); false when none runs.
    bool answer(const QByteArray& body)
    {
        Done done = std::move(waiting);
        waiting = {};
        if (!done)
            return false;
        done(body);
        return true;
    }

    QStringList requested;
    Done waiting;
    int cancels = 0;
};

} // namespace testsupport
