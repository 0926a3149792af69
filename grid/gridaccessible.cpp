#include "grid/gridaccessible.h"

#include "grid/customdbgrid.h"

#include <QAccessibleWidget>
#include <QHash>
#include <QPointer>

// The grid as a screen reader's table: rows are the records on screen (the
// buffer ring, never the whole table), columns the visible data columns with
// their titles as headers. Cells are made on demand and kept per position;
// they read the grid when asked, so they never hold a stale value.

namespace {

class AccessibleGrid;

class AccessibleGridCell : public QAccessibleInterface, public QAccessibleTableCellInterface
{
public:
    // row -1: the column's header.
    AccessibleGridCell(TCustomDBGrid *grid, int row, int column) : m_grid(grid), m_row(row), m_column(column) {}

    bool isValid() const override
    {
        return m_grid && m_column < m_grid->AccessibleColumnCount() && m_row < m_grid->AccessibleRowCount();
    }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return m_grid ? m_grid->window()->windowHandle() : nullptr; }
    QAccessibleInterface *parent() const override { return QAccessible::queryAccessibleInterface(m_grid.data()); }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }

    QString text(QAccessible::Text t) const override
    {
        if (!isValid() || (t != QAccessible::Name && t != QAccessible::Value)) return {};
        return m_row < 0 ? m_grid->AccessibleColumnTitle(m_column) : m_grid->AccessibleCellText(m_row, m_column);
    }
    void setText(QAccessible::Text, const QString &) override {}
    QRect rect() const override
    {
        if (!isValid()) return {};
        const QRect r = m_grid->AccessibleCellRect(m_row, m_column);
        return r.isEmpty() ? QRect() : QRect(m_grid->viewport()->mapToGlobal(r.topLeft()), r.size());
    }
    QAccessible::Role role() const override
    {
        return m_row < 0 ? QAccessible::ColumnHeader : QAccessible::Cell;
    }
    QAccessible::State state() const override
    {
        QAccessible::State s;
        if (!isValid()) {
            s.invalid = true;
            return s;
        }
        if (rect().isEmpty()) s.invisible = true;
        if (m_row < 0) return s;
        s.selectable = true;
        s.focusable = true;
        const bool current = m_row == m_grid->AccessibleCurrentRow();
        s.selected = current;
        s.focused = current && m_column == m_grid->AccessibleCurrentColumn() && m_grid->hasFocus();
        s.readOnly = m_grid->ReadOnly();
        return s;
    }
    void *interface_cast(QAccessible::InterfaceType t) override
    {
        return t == QAccessible::TableCellInterface && m_row >= 0 ? static_cast<QAccessibleTableCellInterface *>(this)
                                                                  : nullptr;
    }

    // QAccessibleTableCellInterface
    bool isSelected() const override { return isValid() && m_row == m_grid->AccessibleCurrentRow(); }
    QList<QAccessibleInterface *> columnHeaderCells() const override;
    QList<QAccessibleInterface *> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return m_column; }
    int rowIndex() const override { return m_row; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface *table() const override { return parent(); }

private:
    QPointer<TCustomDBGrid> m_grid;
    int m_row;
    int m_column;
};

class AccessibleGrid : public QAccessibleWidget, public QAccessibleTableInterface
{
public:
    explicit AccessibleGrid(TCustomDBGrid *grid) : QAccessibleWidget(grid, QAccessible::Table) {}
    ~AccessibleGrid() override
    {
        for (QAccessible::Id id : std::as_const(m_cells)) QAccessible::deleteAccessibleInterface(id);
    }

    TCustomDBGrid *grid() const { return static_cast<TCustomDBGrid *>(widget()); }

    QAccessibleInterface *cell(int row, int column) const
    {
        if (column < 0 || column >= columnCount() || row < -1 || row >= rowCount()) return nullptr;
        const quint64 key = (quint64(quint32(row + 1)) << 32) | quint32(column);
        auto *self = const_cast<AccessibleGrid *>(this);
        const auto it = m_cells.constFind(key);
        if (it != m_cells.cend()) return QAccessible::accessibleInterface(*it);
        auto *cell = new AccessibleGridCell(grid(), row, column);
        self->m_cells.insert(key, QAccessible::registerAccessibleInterface(cell));
        return cell;
    }

