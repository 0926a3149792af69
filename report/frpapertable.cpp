#include "report/frpapertable.h"

#include <cmath>

namespace {
const TfrPaperInfo paperTable[] = {
    {1, "Lettera, 8 1/2 x 11\"", 2159, 2794},
    {2, "Lettera piccola, 8 1/2 x 11\"", 2159, 2794},
    {3, "Compresso, 11 x 17\"", 2794, 4318},
    {4, "Libro mastro, 17 x 11\"", 4318, 2794},
    {5, "Legale, 8 1/2 x 14\"", 2159, 3556},
    {6, "Dichiarazione, 5 1/2 x 8 1/2\"", 1397, 2159},
    {7, "Esecutivo, 7 1/4 x 10 1/2\"", 1842, 2667},
    {8, "A3 297 x 420 mm", 2970, 4200},
    {9, "A4 210 x 297 mm", 2100, 2970},
    {10, "A4 foglio piccolo, 210 x 297 mm", 2100, 2970},
    {11, "A5 148 x 210 mm", 1480, 2100},
    {12, "B4 250 x 354 mm", 2500, 3540},
    {13, "B5 182 x 257 mm", 1820, 2570},
    {14, "Foglio, 8 1/2 x 13\"", 2159, 3302},
    {15, "Foglio quarto, 215 x 275 mm", 2150, 2750},
    {16, "Foglio 10 x 14\"", 2540, 3556},
    {17, "Foglio 11 x 17\"", 2794, 4318},
    {18, "Note, 8 1/2 x 11\"", 2159, 2794},
    {19, "9 Busta, 3 7/8 x 8 7/8\"", 984, 2254},
    {20, "#10 Busta, 4 1/8  x 9 1/2\"", 1048, 2413},
    {21, "#11 Busta, 4 1/2 x 10 3/8\"", 1143, 2635},
    {22, "#12 Busta, 4 3/4 x 11\"", 1207, 2794},
    {23, "#14 Busta, 5 x 11 1/2\"", 1270, 2921},
    {24, "C Foglio, 17 x 22\"", 4318, 5588},
    {25, "D Foglio, 22 x 34\"", 5588, 8636},
    {26, "E Foglio, 34 x 44\"", 8636, 11176},
    {27, "DL Busta, 110 x 220 mm", 1100, 2200},
    {28, "C5 Busta, 162 x 229 mm", 1620, 2290},
    {29, "C3 Busta,  324 x 458 mm", 3240, 4580},
    {30, "C4 Busta,  229 x 324 mm", 2290, 3240},
    {31, "C6 Busta,  114 x 162 mm", 1140, 1620},
    {32, "C65 Busta, 114 x 229 mm", 1140, 2290},
    {33, "B4 Busta,  250 x 353 mm", 2500, 3530},
    {34, "B5 Busta,  176 x 250 mm", 1760, 2500},
    {35, "B6 Busta,  176 x 125 mm", 1760, 1250},
    {36, "Busta italiana, 110 x 230 mm", 1100, 2300},
    {37, "Busta re, 3 7/8 x 7 1/2\"", 984, 1905},
    {38, "6 3/4 Busta, 3 5/8 x 6 1/2\"", 920, 1651},
    {39, "Standard Fanfold americano, 14 7/8 x 11\"", 3778, 2794},
    {40, "Standard Fanfold tedesco, 8 1/2 x 12\"", 2159, 3048},
    {41, "Legale Fanfold tedesco, 8 1/2 x 13\"", 2159, 3302},
    {42, "B4 (ISO) 250 x 353 mm", 2500, 3530},
    {43, "Cartolina giapponese 100 x 148 mm", 1000, 1480},
    {44, "Foglio 9 x 11\"", 2286, 2794},
    {45, "Foglio 10 x 11\"", 2540, 2794},
    {46, "Foglio 15 x 11\"", 3810, 2794},
    {47, "Busta Invito 220 x 220 mm", 2200, 2200},
    {48, "Lettera Extra 9 \\ 275 x 12\"", 2355, 3048},
    {49, "Legale Extra 9 \\275 x 15\"", 2355, 3810},
    {50, "Compresso Extra 11.69 x 18\"", 2969, 4572},
    {51, "A4 Extra 9.27 x 12.69\"", 2354, 3223},
    {52, "Lettera Trasversale 8 \\275 x 11\"", 2101, 2794},
    {53, "A4 Transversale 210 x 297 mm", 2100, 2970},
    {54, "Lettera Extra Trasversale 9\\275 x 12\"", 2355, 3048},
    {55, "SuperASuperAA4 227 x 356 mm", 2270, 3560},
    {56, "SuperBSuperBA3 305 x 487 mm", 3050, 4870},
    {57, "Lettera Plus 8.5 x 12.69\"", 2159, 3223},
    {58, "A4 Plus 210 x 330 mm", 2100, 3300},
    {59, "A5 Trasversale 148 x 210 mm", 1480, 2100},
    {60, "B5 (JIS) Trasversale 182 x 257 mm", 1820, 2570},
    {61, "A3 Extra 322 x 445 mm", 3220, 4450},
    {62, "A5 Extra 174 x 235 mm", 1740, 2350},
    {63, "B5 (ISO) Extra 201 x 276 mm", 2010, 2760},
    {64, "A2 420 x 594 mm", 4200, 5940},
    {65, "A3 Trasversale 297 x 420 mm", 2970, 4200},
    {66, "A3 Extra Trasversale 322 x 445 mm", 3220, 4450},
    {256, "Personalizzato", 0, 0},
};
} // namespace

int frPaper::count() { return int(sizeof paperTable / sizeof paperTable[0]); }

const TfrPaperInfo &frPaper::at(int index) { return paperTable[index]; }

const TfrPaperInfo *frPaper::find(int code)
{
    for (const TfrPaperInfo &p : paperTable)
        if (p.code == code) return &p;
    return nullptr;
}

int frPaper::toDesignUnit(int tenths)
{
    return int(std::lround(double(tenths) * 96.0 / 254.0));
}
