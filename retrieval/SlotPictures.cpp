#include "retrieval/SlotPictures.h"

#include "platform/linux/CurlMulti.h"
#include "platform/linux/CurlSetup.h"
#include "store/Pictures.h"
#include "store/WholeFile.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTimer>

#include <curl/curl.h>

namespace retrieval {

using namespace Qt::StringLiterals;

namespace {

constexpr char AcceptHeader[] = "Accept: image/jpeg,image/gif,image/*;q=0.8,*/*;q=0.5";
constexpr char PragmaHeader[] = "Pragma: no-cache";

std::size_t receive(char* data, std::size_t size, std::size_t count, void* body)
{
    auto* bytes = static_cast<QByteArray*>(body);
    const std::size_t length = size * count;
    // Chunked bodies carry no length that CURLOPT_MAXFILESIZE could refuse up front.
    if (static_cast<std::size_t>(bytes->size()) + length > SlotPictureDownloader::MaxPictureBytes)
        return 0; // anything but `length` aborts the transfer
    bytes->append(data, static_cast<qsizetype>(length));
    return length;
}

} // namespace

struct SlotPictureDownloader::State : platform::CurlTransfer {
    using CurlTransfer::CurlTransfer;
};

SlotPictureDownloader::SlotPictureDownloader(const FetchOptions& options)
    : m_state(std::make_unique<State>(options))
{
    // Schemes, certificate checks and time-outs come with the handle.
    CURL* h = m_state->curl.get();
    if (!h)
        return;

    m_state->headers = platform::SetRequestHeaders(h, ProfileUserAgent, {AcceptHeader, PragmaHeader});

    // Picture hosts answer through redirects to their caches.
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, PageFetcher::MaxRedirects);

    curl_easy_setopt(h, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(MaxPictureBytes));
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &receive);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &m_state->body);
}

SlotPictureDownloader::~SlotPictureDownloader() = default;

void SlotPictureDownloader::Download(const QString& url, Done done)
{
    Cancel();
    CURL* h = m_state->curl.get();
    m_state->body.clear();
    m_state->address = url.toUtf8();
    m_state->curl.SetUrl(m_state->address);
    const auto callback = std::make_shared<Done>(std::move(done));
    const bool started = h && m_state->multi.Start(h, [this, h, callback](CURLcode code) {
        long status = 0;
        curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
        QByteArray body = std::move(m_state->body);
        m_state->body = QByteArray();
        if (code != CURLE_OK || status < 200 || status > 299)
            body.clear();
        (*callback)(body);
    });
    if (!started)
        QTimer::singleShot(0, m_state->deferred.get(), [callback] { (*callback)({}); });
}

void SlotPictureDownloader::Cancel()
{
    if (CURL* h = m_state->curl.get())
        m_state->multi.Abort(h);
    m_state->deferred = std::make_unique<QObject>();
}

bool PutSlotPicture(store::WatchListModel& model, const QString& dataDir, const QByteArray& bytes,
                    const QString& fileName, int row, int komoku)
{
    if (komoku < 0 || komoku >= static_cast<int>(model.Komokus.size()) || row < 1 ||
        row > store::SlotsPerKomoku)
        return false;

    // Checked whole in memory before anything is written, so that a failure leaves no file.
    const QImage picture = store::DecodePicture(bytes);
    if (picture.isNull() || picture.width() > MaxPictureSide || picture.height() > MaxPictureSide)
        return false;

    store::Slot& slot = model.SlotAt(komoku, row);
    // Without a file of its own the picture waits as its bytes; the save encodes a GIF as the
    // slot's JPEG.
    slot.Picture = store::SlotPicture::FromBytes(bytes, picture);
    slot.PictureExist = true;
    if (!fileName.endsWith(u".jpg"_s)) {
        // A GIF's name is only a stand-in; one left behind by an earlier run goes.
        QFile::remove(fileName);
        return true;
    }
    // Only JPEG bytes may stand as the slot's JPEG file; a GIF served under a ".jpg"
    // address is encoded by the save instead.
    if (bytes.startsWith("\xff\xd8\xff") && QDir().mkpath(dataDir) &&
        store::WriteWholeFile(fileName, bytes)) {
        // The file holds this very picture: the save need not encode it again.
        slot.Picture.StoredIn(fileName);
    }
    return true;
}

} // namespace retrieval
