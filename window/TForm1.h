#pragma once

#include "platform/WindowView.h"
#include "store/WatchListModel.h"
#include "watchlist/PictureBoxCommands.h"
#include "watchlist/WatchListPresenter.h"

#include <QMainWindow>
#include <QPointer>

#include <functional>
#include <vector>

class QAction;
class QFrame;
class QLabel;
class QMenu;
class QPushButton;
class QTabWidget;
class QTimer;

namespace window {

class AuctionGrid;
class KomokuPage;
class SetteiPage;

// The watch-list window: the general page and one page per category, the message
// line and the three buttons under the pages, and the main menu. It shows the model
// and hands what the user does to the presenter; it is hidden, never destroyed, when
// the user closes it. It owns neither the model nor the presenter.
class TForm1 final : public QMainWindow, public platform::WindowView {
    Q_OBJECT

public:
    explicit TForm1(store::WatchListModel& model, QWidget* parent = nullptr);
    ~TForm1() override;

    // The presenter the user's events go to; the window forwards nothing before it has one.
    void SetPresenter(watchlist::WatchListPresenter* presenter) { m_presenter = presenter; }
    // Where the picture boxes' events go; without it the boxes only show their pictures.
    void SetPictureBox(watchlist::PictureBoxCommands* pictureBox) { m_pictureBox = pictureBox; }

    // What the logic asks of the window.
    void showWindow() override;
    void hideWindow() override;
    void bringToFront() override;
    bool isWindowVisible() const override;
    void showWindowOnTop(bool onTop) override;
    void render() override;
    void repaintGrid(int komoku) override;
    void layoutMessageLabel() override;
    void setActivePage(int page) override;
    void focusSpeechText() override;
    void focusArarmTime() override;
    void focusGrid(int komoku) override;
    void focusHyoji(int komoku, int row) override;
    void activatePriceCell(int komoku, int row) override;
    void commitEdits() override;
    // The enabled states and texts the logic decides, as the window shows them now.
    watchlist::CommandStates states() const;
    bool isEditing(int komoku, int row) const override;
    void hideHint() override;
    void popupSlotMenu() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateMenu();
    void CreateControls();
    void CreatePictureMenu();
    void CreateSlotMenu();
    void FormResize();
    void setClientHeight(int height);

    // Makes one page per category of the model and shows their contents.
    void renderPages();
    void renderCommands();
    void addKomokuPage(int komoku);
    KomokuPage* page(int komoku) const;
    // The user picked a page.
    void PageControl1Change(int page);
    // Runs the show handler of the page in front, once each time another page comes forward.
    void pageShown();

    // The hover hint: the pointer rests on a cell for a moment, then the panel shows its text.
    void GridMouseMove(AuctionGrid* grid, const QPoint& pos);
    void HintDelayOver();
    // Hides the panel and leaves its text.
    void GridMouseLeave();
    // Hides the panel and empties it.
    void clearHint();

    // Runs handler on the presenter, if there is one yet, and shows the model again.
    void forward(const std::function<void(watchlist::WatchListPresenter&)>& handler);
    // The same for the picture boxes.
    void forwardPicture(const std::function<void(watchlist::PictureBoxCommands&)>& handler);

    store::WatchListModel& m_model;
    watchlist::WatchListPresenter* m_presenter = nullptr;
    watchlist::PictureBoxCommands* m_pictureBox = nullptr;

    QWidget* m_client = nullptr;
    QTabWidget* m_pageControl = nullptr;
    SetteiPage* m_settei = nullptr;
    std::vector<KomokuPage*> m_pages;
    QLabel* m_labelMsg = nullptr;
    QPushButton* m_btnOK = nullptr;
    QPushButton* m_btnAddKomoku = nullptr;
    QPushButton* m_btnKakakuCheck = nullptr;
    QFrame* m_panelHint = nullptr;
    QLabel* m_lblHint = nullptr;
    QTimer* m_hintTimer = nullptr;
    // Set while the hint waits out its delay; the pointer's moves meanwhile are ignored.
    bool m_hintWaiting = false;
    // The grid and the cell under the pointer when the wait began.
    QPointer<AuctionGrid> m_hintGrid;
    QPoint m_hintCell;

    QAction* m_menuSave = nullptr;
    QAction* m_s1 = nullptr;
    QAction* m_menuCheap = nullptr;
    QAction* m_rowDell = nullptr;
    QAction* m_menuHonmei = nullptr;

    QMenu* m_popupMenu1 = nullptr;
    QAction* m_p1 = nullptr;
    QAction* m_d1 = nullptr;
    QAction* m_kakudai = nullptr;

    QMenu* m_popupMenu2 = nullptr;
    QAction* m_menuDellKomoku = nullptr;
    QMenu* m_menuMoveItem = nullptr;
    // One item per category under "別の項目へ移動(&M)".
    std::vector<QAction*> m_moveKomokuItems;
    QAction* m_menuRakusatuhin = nullptr;
    QAction* m_menuKakakuRireki = nullptr;

    // The page whose show handler ran last while the window was visible; -1 while hidden.
    int m_shownPage = -1;
    bool m_placed = false;
    // Set while a change of the window flags hides and shows the window again.
    bool m_changingFlags = false;
};

} // namespace window
