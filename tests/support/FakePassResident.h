#pragma once

#include "shell/PassResident.h"

#include <QStringList>

#include <utility>
#include <vector>

namespace testsupport {

// The resident side as the pass sees it: the schedule and the settings copy, the tray, and the
// monitor's reports, recorded. The retry count follows the monitor's rule: a checked page
// clears it, a failed pass adds one.
class FakePassResident final : public shell::PassResident {
public:
    shell::Schedule& Schedule() override { return schedule; }
    shell::PriceNotice& Notice() override { return notice; }
    bool StartingUp() const override { return startingUp; }
    QString DataDir() const override { return dataDir; }
    QString ProbeAddress() const override { return QStringLiteral("https://auctions.yahoo.co.jp/"); }

    void ProbeAnswered(shell::PassStart, bool reached) override { probes.push_back(reached); }
    void EndKakakuCheck() override { ++ends; }
    void PageChecked() override { retryCount = 0; }
    void PassFailed() override
    {
        ++ends;
        ++failures;
        ++retryCount;
    }
    void PassSkipped() override
    {
        ++skips;
        retryCount = 0;
    }
    void PassStopped() override
    {
        ++stops;
        retryCount = 0;
    }
    void CheckSoon() override { ++soon; }

    void SetTrayHint(const QString& hint) override { hints << hint; }
    void ShowBalloon(const QString& title, const QString& text) override
    {
        balloons.push_back({title, text});
    }

    shell::Schedule schedule;
    shell::PriceNotice notice;
    bool startingUp = false;
    QString dataDir;

    std::vector<bool> probes;
    int ends = 0;
    int failures = 0;
    int skips = 0;
    int stops = 0;
    int soon = 0;
    int retryCount = 0;
    QStringList hints;
    std::vector<std::pair<QString, QString>> balloons;
};

} // namespace testsupport
