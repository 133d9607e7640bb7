// CGridCtrl: the owner-drawn grid of cells the device list shows its devices in,
// with fixed header rows, a shared image list, a hover row highlight written into
// the cells' backgrounds, hand-cursor columns and a click notification.
#pragma once

#include <QAbstractScrollArea>
#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QPointer>
#include <QRect>
#include <QString>
#include <map>
#include <set>
#include <utility>
#include <vector>

#include "ui/grid/grid_cell.h"

class QLineEdit;

namespace plindar {

// The backgrounds the hover highlight writes into a data row's cells.
constexpr QColor kGridRowBkColour(255, 255, 255);
constexpr QColor kGridHoverBkColour(242, 242, 242);

// Height of a row nobody has sized yet.
constexpr int kGridDefaultRowHeight = 25;
constexpr int kGridDefaultColumnWidth = 64;

// A cell position; row and column are -1 when there is no cell.
struct GridCellRef {
    int row = -1;
    int column = -1;
    bool IsValid() const { return row >= 0 && column >= 0; }
    friend bool operator==(const GridCellRef&, const GridCellRef&) = default;
};

class CGridCtrl : public QAbstractScrollArea {
    Q_OBJECT

public:
    explicit CGridCtrl(QWidget* parent = nullptr);
    ~CGridCtrl() override;

    // Shape. Row counts include the fixed (header) rows, which stay at the top when
    // the other rows scroll. The grid has no fixed columns. Setters return false
    // for a count or index out of range and then change nothing.
    bool SetRowCount(int rows);
    bool SetFixedRowCount(int rows);
    bool SetColumnCount(int columns);
    int GetRowCount() const { return static_cast<int>(rows_.size()); }
    int GetFixedRowCount() const { return fixed_rows_; }
    int GetColumnCount() const { return static_cast<int>(column_widths_.size()); }

    bool SetColumnWidth(int column, int width);
    int GetColumnWidth(int column) const;
    bool SetRowHeight(int row, int height);
    int GetRowHeight(int row) const;
    // The height rows get when they are made.
    void SetDefaultRowHeight(int height);

    // Rows. The new row's index, or -1 when it cannot be made; `before` -1 appends.
    // A new row's cells take the grid's font and `first_text` in column 0.
    int InsertRow(const QString& first_text = QString(), int before = -1);
    int AppendRow(const QString& first_text = QString()) { return InsertRow(first_text); }
    bool DeleteRow(int row);
    // Leaves the fixed rows only; the hover row is forgotten.
    void DeleteNonFixedRows();

    // Cells. Setters return false for a cell that does not exist; getters return
    // the empty value (empty text, -1 image, invalid colour).
    bool IsValid(int row, int column) const;
    const CGridCell* GetCell(int row, int column) const;
    bool SetItemText(int row, int column, const QString& text);
    QString GetItemText(int row, int column) const;
    bool SetItemFormat(int row, int column, unsigned format);
    unsigned GetItemFormat(int row, int column) const;
    bool SetItemFont(int row, int column, const QFont& font);
    QFont GetItemFont(int row, int column) const;
    bool SetItemFgColour(int row, int column, const QColor& colour);
    QColor GetItemFgColour(int row, int column) const;
    bool SetItemBkColour(int row, int column, const QColor& colour);
    QColor GetItemBkColour(int row, int column) const;
    // An index into the image list, or kGridNoImage.
    bool SetItemImage(int row, int column, int image);
    int GetItemImage(int row, int column) const;
    // The first non-fixed row from `from_row` on whose text in `column` equals
    // `text` exactly, or -1.
    int FindRow(int column, const QString& text, int from_row = -1) const;

    // The images cells draw by index, before their text. Pure white (255,255,255)
    // pixels become transparent, as the skin's bitmaps expect.
    void SetImageList(std::vector<QPixmap> images);
    const std::vector<QPixmap>& GetImageList() const { return images_; }

    // Behind the cells, where no row or column reaches.
    void SetGridBkColour(const QColor& colour);
    QColor GetGridBkColour() const { return grid_bk_colour_; }
    void SetGridLineColour(const QColor& colour);
    QColor GetGridLineColour() const { return grid_line_colour_; }
    // A GridLines value; others are refused.
    bool SetGridLines(int mode);
    int GetGridLines() const { return grid_lines_; }

