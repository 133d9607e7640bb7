// Picture button: state images across pointer and button events, the stop-at-first-
// failure image rule, caption placement, a button without images, accessibility.
#include "ui/controls/t_button_picture.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>
#include <memory>

#include "support/temp_folder.h"
#include "ui/ui_test_support.h"

namespace plindar {
namespace {

using test::CountNear;
using test::Near;
using test::Render;
using test::TempFolder;

const QColor kNormalColour(10, 200, 10);
const QColor kHoverColour(200, 10, 10);
const QColor kPressedColour(10, 10, 200);
const QColor kDisabledColour(120, 120, 120);
constexpr QSize kButtonSize(80, 30);
const QPoint kOutside(150, 150);

class ButtonPictureTest : public ::testing::Test {
protected:
    void SetUp() override {
        window_.resize(200, 200);
        button_ = new CTButtonPicture(&window_);
        button_->setGeometry(QRect(QPoint(20, 20), kButtonSize));
        normal_ = test::WriteSolidPng(folder_.Path(), "normal.png", kButtonSize, kNormalColour);
        hover_ = test::WriteSolidPng(folder_.Path(), "hover.png", kButtonSize, kHoverColour);
        pressed_ = test::WriteSolidPng(folder_.Path(), "pressed.png", kButtonSize, kPressedColour);
        disabled_ =
            test::WriteSolidPng(folder_.Path(), "disabled.png", kButtonSize, kDisabledColour);
        ASSERT_TRUE(test::ShowActive(&window_));
    }

    // The colour the button paints in its middle, away from any caption.
    QColor PaintedColour() { return Render(button_).pixelColor(3, 3); }

