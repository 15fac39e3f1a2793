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
    store::WatchListModel model;

    model.KakakuChecking = true;
    watchlist::OpenReadMe(model, shellOpen, dialogs, ExeDir);
    EXPECT_TRUE(shellOpen.opened.isEmpty());
    EXPECT_TRUE(dialogs.shown.empty());

    model.KakakuChecking = false;
    watchlist::OpenReadMe(model, shellOpen, dialogs, ExeDir);
    EXPECT_EQ(shellOpen.opened, QStringList{ExeDir + QStringLiteral("ReadMe.txt")});
    EXPECT_TRUE(dialogs.shown.empty());

    shellOpen.succeed = false;
    watchlist::OpenReadMe(model, shellOpen, dialogs, ExeDir);
    EXPECT_EQ(dialogs.texts(), QStringList{QStringLiteral("\"ReadMe.txt\"を開けませんでした。")});
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
