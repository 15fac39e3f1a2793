// One auction's whole road through the real program: registered, its price changed, its alarm
// answered, its end announced, then pruned at a later start. The program runs as it ships, on
// a private X display with a scratch home folder, against the fake auction site under the
// site's own names (SiteFixture), on a private session bus with a tray host and a
// notification server that records the balloons (DesktopBus). Its speech goes to a file through
// the scratch home's ALSA configuration, and a stand-in browser records what is opened.

#include "e2e/DesktopBus.h"
#include "e2e/SiteFixture.h"
#include "store/DayCount.h"
#include "store/Pictures.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>

#include <gtest/gtest.h>

#include <optional>

using namespace Qt::StringLiterals;
using e2e::WaitFor;

namespace {

QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool WriteFile(const QString& path, const QByteArray& bytes, QFile::Permissions permissions = {})
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return false;
    file.close();
    return permissions == QFile::Permissions() || file.setPermissions(permissions);
}

// The stored date-time text of a moment, to the minute (the date alone at midnight).
QString StoredTime(const QDateTime& at)
{
    return store::DayCountToText(
        store::ToDayCount(QDateTime(at.date(), QTime(at.time().hour(), at.time().minute()))));
}

class RoadTest : public e2e::SiteFixture {
protected:
    void SetUp() override
    {
        SiteFixture::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        desktop = std::make_unique<e2e::DesktopBus>(scratch.path());
        ASSERT_TRUE(desktop->error().isEmpty()) << desktop->error().toStdString();
        extraEnvironment.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, desktop->address());

