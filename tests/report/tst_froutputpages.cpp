// The output pages of a build pass without drawing (a first pass): the order
// of interleaved pages and the page a subreport goes on to.

#include "report/frempages.h"
#include "report/froutputpages.h"
#include "report/frpage.h"

#include <gtest/gtest.h>

namespace {

// Pages of the given design pages, in build order; `continuations` marks the
// pages that only continue a table row.
QList<int> startAll(TfrOutputPages &pages, const TfrPage &page, const QList<int> &design,
                    const QList<bool> &continuations = {})
{
    QList<int> indexes;
    for (int i = 0; i < design.size(); ++i) indexes << pages.start(page, design[i], continuations.value(i));
    return indexes;
}

TEST(OutputPages, InterleavedOrderTakesOnePageFromEachDesignPageInTurn)
{
    const TfrPage page(9, 0, 0, 0);
    struct
    {
        const char *name;
        QList<int> design, order;
    } cases[] = {
        {"alternating", {0, 1, 0, 1, 0}, {0, 1, 2, 3, 4}},
        {"a long first design page", {0, 0, 0, 1}, {0, 3, 1, 2}},
        {"three design pages", {0, 0, 1, 2, 2, 2}, {0, 2, 3, 1, 4, 5}},
        {"one design page", {0, 0}, {0, 1}},
    };
    for (const auto &c : cases) {
        TfrOutputPages pages(false);
        EXPECT_EQ(startAll(pages, page, c.design), (QList<int>{0, 1, 2, 3, 4, 5}.mid(0, c.design.size()))) << c.name;
        EXPECT_EQ(pages.interleaveOrder(), c.order) << c.name;
    }
}

TEST(OutputPages, ASubreportGoesOnPastTableRowContinuations)
{
    const TfrPage page(9, 0, 0, 0);
    TfrOutputPages pages(false);
    startAll(pages, page, {0, 0, 0, 0}, {false, true, true, false});
    EXPECT_EQ(pages.nextBodyPage(0), 3);
    EXPECT_EQ(pages.nextBodyPage(2), 3);
    EXPECT_EQ(pages.nextBodyPage(3), -1);
    // A continuation page has its footer already (through the row) and draws nothing in a first pass.
    EXPECT_TRUE(pages[1].footerPrinted);
    EXPECT_FALSE(pages[0].footerPrinted);
    EXPECT_EQ(pages.canvas(1), pages.canvas(0));
    EXPECT_EQ(pages.canvas(4), nullptr);
    pages.finish();
    EXPECT_EQ(pages.prepared().size(), 4);
}

} // namespace
