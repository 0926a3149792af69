// Regional formats, day-count dates and the two pattern languages. Every case
// names its settings explicitly, so the machine's locale never matters; the
// clock is fixed where a case depends on the current year.

#include "core/datetime.h"
#include "core/exceptions.h"
#include "core/formatsettings.h"
#include "core/numformat.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

TFormatSettings settingsFor(const char *name)
{
    TFormatSettings fs;
    EXPECT_TRUE(TFormatSettings::forLocale(QString::fromUtf8(name), fs)) << name;
    return fs;
}

const TFormatSettings &it()
{
    static const TFormatSettings fs = settingsFor("it_IT");
    return fs;
}

const TFormatSettings &us()
{
    static const TFormatSettings fs = settingsFor("en_US");
    return fs;
}

std::string str(const QString &s)
{
    return s.toStdString();
}

// 15 June 2024, 10:30: the two-digit year window is then 1974..2073.
class FixedClock : public ::testing::Test
{
protected:
    void SetUp() override
    {
        setClock([] { return QDateTime(QDate(2024, 6, 15), QTime(10, 30)); });
    }
    void TearDown() override { setClock({}); }
};

// ---- numeric pictures ----------------------------------------------------

struct PictureCase
{
    const char *name;
    const char *pattern;
    double value;
    const char *italian;
    const char *american;
};

const PictureCase pictureCases[] = {
    {"hash rounds to whole", "#", 72.6, "73", "73"},
    {"hash prints nothing for zero", "#", 0, "", ""},
    {"hash of a value rounding to zero", "#", 0.4, "", ""},
    {"two integer digits", "00.0", 9.46, "09,5", "09.5"},
    {"two integer digits, wide value", "00.0", 122.6, "122,6", "122.6"},
    {"comma-point groups thousands", "0,.", 1234567, "1.234.567", "1,234,567"},
    {"grouping with optional decimals", "0,.##", 1234.5, "1.234,5", "1,234.5"},
    {"grouping, negative", "#,##0.00", -1234.5, "-1.234,50", "-1,234.50"},
    {"grouping below a thousand", "#,##0.00", 0.5, "0,50", "0.50"},
    {"optional decimals dropped with the point", "0.##", 2, "2", "2"},
    {"optional decimals rounded", "0.##", 0.125, "0,13", "0.13"},
    {"no integer placeholder", "#.##", 0.5, ",5", ".5"},
    {"integer digits before a bare point", ".00", 12.5, "12,50", "12.50"},
    {"half up 0.5", "0", 0.5, "1", "1"},
    {"half up 1.5", "0", 1.5, "2", "2"},
    {"half up 2.5, not to even", "0", 2.5, "3", "3"},
    {"half away from zero -2.5", "0", -2.5, "-3", "-3"},
    {"1.005 is a tie as written", "0.00", 1.005, "1,01", "1.01"},
    {"2.675 is a tie as written", "0.00", 2.675, "2,68", "2.68"},
    {"9.45 to one decimal", "0.0", 9.45, "9,5", "9.5"},
    {"carry through nines", "0.00", 9.995, "10,00", "10.00"},
    {"negative rounding to zero has no sign", "0.0", -0.04, "0,0", "0.0"},
    {"literals stay in place", "000-00", 12345, "123-45", "123-45"},
    {"quoted literals", "\"Tot. \"0' kg'", 72.6, "Tot. 73 kg", "Tot. 73 kg"},
    {"quoted pattern characters are text", "0 \"#0.;\"", 5, "5 #0.;", "5 #0.;"},
    {"scientific", "0.00E+00", 1234.5, "1,23E+03", "1.23E+03"},
    {"scientific, two integer digits", "00.0E+0", 1234.5, "12,3E+2", "12.3E+2"},
    {"scientific minus sign only when negative", "0.0E-0", 12000, "1,2E4", "1.2E4"},
    {"scientific negative exponent", "0.0E-0", 0.00012, "1,2E-4", "1.2E-4"},
    {"scientific zero", "0.00E+00", 0, "0,00E+00", "0.00E+00"},
    {"section: positive", "0;(0);\"zero\"", 5, "5", "5"},
    {"section: negative without sign", "0;(0);\"zero\"", -5, "(5)", "(5)"},
    {"section: zero", "0;(0);\"zero\"", 0, "zero", "zero"},
    {"section: zero after rounding", "0;(0);\"zero\"", 0.2, "zero", "zero"},
    {"empty negative section uses positive with minus", "0.0;;\"zero\"", -5, "-5,0", "-5.0"},
    {"empty zero section uses positive", "0.0;-0.0;", 0, "0,0", "0.0"},
    {"empty pattern is the general form", "", 72.6, "72,6", "72.6"},
    {"too large for a picture", "0", 1e20, "1E20", "1E20"},
};

