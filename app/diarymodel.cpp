#include "app/diarymodel.h"
#include "core/datetime.h"
#include "core/numformat.h"

#include <cmath>

double AverageOfNonZero(double a, double b, double c, double d)
{
    double sum = 0;
    int count = 0;
    for (double v : {a, b, c, d}) {
        if (v != 0) {
            sum += v;
            ++count;
        }
    }
    if (count == 0) return 0;
    return std::trunc(sum / count);
}

namespace DiaryRules {

// A weight and height that give a boundary value exactly (1.60 m, 64 kg is 25.0)
// come out of the division a hair below it; the tolerance keeps such a day in
// the class a person would compute by hand.
constexpr double kClassTolerance = 1e-9;

int bodyMassClass(double bmi)
{
    if (bmi == 0) return 0;
    const double limits[] = {18.5, 25, 30, 35, 40};
    for (int i = 0; i < 5; ++i)
        if (bmi < limits[i] - kClassTolerance) return i + 1;
    return 6;
}

QString bodyMassText(int cls)
{
    static const char *const texts[] = {"",
                                        ": Sottopeso",
                                        ": Normopeso",
                                        ": Sovrappeso",
                                        ": Obesità di primo grado",
                                        ": Obesità di secondo grado",
                                        ": Obesità grave"};
    return cls >= 0 && cls <= 6 ? QString::fromUtf8(texts[cls]) : QString();
}

namespace {
// First class whose upper bound (inclusive) holds the value; 0 outside 0..999.
int classOf(double value, const int (&upper)[7])
{
    if (value == 0 || value < 0 || value > 999) return 0;
    for (int i = 0; i < 7; ++i)
        if (value <= upper[i]) return i + 1;
    return 0;
}
} // namespace

int diastolicClass(double min)
{
    static const int upper[7] = {79, 84, 89, 94, 99, 109, 999};
    return classOf(min, upper);
}

int systolicClass(double max)
{
    static const int upper[7] = {119, 129, 139, 149, 159, 179, 999};
    return classOf(max, upper);
}

int combinedClass(int diastolic, int systolic)
{
    int result = std::max(diastolic, systolic);
    if (diastolic <= 3 && systolic == 4) result = 8;
    if (diastolic <= 3 && systolic > 4) result = 9;
    return result;
}

QString pressureText(int cls)
{
    static const char *const texts[] = {"",
                                        " : Ottimale",
                                        " : Normale",
                                        " : Normale - alta",
                                        " : Ipertensione di Grado 1 borderline",
                                        " : Ipertensione di Grado 1 lieve",
                                        " : Ipertensione di Grado 2 moderata",
                                        " : Ipertensione di Grado 3 grave",
                                        " : Ipertensione sistolica isolata borderline",
                                        " : Ipertensione sistolica isolata"};
    return cls >= 0 && cls <= 9 ? QString::fromUtf8(texts[cls]) : QString();
}

int ageBand(int age)
{
    if (age < 0 || age >= 60) return 10;
    if (age < 20) return 1;
    return (age - 20) / 5 + 2;
}

} // namespace DiaryRules

namespace {
template <typename F>
F *makeField(QObject *owner, TDataSet *table, const QString &tableName, const QString &name,
             TFieldKind kind = TFieldKind::fkData)
{
    auto *f = new F(owner);
    f->setObjectName(tableName + name);
    f->FieldName = name;
    f->FieldKind = kind;
    f->SetDataSet(table);
    return f;
}

QString plainNumber(double v)
{
    // Averages are whole numbers: show them without a decimal separator. The
    // integer path is the common one and much cheaper than the shortest-form one.
    if (v == std::trunc(v) && std::fabs(v) < 1e15) return QString::number(qint64(v));
    return QString::number(v, 'g', 15);
}
} // namespace

