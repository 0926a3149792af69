#pragma once
// The arithmetic of the design surface on plain numbers: grid rounding, the
// handles under the pointer, group resizing, the shared-edge split and the
// nearest object in a direction. The surface widget only feeds it positions.

#include <QList>
#include <QPoint>
#include <QRect>

namespace frDesign {
// Objects are kept as left, top, width and height; QRect's inclusive right
// edge would be off by one against them.
struct Box
{
    int left = 0, top = 0, width = 0, height = 0;
    int right() const { return left + width; }
    int bottom() const { return top + height; }
    bool operator==(const Box &) const = default;
};

// Down to a multiple of the grid (toward minus infinity).
int snapDown(int value, int grid);
// The part of an accumulated mouse delta that a grid-aligned move applies:
// nothing until it reaches the grid, then a multiple of it toward zero.
int gridStep(int accumulated, int grid);

enum Handle { NoHandle = 0, TopLeft, Top, TopRight, Right, BottomRight, Bottom, BottomLeft, Left };
// The handle within `tolerance` pixels of the point, for one selected object.
Handle handleAt(const Box &box, QPoint point, int tolerance = 2);
// Moves the edges a handle drags by the delta.
Box dragHandle(Box box, Handle handle, int dx, int dy);
// A negative width or height made positive by moving the left or top edge.
Box normalized(Box box);

// The bounding box of the boxes (empty list: a zero box).
Box bounds(const QList<Box> &boxes);
// Each box's offset from the bounds' top-left corner and its size scaled by the
// ratio of the new bounds to the old ones. Edges are scaled, not sizes, so two
// boxes that touched still touch.
QList<Box> scaleGroup(const QList<Box> &boxes, const Box &oldBounds, int newWidth, int newHeight);

// Two boxes sharing a vertical edge near the point: the first has the edge on
// its right. Returns false when there is none.
bool sharedEdgeAt(const QList<Box> &boxes, QPoint point, int &leftBox, int &rightBox, int tolerance = 2);

enum Direction { DirLeft, DirRight, DirUp, DirDown };
// The nearest candidate in a direction from `from`, measured from its edge;
// candidates that overlap it in the other axis come first. -1 when none.
int nearest(const QList<Box> &boxes, const QList<bool> &candidate, int from, Direction direction);
} // namespace frDesign
