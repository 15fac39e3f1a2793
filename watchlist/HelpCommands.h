#pragma once

#include "platform/Dialogs.h"
#include "platform/ShellOpen.h"
#include "store/WatchListModel.h"

namespace watchlist {

QString ReadMeFileName();
QString NotationFileName();

// "ヘルプ(&H)": opens ReadMe.txt beside the program; nothing while a price check runs.
void OpenReadMe(bool kakakuChecking, platform::ShellOpen& shellOpen, platform::Dialogs& dialogs,
                const QString& exeDir);
// "音声文字について(&O)": opens the description of the speech notation.
void OpenNotationHelp(platform::ShellOpen& shellOpen, platform::Dialogs& dialogs, const QString& exeDir);
// The About window's address label: opens the author's site.
void OpenAuthorSite(platform::ShellOpen& shellOpen, platform::Dialogs& dialogs, const QString& address);

} // namespace watchlist
