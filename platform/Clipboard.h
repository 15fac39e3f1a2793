#pragma once

#include <QImage>
#include <QString>

namespace platform {

// The clipboard as a paste reads it.
class Clipboard {
public:
    virtual ~Clipboard() = default;

    // The picture a paste takes: image data, or an image file copied in a file manager.
    // Null when the clipboard holds none that decodes.
    virtual QImage picture() const = 0;
    // The plain text a paste into a cell takes; empty when there is none.
    virtual QString text() const = 0;
};

} // namespace platform
