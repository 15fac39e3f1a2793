#include "window/TForm1.h"

#include "store/TextRules.h"
#include "watchlist/GridHint.h"
#include "window/AuctionGrid.h"
#include "window/Fonts.h"
#include "window/KomokuPage.h"
#include "window/Placement.h"
#include "window/SetteiPage.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QCursor>
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>

#include <malloc.h>

#include <algorithm>
#include <utility>

using namespace Qt::StringLiterals;

namespace window {

namespace {

// The client area the window is designed for; the buttons keep their distance from its right edge.
constexpr int DesignClientWidth = 941;
constexpr int DesignClientHeight = 567;
const QRect PageControlRect(-1, 0, 946, 497);
const QRect LabelMsgRect(5, 500, 431, 60);
const QRect BtnOKRect(591, 503, 89, 42);
const QRect BtnAddKomokuRect(686, 503, 97, 42);
const QRect BtnKakakuCheckRect(789, 503, 144, 42);
const QRect PanelHintRect(312, 288, 185, 25);

// A label's caption: "\r" breaks the line, "&&" shows as "&" and a lone "&" marks the
// access key, which a label does not show.
QString LabelCaption(const QString& text)
{
    QString caption;
    caption.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'&') {
            if (i + 1 < text.size() && text[i + 1] == u'&') {
                caption += u'&';
                ++i;
            }
        } else if (c == u'\r') {
            caption += u'\n';
            if (i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
        } else {
            caption += c;
        }
    }
    return caption;
}

QPushButton* button(const QString& name, const QString& text, const QRect& place, QWidget* parent)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setGeometry(place);
    return b;
}

} // namespace

TForm1::TForm1(store::WatchListModel& model, QWidget* parent) : QMainWindow(parent), m_model(model)
{
    setObjectName(u"Form1"_s);
    setWindowTitle(store::ProductName());
    // A resizable frame whose title bar has the close box only.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    QFont tahoma(u"Tahoma"_s);
    tahoma.setPixelSize(11);
    setFont(tahoma);

    CreateMenu();
    CreateControls();
    CreatePictureMenu();
    CreateSlotMenu();
    resize(DesignClientWidth, DesignClientHeight);
    setClientHeight(DesignClientHeight);

    render();
}

void TForm1::forward(const std::function<void(watchlist::WatchListPresenter&)>& handler)
{
    if (m_presenter)
        handler(*m_presenter);
    render();
}

void TForm1::forwardPicture(const std::function<void(watchlist::PictureBoxCommands&)>& handler)
{
    if (m_pictureBox)
        handler(*m_pictureBox);
    render();
}

TForm1::~TForm1()
{
    // The pages read the model until they are gone, so they go before the model does.
    delete takeCentralWidget();
}

