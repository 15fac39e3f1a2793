// The C face of the engine: a handle is a Player. No exception may cross into the caller.
#include "speechengine/AquesTalkDa.h"

#include "speechengine/Player.h"

#include <cstring>
#include <new>
#include <string_view>

using speechengine::Player;
using speechengine::Result;

namespace {

Player* asPlayer(void* h)
{
    return static_cast<Player*>(h);
}

} // namespace

extern "C" {

void* AquesTalkDa_Create(void)
{
    try {
        return new Player;
    } catch (...) {
        return nullptr; // out of memory or no thread to be had
    }
}

int AquesTalkDa_Play(void* h, const char* text, int speed, int /*a*/, int /*b*/, int /*c*/)
{
    if (!h)
        return AQTK_ERR_HANDLE;
    if (!text)
        return AQTK_ERR_EMPTY;
    try {
        // Stop at the limit plus one so that a huge text is not measured in full.
        const std::size_t length = strnlen(text, AQTK_MAX_TEXT_BYTES + 1);
        return static_cast<int>(asPlayer(h)->play(std::string_view(text, length), speed));
    } catch (...) {
        return AQTK_ERR_ENGINE;
    }
}

int AquesTalkDa_IsPlay(void* h)
{
    return h && asPlayer(h)->isPlaying() ? 1 : 0;
}

void AquesTalkDa_Stop(void* h)
{
    if (h)
        asPlayer(h)->stop();
}

void AquesTalkDa_Release(void* h)
{
    delete asPlayer(h);
}

} // extern "C"
