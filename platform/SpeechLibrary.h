#pragma once

#include <QByteArray>
#include <QString>

namespace platform {

// The speech engine library with its five entry points.
class SpeechLibrary {
public:
    virtual ~SpeechLibrary() = default;

    // Loads the library file and resolves the five entry points. False when the
    // file does not load or any entry point is missing.
    virtual bool load(const QString& path) = 0;
    virtual void create() = 0;
    // Text in CP932 without line breaks. 0 when the text is accepted and sound has started.
    virtual int play(const QByteArray& text, int speed) = 0;
    // 1 while sound plays, 0 when idle.
    virtual int isPlay() = 0;
    virtual void release() = 0;
};

} // namespace platform