TDiaryModel::TDiaryModel(QObject *owner, TDataSet *diario, TDataSet *intesta)
    : QObject(owner), m_diario(diario), m_intesta(intesta)
{
    setObjectName(QStringLiteral("DiaryModel"));
    const QString d = QStringLiteral("Diario");
    const auto calc = TFieldKind::fkCalculated;

    DiarioID_Diario = makeField<TAutoIncField>(owner, diario, d, "ID_Diario");
    DiarioData = makeField<TDateTimeField>(owner, diario, d, "Data");
    DiarioSX_MIN_1 = makeField<TIntegerField>(owner, diario, d, "SX_MIN_1");
    DiarioSX_MAX_1 = makeField<TIntegerField>(owner, diario, d, "SX_MAX_1");
    DiarioSX_PULS_1 = makeField<TIntegerField>(owner, diario, d, "SX_PULS_1");
    DiarioDX_MIN_1 = makeField<TIntegerField>(owner, diario, d, "DX_MIN_1");
    DiarioDX_MAX_1 = makeField<TIntegerField>(owner, diario, d, "DX_MAX_1");
    DiarioDX_PULS_1 = makeField<TIntegerField>(owner, diario, d, "DX_PULS_1");
    DiarioSX_MIN_2 = makeField<TIntegerField>(owner, diario, d, "SX_MIN_2");
    DiarioSX_MAX_2 = makeField<TIntegerField>(owner, diario, d, "SX_MAX_2");
    DiarioSX_PULS_2 = makeField<TIntegerField>(owner, diario, d, "SX_PULS_2");
    DiarioDX_MIN_2 = makeField<TIntegerField>(owner, diario, d, "DX_MIN_2");
    DiarioDX_MAX_2 = makeField<TIntegerField>(owner, diario, d, "DX_MAX_2");
    DiarioDX_PULS_2 = makeField<TIntegerField>(owner, diario, d, "DX_PULS_2");
    DiarioPeso = makeField<TFloatField>(owner, diario, d, "Peso");
    DiarioNote = makeField<TMemoField>(owner, diario, d, "Note");

    DiarioMIN = makeField<TFloatField>(owner, diario, d, "MIN", calc);
    DiarioMAX = makeField<TFloatField>(owner, diario, d, "MAX", calc);
    DiarioBMI = makeField<TFloatField>(owner, diario, d, "BMI", calc);
    DiarioIRC1 = makeField<TIntegerField>(owner, diario, d, "IRC1", calc);
    DiarioIRC2 = makeField<TIntegerField>(owner, diario, d, "IRC2", calc);
    DiarioIRCX = makeField<TIntegerField>(owner, diario, d, "IRCX", calc);
    DiarioIBMI = makeField<TIntegerField>(owner, diario, d, "IBMI", calc);
    DiarioS_BMI = makeField<TStringField>(owner, diario, d, "S_BMI", calc);
    DiarioS_BMI->Size = 50;
    DiarioS_PRE = makeField<TStringField>(owner, diario, d, "S_PRE", calc);
    DiarioS_PRE->Size = 60;
    DiarioS_PRE->SetDisplayWidth(60);
    DiarioPRESS = makeField<TStringField>(owner, diario, d, "PRESS", calc);
    DiarioPRESS->Size = 10;
    DiarioPULS = makeField<TFloatField>(owner, diario, d, "PULS", calc);
    for (TField *f : {static_cast<TField *>(DiarioMIN), static_cast<TField *>(DiarioMAX),
                      static_cast<TField *>(DiarioBMI), static_cast<TField *>(DiarioIRC1),
                      static_cast<TField *>(DiarioIRC2), static_cast<TField *>(DiarioIRCX),
                      static_cast<TField *>(DiarioIBMI)})
        f->SetDisplayFormat(QStringLiteral("#"));

    const QString i = QStringLiteral("Intesta");
    IntestaNome = makeField<TStringField>(owner, intesta, i, "Nome");
    IntestaNome->Size = 255;
    IntestaData_Nascita = makeField<TDateTimeField>(owner, intesta, i, "Data_Nascita");
    IntestaAltezza = makeField<TFloatField>(owner, intesta, i, "Altezza");
    IntestaEta = makeField<TIntegerField>(owner, intesta, i, "Eta", calc);
    IntestaFascia = makeField<TIntegerField>(owner, intesta, i, "fascia", calc);
    IntestaTerapia = makeField<TMemoField>(owner, intesta, i, "Terapia");
    IntestaData_terapia = makeField<TDateTimeField>(owner, intesta, i, "Data_terapia");
}

