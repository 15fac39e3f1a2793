#pragma once

#include "watchlist/KakakuRireki.h"

#include <QColor>
#include <QPointF>
#include <QRect>
#include <QWidget>

class QPaintEvent;

namespace window {

// The price-history window of "価格の推移(&P)": the price of one slot's auction against time as
// a step curve (a price holds until the next reading), its budget and own bid as horizontal
// lines and its end time as an upright line. Created hidden at start-up, it lives for the
// whole run and only changes visibility and what it shows.
class TKakakuRirekiForm final : public QWidget {
    Q_OBJECT

public:
    explicit TKakakuRirekiForm(QWidget* parent = nullptr);

    // Shows the history without blocking; an open window shows the new one instead.
    void ShowKakakuRireki(const watchlist::KakakuRireki& rireki);

    // The area the curve is drawn in, and where a price at a time stands in it.
    QRect PlotRect() const;
    QPointF PointAt(const QDateTime& time, int price) const;

    static QColor CurveColour() { return {0, 0, 255}; }
    static QColor YosanColour() { return {0, 128, 0}; }
    static QColor NyusatugakuColour() { return {255, 128, 0}; }
    static QColor ShuryoColour() { return {255, 0, 0}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void DrawAxes(class QPainter& painter) const;
    void DrawLevel(QPainter& painter, int price, const QColor& colour, const QString& label) const;

    watchlist::KakakuRireki m_rireki;
    // The ranges the plot spans.
    QDateTime m_from;
    QDateTime m_to;
    int m_low = 0;
    int m_high = 1;
    // Between two price lines.
    int m_step = 1;
};

} // namespace window
