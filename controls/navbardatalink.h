#pragma once
// The navigator bar's link to its data source: activation, data and editing
// changes recompute which buttons are enabled.

#include "data/datalink.h"

class TDBNavBar;

class TNavBarDataLink : public TDataLink
{
public:
    explicit TNavBarDataLink(TDBNavBar *bar) : m_bar(bar) {}

    void ActiveChanged() override;
    void DataSetChanged() override;
    void EditingChanged() override;

private:
    TDBNavBar *m_bar;
};
