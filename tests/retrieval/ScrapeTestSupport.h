#pragma once

#include "retrieval/ItemPageScraper.h"
#include "retrieval/ItemPages.h"
#include "store/DayCount.h"
#include "store/IniFile.h"
#include "store/StoredFiles.h"
#include "support/Fakes.h"
#include "support/ScratchDir.h"

#include <QDateTime>
#include <QStringList>

#include <memory>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

namespace scrapetest {

using namespace Qt::StringLiterals;

// Records the tray hints and balloons a scrape asks for.
class RecordingTray final : public shell::TrayNotices {
public:
    void SetTrayHint(const QString& hint) override { hints << hint; }
    void ShowBalloon(const QString& title, const QString& text) override
    {
        balloons.push_back({title, text});
    }

    QStringList hints;
    std::vector<std::pair<QString, QString>> balloons;
};

inline double Day(int y, int mo, int d, int h, int mi)
{
    return *store::EncodeDayCount(y, mo, d, h, mi, 0);
}

class ScrapeTest : public ::testing::Test {
protected:
    ScrapeTest()
    {
        schedule.Komoku.resize(1);
        schedule.Settings.LeadMinutes = 10;
        schedule.Settings.Balloon = true;
        model.Komokus[0].Name = u"カメラ"_s;
        auto& cells = Cells();
        cells[store::ColURL] = ItemUrl();
        cells[store::ColTitle] = u"Nikon F3"_s;
        cells[store::ColKakaku] = u"1,000円"_s;
        cells[store::ColNyusatu] = u"3"_s;
        cells[store::ColMonth] = u"05"_s;
        cells[store::ColDay] = u"12"_s;
        cells[store::ColHour] = u"21"_s;
        cells[store::ColMinute] = u"34"_s;
        model.SlotAt(0, 1).KakakuText = u"1,000円"_s;
        store::IniFile ini(File());
        ini.WriteString(u"1"_s, store::settei::Title, cells[store::ColTitle]);
        ini.WriteString(u"1"_s, store::settei::URL, ItemUrl());
        ini.WriteString(u"1"_s, store::settei::ArarmTime, u"2024/05/12 21:00:00"_s);
        ini.Save();
    }

    std::array<QString, store::ColumnCount>& Cells(int row = 1) { return model.SlotAt(0, row).Cells; }
    shell::ScheduleSlot& Sched(int row = 1) { return schedule.At(0, row - 1); }
    QString File() const { return dir.file(u"Settei0.ini"_s); }
    QString Stored(const QString& key, int row = 1) const
    {
        return store::IniFile(File()).ReadString(QString::number(row), key, u"<none>"_s);
    }

    retrieval::ScrapeResult Scrape(const QByteArray& page, int row = 1, const QString& url = ItemUrl())
    {
        retrieval::ScrapeContext context{model,  schedule, dir.path() + u"/"_s, now, startingUp, notice, tray,
                                         window, dialogs,  registering};
        const auto result = retrieval::ScrapeItemPage(context, markers, page, url, 0, row);
        EXPECT_FALSE(model.Scraping) << "Scraping must be cleared on every way out";
        return result;
    }

    testsupport::ScratchDir dir;
    store::WatchListModel model;
    shell::Schedule schedule;
    QDateTime now{QDate(2024, 5, 10), QTime(12, 0)};
    bool startingUp = false;
    shell::PriceNotice notice;
    RecordingTray tray;
    testsupport::FakeWindowView window;
    testsupport::FakeDialogs dialogs;
    bool registering = false;
    // What the scrape looks for: the built-in markers unless a test reads a page by others.
    retrieval::PageMarkers markers = retrieval::BuiltInPageMarkers();
};

} // namespace scrapetest
