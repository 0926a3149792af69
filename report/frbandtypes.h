#pragma once
// The 22 band types: a band object's FrameLines holds its type. Display names
// are the engine's own (including its spelling), and each type accepts only
// some of the band flags (bits of the band object's Flags).

#include <QString>

namespace frBand {
enum Type {
    ReportTitle = 0, ReportSummary, PageHeader, PageFooter, MasterHeader, MasterData, MasterFooter,
    DetailHeader, DetailData, DetailFooter, SubDetailHeader, SubDetailData, SubDetailFooter, Overlay,
    ColumnHeader, ColumnFooter, GroupHeader, GroupFooter, CrossHeader, CrossData, CrossFooter, None,
    TypeCount
};

enum Flag {
    Stretched = 1, NewPageAfter = 2, PrintIfSubsetEmpty = 4, BreakBand = 8, FillPage = 16
};

QString displayName(int type);               // empty for a type out of range
bool allowsFlag(int type, int flag);
bool isDataBand(int type);                   // 5, 8, 11, 19
// The data band type whose dataset serves fields of objects in a band of this
// type (-1: none); also the band that accumulates aggregates read there.
int dataBandFor(int type);
// The data band whose records an aggregate in a band of this type accumulates
// over while a page is prepared (-1: aggregates are not allowed there).
int aggregateTargetFor(int type);
} // namespace frBand
