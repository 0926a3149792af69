// The evaluator, the name resolver, the built-in functions and the aggregates,
// as tables of cases. The fixture is a stand-in main window "frm_main" owning
// a diary-like table `Diario` and the report, as the program has them.

#include "report/frband.h"
#include "report/frbuildstate.h"
#include "report/frdbdataset.h"
#include "report/frdisplayformat.h"
#include "report/frexpr.h"
#include "report/frfunctionlibrary.h"
#include "report/frmemoview.h"
#include "report/frnumbertoletter.h"
#include "report/frpage.h"
#include "report/frregistry.h"
#include "report/frreport.h"
#include "report/frresolver.h"

#include "core/formatsettings.h"
#include "tests/data/memorydataset.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>
#include <memory>

namespace {
TfrVariant F(double v) { return TfrVariant::fromFloat(v); }
TfrVariant I(qint64 v) { return TfrVariant::fromInt(v); }
TfrVariant S(const char *v) { return TfrVariant::fromString(QString::fromUtf8(v)); }
TfrVariant DT(double v) { return TfrVariant::fromDateTime(v); }
TfrVariant C(double v) { return TfrVariant::fromCurrency(v); }

std::string show(const TfrVariant &v)
{
    if (v.isEmptyOrNull()) return v.typeName().toStdString();
    if (v.isString()) return "string:" + v.stringValue().toStdString();
    return (v.typeName() + QLatin1Char(':') + QString::number(v.toFloat(), 'g', 17)).toStdString();
}

const QString Preparation = QStringLiteral("Si è verificato un errore durante la fase di preparazione\r");

class ExprTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TFormatSettings it;
        ASSERT_TRUE(TFormatSettings::forLocale("it_IT", it));
        TFormatSettings::setCurrent(it);
        TfrBuildState::instance().reset();
        TfrExpr::instance().ParserSilentMode = false;

        form.setObjectName("frm_main");
        frRegistry::registerOwner(&form);
        diario = new TMemoryDataSet(&form);
        diario->setObjectName("Diario");
        diario->addColumn("Data", ftDateTime);
        diario->addColumn("Peso", ftFloat);
        diario->addColumn("Note", ftString, 40);
        diario->addColumn("MAX", ftInteger);
        diario->addRow({36526.0, 72.5, "prima", 120});
        diario->addRow({36527.0, QVariant(), QVariant(), 130});
        diario->addRow({36528.0, 70.0, "terza", 110});
        diario->Open();
        report = new TfrReport(&form);
        report->setObjectName("frReport1");
        frSetCurrentReport(report);
    }

    void TearDown() override
    {
        TfrBuildState::instance().reset();
        if (report && report->Pages.Count() > 0)
            std::fill(std::begin(report->Pages[0]->Bands), std::end(report->Pages[0]->Bands), nullptr);
        frRegistry::unregisterOwner(&form);
    }

    // A page whose master data band walks `Diario`, with the current object in `bandType`.
    void enterBand(int bandType)
    {
        page = report->Pages[0];
        std::fill(std::begin(page->Bands), std::end(page->Bands), nullptr);
        master = std::make_unique<TfrBand>(frBand::MasterData, page);
        dbset = std::make_unique<TfrDBDataSet>();
        dbset->SetDataSet(diario);
        master->DataSet = dbset.get();
        page->Bands[frBand::MasterData] = master.get();
        current = bandType == frBand::MasterData ? nullptr : std::make_unique<TfrBand>(bandType, page);
        memo.Name = "Memo1";
        memo.ParentBand = current ? current.get() : master.get();
        TfrBuildState &st = TfrBuildState::instance();
        st.CurPage = page;
        st.CurBand = memo.ParentBand;
        st.CurView = &memo;
    }

    // The value, or the message the program would show: BuildError when set.
    struct Outcome
    {
        TfrVariant value;
        QString error;
    };
    Outcome run(const QString &expr)
    {
        frClearBuildError();
        Outcome o;
        try {
            o.value = TfrExpr::instance().Evaluate(expr);
        } catch (const Exception &e) {
            o.error = e.message();
        }
        if (frBuildErrorSet()) o.error = frBuildErrorText();
        return o;
    }

    QObject form;
    TMemoryDataSet *diario = nullptr;
    TfrReport *report = nullptr;
    TfrPage *page = nullptr;   // the report's first page
    std::unique_ptr<TfrBand> master, current;
    std::unique_ptr<TfrDBDataSet> dbset;
    TfrMemoView memo;
};

