// Skinned combo box: no selection at first, placeholder, selecting and reading,
// items with icons, the open list and how its items are painted.
#include "ui/controls/custom_combo_box.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QAccessible>
#include <QPainter>
#include <QPixmap>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>

#include "ui/ui_test_support.h"

namespace plindar {
namespace {

const QColor kIconColour(0, 160, 0);

QIcon SolidIcon(const QColor& colour) {
    QPixmap pixmap(18, 18);
    pixmap.fill(colour);
    return QIcon(pixmap);
}

class ComboBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        window_.resize(400, 300);
        combo_ = new CCustomComboBox(&window_);
        combo_->setGeometry(20, 20, 220, 24);
        ASSERT_TRUE(test::ShowActive(&window_));
    }

    QWidget window_;
    CCustomComboBox* combo_ = nullptr;
};

TEST_F(ComboBoxTest, StartsWithNothingSelectedAndAddingItemsKeepsIt) {
    combo_->SetPlaceholder("Select network adapter");
    EXPECT_EQ(combo_->GetSelection(), -1);
    EXPECT_EQ(combo_->AddItem("eth0"), 0);
    EXPECT_EQ(combo_->AddItem("eth1", SolidIcon(kIconColour)), 1);
    EXPECT_EQ(combo_->GetSelection(), -1);
    EXPECT_EQ(combo_->sizeHint().height(), 24);

    // The placeholder is painted in its light grey while nothing is selected; the
    // dark grey of a selection's text appears only once something is.
    const QColor placeholder(190, 190, 190), selection_text(50, 50, 50);
    const QRect text_area(8, 0, 150, 24);
    QImage painted = test::Render(combo_);
    EXPECT_GT(test::CountNear(painted, text_area, placeholder, 20), 0);
    EXPECT_EQ(test::CountNear(painted, text_area, selection_text, 40), 0);

    combo_->Select(1);
    EXPECT_EQ(combo_->GetSelection(), 1);
    EXPECT_EQ(combo_->currentText(), "eth1");
    EXPECT_FALSE(combo_->itemIcon(1).isNull());
    EXPECT_TRUE(combo_->itemIcon(0).isNull());
    // The selected item's icon sits at the left, its text after it.
    painted = test::Render(combo_);
    EXPECT_TRUE(test::Near(painted.pixelColor(8 + 9, 12), kIconColour));
    EXPECT_GT(test::CountNear(painted, text_area, selection_text, 40), 0);

    combo_->AddItem("wlan0");
    EXPECT_EQ(combo_->GetSelection(), 1);

    // Without a placeholder too, the first item added is not selected by itself.
    CCustomComboBox bare(&window_);
    bare.AddItem("eth0");
    EXPECT_EQ(bare.GetSelection(), -1);

    for (int index : {-1, 3, -7}) {
        combo_->Select(1);
        combo_->Select(index);
        EXPECT_EQ(combo_->GetSelection(), -1) << index;
    }
}

TEST_F(ComboBoxTest, FrameTurnsOrangeWhileHoveredOrOpen) {
    combo_->AddItem("eth0");
    EXPECT_EQ(combo_->FrameColour(), QColor(200, 200, 200));
    QTest::mouseMove(&window_, combo_->geometry().center());
    EXPECT_EQ(combo_->FrameColour(), QColor(255, 128, 31));
    QTest::mouseMove(&window_, QPoint(380, 280));
    EXPECT_EQ(combo_->FrameColour(), QColor(200, 200, 200));
    combo_->showPopup();
    EXPECT_TRUE(combo_->IsOpen());
    EXPECT_EQ(combo_->FrameColour(), QColor(255, 128, 31));
    combo_->hidePopup();
    EXPECT_FALSE(combo_->IsOpen());
}

