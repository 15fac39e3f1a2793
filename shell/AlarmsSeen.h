#pragma once

#include <QByteArray>
#include <QSet>
#include <QString>

namespace shell {

// The alarms whose window a tick has seen open, by the auction's address and the alarm's time,
// kept in a file of the data folder across starts. An alarm that no tick saw (the machine slept,
// the program was not running) is told of once as missed and then counts as seen; one that a
// tick saw is never told of again. An alarm moved to another time is another alarm.
class AlarmsSeen final {
public:
    // The file's name in the data folder.
    static QString FileName();

    // Reads the file once; a file that is missing or unreadable holds nothing.
    void Load(const QString& path);
    bool Loaded() const { return m_loaded; }
    bool Changed() const { return m_changed; }
    bool Contains(const QString& url, double alarmAt) const;
    // Adds an alarm; whether it was new.
    bool Add(const QString& url, double alarmAt);
    // Writes the file when something was added, keeping only the alarms of `current` (keys).
    // A file that cannot be written is left as it was: the alarms stay seen for this run.
    void Save(const QSet<QByteArray>& current);

    static QByteArray Key(const QString& url, double alarmAt);

private:
    QString m_path;
    QSet<QByteArray> m_keys;
    bool m_loaded = false;
    bool m_changed = false;
};

} // namespace shell