    TempFolder folder_;
    QWidget window_;
    CTButtonPicture* button_ = nullptr;
    QString normal_, hover_, pressed_, disabled_;
};

TEST_F(ButtonPictureTest, StateImagesFollowPointerPressReleaseLeaveAndDisable) {
    button_->SetImages(normal_, hover_, pressed_, disabled_);
    QSignalSpy clicks(button_, &QAbstractButton::clicked);
    const QPoint inside = button_->rect().center();

    EXPECT_EQ(button_->DrawState(), ButtonState::kNormal);
    EXPECT_TRUE(Near(PaintedColour(), kNormalColour));

    QTest::mouseMove(&window_, button_->geometry().center());
    EXPECT_EQ(button_->DrawState(), ButtonState::kHover);
    EXPECT_TRUE(Near(PaintedColour(), kHoverColour));

    QTest::mousePress(button_, Qt::LeftButton, {}, inside);
    EXPECT_EQ(button_->DrawState(), ButtonState::kPressed);
    EXPECT_TRUE(Near(PaintedColour(), kPressedColour));

    QTest::mouseRelease(button_, Qt::LeftButton, {}, inside);
    EXPECT_EQ(button_->DrawState(), ButtonState::kHover);
    EXPECT_EQ(clicks.count(), 1);

    QTest::mouseMove(&window_, kOutside);
    EXPECT_EQ(button_->DrawState(), ButtonState::kNormal);
    EXPECT_TRUE(Near(PaintedColour(), kNormalColour));

    button_->setEnabled(false);
    EXPECT_EQ(button_->DrawState(), ButtonState::kDisabled);
    EXPECT_TRUE(Near(PaintedColour(), kDisabledColour));
    button_->setEnabled(true);
    EXPECT_EQ(button_->DrawState(), ButtonState::kNormal);
}

TEST_F(ButtonPictureTest, ImagesLoadInOrderUntilTheFirstThatFails) {
    const QString missing = QString::fromStdString(folder_.Path()) + "missing.png";
    struct Case {
        QString hover;
        QString pressed;
        QString disabled;
        int loaded;
    } const cases[] = {
        {hover_, pressed_, disabled_, 4},    {hover_, pressed_, missing, 3},
        {hover_, missing, disabled_, 2},     {missing, pressed_, disabled_, 1},
        {QString(), pressed_, disabled_, 1},
    };
    const ButtonState states[] = {ButtonState::kNormal, ButtonState::kHover, ButtonState::kPressed,
                                  ButtonState::kDisabled};
    for (const Case& c : cases) {
        button_->SetImages(normal_, c.hover, c.pressed, c.disabled);
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(button_->HasImage(states[i]), i < c.loaded)
                << "loaded " << c.loaded << ", state " << i;
        }
    }
    // A new set replaces the old one entirely, also when its first image fails.
    button_->SetImages(missing, hover_, pressed_, disabled_);
    for (ButtonState state : states) {
        EXPECT_FALSE(button_->HasImage(state));
    }
}

TEST_F(ButtonPictureTest, WithoutImagesTheCaptionShowsAndTheButtonClicks) {
    const QColor caption(250, 0, 250);
    button_->SetImages(QString::fromStdString(folder_.Path()) + "none.png");
    button_->setText("Apply");
    button_->SetCaptionColours(caption, caption, caption);
    QSignalSpy clicks(button_, &QAbstractButton::clicked);

    const QImage painted = Render(button_);
    EXPECT_GT(CountNear(painted, button_->CaptionRect(), caption, 60), 0);
    // Nothing is painted outside the caption: the parent shows through.
    EXPECT_EQ(painted.pixelColor(0, 0).alpha(), 0);

    QTest::mouseClick(button_, Qt::LeftButton, {}, button_->rect().center());
    EXPECT_EQ(clicks.count(), 1);
}

TEST_F(ButtonPictureTest, CaptionColourFollowsTheState) {
    const QColor normal(68, 68, 79), active(216, 34, 40), disabled(1, 2, 3);
    button_->SetCaptionColours(normal, active, disabled);
    EXPECT_EQ(button_->CaptionColour(), normal);
    QTest::mouseMove(&window_, button_->geometry().center());
    EXPECT_EQ(button_->CaptionColour(), active);
    QTest::mousePress(button_, Qt::LeftButton, {}, button_->rect().center());
    EXPECT_EQ(button_->CaptionColour(), active);
    QTest::mouseRelease(button_, Qt::LeftButton, {}, button_->rect().center());
    button_->setEnabled(false);
    EXPECT_EQ(button_->CaptionColour(), disabled);
}

TEST_F(ButtonPictureTest, CaptionIsPlacedByItsAlignmentCode) {
    constexpr int kMargin = 5;
    button_->resize(120, 40);
    button_->setText("Scan");
    button_->SetCaptionMargin(kMargin);
    const int w = button_->width();
    const int h = button_->height();
    struct Case {
        int code;
        enum { kLeftAtMargin, kRightAtMargin, kCentreX, kZeroX } x;
        enum { kCentreY, kTop, kBottom } y;
    } const cases[] = {
        {kCaptionCentre, Case::kCentreX, Case::kCentreY},
        {kCaptionLeft, Case::kLeftAtMargin, Case::kCentreY},
        {kCaptionRight, Case::kRightAtMargin, Case::kCentreY},
        {kCaptionTopCentre, Case::kCentreX, Case::kTop},
        {kCaptionBottomLeft, Case::kZeroX, Case::kBottom},
        {kCaptionBottomCentre, Case::kCentreX, Case::kBottom},
        {0, Case::kZeroX, Case::kTop},
        {0x400, Case::kZeroX, Case::kTop},
        {0xC00, Case::kZeroX, Case::kTop},
    };
    for (const Case& c : cases) {
        button_->SetCaptionAlignment(c.code);
        const QRect r = button_->CaptionRect();
        SCOPED_TRACE(testing::Message() << "code 0x" << std::hex << c.code);
        ASSERT_GT(r.width(), 0);
        switch (c.x) {
            case Case::kLeftAtMargin:
                EXPECT_EQ(r.left(), kMargin + 2);
                break;
            case Case::kRightAtMargin:
                EXPECT_EQ(r.left() + r.width(), w - kMargin - 2);
                break;
            case Case::kCentreX:
                EXPECT_LE(std::abs(r.left() + r.width() / 2 - w / 2), 1);
                break;
            case Case::kZeroX:
                EXPECT_EQ(r.left(), 0);
                break;
        }
        switch (c.y) {
            case Case::kCentreY:
                EXPECT_LE(std::abs(r.top() + r.height() / 2 - h / 2), 1);
                break;
            case Case::kTop:
                EXPECT_EQ(r.top(), 0);
                break;
            case Case::kBottom:
                EXPECT_EQ(r.top() + r.height(), h);
                break;
        }
    }
}

TEST_F(ButtonPictureTest, ACaptionWiderThanTheButtonIsDrawnSmallerInsideIt) {
    CTButtonPicture button;
    button.setText(QStringLiteral("Device Customization"));
    button.SetCaptionFont(QString(), 17, 400);
    button.resize(400, 24);
    const QRect roomy = button.CaptionRect();
    button.resize(140, 24);
    const QRect tight = button.CaptionRect();
    EXPECT_LT(tight.width(), roomy.width());
    EXPECT_GE(tight.left(), 0);
    EXPECT_LE(tight.right(), 139);
}

TEST_F(ButtonPictureTest, CaptionNeverStartsAtNegativeCoordinates) {
    button_->resize(20, 8);
    button_->setText("A caption far wider than the button");
    for (int code : {kCaptionCentre, kCaptionRight, kCaptionBottomCentre, kCaptionBottomLeft}) {
        button_->SetCaptionAlignment(code);
        EXPECT_GE(button_->CaptionRect().left(), 0) << code;
        EXPECT_GE(button_->CaptionRect().top(), 0) << code;
    }
}

TEST_F(ButtonPictureTest, CaptionIsPaintedWhereItsAlignmentPutsIt) {
    const QColor caption(250, 0, 250);
    button_->resize(120, 40);
    button_->setText("Scan");
    button_->SetCaptionColours(caption, caption, caption);
    for (int code : {kCaptionLeft, kCaptionRight, kCaptionBottomCentre}) {
        button_->SetCaptionAlignment(code);
        const QImage painted = Render(button_);
        const QRect r = button_->CaptionRect();
        const int all = CountNear(painted, painted.rect(), caption, 60);
        EXPECT_GT(all, 0) << code;
        EXPECT_EQ(CountNear(painted, r, caption, 60), all) << code;
    }
}

TEST_F(ButtonPictureTest, LargerImagesAreStretchedAndSmallerOnesDrawnAtTheTopLeft) {
    const QString small = test::WriteSolidPng(folder_.Path(), "small.png", {20, 10}, kHoverColour);
    button_->SetImages(small);
    QImage painted = Render(button_);
    EXPECT_TRUE(Near(painted.pixelColor(5, 5), kHoverColour));
    EXPECT_EQ(painted.pixelColor(kButtonSize.width() - 2, kButtonSize.height() - 2).alpha(), 0);

    const QString large = test::WriteSolidPng(folder_.Path(), "large.png", {160, 20}, kHoverColour);
    button_->SetImages(large);
    painted = Render(button_);
    EXPECT_TRUE(
        Near(painted.pixelColor(kButtonSize.width() - 2, kButtonSize.height() - 2), kHoverColour));
}

TEST_F(ButtonPictureTest, FrameOnHoverAndHandCursor) {
    const QColor active(0, 0, 0);
    button_->SetFrameOnHover(true);
    button_->SetCaptionColours(Qt::white, active, Qt::white);
    EXPECT_EQ(Render(button_).pixelColor(0, 10).alpha(), 0);
    QTest::mouseMove(&window_, button_->geometry().center());
    EXPECT_TRUE(Near(Render(button_).pixelColor(0, 10), active));
    EXPECT_EQ(button_->cursor().shape(), Qt::PointingHandCursor);
}

TEST_F(ButtonPictureTest, AccessibilitySeesAPushButtonWithItsCaptionOrTooltip) {
    button_->setText("Apply");
    QAccessibleInterface* named = QAccessible::queryAccessibleInterface(button_);
    ASSERT_NE(named, nullptr);
    EXPECT_EQ(named->role(), QAccessible::Button);
    EXPECT_EQ(named->text(QAccessible::Name), "Apply");

    auto* image_only = new CTButtonPicture(&window_);
    image_only->setToolTip("Close");
    QAccessibleInterface* close = QAccessible::queryAccessibleInterface(image_only);
    ASSERT_NE(close, nullptr);
    EXPECT_EQ(close->role(), QAccessible::Button);
    EXPECT_EQ(close->text(QAccessible::Name), "Close");
    image_only->setToolTip("Minimise");
    EXPECT_EQ(close->text(QAccessible::Name), "Minimise");
}

}  // namespace
}  // namespace plindar