void TForm1::CreateMenu()
{
    QMenuBar* bar = menuBar();
    // The menus keep the desktop's font; the window font is for the controls.
    bar->setFont(QFont());
    const auto item = [this](QMenu* menu, const QString& name, const QString& text, bool enabled) {
        QAction* action = menu->addAction(text);
        action->setObjectName(name);
        action->setEnabled(enabled);
        return action;
    };

    QMenu* file = bar->addMenu(u"ファイル(&F)"_s);
    m_menuSave = item(file, u"MenuSave"_s, u"保存(&S)"_s, true);
    connect(m_menuSave, &QAction::triggered, this,
            [this] { forward(&watchlist::WatchListPresenter::MenuSaveClick); });
    file->addSeparator();
    QAction* menuEnd = item(file, u"MenuEnd"_s, u"終了(&E)"_s, true);
    connect(menuEnd, &QAction::triggered, this, [this] {
        if (m_presenter)
            m_presenter->MenuEndClick();
    });

    QMenu* edit = bar->addMenu(u"編集(&E)"_s);
    m_s1 = item(edit, u"S1"_s, u"終了時間順に並べ替え(&S)"_s, false);
    m_menuCheap = item(edit, u"MenuCheap"_s, u"現在価格の低い順に並べ替え(&C)"_s, false);
    edit->addSeparator();
    m_rowDell = item(edit, u"RowDell"_s, u"選択したオークションの削除(&D)"_s, false);
    m_menuHonmei = item(edit, u"MenuHonmei"_s, u"選択したオークションを本命にする(&H)"_s, false);
    using Presenter = watchlist::WatchListPresenter;
    for (const auto& [action, handler] :
         {std::pair{m_s1, &Presenter::S1Click}, std::pair{m_menuCheap, &Presenter::MenuCheapClick},
          std::pair{m_rowDell, &Presenter::RowDellClick},
          std::pair{m_menuHonmei, &Presenter::MenuHonmeiClick}})
        connect(action, &QAction::triggered, this, [this, handler] { forward(handler); });

    QMenu* help = bar->addMenu(u"ヘルプ(&H)"_s);
    connect(item(help, u"H2"_s, u"ヘルプ(&H)"_s, true), &QAction::triggered, this,
            [this] { forward(&watchlist::WatchListPresenter::H2Click); });
    connect(item(help, u"AboutOnsei"_s, u"音声文字について(&O)"_s, true), &QAction::triggered, this,
            [this] { forward(&watchlist::WatchListPresenter::AboutOnseiClick); });
    help->addSeparator();
    connect(item(help, u"V1"_s, u"バージョン情報(&V)"_s, true), &QAction::triggered, this,
            [this] { forward(&watchlist::WatchListPresenter::V1Click); });
}

void TForm1::CreateControls()
{
    m_client = new QWidget(this);
    setCentralWidget(m_client);
    m_client->installEventFilter(this);

    m_pageControl = new QTabWidget(m_client);
    m_pageControl->setObjectName(u"PageControl1"_s);
    m_pageControl->setGeometry(PageControlRect);
    m_pageControl->tabBar()->setFont(PGothicFont());
    m_settei = new SetteiPage(m_model, m_pageControl);
    m_pageControl->addTab(m_settei, u"全般"_s);
    // Changes made by the program are made with the signals blocked: this is the user's pick.
    connect(m_pageControl, &QTabWidget::currentChanged, this, &TForm1::PageControl1Change);

    using Presenter = watchlist::WatchListPresenter;
    const auto to = [this](void (Presenter::*handler)()) { return [this, handler] { forward(handler); }; };
    connect(m_settei, &SetteiPage::ararmTimeEdited, this,
            [this](const QString& text) { forward([&text](Presenter& p) { p.EditArarmTimeChange(text); }); });
    connect(m_settei, &SetteiPage::settingClicked, this, to(&Presenter::CheckBoxAllArarmClick));
    connect(m_settei, &SetteiPage::ararmSpeakClicked, this, to(&Presenter::CheckBoxArarmSpeakClick));
    connect(m_settei, &SetteiPage::speakTextEdited, this, to(&Presenter::MemoSpeakTextChange));
    connect(m_settei, &SetteiPage::playClicked, this, to(&Presenter::BtnPlayClick));

    m_labelMsg = new QLabel(u"Msg"_s, m_client);
    m_labelMsg->setObjectName(u"LabelMsg"_s);
    m_labelMsg->setGeometry(LabelMsgRect);
    m_labelMsg->setFont(PGothicFont());
    m_labelMsg->setTextFormat(Qt::PlainText);
    m_labelMsg->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_labelMsg->setWordWrap(true);
    QPalette red = m_labelMsg->palette();
    red.setColor(QPalette::WindowText, QColor(255, 0, 0));
    m_labelMsg->setPalette(red);

    m_btnOK = button(u"BtnOK"_s, u"OK"_s, BtnOKRect, m_client);
    m_btnOK->setFont(PGothicFont(16));
    connect(m_btnOK, &QPushButton::clicked, this, to(&Presenter::MenuSaveClick));
    m_btnAddKomoku = button(u"BtnAddKomoku"_s, u"項目の追加"_s, BtnAddKomokuRect, m_client);
    connect(m_btnAddKomoku, &QPushButton::clicked, this, to(&Presenter::BtnAddKomokuClick));
    m_btnKakakuCheck =
        button(u"BtnKakakuCheck"_s, m_model.KakakuCheckButtonCaption, BtnKakakuCheckRect, m_client);
    connect(m_btnKakakuCheck, &QPushButton::clicked, this, to(&Presenter::BtnKakakuCheckClick));

    m_panelHint = new QFrame(m_client);
    m_panelHint->setObjectName(u"PanelHint"_s);
    m_panelHint->setGeometry(PanelHintRect);
    m_panelHint->setFrameShape(QFrame::Box);
    QPalette skyBlue = m_panelHint->palette();
    skyBlue.setColor(QPalette::Window, QColor(166, 202, 240));
    skyBlue.setColor(QPalette::WindowText, Qt::black);
    m_panelHint->setPalette(skyBlue);
    m_panelHint->setAutoFillBackground(true);
    m_lblHint = new QLabel(m_panelHint);
    m_lblHint->setObjectName(u"LblHint"_s);
    m_lblHint->setFont(PGothicFont(13, false));
    m_lblHint->setTextFormat(Qt::PlainText);
    m_lblHint->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_lblHint->setWordWrap(true);
    m_lblHint->setGeometry(m_panelHint->rect());
    m_panelHint->hide();
    m_panelHint->raise();

    m_hintTimer = new QTimer(this);
    m_hintTimer->setObjectName(u"HintTimer"_s);
    m_hintTimer->setSingleShot(true);
    m_hintTimer->setInterval(watchlist::HintDelayMs);
    connect(m_hintTimer, &QTimer::timeout, this, &TForm1::HintDelayOver);
}

