// The grid's accessible table and its cells. A cell interface names a position,
// not a cell object: the grid drops them all whenever rows come or go.
#include "ui/grid/grid_accessible.h"

#include <QAccessible>
#include <QPointer>
#include <QWidget>
#include <QWindow>
#include <mutex>

#include "ui/grid/grid_ctrl.h"

namespace plindar {

namespace {

class CGridCellAccessible : public QAccessibleInterface, public QAccessibleTableCellInterface {
public:
    CGridCellAccessible(CGridCtrl* grid, int row, int column)
        : grid_(grid), row_(row), column_(column) {}

    bool isValid() const override { return grid_ != nullptr && grid_->IsValid(row_, column_); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override {
        return grid_ != nullptr ? grid_->window()->windowHandle() : nullptr;
    }
    QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(grid_.data());
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }

    QString text(QAccessible::Text type) const override {
        if (!isValid() || (type != QAccessible::Name && type != QAccessible::Value)) {
            return QString();
        }
        return grid_->GetItemText(row_, column_);
    }
    void setText(QAccessible::Text, const QString&) override {}

    QRect rect() const override {
        if (!isValid()) {
            return QRect();
        }
        const QRect cell = grid_->CellRect(row_, column_);
        return QRect(grid_->viewport()->mapToGlobal(cell.topLeft()), cell.size());
    }
    QAccessible::Role role() const override {
        return isValid() && row_ < grid_->GetFixedRowCount() ? QAccessible::ColumnHeader
                                                             : QAccessible::Cell;
    }
    QAccessible::State state() const override {
        QAccessible::State state;
        if (!isValid() || !grid_->CellRect(row_, column_).intersects(grid_->viewport()->rect())) {
            state.invisible = true;
            state.offscreen = true;
        }
        state.readOnly = !isValid() || !grid_->IsEditable() || row_ < grid_->GetFixedRowCount();
        return state;
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TableCellInterface) {
            return static_cast<QAccessibleTableCellInterface*>(this);
        }
        return nullptr;
    }

    bool isSelected() const override { return false; }
    QList<QAccessibleInterface*> columnHeaderCells() const override {
        QList<QAccessibleInterface*> headers;
        QAccessibleInterface* table = parent();
        if (table == nullptr || !isValid() || row_ < grid_->GetFixedRowCount()) {
            return headers;
        }
        for (int r = 0; r < grid_->GetFixedRowCount(); ++r) {
            headers.append(table->tableInterface()->cellAt(r, column_));
        }
        return headers;
    }
    QList<QAccessibleInterface*> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return column_; }
    int rowIndex() const override { return row_; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface* table() const override { return parent(); }

private:
    QPointer<CGridCtrl> grid_;
    int row_;
    int column_;
};

QAccessibleInterface* GridAccessibleFactory(const QString& class_name, QObject* object) {
    auto* grid = qobject_cast<CGridCtrl*>(object);
    if (grid != nullptr && class_name == QLatin1String(CGridCtrl::staticMetaObject.className())) {
        return new CGridAccessible(grid);
    }
    return nullptr;
}

}  // namespace

CGridAccessible::CGridAccessible(CGridCtrl* grid) : QAccessibleWidget(grid, QAccessible::Table) {}

CGridCtrl* CGridAccessible::Grid() const {
    return static_cast<CGridCtrl*>(object());
}

void* CGridAccessible::interface_cast(QAccessible::InterfaceType type) {
    if (type == QAccessible::TableInterface) {
        return static_cast<QAccessibleTableInterface*>(this);
    }
    return QAccessibleWidget::interface_cast(type);
}

int CGridAccessible::childCount() const {
    return Grid()->GetRowCount() * Grid()->GetColumnCount();
}

QAccessibleInterface* CGridAccessible::child(int index) const {
    const int columns = Grid()->GetColumnCount();
    if (columns == 0 || index < 0) {
        return nullptr;
    }
    return cellAt(index / columns, index % columns);
}

int CGridAccessible::indexOfChild(const QAccessibleInterface* child) const {
    if (child == nullptr) {
        return -1;
    }
    // Only cells this table made are its children.
    const auto* cell = const_cast<QAccessibleInterface*>(child)->tableCellInterface();
    if (cell == nullptr || child->parent() != this) {
        return -1;
    }
    return cell->rowIndex() * Grid()->GetColumnCount() + cell->columnIndex();
}

QAccessibleInterface* CGridAccessible::childAt(int x, int y) const {
    const QPoint local = Grid()->viewport()->mapFromGlobal(QPoint(x, y));
    const GridCellRef cell = Grid()->CellAt(local);
    return cell.IsValid() ? cellAt(cell.row, cell.column) : nullptr;
}

QAccessibleInterface* CGridAccessible::cellAt(int row, int column) const {
    CGridCtrl* grid = Grid();
    if (!grid->IsValid(row, column)) {
        return nullptr;
    }
    const auto key = std::make_pair(row, column);
    const auto found = grid->accessible_cells_.find(key);
    if (found != grid->accessible_cells_.end()) {
        return QAccessible::accessibleInterface(found->second);
    }
    // Registered so that QAccessible owns it and ids stay stable until rows change.
    auto* cell = new CGridCellAccessible(grid, row, column);
    grid->accessible_cells_.emplace(key, QAccessible::registerAccessibleInterface(cell));
    return cell;
}

int CGridAccessible::columnCount() const {
    return Grid()->GetColumnCount();
}

int CGridAccessible::rowCount() const {
    return Grid()->GetRowCount();
}

QString CGridAccessible::columnDescription(int column) const {
    return Grid()->GetFixedRowCount() > 0 ? Grid()->GetItemText(0, column) : QString();
}

QString CGridAccessible::rowDescription(int) const {
    return QString();
}

void CGridAccessible::modelChange(QAccessibleTableModelChangeEvent*) {
    // The grid itself drops its cell interfaces when rows change.
}

void InstallGridAccessibleFactory() {
    static std::once_flag installed;
    std::call_once(installed, [] { QAccessible::installFactory(GridAccessibleFactory); });
}

}  // namespace plindar
