#pragma once
// TfrGroupChain: the decisions of the group levels in a master data walk, on
// the chain of group header bands (outermost first, linked by Next):
// which group breaks when the walk moves to the next record, how much room
// the footers printed at the break need at the bottom of the page, and the
// order they print in. The builder does the printing; these only decide.

#include "report/frvariant.h"

#include <QList>
#include <QString>
#include <functional>

class TfrBand;

class TfrGroupChain
{
public:
    using Evaluate = std::function<TfrVariant(const QString &condition)>;

    // The outermost group whose condition now gives another value than the
    // one it took for the group's first record; when the data ran out, the
    // outermost group. A group without a condition ends the chain; nullptr
    // when no group breaks.
    static TfrBand *Breaking(TfrBand *outermost, bool dataAtEnd, const Evaluate &evaluate);
    // Room kept at the bottom of the page for the level's footer and the
    // footers of the breaking group and of every group inside it.
    static int FooterRoom(const TfrBand *breaking, const TfrBand *levelFooter);
    // The breaking group and the groups inside it, innermost first: the order
    // their footers print in.
    static QList<TfrBand *> InnermostFirst(TfrBand *breaking);
};
