#include "bench/benchtable.h"

#include <QFile>
#include <QSaveFile>
#include <QStringList>

namespace {

QString number(double v)
{
    if (std::isnan(v)) return QStringLiteral("-");
    const double a = std::fabs(v);
    if (a != 0 && a < 0.01) return QString::number(v, 'g', 3);
    return QString::number(v, 'f', a >= 100 ? 1 : a >= 10 ? 2 : 3);
}

QString jsonNumber(double v)
{
    return std::isnan(v) || std::isinf(v) ? QStringLiteral("null") : QString::number(v, 'g', 6);
}

QString jsonString(const QString &text)
{
    QString out = QStringLiteral("\"");
    for (const QChar c : text) {
        if (c == QLatin1Char('"') || c == QLatin1Char('\\')) out += QLatin1Char('\\');
        out += c;
    }
    return out + QLatin1Char('"');
}

} // namespace

bool BenchRow::met() const
{
    if (!hasGoal()) return true;
    const double v = std::isnan(ratio) ? ours : ratio;
    return !std::isnan(v) && v <= goal;
}

void BenchTable::addTimes(const QString &measure, double ours, double reference, double goal, const QString &unit,
                          const QString &note)
{
    BenchRow row;
    row.measure = measure;
    row.ours = ours;
    row.reference = reference;
    row.ratio = reference > 0 ? ours / reference : BenchRow::None;
    row.goal = goal;
    row.unit = unit;
    row.note = note;
    m_rows.append(row);
}

QString BenchTable::text() const
{
    const QStringList head = {QStringLiteral("measure"), QStringLiteral("ours"), QStringLiteral("reference"),
                              QStringLiteral("ratio"), QStringLiteral("goal"), QStringLiteral("unit"),
                              QString()};
    QList<QStringList> cells{head};
    for (const BenchRow &r : m_rows) {
        QString verdict;
        if (r.hasGoal() && !(std::isnan(r.ours) && std::isnan(r.ratio)))
            verdict = r.met() ? QStringLiteral("ok") : QStringLiteral("MISSED");
        cells.append({r.measure, number(r.ours), number(r.reference), number(r.ratio),
                      r.hasGoal() ? QStringLiteral("<= ") + number(r.goal) : QStringLiteral("-"), r.unit, verdict});
    }
    QList<int> width(head.size(), 0);
    for (const QStringList &line : cells)
        for (int i = 0; i < line.size(); ++i) width[i] = std::max(width[i], int(line[i].size()));
    QString out;
    for (int n = 0; n < cells.size(); ++n) {
        const QStringList &line = cells[n];
        QString text;
        for (int i = 0; i < line.size(); ++i) {
            // Names left, figures right.
            const QString cell = i == 0 || i >= 5 ? line[i].leftJustified(width[i]) : line[i].rightJustified(width[i]);
            text += (i ? QStringLiteral("  ") : QString()) + cell;
        }
        out += text.trimmed() + QLatin1Char('\n');
        if (n == 0) {
            int total = 0;
            for (int w : width) total += w + 2;
            out += QString(total - 2, QLatin1Char('-')) + QLatin1Char('\n');
        }
    }
    for (const BenchRow &r : m_rows)
        if (!r.note.isEmpty()) out += QStringLiteral("  %1: %2\n").arg(r.measure.section(QLatin1Char(' '), 0, 0), r.note);
    return out;
}

QString BenchTable::json() const
{
    QStringList items;
    for (const BenchRow &r : m_rows)
        items << QStringLiteral("  {\"measure\": %1, \"ours\": %2, \"reference\": %3, \"ratio\": %4, \"goal\": %5, "
                                "\"unit\": %6}")
                     .arg(jsonString(r.measure), jsonNumber(r.ours), jsonNumber(r.reference), jsonNumber(r.ratio),
                          jsonNumber(r.goal), jsonString(r.unit));
    return QStringLiteral("[\n") + items.join(QStringLiteral(",\n")) + QStringLiteral("\n]\n");
}

bool BenchTable::writeJson(const QString &path, QString *error) const
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(json().toUtf8()) < 0 || !file.commit()) {
        if (error) *error = file.errorString();
        return false;
    }
    return true;
}
