#include "shell/AlarmsSeen.h"

#include "store/WholeFile.h"

#include <QFile>

#include <algorithm>

namespace shell {

QString AlarmsSeen::FileName()
{
    return QStringLiteral("AlarmSeen.txt");
}

QByteArray AlarmsSeen::Key(const QString& url, double alarmAt)
{
    // The address percent-encoded keeps the file ASCII, which every encoding reads alike.
    return QByteArray::number(alarmAt, 'f', 6) + ' ' +
           url.trimmed().toUtf8().toPercentEncoding(":/?&=#.~-_+,;@!$'()*[]");
}

void AlarmsSeen::Load(const QString& path)
{
    m_path = path;
    m_loaded = true;
    if (path.isEmpty())
        return;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    // A torn or foreign line is a key no alarm has: it does no harm and goes at the next write.
    for (const QByteArray& line : file.readAll().split('\n'))
        if (!line.trimmed().isEmpty())
            m_keys.insert(line.trimmed());
}

bool AlarmsSeen::Contains(const QString& url, double alarmAt) const
{
    return m_keys.contains(Key(url, alarmAt));
}

bool AlarmsSeen::Add(const QString& url, double alarmAt)
{
    const QByteArray key = Key(url, alarmAt);
    if (m_keys.contains(key))
        return false;
    m_keys.insert(key);
    m_changed = true;
    return true;
}

void AlarmsSeen::Save(const QSet<QByteArray>& current)
{
    if (!m_changed)
        return;
    m_changed = false;
    m_keys.intersect(current);
    if (m_path.isEmpty())
        return;
    QList<QByteArray> lines(m_keys.begin(), m_keys.end());
    std::sort(lines.begin(), lines.end());
    QByteArray bytes;
    for (const QByteArray& line : lines)
        bytes += line + '\n';
    store::WriteWholeFile(m_path, bytes);
}

} // namespace shell
