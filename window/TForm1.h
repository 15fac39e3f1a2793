#pragma once

#include "platform/Dialogs.h"
#include "platform/WindowView.h"
#include "retrieval/PriceCheckPass.h"
#include "retrieval/ScrapeContext.h"
#include "shell/MiruberoMainForm.h"
#include "store/WatchListModel.h"

#include <QWidget>

#include <functional>

namespace window {

// The watch-list window. It is hidden, never destroyed, when the user closes it.
class TForm1 final : public QWidget,
                     public platform::WindowView,
                     public retrieval::ScrapeView,
                     public retrieval::PassView {
    Q_OBJECT

public:
    TForm1(shell::TMiruberoMainForm& mainForm, platform::Dialogs& dialogs, QWidget* parent = nullptr);

    store::WatchListModel& Model() { return m_model; }

    // The help menu's commands.
    struct HelpActions {
        std::function<void()> readMe;
        std::function<void()> notation;
        std::function<void()> about;
    };
    void SetHelpActions(HelpActions actions) { m_help = std::move(actions); }

    void showWindow() override;
    void bringToFront() override;
    bool isWindowVisible() const override;
    void layoutMessageLabel() override;

    // What the scraper and the price-check pass ask of the window.
    void ShowMessage(const QString& text) override;
    void SetTrayHint(const QString& hint) override;
    void ShowBalloon(const QString& title, const QString& text) override;
    bool IsWindowVisible() const override { return isWindowVisible(); }
    void RepaintGrid(int komoku) override;
    void ShowWindowOnTop(bool onTop) override;
    void ActivatePriceCell(int komoku, int row) override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FormShow();
    void CreateMenu();

    shell::TMiruberoMainForm& m_mainForm;
    platform::Dialogs& m_dialogs;
    store::WatchListModel m_model;
    HelpActions m_help;
};

} // namespace window
