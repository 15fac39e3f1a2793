#pragma once

// The real program on a private X display with a scratch home folder.

#include "e2e/X11Session.h"
#include "support/ScratchDir.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

namespace e2e {

constexpr int StartTimeoutMs = 20000;

inline bool WaitFor(const std::function<bool()>& condition, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        if (condition())
            return true;
        QThread::msleep(50);
    }
    return condition();
}

class ProgramFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(x11.isRunning()) << "Xvfb did not start";
        ASSERT_TRUE(QDir().mkpath(runtimeDir()));
        QFile::setPermissions(runtimeDir(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    void TearDown() override
    {
        for (auto& process : processes) {
            if (process->state() != QProcess::NotRunning) {
                process->kill();
                process->waitForFinished(3000);
            }
        }
    }

    QString home() const { return scratch.file(QStringLiteral("home")); }
    QString runtimeDir() const { return scratch.file(QStringLiteral("run")); }
    QString dataDir() const { return home() + QStringLiteral("/Documents/ヨツバネ/MiruberoData"); }

    // The program in a network namespace of its own, unless the test has made one for itself
    // and everything it starts (ownNetwork false).
    QProcess* start(const QString& program = testsupport::binDir() + QStringLiteral("/mirubero"),
                    const QStringList& arguments = {}, bool ownNetwork = true)
    {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment env;
        env.insert(QStringLiteral("PATH"), qEnvironmentVariable("PATH"));
        env.insert(QStringLiteral("HOME"), home());
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir());
        env.insert(QStringLiteral("DISPLAY"), x11.displayName());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
        // No session bus, and none started on demand into the scratch home.
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("disabled:"));
        for (const QString& name : extraEnvironment.keys())
            env.insert(name, extraEnvironment.value(name));
        process->setProcessEnvironment(env);
        // The program probes the auction site at start-up, and a test must reach nothing beyond
        // this machine.
        if (ownNetwork)
            process->start(QStringLiteral("unshare"),
                           QStringList{QStringLiteral("--net"), QStringLiteral("--"), program} + arguments);
        else
            process->start(program, arguments);
        EXPECT_TRUE(process->waitForStarted(5000));
        processes.push_back(std::move(process));
        return processes.back().get();
    }

    // The program's main windows (or its dialogs) that are on screen, waited for.
    std::vector<e2e::TopWindow> waitForWindows(QProcess* process, int timeoutMs = StartTimeoutMs,
                                               bool dialogs = false)
    {
        std::vector<e2e::TopWindow> found;
        WaitFor(
            [&] {
                found.clear();
                for (const auto& window : x11.viewableWindowsOf(process->processId()))
                    if (window.dialog == dialogs)
                        found.push_back(window);
                return !found.empty();
            },
            timeoutMs);
        return found;
    }
    std::vector<e2e::TopWindow> waitForDialogs(QProcess* process, int timeoutMs = StartTimeoutMs)
    {
        return waitForWindows(process, timeoutMs, true);
    }

    static bool waitForExit(QProcess* process, int timeoutMs = 10000)
    {
        return process->state() == QProcess::NotRunning || process->waitForFinished(timeoutMs);
    }

    // QProcess learns of an exit only while it gets to look, which a polling test must give it.
    static bool hasEnded(QProcess* process)
    {
        process->waitForFinished(0);
        return process->state() == QProcess::NotRunning;
    }

    e2e::X11Session x11;
    testsupport::ScratchDir scratch;
    // Set in, or replacing, the environment of every program that start() runs.
    QProcessEnvironment extraEnvironment;
    std::vector<std::unique_ptr<QProcess>> processes;
};

} // namespace e2e
