// A diary day's computed values and the header's age, over in-memory tables
// shaped like the archive's.

#include "app/diarymodel.h"
#include "core/formatsettings.h"
#include "tests/data/memorydataset.h"

#include <gtest/gtest.h>
#include <optional>

namespace {

struct Diary
{
    QObject window;
    TMemoryDataSet diario;
    TMemoryDataSet intesta;
    std::unique_ptr<TDiaryModel> model;

    Diary()
    {
        diario.setObjectName("Diario");
        intesta.setObjectName("Intesta");
        diario.addColumn("ID_Diario", ftAutoInc);
        diario.addColumn("Data", ftDateTime);
        for (const char *n : {"SX_MIN_1", "SX_MAX_1", "SX_PULS_1", "DX_MIN_1", "DX_MAX_1", "DX_PULS_1",
                              "SX_MIN_2", "SX_MAX_2", "SX_PULS_2", "DX_MIN_2", "DX_MAX_2", "DX_PULS_2"})
            diario.addColumn(n, ftInteger);
        diario.addColumn("Peso", ftFloat);
        diario.addColumn("Note", ftMemo);
        intesta.addColumn("Nome", ftString, 255);
        intesta.addColumn("Data_Nascita", ftDateTime);
        intesta.addColumn("Altezza", ftFloat);
        intesta.addColumn("Terapia", ftMemo);
        intesta.addColumn("Data_terapia", ftDateTime);
        model = std::make_unique<TDiaryModel>(&window, &diario, &intesta);
        model->attach();
    }

    // One day: diastolic and systolic readings in the order SX_1, SX_2, DX_1, DX_2.
    void addDay(const QList<QVariant> &min, const QList<QVariant> &max, QVariant weight = {})
    {
        QList<QVariant> v(16);
        const int minCols[] = {2, 8, 5, 11}, maxCols[] = {3, 9, 6, 12};
        for (int i = 0; i < min.size(); ++i) v[minCols[i]] = min[i];
        for (int i = 0; i < max.size(); ++i) v[maxCols[i]] = max[i];
        v[1] = 45000.0;
        v[14] = weight;
        diario.addRow(v);
    }
    void setHeight(QVariant height, QVariant born = {})
    {
        intesta.addRow({"Rossi Mario", born, height, QVariant(), QVariant()});
    }
    void open()
    {
        diario.Open();
        intesta.Open();
        diario.Refresh();   // recompute with the header open, as a later fetch does
    }
    QString text(const char *field) { return diario.FieldByName(field)->DisplayText(); }
};

class DiaryTest : public testing::Test
{
protected:
    void SetUp() override
    {
        TFormatSettings it;
        ASSERT_TRUE(TFormatSettings::forLocale("it_IT", it));
        TFormatSettings::setCurrent(it);
    }
    void TearDown() override { setClock({}); }
};

TEST_F(DiaryTest, AverageOfNonZero)
{
    struct Case
    {
        double a, b, c, d, expected;
    } cases[] = {
        {0, 0, 0, 0, 0},        {120, 125, 0, 0, 122},  {80, 0, 85, 0, 82},
        {130, 129, 130, 130, 129}, {-10, 0, 0, 0, -10},  {100, 101, 0, 0, 100},
        {-3, -4, 0, 0, -3},     // truncated toward zero, not down
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.a << "," << c.b << "," << c.c << "," << c.d);
        EXPECT_EQ(AverageOfNonZero(c.a, c.b, c.c, c.d), c.expected);
    }
}

struct PressureCase
{
    const char *name;
    QList<QVariant> min, max;
    double MIN, MAX;
    std::optional<int> irc1, irc2;
    int ircx;
    const char *press;
    const char *spre;
};

class PressureClasses : public DiaryTest, public testing::WithParamInterface<PressureCase>
{
};

