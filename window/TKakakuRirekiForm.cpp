#include "window/TKakakuRirekiForm.h"

#include "window/Fonts.h"

#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace window {

namespace {

constexpr int LeftMargin = 78;
constexpr int RightMargin = 20;
constexpr int TopMargin = 34;
constexpr int BottomMargin = 40;
constexpr int PriceTicks = 4;

// "12,345円".
QString Yen(int price)
{
    QString digits = QString::number(price);
    for (qsizetype at = digits.size() - 3; at > 0; at -= 3)
        digits.insert(at, u',');
    return digits + u"円"_s;
}

// The step of 1, 2 or 5 times a power of ten nearest above `rough`.
int RoundStep(int rough)
{
    int power = 1;
    while (power <= rough / 10)
        power *= 10;
    for (const int factor : {1, 2, 5, 10}) {
        if (factor * power >= rough)
            return factor * power;
    }
    return 10 * power;
}

QString TimeText(const QDateTime& time)
{
    return time.toString(u"MM/dd HH:mm"_s);
}

} // namespace

TKakakuRirekiForm::TKakakuRirekiForm(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(u"KakakuRirekiForm"_s);
    setWindowTitle(u"価格の推移"_s);
    setFont(PGothicFont(12, false));
    setAutoFillBackground(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    resize(560, 340);
    setMinimumSize(320, 200);
}

void TKakakuRirekiForm::ShowKakakuRireki(const watchlist::KakakuRireki& rireki)
{
    m_rireki = rireki;
    setWindowTitle(u"価格の推移 - "_s + rireki.Caption);
    const auto& readings = m_rireki.Readings;
    if (!readings.empty()) {
        const auto [first, last] = std::minmax_element(
            readings.begin(), readings.end(), [](const auto& a, const auto& b) { return a.Time < b.Time; });
        m_from = first->Time;
        m_to = last->Time;
        // The end is marked when it lies after the first reading; the plot reaches it.
        if (rireki.ShuryoTime.isValid() && rireki.ShuryoTime > m_to)
            m_to = rireki.ShuryoTime;
        if (m_from.secsTo(m_to) < 60)
            m_to = m_from.addSecs(60);
        // Room on the right, so that the last reading or the end does not fall on the frame.
        m_to = m_to.addMSecs(m_from.msecsTo(m_to) / 30);
        const auto [low, high] = std::minmax_element(
            readings.begin(), readings.end(), [](const auto& a, const auto& b) { return a.Price < b.Price; });
        int lowest = low->Price;
        int highest = high->Price;
        for (const int level : {rireki.Yosan, rireki.Nyusatugaku}) {
            if (level > 0) {
                lowest = std::min(lowest, level);
                highest = std::max(highest, level);
            }
        }
        // A little room above and below, so that no line runs along the frame, and the ends on
        // round amounts of the step between the price lines.
        const int pad = std::max({(highest - lowest) / 10, highest / 50, 10});
        m_step = RoundStep((highest - lowest + 2 * pad) / PriceTicks);
        m_low = std::max(0, (lowest - pad) / m_step * m_step);
        m_high = (highest + pad + m_step - 1) / m_step * m_step;
    }
    update();
    show();
    raise();
    activateWindow();
}

QRect TKakakuRirekiForm::PlotRect() const
{
    return rect().adjusted(LeftMargin, TopMargin, -RightMargin, -BottomMargin);
}

QPointF TKakakuRirekiForm::PointAt(const QDateTime& time, int price) const
{
    const QRect plot = PlotRect();
    const double span = static_cast<double>(m_from.msecsTo(m_to));
    const double x = span > 0 ? static_cast<double>(m_from.msecsTo(time)) / span : 0;
    const double y = static_cast<double>(price - m_low) / std::max(1, m_high - m_low);
    return {std::round(plot.left() + x * plot.width()), std::round(plot.bottom() - y * plot.height())};
}

void TKakakuRirekiForm::DrawAxes(QPainter& painter) const
{
    const QRect plot = PlotRect();
    const QFontMetrics metrics(font());
    painter.setPen(QColor(224, 224, 224));
    for (int price = m_low; price <= m_high; price += m_step) {
        const int y = static_cast<int>(PointAt(m_from, price).y());
        painter.setPen(QColor(224, 224, 224));
        painter.drawLine(plot.left(), y, plot.right(), y);
        painter.setPen(Qt::black);
        painter.drawText(QRect(0, y - metrics.height() / 2, LeftMargin - 6, metrics.height()),
                         Qt::AlignRight | Qt::AlignVCenter, Yen(price));
    }
    painter.setPen(QColor(128, 128, 128));
    painter.drawRect(plot);
    painter.setPen(Qt::black);
    const int textTop = plot.bottom() + 6;
    painter.drawText(QRect(plot.left(), textTop, plot.width() / 2, metrics.height()), Qt::AlignLeft,
                     TimeText(m_from));
    painter.drawText(QRect(plot.center().x(), textTop, plot.width() / 2, metrics.height()), Qt::AlignRight,
                     TimeText(m_to));
}

void TKakakuRirekiForm::DrawLevel(QPainter& painter, int price, const QColor& colour,
                                  const QString& label) const
{
    if (price <= 0)
        return;
    const QRect plot = PlotRect();
    const int y = static_cast<int>(PointAt(m_from, price).y());
    painter.setPen(QPen(colour, 1));
    painter.drawLine(plot.left() + 1, y, plot.right() - 1, y);
    const QFontMetrics metrics(font());
    painter.drawText(QRect(plot.left() + 4, y - metrics.height() - 1, plot.width() - 8, metrics.height()),
                     Qt::AlignRight | Qt::AlignBottom, label + u' ' + Yen(price));
}

void TKakakuRirekiForm::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    // Without antialiasing every line is drawn in its own colour, whole pixels only.
    painter.setRenderHint(QPainter::Antialiasing, false);
    const auto& readings = m_rireki.Readings;
    if (readings.empty())
        return;
    DrawAxes(painter);
    DrawLevel(painter, m_rireki.Yosan, YosanColour(), u"予算"_s);
    DrawLevel(painter, m_rireki.Nyusatugaku, NyusatugakuColour(), u"入札額"_s);

    const QRect plot = PlotRect();
    const QFontMetrics metrics(font());
    if (m_rireki.ShuryoTime.isValid() && m_rireki.ShuryoTime >= m_from) {
        const int x = static_cast<int>(PointAt(m_rireki.ShuryoTime, m_low).x());
        painter.setPen(QPen(ShuryoColour(), 1));
        painter.drawLine(x, plot.top() + 1, x, plot.bottom() - 1);
        const QString label = u"終了 "_s + TimeText(m_rireki.ShuryoTime);
        const int width = metrics.horizontalAdvance(label);
        painter.drawText(QRect(std::max(plot.left(), x - width - 4), plot.top() + 2, width, metrics.height()),
                         Qt::AlignLeft, label);
    }

    // The price holds from one reading to the next: a step, then a dot at each reading.
    std::vector<store::PriceReading> sorted = readings;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const auto& a, const auto& b) { return a.Time < b.Time; });
    painter.setPen(QPen(CurveColour(), 2));
    for (size_t i = 1; i < sorted.size(); ++i) {
        const QPointF from = PointAt(sorted[i - 1].Time, sorted[i - 1].Price);
        const QPointF to = PointAt(sorted[i].Time, sorted[i].Price);
        painter.drawLine(from, QPointF(to.x(), from.y()));
        painter.drawLine(QPointF(to.x(), from.y()), to);
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(CurveColour());
    for (const store::PriceReading& reading : sorted)
        painter.drawEllipse(PointAt(reading.Time, reading.Price), 3, 3);

    // The key, above the plot.
    painter.setBrush(Qt::NoBrush);
    int x = plot.left();
    const int y = TopMargin / 2;
    for (const auto& [colour, text] :
         {std::pair{CurveColour(), u"現在の価格"_s}, std::pair{YosanColour(), u"予算"_s},
          std::pair{NyusatugakuColour(), u"入札額"_s}, std::pair{ShuryoColour(), u"終了時間"_s}}) {
        painter.setPen(QPen(colour, 2));
        painter.drawLine(x, y, x + 16, y);
        painter.setPen(Qt::black);
        painter.drawText(QPoint(x + 20, y + metrics.ascent() / 2 - 1), text);
        x += 28 + metrics.horizontalAdvance(text);
    }
}

} // namespace window
