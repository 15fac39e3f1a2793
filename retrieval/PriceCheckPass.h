#pragma once

#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "platform/EventLoop.h"
#include "platform/WindowView.h"
#include "retrieval/FetchPage.h"
#include "retrieval/ScrapeContext.h"
#include "shell/MiruberoMainForm.h"
#include "shell/RetrievalCalls.h"
#include "store/WatchListModel.h"

#include <functional>

namespace retrieval {

// What a price notice asks of the watch-list window.
class PassView {
public:
    virtual ~PassView() = default;

    // Shows the window and keeps it above other windows while onTop is set.
    virtual void ShowWindowOnTop(bool onTop) = 0;
    // Brings category komoku's page forward, scrolls row into view and selects its price cell.
    virtual void ActivatePriceCell(int komoku, int row) = 0;
};

// The price-check pass: every due slot's page fetched and read, one at a time, with
// the notices a changed price calls for, and the button that switches checks off and on.
class PriceCheckPass final : public shell::PriceCheckRunner {
public:
    struct Parts {
        shell::TMiruberoMainForm& Resident;
        store::WatchListModel& Model;
        PageFetcher& Fetcher;
        ScrapeView& Screen;
        SlotImageDownloader& Pictures;
        PassView& View;
        platform::WindowView& Window;
        platform::Dialogs& Dialogs;
        platform::EventLoop& Events;
        platform::Clock& Clock;
        // Saves the window after a registration's page; empty until saving exists.
        std::function<void()> Save;
    };

    explicit PriceCheckPass(Parts parts) : m_parts(std::move(parts)) {}

    void RunPriceCheckPass() override;
    // Reads the page fetched for FetchQueue[FetchIndex]; false when the processing failed.
    bool ProcessFetchedPage(const QByteArray& body);
    // "価格チェック停止" / "価格チェック開始".
    void BtnKakakuCheckClick();

    static QString ProgressText(int komoku, int row);
    static QString KakakuCheckStartCaption();

private:
    void BuildQueue();
    void PrepareWindow();
    void PriceNotices(const store::FetchEntry& entry);
    void EndRegistration();
    ScrapeContext Context();

    Parts m_parts;
};

} // namespace retrieval
