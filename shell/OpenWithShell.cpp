#include "shell/OpenWithShell.h"

namespace shell {

void OpenWithShell(platform::ShellOpen& shellOpen, platform::Dialogs& dialogs, const QString& target,
                   const QString& failureMessage)
{
    bool opened = false;
    try {
        opened = shellOpen.open(target);
    } catch (...) {
        // A failure raised while opening counts like a refused open.
        opened = false;
    }
    if (!opened)
        dialogs.showMessage(failureMessage);
}

} // namespace shell
