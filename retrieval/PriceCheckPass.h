#pragma once

#include "platform/Clock.h"
#include "platform/ConnectivityProbe.h"
#include "platform/Dialogs.h"
#include "platform/WindowView.h"
#include "retrieval/FetchPage.h"
#include "retrieval/PageMarkers.h"
#include "retrieval/ScrapeContext.h"
#include "retrieval/SlotPictures.h"
#include "shell/PassResident.h"
#include "shell/RetrievalCalls.h"
#include "store/WatchListModel.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace retrieval {

// The price-check pass and the registration fetch, with the run state they own: what runs
// (nothing, a pass, a registration), the queue of pages, the entry being worked on and the
// registrations that wait. Every transfer runs on the event loop; the window and the monitor
// go on meanwhile, read the run state and ask this object to act. The effects keep their
// order: one page at a time, fetched, read, told about, then the next.
class PriceCheckPass final : public shell::PriceCheckRunner {
public:
    struct Parts {
        shell::PassResident& Resident;
        store::WatchListModel& Model;
        PageClient& Pages;
        PictureClient& Pictures;
        platform::ConnectivityProbe& Probe;
        platform::WindowView& Window;
        platform::Dialogs& Dialogs;
        platform::Clock& Clock;
        // What the scraper looks for in a page, read once at start.
        const PageMarkers& Markers;
    };
    // What a pass or a registration is doing now.
    enum class Phase { None, Probing, Page, Picture };

    explicit PriceCheckPass(Parts parts) : m_parts(parts) {}
    ~PriceCheckPass() override;
    PriceCheckPass(const PriceCheckPass&) = delete;
    PriceCheckPass& operator=(const PriceCheckPass&) = delete;

    // Saves the window after a registration's page was read.
    void SetSave(std::function<bool()> save) { m_save = std::move(save); }

    shell::RunMode Mode() const override { return m_mode; }
    Phase CurrentPhase() const { return m_phase; }
    // A pass past its probe: the window shows its progress and holds its commands back.
    bool KakakuChecking() const { return m_mode == shell::RunMode::Pass && m_phase != Phase::Probing; }
    // A registration past its probe.
    bool Registering() const { return m_mode == shell::RunMode::Registration && m_phase != Phase::Probing; }
    // The page being worked on; none while nothing runs or a pass probes.
    std::optional<shell::FetchEntry> Current() const;

    void RunPriceCheckPass(shell::PassStart start) override;
    void Stop() override;
    std::optional<shell::FetchEntry> TakePendingRegistration() override;

    // The registration fetch of the slot (category komoku, row 1 to 10) that was just given its
    // address: the probe, then the page read with every field, its picture, and the save. A
    // failed fetch or read gives the window back as a finished registration does and tells the
    // user why; so does a page in which none of the values was found. Without the Internet the
    // address stays as it is stored. Waits in the queue while anything runs.
    void RegisterPage(int komoku, int row, const QString& url);
    // A registration to be made once nothing runs any more.
    void QueueRegistration(int komoku, int row, const QString& url);
    const std::deque<shell::FetchEntry>& PendingRegistrations() const { return m_pending; }
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
    // A callback belongs to the run it was made for; a later run or a stop makes it void.
    using RunId = std::uint64_t;
    bool Live(RunId run) const { return m_run == run && m_mode != shell::RunMode::Idle; }
    RunId Begin(shell::RunMode mode);
    void Finish();

    void Probed(RunId run, bool reached);
    void StartQueue(RunId run);
    void BuildQueue();
    void NextEntry(RunId run);
    void FetchCurrent(RunId run);
    void PageArrived(RunId run, const FetchResult& fetched);
    void NameNotFound(RunId run, const FetchResult& fetched);
    void PassPage(RunId run, shell::FetchEntry entry, const FetchResult& fetched);
    // The pass is over: done, or failed (the tick retries it).
    void EndPass(bool failed);
    // The slot of a queue entry, looked up again since events were handled: null when its
    // category was deleted or the slot no longer holds the entry's address.
    store::Slot* SlotOf(const shell::FetchEntry& entry);
    // False when the run was stopped while the notice was open.
    bool PriceNotices(RunId run, const shell::FetchEntry& entry);
    ScrapeContext Context(bool registering);
    // Tells the user that `pages` pages showed none of the values looked for.
    void LayoutChanged(int pages);

    void RegistrationPage(RunId run, const FetchResult& fetched);
    void NextPicture(RunId run);
    // Gives the window back after a registration, saving it when the page was read; the user
    // is told `message` unless it is empty.
    void EndRegistration(bool save, const QString& message = {});

    Parts m_parts;
    std::function<bool()> m_save;
    // Context of the steps posted to the event loop: they go with this object.
    std::unique_ptr<QObject> m_context = std::make_unique<QObject>();

    shell::RunMode m_mode = shell::RunMode::Idle;
    Phase m_phase = Phase::None;
    RunId m_run = 0;
    shell::PassStart m_start = shell::PassStart::Requested;
    std::vector<shell::FetchEntry> m_queue;
    size_t m_index = 0;
    std::deque<shell::FetchEntry> m_pending;
    // Within a pass: pages that showed nothing, and whether the Internet answered a probe made
    // for a name that did not resolve.
    int m_unread = 0;
    std::optional<bool> m_reachable;
    // Within a registration: the pictures its page offers, and the next one to try.
    std::vector<PictureCandidate> m_pictures;
    size_t m_picture = 0;
    bool m_registrationUnread = false;
    bool m_layoutWarned = false;
};

} // namespace retrieval
