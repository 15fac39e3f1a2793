#pragma once

#include "platform/WindowView.h"
#include "shell/MiruberoMainForm.h"
#include "store/WatchListModel.h"

#include <QWidget>

#include <functional>

namespace window {

// The watch-list window. It is hidden, never destroyed, when the user closes it.
class TForm1 final : public QWidget, public platform::WindowView {
    Q_OBJECT

public:
    explicit TForm1(shell::TMiruberoMainForm& mainForm, QWidget* parent = nullptr);

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

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FormShow();
    void CreateMenu();

    shell::TMiruberoMainForm& m_mainForm;
    store::WatchListModel m_model;
    HelpActions m_help;
};

} // namespace window
