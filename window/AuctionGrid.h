#pragma once

#include "store/WatchListModel.h"
#include "watchlist/CellColours.h"

#include <QTableView>

#include <array>
#include <functional>

class QAbstractButton;
class QPainter;

namespace window {

class GridCells;

// A category's grid of ten auction slots. Row 0 (the header texts) and column 0 (the
// slot numbers) are fixed: they are the view's headers and stay in view while the
// other cells scroll by whole rows and columns. Cell (column c, row r) is cell c of
// the category's slot r, row 0 the header row; the texts are read from the model at
// every paint. An edit the user commits is only reported: it shows once the model
// holds it.
class AuctionGrid final : public QTableView {
    Q_OBJECT

public:
    static constexpr int GridLineWidth = 2;
    static constexpr int HeaderRowHeight = 24;
    // The picture box's height plus 2.
    static constexpr int SlotRowHeight = 50;
    // The column widths the grid starts with, grid lines not included.
    static const std::array<int, store::ColumnCount>& DefaultColWidths();

    AuctionGrid(store::WatchListModel& model, int komoku, QWidget* parent = nullptr);

    int Komoku() const { return m_komoku; }
    // Reads every cell from the model again.
    void refresh();

    // A column's width and a row's height as they are now, grid line not included.
    int ColWidth(int column) const;
    int RowHeight(int row) const;
    // Cell (column, row) in the grid's coordinates, grid line not included; empty
    // when the cell is scrolled out of view.
    QRect CellRect(int column, int row) const;
    // The cell (x = column, y = row) at pos in the grid's coordinates; (-1, -1) off the cells.
    QPoint CellAt(const QPoint& pos) const;
    // The first row and column in view after the fixed ones; 1 when not scrolled.
    int TopRow() const;
    int LeftCol() const;
    // The current cell; 0 when there is none.
    int Col() const;
    int Row() const;
    // Makes (column, row) the current cell and scrolls it into view.
    void FocusCell(int column, int row);
    // Makes (column, row) the current cell; a row out of view becomes the top row.
    void FocusCellAtTop(int column, int row);
    // Takes the column widths another grid has now.
    void CopyColWidths(const AuctionGrid& other);
    // Hands what an open cell editor holds to the model, as leaving the cell would.
    void CommitEdit();
    // The row (1 to 10) whose cell editor is open; 0 when none is.
    int EditingRow() const;

    // Decides the background of cell (column, row); without one every cell is white.
    using CellColours = std::function<watchlist::CellColour(int column, int row, bool focusedCurrent)>;
    void SetCellColours(CellColours colours) { m_cellColours = std::move(colours); }

    // Paints cell (column, row) into rect, which excludes the grid lines: its background over
    // the whole cell, then its text in black on one line, clipped by the cell. focusedCurrent
    // tells that the cell is the current one and the grid has the keyboard focus.
    void drawCell(QPainter& painter, const QRect& rect, int column, int row, bool focusedCurrent) const;
    // Paints a cell with its grid lines on the right and at the bottom of rect.
    void drawCellWithLines(QPainter& painter, const QRect& rect, int column, int row,
                           bool focusedCurrent) const;

signals:
    // The user committed an edit of cell (column 1 to 14, row 1 to 10).
    void cellEdited(int row, int column, const QString& text);
    // An address was dropped on the grid.
    void addressDropped(const QString& address);
    // The pointer moved to pos (grid coordinates) over the cells or the fixed row and column.
    void gridMouseMove(const QPoint& pos);
    // The pointer left the grid.
    void gridMouseLeave();
    // A mouse button went down on cell (column, row); the right button leaves the current cell.
    void cellPressed(int column, int row, bool rightButton);
    // The user clicked a cell or moved the current cell.
    void gridClicked();
    // The keyboard focus left the grid and its cell editor for another control of the window.
    void gridExited();
    // The first row or column in view changed.
    void topLeftChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void updateGeometries() override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    // Pasting into a cell that is not being edited puts the clipboard's text there whole.
    void keyPressEvent(QKeyEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    QString cellText(int column, int row) const;
    // Scrolled to the end, the toolkit lines the last row or column up with the far edge and
    // cuts the first one in view; the grid keeps a whole row and column at its top and left, as
    // the picture boxes beside the rows and the captions above the columns expect.
    void keepWholeCellsInFront();
    // The focus left the grid or its cell editor.
    void focusLeft(const QFocusEvent& event);

    store::WatchListModel& m_model;
    const int m_komoku;
    GridCells* m_cells = nullptr;
    QAbstractButton* m_corner = nullptr;
    CellColours m_cellColours;
};

} // namespace window
