#include "watchlist/HelpCommands.h"
#include "support/Fakes.h"

#include <gtest/gtest.h>

using namespace testsupport;

namespace {

const QString ExeDir = QStringLiteral("/opt/mirubero/");

TEST(HelpCommands, ReadMeOpensBesideTheProgramButNotDuringAPriceCheck)
{
    FakeShellOpen shellOpen;
    FakeDialogs dialogs;
    watchlist::OpenReadMe(true, shellOpen, dialogs, ExeDir);
    EXPECT_TRUE(shellOpen.opened.isEmpty());
    EXPECT_TRUE(dialogs.shown.empty());

    watchlist::OpenReadMe(false, shellOpen, dialogs, ExeDir);
    EXPECT_EQ(shellOpen.opened, QStringList{ExeDir + QStringLiteral("ReadMe.txt")});
    EXPECT_TRUE(dialogs.shown.empty());

    shellOpen.succeed = false;
    watchlist::OpenReadMe(false, shellOpen, dialogs, ExeDir);
    EXPECT_EQ(dialogs.texts(), QStringList{QStringLiteral("\"ReadMe.txt\"を開けませんでした。")});
}

TEST(HelpCommands, TheAuthorsSiteOpensOrTheFailureIsReported)
{
    FakeShellOpen shellOpen;
    FakeDialogs dialogs;
    watchlist::OpenAuthorSite(shellOpen, dialogs, QStringLiteral("https://auctions.yahoo.co.jp/"));
    EXPECT_EQ(shellOpen.opened, QStringList{QStringLiteral("https://auctions.yahoo.co.jp/")});
    EXPECT_TRUE(dialogs.shown.empty());

    shellOpen.succeed = false;
    watchlist::OpenAuthorSite(shellOpen, dialogs, QStringLiteral("https://auctions.yahoo.co.jp/"));
    shellOpen.throws = true;
    watchlist::OpenAuthorSite(shellOpen, dialogs, QStringLiteral("https://auctions.yahoo.co.jp/"));
    EXPECT_EQ(dialogs.texts(), QStringList(2, QStringLiteral("作者サイトへの接続に失敗しました。")));
    for (const auto& message : dialogs.shown)
        EXPECT_TRUE(message.caption.isEmpty());
}

TEST(HelpCommands, NotationHelpOpensEvenDuringAPriceCheck)
{
    FakeShellOpen shellOpen;
    FakeDialogs dialogs;
    watchlist::OpenNotationHelp(shellOpen, dialogs, ExeDir);
    EXPECT_EQ(shellOpen.opened, QStringList{ExeDir + QStringLiteral("音声記号列仕様.pdf")});

    shellOpen.succeed = false;
    watchlist::OpenNotationHelp(shellOpen, dialogs, ExeDir);
    EXPECT_EQ(dialogs.texts(), QStringList{QStringLiteral("\"音声記号列仕様.pdf\"を開けませんでした。")});
}

} // namespace
