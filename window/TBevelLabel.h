#pragma once

#include <QColor>
#include <QLabel>

class QPaintEvent;
class QPainter;

namespace window {

// A label whose caption is drawn raised or sunken: copies of the text in a
// highlight and a shadow colour, shifted a few pixels, under the text itself.
// Everything else (caption, font, colour, size, word wrap, mouse) is a plain
// QLabel; the alignment stays top-left.
class TBevelLabel final : public QLabel {
    Q_OBJECT
    Q_PROPERTY(QColor HighLightColor READ HighLightColor WRITE setHighLightColor)
    Q_PROPERTY(QColor ShadowColor READ ShadowColor WRITE setShadowColor)
    Q_PROPERTY(TBevelType BevelType READ BevelType WRITE setBevelType)
    Q_PROPERTY(int BevelWidth READ BevelWidth WRITE setBevelWidth)
    Q_PROPERTY(bool ColorBrend READ ColorBrend WRITE setColorBrend)

public:
    // Where the highlight falls; the shadow is on the opposite side.
    enum TBevelType { btLeftTop, btRightBottom, btRightTop, btLeftBottom, btNone };
    Q_ENUM(TBevelType)

    explicit TBevelLabel(QWidget* parent = nullptr);
    explicit TBevelLabel(const QString& text, QWidget* parent = nullptr);

    QColor HighLightColor() const { return m_highLightColor; }
    void setHighLightColor(const QColor& color);

    QColor ShadowColor() const { return m_shadowColor; }
    void setShadowColor(const QColor& color);

    TBevelType BevelType() const { return m_bevelType; }
    void setBevelType(TBevelType type);

    int BevelWidth() const { return m_bevelWidth; }
    // 0 is kept as 1.
    void setBevelWidth(int width);

    // When set, highlight and shadow are mixed half and half with the font colour.
    bool ColorBrend() const { return m_colorBrend; }
    void setColorBrend(bool blend);

    // The colour of the caption: the palette's WindowText.
    QColor fontColor() const;
    void setFontColor(const QColor& color);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void drawCaption(QPainter& painter, const QRect& area, int flags, const QString& caption, int dx, int dy,
                     const QColor& color) const;

    QColor m_highLightColor{255, 255, 255};
    QColor m_shadowColor{0, 0, 0};
    TBevelType m_bevelType = btRightBottom;
    int m_bevelWidth = 2;
    bool m_colorBrend = true;
};

} // namespace window
