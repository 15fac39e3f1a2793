#include "retrieval/PriceCheckPass.h"

#include "retrieval/EndedSlotUpdate.h"
#include "retrieval/ItemPageScraper.h"
#include "shell/FetchEnd.h"
#include "store/DayCount.h"
#include "store/TextRules.h"

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

ScrapeContext PriceCheckPass::Context()
{
    shell::TMiruberoMainForm& resident = m_parts.Resident;
    return ScrapeContext{m_parts.Model,         resident.Schedule(), resident.DataDir(), m_parts.Clock.now(),
                         resident.StartingUp(), resident.Notice(),   resident,           m_parts.Window,
                         m_parts.Dialogs,       m_parts.Pictures};
}

void PriceCheckPass::BuildQueue()
{
    store::WatchListModel& model = m_parts.Model;
    const shell::Schedule& schedule = m_parts.Resident.Schedule();
    model.FetchQueue.clear();
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
            model.FetchQueue.push_back({slot.URL, k, s + 1});
        }
    }
}

void PriceCheckPass::PrepareWindow()
{
    store::WatchListModel& model = m_parts.Model;
    model.MenuSaveEnabled = false;
    model.MenuSortEndEnabled = false;
    model.MenuCheapEnabled = false;
    model.MenuDeleteEnabled = false;
    model.MenuHonmeiEnabled = false;
    model.BtnOKEnabled = false;
    model.LabelMsgVisible = true;
    model.KakakuChecking = true;
    model.Fetching = true;
    model.FetchIndex = 0;
    m_parts.Window.layoutMessageLabel();
    m_parts.Window.render();
}

store::Slot* PriceCheckPass::SlotOf(const store::FetchEntry& entry)
{
    store::WatchListModel& model = m_parts.Model;
    if (entry.Komoku < 0 || entry.Komoku >= static_cast<int>(model.Komokus.size()) || entry.Row < 1 ||
        entry.Row > store::SlotsPerKomoku)
        return nullptr;
    store::Slot& slot = model.SlotAt(entry.Komoku, entry.Row);
    // A deleted category moves the later ones down: the same numbers may now name another slot.
    return slot.Cells[store::ColURL] == entry.URL ? &slot : nullptr;
}

void PriceCheckPass::NextEntry()
{
    store::WatchListModel& model = m_parts.Model;
    if (++model.FetchIndex >= static_cast<int>(model.FetchQueue.size()))
        m_parts.Resident.EndKakakuCheck();
}

void PriceCheckPass::RunPriceCheckPass()
{
    store::WatchListModel& model = m_parts.Model;
    shell::TMiruberoMainForm& resident = m_parts.Resident;
    if (model.PopupOpen || model.Rearranging)
        return;
    BuildQueue();
    if (model.FetchQueue.empty()) {
        resident.PassSkipped();
        return;
    }
    PrepareWindow();
    resident.StopMonitor();
    m_reachable.reset();

    const size_t count = model.FetchQueue.size();
    int unread = 0;
    for (size_t e = 0; e < count; ++e) {
        // Checks were switched off meanwhile: the button has already ended the pass.
        if (!model.KakakuChecking) {
            resident.PassStopped();
            break;
        }
        const store::FetchEntry entry = model.FetchQueue[e];
        store::Slot* slot = SlotOf(entry);
        // A slot whose cell the user is typing into is left to the next pass: the page would
        // change the row under the editor, and a half-typed address is not the user's yet.
        if (!slot || m_parts.Window.isEditing(entry.Komoku, entry.Row)) {
            NextEntry();
            continue;
        }
        model.LabelMsgText = ProgressText(entry.Komoku, entry.Row);
        m_parts.Window.render();
        const FetchResult fetched = m_parts.Fetcher.FetchPage(entry.URL);
        if (fetched.Ok) {
            const ScrapeResult processed = ProcessFetchedPage(fetched.Body);
            if (!processed.Ok) {
                resident.PassFailed();
                break;
            }
            resident.PageChecked();
            unread += processed.Unread ? 1 : 0;
            // The processing pumped events: the slot is looked up again.
            if ((slot = SlotOf(entry)))
                slot->LastCheckError = processed.Unread ? UnreadPageText() : QString();
        } else if (ConcernsOnePage(fetched.Error) ||
                   (fetched.Error == FetchError::NameNotFound && Reachable())) {
            // One dead page (a deleted auction, say) must not stop the checks of the others,
            // nor count as a failed pass that the tick retries.
            slot->LastCheckError = fetched.ErrorText;
            resident.PageChecked();
            NextEntry();
        } else {
            // The connection itself failed: the tick's retries and the next probe take over.
            slot->LastCheckError = fetched.ErrorText;
            resident.PassFailed();
            break;
        }
        m_parts.Events.processEvents();
    }
    if (unread > 0 && !m_layoutWarned)
        LayoutChanged(unread);
    resident.StartMonitor();
}

bool PriceCheckPass::Reachable()
{
    // A name that does not resolve while the Internet can be reached is a wrong address (a typo
    // in the URL cell), not a lost connection. Probed once a pass, at the first such name.
    if (!m_reachable)
        m_reachable = m_parts.Resident.InternetProbe();
    return *m_reachable;
}

