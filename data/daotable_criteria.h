#pragma once
// Search criteria of the table component: the engine criteria texts that
// Locate (FindFirst on a clone) and Lookup (Filter of a snapshot) hand to the
// engine, one term per key field joined by " AND ". Plain values in, text out.

#include "data/fieldtype.h"

#include <QString>
#include <QStringList>
#include <QVariant>

struct TDaoKeyField
{
    QString name;
    TFieldType type = ftUnknown;
};

namespace DaoCriteria {

// "[Name]" with brackets (a dotted name bracketed part by part), else the name as is.
QString quoteName(const QString &name, bool useBrackets);

// A key value as the search sees it: "NULL" for null, else its text; day
// counts of date fields as the short date (and time) of the user's format.
QString valueText(const QVariant &value, TFieldType type);

// Locate's criteria. Raises "Unable to build Lookup Key SQL!" for a field type
// it cannot express.
QString locateCriteria(const QList<TDaoKeyField> &keys, const QStringList &values, bool caseInsensitive,
                       bool partialKey, bool useBrackets);

// Lookup's criteria: exact and case-sensitive, dates read as typed. Raises
// "Unable to build Key SQL!".
QString lookupCriteria(const QList<TDaoKeyField> &keys, const QStringList &values, bool useBrackets);

// The date cleaning before a typed date is read in the user's format.
QString cleanDateText(const QString &text);

} // namespace DaoCriteria
