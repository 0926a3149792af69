#pragma once
// The paper table of the pseudo printer: the standard paper codes 1-66 with
// their Italian names and sizes in tenths of a millimetre, and 256 (custom).

#include <QString>

struct TfrPaperInfo
{
    int code;
    const char *name;   // UTF-8
    int width;          // tenths of a millimetre; 0 for the custom entry
    int height;
};

namespace frPaper {
constexpr int Custom = 256;
constexpr int A4 = 9;
int count();                                // 67
const TfrPaperInfo &at(int index);
const TfrPaperInfo *find(int code);         // nullptr when the code is not in the table
int toDesignUnit(int tenthsOfMillimetre);   // × 96 ÷ 254, rounded to nearest
} // namespace frPaper