struct ValueCase
{
    const char *name;
    const char *expr;
    TfrVariant expected;
};

class ExprValues : public ExprTest, public ::testing::WithParamInterface<ValueCase>
{
};

TEST_P(ExprValues, Evaluates)
{
    const ValueCase &c = GetParam();
    const Outcome o = run(QString::fromUtf8(c.expr));
    EXPECT_EQ(o.error.toStdString(), "") << c.expr;
    EXPECT_EQ(show(o.value), show(c.expected)) << c.expr;
}

const ValueCase operatorCases[] = {
    {"PriorityMulOverAdd", "2 + 3 * 4", F(14)},
    {"Parentheses", "(2 + 3) * 4", F(20)},
    {"RunAfterLowerGroupsFromRight", "1 + 8 / 4 / 2", F(5)},
    {"RunBeforeLowerGroupsFromLeft", "8 / 4 / 2 + 1", F(2)},
    {"SubtractionLeftToRight", "10 - 3 - 2", F(5)},
    {"LowerAfterHigherEndsTheRun", "2 - 3 * 4 + 1", F(-9)},
    {"LongProductAfterSum", "1 + 2 * 3 * 4 * 5", F(121)},
    {"ComparisonBelowArithmetic", "1 = 2 + 3 * 4 - 13", I(1)},
    {"Greater", "3 > 2", I(1)},
    {"GreaterOrEqualFalse", "2 >= 3", I(0)},
    {"LessOrEqual", "2 <= 2", I(1)},
    {"NotEqualStrings", "'a' <> 'b'", I(1)},
    {"EqualStrings", "'abc' = 'abc'", I(1)},
    {"StringOrder", "'a' < 'b'", I(1)},
    {"StringAgainstNumberText", "'5' = 5", I(1)},
    {"NotZero", "NOT 0", I(1)},
    {"NotOne", "NOT 1", I(0)},
    {"NotTwoIsNotTrue", "not 2", I(0)},
    {"NotBeforeParenthesis", "NOT(0)", I(1)},
    {"LeadingMinusIsZeroMinus", "-5 + 2", F(-3)},
    {"LeadingPlus", "+5", F(5)},
    {"DoubledQuoteInLiteral", "'It''s'", S("It's")},
    {"Concatenation", "'a' + 'b'", S("ab")},
    {"NumberPlusNumericText", "1 + '2,5'", F(3.5)},
    {"PowerIsExactForIntegers", "2 ^ 3", F(8)},
    {"ModIsInteger", "7 MOD 3", I(1)},
    {"DivIsInteger", "7 div 2", I(3)},
    {"BitwiseAnd", "6 AND 3", I(2)},
    {"BitwiseOr", "4 OR 1", I(5)},
    {"DotIsTheDecimalPoint", "1.5 * 2", F(3)},
    {"EmptyIsNull", "", TfrVariant::null()},
    {"ParenthesisInsideQuotesIgnored", "'(' + 'x'", S("(x")},
    {"BracketedName", "[PI] * 2", F(2 * 3.1415926535897932385)},
    {"Pi", "pi", F(3.1415926535897932385)},
};
INSTANTIATE_TEST_SUITE_P(Operators, ExprValues, ::testing::ValuesIn(operatorCases),
                         [](const auto &info) { return std::string(info.param.name); });

