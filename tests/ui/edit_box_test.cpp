// Skinned edit box: the hint, password masking, the change signal, the clear mark,
// the eye icon, border colours and naming after a label.
#include "ui/controls/t_edit_gdiplus.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>

#include "support/temp_folder.h"
#include "ui/ui_test_support.h"

namespace plindar {
namespace {

class EditBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        window_.resize(300, 200);
        edit_ = new CTEditGdiplus(&window_);
        edit_->setGeometry(20, 20, 200, 30);
        other_ = new CTEditGdiplus(&window_);
        other_->setGeometry(20, 100, 200, 30);
        ASSERT_TRUE(test::ShowActive(&window_));
        other_->setFocus();
    }

    QWidget window_;
    CTEditGdiplus* edit_ = nullptr;
    CTEditGdiplus* other_ = nullptr;
};

TEST_F(EditBoxTest, EmptyPasswordBoxShowsItsHintUnmaskedAndMasksWhatIsTyped) {
    edit_->SetPasswordMode(true);
    edit_->SetHintText("Lock code");
    other_->SetHintText("Lock code");  // the same hint in a plain box
    ASSERT_FALSE(edit_->hasFocus());
    EXPECT_TRUE(edit_->IsHintShowing());
    EXPECT_FALSE(edit_->IsMasked());
    // The password box paints its hint exactly as a plain box does.
    other_->clearFocus();
    EXPECT_EQ(test::Render(edit_), test::Render(other_));

    edit_->setFocus();
    ASSERT_TRUE(edit_->hasFocus());
    EXPECT_FALSE(edit_->IsHintShowing());
    EXPECT_TRUE(edit_->placeholderText().isEmpty());
    QTest::keyClicks(edit_, "abc");
    EXPECT_EQ(edit_->text(), "abc");
    EXPECT_EQ(edit_->displayText(), "***");
    EXPECT_TRUE(edit_->IsMasked());

    other_->setFocus();
    EXPECT_TRUE(edit_->IsMasked());
    EXPECT_FALSE(edit_->IsHintShowing());

    edit_->clear();
    EXPECT_TRUE(edit_->IsHintShowing());
    EXPECT_EQ(edit_->placeholderText(), "Lock code");
}

TEST_F(EditBoxTest, HintComesBackWhenTheBoxLosesTheFocusEmpty) {
    edit_->SetHintText("AC Name", QColor(1, 2, 3));
    edit_->setFocus();
    EXPECT_FALSE(edit_->IsHintShowing());
    other_->setFocus();
    EXPECT_TRUE(edit_->IsHintShowing());
    EXPECT_EQ(edit_->palette().color(QPalette::PlaceholderText), QColor(1, 2, 3));
}

TEST_F(EditBoxTest, EveryTextChangeSignalsTheRegisteredValue) {
    QSignalSpy changes(edit_, &CTEditGdiplus::EditChanged);
    edit_->setText("before registration");
    EXPECT_EQ(changes.count(), 0);

    constexpr int kValue = 3001;
    edit_->SetChangeNotification(kValue);
    edit_->setFocus();
    edit_->clear();
    QTest::keyClicks(edit_, "ab");
    QTest::keyClick(edit_, Qt::Key_Backspace);
    ASSERT_EQ(changes.count(), 4);
    for (const QList<QVariant>& arguments : changes) {
        EXPECT_EQ(arguments.at(0).toInt(), kValue);
    }
    EXPECT_EQ(edit_->text(), "a");
}

TEST_F(EditBoxTest, ClearMarkShowsWithTextAndEmptiesTheBox) {
    edit_->SetClearMark(true);
    EXPECT_TRUE(edit_->ClearRect().isNull());
    edit_->SetChangeNotification(7);
    QSignalSpy changes(edit_, &CTEditGdiplus::EditChanged);
    edit_->setText("192.168.1.1");
    const QRect mark = edit_->ClearRect();
    ASSERT_FALSE(mark.isNull());
    EXPECT_LE(mark.right(), edit_->width() - 6);
    QTest::mouseClick(edit_, Qt::LeftButton, {}, mark.center());
    EXPECT_TRUE(edit_->text().isEmpty());
    EXPECT_EQ(changes.count(), 2);
    EXPECT_TRUE(edit_->ClearRect().isNull());
}

