#pragma once
// The diary's own data logic, without widgets: the persistent fields of the
// `Diario` and `Intestazione` tables in their field-list order, and the
// handlers that compute a day's averages, body-mass index and pressure class,
// the person's age and age band, and date a new day. The main window owns one
// of these and attaches it to its two table components; the command-line
// tool does the same with its own tables.

#include "data/dataset.h"
#include "data/fieldtypes.h"

#include <QObject>

// Mean of the non-zero values among the four, truncated toward zero.
double AverageOfNonZero(double a, double b, double c, double d);

class TDiaryModel : public QObject
{
    Q_OBJECT
public:
    // Creates the fields (owned by `owner`, as a window owns its persistent fields)
    // and binds them to the two tables. The tables must be closed.
    TDiaryModel(QObject *owner, TDataSet *diario, TDataSet *intesta);

    // Assigns OnCalcFields and OnNewRecord of the two tables to the handlers below.
    void attach();

    void DiarioCalcFields(TDataSet *DataSet);
    void IntestaCalcFields(TDataSet *DataSet);
    void DiarioNewRecord(TDataSet *DataSet);
    // The row filter: the period test while PrintFilterActive, else the search test.
    void DiarioFilterRecord(TDataSet *DataSet, bool &Accept);

    // What the filter consults; the window keeps these in step with its controls.
    bool PrintFilterActive = false;
    QString SearchText;            // the search edit's text
    TDateTime PeriodFrom = 0;      // 0 is the empty date: no bound
    TDateTime PeriodTo = 0;

    // The row as the search sees it: for each field in field-list order, one
    // space and the field's plain text (stored fields, then calculated ones).
    QString RowSearchText() const;
    // Case-sensitive substring test of the row text; an empty text accepts every row.
    bool MatchesSearch(const QString &text) const;
    static bool InPeriod(TDateTime day, TDateTime from, TDateTime to);

    TDataSet *Diario() const { return m_diario; }
    TDataSet *Intesta() const { return m_intesta; }

    // Diario: stored fields.
    TAutoIncField *DiarioID_Diario;
    TDateTimeField *DiarioData;
    TIntegerField *DiarioSX_MIN_1, *DiarioSX_MAX_1, *DiarioSX_PULS_1;
    TIntegerField *DiarioDX_MIN_1, *DiarioDX_MAX_1, *DiarioDX_PULS_1;
    TIntegerField *DiarioSX_MIN_2, *DiarioSX_MAX_2, *DiarioSX_PULS_2;
    TIntegerField *DiarioDX_MIN_2, *DiarioDX_MAX_2, *DiarioDX_PULS_2;
    TFloatField *DiarioPeso;
    TMemoField *DiarioNote;
    // Diario: calculated fields.
    TFloatField *DiarioMIN, *DiarioMAX, *DiarioBMI;
    TIntegerField *DiarioIRC1, *DiarioIRC2, *DiarioIRCX, *DiarioIBMI;
    TStringField *DiarioS_BMI, *DiarioS_PRE, *DiarioPRESS;
    TFloatField *DiarioPULS;

    // Intestazione.
    TStringField *IntestaNome;
    TDateTimeField *IntestaData_Nascita;
    TFloatField *IntestaAltezza;
    TIntegerField *IntestaEta, *IntestaFascia;
    TMemoField *IntestaTerapia;
    TDateTimeField *IntestaData_terapia;

private:
    TDataSet *m_diario;
    TDataSet *m_intesta;
};

// The classes of a day, as plain functions of plain values (0 = empty class).
namespace DiaryRules {
int bodyMassClass(double bmi);                  // 0..6
QString bodyMassText(int bodyMassClass);        // ": Normopeso", ...
int diastolicClass(double min);                 // 0 (empty) or 1..7
int systolicClass(double max);                  // 0 (empty) or 1..7
int combinedClass(int diastolic, int systolic); // 0..9
QString pressureText(int combinedClass);        // " : Ottimale", ...
int ageBand(int age);                           // 1..10
}
