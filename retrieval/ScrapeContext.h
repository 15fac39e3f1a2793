#pragma once

#include "platform/Dialogs.h"
#include "platform/WindowView.h"
#include "shell/Schedule.h"
#include "shell/TrayNotices.h"
#include "store/WatchListModel.h"

#include <QDateTime>
#include <QString>

namespace retrieval {

// Downloads an item picture into a slot (the pictures side implements it).
class SlotImageDownloader {
public:
    virtual ~SlotImageDownloader() = default;

    // Downloads url into fileName and puts the picture into the slot (row 1 to 10) of
    // category komoku; true when the slot got its picture.
    virtual bool DownloadSlotImage(const QString& url, const QString& fileName, int row, int komoku) = 0;
};

// Everything a scrape reads and changes besides the page itself.
struct ScrapeContext {
    store::WatchListModel& Model;
    // The resident side's schedule, with its copy of the settings (lead time, balloons).
    shell::Schedule& Schedule;
    // The data folder, with its trailing "/".
    QString DataDir;
    QDateTime Now;
    bool StartingUp = false;
    // Whether a price changed, and the last balloon's text.
    shell::PriceNotice& Notice;
    // The tray's hint and balloons.
    shell::TrayNotices& Tray;
    platform::WindowView& Window;
    platform::Dialogs& Dialogs;
    SlotImageDownloader& Pictures;
};

// How a scrape or an end-of-auction update ended. An error (an end date that does not
// encode, a category file that cannot be written) leaves at once; what was written
// before it stays, in the model and in the file.
struct ScrapeResult {
    bool Ok = true;
    QString Error;
    // The page arrived whole but showed none of the price, buy-it-now price, bid count, end
    // time or ended notice: the site's layout no longer matches what the scraper looks for.
    bool Unread = false;

    static ScrapeResult Failed(const QString& text) { return {false, text}; }
};

// Whether the model and the schedule both hold the slot (category komoku, row 1 to 10).
bool HasSlot(const ScrapeContext& context, int komoku, int row);

// The error texts.
QString NoSuchSlotMessage();
QString InvalidEndTimeMessage();

} // namespace retrieval
