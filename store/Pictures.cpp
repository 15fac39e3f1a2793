#include "store/Pictures.h"

#include "store/WholeFile.h"

#include <QFile>
#include <QSaveFile>
#include <QSysInfo>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include <gif_lib.h>
#include <jpeglib.h>
// After jpeglib.h, whose configuration decides which messages exist.
#include <jerror.h>

#if !defined(JCS_EXTENSIONS) || !defined(JCS_ALPHA_EXTENSIONS)
#error "libjpeg-turbo with its extended colour spaces is needed"
#endif

namespace store {

namespace {

// Pictures come from web pages and from the data folder, so they are treated as
// hostile: nothing larger than this is decoded, which bounds the memory a file
// can make us allocate (64 MP is 256 MiB as RGB32).
constexpr int kMaxSide = 16384;
constexpr qint64 kMaxPixels = qint64(1) << 26;
constexpr qint64 kMaxFileSize = qint64(32) << 20;

// A damaged progressive JPEG can hold thousands of scans, each one a pass over
// the whole picture. Encoders write about ten; even one scan per coefficient
// and component of a colour picture stays below this.
constexpr int kMaxJpegScans = 200;

// What shows where a GIF leaves the canvas uncovered or transparent, and what
// an alpha channel is blended onto before JPEG encoding. The stored pictures
// are opaque JPEG thumbnails shown like the item pages they come from, which
// are white; the GIF background colour index is ignored, as browsers do.
constexpr QRgb kBackground = 0xffffffffu;

bool withinLimits(qint64 width, qint64 height)
{
    return width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide && width * height <= kMaxPixels;
}

// ---------------------------------------------------------------------------
// libjpeg plumbing. libjpeg reports errors by calling error_exit, which must not
// return; ours jumps back to the setjmp in runDecompress/runCompress. Those
// functions only hold pointers to state owned by their callers, so the jump
// skips no destructor and reads no local changed since setjmp.

struct JpegErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    bool reachedEnd; // the data ran out and libjpeg made up an end marker
};

JpegErrorManager* errorManager(j_common_ptr cinfo)
{
    return reinterpret_cast<JpegErrorManager*>(cinfo->err);
}

[[noreturn]] void jumpOut(j_common_ptr cinfo)
{
    std::longjmp(errorManager(cinfo)->jump, 1);
}

[[noreturn]] void failWith(j_common_ptr cinfo, int code)
{
    cinfo->err->msg_code = code;
    cinfo->err->error_exit(cinfo);
    std::abort(); // error_exit never returns
}

void printNothing(j_common_ptr) {}

// Warnings that mean the entropy-coded data is damaged or cut short end the
// decoding; the rest (unknown JFIF revision, stray bytes between markers, bad
// ICC data) do not affect the pixels and are ignored. Running out of data is
// only noted here: if every pixel was decoded by then, merely the end marker was
// missing, which happens with files saved by careless programs.
void judgeWarning(j_common_ptr cinfo, int level)
{
    if (level >= 0)
        return; // trace messages
    switch (cinfo->err->msg_code) {
    case JWRN_JPEG_EOF:
        errorManager(cinfo)->reachedEnd = true;
        return;
    case JWRN_HIT_MARKER:
    case JWRN_MUST_RESYNC:
    case JWRN_NOT_SEQUENTIAL:
    case JWRN_BOGUS_PROGRESSION:
    case JWRN_HUFF_BAD_CODE:
    case JWRN_ARITH_BAD_CODE:
        jumpOut(cinfo);
    default:
        return;
    }
}

void installErrorManager(JpegErrorManager& error)
{
    jpeg_std_error(&error.pub);
    error.pub.error_exit = jumpOut;
    error.pub.emit_message = judgeWarning;
    error.pub.output_message = printNothing;
    error.reachedEnd = false;
}

void limitScans(j_common_ptr cinfo)
{
    if (cinfo->is_decompressor &&
        reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxJpegScans)
        failWith(cinfo, JERR_NOTIMPL);
}

struct JpegDecoding {
    jpeg_decompress_struct cinfo;
    JpegErrorManager error;
    jpeg_progress_mgr progress;
};

// Adobe applications, which write nearly all CMYK JPEGs, store the inks
// inverted (255 = no ink) and mark the file with an Adobe segment.
void cmykRowToRgb(const JSAMPLE* in, QRgb* out, JDIMENSION width, bool inverted)
{
    for (JDIMENSION x = 0; x < width; ++x, in += 4) {
        int c = in[0], m = in[1], y = in[2], k = in[3];
        if (!inverted) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        out[x] = qRgb((c * k + 127) / 255, (m * k + 127) / 255, (y * k + 127) / 255);
    }
}

bool runDecompress(JpegDecoding* d, const QByteArray* bytes, QImage* image)
{
    if (setjmp(d->error.jump))
        return false;

    j_decompress_ptr cinfo = &d->cinfo;
    jpeg_CreateDecompress(cinfo, JPEG_LIB_VERSION, sizeof(jpeg_decompress_struct));
    d->progress.progress_monitor = limitScans;
    cinfo->progress = &d->progress;
    jpeg_mem_src(cinfo, reinterpret_cast<const unsigned char*>(bytes->constData()),
                 static_cast<unsigned long>(bytes->size()));
    jpeg_read_header(cinfo, TRUE);
    if (!withinLimits(cinfo->image_width, cinfo->image_height))
        return false;

    bool cmyk = false;
    switch (cinfo->jpeg_color_space) {
    case JCS_GRAYSCALE:
    case JCS_YCbCr:
    case JCS_RGB:
        // Straight into the QRgb words of Format_RGB32, alpha set to 0xff.
        cinfo->out_color_space = QSysInfo::ByteOrder == QSysInfo::LittleEndian ? JCS_EXT_BGRA : JCS_EXT_ARGB;
        break;
    case JCS_CMYK:
    case JCS_YCCK:
        cinfo->out_color_space = JCS_CMYK;
        cmyk = true;
        break;
    default:
        return false;
    }

    jpeg_start_decompress(cinfo);
    // A file of several scans has been read whole by now; a cut in one of them
    // leaves components or details missing, not just the end marker.
    if (d->error.reachedEnd && jpeg_has_multiple_scans(cinfo))
        return false;

    *image = QImage(static_cast<int>(cinfo->output_width), static_cast<int>(cinfo->output_height),
                    QImage::Format_RGB32);
    if (image->isNull())
        return false;
    uchar* const bits = image->bits();
    const qsizetype stride = image->bytesPerLine();
    JSAMPARRAY cmykRow = nullptr;
    if (cmyk)
        cmykRow = cinfo->mem->alloc_sarray(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE,
                                           cinfo->output_width * 4, 1);

    while (cinfo->output_scanline < cinfo->output_height) {
        uchar* const line = bits + stride * cinfo->output_scanline;
        JSAMPROW row = cmyk ? cmykRow[0] : line;
        if (jpeg_read_scanlines(cinfo, &row, 1) != 1)
            return false;
        if (cmyk)
            cmykRowToRgb(cmykRow[0], reinterpret_cast<QRgb*>(line), cinfo->output_width,
                         cinfo->saw_Adobe_marker);
    }
    jpeg_finish_decompress(cinfo);
    return true;
}

// The encoder's output grows in a malloc'ed buffer owned by JpegEncoding, so
// that an error in the middle leaks nothing.
struct JpegSink {
    jpeg_destination_mgr pub;
    unsigned char* data;
    size_t capacity;
    size_t size;
};

JpegSink* sinkOf(j_compress_ptr cinfo)
{
    return reinterpret_cast<JpegSink*>(cinfo->dest);
}

void startSink(j_compress_ptr cinfo)
{
    JpegSink* sink = sinkOf(cinfo);
    sink->capacity = 64 * 1024;
    sink->data = static_cast<unsigned char*>(std::malloc(sink->capacity));
    if (!sink->data)
        failWith(reinterpret_cast<j_common_ptr>(cinfo), JERR_OUT_OF_MEMORY);
    sink->pub.next_output_byte = sink->data;
    sink->pub.free_in_buffer = sink->capacity;
}

boolean growSink(j_compress_ptr cinfo)
{
    // Called with the whole buffer full.
    JpegSink* sink = sinkOf(cinfo);
    const size_t used = sink->capacity;
    void* bigger = std::realloc(sink->data, sink->capacity * 2);
    if (!bigger)
        failWith(reinterpret_cast<j_common_ptr>(cinfo), JERR_OUT_OF_MEMORY);
    sink->data = static_cast<unsigned char*>(bigger);
    sink->capacity *= 2;
    sink->pub.next_output_byte = sink->data + used;
    sink->pub.free_in_buffer = sink->capacity - used;
    return TRUE;
}

void finishSink(j_compress_ptr cinfo)
{
    JpegSink* sink = sinkOf(cinfo);
    sink->size = sink->capacity - sink->pub.free_in_buffer;
}

struct JpegEncoding {
    jpeg_compress_struct cinfo;
    JpegErrorManager error;
    JpegSink sink;
};

bool runCompress(JpegEncoding* e, const QImage* rgb, int quality)
{
    if (setjmp(e->error.jump))
        return false;

    j_compress_ptr cinfo = &e->cinfo;
    jpeg_CreateCompress(cinfo, JPEG_LIB_VERSION, sizeof(jpeg_compress_struct));
    e->sink.pub.init_destination = startSink;
    e->sink.pub.empty_output_buffer = growSink;
    e->sink.pub.term_destination = finishSink;
    cinfo->dest = &e->sink.pub;
    cinfo->image_width = static_cast<JDIMENSION>(rgb->width());
    cinfo->image_height = static_cast<JDIMENSION>(rgb->height());
    cinfo->input_components = 3;
    cinfo->in_color_space = JCS_RGB;
    jpeg_set_defaults(cinfo);
    jpeg_set_quality(cinfo, quality, TRUE); // baseline tables even at low quality
    cinfo->optimize_coding = TRUE;
    jpeg_start_compress(cinfo, TRUE);
    while (cinfo->next_scanline < cinfo->image_height) {
        // libjpeg only reads the rows it is given.
        JSAMPROW row = const_cast<JSAMPLE*>(rgb->constScanLine(static_cast<int>(cinfo->next_scanline)));
        jpeg_write_scanlines(cinfo, &row, 1);
    }
    jpeg_finish_compress(cinfo);
    return true;
}

// RGB888 for the encoder; an alpha channel is blended onto the background.
QImage opaqueRgb888(const QImage& image)
{
    if (!image.hasAlphaChannel())
        return image.convertToFormat(QImage::Format_RGB888);
    const QImage premultiplied = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QImage result(image.size(), QImage::Format_RGB888);
    if (premultiplied.isNull() || result.isNull())
        return {};
    const int back[3] = {qRed(kBackground), qGreen(kBackground), qBlue(kBackground)};
    for (int y = 0; y < result.height(); ++y) {
        const QRgb* in = reinterpret_cast<const QRgb*>(premultiplied.constScanLine(y));
        uchar* out = result.scanLine(y);
        for (int x = 0; x < result.width(); ++x) {
            const int uncovered = 255 - qAlpha(in[x]);
            out[3 * x] = static_cast<uchar>(qRed(in[x]) + (back[0] * uncovered + 127) / 255);
            out[3 * x + 1] = static_cast<uchar>(qGreen(in[x]) + (back[1] * uncovered + 127) / 255);
            out[3 * x + 2] = static_cast<uchar>(qBlue(in[x]) + (back[2] * uncovered + 127) / 255);
        }
    }
    return result;
}

// ---------------------------------------------------------------------------
// giflib, read record by record up to the first frame only.

struct GifSource {
    const GifByteType* data;
    size_t size;
    size_t position;
};

int readGifBytes(GifFileType* gif, GifByteType* buffer, int length)
{
    auto* source = static_cast<GifSource*>(gif->UserData);
    if (length <= 0)
        return 0;
    const size_t count = std::min(static_cast<size_t>(length), source->size - source->position);
    std::memcpy(buffer, source->data + source->position, count);
    source->position += count;
    return static_cast<int>(count);
}

struct GifCloser {
    void operator()(GifFileType* gif) const
    {
        int error = 0;
        DGifCloseFile(gif, &error);
    }
};
using GifHandle = std::unique_ptr<GifFileType, GifCloser>;

QImage readFirstGifFrame(GifFileType* gif, int transparentIndex)
{
    if (DGifGetImageDesc(gif) == GIF_ERROR)
        return {};
    const GifImageDesc& frame = gif->Image;
    const ColorMapObject* colours = frame.ColorMap ? frame.ColorMap : gif->SColorMap;
    if (!colours || !colours->Colors || colours->ColorCount <= 0)
        return {};
    if (!withinLimits(frame.Width, frame.Height))
        return {};
    // A screen of zero size, written by some old encoders, takes the frame's extent.
    const int width = gif->SWidth > 0 ? gif->SWidth : frame.Left + frame.Width;
    const int height = gif->SHeight > 0 ? gif->SHeight : frame.Top + frame.Height;
    if (!withinLimits(width, height))
        return {};

    QImage canvas(width, height, QImage::Format_RGB32);
    if (canvas.isNull())
        return {};
    canvas.fill(kBackground);

    // Interlaced frames send every 8th row from 0, every 8th from 4, every 4th
    // from 2, then the odd rows.
    struct Pass {
        int first, step;
    };
    static constexpr Pass kSequential[] = {{0, 1}};
    static constexpr Pass kInterlaced[] = {{0, 8}, {4, 8}, {2, 4}, {1, 2}};
    const Pass* const passes = frame.Interlace ? kInterlaced : kSequential;
    const int passCount = frame.Interlace ? 4 : 1;

    const int visible = std::min(frame.Width, width - frame.Left); // columns left of the screen's edge
    std::vector<GifPixelType> line(static_cast<size_t>(frame.Width));
    for (int pass = 0; pass < passCount; ++pass) {
        for (int row = passes[pass].first; row < frame.Height; row += passes[pass].step) {
            if (DGifGetLine(gif, line.data(), frame.Width) == GIF_ERROR)
                return {};
            const int y = frame.Top + row;
            if (y >= height)
                continue; // below the screen
            QRgb* out = reinterpret_cast<QRgb*>(canvas.scanLine(y));
            for (int x = 0; x < visible; ++x) {
                const int index = line[static_cast<size_t>(x)];
                if (index == transparentIndex || index >= colours->ColorCount)
                    continue;
                const GifColorType& c = colours->Colors[index];
                out[frame.Left + x] = qRgb(c.Red, c.Green, c.Blue);
            }
        }
    }
    return canvas;
}

} // namespace

