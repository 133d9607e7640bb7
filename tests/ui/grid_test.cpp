// Grid control driven by real pointer and key events: hover highlight and cursor,
// click reports, scrolling under a fixed header, no editor when not editable,
// batched repaints, the white-masked image list, cell painting, accessibility.
#include "ui/grid/grid_ctrl.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPainter>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStyle>
#include <QTest>
#include <QWidget>
#include <functional>
#include <memory>

#include "ui/ui_test_support.h"

namespace plindar {
namespace {

using test::CountNear;
using test::Near;
using test::Render;

// The device list's layout: header 38 high, data rows 48, four columns.
constexpr int kHeaderHeight = 38;
constexpr int kRowHeight = 48;
constexpr int kWidths[] = {63, 232, 341, 127};
constexpr int kColumns = 4;
constexpr int kGridHeight = 380;
const QPoint kGridPos(24, 96);

const QColor kHeaderBk(230, 230, 250);
const QColor kHeaderFg(0, 0, 128);
const QColor kLineColour(200, 0, 200);
const QColor kPageBk(250, 250, 200);
const QColor kIconBlue(0, 0, 255);

constexpr unsigned kDataFormat = kGridTextSingleLine | kGridTextVCentre | kGridTextLeft;

int ColumnLeft(int column) {
    int left = 0;
    for (int c = 0; c < column; ++c) {
        left += kWidths[c];
    }
    return left;
}

int ContentWidth() {
    return ColumnLeft(kColumns);
}

// A 24x24 icon of one colour.
QPixmap SolidIcon(const QColor& colour) {
    QPixmap pixmap(24, 24);
    pixmap.fill(colour);
    return pixmap;
}

class GridTest : public ::testing::Test {
protected:
    void SetUp() override {
        page_.resize(817, 492);
        grid_ = new CGridCtrl(&page_);
        const int bar = grid_->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
        grid_->setGeometry(QRect(kGridPos, QSize(ContentWidth() + bar, kGridHeight)));
        grid_->SetImageList({SolidIcon(kIconBlue), SolidIcon(QColor(0, 200, 0))});
        grid_->SetFixedRowCount(1);
        grid_->SetColumnCount(kColumns);
        for (int c = 0; c < kColumns; ++c) {
            grid_->SetColumnWidth(c, kWidths[c]);
        }
        grid_->SetRowHeight(0, kHeaderHeight);
        const char* const headers[] = {"", "No.", "MAC Address", "Status"};
        for (int c = 0; c < kColumns; ++c) {
            grid_->SetItemText(0, c, headers[c]);
            grid_->SetItemBkColour(0, c, kHeaderBk);
            grid_->SetItemFgColour(0, c, kHeaderFg);
        }
        grid_->SetGridLines(kGridLinesHorizontal);
        grid_->SetGridLineColour(kLineColour);
        grid_->SetGridBkColour(kPageBk);
        grid_->SetEditable(false);
        grid_->AddHandCursorColumn(0);
        grid_->AddHandCursorColumn(3);
        ASSERT_TRUE(test::ShowActive(&page_));
    }

    void Fill(int rows) {
        grid_->SetRedraw(false);
        grid_->DeleteNonFixedRows();
        for (int i = 1; i <= rows; ++i) {
            const int row = grid_->AppendRow();
            ASSERT_EQ(row, i);
            grid_->SetRowHeight(row, kRowHeight);
            grid_->SetItemText(row, 1, QString::number(row));
            grid_->SetItemText(row, 2, QString("00:11:22:33:44:%1").arg(row, 2, 10, QChar('0')));
            grid_->SetItemImage(row, 0, 0);
            for (int c = 0; c < kColumns; ++c) {
                grid_->SetItemFormat(row, c, kDataFormat);
            }
        }
        grid_->SetRedraw(true);
    }

    // A point inside the cell in viewport coordinates, worked out from the layout
    // (not from the grid's own geometry) with the vertical scroll offset `scrolled`.
    static QPoint ViewportPoint(int row, int column, int scrolled = 0) {
        const int x = ColumnLeft(column) + 10;
        const int y = row == 0 ? kHeaderHeight / 2
                               : kHeaderHeight + (row - 1) * kRowHeight + kRowHeight / 2 - scrolled;
        return {x, y};
    }

