#include "platform/linux/QtDialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLocale>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// Once the next box is on screen: notes its buttons' texts, then clicks the one reading `press`
// (closing the box anyway when there is none).
void ReadButtonsThenPress(QStringList& shown, const QString& press)
{
    QTimer::singleShot(0, [&shown, press] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        const QList<QAbstractButton*> buttons = box->buttons();
        for (QAbstractButton* button : buttons)
            shown << button->text();
        for (QAbstractButton* button : buttons)
            if (button->text() == press) {
                button->click();
                return;
            }
        box->done(-1);
    });
}

TEST(QtDialogs, ButtonsReadAsOnAJapaneseDesktopWhateverTheLocale)
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    platform::QtDialogs dialogs;

    QStringList shown;
    ReadButtonsThenPress(shown, u"いいえ(&N)"_s);
    EXPECT_FALSE(dialogs.askYesNo(u"終了直前です。表示しますか？"_s, u"ミルベロ"_s,
                                  platform::MessageIcon::Question, true));
    shown.sort();
    EXPECT_EQ(shown, (QStringList{u"いいえ(&N)"_s, u"はい(&Y)"_s}));

    shown.clear();
    ReadButtonsThenPress(shown, u"OK"_s);
    dialogs.showMessage(u"保存しました。"_s, {}, platform::MessageIcon::Information);
    EXPECT_EQ(shown, QStringList{u"OK"_s});
}

} // namespace
