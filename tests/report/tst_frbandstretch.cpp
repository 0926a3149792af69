// A band's objects when a text in it grows: who moves down, who stays, and
// the band's new height.

#include "report/frbandstretch.h"
#include "report/frview.h"

#include <QRect>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace {

struct Band
{
    std::vector<std::unique_ptr<TfrView>> owned;
    QList<TfrView *> objects;
    TfrView *add(int left, int top, int width, int height)
    {
        owned.push_back(std::make_unique<TfrView>());
        TfrView *v = owned.back().get();
        v->Left = left;
        v->Top = top;
        v->Width = width;
        v->Height = height;
        objects << v;
        return v;
    }
};

TEST(BandStretch, ObjectsBelowTheGrownTextAndAcrossItMoveDown)
{
    Band b;
    TfrView *text = b.add(10, 0, 100, 20);      // grows from 20 to 50
    TfrView *below = b.add(20, 20, 50, 18);     // starts right at its designed bottom
    TfrView *overlapping = b.add(100, 30, 40, 18);   // reaches under its right end
    TfrView *beside = b.add(110, 30, 40, 18);   // starts where the text ends: not across it
    TfrView *level = b.add(200, 5, 40, 18);     // beside the text
    TfrView *inside = b.add(10, 10, 30, 5);     // starts inside the text's designed box
    text->Height = 50;
    TfrBandStretch::PushDown(b.objects, text, 20, 30);
    EXPECT_EQ(below->Top, 50);
    EXPECT_EQ(overlapping->Top, 60);
    EXPECT_EQ(beside->Top, 30);
    EXPECT_EQ(level->Top, 5);
    EXPECT_EQ(inside->Top, 10);
    EXPECT_EQ(text->Top, 0);
    EXPECT_EQ(TfrBandStretch::Height(b.objects, 40), 78);   // overlapping: 60 + 18
}

TEST(BandStretch, NoGrowthMovesNothingAndTheBandKeepsItsDesignedHeight)
{
    Band b;
    TfrView *text = b.add(0, 0, 100, 20);
    TfrView *below = b.add(0, 25, 100, 10);
    TfrBandStretch::PushDown(b.objects, text, 20, 0);
    TfrBandStretch::PushDown(b.objects, text, 20, -5);
    EXPECT_EQ(below->Top, 25);
    EXPECT_EQ(TfrBandStretch::Height(b.objects, 60), 60);
    EXPECT_EQ(TfrBandStretch::Height({}, 12), 12);
}

} // namespace
