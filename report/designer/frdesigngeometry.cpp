#include "report/designer/frdesigngeometry.h"

#include <cmath>
#include <limits>

namespace frDesign {

int snapDown(int value, int grid)
{
    if (grid <= 1) return value;
    const int q = value / grid;
    return (value % grid != 0 && value < 0 ? q - 1 : q) * grid;
}

int gridStep(int accumulated, int grid)
{
    if (grid <= 1) return accumulated;
    return accumulated / grid * grid;
}

Handle handleAt(const Box &b, QPoint p, int tol)
{
    const int cx = b.left + b.width / 2, cy = b.top + b.height / 2;
    auto near = [&](int x, int y) { return std::abs(p.x() - x) <= tol && std::abs(p.y() - y) <= tol; };
    if (near(b.left, b.top)) return TopLeft;
    if (near(b.right(), b.bottom())) return BottomRight;
    if (near(b.right(), b.top)) return TopRight;
    if (near(b.left, b.bottom())) return BottomLeft;
    if (near(cx, b.top)) return Top;
    if (near(cx, b.bottom())) return Bottom;
    if (near(b.left, cy)) return Left;
    if (near(b.right(), cy)) return Right;
    return NoHandle;
}

Box dragHandle(Box b, Handle h, int dx, int dy)
{
    switch (h) {
    case TopLeft: b.left += dx; b.width -= dx; b.top += dy; b.height -= dy; break;
    case Top: b.top += dy; b.height -= dy; break;
    case TopRight: b.width += dx; b.top += dy; b.height -= dy; break;
    case Right: b.width += dx; break;
    case BottomRight: b.width += dx; b.height += dy; break;
    case Bottom: b.height += dy; break;
    case BottomLeft: b.left += dx; b.width -= dx; b.height += dy; break;
    case Left: b.left += dx; b.width -= dx; break;
    case NoHandle: break;
    }
    return b;
}

Box normalized(Box b)
{
    if (b.width < 0) {
        b.left += b.width;
        b.width = -b.width;
    }
    if (b.height < 0) {
        b.top += b.height;
        b.height = -b.height;
    }
    return b;
}

Box bounds(const QList<Box> &boxes)
{
    if (boxes.isEmpty()) return {};
    int l = std::numeric_limits<int>::max(), t = l, r = std::numeric_limits<int>::min(), btm = r;
    for (const Box &b : boxes) {
        l = std::min(l, b.left);
        t = std::min(t, b.top);
        r = std::max(r, b.right());
        btm = std::max(btm, b.bottom());
    }
    return {l, t, r - l, btm - t};
}

QList<Box> scaleGroup(const QList<Box> &boxes, const Box &old, int newWidth, int newHeight)
{
    const double rx = old.width > 0 ? double(newWidth) / old.width : 1.0;
    const double ry = old.height > 0 ? double(newHeight) / old.height : 1.0;
    auto edge = [](int offset, double ratio) { return int(std::lround(offset * ratio)); };
    QList<Box> out;
    out.reserve(boxes.size());
    for (const Box &b : boxes) {
        const int l = edge(b.left - old.left, rx), r = edge(b.right() - old.left, rx);
        const int t = edge(b.top - old.top, ry), bt = edge(b.bottom() - old.top, ry);
        out.append({old.left + l, old.top + t, r - l, bt - t});
    }
    return out;
}

bool sharedEdgeAt(const QList<Box> &boxes, QPoint p, int &leftBox, int &rightBox, int tol)
{
    for (int i = 0; i < boxes.size(); ++i)
        for (int j = 0; j < boxes.size(); ++j) {
            if (i == j || boxes[i].right() != boxes[j].left) continue;
            const int x = boxes[i].right();
            const int top = std::max(boxes[i].top, boxes[j].top), bottom = std::min(boxes[i].bottom(), boxes[j].bottom());
            if (std::abs(p.x() - x) <= tol && p.y() >= top && p.y() <= bottom) {
                leftBox = i;
                rightBox = j;
                return true;
            }
        }
    return false;
}

int nearest(const QList<Box> &boxes, const QList<bool> &candidate, int from, Direction dir)
{
    if (from < 0 || from >= boxes.size()) return -1;
    const Box &s = boxes[from];
    int best = -1;
    bool bestOverlaps = false;
    qint64 bestDistance = 0;
    for (int i = 0; i < boxes.size(); ++i) {
        if (i == from || i >= candidate.size() || !candidate[i]) continue;
        const Box &c = boxes[i];
        qint64 distance = 0;
        bool overlaps = false;
        switch (dir) {
        case DirRight:
            if (c.left <= s.left) continue;
            distance = c.left - s.right();
            overlaps = c.top < s.bottom() && c.bottom() > s.top;
            break;
        case DirLeft:
            if (c.left >= s.left) continue;
            distance = s.left - c.right();
            overlaps = c.top < s.bottom() && c.bottom() > s.top;
            break;
        case DirDown:
            if (c.top <= s.top) continue;
            distance = c.top - s.bottom();
            overlaps = c.left < s.right() && c.right() > s.left;
            break;
        case DirUp:
            if (c.top >= s.top) continue;
            distance = s.top - c.bottom();
            overlaps = c.left < s.right() && c.right() > s.left;
            break;
        }
        distance = std::abs(distance);
        if (best < 0 || (overlaps && !bestOverlaps) || (overlaps == bestOverlaps && distance < bestDistance)) {
            best = i;
            bestOverlaps = overlaps;
            bestDistance = distance;
        }
    }
    return best;
}

} // namespace frDesign
