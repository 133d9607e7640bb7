// The grid's cell store, geometry, painting, hover highlight, clicks and in-place
// editor.
#include "ui/grid/grid_ctrl.h"

#include <QAccessible>
#include <QEvent>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPolygon>
#include <QScrollBar>
#include <algorithm>

#include "ui/grid/grid_accessible.h"

namespace plindar {

namespace {

// Fixed rows nobody has coloured look like a header, data rows like paper.
constexpr QColor kFixedBkColour(240, 240, 240);
constexpr QColor kDefaultTextColour(0, 0, 0);

// Space between a cell's edge, its image and its text.
constexpr int kCellMargin = 4;

// The sort direction triangle: its width at the base, its height, and its gap to
// the right edge of the header cell.
constexpr int kSortMarkerWidth = 9;
constexpr int kSortMarkerHeight = 5;
constexpr int kSortMarkerGap = 8;

constexpr QRgb kTransparentKey = 0x00FFFFFF;
constexpr QRgb kRgbMask = 0x00FFFFFF;

// The image with every pure white pixel transparent. Done on the image rather than
// with a colour mask so that exactly 255,255,255 goes, and nothing near it.
QPixmap MaskWhite(const QPixmap& pixmap) {
    if (pixmap.isNull()) {
        return pixmap;
    }
    QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if ((line[x] & kRgbMask) == kTransparentKey) {
                line[x] = 0;
            }
        }
    }
    return QPixmap::fromImage(image);
}

int QtAlignment(unsigned format) {
    int flags = Qt::AlignLeft;
    if ((format & kGridTextCentre) != 0) {
        flags = Qt::AlignHCenter;
    } else if ((format & kGridTextRight) != 0) {
        flags = Qt::AlignRight;
    }
    if ((format & kGridTextSingleLine) == 0) {
        return flags | Qt::AlignTop;
    }
    flags |= Qt::TextSingleLine;
    if ((format & kGridTextVCentre) != 0) {
        return flags | Qt::AlignVCenter;
    }
    if ((format & kGridTextBottom) != 0) {
        return flags | Qt::AlignBottom;
    }
    return flags | Qt::AlignTop;
}

}  // namespace

