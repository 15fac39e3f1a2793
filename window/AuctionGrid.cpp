#include "window/AuctionGrid.h"

#include "window/Fonts.h"

#include "platform/linux/DropDecoding.h"

#include <QAbstractButton>
#include <QAbstractTableModel>
#include <QApplication>
#include <QClipboard>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>

#include <algorithm>
#include <functional>

using namespace Qt::StringLiterals;

namespace window {

// The non-fixed cells as a table: index (i, j) is grid cell (column j + 1, row i + 1).
class GridCells final : public QAbstractTableModel {
public:
    using Edited = std::function<void(int row, int column, const QString& text)>;

    GridCells(std::function<QString(int, int)> text, Edited edited, QObject* parent)
        : QAbstractTableModel(parent), m_text(std::move(text)), m_edited(std::move(edited))
    {
    }

    int rowCount(const QModelIndex& parent) const override
    {
        return parent.isValid() ? 0 : store::SlotsPerKomoku;
    }
    int columnCount(const QModelIndex& parent) const override
    {
        return parent.isValid() ? 0 : store::ColumnCount - 1;
    }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
            return {};
        return m_text(index.column() + 1, index.row() + 1);
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (role != Qt::DisplayRole)
            return {};
        return orientation == Qt::Horizontal ? m_text(section + 1, 0) : m_text(0, section + 1);
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        if (!index.isValid())
            return Qt::NoItemFlags;
        return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
    }

    bool setData(const QModelIndex& index, const QVariant& value, int role) override
    {
        if (!index.isValid() || role != Qt::EditRole)
            return false;
        m_edited(index.row() + 1, index.column() + 1, value.toString());
        return true;
    }

    void refresh()
    {
        emit dataChanged(index(0, 0), index(rowCount({}) - 1, columnCount({}) - 1));
        emit headerDataChanged(Qt::Vertical, 0, rowCount({}) - 1);
    }

private:
    std::function<QString(int, int)> m_text;
    Edited m_edited;
};

namespace {

// Row 0 or column 0, painted like the other cells.
class GridHeader final : public QHeaderView {
public:
    GridHeader(Qt::Orientation orientation, AuctionGrid* grid) : QHeaderView(orientation, grid), m_grid(grid)
    {
    }

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override
    {
        if (orientation() == Qt::Horizontal)
            m_grid->drawCellWithLines(*painter, rect, logicalIndex + 1, 0, false);
        else
            m_grid->drawCellWithLines(*painter, rect, 0, logicalIndex + 1, false);
    }

private:
    AuctionGrid* m_grid;
};

class CellDelegate final : public QStyledItemDelegate {
public:
    explicit CellDelegate(AuctionGrid* grid) : QStyledItemDelegate(grid), m_grid(grid) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        // Only the current cell of the focused grid is marked; the rest of a range is not.
        m_grid->drawCellWithLines(*painter, option.rect, index.column() + 1, index.row() + 1,
                                  option.state.testFlag(QStyle::State_HasFocus));
    }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex&) const override
    {
        auto* editor = new QLineEdit(parent);
        editor->setFrame(false);
        editor->setFont(m_grid->font());
        // The grid hears when the focus leaves the editor for another control.
        editor->installEventFilter(m_grid);
        return editor;
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override
    {
        auto* edit = static_cast<QLineEdit*>(editor);
        // A repaint of the grid while the user types must not take the typing away.
        if (!edit->isModified())
            edit->setText(index.data(Qt::EditRole).toString());
    }

    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override
    {
        // Only a changed text is an edit. The line edit's own modified flag is no guide:
        // Enter clears it before the delegate commits.
        auto* edit = static_cast<QLineEdit*>(editor);
        if (edit->text() != index.data(Qt::EditRole).toString())
            model->setData(index, edit->text(), Qt::EditRole);
    }

    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex&) const override
    {
        editor->setGeometry(
            option.rect.adjusted(0, 0, -AuctionGrid::GridLineWidth, -AuctionGrid::GridLineWidth));
    }

private:
    AuctionGrid* m_grid;
};

const QColor LineColor(192, 192, 192);
const QColor FixedLineColor(128, 128, 128);

} // namespace

const std::array<int, store::ColumnCount>& AuctionGrid::DefaultColWidths()
{
    static const std::array<int, store::ColumnCount> widths{21, 81, 23, 24, 22, 22, 81, 28,
                                                            26, 74, 70, 70, 50, 74, 106};
    return widths;
}

