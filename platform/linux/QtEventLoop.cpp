#include "platform/linux/QtEventLoop.h"

#include <QCoreApplication>

namespace platform {

void QtEventLoop::processEvents()
{
    QCoreApplication::processEvents();
}

void QtEventLoop::quit()
{
    // Unlike quit(), exit() asks no window whether it may close: the watch-list window would
    // put its save question, and a refusal would keep the program running.
    QCoreApplication::exit(0);
}

} // namespace platform