TEST(FormatFloat, Pictures)
{
    for (const PictureCase &c : pictureCases) {
        SCOPED_TRACE(c.name);
        const QString italian = formatFloat(QString::fromUtf8(c.pattern), c.value, it());
        const QString american = formatFloat(QString::fromUtf8(c.pattern), c.value, us());
        EXPECT_EQ(str(italian), c.italian);
        EXPECT_EQ(str(american), c.american);
        // Where the locales differ, the comparison must tell them apart.
        if (std::string(c.italian) != c.american) {
            EXPECT_NE(str(american), c.italian);
        }
    }
}

TEST(FormatFloat, FollowsTheCurrentSettings)
{
    const TFormatSettings saved = TFormatSettings::current();
    TFormatSettings::setCurrent(us());
    EXPECT_EQ(str(formatFloat("00.0", 9.46)), "09.5");
    TFormatSettings::setCurrent(saved);
    EXPECT_EQ(str(formatFloat("00.0", 9.46)), "09,5");
}

struct GeneralCase
{
    double value;
    const char *italian;
};

TEST(FloatToStr, ShortestGeneralForm)
{
    const GeneralCase cases[] = {
        {72.6, "72,6"},
        {0, "0"},
        {-3, "-3"},
        {0.1 + 0.2, "0,3"},
        {1.0 / 3, "0,333333333333333"},
        {2.0 / 3, "0,666666666666667"},
        {1e14, "100000000000000"},
        {1e15, "1E15"},
        {1e20, "1E20"},
        {123456789012345678.0, "1,23456789012346E17"},
        {0.0001, "0,0001"},
        {0.00001, "1E-5"},
        {1.5e-10, "1,5E-10"},
        {-1.5e-10, "-1,5E-10"},
    };
    for (const GeneralCase &c : cases) {
        SCOPED_TRACE(c.italian);
        EXPECT_EQ(str(floatToStr(c.value, it())), c.italian);
    }
    EXPECT_EQ(str(floatToStr(1.5e-10, us())), "1.5E-10");
    EXPECT_EQ(str(floatToStr(std::nan(""), it())), "NAN");
    EXPECT_EQ(str(floatToStr(-INFINITY, it())), "-INF");
}

// floatToStr builds its common case in place; it must agree with the general
// form everywhere, including the edges of the plain-digit range.
TEST(FloatToStr, AgreesWithTheGeneralForm)
{
    std::mt19937_64 random(20261210);
    std::uniform_real_distribution<double> mantissa(-10.0, 10.0);
    std::uniform_int_distribution<int> exponent(-8, 18);
    const TFormatSettings &fs = it();
    for (int i = 0; i < 20000; ++i) {
        double v = mantissa(random) * std::pow(10.0, exponent(random));
        if (i % 4 == 0) v = std::round(v * 100) / 100;   // readings with two decimals
        ASSERT_EQ(str(floatToStr(v, fs)), str(floatToStrF(v, TFloatFormat::General, 15, 0, fs))) << v;
    }
    for (double v : {1e-4, 9.99999999999999e-5, 999999999999999.0, 999999999999999.5, 0.1, -0.001, 120.0, 70.5})
        EXPECT_EQ(str(floatToStr(v, fs)), str(floatToStrF(v, TFloatFormat::General, 15, 0, fs))) << v;
}

