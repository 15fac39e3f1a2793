#pragma once

// The real program against the fake auction site under the site's own host names: the test
// moves itself, and so everything it starts, into a network and mount namespace of its own
// (as root), where those names resolve to 127.0.0.1 and the test CA is the system's trusted
// store. The site listens on port 443 there. Tests skip without root, and fail instead under
// CI=true.

#include "e2e/ProgramFixture.h"
#include "e2e/SiteNamespace.h"
#include "retrieval/ScrapeTestSupport.h"
#include "store/IniFile.h"
#include "support/FakeAuctionSite.h"
#include "support/TestCertificates.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <unistd.h>

namespace e2e {

using namespace Qt::StringLiterals;

// Where things are in the watch-list window at its design size, measured from its top left
// corner: the first category page's grid and picture boxes (the grid's column widths and row
// heights are fixed at start), and the buttons below the pages.
constexpr QPoint GridOrigin(95, 95);
constexpr int GridHeaderHeight = 26;
constexpr int GridRowPitch = 52;
constexpr int UrlColumnCentre = 246;
constexpr int NyusatugakuColumnCentre = 655;
// Row 2's picture box.
constexpr QPoint PictureBoxCentre(67, 201);
constexpr QPoint BtnOKCentre(635, 545);
constexpr QPoint BtnKakakuCheckCentre(861, 545);

inline QPoint GridCell(int columnCentre, int row)
{
    return GridOrigin + QPoint(columnCentre, GridHeaderHeight + (row - 1) * GridRowPitch + GridRowPitch / 2);
}
inline QPoint UrlCell(int row)
{
    return GridCell(UrlColumnCentre, row);
}

using scrapetest::PageEndText;

class SiteFixture : public ProgramFixture {
protected:
    void SetUp() override
    {
        ProgramFixture::SetUp();
        const SiteNamespace entered = EnterSiteNamespace(
            {testsupport::FakeAuctionSite::host(), u"auctions.yahoo.co.jp"_s, u"auctions.c.yimg.jp"_s},
            testsupport::trustedAuthorityFile(), scratch.path());
        if (entered.Result == SiteNamespace::Outcome::Unavailable) {
            // Under CI a test that cannot run here is a failure, never a pass.
            if (qEnvironmentVariable("CI") == u"true"_s)
                FAIL() << "cannot run here, and CI=true: " << entered.Reason.toStdString();
            GTEST_SKIP() << entered.Reason.toStdString();
        }
        ASSERT_EQ(entered.Result, SiteNamespace::Outcome::Entered) << entered.Reason.toStdString();
        site =
            std::make_unique<testsupport::FakeAuctionSite>(testsupport::FakeAuctionSite::Certificate::Trusted,
                                                           testsupport::FakeAuctionSite::Tls::UpTo13, 443);
        ASSERT_TRUE(site->isListening()) << "port 443 in the test's own network";
    }

    void TearDown() override
    {
        for (QProcess* process : processesToEnd) {
            process->kill();
            process->waitForFinished(3000);
        }
        ProgramFixture::TearDown();
    }

    QString address(const QString& id) const { return site->url(u"/jp/auction/"_s + id); }

    // An item page; `before` goes in front of the price block (the ended notice, say), the
    // picture is on the site's picture host when its path is given.
    void putItem(const QString& id, const QString& title, const QString& price, const QString& endText,
                 const QString& picturePath = {}, const QByteArray& picture = {},
                 const QStringList& before = {})
    {
        using namespace scrapetest;
        QStringList lines{u"<title>ヤフオク! - "_s + title + u"</title>"_s};
        lines << before << PriceBlock(price) << CountBlock(u"3"_s) << EndBlock(endText);
        if (!picturePath.isEmpty()) {
            site->setPicture(picturePath, picture);
            lines << PictureBlock(site->url(picturePath, u"auctions.c.yimg.jp"_s));
        }
        site->setPage(u"/jp/auction/"_s + id, Page(lines));
    }

    // The program with what it loads and opens beside it, copied into `folder`, everything
    // readable by everyone.
    static bool copyProgram(const QString& folder)
    {
        constexpr QFile::Permissions everyone =
            QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther;
        constexpr QFile::Permissions runnable = QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther;
        if (!QDir().mkpath(folder) || !QFile::setPermissions(folder, everyone | runnable))
            return false;
        const QDir from(testsupport::binDir());
        for (const QFileInfo& file : from.entryInfoList(QDir::Files)) {
            const QString copy = folder + u'/' + file.fileName();
            if (!QFile::copy(file.filePath(), copy) ||
                !QFile::setPermissions(copy, file.isExecutable() ? everyone | runnable : everyone))
                return false;
        }
        return true;
    }

    store::IniFile stored(int komoku = 0) const
    {
        return store::IniFile(dataDir() + u"/Settei"_s + QString::number(komoku) + u".ini"_s);
    }

    // Runs a command on the test's display and waits for it: whether it succeeded, and what it wrote.
    bool run(const QString& program, const QStringList& arguments, QString* written = nullptr)
    {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"DISPLAY"_s, x11.displayName());
        process.setProcessEnvironment(env);
        process.start(program, arguments);
        const bool done = process.waitForFinished(10000) && process.exitStatus() == QProcess::NormalExit &&
                          process.exitCode() == 0;
        if (written)
            *written = QString::fromUtf8(process.readAllStandardOutput());
        return done;
    }
    QString output(const QString& program, const QStringList& arguments)
    {
        QString written;
        return run(program, arguments, &written) ? written : QString();
    }
    bool clickAt(QPoint point, int clicks = 1)
    {
        return run(u"xdotool"_s, {u"mousemove"_s, QString::number(point.x()), QString::number(point.y()),
                                  u"click"_s, u"--repeat"_s, QString::number(clicks), u"1"_s});
    }
    bool type(const QString& text) { return run(u"xdotool"_s, {u"type"_s, text}); }
    bool key(const QString& keys) { return run(u"xdotool"_s, {u"key"_s, keys}); }

    // Keeps text on the X clipboard, served by xclip until the test ends.
    void offerOnClipboard(const QString& text)
    {
        auto& clipboard = clipboards.emplace_back(std::make_unique<QProcess>());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"DISPLAY"_s, x11.displayName());
        clipboard->setProcessEnvironment(env);
        clipboard->start(u"xclip"_s, {u"-quiet"_s, u"-selection"_s, u"clipboard"_s});
        ASSERT_TRUE(clipboard->waitForStarted(5000));
        clipboard->write(text.toUtf8());
        clipboard->waitForBytesWritten(5000);
        clipboard->closeWriteChannel();
        processesToEnd.push_back(clipboard.get());
        // xclip owns the clipboard once it has read all of its input.
        EXPECT_TRUE(WaitFor(
            [&] {
                return output(u"xclip"_s, {u"-o"_s, u"-selection"_s, u"clipboard"_s}) == text;
            },
            5000));
    }

    // Saves what a window shows when MIRUBERO_SCREENSHOTS names a folder.
    void screenshot(std::uint64_t window, const QString& name) const
    {
        const QString folder = qEnvironmentVariable("MIRUBERO_SCREENSHOTS");
        if (!folder.isEmpty())
            x11.grab(window).save(folder + u'/' + name);
    }

    std::unique_ptr<testsupport::FakeAuctionSite> site;
    std::vector<std::unique_ptr<QProcess>> clipboards;
    std::vector<QProcess*> processesToEnd;
};

} // namespace e2e
