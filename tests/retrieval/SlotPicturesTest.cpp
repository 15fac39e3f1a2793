#include "retrieval/SlotPictures.h"
#include "retrieval/ScrapeTestSupport.h"
#include "store/Pictures.h"
#include "support/FakeAuctionSite.h"
#include "support/ScratchDir.h"
#include "support/Transfers.h"

#include <QFile>
#include <QImage>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using retrieval::SlotPictureDownloader;
using scrapetest::OnePixelGif;
using testsupport::FakeAuctionSite;

namespace {

QByteArray Jpeg(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::blue);
    return store::EncodeJpeg(image);
}

class SlotPicturesTest : public ::testing::Test {
protected:
    QString Target(const QString& name) const { return m_dir.path() + u"/"_s + name; }
    store::Slot& SlotAt(int row) { return m_model.SlotAt(0, row); }
    // Downloads url and puts the picture into the slot, as a registration does.
    bool DownloadSlotImage(const QString& url, const QString& fileName, int row, int komoku)
    {
        return retrieval::PutSlotPicture(m_model, m_dir.path() + u"/"_s,
                                         testsupport::DownloadNow(m_pictures, url), fileName, row, komoku);
    }

    FakeAuctionSite m_site;
    testsupport::ScratchDir m_dir;
    store::WatchListModel m_model;
    SlotPictureDownloader m_pictures{m_site.fetcherOptions()};
};

} // namespace

TEST_F(SlotPicturesTest, JpegAndGifFillTheSlot)
{
    ASSERT_TRUE(m_site.isListening());
    const QByteArray jpeg = Jpeg(40, 30);
    m_site.setPicture(u"/i/a.jpg"_s, jpeg);
    // The widest picture still taken, with its logical screen rather than its one-pixel frame.
    m_site.setPicture(u"/i/b.gif"_s, OnePixelGif(10000, 8));

    // Behind a redirect, as picture hosts answer.
    ASSERT_TRUE(DownloadSlotImage(m_site.redirectUrl(1, u"/i/a.jpg"_s), Target(u"Image0_2.jpg"_s), 3, 0));
    EXPECT_TRUE(SlotAt(3).PictureExist);
    EXPECT_EQ(SlotAt(3).Picture.Whole().size(), QSize(40, 30));
    QFile stored(Target(u"Image0_2.jpg"_s));
    ASSERT_TRUE(stored.open(QIODevice::ReadOnly));
    EXPECT_EQ(stored.readAll(), jpeg);
    // The save must not encode the file again, which would lose a little of the picture.
    EXPECT_EQ(SlotAt(3).Picture.File(), Target(u"Image0_2.jpg"_s));
    EXPECT_FALSE(SlotAt(3).Picture.Pending());

    ASSERT_TRUE(DownloadSlotImage(m_site.url(u"/i/b.gif"_s, u"auctions.c.yimg.jp"_s),
                                  Target(u"Image0_3.gif"_s), 4, 0));
    EXPECT_TRUE(SlotAt(4).PictureExist);
    EXPECT_EQ(SlotAt(4).Picture.Whole().size(), QSize(10000, 8));
    EXPECT_TRUE(SlotAt(4).Picture.Pending()) << "a GIF waits for the save to encode it";
    EXPECT_FALSE(QFile::exists(Target(u"Image0_3.gif"_s)));
}

TEST_F(SlotPicturesTest, FailedDownloadLeavesSlotAndFolderAlone)
{
    ASSERT_TRUE(m_site.isListening());
    m_site.setPage(u"/i/page.jpg"_s, "<html><body>not a picture</body></html>");
    m_site.setPicture(u"/i/wide.gif"_s, OnePixelGif(10001, 8));
    m_site.setPicture(u"/i/tall.jpg"_s, Jpeg(8, 10001));
    // A picture that decodes, padded past the limit after its end marker.
    const QByteArray big = Jpeg(8, 8) + QByteArray(SlotPictureDownloader::MaxPictureBytes, '\0');
    m_site.setPicture(u"/i/declared.jpg"_s, big);
    m_site.setChunkedPage(u"/i/chunked.jpg"_s, big);
    // A picture behind an error status is still no picture.
    m_site.setStatus(u"/i/missing.jpg"_s, 404, Jpeg(8, 8));
    testsupport::RawListener ftpServer(testsupport::RawListener::Mode::CloseAtOnce);

    const struct {
        const char* what;
        QString url;
    } cases[] = {
        {"404", m_site.url(u"/i/missing.jpg"_s)},
        {"not a picture", m_site.url(u"/i/page.jpg"_s)},
        {"wider than 10000", m_site.url(u"/i/wide.gif"_s)},
        {"taller than 10000", m_site.url(u"/i/tall.jpg"_s)},
        {"over 8 MiB, declared", m_site.url(u"/i/declared.jpg"_s)},
        {"over 8 MiB, chunked", m_site.url(u"/i/chunked.jpg"_s)},
        {"ftp", ftpServer.url().replace(u"http://"_s, u"ftp://"_s) + u"x.jpg"_s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QString target = Target(c.url.endsWith(u".gif"_s) ? u"Image0_0.gif"_s : u"Image0_0.jpg"_s);
        EXPECT_FALSE(DownloadSlotImage(c.url, target, 1, 0));
        EXPECT_FALSE(SlotAt(1).PictureExist);
        EXPECT_TRUE(SlotAt(1).Picture.IsNull());
        EXPECT_EQ(m_dir.listFiles(), QStringList());
    }
    // The ftp address was refused without connecting.
    EXPECT_EQ(ftpServer.accepted(), 0);
}
