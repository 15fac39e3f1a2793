// The real program registers auctions from the fake auction site, reached under the site's
// own host names and trusted through the system's certificate store: the test runs in a
// network and mount namespace of its own (as root), and so does everything it starts.

#include "e2e/SiteFixture.h"
#include "store/Pictures.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using e2e::WaitFor;

namespace {

class RegistrationTest : public e2e::SiteFixture {};

TEST_F(RegistrationTest, PastedAndHandedOverAddressesFillTheirSlotsAndAreStored)
{
    QImage photo(400, 300, QImage::Format_RGB32);
    for (int y = 0; y < photo.height(); ++y)
        for (int x = 0; x < photo.width(); ++x)
            photo.setPixel(x, y, qRgb(40 + x / 3, 80 + y / 3, 200 - x / 4));
    const QString end = u"2027.01.12（火）21:34"_s;
    putItem(u"e2e1"_s, u"Nikon F3 ボディ"_s, u"12,000円"_s, end, u"/i/e2e1.jpg"_s,
            store::EncodeJpeg(photo, 90));
    putItem(u"e2e2"_s, u"レンズ 50mm"_s, u"3,400円"_s, end, u"/i/e2e2.gif"_s,
            scrapetest::OnePixelGif(120, 90));

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
    ASSERT_TRUE(clickAt(origin + e2e::UrlCell(2)));
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
    ASSERT_TRUE(clickAt(origin + e2e::PictureBoxCentre, 2));
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

// A changed layout of the site's pages is read by a marker file put beside the program, with
// no new build.
TEST_F(RegistrationTest, MarkerFileBesideTheProgramReadsPagesOfAChangedLayout)
{
    using namespace scrapetest;
    const QString bin = scratch.file(u"bin"_s);
    ASSERT_TRUE(copyProgram(bin));
    QFile markers(bin + u"/PageMarkers.txt"_s);
    ASSERT_TRUE(markers.open(QIODevice::ReadOnly));
    const QByteArray moved = MovedMarkerFile(markers.readAll());
    markers.close();
    ASSERT_TRUE(markers.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                markers.write(moved) == moved.size());
    markers.close();
    const QDateTime end(QDate::currentDate().addDays(30), QTime(21, 34));
    site->setPage(u"/jp/auction/moved1"_s,
                  MovedLayout(Page(QStringList{u"<title>ヤフオク! - 新しい形のページ</title>"_s} +
                                   PriceBlock(u"7,700円"_s) + CountBlock(u"4"_s) +
                                   EndBlock(MovedEndText(PageEndText(end))))));

    const QString program = bin + u"/mirubero"_s;
    QProcess* running = start(program, {}, false);
    ASSERT_EQ(waitForWindows(running).size(), 1u) << running->readAllStandardError().toStdString();
    EXPECT_TRUE(waitForDialogs(running, 1500).empty()) << "a message at start: the marker file refused?";
    QProcess* second = start(program, {address(u"moved1"_s)}, false);
    ASSERT_TRUE(waitForExit(second));
    ASSERT_TRUE(
        WaitFor([&] { return stored().ReadString(u"1"_s, u"Title"_s) == u"新しい形のページ"_s; }, 15000))
        << stored().SectionLines(u"1"_s).join(u'|').toStdString();
    const store::IniFile ini = stored();
    EXPECT_EQ(ini.ReadString(u"1"_s, u"Kakaku"_s), u"7,700円"_s);
    EXPECT_EQ(ini.ReadString(u"1"_s, u"Nyusatu"_s), u"4"_s);
    EXPECT_TRUE(ini.ReadString(u"1"_s, u"ShuryoTime"_s).startsWith(end.toString(u"yyyy/MM/dd 21:34"_s)))
        << ini.ReadString(u"1"_s, u"ShuryoTime"_s).toStdString();
}

} // namespace
