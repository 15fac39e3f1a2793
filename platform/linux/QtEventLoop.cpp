#include "platform/linux/QtEventLoop.h"

#include <QCoreApplication>

namespace platform {

void QtEventLoop::processEvents()
{
    QCoreApplication::processEvents();
}

void QtEventLoop::quit()
{
    QCoreApplication::quit();
}

} // namespace platform
