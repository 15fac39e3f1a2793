// The general page's handlers and the commands of the window's help menu and buttons.

#include "watchlist/WatchListPresenter.h"

#include "watchlist/HelpCommands.h"
#include "watchlist/SpeechSettings.h"

namespace watchlist {

void WatchListPresenter::EditArarmTimeChange(const QString& text)
{
    m_parts.Model.General.EditArarmTime = text;
    CheckBoxAllArarmClick();
}

void WatchListPresenter::CheckBoxAllArarmClick()
{
    if (m_parts.Model.WindowReady)
        m_parts.Model.Saved = false;
}

void WatchListPresenter::CheckBoxArarmSpeakClick()
{
    watchlist::CheckBoxArarmSpeakClick(m_parts.Model);
}

void WatchListPresenter::MemoSpeakTextChange()
{
    watchlist::MemoSpeakTextChange(m_parts.Model);
}

void WatchListPresenter::BtnPlayClick()
{
    watchlist::BtnPlayClick(m_parts.Model, m_parts.Speech, m_parts.Dialogs);
}

void WatchListPresenter::H2Click()
{
    OpenReadMe(m_parts.Run.KakakuChecking(), m_parts.ShellOpen, m_parts.Dialogs, m_parts.Resident.ExeDir());
}

void WatchListPresenter::AboutOnseiClick()
{
    OpenNotationHelp(m_parts.ShellOpen, m_parts.Dialogs, m_parts.Resident.ExeDir());
}

void WatchListPresenter::V1Click()
{
    if (m_commands.About)
        m_commands.About();
}

void WatchListPresenter::BtnKakakuCheckClick()
{
    m_parts.Run.BtnKakakuCheckClick();
}

void WatchListPresenter::LabelURLClick(const QString& address)
{
    OpenAuthorSite(m_parts.ShellOpen, m_parts.Dialogs, address);
}

} // namespace watchlist