void TForm1::CreatePictureMenu()
{
    using Commands = watchlist::PictureBoxCommands;
    m_popupMenu1 = new QMenu(this);
    m_popupMenu1->setObjectName(u"PopupMenu1"_s);
    const auto item = [this](const QString& name, const QString& text, void (Commands::*handler)()) {
        QAction* action = m_popupMenu1->addAction(text);
        action->setObjectName(name);
        connect(action, &QAction::triggered, this, [this, handler] { forwardPicture(handler); });
        return action;
    };
    m_p1 = item(u"P1"_s, u"貼り付け(&P)"_s, &Commands::P1Click);
    m_d1 = item(u"D1"_s, u"削除(&D)"_s, &Commands::D1Click);
    m_kakudai = item(u"Kakudai"_s, u"拡大画像を表示(&V)"_s, &Commands::KakudaiClick);
}

void TForm1::CreateSlotMenu()
{
    using Presenter = watchlist::WatchListPresenter;
    m_popupMenu2 = new QMenu(this);
    m_popupMenu2->setObjectName(u"PopupMenu2"_s);
    const auto item = [this](const QString& name, const QString& text, void (Presenter::*handler)()) {
        QAction* action = m_popupMenu2->addAction(text);
        action->setObjectName(name);
        connect(action, &QAction::triggered, this, [this, handler] { forward(handler); });
        return action;
    };
    m_menuDellKomoku = item(u"MenuDellKomoku"_s, u"このオークションを削除(&D)"_s, &Presenter::RowDellClick);
    item(u"MenuPopUp_Honmei"_s, u"このオークションを本命にする(&H)"_s, &Presenter::MenuHonmeiClick);
    m_menuMoveItem = m_popupMenu2->addMenu(u"別の項目へ移動(&M)"_s);
    m_menuMoveItem->setObjectName(u"MenuMoveItem"_s);
    m_menuKakakuRireki = item(u"MenuKakakuRireki"_s, u"価格の推移(&P)"_s, &Presenter::MenuKakakuRirekiClick);
    m_popupMenu2->addSeparator();
    m_menuRakusatuhin = item(u"MenuRakusatuhin"_s, u"落札品(&G)"_s, &Presenter::MenuRakusatuhinClick);
    m_menuRakusatuhin->setCheckable(true);
}