AuctionGrid::AuctionGrid(store::WatchListModel& model, int komoku, QWidget* parent)
    : QTableView(parent), m_model(model), m_komoku(komoku)
{
    setObjectName(u"StringGridAuction%1"_s.arg(komoku));
    setFont(PGothicFont());
    QPalette pal = palette();
    pal.setColor(QPalette::Base, Qt::white);
    pal.setColor(QPalette::Text, Qt::black);
    setPalette(pal);

    auto* columns = new GridHeader(Qt::Horizontal, this);
    auto* rows = new GridHeader(Qt::Vertical, this);
    setHorizontalHeader(columns);
    setVerticalHeader(rows);
    m_cells = new GridCells(
        [this](int column, int row) { return cellText(column, row); },
        [this](int row, int column, const QString& text) { emit cellEdited(row, column, text); }, this);
    setModel(m_cells);
    setItemDelegate(new CellDelegate(this));

    setShowGrid(false);
    setWordWrap(false);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked);
    setTabKeyNavigation(true);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerItem);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setCornerButtonEnabled(false);
    // Addresses dragged from a browser register an auction; cells are not dragged about.
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DropOnly);

    const auto& widths = DefaultColWidths();
    for (QHeaderView* header : {static_cast<QHeaderView*>(columns), static_cast<QHeaderView*>(rows)}) {
        header->setFont(font());
        header->setSectionsClickable(false);
        header->setHighlightSections(false);
        header->setMinimumSectionSize(GridLineWidth + 1);
    }
    columns->setSectionResizeMode(QHeaderView::Interactive);
    for (int c = 1; c < store::ColumnCount; ++c)
        columns->resizeSection(c - 1, widths[static_cast<size_t>(c)] + GridLineWidth);
    columns->setFixedHeight(HeaderRowHeight + GridLineWidth);
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(SlotRowHeight + GridLineWidth);
    for (int r = 1; r <= store::SlotsPerKomoku; ++r)
        rows->resizeSection(r - 1, SlotRowHeight + GridLineWidth);
    rows->setFixedWidth(widths[0] + GridLineWidth);

    // The corner over the slot numbers is cell (0, 0) and reads "No".
    m_corner = findChild<QAbstractButton*>(QString(), Qt::FindDirectChildrenOnly);
    if (m_corner != nullptr)
        m_corner->installEventFilter(this);

    // The hover hint follows the pointer over every part of the grid; a right press on a
    // cell picks a slot for the slot menu without moving the current cell.
    for (QWidget* part :
         {viewport(), columns->viewport(), rows->viewport(), static_cast<QWidget*>(m_corner)}) {
        if (part == nullptr)
            continue;
        part->setMouseTracking(true);
        part->installEventFilter(this);
    }
    connect(this, &QAbstractItemView::clicked, this, &AuctionGrid::gridClicked);
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this, &AuctionGrid::gridClicked);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &AuctionGrid::topLeftChanged);
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, &AuctionGrid::topLeftChanged);
}

void AuctionGrid::refresh()
{
    m_cells->refresh();
    viewport()->update();
    verticalHeader()->viewport()->update();
    horizontalHeader()->viewport()->update();
}

int AuctionGrid::ColWidth(int column) const
{
    if (column == 0)
        return verticalHeader()->width() - GridLineWidth;
    return horizontalHeader()->sectionSize(column - 1) - GridLineWidth;
}

int AuctionGrid::RowHeight(int row) const
{
    if (row == 0)
        return horizontalHeader()->height() - GridLineWidth;
    return verticalHeader()->sectionSize(row - 1) - GridLineWidth;
}

QRect AuctionGrid::CellRect(int column, int row) const
{
    const QRect area = viewport()->geometry();
    int left = verticalHeader()->geometry().left();
    if (column > 0) {
        const int x = columnViewportPosition(column - 1);
        if (x < 0 || x >= area.width())
            return {};
        left = area.left() + x;
    }
    int top = horizontalHeader()->geometry().top();
    if (row > 0) {
        const int y = rowViewportPosition(row - 1);
        if (y < 0 || y >= area.height())
            return {};
        top = area.top() + y;
    }
    return {left, top, ColWidth(column), RowHeight(row)};
}

