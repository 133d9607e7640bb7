// Figures of the grid control with many rows, as the device list drives it: a full
// fill, a poll that changes every row's status icon, a refill in the other order,
// and one repaint of the visible part. UI-thread milliseconds, median and worst.
//
//   bench_grid [--rows N] [--runs N]
//
// Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise.
#include <QApplication>
#include <QEvent>
#include <QPixmap>
#include <QStyle>
#include <QWidget>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

#include "ui/grid/grid_ctrl.h"

namespace {

using plindar::CGridCtrl;
using steady = std::chrono::steady_clock;

constexpr int kDefaultRows = 1000;
constexpr int kDefaultRuns = 20;
constexpr int kColumns = 4;
constexpr int kWidths[kColumns] = {63, 232, 341, 127};
constexpr int kHeaderHeight = 38;
// The device list page and where its grid sits.
constexpr QSize kPageSize(817, 492);
constexpr QPoint kGridPos(24, 96);
constexpr int kGridBottomGap = 16;
constexpr int kRowHeight = 48;
constexpr int kIconCount = 6;
constexpr int kIconSize = 24;
constexpr int kTickIcon = 0;
constexpr int kFirstStatusIcon = 3;
constexpr int kStatusIcons = 3;
constexpr unsigned kDataFormat =
    plindar::kGridTextSingleLine | plindar::kGridTextVCentre | plindar::kGridTextLeft;

// Counts paint events of the grid's viewport, to show that a batch paints once.
class PaintCounter : public QObject {
public:
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++count;
        }
        return false;
    }
};

double MsSince(steady::time_point start) {
    return std::chrono::duration<double, std::milli>(steady::now() - start).count();
}

struct Figure {
    const char* name;
    std::vector<double> ms;
    int paints = 0;
};

void Print(const Figure& figure) {
    std::vector<double> sorted = figure.ms;
    std::sort(sorted.begin(), sorted.end());
    std::printf("%-44s median %7.2f ms   worst %7.2f ms   paints per run %d\n", figure.name,
                sorted[sorted.size() / 2], sorted.back(), figure.paints);
}

QString Mac(int index) {
    return QString("00:1A:2B:%1:%2:%3")
        .arg((index >> 16) & 0xFF, 2, 16, QChar('0'))
        .arg((index >> 8) & 0xFF, 2, 16, QChar('0'))
        .arg(index & 0xFF, 2, 16, QChar('0'))
        .toUpper();
}

void Configure(CGridCtrl& grid) {
    std::vector<QPixmap> icons;
    for (int i = 0; i < kIconCount; ++i) {
        QPixmap icon(kIconSize, kIconSize);
        icon.fill(QColor::fromHsv(i * 60, 200, 200));
        icons.push_back(icon);
    }
    grid.SetImageList(std::move(icons));
    grid.SetFixedRowCount(1);
    grid.SetColumnCount(kColumns);
    for (int c = 0; c < kColumns; ++c) {
        grid.SetColumnWidth(c, kWidths[c]);
    }
    grid.SetRowHeight(0, kHeaderHeight);
    const char* const headers[kColumns] = {"", "No.", "MAC Address", "Status"};
    for (int c = 0; c < kColumns; ++c) {
        grid.SetItemText(0, c, headers[c]);
        grid.SetItemBkColour(0, c, QColor(240, 240, 240));
    }
    grid.SetItemImage(0, 0, kTickIcon);
    grid.SetGridLines(plindar::kGridLinesHorizontal);
    grid.SetEditable(false);
    grid.AddHandCursorColumn(0);
    grid.AddHandCursorColumn(3);
}

