#pragma once

#include "retrieval/FetchPage.h"
#include "retrieval/ScrapeContext.h"
#include "store/WatchListModel.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <memory>

namespace retrieval {

// Downloads the item picture of an auction being registered into its slot. The transfer
// has a libcurl handle of its own, so the item-page client keeps its connection and
// cookies to itself. Blocks the caller.
class SlotPictureDownloader final : public SlotImageDownloader {
public:
    static constexpr std::size_t MaxPictureBytes = 8 * 1024 * 1024;
    // A picture wider or taller than this counts as not downloaded.
    static constexpr int MaxPictureSide = 10000;

    // dataDir is the data folder, with its trailing "/".
    SlotPictureDownloader(store::WatchListModel& model, const QString& dataDir,
                          const FetchOptions& options = {});
    ~SlotPictureDownloader() override;
    SlotPictureDownloader(const SlotPictureDownloader&) = delete;
    SlotPictureDownloader& operator=(const SlotPictureDownloader&) = delete;

    // A failed transfer, a non-2xx status, a body over MaxPictureBytes, a picture that
    // does not decode or is too large: false, and neither the slot nor fileName changes.
    // A ".jpg" target keeps the downloaded JPEG as the slot's picture file; any other
    // target is only a name, and the picture reaches the data folder at the next save.
    bool DownloadSlotImage(const QString& url, const QString& fileName, int row, int komoku) override;

private:
    struct State;
    // The body of a 2xx response; empty on any failure.
    QByteArray Download(const QString& url);

    store::WatchListModel& m_model;
    QString m_dataDir;
    std::unique_ptr<State> m_state;
};

} // namespace retrieval
