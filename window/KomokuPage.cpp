#include "window/KomokuPage.h"

#include "window/AuctionGrid.h"
#include "window/Fonts.h"
#include "window/Placement.h"

#include "watchlist/GridPlacement.h"

#include "platform/linux/DropDecoding.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QResizeEvent>

#include <functional>

using namespace Qt::StringLiterals;

namespace window {

// A slot's picture, scaled into the box keeping its proportions. A box without a
// picture shows a green frame along its border.
class SlotImageBox final : public QWidget {
public:
    explicit SlotImageBox(QWidget* parent) : QWidget(parent) { setAcceptDrops(true); }

    std::function<void(bool rightButton)> pressed;
    std::function<void()> doubleClicked;
    std::function<void(const QMimeData& data)> dropped;

    void setImage(const QImage& image)
    {
        if (image.cacheKey() == m_key && image.isNull() == m_scaled.isNull())
            return;
        m_key = image.cacheKey();
        m_scaled =
            image.isNull() ? QImage() : image.scaled(size(), Qt::KeepAspectRatio, Qt::SmoothTransformation);
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::white);
        if (m_scaled.isNull()) {
            painter.setPen(QColor(0, 128, 0));
            painter.drawRect(rect().adjusted(0, 0, -1, -1));
            return;
        }
        painter.drawImage(QPoint(0, 0), m_scaled);
    }
    void mousePressEvent(QMouseEvent* event) override
    {
        if (pressed)
            pressed(event->button() == Qt::RightButton);
    }
    void mouseDoubleClickEvent(QMouseEvent* event) override
    {
        if (pressed)
            pressed(event->button() == Qt::RightButton);
        if (event->button() == Qt::LeftButton && doubleClicked)
            doubleClicked();
    }
    void dragEnterEvent(QDragEnterEvent* event) override
    {
        if (event->mimeData() && platform::offersDrop(*event->mimeData()))
            event->acceptProposedAction();
    }
    void dropEvent(QDropEvent* event) override
    {
        if (!event->mimeData() || !dropped)
            return;
        event->acceptProposedAction();
        dropped(*event->mimeData());
    }

private:
    qint64 m_key = 0;
    QImage m_scaled;
};

namespace {

// Design-time places on the page.
const QRect EditKomokuRect(43, 3, 385, 21);
const QRect GridRect(94, 50, 841, 415);
const QRect BtnTabDelRect(776, 3, 73, 33);
const QRect Image0Rect(43, 80, 48, 48);
const QRect BtnHyoji0Rect(-1, 78, 38, 33);

} // namespace

KomokuPage::KomokuPage(store::WatchListModel& model, int komoku, QWidget* parent)
    : QWidget(parent), m_model(model), m_komoku(komoku)
{
    const QString k = QString::number(komoku);
    setObjectName(u"TabSheetAuction"_s + k);

    m_editKomoku = new QLineEdit(this);
    m_editKomoku->setObjectName(u"EditKomoku"_s + k);
    m_editKomoku->setFont(PGothicFont());
    m_editKomoku->setGeometry(EditKomokuRect);
    auto* nameLabel = new QLabel(u"項目:"_s, this);
    nameLabel->setFont(PGothicFont());
    nameLabel->adjustSize();
    nameLabel->move(EditKomokuRect.left() - LabelSpacing - nameLabel->width(),
                    EditKomokuRect.top() + (EditKomokuRect.height() - nameLabel->height()) / 2);
    nameLabel->setBuddy(m_editKomoku);
    connect(m_editKomoku, &QLineEdit::textEdited, this,
            [this](const QString& text) { emit nameEdited(m_komoku, text); });

    m_lblEndTime = PlacedLabel(u"LblEndTime"_s + k, u"終了時間"_s, {208, 31}, this);
    m_lblArarmTime = PlacedLabel(u"LblArarmTime"_s + k, u"アラーム時間"_s, {384, 31}, this);
    PlacedLabel(u"LabelPicture"_s + k, u"画像"_s, {60, 58}, this);

    m_grid = new AuctionGrid(model, komoku, this);
    m_grid->setGeometry(GridRect);
    // Queued, so that whatever the edit sets off runs after the grid has closed its editor.
    connect(
        m_grid, &AuctionGrid::cellEdited, this,
        [this](int row, int column, const QString& text) { emit cellEdited(m_komoku, row, column, text); },
        Qt::QueuedConnection);
    connect(m_grid, &AuctionGrid::addressDropped, this, &KomokuPage::addressDropped);
    connect(m_grid, &AuctionGrid::cellPressed, this, [this](int column, int row, bool rightButton) {
        emit gridMouseDown(m_komoku, column, row, rightButton);
    });
    connect(m_grid, &AuctionGrid::gridClicked, this,
            [this] { emit gridClicked(m_komoku, m_grid->Row(), m_grid->Col()); });
    connect(m_grid, &AuctionGrid::gridExited, this, [this] { emit gridExited(m_komoku); });
    connect(m_grid, &AuctionGrid::topLeftChanged, this, [this] {
        GridTopLeftChanged();
        placeCaptions();
    });
    connect(m_grid->horizontalHeader(), &QHeaderView::sectionResized, this, [this] { placeCaptions(); });

    for (int s = 0; s < store::SlotsPerKomoku; ++s) {
        const QString ks = k + u'_' + QString::number(s);
        auto* image = new SlotImageBox(this);
        image->setObjectName(u"Image"_s + ks);
        image->setGeometry(Image0Rect.translated(0, s * SlotPitch));
        image->setToolTip(u"ダブルクリックすれば拡大画像を表示します。"_s);
        image->pressed = [this, s](bool rightButton) { emit imagePressed(m_komoku, s, rightButton); };
        image->doubleClicked = [this, s] { emit imageDoubleClicked(m_komoku, s); };
        image->dropped = [this, s](const QMimeData& data) {
            // A link dropped on the box is taken as if it had landed on the grid.
            const QImage picture = platform::dropPicture(data);
            const QString address = picture.isNull() ? platform::dropAddress(data) : QString();
            if (!address.isEmpty())
                emit addressDropped(address);
            else
                emit pictureDropped(s, picture);
        };
        m_images[static_cast<size_t>(s)] = image;

        auto* button = new QPushButton(u"表示"_s, this);
        button->setObjectName(u"BtnHyoji"_s + ks);
        button->setGeometry(BtnHyoji0Rect.translated(0, s * SlotPitch));
        button->setToolTip(u"ブラウザでこのオークションを表示します。"_s);
        button->setEnabled(false);
        connect(button, &QPushButton::clicked, this, [this, s] { emit hyojiClicked(m_komoku, s); });
        m_btnHyoji[static_cast<size_t>(s)] = button;
    }

    m_btnTabDel = new QPushButton(u"タブの削除"_s, this);
    m_btnTabDel->setObjectName(u"BtnTabDel"_s + k);
    m_btnTabDel->setGeometry(BtnTabDelRect);
    m_btnTabDel->setEnabled(false);
    connect(m_btnTabDel, &QPushButton::clicked, this, [this] { emit tabDelClicked(m_komoku); });
}

