#pragma once
// The report the wizard makes: a title, a page header of field labels, one
// master data band of field values over a database dataset, a page footer
// with the page count. Columns share the usable width in proportion to the
// fields' display widths.

#include <QList>
#include <QString>

class TDataSet;
class TfrReport;

struct TfrWizardField
{
    QString name;
    QString label;
    int displayWidth = 10;
    int alignment = 0;        // a text object's: 0 left, 1 right, 2 centre
    bool currency = false;
};

namespace frWizard {
struct Column
{
    int left;
    int width;
};
// Usable width: 1028 landscape, 719 portrait.
int usableWidth(bool landscape);
// Column places for fields of these display widths; halves round to even.
QList<Column> columns(const QList<int> &displayWidths, int usableWidth);
// The wizard's field description of a dataset's non-blob fields (opened for
// reading and left as it was).
QList<TfrWizardField> fields(TDataSet *dataSet);
// Clears the report and builds it; `source` names the dataset as "Form.Dataset".
void build(TfrReport &report, TDataSet *dataSet, const QString &title, const QList<TfrWizardField> &fields,
           bool landscape);
} // namespace frWizard
