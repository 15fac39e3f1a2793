#include "platform/linux/QtFolders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace platform {

QString QtFolders::documentsDir() const
{
    return QDir::cleanPath(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
}

QString QtFolders::programDir() const
{
    // MIRUBERO_PRIVATE_DIR is where an installation puts the engine and the help files, relative
    // to the installed program (for example ../lib/x86_64-linux-gnu/mirubero from /usr/bin), so an
    // installation works under any prefix.
    return ProgramFilesDir(QDir::cleanPath(QCoreApplication::applicationDirPath()),
                           QStringLiteral(MIRUBERO_PRIVATE_DIR));
}

QString QtFolders::ProgramFilesDir(const QString& programFileDir, const QString& privateDir)
{
    const QString installed = QDir::cleanPath(programFileDir + QLatin1Char('/') + privateDir);
    return QFileInfo(installed).isDir() ? installed : programFileDir;
}

} // namespace platform
