#include "window/TBevelLabel.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTest>

#include <gtest/gtest.h>

#include <vector>

using namespace Qt::StringLiterals;
using window::TBevelLabel;

namespace {

const QColor kBack(0, 200, 0), kRed(255, 0, 0), kBlue(0, 0, 255), kBlack(0, 0, 0);

struct Pass {
    QPoint offset;
    QColor color;
};

// Big enough that every shifted copy of the caption stays inside.
void prepare(TBevelLabel& label, const QString& caption)
{
    label.setText(caption);
    label.resize(220, 90);
    QFont f(u"DejaVu Sans"_s);
    f.setPixelSize(48);
    f.setBold(true);
    label.setFont(f);
    label.setFontColor(kBlack);
    QPalette pal = label.palette();
    pal.setColor(QPalette::Window, kBack);
    label.setPalette(pal);
    label.setAutoFillBackground(true);
}

// The background with `text` stamped once per pass at its offset, later passes on top.
QImage expected(const TBevelLabel& label, const QString& text, const std::vector<Pass>& passes)
{
    QImage mask(label.size(), QImage::Format_ARGB32);
    mask.fill(Qt::transparent);
    QPainter p(&mask);
    QFont f = label.font();
    f.setStyleStrategy(QFont::NoAntialias);
    p.setFont(f);
    p.drawText(mask.rect(), Qt::AlignLeft | Qt::AlignTop, text);

    QImage out(mask.size(), QImage::Format_RGB32);
    out.fill(kBack);
    for (const Pass& pass : passes)
        for (int y = 0; y < out.height(); ++y)
            for (int x = 0; x < out.width(); ++x) {
                const QPoint src = QPoint(x, y) - pass.offset;
                if (mask.rect().contains(src) && qAlpha(mask.pixel(src)) != 0)
                    out.setPixel(x, y, pass.color.rgb());
            }
    return out;
}

void expectDrawn(TBevelLabel& label, const QImage& want)
{
    EXPECT_TRUE(label.grab().toImage().convertToFormat(QImage::Format_RGB32) == want);
}

} // namespace

TEST(TBevelLabel, NewLabelDefaults)
{
    TBevelLabel label;
    EXPECT_EQ(label.size(), QSize(125, 26));
    EXPECT_EQ(label.font().pointSize(), 20);
    EXPECT_TRUE(label.font().bold());
    EXPECT_EQ(label.fontColor(), QColor(0, 128, 128));
    EXPECT_EQ(label.property("HighLightColor").value<QColor>(), QColor(255, 255, 255));
    EXPECT_EQ(label.property("ShadowColor").value<QColor>(), kBlack);
    EXPECT_EQ(label.property("BevelType").toInt(), int(TBevelLabel::btRightBottom));
    EXPECT_EQ(label.property("BevelWidth").toInt(), 2);
    EXPECT_TRUE(label.property("ColorBrend").toBool());
    label.setBevelWidth(0);
    EXPECT_EQ(label.BevelWidth(), 1);
}

