#include "window/TKakudaiGazoForm.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using window::TKakudaiGazoForm;

namespace {

TEST(KakudaiGazoSize, HalfTheScreenAtMostNeverLargerThanThePicture)
{
    const QSize screen(1920, 1080);
    EXPECT_EQ(TKakudaiGazoForm::ImageSize({800, 600}, screen), QSize(720, 540));
    EXPECT_EQ(TKakudaiGazoForm::ImageSize({400, 300}, screen), QSize(400, 300));
    EXPECT_EQ(TKakudaiGazoForm::ImageSize({1600, 400}, screen), QSize(960, 240));
    // 5 × 540 / 600 is 4.5 and 15 × 540 / 600 is 13.5: halves go to the even neighbour.
    EXPECT_EQ(TKakudaiGazoForm::ImageSize({5, 600}, screen), QSize(4, 540));
    EXPECT_EQ(TKakudaiGazoForm::ImageSize({15, 600}, screen), QSize(14, 540));
}

QImage filled(QSize size, QColor colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

TEST(KakudaiGazoForm, SizedWhenItBecomesVisibleOnly)
{
    TKakudaiGazoForm form;
    const QSize available = QGuiApplication::primaryScreen()->availableGeometry().size();
    auto* image1 = form.findChild<QWidget*>(u"Image1"_s);
    const auto* button1 = form.findChild<QWidget*>(u"Button1"_s);
    ASSERT_TRUE(image1 && button1);

    const QImage first = filled({1200, 900}, Qt::red);
    form.ShowEnlarged(first, u"No.3の画像"_s);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    const QSize enlarged = TKakudaiGazoForm::ImageSize(first.size(), available);
    ASSERT_NE(enlarged, first.size());
    const QSize opened(enlarged.width(), enlarged.height() + 33 + 10);
    EXPECT_EQ(form.size(), opened);
    EXPECT_EQ(button1->y(), enlarged.height() + 5);
    EXPECT_EQ(form.windowTitle(), u"No.3の画像"_s);

    // A second picture while the window is open: new picture and caption, same size.
    form.ShowEnlarged(filled({40, 30}, Qt::blue), u"No.7の画像"_s);
    EXPECT_EQ(form.windowTitle(), u"No.7の画像"_s);
    EXPECT_EQ(form.size(), opened);
    EXPECT_EQ(image1->grab().toImage().pixelColor(2, 2), QColor(Qt::blue));

    // Closed and opened again, it takes the size of the picture it shows now.
    form.hide();
    form.ShowEnlarged(filled({40, 30}, Qt::blue), u"No.7の画像"_s);
    EXPECT_EQ(form.size(), QSize(40, 30 + 33 + 10));
}

} // namespace
