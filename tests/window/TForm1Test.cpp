#include "window/TForm1.h"

#include "shell/ResidentFixture.h"
#include "support/FakeTransfers.h"
#include "watchlist/PictureBoxCommands.h"
#include "watchlist/ResidentSide.h"
#include "watchlist/WatchListPresenter.h"
#include "watchlist/WatchListStorage.h"
#include "window/AuctionGrid.h"
#include "window/Fonts.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

using namespace Qt::StringLiterals;
using window::AuctionGrid;
using window::TForm1;

namespace {

// The resident side as far as the window's logic reaches it: a data folder and no schedule.
class TestResident final : public watchlist::ResidentSide {
public:
    bool StartingUp() const override { return false; }
    bool KakakuChanged() const override { return false; }
    void RequestRebuild() override {}
    void StopMonitor() override {}
    void StartMonitor() override {}
    shell::SlotStatus* Status(int, int) override { return nullptr; }
    void SetTrayHint(const QString&) override {}
    void WatchListClosed() override {}
    void EndProgram() override {}
    QString DataDir() const override { return dataDir; }
    QString ExeDir() const override { return dataDir; }

    QString dataDir;
};

class WatchListWindow : public testsupport::ResidentFixture {
protected:
    WatchListWindow()
    {
        window::InstallFontSubstitutions();
        resident.dataDir = scratch.file(u"data"_s) + u'/';
        QDir().mkpath(resident.dataDir);
        form1 = std::make_unique<TForm1>(model);
        pass = std::make_unique<retrieval::PriceCheckPass>(retrieval::PriceCheckPass::Parts{
            *form, model, pages, pictures, probe, *form1, dialogs, clock, retrieval::BuiltInPageMarkers()});
        presenter = std::make_unique<watchlist::WatchListPresenter>(watchlist::WatchListPresenter::Parts{
            model, resident, *form1, dialogs, clock, form->Speech(), shellOpen, *pass});
        form1->SetPresenter(presenter.get());
        presenter->FormCreate();
    }

    template <class T = QWidget> T* control(const QString& name) const
    {
        T* found = form1->findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name.toStdString();
        return found;
    }
    void showWindow()
    {
        form1->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form1.get()));
    }
    // Types text into cell (column, row) of the first category as the user does; the editor
    // the first key opened stays open.
    QLineEdit* typeInto(int column, int row, const QString& text)
    {
        form1->setActivePage(1);
        auto* grid = control<AuctionGrid>(u"StringGridAuction0"_s);
        grid->setFocus();
        grid->FocusCell(column, row);
        QTest::keyClick(grid, text[0].toLatin1());
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        if (editor)
            QTest::keyClicks(editor, text.mid(1));
        return editor;
    }
    TestResident resident;
    std::unique_ptr<TForm1> form1;
    testsupport::FakePages pages;
    testsupport::FakePictures pictures;
    std::unique_ptr<retrieval::PriceCheckPass> pass;
    std::unique_ptr<watchlist::WatchListPresenter> presenter;
};

TEST_F(WatchListWindow, GridKeepsItsColumnsRowsAndLinesWhileScrolling)
{
    showWindow();
    form1->setActivePage(1);
    auto* grid = control<AuctionGrid>(u"StringGridAuction0"_s);
    const auto& widths = AuctionGrid::DefaultColWidths();
    int left = grid->CellRect(0, 1).left();
    for (int c = 0; c < store::ColumnCount; ++c) {
        SCOPED_TRACE(c);
        const QRect cell = grid->CellRect(c, 1);
        EXPECT_EQ(cell.left(), left);
        EXPECT_EQ(cell.size(), QSize(widths[static_cast<size_t>(c)], 50));
        left += widths[static_cast<size_t>(c)] + AuctionGrid::GridLineWidth;
    }
    const QRect header = grid->CellRect(1, 0);
    EXPECT_EQ(header.height(), 24);
    EXPECT_EQ(grid->CellRect(1, 1).top(), header.bottom() + 1 + 2);
    EXPECT_EQ(grid->CellRect(1, 2).top() - grid->CellRect(1, 1).top(), 52);

    // Two-pixel lines between white cells.
    const QImage shot = grid->grab().toImage();
    const QRect title = grid->CellRect(1, 1);
    const int y = title.center().y();
    EXPECT_EQ(shot.pixel(title.right(), y), qRgb(255, 255, 255));
    EXPECT_NE(shot.pixel(title.right() + 1, y), qRgb(255, 255, 255));
    EXPECT_NE(shot.pixel(title.right() + 2, y), qRgb(255, 255, 255));
    EXPECT_EQ(shot.pixel(title.right() + 3, y), qRgb(255, 255, 255));

    // One step down scrolls one whole row under the fixed header row and number column.
    grid->verticalScrollBar()->setValue(grid->verticalScrollBar()->value() + 1);
    EXPECT_EQ(grid->TopRow(), 2);
    EXPECT_EQ(grid->CellRect(1, 0), header);
    EXPECT_TRUE(grid->CellRect(1, 1).isEmpty());
    EXPECT_EQ(grid->CellRect(0, 2).top(), header.bottom() + 1 + 2);
    EXPECT_EQ(grid->CellRect(0, 2).left(), grid->CellRect(0, 0).left());
}

