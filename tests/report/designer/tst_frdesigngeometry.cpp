// The design surface's arithmetic on plain numbers (grid, handles, group
// resizing, the shared-edge split, the nearest object), the alignment
// palette's commands and the undo history's bookkeeping, without a window.

#include "report/designer/fralignment.h"
#include "report/designer/frdesigngeometry.h"
#include "report/designer/frundohistory.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <ostream>

namespace frDesign {
// So a failed comparison prints the boxes.
void PrintTo(const Box &b, std::ostream *os)
{
    *os << "{" << b.left << ", " << b.top << ", " << b.width << ", " << b.height << "}";
}
} // namespace frDesign

namespace {

using frDesign::Box;

std::string caseName(const char *name)
{
    std::string s(name);
    for (char &c : s)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return s;
}

// ---------------------------------------------------------------- grid

struct GridCase
{
    const char *name;
    int value, grid, snapped, step;
};

class Grid : public testing::TestWithParam<GridCase>
{
};

TEST_P(Grid, SnapDownAndStep)
{
    const GridCase &c = GetParam();
    EXPECT_EQ(frDesign::snapDown(c.value, c.grid), c.snapped);
    EXPECT_EQ(frDesign::gridStep(c.value, c.grid), c.step);
}

// snapDown goes toward minus infinity (a point left of the page stays left of
// it); gridStep toward zero, so a drag back by less than a step moves nothing.
INSTANTIATE_TEST_SUITE_P(
    Values, Grid,
    testing::Values(GridCase{"on the grid", 12, 4, 12, 12}, GridCase{"between lines", 13, 4, 12, 12},
                    GridCase{"less than a step", 3, 4, 0, 0}, GridCase{"zero", 0, 8, 0, 0},
                    GridCase{"negative between lines", -5, 4, -8, -4}, GridCase{"negative on the grid", -8, 4, -8, -8},
                    GridCase{"negative less than a step", -3, 4, -4, 0},
                    GridCase{"grid of 19", 40, 19, 38, 38}, GridCase{"grid of one is no grid", -7, 1, -7, -7},
                    GridCase{"grid of zero is no grid", 13, 0, 13, 13}),
    [](const testing::TestParamInfo<GridCase> &info) { return caseName(info.param.name); });

// ---------------------------------------------------------------- handles

struct HandleCase
{
    const char *name;
    QPoint point;
    frDesign::Handle handle;
};

class Handles : public testing::TestWithParam<HandleCase>
{
};

TEST_P(Handles, UnderThePointer)
{
    // right 110, bottom 60, centre (60, 40)
    const Box box{10, 20, 100, 40};
    EXPECT_EQ(frDesign::handleAt(box, GetParam().point), GetParam().handle);
}

INSTANTIATE_TEST_SUITE_P(
    OneBox, Handles,
    testing::Values(HandleCase{"top left", {10, 20}, frDesign::TopLeft}, HandleCase{"top", {60, 20}, frDesign::Top},
                    HandleCase{"top right", {110, 20}, frDesign::TopRight},
                    HandleCase{"right", {110, 40}, frDesign::Right},
                    HandleCase{"bottom right", {110, 60}, frDesign::BottomRight},
                    HandleCase{"bottom", {60, 60}, frDesign::Bottom},
                    HandleCase{"bottom left", {10, 60}, frDesign::BottomLeft},
                    HandleCase{"left", {10, 40}, frDesign::Left},
                    HandleCase{"two pixels off still counts", {112, 62}, frDesign::BottomRight},
                    HandleCase{"three pixels off misses", {113, 60}, frDesign::NoHandle},
                    HandleCase{"inside the object", {60, 40}, frDesign::NoHandle},
                    HandleCase{"on an edge between handles", {30, 20}, frDesign::NoHandle}),
    [](const testing::TestParamInfo<HandleCase> &info) { return caseName(info.param.name); });

struct DragCase
{
    const char *name;
    frDesign::Handle handle;
    int dx, dy;
    Box result;     // after normalized()
};

class Drag : public testing::TestWithParam<DragCase>
{
};

TEST_P(Drag, ThenNormalized)
{
    const DragCase &c = GetParam();
    const Box start{10, 10, 20, 20};
    const Box out = frDesign::normalized(frDesign::dragHandle(start, c.handle, c.dx, c.dy));
    EXPECT_EQ(out, c.result);
    EXPECT_GE(out.width, 0);
    EXPECT_GE(out.height, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Handles, Drag,
    testing::Values(DragCase{"bottom right grows", frDesign::BottomRight, 5, 6, {10, 10, 25, 26}},
                    DragCase{"top moves the top edge only", frDesign::Top, 0, -5, {10, 5, 20, 25}},
                    DragCase{"top right", frDesign::TopRight, 4, 4, {10, 14, 24, 16}},
                    DragCase{"bottom left", frDesign::BottomLeft, -4, 4, {6, 10, 24, 24}},
                    DragCase{"right past the left edge", frDesign::Right, -30, 0, {0, 10, 10, 20}},
                    DragCase{"left past the right edge", frDesign::Left, 30, 0, {30, 10, 10, 20}},
                    DragCase{"bottom past the top edge", frDesign::Bottom, 0, -26, {10, 4, 20, 6}},
                    DragCase{"top left past both edges", frDesign::TopLeft, 25, 25, {30, 30, 5, 5}},
                    DragCase{"no handle changes nothing", frDesign::NoHandle, 7, 7, {10, 10, 20, 20}}),
    [](const testing::TestParamInfo<DragCase> &info) { return caseName(info.param.name); });

// ---------------------------------------------------------------- groups

TEST(ScaleGroup, NeighboursStillTouchAfterAnOddRatio)
{
    // 33 + 34 + 33 side by side, from x = 40, scaled from 100 to 71 wide.
    const QList<Box> boxes{{40, 10, 33, 10}, {73, 10, 34, 10}, {107, 10, 33, 10}};
    const Box old = frDesign::bounds(boxes);
    ASSERT_EQ(old, (Box{40, 10, 100, 10}));
    const QList<Box> out = frDesign::scaleGroup(boxes, old, 71, 10);
    ASSERT_EQ(out.size(), 3);
    EXPECT_EQ(out[0], (Box{40, 10, 23, 10}));
    EXPECT_EQ(out[1], (Box{63, 10, 25, 10}));
    EXPECT_EQ(out[2], (Box{88, 10, 23, 10}));
    EXPECT_EQ(out[0].right(), out[1].left);
    EXPECT_EQ(out[1].right(), out[2].left);
    EXPECT_EQ(frDesign::bounds(out), (Box{40, 10, 71, 10}));
    // The case tells the two ways apart: sizes rounded one by one would leave
    // a pixel between the second and the third.
    const int naiveSecondRight = int(std::lround(33 * 0.71)) + int(std::lround(34 * 0.71));
    EXPECT_NE(naiveSecondRight, out[2].left - old.left);
}

TEST(ScaleGroup, StackedBoxesScaleDown)
{
    const QList<Box> boxes{{0, 0, 10, 7}, {0, 7, 10, 6}};
    const QList<Box> out = frDesign::scaleGroup(boxes, frDesign::bounds(boxes), 10, 20);
    EXPECT_EQ(out[0], (Box{0, 0, 10, 11}));
    EXPECT_EQ(out[1], (Box{0, 11, 10, 9}));
}

TEST(ScaleGroup, FlatGroupIsNotDividedByZero)
{
    // A group of vertical lines has no width to scale.
    const QList<Box> boxes{{5, 5, 0, 10}, {5, 15, 0, 10}};
    const Box old = frDesign::bounds(boxes);
    ASSERT_EQ(old.width, 0);
    const QList<Box> out = frDesign::scaleGroup(boxes, old, 30, 40);
    EXPECT_EQ(out[0], (Box{5, 5, 0, 20}));
    EXPECT_EQ(out[1], (Box{5, 25, 0, 20}));
    EXPECT_EQ(frDesign::bounds({}), Box{});
}

TEST(SharedEdge, FoundOnlyWhereBothBoxesAre)
{
    // The second box starts lower: the edge is shared from y = 10 to 20.
    const QList<Box> boxes{{100, 0, 10, 10}, {50, 10, 30, 20}, {0, 0, 50, 20}};
    int l = -1, r = -1;
    ASSERT_TRUE(frDesign::sharedEdgeAt(boxes, {50, 15}, l, r));
    EXPECT_EQ(l, 2);
    EXPECT_EQ(r, 1);
    EXPECT_TRUE(frDesign::sharedEdgeAt(boxes, {52, 20}, l, r));
    EXPECT_FALSE(frDesign::sharedEdgeAt(boxes, {50, 5}, l, r));     // beside the first box alone
    EXPECT_FALSE(frDesign::sharedEdgeAt(boxes, {50, 25}, l, r));    // below the first box
    EXPECT_FALSE(frDesign::sharedEdgeAt(boxes, {53, 15}, l, r));    // out of tolerance
    // A pixel apart is no shared edge.
    EXPECT_FALSE(frDesign::sharedEdgeAt({{0, 0, 50, 20}, {51, 0, 30, 20}}, {50, 10}, l, r));
}

// ---------------------------------------------------------------- nearest

struct NearestCase
{
    const char *name;
    frDesign::Direction direction;
    bool bandIsCandidate;
    int expected;
};

class Nearest : public testing::TestWithParam<NearestCase>
{
};

TEST_P(Nearest, InADirection)
{
    const NearestCase &c = GetParam();
    const QList<Box> boxes{
        {100, 100, 20, 20},     // 0: where the selection is
        {200, 100, 20, 20},     // 1: to the right, in line, 80 away
        {130, 300, 20, 20},     // 2: to the right but lower, 10 away
        {140, 95, 600, 30},     // 3: a band, in line, 20 away to the right and above
        {100, 200, 20, 20},     // 4: below, in line, 80 away
    };
    const QList<bool> candidate{true, true, true, c.bandIsCandidate, true};
    EXPECT_EQ(frDesign::nearest(boxes, candidate, 0, c.direction), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Boxes, Nearest,
    testing::Values(NearestCase{"right: in line beats closer", frDesign::DirRight, false, 1},
                    // Proves the flags matter: the same layout with the band allowed.
                    NearestCase{"right: band taken when it is a candidate", frDesign::DirRight, true, 3},
                    NearestCase{"down", frDesign::DirDown, false, 4},
                    NearestCase{"up: only a band there", frDesign::DirUp, false, -1},
                    NearestCase{"up: the band when allowed", frDesign::DirUp, true, 3},
                    NearestCase{"left: nothing", frDesign::DirLeft, false, -1}),
    [](const testing::TestParamInfo<NearestCase> &info) { return caseName(info.param.name); });

TEST(NearestEdges, BadStartAndShortFlagList)
{
    const QList<Box> boxes{{0, 0, 10, 10}, {20, 0, 10, 10}};
    EXPECT_EQ(frDesign::nearest(boxes, {true, true}, -1, frDesign::DirRight), -1);
    EXPECT_EQ(frDesign::nearest(boxes, {true, true}, 2, frDesign::DirRight), -1);
    // A box without a flag is no candidate.
    EXPECT_EQ(frDesign::nearest(boxes, {true}, 0, frDesign::DirRight), -1);
    EXPECT_EQ(frDesign::nearest(boxes, {true, true}, 0, frDesign::DirRight), 1);
}

// ---------------------------------------------------------------- alignment

struct AlignCase
{
    const char *name;
    frAlign::Command command;
    QList<Box> boxes;
    int reference;
    QList<Box> expected;
};

void PrintTo(const AlignCase &c, std::ostream *os) { *os << c.name; }

class Align : public testing::TestWithParam<AlignCase>
{
};

TEST_P(Align, OnBoxes)
{
    const AlignCase &c = GetParam();
    EXPECT_EQ(frAlign::apply(c.command, c.boxes, c.reference, QSize(100, 80)), c.expected);
}

// Three boxes at different places and sizes, the reference not last in the list.
const QList<Box> kThree{{10, 5, 20, 10}, {40, 25, 30, 30}, {70, 45, 10, 6}};

// Division truncates toward zero: the odd and negative cases would come out a
// pixel further with floor or with rounding.
INSTANTIATE_TEST_SUITE_P(
    Commands, Align,
    testing::Values(
        AlignCase{"left", frAlign::AlignLeft, kThree, 1, {{40, 5, 20, 10}, {40, 25, 30, 30}, {40, 45, 10, 6}}},
        AlignCase{"right minus the own width", frAlign::AlignRight, kThree, 1,
                  {{50, 5, 20, 10}, {40, 25, 30, 30}, {60, 45, 10, 6}}},
        AlignCase{"top", frAlign::AlignTop, kThree, 0, {{10, 5, 20, 10}, {40, 5, 30, 30}, {70, 5, 10, 6}}},
        AlignCase{"bottom minus the own height", frAlign::AlignBottom, kThree, 1,
                  {{10, 45, 20, 10}, {40, 25, 30, 30}, {70, 49, 10, 6}}},
        AlignCase{"centred on an odd width", frAlign::CenterHorizontally, {{0, 0, 43, 10}, {50, 20, 20, 10}}, 0,
                  {{0, 0, 43, 10}, {11, 20, 20, 10}}},
        AlignCase{"centred, a negative width", frAlign::CenterHorizontally, {{100, 0, 40, 10}, {0, 20, -5, 10}}, 0,
                  {{100, 0, 40, 10}, {122, 20, -5, 10}}},
        AlignCase{"centred on an odd height", frAlign::CenterVertically, {{0, 10, 10, 31}, {20, 0, 10, 10}}, 0,
                  {{0, 10, 10, 31}, {20, 20, 10, 10}}},
        AlignCase{"group on the page, odd room left", frAlign::CenterOnPageHorizontally,
                  {{10, 0, 20, 10}, {25, 20, 6, 10}}, -1, {{39, 0, 20, 10}, {54, 20, 6, 10}}},
        AlignCase{"one object on the page vertically", frAlign::CenterOnPageVertically, {{5, 3, 10, 25}}, -1,
                  {{5, 27, 10, 25}}},
        AlignCase{"group wider than the page", frAlign::CenterOnPageHorizontally,
                  {{-10, 0, 70, 10}, {50, 0, 71, 10}}, -1, {{-15, 0, 70, 10}, {45, 0, 71, 10}}},
        AlignCase{"spaced 10 50 100 out of list order", frAlign::SpaceHorizontally,
                  {{100, 0, 5, 5}, {10, 9, 5, 5}, {50, 3, 5, 5}}, -1, {{100, 0, 5, 5}, {10, 9, 5, 5}, {55, 3, 5, 5}}},
        AlignCase{"spaced vertically with a remainder", frAlign::SpaceVertically,
                  {{0, 10, 5, 5}, {0, 0, 5, 5}, {0, 20, 5, 5}, {0, 7, 5, 5}}, -1,
                  {{0, 12, 5, 5}, {0, 0, 5, 5}, {0, 20, 5, 5}, {0, 6, 5, 5}}},
        AlignCase{"equal lefts: the one first in the list moves", frAlign::SpaceHorizontally,
                  {{30, 0, 5, 5}, {10, 0, 5, 5}, {30, 9, 5, 5}}, -1, {{20, 0, 5, 5}, {10, 0, 5, 5}, {30, 9, 5, 5}}},
        AlignCase{"no reference: the last", frAlign::AlignLeft, kThree, -1,
                  {{70, 5, 20, 10}, {70, 25, 30, 30}, {70, 45, 10, 6}}},
        AlignCase{"reference out of range: the last", frAlign::AlignTop, kThree, 3,
                  {{10, 45, 20, 10}, {40, 45, 30, 30}, {70, 45, 10, 6}}}),
    [](const testing::TestParamInfo<AlignCase> &info) { return caseName(info.param.name); });

TEST(AlignDivision, TheOddCasesTellTruncationFromFloor)
{
    // "group on the page, odd room left": 10 + (31 - 10 - 100) / 2.
    EXPECT_EQ(10 + (31 - 10 - 100) / 2, -29);
    EXPECT_NE(10 + int(std::floor((31 - 10 - 100) / 2.0)), -29);
    // "centred, a negative width": 100 + 40 / 2 - (-5) / 2.
    EXPECT_NE(100 + 20 - int(std::floor(-5 / 2.0)), 122);
}

TEST(AlignNeeds, FewerThanNeededChangesNothing)
{
    const int needs[] = {2, 2, 2, 2, 2, 2, 1, 1, 3, 3};
    const QList<Box> boxes{{7, 3, 10, 10}, {40, 60, 31, 11}};
    for (int i = 0; i < frAlign::CommandCount; ++i) {
        const auto command = frAlign::Command(i);
        EXPECT_EQ(frAlign::needs(command), needs[i]) << i;
        // One box fewer than needed, the reference pointing at the missing one:
        // spacing a single box would divide by zero.
        const QList<Box> few = boxes.mid(0, needs[i] - 1);
        EXPECT_EQ(frAlign::apply(command, few, needs[i] - 1, QSize(100, 80)), few) << i;
    }
    // One is enough to centre on the page.
    EXPECT_NE(frAlign::apply(frAlign::CenterOnPageHorizontally, boxes.mid(0, 1), 0, QSize(100, 80)), boxes.mid(0, 1));
}

// ---------------------------------------------------------------- undo history

QByteArray snap(int page, const char *data) { return TfrUndoHistory::makeSnapshot(page, QByteArray(data)); }

TEST(UndoHistory, RecordAfterUndoDropsTheRedoTail)
{
    TfrUndoHistory h;
    EXPECT_FALSE(h.canUndo());
    EXPECT_TRUE(h.undo().isEmpty());
    h.record(snap(0, "a"));
    EXPECT_FALSE(h.canUndo());
    h.record(snap(0, "b"));
    h.record(snap(0, "c"));
    EXPECT_EQ(h.undo(), snap(0, "b"));
    EXPECT_EQ(h.undo(), snap(0, "a"));
    EXPECT_FALSE(h.canUndo());
    EXPECT_TRUE(h.canRedo());
    h.record(snap(0, "d"));
    EXPECT_EQ(h.count(), 2);
    EXPECT_EQ(h.index(), 1);
    EXPECT_FALSE(h.canRedo());
    EXPECT_TRUE(h.redo().isEmpty());
    EXPECT_EQ(h.undo(), snap(0, "a"));
    EXPECT_EQ(h.redo(), snap(0, "d"));
    h.clear();
    EXPECT_EQ(h.count(), 0);
    EXPECT_TRUE(h.current().isEmpty());
    EXPECT_FALSE(h.canRedo());
}

TEST(UndoHistory, ChangesCompareTheTemplateWithTheSavedOne)
{
    TfrUndoHistory h;
    EXPECT_FALSE(h.hasChanges());
    h.record(snap(0, "T1"));
    h.markSaved();
    EXPECT_FALSE(h.hasChanges());
    // Another page shown is no change to the file.
    h.record(snap(1, "T1"));
    EXPECT_FALSE(h.hasChanges());
    h.record(snap(1, "T2"));
    EXPECT_TRUE(h.hasChanges());
    // Back to what is on disk, however many steps that took.
    h.undo();
    EXPECT_FALSE(h.hasChanges());
    h.redo();
    h.markSaved();
    EXPECT_FALSE(h.hasChanges());
    h.undo();
    EXPECT_TRUE(h.hasChanges());
    h.setSaved("T1");
    EXPECT_FALSE(h.hasChanges());
}

struct PageCase
{
    const char *name;
    int page;
    QByteArray head;
};

class SnapshotPage : public testing::TestWithParam<PageCase>
{
};

TEST_P(SnapshotPage, RoundTrip)
{
    const PageCase &c = GetParam();
    const QByteArray data("\x00\x01template", 10);
    const QByteArray s = TfrUndoHistory::makeSnapshot(c.page, data);
    EXPECT_EQ(s.left(4), c.head);
    EXPECT_EQ(TfrUndoHistory::pageOf(s), c.page);
    EXPECT_EQ(TfrUndoHistory::templateOf(s), data);
}

INSTANTIATE_TEST_SUITE_P(
    Pages, SnapshotPage,
    testing::Values(PageCase{"first", 0, QByteArray(4, '\0')}, PageCase{"third", 2, QByteArray("\x02\0\0\0", 4)},
                    PageCase{"little endian", 258, QByteArray("\x02\x01\0\0", 4)},
                    PageCase{"above 16 bits", 70000, QByteArray("\x70\x11\x01\0", 4)}),
    [](const testing::TestParamInfo<PageCase> &info) { return caseName(info.param.name); });

TEST(SnapshotPage, ShortSnapshotIsTheFirstPage)
{
    EXPECT_EQ(TfrUndoHistory::pageOf(QByteArray("\x05\x00", 2)), 0);
    EXPECT_TRUE(TfrUndoHistory::templateOf(QByteArray("\x05", 1)).isEmpty());
}

} // namespace
