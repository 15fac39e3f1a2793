#pragma once

#include "platform/Folders.h"

namespace platform {

class QtFolders final : public Folders {
public:
    QString documentsDir() const override;
    QString programDir() const override;
};

} // namespace platform