TEST_F(WatchListWindow, RenderShowsTheModelWithoutCallingAHandler)
{
    store::WatchListModel& m = model;
    m.WindowReady = true;
    m.Saved = true;
    m.Komokus.resize(2);
    m.KomokuCount = 2;
    m.Komokus[0].Name = u"カメラ"_s;
    m.Komokus[1].AddedUnnamed = true;
    m.General.EditArarmTime = u"5"_s;
    m.General.CheckBoxBalloon = false;
    m.General.ComboBoxEndAuctionDel = 0;
    m.Speech.MemoSpeakText = u"おーく\r\nしょん"_s;
    m.Speech.MemoSpeakTextColor = store::SpeakTextColor::Red;
    // A sentence not yet tried out holds the save back.
    m.SpeakTextChecked = false;
    m.LabelMsgNotice = u"ドラッグ&&ドロップ\r2行目"_s;
    m.ActivePage = 2;
    QImage red(60, 40, QImage::Format_RGB32);
    red.fill(qRgb(255, 0, 0));
    m.SlotAt(0, 4).Picture = store::SlotPicture::FromImage(red);
    form1->render();

    auto* tabs = control<QTabWidget>(u"PageControl1"_s);
    ASSERT_EQ(tabs->count(), 3);
    EXPECT_EQ(tabs->tabText(0), u"全般"_s);
    EXPECT_EQ(tabs->tabText(1), u"カメラ"_s);
    EXPECT_EQ(tabs->tabText(2), u"名前なし"_s);
    EXPECT_EQ(tabs->currentIndex(), 2);
    EXPECT_EQ(control<QLineEdit>(u"EditKomoku0"_s)->text(), u"カメラ"_s);
    EXPECT_TRUE(control<QPushButton>(u"BtnTabDel1"_s)->isEnabled());
    EXPECT_EQ(control<QLineEdit>(u"EditArarmTime"_s)->text(), u"5"_s);
    EXPECT_FALSE(control<QCheckBox>(u"CheckBoxBalloon"_s)->isChecked());
    EXPECT_EQ(control<QComboBox>(u"ComboBoxEndAuctionDel"_s)->currentText(), u"削除しない"_s);
    const auto* memo = control<QPlainTextEdit>(u"MemoSpeakText"_s);
    EXPECT_EQ(memo->toPlainText(), u"おーく\nしょん"_s);
    EXPECT_EQ(memo->palette().color(QPalette::Base), QColor(255, 0, 0));
    EXPECT_EQ(control<QLabel>(u"LabelMsg"_s)->text(), u"ドラッグ&ドロップ\n2行目"_s);
    EXPECT_FALSE(control<QAction>(u"MenuSave"_s)->isEnabled());
    EXPECT_TRUE(control<QAction>(u"S1"_s)->isEnabled());
    // A slot's picture, and the empty box of a slot without one.
    EXPECT_EQ(control(u"Image0_3"_s)->grab().toImage().pixel(10, 10), qRgb(255, 0, 0));
    EXPECT_EQ(control(u"Image0_4"_s)->grab().toImage().pixel(0, 24), qRgb(0, 128, 0));
    // Any handler of the name edit, the general page or the pages would have cleared it.
    EXPECT_TRUE(m.Saved);
    EXPECT_TRUE(dialogs.shown.empty());

    m.Komokus.resize(1);
    m.KomokuCount = 1;
    form1->render();
    EXPECT_EQ(tabs->count(), 2);
    EXPECT_EQ(m.ActivePage, 1);
}

