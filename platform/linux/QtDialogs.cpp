#include "platform/linux/QtDialogs.h"

#include "store/TextRules.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>

#include <utility>

namespace platform {

namespace {

QMessageBox::Icon toQtIcon(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Error:
        return QMessageBox::Critical;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QString captionOrTitle(const QString& caption)
{
    return caption.isEmpty() ? QApplication::applicationDisplayName() : caption;
}

// The standard buttons read as on a Japanese desktop, whatever the user's locale.
void JapaneseButtons(QMessageBox& box)
{
    const std::pair<QMessageBox::StandardButton, QString> texts[] = {
        {QMessageBox::Yes, QStringLiteral("はい(&Y)")},
        {QMessageBox::No, QStringLiteral("いいえ(&N)")},
        {QMessageBox::Ok, QStringLiteral("OK")},
        {QMessageBox::Cancel, QStringLiteral("キャンセル")},
    };
    for (const auto& [which, text] : texts)
        if (QAbstractButton* button = box.button(which))
            button->setText(text);
}

} // namespace

QString QtDialogs::toDisplayText(const QString& text)
{
    return store::LfLineBreaks(text);
}

void QtDialogs::showMessage(const QString& text, const QString& caption, MessageIcon icon)
{
    QMessageBox box(toQtIcon(icon), captionOrTitle(caption), toDisplayText(text), QMessageBox::Ok);
    JapaneseButtons(box);
    box.exec();
}

bool QtDialogs::askYesNo(const QString& text, const QString& caption, MessageIcon icon, bool topmost)
{
    QMessageBox box(toQtIcon(icon), captionOrTitle(caption), toDisplayText(text),
                    QMessageBox::Yes | QMessageBox::No);
    if (topmost)
        box.setWindowFlag(Qt::WindowStaysOnTopHint);
    box.setDefaultButton(QMessageBox::Yes);
    JapaneseButtons(box);
    return box.exec() == QMessageBox::Yes;
}

} // namespace platform
