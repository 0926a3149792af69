#pragma once
// The data sources the field and expression dialogs offer: every dataset of
// every open window and data module, named by itself when it belongs to the
// report's owner and as owner "." dataset otherwise, and "Altro" with the
// system values.

#include "data/dataset.h"

#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <functional>
class TfrReport;

struct TfrDataSource
{
    QString name;
    QPointer<TDataSet> dataSet;
};

namespace frDataSources {
// Sorted by name; "Altro" is not among them.
QList<TfrDataSource> list(const TfrReport *report);
// The same datasets always named owner "." dataset (the band and wizard dialogs).
QList<TfrDataSource> qualified();
// Field objects, or the field definitions when it has none. The dataset is
// opened for the listing and left as it was; one that cannot be opened gives
// what could be read.
QStringList fieldNames(TDataSet *dataSet);
// Runs `read` with the dataset open, then leaves it as it was; a dataset that
// cannot be opened is read as it is.
void whileOpen(TDataSet *dataSet, const std::function<void()> &read);
// What a field is inserted as: Diario."Peso".
QString fieldReference(const QString &source, const QString &field);
QString other();                        // "Altro"
QStringList systemCaptions();           // "N° pagina" ... "Totale Pagine"
QStringList systemNames();              // "PAGE#" ... "TOTALPAGES"
} // namespace frDataSources
