#pragma once

#include <QString>

namespace platform {

// Opens an address in the default browser or a local file in its default program.
class ShellOpen {
public:
    virtual ~ShellOpen() = default;

    // False when the target cannot be opened (a missing file, no handler, a refused address).
    virtual bool open(const QString& target) = 0;
};

} // namespace platform