QPoint AuctionGrid::CellAt(const QPoint& pos) const
{
    const QRect area = viewport()->geometry();
    const QRect numbers = verticalHeader()->geometry();
    const QRect headers = horizontalHeader()->geometry();
    int column = -1;
    if (pos.x() >= numbers.left() && pos.x() <= numbers.right())
        column = 0;
    else if (pos.x() >= area.left() && pos.x() <= area.right() && columnAt(pos.x() - area.left()) >= 0)
        column = columnAt(pos.x() - area.left()) + 1;
    int row = -1;
    if (pos.y() >= headers.top() && pos.y() <= headers.bottom())
        row = 0;
    else if (pos.y() >= area.top() && pos.y() <= area.bottom() && rowAt(pos.y() - area.top()) >= 0)
        row = rowAt(pos.y() - area.top()) + 1;
    if (column < 0 || row < 0)
        return {-1, -1};
    return {column, row};
}

int AuctionGrid::TopRow() const
{
    return std::max(rowAt(0), 0) + 1;
}

int AuctionGrid::LeftCol() const
{
    return std::max(columnAt(0), 0) + 1;
}

int AuctionGrid::Col() const
{
    return currentIndex().isValid() ? currentIndex().column() + 1 : 0;
}

int AuctionGrid::Row() const
{
    return currentIndex().isValid() ? currentIndex().row() + 1 : 0;
}

void AuctionGrid::FocusCell(int column, int row)
{
    const QModelIndex index = m_cells->index(row - 1, column - 1);
    if (!index.isValid())
        return;
    setCurrentIndex(index);
    scrollTo(index);
}

void AuctionGrid::FocusCellAtTop(int column, int row)
{
    const QModelIndex index = m_cells->index(row - 1, column - 1);
    if (!index.isValid())
        return;
    const int y = rowViewportPosition(row - 1);
    if (y < 0 || y + rowHeight(row - 1) > viewport()->height())
        verticalScrollBar()->setValue(row - 1);
    setCurrentIndex(index);
}

void AuctionGrid::CopyColWidths(const AuctionGrid& other)
{
    for (int c = 0; c < m_cells->columnCount({}); ++c)
        horizontalHeader()->resizeSection(c, other.horizontalHeader()->sectionSize(c));
    verticalHeader()->setFixedWidth(other.verticalHeader()->width());
}

void AuctionGrid::CommitEdit()
{
    if (state() != QAbstractItemView::EditingState)
        return;
    // The delegate opens its editor on the viewport; hidden children are not editors.
    for (QWidget* editor : viewport()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!editor->isVisible())
            continue;
        commitData(editor);
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
}

int AuctionGrid::EditingRow() const
{
    return state() == QAbstractItemView::EditingState && currentIndex().isValid() ? currentIndex().row() + 1
                                                                                  : 0;
}

QString AuctionGrid::cellText(int column, int row) const
{
    if (row == 0)
        return store::HeaderTexts()[static_cast<size_t>(column)];
    // A page about to be removed may still be painted once after its category is gone.
    if (m_komoku >= static_cast<int>(m_model.Komokus.size()))
        return {};
    return m_model.SlotAt(m_komoku, row).Cells[static_cast<size_t>(column)];
}

void AuctionGrid::drawCell(QPainter& painter, const QRect& rect, int column, int row,
                           bool focusedCurrent) const
{
    using watchlist::CellColour;
    const CellColour colour = m_cellColours ? m_cellColours(column, row, focusedCurrent) : CellColour::White;
    const QColor background = colour == CellColour::Highlight
                                  ? palette().color(QPalette::Active, QPalette::Highlight)
                                  : QColor(watchlist::CellColourRgb(colour));
    painter.fillRect(rect, background);
    const QString value = cellText(column, row);
    if (value.isEmpty())
        return;
    painter.setFont(font());
    painter.setPen(Qt::black);
    Qt::Alignment align = Qt::AlignLeft;
    switch (watchlist::GridCellAlign(column, row)) {
    case watchlist::CellAlign::Centre:
        align = Qt::AlignHCenter;
        break;
    case watchlist::CellAlign::Right:
        align = Qt::AlignRight;
        break;
    case watchlist::CellAlign::Left:
        break;
    }
    painter.save();
    painter.setClipRect(rect, Qt::IntersectClip);
    painter.drawText(rect.adjusted(2, 0, -2, 0),
                     static_cast<int>(align | Qt::AlignVCenter) | Qt::TextSingleLine, value);
    painter.restore();
}

