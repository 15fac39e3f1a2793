#include "window/TForm4.h"

#include "shell/AuthorSite.h"
#include "support/Fakes.h"
#include "window/Fonts.h"
#include "window/TBevelLabel.h"

#include <QFontInfo>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using window::TBevelLabel;
using window::TForm4;

namespace {

class AboutWindow : public ::testing::Test {
protected:
    AboutWindow() { window::InstallFontSubstitutions(); }

    static QIcon icon()
    {
        QPixmap pm(32, 32);
        pm.fill(QColor(255, 0, 255));
        return QIcon(pm);
    }
    template <class T = QLabel> T* control(const char* name) const
    {
        return form.findChild<T*>(QString::fromLatin1(name));
    }
    void moveOver(QWidget* widget)
    {
        QMouseEvent move(QEvent::MouseMove, QPointF(3, 3), widget->mapToGlobal(QPointF(3, 3)), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(widget, &move);
    }
    QColor urlColor() const { return control("LabelURL")->palette().color(QPalette::WindowText); }

    QStringList clicked;
    int timerStarts = 0;
    TForm4 form{[this](const QString& address) { clicked << address; }, icon(), [this] { ++timerStarts; }};
};

} // namespace

TEST_F(AboutWindow, IsAFixedYellowDialogWithOnlyACloseButton)
{
    EXPECT_EQ(form.size(), QSize(355, 184));
    EXPECT_EQ(form.minimumSize(), form.maximumSize());
    const Qt::WindowFlags flags = form.windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(form.windowTitle(), u"ミルベロのバージョン情報"_s);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.grab().toImage().pixel(5, 5), qRgb(255, 255, 0));
    EXPECT_EQ(timerStarts, 1);
}

TEST_F(AboutWindow, ControlsSitWhereTheyBelong)
{
    const struct {
        const char* name;
        QRect place;
        QString text;
        int pixelSize;
        QColor color;
    } controls[] = {
        {"BevelLabel1", {73, 23, 231, 33}, u"ミルベロ"_s, 27, QColor(0, 0, 0)},
        {"BevelLabel2",
         {224, 62, 114, 29},
         u"Ver "_s + QLatin1StringView(MIRUBERO_VERSION) + u"  "_s,
         24,
         QColor(255, 0, 0)},
        {"BevelLabel3", {46, 110, 295, 29}, u"© 2026 ヨツバネ"_s, 24, QColor(0, 0, 255)},
        {"LabelURL",
         {8, 151, 333, 16},
         shell::AuthorSiteUrl(),
         16,
         form.palette().color(QPalette::WindowText)},
    };
    for (const auto& c : controls) {
        SCOPED_TRACE(c.name);
        const QLabel* label = control(c.name);
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->geometry(), c.place);
        EXPECT_EQ(label->text(), c.text);
        EXPECT_EQ(label->font().pixelSize(), c.pixelSize);
        EXPECT_TRUE(label->font().bold());
        EXPECT_EQ(label->palette().color(QPalette::WindowText), c.color);
    }
    EXPECT_TRUE(control("BevelLabel2")->font().italic());
    EXPECT_EQ(control<TBevelLabel>("BevelLabel1")->ShadowColor(), QColor(255, 255, 255));
    EXPECT_EQ(QFontInfo(control("LabelURL")->font()).family(), u"IPAPGothic"_s);
    EXPECT_EQ(form.LabelURLCaption(), shell::AuthorSiteUrl());
    EXPECT_EQ(control("Image1")->geometry(), QRect(24, 24, 32, 32));
    EXPECT_EQ(control("Image1")->pixmap().toImage().pixel(16, 16), qRgb(255, 0, 255));
}

TEST_F(AboutWindow, AddressLooksLikeALinkUnderTheMouse)
{
    moveOver(control("LabelURL"));
    EXPECT_EQ(urlColor(), QColor(255, 0, 0));
    EXPECT_EQ(form.cursor().shape(), Qt::PointingHandCursor);

    moveOver(&form);
    EXPECT_EQ(urlColor(), QColor(0, 0, 0));
    EXPECT_EQ(form.cursor().shape(), Qt::ArrowCursor);

    moveOver(control("LabelURL"));
    form.show();
    form.close();
    EXPECT_EQ(urlColor(), QColor(255, 0, 0));
}

TEST_F(AboutWindow, ClickHandsTheAddressOn)
{
    QTest::mouseClick(control("LabelURL"), Qt::LeftButton);
    EXPECT_EQ(clicked, QStringList{shell::AuthorSiteUrl()});
}

TEST_F(AboutWindow, ShowsModallyInTheMiddleOfTheScreen)
{
    QRect shown;
    bool modal = false;
    QTimer::singleShot(0, &form, [&] {
        shown = form.frameGeometry();
        modal = form.isModal() && form.isVisible();
        form.reject();
    });
    form.move(0, 0); // as if dragged to a corner when last shown
    form.showModalAbout();
    EXPECT_TRUE(modal);
    const QPoint offCentre = shown.center() - form.screen()->geometry().center();
    EXPECT_LE(offCentre.manhattanLength(), 2) << "frame at " << shown.x() << "," << shown.y();
}

TEST(Fonts, WindowsFontNamesReachInstalledFonts)
{
    window::InstallFontSubstitutions();
    EXPECT_EQ(QFontInfo(QFont(u"ＭＳ Ｐゴシック"_s)).family(), u"IPAPGothic"_s);
    EXPECT_EQ(QFontInfo(QFont(u"Tahoma"_s)).family(), u"Liberation Sans"_s);
}

TEST(Fonts, BevelledTextsFitTheirLabels)
{
    // A substitute wider than Tahoma cuts the version line off at the right.
    window::InstallFontSubstitutions();
    window::TForm4 form({}, QIcon(), {});
    for (const char* name : {"BevelLabel1", "BevelLabel2", "BevelLabel3"}) {
        const auto* label = form.findChild<window::TBevelLabel*>(QString::fromLatin1(name));
        ASSERT_NE(label, nullptr) << name;
        const int needed = QFontMetrics(label->font()).horizontalAdvance(label->text()) + label->BevelWidth();
        EXPECT_LE(needed, label->width()) << name;
    }
}
