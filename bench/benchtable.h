#pragma once
// BenchTable: the suite's results, one row per measure, printed as one table
// and written as a JSON list that tracks the figures from run to run. A value
// that does not exist for a measure (no reference, no ratio, a measure not
// built yet) is NaN and shows as "-" in the table and null in the JSON.

#include <QList>
#include <QString>
#include <cmath>
#include <limits>

struct BenchRow
{
    static constexpr double None = std::numeric_limits<double>::quiet_NaN();

    QString measure;
    double ours = None;
    double reference = None;
    double ratio = None;
    double goal = None;
    QString unit;
    QString note;             // shown after the table, not in the JSON

    // Goal met: ratio within the goal, or, without a ratio, ours within it.
    bool met() const;
    bool hasGoal() const { return !std::isnan(goal); }
};

class BenchTable
{
public:
    void add(const BenchRow &row) { m_rows.append(row); }
    // A time measure: ratio = ours / reference.
    void addTimes(const QString &measure, double ours, double reference, double goal, const QString &unit,
                  const QString &note = QString());
    const QList<BenchRow> &rows() const { return m_rows; }

    QString text() const;
    QString json() const;
    bool writeJson(const QString &path, QString *error) const;

private:
    QList<BenchRow> m_rows;
};