watchlist::CommandStates TForm1::states() const
{
    return m_presenter ? m_presenter->States() : watchlist::DeriveCommandStates(m_model, {}, false);
}

void TForm1::popupSlotMenu()
{
    const watchlist::CommandStates commands = states();
    m_menuDellKomoku->setEnabled(commands.MenuDellKomoku);
    m_menuMoveItem->menuAction()->setEnabled(commands.MenuMove);
    const size_t count = m_model.Komokus.size();
    while (m_moveKomokuItems.size() < count) {
        const int target = static_cast<int>(m_moveKomokuItems.size());
        QAction* action = m_menuMoveItem->addAction(QString());
        action->setObjectName(u"MoveKomokuItem%1"_s.arg(target));
        connect(action, &QAction::triggered, this, [this, target] {
            forward([target](watchlist::WatchListPresenter& p) { p.MoveKomokuItemClick(target); });
        });
        m_moveKomokuItems.push_back(action);
    }
    while (m_moveKomokuItems.size() > count) {
        delete m_moveKomokuItems.back();
        m_moveKomokuItems.pop_back();
    }
    for (size_t i = 0; i < count && i < commands.MoveItems.size(); ++i) {
        m_moveKomokuItems[i]->setText(commands.MoveItemCaptions[i]);
        m_moveKomokuItems[i]->setEnabled(commands.MoveItems[i]);
    }
    m_menuRakusatuhin->setChecked(commands.MenuRakusatuhinChecked);
    m_menuKakakuRireki->setEnabled(commands.MenuKakakuRireki);
    m_popupMenu2->exec(QCursor::pos());
}

void TForm1::hideHint()
{
    m_panelHint->hide();
}

void TForm1::addKomokuPage(int komoku)
{
    auto* page = new KomokuPage(m_model, komoku, m_pageControl);
    // A category added later takes the column widths the first one has now.
    if (!m_pages.empty())
        page->Grid()->CopyColWidths(*m_pages.front()->Grid());
    m_pageControl->addTab(page, m_model.KomokuAt(komoku).TabCaption());
    m_pages.push_back(page);
    using Presenter = watchlist::WatchListPresenter;
    connect(page, &KomokuPage::nameEdited, this, [this](int k, const QString& text) {
        forward([&](Presenter& p) { p.EditKomokuChange(k, text); });
    });
    connect(page, &KomokuPage::tabDelClicked, this,
            [this](int k) { forward([k](Presenter& p) { p.BtnTabDelClick(k); }); });
    connect(page, &KomokuPage::addressDropped, this, [this](const QString& address) {
        forward([&](Presenter& p) { p.DropURLTarget1Drop(address); });
    });
    connect(page, &KomokuPage::imagePressed, this, [this](int k, int slot, bool rightButton) {
        if (!m_pictureBox)
            return;
        forwardPicture([&](watchlist::PictureBoxCommands& c) { c.SlotImageMouseDown(k, slot, rightButton); });
        if (!rightButton)
            return;
        const watchlist::CommandStates commands = states();
        m_p1->setEnabled(commands.P1);
        m_d1->setEnabled(commands.D1);
        m_kakudai->setEnabled(commands.Kakudai);
        m_popupMenu1->popup(QCursor::pos());
    });
    connect(page, &KomokuPage::imageDoubleClicked, this, [this](int k, int slot) {
        forwardPicture([&](watchlist::PictureBoxCommands& c) { c.SlotImageDblClick(k, slot); });
    });
    connect(page, &KomokuPage::pictureDropped, this, [this](int slot, const QImage& picture) {
        forwardPicture([&](watchlist::PictureBoxCommands& c) { c.DropImageTarget1Drop(slot, picture); });
    });
    AuctionGrid* grid = page->Grid();
    connect(grid, &AuctionGrid::gridMouseMove, this,
            [this, grid](const QPoint& pos) { GridMouseMove(grid, pos); });
    connect(grid, &AuctionGrid::gridMouseLeave, this, &TForm1::GridMouseLeave);
    connect(page, &KomokuPage::gridMouseDown, this, [this](int k, int column, int row, bool rightButton) {
        forward([&](Presenter& p) { p.GridMouseDown(k, column, row, rightButton); });
    });
    page->Grid()->SetCellColours([this, komoku](int column, int row, bool focusedCurrent) {
        return m_presenter ? m_presenter->GridCellColour(komoku, column, row, focusedCurrent)
                           : watchlist::CellColour::White;
    });
    // Queued, in their order: the focus moves while a page comes forward, and showing the model
    // then would bring the page that is leaving back.
    connect(
        page, &KomokuPage::gridClicked, this,
        [this](int k, int row, int column) { forward([&](Presenter& p) { p.GridClick(k, row, column); }); },
        Qt::QueuedConnection);
    connect(
        page, &KomokuPage::gridExited, this, [this](int) { forward(&Presenter::GridExit); },
        Qt::QueuedConnection);
    connect(
        page, &KomokuPage::hyojiClicked, this,
        [this](int k, int slot) { forward([&](Presenter& p) { p.BtnHyojiClick(k, slot); }); },
        Qt::QueuedConnection);
    connect(page, &KomokuPage::cellEdited, this, [this](int k, int row, int column, const QString& text) {
        if (k >= static_cast<int>(m_model.Komokus.size()))
            return;
        forward([&](Presenter& p) { p.GridCellEdited(k, row, column, text); });
    });
}