TEST_F(EditBoxTest, EyeIconTogglesTheMask) {
    test::TempFolder folder;
    const QString masked = test::WriteSolidPng(folder.Path(), "eye_off.png", {16, 16}, Qt::red);
    const QString plain = test::WriteSolidPng(folder.Path(), "eye_on.png", {16, 16}, Qt::blue);
    edit_->SetPasswordMode(true);
    edit_->SetEyeImages(masked, plain);
    edit_->setText("secret");
    ASSERT_FALSE(edit_->EyeRect().isNull());
    EXPECT_EQ(edit_->displayText(), "******");
    QTest::mouseClick(edit_, Qt::LeftButton, {}, edit_->EyeRect().center());
    EXPECT_EQ(edit_->displayText(), "secret");
    EXPECT_TRUE(test::Near(test::Render(edit_).pixelColor(edit_->EyeRect().center()), Qt::blue));
    QTest::mouseClick(edit_, Qt::LeftButton, {}, edit_->EyeRect().center());
    EXPECT_EQ(edit_->displayText(), "******");
    EXPECT_TRUE(test::Near(test::Render(edit_).pixelColor(edit_->EyeRect().center()), Qt::red));
    EXPECT_EQ(edit_->text(), "secret");
}

TEST_F(EditBoxTest, EyeWithoutImagesIsNoIcon) {
    edit_->SetPasswordMode(true);
    edit_->SetEyeImages("/nonexistent/eye.png", "/nonexistent/eye2.png");
    edit_->setText("secret");
    EXPECT_TRUE(edit_->EyeRect().isNull());
    EXPECT_TRUE(edit_->IsMasked());
}

TEST_F(EditBoxTest, BorderColourFollowsHoverFocusAndEnabled) {
    ApplyEditStyle(edit_);
    const QColor normal(213, 213, 220), active(216, 34, 40);
    EXPECT_EQ(edit_->BorderColour(), normal);
    QTest::mouseMove(&window_, edit_->geometry().center());
    EXPECT_EQ(edit_->BorderColour(), active);
    QTest::mouseMove(&window_, QPoint(280, 180));
    EXPECT_EQ(edit_->BorderColour(), normal);
    edit_->setFocus();
    EXPECT_EQ(edit_->BorderColour(), active);
    edit_->setEnabled(false);
    EXPECT_EQ(edit_->BorderColour(), QColor(Qt::black));
    EXPECT_DOUBLE_EQ(edit_->font().pointSizeF(), 9.6);

    // The border is painted in that colour, anti-aliased around the corners.
    const QImage painted = test::Render(edit_);
    EXPECT_TRUE(test::Near(painted.pixelColor(edit_->width() / 2, 0), Qt::black, 30));
    EXPECT_TRUE(test::Near(painted.pixelColor(edit_->width() / 2, edit_->height() / 2), Qt::white));
    EXPECT_LT(painted.pixelColor(0, 0).alpha(), 128);
}

TEST_F(EditBoxTest, DefaultBorderColours) {
    EXPECT_EQ(edit_->BorderColour(), QColor(102, 102, 153));
    edit_->setFocus();
    EXPECT_EQ(edit_->BorderColour(), QColor(255, 163, 132));
    other_->setFocus();
    QTest::mouseMove(&window_, edit_->geometry().center());
    EXPECT_EQ(edit_->BorderColour(), QColor(0, 176, 88));
    edit_->setEnabled(false);
    EXPECT_EQ(edit_->BorderColour(), QColor(96, 96, 96));
}

TEST_F(EditBoxTest, NamedAfterItsLabelAlsoOnceTheLabelIsTranslated) {
    auto* label = new QLabel("Lock code", &window_);
    NameAfterLabel(edit_, label);
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(edit_);
    ASSERT_NE(iface, nullptr);
    EXPECT_EQ(iface->role(), QAccessible::EditableText);
    EXPECT_EQ(iface->text(QAccessible::Name), "Lock code");
    label->setText(QString::fromUtf8("锁定码"));
    EXPECT_EQ(iface->text(QAccessible::Name), QString::fromUtf8("锁定码"));

    // A label in another container names the box with its text of the moment.
    QWidget elsewhere(&window_);
    auto* far_label = new QLabel("AC Name", &elsewhere);
    NameAfterLabel(other_, far_label);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(other_)->text(QAccessible::Name), "AC Name");
}

TEST_F(EditBoxTest, TextStartsSixPixelsIn) {
    const QColor text(200, 0, 0);
    edit_->SetTextColour(text);
    edit_->setText("W");
    const QImage painted = test::Render(edit_);
    int first = painted.width();
    for (int x = 0; x < painted.width() && first == painted.width(); ++x) {
        for (int y = 2; y < painted.height() - 2; ++y) {
            if (test::Near(painted.pixelColor(x, y), text, 90)) {
                first = x;
                break;
            }
        }
    }
    EXPECT_GE(first, 6);
    EXPECT_LE(first, 8);
}

}  // namespace
}  // namespace plindar
