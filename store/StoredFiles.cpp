#include "store/StoredFiles.h"

#include "store/Cp932.h"
#include "store/TextRules.h"
#include "store/WholeFile.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace store {

QString TotalIniName()
{
    return QStringLiteral("Total.ini");
}

QString SetteiIniName(int komoku)
{
    return QStringLiteral("Settei%1.ini").arg(komoku);
}

QString SpeakMsgName()
{
    return QStringLiteral("SpeakMsg.txt");
}

QString ImageName(int komoku, int slot, QLatin1StringView extension)
{
    return QStringLiteral("Image%1_%2").arg(komoku).arg(slot) + extension;
}

bool IsImageOf(const QString& path, int komoku)
{
    const QString name = QFileInfo(path).fileName();
    for (int slot = 0; slot < SlotsPerKomoku; ++slot) {
        if (name == ImageName(komoku, slot))
            return true;
    }
    return false;
}

QString SlotSection(int row)
{
    return QString::number(row);
}

int Read(const IniFile& ini, const Setting<int>& setting)
{
    return std::clamp(ini.ReadInteger(setting.Section, setting.Key, setting.DefaultValue), setting.Min,
                      setting.Max);
}

bool Read(const IniFile& ini, const Setting<bool>& setting)
{
    return ini.ReadBool(setting.Section, setting.Key, setting.DefaultValue);
}

void Write(IniFile& ini, const Setting<int>& setting, int value)
{
    ini.WriteInteger(setting.Section, setting.Key, value);
}

void Write(IniFile& ini, const Setting<bool>& setting, bool value)
{
    ini.WriteBool(setting.Section, setting.Key, value);
}

std::optional<QStringList> ReadSpeakMsg(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QStringList lines = store::LfLineBreaks(FromCp932(file.readAll())).split(QLatin1Char('\n'));
    // A final line end does not start another line.
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

bool WriteSpeakMsg(const QString& path, const QStringList& lines, QString* reason)
{
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += ToCp932(line) + "\r\n";
    return WriteWholeFile(path, bytes, reason);
}

bool IsReadableOrMissing(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return true;
    QFile file(path);
    return info.isFile() && file.open(QIODevice::ReadOnly);
}

QString SpeakTextOf(const QStringList& lines)
{
    return lines.join(QStringLiteral("\r\n"));
}

QStringList SpeakLinesOf(const QString& text)
{
    if (text.isEmpty())
        return {};
    return store::LfLineBreaks(text).split(QLatin1Char('\n'));
}

QString JoinSpeakText(const QStringList& lines)
{
    QString joined = lines.join(QString());
    joined.remove(QLatin1Char('\r'));
    joined.remove(QLatin1Char('\n'));
    return joined;
}

} // namespace store
