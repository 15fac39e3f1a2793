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
#include <optional>

namespace retrieval {

// The price-check pass: every due slot's page fetched and read, one at a time, with
// the notices a changed price calls for, and the button that switches checks off and on.
class PriceCheckPass final : public shell::PriceCheckRunner {
public:
    struct Parts {
        shell::TMiruberoMainForm& Resident;
        store::WatchListModel& Model;
        PageFetcher& Fetcher;
        SlotImageDownloader& Pictures;
        platform::WindowView& Window;
        platform::Dialogs& Dialogs;
        platform::EventLoop& Events;
        platform::Clock& Clock;
        // Saves the window after a registration's page.
        std::function<void()> Save;
    };

    explicit PriceCheckPass(Parts parts) : m_parts(std::move(parts)) {}

    void RunPriceCheckPass() override;
    // Reads the page fetched for FetchQueue[FetchIndex]; not Ok when the processing failed.
    ScrapeResult ProcessFetchedPage(const QByteArray& body);
    // The registration fetch: the page of the slot (category komoku, row 1 to 10) that was
    // just given its address, read with every field and saved. A failed fetch or processing
    // gives the window back as a finished registration does and tells the user why; so does
    // a page in which none of the values was found.
    void RegisterPage(int komoku, int row, const QString& url);
    // "価格チェック停止" / "価格チェック開始".
    void BtnKakakuCheckClick();

    static QString ProgressText(int komoku, int row);
    static QString KakakuCheckStartCaption();
    static QString RegisteringText();
    // Told once a run when pages arrived but none of their values could be found.
    static QString LayoutChangedMessage();
    // The failure kept for such a page's slot.
    static QString UnreadPageText();

private:
    void BuildQueue();
    void PrepareWindow();
    // The slot of a queue entry, looked up again since events were pumped: null when its
    // category was deleted or the slot no longer holds the entry's address.
    store::Slot* SlotOf(const store::FetchEntry& entry);
    // Counts an entry as done; the last one ends the pass.
    void NextEntry();
    void PriceNotices(const store::FetchEntry& entry);
    // Gives the window back after a registration, saving it when the page was read.
    void EndRegistration(bool save);
    ScrapeContext Context();
    // Tells the user that `pages` pages showed none of the values looked for.
    void LayoutChanged(int pages);
    // Whether the Internet can be reached; asked once a pass.
    bool Reachable();

    Parts m_parts;
    bool m_layoutWarned = false;
    std::optional<bool> m_reachable;
};

} // namespace retrieval
