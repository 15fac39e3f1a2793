#include "platform/linux/DropDecoding.h"

#include "platform/linux/QtClipboard.h"
#include "support/ScratchDir.h"

#include <QBuffer>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QMimeData>
#include <QStringEncoder>
#include <QUrl>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <ostream>

using namespace Qt::StringLiterals;
using platform::dropAddress;
using platform::dropPicture;

static void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace {

const QString Data = QStringLiteral(MIRUBERO_DROP_DATA);
const QString ItemPage = u"https://page.auctions.yahoo.co.jp/jp/auction/x110000000"_s;

QByteArray fileUrl(const QString& path)
{
    return QUrl::fromLocalFile(path).toEncoded() + "\r\n";
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// The folders hold one drag each, a file per format: the format as Qt's X11 drop data names
// it, '+' for '/'. Each form that carries the address gives it alone; the rest give nothing.
TEST(DropAddress, EveryBrowserFormGivesTheAddress)
{
    const QStringList addressForms{u"text/uri-list"_s, u"text/x-moz-url"_s, u"_NETSCAPE_URL"_s,
                                   u"text/plain"_s, u"text/plain;charset=utf-8"_s};
    const std::pair<QString, QString> drags[] = {{u"firefox-address-bar"_s, ItemPage + u'1'},
                                                 {u"chromium-address-bar"_s, ItemPage + u'2'},
                                                 {u"chromium-page-link"_s, ItemPage + u'3'}};
    for (const auto& [folder, expected] : drags) {
        QMimeData all;
        for (const QFileInfo& file : QDir(Data + u'/' + folder).entryInfoList(QDir::Files)) {
            const QString format = file.fileName().replace(u'+', u'/');
            QFile bytes(file.filePath());
            ASSERT_TRUE(bytes.open(QIODevice::ReadOnly));
            QMimeData alone;
            alone.setData(format, bytes.readAll());
            all.setData(format, alone.data(format));
            EXPECT_EQ(dropAddress(alone), addressForms.contains(format) ? expected : QString())
                << folder.toStdString() << ' ' << format.toStdString();
        }
        EXPECT_EQ(dropAddress(all), expected) << folder.toStdString();
        EXPECT_TRUE(platform::offersDrop(all));
    }
}

TEST(DropAddress, FormsAreTriedInOrder)
{
    const QByteArray shortcut = fileUrl(Data + u"/links/ItemPage.url"_s);
    const QByteArray desktopLink = fileUrl(Data + u"/links/ItemPage.desktop"_s);
    // From the first form tried to the last, each with an address of its own. A drop offering
    // one form and every later one gives that form's address.
    const std::pair<QString, QByteArray> forms[] = {
        {u"text/uri-list"_s, "https://a.example/\r\n"},
        {u"text/x-moz-url"_s, QStringEncoder(QStringEncoder::Utf16LE)(u"https://b.example/\nb"_s)},
        {u"_NETSCAPE_URL"_s, "https://c.example/\nc"},
        {u"text/plain"_s, " https://d.example/ \n"},
        // Dropped files are read, not taken as addresses; a shortcut goes before a link.
        {u"text/uri-list"_s, "# from a file manager\r\n" + desktopLink + shortcut},
        {u"text/uri-list"_s, desktopLink},
    };
    const QString expected[] = {u"https://a.example/"_s, u"https://b.example/"_s, u"https://c.example/"_s,
                                u"https://d.example/"_s, ItemPage + u'4',         ItemPage + u'5'};
    for (size_t first = 0; first < std::size(forms); ++first) {
        QMimeData data;
        // Later forms first, so that an earlier text/uri-list replaces a later one.
        for (size_t i = std::size(forms); i-- > first;)
            data.setData(forms[i].first, forms[i].second);
        EXPECT_EQ(dropAddress(data), expected[first]) << "first offered: " << first;
    }
}

TEST(DropPicture, ImageDataAndDroppedImageFilesDecode)
{
    QImage picture(3, 2, QImage::Format_RGB32);
    picture.fill(Qt::green);
    for (const char* format : {"png", "jpeg", "bmp"}) {
        QBuffer buffer;
        ASSERT_TRUE(buffer.open(QIODevice::WriteOnly) && picture.save(&buffer, format));
        QMimeData data;
        data.setData(u"image/"_s + QString::fromLatin1(format), buffer.data());
        EXPECT_EQ(dropPicture(data).size(), picture.size()) << format;
    }

    // The first dropped file that decodes, whatever its name; an address beside it is found too.
    testsupport::ScratchDir dir;
    writeFile(dir.file(u"notes.png"_s), "not a picture");
    ASSERT_TRUE(picture.save(dir.file(u"photo"_s), "PNG"));
    const QByteArray files = fileUrl(dir.file(u"notes.png"_s)) + fileUrl(dir.file(u"photo"_s));
    QMimeData data;
    data.setData(u"text/uri-list"_s, files);
    data.setText(ItemPage + u'1');
    const platform::DropPayload payload = platform::decodeDrop(data);
    EXPECT_EQ(payload.Address, ItemPage + u'1');
    EXPECT_EQ(payload.Picture.size(), picture.size());

    // A paste takes a copied image file and copied text alike.
    auto* copied = new QMimeData;
    copied->setData(u"text/uri-list"_s, files);
    copied->setText(u"1,200円"_s);
    QGuiApplication::clipboard()->setMimeData(copied);
    const platform::QtClipboard clipboard;
    EXPECT_EQ(clipboard.picture().size(), picture.size());
    EXPECT_EQ(clipboard.text(), u"1,200円"_s);
}

// Nothing usable gives nothing, without a crash and without blocking on a pipe.
TEST(DropDecoding, GarbageEmptyFoldersAndSpecialFilesGiveNothing)
{
    testsupport::ScratchDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir(u"folder.url"_s));
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.file(u"pipe.url"_s)).constData(), 0600), 0);
    writeFile(dir.file(u"app.desktop"_s), "[Desktop Entry]\nType=Application\nURL=https://x.example/\n");
    writeFile(dir.file(u"other.url"_s), "[Other]\nURL=https://x.example/\n");
    writeFile(dir.file(u"broken.png"_s), "\x89PNG\r\n\x1a\ntruncated");
    QByteArray files;
    for (const QString& name :
         {u"folder.url"_s, u"pipe.url"_s, u"app.desktop"_s, u"other.url"_s, u"broken.png"_s, u"gone.url"_s})
        files += fileUrl(dir.file(name));
    const std::pair<QString, QByteArray> cases[] = {
        {u"text/uri-list"_s, files},
        {u"text/uri-list"_s, ""},
        {u"text/x-moz-url"_s, "\xFF"},
        {u"_NETSCAPE_URL"_s, "\nhttps://title.example/"},
        {u"text/plain"_s, "://x.example/"},
        {u"image/png"_s, "\x89PNG\r\n\x1a\ngarbage"},
        {u"application/x-other"_s, "https://x.example/"},
    };
    for (const auto& [format, bytes] : cases) {
        QMimeData data;
        data.setData(format, bytes);
        const platform::DropPayload payload = platform::decodeDrop(data);
        EXPECT_TRUE(payload.Address.isEmpty() && payload.Picture.isNull())
            << format.toStdString() << ' ' << bytes.toStdString();
    }
    QMimeData other;
    other.setData(u"application/x-other"_s, "https://x.example/");
    EXPECT_FALSE(platform::offersDrop(other));
}

} // namespace
