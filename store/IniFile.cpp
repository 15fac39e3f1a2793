#include "store/IniFile.h"

#include "store/WholeFile.h"

#include "store/Cp932.h"
#include "store/DayCount.h"
#include "store/TextRules.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <optional>

namespace store {

namespace {

bool SameName(const QString& a, const QString& b)
{
    return QString::compare(a, b, Qt::CaseInsensitive) == 0;
}

// Blanks around lines, names and keys are spaces and tabs; a full-width space is text.
QStringView TrimBlanks(QStringView text)
{
    const auto blank = [](QChar c) { return c == u' ' || c == u'\t'; };
    while (!text.isEmpty() && blank(text.front()))
        text = text.mid(1);
    while (!text.isEmpty() && blank(text.back()))
        text.chop(1);
    return text;
}

// A line break inside a name or value would split it into lines of its own on the
// next load (and could open a section); it is written as a blank instead.
QString OneLine(const QString& text)
{
    if (!text.contains(u'\r') && !text.contains(u'\n'))
        return text;
    QString line = text;
    line.replace(u'\r', u' ');
    line.replace(u'\n', u' ');
    return line;
}

// Decimal with an optional sign, ASCII digits only, within 32 bits; blanks around it are allowed.
std::optional<int> ParseInteger(const QString& text)
{
    return CellInteger(text.trimmed());
}

// Text after a UTF-8 byte order mark is still taken as CP932 (the Windows program
// never writes one), unless it is valid UTF-8 holding something beyond ASCII: then
// an editor has saved the file as UTF-8 and reading it as such keeps the text.
QString DecodeFileText(const QByteArray& bytes)
{
    static const QByteArray bom("\xEF\xBB\xBF");
    if (!bytes.startsWith(bom))
        return FromCp932(bytes);
    const QByteArray rest = bytes.mid(bom.size());
    bool ascii = true;
    for (const char c : rest) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (!ascii) {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString text = utf8.decode(rest);
        if (!utf8.hasError())
            return text;
    }
    return FromCp932(rest);
}

} // namespace

IniFile::IniFile(const QString& path) : m_path(path)
{
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return;
    m_existed = true;
    Parse(file.readAll());
}

IniFile IniFile::FromBytes(const QByteArray& bytes, const QString& path)
{
    IniFile ini{QString()};
    ini.m_path = path;
    ini.Parse(bytes);
    return ini;
}

void IniFile::Parse(const QByteArray& bytes)
{
    // Decoding before splitting: a CP932 trail byte may equal "[" or "]", never CR, LF or "=".
    const QString text = DecodeFileText(bytes);
    Section* current = nullptr;
    qsizetype start = 0;
    const qsizetype size = text.size();
    while (start < size) {
        qsizetype end = start;
        while (end < size && text[end] != u'\r' && text[end] != u'\n')
            ++end;
        const QStringView line = QStringView(text).mid(start, end - start);
        start = end;
        if (start < size && text[start] == u'\r')
            ++start;
        if (start < size && text[start] == u'\n')
            ++start;

        const QStringView trimmed = TrimBlanks(line);
        if (trimmed.isEmpty())
            continue;
        if (trimmed.size() >= 2 && trimmed.front() == u'[' && trimmed.back() == u']') {
            m_sections.append(Section{TrimBlanks(trimmed.mid(1, trimmed.size() - 2)).toString(), {}});
            current = &m_sections.last();
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (!current || equals < 0)
            continue;
        current->entries.append(
            Entry{TrimBlanks(line.left(equals)).toString(), line.mid(equals + 1).toString()});
    }
}

IniFile::Section* IniFile::FindSection(const QString& section)
{
    for (Section& candidate : m_sections) {
        if (SameName(candidate.name, section))
            return &candidate;
    }
    return nullptr;
}

const IniFile::Section* IniFile::FindSection(const QString& section) const
{
    for (const Section& candidate : m_sections) {
        if (SameName(candidate.name, section))
            return &candidate;
    }
    return nullptr;
}

const IniFile::Entry* IniFile::FindEntry(const QString& section, const QString& key) const
{
    const Section* found = FindSection(section);
    if (!found)
        return nullptr;
    for (const Entry& entry : found->entries) {
        if (SameName(entry.key, key))
            return &entry;
    }
    return nullptr;
}

bool IniFile::SectionExists(const QString& section) const
{
    return FindSection(section) != nullptr;
}

bool IniFile::ValueExists(const QString& section, const QString& key) const
{
    return FindEntry(section, key) != nullptr;
}

QStringList IniFile::Sections() const
{
    // A name that occurs twice is listed once: lookups only ever reach its first section.
    QStringList names;
    for (const Section& section : m_sections) {
        if (!names.contains(section.name, Qt::CaseInsensitive))
            names.append(section.name);
    }
    return names;
}

QStringList IniFile::SectionLines(const QString& section) const
{
    QStringList lines;
    if (const Section* found = FindSection(section)) {
        for (const Entry& entry : found->entries)
            lines.append(entry.key + u'=' + entry.value);
    }
    return lines;
}

QString IniFile::ReadString(const QString& section, const QString& key, const QString& defaultValue) const
{
    const Entry* entry = FindEntry(section, key);
    return entry ? entry->value : defaultValue;
}

int IniFile::ReadInteger(const QString& section, const QString& key, int defaultValue) const
{
    const Entry* entry = FindEntry(section, key);
    return entry ? ParseInteger(entry->value).value_or(defaultValue) : defaultValue;
}

bool IniFile::ReadBool(const QString& section, const QString& key, bool defaultValue) const
{
    const Entry* entry = FindEntry(section, key);
    if (!entry)
        return defaultValue;
    const std::optional<int> value = ParseInteger(entry->value);
    return value ? *value != 0 : defaultValue;
}

double IniFile::ReadDateTime(const QString& section, const QString& key) const
{
    const Entry* entry = FindEntry(section, key);
    return entry ? DayCountFromText(entry->value) : 0;
}

void IniFile::WriteString(const QString& section, const QString& key, const QString& value)
{
    const QString line = OneLine(value);
    Section* found = FindSection(section);
    if (!found) {
        m_sections.append(Section{OneLine(section), {}});
        found = &m_sections.last();
    }
    for (Entry& entry : found->entries) {
        if (SameName(entry.key, key)) {
            if (entry.value != line) {
                entry.value = line;
                m_modified = true;
            }
            return;
        }
    }
    found->entries.append(Entry{OneLine(key), line});
    m_modified = true;
}

void IniFile::WriteInteger(const QString& section, const QString& key, int value)
{
    WriteString(section, key, QString::number(value));
}

void IniFile::WriteBool(const QString& section, const QString& key, bool value)
{
    WriteString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void IniFile::WriteDateTime(const QString& section, const QString& key, double days)
{
    WriteString(section, key, DayCountToText(days));
}

void IniFile::DeleteKey(const QString& section, const QString& key)
{
    // Every occurrence goes, or a duplicate further down would take the deleted key's place.
    Section* found = FindSection(section);
    if (!found)
        return;
    const qsizetype removed =
        found->entries.removeIf([&key](const Entry& entry) { return SameName(entry.key, key); });
    if (removed > 0)
        m_modified = true;
}

void IniFile::EraseSection(const QString& section)
{
    // All sections of the name, so that none of them resurfaces after the erase.
    const qsizetype removed = m_sections.removeIf(
        [&section](const Section& candidate) { return SameName(candidate.name, section); });
    if (removed > 0)
        m_modified = true;
}

void IniFile::AppendSection(const QString& section, const QStringList& lines)
{
    Section appended{OneLine(section), {}};
    for (const QString& line : lines) {
        const qsizetype equals = line.indexOf(u'=');
        if (equals < 0)
            continue;
        const QString key = TrimBlanks(QStringView(line).left(equals)).toString();
        appended.entries.append(Entry{OneLine(key), OneLine(line.mid(equals + 1))});
    }
    m_sections.append(appended);
    m_modified = true;
}

QByteArray IniFile::ToBytes() const
{
    QString text;
    for (const Section& section : m_sections) {
        text += u'[';
        text += section.name;
        text += QStringView(u"]\r\n");
        for (const Entry& entry : section.entries) {
            text += entry.key;
            text += u'=';
            text += entry.value;
            text += QStringView(u"\r\n");
        }
    }
    return ToCp932(text);
}

bool IniFile::Save()
{
    if (!m_modified && m_existed && QFileInfo(m_path).isFile())
        return true;
    if (m_path.isEmpty())
        return false;
    // A temporary file beside the target, renamed over it once whole: on any failure (a full
    // disk among them) the target stays as it was.
    if (!WriteWholeFile(m_path, ToBytes(), &m_saveError))
        return false;
    m_modified = false;
    return true;
}

} // namespace store
