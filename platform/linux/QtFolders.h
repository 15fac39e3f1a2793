#pragma once

#include "platform/Folders.h"

namespace platform {

class QtFolders final : public Folders {
public:
    QString documentsDir() const override;
    QString programDir() const override;

    // The private folder at privateDir relative to the program's folder when it is there (an
    // installed program), else the program's folder itself (the build tree).
    static QString ProgramFilesDir(const QString& programFileDir, const QString& privateDir);
};

} // namespace platform
