#include "window/AuctionGrid.h"
#include "window/Fonts.h"
#include "window/TForm1.h"

#include "shell/ResidentFixture.h"
#include "store/DayCount.h"
#include "store/TextRules.h"
#include "watchlist/ResidentLink.h"
#include "watchlist/WatchListPresenter.h"

#include <QAction>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using namespace Qt::StringLiterals;
using window::AuctionGrid;

namespace {

// The watch-list window over the real resident object, looked at on 9 December 2026 at 13:45,
// with the first category's page in front.
class GridPaint : public testsupport::ResidentFixture {
protected:
    GridPaint()
    {
        window::InstallFontSubstitutions();
        clock.current = QDateTime(QDate(2026, 12, 9), QTime(13, 45));
    }
    void SetUp() override
    {
        ASSERT_TRUE(form->FormCreate());
        testsupport::State(*form).StartingUp = false;
        link = std::make_unique<watchlist::ResidentLink>(*form);
        form1 = std::make_unique<window::TForm1>(model);
        presenter = std::make_unique<watchlist::WatchListPresenter>(watchlist::WatchListPresenter::Parts{
            model, *link, *form1, dialogs, clock, form->Speech(), shellOpen});
        form1->SetPresenter(presenter.get());
        presenter->FormCreate();
        form1->show();
        // The grid's focus needs an active window, also under a display without a window manager.
        form1->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form1.get()));
        form->Schedule().Komoku.resize(1);
        form1->setActivePage(1);
        grid = control<AuctionGrid>(u"StringGridAuction0"_s);
    }

    template <class T = QWidget> T* control(const QString& name) const
    {
        T* found = form1->findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name.toStdString();
        return found;
    }
    // Slot row of category 0 with a title, an address and an end; the cells as the load writes them.
    store::Slot& slot(int row, const QString& title, const QDateTime& end)
    {
        store::Slot& s = model.SlotAt(0, row);
        s.Cells[store::ColTitle] = title;
        s.Cells[store::ColURL] = u"https://page.auctions.yahoo.co.jp/jp/auction/x%1"_s.arg(row);
        s.Cells[store::ColMonth] = end.toString(u"MM"_s);
        s.Cells[store::ColDay] = end.toString(u"dd"_s);
        s.Cells[store::ColHour] = end.toString(u"HH"_s);
        s.Cells[store::ColMinute] = end.toString(u"mm"_s);
        s.ShuryoTime = store::ToDayCount(end);
        s.BtnHyojiEnabled = true;
        return s;
    }
    shell::SlotStatus& status(int row) { return form->Schedule().At(0, row - 1); }
    static QDateTime on(int day, int hour, int minute) { return {QDate(2026, 12, day), QTime(hour, minute)}; }

    // Every colour a cell can take, one slot per state.
    void fillEveryState()
    {
        store::Slot& soon = slot(1, u"ミラーレス一眼 ボディ"_s, on(9, 14, 30));
        soon.Cells[store::ColKakaku] = u"45,000円"_s;
        soon.Cells[store::ColYosan] = u"40,000"_s;
        soon.Cells[store::ColNyusatu] = u"12"_s;
        status(1).OverBudget = true;
        slot(2, u"単焦点レンズ 50mm F1.8"_s, on(9, 18, 0)).Cells[store::ColKakaku] = u"9,800円"_s;
        model.KomokuAt(0).HonmeiNo = 2;
        store::Slot& sokketu = slot(3, u"ストロボ"_s, on(10, 12, 0));
        sokketu.Cells[store::ColKakaku] = u"8,000円"_s;
        sokketu.Cells[store::ColSokketugaku] = u"8,000円"_s;
        sokketu.SokketuEnd = true;
        slot(4, store::EndedMarker() + u"三脚"_s, on(8, 21, 0)).Cells[store::ColKakaku] = u"3,500円"_s;
        status(4).Ended = status(4).Won = true;
        slot(5, store::EndedMarker() + u"カメラバッグ"_s, on(8, 22, 0)).Cells[store::ColKakaku] =
            u"2,000円"_s;
        status(5).Ended = true;
        store::Slot& focused = slot(6, u"ND フィルター"_s, on(11, 9, 5));
        focused.Cells[store::ColOption] = u"箱なし"_s;
        slot(10, u"レリーズ"_s, on(12, 22, 40)).Cells[store::ColKakaku] = u"1,200円"_s;
        form1->render();
        grid->setFocus();
        grid->FocusCell(store::ColTitle, 6);
        QCoreApplication::processEvents();
    }
    QRgb pixel(const QImage& shot, int column, int row) const
    {
        const QRect cell = grid->CellRect(column, row);
        return shot.pixel(cell.topLeft() + QPoint(1, 1));
    }
    // The leftmost and rightmost x of the dark (text) pixels of a cell; -1 when there are none.
    std::pair<int, int> textSpan(const QImage& shot, int column, int row) const
    {
        const QRect cell = grid->CellRect(column, row);
        int left = -1;
        int right = -1;
        for (int x = cell.left(); x <= cell.right(); ++x)
            for (int y = cell.top(); y <= cell.bottom(); ++y)
                if (qGray(shot.pixel(x, y)) < 60) {
                    left = left < 0 ? x - cell.left() : left;
                    right = cell.right() - x;
                    break;
                }
        return {left, right};
    }
    void saveScreenshot(const QString& name) const
    {
        const QString folder = qEnvironmentVariable("MIRUBERO_SCREENSHOTS");
        if (folder.isEmpty())
            return;
        QDir().mkpath(folder);
        EXPECT_TRUE(form1->grab().save(folder + u'/' + name));
    }

    std::unique_ptr<watchlist::ResidentLink> link;
    std::unique_ptr<window::TForm1> form1;
    std::unique_ptr<watchlist::WatchListPresenter> presenter;
    AuctionGrid* grid = nullptr;
};

