#pragma once

// What the benchmarks that print "name: value" lines share: the lines, and the figures of a
// process's /proc/<pid>/status.

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>

#include <cstdio>

namespace bench {

// One "name: value" line on standard output, at once.
inline void Print(const QString& name, const QString& value)
{
    std::printf("%s: %s\n", qPrintable(name), qPrintable(value));
    std::fflush(stdout);
}

// A "Vm..." line of /proc/<pid>/status, in KiB; -1 when it cannot be read.
inline qint64 StatusKiB(qint64 pid, const QByteArray& key)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(key + ':'))
            return line.mid(key.size() + 1).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

} // namespace bench