TEST(TBevelLabelPainting, PassesLandAtTheirOffsetsInTheirColours)
{
    const QColor white(255, 255, 255), grey(127, 127, 127);
    const struct {
        TBevelLabel::TBevelType type;
        int width;
        bool blend;
        QColor high;
        QColor shadow;
        std::vector<Pass> passes;
    } cases[] = {
        // Black text, white highlight blended to grey, black shadow.
        {TBevelLabel::btRightBottom,
         2,
         true,
         white,
         kBlack,
         {{{-1, -1}, grey}, {{1, 1}, kBlack}, {{2, 2}, kBlack}, {{0, 0}, kBlack}}},
        {TBevelLabel::btRightBottom,
         2,
         false,
         kRed,
         kBlue,
         {{{-1, -1}, kRed}, {{1, 1}, kBlue}, {{2, 2}, kBlue}, {{0, 0}, kBlack}}},
        {TBevelLabel::btLeftTop,
         2,
         false,
         kRed,
         kBlue,
         {{{-2, -2}, kBlue}, {{-1, -1}, kBlue}, {{1, 1}, kRed}, {{0, 0}, kBlack}}},
        {TBevelLabel::btRightTop,
         3,
         false,
         kRed,
         kBlue,
         {{{3, -3}, kBlue}, {{2, -2}, kBlue}, {{1, -1}, kBlue}, {{-1, 1}, kRed}, {{0, 0}, kBlack}}},
        {TBevelLabel::btLeftBottom,
         2,
         false,
         kRed,
         kBlue,
         {{{1, -1}, kRed}, {{-1, 1}, kBlue}, {{-2, 2}, kBlue}, {{0, 0}, kBlack}}},
        {TBevelLabel::btNone, 2, false, kRed, kBlue, {{{0, 0}, kBlack}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "type " << c.type << " blend " << c.blend);
        TBevelLabel label;
        prepare(label, u"Ab"_s);
        label.setBevelType(c.type);
        label.setBevelWidth(c.width);
        label.setColorBrend(c.blend);
        label.setHighLightColor(c.high);
        label.setShadowColor(c.shadow);
        expectDrawn(label, expected(label, u"Ab"_s, c.passes));
    }
}

TEST(TBevelLabelPainting, OnlyTheFirstAmpersandIsDropped)
{
    for (const auto& [caption, shown] : {std::pair{u"A&B"_s, u"AB"_s}, std::pair{u"A&&B"_s, u"A&B"_s}}) {
        TBevelLabel label;
        prepare(label, caption);
        label.setBevelType(TBevelLabel::btNone);
        const std::vector<Pass> text{{{0, 0}, kBlack}};
        ASSERT_NE(expected(label, caption, text), expected(label, shown, text));
        expectDrawn(label, expected(label, shown, text));
    }
}

TEST(TBevelLabelPainting, DisabledLabelIsEngraved)
{
    TBevelLabel label;
    prepare(label, u"Ab"_s);
    const QColor grey(128, 128, 128);
    QPalette pal = label.palette();
    pal.setColor(QPalette::Disabled, QPalette::WindowText, grey);
    label.setPalette(pal);
    label.setEnabled(false);
    expectDrawn(label, expected(label, u"Ab"_s, {{{0, 0}, Qt::white}, {{-1, -1}, grey}}));
}

// Setting the font colour must not make the engraved text take it.
TEST(TBevelLabelPainting, DisabledLabelUsesTheSystemDisabledColourNotItsFontColour)
{
    TBevelLabel label;
    prepare(label, u"Ab"_s);
    label.setFontColor(kRed);
    const QColor system = QApplication::palette(&label).color(QPalette::Disabled, QPalette::WindowText);
    ASSERT_NE(system, kRed);
    ASSERT_NE(system, QColor(Qt::white));
    label.setEnabled(false);
    EXPECT_EQ(label.fontColor(), kRed);
    expectDrawn(label, expected(label, u"Ab"_s, {{{0, 0}, Qt::white}, {{-1, -1}, system}}));
}

TEST(TBevelLabelPainting, OnlyChangedValuesRepaint)
{
    struct PaintCounter final : QObject {
        int paints = 0;
        bool eventFilter(QObject*, QEvent* event) override
        {
            paints += event->type() == QEvent::Paint ? 1 : 0;
            return false;
        }
    } counter;
    TBevelLabel label(u"Ab"_s);
    label.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&label));
    label.installEventFilter(&counter);

    const std::pair<const char*, QVariant> changes[] = {{"HighLightColor", QColor(1, 2, 3)},
                                                        {"ShadowColor", QColor(4, 5, 6)},
                                                        {"BevelType", int(TBevelLabel::btLeftTop)},
                                                        {"BevelWidth", 5},
                                                        {"ColorBrend", false},
                                                        {"text", u"Cd"_s}};
    for (const auto& [name, other] : changes) {
        SCOPED_TRACE(name);
        QTest::qWait(30);
        counter.paints = 0;
        label.setProperty(name, label.property(name));
        QTest::qWait(60);
        EXPECT_EQ(counter.paints, 0);
        label.setProperty(name, other);
        EXPECT_TRUE(QTest::qWaitFor([&] { return counter.paints > 0; }, 2000));
    }
}