TEST(FloatToStrF, FixedNumberExponentCurrency)
{
    EXPECT_EQ(str(floatToStrF(1234.5, TFloatFormat::Fixed, 15, 2, it())), "1234,50");
    EXPECT_EQ(str(floatToStrF(-1234.5, TFloatFormat::Number, 15, 2, it())), "-1.234,50");
    EXPECT_EQ(str(floatToStrF(1234567.125, TFloatFormat::Number, 15, 2, us())), "1,234,567.13");
    EXPECT_EQ(str(floatToStrF(0.5, TFloatFormat::Fixed, 15, 0, it())), "1");
    EXPECT_EQ(str(floatToStrF(1234.5, TFloatFormat::Exponent, 4, 2, it())), "1,235E+03");
    EXPECT_EQ(str(floatToStrF(0.0012, TFloatFormat::Exponent, 3, 0, us())), "1.20E-3");
    EXPECT_EQ(str(floatToStrF(72.6123, TFloatFormat::General, 3, 0, it())), "72,6");
    // More integer digits than the precision: general form.
    EXPECT_EQ(str(floatToStrF(1e20, TFloatFormat::Fixed, 15, 2, it())), "1E20");
}

TEST(CurrToStr, LayoutsFromTheSettings)
{
    EXPECT_EQ(str(currToStr(1234.5, it())), "€ 1.234,50");
    // A negative amount: symbol, blank, minus, amount.
    EXPECT_EQ(str(currToStr(-1234.5, it())), "€ -1.234,50");
    EXPECT_EQ(str(currToStr(1234.5, us())), "$1,234.50");
    EXPECT_EQ(str(currToStr(-1234.5, us())), "-$1,234.50");
    EXPECT_EQ(str(currToStr(-2, settingsFor("de_DE"))), "-2,00 €");
}

// ---- parsing numbers -----------------------------------------------------

struct NumberText
{
    const char *text;
    bool valid;
    double value;
};

TEST(TryStrToFloat, ItalianSettings)
{
    const NumberText cases[] = {
        {"72,6", true, 72.6}, {" -3 ", true, -3},    {"+0,5", true, 0.5},   {",5", true, 0.5},
        {"5,", true, 5},      {"1,5E3", true, 1500}, {"2e-2", true, 0.02},  {"1e-400", true, 0},
        {"1.800", false, 0},  {"72.500", false, 0},  {"1.800,5", false, 0}, {"72.6", false, 0},
        {"abc", false, 0},    {"", false, 0},        {"  ", false, 0},      {"-", false, 0},
        {",", false, 0},      {"1,2,3", false, 0},   {"72,6 kg", false, 0}, {"1E", false, 0},
        {"1e999", false, 0},  {"- 3", false, 0},
    };
    for (const NumberText &c : cases) {
        SCOPED_TRACE(c.text);
        double v = -99;
        EXPECT_EQ(tryStrToFloat(c.text, v, it()), c.valid);
        if (c.valid) {
            EXPECT_DOUBLE_EQ(v, c.value);
        } else {
            EXPECT_EQ(v, -99) << "output written on failure";
        }
    }
}

TEST(TryStrToFloat, AmericanSettings)
{
    double v = 0;
    EXPECT_TRUE(tryStrToFloat("1.8", v, us()));
    EXPECT_DOUBLE_EQ(v, 1.8);
    EXPECT_FALSE(tryStrToFloat("1,800", v, us()));
    EXPECT_FALSE(tryStrToFloat("1,8", v, us()));
}

TEST(TryStrToCurr, SymbolAndSign)
{
    const NumberText cases[] = {
        {"€ 1,50", true, 1.5}, {"1,50 €", true, 1.5}, {"1,5€", true, 1.5}, {"€ -2", true, -2},
        {"-€ 2", true, -2},    {"(€ 2)", true, -2},   {"2-", true, -2},    {"1,23456", true, 1.2346},
        {"12", true, 12},      {"€ 1.800", false, 0}, {"€", false, 0},     {"(-2)", false, 0},
        {"$ 2", false, 0},
    };
    for (const NumberText &c : cases) {
        SCOPED_TRACE(c.text);
        double v = 0;
        EXPECT_EQ(tryStrToCurr(QString::fromUtf8(c.text), v, it()), c.valid);
        if (c.valid) {
            EXPECT_DOUBLE_EQ(v, c.value);
        }
    }
}

