#pragma once

#include "shell/MiruberoMainForm.h"
#include "store/ResidentSide.h"

namespace shell {

// The resident side as the watch-list window's logic sees it.
class ResidentLink final : public store::ResidentSide {
public:
    explicit ResidentLink(TMiruberoMainForm& form) : m_form(form) {}

    bool StartingUp() const override { return m_form.StartingUp; }
    bool KakakuChanged() const override { return m_form.KakakuChanged; }
    void RequestRebuild() override { m_form.RebuildRequest = true; }
    void StopMonitor() override { m_form.MainTimer().stop(); }
    void StartMonitor() override { m_form.MainTimer().start(); }
    store::SlotStatus* Status(int komoku, int slot) override
    {
        if (komoku < 0 || komoku >= m_form.Schedule.KomokuCount() || slot < 0 ||
            slot >= store::SlotsPerKomoku)
            return nullptr;
        return &m_form.Schedule.At(komoku, slot);
    }
    void SetTrayHint(const QString& hint) override { m_form.SetTrayHint(hint); }
    void WatchListClosed() override { m_form.WatchListClosed(); }
    void EndProgram() override { m_form.E1Click(); }
    QString DataDir() const override { return m_form.DataDir; }

private:
    TMiruberoMainForm& m_form;
};

} // namespace shell