KomokuPage* TForm1::page(int komoku) const
{
    if (komoku < 0 || komoku >= static_cast<int>(m_pages.size()))
        return nullptr;
    return m_pages[static_cast<size_t>(komoku)];
}

void TForm1::GridMouseMove(AuctionGrid* grid, const QPoint& pos)
{
    if (m_hintWaiting)
        return;
    const QPoint cell = grid->CellAt(pos);
    if (!watchlist::GivesHint(cell.x(), cell.y())) {
        clearHint();
        return;
    }
    m_hintWaiting = true;
    m_hintGrid = grid;
    m_hintCell = cell;
    m_hintTimer->start();
}

void TForm1::HintDelayOver()
{
    m_hintWaiting = false;
    AuctionGrid* grid = m_hintGrid;
    // Only a pointer still resting on the same cell of a grid in view gets its hint.
    const QPoint pointer = grid != nullptr ? grid->mapFromGlobal(QCursor::pos()) : QPoint();
    if (grid == nullptr || !grid->isVisible() || !grid->rect().contains(pointer) ||
        grid->CellAt(pointer) != m_hintCell) {
        clearHint();
        return;
    }
    const QString text = m_presenter
                             ? m_presenter->HintText(grid->Komoku(), m_hintCell.x(), m_hintCell.y())
                             : watchlist::HintText(m_model, grid->Komoku(), m_hintCell.x(), m_hintCell.y());
    if (text.isEmpty()) {
        clearHint();
        return;
    }
    const QString shown = store::LfLineBreaks(text);
    const QFontMetrics metrics(m_lblHint->font());
    int textWidth = 0;
    const QStringList lines = shown.split(u'\n');
    for (const QString& line : lines)
        textWidth = std::max(textWidth, metrics.horizontalAdvance(line));
    m_lblHint->setText(shown);
    QRect panel =
        watchlist::HintPanelRect(textWidth, m_client->mapFromGlobal(QCursor::pos()), m_client->width());
    // More lines than the panel's height holds make it taller.
    panel.setHeight(std::max(panel.height(), static_cast<int>(lines.size()) * metrics.lineSpacing() + 8));
    m_panelHint->setGeometry(panel);
    m_lblHint->setGeometry(m_panelHint->rect());
    m_panelHint->raise();
    m_panelHint->show();
}

