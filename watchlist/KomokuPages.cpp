// The watch-list window's category pages: creation, adding and deleting a category, its
// name and the page change.

#include "watchlist/KomokuPages.h"

#include "store/IniFile.h"
#include "store/StoredFiles.h"

#include <utility>

namespace watchlist {

using namespace store;

QString KomokuPages::TabDelQuestion(const QString& caption)
{
    return caption + QStringLiteral("を削除しますか？");
}

void KomokuPages::Create()
{
    WatchListModel& model = m_parts.Model;
    model.Saved = true;
    model.SpeakTextChecked = true;
    model.KomokuCount = 1;
    model.Komokus.assign(1, Komoku());

    const IniFile total(m_parts.File(TotalIniName()));
    if (total.Existed()) {
        const int stored = Read(total, total::KomokuCount);
        for (int k = 1; k < stored; ++k)
            Add();
    } else {
        m_storage.Save();
    }
    m_parts.View.render();
}

void KomokuPages::Add()
{
    WatchListModel& model = m_parts.Model;
    ResidentSide& resident = m_parts.Resident;
    if (m_parts.Run.KakakuChecking() || model.KomokuCount >= MaxKomokuCount)
        return;
    resident.StopMonitor();
    if (!model.Saved && !m_storage.Save()) {
        if (!resident.StartingUp())
            resident.StartMonitor();
        return;
    }
    AddKomokuPage();
    if (!resident.StartingUp()) {
        m_storage.Save();
        resident.StartMonitor();
    }
    m_parts.View.render();
}

void KomokuPages::AddKomokuPage()
{
    WatchListModel& model = m_parts.Model;
    ++model.KomokuCount;
    Komoku added;
    added.AddedUnnamed = true;
    model.Komokus.push_back(std::move(added));
    const int k = model.KomokuCount - 1;
    model.ActivePage = k + 1;
    model.SelKomoku = k;
    m_parts.View.render();
    m_parts.View.setActivePage(k + 1);
}

void KomokuPages::Remove(int komoku)
{
    WatchListModel& model = m_parts.Model;
    ResidentSide& resident = m_parts.Resident;
    if (!model.WindowReady || model.KomokuCount <= 1 || komoku < 0 || komoku >= model.KomokuCount)
        return;
    resident.StopMonitor();
    const auto restart = [&resident] {
        if (!resident.StartingUp())
            resident.StartMonitor();
    };
    if (!resident.StartingUp() &&
        !m_parts.Dialogs.askYesNo(TabDelQuestion(model.KomokuAt(komoku).TabCaption()), {},
                                  platform::MessageIcon::Question, false)) {
        restart();
        return;
    }
    if (!model.Saved && !m_storage.Save()) {
        restart();
        return;
    }
    model.Saved = false;

    const int last = model.KomokuCount - 1;
    for (int j = komoku + 1; j <= last; ++j) {
        Komoku& to = model.KomokuAt(j - 1);
        to = std::move(model.KomokuAt(j));
        to.AddedUnnamed = false;
        for (int s = 0; s < SlotsPerKomoku; ++s)
            m_statuses.Of(j - 1, s) = m_statuses.Of(j, s);
    }
    model.Komokus.pop_back();
    // The last category's files go with the save, once the others have moved down.

    model.KomokuCount = last;
    // The page that showed may be gone; the selection follows the page that shows now.
    if (model.ActivePage > model.KomokuCount)
        model.ActivePage = model.KomokuCount;
    model.SelKomoku = model.ActivePage > 0 ? model.ActivePage - 1 : 0;
    m_parts.View.render();
    m_parts.View.setActivePage(model.ActivePage);

    m_storage.Save();
    restart();
    m_parts.View.render();
}

void KomokuPages::Rename(int komoku, const QString& text)
{
    Komoku& target = m_parts.Model.KomokuAt(komoku);
    target.Name = text;
    target.AddedUnnamed = false;
    m_parts.Model.Saved = false;
    m_parts.View.render();
}

void KomokuPages::PageChanged(int page)
{
    WatchListModel& model = m_parts.Model;
    model.ActivePage = page;
    model.SelKomoku = page - 1;
    // The message line shows the guidance again, unless a pass shows its progress there.
    if (!m_parts.Run.KakakuChecking())
        model.LabelMsgNotice.clear();
    m_parts.View.render();
    if (page > 0)
        m_parts.View.layoutMessageLabel();
}

void KomokuPages::AuctionPageShown(int komoku)
{
    WatchListModel& model = m_parts.Model;
    model.ActivePage = komoku + 1;
    model.SelKomoku = komoku;
    model.ShownKomoku = komoku;
    m_parts.View.render();
}

void KomokuPages::SetteiPageShown()
{
    WatchListModel& model = m_parts.Model;
    model.ActivePage = 0;
    m_parts.View.render();
}

} // namespace watchlist
