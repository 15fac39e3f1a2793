#pragma once

#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "platform/EventLoop.h"
#include "platform/Folders.h"
#include "platform/ShellOpen.h"
#include "platform/SpeechLibrary.h"
#include "platform/Tray.h"

namespace shell {

// The operating-system services the resident side works through.
struct ShellPlatform {
    platform::Dialogs& Dialogs;
    platform::Tray& Tray;
    platform::ShellOpen& ShellOpen;
    platform::Folders& Folders;
    platform::Clock& Clock;
    platform::EventLoop& EventLoop;
    platform::SpeechLibrary& Speech;
};

} // namespace shell
