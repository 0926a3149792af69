#pragma once
// Field kinds and types shared by the dataset model, the storage and the report engine.

#include <QString>

enum TFieldType {
    ftUnknown = 0, ftString, ftSmallint, ftInteger, ftWord, ftBoolean, ftFloat, ftCurrency, ftBCD,
    ftDate, ftTime, ftDateTime, ftBytes, ftVarBytes, ftAutoInc, ftBlob, ftMemo, ftGraphic, ftFmtMemo,
    ftParadoxOle, ftDBaseOle, ftTypedBinary, ftCursor, ftFixedChar, ftWideString, ftLargeint, ftADT,
    ftArray, ftReference, ftDataSet, ftOraBlob, ftOraClob, ftVariant, ftInterface, ftIDispatch, ftGuid
};

enum class TFieldKind { fkData, fkCalculated, fkLookup, fkInternalCalc };

// The type's name as error messages show it ("Integer", "DateTime", ...).
QString fieldTypeName(TFieldType type);

inline bool isBlobType(TFieldType t)
{
    return t == ftBlob || t == ftMemo || t == ftGraphic || t == ftFmtMemo || t == ftParadoxOle
           || t == ftDBaseOle || t == ftTypedBinary || t == ftOraBlob || t == ftOraClob;
}
