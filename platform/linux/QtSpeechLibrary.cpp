#include "platform/linux/QtSpeechLibrary.h"

namespace platform {

bool QtSpeechLibrary::load(const QString& path)
{
    m_library.setFileName(path);
    if (!m_library.load())
        return false;
    // Looked up in this order; a missing one makes the library unusable.
    m_play = reinterpret_cast<PlayFn>(m_library.resolve("AquesTalkDa_Play"));
    m_stop = reinterpret_cast<StopFn>(m_library.resolve("AquesTalkDa_Stop"));
    m_isPlay = reinterpret_cast<IsPlayFn>(m_library.resolve("AquesTalkDa_IsPlay"));
    m_create = reinterpret_cast<CreateFn>(m_library.resolve("AquesTalkDa_Create"));
    m_release = reinterpret_cast<ReleaseFn>(m_library.resolve("AquesTalkDa_Release"));
    return m_play && m_stop && m_isPlay && m_create && m_release;
}

void QtSpeechLibrary::create()
{
    if (m_create)
        m_instance = m_create();
}

int QtSpeechLibrary::play(const QByteArray& text, int speed)
{
    if (!m_play)
        return -1;
    return m_play(m_instance, text.constData(), speed, 0, 0, 0);
}

int QtSpeechLibrary::isPlay()
{
    return m_isPlay ? m_isPlay(m_instance) : 0;
}

void QtSpeechLibrary::release()
{
    if (m_release && m_instance)
        m_release(m_instance);
    m_instance = nullptr;
    // The library itself stays loaded until the process ends.
}

} // namespace platform
