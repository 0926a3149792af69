// Where the parts of a table row go, on numbers: a row page 100 wide from 20
// to 120, parts of the widths given, and the row pages they end up on.

#include "report/frtablerow.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

struct Placed
{
    int x, rowPage;
    bool operator==(const Placed &o) const { return x == o.x && rowPage == o.rowPage; }
};

void PrintTo(const Placed &p, std::ostream *os) { *os << "x " << p.x << " on row page " << p.rowPage; }

// Lays the parts out as the builder does and says where each one went.
std::vector<Placed> layOut(int start, const std::vector<int> &widths)
{
    TfrTableRow row(start, 20, 120);
    std::vector<Placed> out;
    for (int w : widths) {
        if (row.NeedsNextRowPage(w)) row.StartNextRowPage();
        out.push_back({row.X(), row.RowPage()});
        row.Advance(w);
        row.Placed();
    }
    return out;
}

TEST(TableRow, PartsGoOnToTheNextRowPageWhenTheyPassTheRightEdge)
{
    EXPECT_EQ(layOut(20, {40, 40, 40, 40}),
              (std::vector<Placed>{{20, 0}, {60, 0}, {20, 1}, {60, 1}}));
    // A part that ends exactly on the edge still fits.
    EXPECT_EQ(layOut(20, {50, 50, 1}), (std::vector<Placed>{{20, 0}, {70, 0}, {20, 1}}));
    // A row that starts too far right moves on with its first part.
    EXPECT_EQ(layOut(90, {40, 40}), (std::vector<Placed>{{20, 1}, {60, 1}}));
    EXPECT_EQ(layOut(90, {30, 40}), (std::vector<Placed>{{90, 0}, {20, 1}}));
}

TEST(TableRow, APartWiderThanTheRowIsClippedNotMovedOnForEver)
{
    // At the left edge, or first on a row page just started, a wide part stays where it is.
    EXPECT_EQ(layOut(20, {150, 10}), (std::vector<Placed>{{20, 0}, {20, 1}}));
    EXPECT_EQ(layOut(20, {40, 150, 150}), (std::vector<Placed>{{20, 0}, {20, 1}, {20, 2}}));
}

} // namespace