CGridCtrl::CGridCtrl(QWidget* parent) : QAbstractScrollArea(parent) {
    InstallGridAccessibleFactory();
    // The columns' widths are the grid's width; a frame would steal from them.
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    // Every pixel is painted by paintEvent; letting Qt clear first only costs time.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

CGridCtrl::~CGridCtrl() {
    ForgetAccessibleCells();
}

// ---- shape ----

bool CGridCtrl::SetRowCount(int rows) {
    if (rows < fixed_rows_) {
        return false;
    }
    CloseEditor(EditorEnd::kDiscard);
    while (GetRowCount() > rows) {
        DeleteRow(GetRowCount() - 1);
    }
    if (GetRowCount() < rows) {
        rows_.reserve(static_cast<size_t>(rows));
        while (GetRowCount() < rows) {
            Row row;
            row.height = default_row_height_;
            row.cells.assign(column_widths_.size(), MakeCell());
            total_height_ += row.height;
            rows_.push_back(std::move(row));
        }
        ShapeChanged();
    }
    return true;
}

bool CGridCtrl::SetFixedRowCount(int rows) {
    if (rows < 0) {
        return false;
    }
    if (GetRowCount() < rows) {
        SetRowCount(rows);
    }
    fixed_rows_ = rows;
    if (hover_row_ >= 0 && hover_row_ < fixed_rows_) {
        hover_row_ = -1;
    }
    ShapeChanged();
    return true;
}

bool CGridCtrl::SetColumnCount(int columns) {
    if (columns < 0) {
        return false;
    }
    CloseEditor(EditorEnd::kDiscard);
    column_widths_.resize(static_cast<size_t>(columns), kGridDefaultColumnWidth);
    for (Row& row : rows_) {
        row.cells.resize(static_cast<size_t>(columns), MakeCell());
    }
    if (sort_column_ >= columns) {
        sort_column_ = -1;
    }
    ShapeChanged();
    return true;
}

bool CGridCtrl::SetColumnWidth(int column, int width) {
    if (column < 0 || column >= GetColumnCount() || width < 0) {
        return false;
    }
    column_widths_[static_cast<size_t>(column)] = width;
    ShapeChanged();
    return true;
}

int CGridCtrl::GetColumnWidth(int column) const {
    if (column < 0 || column >= GetColumnCount()) {
        return 0;
    }
    return column_widths_[static_cast<size_t>(column)];
}

bool CGridCtrl::SetRowHeight(int row, int height) {
    if (row < 0 || row >= GetRowCount() || height < 0) {
        return false;
    }
    Row& r = rows_[static_cast<size_t>(row)];
    total_height_ += height - r.height;
    r.height = height;
    row_tops_dirty_ = true;
    ShapeChanged();
    return true;
}

int CGridCtrl::GetRowHeight(int row) const {
    if (row < 0 || row >= GetRowCount()) {
        return 0;
    }
    return rows_[static_cast<size_t>(row)].height;
}

void CGridCtrl::SetDefaultRowHeight(int height) {
    default_row_height_ = std::max(0, height);
}

// ---- rows ----

int CGridCtrl::InsertRow(const QString& first_text, int before) {
    if (before == -1) {
        before = GetRowCount();
    }
    if (before < fixed_rows_ || before > GetRowCount()) {
        return -1;
    }
    CloseEditor(EditorEnd::kDiscard);
    Row row;
    row.height = default_row_height_;
    row.cells.assign(column_widths_.size(), MakeCell());
    if (!row.cells.empty()) {
        row.cells.front().text = first_text;
    }
    total_height_ += row.height;
    rows_.insert(rows_.begin() + before, std::move(row));
    if (hover_row_ >= before) {
        ++hover_row_;
    }
    focus_cell_ = GridCellRef();
    ForgetAccessibleCells();
    ShapeChanged();
    return before;
}

bool CGridCtrl::DeleteRow(int row) {
    if (row < 0 || row >= GetRowCount()) {
        return false;
    }
    CloseEditor(EditorEnd::kDiscard);
    total_height_ -= rows_[static_cast<size_t>(row)].height;
    rows_.erase(rows_.begin() + row);
    if (row < fixed_rows_) {
        --fixed_rows_;
    }
    if (hover_row_ == row) {
        hover_row_ = -1;
    } else if (hover_row_ > row) {
        --hover_row_;
    }
    focus_cell_ = GridCellRef();
    ForgetAccessibleCells();
    ShapeChanged();
    return true;
}

void CGridCtrl::DeleteNonFixedRows() {
    CloseEditor(EditorEnd::kDiscard);
    for (size_t r = static_cast<size_t>(fixed_rows_); r < rows_.size(); ++r) {
        total_height_ -= rows_[r].height;
    }
    rows_.resize(static_cast<size_t>(fixed_rows_));
    hover_row_ = -1;
    focus_cell_ = GridCellRef();
    ForgetAccessibleCells();
    ShapeChanged();
}

// ---- cells ----

bool CGridCtrl::IsValid(int row, int column) const {
    return row >= 0 && row < GetRowCount() && column >= 0 && column < GetColumnCount();
}

const CGridCell* CGridCtrl::GetCell(int row, int column) const {
    if (!IsValid(row, column)) {
        return nullptr;
    }
    return &rows_[static_cast<size_t>(row)].cells[static_cast<size_t>(column)];
}

CGridCell* CGridCtrl::MutableCell(int row, int column) {
    return const_cast<CGridCell*>(GetCell(row, column));
}

CGridCell CGridCtrl::MakeCell() const {
    CGridCell cell;
    cell.font = font();
    return cell;
}

template <typename T>
bool CGridCtrl::SetCellValue(int row, int column, T CGridCell::*member, const T& value) {
    CGridCell* cell = MutableCell(row, column);
    if (cell == nullptr) {
        return false;
    }
    // Unchanged values cost no repaint: pollers set the same icon again and again.
    if (!(cell->*member == value)) {
        cell->*member = value;
        RepaintRect(CellRect(row, column));
    }
    return true;
}

bool CGridCtrl::SetItemText(int row, int column, const QString& text) {
    return SetCellValue(row, column, &CGridCell::text, text);
}

bool CGridCtrl::SetItemFormat(int row, int column, unsigned format) {
    return SetCellValue(row, column, &CGridCell::format, format);
}

bool CGridCtrl::SetItemFont(int row, int column, const QFont& font) {
    return SetCellValue(row, column, &CGridCell::font, font);
}

bool CGridCtrl::SetItemFgColour(int row, int column, const QColor& colour) {
    return SetCellValue(row, column, &CGridCell::fg_colour, colour);
}

bool CGridCtrl::SetItemBkColour(int row, int column, const QColor& colour) {
    return SetCellValue(row, column, &CGridCell::bk_colour, colour);
}

bool CGridCtrl::SetItemImage(int row, int column, int image) {
    return SetCellValue(row, column, &CGridCell::image, image < 0 ? kGridNoImage : image);
}

QString CGridCtrl::GetItemText(int row, int column) const {
    const CGridCell* cell = GetCell(row, column);
    return cell != nullptr ? cell->text : QString();
}

unsigned CGridCtrl::GetItemFormat(int row, int column) const {
    const CGridCell* cell = GetCell(row, column);
    return cell != nullptr ? cell->format : kGridTextLeft;
}

QFont CGridCtrl::GetItemFont(int row, int column) const {
    const CGridCell* cell = GetCell(row, column);
    return cell != nullptr ? cell->font : QFont();
}

QColor CGridCtrl::GetItemFgColour(int row, int column) const {
    const CGridCell* cell = GetCell(row, column);
    return cell != nullptr ? cell->fg_colour : QColor();
}

QColor CGridCtrl::GetItemBkColour(int row, int column) const {
    const CGridCell* cell = GetCell(row, column);
    return cell != nullptr ? cell->bk_colour : QColor();
}

int CGridCtrl::GetItemImage(int row, int column) const {
    const CGridCell* cell = GetCell(row, column);
    return cell != nullptr ? cell->image : kGridNoImage;
}

int CGridCtrl::FindRow(int column, const QString& text, int from_row) const {
    if (column < 0 || column >= GetColumnCount()) {
        return -1;
    }
    for (int r = std::max(from_row, fixed_rows_); r < GetRowCount(); ++r) {
        if (rows_[static_cast<size_t>(r)].cells[static_cast<size_t>(column)].text == text) {
            return r;
        }
    }
    return -1;
}

// ---- look ----

void CGridCtrl::SetImageList(std::vector<QPixmap> images) {
    for (QPixmap& image : images) {
        image = MaskWhite(image);
    }
    images_ = std::move(images);
    RepaintAll();
}

void CGridCtrl::SetGridBkColour(const QColor& colour) {
    grid_bk_colour_ = colour;
    RepaintAll();
}

void CGridCtrl::SetGridLineColour(const QColor& colour) {
    grid_line_colour_ = colour;
    RepaintAll();
}

bool CGridCtrl::SetGridLines(int mode) {
    if (mode < kGridLinesNone || mode > kGridLinesBoth) {
        return false;
    }
    grid_lines_ = mode;
    RepaintAll();
    return true;
}

void CGridCtrl::SetEditable(bool editable) {
    editable_ = editable;
    if (!editable_) {
        CloseEditor(EditorEnd::kDiscard);
    }
}

bool CGridCtrl::IsEditing() const {
    return editor_ != nullptr;
}

void CGridCtrl::SetSortColumn(int column) {
    const int old = sort_column_;
    sort_column_ = (column >= 0 && column < GetColumnCount()) ? column : -1;
    if (fixed_rows_ > 0 && old != sort_column_) {
        RepaintRect(CellRect(0, old));
        RepaintRect(CellRect(0, sort_column_));
    }
}

void CGridCtrl::SetSortAscending(bool ascending) {
    if (ascending != sort_ascending_) {
        sort_ascending_ = ascending;
        if (fixed_rows_ > 0) {
            RepaintRect(CellRect(0, sort_column_));
        }
    }
}

// ---- redraw and scroll bars ----

void CGridCtrl::SetRedraw(bool redraw) {
    redraw_ = redraw;
    if (!redraw_) {
        return;
    }
    if (shape_pending_) {
        shape_pending_ = false;
        AdjustScrollBars();
    }
    repaint_pending_ = false;
    viewport()->update();
}

void CGridCtrl::AdjustScrollBars() {
    const QSize view = viewport()->size();
    QScrollBar* vertical = verticalScrollBar();
    const int data_view = std::max(0, view.height() - FixedHeight());
    vertical->setRange(0, std::max(0, ScrollableHeight() - data_view));
    vertical->setPageStep(std::max(1, data_view));
    const int step_row = fixed_rows_ < GetRowCount() ? fixed_rows_ : -1;
    vertical->setSingleStep(step_row >= 0 ? std::max(1, GetRowHeight(step_row))
                                          : default_row_height_);
    QScrollBar* horizontal = horizontalScrollBar();
    horizontal->setRange(0, std::max(0, ContentWidth() - view.width()));
    horizontal->setPageStep(std::max(1, view.width()));
    horizontal->setSingleStep(kGridDefaultColumnWidth / 4);
}

void CGridCtrl::ShapeChanged() {
    row_tops_dirty_ = true;
    if (!redraw_) {
        shape_pending_ = true;
        return;
    }
    AdjustScrollBars();
    RepaintAll();
}

void CGridCtrl::RepaintRect(const QRect& rect) {
    // Most rows of a long list are scrolled away; they cost a comparison, no more.
    if (rect.isEmpty() || !rect.intersects(viewport()->rect())) {
        return;
    }
    if (!redraw_) {
        repaint_pending_ = true;
        return;
    }
    viewport()->update(rect);
}

void CGridCtrl::RepaintRow(int row) {
    RepaintRect(RowRect(row));
}

void CGridCtrl::RepaintAll() {
    RepaintRect(viewport()->rect());
}

void CGridCtrl::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    AdjustScrollBars();
}

