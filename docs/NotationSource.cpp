#include "NotationSource.h"

#include <QFile>
#include <QStringDecoder>

#include <utility>

using namespace Qt::StringLiterals;

namespace notation {

namespace {

bool isKana(char32_t c)
{
    // ぁ..ゔ and ァ..ヴ: the full-width kana including small and voiced forms.
    return (c >= 0x3041 && c <= 0x3094) || (c >= 0x30A1 && c <= 0x30F4);
}

// The characters the speech engine accepts in a sentence.
bool isNotationChar(char32_t c)
{
    return isKana(c) || c == U'ー' || c == U'、' || c == U'。' || c == U'？' || c == U'\'' || c == U'/';
}

// Joins source lines of one paragraph: Japanese runs on without a space,
// Latin words keep one.
void appendLine(QString& text, const QString& line)
{
    if (text.isEmpty()) {
        text = line;
        return;
    }
    if (text.back().unicode() < 0x80 && line.front().unicode() < 0x80)
        text += u' ';
    text += line;
}

} // namespace

QString describeChar(char32_t c)
{
    const QString code = QString::number(uint(c), 16).rightJustified(4, u'0').toUpper();
    return u"\"%1\" (U+%2)"_s.arg(QString::fromUcs4(&c, 1), code);
}

QString sourceError(const QString& fileName, int line, const QString& message)
{
    // One multi-argument arg(): a "%" in the file name must not be taken for a placeholder.
    return u"%1:%2: %3"_s.arg(fileName, QString::number(line), message);
}

std::optional<QString> notationProblem(const QString& text)
{
    if (text.isEmpty())
        return u"empty example"_s;
    char32_t previous = 0;
    for (char32_t c : text.toUcs4()) {
        if (!isNotationChar(c))
            return u"%1 is not part of the speech notation"_s.arg(describeChar(c));
        // The accent mark marks the mora before it; it needs one.
        if (c == U'\'' && !(isKana(previous) || previous == U'ー'))
            return u"the accent mark \"'\" must follow a kana or \"ー\""_s;
        previous = c;
    }
    return std::nullopt;
}

std::optional<QString> readSource(const QString& path, QString& error)
{
    QFile file(path);
    // A failed open sets error() just as a failed read does.
    const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    if (file.error() != QFileDevice::NoError) {
        error = u"cannot read %1: %2"_s.arg(path, file.errorString());
        return std::nullopt;
    }
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder(bytes);
    if (decoder.hasError()) {
        error = u"%1 is not valid UTF-8"_s.arg(path);
        return std::nullopt;
    }
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    text.remove(u'\r');
    return text;
}

Parser::Parser(QString fileName) : m_fileName(std::move(fileName)) {}

std::optional<Document> Parser::parse(const QString& source)
{
    const QStringList lines = source.split(u'\n');
    for (int i = 0; i < lines.size(); ++i)
        parseLine(i + 1, lines[i]);
    closeBlock();
    if (m_doc.title.isEmpty())
        error(1, u"the guide has no title (a line starting with \"= \")"_s);
    if (m_doc.blocks.empty())
        error(1, u"nothing to print"_s);
    if (!m_errors.isEmpty())
        return std::nullopt;
    return std::move(m_doc);
}

void Parser::error(int line, const QString& message)
{
    m_errors << sourceError(m_fileName, line, message);
}

void Parser::closeBlock()
{
    if (!m_open)
        return;
    if (m_open->kind == Kind::Table && m_open->rows.size() < 2)
        error(m_open->line, u"a table needs at least one row below its header"_s);
    m_doc.blocks.push_back(std::move(*m_open));
    m_open.reset();
}

// Starts a block that the following lines may continue.
void Parser::openBlock(Kind kind, int line, QString text)
{
    closeBlock();
    m_open = Block{kind, line, std::move(text), {}, {}, {}};
}

// Adds a block that is complete in one line.
void Parser::addBlock(Kind kind, int line, QString text, QString note)
{
    closeBlock();
    m_doc.blocks.push_back(Block{kind, line, std::move(text), std::move(note), {}, {}});
}

void Parser::parseLine(int number, QString line)
{
    while (!line.isEmpty() && line.back().isSpace())
        line.chop(1);
    if (line.startsWith(u'%'))
        return;
    if (line.isEmpty()) {
        closeBlock();
        return;
    }
    if (m_open && m_open->kind == Kind::Item && line.startsWith(u"  "_s)) {
        appendLine(m_open->text, line.trimmed());
        return;
    }
    if (line.front().isSpace()) {
        error(number, u"unexpected indentation"_s);
        return;
    }

    if (line.startsWith(u"= "_s)) {
        closeBlock();
        if (!m_doc.title.isEmpty())
            error(number, u"second title; the first is on line %1"_s.arg(m_doc.titleLine));
        m_doc.title = line.mid(2).trimmed();
        m_doc.titleLine = number;
    } else if (line.startsWith(u"## "_s)) {
        addBlock(Kind::Subheading, number, line.mid(3).trimmed());
    } else if (line.startsWith(u"# "_s)) {
        addBlock(Kind::Heading, number, line.mid(2).trimmed());
    } else if (line.startsWith(u'#')) {
        error(number, u"unknown heading level; use \"# \" or \"## \""_s);
    } else if (line.startsWith(u"- "_s)) {
        openBlock(Kind::Item, number, line.mid(2).trimmed());
    } else if (line.startsWith(u"> "_s)) {
        parseExample(number, line.mid(2));
    } else if (line.startsWith(u'|')) {
        parseRow(number, line);
    } else if (m_open && m_open->kind == Kind::Paragraph) {
        appendLine(m_open->text, line);
    } else {
        openBlock(Kind::Paragraph, number, line);
    }
}

void Parser::parseExample(int number, const QString& body)
{
    const qsizetype split = body.indexOf(u" -- "_s);
    const QString text = (split < 0 ? body : body.left(split)).trimmed();
    const QString note = split < 0 ? QString() : body.mid(split + 4).trimmed();
    if (const auto problem = notationProblem(text))
        error(number, *problem);
    addBlock(Kind::Example, number, text, note);
}

void Parser::parseRow(int number, const QString& line)
{
    if (line.size() < 2 || !line.endsWith(u'|')) {
        error(number, u"a table row must start and end with \"|\""_s);
        return;
    }
    std::vector<Cell> row;
    for (const QString& raw : line.mid(1, line.size() - 2).split(u'|')) {
        Cell cell{raw.trimmed(), false};
        if (cell.text.size() >= 2 && cell.text.startsWith(u'`') && cell.text.endsWith(u'`')) {
            cell.text = cell.text.mid(1, cell.text.size() - 2);
            cell.notation = true;
            if (const auto problem = notationProblem(cell.text))
                error(number, *problem);
        }
        row.push_back(std::move(cell));
    }
    if (!m_open || m_open->kind != Kind::Table)
        openBlock(Kind::Table, number, {});
    const auto& header = m_open->rows.empty() ? row : m_open->rows.front();
    if (header.size() != row.size()) {
        error(number, u"this row has %1 cells, the table header on line %2 has %3"_s.arg(row.size())
                          .arg(m_open->line)
                          .arg(header.size()));
    }
    m_open->rows.push_back(std::move(row));
    m_open->rowLines.push_back(number);
}

} // namespace notation
