// Where bands print and when they break to the next column or page, on plain
// numbers: an A4 sheet of the pseudo printer (794 x 1123, 18 unprintable all
// round) with the page's margins, footer and columns.

#include "report/frpagearea.h"

#include <gtest/gtest.h>

namespace {

const TfrPrinterGeometry kA4{794, 1123, 18, 18, 758, 1087};

struct AreaCase
{
    const char *name;
    bool useMargins;
    int margins[4];
    int footer, columns, gap;
    int left, top, right, bottom, columnWidth;
};

class PageAreaTest : public testing::TestWithParam<AreaCase>
{
};

TEST_P(PageAreaTest, AreaAndColumns)
{
    const AreaCase &c = GetParam();
    const TfrPageArea a = TfrPageArea::compute(kA4, c.useMargins, c.margins, c.footer, c.columns, c.gap);
    EXPECT_EQ(a.Left, c.left);
    EXPECT_EQ(a.Top, c.top);
    EXPECT_EQ(a.Right, c.right);
    EXPECT_EQ(a.Bottom, c.bottom);
    EXPECT_EQ(a.ColumnWidth, c.columnWidth);
    EXPECT_EQ(a.ColumnLeft(0), c.left);
}

INSTANTIATE_TEST_SUITE_P(
    Sheets, PageAreaTest,
    testing::Values(AreaCase{"default_margins", true, {38, 38, 38, 57}, 0, 1, 0, 38, 38, 756, 1066, 718},
                    AreaCase{"zero_margins_take_the_printer_edge", true, {0, 0, 0, 0}, 0, 1, 0, 18, 18, 776, 1105, 758},
                    AreaCase{"margins_off_use_the_whole_sheet", false, {38, 38, 38, 57}, 0, 1, 0, 0, 0, 794, 1123, 794},
                    AreaCase{"footer_kept_free", true, {38, 38, 38, 57}, 40, 1, 0, 38, 38, 756, 1026, 718},
                    // (718 - 3 * 20) / 3 = 219.33: the rest of the width stays unused.
                    AreaCase{"three_columns_with_gaps", true, {38, 38, 38, 57}, 0, 3, 20, 38, 38, 756, 1066, 219},
                    AreaCase{"no_column_count_is_one_column", true, {38, 38, 38, 57}, 0, 0, 0, 38, 38, 756, 1066, 718}),
    [](const testing::TestParamInfo<AreaCase> &info) { return std::string(info.param.name); });

TEST(PageArea, ColumnsStandSideBySide)
{
    const int margins[4] = {38, 38, 38, 57};
    const TfrPageArea a = TfrPageArea::compute(kA4, true, margins, 0, 3, 20);
    EXPECT_EQ(a.ColumnLeft(1), 38 + 219 + 20);
    EXPECT_EQ(a.ColumnLeft(2), 38 + 2 * (219 + 20));
    EXPECT_LE(a.ColumnLeft(2) + a.ColumnWidth, a.Right);
}

TEST(PageArea, ABandFitsUpToTheBottomExactly)
{
    EXPECT_TRUE(TfrPageArea::Fits(1046, 20, 1066));
    EXPECT_FALSE(TfrPageArea::Fits(1047, 20, 1066));
    EXPECT_FALSE(TfrPageArea::Fits(1067, 0, 1066));   // already past the bottom
}

TEST(PageArea, RowsThatFillThePage)
{
    struct
    {
        int y, height, bottom, reserve, rows;
    } cases[] = {
        {100, 20, 200, 0, 5},     // the last row ends on the bottom
        {100, 20, 200, 30, 3},    // room kept for a footer of 30
        {100, 20, 119, 0, 0},     // not even one
        {100, 0, 200, 0, 0},      // rows of no height would never end
        {250, 20, 200, 0, 0},     // already past the bottom
    };
    for (const auto &c : cases)
        EXPECT_EQ(TfrPageArea::RowsThatFit(c.y, c.height, c.bottom, c.reserve), c.rows)
            << c.y << " " << c.height << " " << c.bottom << " " << c.reserve;
}

TEST(PageArea, ABandThatDoesNotFitGoesToTheNextColumnThenPage)
{
    using B = TfrPageArea::Break;
    EXPECT_EQ(TfrPageArea::WhereNext(0, 1), B::NextPage);
    EXPECT_EQ(TfrPageArea::WhereNext(0, 0), B::NextPage);
    EXPECT_EQ(TfrPageArea::WhereNext(0, 3), B::NextColumn);
    EXPECT_EQ(TfrPageArea::WhereNext(1, 3), B::NextColumn);
    EXPECT_EQ(TfrPageArea::WhereNext(2, 3), B::NextPage);
}

} // namespace
