#pragma once

#include "retrieval/FetchPage.h"
#include "store/WatchListModel.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <functional>
#include <memory>

namespace retrieval {

// Downloads of item pictures, one at a time.
class PictureClient {
public:
    // The body of a 2xx response; empty on any failure.
    using Done = std::function<void(QByteArray body)>;
    virtual ~PictureClient() = default;

    // `done` comes once, later, from the event loop; a download still running is cancelled.
    virtual void Download(const QString& url, Done done) = 0;
    // Cancels the download in flight; its `done` is not called.
    virtual void Cancel() = 0;
};

// The picture download of a registration. It has a libcurl handle of its own, so the
// item-page client keeps its connection and cookies to itself; the transfer runs on the
// event loop.
class SlotPictureDownloader final : public PictureClient {
public:
    static constexpr std::size_t MaxPictureBytes = 8 * 1024 * 1024;

    explicit SlotPictureDownloader(const FetchOptions& options = {});
    ~SlotPictureDownloader() override;
    SlotPictureDownloader(const SlotPictureDownloader&) = delete;
    SlotPictureDownloader& operator=(const SlotPictureDownloader&) = delete;

    void Download(const QString& url, Done done) override;
    void Cancel() override;

private:
    struct State;
    std::unique_ptr<State> m_state;
};

// A picture wider or taller than this counts as not downloaded.
inline constexpr int MaxPictureSide = 10000;

// Puts a downloaded picture into the slot (row 1 to 10) of category komoku. Bytes that do
// not decode, or a picture that is too large: false, and neither the slot nor fileName
// changes. A ".jpg" target keeps the downloaded JPEG as the slot's picture file; any other
// target is only a name, and the picture reaches the data folder at the next save. dataDir
// is the data folder, with its trailing "/".
bool PutSlotPicture(store::WatchListModel& model, const QString& dataDir, const QByteArray& bytes,
                    const QString& fileName, int row, int komoku);

} // namespace retrieval
