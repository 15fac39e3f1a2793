#pragma once

#include "platform/Clipboard.h"
#include "platform/Clock.h"
#include "platform/ConnectivityProbe.h"
#include "platform/Dialogs.h"
#include "platform/EventLoop.h"
#include "platform/Folders.h"
#include "platform/ShellOpen.h"
#include "platform/SpeechLibrary.h"
#include "platform/Tray.h"
#include "platform/WindowView.h"
#include "shell/ShellPlatform.h"

#include <QStringList>

#include <deque>
#include <functional>
#include <optional>
#include <stdexcept>
#include <vector>

namespace testsupport {

struct ShownMessage {
    QString text;
    QString caption;
    platform::MessageIcon icon;
    bool question;
};

// Records every box; questions are answered from a queue (No when it is empty).
class FakeDialogs final : public platform::Dialogs {
public:
    void showMessage(const QString& text, const QString& caption, platform::MessageIcon icon) override
    {
        shown.push_back({text, caption, icon, false});
        if (onShow)
            onShow();
    }
    bool askYesNo(const QString& text, const QString& caption, platform::MessageIcon icon, bool) override
    {
        shown.push_back({text, caption, icon, true});
        if (onShow)
            onShow();
        if (answers.empty())
            return false;
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    QStringList texts() const
    {
        QStringList result;
        for (const auto& m : shown)
            result << m.text;
        return result;
    }

    std::vector<ShownMessage> shown;
    std::deque<bool> answers;
    std::function<void()> onShow;
};

class FakeTray final : public platform::Tray {
public:
    void setHandlers(Handlers h) override { handlers = std::move(h); }
    void setVisible(bool v) override { visible = v; }
    void setHint(const QString& h) override { hint = h; }
    void showBalloon(const QString& title, const QString& text) override
    {
        balloons.push_back({title, text});
    }
    void setMenuEnabled(bool s, bool e) override
    {
        showEnabled = s;
        exitEnabled = e;
    }
    void popupMenu() override { ++popups; }
    bool isAvailable() const override { return available; }

    Handlers handlers;
    bool visible = false;
    QString hint;
    std::vector<std::pair<QString, QString>> balloons;
    bool showEnabled = true;
    bool exitEnabled = true;
    int popups = 0;
    bool available = true;
};

class FakeShellOpen final : public platform::ShellOpen {
public:
    bool open(const QString& target) override
    {
        opened << target;
        if (throws)
            throw std::runtime_error("no handler");
        return succeed;
    }

    QStringList opened;
    bool succeed = true;
    bool throws = false;
};

class FakeFolders final : public platform::Folders {
public:
    QString documentsDir() const override { return documents; }
    QString programDir() const override { return program; }

    QString documents;
    QString program;
};

class FakeClock final : public platform::Clock {
public:
    std::uint32_t tickCount() const override { return ticks; }
    QDateTime now() const override { return current; }
    void onChanged(std::function<void()> listener) override { changed = std::move(listener); }
    void advance(int ms)
    {
        ticks += static_cast<std::uint32_t>(ms);
        current = current.addMSecs(ms);
    }

    std::uint32_t ticks = 1;
    QDateTime current;
    std::function<void()> changed;
};

// Pumping events runs whatever the test injected, as a user action would arrive.
class FakeEventLoop final : public platform::EventLoop {
public:
    void processEvents() override
    {
        ++pumped;
        if (onPump)
            onPump();
    }
    void quit() override { ++quits; }

    int pumped = 0;
    int quits = 0;
    std::function<void()> onPump;
};

class FakeSpeechLibrary final : public platform::SpeechLibrary {
public:
    bool load(const QString& path) override
    {
        loadedPath = path;
        return loads;
    }
    void create() override { ++creates; }
    int play(const QByteArray& text, int speed) override
    {
        played.push_back({text, speed});
        return playResult;
    }
    int isPlay() override { return playing; }
    void release() override { ++releases; }

