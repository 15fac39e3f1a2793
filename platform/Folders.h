#pragma once

#include <QString>

namespace platform {

class Folders {
public:
    virtual ~Folders() = default;

    // The user's documents folder, without a trailing separator.
    virtual QString documentsDir() const = 0;
    // The folder of the program's own files (the speech engine and the help files), without a
    // trailing separator: the program file's folder, or the private folder an installation keeps
    // them in.
    virtual QString programDir() const = 0;
};

} // namespace platform