    // Editable by default: a double click or typing on a non-fixed cell opens a
    // one-line editor over it. Switching it off closes an open editor unsaved.
    void SetEditable(bool editable);
    bool IsEditable() const { return editable_; }
    bool IsEditing() const;

    // The header cell of the sort column draws a triangle pointing up (ascending)
    // or down; -1 marks no column.
    void SetSortColumn(int column);
    int GetSortColumn() const { return sort_column_; }
    void SetSortAscending(bool ascending);
    bool GetSortAscending() const { return sort_ascending_; }

    // While off, changes are kept but nothing is repainted and the scroll bars are
    // left alone; switching it on recomputes the scroll bars and repaints once.
    void SetRedraw(bool redraw);
    bool IsRedraw() const { return redraw_; }
    // Recomputes the scroll bars from the row heights and column widths now.
    void AdjustScrollBars();

    // Over the data cells of these columns, and over the header, the pointer
    // becomes the hand cursor.
    void AddHandCursorColumn(int column);
    bool IsHandCursorColumn(int column) const { return hand_columns_.count(column) != 0; }

    // The data row the pointer last crossed, or -1.
    int HoverRow() const { return hover_row_; }

    // Geometry in viewport coordinates, after scrolling: the cell's rectangle
    // (fixed rows at the top), and the cell under a point.
    QRect CellRect(int row, int column) const;
    GridCellRef CellAt(const QPoint& viewport_point) const;
    // Scrolls so that the whole of `row` is below the fixed rows.
    void EnsureRowVisible(int row);

signals:
    // The left button was released over a cell; row 0 is the header row.
    void CellClicked(int row, int column);
    // An in-place edit changed a cell's text.
    void CellEdited(int row, int column);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Row {
        int height = kGridDefaultRowHeight;
        std::vector<CGridCell> cells;
    };

    CGridCell* MutableCell(int row, int column);
    template <typename T>
    bool SetCellValue(int row, int column, T CGridCell::*member, const T& value);
    CGridCell MakeCell() const;
    // Tops of the rows in content coordinates (fixed rows from 0, then the rest),
    // rebuilt lazily after heights or rows change.
    const std::vector<int>& RowTops() const;
    int FixedHeight() const;
    int ContentWidth() const;
    int ScrollableHeight() const;
    int ColumnLeft(int column) const;
    QRect RowRect(int row) const;

    // Repaint requests go through these so that SetRedraw(false) holds them back.
    void RepaintRect(const QRect& rect);
    void RepaintRow(int row);
    void RepaintAll();
    void ShapeChanged();

    void UpdateHover(const QPoint& viewport_point);
    void PaintCell(class QPainter& painter, int row, int column, const QRect& rect);

    // An editor opened by a double click or F2 has the old text selected, so typing
    // replaces it; one opened by typing starts with the typed text.
    enum class EditorText { kSelected, kCaretAtEnd };
    enum class EditorEnd { kCommit, kDiscard };
    void OpenEditor(int row, int column, const QString& seed, EditorText start);
    void CloseEditor(EditorEnd end);
    void ForgetAccessibleCells();

    std::vector<Row> rows_;
    int fixed_rows_ = 0;
    std::vector<int> column_widths_;
    int default_row_height_ = kGridDefaultRowHeight;
    mutable std::vector<int> row_tops_;
    mutable bool row_tops_dirty_ = true;
    // Kept up to date on every change so that the scroll bars never walk the rows.
    int total_height_ = 0;

    std::vector<QPixmap> images_;
    QColor grid_bk_colour_{255, 255, 255};
    QColor grid_line_colour_{192, 192, 192};
    int grid_lines_ = kGridLinesBoth;
    bool editable_ = true;
    int sort_column_ = -1;
    bool sort_ascending_ = true;

    bool redraw_ = true;
    bool repaint_pending_ = false;
    bool shape_pending_ = false;

    std::set<int> hand_columns_;
    int hover_row_ = -1;
    GridCellRef focus_cell_;

    QPointer<QLineEdit> editor_;
    GridCellRef editor_cell_;

    // Accessible cell interfaces handed out so far, by (row, column): registered
    // with QAccessible, and dropped when rows come or go so that none outlives or
    // misnames its cell.
    std::map<std::pair<int, int>, unsigned> accessible_cells_;
    friend class CGridAccessible;
};

}  // namespace plindar
