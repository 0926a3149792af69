#pragma once
// TDateEdit: the free-standing date edit (the period dialog's two dates).

#include "controls/customdateedit.h"

class TDateEdit : public TCustomDateEdit
{
    Q_OBJECT
public:
    explicit TDateEdit(QWidget *parent = nullptr) : TCustomDateEdit(parent) {}
};