TEST(TryStrToInt, DecimalHexAndOverflow)
{
    struct Case
    {
        const char *text;
        bool valid;
        qint64 value;
    };
    const Case cases[] = {
        {"42", true, 42},
        {" -7 ", true, -7},
        {"+8", true, 8},
        {"$FF", true, 255},
        {"0x10", true, 16},
        {"$FFFFFFFF", true, -1},
        {"2147483647", true, 2147483647},
        {"-2147483648", true, -2147483648LL},
        {"2147483648", false, 0},
        {"-2147483649", false, 0},
        {"$100000000", false, 0},
        {"1.5", false, 0},
        {"1.000", false, 0},
        {"", false, 0},
        {"$", false, 0},
        {"12a", false, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        int v = 0;
        EXPECT_EQ(tryStrToInt(c.text, v), c.valid);
        if (c.valid) {
            EXPECT_EQ(v, c.value);
        }
    }
    qint64 big = 0;
    EXPECT_TRUE(tryStrToInt64("9223372036854775807", big));
    EXPECT_EQ(big, std::numeric_limits<qint64>::max());
    EXPECT_TRUE(tryStrToInt64("-9223372036854775808", big));
    EXPECT_EQ(big, std::numeric_limits<qint64>::min());
    EXPECT_FALSE(tryStrToInt64("9223372036854775808", big));
}

// ---- day counts ----------------------------------------------------------

TEST(DayCount, KnownDates)
{
    struct Case
    {
        int y, m, d;
        double count;
        int dayOfWeek;
    };
    const Case cases[] = {
        {1899, 12, 30, 0, 7},    {1899, 12, 31, 1, 1},       {1899, 12, 29, -1, 6},
        {1900, 1, 1, 2, 2},      {1900, 2, 28, 60, 4},       {1900, 3, 1, 61, 5}, // 1900 is no leap year
        {2000, 2, 29, 36585, 3}, {2024, 2, 29, 45351, 5},    {2024, 6, 15, 45458, 7},
        {1, 1, 1, -693593, 2},   {9999, 12, 31, 2958465, 6},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.y << "-" << c.m << "-" << c.d);
        TDateTime v = -1e9;
        ASSERT_TRUE(tryEncodeDate(c.y, c.m, c.d, v));
        EXPECT_EQ(v, c.count);
        int y, m, d;
        decodeDate(v, y, m, d);
        EXPECT_EQ(y, c.y);
        EXPECT_EQ(m, c.m);
        EXPECT_EQ(d, c.d);
        EXPECT_EQ(dayOfWeek(v), c.dayOfWeek);
        EXPECT_EQ(fromQDate(QDate(c.y, c.m, c.d)), c.count);
        EXPECT_EQ(toQDate(v), QDate(c.y, c.m, c.d));
    }
}

TEST(DayCount, InvalidDatesAndTimes)
{
    const int dates[][3] = {{1900, 2, 29}, {2023, 2, 29}, {2024, 2, 30}, {2024, 4, 31}, {2024, 13, 1},
                            {2024, 0, 1},  {2024, 1, 0},  {0, 1, 1},     {10000, 1, 1}};
    for (const auto &d : dates) {
        SCOPED_TRACE(testing::Message() << d[0] << "-" << d[1] << "-" << d[2]);
        TDateTime v = 0;
        EXPECT_FALSE(tryEncodeDate(d[0], d[1], d[2], v));
    }
    EXPECT_THROW(encodeDate(2023, 2, 29), EConvertError);
    TDateTime t = 0;
    EXPECT_FALSE(tryEncodeTime(24, 0, 0, 0, t));
    EXPECT_FALSE(tryEncodeTime(12, 60, 0, 0, t));
    EXPECT_FALSE(tryEncodeTime(12, 0, 0, 1000, t));
    EXPECT_THROW(encodeTime(-1, 0, 0, 0), EConvertError);
}