    bool loads = true;
    QString loadedPath;
    int creates = 0;
    int releases = 0;
    int playResult = 0;
    int playing = 0;
    std::vector<std::pair<QByteArray, int>> played;
};

// Answers at once with `reachable`, or, when deferred, once the test calls answer().
class FakeProbe final : public platform::ConnectivityProbe {
public:
    void reach(const QString& url, Done done) override
    {
        probed << url;
        if (onReach)
            onReach();
        if (deferred) {
            waiting = std::move(done);
            return;
        }
        done(reachable);
    }
    void cancel() override
    {
        ++cancels;
        waiting = {};
    }
    // Answers the probe that waits; false when none does.
    bool answer(bool reached)
    {
        Done done = std::move(waiting);
        waiting = {};
        if (!done)
            return false;
        done(reached);
        return true;
    }

    QStringList probed;
    bool reachable = true;
    bool deferred = false;
    Done waiting;
    int cancels = 0;
    std::function<void()> onReach;
};

// The clipboard holds what the test put there; a null picture stands for one that fails.
class FakeClipboard final : public platform::Clipboard {
public:
    QImage picture() const override { return image; }
    QString text() const override { return copiedText; }

    QImage image;
    QString copiedText;
};

// Records what the logic asks of the window.
class FakeWindowView final : public platform::WindowView {
public:
    void showWindow() override
    {
        ++shows;
        visible = true;
        if (onShow)
            onShow();
    }
    void hideWindow() override { visible = false; }
    void bringToFront() override { ++raises; }
    bool isWindowVisible() const override { return visible; }
    void showWindowOnTop(bool onTop) override
    {
        visible = true;
        log << (onTop ? QStringLiteral("top") : QStringLiteral("normal"));
    }
    void render() override { ++renders; }
    void repaintGrid(int komoku) override { repaints.push_back(komoku); }
    void layoutMessageLabel() override { ++layouts; }
    void setActivePage(int page) override { log << QStringLiteral("page %1").arg(page); }
    void focusSpeechText() override { log << QStringLiteral("focus speech"); }
    void focusArarmTime() override { log << QStringLiteral("focus ararm"); }
    void focusGrid(int komoku) override { log << QStringLiteral("focus grid %1").arg(komoku); }
    void focusHyoji(int komoku, int row) override
    {
        log << QStringLiteral("focus hyoji %1-%2").arg(komoku).arg(row);
    }
    void activatePriceCell(int komoku, int row) override
    {
        log << QStringLiteral("cell %1-%2").arg(komoku).arg(row);
    }
    void commitEdits() override
    {
        ++commits;
        if (onCommit)
            onCommit();
    }
    bool isEditing(int komoku, int row) const override { return editing == std::pair(komoku, row); }

    void hideHint() override { log << QStringLiteral("hide hint"); }
    void popupSlotMenu() override
    {
        log << QStringLiteral("slot menu");
        if (onSlotMenu)
            onSlotMenu();
    }

    int shows = 0;
    int raises = 0;
    int layouts = 0;
    int renders = 0;
    int commits = 0;
    bool visible = false;
    std::vector<int> repaints;
    // Page changes, focus moves, stacking changes and activated cells, in order.
    QStringList log;
    std::function<void()> onShow;
    // Stands for an open cell editor: what it holds reaches the model when committed.
    std::function<void()> onCommit;
    // The category and row whose cell editor is open.
    std::optional<std::pair<int, int>> editing;
    // What the user does while the slot menu is open.
    std::function<void()> onSlotMenu;
};

// Every fake the resident side is built over, handed to it as one.
struct ResidentFakes {
    shell::ShellPlatform Platform() { return {dialogs, tray, shellOpen, folders, clock, eventLoop, speech}; }

    FakeDialogs dialogs;
    FakeTray tray;
    FakeShellOpen shellOpen;
    FakeFolders folders;
    FakeClock clock;
    FakeEventLoop eventLoop;
    FakeSpeechLibrary speech;
    FakeProbe probe;
};

} // namespace testsupport
