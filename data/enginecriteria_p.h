#pragma once
// Criteria and sort texts of the engine's own syntax turned into SQLite SQL.
// Literals never reach the SQL text: they become "?" parameters, in the order
// they appear. Names resolve case-insensitively against one table; a Date
// column compares as a day count (tdays), text compares and sorts with the
// TONALBA collation, LIKE uses the classic wildcards (tlike).

#include "data/engine_p.h"

#include <QString>
#include <QStringList>
#include <QVariantList>

namespace dao {

struct SqlText
{
    QString sql;
    QVariantList params;
};

class CriteriaTranslator
{
public:
    CriteriaTranslator(const TableInfo &table, ErrorSink *sink, const QString &source)
        : m_table(table), m_sink(sink), m_source(source) {}

    SqlText where(const QString &criteria) const;     // empty text: empty SQL
    QString orderBy(const QString &sort) const;       // without "ORDER BY"

private:
    const TableInfo &m_table;
    ErrorSink *m_sink;
    QString m_source;
};

// "SELECT * | a, [b] FROM t [WHERE criteria] [ORDER BY keys]"; the clauses
// come back as engine texts for CriteriaTranslator. False when the text is not
// of that form.
struct SelectParts
{
    QStringList columns;   // empty for "*"
    QString table;
    QString where;
    QString orderBy;
};
bool parseSelect(const QString &sql, SelectParts &out);

// #...# literal contents: mm/dd/yyyy, hh:nn:ss, both, or ISO yyyy-mm-dd.
bool parseDateLiteral(const QString &text, double &days);

} // namespace dao
