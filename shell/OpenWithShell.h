#pragma once

#include "platform/Dialogs.h"
#include "platform/ShellOpen.h"

namespace shell {

// Opens target with its default program; when that fails, shows failureMessage.
void OpenWithShell(platform::ShellOpen& shellOpen, platform::Dialogs& dialogs, const QString& target,
                   const QString& failureMessage);

} // namespace shell