    QPoint PagePoint(const QPoint& viewport_point) const {
        return grid_->viewport()->mapTo(&page_, viewport_point);
    }
    QWindow* Window() const { return page_.windowHandle(); }

    void MoveTo(const QPoint& page_point) { QTest::mouseMove(Window(), page_point); }
    void ClickAt(const QPoint& page_point) {
        QTest::mouseClick(Window(), Qt::LeftButton, Qt::NoModifier, page_point);
    }

    QStringList AllTexts() const {
        QStringList texts;
        for (int r = 0; r < grid_->GetRowCount(); ++r) {
            for (int c = 0; c < kColumns; ++c) {
                texts << grid_->GetItemText(r, c);
            }
        }
        return texts;
    }

    QWidget page_;
    CGridCtrl* grid_ = nullptr;
};

// Background of every cell of a data row, or "mixed" when they differ.
enum class RowBk { kNone, kWhite, kHover, kRed, kMixed };

RowBk RowBackground(const CGridCtrl& grid, int row) {
    const QColor first = grid.GetItemBkColour(row, 0);
    for (int c = 1; c < grid.GetColumnCount(); ++c) {
        if (grid.GetItemBkColour(row, c) != first) {
            return RowBk::kMixed;
        }
    }
    if (!first.isValid()) {
        return RowBk::kNone;
    }
    if (first == kGridRowBkColour) {
        return RowBk::kWhite;
    }
    if (first == kGridHoverBkColour) {
        return RowBk::kHover;
    }
    return first == QColor(255, 0, 0) ? RowBk::kRed : RowBk::kMixed;
}

TEST_F(GridTest, HoverHighlightFollowsDataRowsAndStaysOnHeaderAndOutside) {
    Fill(5);
    for (int c = 0; c < kColumns; ++c) {
        grid_->SetItemBkColour(3, c, QColor(255, 0, 0));
    }
    constexpr QPoint kOutside(5, 5);
    constexpr int kAnywhere = -1;
    struct Step {
        int row;  // kAnywhere: the page outside the grid
        int column;
        int hover;
        Qt::CursorShape cursor;
        RowBk rows[5];  // data rows 1..5
    } const steps[] = {
        {1, 1, 1, Qt::ArrowCursor, {RowBk::kHover, RowBk::kNone, RowBk::kRed, RowBk::kNone}},
        {1, 3, 1, Qt::PointingHandCursor, {RowBk::kHover, RowBk::kNone, RowBk::kRed}},
        {2, 0, 2, Qt::PointingHandCursor, {RowBk::kWhite, RowBk::kHover, RowBk::kRed}},
        // Onto the header: the data row keeps its highlight, the pointer a hand.
        {0, 2, 2, Qt::PointingHandCursor, {RowBk::kWhite, RowBk::kHover, RowBk::kRed}},
        {kAnywhere, 0, 2, Qt::ArrowCursor, {RowBk::kWhite, RowBk::kHover, RowBk::kRed}},
        {3, 2, 3, Qt::ArrowCursor, {RowBk::kWhite, RowBk::kWhite, RowBk::kHover}},
        // The colour the parent gave row 3 is gone once the pointer has passed.
        {4, 2, 4, Qt::ArrowCursor, {RowBk::kWhite, RowBk::kWhite, RowBk::kWhite, RowBk::kHover}},
    };
    EXPECT_EQ(grid_->HoverRow(), -1);
    for (const Step& step : steps) {
        const QPoint at =
            step.row == kAnywhere ? kOutside : PagePoint(ViewportPoint(step.row, step.column));
        MoveTo(at);
        const std::string where =
            "step to row " + std::to_string(step.row) + " column " + std::to_string(step.column);
        EXPECT_EQ(grid_->HoverRow(), step.hover) << where;
        if (step.row != kAnywhere) {
            EXPECT_EQ(grid_->viewport()->cursor().shape(), step.cursor) << where;
        }
        for (int r = 1; r <= 4; ++r) {
            EXPECT_EQ(RowBackground(*grid_, r), step.rows[r - 1]) << where << ", row " << r;
        }
    }
    EXPECT_EQ(RowBackground(*grid_, 5), RowBk::kNone);

    // What is written into the cells is what is painted.
    const QImage image = Render(grid_->viewport());
    const QPoint hovered = ViewportPoint(4, 3) + QPoint(80, 0);
    const QPoint left = ViewportPoint(3, 3) + QPoint(80, 0);
    EXPECT_TRUE(Near(image.pixelColor(hovered), kGridHoverBkColour, 0));
    EXPECT_TRUE(Near(image.pixelColor(left), kGridRowBkColour, 0));
}

TEST_F(GridTest, HandCursorOnlyOverHeaderAndRegisteredColumns) {
    Fill(3);
    struct Case {
        int row;
        int column;
        Qt::CursorShape cursor;
    } const cases[] = {
        {0, 0, Qt::PointingHandCursor},
        {0, 1, Qt::PointingHandCursor},
        {0, 3, Qt::PointingHandCursor},
        {2, 0, Qt::PointingHandCursor},
        {2, 1, Qt::ArrowCursor},
        {2, 2, Qt::ArrowCursor},
        {3, 3, Qt::PointingHandCursor},
        {1, 2, Qt::ArrowCursor},
        // Below the last row there is no cell: no hand, whatever the column.
        {5, 3, Qt::ArrowCursor},
    };
    for (const Case& c : cases) {
        MoveTo(PagePoint(ViewportPoint(c.row, c.column)));
        EXPECT_EQ(grid_->viewport()->cursor().shape(), c.cursor)
            << "row " << c.row << " column " << c.column;
    }
}

TEST_F(GridTest, ReleaseOverACellReportsThatCell) {
    Fill(3);
    QSignalSpy clicks(grid_, &CGridCtrl::CellClicked);
    struct Case {
        QPoint press;  // viewport points
        QPoint release;
        Qt::MouseButton button;
        int row;  // -1: no report
        int column;
    } const cases[] = {
        {ViewportPoint(0, 2), ViewportPoint(0, 2), Qt::LeftButton, 0, 2},
        {ViewportPoint(2, 0), ViewportPoint(2, 0), Qt::LeftButton, 2, 0},
        {ViewportPoint(3, 3), ViewportPoint(3, 3), Qt::LeftButton, 3, 3},
        // The cell under the release counts, not the one pressed.
        {ViewportPoint(3, 1), ViewportPoint(0, 2), Qt::LeftButton, 0, 2},
        {ViewportPoint(1, 1), ViewportPoint(1, 1), Qt::RightButton, -1, -1},
        // Empty space below the rows and right of the columns is no cell.
        {ViewportPoint(5, 1), ViewportPoint(5, 1), Qt::LeftButton, -1, -1},
        {QPoint(ContentWidth() + 5, 60), QPoint(ContentWidth() + 5, 60), Qt::LeftButton, -1, -1},
        // Dragged off the grid before the release.
        {ViewportPoint(1, 1), QPoint(-10, -10), Qt::LeftButton, -1, -1},
    };
    for (const Case& c : cases) {
        clicks.clear();
        QTest::mousePress(Window(), c.button, Qt::NoModifier, PagePoint(c.press));
        QTest::mouseMove(Window(), PagePoint(c.release));
        QTest::mouseRelease(Window(), c.button, Qt::NoModifier, PagePoint(c.release));
        const std::string where =
            "release at " + std::to_string(c.release.x()) + "," + std::to_string(c.release.y());
        if (c.row < 0) {
            EXPECT_EQ(clicks.count(), 0) << where;
        } else {
            ASSERT_EQ(clicks.count(), 1) << where;
            EXPECT_EQ(clicks[0][0].toInt(), c.row) << where;
            EXPECT_EQ(clicks[0][1].toInt(), c.column) << where;
        }
    }
}

TEST_F(GridTest, RowsScrollUnderTheFixedHeaderAndClicksReportScrolledRows) {
    constexpr int kRows = 20;
    Fill(kRows);
    // The scroll area shows or hides its bars from the event loop.
    QCoreApplication::processEvents();
    QScrollBar* bar = grid_->verticalScrollBar();
    EXPECT_TRUE(bar->isVisible());
    EXPECT_FALSE(grid_->horizontalScrollBar()->isVisible());
    const int data_view = kGridHeight - kHeaderHeight;
    EXPECT_EQ(bar->maximum(), kRows * kRowHeight - data_view);

    QSignalSpy clicks(grid_, &CGridCtrl::CellClicked);
    struct Case {
        int scroll;
        int row;  // what the layout puts under the point
        int column;
    } const cases[] = {
        {0, 0, 2},
        {0, 7, 1},
        {5 * kRowHeight, 0, 2},
        {5 * kRowHeight, 6, 2},
        {5 * kRowHeight, 8, 0},
        // Half a row scrolled: the point of row 11 now lies in its upper half.
        {5 * kRowHeight + kRowHeight / 2, 11, 3},
        {bar->maximum(), 0, 1},
        {bar->maximum(), kRows, 2},
    };
    for (const Case& c : cases) {
        bar->setValue(c.scroll);
        ASSERT_EQ(bar->value(), c.scroll);
        clicks.clear();
        QPoint point = ViewportPoint(c.row, c.column, c.scroll);
        if (c.row == kRows) {
            point.setY(kGridHeight - 5);
        }
        MoveTo(PagePoint(point));
        ClickAt(PagePoint(point));
        const std::string where =
            "scroll " + std::to_string(c.scroll) + " row " + std::to_string(c.row);
        ASSERT_EQ(clicks.count(), 1) << where;
        EXPECT_EQ(clicks[0][0].toInt(), c.row) << where;
        EXPECT_EQ(clicks[0][1].toInt(), c.column) << where;
        if (c.row != 0) {
            EXPECT_EQ(grid_->HoverRow(), c.row) << where;
        }
    }

    // Scrolled: the header is still painted at the top, not the rows under it.
    bar->setValue(bar->maximum());
    const QImage image = Render(grid_->viewport());
    const QRect header_area(ColumnLeft(1) + 150, 2, 60, kHeaderHeight - 4);
    EXPECT_EQ(CountNear(image, header_area, kHeaderBk, 0),
              header_area.width() * header_area.height());
}

TEST_F(GridTest, NotEditableDoubleClicksAndKeysOpenNoEditor) {
    Fill(3);
    const QStringList before = AllTexts();
    QSignalSpy edits(grid_, &CGridCtrl::CellEdited);
    ClickAt(PagePoint(ViewportPoint(2, 2)));
    ASSERT_TRUE(grid_->hasFocus());
    const auto double_click = [this](int row, int column) {
        return [this, row, column] {
            QTest::mouseDClick(Window(), Qt::LeftButton, Qt::NoModifier,
                               PagePoint(ViewportPoint(row, column)));
        };
    };
    const auto key = [this](Qt::Key k) { return [this, k] { QTest::keyClick(grid_, k); }; };
    struct Gesture {
        const char* name;
        std::function<void()> run;
    } const gestures[] = {
        {"double click on a data cell", double_click(2, 2)},
        {"double click on a tick cell", double_click(1, 0)},
        {"double click on the header", double_click(0, 1)},
        {"letter", key(Qt::Key_A)},
        {"digit", key(Qt::Key_5)},
        {"F2", key(Qt::Key_F2)},
        {"Return", key(Qt::Key_Return)},
        {"Space", key(Qt::Key_Space)},
        {"Delete", key(Qt::Key_Delete)},
        {"typing", [this] { QTest::keyClicks(grid_, "typed"); }},
    };
    for (const Gesture& gesture : gestures) {
        ClickAt(PagePoint(ViewportPoint(2, 2)));
        gesture.run();
        // Checked after each gesture: the next one could close an editor again.
        EXPECT_FALSE(grid_->IsEditing()) << gesture.name;
        EXPECT_TRUE(grid_->findChildren<QLineEdit*>().isEmpty()) << gesture.name;
    }
    EXPECT_EQ(AllTexts(), before);
    EXPECT_EQ(edits.count(), 0);
}

// The same gestures on an editable grid do open an editor: the checks above would
// see one.
TEST_F(GridTest, EditableDoubleClickAndTypingEditInPlace) {
    Fill(3);
    grid_->SetEditable(true);
    QSignalSpy edits(grid_, &CGridCtrl::CellEdited);

    QTest::mouseDClick(Window(), Qt::LeftButton, Qt::NoModifier, PagePoint(ViewportPoint(2, 2)));
    ASSERT_TRUE(grid_->IsEditing());
    auto* editor = grid_->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text(), "00:11:22:33:44:02");
    QTest::keyClicks(editor, "AA");
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_FALSE(grid_->IsEditing());
    // A closed editor goes once control is back in the event loop.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(grid_->findChild<QLineEdit*>(), nullptr);
    EXPECT_EQ(grid_->GetItemText(2, 2), "AA");
    ASSERT_EQ(edits.count(), 1);
    EXPECT_EQ(edits[0][0].toInt(), 2);