TEST_F(GridPaint, CellsShowTheirStateInColourWithBlackTextAlignedByColumn)
{
    fillEveryState();
    saveScreenshot(u"grid-colours.png"_s);
    const QImage shot = grid->grab().toImage();
    const QRgb white = qRgb(255, 255, 255), red = qRgb(255, 0, 0), yellow = qRgb(255, 255, 0),
               lime = qRgb(0, 255, 0);
    EXPECT_EQ(pixel(shot, store::ColMonth, 0), lime);
    EXPECT_EQ(pixel(shot, store::ColMinute, 0), yellow);
    EXPECT_EQ(pixel(shot, store::ColArarmHour, 0), white);
    EXPECT_EQ(pixel(shot, store::ColDay, 1), red);
    EXPECT_EQ(pixel(shot, store::ColHour, 1), red);
    EXPECT_EQ(pixel(shot, store::ColYosan, 1), qRgb(0, 128, 0));
    EXPECT_EQ(pixel(shot, store::ColNo, 2), red);
    EXPECT_EQ(pixel(shot, store::ColNo, 1), white);
    EXPECT_EQ(pixel(shot, store::ColMonth, 2), red);
    EXPECT_EQ(pixel(shot, store::ColHour, 2), yellow);
    EXPECT_EQ(pixel(shot, store::ColDay, 3), lime);
    EXPECT_EQ(pixel(shot, store::ColKakaku, 3), yellow);
    EXPECT_EQ(pixel(shot, store::ColTitle, 4), qRgb(255, 0, 255));
    EXPECT_EQ(pixel(shot, store::ColTitle, 5), qRgb(0, 255, 255));
    EXPECT_EQ(pixel(shot, store::ColTitle, 7), white);

    // The focused current cell takes the selection colour, with the text black on it.
    ASSERT_TRUE(grid->hasFocus());
    const QRgb highlight = grid->palette().color(QPalette::Active, QPalette::Highlight).rgb();
    EXPECT_EQ(pixel(shot, store::ColTitle, 6), highlight);
    EXPECT_GE(textSpan(shot, store::ColTitle, 6).first, 0);
    EXPECT_EQ(pixel(shot, store::ColOption, 6), white);

    // Titles left, amounts right, numbers and headers centred.
    const auto title = textSpan(shot, store::ColTitle, 2);
    EXPECT_LE(title.first, 4);
    const auto price = textSpan(shot, store::ColKakaku, 2);
    EXPECT_LE(price.second, 4);
    EXPECT_GT(price.first, 10);
    for (const auto& [column, row] : {std::pair(store::ColNo, 2), std::pair(store::ColKakaku, 0)}) {
        const auto centred = textSpan(shot, column, row);
        EXPECT_LE(std::abs(centred.first - centred.second), 3) << column;
    }

    // An empty current cell stays white.
    grid->FocusCell(store::ColArarmHour, 6);
    QCoreApplication::processEvents();
    EXPECT_EQ(pixel(grid->grab().toImage(), store::ColArarmHour, 6), white);
}

