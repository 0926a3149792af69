#pragma once
// The grid's data link: turns dataset notifications into grid calls.

#include "data/datalink.h"
#include "grid/customdbgrid.h"

class TGridDataLink : public TDataLink
{
public:
    explicit TGridDataLink(TCustomDBGrid *grid) : m_grid(grid) {}

protected:
    void ActiveChanged() override { m_grid->linkActive(Active()); }
    void DataSetChanged() override { m_grid->dataChanged(); }
    void DataSetScrolled(int distance) override { m_grid->scrolled(distance); }
    void LayoutChanged() override { m_grid->linkLayoutChanged(); }
    void RecordChanged(TField *field) override { m_grid->recordChanged(field); }
    void EditingChanged() override { m_grid->editingChanged(); }
    void UpdateData() override { m_grid->updateData(); }

private:
    TCustomDBGrid *m_grid;
};
