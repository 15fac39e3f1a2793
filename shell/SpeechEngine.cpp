#include "shell/SpeechEngine.h"

#include "store/Cp932.h"
#include "store/StoredFiles.h"

namespace shell {

QString SpeechEngine::LibraryFileName()
{
    return QStringLiteral("libAquesTalkDa.so");
}

QString SpeechEngine::PrepareText(const QString& text)
{
    return store::JoinSpeakText({text});
}

bool SpeechEngine::Load(const QString& exeDir)
{
    if (!m_library.load(exeDir + LibraryFileName()))
        return false;
    m_library.create();
    m_created = true;
    return true;
}

int SpeechEngine::Play(const QString& text)
{
    if (!m_created)
        return -1;
    return m_library.play(store::ToCp932(PrepareText(text)), Speed);
}

int SpeechEngine::IsPlay()
{
    return m_created ? m_library.isPlay() : 0;
}

void SpeechEngine::Release()
{
    if (m_created)
        m_library.release();
    m_created = false;
}

} // namespace shell