void CGridCtrl::scrollContentsBy(int dx, int dy) {
    (void)dx;
    (void)dy;
    // An editor left where its cell was would sit over another row.
    CloseEditor(EditorEnd::kCommit);
    if (redraw_) {
        viewport()->update();
    } else {
        repaint_pending_ = true;
    }
}

// ---- geometry ----

const std::vector<int>& CGridCtrl::RowTops() const {
    if (row_tops_dirty_) {
        row_tops_.resize(rows_.size());
        int top = 0;
        for (size_t r = 0; r < rows_.size(); ++r) {
            row_tops_[r] = top;
            top += rows_[r].height;
        }
        row_tops_dirty_ = false;
    }
    return row_tops_;
}

int CGridCtrl::FixedHeight() const {
    int height = 0;
    for (int r = 0; r < fixed_rows_ && r < GetRowCount(); ++r) {
        height += rows_[static_cast<size_t>(r)].height;
    }
    return height;
}

int CGridCtrl::ContentWidth() const {
    int width = 0;
    for (int w : column_widths_) {
        width += w;
    }
    return width;
}

int CGridCtrl::ScrollableHeight() const {
    return total_height_ - FixedHeight();
}

int CGridCtrl::ColumnLeft(int column) const {
    int left = 0;
    for (int c = 0; c < column; ++c) {
        left += column_widths_[static_cast<size_t>(c)];
    }
    return left;
}