TEST_P(PressureClasses, ClassifiesTheDay)
{
    const PressureCase &c = GetParam();
    Diary d;
    d.setHeight(QVariant());
    d.addDay(c.min, c.max);
    d.open();
    TDiaryModel &m = *d.model;
    EXPECT_EQ(m.DiarioMIN->AsFloat(), c.MIN);
    EXPECT_EQ(m.DiarioMAX->AsFloat(), c.MAX);
    EXPECT_EQ(m.DiarioIRC1->IsNull(), !c.irc1.has_value());
    if (c.irc1) {
        EXPECT_EQ(m.DiarioIRC1->AsInteger(), *c.irc1);
    }
    EXPECT_EQ(m.DiarioIRC2->IsNull(), !c.irc2.has_value());
    if (c.irc2) {
        EXPECT_EQ(m.DiarioIRC2->AsInteger(), *c.irc2);
    }
    EXPECT_EQ(m.DiarioIRCX->AsInteger(), c.ircx);
    EXPECT_EQ(m.DiarioPRESS->AsString().toStdString(), c.press);
    EXPECT_EQ(m.DiarioS_PRE->AsString().toStdString(), c.spre);
}

const PressureCase kPressureCases[] = {
    {"NoReadings", {}, {}, 0, 0, {}, {}, 0, "", ""},
    {"TwoSystolicOnly_120_125", {80}, {120, 125}, 80, 122, 2, 2, 2, "122 / 80", "122 / 80 : Normale"},
    {"DiastolicWithZeroAndEmpty", {80, 0, 85, QVariant()}, {110}, 82, 110, 2, 1, 2, "110 / 82",
     "110 / 82 : Normale"},
    {"HighNormal_89_139", {89}, {139}, 89, 139, 3, 3, 3, "139 / 89", "139 / 89 : Normale - alta"},
    {"IsolatedBorderline_85_145", {85}, {145}, 85, 145, 3, 4, 8, "145 / 85",
     "145 / 85 : Ipertensione sistolica isolata borderline"},
    {"NoOverrideAboveClass3_92_150", {92}, {150}, 92, 150, 4, 5, 5, "150 / 92",
     "150 / 92 : Ipertensione di Grado 1 lieve"},
    {"SystolicOnly165", {}, {165}, 0, 165, {}, 6, 9, "", " : Ipertensione sistolica isolata"},
    {"SystolicOnly125", {}, {125}, 0, 125, {}, 2, 2, "", " : Normale"},
    {"Systolic1000OutOfTable", {85}, {1000}, 85, 1000, 3, {}, 3, "1000 / 85", "1000 / 85 : Normale - alta"},
    {"DiastolicOnly", {95}, {}, 95, 0, 5, {}, 5, "0 / 95", "0 / 95 : Ipertensione di Grado 1 lieve"},
    {"NegativeReading", {-5}, {130}, -5, 130, {}, 3, 3, "130 / -5", "130 / -5 : Normale - alta"},
    {"Grade3", {112}, {185}, 112, 185, 7, 7, 7, "185 / 112", "185 / 112 : Ipertensione di Grado 3 grave"},
    {"Boundaries_79_119", {79}, {119}, 79, 119, 1, 1, 1, "119 / 79", "119 / 79 : Ottimale"},
};

INSTANTIATE_TEST_SUITE_P(Diary, PressureClasses, testing::ValuesIn(kPressureCases),
                         [](const testing::TestParamInfo<PressureCase> &i) { return std::string(i.param.name); });

struct BodyMassCase
{
    const char *name;
    QVariant height, weight;
    int ibmi;
    const char *sbmi;
    const char *listText;   // "#" display of BMI
};

class BodyMass : public DiaryTest, public testing::WithParamInterface<BodyMassCase>
{
};

TEST_P(BodyMass, ClassifiesTheWeight)
{
    const BodyMassCase &c = GetParam();
    Diary d;
    d.setHeight(c.height);
    d.addDay({}, {}, c.weight);
    d.open();
    EXPECT_EQ(d.model->DiarioIBMI->AsInteger(), c.ibmi);
    EXPECT_EQ(d.model->DiarioS_BMI->AsString().toStdString(), c.sbmi);
    EXPECT_EQ(d.text("BMI").toStdString(), c.listText);
}

