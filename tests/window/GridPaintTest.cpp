#include "window/AuctionGrid.h"
#include "window/Fonts.h"
#include "window/TForm1.h"

#include "shell/ResidentFixture.h"
#include "store/DayCount.h"
#include "store/TextRules.h"
#include "support/FakeTransfers.h"
#include "watchlist/ResidentLink.h"
#include "watchlist/WatchListPresenter.h"

#include <QAction>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using namespace Qt::StringLiterals;
using window::AuctionGrid;

namespace {

// The watch-list window over the real resident object on 9 December 2026 at 13:45, with the
// first category's page in front.
class GridPaint : public testsupport::ResidentFixture {
protected:
    void SetUp() override
    {
        window::InstallFontSubstitutions();
        clock.current = QDateTime(QDate(2026, 12, 9), QTime(13, 45));
        ASSERT_TRUE(form->FormCreate());
        link = std::make_unique<watchlist::ResidentLink>(*form);
        form1 = std::make_unique<window::TForm1>(model);
        pass = std::make_unique<retrieval::PriceCheckPass>(retrieval::PriceCheckPass::Parts{
            *form, model, pages, pictures, probe, *form1, dialogs, clock, retrieval::BuiltInPageMarkers()});
        presenter = std::make_unique<watchlist::WatchListPresenter>(watchlist::WatchListPresenter::Parts{
            model, *link, *form1, dialogs, clock, form->Speech(), shellOpen, *pass});
        form1->SetPresenter(presenter.get());
        presenter->FormCreate();
        // The statuses the tests set stand for the schedule: no tick may rebuild it from the
        // empty folder meanwhile, however slowly the window comes up.
        form->StopMonitor();
        form1->show();
        // The grid's focus needs an active window, also on a display without a window manager.
        form1->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form1.get()));
        form->Schedule().Komoku.resize(1);
        form1->setActivePage(1);
        grid = widget<AuctionGrid>(u"StringGridAuction0"_s);
    }

    template <class T = QWidget> T* widget(const QString& name) const
    {
        T* found = form1->findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name.toStdString();
        return found;
    }
    // A slot in use ending on December day at hour:minute, its price in column 9.
    store::Slot& slot(int row, const QString& title, int day, int hour, int minute, const QString& price = {})
    {
        store::Slot& s = model.SlotAt(0, row);
        const QDateTime end(QDate(2026, 12, day), QTime(hour, minute));
        s.Cells[store::ColTitle] = title;
        s.Cells[store::ColURL] = u"https://page.auctions.yahoo.co.jp/jp/auction/x%1"_s.arg(row);
        const QStringList parts = end.toString(u"MM dd HH mm"_s).split(u' ');
        for (int i = 0; i < 4; ++i)
            s.Cells[static_cast<size_t>(store::ColMonth + i)] = parts[i];
        s.Cells[store::ColKakaku] = price;
        s.ShuryoTime = store::ToDayCount(end);
        return s;
    }
    shell::SlotStatus& status(int row) { return form->Schedule().At(0, row - 1); }

    // One slot per colour; the focus on the title of row 6.
    void fillEveryState()
    {
        slot(1, u"ミラーレス一眼 ボディ"_s, 9, 14, 30, u"45,000円"_s).Cells[store::ColYosan] = u"40,000"_s;
        status(1).OverBudget = true;
        slot(2, u"単焦点レンズ 50mm F1.8"_s, 9, 18, 0, u"9,800円"_s);
        model.KomokuAt(0).HonmeiNo = 2;
        store::Slot& sokketu = slot(3, u"ストロボ"_s, 10, 12, 0, u"8,000円"_s);
        sokketu.Cells[store::ColSokketugaku] = u"8,000円"_s;
        sokketu.SokketuEnd = true;
        slot(4, store::EndedMarker() + u"三脚"_s, 8, 21, 0, u"3,500円"_s);
        status(4).Ended = status(4).Won = true;
        slot(5, store::EndedMarker() + u"カメラバッグ"_s, 8, 22, 0, u"2,000円"_s);
        status(5).Ended = true;
        slot(6, u"ND フィルター"_s, 11, 9, 5).Cells[store::ColOption] = u"箱なし"_s;
        slot(10, u"レリーズ"_s, 12, 22, 40, u"1,200円"_s);
        form1->render();
        grid->setFocus();
        grid->FocusCell(store::ColTitle, 6);
        QCoreApplication::processEvents();
    }
    QRgb pixel(const QImage& shot, int column, int row) const
    {
        return shot.pixel(grid->CellRect(column, row).topLeft() + QPoint(1, 1));
    }
    // The distances of a cell's text (its dark pixels) from the cell's left and right edges.
    std::pair<int, int> textMargins(const QImage& shot, int column, int row) const
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
        if (!folder.isEmpty()) {
            EXPECT_TRUE(QDir().mkpath(folder) && form1->grab().save(folder + u'/' + name));
        }
    }

    std::unique_ptr<watchlist::ResidentLink> link;
    std::unique_ptr<window::TForm1> form1;
    testsupport::FakePages pages;
    testsupport::FakePictures pictures;
    std::unique_ptr<retrieval::PriceCheckPass> pass;
    std::unique_ptr<watchlist::WatchListPresenter> presenter;
    AuctionGrid* grid = nullptr;
};

