#pragma once
// A library of report functions registered by the program: a sorted list of
// upper-case names and the operation that computes one of them. Libraries are
// asked in registration order before the report's OnUserFunction.

#include "report/frvariant.h"

#include <QStringList>

class TfrFunctionLibrary
{
public:
    virtual ~TfrFunctionLibrary() = default;
    QStringList List;    // sorted, upper case
    // For the expression editor: name "=" category " |" syntax " |" help text.
    QStringList Descriptions;
    // True (with val filled) when the library knows `name`.
    bool OnFunction(const QString &name, const TfrVariant &p1, const TfrVariant &p2, const TfrVariant &p3,
                    TfrVariant &val);
    virtual void DoFunction(int index, const TfrVariant &p1, const TfrVariant &p2, const TfrVariant &p3,
                            TfrVariant &val) = 0;
};
