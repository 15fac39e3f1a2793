#include "watchlist/GridHint.h"

#include "store/TextRules.h"

namespace watchlist {

bool GivesHint(int column, int row)
{
    const bool slotRow = row >= 1 && row <= store::SlotsPerKomoku;
    return slotRow && (column == store::ColTitle || column == store::ColURL || column == store::ColOption);
}

QString LastCheckErrorLine(const QString& error)
{
    return QStringLiteral("前回の価格チェックに失敗しました: ") + error.trimmed();
}

QString NotWebAddressLine()
{
    return QStringLiteral("http・httpsのアドレスではないため、アラームや「表示」で開きません。");
}

QString LastReadLine(const QDateTime& lastRead, const QDateTime& now)
{
    const QString format =
        lastRead.date() == now.date() ? QStringLiteral("HH:mm") : QStringLiteral("MM/dd HH:mm");
    return QStringLiteral("最終確認: ") + lastRead.toString(format);
}

QString StaleReadText()
{
    return QStringLiteral("%1分以上確認できていません。").arg(StaleReadMinutes);
}

QString HintText(const store::WatchListModel& model, int komoku, int column, int row, const QDateTime& now)
{
    if (!GivesHint(column, row) || komoku < 0 || komoku >= static_cast<int>(model.Komokus.size()))
        return {};
    const store::Slot& slot = model.KomokuAt(komoku).Slots[static_cast<size_t>(row - 1)];
    QString text = slot.Cells[static_cast<size_t>(column)].trimmed();
    if (text.isEmpty())
        return {};
    const store::PriceTrack* track = store::TrackOf(slot);
    if (column == store::ColTitle && now.isValid() && track && track->LastRead.isValid()) {
        text += QStringLiteral("\r\n") + LastReadLine(track->LastRead, now);
        const bool checking = model.KakakuCheckButtonCaption == store::KakakuCheckStopCaption();
        if (checking && track->LastRead.secsTo(now) > StaleReadMinutes * 60)
            text += QStringLiteral("　") + StaleReadText();
    }
    if (column == store::ColTitle && !slot.LastCheckError.trimmed().isEmpty())
        text += QStringLiteral("\r\n") + LastCheckErrorLine(slot.LastCheckError);
    if ((column == store::ColTitle || column == store::ColURL) && slot.InUse() &&
        !store::WebAddress(slot.Cells[store::ColURL].trimmed()))
        text += QStringLiteral("\r\n") + NotWebAddressLine();
    return text;
}

QRect HintPanelRect(int textWidth, const QPoint& pointer, int clientWidth)
{
    const int top = pointer.y() + 20;
    const int width = textWidth + 10;
    if (width > clientWidth)
        return {0, top, clientWidth, HintPanelHeight};
    int left = pointer.x();
    if (left + width > clientWidth)
        left = clientWidth - width;
    return {left, top, width, HintPanelHeight};
}

} // namespace watchlist
