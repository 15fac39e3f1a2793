#pragma once

#include "platform/ConnectivityProbe.h"
#include "shell/RetrievalCalls.h"
#include "shell/TMiruberoMainForm.h"

#include <QStringList>

#include <optional>
#include <vector>

namespace testsupport {

// Passes that probe, then succeed or fail on demand, as the page retrieval reports them.
class FakeRetrieval final : public shell::PriceCheckRunner, public shell::CellRegistration {
public:
    shell::RunMode Mode() const override { return mode; }
    void RunPriceCheckPass(shell::PassStart start) override
    {
        if (mode != shell::RunMode::Idle)
            return;
        if (start != shell::PassStart::Retry) {
            bool reached = false;
            probe->reach(form->ProbeAddress(), [&reached](bool answer) { reached = answer; });
            form->ProbeAnswered(start, reached);
            if (!reached)
                return;
        }
        log << QStringLiteral("pass");
        if (failing) {
            form->PassFailed();
            return;
        }
        form->PageChecked();
        form->EndKakakuCheck();
    }
    void Stop() override
    {
        ++stops;
        if (mode == shell::RunMode::Pass)
            form->EndKakakuCheck();
        mode = shell::RunMode::Idle;
    }
    std::optional<shell::FetchEntry> TakePendingRegistration() override
    {
        if (pending.empty())
            return std::nullopt;
        const shell::FetchEntry entry = pending.front();
        pending.erase(pending.begin());
        return entry;
    }
    void RegisterFromCell(int komoku, int column, int row, const QString& url) override
    {
        log << QStringLiteral("register %1 %2 %3 %4").arg(komoku).arg(column).arg(row).arg(url);
    }
    int passes() const { return static_cast<int>(log.count(QStringLiteral("pass"))); }

    shell::TMiruberoMainForm* form = nullptr;
    platform::ConnectivityProbe* probe = nullptr;
    bool failing = false;
    // What the retrieval is doing; a test sets it to stand for a pass or a registration on its way.
    shell::RunMode mode = shell::RunMode::Idle;
    std::vector<shell::FetchEntry> pending;
    int stops = 0;
    QStringList log;
};

} // namespace testsupport
