#include "store/WatchListModel.h"

namespace store {

QString DefaultSpeakText()
{
    return QStringLiteral("おーく'しょん、おわるよ。");
}

WatchListModel::WatchListModel()
{
    Speech.MemoSpeakText = DefaultSpeakText();
}

} // namespace store