QRect CGridCtrl::RowRect(int row) const {
    if (row < 0 || row >= GetRowCount()) {
        return QRect();
    }
    const int top = RowTops()[static_cast<size_t>(row)] -
                    (row < fixed_rows_ ? 0 : verticalScrollBar()->value());
    return QRect(-horizontalScrollBar()->value(), top, ContentWidth(),
                 rows_[static_cast<size_t>(row)].height);
}

QRect CGridCtrl::CellRect(int row, int column) const {
    if (!IsValid(row, column)) {
        return QRect();
    }
    const QRect row_rect = RowRect(row);
    return QRect(row_rect.left() + ColumnLeft(column), row_rect.top(), GetColumnWidth(column),
                 row_rect.height());
}

GridCellRef CGridCtrl::CellAt(const QPoint& point) const {
    if (!viewport()->rect().contains(point) || GetColumnCount() == 0) {
        return {};
    }
    const std::vector<int>& tops = RowTops();
    const int fixed_height = FixedHeight();
    int row = -1;
    if (point.y() < fixed_height) {
        const auto it = std::upper_bound(tops.begin(), tops.begin() + fixed_rows_, point.y());
        row = static_cast<int>(it - tops.begin()) - 1;
    } else {
        const int y = point.y() + verticalScrollBar()->value();
        const auto it = std::upper_bound(tops.begin() + fixed_rows_, tops.end(), y);
        row = static_cast<int>(it - tops.begin()) - 1;
        if (row < fixed_rows_ || y >= total_height_) {
            return {};
        }
    }
    if (row < 0) {
        return {};
    }
    int x = point.x() + horizontalScrollBar()->value();
    for (int c = 0; c < GetColumnCount(); ++c) {
        x -= column_widths_[static_cast<size_t>(c)];
        if (x < 0) {
            return {row, c};
        }
    }
    return {};
}