TEST_F(ComboBoxTest, PickingAnItemInTheOpenListSelectsItAndClosesTheList) {
    for (const char* name : {"eth0", "eth1", "wlan0"}) {
        combo_->AddItem(name);
    }
    QSignalSpy changes(combo_, &QComboBox::currentIndexChanged);
    combo_->showPopup();
    QAbstractItemView* list = combo_->view();
    ASSERT_NE(qobject_cast<CDropListBoxWnd*>(list), nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(list->window()));
    const QRect item = list->visualRect(list->model()->index(2, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, item.center());
    EXPECT_EQ(combo_->GetSelection(), 2);
    EXPECT_EQ(changes.count(), 1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !combo_->IsOpen(); }));
}

TEST_F(ComboBoxTest, OpenListHighlightsAndTicksTheSelectionOnly) {
    combo_->AddItem("eth0");
    combo_->AddItem("eth1");
    combo_->AddItem("disabled");
    combo_->SetItemEnabled(2, false);
    EXPECT_FALSE(combo_->IsItemEnabled(2));
    combo_->Select(1);
    auto* delegate = qobject_cast<CDropListItemDelegate*>(combo_->view()->itemDelegate());
    ASSERT_NE(delegate, nullptr);

    auto paint_row = [&](int row, QStyle::State state) {
        QStyleOptionViewItem option;
        option.initFrom(combo_->view());
        option.rect = QRect(0, 0, 200, 30);
        option.font = combo_->font();
        option.fontMetrics = QFontMetrics(option.font);
        option.state = state | QStyle::State_Enabled;
        QImage image(option.rect.size(), QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        delegate->paint(&painter, option, combo_->model()->index(row, 0));
        return image;
    };
    const QColor highlight(235, 244, 255), tick(20, 80, 200), separator(235, 235, 235);
    const QImage selected = paint_row(1, QStyle::State_None);
    EXPECT_TRUE(test::Near(selected.pixelColor(10, 6), highlight, 2));
    EXPECT_GT(test::CountNear(selected, QRect(170, 0, 30, 30), tick, 40), 0);

    const QImage other = paint_row(0, QStyle::State_None);
    EXPECT_TRUE(test::Near(other.pixelColor(10, 6), Qt::white, 2));
    EXPECT_EQ(test::CountNear(other, QRect(170, 0, 30, 30), tick, 40), 0);
    // A separator under every item but the last, 12 pixels in from each side.
    EXPECT_TRUE(test::Near(other.pixelColor(100, 29), separator, 2));
    EXPECT_TRUE(test::Near(other.pixelColor(5, 29), Qt::white, 2));

    const QImage pointed = paint_row(0, QStyle::State_MouseOver);
    EXPECT_TRUE(test::Near(pointed.pixelColor(10, 6), highlight, 2));

    const QImage disabled = paint_row(2, QStyle::State_MouseOver);
    EXPECT_TRUE(test::Near(disabled.pixelColor(10, 6), Qt::white, 2));
    EXPECT_GT(test::CountNear(disabled, disabled.rect(), QColor(180, 180, 180), 30), 0);
    EXPECT_TRUE(test::Near(disabled.pixelColor(100, 29), Qt::white, 2));  // the last item
}

TEST_F(ComboBoxTest, ItemsThatDoNotFitAreTheOnesWithATooltip) {
    combo_->AddItem("eth0");
    combo_->AddItem("Intel(R) Ethernet Connection I219-V with a very long description text");
    auto* delegate = qobject_cast<CDropListItemDelegate*>(combo_->view()->itemDelegate());
    ASSERT_NE(delegate, nullptr);
    QStyleOptionViewItem option;
    option.rect = QRect(0, 0, 220, 30);
    option.font = combo_->font();
    EXPECT_TRUE(delegate->TextFits(option, combo_->model()->index(0, 0)));
    EXPECT_FALSE(delegate->TextFits(option, combo_->model()->index(1, 0)));
}

TEST_F(ComboBoxTest, AccessibilitySeesAComboBoxWithItsSelection) {
    combo_->AddItem("eth0");
    combo_->AddItem("eth1");
    combo_->Select(1);
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(combo_);
    ASSERT_NE(iface, nullptr);
    EXPECT_EQ(iface->role(), QAccessible::ComboBox);
    EXPECT_EQ(iface->text(QAccessible::Value), "eth1");
}

}  // namespace
}  // namespace plindar
