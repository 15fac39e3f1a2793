#pragma once

#include "platform/Dialogs.h"
#include "platform/WindowView.h"
#include "shell/Schedule.h"
#include "shell/TrayNotices.h"
#include "store/WatchListModel.h"

#include <QDateTime>
#include <QString>

#include <vector>

namespace retrieval {

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
    // A registration reads the title and the picture too, and raises no price change.
    bool Registering = false;
};

// A picture a registration's page offers: its address, and the file the slot's picture goes to.
struct PictureCandidate {
    QString Url;
    QString FileName;
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
    // A registration's pictures in the order of the page; the first that downloads is the slot's.
    std::vector<PictureCandidate> Pictures;

    static ScrapeResult Failed(const QString& text)
    {
        ScrapeResult failed;
        failed.Ok = false;
        failed.Error = text;
        return failed;
    }
};

// Whether the model and the schedule both hold the slot (category komoku, row 1 to 10).
bool HasSlot(const ScrapeContext& context, int komoku, int row);

// The error texts.
QString NoSuchSlotMessage();
QString InvalidEndTimeMessage();

} // namespace retrieval
