#include "platform/linux/QtShellOpen.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace platform {

bool QtShellOpen::open(const QString& target)
{
    if (target.isEmpty())
        return false;
    // An address with a scheme goes to its handler as it is; anything else is a local file.
    const QUrl url(target, QUrl::StrictMode);
    if (url.isValid() && url.scheme().size() > 1 && !url.isLocalFile())
        return QDesktopServices::openUrl(url);
    const QFileInfo file(url.isLocalFile() ? url.toLocalFile() : target);
    if (!file.exists())
        return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(file.absoluteFilePath()));
}

} // namespace platform
