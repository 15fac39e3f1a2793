#pragma once

#include "platform/DropPayload.h"

class QMimeData;

namespace platform {

// Turns what a drag source or the clipboard offers into what the logic takes. Pure functions
// of the data; the only files read are local files the data names, and those only so far.

// The address and the picture together.
DropPayload decodeDrop(const QMimeData& data);

// The first address found, forms tried in this order: text/uri-list (first line that is no
// comment), text/x-moz-url and _NETSCAPE_URL (the line before the title), plain text, a
// dropped ".url" shortcut, a dropped ".desktop" link. An address, trimmed, holds "://" after
// its first character and is no file: address (dropped files are only read as link files).
QString dropAddress(const QMimeData& data);

// Image data in any format Qt decodes, else the first dropped local file that decodes as one.
QImage dropPicture(const QMimeData& data);

// Whether the data offers any form read above; cheap enough for every drag move.
bool offersDrop(const QMimeData& data);

} // namespace platform
