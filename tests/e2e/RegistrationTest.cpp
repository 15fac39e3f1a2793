// The real program registers auctions from the fake auction site, reached under the site's
// own host names and trusted through the system's certificate store: the test runs in a
// network and mount namespace of its own (as root), and so does everything it starts.

#include "e2e/ProgramFixture.h"
#include "e2e/SiteNamespace.h"
#include "retrieval/ScrapeTestSupport.h"
#include "store/IniFile.h"
#include "store/Pictures.h"
#include "support/FakeAuctionSite.h"
#include "support/TestCertificates.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace Qt::StringLiterals;
using e2e::WaitFor;
using testsupport::FakeAuctionSite;

namespace {

// Where things are in the watch-list window at its design size, measured from its top left
// corner: the first category page's grid and picture boxes (the grid's column widths and row
// heights are fixed at start).
constexpr QPoint GridOrigin(95, 95);
constexpr int GridHeaderHeight = 26;
constexpr int GridRowPitch = 52;
constexpr int UrlColumnCentre = 246;
// Row 2's picture box.
constexpr QPoint PictureBoxCentre(67, 201);

QPoint UrlCell(int row)
{
    return GridOrigin +
           QPoint(UrlColumnCentre, GridHeaderHeight + (row - 1) * GridRowPitch + GridRowPitch / 2);
}

class RegistrationTest : public e2e::ProgramFixture {
protected:
    void SetUp() override
    {
        ProgramFixture::SetUp();
        const QString reason = e2e::EnterSiteNamespace(
            {FakeAuctionSite::host(), u"auctions.yahoo.co.jp"_s, u"auctions.c.yimg.jp"_s},
            testsupport::trustedAuthorityFile(), scratch.path());
        if (geteuid() != 0)
            GTEST_SKIP() << reason.toStdString();
        ASSERT_TRUE(reason.isEmpty()) << reason.toStdString();
        site = std::make_unique<FakeAuctionSite>(FakeAuctionSite::Certificate::Trusted,
                                                 FakeAuctionSite::Tls::UpTo13, 443);
        ASSERT_TRUE(site->isListening()) << "port 443 in the test's own network";
    }

    QString address(const QString& id) const { return site->url(u"/jp/auction/"_s + id); }

    // An item page with a picture on the site's picture host.
    void putItem(const QString& id, const QString& title, const QString& price, const QString& picturePath,
                 const QByteArray& picture)
    {
        using namespace scrapetest;
        site->setPicture(picturePath, picture);
        site->setPage(u"/jp/auction/"_s + id,
                      Page(QStringList{u"<title>ヤフオク! - "_s + title + u"</title>"_s} + PriceBlock(price) +
                           CountBlock(u"3"_s) + EndBlock(u"2027.01.12（火）21:34"_s) +
                           PictureBlock(site->url(picturePath, u"auctions.c.yimg.jp"_s))));
    }

    store::IniFile stored() const { return store::IniFile(dataDir() + u"/Settei0.ini"_s); }

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

    void TearDown() override
    {
        for (QProcess* process : processesToEnd) {
            process->kill();
            process->waitForFinished(3000);
        }
        ProgramFixture::TearDown();
    }

    std::unique_ptr<FakeAuctionSite> site;
    std::vector<std::unique_ptr<QProcess>> clipboards;
    std::vector<QProcess*> processesToEnd;
};

TEST_F(RegistrationTest, PastedAndHandedOverAddressesFillTheirSlotsAndAreStored)
{
    QImage photo(400, 300, QImage::Format_RGB32);
    for (int y = 0; y < photo.height(); ++y)
        for (int x = 0; x < photo.width(); ++x)
            photo.setPixel(x, y, qRgb(40 + x / 3, 80 + y / 3, 200 - x / 4));
    putItem(u"e2e1"_s, u"Nikon F3 ボディ"_s, u"12,000円"_s, u"/i/e2e1.jpg"_s, store::EncodeJpeg(photo, 90));
    putItem(u"e2e2"_s, u"レンズ 50mm"_s, u"3,400円"_s, u"/i/e2e2.gif"_s, scrapetest::OnePixelGif(120, 90));

    const QString program = testsupport::binDir() + u"/mirubero"_s;
    QProcess* running = start(program, {}, false);
    const auto windows = waitForWindows(running);
    ASSERT_EQ(windows.size(), 1u) << running->readAllStandardError().toStdString();
    EXPECT_TRUE(waitForDialogs(running, 1500).empty()) << "the site answered the start-up check";

    // Handed over by a second start: registered on the first category, whose page comes to the front.
    QProcess* second = start(program, {address(u"e2e2"_s)}, false);
    ASSERT_TRUE(waitForExit(second));
    EXPECT_EQ(second->exitCode(), 0);
    ASSERT_TRUE(WaitFor([&] { return stored().ReadString(u"1"_s, u"Title"_s) == u"レンズ 50mm"_s; }, 15000))
        << stored().SectionLines(u"1"_s).join(u'|').toStdString();
    EXPECT_TRUE(WaitFor([&] { return QFileInfo::exists(dataDir() + u"/Image0_0.jpg"_s); }, 5000));
    EXPECT_TRUE(QDir(dataDir()).entryList({u"*.gif"_s}).isEmpty()) << "the GIF is gone once decoded";

    // Pasted into row 2's address cell through the real clipboard.
    const QPoint origin = x11.geometry(windows[0].id).topLeft();
    offerOnClipboard(address(u"e2e1"_s));
    ASSERT_TRUE(clickAt(origin + UrlCell(2)));
    ASSERT_TRUE(run(u"xdotool"_s, {u"key"_s, u"ctrl+v"_s}));
    ASSERT_TRUE(
        WaitFor([&] { return stored().ReadString(u"2"_s, u"Title"_s) == u"Nikon F3 ボディ"_s; }, 15000))
        << stored().SectionLines(u"2"_s).join(u'|').toStdString();
    const store::IniFile ini = stored();
    EXPECT_EQ(ini.ReadString(u"2"_s, u"URL"_s), address(u"e2e1"_s));
    EXPECT_EQ(ini.ReadString(u"2"_s, u"Kakaku"_s), u"12,000円"_s);
    EXPECT_EQ(ini.ReadString(u"2"_s, u"Nyusatu"_s), u"3"_s);
    EXPECT_EQ(ini.ReadString(u"1"_s, u"Kakaku"_s), u"3,400円"_s);
    EXPECT_FALSE(ini.ReadString(u"2"_s, u"ShuryoTime"_s).isEmpty());
    ASSERT_TRUE(WaitFor([&] { return QFileInfo::exists(dataDir() + u"/Image0_1.jpg"_s); }, 5000));
    EXPECT_EQ(QImage(dataDir() + u"/Image0_1.jpg"_s).size(), QSize(400, 300));
    QThread::msleep(300);
    screenshot(windows[0].id, u"registered.png"_s);

    // A double click on row 2's picture box opens the enlarged view: the picture at its size, the
    // close button below it.
    ASSERT_TRUE(clickAt(origin + PictureBoxCentre, 2));
    std::vector<e2e::TopWindow> views;
    ASSERT_TRUE(WaitFor(
        [&] {
            views = waitForWindows(running, 0);
            return views.size() == 2;
        },
        5000));
    const auto enlarged = views[0].id == windows[0].id ? views[1] : views[0];
    const QSize viewSize = x11.geometry(enlarged.id).size();
    EXPECT_EQ(viewSize.width(), 400);
    EXPECT_GT(viewSize.height(), 300);
    QThread::msleep(300);
    screenshot(enlarged.id, u"enlarged.png"_s);
}

} // namespace
