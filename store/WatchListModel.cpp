#include "store/WatchListModel.h"

namespace store {

QString DefaultSpeakText()
{
    return QStringLiteral("おーく'しょん、おわるよ。");
}

QString RegistrationGuidance()
{
    // The doubled "&" shows as one "&" in the label.
    return QStringLiteral("ブラウザで表示したオークションサイトのアドレスバーのアイコンをドラッグ&&ドロップで表の上に移動すれば"
                          "登録できます。\rオークションサイトのURLを「URL」欄へ貼り付けても登録できます。");
}

QString KakakuCheckStopCaption()
{
    return QStringLiteral("価格チェック停止");
}

Komoku::Komoku()
{
    for (int row = 1; row <= SlotsPerKomoku; ++row)
        Slots[static_cast<size_t>(row - 1)].Cells[ColNo] = QString::number(row);
}

QString Komoku::TabCaption() const
{
    return Name.isEmpty() ? QStringLiteral("名前無し") : Name;
}

WatchListModel::WatchListModel() : Komokus(1), KakakuCheckButtonCaption(KakakuCheckStopCaption())
{
    Speech.MemoSpeakText = DefaultSpeakText();
}

} // namespace store