void TForm1::GridMouseLeave()
{
    hideHint();
}

void TForm1::clearHint()
{
    m_lblHint->clear();
    m_panelHint->hide();
}

void TForm1::render()
{
    renderPages();
    m_settei->render();
    renderCommands();
}

void TForm1::renderPages()
{
    const watchlist::CommandStates commands = states();
    const QSignalBlocker quiet(m_pageControl);
    const int count = static_cast<int>(m_model.Komokus.size());
    while (static_cast<int>(m_pages.size()) < count)
        addKomokuPage(static_cast<int>(m_pages.size()));
    while (static_cast<int>(m_pages.size()) > count) {
        KomokuPage* last = m_pages.back();
        m_pages.pop_back();
        m_pageControl->removeTab(m_pageControl->indexOf(last));
        // Later: the page's own button may be what asked for its removal.
        last->deleteLater();
    }
    for (int k = 0; k < count; ++k) {
        // Setting even the same caption lays the tab bar out again and repaints the whole
        // tab widget; a price check renders after every page.
        const QString caption = m_model.KomokuAt(k).TabCaption();
        if (m_pageControl->tabText(k + 1) != caption)
            m_pageControl->setTabText(k + 1, caption);
        m_pages[static_cast<size_t>(k)]->render(commands);
    }
    m_model.ActivePage = std::clamp(m_model.ActivePage, 0, count);
    m_pageControl->setCurrentIndex(m_model.ActivePage);
}

void TForm1::renderCommands()
{
    const watchlist::CommandStates commands = states();
    m_menuSave->setEnabled(commands.MenuSave);
    m_s1->setEnabled(commands.MenuSortEnd);
    m_menuCheap->setEnabled(commands.MenuCheap);
    m_rowDell->setEnabled(commands.MenuDelete);
    m_menuHonmei->setEnabled(commands.MenuHonmei);

    const QString message = LabelCaption(commands.LabelMsgText);
    m_labelMsg->setVisible(commands.LabelMsgVisible);
    if (m_labelMsg->text() != message)
        m_labelMsg->setText(message);
    m_btnOK->setEnabled(commands.BtnOK);
    m_btnAddKomoku->setEnabled(commands.BtnAddKomoku);
    if (m_btnKakakuCheck->text() != commands.KakakuCheckCaption)
        m_btnKakakuCheck->setText(commands.KakakuCheckCaption);
}

void TForm1::PageControl1Change(int page)
{
    m_model.ActivePage = page;
    pageShown();
    forward([page](watchlist::WatchListPresenter& p) { p.PageControl1Change(page); });
}

void TForm1::pageShown()
{
    if (!isVisible())
        return;
    const int current = m_pageControl->currentIndex();
    if (current < 0 || current == m_shownPage)
        return;
    m_shownPage = current;
    if (!m_presenter)
        return;
    if (current == 0)
        m_presenter->TabSheetSetteiShow();
    else
        m_presenter->TabSheetAuctionShow(current - 1);
}

void TForm1::setActivePage(int page)
{
    m_model.ActivePage = page;
    // Brings the page forward quietly, making it first if the model has just gained it.
    renderPages();
    pageShown();
    render();
}

bool TForm1::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_client && event->type() == QEvent::Resize)
        FormResize();
    return QMainWindow::eventFilter(watched, event);
}

