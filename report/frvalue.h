#pragma once
// A named value of a report: not assigned (Null), a database field, or one of
// the engine's own values (an expression or a system variable).

#include <QString>

class TDataSet;
class TField;

class TfrValue
{
public:
    enum Kind { NotAssigned = 0, DBField = 1, Other = 2 };
    enum SubKind {
        PageNumber = 0, Expression, Date, Time, LineNumber, LineThrough, ColumnNumber, CurrentNumber,
        TotalPages, SubKindCount
    };

    int ValueKind = NotAssigned;
    int ValueSubKind = 0;
    QString DSet;        // kind 1: dataset as "Component" or "Form.Component"
    QString Field;       // kind 1: field name; kind 2 sub-kind 1: the expression

    // Resolved when a build starts.
    TDataSet *DSetObj = nullptr;
    TField *FieldObj = nullptr;

    static QString SubKindName(int subKind);   // "N° pagina", ...; empty out of range
    static QString KindNoneName();             // "Nessuna"
    // The system variable a sub-kind stands for ("PAGE#"); empty for expressions.
    static QString SystemVariable(int subKind);
};
