// How the notation guide looks on A4 pages.

#pragma once

#include "NotationSource.h"

#include <QFont>
#include <QPdfWriter>
#include <QString>
#include <QStringList>
#include <QTextLayout>

#include <memory>
#include <vector>

class QColor;
class QPainter;
class QRectF;

namespace notation {

struct Fonts final {
    Fonts();

    const QFont& forCell(const Cell& cell) const { return cell.notation ? tableNotation : table; }

    QFont title;
    QFont heading;
    QFont subheading;
    QFont body;
    QFont note;
    QFont table;
    QFont notation;
    QFont tableNotation;
    QFont footer;
};

// Places the document on A4 pages. Runs twice over the same document: once
// without a painter to count the pages, once to paint with "n / N" footers.
class Composer final {
public:
    explicit Composer(QPdfWriter& writer) : m_writer(writer) {}

    int countPages(const Document& doc);
    void paint(QPainter& painter, const Document& doc, int totalPages);

private:
    qreal mm(qreal v) const { return v * m_writer.resolution() / 25.4; }
    qreal pt(qreal v) const { return v * m_writer.resolution() / 72.0; }
    qreal leading(const QFont& font, qreal factor) const { return pt(font.pointSizeF()) * factor; }

    qreal left() const { return mm(22); }
    qreal right() const { return m_writer.width() - mm(22); }
    qreal contentWidth() const { return right() - left(); }
    qreal top() const { return mm(20); }
    qreal bottom() const { return m_writer.height() - mm(22); }
    bool atPageTop() const { return m_y <= top(); }

    void run(const Document& doc);
    void startPage();
    void ensureSpace(qreal height);
    std::unique_ptr<QTextLayout> wrap(const QString& text, const QFont& font, qreal width) const;
    void drawLine(const QTextLine& line, qreal x, qreal y, qreal height, const QColor& color);
    void drawWrapped(const QString& text, const QFont& font, qreal x, qreal width, qreal factor,
                     const QColor& color);
    qreal wrappedHeight(const QString& text, const QFont& font, qreal width, qreal factor) const;
    void drawTitle(const QString& title);
    void drawHeading(const QString& text, const QFont& font, qreal spaceBefore, bool rule);
    void drawItem(const QString& text);
    void drawExample(const Block& block);
    std::vector<qreal> columnWidths(const std::vector<std::vector<Cell>>& rows, qreal pad) const;
    qreal rowHeight(const std::vector<Cell>& row, const std::vector<qreal>& widths, qreal padX,
                    qreal padY) const;
    void drawRow(const std::vector<Cell>& row, const std::vector<qreal>& widths, qreal height, qreal padX,
                 qreal padY, bool header);
    void drawTable(const std::vector<std::vector<Cell>>& rows);
    void fillRect(const QRectF& rect, const QColor& color);
    void drawFooter();

    QPdfWriter& m_writer;
    QPainter* m_painter = nullptr;
    Fonts m_fonts;
    QString m_footerTitle;
    int m_page = 0;
    int m_totalPages = 0;
    qreal m_y = 0;
};

// Every character must come from the intended face; a fallback face would
// differ from page to page and a missing one would print as empty boxes.
// Returns the problems as "file:line: message", or a missing font.
QStringList checkGlyphs(const Document& doc, const QString& fileName);

} // namespace notation
