#include "platform/linux/QtFolders.h"

#include "support/ScratchDir.h"

#include <QDir>

#include <gtest/gtest.h>

namespace {

TEST(QtFolders, ProgramFilesComeFromThePrivateFolderWhenInstalledElseFromBesideTheProgram)
{
    testsupport::ScratchDir root;
    const QString bin = root.file(QStringLiteral("usr/bin"));
    const QString privateDir = QStringLiteral("../lib/x86_64-linux-gnu/mirubero");
    ASSERT_TRUE(QDir().mkpath(bin));

    // The build tree: nothing at the private place, so the files are beside the program.
    EXPECT_EQ(platform::QtFolders::ProgramFilesDir(bin, privateDir), bin);

    ASSERT_TRUE(QDir().mkpath(root.file(QStringLiteral("usr/lib/x86_64-linux-gnu/mirubero"))));
    EXPECT_EQ(platform::QtFolders::ProgramFilesDir(bin, privateDir),
              root.file(QStringLiteral("usr/lib/x86_64-linux-gnu/mirubero")));
}

} // namespace
