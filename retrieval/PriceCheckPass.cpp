#include "retrieval/PriceCheckPass.h"

#include "retrieval/EndedSlotUpdate.h"
#include "retrieval/ItemPageScraper.h"
#include "store/DayCount.h"

namespace retrieval {

namespace {

constexpr std::uint32_t PeriodicIntervalMs = 40000;

} // namespace

QString PriceCheckPass::ProgressText(int komoku, int row)
{
    return QStringLiteral("現在価格のチェック中(%1-%2)...").arg(komoku).arg(row);
}

QString PriceCheckPass::KakakuCheckStartCaption()
{
    return QStringLiteral("価格チェック開始");
}

ScrapeContext PriceCheckPass::Context()
{
    shell::TMiruberoMainForm& resident = m_parts.Resident;
    return ScrapeContext{m_parts.Model,        resident.Schedule,      resident.DataDir,
                         m_parts.Clock.now(),  resident.KakakuChanged, resident.StartingUp,
                         resident.BalloonText, m_parts.Screen,         m_parts.Pictures};
}

void PriceCheckPass::BuildQueue()
{
    store::WatchListModel& model = m_parts.Model;
    const shell::Schedule& schedule = m_parts.Resident.Schedule;
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

void PriceCheckPass::RunPriceCheckPass()
{
    store::WatchListModel& model = m_parts.Model;
    shell::TMiruberoMainForm& resident = m_parts.Resident;
    if (model.PopupOpen || model.Rearranging)
        return;
    BuildQueue();
    if (model.FetchQueue.empty()) {
        resident.LastPassEnd = resident.Stamp();
        return;
    }
    PrepareWindow();
    resident.MainTimer().stop();

    const size_t count = model.FetchQueue.size();
    for (size_t e = 0; e < count; ++e) {
        // Checks were switched off meanwhile: the button has already ended the pass.
        if (!model.KakakuChecking) {
            resident.RetryCount = 0;
            break;
        }
        const store::FetchEntry entry = model.FetchQueue[e];
        model.LabelMsgText = ProgressText(entry.Komoku, entry.Row);
        m_parts.Window.render();
        QString& lastError = model.SlotAt(entry.Komoku, entry.Row).LastCheckError;
        const FetchResult fetched = m_parts.Fetcher.FetchPage(entry.URL);
        if (fetched.ok) {
            if (!ProcessFetchedPage(fetched.body)) {
                resident.EndKakakuCheck();
                ++resident.RetryCount;
                break;
            }
            resident.RetryCount = 0;
            lastError.clear();
        } else if (fetched.error == FetchError::HttpStatus) {
            // One dead page (a deleted auction, say) must not stop the checks of the others.
            lastError = fetched.errorText;
            if (++model.FetchIndex >= static_cast<int>(count))
                resident.EndKakakuCheck();
        } else {
            // The connection itself failed: the tick's retries and the next probe take over.
            lastError = fetched.errorText;
            resident.EndKakakuCheck();
            ++resident.RetryCount;
            break;
        }
        m_parts.Events.processEvents();
    }
    resident.MainTimer().start();
}

bool PriceCheckPass::ProcessFetchedPage(const QByteArray& body)
{
    store::WatchListModel& model = m_parts.Model;
    if (model.FetchQueue.empty() || !model.Fetching)
        return true;
    const store::FetchEntry entry = model.FetchQueue[static_cast<size_t>(model.FetchIndex)];
    ScrapeContext context = Context();
    const ScrapeResult result = ScrapeItemPage(context, body, entry.URL, entry.Komoku, entry.Row);
    if (!result.Ok)
        return false;
    m_parts.Events.processEvents();

    if (!model.Registering && m_parts.Resident.KakakuChanged) {
        PriceNotices(entry);
        m_parts.Resident.KakakuChanged = false;
    }
    if (model.Registering) {
        EndRegistration();
        return true;
    }
    if (++model.FetchIndex >= static_cast<int>(model.FetchQueue.size()))
        m_parts.Resident.EndKakakuCheck();
    return true;
}

void PriceCheckPass::PriceNotices(const store::FetchEntry& entry)
{
    const store::WatchListModel& model = m_parts.Model;
    shell::TMiruberoMainForm& resident = m_parts.Resident;
    const shell::ScheduleSettings& settings = resident.Schedule.Settings;
    if (model.KakakuCheckRequest || (!settings.Kido && !settings.Balloon))
        return;
    const store::Komoku& komoku = model.Komokus[static_cast<size_t>(entry.Komoku)];
    const store::Slot& slot = komoku.Slots[static_cast<size_t>(entry.Row - 1)];
    const QString where = komoku.TabCaption() + QStringLiteral("-No") + QString::number(entry.Row);
    if (settings.Kido) {
        m_parts.View.ShowWindowOnTop(true);
        m_parts.Dialogs.showMessage(where + QStringLiteral("の価格が更新されました。"));
        m_parts.View.ShowWindowOnTop(false);
    }
    if (settings.Balloon) {
        QString text = CutForBalloon(slot.Cells[store::ColKakaku] + QLatin1Char('\r') + where +
                                     QLatin1Char('-') + slot.Cells[store::ColTitle]);
        if (resident.Schedule.At(entry.Komoku, entry.Row - 1).OverBudget)
            text = CutForBalloon(QStringLiteral("予算オーバー ") + text);
        resident.BalloonText = text;
        m_parts.Screen.ShowBalloon(QStringLiteral("価格更新"), text);
    }
    if (settings.Kido)
        m_parts.View.ActivatePriceCell(entry.Komoku, entry.Row);
    if (entry.Row == komoku.HonmeiNo) {
        ScrapeContext context = Context();
        m_parts.Screen.SetTrayHint(FavouriteSummaryOf(context));
    }
}

void PriceCheckPass::EndRegistration()
{
    store::WatchListModel& model = m_parts.Model;
    model.Fetching = false;
    model.FetchQueue.clear();
    model.MenuSaveEnabled = true;
    if (model.ActivePage == 0) {
        model.LabelMsgVisible = false;
    } else {
        model.MenuSortEndEnabled = true;
        model.MenuCheapEnabled = true;
        if (model.SelCol == store::ColTitle && model.SelRow >= 1 && model.SelRow <= store::SlotsPerKomoku &&
            model.SelKomoku >= 0 && model.SelKomoku < static_cast<int>(model.Komokus.size()) &&
            model.SlotAt(model.SelKomoku, model.SelRow).InUse())
            model.MenuDeleteEnabled = true;
        model.LabelMsgText = store::RegistrationGuidance();
        model.LabelMsgVisible = true;
        m_parts.Window.layoutMessageLabel();
    }
    if (m_parts.Save)
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
            resident.MainTimer().start();
        }
        return;
    }
    model.KakakuCheckButtonCaption = store::KakakuCheckStopCaption();
    // Makes the tick's 40-second test true at its next run, so a pass follows at once.
    if (resident.LastPassEnd != 0)
        resident.LastPassEnd = std::max<std::uint32_t>(resident.LastPassEnd - PeriodicIntervalMs, 1);
}

} // namespace retrieval
