// The picture box beside each slot: its menu, paste, delete, double click and a dropped
// picture, driven through the commands with the presenter's save over real files.

#include "WatchListFixture.h"

#include "watchlist/PictureBoxCommands.h"

namespace {

using namespace watchlisttest;
using watchlist::PictureBoxCommands;

class PictureBox : public WatchListFiles {
protected:
    void SetUp() override
    {
        WatchListFiles::SetUp();
        create();
        model.ActivePage = 1;
        red.fill(Qt::red);
    }
    store::Slot& slot(int s) { return model.SlotAt(0, s + 1); }
    void rightClick(int s) { commands.SlotImageMouseDown(0, s, true); }
    // The picture menu's items as the user finds them enabled.
    std::array<bool, 3> menu() const
    {
        const watchlist::CommandStates shown = states();
        return {shown.P1, shown.D1, shown.Kakudai};
    }

    testsupport::FakeClipboard clipboard;
    QStringList enlarged;
    QImage shownPicture;
    PictureBoxCommands commands{
        {model, dialogs, clipboard, [this](const QImage& picture, const QString& caption) {
             shownPicture = picture;
             enlarged << caption;
         }}};
    QImage red{30, 20, QImage::Format_RGB32};
};

TEST_F(PictureBox, ABlankBoxOffersOnlyPasteAndAPictureEnlarges)
{
    rightClick(2);
    EXPECT_EQ(menu(), (std::array{true, false, false}));
    commands.SlotImageDblClick(0, 2);
    EXPECT_TRUE(enlarged.isEmpty());

    clipboard.image = red;
    commands.P1Click();
    rightClick(2);
    EXPECT_EQ(menu(), (std::array{true, true, true}));
    commands.SlotImageDblClick(0, 2);
    commands.KakudaiClick();
    EXPECT_EQ(enlarged, (QStringList{u"No.3の画像"_s, u"No.3の画像"_s}));
    EXPECT_EQ(shownPicture, red);

    // The menu of a box still follows its own slot after another box was filled.
    rightClick(4);
    EXPECT_EQ(menu(), (std::array{true, false, false}));
}

TEST_F(PictureBox, PasteNeedsNoAddressButADropDoes)
{
    clipboard.image = red;
    commands.SlotImageMouseDown(0, 0, true);
    commands.P1Click();
    EXPECT_TRUE(slot(0).PictureExist);
    EXPECT_EQ(slot(0).Picture.Whole(), red);
    EXPECT_FALSE(model.Saved);

    model.Saved = true;
    commands.DropImageTarget1Drop(1, red);
    commands.DropImageTarget1Drop(1, QImage());
    EXPECT_FALSE(slot(1).PictureExist);
    EXPECT_TRUE(slot(1).Picture.IsNull());
    EXPECT_TRUE(model.Saved);
    EXPECT_TRUE(dialogs.shown.empty());

    slot(1).Cells[store::ColURL] = Url;
    model.ActivePage = 0;
    commands.DropImageTarget1Drop(1, red);
    EXPECT_FALSE(slot(1).PictureExist);
    model.ActivePage = 1;
    commands.DropImageTarget1Drop(1, red);
    EXPECT_TRUE(slot(1).PictureExist);
    EXPECT_FALSE(model.Saved);
}

TEST_F(PictureBox, AFailedPasteOrDropKeepsTheBox)
{
    clipboard.image = red;
    commands.SlotImageMouseDown(0, 0, true);
    commands.P1Click();
    slot(0).Cells[store::ColURL] = Url;
    model.Saved = true;

    clipboard.image = QImage();
    commands.P1Click();
    commands.DropImageTarget1Drop(0, QImage());
    EXPECT_EQ(dialogs.texts(), QStringList(2, u"画像のコピーに失敗しました。"_s));
    EXPECT_EQ(slot(0).Picture.Whole(), red);
    EXPECT_TRUE(slot(0).PictureExist);
    EXPECT_TRUE(model.Saved);
}

TEST_F(PictureBox, TheSaveWritesAPastedPictureAndRemovesADeletedOne)
{
    startUp();
    typeCell(0, 1, store::ColURL, Url);
    QImage photo(400, 300, QImage::Format_RGB32);
    photo.fill(Qt::red);
    clipboard.image = photo;
    commands.SlotImageMouseDown(0, 0, true);
    commands.P1Click();
    // Only the box's copy is decoded; the picture itself waits as its bytes.
    EXPECT_EQ(slot(0).Picture.Box().size(), QSize(48, 36));
    EXPECT_TRUE(slot(0).Picture.Pending());
    clickOK();
    ASSERT_TRUE(exists(u"Image0_0.jpg"_s));
    EXPECT_TRUE(near(store::ReadPictureFile(path(u"Image0_0.jpg"_s)).pixel(5, 5), qRgb(255, 0, 0)));
    // Saved, the picture is its file, which the enlarged view reads whole.
    EXPECT_FALSE(slot(0).Picture.Pending());
    commands.KakudaiClick();
    EXPECT_EQ(shownPicture.size(), photo.size());
    EXPECT_TRUE(near(shownPicture.pixel(200, 150), qRgb(255, 0, 0)));

    commands.D1Click();
    EXPECT_TRUE(slot(0).Picture.IsNull());
    EXPECT_FALSE(model.Saved);
    clickOK();
    EXPECT_FALSE(exists(u"Image0_0.jpg"_s));
    EXPECT_TRUE(text(u"Settei0.ini"_s).contains(u"PictureExist=0\r\n"_s))
        << text(u"Settei0.ini"_s).toStdString();
}

} // namespace
