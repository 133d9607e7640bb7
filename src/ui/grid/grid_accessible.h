// What assistive technology sees of the grid: a table of cells whose texts it can
// read, row 0 being the header row as in the grid's own numbering.
#pragma once

#include <QAccessibleWidget>

namespace plindar {

class CGridCtrl;

// The grid as an accessible table; its cells are the children, row by row.
class CGridAccessible : public QAccessibleWidget, public QAccessibleTableInterface {
public:
    explicit CGridAccessible(CGridCtrl* grid);

    void* interface_cast(QAccessible::InterfaceType type) override;
    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;

    QAccessibleInterface* caption() const override { return nullptr; }
    QAccessibleInterface* summary() const override { return nullptr; }
    QAccessibleInterface* cellAt(int row, int column) const override;
    int columnCount() const override;
    int rowCount() const override;
    QString columnDescription(int column) const override;
    QString rowDescription(int row) const override;
    // The grid has no selection.
    int selectedCellCount() const override { return 0; }
    QList<QAccessibleInterface*> selectedCells() const override { return {}; }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override { return 0; }
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override { return {}; }
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int) const override { return false; }
    bool selectRow(int) override { return false; }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent* event) override;

private:
    CGridCtrl* Grid() const;
};

// Makes queryAccessibleInterface return a CGridAccessible for every grid; safe to
// call more than once.
void InstallGridAccessibleFactory();

}  // namespace plindar
