#pragma once

#include "platform/SpeechLibrary.h"

#include <QLibrary>

namespace platform {

// Binds the speech engine library at run time through its five C entry points.
class QtSpeechLibrary final : public SpeechLibrary {
public:
    bool load(const QString& path) override;
    void create() override;
    int play(const QByteArray& text, int speed) override;
    int isPlay() override;
    void release() override;

private:
    using CreateFn = void* (*)();
    using PlayFn = int (*)(void*, const char*, int, int, int, int);
    using IsPlayFn = int (*)(void*);
    using StopFn = void (*)(void*);
    using ReleaseFn = void (*)(void*);

    QLibrary m_library;
    PlayFn m_play = nullptr;
    StopFn m_stop = nullptr;
    IsPlayFn m_isPlay = nullptr;
    CreateFn m_create = nullptr;
    ReleaseFn m_release = nullptr;
    void* m_instance = nullptr;
};

} // namespace platform
