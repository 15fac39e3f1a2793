#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace store {

// One INI file in memory: CP932 text, sections "[name]" with key=value lines.
// Section and key names compare without regard to case; a value is the raw text
// after the first "=". A new section goes to the end of the file, a new key to the
// end of its section. Reading is lenient (CR LF, LF or CR line ends, blank lines,
// a UTF-8 byte order mark, lines without "=", a missing final line end); writing
// is canonical: "[name]" and key=value lines only, each ended by CR LF, CP932,
// characters CP932 cannot hold written as "?".
//
// An operation loads a file once, edits it here and saves it once; Save replaces
// the file atomically, so a crash leaves either the old or the new content.
class IniFile final {
public:
    // Reads path; a missing or unreadable file (a folder, say) gives an empty document.
    explicit IniFile(const QString& path);

    static IniFile FromBytes(const QByteArray& bytes, const QString& path = {});

    QString Path() const { return m_path; }
    // Whether the file existed as a readable file when it was loaded.
    bool Existed() const { return m_existed; }

    bool SectionExists(const QString& section) const;
    bool ValueExists(const QString& section, const QString& key) const;
    QStringList Sections() const;
    // The key=value lines of a section in file order, key and value as they stand.
    QStringList SectionLines(const QString& section) const;

    QString ReadString(const QString& section, const QString& key, const QString& defaultValue = {}) const;
    // Decimal integer text; missing, unreadable or out of 32-bit range gives the default.
    int ReadInteger(const QString& section, const QString& key, int defaultValue) const;
    // "0" is false, any other integer true; missing or unreadable gives the default.
    bool ReadBool(const QString& section, const QString& key, bool defaultValue) const;
    // A date-time in the text form of DayCount.h; missing or unreadable gives 0.
    double ReadDateTime(const QString& section, const QString& key) const;

    void WriteString(const QString& section, const QString& key, const QString& value);
    void WriteInteger(const QString& section, const QString& key, int value);
    void WriteBool(const QString& section, const QString& key, bool value);
    void WriteDateTime(const QString& section, const QString& key, double days);

    void DeleteKey(const QString& section, const QString& key);
    void EraseSection(const QString& section);

    // Appends a section with the given key=value lines as they stand, even when a
    // section of that name exists (used to rebuild a file line by line).
    void AppendSection(const QString& section, const QStringList& lines);

    bool IsModified() const { return m_modified; }
    // The canonical bytes of the document.
    QByteArray ToBytes() const;
    // Writes the document to Path() atomically (temporary file in the same folder,
    // then rename). False when the file cannot be written; the old file is then untouched,
    // and SaveError says why.
    bool Save();
    QString SaveError() const { return m_saveError; }

private:
    struct Entry {
        QString key;
        QString value;
    };
    struct Section {
        QString name;
        QList<Entry> entries;
    };

    Section* FindSection(const QString& section);
    const Section* FindSection(const QString& section) const;
    const Entry* FindEntry(const QString& section, const QString& key) const;
    void Parse(const QByteArray& bytes);

    QString m_path;
    bool m_existed = false;
    bool m_modified = false;
    QList<Section> m_sections;
    QString m_saveError;
};

} // namespace store