void AuctionGrid::drawCellWithLines(QPainter& painter, const QRect& rect, int column, int row,
                                    bool focusedCurrent) const
{
    const QRect cell = rect.adjusted(0, 0, -GridLineWidth, -GridLineWidth);
    const QColor line = row == 0 || column == 0 ? FixedLineColor : LineColor;
    painter.save();
    painter.setClipRect(rect);
    painter.fillRect(QRect(cell.right() + 1, rect.top(), GridLineWidth, rect.height()), line);
    painter.fillRect(QRect(rect.left(), cell.bottom() + 1, rect.width(), GridLineWidth), line);
    painter.setClipRect(cell);
    drawCell(painter, cell, column, row, focusedCurrent);
    painter.restore();
}

void AuctionGrid::keyPressEvent(QKeyEvent* event)
{
    const QModelIndex index = currentIndex();
    if (event->matches(QKeySequence::Paste) && state() != QAbstractItemView::EditingState &&
        index.isValid()) {
        const QString text = QGuiApplication::clipboard()->text().trimmed();
        if (!text.isEmpty())
            emit cellEdited(index.row() + 1, index.column() + 1, text);
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

void AuctionGrid::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData() && platform::offersDrop(*event->mimeData()))
        event->acceptProposedAction();
}

void AuctionGrid::dragMoveEvent(QDragMoveEvent* event)
{
    // The whole grid takes the address, whichever cell is under the pointer.
    if (event->mimeData() && platform::offersDrop(*event->mimeData()))
        event->acceptProposedAction();
}

void AuctionGrid::dropEvent(QDropEvent* event)
{
    const QString address = event->mimeData() ? platform::dropAddress(*event->mimeData()) : QString();
    if (address.isEmpty())
        return;
    event->acceptProposedAction();
    emit addressDropped(address);
}

void AuctionGrid::leaveEvent(QEvent* event)
{
    QTableView::leaveEvent(event);
    emit gridMouseLeave();
}

void AuctionGrid::scrollContentsBy(int dx, int dy)
{
    QTableView::scrollContentsBy(dx, dy);
    keepWholeCellsInFront();
}

void AuctionGrid::updateGeometries()
{
    QTableView::updateGeometries();
    keepWholeCellsInFront();
}

void AuctionGrid::keepWholeCellsInFront()
{
    bool moved = false;
    const auto align = [&moved](QHeaderView* header, const QScrollBar* bar) {
        if (bar->maximum() <= 0 || bar->value() != bar->maximum())
            return;
        const int wanted = header->sectionPosition(header->logicalIndex(bar->value()));
        if (header->offset() == wanted)
            return;
        header->setOffset(wanted);
        moved = true;
    };
    align(verticalHeader(), verticalScrollBar());
    align(horizontalHeader(), horizontalScrollBar());
    if (moved) {
        viewport()->update();
        updateEditorGeometries();
    }
}

void AuctionGrid::focusInEvent(QFocusEvent* event)
{
    QTableView::focusInEvent(event);
    // The current cell takes the highlight.
    viewport()->update();
}

void AuctionGrid::focusOutEvent(QFocusEvent* event)
{
    QTableView::focusOutEvent(event);
    viewport()->update();
    focusLeft(*event);
}

void AuctionGrid::focusLeft(const QFocusEvent& event)
{
    // A menu opening or another window coming forward leaves the focus where it is.
    const Qt::FocusReason reason = event.reason();
    if (reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason ||
        reason == Qt::MenuBarFocusReason)
        return;
    // The focus moving between the grid and its cell editor stays inside the grid.
    QWidget* next = QApplication::focusWidget();
    if (next != nullptr && (next == this || isAncestorOf(next)))
        return;
    emit gridExited();
}

bool AuctionGrid::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseMove && watched->isWidgetType()) {
        const auto* move = static_cast<QMouseEvent*>(event);
        emit gridMouseMove(static_cast<QWidget*>(watched)->mapTo(this, move->position().toPoint()));
    }
    if (event->type() == QEvent::FocusOut && watched->parent() == viewport())
        focusLeft(*static_cast<QFocusEvent*>(event));
    if (watched == m_corner && event->type() == QEvent::Paint) {
        QPainter painter(m_corner);
        drawCellWithLines(painter, m_corner->rect(), 0, 0, false);
        return true;
    }
    if (event->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
        const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
        if (watched == viewport()) {
            const QModelIndex index = indexAt(at);
            if (index.isValid())
                emit cellPressed(index.column() + 1, index.row() + 1, true);
            return true;
        }
        if (watched == verticalHeader()->viewport()) {
            const int section = verticalHeader()->logicalIndexAt(at);
            if (section >= 0)
                emit cellPressed(0, section + 1, true);
            return true;
        }
    }
    return QTableView::eventFilter(watched, event);
}

} // namespace window