QImage DecodeJpeg(const QByteArray& bytes)
{
    if (bytes.isEmpty())
        return {};
    JpegDecoding decoding{};
    installErrorManager(decoding.error);
    decoding.cinfo.err = &decoding.error.pub;
    QImage image;
    const bool decoded = runDecompress(&decoding, &bytes, &image);
    jpeg_destroy_decompress(&decoding.cinfo);
    return decoded ? image : QImage();
}

QByteArray EncodeJpeg(const QImage& image, int quality)
{
    if (image.isNull())
        return {};
    const QImage rgb = opaqueRgb888(image);
    if (rgb.isNull())
        return {};
    JpegEncoding encoding{};
    installErrorManager(encoding.error);
    encoding.cinfo.err = &encoding.error.pub;
    const bool encoded = runCompress(&encoding, &rgb, std::clamp(quality, 1, 100));
    jpeg_destroy_compress(&encoding.cinfo);
    QByteArray result;
    if (encoded)
        result = QByteArray(reinterpret_cast<const char*>(encoding.sink.data),
                            static_cast<qsizetype>(encoding.sink.size));
    std::free(encoding.sink.data);
    return result;
}

QImage DecodeGif(const QByteArray& bytes)
{
    GifSource source{reinterpret_cast<const GifByteType*>(bytes.constData()),
                     static_cast<size_t>(bytes.size()), 0};
    int error = 0;
    GifHandle gif(DGifOpen(&source, readGifBytes, &error));
    if (!gif)
        return {};

    int transparentIndex = NO_TRANSPARENT_COLOR;
    bool sawControl = false;
    for (;;) {
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif.get(), &type) == GIF_ERROR)
            return {};
        if (type == IMAGE_DESC_RECORD_TYPE)
            return readFirstGifFrame(gif.get(), transparentIndex);
        if (type != EXTENSION_RECORD_TYPE)
            return {}; // the end, or something that is not a GIF record

        int code = 0;
        GifByteType* block = nullptr;
        if (DGifGetExtension(gif.get(), &code, &block) == GIF_ERROR)
            return {};
        if (code == GRAPHICS_EXT_FUNC_CODE && block && !sawControl) {
            // The first graphic control block before the frame is the frame's.
            sawControl = true;
            GraphicsControlBlock control;
            if (DGifExtensionToGCB(block[0], block + 1, &control) == GIF_OK)
                transparentIndex = control.TransparentColor;
        }
        while (block) {
            if (DGifGetExtensionNext(gif.get(), &block) == GIF_ERROR)
                return {};
        }
    }
}

QImage DecodePicture(const QByteArray& bytes)
{
    if (bytes.startsWith("\xff\xd8\xff"))
        return DecodeJpeg(bytes);
    if (bytes.startsWith("GIF87a") || bytes.startsWith("GIF89a"))
        return DecodeGif(bytes);
    return {};
}

QImage ReadPictureFile(const QString& path)
{
    return DecodePicture(ReadPictureBytes(path));
}

QByteArray ReadPictureBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray bytes = file.read(kMaxFileSize + 1);
    if (bytes.size() > kMaxFileSize)
        return {};
    return bytes;
}

bool WriteJpegFile(const QString& path, const QImage& image, int quality)
{
    const QByteArray bytes = EncodeJpeg(image, quality);
    return !bytes.isEmpty() && WriteWholeFile(path, bytes);
}

} // namespace store