void KomokuPage::render(const watchlist::CommandStates& states)
{
    if (m_komoku >= static_cast<int>(m_model.Komokus.size()) ||
        m_komoku >= static_cast<int>(states.BtnHyoji.size()))
        return;
    const store::Komoku& komoku = m_model.KomokuAt(m_komoku);
    // Only a text that differs is set, so that a render while the user types keeps the cursor.
    if (m_editKomoku->text() != komoku.Name)
        m_editKomoku->setText(komoku.Name);
    m_btnTabDel->setEnabled(states.BtnTabDel);
    for (size_t s = 0; s < komoku.Slots.size(); ++s) {
        m_images[s]->setImage(komoku.Slots[s].Picture.Box());
        m_btnHyoji[s]->setEnabled(states.BtnHyoji[static_cast<size_t>(m_komoku)][s]);
    }
    m_grid->refresh();
    placeCaptions();
}

void KomokuPage::placeCaptions()
{
    if (!m_model.WindowReady)
        return;
    std::array<int, store::ColumnCount> widths{};
    for (int c = 0; c < store::ColumnCount; ++c)
        widths[static_cast<size_t>(c)] = m_grid->ColWidth(c);
    // The cells begin inside the grid's frame.
    const int gridLeft = m_grid->x() + m_grid->CellRect(store::ColNo, 0).left();
    const watchlist::CaptionPlaces places =
        watchlist::PlaceTimeCaptions(gridLeft, widths, m_grid->LeftCol(), AuctionGrid::GridLineWidth);
    m_lblEndTime->move(places.EndTimeLeft, m_lblEndTime->y());
    m_lblEndTime->setVisible(places.EndTimeVisible);
    m_lblArarmTime->move(places.ArarmTimeLeft, m_lblArarmTime->y());
    m_lblArarmTime->setVisible(places.ArarmTimeVisible);
}

void KomokuPage::GridTopLeftChanged()
{
    if (!m_model.WindowReady)
        return;
    const auto places =
        watchlist::PlaceSlotControls(m_grid->y(), m_grid->RowHeight(0),
                                     m_grid->RowHeight(1) + AuctionGrid::GridLineWidth, m_grid->TopRow());
    for (size_t s = 0; s < places.size(); ++s) {
        m_images[s]->move(m_images[s]->x(), places[s].ImageTop);
        m_images[s]->setVisible(places[s].Visible);
        m_btnHyoji[s]->move(m_btnHyoji[s]->x(), places[s].ButtonTop);
        m_btnHyoji[s]->setVisible(places[s].Visible);
    }
}

void KomokuPage::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    const QSize client = event->size();
    const QRect image0 = m_images[0]->geometry();
    const QRect hyoji0 = m_btnHyoji[0]->geometry();
    m_grid->resize(client.width() - hyoji0.width() - image0.width() - 10,
                   client.height() - m_btnTabDel->height() - m_lblArarmTime->height() - 15);
    m_btnTabDel->move(client.width() - m_btnTabDel->width() - 10, m_btnTabDel->y());
}

void KomokuPage::FocusHyoji(int row)
{
    if (row >= 1 && row <= store::SlotsPerKomoku)
        m_btnHyoji[static_cast<size_t>(row - 1)]->setFocus();
}

} // namespace window