        // xdg-open outside a desktop environment hands addresses to $BROWSER.
        const QString browser = scratch.file(u"browser"_s);
        ASSERT_TRUE(WriteFile(browser, "#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" + opened().toUtf8() + "'\n",
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        extraEnvironment.insert(u"BROWSER"_s, browser);

        // The speech engine plays on ALSA's default device, which renders into a file here.
        ASSERT_TRUE(QDir().mkpath(home()));
        ASSERT_TRUE(WriteFile(home() + u"/.asoundrc"_s, "pcm.!default {\n type file\n slave.pcm \"null\"\n"
                                                        " file \"" +
                                                            spoken().toUtf8() + "\"\n format \"raw\"\n}\n"));
    }

    QString opened() const { return scratch.file(u"opened.txt"_s); }
    QString spoken() const { return scratch.file(u"spoken.raw"_s); }

    bool hasDialog(QProcess* program) { return !waitForDialogs(program, 0).empty(); }

    // Waits for the program's one dialog and closes it; its title, empty when none came.
    QString closeDialog(QProcess* program, int timeoutMs = 15000)
    {
        const auto dialogs = waitForDialogs(program, timeoutMs);
        if (dialogs.size() != 1)
            return {};
        x11.requestClose(dialogs[0].id);
        WaitFor([&] { return !hasDialog(program); }, 5000);
        return dialogs[0].title;
    }

    // Switches the price checks off and on again, which starts a pass at the next tick.
    bool checkPricesNow(QPoint windowOrigin)
    {
        return clickAt(windowOrigin + e2e::BtnKakakuCheckCentre) &&
               clickAt(windowOrigin + e2e::BtnKakakuCheckCentre);
    }

    bool hasBalloon(const QString& title, const QString& text) const
    {
        for (const e2e::Balloon& balloon : desktop->balloons())
            if (balloon.title == title && balloon.text == text)
                return true;
        return false;
    }
    QString balloonList() const
    {
        QStringList all;
        for (const e2e::Balloon& balloon : desktop->balloons())
            all << balloon.title + u" / "_s + balloon.text;
        return all.join(u" | "_s);
    }

    std::optional<bool> exitEnabled() const
    {
        for (const e2e::TrayMenuItem& item : desktop->trayMenu())
            if (item.label == u"終了(_E)"_s)
                return item.enabled;
        return std::nullopt;
    }

    std::unique_ptr<e2e::DesktopBus> desktop;
};

TEST_F(RoadTest, OneAuctionFromRegistrationToPruning)
{
    const QString program = testsupport::binDir() + u"/mirubero"_s;
    const QString lens = u"レンズ 50mm"_s;
    const QString camera = u"Nikon F3 ボディ"_s;
    QImage photo(400, 300, QImage::Format_RGB32);
    photo.fill(qRgb(40, 120, 200));
    // The lens's default alarm, ten minutes before its end, falls on the first whole minute at
    // least 40 s ahead: time enough for the steps before it.
    const QDateTime now = QDateTime::currentDateTime();
    const QDateTime minute(now.date(), QTime(now.time().hour(), now.time().minute()));
    const QDateTime alarmAt = minute.addSecs(now.time().second() < 20 ? 60 : 120);
    const QDateTime lensEnd = alarmAt.addSecs(600);
    const QDateTime cameraEnd = minute.addDays(5);
    putItem(u"lens"_s, lens, u"3,400円"_s, e2e::PageEndText(lensEnd), u"/i/lens.gif"_s,
            scrapetest::OnePixelGif(120, 90));
    putItem(u"camera"_s, camera, u"12,000円"_s, e2e::PageEndText(cameraEnd), u"/i/camera.jpg"_s,
            store::EncodeJpeg(photo, 90));

    QProcess* running = start(program, {}, false);
    const auto windows = waitForWindows(running);
    ASSERT_EQ(windows.size(), 1u) << running->readAllStandardError().toStdString();
    ASSERT_TRUE(WaitFor([&] { return !desktop->trayItems().isEmpty(); }, 5000)) << "no tray icon on the bus";
    const QPoint origin = x11.geometry(windows[0].id).topLeft();

    // 1. The lens handed over on the command line (row 1), the camera pasted into row 2.
    QProcess* second = start(program, {address(u"lens"_s)}, false);
    ASSERT_TRUE(waitForExit(second));
    EXPECT_EQ(second->exitCode(), 0);
    ASSERT_TRUE(WaitFor([&] { return stored().ReadString(u"1"_s, u"Title"_s) == lens; }, 15000))
        << stored().SectionLines(u"1"_s).join(u'|').toStdString();
    offerOnClipboard(address(u"camera"_s));
    ASSERT_TRUE(clickAt(origin + e2e::UrlCell(2)));
    ASSERT_TRUE(key(u"ctrl+v"_s));
    ASSERT_TRUE(WaitFor([&] { return stored().ReadString(u"2"_s, u"Title"_s) == camera; }, 15000))
        << stored().SectionLines(u"2"_s).join(u'|').toStdString();
    // The user's own bid on the lens, typed into its cell and saved with OK.
    ASSERT_TRUE(clickAt(origin + e2e::GridCell(e2e::NyusatugakuColumnCentre, 1)));
    ASSERT_TRUE(type(u"6000"_s) && key(u"Return"_s));
    ASSERT_TRUE(clickAt(origin + e2e::BtnOKCentre));
    EXPECT_EQ(closeDialog(running), u"ミルベロ"_s) << "the save's confirmation";
    ASSERT_TRUE(WaitFor([&] { return stored().ReadString(u"1"_s, u"Nyusatugaku"_s) == u"6000"_s; }, 5000))
        << stored().SectionLines(u"1"_s).join(u'|').toStdString();
    {
        const store::IniFile ini = stored();
        EXPECT_EQ(ini.ReadString(u"1"_s, u"Kakaku"_s), u"3,400円"_s);
        EXPECT_EQ(ini.ReadString(u"1"_s, u"ShuryoTime"_s), StoredTime(lensEnd));
        EXPECT_EQ(ini.ReadString(u"2"_s, u"URL"_s), address(u"camera"_s));
        EXPECT_EQ(ini.ReadString(u"2"_s, u"Kakaku"_s), u"12,000円"_s);
        EXPECT_EQ(ini.ReadString(u"2"_s, u"ShuryoTime"_s), StoredTime(cameraEnd));
        // The save re-encoded the lens's GIF; the camera's JPEG came as it was.
        EXPECT_EQ(QImage(dataDir() + u"/Image0_0.jpg"_s).size(), QSize(120, 90));
        EXPECT_EQ(QImage(dataDir() + u"/Image0_1.jpg"_s).size(), QSize(400, 300));
    }
    screenshot(windows[0].id, u"road-registered.png"_s);

    // 2. The site raises the lens's price; the next pass shows the window with its notice, then
    // the balloon, and stores the price.
    putItem(u"lens"_s, lens, u"4,800円"_s, e2e::PageEndText(lensEnd));
    ASSERT_TRUE(checkPricesNow(origin));
    EXPECT_EQ(closeDialog(running), u"ミルベロ"_s) << "the price-update notice";
    ASSERT_TRUE(WaitFor([&] { return hasBalloon(u"価格更新"_s, u"4,800円\n名前無し-No1-"_s + lens); }, 5000))
        << balloonList().toStdString();
    EXPECT_EQ(stored().ReadString(u"1"_s, u"Kakaku"_s), u"4,800円"_s);
    ASSERT_LT(QDateTime::currentDateTime(), alarmAt) << "the steps before the alarm took too long";

    // 3. At the alarm time the sentence starts and the question comes; Yes opens the page.
    std::vector<e2e::TopWindow> question;
    ASSERT_TRUE(WaitFor(
        [&] {
            question = waitForDialogs(running, 0);
            return !question.empty();
        },
        static_cast<int>(QDateTime::currentDateTime().msecsTo(alarmAt)) + 20000));
    const QDateTime asked = QDateTime::currentDateTime();
    EXPECT_GE(asked, alarmAt);
    EXPECT_LE(asked, alarmAt.addSecs(16));
    EXPECT_EQ(question[0].title, u"ミルベロ"_s);
    EXPECT_TRUE(WaitFor([&] { return QFileInfo(spoken()).size() > 1000; }, 5000))
        << "nothing was spoken into " << spoken().toStdString();
    screenshot(question[0].id, u"road-alarm.png"_s);
    // The box's text can be selected with the mouse, which puts it into the X primary selection:
    // dragged from the middle of its first line to below the end of its last.
    const QRect box = x11.geometry(question[0].id);
    ASSERT_TRUE(run(u"xdotool"_s, {u"mousemove"_s, QString::number(box.x() + box.width() / 2),
                                   QString::number(box.y() + 22), u"mousedown"_s, u"1"_s, u"mousemove"_s,
                                   QString::number(box.right() - 8), QString::number(box.bottom() - 55),
                                   u"mouseup"_s, u"1"_s}));
    const QString asking = output(u"xclip"_s, {u"-o"_s, u"-selection"_s, u"primary"_s});
    EXPECT_TRUE(asking.endsWith(u"現在価格:4,800円\n終了直前です。表示しますか？"_s)) << asking.toStdString();
    ASSERT_TRUE(run(u"xdotool"_s, {u"windowfocus"_s, u"--sync"_s, QString::number(question[0].id)}));
    ASSERT_TRUE(key(u"Return"_s)) << "Yes is the default button";
    ASSERT_TRUE(WaitFor([&] { return !ReadFile(opened()).isEmpty(); }, 10000));
    EXPECT_EQ(ReadFile(opened()), address(u"lens"_s).toUtf8() + '\n');

    // 4. The site says the auction has ended, at the price the user's bid covers.
    const QDateTime ended = QDateTime::currentDateTime().addSecs(-60);
    putItem(u"lens"_s, lens, u"4,800円"_s, e2e::PageEndText(ended), {}, {}, {scrapetest::EndedNotice()});
    ASSERT_TRUE(checkPricesNow(origin));
    ASSERT_TRUE(
        WaitFor([&] { return hasBalloon(u"落札しました!"_s, u"4,800円\n名前無し No1-"_s + lens); }, 10000))
        << balloonList().toStdString();
    {
        const store::IniFile ini = stored();
        EXPECT_EQ(ini.ReadString(u"1"_s, u"Title"_s), u"[終了]"_s + lens);
        EXPECT_EQ(ini.ReadString(u"1"_s, u"ShuryoTime"_s), StoredTime(ended));
        EXPECT_EQ(ini.ReadString(u"1"_s, u"Kakaku"_s), u"4,800円"_s);
        EXPECT_EQ(ini.ReadString(u"1"_s, u"Rakusatuhin"_s), u"1"_s);
    }
    EXPECT_FALSE(hasDialog(running));

    // 6. With the window closed, the tray's exit ends the program at once, without a question.
    EXPECT_EQ(exitEnabled(), std::optional<bool>(false)) << "not while the window is open";
    // The window is a new X window since it was kept on top for the price notice.
    const auto window = waitForWindows(running);
    ASSERT_EQ(window.size(), 1u);
    x11.requestClose(window[0].id);
    ASSERT_TRUE(WaitFor([&] { return exitEnabled() == std::optional<bool>(true); }, 5000));
    const QStringList filesBefore = QDir(dataDir()).entryList(QDir::Files);
    const QByteArray storedBefore = ReadFile(dataDir() + u"/Settei0.ini"_s);
    ASSERT_TRUE(desktop->clickTrayMenu(u"終了(_E)"_s));
    ASSERT_TRUE(waitForExit(running)) << "a question is open: " << hasDialog(running);
    EXPECT_EQ(running->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(running->exitCode(), 0) << running->readAllStandardError().right(4000).toStdString();
    EXPECT_EQ(QDir(dataDir()).entryList(QDir::Files), filesBefore);
    EXPECT_EQ(ReadFile(dataDir() + u"/Settei0.ini"_s), storedBefore);

    // 5. Days later (the lens's stored end put three days back; two are kept by default) the
    // start-up removes it and moves the camera, with its picture, to row 1. The camera's alarm,
    // set meanwhile, passed while the program was not running: the start lists it, once.
    {
        store::IniFile ini = stored();
        ini.WriteString(u"1"_s, u"ShuryoTime"_s, StoredTime(QDateTime::currentDateTime().addDays(-3)));
        ini.WriteString(u"2"_s, u"ArarmTime"_s, StoredTime(QDateTime::currentDateTime().addSecs(-600)));
        ASSERT_TRUE(ini.Save());
    }
    QProcess* later = start(program, {}, false);
    ASSERT_EQ(waitForWindows(later).size(), 1u);
    ASSERT_TRUE(WaitFor([&] { return stored().ReadString(u"1"_s, u"Title"_s) == camera; }, 10000))
        << stored().SectionLines(u"1"_s).join(u'|').toStdString();
    const store::IniFile pruned = stored();
    EXPECT_EQ(pruned.ReadString(u"1"_s, u"URL"_s), address(u"camera"_s));
    EXPECT_TRUE(pruned.SectionLines(u"2"_s).isEmpty());
    EXPECT_EQ(QImage(dataDir() + u"/Image0_0.jpg"_s).size(), QSize(400, 300));
    EXPECT_FALSE(QFileInfo::exists(dataDir() + u"/Image0_1.jpg"_s));
    const QString missed = u"アラームの時刻を過ぎたオークション: 名前無し - No1 "_s + camera + u"（"_s +
                           cameraEnd.toString(u"M/d H:mm"_s) + u"終了）"_s;
    ASSERT_TRUE(WaitFor([&] { return hasBalloon(u"ミルベロ"_s, missed); }, 10000))
        << balloonList().toStdString();
    EXPECT_FALSE(hasDialog(later)) << "a missed alarm is not asked late";
    screenshot(waitForWindows(later)[0].id, u"road-missed-alarms.png"_s);
}

} // namespace
