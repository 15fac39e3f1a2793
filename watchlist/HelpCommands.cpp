#include "watchlist/HelpCommands.h"

#include "shell/OpenWithShell.h"

namespace watchlist {

namespace {

QString CouldNotOpen(const QString& fileName)
{
    return QLatin1Char('"') + fileName + QStringLiteral("\"を開けませんでした。");
}

} // namespace

QString ReadMeFileName()
{
    return QStringLiteral("ReadMe.txt");
}

QString NotationFileName()
{
    return QStringLiteral("音声記号列仕様.pdf");
}

void OpenReadMe(const store::WatchListModel& model, platform::ShellOpen& shellOpen,
                platform::Dialogs& dialogs, const QString& exeDir)
{
    if (model.KakakuChecking)
        return;
    shell::OpenWithShell(shellOpen, dialogs, exeDir + ReadMeFileName(), CouldNotOpen(ReadMeFileName()));
}

void OpenNotationHelp(platform::ShellOpen& shellOpen, platform::Dialogs& dialogs, const QString& exeDir)
{
    shell::OpenWithShell(shellOpen, dialogs, exeDir + NotationFileName(), CouldNotOpen(NotationFileName()));
}

} // namespace watchlist
