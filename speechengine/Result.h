#pragma once

#include "speechengine/AquesTalkDa.h"

namespace speechengine {

// Outcome of checking, rendering or playing a text; the values are the C result codes.
enum class Result : int {
    Ok = AQTK_OK,
    BadHandle = AQTK_ERR_HANDLE,
    EmptyText = AQTK_ERR_EMPTY,
    BadNotation = AQTK_ERR_NOTATION,
    BadEncoding = AQTK_ERR_ENCODING,
    BadSpeed = AQTK_ERR_SPEED,
    EngineFailure = AQTK_ERR_ENGINE,
    TooLong = AQTK_ERR_TOO_LONG,
};

inline constexpr int kNormalSpeed = 100;

constexpr bool isValidSpeed(int speed)
{
    return speed >= AQTK_SPEED_MIN && speed <= AQTK_SPEED_MAX;
}

} // namespace speechengine