    // Typing on the cell last clicked starts with what was typed; Escape keeps the
    // old text.
    ClickAt(PagePoint(ViewportPoint(1, 1)));
    QTest::keyClick(grid_, Qt::Key_7);
    editor = grid_->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text(), "7");
    QTest::keyClick(editor, Qt::Key_Escape);
    EXPECT_FALSE(grid_->IsEditing());
    EXPECT_EQ(grid_->GetItemText(1, 1), "1");

    // The header is never edited.
    QTest::mouseDClick(Window(), Qt::LeftButton, Qt::NoModifier, PagePoint(ViewportPoint(0, 2)));
    EXPECT_FALSE(grid_->IsEditing());
}

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++count;
        }
        return false;
    }
};

TEST_F(GridTest, RedrawOffHoldsBackPaintingAndScrollBarsUntilOnThenPaintsOnce) {
    Fill(3);
    QCoreApplication::processEvents();
    PaintCounter paints(grid_->viewport());

    grid_->SetRedraw(false);
    for (int r = 1; r <= 3; ++r) {
        grid_->SetItemImage(r, 3, 1);
        grid_->SetItemText(r, 1, "changed");
    }
    for (int i = 0; i < 20; ++i) {
        grid_->SetRowHeight(grid_->AppendRow("new"), kRowHeight);
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(paints.count, 0);
    EXPECT_EQ(grid_->verticalScrollBar()->maximum(), 0);

    grid_->SetRedraw(true);
    QCoreApplication::processEvents();
    EXPECT_EQ(paints.count, 1);
    EXPECT_EQ(grid_->verticalScrollBar()->maximum(),
              23 * kRowHeight - (kGridHeight - kHeaderHeight));

    // With redrawing on, a change to every row still costs one paint per event
    // loop pass, not one per row.
    paints.count = 0;
    for (int r = 1; r < grid_->GetRowCount(); ++r) {
        grid_->SetItemImage(r, 3, 0);
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(paints.count, 1);
    // Setting what a cell already holds paints nothing.
    paints.count = 0;
    for (int r = 1; r < grid_->GetRowCount(); ++r) {
        grid_->SetItemImage(r, 3, 0);
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(paints.count, 0);
}

TEST_F(GridTest, ImageListMakesPureWhiteTransparentOnly) {
    QPixmap icon(24, 24);
    icon.fill(Qt::transparent);
    {
        QPainter painter(&icon);
        painter.fillRect(0, 0, 8, 24, QColor(255, 255, 255));
        painter.fillRect(8, 0, 4, 24, QColor(254, 255, 255));
        painter.fillRect(12, 0, 12, 24, kIconBlue);
    }
    grid_->SetImageList({icon});
    Fill(1);
    const QColor cell_bk(0, 160, 0);
    grid_->SetItemBkColour(1, 3, cell_bk);
    grid_->SetItemImage(1, 3, 0);
    const QImage image = Render(grid_->viewport());
    // The image sits at the cell's left margin, centred in the 48 pixel row.
    const int left = ColumnLeft(3) + 4;
    const int top = kHeaderHeight + (kRowHeight - 24) / 2;
    const QRect white_part(left, top, 8, 24);
    const QRect near_white_part(left + 8, top, 4, 24);
    const QRect blue_part(left + 12, top, 12, 24);
    EXPECT_EQ(CountNear(image, white_part, cell_bk, 0), 8 * 24);
    EXPECT_EQ(CountNear(image, near_white_part, QColor(254, 255, 255), 0), 4 * 24);
    EXPECT_EQ(CountNear(image, blue_part, kIconBlue, 0), 12 * 24);
}

TEST_F(GridTest, CellDrawsImageThenOneCentredLineOfTextAndHorizontalLinesOnly) {
    Fill(2);
    const QColor text_colour(255, 0, 0);
    grid_->SetItemFgColour(1, 2, text_colour);
    grid_->SetItemImage(1, 2, 0);
    grid_->SetItemText(1, 2, "AB:CD\nsecond line");
    const QImage image = Render(grid_->viewport());

    const int cell_left = ColumnLeft(2);
    const int row_top = kHeaderHeight;
    const QRect icon(cell_left + 4, row_top + 12, 24, 24);
    EXPECT_EQ(CountNear(image, icon, kIconBlue, 0), 24 * 24);
    // All text pixels lie right of the image, in one line around the row's middle.
    const QRect cell(cell_left, row_top, kWidths[2], kRowHeight - 1);
    int text_pixels = 0, min_x = INT_MAX, min_y = INT_MAX, max_y = -1;
    for (int y = cell.top(); y <= cell.bottom(); ++y) {
        for (int x = cell.left(); x <= cell.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 150 && c.green() < 100 && c.blue() < 100) {
                ++text_pixels;
                min_x = std::min(min_x, x);
                min_y = std::min(min_y, y);
                max_y = std::max(max_y, y);
            }
        }
    }
    ASSERT_GT(text_pixels, 20);
    EXPECT_GE(min_x, icon.right() + 1);
    const int middle = row_top + kRowHeight / 2;
    EXPECT_LT(max_y - min_y, kRowHeight / 2);
    EXPECT_LE(std::abs((min_y + max_y) / 2 - middle), 4);

    // Horizontal lines along every row's bottom, none between the columns.
    const int row1_bottom = row_top + kRowHeight - 1;
    const QRect line(0, row1_bottom, ContentWidth(), 1);
    EXPECT_EQ(CountNear(image, line, kLineColour, 0), ContentWidth());
    const QRect header_line(0, kHeaderHeight - 1, ContentWidth(), 1);
    EXPECT_EQ(CountNear(image, header_line, kLineColour, 0), ContentWidth());
    const QRect column_edge(ColumnLeft(2) - 1, row_top + 2, 1, kRowHeight - 4);
    EXPECT_EQ(CountNear(image, column_edge, kLineColour, 0), 0);
    // Beyond the last row the grid's own background shows.
    const QRect below(10, kHeaderHeight + 2 * kRowHeight + 5, 100, 20);
    EXPECT_EQ(CountNear(image, below, kPageBk, 0), 100 * 20);
}

TEST_F(GridTest, SortColumnHeaderPointsTheWayOfTheSort) {
    // The marker box at the right of a header cell; its top and bottom lines tell
    // an upward triangle (point at the top) from a downward one.
    const auto marker_lines = [&](int column) {
        const QImage image = Render(grid_->viewport());
        const int right = ColumnLeft(column) + kWidths[column] - 1 - 8;
        const QRect box(right - 8, kHeaderHeight / 2 - 4, 9, 9);
        int top = -1, bottom = -1;
        for (int y = box.top(); y <= box.bottom(); ++y) {
            const int n = CountNear(image, QRect(box.left(), y, box.width(), 1), kHeaderFg, 0);
            if (n > 0 && top < 0) {
                top = n;
            }
            if (n > 0) {
                bottom = n;
            }
        }
        return std::make_pair(top, bottom);
    };
    struct Case {
        int column;
        bool ascending;
    } const cases[] = {{2, true}, {2, false}, {3, true}, {3, false}};
    for (const Case& c : cases) {
        grid_->SetSortColumn(c.column);
        grid_->SetSortAscending(c.ascending);
        const auto [top, bottom] = marker_lines(c.column);
        ASSERT_GT(top, 0) << "column " << c.column;
        if (c.ascending) {
            EXPECT_LT(top, bottom) << "column " << c.column;
        } else {
            EXPECT_GT(top, bottom) << "column " << c.column;
        }
        const int other = c.column == 2 ? 3 : 2;
        EXPECT_EQ(marker_lines(other).first, -1) << "column " << other;
    }
    grid_->SetSortColumn(-1);
    EXPECT_EQ(marker_lines(2).first, -1);
    EXPECT_EQ(marker_lines(3).first, -1);
}

TEST_F(GridTest, RowsComeAndGoAroundTheFixedHeader) {
    Fill(3);
    MoveTo(PagePoint(ViewportPoint(2, 1)));
    ASSERT_EQ(grid_->HoverRow(), 2);

    EXPECT_EQ(grid_->InsertRow("first", 1), 1);
    EXPECT_EQ(grid_->GetItemText(1, 0), "first");
    EXPECT_EQ(grid_->GetItemText(2, 1), "1");
    EXPECT_EQ(grid_->HoverRow(), 3);
    // No row goes above the header.
    EXPECT_EQ(grid_->InsertRow("x", 0), -1);
    EXPECT_EQ(grid_->FindRow(2, "00:11:22:33:44:03"), 4);
    EXPECT_EQ(grid_->FindRow(2, "00:11:22:33:44:0"), -1);
    EXPECT_EQ(grid_->FindRow(2, "MAC Address"), -1);

    EXPECT_TRUE(grid_->DeleteRow(3));
    EXPECT_EQ(grid_->HoverRow(), -1);
    grid_->DeleteNonFixedRows();
    EXPECT_EQ(grid_->GetRowCount(), 1);
    EXPECT_EQ(grid_->GetItemText(0, 2), "MAC Address");
    EXPECT_EQ(grid_->AppendRow(), 1);

    // Cells that do not exist are refused and read as empty.
    EXPECT_FALSE(grid_->SetItemText(2, 0, "x"));
    EXPECT_FALSE(grid_->SetItemImage(1, kColumns, 0));
    EXPECT_FALSE(grid_->SetRowHeight(-1, 10));
    EXPECT_EQ(grid_->GetItemImage(5, 0), kGridNoImage);
    EXPECT_EQ(grid_->GetItemText(-1, 0), QString());
    EXPECT_FALSE(grid_->SetGridLines(4));
}

TEST_F(GridTest, AccessibilitySeesATableOfCellTexts) {
    Fill(2);
    QAccessibleInterface* table = QAccessible::queryAccessibleInterface(grid_);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->role(), QAccessible::Table);
    QAccessibleTableInterface* cells = table->tableInterface();
    ASSERT_NE(cells, nullptr);
    EXPECT_EQ(cells->rowCount(), 3);
    EXPECT_EQ(cells->columnCount(), kColumns);
    EXPECT_EQ(cells->columnDescription(2), "MAC Address");
    ASSERT_NE(cells->cellAt(0, 2), nullptr);
    EXPECT_EQ(cells->cellAt(0, 2)->role(), QAccessible::ColumnHeader);
    QAccessibleInterface* mac = cells->cellAt(2, 2);
    ASSERT_NE(mac, nullptr);
    EXPECT_EQ(mac->role(), QAccessible::Cell);
    EXPECT_EQ(mac->text(QAccessible::Name), "00:11:22:33:44:02");
    EXPECT_EQ(table->indexOfChild(mac), 2 * kColumns + 2);
    EXPECT_EQ(table->child(2 * kColumns + 2), mac);
    const QRect screen = mac->rect();
    EXPECT_EQ(table->childAt(screen.center().x(), screen.center().y()), mac);
    ASSERT_EQ(mac->tableCellInterface()->columnHeaderCells().size(), 1);
    EXPECT_EQ(mac->tableCellInterface()->columnHeaderCells()[0]->text(QAccessible::Name),
              "MAC Address");

    grid_->DeleteNonFixedRows();
    EXPECT_EQ(cells->rowCount(), 1);
    EXPECT_EQ(cells->cellAt(2, 2), nullptr);
}

}  // namespace
}  // namespace plindar