// What the device list does to refill: rows in `order`, redrawing off meanwhile.
void Fill(CGridCtrl& grid, const std::vector<int>& order, const QFont& font) {
    grid.SetRedraw(false);
    grid.DeleteNonFixedRows();
    int number = 1;
    for (int device : order) {
        const int row = grid.AppendRow();
        grid.SetItemText(row, 0, QString());
        grid.SetItemText(row, 1, QString::number(number++));
        grid.SetItemText(row, 2, Mac(device));
        grid.SetItemText(row, 3, QString());
        grid.SetItemImage(row, 3, kFirstStatusIcon + device % kStatusIcons);
        grid.SetItemImage(row, 0, kTickIcon);
        for (int c = 0; c < kColumns; ++c) {
            grid.SetItemFormat(row, c, kDataFormat);
            grid.SetItemFont(row, c, font);
            grid.SetItemFgColour(row, c, QColor(51, 51, 51));
        }
        grid.SetRowHeight(row, kRowHeight);
    }
    grid.SetRedraw(true);
    grid.AdjustScrollBars();
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    int rows = kDefaultRows;
    int runs = kDefaultRuns;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--rows") == 0) {
            rows = std::max(1, std::atoi(argv[i + 1]));
        } else if (std::strcmp(argv[i], "--runs") == 0) {
            runs = std::max(1, std::atoi(argv[i + 1]));
        }
    }
    QApplication app(argc, argv);
    QWidget page;
    page.resize(kPageSize);
    CGridCtrl grid(&page);
    int width = grid.style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    for (int w : kWidths) {
        width += w;
    }
    grid.setGeometry(kGridPos.x(), kGridPos.y(), width,
                     kPageSize.height() - kGridPos.y() - kGridBottomGap);
    Configure(grid);
    page.show();
    QApplication::processEvents();
    PaintCounter paints;
    grid.viewport()->installEventFilter(&paints);

    QFont font;
    font.setPixelSize(15);
    std::vector<int> ascending(static_cast<size_t>(rows));
    for (int i = 0; i < rows; ++i) {
        ascending[static_cast<size_t>(i)] = i;
    }
    std::vector<int> descending(ascending.rbegin(), ascending.rend());

    // Each figure runs the step and then lets the event loop paint, as it would
    // before the next user event.
    const auto measure = [&](Figure& figure, const std::function<void()>& prepare,
                             const std::function<void()>& step) {
        for (int run = 0; run < runs; ++run) {
            prepare();
            QApplication::processEvents();
            paints.count = 0;
            const steady::time_point start = steady::now();
            step();
            QApplication::processEvents();
            figure.ms.push_back(MsSince(start));
            figure.paints = paints.count;
        }
    };

    std::printf("grid: %d rows x %d columns, %d runs each\n", rows, kColumns, runs);
    Figure fill{"fill (delete rows, append and set every cell)"};
    measure(
        fill, [&] { grid.DeleteNonFixedRows(); }, [&] { Fill(grid, ascending, font); });
    Print(fill);

    int status_shift = 0;
    Figure poll{"poll: find each row by MAC, new status icon"};
    measure(
        poll, [&] { Fill(grid, ascending, font); },
        [&] {
            ++status_shift;
            for (int device = 0; device < rows; ++device) {
                const int row = grid.FindRow(2, Mac(device));
                grid.SetItemImage(row, 0, kTickIcon);
                grid.SetItemImage(row, 3,
                                  kFirstStatusIcon + (device + status_shift) % kStatusIcons);
            }
        });
    Print(poll);

    Figure poll_batched{"poll as above, inside SetRedraw off/on"};
    measure(
        poll_batched, [&] { Fill(grid, ascending, font); },
        [&] {
            ++status_shift;
            grid.SetRedraw(false);
            for (int device = 0; device < rows; ++device) {
                const int row = grid.FindRow(2, Mac(device));
                grid.SetItemImage(row, 0, kTickIcon);
                grid.SetItemImage(row, 3,
                                  kFirstStatusIcon + (device + status_shift) % kStatusIcons);
            }
            grid.SetRedraw(true);
        });
    Print(poll_batched);

    Figure sort{"sort refill (same rows, reverse order)"};
    bool reversed = false;
    measure(
        sort, [&] { Fill(grid, ascending, font); },
        [&] {
            reversed = !reversed;
            Fill(grid, reversed ? descending : ascending, font);
        });
    Print(sort);

    Figure visible{"repaint of the visible part"};
    measure(
        visible, [] {}, [&] { grid.viewport()->repaint(); });
    Print(visible);

    Figure scrolled{"scroll to the middle and paint"};
    bool middle = false;
    measure(
        scrolled, [] {},
        [&] {
            middle = !middle;
            grid.EnsureRowVisible(middle ? rows / 2 : 1);
        });
    Print(scrolled);
    return 0;
}