void TForm1::FormResize()
{
    const QSize client = m_client->size();
    const std::pair<QPushButton*, QRect> buttons[] = {
        {m_btnOK, BtnOKRect}, {m_btnAddKomoku, BtnAddKomokuRect}, {m_btnKakakuCheck, BtnKakakuCheckRect}};
    for (const auto& [b, design] : buttons)
        b->move(client.width() - (DesignClientWidth - design.left()), b->y());
    int labelHeight = m_labelMsg->height();
    if (labelHeight <= 13)
        labelHeight = 25;
    m_labelMsg->resize(m_btnOK->x() - m_labelMsg->x(), labelHeight);
    m_pageControl->resize(client.width() - 10, client.height() - labelHeight - 10);
    const int top = client.height() - labelHeight - 5;
    m_labelMsg->move(m_labelMsg->x(), top);
    for (const auto& [b, design] : buttons)
        b->move(b->x(), top);
}

void TForm1::layoutMessageLabel()
{
    renderCommands();
    m_labelMsg->resize(m_btnOK->x() - m_labelMsg->x(), m_labelMsg->height());
    setClientHeight(m_pageControl->height() + m_labelMsg->height() + 10);
}

void TForm1::setClientHeight(int height)
{
    int menu = menuBar()->heightForWidth(width());
    if (menu <= 0)
        menu = menuBar()->sizeHint().height();
    resize(width(), height + menu);
}

void TForm1::showWindow()
{
    show();
}

void TForm1::bringToFront()
{
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
}

bool TForm1::isWindowVisible() const
{
    return isVisible();
}

void TForm1::hideWindow()
{
    hide();
    // Hidden to the tray for hours, the window gives back what the window system holds for it
    // (its drawing buffer shared with the display server, a couple of MiB); showing it creates
    // them again.
    destroy(true, true);
    // What the window's widgets freed is scattered through the heap; its free pages go back.
    malloc_trim(0);
}

void TForm1::repaintGrid(int komoku)
{
    if (KomokuPage* p = page(komoku))
        p->render(states());
}

void TForm1::focusSpeechText()
{
    m_settei->MemoSpeakText()->setFocus();
}

void TForm1::focusArarmTime()
{
    m_settei->EditArarmTime()->setFocus();
}

void TForm1::focusHyoji(int komoku, int row)
{
    if (KomokuPage* p = page(komoku))
        p->FocusHyoji(row);
}

void TForm1::focusGrid(int komoku)
{
    if (KomokuPage* p = page(komoku))
        p->Grid()->setFocus();
}

void TForm1::showWindowOnTop(bool onTop)
{
    // Changing the flags may hide and show the window; that is not a new showing of it.
    m_changingFlags = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    show();
    m_changingFlags = false;
    if (onTop)
        bringToFront();
    render();
}

void TForm1::activatePriceCell(int komoku, int row)
{
    KomokuPage* p = page(komoku);
    if (p == nullptr)
        return;
    setActivePage(komoku + 1);
    p->Grid()->FocusCellAtTop(store::ColKakaku, row);
    p->Grid()->setFocus();
}

void TForm1::commitEdits()
{
    for (KomokuPage* p : m_pages) {
        p->Grid()->CommitEdit();
        // The page hands edits on through queued calls; the caller reads the model next.
        QCoreApplication::sendPostedEvents(p, QEvent::MetaCall);
    }
}

bool TForm1::isEditing(int komoku, int row) const
{
    const KomokuPage* p = page(komoku);
    return p != nullptr && row >= 1 && p->Grid()->EditingRow() == row;
}

void TForm1::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (event->spontaneous() || m_changingFlags)
        return;
    if (!m_placed) {
        CentreOnScreen(*this, true);
        m_placed = true;
    }
    forward(&watchlist::WatchListPresenter::FormShow);
    pageShown();
}

void TForm1::hideEvent(QHideEvent* event)
{
    QMainWindow::hideEvent(event);
    if (!event->spontaneous() && !m_changingFlags)
        m_shownPage = -1;
}

void TForm1::closeEvent(QCloseEvent* event)
{
    // The logic decides: it hides the window itself when the window may close.
    event->ignore();
    forward([](watchlist::WatchListPresenter& p) { p.FormCloseQuery(); });
}

} // namespace window
