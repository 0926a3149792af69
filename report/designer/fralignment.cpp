#include "report/designer/fralignment.h"

#include <algorithm>
#include <numeric>

using frDesign::Box;

int frAlign::needs(Command command)
{
    switch (command) {
    case CenterOnPageHorizontally: case CenterOnPageVertically: return 1;
    case SpaceHorizontally: case SpaceVertically: return 3;
    default: return 2;
    }
}

QList<Box> frAlign::apply(Command command, const QList<Box> &boxes, int reference, QSize page)
{
    if (boxes.size() < needs(command)) return boxes;
    QList<Box> out = boxes;
    const Box ref = reference >= 0 && reference < boxes.size() ? boxes[reference] : boxes.last();
    switch (command) {
    case AlignLeft: for (Box &b : out) b.left = ref.left; break;
    case AlignRight: for (Box &b : out) b.left = ref.left + ref.width - b.width; break;
    case AlignTop: for (Box &b : out) b.top = ref.top; break;
    case AlignBottom: for (Box &b : out) b.top = ref.top + ref.height - b.height; break;
    case CenterHorizontally: for (Box &b : out) b.left = ref.left + ref.width / 2 - b.width / 2; break;
    case CenterVertically: for (Box &b : out) b.top = ref.top + ref.height / 2 - b.height / 2; break;
    case CenterOnPageHorizontally: case CenterOnPageVertically: {
        const Box all = frDesign::bounds(boxes);
        if (command == CenterOnPageHorizontally) {
            const int shift = all.left + (all.right() - all.left - page.width()) / 2;
            for (Box &b : out) b.left -= shift;
        } else {
            const int shift = all.top + (all.bottom() - all.top - page.height()) / 2;
            for (Box &b : out) b.top -= shift;
        }
        break;
    }
    case SpaceHorizontally: case SpaceVertically: {
        const bool horizontal = command == SpaceHorizontally;
        auto pos = [horizontal](Box &b) -> int & { return horizontal ? b.left : b.top; };
        QList<int> order(out.size());
        std::iota(order.begin(), order.end(), 0);
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return pos(out[a]) < pos(out[b]); });
        const int first = pos(out[order.first()]), last = pos(out[order.last()]);
        const int step = (last - first) / int(order.size() - 1);
        for (qsizetype i = 1; i + 1 < order.size(); ++i) pos(out[order[i]]) = pos(out[order[i - 1]]) + step;
        break;
    }
    case CommandCount: break;
    }
    return out;
}
