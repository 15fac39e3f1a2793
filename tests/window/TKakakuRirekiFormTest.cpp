#include "window/TKakakuRirekiForm.h"
#include "window/Fonts.h"

#include <QDir>
#include <QImage>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using window::TKakakuRirekiForm;

namespace {

QDateTime At(int minutes)
{
    return QDateTime(QDate(2026, 12, 9), QTime(12, 0)).addSecs(minutes * 60);
}

// The rows of column x (or, across, the columns of row y) in the colour.
std::vector<int> LineIn(const QImage& shot, int at, const QColor& colour, bool across = false)
{
    std::vector<int> found;
    for (int i = 0; i < (across ? shot.width() : shot.height()); ++i)
        if (shot.pixel(across ? i : at, across ? at : i) == colour.rgb())
            found.push_back(i);
    return found;
}

TEST(TKakakuRirekiForm, DrawsTheStepsOfThePriceWithBudgetOwnBidAndEnd)
{
    window::InstallFontSubstitutions();
    watchlist::KakakuRireki rireki;
    rireki.Caption = u"カメラ-No1 Nikon F3"_s;
    // Twelve readings, every ten minutes, rising from 1,000円 to 5,400円; the end twenty minutes later.
    for (int i = 0; i < 12; ++i)
        rireki.Readings.push_back({At(i * 10), 1000 + i * 400, i});
    rireki.Yosan = 3000;
    rireki.Nyusatugaku = 4500;
    rireki.ShuryoTime = At(130);
    TKakakuRirekiForm form;
    form.ShowKakakuRireki(rireki);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    EXPECT_EQ(form.windowTitle(), u"価格の推移 - カメラ-No1 Nikon F3"_s);
    const QImage shot = form.grab().toImage();
    if (const QString folder = qEnvironmentVariable("MIRUBERO_SCREENSHOTS"); !folder.isEmpty()) {
        EXPECT_TRUE(QDir().mkpath(folder) && shot.save(folder + u"/price-history.png"_s));
    }
    const QRect plot = form.PlotRect();
    ASSERT_GT(plot.width(), 300);

    // A dot at each reading, later ones further right and higher up; between two readings the
    // price holds.
    std::vector<QPoint> dots;
    for (const auto& reading : rireki.Readings) {
        const QPoint dot = form.PointAt(reading.Time, reading.Price).toPoint();
        EXPECT_TRUE(plot.contains(dot));
        EXPECT_EQ(shot.pixel(dot), TKakakuRirekiForm::CurveColour().rgb()) << reading.Price;
        if (!dots.empty()) {
            EXPECT_GT(dot.x(), dots.back().x() + 20);
            EXPECT_LT(dot.y(), dots.back().y() - 10);
            const QPoint held((dots.back().x() + dot.x()) / 2, dots.back().y());
            EXPECT_EQ(shot.pixel(held), TKakakuRirekiForm::CurveColour().rgb());
            EXPECT_NE(shot.pixel(held.x(), dot.y()), TKakakuRirekiForm::CurveColour().rgb());
        }
        dots.push_back(dot);
    }

    // The budget and the own bid each draw one row across the plot, where the curve's prices put
    // them: 3,000円 halfway between the dots of 2,600円 and 3,400円, 4,500円 between 4,200円 and 4,600円.
    const int x = plot.left() + 3;
    const auto budget = LineIn(shot, x, TKakakuRirekiForm::YosanColour());
    ASSERT_EQ(budget.size(), 1u);
    EXPECT_NEAR(budget[0], (dots[4].y() + dots[6].y()) / 2.0, 1.0);
    EXPECT_EQ(LineIn(shot, plot.right() - 3, TKakakuRirekiForm::YosanColour()), budget);
    const auto ownBid = LineIn(shot, x, TKakakuRirekiForm::NyusatugakuColour());
    ASSERT_EQ(ownBid.size(), 1u);
    EXPECT_NEAR(ownBid[0], dots[8].y() + (dots[9].y() - dots[8].y()) * 0.75, 1.0);

    // The end: one upright line two steps of ten minutes after the last reading.
    const auto end = LineIn(shot, plot.center().y(), TKakakuRirekiForm::ShuryoColour(), true);
    ASSERT_EQ(end.size(), 1u);
    EXPECT_NEAR(end[0], dots.back().x() + (dots.back().x() - dots.front().x()) * 2.0 / 11, 1.0);
    EXPECT_LT(end[0], plot.right());
}

} // namespace
