// The watch-list window's behaviour against its stored files: creation, categories, the
// load on show, the save with its checks and the closing of the window, driven through
// the presenter with the real resident object and a fake of the window.

#include "WatchListFixture.h"

#include <QDir>

namespace {

using namespace watchlisttest;

TEST_F(WatchListFiles, FirstStartWritesTheDefaultsInTheirCanonicalForm)
{
    create();
    EXPECT_EQ(captions(), (QStringList{u"全般"_s, u"名前無し"_s}));
    EXPECT_EQ(
        bytes(u"Total.ini"_s),
        QByteArray("[KomokuCount]\r\nValue=1\r\n[ArarmTime]\r\nValue=10\r\n[Ararm]\r\nAll=0\r\nSpeak=1\r\n"
                   "[KakakuKoshin]\r\nKido=1\r\nBalloon=1\r\n[EndAuction]\r\nDel=2\r\n"
                   "[YosanOver]\r\nNoHyoji=0\r\n[KakakuCheckToday_Tomorrow]\r\nValue=1\r\n"));
    EXPECT_EQ(bytes(u"SpeakMsg.txt"_s), store::ToCp932(u"おーく'しょん、おわるよ。\r\n"_s));
    EXPECT_EQ(bytes(u"Settei0.ini"_s), QByteArray("[Komoku]\r\nName=\r\n[Honmei]\r\nNo=0\r\n"));
    // Created while starting up: the schedule is read by the first tick, not asked for.
    EXPECT_FALSE(testsupport::State(*form).RebuildRequest);
}

TEST_F(WatchListFiles, TheStoredCountGivesThePagesWithoutASave)
{
    put(u"Total.ini"_s, u"[KomokuCount]\nValue=3\n"_s);
    create();
    EXPECT_EQ(captions(), (QStringList{u"全般"_s, u"名前無し"_s, u"名前なし"_s, u"名前なし"_s}));
    EXPECT_EQ(text(u"Total.ini"_s), u"[KomokuCount]\r\nValue=3\r\n"_s);
    EXPECT_FALSE(exists(u"Settei0.ini"_s));

    for (const QString& stored : {u"0"_s, u"-2"_s, u"drei"_s}) {
        SCOPED_TRACE(stored.toStdString());
        presenter.reset();
        model = store::WatchListModel();
        testsupport::State(*form).StartingUp = true;
        put(u"Total.ini"_s, u"[KomokuCount]\nValue="_s + stored + u"\n"_s);
        put(u"Settei0.ini"_s,
            u"[1]\nTitle=[終了]x\nURL=%1\nShuryoTime=2026/12/20 21:00:00\nRakusatuhin=1\n"_s.arg(Url));
        create();
        EXPECT_EQ(captions(), (QStringList{u"全般"_s, u"名前無し"_s}));
        // The first tick's rebuild reads the stored count; the window keeps the page it has and can save
        // it, with the won mark of its auction.
        startUp();
        clickOK();
        EXPECT_EQ(lastMessage(), WatchListStorage::SavedMessage());
        EXPECT_TRUE(text(u"Total.ini"_s).startsWith(u"[KomokuCount]\r\nValue=1\r\n"_s));
        EXPECT_TRUE(text(u"Settei0.ini"_s).contains(u"Rakusatuhin=1\r\n"_s))
            << text(u"Settei0.ini"_s).toStdString();
        view.visible = false;
    }

    // A hand-edited count far beyond the five pages, and a removal wait beyond the choice: the
    // window and the schedule both take the largest they offer.
    presenter.reset();
    model = store::WatchListModel();
    testsupport::State(*form).StartingUp = true;
    put(u"Total.ini"_s, u"[KomokuCount]\nValue=10000000\n[EndAuction]\nDel=99\n"_s);
    create();
    EXPECT_EQ(captions().size(), 1 + store::MaxKomokuCount);
    startUp();
    EXPECT_EQ(form->Schedule().KomokuCount(), store::MaxKomokuCount);
    EXPECT_EQ(form->Schedule().Settings.Del, store::EndAuctionDelMax);
    EXPECT_EQ(model.General.ComboBoxEndAuctionDel, store::EndAuctionDelMax);
}

TEST_F(WatchListFiles, TheAddAndDeleteButtonsFollowTheCount)
{
    putTotal(5);
    create();
    startUp();
    EXPECT_FALSE(states().BtnAddKomoku);

    // No to the question changes nothing.
    presenter->BtnTabDelClick(4);
    ASSERT_EQ(lastMessage(), u"名前なしを削除しますか？"_s);
    EXPECT_EQ(captions().size(), 6);
    EXPECT_TRUE(form->MonitorRunning());

    for (int k = 4; k >= 1; --k) {
        dialogs.answers.push_back(true);
        presenter->BtnTabDelClick(k);
        EXPECT_TRUE(states().BtnAddKomoku);
    }
    EXPECT_EQ(captions().size(), 2);
    EXPECT_FALSE(states().BtnTabDel);
    dialogs.shown.clear();
    (*presenter).BtnTabDelClick(0);
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(model.KomokuCount, 1);
    EXPECT_TRUE(text(u"Total.ini"_s).startsWith(u"[KomokuCount]\r\nValue=1\r\n"_s));
    EXPECT_FALSE(exists(u"Settei1.ini"_s));
}

TEST_F(WatchListFiles, DeletingTheSecondOfFourCategoriesMovesTheOthersUp)
{
    putTotal(4);
    const QStringList names{u"カメラ"_s, u"時計"_s, u"本"_s, u"レンズ"_s};
    for (int k = 0; k < 4; ++k)
        put(u"Settei%1.ini"_s.arg(k), u"[Komoku]\nName=%1\n[Honmei]\nNo=%2\n[1]\nTitle=t%3a\nURL=%4%3a\n"
                                      "ShuryoTime=2026/12/20 21:00:00\nKakaku=1,000円\nPictureExist=1\n"
                                      "[2]\nTitle=t%3b\nURL=%4%3b\nShuryoTime=2026/12/21 21:00:00\n"
                                      "Rakusatuhin=%5\nPictureExist=1\n"_s.arg(
                                          names[k], QString::number(k == 2 ? 1 : 0), QString::number(k), Url,
                                          QString::number(k == 3 ? 1 : 0)));
    const QRgb colours[4][2] = {{qRgb(255, 0, 0), qRgb(0, 255, 0)},
                                {qRgb(0, 0, 255), qRgb(255, 255, 0)},
                                {qRgb(0, 255, 255), qRgb(255, 0, 255)},
                                {qRgb(128, 0, 0), qRgb(0, 0, 128)}};
    for (int k = 0; k < 4; ++k)
        for (int s = 0; s < 2; ++s)
            putPicture(u"Image%1_%2.jpg"_s.arg(k).arg(s), colours[k][s]);
    create();
    startUp();

    dialogs.answers.push_back(true);
    presenter->BtnTabDelClick(1);
    EXPECT_EQ(dialogs.shown.front().text, u"時計を削除しますか？"_s);

    EXPECT_EQ(captions(), (QStringList{u"全般"_s, u"カメラ"_s, u"本"_s, u"レンズ"_s}));
    EXPECT_FALSE(exists(u"Settei3.ini"_s));
    EXPECT_FALSE(exists(u"Image3_0.jpg"_s));
    EXPECT_FALSE(exists(u"Image3_1.jpg"_s));
    const QString second = text(u"Settei1.ini"_s);
    EXPECT_TRUE(second.contains(u"Name=本\r\n[Honmei]\r\nNo=1\r\n"_s)) << second.toStdString();
    EXPECT_TRUE(second.contains(u"URL="_s + Url + u"2a"_s)) << second.toStdString();
    const QString third = text(u"Settei2.ini"_s);
    EXPECT_TRUE(third.contains(u"Name=レンズ"_s));
    EXPECT_TRUE(third.contains(u"Title=t3b\r\n"_s));
    EXPECT_TRUE(third.section(u"[2]"_s, 1).contains(u"Rakusatuhin=1\r\n"_s)) << "the won mark moves along";
    EXPECT_TRUE(form->Schedule().At(2, 1).Won);
    EXPECT_TRUE(text(u"Settei0.ini"_s).contains(u"Name=カメラ"_s));
    for (int k = 0; k < 3; ++k)
        for (int s = 0; s < 2; ++s) {
            const int from = k == 0 ? 0 : k + 1;
            const QImage picture = store::ReadPictureFile(path(u"Image%1_%2.jpg"_s.arg(k).arg(s)));
            ASSERT_FALSE(picture.isNull()) << k << "_" << s;
            EXPECT_TRUE(near(picture.pixel(30, 20), colours[from][s])) << k << "_" << s;
        }
    EXPECT_TRUE(form->TrayHint().startsWith(u"本 No1: 1,000円"_s)) << form->TrayHint().toStdString();
}

TEST_F(WatchListFiles, TheSaveChecksComeInTheirOrder)
{
    create();
    startUp();
    typeCell(0, 1, store::ColURL, Url);
    typeCell(0, 1, store::ColTitle, u"レンズ"_s);
    typeCell(0, 1, store::ColKakaku, u"12,000円"_s);

    // An edited sentence not yet played: nothing is written at all.
    const QByteArray total = bytes(u"Total.ini"_s);
    const QByteArray category = bytes(u"Settei0.ini"_s);
    presenter->EditArarmTimeChange(u"5"_s);
    model.Speech.MemoSpeakText += u"a"_s;
    presenter->MemoSpeakTextChange();
    clickOK();
    EXPECT_EQ(lastMessage(), WatchListStorage::SpeakTextMessage());
    EXPECT_EQ(view.log, (QStringList{u"page 0"_s, u"focus speech"_s}));
    EXPECT_EQ(bytes(u"Total.ini"_s), total);
    EXPECT_EQ(bytes(u"Settei0.ini"_s), category);
    presenter->BtnPlayClick();
    ASSERT_TRUE(model.SpeakTextChecked);

    // A lead time that is no ASCII integer: the count is written, nothing after it.
    put(u"Total.ini"_s, u"[KomokuCount]\nValue=7\n[ArarmTime]\nValue=10\n"_s);
    for (const QString& lead : {u"abc"_s, u"１０"_s}) {
        presenter->EditArarmTimeChange(lead);
        clickOK();
        EXPECT_EQ(lastMessage(), WatchListStorage::ArarmTimeMessage());
        EXPECT_EQ(view.log, (QStringList{u"page 0"_s, u"focus ararm"_s}));
        EXPECT_EQ(text(u"Total.ini"_s), u"[KomokuCount]\r\nValue=1\r\n[ArarmTime]\r\nValue=10\r\n"_s);
    }
    presenter->EditArarmTimeChange(u"-3"_s);

    // Budgets: the row keeps what was written before the check.
    for (const QString& budget : {u"三万"_s, u"30000ドル"_s, u"-1"_s, u"３０００"_s}) {
        SCOPED_TRACE(budget.toStdString());
        typeCell(0, 1, store::ColYosan, budget);
        clickOK();
        EXPECT_EQ(lastMessage(), WatchListStorage::YosanMessage());
        EXPECT_EQ(view.log, (QStringList{u"page 1"_s, u"focus grid 0"_s}));
        const QString stored = text(u"Settei0.ini"_s);
        EXPECT_TRUE(stored.contains(u"[1]\r\nTitle=レンズ\r\nShuryoTime=1899/12/30\r\nURL="_s + Url +
                                    u"\r\nArarmTime=1899/12/30\r\nKakaku=12,000円\r\n"_s))
            << stored.toStdString();
        EXPECT_TRUE(text(u"Total.ini"_s).contains(u"[ArarmTime]\r\nValue=-3\r\n"_s));
    }
    for (const QString& budget : {u"-5"_s, u"30,000円"_s}) {
        typeCell(0, 1, store::ColYosan, budget);
        clickOK();
        EXPECT_EQ(lastMessage(), WatchListStorage::SavedMessage());
        EXPECT_TRUE(text(u"Settei0.ini"_s).contains(u"Yosan="_s + budget + u"\r\n"_s));
    }
    EXPECT_TRUE(testsupport::State(*form).RebuildRequest);
    EXPECT_FALSE(form->Schedule().At(0, 0).OverBudget);
    typeCell(0, 1, store::ColNyusatugaku, u"1,500円"_s);
    clickOK();
    EXPECT_TRUE(text(u"Settei0.ini"_s).contains(u"Nyusatugaku=1500\r\n"_s));
    typeCell(0, 1, store::ColNyusatugaku, u"千円"_s);
    clickOK();
    EXPECT_EQ(lastMessage(), WatchListStorage::NyusatugakuMessage());
    typeCell(0, 1, store::ColNyusatugaku, QString());

    // End and alarm cells that do not encode.
    typeCell(0, 1, store::ColMonth, u"2"_s);
    typeCell(0, 1, store::ColDay, u"30"_s);
    typeCell(0, 1, store::ColHour, u"10"_s);
    typeCell(0, 1, store::ColMinute, u"00"_s);
    clickOK();
    EXPECT_EQ(lastMessage(), WatchListStorage::CellsMessage());
    typeCell(0, 1, store::ColDay, u"28"_s);
    clickOK();
    EXPECT_EQ(lastMessage(), WatchListStorage::SavedMessage());
    EXPECT_TRUE(text(u"Settei0.ini"_s).contains(u"ShuryoTime=2026/02/28 10:00:00\r\nURL="_s));
    typeCell(0, 1, store::ColArarmHour, u"9"_s);
    typeCell(0, 1, store::ColArarmMinute, u"50"_s);
    typeCell(0, 1, store::ColDay, QString());
    clickOK();
    EXPECT_EQ(lastMessage(), WatchListStorage::CellsMessage());
}

TEST_F(WatchListFiles, TheLoadShowsWhatIsStored)
{
    put(u"Total.ini"_s, u"[KomokuCount]\nValue=3\n[ArarmTime]\nValue=7\n[EndAuction]\nDel=0\n"_s);
    put(u"Settei0.ini"_s,
        u"[Honmei]\nNo=3\n"
        "[1]\nTitle=a\nURL=%1a\nShuryoTime=2027/03/05 9:07:00\nArarmTime=2027/03/05 8:05:00\nNyusatugaku=0\n"
        "Kakaku=5,000円\nSokketugaku=5,000円\n"
        "[2]\nURL=%1b\nNyusatugaku=-5\n[3]\nURL=%1c\nNyusatugaku=1500\nKakaku=1,500円\n"
        "[4]\nURL=%1d\nPictureExist=0\n[5]\nURL=%1e\nPictureExist=1\n[6]\nURL=%1f\nPictureExist=1\n"_s.arg(
            Url));
    put(u"Settei1.ini"_s, u"[Honmei]\nNo=0\n[Komoku]\nName=時計\n"_s);
    put(u"Settei2.ini"_s, u"[Komoku]\nName=本\n[Honmei]\nNo=1\n[1]\nURL=%1g\nKakaku=800円\n"_s.arg(Url));
    putPicture(u"Image0_3.jpg"_s, qRgb(255, 0, 0));
    putPicture(u"Image0_5.jpg"_s, qRgb(0, 0, 255), 40);
    create();
    startUp();

    EXPECT_EQ(model.General.EditArarmTime, u"7"_s);
    // A file without a name leaves the name edit empty.
    EXPECT_EQ(captions(), (QStringList{u"全般"_s, u"名前無し"_s, u"時計"_s, u"本"_s}));
    EXPECT_TRUE(model.Komokus[0].Name.isEmpty());
    EXPECT_EQ(model.ActivePage, 0);
    QStringList end;
    for (int c = store::ColMonth; c <= store::ColMinute; ++c)
        end << cell(0, 1, c);
    EXPECT_EQ(end, (QStringList{u"03"_s, u"05"_s, u"09"_s, u"07"_s}));
    EXPECT_EQ(cell(0, 1, store::ColArarmHour), u"8"_s);
    EXPECT_EQ(cell(0, 1, store::ColArarmMinute), u"5"_s);
    EXPECT_EQ(cell(0, 1, store::ColNyusatugaku), QString());
    EXPECT_EQ(cell(0, 2, store::ColNyusatugaku), QString());
    EXPECT_EQ(cell(0, 3, store::ColNyusatugaku), u"1500円"_s);
    EXPECT_TRUE(model.SlotAt(0, 1).SokketuEnd);
    EXPECT_TRUE(states().BtnHyoji[0][0]);
    EXPECT_FALSE(states().BtnHyoji[0][6]);
    EXPECT_EQ(form->TrayHint(), u" No3: 1,500円\r\n本 No1: 800円"_s);

    // The picture of row 4 shows although the key says none; row 5 has a key but no file.
    const store::Slot& row4 = model.SlotAt(0, 4);
    EXPECT_FALSE(row4.Picture.IsNull());
    EXPECT_FALSE(row4.PictureExist);
    EXPECT_FALSE(model.SlotAt(0, 5).PictureExist);
    EXPECT_TRUE(near(row4.Picture.Box().pixel(10, 10), qRgb(255, 0, 0)));
    EXPECT_TRUE(model.SlotAt(0, 5).Picture.IsNull());

    const QByteArray unchanged = bytes(u"Image0_5.jpg"_s);
    clickOK();
    EXPECT_EQ(lastMessage(), WatchListStorage::SavedMessage());
    EXPECT_FALSE(exists(u"Image0_3.jpg"_s));
    EXPECT_EQ(bytes(u"Image0_5.jpg"_s), unchanged) << "a picture that did not change is not encoded again";
    EXPECT_TRUE(
        text(u"Settei0.ini"_s).section(u"[5]"_s, 1).section(u"[6]"_s, 0, 0).contains(u"PictureExist=0"_s));
    EXPECT_TRUE(text(u"Settei0.ini"_s).startsWith(u"[Honmei]\r\nNo=3\r\n[1]\r\n"_s));
    EXPECT_TRUE(text(u"Settei0.ini"_s).contains(u"[Komoku]\r\nName=\r\n"_s));
}

TEST_F(WatchListFiles, ARowWithoutAddressLosesItsSectionAndPicture)
{
    putTotal(1);
    put(u"Settei0.ini"_s,
        u"[Komoku]\nName=\n[Honmei]\nNo=0\n[3]\nTitle=x\nURL=%1\nPictureExist=1\n"_s.arg(Url));
    putPicture(u"Image0_2.jpg"_s, qRgb(0, 255, 0));
    create();
    startUp();
    typeCell(0, 3, store::ColURL, QString());
    clickOK();
    EXPECT_EQ(lastMessage(), u"保存しました。\rURL欄が未入力のものは保存してありません。"_s);
    EXPECT_EQ(text(u"Settei0.ini"_s), u"[Komoku]\r\nName=\r\n[Honmei]\r\nNo=0\r\n"_s);
    EXPECT_FALSE(exists(u"Image0_2.jpg"_s));
}

TEST_F(WatchListFiles, PricesFetchedWhileHiddenSurviveAShow)
{
    putTotal(1);
    put(u"Settei0.ini"_s,
        u"[Komoku]\nName=\n[Honmei]\nNo=0\n[1]\nTitle=x\nURL=%1\nKakaku=1,000円\n"_s.arg(Url));
    create();
    startUp();
    EXPECT_EQ(cell(0, 1, store::ColKakaku), u"1,000円"_s);
    typeCell(0, 1, store::ColTitle, u"edited"_s);
    view.visible = false;
    // A pass while the window is hidden.
    model.SlotAt(0, 1).Cells[store::ColKakaku] = u"1,200円"_s;
    show();
    EXPECT_EQ(cell(0, 1, store::ColKakaku), u"1,200円"_s);
    EXPECT_EQ(model.SlotAt(0, 1).KakakuText, u"1,200円"_s);
    EXPECT_EQ(cell(0, 1, store::ColTitle), u"x"_s);

    // A show caused by a changed price keeps the page and asks for no new check.
    model.ActivePage = 1;
    view.visible = false;
    model.KakakuCheckRequest = false;
    form->Notice().KakakuChanged = true;
    show();
    EXPECT_EQ(model.ActivePage, 1);
    EXPECT_FALSE(model.KakakuCheckRequest);
}

TEST_F(WatchListFiles, ClosingKeepsThePricesAndARefusedSaveKeepsTheWindowOpen)
{
    putTotal(1);
    put(u"Settei0.ini"_s, u"[Komoku]\nName=\n[Honmei]\nNo=0\n[1]\nTitle=x\nURL=%1\nKakaku=1,000円\n"
                          "[2]\nTitle=stale\n"_s.arg(Url));
    create();
    startUp();
    model.SlotAt(0, 1).Cells[store::ColKakaku] = u"1,300円"_s;
    typeCell(0, 1, store::ColTitle, u"edited"_s);
    ASSERT_FALSE(model.Saved);
    dialogs.answers.push_back(false);
    EXPECT_TRUE(presenter->FormCloseQuery());
    EXPECT_EQ(lastMessage(), u"設定を保存しますか？"_s);
    EXPECT_FALSE(view.visible);
    EXPECT_TRUE(tray.showEnabled);
    EXPECT_EQ(
        text(u"Settei0.ini"_s),
        u"[Komoku]\r\nName=\r\n[Honmei]\r\nNo=0\r\n[1]\r\nTitle=x\r\nURL=%1\r\nKakaku=1,300円\r\n"_s.arg(
            Url));

    show();
    typeCell(0, 1, store::ColYosan, u"三万"_s);
    dialogs.answers.push_back(true);
    EXPECT_FALSE(presenter->FormCloseQuery());
    EXPECT_EQ(lastMessage(), WatchListStorage::YosanMessage());
    EXPECT_TRUE(view.visible);

    dialogs.answers.push_back(true);
    presenter->MenuEndClick();
    EXPECT_TRUE(view.visible);
    EXPECT_EQ(eventLoop.quits, 0) << "a refused save does not end the program";
    dialogs.answers.push_back(false);
    presenter->MenuEndClick();
    EXPECT_EQ(eventLoop.quits, 1);
}

TEST_F(WatchListFiles, SettingsComeBackAsTheyWereStored)
{
    // The speech text keeps its lines, a final blank one included.
    putTotal(1);
    const QByteArray speech = store::ToCp932(u"おーく'しょん\r\n\r\nおわるよ\r\n\r\n"_s);
    QFile file(path(u"SpeakMsg.txt"_s));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(speech);
    file.close();
    create();
    startUp();
    clickOK();
    EXPECT_EQ(bytes(u"SpeakMsg.txt"_s), speech);

    // A removal choice out of range is brought into it at load, and saved so.
    for (const auto& [stored, shown] : {std::pair{u"15"_s, 10}, {u"-1"_s, 0}, {u"zwei"_s, 2}}) {
        SCOPED_TRACE(stored.toStdString());
        put(u"Total.ini"_s, u"[KomokuCount]\nValue=1\n[EndAuction]\nDel="_s + stored + u"\n"_s);
        show();
        EXPECT_EQ(model.General.ComboBoxEndAuctionDel, shown);
        clickOK();
        EXPECT_TRUE(text(u"Total.ini"_s).contains(u"[EndAuction]\r\nDel=%1\r\n"_s.arg(shown)));
    }
}

TEST_F(WatchListFiles, WhatAnOpenCellEditorHoldsIsSavedAndAskedAbout)
{
    putTotal(1);
    create();
    startUp();
    model.SlotAt(0, 1).Cells[store::ColURL] = Url;
    view.onCommit = [this] { presenter->GridCellEdited(0, 1, store::ColTitle, u"Lens"_s); };
    EXPECT_TRUE(presenter->FormCloseQuery());
    EXPECT_EQ(lastMessage(), WatchListStorage::SaveQuestion());

    dialogs.shown.clear();
    view.onCommit = [this] { presenter->GridCellEdited(0, 1, store::ColOption, u"memo"_s); };
    presenter->MenuSaveClick();
    EXPECT_EQ(lastMessage(), WatchListStorage::SavedMessage());
    EXPECT_TRUE(text(u"Settei0.ini"_s).contains(u"Option=memo\r\n"_s));
}

} // namespace
