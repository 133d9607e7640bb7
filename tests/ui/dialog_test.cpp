// Skinned dialog base: background image and fill, keys that must not close it,
// rounded corners; and the separator line.
#include "ui/controls/t_dialog.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "support/temp_folder.h"
#include "ui/controls/color_line.h"
#include "ui/ui_test_support.h"

namespace plindar {
namespace {

const QColor kImageColour(30, 90, 150);
const QColor kFillColour(248, 248, 248);

QColor PaintedAt(QWidget* widget, QPoint at) {
    return widget->grab().toImage().pixelColor(at);
}

TEST(SkinnedDialogTest, EmptyBackgroundPathKeepsTheCurrentBackground) {
    test::TempFolder folder;
    CTDialog dialog;
    dialog.resize(200, 100);
    dialog.SetFillColour(kFillColour);
    dialog.SetFill(true);
    EXPECT_TRUE(test::Near(PaintedAt(&dialog, {50, 50}), kFillColour, 0));

    dialog.SetBackgroundImage(test::WriteSolidPng(folder.Path(), "bk.png", {20, 10}, kImageColour));
    ASSERT_TRUE(dialog.HasBackgroundImage());
    // Stretched over the whole dialog.
    EXPECT_TRUE(test::Near(PaintedAt(&dialog, {190, 90}), kImageColour));

    dialog.SetBackgroundImage(QString());
    EXPECT_TRUE(dialog.HasBackgroundImage());
    EXPECT_TRUE(test::Near(PaintedAt(&dialog, {50, 50}), kImageColour));

    // A file that does not load drops the image: the fill shows again.
    dialog.SetBackgroundImage(QString::fromStdString(folder.Path()) + "missing.png");
    EXPECT_FALSE(dialog.HasBackgroundImage());
    EXPECT_TRUE(test::Near(PaintedAt(&dialog, {50, 50}), kFillColour, 0));
}

TEST(SkinnedDialogTest, EnterAndEscapeNeverCloseIt) {
    CTDialog dialog;
    dialog.resize(200, 100);
    auto* button = new QPushButton("Default", &dialog);
    button->setDefault(true);
    QSignalSpy pressed(button, &QPushButton::clicked);
    QSignalSpy finished(&dialog, &QDialog::finished);
    dialog.open();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter}) {
        QTest::keyClick(&dialog, key);
        QTest::keyClick(button, key);
    }
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(finished.count(), 0);
    EXPECT_EQ(pressed.count(), 0);
    // Other keys still reach the dialog's normal handling: Space presses the button.
    QTest::keyClick(button, Qt::Key_Space);
    EXPECT_EQ(pressed.count(), 1);
}

TEST(SkinnedDialogTest, RoundCornersFollowTheWindowSize) {
    CTDialog dialog;
    dialog.resize(200, 100);
    ApplyRoundCorners(&dialog);
    // Resized before it shows (a page laid out later) and after.
    dialog.resize(300, 200);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    EXPECT_FALSE(dialog.mask().contains(QPoint(299, 199)));
    dialog.resize(200, 100);
    EXPECT_FALSE(dialog.mask().contains(QPoint(0, 0)));
    EXPECT_FALSE(dialog.mask().contains(QPoint(199, 99)));
    EXPECT_TRUE(dialog.mask().contains(QPoint(100, 50)));
    EXPECT_TRUE(dialog.mask().contains(QPoint(100, 0)));
    EXPECT_TRUE(dialog.mask().contains(QPoint(0, 50)));
    dialog.resize(400, 300);
    EXPECT_FALSE(dialog.mask().contains(QPoint(399, 299)));
    EXPECT_TRUE(dialog.mask().contains(QPoint(300, 200)));
    // A second call re-cuts; it does not stack a second keeper.
    ApplyRoundCorners(&dialog);
    EXPECT_EQ(dialog.children().size(), 1);
}

TEST(SkinnedDialogTest, ChildPageIsNoWindowOfItsOwn) {
    QWidget host;
    CTDialog page(&host, DialogKind::kChildPage);
    EXPECT_FALSE(page.isWindow());
    CTDialog window(&host, DialogKind::kWindow);
    EXPECT_TRUE(window.isWindow());
    EXPECT_TRUE(window.windowFlags() & Qt::FramelessWindowHint);
}

TEST(ColorLineTest, OneLineOfItsColourAcrossTheMiddle) {
    CColorLine line;
    line.resize(100, 5);
    EXPECT_EQ(line.Colour(), QColor(128, 128, 128));
    line.SetColour(QColor(235, 238, 237));
    const QImage painted = test::Render(&line);
    EXPECT_EQ(test::CountNear(painted, QRect(0, 2, 100, 1), QColor(235, 238, 237), 0), 100);
    EXPECT_EQ(test::CountNear(painted, painted.rect(), QColor(235, 238, 237), 0), 100);
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(&line);
    ASSERT_NE(iface, nullptr);
    EXPECT_EQ(iface->role(), QAccessible::Separator);
}

}  // namespace
}  // namespace plindar
