#pragma once
// The alignment palette's ten commands on plain boxes: line the selected
// objects up against a reference object, centre the group on the page, or
// space them evenly. Integer division truncates toward zero.

#include "report/designer/frdesigngeometry.h"

#include <QList>
#include <QSize>

namespace frAlign {
enum Command {
    AlignLeft, AlignRight, AlignTop, AlignBottom, CenterHorizontally, CenterVertically, CenterOnPageHorizontally,
    CenterOnPageVertically, SpaceHorizontally, SpaceVertically, CommandCount
};
// The selected objects a command needs before it does anything.
int needs(Command command);
// The boxes after the command; `reference` indexes `boxes`. Too few boxes: unchanged.
QList<frDesign::Box> apply(Command command, const QList<frDesign::Box> &boxes, int reference, QSize page);
} // namespace frAlign