void CGridCtrl::EnsureRowVisible(int row) {
    if (row < fixed_rows_ || row >= GetRowCount()) {
        return;
    }
    AdjustScrollBars();
    QScrollBar* vertical = verticalScrollBar();
    const int top = RowTops()[static_cast<size_t>(row)] - FixedHeight();
    const int bottom = top + GetRowHeight(row);
    const int data_view = std::max(0, viewport()->height() - FixedHeight());
    if (top < vertical->value()) {
        vertical->setValue(top);
    } else if (bottom > vertical->value() + data_view) {
        vertical->setValue(bottom - data_view);
    }
}

// ---- painting ----

void CGridCtrl::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    const QRect area = event->rect();
    painter.fillRect(area, grid_bk_colour_);
    if (GetColumnCount() == 0 || rows_.empty()) {
        return;
    }
    const std::vector<int>& tops = RowTops();
    const int fixed_height = FixedHeight();
    const int dx = -horizontalScrollBar()->value();
    const auto paint_row = [&](int row, int top) {
        const int height = rows_[static_cast<size_t>(row)].height;
        if (top > area.bottom() || top + height <= area.top()) {
            return;
        }
        int left = dx;
        for (int c = 0; c < GetColumnCount(); ++c) {
            const int width = column_widths_[static_cast<size_t>(c)];
            const QRect rect(left, top, width, height);
            if (rect.intersects(area)) {
                PaintCell(painter, row, c, rect);
            }
            left += width;
        }
    };
    const QRect data_area = area & QRect(0, fixed_height, viewport()->width(),
                                         std::max(0, viewport()->height() - fixed_height));
    if (!data_area.isEmpty() && fixed_rows_ < GetRowCount()) {
        painter.save();
        painter.setClipRect(data_area);
        const int dy = verticalScrollBar()->value();
        // Only the rows the damaged area reaches are visited, however many there are.
        const auto first =
            std::upper_bound(tops.begin() + fixed_rows_, tops.end(), data_area.top() + dy);
        int row = std::max(fixed_rows_, static_cast<int>(first - tops.begin()) - 1);
        for (; row < GetRowCount(); ++row) {
            const int top = tops[static_cast<size_t>(row)] - dy;
            if (top > data_area.bottom()) {
                break;
            }
            paint_row(row, top);
        }
        painter.restore();
    }
    for (int row = 0; row < fixed_rows_ && row < GetRowCount(); ++row) {
        paint_row(row, tops[static_cast<size_t>(row)]);
    }
}