const BodyMassCase kBodyMassCases[] = {
    {"Height180Weight80", 1.80, 80.0, 2, "24,7: Normopeso", "25"},
    {"Exactly25_160_64_wasJustBelowBoundary", 1.60, 64.0, 3, "25,0: Sovrappeso", "25"},
    {"Exactly18_5", 2.0, 74.0, 2, "18,5: Normopeso", "19"},
    {"Under", 1.80, 50.0, 1, "15,4: Sottopeso", "15"},
    {"SingleDigitPadded", 2.0, 37.84, 1, "09,5: Sottopeso", "9"},
    {"Obese1", 1.70, 90.0, 4, "31,1: Obesità di primo grado", "31"},
    {"Obese2", 1.60, 95.0, 5, "37,1: Obesità di secondo grado", "37"},
    {"Obese3", 1.50, 95.0, 6, "42,2: Obesità grave", "42"},
    {"EmptyHeight", QVariant(), 80.0, 0, "", ""},
    {"EmptyWeight", 1.80, QVariant(), 0, "", ""},
};

INSTANTIATE_TEST_SUITE_P(Diary, BodyMass, testing::ValuesIn(kBodyMassCases),
                         [](const testing::TestParamInfo<BodyMassCase> &i) { return std::string(i.param.name); });

TEST_F(DiaryTest, BodyMassIndexKeepsTheUnroundedValue)
{
    Diary d;
    d.setHeight(1.60);
    d.addDay({}, {}, 64.0);
    d.open();
    EXPECT_LT(d.model->DiarioBMI->AsFloat(), 25.0);   // the division's own artefact is kept
    EXPECT_EQ(d.model->DiarioIBMI->AsInteger(), 3);
}

TEST_F(DiaryTest, BodyMassUsesThePlainGeneralFormUnderAnotherFormat)
{
    Diary d;
    d.setHeight(1.80);
    d.addDay({}, {}, 80.0);
    d.open();
    d.model->DiarioBMI->SetDisplayFormat("");
    EXPECT_EQ(d.text("BMI").left(5), "24,69");
}

TEST_F(DiaryTest, ClosedHeaderReadsHeightZero)
{
    Diary d;
    d.setHeight(1.80);
    d.addDay({80}, {120}, 80.0);
    d.diario.Open();   // the header is still closed, as at start-up
    EXPECT_EQ(d.model->DiarioBMI->AsFloat(), 0.0);
    EXPECT_EQ(d.model->DiarioS_BMI->AsString(), "");
    EXPECT_EQ(d.model->DiarioS_PRE->AsString(), "120 / 80 : Normale");
}

TEST_F(DiaryTest, ListShowsNothingForAnEmptyDay)
{
    Diary d;
    d.setHeight(1.80);
    d.addDay({}, {});
    d.open();
    EXPECT_EQ(d.text("MIN"), "");
    EXPECT_EQ(d.text("MAX"), "");
    EXPECT_EQ(d.text("IRCX"), "");
    EXPECT_EQ(d.text("PULS"), "0");
}

TEST_F(DiaryTest, EditingAReadingRecomputesTheTexts)
{
    Diary d;
    d.setHeight(1.80);
    d.addDay({80}, {120});
    d.open();
    d.diario.Edit();
    d.model->DiarioSX_MAX_1->SetAsString("165");
    EXPECT_EQ(d.diario.State(), DataSetState::Edit);
    EXPECT_EQ(d.model->DiarioS_PRE->AsString(), "165 / 80 : Ipertensione sistolica isolata");
}

