#include "platform/linux/QtFolders.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

namespace platform {

QString QtFolders::documentsDir() const
{
    return QDir::cleanPath(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
}

QString QtFolders::programDir() const
{
    return QDir::cleanPath(QCoreApplication::applicationDirPath());
}

} // namespace platform
