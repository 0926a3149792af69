#pragma once
// What the rich grid's source files share: the kinds of fields with editors
// of their own.

#include "data/field.h"
#include "data/fieldtypes.h"

inline bool isMemo(const TField *f)
{
    return f->DataType() == ftMemo || f->DataType() == ftFmtMemo;
}

inline bool isDateTime(const TField *f)
{
    return f->DataType() == ftDate || f->DataType() == ftTime || f->DataType() == ftDateTime;
}
