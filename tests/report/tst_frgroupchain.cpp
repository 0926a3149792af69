// The group levels' decisions on a chain of three groups (year, month, week)
// whose conditions are answered from a table: which group breaks, the room its
// footers need, and the order they print in.

#include "report/frband.h"
#include "report/frbandtypes.h"
#include "report/frbandview.h"
#include "report/frgroupchain.h"

#include <QHash>
#include <gtest/gtest.h>
#include <memory>

namespace {

class GroupChainTest : public testing::Test
{
protected:
    void SetUp() override
    {
        const char *conditions[] = {"[Anno]", "[Mese]", "[Settimana]"};
        for (int i = 0; i < 3; ++i) {
            auto g = std::make_unique<TfrBand>(frBand::GroupHeader, nullptr);
            g->View = &view;
            g->GroupCondition = QString::fromLatin1(conditions[i]);
            g->LastGroupValue = TfrVariant::fromInt(1);
            g->Footer = footers[i] = new TfrBand(frBand::GroupFooter, nullptr);
            footers[i]->Height = 10 * (i + 1);
            footers[i]->Objects << &view;   // printing footers have objects
            if (i > 0) groups[i - 1]->Next = g.get();
            groups[i] = g.release();
        }
        levelFooter.Height = 7;
        levelFooter.Objects << &view;
    }
    void TearDown() override
    {
        for (int i = 0; i < 3; ++i) {
            delete groups[i];
            delete footers[i];
        }
    }
    // The values the conditions give for the next record.
    TfrGroupChain::Evaluate now(int year, int month, int week)
    {
        return [=](const QString &c) {
            return TfrVariant::fromInt(c == "[Anno]" ? year : c == "[Mese]" ? month : week);
        };
    }

    TfrBandView view;
    TfrBand *groups[3] = {};
    TfrBand *footers[3] = {};
    TfrBand levelFooter{frBand::MasterFooter, nullptr};
};

TEST_F(GroupChainTest, TheOutermostChangedGroupBreaks)
{
    struct
    {
        const char *name;
        int year, month, week;
        bool atEnd;
        int breaking;   // index, -1 for none
    } cases[] = {
        {"same group", 1, 1, 1, false, -1},
        {"new week", 1, 1, 2, false, 2},
        {"new month, same week number", 1, 2, 1, false, 1},
        {"new year breaks every level", 2, 2, 2, false, 0},
        {"end of data closes every group", 1, 1, 1, true, 0},
    };
    for (const auto &c : cases) {
        TfrBand *b = TfrGroupChain::Breaking(groups[0], c.atEnd, now(c.year, c.month, c.week));
        EXPECT_EQ(b, c.breaking < 0 ? nullptr : groups[c.breaking]) << c.name;
    }
}

TEST_F(GroupChainTest, AGroupWithoutConditionOrViewEndsTheChain)
{
    groups[1]->GroupCondition = QStringLiteral("  ");
    EXPECT_EQ(TfrGroupChain::Breaking(groups[0], false, now(1, 1, 9)), nullptr);
    EXPECT_EQ(TfrGroupChain::Breaking(groups[0], false, now(2, 1, 1)), groups[0]);
    groups[1]->GroupCondition = QStringLiteral("[Mese]");
    groups[2]->View = nullptr;
    EXPECT_EQ(TfrGroupChain::Breaking(groups[0], false, now(1, 1, 9)), nullptr);
    EXPECT_EQ(TfrGroupChain::InnermostFirst(groups[0]), (QList<TfrBand *>{groups[1], groups[0]}));
}

TEST_F(GroupChainTest, FootersNeedRoomAndPrintInnermostFirst)
{
    EXPECT_EQ(TfrGroupChain::FooterRoom(groups[0], &levelFooter), 7 + 10 + 20 + 30);
    EXPECT_EQ(TfrGroupChain::FooterRoom(groups[1], &levelFooter), 7 + 20 + 30);
    EXPECT_EQ(TfrGroupChain::FooterRoom(groups[2], nullptr), 30);
    footers[2]->Objects.clear();   // a footer with nothing to print takes no room
    EXPECT_EQ(TfrGroupChain::FooterRoom(groups[2], &levelFooter), 7);
    EXPECT_EQ(TfrGroupChain::InnermostFirst(groups[0]), (QList<TfrBand *>{groups[2], groups[1], groups[0]}));
    EXPECT_EQ(TfrGroupChain::InnermostFirst(groups[2]), (QList<TfrBand *>{groups[2]}));
    EXPECT_TRUE(TfrGroupChain::InnermostFirst(nullptr).isEmpty());
}

} // namespace
