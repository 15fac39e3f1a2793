#pragma once

#include "shell/TMiruberoMainForm.h"
#include "watchlist/ResidentSide.h"

namespace watchlist {

// The resident side as the watch-list window's logic sees it.
class ResidentLink final : public ResidentSide {
public:
    explicit ResidentLink(shell::TMiruberoMainForm& form) : m_form(form) {}

    bool StartingUp() const override { return m_form.StartingUp(); }
    bool KakakuChanged() const override { return m_form.Notice().KakakuChanged; }
    void RequestRebuild() override { m_form.RequestRebuild(); }
    void StopMonitor() override { m_form.StopMonitor(); }
    void StartMonitor() override { m_form.StartMonitor(); }
    shell::SlotStatus* Status(int komoku, int slot) override
    {
        shell::Schedule& schedule = m_form.Schedule();
        if (komoku < 0 || komoku >= schedule.KomokuCount() || slot < 0 || slot >= store::SlotsPerKomoku)
            return nullptr;
        return &schedule.At(komoku, slot);
    }
    void SetTrayHint(const QString& hint) override { m_form.SetTrayHint(hint); }
    void WatchListClosed() override { m_form.WatchListClosed(); }
    void EndProgram() override { m_form.E1Click(); }
    QString DataDir() const override { return m_form.DataDir(); }
    QString ExeDir() const override { return m_form.ExeDir(); }

private:
    shell::TMiruberoMainForm& m_form;
};

} // namespace watchlist