TEST_F(GridPaint, PicturesButtonsAndCaptionsFollowTheScrolledGrid)
{
    fillEveryState();
    auto* vertical = grid->verticalScrollBar();
    vertical->setValue(vertical->value() + 3);
    ASSERT_EQ(grid->TopRow(), 4);
    for (int s = 0; s < 3; ++s) {
        EXPECT_TRUE(control(u"Image0_%1"_s.arg(s))->isHidden()) << s;
        EXPECT_TRUE(control(u"BtnHyoji0_%1"_s.arg(s))->isHidden()) << s;
    }
    const int headerBottom = grid->y() + AuctionGrid::HeaderRowHeight;
    EXPECT_EQ(control(u"Image0_3"_s)->y(), headerBottom + 1);
    EXPECT_EQ(control(u"BtnHyoji0_3"_s)->y(), headerBottom + 4);

    // At the window's first size the last row and its picture and button can be reached.
    vertical->setValue(vertical->maximum());
    const QRect lastRow = grid->CellRect(store::ColTitle, 10);
    ASSERT_FALSE(lastRow.isEmpty());
    EXPECT_LE(lastRow.bottom(), grid->viewport()->geometry().bottom());
    QWidget* page = grid->parentWidget();
    for (const QString& name : {u"Image0_9"_s, u"BtnHyoji0_9"_s}) {
        const QRect place = control(name)->geometry();
        EXPECT_FALSE(control(name)->isHidden());
        EXPECT_LE(place.bottom(), page->height()) << name.toStdString();
        EXPECT_GE(place.center().y(), grid->y() + lastRow.top()) << name.toStdString();
        EXPECT_LE(place.center().y(), grid->y() + lastRow.bottom()) << name.toStdString();
    }
    saveScreenshot(u"grid-scrolled.png"_s);

    // The time captions stand over their first columns until those scroll out on the left.
    grid->horizontalHeader()->resizeSection(store::ColTitle - 1, 300);
    grid->horizontalHeader()->resizeSection(store::ColOption - 1, 400);
    QCoreApplication::processEvents();
    ASSERT_GE(grid->horizontalScrollBar()->maximum(), 2);
    auto* endTime = control<QLabel>(u"LblEndTime0"_s);
    auto* ararmTime = control<QLabel>(u"LblArarmTime0"_s);
    EXPECT_EQ(endTime->x(), grid->x() + grid->CellRect(store::ColMonth, 0).left());
    EXPECT_EQ(ararmTime->x(), grid->x() + grid->CellRect(store::ColArarmHour, 0).left());
    grid->horizontalScrollBar()->setValue(1);
    ASSERT_EQ(grid->LeftCol(), 2);
    EXPECT_EQ(endTime->x(), grid->x() + grid->CellRect(store::ColMonth, 0).left());
    EXPECT_FALSE(endTime->isHidden());
    grid->horizontalScrollBar()->setValue(2);
    EXPECT_TRUE(endTime->isHidden());
    EXPECT_EQ(ararmTime->x(), grid->x() + grid->CellRect(store::ColArarmHour, 0).left());
    EXPECT_FALSE(ararmTime->isHidden());
}

