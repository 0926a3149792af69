#include "controls/navbardatalink.h"
#include "controls/dbnavbar.h"

void TNavBarDataLink::ActiveChanged()
{
    m_bar->activeChanged();
}

void TNavBarDataLink::DataSetChanged()
{
    m_bar->dataChanged();
}

void TNavBarDataLink::EditingChanged()
{
    m_bar->editingChanged();
}
