#pragma once
// TfrDataWalk: walks the data levels of a page record by record and prints
// their bands.
//
// Three levels (master, detail, subdetail), each a data band with its header
// and footer; a level below the deepest with objects is not walked. For each
// record of a level the levels below are walked first: a record whose subset
// printed nothing is dropped with its queued header, unless its band prints
// even with an empty subset. Headers wait in a queue and print only together
// with a record. Group levels (master level only) compare their conditions
// after each record; a change prints the footers innermost first up to the
// breaking group, then that group's and the inner groups' headers, and resets
// their aggregates (see TfrGroupChain). Empty rows may fill the rest of a
// page before a footer, or stand for skipped records at the start.

#include "report/frvariant.h"

#include <QList>
#include <QString>

struct TfrBuildCursor;
class TfrBand;

class TfrDataWalk
{
public:
    explicit TfrDataWalk(TfrBuildCursor &cursor) : c(cursor) {}

    // Walks the data levels of the cursor's page; nothing when no level has objects.
    void Run();
    // `expression` with `context` as the current band; an error ends the build (EAbort).
    static TfrVariant Evaluate(const QString &expression, TfrBand *context);

private:
    bool walkLevel(int level);
    void accumulate(TfrBand *b);
    void initGroups(TfrBand *from, TfrBand *data);
    void evaluateGroupFooters();
    void printQueue();
    void fillPage(TfrBand *data, int reserve);
    TfrBand *outermostGroup() const;

    TfrBuildCursor &c;
    int m_deepest = 0;
    QList<TfrBand *> m_queue;
};
