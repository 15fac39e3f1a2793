#include "support/ScratchDir.h"

#include <QDirIterator>

#include <gtest/gtest.h>

namespace testsupport {

ScratchDir::ScratchDir()
{
    EXPECT_TRUE(m_dir.isValid());
}

QStringList ScratchDir::listFiles() const
{
    QStringList files;
    QDirIterator it(m_dir.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QDir(m_dir.path()).relativeFilePath(it.next());
    files.sort();
    return files;
}

QString binDir()
{
    return QString::fromUtf8(MIRUBERO_TEST_BIN_DIR);
}

} // namespace testsupport