TEST_F(DiaryTest, AgeAndBand)
{
    struct Case
    {
        const char *name;
        QDateTime now;
        QVariant born;
        int eta, fascia;
    } cases[] = {
        {"19y364d", QDateTime(QDate(2024, 3, 4), QTime(12, 0)), fromQDate(QDate(2004, 3, 5)), 19, 1},
        {"20", QDateTime(QDate(2024, 3, 6), QTime(12, 0)), fromQDate(QDate(2004, 3, 5)), 20, 2},
        {"44", QDateTime(QDate(2024, 1, 1), QTime(0, 0)), fromQDate(QDate(1979, 6, 1)), 44, 6},
        {"59", QDateTime(QDate(2024, 1, 1), QTime(0, 0)), fromQDate(QDate(1964, 2, 1)), 59, 9},
        {"60", QDateTime(QDate(2024, 1, 1), QTime(0, 0)), fromQDate(QDate(1963, 2, 1)), 60, 10},
        {"EmptyBirthDate", QDateTime(QDate(2024, 1, 1), QTime(0, 0)), QVariant(), 124, 10},
        {"BornInTheFuture", QDateTime(QDate(2024, 1, 1), QTime(0, 0)), fromQDate(QDate(2030, 1, 1)), -6, 10},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        setClock([t = c.now] { return t; });
        Diary d;
        d.setHeight(1.7, c.born);
        d.open();
        EXPECT_EQ(d.model->IntestaEta->AsInteger(), c.eta);
        EXPECT_EQ(d.model->IntestaFascia->AsInteger(), c.fascia);
    }
}

TEST_F(DiaryTest, AgeChangesDuringTheDayTheMultipleIsReached)
{
    // 7305 days = 20 * 365.25: the age turns 20 at the time of day of the birth count.
    const TDateTime born = fromQDate(QDate(2000, 1, 1)) + 0.5;
    const TDateTime turn = born + 7305;
    Diary d;
    d.setHeight(1.7, born);
    setClock([&] { return toQDateTime(turn - 0.25); });
    d.open();
    EXPECT_EQ(d.model->IntestaEta->AsInteger(), 19);
    setClock([&] { return toQDateTime(turn + 0.25); });
    d.intesta.Refresh();
    EXPECT_EQ(d.model->IntestaEta->AsInteger(), 20);
}

TEST_F(DiaryTest, NewDayAt2359GetsThatDateAtMidnight)
{
    setClock([] { return QDateTime(QDate(2024, 3, 5), QTime(23, 59, 30)); });
    Diary d;
    d.setHeight(1.7);
    d.open();
    d.diario.Append();
    EXPECT_EQ(d.model->DiarioData->AsDateTime(), fromQDate(QDate(2024, 3, 5)));
    EXPECT_EQ(d.model->DiarioData->AsString(), "05/03/2024");
    EXPECT_FALSE(d.diario.Modified());
}

TEST_F(DiaryTest, FieldsAreInTheTablesOrder)
{
    Diary d;
    QStringList intesta;
    for (TField *f : d.intesta.Fields()) intesta << f->FieldName;
    EXPECT_EQ(intesta.join(','), "Nome,Data_Nascita,Altezza,Eta,fascia,Terapia,Data_terapia");
    QStringList diario;
    for (TField *f : d.diario.Fields()) diario << f->FieldName;
    EXPECT_EQ(diario.mid(16).join(','), "MIN,MAX,BMI,IRC1,IRC2,IRCX,IBMI,S_BMI,S_PRE,PRESS,PULS");
    EXPECT_EQ(d.window.findChild<TField *>("DiarioS_PRE"), d.model->DiarioS_PRE);
}

