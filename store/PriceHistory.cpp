#include "store/PriceHistory.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>

namespace store {

namespace {

const QString TimeFormat = QStringLiteral("yyyy-MM-ddTHH:mm:ss");
const QLatin1StringView Extension(".txt");
// Long enough for a few dozen lines: the last whole one is always among them.
constexpr qint64 TailBytes = 4096;

// The readings of the whole lines in bytes; what follows the last line end is a write that
// was cut short, and so is, when skipFirst, what comes before the first one.
std::vector<PriceReading> ReadLines(const QByteArray& bytes, bool skipFirst)
{
    std::vector<PriceReading> readings;
    qsizetype start = 0;
    if (skipFirst) {
        start = bytes.indexOf('\n');
        if (start < 0)
            return readings;
        ++start;
    }
    for (qsizetype end = bytes.indexOf('\n', start); end >= 0; end = bytes.indexOf('\n', start)) {
        QByteArray line = bytes.mid(start, end - start);
        if (line.endsWith('\r'))
            line.chop(1);
        if (const auto reading = ParsePriceReading(QString::fromLatin1(line)))
            readings.push_back(*reading);
        start = end + 1;
    }
    return readings;
}

std::optional<int> Count(QStringView text)
{
    // Digits only: no sign, no blanks, at most nine of them so that it fits an int.
    if (text.isEmpty() || text.size() > 9)
        return std::nullopt;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
    }
    return text.toInt();
}

} // namespace

QString PriceHistoryFolderName()
{
    return QStringLiteral("KakakuRireki/");
}

std::optional<QString> AuctionIdOf(const QString& url)
{
    static const QRegularExpression plainId(QStringLiteral("^[A-Za-z0-9_-]{1,64}$"));
    const QUrl address(url.trimmed());
    if (!address.isValid())
        return std::nullopt;
    QString path = address.path(QUrl::FullyEncoded);
    while (path.endsWith(u'/'))
        path.chop(1);
    const QString id = path.mid(path.lastIndexOf(u'/') + 1);
    if (!plainId.match(id).hasMatch())
        return std::nullopt;
    return id;
}

QString PriceHistoryPath(const QString& dataDir, const QString& id)
{
    return dataDir + PriceHistoryFolderName() + id + Extension;
}

QString PriceReadingLine(const PriceReading& reading)
{
    return reading.Time.toString(TimeFormat) + u' ' + QString::number(reading.Price) + u' ' +
           QString::number(reading.Bids);
}

std::optional<PriceReading> ParsePriceReading(QStringView line)
{
    const auto fields = line.split(u' ');
    if (fields.size() != 3)
        return std::nullopt;
    PriceReading reading;
    reading.Time = QDateTime::fromString(fields[0].toString(), TimeFormat);
    const auto price = Count(fields[1]);
    const auto bids = Count(fields[2]);
    if (!reading.Time.isValid() || !price || !bids)
        return std::nullopt;
    reading.Price = *price;
    reading.Bids = *bids;
    return reading;
}

std::vector<PriceReading> ReadPriceHistory(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return ReadLines(file.readAll(), false);
}

std::optional<PriceReading> LastPriceReading(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const qint64 start = std::max<qint64>(0, file.size() - TailBytes);
    if (!file.seek(start))
        return std::nullopt;
    std::vector<PriceReading> readings = ReadLines(file.readAll(), start > 0);
    if (readings.empty() && start > 0)
        readings = ReadPriceHistory(path);
    if (readings.empty())
        return std::nullopt;
    return readings.back();
}

bool AppendPriceReading(const QString& path, const PriceReading& reading)
{
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::Append | QIODevice::Unbuffered))
        return false;
    QByteArray bytes = PriceReadingLine(reading).toLatin1() + "\r\n";
    if (file.size() > 0) {
        char last = 0;
        if (!file.seek(file.size() - 1) || !file.getChar(&last))
            return false;
        // A line cut short may look whole ("… 1400 4" of "… 14000 4"): it is ended with a field
        // that never reads, so that it stays skipped.
        if (last != '\n')
            bytes.prepend(" !\r\n");
    }
    // One write, so that a crash leaves the line whole or cut short, never mixed with another.
    const bool written = file.write(bytes) == bytes.size() && file.flush();
    file.close();
    return written && file.error() == QFileDevice::NoError;
}

void PrunePriceHistory(const QString& dataDir, const QSet<QString>& kept)
{
    QDir folder(dataDir + PriceHistoryFolderName());
    if (!folder.exists())
        return;
    const QStringList names = folder.entryList({u'*' + Extension}, QDir::Files | QDir::Hidden);
    for (const QString& name : names) {
        const QString id = name.chopped(Extension.size());
        if (!kept.contains(id))
            folder.remove(name);
    }
}

} // namespace store