    // Children: the header cells, then the cells row by row.
    int childCount() const override { return columnCount() * (rowCount() + 1); }
    QAccessibleInterface *child(int index) const override
    {
        const int columns = columnCount();
        if (columns == 0 || index < 0) return nullptr;
        return cell(index / columns - 1, index % columns);
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        if (!child || child->role() == QAccessible::NoRole) return -1;
        auto *c = const_cast<QAccessibleInterface *>(child)->tableCellInterface();
        if (c) return (c->rowIndex() + 1) * columnCount() + c->columnIndex();
        for (int i = 0; i < columnCount(); ++i)
            if (cell(-1, i) == child) return i;
        return -1;
    }
    QAccessibleInterface *childAt(int x, int y) const override
    {
        const QPoint local = grid()->viewport()->mapFromGlobal(QPoint(x, y));
        for (int r = -1; r < rowCount(); ++r)
            for (int c = 0; c < columnCount(); ++c)
                if (grid()->AccessibleCellRect(r, c).contains(local)) return cell(r, c);
        return nullptr;
    }
    void *interface_cast(QAccessible::InterfaceType t) override
    {
        if (t == QAccessible::TableInterface) return static_cast<QAccessibleTableInterface *>(this);
        return QAccessibleWidget::interface_cast(t);
    }

    // QAccessibleTableInterface
    QAccessibleInterface *caption() const override { return nullptr; }
    QAccessibleInterface *summary() const override { return nullptr; }
    QAccessibleInterface *cellAt(int row, int column) const override { return cell(row, column); }
    int columnCount() const override { return grid()->AccessibleColumnCount(); }
    int rowCount() const override { return grid()->AccessibleRowCount(); }
    QString columnDescription(int column) const override { return grid()->AccessibleColumnTitle(column); }
    QString rowDescription(int) const override { return {}; }
    int selectedCellCount() const override { return grid()->AccessibleCurrentRow() >= 0 ? 1 : 0; }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override { return grid()->AccessibleCurrentRow() >= 0 ? 1 : 0; }
    QList<QAccessibleInterface *> selectedCells() const override
    {
        QAccessibleInterface *c = cell(grid()->AccessibleCurrentRow(), grid()->AccessibleCurrentColumn());
        return c ? QList<QAccessibleInterface *>{c} : QList<QAccessibleInterface *>{};
    }
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override
    {
        const int r = grid()->AccessibleCurrentRow();
        return r >= 0 ? QList<int>{r} : QList<int>{};
    }
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int row) const override { return row >= 0 && row == grid()->AccessibleCurrentRow(); }
    bool selectRow(int row) override { return grid()->AccessibleSelectRow(row); }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent *) override {}

private:
    QHash<quint64, QAccessible::Id> m_cells;
};

QList<QAccessibleInterface *> AccessibleGridCell::columnHeaderCells() const
{
    auto *table = parent();
    auto *t = table ? table->tableInterface() : nullptr;
    if (!t || !m_grid || !m_grid->TitleOffset()) return {};
    QAccessibleInterface *header = static_cast<AccessibleGrid *>(table)->cell(-1, m_column);
    return header ? QList<QAccessibleInterface *>{header} : QList<QAccessibleInterface *>{};
}

QAccessibleInterface *factory(const QString &, QObject *object)
{
    if (auto *grid = qobject_cast<TCustomDBGrid *>(object)) return new AccessibleGrid(grid);
    return nullptr;
}

} // namespace

void installGridAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(factory);
        return true;
    }();
    Q_UNUSED(installed);
}

std::function<void(QAccessibleInterface *cell)> &gridAnnouncementHook()
{
    static std::function<void(QAccessibleInterface *)> hook;
    return hook;
}

void announceCurrentCell(TCustomDBGrid *grid)
{
    // Nobody listening: nothing to build (this runs on every move).
    if ((!QAccessible::isActive() && !gridAnnouncementHook()) || !grid->hasFocus()) return;
    QAccessibleInterface *table = QAccessible::queryAccessibleInterface(grid);
    QAccessibleTableInterface *t = table ? table->tableInterface() : nullptr;
    QAccessibleInterface *cell = t ? t->cellAt(grid->AccessibleCurrentRow(), grid->AccessibleCurrentColumn()) : nullptr;
    if (!cell) return;
    if (gridAnnouncementHook()) gridAnnouncementHook()(cell);
    // The reader says the new cell with its column's title.
    QAccessibleEvent focus(cell, QAccessible::Focus);
    QAccessible::updateAccessibility(&focus);
}