TEST_F(WatchListWindow, TypingInACellOrTheNameEditReachesTheModel)
{
    showWindow();
    QLineEdit* editor = typeInto(store::ColTitle, 3, u"Lens"_s);
    ASSERT_NE(editor, nullptr);
    auto* grid = control<AuctionGrid>(u"StringGridAuction0"_s);
    // The open editor is what a price check leaves alone.
    EXPECT_TRUE(form1->isEditing(0, 3));
    EXPECT_FALSE(form1->isEditing(0, 2));
    QTest::keyClick(editor, Qt::Key_Tab);
    QCoreApplication::processEvents();
    EXPECT_EQ(model.SlotAt(0, 3).Cells[store::ColTitle], u"Lens"_s);
    EXPECT_EQ(grid->model()->index(2, 0).data().toString(), u"Lens"_s);
    EXPECT_EQ(grid->Col(), store::ColMonth);
    EXPECT_FALSE(model.Saved);

    QTest::sendKeyEvent(QTest::Click, control<QLineEdit>(u"EditKomoku0"_s), Qt::Key_unknown, u"本"_s,
                        Qt::NoModifier);
    EXPECT_EQ(model.KomokuAt(0).Name, u"本"_s);
    EXPECT_EQ(control<QTabWidget>(u"PageControl1"_s)->tabText(1), u"本"_s);
}

TEST_F(WatchListWindow, GeneralPageWritesTheModelBeforeTheHandlerRuns)
{
    showWindow();
    store::WatchListModel& m = model;
    ASSERT_TRUE(m.WindowReady);

    QTest::mouseClick(control<QCheckBox>(u"CheckBoxBalloon"_s), Qt::LeftButton);
    EXPECT_FALSE(m.General.CheckBoxBalloon);
    EXPECT_FALSE(m.Saved);

    m.Saved = true;
    QTest::keyClick(control<QComboBox>(u"ComboBoxEndAuctionDel"_s), Qt::Key_Down);
    EXPECT_EQ(m.General.ComboBoxEndAuctionDel, 3);
    EXPECT_FALSE(m.Saved);

    // Switching speech off and on again asks for a new test play of the sentence.
    auto* speak = control<QCheckBox>(u"CheckBoxArarmSpeak"_s);
    QTest::mouseClick(speak, Qt::LeftButton, {}, QPoint(8, speak->height() / 2));
    EXPECT_FALSE(m.Speech.CheckBoxArarmSpeak);
    EXPECT_TRUE(control<QAction>(u"MenuSave"_s)->isEnabled());
    QTest::mouseClick(speak, Qt::LeftButton, {}, QPoint(8, speak->height() / 2));
    EXPECT_TRUE(m.Speech.CheckBoxArarmSpeak);
    EXPECT_FALSE(m.SpeakTextChecked);
    EXPECT_FALSE(control<QAction>(u"MenuSave"_s)->isEnabled());
    EXPECT_EQ(control<QPlainTextEdit>(u"MemoSpeakText"_s)->palette().color(QPalette::Base),
              QColor(255, 0, 0));
}

TEST_F(WatchListWindow, PickedAndAddedPagesComeForwardWithTheirMessage)
{
    showWindow();
    auto* tabs = control<QTabWidget>(u"PageControl1"_s);
    auto* labelMsg = control<QLabel>(u"LabelMsg"_s);
    auto* btnOK = control<QPushButton>(u"BtnOK"_s);
    QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {}, tabs->tabBar()->tabRect(1).center());
    EXPECT_EQ(model.ActivePage, 1);
    EXPECT_TRUE(control<QAction>(u"S1"_s)->isEnabled());
    EXPECT_TRUE(labelMsg->isVisible());
    EXPECT_TRUE(labelMsg->text().contains(u"ドラッグ&ドロップ"_s));
    EXPECT_EQ(labelMsg->geometry().right() + 1, btnOK->x());

    QTest::mouseClick(control<QPushButton>(u"BtnAddKomoku"_s), Qt::LeftButton);
    EXPECT_EQ(tabs->count(), 3);
    EXPECT_EQ(tabs->currentIndex(), 2);
    EXPECT_EQ(model.SelKomoku, 1);
    EXPECT_TRUE(control<QPushButton>(u"BtnTabDel0"_s)->isEnabled());

    QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {}, tabs->tabBar()->tabRect(0).center());
    EXPECT_EQ(model.ActivePage, 0);
    EXPECT_FALSE(control<QAction>(u"S1"_s)->isEnabled());
    EXPECT_FALSE(labelMsg->isVisible());

    // A wider window keeps the buttons at their distance from the right edge.
    const int fromRight = form1->centralWidget()->width() - btnOK->x();
    form1->resize(form1->width() + 100, form1->height());
    QCoreApplication::processEvents();
    EXPECT_EQ(form1->centralWidget()->width() - btnOK->x(), fromRight);
    EXPECT_EQ(tabs->width(), form1->centralWidget()->width() - 10);
}

