#include "store/WatchListModel.h"

#include "store/StoredFiles.h"

#include <QStringList>

namespace store {

QString DefaultSpeakText()
{
    return QStringLiteral("おーく'しょん、おわるよ。");
}

QString RegistrationGuidance()
{
    // The doubled "&" shows as one "&" in the label.
    return QStringLiteral(
        "ブラウザで表示したオークションサイトのアドレスバーのアイコンをドラッグ&&ドロップで表の上に移動すれば"
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

void MoveSlotInto(Slot& row, const Slot& slot)
{
    const QString number = row.Cells[ColNo];
    row = slot;
    row.Cells[ColNo] = number;
}

void EmptySlot(Slot& row)
{
    MoveSlotInto(row, Slot());
}

QString Komoku::TabCaption() const
{
    if (!Name.isEmpty())
        return Name;
    return AddedUnnamed ? QStringLiteral("名前なし") : QStringLiteral("名前無し");
}

const std::array<QString, ColumnCount>& HeaderTexts()
{
    static const std::array<QString, ColumnCount> texts{
        QStringLiteral("No"),         QStringLiteral("タイトル"), QStringLiteral("月"),
        QStringLiteral("日"),         QStringLiteral("時"),       QStringLiteral("分"),
        QStringLiteral("URL"),        QStringLiteral("時"),       QStringLiteral("分"),
        QStringLiteral("現在の価格"), QStringLiteral("予算額"),   QStringLiteral("即決価格"),
        QStringLiteral("入札数"),     QStringLiteral("入札額"),   QStringLiteral("備考"),
    };
    return texts;
}

QStringList EndAuctionDelItems()
{
    QStringList items{QStringLiteral("削除しない")};
    for (int days = 1; days <= EndAuctionDelMax; ++days)
        items << QString::number(days);
    return items;
}

WatchListModel::WatchListModel() : Komokus(1), KakakuCheckButtonCaption(KakakuCheckStopCaption())
{
    General.EditArarmTime = QString::number(total::ArarmTime.DefaultValue);
    Speech.MemoSpeakText = DefaultSpeakText();
}

} // namespace store
