#pragma once
// The diary's default report "diario.frf", built through the report object
// model: an A4 portrait list of the days of a period that a patient can hand
// to a doctor. The title band shows the person (from frm_main.Intesta), the
// page header the column titles, the master data band one day per record of
// the DatasetTable entry over frm_main.Diario, the summary the period printed
// with its averages over the days that have a value and a chart of the days
// with readings (a program loading it must register the chart object), and
// the page footer the page numbers of a two-pass build.
//
// The template is data: a user may change it in the designer, so the build
// only writes it into the build tree and staging never replaces one.

#include <QString>

class TfrReport;
class TDataSet;

namespace DiarioTemplate {

// Name of the report dataset that the master data band walks.
inline constexpr const char *DatasetName = "frDBDiario";

// The summary's chart of the days with readings and its own dataset entry.
inline constexpr const char *ChartObject = "SummaryChart";
inline constexpr const char *ChartDatasetName = "frDBGrafico";

// Object names of the summary's values, for whoever checks them.
inline constexpr const char *FirstDayObject = "SummaryFirstDay";
inline constexpr const char *LastDayObject = "SummaryLastDay";
inline constexpr const char *DayCountObject = "SummaryDays";
// Average and the number of days it was taken over, per averaged field.
QString averageObject(const QString &field);      // "SummaryAvgMAX"
QString valueDaysObject(const QString &field);    // "SummaryDaysMAX"
// The averaged fields, in the order the summary lists them.
inline const char *const AveragedFields[] = {"MAX", "MIN", "PULS", "Peso"};

// The expression of the average of a field over the days whose value is not 0;
// empty text when no day has one (an empty period included).
QString averageExpression(const QString &field);
// The expression of the number of days whose value of the field is not 0.
QString valueDaysExpression(const QString &field);

// Clears `report` and builds the template. `diario` is the diary table; its
// owner's name and its own give the component path the file stores
// ("frm_main.Diario"), so the owner must be named as the main window is.
void build(TfrReport &report, TDataSet *diario);

} // namespace DiarioTemplate
