// Skinned label: character wrapping, block placement by alignment code, state
// colours, and what accessibility sees.
#include "ui/controls/t_static_gdiplus.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QFontMetrics>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>

#include "ui/controls/skin_look.h"
#include "ui/ui_test_support.h"

namespace plindar {
namespace {

QFont TestFont() {
    return SkinFont(QString(), 15, 0);
}

TEST(StaticTextBreakTest, BreaksAtLineFeedsAndBeforeTheCharacterThatRunsPastTheWidth) {
    const QFont font = TestFont();
    const QFontMetrics metrics(font);
    const int four = metrics.horizontalAdvance("abcd");
    struct Case {
        QString text;
        int width;
        QStringList lines;
    } const cases[] = {
        {"abc\ndef", 1000, {"abc", "def"}},
        {"abc\r\ndef", 1000, {"abc", "def"}},
        {"abcdefgh", four, {"abcd", "efgh"}},
        // No word boundaries: the break falls inside a word and keeps the blank.
        {"ab cab c", metrics.horizontalAdvance("ab c"), {"ab c", "ab c"}},
        {"abcd\nab", four, {"abcd", "ab"}},
        // A character wider than the label still takes a line of its own.
        {"WW", 1, {"W", "W"}},
        {"", 100, {""}},
        {"a\n\nb", 100, {"a", "", "b"}},
        {"锁定码不能为空", metrics.horizontalAdvance("锁定码"), {"锁定码", "不能为", "空"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(BreakStaticText(c.text, font, c.width), c.lines) << c.text.toStdString();
    }
}

TEST(FitFontTest, ShrinksUntilEveryLineFitsButNotBelowTheSmallestSize) {
    const QFont font = SkinFont(QString(), 17, 0);
    const QString text = QStringLiteral("Configuration successful:\nDevices");
    const int natural = QFontMetrics(font).horizontalAdvance("Configuration successful:");
    struct fit_case {
        int width;
        int height;
        bool shrinks;
    } const cases[] = {
        {natural + 10, 0, false},
        {natural * 3 / 4, 0, true},
        {natural + 10, QFontMetrics(font).height(), true},  // two lines, room for one
        {1, 0, true},
    };
    for (const fit_case& c : cases) {
        const QFont fitted = FitFontToBox(font, text, c.width, c.height);
        EXPECT_EQ(fitted.pixelSize() < 17, c.shrinks) << c.width << "x" << c.height;
        EXPECT_GE(fitted.pixelSize(), kSmallestFittedPixels);
        if (fitted.pixelSize() > kSmallestFittedPixels) {
            const QFontMetrics metrics(fitted);
            EXPECT_LE(metrics.horizontalAdvance("Configuration successful:"), c.width);
            if (c.height > 0) {
                EXPECT_LE(2 * metrics.height(), c.height);
            }
        }
    }
}

TEST(StaticTextPlaceTest, AlignmentCodesPlaceTheBlock) {
    const QFont font = TestFont();
    const QRect area(0, 0, 200, 100);
    const QStringList lines = {"one", "three"};
    const QRect block = PlaceStaticBlock(lines, font, area, kStaticTopLeft);
    const int bw = block.width();
    const int bh = block.height();
    ASSERT_EQ(bh, 2 * QFontMetrics(font).height());
    ASSERT_EQ(bw, QFontMetrics(font).horizontalAdvance("three"));
    const int mid_x = (area.width() - bw) / 2;
    const int mid_y = (area.height() - bh) / 2;
    struct Case {
        int code;
        QPoint top_left;
    } const cases[] = {
        {kStaticTopLeft, {0, 0}},
        {kStaticTopRight, {200 - bw, 0}},
        {kStaticTopLeftToo, {0, 0}},
        {kStaticBottomLeft, {0, 100 - bh}},
        {kStaticCentre, {mid_x, mid_y}},
        {kStaticLeftMiddle, {0, mid_y}},
        {kStaticRightMiddle, {200 - bw, mid_y}},
        {kStaticTopCentre, {mid_x, 0}},
        {kStaticBottomCentre, {mid_x, 100 - bh}},
    };
    for (const Case& c : cases) {
        const QRect placed = PlaceStaticBlock(lines, font, area, c.code);
        EXPECT_EQ(placed.topLeft(), c.top_left) << "code " << c.code;
        EXPECT_EQ(placed.size(), block.size()) << "code " << c.code;
    }
}

class StaticTextTest : public ::testing::Test {
protected:
    void SetUp() override {
        window_.resize(300, 200);
        label_ = new CTStaticGdiplus("Lock code", &window_);
        label_->setGeometry(20, 20, 150, 30);
        ASSERT_TRUE(test::ShowActive(&window_));
    }

    QWidget window_;
    CTStaticGdiplus* label_ = nullptr;
};

TEST_F(StaticTextTest, DefaultsAndStateColours) {
    EXPECT_EQ(label_->StateColour(), QColor(112, 112, 112));
    EXPECT_EQ(label_->TextAlignment(), kStaticLeftMiddle);
    EXPECT_EQ(label_->TextFont().pixelSize(), 15);

    const QColor normal(1, 1, 1), hover(2, 2, 2), pressed(3, 3, 3), disabled(4, 4, 4);
    label_->SetColours(normal, hover, pressed, disabled);
    QSignalSpy clicks(label_, &CTStaticGdiplus::clicked);
    EXPECT_EQ(label_->StateColour(), normal);
    QTest::mouseMove(&window_, label_->geometry().center());
    EXPECT_EQ(label_->State(), StaticState::kHover);
    EXPECT_EQ(label_->StateColour(), hover);
    QTest::mousePress(label_, Qt::LeftButton, {}, label_->rect().center());
    EXPECT_EQ(label_->StateColour(), pressed);
    QTest::mouseRelease(label_, Qt::LeftButton, {}, label_->rect().center());
    EXPECT_EQ(label_->StateColour(), hover);
    EXPECT_EQ(clicks.count(), 1);
    QTest::mouseMove(&window_, QPoint(250, 150));
    EXPECT_EQ(label_->StateColour(), normal);
    label_->setEnabled(false);
    EXPECT_EQ(label_->StateColour(), disabled);
}

TEST_F(StaticTextTest, PaintsTextInTheBlockAndTheFillBehindIt) {
    const QColor text(200, 0, 0);
    const QColor fill(0, 200, 0);
    label_->SetColour(text);
    label_->SetTextAlignment(kStaticRightMiddle);
    QImage painted = test::Render(label_);
    // Transparent without a fill; text only inside the placed block.
    EXPECT_EQ(painted.pixelColor(0, 0).alpha(), 0);
    const int all = test::CountNear(painted, painted.rect(), text, 60);
    EXPECT_GT(all, 0);
    EXPECT_EQ(test::CountNear(painted, label_->TextBlockRect(), text, 60), all);
    EXPECT_GT(label_->TextBlockRect().left(), 0);

    label_->SetFillColour(fill);
    painted = test::Render(label_);
    EXPECT_TRUE(test::Near(painted.pixelColor(0, 0), fill));
}

TEST_F(StaticTextTest, AccessibilitySeesStaticTextWithItsText) {
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(label_);
    ASSERT_NE(iface, nullptr);
    EXPECT_EQ(iface->role(), QAccessible::StaticText);
    EXPECT_EQ(iface->text(QAccessible::Name), "Lock code");
    label_->SetText("AC Name");
    EXPECT_EQ(iface->text(QAccessible::Name), "AC Name");
}

}  // namespace
}  // namespace plindar
