#include "report/frwordwrap.h"

bool TfrWordWrap::IsBreak(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char(',') || c == QLatin1Char('-') || c == QLatin1Char('.');
}

QStringList TfrWordWrap::Wrap(const QString &line, int available, const Measure &width)
{
    if (line.size() < 2 || width(line) <= available) return {line};
    QStringList out;
    qsizetype start = 0, breakAt = -1;
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (width(line.mid(start, i - start + 1)) >= available) {
            if (breakAt >= start) {
                out << line.mid(start, breakAt - start + 1);
                start = breakAt + 1;
                breakAt = -1;
            } else {
                out << line.mid(start, i - start + 1);
                return out;
            }
        }
        if (IsBreak(line[i])) breakAt = i;
    }
    if (start < line.size()) out << line.mid(start);
    return out;
}
