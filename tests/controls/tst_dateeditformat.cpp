// The date edit's format, mask and parser, without a widget: the format built
// from the regional settings, and texts read the way the edit reads them, in a
// year whose century window is known (2024).

#include "controls/dateeditformat.h"

#include <gtest/gtest.h>

namespace {

struct Clock2024 : ::testing::Test
{
    void SetUp() override
    {
        setClock([] { return QDateTime(QDate(2024, 6, 15), QTime(10, 0)); });
    }
    void TearDown() override { setClock({}); }
};

TFormatSettings withDateFormat(const QString &format, QChar separator)
{
    TFormatSettings fs = TFormatSettings::current();
    fs.shortDateFormat = format;
    fs.dateSeparator = separator;
    return fs;
}

struct BuildCase
{
    const char *name;
    const char *shortDate;
    char separator;
    TYearDigits digits;
    const char *format;
    const char *mask;
    const char *qtMask;
};

class FormatBuild : public ::testing::TestWithParam<BuildCase> {};

TEST_P(FormatBuild, FollowsTheShortDateFormat)
{
    const BuildCase &c = GetParam();
    const TDateEditFormat f = TDateEditFormat::build(c.digits, withDateFormat(c.shortDate, c.separator));
    EXPECT_EQ(f.editFormat(), QString(c.format));
    EXPECT_EQ(f.editMask(' '), QString(c.mask));
    EXPECT_EQ(f.qtInputMask(' '), QString(c.qtMask));
}

INSTANTIATE_TEST_SUITE_P(
    Formats, FormatBuild,
    ::testing::Values(
        BuildCase{"italian", "dd/mm/yyyy", '/', TYearDigits::dyDefault, "DD/MM/YYYY", "!99/99/9999;1; ", "00/00/0000; "},
        BuildCase{"us", "M/d/yyyy", '/', TYearDigits::dyDefault, "MM/DD/YYYY", "!99/99/9999;1; ", "00/00/0000; "},
        BuildCase{"iso", "yyyy-MM-dd", '-', TYearDigits::dyDefault, "YYYY/MM/DD", "!9999/99/99;1; ", "0000-00-00; "},
        BuildCase{"two digits by default", "dd.MM.yy", '.', TYearDigits::dyDefault, "DD/MM/YY", "!99/99/99;1; ",
                  "00.00.00; "},
        BuildCase{"two digits forced", "dd/mm/yyyy", '/', TYearDigits::dyTwo, "DD/MM/YY", "!99/99/99;1; ",
                  "00/00/00; "},
        BuildCase{"four digits forced", "yy/mm/dd", '/', TYearDigits::dyFour, "YYYY/MM/DD", "!9999/99/99;1; ",
                  "0000/00/00; "},
        BuildCase{"era first", "gg ee/mm/dd", '/', TYearDigits::dyDefault, "YY/MM/DD", "!99/99/99;1; ",
                  "00/00/00; "},
        BuildCase{"no letters", "", '/', TYearDigits::dyDefault, "DD/MM/YY", "!99/99/99;1; ", "00/00/00; "},
        BuildCase{"separator that is a mask character", "dd#mm#yyyy", '#', TYearDigits::dyDefault, "DD/MM/YYYY",
                  "!99/99/9999;1; ", "00\\#00\\#0000; "}),
    [](const ::testing::TestParamInfo<BuildCase> &info) {
        std::string s = info.param.name;
        for (char &ch : s)
            if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
        return s;
    });

struct ParseCase
{
    const char *name;
    const char *text;
    int year, month, day;   // year 0: no date
};

class Parse : public Clock2024, public ::testing::WithParamInterface<ParseCase> {};

TEST_P(Parse, ItalianFourDigitFormat)
{
    const ParseCase &c = GetParam();
    const TDateEditFormat f = TDateEditFormat::build(TYearDigits::dyDefault);
    TDateTime value = -1;
    const bool ok = f.parse(QString::fromUtf8(c.text), value);
    if (c.year == 0) {
        EXPECT_FALSE(ok) << "read as " << qPrintable(dateToStr(value));
    } else {
        ASSERT_TRUE(ok);
        EXPECT_EQ(dateToStr(value), dateToStr(encodeDate(c.year, c.month, c.day)));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, Parse,
    ::testing::Values(
        ParseCase{"full date", "05/03/2024", 2024, 3, 5},
        ParseCase{"empty mask", "  /  /    ", 0, 0, 0},
        ParseCase{"empty text", "", 0, 0, 0},
        ParseCase{"two year digits in a four digit mask", "01/03/24  ", 2024, 3, 1},
        ParseCase{"blank year reads 1999", "01/03/    ", 1999, 3, 1},
        ParseCase{"window top 63", "01/03/63  ", 2063, 3, 1},
        ParseCase{"window bottom 64", "01/03/64  ", 1964, 3, 1},
        ParseCase{"birth year 1948", "12/10/1948", 1948, 10, 12},
        ParseCase{"29 February 2023 is no date", "29/02/2023", 0, 0, 0},
        ParseCase{"29 February 2024", "29/02/2024", 2024, 2, 29},
        ParseCase{"31 February", "31/02/2024", 0, 0, 0},
        ParseCase{"month 13", "01/13/2024", 0, 0, 0},
        ParseCase{"blanks inside parts", " 1/ 3/2024", 2024, 3, 1},
        ParseCase{"free scan of a short text", "1/3/24", 2024, 3, 1},
        ParseCase{"free scan, day and month", "1/3", 2024, 3, 1},
        ParseCase{"free scan, blanks before numbers", " 7 / 8 / 2021", 2021, 8, 7},
        ParseCase{"free scan, trailing garbage", "1/3/24x", 0, 0, 0},
        ParseCase{"longer than the format", "01/03/2024 12", 0, 0, 0},
        ParseCase{"letters", "ab/03/2024", 0, 0, 0},
        ParseCase{"one number", "12", 0, 0, 0},
        ParseCase{"year zero", "01/01/0000", 2000, 1, 1}),
    [](const ::testing::TestParamInfo<ParseCase> &info) {
        std::string s = info.param.name;
        for (char &ch : s)
            if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
        return s;
    });

TEST_F(Clock2024, OtherOrdersReadTheirOwnWay)
{
    const TFormatSettings us = withDateFormat("M/d/yyyy", '/');
    const TDateEditFormat mdy = TDateEditFormat::build(TYearDigits::dyDefault, us);
    TDateTime v = 0;
    ASSERT_TRUE(mdy.parse("03/05/2024", v, us));
    EXPECT_EQ(v, encodeDate(2024, 3, 5));
    ASSERT_TRUE(mdy.parse("3/5", v, us));   // two numbers: month, then day
    EXPECT_EQ(v, encodeDate(2024, 3, 5));

    const TFormatSettings iso = withDateFormat("yyyy-MM-dd", '-');
    const TDateEditFormat ymd = TDateEditFormat::build(TYearDigits::dyDefault, iso);
    ASSERT_TRUE(ymd.parse("2024-03-05", v, iso));
    EXPECT_EQ(v, encodeDate(2024, 3, 5));
    ASSERT_TRUE(ymd.parse("24-3-5", v, iso));
    EXPECT_EQ(v, encodeDate(2024, 3, 5));
    EXPECT_EQ(ymd.format(encodeDate(2024, 3, 5)), QString("2024-03-05"));
}

TEST(DateEditFormat, CenturyWindowOfSixty)
{
    const struct
    {
        int year, current, expected;
    } cases[] = {{0, 2024, 2000}, {63, 2024, 2063}, {64, 2024, 1964}, {99, 2024, 1999}, {-1, 2024, 1999},
                 {24, 2099, 2124}, {39, 2099, 2039}, {38, 2099, 2138}, {1948, 2024, 1948}};
    for (const auto &c : cases)
        EXPECT_EQ(TDateEditFormat::expandYear(c.year, c.current), c.expected) << c.year << " in " << c.current;
}

TEST(DateEditFormat, TextOfAValue)
{
    const TDateEditFormat f = TDateEditFormat::build(TYearDigits::dyDefault);
    EXPECT_EQ(f.format(encodeDate(2024, 3, 5)), QString("05/03/2024"));
    EXPECT_EQ(f.format(0), QString("  /  /    "));
    EXPECT_EQ(f.emptyText('_'), QString("__/__/____"));
    EXPECT_TRUE(f.isEmptyText("__/__/____"));
    EXPECT_FALSE(f.isEmptyText("__/_1/____"));
    const TDateEditFormat two = TDateEditFormat::build(TYearDigits::dyTwo);
    EXPECT_EQ(two.format(encodeDate(1948, 10, 12)), QString("12/10/48"));
}

} // namespace
