// The source of the notation guide and how it is read.
//
// The source is UTF-8 text, one construct per line:
//   % ...           comment
//   = Title         document title (once, first page)
//   # Heading       section heading
//   ## Heading      subsection heading
//   - text          list item; lines indented by two spaces continue it
//   > text -- note  notation example with an optional note after " -- "
//   | a | b |       table row; the first row of a table is its header, and a
//                   cell written as `...` holds notation
//   anything else   paragraph text; consecutive lines make one paragraph
// A blank line ends a paragraph, a list item or a table.
//
// Examples are checked against the characters the speech engine reads, so the
// guide cannot teach a sentence the program refuses to play.

#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace notation {

enum class Kind { Heading, Subheading, Paragraph, Item, Example, Table };

struct Cell final {
    QString text;
    bool notation = false;
};

struct Block final {
    Kind kind = Kind::Paragraph;
    int line = 0; // first source line, for messages
    QString text;
    QString note;                        // Example only
    std::vector<std::vector<Cell>> rows; // Table only; rows[0] is the header
    std::vector<int> rowLines;           // source line of each row
};

struct Document final {
    QString title;
    int titleLine = 0;
    std::vector<Block> blocks;
};

// A character as the messages show it: "x" (U+0078).
QString describeChar(char32_t c);
// "file:line: message", the form every error of the tool takes.
QString sourceError(const QString& fileName, int line, const QString& message);

// Returns why text is not a sentence the engine would play, or nothing.
std::optional<QString> notationProblem(const QString& text);

// Reads a UTF-8 source file without its byte order mark and carriage returns.
// On failure returns nothing and sets error.
std::optional<QString> readSource(const QString& path, QString& error);

// Turns source text into a document, collecting every error as "file:line: message".
class Parser final {
public:
    explicit Parser(QString fileName);

    std::optional<Document> parse(const QString& source);
    const QStringList& errors() const { return m_errors; }

private:
    void error(int line, const QString& message);
    void closeBlock();
    void openBlock(Kind kind, int line, QString text);
    void addBlock(Kind kind, int line, QString text, QString note = {});
    void parseLine(int number, QString line);
    void parseExample(int number, const QString& body);
    void parseRow(int number, const QString& line);

    QString m_fileName;
    Document m_doc;
    std::optional<Block> m_open;
    QStringList m_errors;
};

} // namespace notation
