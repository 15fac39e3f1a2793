#include "NotationLayout.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace notation {

namespace {

const auto kTextFamily = u"IPAPGothic"_s;
// Not the fixed-width IPAGothic: it draws "'" as a curly quote, and a reader
// who copies that as "’" writes a sentence the engine refuses.
const auto kNotationFamily = u"IPAPGothic"_s;

const QColor kInk(0x22, 0x22, 0x22);
const QColor kAccent(0x1f, 0x3a, 0x68);
const QColor kNotationInk(0x8a, 0x1c, 0x1c);
const QColor kMuted(0x66, 0x66, 0x66);
const QColor kRule(0x88, 0x99, 0xaa);
const QColor kShade(0xe6, 0xec, 0xf5);
const QColor kExampleShade(0xf4, 0xf6, 0xfa);

QFont makeFont(const QString& family, qreal points)
{
    QFont font(family);
    font.setPointSizeF(points);
    // A missing glyph must show up in checkGlyphs, not be borrowed.
    font.setStyleStrategy(QFont::NoFontMerging);
    return font;
}

} // namespace

Fonts::Fonts()
    : title(makeFont(kTextFamily, 20)), heading(makeFont(kTextFamily, 15)),
      subheading(makeFont(kTextFamily, 12)), body(makeFont(kTextFamily, 10.5)),
      note(makeFont(kTextFamily, 9.5)), table(makeFont(kTextFamily, 10)),
      notation(makeFont(kNotationFamily, 12)), tableNotation(makeFont(kNotationFamily, 10.5)),
      footer(makeFont(kTextFamily, 8))
{
}

int Composer::countPages(const Document& doc)
{
    m_painter = nullptr;
    m_totalPages = 0;
    run(doc);
    return m_page;
}

void Composer::paint(QPainter& painter, const Document& doc, int totalPages)
{
    m_painter = &painter;
    m_totalPages = totalPages;
    run(doc);
}

void Composer::run(const Document& doc)
{
    // Footers are drawn as each page ends, so they need the title from the start.
    m_footerTitle = doc.title;
    m_page = 0;
    startPage();
    drawTitle(doc.title);
    Kind previous = Kind::Heading;
    for (const Block& block : doc.blocks) {
        if (previous == Kind::Item && block.kind != Kind::Item)
            m_y += mm(1.5); // set a list apart from what follows it
        previous = block.kind;
        switch (block.kind) {
        case Kind::Heading:
            drawHeading(block.text, m_fonts.heading, mm(7), true);
            break;
        case Kind::Subheading:
            drawHeading(block.text, m_fonts.subheading, mm(4.5), false);
            break;
        case Kind::Paragraph:
            drawWrapped(block.text, m_fonts.body, left(), contentWidth(), 1.75, kInk);
            m_y += mm(2.5);
            break;
        case Kind::Item:
            drawItem(block.text);
            break;
        case Kind::Example:
            drawExample(block);
            break;
        case Kind::Table:
            drawTable(block.rows);
            break;
        }
    }
    if (m_painter)
        drawFooter();
}

void Composer::startPage()
{
    if (m_page > 0 && m_painter) {
        drawFooter();
        m_writer.newPage();
    }
    ++m_page;
    m_y = top();
}

void Composer::ensureSpace(qreal height)
{
    if (m_y + height > bottom() && !atPageTop())
        startPage();
}

std::unique_ptr<QTextLayout> Composer::wrap(const QString& text, const QFont& font, qreal width) const
{
    auto layout = std::make_unique<QTextLayout>(text, font, &m_writer);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout->setTextOption(option);
    layout->beginLayout();
    for (QTextLine line = layout->createLine(); line.isValid(); line = layout->createLine()) {
        line.setLineWidth(width);
        line.setPosition(QPointF(0, 0)); // placed line by line when drawn
    }
    layout->endLayout();
    return layout;
}

// Draws one laid-out line in a box of the given height at (x, y).
void Composer::drawLine(const QTextLine& line, qreal x, qreal y, qreal height, const QColor& color)
{
    if (!m_painter)
        return;
    m_painter->setPen(color);
    line.draw(m_painter, QPointF(x, y + (height - line.height()) / 2));
}

// Flowing text that may continue on the next page.
void Composer::drawWrapped(const QString& text, const QFont& font, qreal x, qreal width, qreal factor,
                           const QColor& color)
{
    const auto layout = wrap(text, font, width);
    const qreal lineHeight = leading(font, factor);
    for (int i = 0; i < layout->lineCount(); ++i) {
        ensureSpace(lineHeight);
        drawLine(layout->lineAt(i), x, m_y, lineHeight, color);
        m_y += lineHeight;
    }
}

qreal Composer::wrappedHeight(const QString& text, const QFont& font, qreal width, qreal factor) const
{
    return wrap(text, font, width)->lineCount() * leading(font, factor);
}

