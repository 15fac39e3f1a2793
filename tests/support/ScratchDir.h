#pragma once

#include <QString>
#include <QTemporaryDir>

namespace testsupport {

// A fresh folder for one test, removed afterwards. Tests never touch the real home folder.
class ScratchDir final {
public:
    ScratchDir();

    QString path() const { return m_dir.path(); }
    QString file(const QString& relative) const { return m_dir.filePath(relative); }
    // Every file below the folder, relative to it, sorted.
    QStringList listFiles() const;

private:
    QTemporaryDir m_dir;
};

// The folder of the build tree that holds the program and its engine library.
QString binDir();

} // namespace testsupport
