#pragma once

#include "platform/Clock.h"
#include "platform/ConnectivityProbe.h"
#include "platform/Dialogs.h"
#include "platform/EventLoop.h"
#include "platform/Folders.h"
#include "platform/ShellOpen.h"
#include "platform/SpeechLibrary.h"
#include "platform/Tray.h"

namespace shell {

// The operating-system services the resident side works through.
struct ShellPlatform {
    platform::Dialogs& dialogs;
    platform::Tray& tray;
    platform::ShellOpen& shellOpen;
    platform::Folders& folders;
    platform::Clock& clock;
    platform::EventLoop& eventLoop;
    platform::SpeechLibrary& speech;
    platform::ConnectivityProbe& probe;
};

} // namespace shell
