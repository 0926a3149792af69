#include "grid/colors.h"

#include <QPalette>

QColor ColorToQColor(TColor color, const QPalette &palette)
{
    if (color == clNone) return QColor(Qt::transparent);
    if ((color & 0xFF000000) == 0)
        return QColor(int(color & 0xFF), int(color >> 8 & 0xFF), int(color >> 16 & 0xFF));
    switch (color) {
    case clWindow: return palette.color(QPalette::Base);
    case clWindowText: return palette.color(QPalette::Text);
    case clHighlight: return palette.color(QPalette::Highlight);
    case clHighlightText: return palette.color(QPalette::HighlightedText);
    case clBtnFace: return palette.color(QPalette::Button);
    case clBtnShadow: return palette.color(QPalette::Dark);
    case clAppWorkSpace: return QColor(0xAB, 0xAB, 0xAB);
    default: return palette.color(QPalette::Text);
    }
}
