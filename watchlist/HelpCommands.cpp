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

void OpenReadMe(bool kakakuChecking, platform::ShellOpen& shellOpen, platform::Dialogs& dialogs,
                const QString& exeDir)
{
    if (kakakuChecking)
        return;
    shell::OpenWithShell(shellOpen, dialogs, exeDir + ReadMeFileName(), CouldNotOpen(ReadMeFileName()));
}

void OpenAuthorSite(platform::ShellOpen& shellOpen, platform::Dialogs& dialogs, const QString& address)
{
    shell::OpenWithShell(shellOpen, dialogs, address, QStringLiteral("作者サイトへの接続に失敗しました。"));
}

void OpenNotationHelp(platform::ShellOpen& shellOpen, platform::Dialogs& dialogs, const QString& exeDir)
{
    shell::OpenWithShell(shellOpen, dialogs, exeDir + NotationFileName(), CouldNotOpen(NotationFileName()));
}

} // namespace watchlist