void CGridCtrl::PaintCell(QPainter& painter, int row, int column, const QRect& rect) {
    const CGridCell& cell = rows_[static_cast<size_t>(row)].cells[static_cast<size_t>(column)];
    const bool fixed = row < fixed_rows_;
    const QColor background =
        cell.bk_colour.isValid() ? cell.bk_colour : (fixed ? kFixedBkColour : kGridRowBkColour);
    painter.fillRect(rect, background);

    QRect content = rect.adjusted(kCellMargin, 0, -kCellMargin, 0);
    const QColor text_colour = cell.fg_colour.isValid() ? cell.fg_colour : kDefaultTextColour;
    if (fixed && row == 0 && column == sort_column_) {
        const int right = rect.right() - kSortMarkerGap;
        const int mid = rect.center().y();
        const int half = kSortMarkerHeight / 2;
        QPolygon triangle;
        if (sort_ascending_) {
            triangle << QPoint(right - kSortMarkerWidth / 2, mid - half)
                     << QPoint(right, mid + half)
                     << QPoint(right - kSortMarkerWidth + 1, mid + half);
        } else {
            triangle << QPoint(right - kSortMarkerWidth + 1, mid - half)
                     << QPoint(right, mid - half)
                     << QPoint(right - kSortMarkerWidth / 2, mid + half);
        }
        painter.setPen(text_colour);
        painter.setBrush(text_colour);
        painter.drawPolygon(triangle);
        painter.setBrush(Qt::NoBrush);
        content.setRight(right - kSortMarkerWidth - kCellMargin);
    }

    if (cell.image >= 0 && cell.image < static_cast<int>(images_.size())) {
        const QPixmap& image = images_[static_cast<size_t>(cell.image)];
        if (!image.isNull()) {
            const int top = rect.top() + (rect.height() - image.height()) / 2;
            painter.drawPixmap(content.left(), top, image);
            content.setLeft(content.left() + image.width() + kCellMargin);
        }
    }

    if (!cell.text.isEmpty() && content.width() > 0) {
        if (painter.font() != cell.font) {
            painter.setFont(cell.font);
        }
        painter.setPen(text_colour);
        painter.drawText(content, QtAlignment(cell.format), cell.text);
    }

    if ((grid_lines_ & kGridLinesHorizontal) != 0 || (grid_lines_ & kGridLinesVertical) != 0) {
        painter.setPen(grid_line_colour_);
        if ((grid_lines_ & kGridLinesHorizontal) != 0) {
            painter.drawLine(rect.left(), rect.bottom(), rect.right(), rect.bottom());
        }
        if ((grid_lines_ & kGridLinesVertical) != 0) {
            painter.drawLine(rect.right(), rect.top(), rect.right(), rect.bottom());
        }
    }
}

// ---- pointer ----

void CGridCtrl::UpdateHover(const QPoint& point) {
    const GridCellRef cell = CellAt(point);
    const bool header = cell.IsValid() && cell.row < fixed_rows_;
    const bool hand = header || (cell.IsValid() && IsHandCursorColumn(cell.column));
    if (hand) {
        viewport()->setCursor(Qt::PointingHandCursor);
    } else {
        viewport()->unsetCursor();
    }
    if (!cell.IsValid() || header || cell.row == hover_row_) {
        return;
    }
    const auto paint_row = [this](int row, const QColor& colour) {
        for (CGridCell& c : rows_[static_cast<size_t>(row)].cells) {
            c.bk_colour = colour;
        }
        RepaintRow(row);
    };
    if (hover_row_ >= fixed_rows_ && hover_row_ < GetRowCount()) {
        paint_row(hover_row_, kGridRowBkColour);
    }
    paint_row(cell.row, kGridHoverBkColour);
    hover_row_ = cell.row;
}

void CGridCtrl::mouseMoveEvent(QMouseEvent* event) {
    UpdateHover(event->position().toPoint());
}

void CGridCtrl::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    setFocus(Qt::MouseFocusReason);
    const GridCellRef cell = CellAt(event->position().toPoint());
    if (cell.IsValid() && cell.row >= fixed_rows_) {
        focus_cell_ = cell;
    }
}