void PriceCheckPass::LayoutChanged(int pages)
{
    // Once a run: every later pass would find the same pages unread.
    m_layoutWarned = true;
    store::WatchListModel& model = m_parts.Model;
    const QString text = LayoutChangedMessage() + QStringLiteral("（%1件）").arg(pages);
    model.LabelMsgText = text;
    model.LabelMsgVisible = true;
    m_parts.Window.layoutMessageLabel();
    m_parts.Window.render();
    if (m_parts.Resident.Schedule().Settings.Balloon)
        m_parts.Resident.ShowBalloon(store::ProductName(), text);
}

ScrapeResult PriceCheckPass::ProcessFetchedPage(const QByteArray& body)
{
    store::WatchListModel& model = m_parts.Model;
    if (model.FetchQueue.empty() || !model.Fetching)
        return {};
    const store::FetchEntry entry = model.FetchQueue[static_cast<size_t>(model.FetchIndex)];
    ScrapeContext context = Context();
    const ScrapeResult result = ScrapeItemPage(context, body, entry.URL, entry.Komoku, entry.Row);
    if (!result.Ok)
        return result;
    m_parts.Events.processEvents();

    shell::PriceNotice& notice = m_parts.Resident.Notice();
    if (!model.Registering && notice.KakakuChanged) {
        // The events just handled may have deleted the slot's category: a slot that is gone
        // gets no notice, and another one that took its numbers must not be named instead.
        if (SlotOf(entry))
            PriceNotices(entry);
        notice.KakakuChanged = false;
    }
    if (model.Registering) {
        EndRegistration(true);
        return result;
    }
    NextEntry();
    return result;
}

void PriceCheckPass::PriceNotices(const store::FetchEntry& entry)
{
    const store::WatchListModel& model = m_parts.Model;
    shell::TMiruberoMainForm& resident = m_parts.Resident;
    const shell::ScheduleSettings& settings = resident.Schedule().Settings;
    if (model.KakakuCheckRequest || (!settings.Kido && !settings.Balloon))
        return;
    const store::Komoku& komoku = model.Komokus[static_cast<size_t>(entry.Komoku)];
    const store::Slot& slot = komoku.Slots[static_cast<size_t>(entry.Row - 1)];
    const QString where = komoku.TabCaption() + QStringLiteral("-No") + QString::number(entry.Row);
    if (settings.Kido) {
        m_parts.Window.showWindowOnTop(true);
        m_parts.Dialogs.showMessage(where + QStringLiteral("の価格が更新されました。"));
        m_parts.Window.showWindowOnTop(false);
    }
    if (settings.Balloon) {
        QString text = CutForBalloon(slot.Cells[store::ColKakaku] + QLatin1Char('\r') + where +
                                     QLatin1Char('-') + slot.Cells[store::ColTitle]);
        if (resident.Schedule().At(entry.Komoku, entry.Row - 1).OverBudget)
            text = CutForBalloon(QStringLiteral("予算オーバー ") + text);
        resident.ShowBalloon(QStringLiteral("価格更新"), text);
    }
    if (settings.Kido)
        m_parts.Window.activatePriceCell(entry.Komoku, entry.Row);
    if (entry.Row == komoku.HonmeiNo) {
        ScrapeContext context = Context();
        resident.SetTrayHint(FavouriteSummaryOf(context));
    }
}

void PriceCheckPass::RegisterPage(int komoku, int row, const QString& url)
{
    store::WatchListModel& model = m_parts.Model;
    model.Registering = true;
    model.MenuSaveEnabled = false;
    model.MenuCheapEnabled = false;
    model.MenuSortEndEnabled = false;
    model.MenuDeleteEnabled = false;
    model.LabelMsgText = RegisteringText();
    model.LabelMsgVisible = true;
    m_parts.Window.layoutMessageLabel();
    model.FetchQueue = {{url, komoku, row}};
    model.FetchIndex = 0;
    model.Fetching = true;
    m_parts.Window.render();

    const FetchResult fetched = m_parts.Fetcher.FetchPage(url);
    QString error = fetched.ErrorText;
    if (fetched.Ok) {
        const ScrapeResult processed = ProcessFetchedPage(fetched.Body);
        // A page that showed nothing leaves the slot as empty as before: said, not taken for done.
        if (processed.Ok && processed.Unread)
            m_parts.Dialogs.showMessage(UnreadPageText());
        if (processed.Ok)
            return;
        error = processed.Error;
    }
    // Nothing may stay stopped: the window is given back as a finished registration leaves
    // it, without the save, and the user learns why the slot stayed empty.
    EndRegistration(false);
    m_parts.Dialogs.showMessage(error);
}

void PriceCheckPass::EndRegistration(bool save)
{
    store::WatchListModel& model = m_parts.Model;
    shell::RestoreAfterFetch(model, &m_parts.Window);
    if (save && m_parts.Save)
        m_parts.Save();
    model.Registering = false;
    m_parts.Window.render();
}

void PriceCheckPass::BtnKakakuCheckClick()
{
    store::WatchListModel& model = m_parts.Model;
    shell::TMiruberoMainForm& resident = m_parts.Resident;
    if (model.KakakuCheckButtonCaption == store::KakakuCheckStopCaption()) {
        model.KakakuCheckButtonCaption = KakakuCheckStartCaption();
        if (model.KakakuChecking) {
            resident.EndKakakuCheck();
            m_parts.Events.processEvents();
            resident.StartMonitor();
        }
        return;
    }
    model.KakakuCheckButtonCaption = store::KakakuCheckStopCaption();
    resident.CheckSoon();
}

} // namespace retrieval
