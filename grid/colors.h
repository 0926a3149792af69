#pragma once
// Colour values as components store them: 0x00BBGGRR (red in the low byte),
// or a system colour (0xFF000000 | index) that is resolved against the
// widget's palette when painting, so a theme change recolours the grid.
// 0x1FFFFFFF is "none".

#include <QColor>
#include <QtGlobal>

class QPalette;

using TColor = quint32;

inline constexpr TColor clNone = 0x1FFFFFFF;
inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clMaroon = 0x000080;
inline constexpr TColor clNavy = 0x800000;
inline constexpr TColor clTeal = 0x808000;
inline constexpr TColor clGray = 0x808080;
inline constexpr TColor clSilver = 0xC0C0C0;
inline constexpr TColor clYellow = 0x00FFFF;
inline constexpr TColor clWhite = 0xFFFFFF;
inline constexpr TColor clAppWorkSpace = 0xFF00000C;
inline constexpr TColor clWindow = 0xFF000005;
inline constexpr TColor clWindowText = 0xFF000008;
inline constexpr TColor clHighlight = 0xFF00000D;
inline constexpr TColor clHighlightText = 0xFF00000E;
inline constexpr TColor clBtnFace = 0xFF00000F;
inline constexpr TColor clBtnShadow = 0xFF000010;

constexpr TColor RGBColor(int r, int g, int b)
{
    return TColor(r & 0xFF) | TColor(g & 0xFF) << 8 | TColor(b & 0xFF) << 16;
}

// The colour to paint with; an unknown system colour gives the window text.
QColor ColorToQColor(TColor color, const QPalette &palette);