TEST(DayCount, TimeOfDay)
{
    EXPECT_EQ(encodeTime(12, 0, 0, 0), 0.5);
    EXPECT_EQ(encodeTime(6, 0, 0, 0), 0.25);

    // Before the epoch the fraction is still the time: -1.25 is 29/12/1899 06:00.
    const QDateTime early(QDate(1899, 12, 29), QTime(6, 0));
    EXPECT_EQ(fromQDateTime(early), -1.25);
    EXPECT_EQ(toQDateTime(-1.25), early);
    EXPECT_EQ(str(formatDateTime("dd/mm/yyyy hh:nn", -1.25, it())), "29/12/1899 06:00");
    EXPECT_EQ(str(formatDateTime("dd/mm/yyyy hh:nn", -0.5, it())), "30/12/1899 12:00");

    // A hair below midnight is midnight of the next day, not 23:59:59.
    const TDateTime almost = encodeDate(2024, 3, 5) + 1 - 1e-10;
    EXPECT_EQ(str(formatDateTime("dd/mm/yyyy hh:nn:ss.zzz", almost, it())), "06/03/2024 00:00:00.000");

    const QDateTime afternoon(QDate(2024, 3, 5), QTime(14, 7, 9, 45));
    EXPECT_EQ(toQDateTime(fromQDateTime(afternoon)), afternoon);
    int h, n, s, z;
    decodeTime(fromQDateTime(afternoon), h, n, s, z);
    EXPECT_EQ(QTime(h, n, s, z), QTime(14, 7, 9, 45));
}

TEST_F(FixedClock, NowAndToday)
{
    EXPECT_EQ(now(), encodeDate(2024, 6, 15) + encodeTime(10, 30, 0, 0));
    EXPECT_EQ(today(), encodeDate(2024, 6, 15));
}

// ---- date-time pictures --------------------------------------------------

struct DatePictureCase
{
    const char *pattern;
    const char *italian;
    const char *american;
};

TEST(FormatDateTime, Pictures)
{
    // Tuesday 5 March 2024, 14:07:09.045
    const TDateTime value = encodeDate(2024, 3, 5) + encodeTime(14, 7, 9, 45);
    const DatePictureCase cases[] = {
        {"d/m/yy", "5/3/24", "5/3/24"},
        {"dd/mm/yyyy", "05/03/2024", "05/03/2024"},
        {"ddd dddd", "mar martedì", "Tue Tuesday"},
        {"mmm mmmm", "mar marzo", "Mar March"},
        {"MMMM, YYYY", "marzo, 2024", "March, 2024"},
        {"mm", "03", "03"},
        {"hh:mm:ss", "14:07:09", "14:07:09"},
        {"h:m", "14:7", "14:7"},
        {"HH 'h' MM", "14 h 07", "14 h 07"},
        {"hh:nn:ss.zzz", "14:07:09.045", "14:07:09.045"},
        {"s z", "9 45", "9 45"},
        {"h:nn am/pm", "2:07 pm", "2:07 pm"},
        {"h:nn AM/PM", "2:07 PM", "2:07 PM"},
        {"h:nn a/p", "2:07 p", "2:07 p"},
        {"h:nn ampm", "2:07 ", "2:07 PM"},
        {"hh \"am/pm\"", "14 am/pm", "14 am/pm"},
        {"\"giorno\" d", "giorno 5", "giorno 5"},
        {"c", "05/03/2024 14:07:09", "3/5/2024 2:07:09 PM"},
        {"", "05/03/2024 14:07:09", "3/5/2024 2:07:09 PM"},
        {"ddddd", "05/03/2024", "3/5/2024"},
        {"dddddd", "martedì 5 marzo 2024", "Tuesday, March 5, 2024"},
        {"t", "14:07", "2:07 PM"},
        {"tt", "14:07:09", "2:07:09 PM"},
    };
    for (const DatePictureCase &c : cases) {
        SCOPED_TRACE(c.pattern);
        const QString italian = formatDateTime(QString::fromUtf8(c.pattern), value, it());
        const QString american = formatDateTime(QString::fromUtf8(c.pattern), value, us());
        EXPECT_EQ(str(italian), c.italian);
        EXPECT_EQ(str(american), c.american);
        if (std::string(c.italian) != c.american) {
            EXPECT_NE(str(american), c.italian);
        }
    }
}