TEST_F(DiaryTest, FieldTextConversions)
{
    Diary d;
    d.setHeight(1.80);
    d.addDay({80}, {120}, 72.6);
    d.open();
    TDiaryModel &m = *d.model;
    m.DiarioPeso->SetDisplayFormat("#");
    EXPECT_EQ(m.DiarioPeso->DisplayText(), "73");
    EXPECT_EQ(m.DiarioPeso->AsString(), "72,6");
    d.diario.Edit();
    struct Bad
    {
        TField *field;
        const char *text;
        const char *message;
    } bad[] = {
        {m.DiarioSX_MAX_1, "12a", "'12a' is not a valid integer value for field 'SX_MAX_1'"},
        {m.DiarioSX_MAX_1, "1.800", "'1.800' is not a valid integer value for field 'SX_MAX_1'"},
        {m.DiarioPeso, "72.500", "'72.500' is not a valid floating point value for field 'Peso'"},
        {m.DiarioPeso, "abc", "'abc' is not a valid floating point value for field 'Peso'"},
    };
    for (const Bad &b : bad) {
        SCOPED_TRACE(b.text);
        try {
            b.field->SetText(b.text);
            ADD_FAILURE() << "accepted";
        } catch (const EDatabaseError &e) {
            EXPECT_EQ(e.message().toStdString(), b.message);
        }
    }
    m.DiarioPeso->SetText("72,5");
    EXPECT_EQ(m.DiarioPeso->AsFloat(), 72.5);
    m.DiarioPeso->SetText("");
    EXPECT_TRUE(m.DiarioPeso->IsNull());
    m.DiarioPeso->SetAsFloat(0);
    EXPECT_EQ(m.DiarioPeso->DisplayText(), "");
}

TEST_F(DiaryTest, SearchMatchesTheRowTextCaseSensitively)
{
    Diary d;
    d.setHeight(1.60);
    // id 1: Normale; 2: Normale - alta; 3: Ottimale with "normale" in a note;
    // 4: obese; 5: SX_MIN_1 80 and SX_MAX_1 125 as neighbours.
    d.addDay({80}, {125});
    d.addDay({85}, {135});
    d.addDay({70}, {110});
    d.addDay({70}, {110}, 95.0);
    QList<QVariant> v(16);
    v[1] = 45001.0;
    v[15] = QStringLiteral("pressione normale");
    v[2] = 70;
    v[3] = 110;
    d.diario.addRow(v);
    d.open();
    d.diario.SetFiltered(true);
    struct Case
    {
        QString search;
        QList<int> ids;
    } cases[] = {
        {"Normale", {1, 2}},
        {"Obesità", {4}},
        {"80 125", {1}},
        {"normale", {5}},
        {"15/03/2023", {1, 2, 3, 4}},
        {"", {1, 2, 3, 4, 5}},
        {"nothing like this", {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.search.toStdString());
        d.model->SearchText = c.search;
        QList<int> ids;
        for (d.diario.First(); !d.diario.Eof(); d.diario.Next()) ids << d.model->DiarioID_Diario->AsInteger();
        EXPECT_EQ(ids, c.ids);
    }
}

TEST_F(DiaryTest, PeriodTestHasInclusiveAndOptionalBounds)
{
    const TDateTime day = fromQDate(QDate(2024, 3, 5));
    struct Case
    {
        const char *name;
        TDateTime from, to;
        bool in;
    } cases[] = {
        {"no bounds", 0, 0, true},
        {"from the day", day, 0, true},
        {"to the day", 0, day, true},
        {"the day only", day, day, true},
        {"after", day + 1, 0, false},
        {"before", 0, day - 1, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(TDiaryModel::InPeriod(day, c.from, c.to), c.in);
    }
}

TEST_F(DiaryTest, PrintFilterIgnoresTheSearchText)
{
    Diary d;
    d.setHeight(1.60);
    d.addDay({80}, {125});
    d.open();
    d.diario.SetFiltered(true);
    d.model->SearchText = "no such text";
    d.model->PrintFilterActive = true;
    d.diario.First();
    EXPECT_FALSE(d.diario.IsEmpty());
    d.model->PeriodFrom = 45001;
    d.diario.First();
    EXPECT_TRUE(d.diario.IsEmpty());
}

} // namespace