void CGridCtrl::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    const GridCellRef cell = CellAt(event->position().toPoint());
    if (cell.IsValid()) {
        // Last thing done here: the receiver may refill the grid.
        emit CellClicked(cell.row, cell.column);
    }
}

void CGridCtrl::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !editable_) {
        return;
    }
    const GridCellRef cell = CellAt(event->position().toPoint());
    if (cell.IsValid() && cell.row >= fixed_rows_) {
        focus_cell_ = cell;
        OpenEditor(cell.row, cell.column, GetItemText(cell.row, cell.column),
                   EditorText::kSelected);
    }
}

void CGridCtrl::keyPressEvent(QKeyEvent* event) {
    const bool can_edit =
        editable_ && IsValid(focus_cell_.row, focus_cell_.column) && focus_cell_.row >= fixed_rows_;
    if (can_edit && event->key() == Qt::Key_F2) {
        OpenEditor(focus_cell_.row, focus_cell_.column,
                   GetItemText(focus_cell_.row, focus_cell_.column), EditorText::kSelected);
        return;
    }
    const QString typed = event->text();
    if (can_edit && !typed.isEmpty() && typed.front().isPrint() &&
        (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) == 0) {
        OpenEditor(focus_cell_.row, focus_cell_.column, typed, EditorText::kCaretAtEnd);
        return;
    }
    // Page and arrow keys scroll, as the base class does for its scroll bars.
    QAbstractScrollArea::keyPressEvent(event);
}

// ---- in-place editor ----

void CGridCtrl::OpenEditor(int row, int column, const QString& seed, EditorText start) {
    CloseEditor(EditorEnd::kCommit);
    EnsureRowVisible(row);
    auto* editor = new QLineEdit(viewport());
    editor->setObjectName(QStringLiteral("grid_cell_editor"));
    editor->setFrame(false);
    editor->setFont(GetItemFont(row, column));
    editor->setText(seed);
    if (start == EditorText::kSelected) {
        editor->selectAll();
    }
    editor->setGeometry(CellRect(row, column));
    editor->installEventFilter(this);
    connect(editor, &QLineEdit::editingFinished, this, [this] { CloseEditor(EditorEnd::kCommit); });
    editor_ = editor;
    editor_cell_ = {row, column};
    editor->show();
    editor->setFocus(Qt::OtherFocusReason);
}

void CGridCtrl::CloseEditor(EditorEnd end) {
    if (editor_ == nullptr) {
        return;
    }
    QLineEdit* editor = editor_;
    editor_ = nullptr;
    // No second close from the focus loss that hiding it causes.
    editor->disconnect(this);
    editor->removeEventFilter(this);
    const GridCellRef cell = editor_cell_;
    editor_cell_ = GridCellRef();
    const QString text = editor->text();
    editor->hide();
    editor->deleteLater();
    if (end == EditorEnd::kCommit && IsValid(cell.row, cell.column) &&
        text != GetItemText(cell.row, cell.column)) {
        SetItemText(cell.row, cell.column, text);
        emit CellEdited(cell.row, cell.column);
    }
    setFocus(Qt::OtherFocusReason);
}

bool CGridCtrl::eventFilter(QObject* watched, QEvent* event) {
    if (watched == editor_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        CloseEditor(EditorEnd::kDiscard);
        return true;
    }
    return QAbstractScrollArea::eventFilter(watched, event);
}

// ---- hand cursor ----

void CGridCtrl::AddHandCursorColumn(int column) {
    if (column >= 0) {
        hand_columns_.insert(column);
    }
}

// ---- accessibility ----

void CGridCtrl::ForgetAccessibleCells() {
    if (accessible_cells_.empty()) {
        return;
    }
    const auto cells = std::move(accessible_cells_);
    accessible_cells_.clear();
    for (const auto& entry : cells) {
        QAccessible::deleteAccessibleInterface(entry.second);
    }
    if (QAccessible::isActive()) {
        QAccessibleTableModelChangeEvent reset(this, QAccessibleTableModelChangeEvent::ModelReset);
        QAccessible::updateAccessibility(&reset);
    }
}

}  // namespace plindar
