#include "window/TBevelLabel.h"

#include <QFont>
#include <QPaintEvent>
#include <QPainter>
#include <QPalette>

namespace window {

namespace {

QColor halfWay(const QColor& a, const QColor& b)
{
    return QColor((a.red() + b.red()) / 2, (a.green() + b.green()) / 2, (a.blue() + b.blue()) / 2);
}

// The caption as drawn: the first '&' (the accelerator marker) is dropped, any later one stays.
QString shownCaption(QString caption)
{
    const qsizetype amp = caption.indexOf(u'&');
    if (amp >= 0)
        caption.remove(amp, 1);
    return caption;
}

} // namespace

TBevelLabel::TBevelLabel(QWidget* parent) : TBevelLabel(QString(), parent) {}

TBevelLabel::TBevelLabel(const QString& text, QWidget* parent) : QLabel(text, parent)
{
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    resize(125, 26);

    QFont f = font();
    f.setPointSize(20);
    f.setBold(true);
    setFont(f);
    setFontColor(QColor(0, 128, 128));
}

void TBevelLabel::setHighLightColor(const QColor& color)
{
    if (color == m_highLightColor)
        return;
    m_highLightColor = color;
    update();
}

void TBevelLabel::setShadowColor(const QColor& color)
{
    if (color == m_shadowColor)
        return;
    m_shadowColor = color;
    update();
}

void TBevelLabel::setBevelType(TBevelType type)
{
    if (type == m_bevelType)
        return;
    m_bevelType = type;
    update();
}

void TBevelLabel::setBevelWidth(int width)
{
    if (width == m_bevelWidth)
        return;
    m_bevelWidth = width == 0 ? 1 : width;
    update();
}

void TBevelLabel::setColorBrend(bool blend)
{
    if (blend == m_colorBrend)
        return;
    m_colorBrend = blend;
    update();
}

QColor TBevelLabel::fontColor() const
{
    return palette().color(QPalette::Active, QPalette::WindowText);
}

void TBevelLabel::setFontColor(const QColor& color)
{
    // The disabled group is left alone: an engraved caption keeps the system's
    // disabled text colour whatever the font colour is.
    QPalette pal = palette();
    pal.setColor(QPalette::Active, QPalette::WindowText, color);
    pal.setColor(QPalette::Inactive, QPalette::WindowText, color);
    setPalette(pal);
}

void TBevelLabel::paintEvent(QPaintEvent* event)
{
    // The background is filled by the widget machinery (autoFillBackground);
    // QFrame adds the frame. QLabel::paintEvent is skipped on purpose: it
    // would draw the caption once more, antialiased, at its own place.
    QFrame::paintEvent(event);

    const QString caption = shownCaption(text());
    if (caption.isEmpty())
        return;

    QPainter painter(this);
    // Without antialiasing every pass leaves pixels of exactly its colour,
    // which keeps the bevel edges crisp.
    QFont f = font();
    f.setStyleStrategy(QFont::NoAntialias);
    painter.setFont(f);
    painter.setBackgroundMode(Qt::TransparentMode);

    const int m = margin();
    const QRect area = contentsRect().adjusted(m, m, -m, -m);
    // Shifted copies are limited by the widget only, not by their shifted rectangle.
    int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip;
    if (wordWrap())
        flags |= Qt::TextWordWrap;

    if (!isEnabled()) {
        drawCaption(painter, area, flags, caption, 0, 0, Qt::white);
        drawCaption(painter, area, flags, caption, -1, -1,
                    palette().color(QPalette::Disabled, QPalette::WindowText));
        return;
    }

    const QColor text = fontColor();
    const QColor high = m_colorBrend ? halfWay(text, m_highLightColor) : m_highLightColor;
    const QColor shadow = m_colorBrend ? halfWay(text, m_shadowColor) : m_shadowColor;
    const int w = m_bevelWidth;

    switch (m_bevelType) {
    case btLeftTop:
        for (int i = w; i >= 1; --i)
            drawCaption(painter, area, flags, caption, -i, -i, shadow);
        drawCaption(painter, area, flags, caption, 1, 1, high);
        break;
    case btRightBottom:
        drawCaption(painter, area, flags, caption, -1, -1, high);
        for (int i = 1; i <= w; ++i)
            drawCaption(painter, area, flags, caption, i, i, shadow);
        break;
    case btRightTop:
        for (int i = w; i >= 1; --i)
            drawCaption(painter, area, flags, caption, i, -i, shadow);
        drawCaption(painter, area, flags, caption, -1, 1, high);
        break;
    case btLeftBottom:
        drawCaption(painter, area, flags, caption, 1, -1, high);
        for (int i = 1; i <= w; ++i)
            drawCaption(painter, area, flags, caption, -i, i, shadow);
        break;
    case btNone:
        break;
    }

    drawCaption(painter, area, flags, caption, 0, 0, text);
}

void TBevelLabel::drawCaption(QPainter& painter, const QRect& area, int flags, const QString& caption, int dx,
                              int dy, const QColor& color) const
{
    painter.setPen(color);
    painter.drawText(area.translated(dx, dy), flags, caption);
}

} // namespace window
