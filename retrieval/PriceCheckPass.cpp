#include "retrieval/PriceCheckPass.h"

#include "retrieval/EndedSlotUpdate.h"
#include "retrieval/ItemPageScraper.h"
#include "store/DayCount.h"
#include "store/TextRules.h"

#include <QObject>
#include <QTimer>

namespace retrieval {

namespace {

// Errors that concern one page only: the pass goes on with the next one.
bool ConcernsOnePage(FetchError error)
{
    return error == FetchError::HttpStatus || error == FetchError::TooManyRedirects ||
           error == FetchError::TooLarge || error == FetchError::RefusedScheme;
}

} // namespace

QString PriceCheckPass::ProgressText(int komoku, int row)
{
    return QStringLiteral("現在価格のチェック中(%1-%2)...").arg(komoku).arg(row);
}

QString PriceCheckPass::LayoutChangedMessage()
{
    return QStringLiteral(
        "オークションページの形式が変わった可能性があります。価格などが更新されていません。");
}

QString PriceCheckPass::UnreadPageText()
{
    return QStringLiteral("ページから価格などを読み取れませんでした。");
}

QString PriceCheckPass::RegisteringText()
{
    return QStringLiteral("オークション情報取得中...");
}

QString PriceCheckPass::KakakuCheckStartCaption()
{
    return QStringLiteral("価格チェック開始");
}

PriceCheckPass::~PriceCheckPass()
{
    // The clients outlive this object; nothing they still run may call back into it.
    m_parts.Pages.Cancel();
    m_parts.Pictures.Cancel();
    m_parts.Probe.cancel();
}

std::optional<shell::FetchEntry> PriceCheckPass::Current() const
{
    if (m_mode == shell::RunMode::Idle || m_phase == Phase::Probing || m_index >= m_queue.size())
        return std::nullopt;
    return m_queue[m_index];
}

PriceCheckPass::RunId PriceCheckPass::Begin(shell::RunMode mode)
{
    m_mode = mode;
    m_phase = Phase::None;
    m_queue.clear();
    m_index = 0;
    return ++m_run;
}

void PriceCheckPass::Finish()
{
    m_mode = shell::RunMode::Idle;
    m_phase = Phase::None;
    m_queue.clear();
    m_index = 0;
    m_pictures.clear();
    m_picture = 0;
    // Whatever is still on its way belongs to a run that is over.
    ++m_run;
}

ScrapeContext PriceCheckPass::Context(bool registering)
{
    shell::PassResident& resident = m_parts.Resident;
    return ScrapeContext{m_parts.Model,         resident.Schedule(), resident.DataDir(), m_parts.Clock.now(),
                         resident.StartingUp(), resident.Notice(),   resident,           m_parts.Window,
                         m_parts.Dialogs,       registering};
}

store::Slot* PriceCheckPass::SlotOf(const shell::FetchEntry& entry)
{
    store::WatchListModel& model = m_parts.Model;
    if (entry.Komoku < 0 || entry.Komoku >= static_cast<int>(model.Komokus.size()) || entry.Row < 1 ||
        entry.Row > store::SlotsPerKomoku || entry.Komoku >= m_parts.Resident.Schedule().KomokuCount())
        return nullptr;
    store::Slot& slot = model.SlotAt(entry.Komoku, entry.Row);
    // A deleted category moves the later ones down: the same numbers may now name another slot.
    return slot.Cells[store::ColURL] == entry.URL ? &slot : nullptr;
}

// ---- The pass ----

void PriceCheckPass::RunPriceCheckPass(shell::PassStart start)
{
    const store::WatchListModel& model = m_parts.Model;
    if (m_mode != shell::RunMode::Idle || model.PopupOpen || model.Rearranging)
        return;
    const RunId run = Begin(shell::RunMode::Pass);
    m_start = start;
    m_unread = 0;
    m_reachable.reset();
    if (start == shell::PassStart::Retry) {
        StartQueue(run);
        return;
    }
    m_phase = Phase::Probing;
    m_parts.Probe.reach(m_parts.Resident.ProbeAddress(), [this, run](bool reached) { Probed(run, reached); });
}

void PriceCheckPass::Probed(RunId run, bool reached)
{
    if (!Live(run))
        return;
    if (!reached)
        Finish();
    m_parts.Resident.ProbeAnswered(m_start, reached);
    if (reached && Live(run))
        StartQueue(run);
}

void PriceCheckPass::StartQueue(RunId run)
{
    const store::WatchListModel& model = m_parts.Model;
    // A slot menu or a rearrangement may have begun while the probe ran.
    if (model.PopupOpen || model.Rearranging) {
        Finish();
        return;
    }
    BuildQueue();
    if (m_queue.empty()) {
        Finish();
        m_parts.Resident.PassSkipped();
        return;
    }
    m_phase = Phase::Page;
    m_parts.Window.layoutMessageLabel();
    FetchCurrent(run);
}

void PriceCheckPass::BuildQueue()
{
    const store::WatchListModel& model = m_parts.Model;
    const shell::Schedule& schedule = m_parts.Resident.Schedule();
    m_queue.clear();
    // A hidden window checks only the auctions that end today or tomorrow, if the user wants so.
    const bool nearOnly = model.CheckBoxKakakuCheckToday_Tomorrow && !m_parts.Window.isWindowVisible();
    const QDate today = m_parts.Clock.now().date();
    const int count = std::min(model.KomokuCount, schedule.KomokuCount());
    for (int k = 0; k < count; ++k) {
        for (int s = 0; s < store::SlotsPerKomoku; ++s) {
            const shell::ScheduleSlot& slot = schedule.At(k, s);
            if (slot.URL.isEmpty())
                continue;
            if (nearOnly) {
                const QDate end = store::FromDayCount(slot.EndAt).date();
                if (slot.EndAt <= 0 || (end != today && end != today.addDays(1)))
                    continue;
            }
            m_queue.push_back({slot.URL, k, s + 1});
        }
    }
}

void PriceCheckPass::NextEntry(RunId run)
{
    ++m_index;
    // The events that waited are handled before the next page, as between any two steps.
    QTimer::singleShot(0, m_context.get(), [this, run] {
        if (Live(run))
            FetchCurrent(run);
    });
}

void PriceCheckPass::FetchCurrent(RunId run)
{
    // A slot that is gone, or whose cell the user is typing into, is left to the next pass:
    // the page would change the row under the editor, and a half-typed address is not the
    // user's yet.
    while (m_index < m_queue.size()) {
        const shell::FetchEntry& entry = m_queue[m_index];
        if (SlotOf(entry) && !m_parts.Window.isEditing(entry.Komoku, entry.Row))
            break;
        ++m_index;
    }
    if (m_index >= m_queue.size()) {
        EndPass(false);
        return;
    }
    m_phase = Phase::Page;
    m_parts.Window.render();
    m_parts.Pages.Fetch(m_queue[m_index].URL,
                        [this, run](const FetchResult& fetched) { PageArrived(run, fetched); });
}

void PriceCheckPass::PageArrived(RunId run, const FetchResult& fetched)
{
    if (!Live(run))
        return;
    if (m_mode == shell::RunMode::Registration) {
        RegistrationPage(run, fetched);
        return;
    }
    PassPage(run, m_queue[m_index], fetched);
}

void PriceCheckPass::PassPage(RunId run, shell::FetchEntry entry, const FetchResult& fetched)
{
    shell::PassResident& resident = m_parts.Resident;
    store::Slot* slot = SlotOf(entry);
    // Deleted, moved or opened for typing while the page was on its way.
    if (!slot || m_parts.Window.isEditing(entry.Komoku, entry.Row)) {
        NextEntry(run);
        return;
    }
    if (fetched.Ok) {
        ScrapeContext context = Context(false);
        const ScrapeResult processed =
            ScrapeItemPage(context, m_parts.Markers, fetched.Body, entry.URL, entry.Komoku, entry.Row);
        // The scrape may have shown a message, with the events handled meanwhile.
        if (!Live(run))
            return;
        if (!processed.Ok) {
            EndPass(true);
            return;
        }
        resident.PageChecked();
        m_unread += processed.Unread ? 1 : 0;
        if ((slot = SlotOf(entry)))
            slot->LastCheckError = processed.Unread ? UnreadPageText() : QString();
        shell::PriceNotice& notice = resident.Notice();
        if (notice.KakakuChanged) {
            // A slot that is gone gets no notice, and another one that took its numbers must not be
            // named instead.
            const bool live = !slot || PriceNotices(run, entry);
            notice.KakakuChanged = false;
            if (!live)
                return;
        }
        NextEntry(run);
        return;
    }
    if (fetched.Error == FetchError::NameNotFound) {
        NameNotFound(run, fetched);
        return;
    }
    slot->LastCheckError = fetched.ErrorText;
    if (!ConcernsOnePage(fetched.Error)) {
        // The connection itself failed: the tick's retries and the next probe take over.
        EndPass(true);
        return;
    }
    // One dead page (a deleted auction, say) must not stop the checks of the others, nor count
    // as a failed pass that the tick retries.
    resident.PageChecked();
    NextEntry(run);
}

void PriceCheckPass::NameNotFound(RunId run, const FetchResult& fetched)
{
    // A name that does not resolve while the Internet can be reached is a wrong address (a typo
    // in the URL cell), not a lost connection. Probed once a pass, at the first such name.
    if (!m_reachable) {
        m_parts.Probe.reach(m_parts.Resident.ProbeAddress(), [this, run, fetched](bool reached) {
            if (!Live(run))
                return;
            m_reachable = reached;
            NameNotFound(run, fetched);
        });
        return;
    }
    const shell::FetchEntry entry = m_queue[m_index];
    if (store::Slot* slot = SlotOf(entry))
        slot->LastCheckError = fetched.ErrorText;
    if (!*m_reachable) {
        EndPass(true);
        return;
    }
    m_parts.Resident.PageChecked();
    NextEntry(run);
}

void PriceCheckPass::EndPass(bool failed)
{
    const int unread = m_unread;
    Finish();
    if (failed)
        m_parts.Resident.PassFailed();
    else
        m_parts.Resident.EndKakakuCheck();
    if (unread > 0 && !m_layoutWarned)
        LayoutChanged(unread);
}

void PriceCheckPass::LayoutChanged(int pages)
{
    // Once a run: every later pass would find the same pages unread.
    m_layoutWarned = true;
    store::WatchListModel& model = m_parts.Model;
    const QString text = LayoutChangedMessage() + QStringLiteral("（%1件）").arg(pages);
    model.LabelMsgNotice = text;
    m_parts.Window.layoutMessageLabel();
    m_parts.Window.render();
    if (m_parts.Resident.Schedule().Settings.Balloon)
        m_parts.Resident.ShowBalloon(store::ProductName(), text);
}

bool PriceCheckPass::PriceNotices(RunId run, const shell::FetchEntry& entry)
{
    const store::WatchListModel& model = m_parts.Model;
    shell::PassResident& resident = m_parts.Resident;
    const shell::ScheduleSettings& settings = resident.Schedule().Settings;
    if (model.KakakuCheckRequest || (!settings.Kido && !settings.Balloon))
        return true;
    const QString where =
        model.KomokuAt(entry.Komoku).TabCaption() + QStringLiteral("-No") + QString::number(entry.Row);
    if (settings.Kido) {
        m_parts.Window.showWindowOnTop(true);
        m_parts.Dialogs.showMessage(where + QStringLiteral("の価格が更新されました。"));
        m_parts.Window.showWindowOnTop(false);
        // The events handled while the message was open may have stopped the pass or taken the slot.
        if (!Live(run))
            return false;
        if (!SlotOf(entry))
            return true;
    }
    if (settings.Balloon) {
        const store::Slot& slot = model.KomokuAt(entry.Komoku).Slots[static_cast<size_t>(entry.Row - 1)];
        QString text = CutForBalloon(slot.Cells[store::ColKakaku] + QLatin1Char('\r') + where +
                                     QLatin1Char('-') + slot.Cells[store::ColTitle]);
        if (resident.Schedule().At(entry.Komoku, entry.Row - 1).OverBudget)
            text = CutForBalloon(QStringLiteral("予算オーバー ") + text);
        resident.ShowBalloon(QStringLiteral("価格更新"), text);
    }
    if (settings.Kido)
        m_parts.Window.activatePriceCell(entry.Komoku, entry.Row);
    if (entry.Row == model.KomokuAt(entry.Komoku).HonmeiNo) {
        ScrapeContext context = Context(false);
        resident.SetTrayHint(FavouriteSummaryOf(context));
    }
    return true;
}

void PriceCheckPass::Stop()
{
    if (m_mode == shell::RunMode::Idle)
        return;
    m_parts.Pages.Cancel();
    m_parts.Pictures.Cancel();
    m_parts.Probe.cancel();
    if (m_mode == shell::RunMode::Registration) {
        // A page already read is kept, without the picture that was still on its way.
        EndRegistration(m_phase == Phase::Picture);
        return;
    }
    Finish();
    m_parts.Resident.EndKakakuCheck();
}

void PriceCheckPass::BtnKakakuCheckClick()
{
    store::WatchListModel& model = m_parts.Model;
    if (model.KakakuCheckButtonCaption == store::KakakuCheckStopCaption()) {
        model.KakakuCheckButtonCaption = KakakuCheckStartCaption();
        if (m_mode == shell::RunMode::Pass) {
            Stop();
            m_parts.Resident.PassStopped();
        }
        m_parts.Window.render();
        return;
    }
    model.KakakuCheckButtonCaption = store::KakakuCheckStopCaption();
    m_parts.Resident.CheckSoon();
    m_parts.Window.render();
}

// ---- The registration ----

void PriceCheckPass::QueueRegistration(int komoku, int row, const QString& url)
{
    const auto same = [&](const shell::FetchEntry& e) {
        return e.Komoku == komoku && e.Row == row && e.URL == url;
    };
    if (std::none_of(m_pending.begin(), m_pending.end(), same))
        m_pending.push_back({url, komoku, row});
}

std::optional<shell::FetchEntry> PriceCheckPass::TakePendingRegistration()
{
    if (m_pending.empty())
        return std::nullopt;
    shell::FetchEntry entry = m_pending.front();
    m_pending.pop_front();
    return entry;
}

void PriceCheckPass::RegisterPage(int komoku, int row, const QString& url)
{
    if (m_mode != shell::RunMode::Idle) {
        QueueRegistration(komoku, row, url);
        return;
    }
    const RunId run = Begin(shell::RunMode::Registration);
    m_queue = {{url, komoku, row}};
    m_registrationUnread = false;
    m_phase = Phase::Probing;
    m_parts.Probe.reach(m_parts.Resident.ProbeAddress(), [this, run](bool reached) {
        if (!Live(run))
            return;
        // Without a connection the address stays stored; later checks fill the slot.
        if (!reached) {
            EndRegistration(false);
            return;
        }
        m_phase = Phase::Page;
        m_parts.Window.layoutMessageLabel();
        m_parts.Window.render();
        m_parts.Pages.Fetch(m_queue.front().URL,
                            [this, run](const FetchResult& fetched) { PageArrived(run, fetched); });
    });
}

void PriceCheckPass::RegistrationPage(RunId run, const FetchResult& fetched)
{
    const shell::FetchEntry entry = m_queue.front();
    // The slot lost its address while the page was on its way: nothing is left to register.
    if (!SlotOf(entry)) {
        EndRegistration(false);
        return;
    }
    if (!fetched.Ok) {
        EndRegistration(false, fetched.ErrorText);
        return;
    }
    ScrapeContext context = Context(true);
    const ScrapeResult processed =
        ScrapeItemPage(context, m_parts.Markers, fetched.Body, entry.URL, entry.Komoku, entry.Row);
    if (!Live(run))
        return;
    if (!processed.Ok) {
        EndRegistration(false, processed.Error);
        return;
    }
    // What the page brought is in the window and reaches the files with the registration's save.
    m_parts.Model.Saved = false;
    m_registrationUnread = processed.Unread;
    m_pictures = processed.Pictures;
    m_picture = 0;
    NextPicture(run);
}

void PriceCheckPass::NextPicture(RunId run)
{
    const shell::FetchEntry entry = m_queue.front();
    if (m_picture >= m_pictures.size() || !SlotOf(entry)) {
        // A page that showed nothing leaves the slot as empty as before: said, not taken for done.
        EndRegistration(true, m_registrationUnread ? UnreadPageText() : QString());
        return;
    }
    m_phase = Phase::Picture;
    const PictureCandidate picture = m_pictures[m_picture++];
    m_parts.Pictures.Download(picture.Url, [this, run, entry, picture](const QByteArray& body) {
        if (!Live(run))
            return;
        // A picture that does not arrive or decode leaves the next block of the page to try.
        if (SlotOf(entry) && PutSlotPicture(m_parts.Model, m_parts.Resident.DataDir(), body, picture.FileName,
                                            entry.Row, entry.Komoku))
            m_pictures.clear();
        NextPicture(run);
    });
}

void PriceCheckPass::EndRegistration(bool save, const QString& message)
{
    // Saved while the registration still runs, which keeps the save's own messages back.
    if (save && m_save)
        m_save();
    Finish();
    m_parts.Window.layoutMessageLabel();
    m_parts.Window.render();
    if (!message.isEmpty())
        m_parts.Dialogs.showMessage(message);
}

} // namespace retrieval