TEST_F(GridPaint, CellsShowTheirStateInColourWithBlackTextAlignedByColumn)
{
    fillEveryState();
    saveScreenshot(u"grid-colours.png"_s);
    QImage shot = grid->grab().toImage();
    EXPECT_EQ(pixel(shot, store::ColDay, 0), qRgb(0, 255, 0));
    EXPECT_EQ(pixel(shot, store::ColNo, 2), qRgb(255, 0, 0));
    EXPECT_EQ(pixel(shot, store::ColHour, 1), qRgb(255, 0, 0));
    EXPECT_EQ(pixel(shot, store::ColYosan, 1), qRgb(0, 128, 0));
    EXPECT_EQ(pixel(shot, store::ColTitle, 4), qRgb(255, 0, 255));
    EXPECT_EQ(pixel(shot, store::ColOption, 6), qRgb(255, 255, 255));
    ASSERT_TRUE(grid->hasFocus());
    EXPECT_EQ(pixel(shot, store::ColTitle, 6),
              grid->palette().color(QPalette::Active, QPalette::Highlight).rgb());
    EXPECT_GE(textMargins(shot, store::ColTitle, 6).first, 0);

    // Titles left, amounts right, numbers and headers centred.
    EXPECT_LE(textMargins(shot, store::ColTitle, 2).first, 4);
    const auto price = textMargins(shot, store::ColKakaku, 2);
    EXPECT_LE(price.second, 4);
    EXPECT_GT(price.first, 10);
    for (const auto& [column, row] : {std::pair(store::ColNo, 2), std::pair(store::ColKakaku, 0)}) {
        const auto centred = textMargins(shot, column, row);
        EXPECT_LE(std::abs(centred.first - centred.second), 3) << column;
    }

    grid->FocusCell(store::ColArarmHour, 6);
    QCoreApplication::processEvents();
    shot = grid->grab().toImage();
    EXPECT_EQ(pixel(shot, store::ColArarmHour, 6), qRgb(255, 255, 255));
}

TEST_F(GridPaint, RowNumbersStayInPlaceWhileSlotsAreSortedDeletedAndMoved)
{
    for (int row = 1; row <= 7; ++row)
        slot(row, u"品物 %1"_s.arg(row), 20 - row, 12, 0, u"%1,000円"_s.arg(row));
    presenter->BtnAddKomokuClick();
    form->Schedule().Komoku.resize(2);
    form1->setActivePage(1);
    presenter->S1Click();
    model.SelKomoku = 0;
    model.SelRow = 3;
    dialogs.answers = {true};
    presenter->RowDellClick();
    model.SelRow = 1;
    presenter->MoveKomokuItemClick(1);
    form1->render();
    form1->setActivePage(1);
    // Tall enough for all ten rows.
    form1->resize(form1->width(), 760);
    QCoreApplication::processEvents();
    saveScreenshot(u"rows-after-rearranging.png"_s);

    const QStringList titles{u"品物 6"_s, u"品物 4"_s, u"品物 3"_s, u"品物 2"_s, u"品物 1"_s};
    for (int row = 1; row <= store::SlotsPerKomoku; ++row) {
        EXPECT_EQ(grid->model()->headerData(row - 1, Qt::Vertical).toString(), QString::number(row)) << row;
        EXPECT_EQ(grid->model()->index(row - 1, store::ColTitle - 1).data().toString(),
                  titles.value(row - 1));
    }
}

