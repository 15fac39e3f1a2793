#pragma once

#include <QImage>
#include <QString>

namespace platform {

// What a drop or a paste carries, once decoded: the first address among the offered forms
// and, looked for on its own, a picture. Either may be missing (empty text, null picture).
struct DropPayload {
    QString Address;
    QImage Picture;
};

} // namespace platform