void Composer::drawTitle(const QString& title)
{
    const auto layout = wrap(title, m_fonts.title, contentWidth());
    const qreal lineHeight = leading(m_fonts.title, 1.5);
    for (int i = 0; i < layout->lineCount(); ++i) {
        const QTextLine line = layout->lineAt(i);
        drawLine(line, left() + (contentWidth() - line.naturalTextWidth()) / 2, m_y, lineHeight, kAccent);
        m_y += lineHeight;
    }
    m_y += mm(2);
    fillRect(QRectF(left(), m_y, contentWidth(), pt(1.5)), kAccent);
    m_y += mm(8);
}

void Composer::drawHeading(const QString& text, const QFont& font, qreal spaceBefore, bool rule)
{
    const qreal height = wrappedHeight(text, font, contentWidth(), 1.4);
    // Keep the heading with the first lines that follow it.
    ensureSpace(spaceBefore + height + leading(m_fonts.body, 1.75) * 3);
    if (!atPageTop())
        m_y += spaceBefore;
    const qreal x = rule ? left() : left() + mm(3);
    if (!rule)
        fillRect(QRectF(left(), m_y + height * 0.2, mm(1.2), height * 0.6), kAccent);
    drawWrapped(text, font, x, right() - x, 1.4, kAccent);
    if (rule) {
        m_y += mm(0.5);
        fillRect(QRectF(left(), m_y, contentWidth(), pt(0.6)), kAccent);
        m_y += mm(3);
    } else {
        m_y += mm(1.5);
    }
}

void Composer::drawItem(const QString& text)
{
    const qreal lineHeight = leading(m_fonts.body, 1.75);
    ensureSpace(lineHeight);
    if (m_painter) {
        const qreal r = mm(0.8);
        m_painter->setPen(Qt::NoPen);
        m_painter->setBrush(kAccent);
        m_painter->drawEllipse(QPointF(left() + mm(4), m_y + lineHeight / 2), r, r);
    }
    const qreal x = left() + mm(8);
    drawWrapped(text, m_fonts.body, x, right() - x, 1.75, kInk);
    m_y += mm(1);
}

void Composer::drawExample(const Block& block)
{
    const qreal x = left() + mm(5);
    const qreal width = right() - x;
    const qreal pad = mm(3);
    const qreal textHeight = leading(m_fonts.notation, 1.6);
    const qreal noteHeight =
        block.note.isEmpty() ? 0 : wrappedHeight(block.note, m_fonts.note, width - 2 * pad, 1.6);
    const qreal height = 2 * pad + wrappedHeight(block.text, m_fonts.notation, width - 2 * pad, 1.6) +
                         noteHeight - (block.note.isEmpty() ? 0 : mm(0.5));
    ensureSpace(height);
    const QRectF box(x, m_y, width, height);
    if (m_painter) {
        m_painter->setPen(QPen(kRule, pt(0.5)));
        m_painter->setBrush(kExampleShade);
        m_painter->drawRect(box);
    }
    m_y += pad;
    const auto layout = wrap(block.text, m_fonts.notation, width - 2 * pad);
    for (int i = 0; i < layout->lineCount(); ++i) {
        drawLine(layout->lineAt(i), x + pad, m_y, textHeight, kNotationInk);
        m_y += textHeight;
    }
    if (!block.note.isEmpty()) {
        m_y -= mm(0.5);
        drawWrapped(block.note, m_fonts.note, x + pad, width - 2 * pad, 1.6, kMuted);
    }
    m_y = box.bottom() + mm(3);
}

// Columns as wide as their content when it fits; otherwise narrow columns
// keep their width and the wide ones share what is left.
std::vector<qreal> Composer::columnWidths(const std::vector<std::vector<Cell>>& rows, qreal pad) const
{
    const size_t n = rows.front().size();
    std::vector<qreal> natural(n, 0);
    for (const auto& row : rows)
        for (size_t c = 0; c < n; ++c) {
            const QFontMetricsF metrics(m_fonts.forCell(row[c]), &m_writer);
            natural[c] = std::max(natural[c], metrics.horizontalAdvance(row[c].text) + 2 * pad);
        }
    const qreal total = contentWidth();
    qreal sum = 0;
    for (qreal w : natural)
        sum += w;
    std::vector<qreal> widths = natural;
    if (sum <= total) {
        widths.back() += total - sum;
        return widths;
    }
    std::vector<bool> fixed(n, false);
    qreal remaining = total;
    size_t wide = n;
    for (bool changed = true; changed;) {
        changed = false;
        for (size_t c = 0; c < n; ++c)
            if (!fixed[c] && natural[c] <= remaining / qreal(wide)) {
                fixed[c] = true;
                remaining -= natural[c];
                --wide;
                changed = true;
            }
    }
    qreal wideSum = 0;
    for (size_t c = 0; c < n; ++c)
        if (!fixed[c])
            wideSum += natural[c];
    for (size_t c = 0; c < n; ++c)
        if (!fixed[c])
            widths[c] = remaining * natural[c] / wideSum;
    return widths;
}