TEST_F(GridPaint, PicturesButtonsAndCaptionsFollowTheScrolledGrid)
{
    fillEveryState();
    auto* vertical = grid->verticalScrollBar();
    vertical->setValue(vertical->value() + 3);
    ASSERT_EQ(grid->TopRow(), 4);
    for (int s = 0; s < 3; ++s)
        EXPECT_TRUE(widget(u"Image0_%1"_s.arg(s))->isHidden() &&
                    widget(u"BtnHyoji0_%1"_s.arg(s))->isHidden());
    const int headerBottom = grid->y() + AuctionGrid::HeaderRowHeight;
    EXPECT_EQ(widget(u"Image0_3"_s)->y(), headerBottom + 1);
    EXPECT_EQ(widget(u"BtnHyoji0_3"_s)->y(), headerBottom + 4);

    // At the window's first size the last row and its picture and button can be reached.
    vertical->setValue(vertical->maximum());
    const QRect lastRow = grid->CellRect(store::ColTitle, 10).translated(grid->pos());
    ASSERT_FALSE(lastRow.isEmpty());
    EXPECT_LE(lastRow.bottom(), grid->y() + grid->viewport()->geometry().bottom());
    for (const QString& name : {u"Image0_9"_s, u"BtnHyoji0_9"_s}) {
        const QRect place = widget(name)->geometry();
        EXPECT_TRUE(!widget(name)->isHidden() && place.bottom() <= grid->parentWidget()->height());
        EXPECT_TRUE(lastRow.top() <= place.center().y() && place.center().y() <= lastRow.bottom());
    }
    saveScreenshot(u"grid-scrolled.png"_s);

    // The time captions stand over their first columns until those scroll out on the left.
    grid->horizontalHeader()->resizeSection(store::ColTitle - 1, 300);
    grid->horizontalHeader()->resizeSection(store::ColOption - 1, 400);
    QCoreApplication::processEvents();
    auto* endTime = widget<QLabel>(u"LblEndTime0"_s);
    auto* ararmTime = widget<QLabel>(u"LblArarmTime0"_s);
    const auto over = [this](int column) { return grid->x() + grid->CellRect(column, 0).left(); };
    grid->horizontalScrollBar()->setValue(1);
    ASSERT_EQ(grid->LeftCol(), 2);
    EXPECT_TRUE(endTime->x() == over(store::ColMonth) && !endTime->isHidden());
    grid->horizontalScrollBar()->setValue(2);
    EXPECT_TRUE(endTime->isHidden());
    EXPECT_TRUE(ararmTime->x() == over(store::ColArarmHour) && !ararmTime->isHidden());
}

TEST_F(GridPaint, ATitleClickEnablesTheSelectionCommandsUntilTheGridLosesTheFocus)
{
    slot(2, u"レンズ"_s, 10, 12, 0);
    model.SlotAt(0, 3).Cells[store::ColTitle] = u"no address"_s;
    form1->render();
    auto* rowDell = widget<QAction>(u"RowDell"_s);
    auto* menuHonmei = widget<QAction>(u"MenuHonmei"_s);
    const auto click = [this](int column, int row) {
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                          grid->CellRect(column, row).center() - grid->viewport()->pos());
        QCoreApplication::processEvents();
    };

    click(store::ColTitle, 2);
    EXPECT_TRUE(rowDell->isEnabled() && menuHonmei->isEnabled());
    EXPECT_EQ(std::tuple(model.SelKomoku, model.SelRow, model.SelCol), std::tuple(0, 2, 1));
    // Neither typing in the cell's editor nor opening a menu leaves the grid.
    QTest::keyClick(grid, Qt::Key_A);
    QCoreApplication::processEvents();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    widget<QMenu>(u"PopupMenu1"_s)->popup(form1->geometry().center());
    QCoreApplication::processEvents();
    widget<QMenu>(u"PopupMenu1"_s)->hide();
    QCoreApplication::processEvents();
    EXPECT_TRUE(rowDell->isEnabled());

    click(store::ColKakaku, 2);
    EXPECT_FALSE(rowDell->isEnabled());
    click(store::ColTitle, 3);
    EXPECT_FALSE(menuHonmei->isEnabled());
    click(store::ColTitle, 2);
    widget<QLineEdit>(u"EditKomoku0"_s)->setFocus(Qt::TabFocusReason);
    QCoreApplication::processEvents();
    EXPECT_FALSE(rowDell->isEnabled() || menuHonmei->isEnabled());
    EXPECT_EQ(model.SelRow, 0);
}

TEST_F(GridPaint, HyojiOpensTheItemPageAndSaysSoWhenItCannot)
{
    slot(2, u"レンズ"_s, 10, 12, 0);
    form1->render();
    const auto clickHyoji = [this] {
        QTest::mouseClick(widget(u"BtnHyoji0_1"_s), Qt::LeftButton);
        QCoreApplication::processEvents();
    };
    clickHyoji();
    EXPECT_EQ(shellOpen.opened, QStringList{model.SlotAt(0, 2).Cells[store::ColURL]});
    EXPECT_EQ(model.SelRow, 2);
    shellOpen.succeed = false;
    clickHyoji();
    // A cell text that is no web address goes nowhere near the shell.
    model.SlotAt(0, 2).Cells[store::ColURL] = u"/usr/bin/xterm"_s;
    clickHyoji();
    EXPECT_EQ(shellOpen.opened.size(), 2);
    const QString failed = u"指定したオークションの表示に失敗しました。"_s;
    EXPECT_EQ(dialogs.texts(), (QStringList{failed, failed}));
}

} // namespace
