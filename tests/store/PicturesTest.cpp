#include "store/Pictures.h"
#include "support/ScratchDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

#include <gif_lib.h>
#include <jpeglib.h>

namespace {

constexpr QRgb kRed = 0xffff0000, kGreen = 0xff00ff00, kBlue = 0xff0000ff, kYellow = 0xffffff00;
constexpr QRgb kWhite = 0xffffffff;

QImage quadrants(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(
                x, y, y < height / 2 ? (x < width / 2 ? kRed : kGreen) : (x < width / 2 ? kBlue : kYellow));
    return image;
}

void expectNear(const QImage& image, int x, int y, QRgb expected, int tolerance = 12)
{
    ASSERT_TRUE(image.valid(x, y)) << x << "," << y;
    const QRgb p = image.pixel(x, y);
    EXPECT_TRUE(std::abs(qRed(p) - qRed(expected)) <= tolerance &&
                std::abs(qGreen(p) - qGreen(expected)) <= tolerance &&
                std::abs(qBlue(p) - qBlue(expected)) <= tolerance)
        << "at " << x << "," << y << ": " << std::hex << p << " instead of " << expected;
}

void expectQuadrants(const QImage& image, int width, int height)
{
    ASSERT_EQ(image.size(), QSize(width, height));
    EXPECT_EQ(image.format(), QImage::Format_RGB32);
    expectNear(image, width / 4, height / 4, kRed);
    expectNear(image, 3 * width / 4, height / 4, kGreen);
    expectNear(image, width / 4, 3 * height / 4, kBlue);
    expectNear(image, 3 * width / 4, 3 * height / 4, kYellow);
}

// Test inputs straight from libjpeg, for what EncodeJpeg never writes.
QByteArray libjpegFile(int width, int height, J_COLOR_SPACE space, int components,
                       const std::function<void(int y, JSAMPLE* row)>& fillRow,
                       const std::function<void(jpeg_compress_struct&)>& setup = {})
{
    jpeg_compress_struct cinfo;
    jpeg_error_mgr error;
    cinfo.err = jpeg_std_error(&error);
    jpeg_CreateCompress(&cinfo, JPEG_LIB_VERSION, sizeof cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = components;
    cinfo.in_color_space = space;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 90, TRUE);
    if (setup)
        setup(cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<JSAMPLE> row(static_cast<size_t>(width * components));
    while (cinfo.next_scanline < cinfo.image_height) {
        fillRow(static_cast<int>(cinfo.next_scanline), row.data());
        JSAMPROW rows[] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    QByteArray bytes(reinterpret_cast<const char*>(buffer), static_cast<qsizetype>(size));
    std::free(buffer);
    return bytes;
}

QByteArray grayJpeg(int width, int height, const std::function<void(jpeg_compress_struct&)>& setup = {})
{
    return libjpegFile(
        width, height, JCS_GRAYSCALE, 1,
        [width](int, JSAMPLE* row) { std::fill_n(row, width, JSAMPLE(128)); }, setup);
}

QByteArray progressiveQuadrants()
{
    const QImage source = quadrants(64, 48).convertToFormat(QImage::Format_RGB888);
    return libjpegFile(
        64, 48, JCS_RGB, 3, [&](int y, JSAMPLE* row) { std::copy_n(source.constScanLine(y), 64 * 3, row); },
        [](jpeg_compress_struct& c) { jpeg_simple_progression(&c); });
}

// Everything written to stderr while it lives.
class StderrCapture {
public:
    StderrCapture() : m_file(std::tmpfile()), m_saved(dup(2))
    {
        std::fflush(stderr);
        dup2(fileno(m_file), 2);
    }
    ~StderrCapture() { std::fclose(m_file); }
    std::string finish()
    {
        std::fflush(stderr);
        dup2(m_saved, 2);
        close(m_saved);
        std::string text;
        std::rewind(m_file);
        for (int c; (c = std::fgetc(m_file)) != EOF;)
            text += static_cast<char>(c);
        return text;
    }

private:
    FILE* m_file;
    int m_saved;
};

TEST(PictureJpeg, RoundTripKeepsSizeAndColours)
{
    // Odd sizes leave partial blocks at the right and bottom edges.
    expectQuadrants(store::DecodeJpeg(store::EncodeJpeg(quadrants(67, 45))), 67, 45);
    EXPECT_TRUE(store::EncodeJpeg(QImage()).isEmpty());

    // Other formats are converted, alpha is blended onto white.
    QImage gray(8, 8, QImage::Format_Grayscale8);
    gray.fill(100);
    expectNear(store::DecodeJpeg(store::EncodeJpeg(gray)), 4, 4, qRgb(100, 100, 100), 3);
    QImage alpha(32, 16, QImage::Format_ARGB32);
    alpha.fill(Qt::transparent);
    for (int y = 0; y < 16; ++y)
        for (int x = 16; x < 32; ++x)
            alpha.setPixel(x, y, qRgba(255, 0, 0, 128));
    const QImage flattened = store::DecodeJpeg(store::EncodeJpeg(alpha));
    expectNear(flattened, 4, 8, kWhite);
    expectNear(flattened, 27, 8, qRgb(255, 127, 127));
}

TEST(PictureJpeg, LowerQualityMakesSmallerFiles)
{
    QImage busy(96, 96, QImage::Format_RGB32);
    for (int y = 0; y < 96; ++y)
        for (int x = 0; x < 96; ++x)
            busy.setPixel(x, y, qRgb((x * 37 + y * 11) % 256, (x * y) % 256, (x ^ y) * 2 % 256));
    const QByteArray low = store::EncodeJpeg(busy, 10), high = store::EncodeJpeg(busy, 95);
    EXPECT_LT(low.size(), high.size() * 2 / 3);
    EXPECT_EQ(store::DecodeJpeg(low).size(), QSize(96, 96));
}

TEST(PictureJpeg, DecodesGrayscaleProgressiveAndCmyk)
{
    const QImage gray = store::DecodeJpeg(libjpegFile(40, 8, JCS_GRAYSCALE, 1, [](int, JSAMPLE* row) {
        for (int x = 0; x < 40; ++x)
            row[x] = x < 20 ? 40 : 200;
    }));
    expectNear(gray, 5, 4, qRgb(40, 40, 40), 3);
    expectNear(gray, 35, 4, qRgb(200, 200, 200), 3);

    expectQuadrants(store::DecodeJpeg(progressiveQuadrants()), 64, 48);

    // Inks per quadrant: cyan, magenta / yellow, half black. Adobe files (the
    // default of libjpeg for CMYK) hold them inverted, files without the Adobe
    // segment as they are, YCCK is converted by libjpeg.
    const auto cmyk = [](bool adobe, J_COLOR_SPACE stored) {
        return libjpegFile(
            32, 32, JCS_CMYK, 4,
            [adobe](int y, JSAMPLE* row) {
                for (int x = 0; x < 32; ++x) {
                    const int quadrant = (y < 16 ? 0 : 2) + (x < 16 ? 0 : 1);
                    JSAMPLE ink[4] = {0, 0, 0, 0};
                    if (quadrant < 3)
                        ink[quadrant] = 255;
                    else
                        ink[3] = 128;
                    for (int i = 0; i < 4; ++i)
                        row[x * 4 + i] = adobe ? JSAMPLE(255 - ink[i]) : ink[i];
                }
            },
            [adobe, stored](jpeg_compress_struct& c) {
                jpeg_set_colorspace(&c, stored);
                c.write_Adobe_marker = adobe ? TRUE : FALSE;
            });
    };
    for (const QByteArray& file : {cmyk(true, JCS_CMYK), cmyk(false, JCS_CMYK), cmyk(true, JCS_YCCK)}) {
        const QImage image = store::DecodeJpeg(file);
        ASSERT_EQ(image.size(), QSize(32, 32));
        expectNear(image, 8, 8, qRgb(0, 255, 255));
        expectNear(image, 24, 8, qRgb(255, 0, 255));
        expectNear(image, 8, 24, qRgb(255, 255, 0));
        expectNear(image, 24, 24, qRgb(127, 127, 127));
    }
}

TEST(PictureJpeg, DamagedDataGivesNullSilently)
{
    const QByteArray sequential = store::EncodeJpeg(quadrants(64, 64));
    const QByteArray progressive = progressiveQuadrants();
    const QImage source = quadrants(64, 64).convertToFormat(QImage::Format_RGB888);
    const QByteArray scanPerComponent = libjpegFile(
        64, 64, JCS_RGB, 3, [&](int y, JSAMPLE* row) { std::copy_n(source.constScanLine(y), 64 * 3, row); },
        [](jpeg_compress_struct& c) {
            static const jpeg_scan_info scans[] = {
                {1, {0}, 0, 63, 0, 0}, {1, {1}, 0, 63, 0, 0}, {1, {2}, 0, 63, 0, 0}};
            c.scan_info = scans;
            c.num_scans = 3;
        });
    expectQuadrants(store::DecodeJpeg(scanPerComponent), 64, 64);
    StderrCapture capture;
    for (const QByteArray& file : {sequential, progressive, scanPerComponent}) {
        // The last cut drops whole scans of the files with several.
        for (const qsizetype cut : {qsizetype(1), qsizetype(3), qsizetype(20), qsizetype(200),
                                    file.size() / 2, file.size() - 20, file.lastIndexOf("\xff\xda")})
            EXPECT_TRUE(store::DecodeJpeg(file.left(cut)).isNull())
                << "cut at " << cut << " of " << file.size();
    }
    // Only the end marker missing: all pixels are there in a sequential file,
    // not in a progressive one. Bytes after the end do not matter.
    expectQuadrants(store::DecodeJpeg(sequential.chopped(2)), 64, 64);
    EXPECT_TRUE(store::DecodeJpeg(progressive.chopped(2)).isNull());
    expectQuadrants(store::DecodeJpeg(sequential + QByteArray(100, 'x')), 64, 64);

    std::mt19937 random(7);
    QByteArray garbage(3000, 0);
    for (char& c : garbage)
        c = static_cast<char>(random());
    EXPECT_TRUE(store::DecodeJpeg(garbage).isNull());
    EXPECT_TRUE(store::DecodeJpeg(QByteArray("\xff\xd8\xff", 3) + garbage).isNull());
    EXPECT_TRUE(store::DecodeJpeg(QByteArray()).isNull());
    EXPECT_TRUE(store::DecodeGif(QByteArray("GIF89a") + garbage).isNull());
    EXPECT_EQ(capture.finish(), "");
}

TEST(PictureJpeg, RefusesHugePicturesAndEndlessScans)
{
    EXPECT_EQ(store::DecodeJpeg(grayJpeg(16384, 8)).size(), QSize(16384, 8));
    EXPECT_TRUE(store::DecodeJpeg(grayJpeg(16385, 8)).isNull());
    EXPECT_TRUE(store::DecodeJpeg(grayJpeg(8200, 8200)).isNull()); // above 64 MP

    // One scan per coefficient, refined in three or four steps: 190 scans decode, 253 do not.
    for (const int steps : {3, 4}) {
        std::vector<jpeg_scan_info> scans{{1, {0}, 0, 0, 0, 0}};
        for (int k = 1; k < 64; ++k) {
            scans.push_back({1, {0}, k, k, 0, steps - 1});
            for (int bit = steps - 1; bit > 0; --bit)
                scans.push_back({1, {0}, k, k, bit, bit - 1});
        }
        const QImage image = store::DecodeJpeg(grayJpeg(16, 16, [&](jpeg_compress_struct& c) {
            c.scan_info = scans.data();
            c.num_scans = static_cast<int>(scans.size());
        }));
        EXPECT_EQ(image.isNull(), steps == 4) << scans.size() << " scans";
    }
}

// A GIF built with giflib; pixels are row by row, also for interlaced frames.
struct GifFrame {
    int left, top, width, height;
    std::vector<GifPixelType> pixels;
    std::vector<GifColorType> colours = {}; // the local colour map, if any
    int transparent = -1;                   // with a graphic control block before the frame when >= 0
    bool interlaced = false;
};

ColorMapObject* colourMap(std::vector<GifColorType> colours)
{
    int size = 2;
    while (size < static_cast<int>(colours.size()))
        size *= 2;
    colours.resize(static_cast<size_t>(size), GifColorType{0, 0, 0});
    return GifMakeMapObject(size, colours.data());
}

QByteArray makeGif(int width, int height, const std::vector<GifColorType>& global,
                   const std::vector<GifFrame>& frames)
{
    QByteArray bytes;
    int error = 0;
    GifFileType* gif = EGifOpen(
        &bytes,
        [](GifFileType* g, const GifByteType* data, int length) {
            static_cast<QByteArray*>(g->UserData)->append(reinterpret_cast<const char*>(data), length);
            return length;
        },
        &error);
    EGifSetGifVersion(gif, true);
    ColorMapObject* globalMap = global.empty() ? nullptr : colourMap(global);
    EXPECT_EQ(EGifPutScreenDesc(gif, width, height, 8, 1, globalMap), GIF_OK);
    GifFreeMapObject(globalMap);
    for (const GifFrame& frame : frames) {
        if (frame.transparent >= 0) {
            const GraphicsControlBlock control{DISPOSAL_UNSPECIFIED, false, 0, frame.transparent};
            GifByteType block[4];
            EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE,
                             static_cast<int>(EGifGCBToExtension(&control, block)), block);
        }
        ColorMapObject* localMap = frame.colours.empty() ? nullptr : colourMap(frame.colours);
        EXPECT_EQ(EGifPutImageDesc(gif, frame.left, frame.top, frame.width, frame.height, frame.interlaced,
                                   localMap),
                  GIF_OK);
        GifFreeMapObject(localMap);
        std::vector<int> rows;
        for (const auto& [first, step] :
             frame.interlaced ? std::vector<std::pair<int, int>>{{0, 8}, {4, 8}, {2, 4}, {1, 2}}
                              : std::vector<std::pair<int, int>>{{0, 1}})
            for (int row = first; row < frame.height; row += step)
                rows.push_back(row);
        std::vector<GifPixelType> pixels = frame.pixels;
        for (const int row : rows)
            EXPECT_EQ(EGifPutLine(gif, pixels.data() + row * frame.width, frame.width), GIF_OK);
    }
    EGifCloseFile(gif, &error);
    return bytes;
}

std::vector<GifPixelType> filled(int count, GifPixelType index)
{
    return std::vector<GifPixelType>(static_cast<size_t>(count), index);
}

// The same file with its global colour table cut to the given number of entries (0: none).
QByteArray withGlobalTable(QByteArray gif, int entries)
{
    const int flags = static_cast<unsigned char>(gif[10]);
    const int oldSize = 3 * (2 << (flags & 7));
    gif.remove(13, oldSize);
    if (entries == 0) {
        gif[10] = static_cast<char>(flags & 0x70);
    } else {
        gif.insert(13, QByteArray(3 * entries, '\x10'));
        gif[10] = static_cast<char>((flags & 0xf8) | (std::countr_zero(unsigned(entries)) - 1));
    }
    return gif;
}

const GifColorType kGifRed{255, 0, 0}, kGifGreen{0, 255, 0}, kGifBlue{0, 0, 255}, kGifBlack{0, 0, 0};

TEST(PictureGif, FirstFrameOnAWhiteScreen)
{
    // The background colour index (1, blue) is not used for the uncovered area.
    const QImage offset =
        store::DecodeGif(makeGif(20, 12, {kGifRed, kGifBlue}, {{10, 3, 5, 4, filled(20, 0)}}));
    ASSERT_EQ(offset.size(), QSize(20, 12));
    EXPECT_EQ(offset.format(), QImage::Format_RGB32);
    for (const auto& [x, y] : {std::pair{10, 3}, {14, 6}})
        EXPECT_EQ(offset.pixel(x, y), kRed) << x << "," << y;
    for (const auto& [x, y] : {std::pair{9, 3}, {15, 3}, {10, 2}, {10, 7}, {0, 0}})
        EXPECT_EQ(offset.pixel(x, y), kWhite) << x << "," << y;

    // The local map wins; the first control block makes index 2 transparent;
    // the second frame and its control block are ignored.
    std::vector<GifPixelType> pixels = filled(16, 1);
    pixels[5] = 2;
    const QImage first = store::DecodeGif(makeGif(4, 4, {kGifBlack, kGifGreen, kGifBlack},
                                                  {{0, 0, 4, 4, pixels, {kGifBlack, kGifRed, kGifBlack}, 2},
                                                   {0, 0, 4, 4, filled(16, 0), {kGifBlue}, 1}}));
    ASSERT_EQ(first.size(), QSize(4, 4));
    EXPECT_EQ(first.pixel(0, 0), kRed);
    EXPECT_EQ(first.pixel(1, 1), kWhite);
}

TEST(PictureGif, InterlacedAndClippedFrames)
{
    std::vector<GifColorType> shades;
    std::vector<GifPixelType> rows;
    for (int y = 0; y < 11; ++y) {
        shades.push_back({GifByteType(y * 20), GifByteType(255 - y * 20), 0});
        rows.insert(rows.end(), 3, GifPixelType(y));
    }
    const QImage interlaced = store::DecodeGif(makeGif(3, 11, shades, {{0, 0, 3, 11, rows, {}, -1, true}}));
    ASSERT_EQ(interlaced.size(), QSize(3, 11));
    for (int y = 0; y < 11; ++y)
        EXPECT_EQ(interlaced.pixel(1, y), qRgb(y * 20, 255 - y * 20, 0)) << "row " << y;

    const QImage clipped = store::DecodeGif(makeGif(10, 10, {kGifRed}, {{6, 5, 8, 8, filled(64, 0)}}));
    ASSERT_EQ(clipped.size(), QSize(10, 10));
    EXPECT_EQ(clipped.pixel(9, 9), kRed);
    EXPECT_EQ(clipped.pixel(6, 5), kRed);
    EXPECT_EQ(clipped.pixel(5, 5), kWhite);
    const QImage outside = store::DecodeGif(makeGif(10, 10, {kGifRed}, {{12, 0, 4, 4, filled(16, 0)}}));
    ASSERT_EQ(outside.size(), QSize(10, 10));
    EXPECT_EQ(outside.pixel(9, 0), kWhite);

    // A screen of size zero takes the frame's extent.
    QByteArray zeroScreen = makeGif(10, 10, {kGifRed}, {{2, 1, 4, 4, filled(16, 0)}});
    zeroScreen.replace(6, 4, QByteArray(4, '\0'));
    EXPECT_EQ(store::DecodeGif(zeroScreen).size(), QSize(6, 5));
}

TEST(PictureGif, MissingColoursDamageAndHugeScreens)
{
    const QByteArray plain = makeGif(8, 8, {kGifRed, kGifBlue}, {{0, 0, 8, 8, filled(64, 1)}});
    ASSERT_EQ(store::DecodeGif(plain).pixel(3, 3), kBlue);
    EXPECT_TRUE(store::DecodeGif(withGlobalTable(plain, 0)).isNull());

    // Index 200 with a table of two colours leaves the canvas as it is.
    std::vector<GifColorType> many(256, kGifBlack);
    const QImage beyond =
        store::DecodeGif(withGlobalTable(makeGif(4, 4, many, {{0, 0, 4, 4, filled(16, 200)}}), 2));
    ASSERT_EQ(beyond.size(), QSize(4, 4));
    EXPECT_EQ(beyond.pixel(2, 2), kWhite);

    StderrCapture capture;
    for (const qsizetype cut :
         {qsizetype(5), qsizetype(12), qsizetype(20), plain.size() - 6, plain.size() - 3})
        EXPECT_TRUE(store::DecodeGif(plain.left(cut)).isNull()) << "cut at " << cut << " of " << plain.size();
    EXPECT_EQ(capture.finish(), "");

    EXPECT_EQ(store::DecodeGif(makeGif(16384, 1, {kGifRed}, {{0, 0, 1, 1, {0}}})).size(), QSize(16384, 1));
    EXPECT_TRUE(store::DecodeGif(makeGif(16385, 1, {kGifRed}, {{0, 0, 1, 1, {0}}})).isNull());
    EXPECT_TRUE(store::DecodeGif(makeGif(8200, 8200, {kGifRed}, {{0, 0, 1, 1, {0}}})).isNull());
}

TEST(PictureFiles, ReadByContentNotByName)
{
    testsupport::ScratchDir dir;
    const auto write = [&](const QString& name, const QByteArray& bytes) {
        QFile file(dir.file(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return dir.file(name);
    };
    const QByteArray jpeg = store::EncodeJpeg(quadrants(40, 30));
    expectQuadrants(store::ReadPictureFile(write(QStringLiteral("Image1_0.gif"), jpeg)), 40, 30);
    const QByteArray gif = makeGif(5, 5, {kGifGreen}, {{0, 0, 5, 5, filled(25, 0)}});
    EXPECT_EQ(store::ReadPictureFile(write(QStringLiteral("Image1_1.jpg"), gif)).pixel(2, 2), kGreen);
    EXPECT_TRUE(store::ReadPictureFile(write(QStringLiteral("text.jpg"), "not a picture")).isNull());
    EXPECT_TRUE(store::ReadPictureFile(dir.file(QStringLiteral("missing.jpg"))).isNull());
    EXPECT_TRUE(store::ReadPictureFile(dir.path()).isNull());

    // Bytes after the end marker are ignored, but not past the size limit.
    EXPECT_FALSE(store::ReadPictureFile(write(QStringLiteral("padded.jpg"), jpeg + QByteArray(1 << 20, '\0')))
                     .isNull());
    EXPECT_TRUE(store::ReadPictureFile(write(QStringLiteral("huge.jpg"), jpeg + QByteArray(32 << 20, '\0')))
                    .isNull());
}

TEST(PictureFiles, WriteReplacesWholeOrNotAtAll)
{
    testsupport::ScratchDir dir;
    const QString path = dir.file(QStringLiteral("Image3_0.jpg"));
    ASSERT_TRUE(store::WriteJpegFile(path, QImage(10, 10, QImage::Format_RGB32)));
    ASSERT_TRUE(store::WriteJpegFile(path, quadrants(48, 32)));
    expectQuadrants(store::ReadPictureFile(path), 48, 32);
    EXPECT_EQ(dir.listFiles(), QStringList{QStringLiteral("Image3_0.jpg")});

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();
    EXPECT_FALSE(store::WriteJpegFile(path, QImage()));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), before);

    const QString folder = dir.file(QStringLiteral("Image4_0.jpg"));
    ASSERT_TRUE(QDir().mkdir(folder));
    ASSERT_TRUE(QFile(folder + QStringLiteral("/inside")).open(QIODevice::WriteOnly));
    EXPECT_FALSE(store::WriteJpegFile(folder, quadrants(8, 8)));
    EXPECT_TRUE(QFileInfo(folder + QStringLiteral("/inside")).isFile());

    EXPECT_FALSE(store::WriteJpegFile(dir.file(QStringLiteral("no/such/Image5_0.jpg")), quadrants(8, 8)));
    EXPECT_FALSE(QFileInfo::exists(dir.file(QStringLiteral("no"))));
}

TEST(PictureFuzz, FlippedBytesNeverCrashOrPrint)
{
    const std::vector<QByteArray> seeds = {
        store::EncodeJpeg(quadrants(48, 40)), progressiveQuadrants(),
        makeGif(12, 12, {kGifRed, kGifBlue}, {{2, 2, 9, 9, filled(81, 1), {kGifGreen, kGifRed}, 0, true}})};
    std::mt19937 random(20240601);
    int decoded = 0, refused = 0;
    StderrCapture capture;
    for (int round = 0; round < 1500; ++round) {
        QByteArray bytes = seeds[static_cast<size_t>(round) % seeds.size()];
        for (int flips = 1 + static_cast<int>(random() % 4); flips > 0; --flips)
            bytes[static_cast<qsizetype>(random() % static_cast<unsigned>(bytes.size()))] ^=
                static_cast<char>(1 + random() % 255);
        if (random() % 4 == 0)
            bytes.truncate(static_cast<qsizetype>(random() % static_cast<unsigned>(bytes.size())));
        const QImage image = round % seeds.size() == 2 ? store::DecodeGif(bytes) : store::DecodeJpeg(bytes);
        ++(image.isNull() ? refused : decoded);
    }
    EXPECT_EQ(capture.finish(), "");
    // Both outcomes occur, so the flips neither always miss nor always break the files.
    EXPECT_GT(decoded, 0);
    EXPECT_GT(refused, 0);
}

} // namespace
