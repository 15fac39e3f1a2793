#pragma once

#include "platform/SpeechLibrary.h"

#include <QString>

namespace shell {

// The program's binding of the speech engine library: one instance for the whole run.
class SpeechEngine final {
public:
    static constexpr int Speed = 100;

    explicit SpeechEngine(platform::SpeechLibrary& library) : m_library(library) {}

    static QString LibraryFileName();
    // The engine takes one line: the lines are joined with nothing between them.
    static QString PrepareText(const QString& text);

    // Loads the library from exeDir and creates the instance. False when the
    // library or one of its entry points is missing.
    bool Load(const QString& exeDir);
    // 0 when the text was accepted and plays.
    int Play(const QString& text);
    int IsPlay();
    void Release();

private:
    platform::SpeechLibrary& m_library;
    bool m_created = false;
};

} // namespace shell
