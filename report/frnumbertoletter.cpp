#include "report/frnumbertoletter.h"

#include "core/exceptions.h"

#include <cmath>

namespace {
const char *const units[] = {"", "uno", "due", "tre", "quattro", "cinque", "sei", "sette", "otto", "nove"};
const char *const teens[] = {"dieci", "undici", "dodici", "tredici", "quattordici", "quindici", "sedici",
                             "diciassette", "diciotto", "diciannove"};
const char *const tens[] = {"", "", "venti", "trenta", "quaranta", "cinquanta", "sessanta", "settanta",
                            "ottanta", "novanta"};
const char *const single[] = {"mille", "unmilione", "unmiliardo", "millemiliardi", "unmilionedimiliardi"};
const char *const suffix[] = {"mila", "milioni", "miliardi", "miliardi", "milionidimiliardi"};
} // namespace

QString frDigitsToLetter(const QString &digits)
{
    QString words;
    int rank = 0;
    for (qsizetype end = digits.size(); end > 0; end -= 3, ++rank) {
        const qsizetype start = qMax<qsizetype>(0, end - 3);
        const QString group = digits.mid(start, end - start);
        const bool moreLeft = start > 0;
        if (rank > 5) throw EConvertError(QStringLiteral("Numero troppo grande: %1").arg(digits));
        QString w;
        if (group == QLatin1String("1") && rank >= 1) {
            w = QLatin1String(single[rank - 1]);
        } else {
            const QString padded = group.rightJustified(3, QLatin1Char('0'));
            const int h = padded[0].digitValue(), t = padded[1].digitValue(), u = padded[2].digitValue();
            if (t == 1) {
                w = QLatin1String(teens[u]);
            } else if (padded != QLatin1String("000") || moreLeft) {
                QString ten = QLatin1String(tens[t]);
                if (!ten.isEmpty() && (u == 1 || u == 8)) ten.chop(1);
                w = ten + QLatin1String(units[u]);
            } else {
                w = QStringLiteral("zero");
            }
            if (h == 1) w.prepend(QLatin1String("cento"));
            else if (h >= 2) w.prepend(QLatin1String(units[h]) + QLatin1String("cento"));
            if (rank >= 1 && padded != QLatin1String("000")) w += QLatin1String(suffix[rank - 1]);
        }
        words.prepend(w);
    }
    return words;
}

QString frNumberToLetter(double value)
{
    const double scaled = std::nearbyint(value * 10000.0);
    if (!std::isfinite(scaled) || std::fabs(scaled) >= 9.2e18)
        throw EConvertError(QStringLiteral("Numero troppo grande"));
    qint64 units4 = qint64(scaled);
    const bool negative = units4 < 0;
    if (negative) units4 = -units4;
    const QString whole = QString::number(units4 / 10000);
    QString fraction = QString::number(units4 % 10000).rightJustified(4, QLatin1Char('0'));
    while (fraction.endsWith(QLatin1Char('0'))) fraction.chop(1);

    QString words = frDigitsToLetter(whole);
    if (!fraction.isEmpty())
        words += QStringLiteral(" virgola ") + frDigitsToLetter(QString::number(fraction.toInt()));
    if (negative) words.prepend(QLatin1String("meno "));
    return words;
}