TEST_F(WatchListWindow, PastingIntoACellPutsTheClipboardTextThereWhole)
{
    showWindow();
    form1->setActivePage(1);
    auto* grid = control<AuctionGrid>(u"StringGridAuction0"_s);
    grid->setFocus();
    grid->FocusCell(store::ColOption, 4);
    QGuiApplication::clipboard()->setText(u"  メモ  "_s);
    QTest::keySequence(grid, QKeySequence::Paste);
    QCoreApplication::processEvents();
    EXPECT_EQ(model.SlotAt(0, 4).Cells[store::ColOption], u"メモ"_s);
}

TEST_F(WatchListWindow, ClosingFromTheTitleBarKeepsWhatACellEditorHolds)
{
    showWindow();
    ASSERT_NE(typeInto(store::ColOption, 2, u"memo"_s), nullptr);
    form1->close();
    EXPECT_EQ(model.SlotAt(0, 2).Cells[store::ColOption], u"memo"_s);
    EXPECT_EQ(dialogs.texts(), QStringList{watchlist::WatchListStorage::SaveQuestion()});
}

TEST_F(WatchListWindow, APriceNoticeMakesItsRowTheTopRowAndFocusesTheGrid)
{
    showWindow();
    form1->setActivePage(1);
    auto* grid = control<AuctionGrid>(u"StringGridAuction0"_s);
    // Three rows in view: row 5 lies below them.
    grid->resize(grid->width(), AuctionGrid::HeaderRowHeight + 3 * 52 + 30);
    QCoreApplication::processEvents();
    ASSERT_GE(grid->verticalScrollBar()->maximum(), 4);
    form1->setActivePage(0);
    form1->activatePriceCell(0, 5);
    EXPECT_EQ(control<QTabWidget>(u"PageControl1"_s)->currentIndex(), 1);
    EXPECT_EQ(grid->TopRow(), 5);
    EXPECT_EQ(grid->Row(), 5);
    EXPECT_EQ(grid->Col(), store::ColKakaku);
    EXPECT_TRUE(grid->hasFocus());
}

TEST_F(WatchListWindow, AnAddedCategoryTakesTheColumnWidthsOfTheFirst)
{
    showWindow();
    auto* first = control<AuctionGrid>(u"StringGridAuction0"_s);
    first->horizontalHeader()->resizeSection(store::ColTitle - 1, 200);
    QTest::mouseClick(control<QPushButton>(u"BtnAddKomoku"_s), Qt::LeftButton);
    EXPECT_EQ(control<AuctionGrid>(u"StringGridAuction1"_s)->ColWidth(store::ColTitle), 198);
}

TEST_F(WatchListWindow, HoverHintShowsACellAfterHalfASecondOnlyWhileThePointerStaysOnIt)
{
    const QString title = u"ニコン F3 ボディ 極上美品 付属品多数 動作確認済み 送料無料"_s;
    showWindow();
    // Showing the window loads the stored list, so the slot is filled afterwards.
    model.SlotAt(0, 2).Cells[store::ColTitle] = title;
    model.SlotAt(0, 2).Cells[store::ColKakaku] = u"12,345円"_s;
    form1->setActivePage(1);
    auto* grid = control<AuctionGrid>(u"StringGridAuction0"_s);
    auto* panel = control<QFrame>(u"PanelHint"_s);
    auto* label = control<QLabel>(u"LblHint"_s);
    auto* timer = form1->findChild<QTimer*>(u"HintTimer"_s);
    ASSERT_NE(timer, nullptr);
    const auto restingOver = [&](int column) {
        QTest::mouseMove(grid, grid->CellRect(column, 2).center());
        return grid->mapTo(form1->centralWidget(), grid->CellRect(column, 2).center());
    };

    QElapsedTimer elapsed;
    elapsed.start();
    const QPoint pointer = restingOver(store::ColTitle);
    EXPECT_FALSE(panel->isVisible());
    ASSERT_TRUE(QTest::qWaitFor([&] { return panel->isVisible(); }, 3000));
    EXPECT_GE(elapsed.elapsed(), 450);
    EXPECT_EQ(label->text(), title);
    EXPECT_EQ(panel->geometry(), QRect(pointer.x(), pointer.y() + 20,
                                       QFontMetrics(label->font()).horizontalAdvance(title) + 10, 40));

    // The price column has no hint: the panel goes at once.
    restingOver(store::ColKakaku);
    EXPECT_FALSE(panel->isVisible());
    EXPECT_FALSE(timer->isActive());

    // A pointer that leaves the grid during the wait gets no hint.
    restingOver(store::ColTitle);
    ASSERT_TRUE(timer->isActive());
    QTest::mouseMove(control<QLineEdit>(u"EditKomoku0"_s));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !timer->isActive(); }, 3000));
    QCoreApplication::processEvents();
    EXPECT_FALSE(panel->isVisible());
}

} // namespace

