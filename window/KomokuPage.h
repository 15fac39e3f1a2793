#pragma once

#include "store/WatchListModel.h"
#include "watchlist/CommandStates.h"

#include <QWidget>

#include <array>

class QLabel;
class QLineEdit;
class QPushButton;
class QResizeEvent;

namespace window {

class AuctionGrid;
class SlotImageBox;

// The page of one category: its name edit, the grid of its ten slots and, beside each
// slot row, the slot's picture and its "表示" button. The page shows category k of the
// model, whatever category that is now; when a category is removed, the ones after it
// move down in the model and the pages show them at their new places.
class KomokuPage final : public QWidget {
    Q_OBJECT

public:
    // The distance from one slot row to the next: a row and its grid line.
    static constexpr int SlotPitch = 52;

    KomokuPage(store::WatchListModel& model, int komoku, QWidget* parent = nullptr);

    int Komoku() const { return m_komoku; }
    AuctionGrid* Grid() const { return m_grid; }

    // Shows the category's name, cells, pictures and enabled states.
    void render(const watchlist::CommandStates& states);
    // Gives the focus to the "表示" button of row (1 to 10).
    void FocusHyoji(int row);
    // The grid scrolled: the picture boxes and "表示" buttons follow their rows.
    void GridTopLeftChanged();

signals:
    // The user typed in the name edit.
    void nameEdited(int komoku, const QString& text);
    void tabDelClicked(int komoku);
    // The user committed an edit of cell (column 1 to 14, row 1 to 10).
    void cellEdited(int komoku, int row, int column, const QString& text);
    // An address was dropped on the grid or on a picture box.
    void addressDropped(const QString& address);
    // A mouse button went down on the picture box of slot (0 to 9).
    void imagePressed(int komoku, int slot, bool rightButton);
    void imageDoubleClicked(int komoku, int slot);
    // A picture was dropped on the box of slot (0 to 9); null when it could not be taken.
    void pictureDropped(int slot, const QImage& picture);
    // A mouse button went down on grid cell (column, row).
    void gridMouseDown(int komoku, int column, int row, bool rightButton);
    // The user clicked or moved to cell (column, row) of the grid.
    void gridClicked(int komoku, int row, int column);
    void gridExited(int komoku);
    // The "表示" button of slot (0 to 9) was clicked.
    void hyojiClicked(int komoku, int slot);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    // Puts the captions "終了時間" and "アラーム時間" over their columns.
    void placeCaptions();

    store::WatchListModel& m_model;
    const int m_komoku;
    QLineEdit* m_editKomoku = nullptr;
    QLabel* m_lblEndTime = nullptr;
    QLabel* m_lblArarmTime = nullptr;
    AuctionGrid* m_grid = nullptr;
    QPushButton* m_btnTabDel = nullptr;
    std::array<SlotImageBox*, store::SlotsPerKomoku> m_images{};
    std::array<QPushButton*, store::SlotsPerKomoku> m_btnHyoji{};
};

} // namespace window