TEST_F(GridPaint, ATitleClickEnablesTheSelectionCommandsUntilTheGridLosesTheFocus)
{
    slot(2, u"レンズ"_s, on(10, 12, 0));
    model.SlotAt(0, 3).Cells[store::ColTitle] = u"no address"_s;
    form1->render();
    auto* rowDell = control<QAction>(u"RowDell"_s);
    auto* menuHonmei = control<QAction>(u"MenuHonmei"_s);
    const auto click = [this](int column, int row) {
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                          grid->CellRect(column, row).center() - grid->viewport()->pos());
        QCoreApplication::processEvents();
    };

    click(store::ColTitle, 2);
    EXPECT_TRUE(rowDell->isEnabled());
    EXPECT_TRUE(menuHonmei->isEnabled());
    EXPECT_EQ(std::tuple(model.SelKomoku, model.SelRow, model.SelCol), std::tuple(0, 2, 1));
    // Typing in the cell moves the focus into the grid's own editor only.
    QTest::keyClick(grid, Qt::Key_A);
    QCoreApplication::processEvents();
    EXPECT_TRUE(rowDell->isEnabled());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    // Nor does opening a menu take the selection away.
    auto* menu = control<QMenu>(u"PopupMenu1"_s);
    menu->popup(form1->geometry().center());
    QCoreApplication::processEvents();
    menu->hide();
    QCoreApplication::processEvents();
    EXPECT_TRUE(rowDell->isEnabled());

    click(store::ColKakaku, 2);
    EXPECT_FALSE(rowDell->isEnabled());
    click(store::ColTitle, 3);
    EXPECT_FALSE(menuHonmei->isEnabled());
    click(store::ColTitle, 2);
    ASSERT_TRUE(rowDell->isEnabled());
    control<QLineEdit>(u"EditKomoku0"_s)->setFocus(Qt::TabFocusReason);
    QCoreApplication::processEvents();
    EXPECT_FALSE(rowDell->isEnabled());
    EXPECT_FALSE(menuHonmei->isEnabled());
    EXPECT_EQ(model.SelRow, 0);
}

TEST_F(GridPaint, HyojiOpensTheItemPageAndSaysSoWhenItCannot)
{
    slot(2, u"レンズ"_s, on(10, 12, 0));
    form1->render();
    auto* hyoji = control<QPushButton>(u"BtnHyoji0_1"_s);
    QTest::mouseClick(hyoji, Qt::LeftButton);
    QCoreApplication::processEvents();
    EXPECT_EQ(shellOpen.opened, QStringList{model.SlotAt(0, 2).Cells[store::ColURL]});
    EXPECT_EQ(model.SelRow, 2);
    EXPECT_TRUE(dialogs.shown.empty());

    const QString failed = u"指定したオークションの表示に失敗しました。"_s;
    shellOpen.succeed = false;
    QTest::mouseClick(hyoji, Qt::LeftButton);
    QCoreApplication::processEvents();
    EXPECT_EQ(dialogs.texts(), QStringList{failed});

    // A cell text that is no web address goes nowhere near the shell.
    shellOpen.opened.clear();
    model.SlotAt(0, 2).Cells[store::ColURL] = u"/usr/bin/xterm"_s;
    QTest::mouseClick(hyoji, Qt::LeftButton);
    QCoreApplication::processEvents();
    EXPECT_TRUE(shellOpen.opened.isEmpty());
    EXPECT_EQ(dialogs.texts(), (QStringList{failed, failed}));
}

} // namespace