const ValueCase functionCases[] = {
    {"IfTrue", "IF(2 = 2, 'a', 'b')", S("a")},
    {"IfConditionTwoTakesElse", "IF(2, 'a', 'b')", S("b")},
    {"IfOnlyOneBranchEvaluated", "IF(1, 'a', nosuchname)", S("a")},
    {"Copy", "COPY('abcdef', 2, 3)", S("bcd")},
    {"CopyPastEnd", "COPY('abc', 2, 10)", S("bc")},
    {"CopyStartBelowOne", "COPY('abc', 0, 2)", S("ab")},
    {"Pos", "POS('c', 'abc')", I(3)},
    {"PosAbsent", "POS('z', 'abc')", I(0)},
    {"FillStr", "FILLSTR(3, 'ab')", S("ababab")},
    {"CeilNegative", "CEIL(-1.5)", I(-1)},
    {"CeilPositive", "CEIL(1.2)", I(2)},
    {"FloorNegative", "FLOOR(-1.5)", I(-2)},
    {"FloorWhole", "FLOOR(3)", I(3)},
    {"RoundTieToEvenDown", "ROUND(2.5)", I(2)},
    {"RoundTieToEvenUp", "ROUND(3.5)", I(4)},
    {"RoundNegativeTie", "ROUND(0 - 2.5)", I(-2)},
    {"Trunc", "TRUNC(0 - 2.7)", I(-2)},
    {"Int", "INT(2.7)", F(2)},
    {"Frac", "FRAC(2.5)", F(0.5)},
    {"Abs", "ABS(0 - 3)", F(3)},
    {"Sqr", "SQR(3)", F(9)},
    {"Sqrt", "SQRT(16)", F(4)},
    {"Power", "POWER(2, 10)", F(1024)},
    {"Exp", "EXP(0)", F(1)},
    {"Ln", "LN(1)", F(0)},
    {"ArcTan", "ARCTAN(0)", F(0)},
    {"Length", "LENGTH('abc')", I(3)},
    {"StrUsesLocaleSeparator", "STR(2.5)", S("2,5")},
    {"Val", "VAL('2,5')", F(2.5)},
    {"UpperCaseAsciiOnly", "UPPERCASE('àbc')", S("àBC")},
    {"LowerCaseReallyLowers", "LOWERCASE('ABC')", S("abc")},
    {"NameCase", "NAMECASE('mARIO rossi')", S("Mario rossi")},
    {"PhraseCase", "PHRASECASE('alfa beta-gamma')", S("Alfa Beta-Gamma")},
    {"StrToDate", "STRTODATE('01/01/2000')", DT(36526)},
    {"StrToTime", "STRTOTIME('12:00:00')", DT(0.5)},
    {"FormatFloat", "FORMATFLOAT('0.00', 2.5)", S("2,50")},
    {"FormatDateTime", "FORMATDATETIME('dd/mm/yyyy', 36526)", S("01/01/2000")},
    {"NestedFunctions", "UPPERCASE(COPY('abcdef', POS('c', 'abc'), 2))", S("CD")},
    {"ArgumentWithCommaInQuotes", "LENGTH('a,b')", I(3)},
    {"MoneyToEuro", "MONEYTOEURO(1936.27)", S("€ 1,00")},
    {"MoneyToEuroRounds", "MONEYTOEURO(1000000)", S("€ 516,46")},
    {"EuroGroupsThousands", "EURO(1234.5)", S("€ 1.234,50")},
    {"EuroToMoneyVal", "EUROTOMONEYVAL(1)", C(1936.27)},
    {"MoneyToEuroVal", "MONEYTOEUROVAL(3872.54)", F(2)},
    {"MoneyNegative", "MONEY(0 - 5)", S("€ -5,00")},
    {"EuroToMoney", "EUROTOMONEY(1)", S("€ 1.936,27")},
    {"NumberToLetter", "NUMBERTOLETTER(21)", S("ventuno")},
};
INSTANTIATE_TEST_SUITE_P(Functions, ExprValues, ::testing::ValuesIn(functionCases),
                         [](const auto &info) { return std::string(info.param.name); });

struct ErrorCase
{
    const char *name;
    const char *expr;
    const char *message;
};

class ExprErrors : public ExprTest, public ::testing::WithParamInterface<ErrorCase>
{
};

TEST_P(ExprErrors, FailsWithMessage)
{
    const ErrorCase &c = GetParam();
    const Outcome o = run(QString::fromUtf8(c.expr));
    EXPECT_EQ(o.error.toStdString(), QString::fromUtf8(c.message).replace("$P", Preparation).toStdString()) << c.expr;
}