TEST(FormatDateTime, TwelveHourClockEdges)
{
    const TDateTime day = encodeDate(2024, 3, 5);
    const struct
    {
        int hour;
        const char *text;
    } cases[] = {{0, "12 am"}, {1, "1 am"}, {11, "11 am"}, {12, "12 pm"}, {13, "1 pm"}, {23, "11 pm"}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.hour);
        EXPECT_EQ(str(formatDateTime("h am/pm", day + encodeTime(c.hour, 0, 0, 0), it())), c.text);
    }
}

TEST(FormatDateTime, SeparatorsComeFromTheSettings)
{
    const TDateTime value = encodeDate(2024, 3, 5) + encodeTime(14, 7, 0, 0);
    EXPECT_EQ(str(dateToStr(value, settingsFor("de_DE"))), "05.03.2024");
    EXPECT_EQ(str(formatDateTime("dddddd", value, settingsFor("de_DE"))), "Dienstag, 5. März 2024");
    TFormatSettings dots = it();
    dots.timeSeparator = '.';
    EXPECT_EQ(str(timeToStr(value, dots)), "14.07.00");
    // The time is left out at midnight.
    EXPECT_EQ(str(dateTimeToStr(encodeDate(2024, 3, 5), it())), "05/03/2024");
    EXPECT_EQ(str(dateTimeToStr(value, it())), "05/03/2024 14:07:00");
}

// ---- parsing dates and times ---------------------------------------------

struct DateText
{
    const char *text;
    int y, m, d; // 0: invalid
};

TEST_F(FixedClock, StrToDateItalian)
{
    const DateText cases[] = {
        {"05/03/2024", 2024, 3, 5},
        {"5/3/2024", 2024, 3, 5},
        {" 5 / 3 / 2024 ", 2024, 3, 5},
        {"5-3-2024", 2024, 3, 5},
        {"5.3.2024", 2024, 3, 5},
        {"5/3", 2024, 3, 5},
        {"5/3/24", 2024, 3, 5},
        {"5/3/73", 2073, 3, 5},
        {"5/3/74", 1974, 3, 5},
        {"2024-03-05", 2024, 3, 5},
        {"29/02/2024", 2024, 2, 29},
        {"29/02/2000", 2000, 2, 29},
        {"31/02/2024", 0, 0, 0},
        {"29/02/2023", 0, 0, 0},
        {"29/02/1900", 0, 0, 0},
        {"05/13/2024", 0, 0, 0},
        {"abc", 0, 0, 0},
        {"", 0, 0, 0},
        {"1.800", 0, 0, 0},
        {"5/3/2024x", 0, 0, 0},
        {"5//3", 0, 0, 0},
        {"123/3/2024", 0, 0, 0},
        {"5/3/12345", 0, 0, 0},
        {"5/3/2024 10:00", 0, 0, 0},
    };
    for (const DateText &c : cases) {
        SCOPED_TRACE(c.text);
        TDateTime v = -1;
        const bool ok = tryStrToDate(c.text, v, it());
        EXPECT_EQ(ok, c.y != 0);
        if (ok && c.y) {
            EXPECT_EQ(toQDate(v), QDate(c.y, c.m, c.d));
        }
    }
}

TEST_F(FixedClock, StrToDateAmerican)
{
    TDateTime v = 0;
    ASSERT_TRUE(tryStrToDate("3/5/2024", v, us()));
    EXPECT_EQ(toQDate(v), QDate(2024, 3, 5));
    ASSERT_TRUE(tryStrToDate("3/5", v, us()));
    EXPECT_EQ(toQDate(v), QDate(2024, 3, 5));
    EXPECT_FALSE(tryStrToDate("13/5/2024", v, us()));
}

