#pragma once
// Types shared by the grid layers: options, cell states, the canvas a cell is
// painted with, scroll-bar and border settings.

#include <QColor>
#include <QFlags>
#include <QFont>

class QPainter;

enum TDBGridOption {
    dgEditing = 0x1,
    dgAlwaysShowEditor = 0x2,
    dgTitles = 0x4,
    dgIndicator = 0x8,
    dgColumnResize = 0x10,
    dgColLines = 0x20,
    dgRowLines = 0x40,
    dgTabs = 0x80,
    dgRowSelect = 0x100,
    dgAlwaysShowSelection = 0x200,
    dgConfirmDelete = 0x400,
    dgCancelOnExit = 0x800,
    dgMultiSelect = 0x1000
};
Q_DECLARE_FLAGS(TDBGridOptions, TDBGridOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TDBGridOptions)

// The plain grid's own switches under the data grid's options. The data
// grid starts with column sizing (still subject to dgColumnResize) and left
// dragging of titles; the rich grid's RowSizingAllowed switches the rest on.
enum TGridOption {
    goColSizing = 0x1,
    goColMoving = 0x2,
    goRowSizing = 0x4,
    goRowMoving = 0x8,          // kept for completeness: a data grid's rows are records
    goTabs = 0x10,              // Tab moves between cells, as dgTabs does
    goThumbTracking = 0x20,     // the vertical thumb moves the dataset while dragged
    goDrawFocusSelected = 0x40  // the focus rectangle also on a selected cell
};
Q_DECLARE_FLAGS(TGridOptions, TGridOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TGridOptions)

enum TGridDrawStateFlag { gdSelected = 0x1, gdFocused = 0x2, gdFixed = 0x4 };
Q_DECLARE_FLAGS(TGridDrawState, TGridDrawStateFlag)
Q_DECLARE_OPERATORS_FOR_FLAGS(TGridDrawState)

enum class TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
enum class TBorderStyle { bsNone, bsSingle };

// What a cell is painted with. Event handlers change Font, FontColor and
// Brush; Painter is the grid's, clipped to nothing in particular.
struct TGridCanvas
{
    QPainter *Painter = nullptr;
    QFont Font;
    QColor FontColor;
    QColor Brush;
};