TEST_F(WatchListWindow, PictureBoxesForwardTheirMenuDoubleClickAndDrops)
{
    testsupport::FakeClipboard clipboard;
    QStringList enlarged;
    watchlist::PictureBoxCommands pictures(
        {model, dialogs, clipboard, [&](const QImage&, const QString& caption) { enlarged << caption; }});
    form1->SetPictureBox(&pictures);
    showWindow();
    form1->setActivePage(1);
    auto* box = control(u"Image0_2"_s);
    auto* menu = control<QMenu>(u"PopupMenu1"_s);

    QTest::mouseDClick(box, Qt::LeftButton);
    EXPECT_TRUE(enlarged.isEmpty());
    QTest::mouseClick(box, Qt::RightButton);
    EXPECT_TRUE(menu->isVisible());
    EXPECT_TRUE(control<QAction>(u"P1"_s)->isEnabled());
    EXPECT_FALSE(control<QAction>(u"D1"_s)->isEnabled());
    EXPECT_FALSE(control<QAction>(u"Kakudai"_s)->isEnabled());
    menu->hide();

    clipboard.image = QImage(60, 40, QImage::Format_RGB32);
    clipboard.image.fill(qRgb(255, 0, 0));
    control<QAction>(u"P1"_s)->trigger();
    EXPECT_EQ(box->grab().toImage().pixel(10, 10), qRgb(255, 0, 0));
    QTest::mouseDClick(box, Qt::LeftButton);
    EXPECT_EQ(enlarged, QStringList{u"No.3の画像"_s});

    // A picture dropped on the box of a slot with an address.
    model.SlotAt(0, 5).Cells[store::ColURL] = u"https://page.auctions.yahoo.co.jp/jp/auction/x1"_s;
    QMimeData data;
    data.setImageData(clipboard.image);
    // Qt delivers a drop only to the widget that took the drag in.
    auto* target = control(u"Image0_4"_s);
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);
    EXPECT_TRUE(model.SlotAt(0, 5).PictureExist);
}

TEST_F(WatchListWindow, ARightPressOpensTheSlotMenuAndTheMenusReachTheirCommands)
{
    showWindow();
    form1->setActivePage(1);
    model.SlotAt(0, 2).Cells[store::ColURL] = u"https://page.auctions.yahoo.co.jp/jp/auction/x1"_s;
    auto* grid = control<AuctionGrid>(u"StringGridAuction0"_s);
    grid->FocusCell(store::ColOption, 5);
    // The move of the current cell reaches the presenter as a click, queued.
    QCoreApplication::processEvents();
    auto* menu = control<QMenu>(u"PopupMenu2"_s);
    QStringList captions;
    bool popupOpen = false;
    bool historyOffered = true;
    QTimer::singleShot(0, menu, [&] {
        for (const QAction* action : menu->actions())
            captions << action->text();
        historyOffered = control<QAction>(u"MenuKakakuRireki"_s)->isEnabled();
        popupOpen = menu->isVisible() && model.PopupOpen;
        menu->hide();
    });
    const QPoint at = grid->CellRect(store::ColTitle, 2).center() - grid->viewport()->geometry().topLeft();
    QTest::mousePress(grid->viewport(), Qt::RightButton, {}, at);
    EXPECT_TRUE(popupOpen);
    EXPECT_FALSE(model.PopupOpen);
    EXPECT_EQ(captions,
              (QStringList{u"このオークションを削除(&D)"_s, u"このオークションを本命にする(&H)"_s,
                           u"別の項目へ移動(&M)"_s, u"価格の推移(&P)"_s, QString(), u"落札品(&G)"_s}));
    EXPECT_FALSE(historyOffered) << "nothing is recorded for the slot";
    EXPECT_EQ(model.SelRow, 2);
    EXPECT_EQ(grid->Row(), 5) << "the current cell stays";

    control<QAction>(u"MenuPopUp_Honmei"_s)->trigger();
    EXPECT_EQ(model.KomokuAt(0).HonmeiNo, 2);
    // As a click on the title enables it.
    model.SelCol = store::ColTitle;
    form1->render();
    control<QAction>(u"RowDell"_s)->trigger();
    control<QAction>(u"S1"_s)->trigger();
    EXPECT_EQ(dialogs.texts(),
              (QStringList{u"No2のオークションを削除しますか？"_s, u"終了時間が入力されていません。"_s}));
}
