#pragma once

#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "platform/WindowView.h"
#include "retrieval/PriceCheckPass.h"
#include "retrieval/ScrapeContext.h"
#include "shell/MiruberoMainForm.h"
#include "store/ResidentSide.h"
#include "store/WatchListForm.h"
#include "store/WatchListModel.h"

#include <QMainWindow>

#include <functional>
#include <vector>

class QAction;
class QFrame;
class QLabel;
class QPushButton;
class QTabWidget;

namespace window {

class KomokuPage;
class SetteiPage;

// The watch-list window: the general page and one page per category, the message
// line and the three buttons under the pages, and the main menu. It shows the model
// and hands what the user does to the logic; it is hidden, never destroyed, when the
// user closes it.
class TForm1 final : public QMainWindow,
                     public platform::WindowView,
                     public retrieval::ScrapeView,
                     public retrieval::PassView {
    Q_OBJECT

public:
    TForm1(shell::TMiruberoMainForm& mainForm, store::ResidentSide& resident, platform::Dialogs& dialogs,
           platform::Clock& clock, QWidget* parent = nullptr);
    ~TForm1() override;

    store::WatchListModel& Model() { return m_model; }
    store::WatchListForm& Logic() { return m_logic; }

    // The help menu's commands.
    struct HelpActions {
        std::function<void()> readMe;
        std::function<void()> notation;
        std::function<void()> about;
    };
    void SetHelpActions(HelpActions actions) { m_help = std::move(actions); }
    // What the price-check button does.
    void SetKakakuCheckAction(std::function<void()> action) { m_kakakuCheck = std::move(action); }

    // What the logic asks of the window.
    void showWindow() override;
    void bringToFront() override;
    bool isWindowVisible() const override;
    void layoutMessageLabel() override;
    void hideWindow() override;
    void render() override;
    void setActivePage(int page) override;
    void repaintGrid(int komoku) override;
    void focusSpeechText() override;
    void focusArarmTime() override;
    void focusGrid(int komoku) override;

    // What the scraper and the price-check pass ask of the window.
    void ShowMessage(const QString& text) override;
    void SetTrayHint(const QString& hint) override;
    void ShowBalloon(const QString& title, const QString& text) override;
    bool IsWindowVisible() const override { return isWindowVisible(); }
    void RepaintGrid(int komoku) override { repaintGrid(komoku); }
    void ShowWindowOnTop(bool onTop) override;
    void ActivatePriceCell(int komoku, int row) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateMenu();
    void CreateControls();
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

    shell::TMiruberoMainForm& m_mainForm;
    platform::Dialogs& m_dialogs;
    store::WatchListModel m_model;
    store::WatchListForm m_logic;
    HelpActions m_help;
    std::function<void()> m_kakakuCheck;

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

    QAction* m_menuSave = nullptr;
    QAction* m_s1 = nullptr;
    QAction* m_menuCheap = nullptr;
    QAction* m_rowDell = nullptr;
    QAction* m_menuHonmei = nullptr;

    // The page whose show handler ran last while the window was visible; -1 while hidden.
    int m_shownPage = -1;
    bool m_placed = false;
    // Set while a change of the window flags hides and shows the window again.
    bool m_changingFlags = false;
};

} // namespace window
