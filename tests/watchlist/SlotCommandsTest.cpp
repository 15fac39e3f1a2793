// The slot commands (slot menu, favourite, won mark, delete, move) and the two sort commands,
// through the presenter over the stored files in a scratch data folder.

#include "WatchListFixture.h"

#include <QDir>

namespace {

using namespace watchlisttest;
using store::ColKakaku;
using store::ColTitle;
using store::ColYosan;

const QRgb Red = qRgb(255, 0, 0);
const QRgb Blue = qRgb(0, 0, 255);
const QRgb Green = qRgb(0, 255, 0);

class SlotCommands : public WatchListFiles {
protected:
    // A stored slot: its title (the address is made from it), price and further key=value lines.
    static QString row(int r, const QString& title, const QString& kakaku, const QString& more = {})
    {
        return u"[%1]\nTitle=%2\nURL=%3_%2\nKakaku=%4\n"_s.arg(r).arg(title, Url, kakaku) + more;
    }
    void putKomoku(int k, const QString& name, int honmei, const QString& rows) const
    {
        put(u"Settei%1.ini"_s.arg(k), u"[Komoku]\nName=%1\n[Honmei]\nNo=%2\n"_s.arg(name).arg(honmei) + rows);
    }
    // The files are written; the window is created, shown and the start-up is over.
    void start(int count)
    {
        putTotal(count);
        create();
        startUp();
        model.ActivePage = 1;
        dialogs.shown.clear();
    }
    QStringList titles(int k) const
    {
        QStringList result;
        for (int r = 1; r <= store::SlotsPerKomoku; ++r)
            result << cell(k, r, ColTitle);
        return result;
    }
    // Grid column 0 of category k: the row numbers, which stay with their rows whatever moves.
    bool numbered(int k) const
    {
        for (int r = 1; r <= store::SlotsPerKomoku; ++r) {
            if (cell(k, r, store::ColNo) != QString::number(r))
                return false;
        }
        return true;
    }
    void select(int k, int r)
    {
        model.SelKomoku = k;
        model.SelRow = r;
    }
    void deleteRow(int k, int r, bool answer = true)
    {
        select(k, r);
        dialogs.answers.push_back(answer);
        presenter->RowDellClick();
    }
    QRgb pictureColour(const QString& name) const
    {
        const QImage picture = store::ReadPictureFile(path(name));
        return picture.isNull() ? 0 : picture.pixel(30, 20);
    }
    bool won(int k, int r) const { return form->Schedule().At(k, r - 1).Won; }
    // The stored lines of row r's section, each with its line end; empty without the section.
    QString section(int k, int r) const
    {
        const QString all = text(u"Settei%1.ini"_s.arg(k));
        const qsizetype at = all.indexOf(u"[%1]\r\n"_s.arg(r));
        return at < 0 ? QString() : all.mid(at).section(u"\r\n["_s, 0, 0) + u"\r\n"_s;
    }
};

TEST_F(SlotCommands, DeletingARowMovesEverythingBelowItUp)
{
    putKomoku(0, u"カメラ"_s, 0,
              row(1, u"t1"_s, u"100円"_s) + row(2, u"t2"_s, u"200円"_s) + row(3, u"t3"_s, u"300円"_s) +
                  row(4, u"t4"_s, u"400円"_s, u"Yosan=350\nPictureExist=1\n"_s) +
                  row(5, u"t5"_s, u"500円"_s, u"Rakusatuhin=1\n"_s) +
                  row(6, u"t6"_s, u"600円"_s, u"PictureExist=1\n"_s));
    QString full;
    for (int r = 1; r <= 10; ++r)
        full += row(r, u"u%1"_s.arg(r), u"1円"_s);
    putKomoku(1, u"本"_s, 0, full);
    putPicture(u"Image0_3.jpg"_s, Red);
    putPicture(u"Image0_5.jpg"_s, Blue);
    start(2);

    bool rearrangingWhileAsked = false;
    dialogs.onShow = [&] { rearrangingWhileAsked = model.Rearranging; };
    deleteRow(0, 3);
    EXPECT_EQ(dialogs.texts(), QStringList{u"No3のオークションを削除しますか？"_s});
    EXPECT_TRUE(rearrangingWhileAsked);
    EXPECT_FALSE(model.Rearranging);
    EXPECT_EQ(titles(0), (QStringList{u"t1"_s, u"t2"_s, u"t4"_s, u"t5"_s, u"t6"_s, {}, {}, {}, {}, {}}));
    EXPECT_EQ(cell(0, 3, ColYosan), u"350"_s);
    EXPECT_EQ(model.SlotAt(0, 4).KakakuText, u"500円"_s);
    EXPECT_TRUE(won(0, 4));
    EXPECT_FALSE(won(0, 5));
    for (int r = 1; r <= 10; ++r)
        EXPECT_EQ(states().BtnHyoji[0][static_cast<size_t>(r - 1)], r <= 5) << r;
    EXPECT_TRUE(model.SlotAt(0, 6).Picture.IsNull());
    EXPECT_TRUE(near(pictureColour(u"Image0_2.jpg"_s), Red));
    EXPECT_TRUE(near(pictureColour(u"Image0_4.jpg"_s), Blue));
    EXPECT_FALSE(exists(u"Image0_3.jpg"_s));
    EXPECT_FALSE(exists(u"Image0_5.jpg"_s));
    EXPECT_TRUE(section(0, 3).contains(u"Title=t4\r\n"_s));
    EXPECT_TRUE(section(0, 4).contains(u"Rakusatuhin=1\r\n"_s));
    EXPECT_TRUE(section(0, 6).isEmpty());
    EXPECT_TRUE(numbered(0));

    // The last row: nothing shifts, row 10 is emptied.
    deleteRow(1, 10);
    EXPECT_TRUE(numbered(1));
    EXPECT_EQ(cell(1, 9, ColTitle), u"u9"_s);
    EXPECT_TRUE(cell(1, 10, ColTitle).isEmpty());
    EXPECT_FALSE(states().BtnHyoji[1][static_cast<size_t>(10 - 1)]);
    EXPECT_TRUE(section(1, 10).isEmpty());
    EXPECT_FALSE(section(1, 9).isEmpty());
}

TEST_F(SlotCommands, TheFavouriteFollowsDeletedRowsAndGoesWithItsOwn)
{
    QString rows;
    for (int r = 1; r <= 8; ++r)
        rows += row(r, u"t%1"_s.arg(r), u"%1円"_s.arg(r));
    putKomoku(0, u"カメラ"_s, 5, rows);
    start(1);
    const auto stored = [this] { return text(u"Settei0.ini"_s).section(u"[Honmei]\r\n"_s, 1, 1).left(5); };

    deleteRow(0, 7);
    EXPECT_EQ(model.KomokuAt(0).HonmeiNo, 5);
    deleteRow(0, 2);
    EXPECT_EQ(model.KomokuAt(0).HonmeiNo, 4);
    EXPECT_EQ(stored(), u"No=4\r"_s);
    EXPECT_EQ(cell(0, 4, ColTitle), u"t5"_s);
    deleteRow(0, 4);
    EXPECT_EQ(model.KomokuAt(0).HonmeiNo, 0);
    EXPECT_EQ(stored(), u"No=0\r"_s);
}

TEST_F(SlotCommands, NoOrARefusedSaveDeletesNothing)
{
    putKomoku(0, u"カメラ"_s, 0,
              row(1, u"t1"_s, u"1円"_s) + row(2, u"t2"_s, u"2円"_s) + row(3, u"t3"_s, u"3円"_s));
    start(1);
    const QByteArray before = bytes(u"Settei0.ini"_s);

    deleteRow(0, 3, false);
    EXPECT_EQ(cell(0, 3, ColTitle), u"t3"_s);
    EXPECT_EQ(bytes(u"Settei0.ini"_s), before);
    EXPECT_FALSE(model.Rearranging);

    // An unsaved budget that does not read: the save's message is all that happens.
    typeCell(0, 1, ColYosan, u"三万"_s);
    deleteRow(0, 2);
    EXPECT_EQ(dialogs.texts().last(), WatchListStorage::YosanMessage());
    EXPECT_EQ(cell(0, 2, ColTitle), u"t2"_s);
    EXPECT_TRUE(section(0, 2).contains(u"Title=t2\r\n"_s));
    EXPECT_TRUE(section(0, 3).contains(u"Title=t3\r\n"_s));
    EXPECT_FALSE(model.Rearranging);
}

TEST_F(SlotCommands, AMovedSlotTakesItsMarksAndPictureButNotTheFavourite)
{
    putKomoku(0, u"カメラ"_s, 2,
              row(1, u"t1"_s, u"100円"_s) +
                  row(2, u"[終了]t2"_s, u"2,500円"_s, u"Rakusatuhin=1\nPictureExist=1\n"_s) +
                  row(3, u"t3"_s, u"300円"_s));
    putKomoku(1, u"本"_s, 1, row(1, u"b1"_s, u"1円"_s) + row(2, u"b2"_s, u"2円"_s));
    putPicture(u"Image0_1.jpg"_s, Green);
    start(2);
    // Read again after the start-up, which leaves the ended flags to the first price check.
    form->RebuildSchedule();
    select(0, 2);
    model.SelCol = ColTitle;

    // Chosen from the slot menu that a right click on the title opened.
    bool popupOpen = false;
    view.onSlotMenu = [&] {
        popupOpen = model.PopupOpen;
        presenter->MoveKomokuItemClick(1);
    };
    view.log.clear();
    presenter->GridMouseDown(0, ColTitle, 2, true);
    EXPECT_EQ(view.log, (QStringList{u"hide hint"_s, u"slot menu"_s}));
    EXPECT_TRUE(popupOpen);
    EXPECT_FALSE(model.PopupOpen);
    EXPECT_FALSE(model.Rearranging);

    EXPECT_EQ(cell(1, 3, ColTitle), u"[終了]t2"_s);
    EXPECT_EQ(model.SlotAt(1, 3).KakakuText, u"2,500円"_s);
    EXPECT_TRUE(model.SlotAt(1, 3).PictureExist);
    EXPECT_TRUE(states().BtnHyoji[1][static_cast<size_t>(3 - 1)]);
    EXPECT_TRUE(won(1, 3));
    EXPECT_TRUE(form->Schedule().At(1, 2).Ended);
    EXPECT_TRUE(near(pictureColour(u"Image1_2.jpg"_s), Green));
    EXPECT_TRUE(section(1, 3).contains(u"Rakusatuhin=1\r\n"_s));
    EXPECT_EQ(model.KomokuAt(1).HonmeiNo, 1);

    EXPECT_EQ(cell(0, 2, ColTitle), u"t3"_s);
    EXPECT_FALSE(won(0, 2));
    EXPECT_EQ(model.KomokuAt(0).HonmeiNo, 0);
    EXPECT_FALSE(exists(u"Image0_1.jpg"_s));
    EXPECT_TRUE(section(0, 3).isEmpty());
    EXPECT_TRUE(numbered(0));
    EXPECT_TRUE(numbered(1));
}

TEST_F(SlotCommands, TheSlotMenuOffersCategoriesWithAFreeRowOnly)
{
    QString full;
    for (int r = 1; r <= 10; ++r)
        full += row(r, u"u%1"_s.arg(r), u"1円"_s);
    putKomoku(0, u"カメラ"_s, 0, row(1, u"t1"_s, u"1円"_s));
    putKomoku(1, u"本"_s, 0, full);
    putKomoku(2, QString(), 0, QString());
    start(3);

    presenter->GridMouseDown(0, 0, 1, true);
    EXPECT_TRUE(states().MenuMove);
    EXPECT_EQ(states().MoveItemCaptions[0], u"カメラへ"_s);
    EXPECT_EQ(states().MoveItemCaptions[2], u"名前なしへ"_s);
    EXPECT_FALSE(states().MoveItems[0]) << "its own category";
    EXPECT_FALSE(states().MoveItems[1]) << "full";
    EXPECT_TRUE(states().MoveItems[2]);
    presenter->GridMouseDown(1, ColTitle, 4, true);
    EXPECT_TRUE(states().MoveItems[0]);
    EXPECT_FALSE(states().MoveItems[1]);
    EXPECT_EQ(view.log.count(u"slot menu"_s), 2);

    // No menu over a free row, for the left button or during a price check; the first still selects.
    presenter->GridMouseDown(0, ColTitle, 2, true);
    EXPECT_EQ(model.SelRow, 2);
    presenter->GridMouseDown(1, ColTitle, 5, false);
    pass->RunPriceCheckPass(shell::PassStart::Retry);
    ASSERT_TRUE(pass->KakakuChecking());
    presenter->GridMouseDown(1, ColTitle, 5, true);
    pass->Stop();
    EXPECT_EQ(view.log.count(u"slot menu"_s), 2);
    EXPECT_EQ(model.SelRow, 2);

    // With one category left the whole submenu is off.
    dialogs.answers = {true, true};
    presenter->BtnTabDelClick(2);
    presenter->BtnTabDelClick(1);
    presenter->GridMouseDown(0, ColTitle, 1, true);
    EXPECT_FALSE(states().MenuMove);
}

TEST_F(SlotCommands, TheWonMarkAndTheFavouriteAreWrittenAtOnce)
{
    putKomoku(0, u"カメラ"_s, 2,
              row(1, u"t1"_s, u"100円"_s) + row(2, u"t2"_s, u"200円"_s) +
                  row(3, u"[終了]t3"_s, u"300円"_s, u"Yosan=250\n"_s));
    putKomoku(1, u"本"_s, 1, row(1, u"b1"_s, u"1,000円"_s));
    start(2);
    model.Saved = false;

    select(0, 3);
    presenter->PopupMenu2Popup();
    EXPECT_FALSE(states().MenuRakusatuhinChecked);
    presenter->MenuRakusatuhinClick();
    EXPECT_TRUE(won(0, 3));
    EXPECT_TRUE(section(0, 3).contains(u"Rakusatuhin=1\r\n"_s));
    presenter->PopupMenu2Popup();
    EXPECT_TRUE(states().MenuRakusatuhinChecked);
    presenter->MenuRakusatuhinClick();
    EXPECT_FALSE(won(0, 3));
    EXPECT_TRUE(section(0, 3).contains(u"Rakusatuhin=0\r\n"_s));

    // Another slot of the same category becomes the favourite; the hint lists both categories' favourites.
    presenter->MenuRakusatuhinClick();
    presenter->MenuHonmeiClick();
    EXPECT_EQ(model.KomokuAt(0).HonmeiNo, 3);
    EXPECT_TRUE(text(u"Settei0.ini"_s).contains(u"[Honmei]\r\nNo=3\r\n"_s));
    EXPECT_EQ(form->TrayHint(), u"カメラ No3: 300円(落札)(予算オーバー)\r\n本 No1: 1,000円"_s);
    EXPECT_FALSE(model.Saved) << "the direct writes leave the unsaved edits to the save";

    // A file that cannot be written leaves the change to be saved.
    model.Saved = true;
    QFile::remove(path(u"Settei1.ini"_s));
    ASSERT_TRUE(QDir().mkpath(path(u"Settei1.ini"_s)));
    select(1, 1);
    presenter->MenuHonmeiClick();
    EXPECT_FALSE(model.Saved);
}

class Sorting : public SlotCommands {
protected:
    static QString ends(const QString& month, const QString& day, const QString& hour, const QString& minute)
    {
        return month + u'|' + day + u'|' + hour + u'|' + minute;
    }
    // Types end cells as the user does, "month|day|hour|minute".
    void typeEnd(int k, int r, const QString& cells)
    {
        const QStringList parts = cells.split(u'|');
        for (int c = 0; c < 4; ++c)
            typeCell(k, r, store::ColMonth + c, parts[c]);
    }
};

TEST_F(Sorting, ByEndTimeEarliestFirstWithRowsWithoutAnEndLast)
{
    QString first;
    QString second;
    for (int r = 1; r <= 5; ++r)
        first += row(r, u"t%1"_s.arg(r), u"1円"_s);
    for (int r = 1; r <= 3; ++r)
        second += row(r, u"s%1"_s.arg(r), u"1円"_s);
    putKomoku(0, u"カメラ"_s, 0, first);
    putKomoku(1, u"本"_s, 0, second);
    start(2);
    typeEnd(0, 1, ends(u"3"_s, u"10"_s, u"12"_s, u"00"_s));
    typeEnd(0, 3, ends(u"3"_s, u"9"_s, u"8"_s, u"00"_s));
    typeEnd(0, 4, ends(u"3"_s, u"10"_s, u"12"_s, u"00"_s));
    presenter->S1Click();
    EXPECT_EQ(titles(0), (QStringList{u"t3"_s, u"t1"_s, u"t4"_s, u"t2"_s, u"t5"_s, {}, {}, {}, {}, {}}));
    EXPECT_TRUE(model.Saved);
    EXPECT_FALSE(model.Rearranging);
    EXPECT_TRUE(section(0, 1).contains(u"Title=t3\r\n"_s));
    EXPECT_TRUE(section(0, 1).contains(u"ShuryoTime=2026/03/09 8:00:00\r\n"_s));
    EXPECT_TRUE(numbered(0));

    // In December a January end is next year's. Three cells of four give no key; a free row
    // with an end takes part but is not stored.
    model.ActivePage = 2;
    typeEnd(1, 1, ends(u"1"_s, u"2"_s, u"10"_s, u"00"_s));
    typeEnd(1, 2, ends(u"12"_s, u"31"_s, u"10"_s, u"00"_s));
    typeEnd(1, 3, ends(u"12"_s, u"30"_s, u"10"_s, {}));
    typeCell(1, 4, ColTitle, u"free"_s);
    typeEnd(1, 4, ends(u"12"_s, u"30"_s, u"9"_s, u"00"_s));
    presenter->S1Click();
    EXPECT_EQ(titles(1), (QStringList{u"free"_s, u"s2"_s, u"s1"_s, u"s3"_s, {}, {}, {}, {}, {}, {}}));
    EXPECT_TRUE(section(1, 1).isEmpty());
    EXPECT_TRUE(section(1, 3).contains(u"ShuryoTime=2027/01/02 10:00:00"_s));
    EXPECT_TRUE(dialogs.shown.empty());

    // An end that is no date moves nothing.
    typeEnd(1, 5, ends(u"2"_s, u"30"_s, u"10"_s, u"00"_s));
    presenter->S1Click();
    EXPECT_EQ(dialogs.texts(), QStringList{u"終了時間は半角数字で正しい月日時分を入力してください。"_s});
    EXPECT_EQ(cell(1, 1, ColTitle), u"free"_s);
    EXPECT_FALSE(model.Rearranging);
}

TEST_F(Sorting, ByPriceCheapestFirstWithFavouriteMarksAndPictures)
{
    putKomoku(0, u"カメラ"_s, 3,
              row(1, u"t1"_s, u"1,200円"_s) + row(2, u"t2"_s, QString(), u"PictureExist=1\n"_s) +
                  row(3, u"t3"_s, u"800円"_s) + row(4, u"t4"_s, u"1,200円"_s, u"Rakusatuhin=1\n"_s) +
                  row(5, u"t5"_s, u"入札なし"_s));
    putPicture(u"Image0_1.jpg"_s, Blue);
    start(2);
    presenter->MenuCheapClick();
    EXPECT_EQ(titles(0), (QStringList{u"t3"_s, u"t1"_s, u"t4"_s, u"t2"_s, u"t5"_s, {}, {}, {}, {}, {}}));
    EXPECT_EQ(model.SlotAt(0, 1).KakakuText, u"800円"_s);
    EXPECT_EQ(model.KomokuAt(0).HonmeiNo, 1);
    EXPECT_TRUE(text(u"Settei0.ini"_s).contains(u"[Honmei]\r\nNo=1\r\n"_s));
    EXPECT_TRUE(won(0, 3));
    EXPECT_TRUE(section(0, 3).contains(u"Rakusatuhin=1\r\n"_s));
    EXPECT_TRUE(section(0, 4).contains(u"PictureExist=1\r\n"_s));
    EXPECT_TRUE(near(pictureColour(u"Image0_3.jpg"_s), Blue));
    EXPECT_FALSE(exists(u"Image0_1.jpg"_s));
    EXPECT_FALSE(model.Rearranging);
    EXPECT_TRUE(numbered(0));

    // An empty category: by price nothing moves and nothing is said; by end time it is said.
    model.ActivePage = 2;
    presenter->MenuCheapClick();
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_TRUE(model.Saved);
    presenter->S1Click();
    EXPECT_EQ(dialogs.texts(), QStringList{u"終了時間が入力されていません。"_s});
    EXPECT_FALSE(model.Rearranging);
}

} // namespace