TEST(StrToTime, Texts)
{
    struct Case
    {
        const char *text;
        int h, n, s, z;
        bool valid;
    };
    const Case cases[] = {
        {"14:30", 14, 30, 0, 0, true},
        {" 14:30:15 ", 14, 30, 15, 0, true},
        {"14:30:15.5", 14, 30, 15, 500, true},
        {"14:30:15,25", 14, 30, 15, 250, true},
        {"2:30 pm", 14, 30, 0, 0, true},
        {"2:30PM", 14, 30, 0, 0, true},
        {"12:00 am", 0, 0, 0, 0, true},
        {"12:15 PM", 12, 15, 0, 0, true},
        {"pm 2:30", 14, 30, 0, 0, true},
        {"pm 2:30 pm", 0, 0, 0, 0, false},
        {"25:00", 0, 0, 0, 0, false},
        {"14:60", 0, 0, 0, 0, false},
        {"13:00 pm", 0, 0, 0, 0, false},
        {"0:10 am", 0, 0, 0, 0, false},
        {"14", 0, 0, 0, 0, false},
        {"14:", 0, 0, 0, 0, false},
        {"abc", 0, 0, 0, 0, false},
        {"14:30 xx", 0, 0, 0, 0, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        TDateTime v = -1;
        EXPECT_EQ(tryStrToTime(c.text, v, it()), c.valid);
        if (c.valid) {
            EXPECT_EQ(v, encodeTime(c.h, c.n, c.s, c.z));
        }
    }
}

TEST_F(FixedClock, StrToDateTime)
{
    const TDateTime day = encodeDate(2024, 3, 5);
    TDateTime v = 0;
    ASSERT_TRUE(tryStrToDateTime("05/03/2024 14:30", v, it()));
    EXPECT_EQ(v, day + encodeTime(14, 30, 0, 0));
    ASSERT_TRUE(tryStrToDateTime("05/03/2024", v, it()));
    EXPECT_EQ(v, day);
    ASSERT_TRUE(tryStrToDateTime("14:30", v, it()));
    EXPECT_EQ(v, encodeTime(14, 30, 0, 0));
    ASSERT_TRUE(tryStrToDateTime("29/12/1899 06:00", v, it()));
    EXPECT_EQ(v, -1.25);
    EXPECT_FALSE(tryStrToDateTime("05/03/2024 25:00", v, it()));
    EXPECT_FALSE(tryStrToDateTime("05/03/2024 14", v, it()));
    EXPECT_FALSE(tryStrToDateTime("31/02/2024 14:30", v, it()));
}

TEST(StrToDate, ErrorMessages)
{
    try {
        strToDate("31/02/2024", it());
        FAIL() << "no exception";
    } catch (const EConvertError &e) {
        EXPECT_EQ(str(e.message()), "'31/02/2024' is not a valid date");
    }
    try {
        strToTime("25:00", it());
        FAIL() << "no exception";
    } catch (const EConvertError &e) {
        EXPECT_EQ(str(e.message()), "'25:00' is not a valid time");
    }
    try {
        strToDateTime("x", it());
        FAIL() << "no exception";
    } catch (const EConvertError &e) {
        EXPECT_EQ(str(e.message()), "'x' is not a valid date and time");
    }
}

// ---- locales -------------------------------------------------------------

TEST(Locale, NamesThatCountAsItalian)
{
    const TDateTime value = encodeDate(2024, 1, 1);
    for (const char *name : {"it_IT", "C", "POSIX", "it_IT.UTF-8", "C.UTF-8", "it"}) {
        SCOPED_TRACE(name);
        const TFormatSettings fs = settingsFor(name);
        EXPECT_EQ(str(formatDateTime("dddddd", value, fs)), "lunedì 1 gennaio 2024");
        EXPECT_EQ(str(dateToStr(value, fs)), "01/01/2024");
        EXPECT_EQ(fs.dateOrder(), DateOrder::DMY);
    }
}

TEST(Locale, UnknownNames)
{
    for (const char *name : {"xx_YY", "garbage", "en_XX", "", "it_IT_foo", "zz"}) {
        SCOPED_TRACE(name);
        TFormatSettings fs;
        EXPECT_FALSE(TFormatSettings::forLocale(name, fs));
    }
}

TEST(Locale, OtherLocalesThroughQLocale)
{
    const TDateTime value = encodeDate(2024, 3, 5) + encodeTime(14, 7, 9, 0);
    // Day-month order with "-" and a four-digit year where Qt has two digits.
    const TFormatSettings nl = settingsFor("nl_NL");
    EXPECT_EQ(str(dateToStr(value, nl)), "05-03-2024");
    EXPECT_EQ(nl.dateOrder(), DateOrder::DMY);
    // Literal words in Qt's format stay words, not day tokens.
    EXPECT_EQ(str(formatDateTime("dddddd", value, settingsFor("pt_BR"))), "terça-feira, 5 de março de 2024");
    const TFormatSettings ja = settingsFor("ja_JP");
    EXPECT_EQ(ja.dateOrder(), DateOrder::YMD);
    EXPECT_EQ(str(dateToStr(value, ja)), "2024/03/05");
    EXPECT_EQ(settingsFor("en_US").dateOrder(), DateOrder::MDY);
    EXPECT_EQ(str(timeToStr(value, settingsFor("en_GB"))), "14:07:09");
    // Qt's "H:mm:ss (t)": the zone goes, and its brackets with it.
    EXPECT_EQ(str(timeToStr(value, settingsFor("es_ES"))), "14:07:09");
    // The am/pm marker before the hour still selects the 12-hour clock.
    EXPECT_EQ(str(formatDateTime("t", value, settingsFor("ko_KR"))), "오후 2:07");
    EXPECT_EQ(str(formatFloat("0,.00", 1234.5, settingsFor("fr_FR"))), "1\u00a0234,50");
}

// Start-up choice: --locale, then TONALBA_LOCALE, then the system locale.
class LocalePrecedence : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_saved = TFormatSettings::current();
        m_hadEnv = qEnvironmentVariableIsSet("TONALBA_LOCALE");
        m_env = qgetenv("TONALBA_LOCALE");
    }
    void TearDown() override
    {
        if (m_hadEnv)
            qputenv("TONALBA_LOCALE", m_env);
        else
            qunsetenv("TONALBA_LOCALE");
        TFormatSettings::setCurrent(m_saved);
    }

    TFormatSettings m_saved;
    bool m_hadEnv = false;
    QByteArray m_env;
};