qreal Composer::rowHeight(const std::vector<Cell>& row, const std::vector<qreal>& widths, qreal padX,
                          qreal padY) const
{
    qreal height = 0;
    for (size_t c = 0; c < row.size(); ++c) {
        const QFont& font = m_fonts.forCell(row[c]);
        height = std::max(height, wrappedHeight(row[c].text, font, widths[c] - 2 * padX, 1.5));
    }
    return height + 2 * padY;
}

void Composer::drawRow(const std::vector<Cell>& row, const std::vector<qreal>& widths, qreal height,
                       qreal padX, qreal padY, bool header)
{
    if (m_painter) {
        qreal x = left();
        for (size_t c = 0; c < row.size(); ++c) {
            // drawLine() leaves the pen in the text colour; reset it for every border.
            m_painter->setPen(QPen(kRule, pt(0.5)));
            m_painter->setBrush(header ? QBrush(kShade) : QBrush(Qt::NoBrush));
            m_painter->drawRect(QRectF(x, m_y, widths[c], height));
            const QFont& font = m_fonts.forCell(row[c]);
            const auto layout = wrap(row[c].text, font, widths[c] - 2 * padX);
            const qreal lineHeight = leading(font, 1.5);
            for (int i = 0; i < layout->lineCount(); ++i)
                drawLine(layout->lineAt(i), x + padX, m_y + padY + i * lineHeight, lineHeight,
                         header            ? kAccent
                         : row[c].notation ? kNotationInk
                                           : kInk);
            x += widths[c];
        }
    }
    m_y += height;
}

// Rows never split; a table that runs onto a new page repeats its header.
void Composer::drawTable(const std::vector<std::vector<Cell>>& rows)
{
    const qreal padX = mm(2);
    const qreal padY = mm(1.2);
    const auto widths = columnWidths(rows, padX);
    const qreal headerHeight = rowHeight(rows.front(), widths, padX, padY);
    ensureSpace(headerHeight + rowHeight(rows[1], widths, padX, padY));
    drawRow(rows.front(), widths, headerHeight, padX, padY, true);
    for (size_t r = 1; r < rows.size(); ++r) {
        const qreal height = rowHeight(rows[r], widths, padX, padY);
        if (m_y + height > bottom()) {
            startPage();
            drawRow(rows.front(), widths, headerHeight, padX, padY, true);
        }
        drawRow(rows[r], widths, height, padX, padY, false);
    }
    m_y += mm(4);
}

void Composer::fillRect(const QRectF& rect, const QColor& color)
{
    if (m_painter)
        m_painter->fillRect(rect, color);
}

void Composer::drawFooter()
{
    const qreal y = m_writer.height() - mm(16);
    fillRect(QRectF(left(), y, contentWidth(), pt(0.4)), kRule);
    const qreal lineHeight = leading(m_fonts.footer, 1.6);
    const auto title = wrap(m_footerTitle, m_fonts.footer, contentWidth() / 2);
    drawLine(title->lineAt(0), left(), y + mm(1.5), lineHeight, kMuted);
    const auto number = wrap(u"%1 / %2"_s.arg(m_page).arg(m_totalPages), m_fonts.footer, contentWidth());
    const QTextLine line = number->lineAt(0);
    drawLine(line, right() - line.naturalTextWidth(), y + mm(1.5), lineHeight, kMuted);
}

QStringList checkGlyphs(const Document& doc, const QString& fileName)
{
    const Fonts fonts;
    QStringList errors;
    for (const QFont& font : {fonts.body, fonts.notation}) {
        if (!QFontDatabase::families().contains(font.family()))
            errors << u"font \"%1\" is not installed (Debian package fonts-ipafont-gothic)"_s.arg(
                font.family());
    }
    if (!errors.isEmpty())
        return errors;

    auto check = [&](const QString& text, const QFont& font, int line) {
        const QFontMetricsF metrics(font);
        for (char32_t c : text.toUcs4())
            if (!metrics.inFontUcs4(c)) {
                errors << sourceError(fileName, line,
                                      u"%1 has no glyph in \"%2\""_s.arg(describeChar(c), font.family()));
                return;
            }
    };
    check(doc.title, fonts.title, doc.titleLine);
    for (const Block& block : doc.blocks) {
        switch (block.kind) {
        case Kind::Example:
            check(block.text, fonts.notation, block.line);
            check(block.note, fonts.note, block.line);
            break;
        case Kind::Table:
            for (size_t r = 0; r < block.rows.size(); ++r)
                for (const Cell& cell : block.rows[r])
                    check(cell.text, fonts.forCell(cell), block.rowLines[r]);
            break;
        default:
            check(block.text, fonts.body, block.line);
            break;
        }
    }
    return errors;
}

} // namespace notation
