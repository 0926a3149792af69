#pragma once
// What the expression editor knows about functions: the built-in table and
// the descriptions function libraries supply, each entry written as
// name "=" category " |" syntax " |" help text. A library function nobody
// describes falls in the category "Sconosciute".

#include <QList>
#include <QString>
#include <QStringList>

struct TfrFunctionInfo
{
    QString name;
    QString category;
    QString syntax;
    QString help;
};

namespace frFunctionTable {
const QStringList &builtIn();
// Splits one entry, trimming its parts.
TfrFunctionInfo parse(const QString &entry);
// By name without regard to case: the built-in table, then the libraries'.
TfrFunctionInfo find(const QString &name);
// Every built-in function and every function of the registered libraries.
QList<TfrFunctionInfo> all();
// "Tutte" is not among them: the categories used, sorted, once each.
QStringList categories(const QList<TfrFunctionInfo> &functions);
} // namespace frFunctionTable