void TDiaryModel::attach()
{
    m_diario->OnCalcFields = [this](TDataSet *ds) { DiarioCalcFields(ds); };
    m_diario->OnNewRecord = [this](TDataSet *ds) { DiarioNewRecord(ds); };
    m_diario->OnFilterRecord = [this](TDataSet *ds, bool &accept) { DiarioFilterRecord(ds, accept); };
    m_intesta->OnCalcFields = [this](TDataSet *ds) { IntestaCalcFields(ds); };
}

void TDiaryModel::DiarioCalcFields(TDataSet *)
{
    using namespace DiaryRules;

    // The header may still be closed at start-up: its height then reads as 0.
    const double height = IntestaAltezza->AsFloat();
    const double weight = DiarioPeso->AsFloat();
    const double bmi = (height != 0 && weight != 0) ? weight / (height * height) : 0;
    DiarioBMI->SetAsFloat(bmi);

    const int ibmi = bodyMassClass(bmi);
    DiarioIBMI->SetAsInteger(ibmi);
    DiarioS_BMI->SetAsString(ibmi == 0 ? QString() : formatFloat(QStringLiteral("00.0"), bmi) + bodyMassText(ibmi));

    auto avg = [](TIntegerField *a, TIntegerField *b, TIntegerField *c, TIntegerField *d) {
        return AverageOfNonZero(a->AsInteger(), b->AsInteger(), c->AsInteger(), d->AsInteger());
    };
    const double min = avg(DiarioSX_MIN_1, DiarioSX_MIN_2, DiarioDX_MIN_1, DiarioDX_MIN_2);
    const double max = avg(DiarioSX_MAX_1, DiarioSX_MAX_2, DiarioDX_MAX_1, DiarioDX_MAX_2);
    const double puls = avg(DiarioSX_PULS_1, DiarioSX_PULS_2, DiarioDX_PULS_1, DiarioDX_PULS_2);
    DiarioMIN->SetAsFloat(min);
    DiarioMAX->SetAsFloat(max);
    DiarioPULS->SetAsFloat(puls);

    const int irc1 = diastolicClass(min);
    const int irc2 = systolicClass(max);
    if (irc1 != 0) DiarioIRC1->SetAsInteger(irc1);
    if (irc2 != 0) DiarioIRC2->SetAsInteger(irc2);
    const int ircx = combinedClass(DiarioIRC1->AsInteger(), DiarioIRC2->AsInteger());
    DiarioIRCX->SetAsInteger(ircx);

    DiarioPRESS->SetAsString(min != 0 ? plainNumber(max) + QStringLiteral(" / ") + plainNumber(min) : QString());
    DiarioS_PRE->SetAsString(ircx == 0 ? QString() : DiarioPRESS->AsString() + pressureText(ircx));
}

void TDiaryModel::IntestaCalcFields(TDataSet *)
{
    const double years = (now() - IntestaData_Nascita->AsDateTime()) / 365.25;
    const int eta = int(std::trunc(years));
    IntestaEta->SetAsInteger(eta);
    IntestaFascia->SetAsInteger(DiaryRules::ageBand(eta));
}

void TDiaryModel::DiarioNewRecord(TDataSet *)
{
    DiarioData->SetAsDateTime(std::trunc(now()));
}

QString TDiaryModel::RowSearchText() const
{
    // AsString is each kind's plain text: short date (and time when not midnight),
    // decimal integers, floats in full with the locale's separator, memos whole.
    QString row;
    for (const TField *f : m_diario->Fields()) {
        row += QLatin1Char(' ');
        row += f->AsString();
    }
    return row;
}

bool TDiaryModel::MatchesSearch(const QString &text) const
{
    return text.isEmpty() || RowSearchText().contains(text, Qt::CaseSensitive);
}

bool TDiaryModel::InPeriod(TDateTime day, TDateTime from, TDateTime to)
{
    if (from != 0 && day < from) return false;
    if (to != 0 && day > to) return false;
    return true;
}

void TDiaryModel::DiarioFilterRecord(TDataSet *, bool &Accept)
{
    if (PrintFilterActive) Accept = InPeriod(DiarioData->AsDateTime(), PeriodFrom, PeriodTo);
    else Accept = MatchesSearch(SearchText);
}
