// The diary's statistics against diaries worked out by hand.

#include "app/diarystatistics.h"
#include "core/datetime.h"
#include "core/formatsettings.h"
#include "tests/app/statisticscases.h"

#include <gtest/gtest.h>

#include <cctype>

namespace {

TDateTime day(const QString &iso)
{
    if (iso.isEmpty()) return 0;
    return encodeDate(iso.left(4).toInt(), iso.mid(5, 2).toInt(), iso.mid(8, 2).toInt());
}

// A case's days as the diary gives them: day 0 is 1 March 2026.
QList<TDayReadings> readings(const statscases::Case &c)
{
    QList<TDayReadings> days;
    for (const statscases::Day &d : c.days) {
        TDayReadings r;
        r.day = encodeDate(2026, 3, 1) + d.offset;
        for (int i = 0; i < 12; ++i) r.values[i / 6][(i / 3) % 2][i % 3] = d.values[i];
        r.weight = d.weight;
        days << r;
    }
    return days;
}

std::vector<statscases::Case> allCases()
{
    const QList<statscases::Case> list = statscases::cases();
    return std::vector<statscases::Case>(list.begin(), list.end());
}

class Statistics : public testing::TestWithParam<statscases::Case>
{
};

TEST_P(Statistics, MatchTheHandWorkedNumbers)
{
    const statscases::Case &c = GetParam();
    const QList<TDayReadings> days = readings(c);
    const TDiaryStatistics s = ComputeDiaryStatistics(days, c.height, day(c.from), day(c.to));
    EXPECT_EQ(s.toJson().toStdString(), c.json.toStdString());
}

INSTANTIATE_TEST_SUITE_P(Diaries, Statistics, testing::ValuesIn(allCases()),
                         [](const testing::TestParamInfo<statscases::Case> &info) {
                             std::string name;
                             for (const char *p = info.param.name; *p; ++p) name += std::isalnum(uchar(*p)) ? *p : '_';
                             return name;
                         });

TEST(Statistics, TextSaysTheSameInItalian)
{
    TFormatSettings it;
    ASSERT_TRUE(TFormatSettings::forLocale(QStringLiteral("it_IT"), it));
    TFormatSettings::setCurrent(it);
    const statscases::Case c = statscases::cases().at(3);
    const QList<TDayReadings> days = readings(c);
    const QString text = ComputeDiaryStatistics(days, c.height).toText();
    EXPECT_TRUE(text.contains(QStringLiteral("Peso: da 70,0 kg (01/03/2026) a 71,5 kg (03/03/2026), variazione +1,5 kg")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Indice di massa corporea alla fine: 23,3"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Prima rilevazione giornata: 120/80 mmHg"))) << text.toStdString();
}

} // namespace