const ErrorCase errorCases[] = {
    {"UnbalancedOpen", "(1 + 2", "Numero errato di parentesi nell'espressione : "},
    {"UnbalancedAfterQuotedParenthesis", "')' + (1", "Numero errato di parentesi nell'espressione : "},
    {"UnknownName", "1 + foo", "Identificatore sconosciuto: 1 + foo"},
    {"UnclosedBracket", "[PI", "Identificatore sconosciuto: [PI"},
    {"NumberPlusText", "1 + 'a'", "Tipo di dati incompatibili nell'espressione: 1 + 'a'"},
    {"NotOfText", "NOT 'a'", "Tipo di dati incompatibili nell'espressione: NOT 'a'"},
    {"DivideByZero", "1 / 0", "Divisione per zero nell'espressione: 1 / 0"},
    {"ModByZero", "5 MOD 0", "Divisione per zero nell'espressione: 5 MOD 0"},
    {"DivByZero", "5 DIV 0", "Divisione per zero nell'espressione: 5 DIV 0"},
    {"PowerOfNegative", "(0 - 2) ^ 0.5", "Operazione non valida nell'espressione: (0 - 2) ^ 0.5"},
    {"FillStrWithEmptyFirstArgument", "FILLSTR(, 'ab')",
     "$PE' stato inserito un numero di parametri errato per la funzione : FILLSTR"},
    {"TooManyArguments", "copy('a', 1, 1, 1)", "$PE' stato inserito un numero di parametri errato per la funzione : COPY"},
    {"LnOfZero", "LN(0)", "$PTipi di parametri errati nella funzione: LN (0)"},
    {"SqrtOfNegative", "SQRT(0 - 1)", "$PTipi di parametri errati nella funzione: SQRT (0 - 1)"},
    {"ValOfText", "VAL('abc')", "$PTipi di parametri errati nella funzione: VAL ('abc')"},
    {"RoundOfHugeValue", "ROUND(10000000000)", "$PTipi di parametri errati nella funzione: ROUND (10000000000)"},
    {"ArgumentNamesUnknown", "LENGTH(nope)", "$PTipi di parametri errati nella funzione: LENGTH (nope)"},
    {"FillStrTooLong", "FILLSTR(1000000000, 'ab')",
     "$PTipi di parametri errati nella funzione: FILLSTR (1000000000,'ab')"},
    {"CountOfNoDataset", "COUNT(nothing)", "$PFormato parametri non valido nella funzione : COUNT"},
    {"SumOutsideBands", "SUM(1)", "$PNon è possibile inserire in una banda non abilitata la funzione statistica : SUM"},
    {"UnknownFunction", "NOFUNC(1)", "Identificatore sconosciuto: NOFUNC(1)"},
};
INSTANTIATE_TEST_SUITE_P(Errors, ExprErrors, ::testing::ValuesIn(errorCases),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(ExprTest, FirstBuildErrorWinsAndStopsResolving)
{
    EXPECT_FALSE(run("LN(0)").error.isEmpty());
    try {
        TfrExpr::instance().Evaluate("SQRT(0 - 1)");
    } catch (const Exception &) {
    }
    EXPECT_EQ(frBuildErrorText(), Preparation + "Tipi di parametri errati nella funzione: LN (0)");
    // While the error is set, names resolve to nothing.
    EXPECT_TRUE(TfrExpr::instance().Resolve("PI").isEmpty());
}

TEST_F(ExprTest, BuildErrorNamesObjectBandAndPage)
{
    report->Pages.Add();
    enterBand(frBand::PageHeader);
    TfrBuildState::instance().CurPage = report->Pages[1];
    frSetBuildError("Errore. boom");
    EXPECT_EQ(frBuildErrorText(), Preparation + "Errore. boom\rOggetto: Memo1\rBanda: Instestazione pagina\rPagina: 2");
    EXPECT_TRUE(report->Terminated);
    // An object of another band is not named.
    frClearBuildError();
    memo.ParentBand = nullptr;
    frSetBuildError(QString());
    EXPECT_EQ(frBuildErrorText(), "Si è verificato un errore durante la fase di preparazione\rBanda: Instestazione pagina\rPagina: 2");
}

TEST_F(ExprTest, SilentModeGivesZeroForTypeErrors)
{
    TfrExpr::instance().ParserSilentMode = true;
    const Outcome o = run("1 + 'a'");
    TfrExpr::instance().ParserSilentMode = false;
    EXPECT_EQ(show(o.value), show(I(0)));
    EXPECT_EQ(TfrExpr::instance().SilentError, "Tipo di dati incompatibili nell'espressione: 1 + 'a'");
}

TEST_F(ExprTest, NestingIsBounded)
{
    const QString deep = QString(200, '(') + "1" + QString(200, ')');
    EXPECT_TRUE(run(deep).error.startsWith("Espressione troppo complessa: "));
    TfrValue *self = report->Values.Objects(report->Values.AddValue("Loop"));
    self->ValueKind = TfrValue::Other;
    self->ValueSubKind = TfrValue::Expression;
    self->Field = "[Loop] + 1";
    EXPECT_TRUE(run("[Loop]").error.startsWith("Espressione troppo complessa: ")) << run("[Loop]").error.toStdString();
    EXPECT_EQ(show(run("(((1)))").value), show(F(1)));
}

TEST(NumberToLetter, ItalianWords)
{
    const struct
    {
        double value;
        const char *words;
    } cases[] = {
        {21, "ventuno"}, {128, "centoventotto"}, {2001, "duemilauno"}, {1000000, "unmilione"}, {0, "zero"},
        {-3.5, "meno tre virgola cinque"}, {1.05, "uno virgola cinque"}, {11, "undici"}, {18, "diciotto"},
        {100, "cento"}, {118, "centodiciotto"}, {1000, "mille"}, {1998, "millenovecentonovantotto"},
        {31, "trentuno"}, {2000000, "duemilioni"}, {1000001, "unmilioneuno"}, {-12.5, "meno dodici virgola cinque"},
        {1000000000, "unmiliardo"}, {300000, "trecentomila"}, {12.3456, "dodici virgola tremilaquattrocentocinquantasei"},
        // The engine reads a leading "1" group only when it stands alone: kept as it prints.
        {1001000, "unmilioneunomila"},
    };
    for (const auto &c : cases) EXPECT_EQ(frNumberToLetter(c.value).toStdString(), c.words) << c.value;
    // A deliberately wrong expectation proves the comparison can fail.
    EXPECT_NE(frNumberToLetter(22).toStdString(), "ventuno");
    EXPECT_THROW(frNumberToLetter(1e16), EConvertError);
}

TEST_F(ExprTest, FieldsResolveByTheLookupRules)
{
    diario->First();
    EXPECT_EQ(show(run("[Diario.Peso]").value), show(F(72.5)));
    EXPECT_EQ(show(run("Diario.\"Peso\" + 1").value), show(F(73.5)));
    EXPECT_EQ(show(run("[frm_main.Diario.Note]").value), show(S("prima")));
    // Without a band, a bare field name has no dataset behind it.
    EXPECT_EQ(run("Peso").error, "Identificatore sconosciuto: Peso");
    enterBand(frBand::MasterData);
    EXPECT_EQ(show(run("[Peso] * 2").value), show(F(145)));
    EXPECT_EQ(show(run("[\"Peso\"]").value), show(F(72.5)));
    EXPECT_EQ(show(run("Diario").value), show(S("Diario")));
    EXPECT_EQ(show(run("frm_main.Diario").value), show(S("frm_main.Diario")));
    EXPECT_EQ(show(run("COUNT(frm_main.Diario)").value), show(I(3)));
    diario->Next();
    // Null fields read as 0 or the empty text.
    EXPECT_EQ(show(run("[Peso]").value), show(F(0)));
    EXPECT_EQ(show(run("[Note]").value), show(S("")));
    // A detail band has no detail data band on this page.
    enterBand(frBand::DetailData);
    EXPECT_EQ(run("Peso").error, "Identificatore sconosciuto: Peso");
}

TEST_F(ExprTest, ValuesAndSystemVariables)
{
    diario->First();
    const auto add = [&](const char *name, int kind, int subKind, const char *dset, const char *field) {
        TfrValue *v = report->Values.Objects(report->Values.AddValue(name));
        v->ValueKind = kind;
        v->ValueSubKind = subKind;
        v->DSet = dset;
        v->Field = field;
    };
    add("Nulla", TfrValue::NotAssigned, 0, "", "");
    add("Massa", TfrValue::DBField, 0, "Diario", "Peso");
    add("Doppio", TfrValue::Other, TfrValue::Expression, "", "[Massa] * 2");
    add("Pagina", TfrValue::Other, TfrValue::PageNumber, "", "");
    add("Righe", TfrValue::Other, TfrValue::LineNumber, "", "");
    enterBand(frBand::MasterData);
    master->LineNo = 4;
    TfrBuildState &st = TfrBuildState::instance();
    st.CurPageNo = 2;
    st.TotalPages = 7;
    st.LastValue = S("ultimo");
    const ValueCase cases[] = {
        {"", "[Nulla]", TfrVariant::null()}, {"", "[massa]", F(72.5)}, {"", "[Doppio]", F(145)},
        {"", "[Pagina]", I(3)}, {"", "[Righe]", I(4)}, {"", "[PAGE#]", I(3)}, {"", "[TOTALPAGES]", I(7)},
        {"", "[LINE#]", I(4)}, {"", "[Valore]", S("ultimo")}, {"", "[VALUE]", S("ultimo")},
        {"", "[COLUMN#]", I(1)}, {"", "[CURRENT#]", I(1)},
    };
    for (const ValueCase &c : cases) EXPECT_EQ(show(run(c.expr).value), show(c.expected)) << c.expr;
    report->OnGetValue = [](const QString &name, TfrVariant &value) {
        if (name == "Massa") value = S("dall'evento");
    };
    EXPECT_EQ(show(run(" [ Massa ] ").value), show(S("dall'evento")));
}

class Library : public TfrFunctionLibrary
{
public:
    Library() { List = {"DOPPIO", "TRIPLO"}; }
    void DoFunction(int index, const TfrVariant &p1, const TfrVariant &, const TfrVariant &, TfrVariant &val) override
    {
        val = F(p1.toFloat() * (index == 0 ? 2 : 3));
    }
};

TEST_F(ExprTest, LibrariesThenUserFunction)
{
    Library library;
    frRegistry::registerFunctionLibrary(&library);
    QStringList calls;
    report->OnUserFunction = [&](const QString &name, const TfrVariant &p1, const TfrVariant &p2,
                                 const TfrVariant &p3, TfrVariant &val) {
        calls << name;
        if (name == "Mio") val = S((p1.toString() + p2.toString() + (p3.isEmpty() ? "-" : "?")).toUtf8().constData());
    };
    EXPECT_EQ(show(run("triplo(2)").value), show(F(6)));
    EXPECT_EQ(show(run("Mio(1, 'x')").value), show(S("1x-")));
    EXPECT_EQ(run("Altro(1)").error, "Identificatore sconosciuto: Altro(1)");
    EXPECT_EQ(calls, QStringList({"Mio", "Altro"}));
    frRegistry::unregisterFunctionLibrary(&library);
}

TEST_F(ExprTest, AggregatesRegisterAccumulateResetAndRead)
{
    EXPECT_EQ(TfrBand::AggregateKey("sum", "[Peso]", "Memo1", 2), QString("SUM([Peso])Memo1") + QChar(5) + QChar(2));
    enterBand(frBand::MasterFooter);
    TfrBuildState &st = TfrBuildState::instance();
    st.Registering = true;
    for (const char *e : {"SUM([MAX])", "AVG([MAX])", "MIN([MAX])", "MAX([MAX])", "COUNT()"})
        EXPECT_EQ(show(run(e).value), show(I(1))) << e;
    st.Registering = false;
    EXPECT_EQ(master->Aggregates.size(), 4);
    EXPECT_EQ(show(run("MIN([MAX])").value), show(F(1E200)));

    int evaluations = 0;
    const auto evaluate = [&](const QString &text) {
        ++evaluations;
        return TfrExpr::instance().Evaluate(text);
    };
    for (diario->First(); !diario->Eof(); diario->Next()) master->Accumulate(evaluate);
    // Four accumulators over one argument: evaluated once per record.
    EXPECT_EQ(evaluations, 3);
    const ValueCase cases[] = {{"", "SUM([MAX])", F(360)}, {"", "AVG([MAX])", F(120)}, {"", "MIN([MAX])", F(110)},
                               {"", "MAX([MAX])", F(130)}, {"", "COUNT()", I(3)}};
    for (const ValueCase &c : cases) EXPECT_EQ(show(run(c.expr).value), show(c.expected)) << c.expr;
    master->ResetAggregates(0);
    EXPECT_EQ(show(run("SUM([MAX])").value), show(F(0)));
    EXPECT_EQ(show(run("COUNT()").value), show(I(0)));

    // Bands with no data band behind them refuse aggregates.
    enterBand(frBand::PageHeader);
    st.Registering = true;
    EXPECT_EQ(run("SUM(1)").error,
              Preparation + "Non è possibile inserire in una banda non abilitata la funzione statistica : SUM"
                  + "\rOggetto: Memo1\rBanda: Instestazione pagina\rPagina: 1");
    st.Registering = false;
}

TEST_F(ExprTest, ExpandLineFormatsAndNeverReexpands)
{
    diario->First();
    TfrMemoView view;
    view.Name = "Memo7";
    view.DisplayFormat = frFormat::pack(frFormat::Number, 1, 2, ',');
    const struct
    {
        const char *line;
        const char *expanded;
    } cases[] = {
        {"Peso: [Diario.Peso] kg", "Peso: 72,50 kg"},
        {"[COPY('[x]', 1, 3)]", "[x]"},
        {"[[Diario.Peso] + [Diario.Peso]]", "145,00"},
        {"a [1 + 1", "a 2,00"},
        {"senza parentesi", "senza parentesi"},
        {"[ '[PI]' ]", "[PI]"},
    };
    for (const auto &c : cases) {
        frClearBuildError();
        EXPECT_EQ(frExpandLine(c.line, &view).toStdString(), c.expanded) << c.line;
    }
    EXPECT_EQ(show(TfrBuildState::instance().LastValue), show(S("[PI]")));

    diario->Next();   // a Null field prints nothing
    EXPECT_EQ(frExpandLine("<[Diario.Peso]>", &view), "<>");
    EXPECT_TRUE(TfrBuildState::instance().LastValue.isNull());

    bool multi = false;
    frExpandLine("[Diario.Note]", &view, &multi);
    EXPECT_FALSE(multi);
    frClearBuildError();
    frExpandLine("x [nope] y", &view);
    EXPECT_EQ(frBuildErrorText(), Preparation + "Errore. Identificatore sconosciuto: nope");
}

TEST(DisplayFormat, Categories)
{
    TFormatSettings it;
    ASSERT_TRUE(TFormatSettings::forLocale("it_IT", it));
    TFormatSettings::setCurrent(it);
    using namespace frFormat;
    const struct
    {
        TfrVariant value;
        int format;
        const char *formatText;
        const char *text;
    } cases[] = {
        {F(12.5), pack(Number, 1, 2, ','), "", "12,50"},
        {F(12.5), pack(Number, 1, 2, '.'), "", "12.50"},
        {F(1234.5), pack(Number, 3, 2, ','), "", "1.234,50"},
        {F(1234.5), pack(Number, 0, 0, ','), "", "1234,5"},
        {F(2.5), pack(Number, 4, 0, ','), "000.0", "002,5"},
        {S("testo"), pack(Number, 1, 2, ','), "", "testo"},
        {DT(0), pack(Text, 0, 0, ','), "", ""},
        {DT(36526), pack(Text, 0, 0, ','), "", "01/01/2000"},
        {DT(36526.5), pack(Text, 0, 0, ','), "", "01/01/2000 12:00:00"},
        {DT(0.5), pack(Text, 0, 0, ','), "", "12:00:00"},
        {DT(36526), pack(Date, 3, 0, ','), "", "1 gennaio 2000"},
        {DT(0.75), pack(Time, 3, 0, ','), "", "18:00"},
        {I(1), pack(Logical, 1, 0, ','), "", "Si"},
        {I(0), pack(Logical, 1, 0, ','), "", "No"},
        {I(0), pack(Logical, 2, 0, ','), "", " "},
        {I(1), pack(Logical, 2, 0, ','), "", "X"},
        {TfrVariant::null(), pack(Number, 1, 2, ','), "", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(frFormatValue(c.value, c.format, c.formatText).toStdString(), c.text) << show(c.value);
}
} // namespace
