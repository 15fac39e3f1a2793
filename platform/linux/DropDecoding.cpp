#include "platform/linux/DropDecoding.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QMimeData>
#include <QStringDecoder>
#include <QUrl>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace platform {

namespace {

// Link files hold a few lines; anything past this is not read.
constexpr qint64 LinkFileLimit = 64 * 1024;
// Larger pictures are refused rather than decoded into memory.
constexpr qint64 PictureFileLimit = 32 * 1024 * 1024;
constexpr int PictureSideLimit = 10000;
// Only the first few dropped files are looked at, so that a drop of a whole folder's
// contents cannot stall the window.
constexpr qsizetype DroppedFileLimit = 8;

const QString UriList = u"text/uri-list"_s;
const QString MozUrl = u"text/x-moz-url"_s;
const QString NetscapeUrl = u"_NETSCAPE_URL"_s;
// QMimeData::text() would pass off a uri-list as text and skip the UTF-8 form.
const QStringList PlainText{u"text/plain;charset=utf-8"_s, u"text/plain"_s};

// A trimmed candidate, or nothing when it holds no "://" after its first character (so that
// a garbled form gives way to the next) or names a local file: file managers offer dropped
// files as file: addresses, and those are read as files instead.
QString address(QStringView text)
{
    const QString trimmed = text.trimmed().toString();
    if (trimmed.indexOf(u"://"_s) < 1 || QUrl(trimmed).isLocalFile())
        return {};
    return trimmed;
}

QStringView firstLine(QStringView text)
{
    const qsizetype end = text.indexOf(u'\n');
    return end < 0 ? text : text.left(end);
}

QString uriListAddress(const QByteArray& bytes)
{
    const QString text = QString::fromUtf8(bytes);
    for (QStringView line : QStringView(text).split(u'\n')) {
        line = line.trimmed();
        if (!line.isEmpty() && !line.startsWith(u'#'))
            return address(line);
    }
    return {};
}

// Firefox and Chromium write UTF-16 in little-endian order without a mark; a mark says
// otherwise, and data without a single zero byte was written as UTF-8 by someone else.
QString mozUrlText(const QByteArray& bytes)
{
    if (!bytes.contains('\0'))
        return QString::fromUtf8(bytes);
    const bool bigEndian = bytes.startsWith("\xFE\xFF");
    QStringDecoder decoder(bigEndian ? QStringDecoder::Utf16BE : QStringDecoder::Utf16LE);
    QString text = decoder(bytes);
    text.remove(QChar(0xFEFF));
    text.remove(QChar(0));
    return text;
}

// The value of key in section of an INI-style link file: names in any case, CR LF or LF
// line ends, an optional UTF-8 mark.
QString linkFileValue(const QString& text, QStringView section, QStringView key)
{
    bool inSection = false;
    for (QStringView line : QStringView(text).split(u'\n')) {
        line = line.trimmed();
        if (line.startsWith(u'[')) {
            inSection = line.compare(section, Qt::CaseInsensitive) == 0;
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (inSection && equals > 0 && line.left(equals).trimmed().compare(key, Qt::CaseInsensitive) == 0)
            return line.mid(equals + 1).trimmed().toString();
    }
    return {};
}

// Regular files only: a directory, a pipe or a device named like a link or picture file
// would fail or block the read.
bool openRegularFile(QFile& file)
{
    return QFileInfo(file.fileName()).isFile() && file.open(QIODevice::ReadOnly);
}

QString linkFileAddress(const QString& path)
{
    QFile file(path);
    if (!openRegularFile(file))
        return {};
    QString text = QString::fromUtf8(file.read(LinkFileLimit));
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    if (path.endsWith(u".url"_s, Qt::CaseInsensitive))
        return address(linkFileValue(text, u"[InternetShortcut]", u"URL"));
    if (linkFileValue(text, u"[Desktop Entry]", u"Type") != u"Link"_s)
        return {};
    return address(linkFileValue(text, u"[Desktop Entry]", u"URL"));
}

QStringList droppedFiles(const QMimeData& data)
{
    QStringList files;
    for (const QUrl& url : data.urls()) {
        if (url.isLocalFile())
            files << url.toLocalFile();
        if (files.size() == DroppedFileLimit)
            break;
    }
    return files;
}

QImage readPicture(QIODevice& device)
{
    QImageReader reader(&device);
    const QSize size = reader.size();
    if (size.width() > PictureSideLimit || size.height() > PictureSideLimit)
        return {};
    return reader.read();
}

} // namespace

DropPayload decodeDrop(const QMimeData& data)
{
    return {dropAddress(data), dropPicture(data)};
}

QString dropAddress(const QMimeData& data)
{
    if (data.hasFormat(UriList)) {
        if (QString found = uriListAddress(data.data(UriList)); !found.isEmpty())
            return found;
    }
    for (const QString& format : {MozUrl, NetscapeUrl}) {
        if (!data.hasFormat(format))
            continue;
        const QByteArray bytes = data.data(format);
        const QString text = format == MozUrl ? mozUrlText(bytes) : QString::fromUtf8(bytes);
        if (QString found = address(firstLine(text)); !found.isEmpty())
            return found;
    }
    for (const QString& format : PlainText) {
        if (!data.hasFormat(format))
            continue;
        if (QString found = address(QString::fromUtf8(data.data(format))); !found.isEmpty())
            return found;
    }
    const QStringList files = droppedFiles(data);
    for (const QString& suffix : {u".url"_s, u".desktop"_s}) {
        for (const QString& file : files) {
            if (!file.endsWith(suffix, Qt::CaseInsensitive))
                continue;
            if (QString found = linkFileAddress(file); !found.isEmpty())
                return found;
        }
    }
    return {};
}

QImage dropPicture(const QMimeData& data)
{
    // Qt's own image data: what an X11 drag or the clipboard converted already.
    if (data.hasImage()) {
        if (QImage image = qvariant_cast<QImage>(data.imageData()); !image.isNull())
            return image;
    }
    for (const QString& format : data.formats()) {
        if (!format.startsWith(u"image/"_s, Qt::CaseInsensitive))
            continue;
        QByteArray bytes = data.data(format);
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        if (QImage image = readPicture(buffer); !image.isNull())
            return image;
    }
    for (const QString& path : droppedFiles(data)) {
        QFile file(path);
        if (!openRegularFile(file) || file.size() > PictureFileLimit)
            continue;
        if (QImage image = readPicture(file); !image.isNull())
            return image;
    }
    return {};
}

bool offersDrop(const QMimeData& data)
{
    const QStringList formats = data.formats();
    return data.hasImage() || std::any_of(formats.begin(), formats.end(), [](const QString& format) {
               return format.startsWith(u"image/"_s, Qt::CaseInsensitive) || format == UriList ||
                      format == MozUrl || format == NetscapeUrl || PlainText.contains(format);
           });
}

} // namespace platform
