#pragma once

#include <QString>

namespace platform {

class Folders {
public:
    virtual ~Folders() = default;

    // The user's documents folder, without a trailing separator.
    virtual QString documentsDir() const = 0;
    // The folder of the running program file, without a trailing separator.
    virtual QString programDir() const = 0;
};

} // namespace platform