TEST_F(LocalePrecedence, CommandLineThenEnvironmentThenSystem)
{
    QString error;
    qputenv("TONALBA_LOCALE", "de_DE");
    ASSERT_TRUE(TFormatSettings::initFromEnvironment("en_US", &error)) << str(error);
    EXPECT_EQ(str(TFormatSettings::current().localeName), "en_US");
    EXPECT_EQ(str(floatToStr(72.6)), "72.6");

    ASSERT_TRUE(TFormatSettings::initFromEnvironment(QString(), &error)) << str(error);
    EXPECT_EQ(str(TFormatSettings::current().localeName), "de_DE");

    qunsetenv("TONALBA_LOCALE");
    ASSERT_TRUE(TFormatSettings::initFromEnvironment(QString(), &error)) << str(error);
    TFormatSettings system;
    ASSERT_TRUE(TFormatSettings::forLocale(QLocale::system().name(), system));
    EXPECT_EQ(str(TFormatSettings::current().localeName), str(system.localeName));
}

TEST_F(LocalePrecedence, UnknownNameIsAnErrorAndChangesNothing)
{
    TFormatSettings::setCurrent(it());
    QString error;
    qputenv("TONALBA_LOCALE", "garbage");
    EXPECT_FALSE(TFormatSettings::initFromEnvironment(QString(), &error));
    EXPECT_EQ(str(error), "Unknown locale 'garbage' (from TONALBA_LOCALE)");
    EXPECT_FALSE(TFormatSettings::initFromEnvironment("xx_YY", &error));
    EXPECT_EQ(str(error), "Unknown locale 'xx_YY' (from --locale)");
    EXPECT_EQ(str(TFormatSettings::current().localeName), "it_IT");
    // The command line is read first, so a broken environment does not matter.
    EXPECT_TRUE(TFormatSettings::initFromEnvironment("en_GB", &error));
    EXPECT_EQ(str(TFormatSettings::current().localeName), "en_GB");
}

} // namespace
