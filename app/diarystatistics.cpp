#include "app/diarystatistics.h"

#include "app/diarymodel.h"
#include "core/numformat.h"
#include "data/dataset.h"

#include <QStringList>

#include <cmath>

namespace {

// Sums of one kind of measurement; each value over the measurements that have it.
struct Accumulator
{
    double systolic = 0, diastolic = 0, pulse = 0;
    int withSystolic = 0, withDiastolic = 0, withPulse = 0, measurements = 0;

    bool add(const int *triple)
    {
        if (!triple[0] && !triple[1] && !triple[2]) return false;
        ++measurements;
        if (triple[0]) systolic += triple[0], ++withSystolic;
        if (triple[1]) diastolic += triple[1], ++withDiastolic;
        if (triple[2]) pulse += triple[2], ++withPulse;
        return true;
    }
    static int mean(double sum, int count) { return count ? int(std::lround(sum / count)) : 0; }
    TReadingMeans means() const
    {
        return {measurements, mean(systolic, withSystolic), mean(diastolic, withDiastolic), mean(pulse, withPulse)};
    }
};

TDateTime dayOf(TDateTime value)
{
    return std::floor(value);
}

QString isoDay(TDateTime day)
{
    if (day == 0) return QStringLiteral("null");
    int y, m, d;
    decodeDate(day, y, m, d);
    return QStringLiteral("\"%1-%2-%3\"").arg(y, 4, 10, QLatin1Char('0')).arg(m, 2, 10, QLatin1Char('0'))
        .arg(d, 2, 10, QLatin1Char('0'));
}

QString json(const TReadingMeans &m)
{
    return QStringLiteral("{\"measurements\":%1,\"systolic\":%2,\"diastolic\":%3,\"pulse\":%4}")
        .arg(m.measurements)
        .arg(m.systolic)
        .arg(m.diastolic)
        .arg(m.pulse);
}

QString number(double value)
{
    // Shortest exact form, as the tool prints numbers.
    return QString::number(value, 'g', 15);
}

QString plural(int n, const char *one, const char *many)
{
    return QStringLiteral("%1 %2").arg(n).arg(QLatin1String(n == 1 ? one : many));
}

QString signedInt(int value)
{
    return value > 0 ? QStringLiteral("+%1").arg(value) : QString::number(value);
}

QString textMeans(const TReadingMeans &m)
{
    if (!m.measurements) return QStringLiteral("nessuna misurazione");
    return QStringLiteral("%1/%2 mmHg, pulsazioni %3 (%4)")
        .arg(m.systolic)
        .arg(m.diastolic)
        .arg(m.pulse)
        .arg(plural(m.measurements, "misurazione", "misurazioni"));
}

} // namespace

TDiaryStatistics ComputeDiaryStatistics(const QList<TDayReadings> &allDays, double height, TDateTime from,
                                        TDateTime to)
{
    QList<TDayReadings> days;
    for (const TDayReadings &d : allDays)
        if (TDiaryModel::InPeriod(d.day, from, to)) days.append(d);
    TDiaryStatistics s;
    s.from = from;
    s.to = to;
    Accumulator first, second, all;
    int above = 0;
    // The days with readings, as [start, end) ranges of `days` (cards of one date together).
    QList<std::pair<int, int>> measured;
    double lowest = 0, highest = 0;
    for (int i = 0; i < days.size();) {
        int end = i + 1;
        while (end < days.size() && dayOf(days[end].day) == dayOf(days[i].day)) ++end;
        Accumulator day;
        for (int k = i; k < end; ++k) {
            const TDayReadings &d = days[k];
            for (int r = 0; r < 2; ++r)
                for (int m = 0; m < 2; ++m) {
                    const int *t = d.values[r][m];
                    if (!day.add(t)) continue;
                    (r == 0 ? first : second).add(t);
                    all.add(t);
                    if (t[0] || t[1]) {
                        ++s.measurementsWithPressure;
                        if (t[0] >= TDiaryStatistics::ThresholdSystolic || t[1] >= TDiaryStatistics::ThresholdDiastolic)
                            ++above;
                    }
                }
            if (d.weight > 0) {
                if (!s.hasWeight) {
                    s.firstWeight = d.weight;
                    s.firstWeightDay = dayOf(d.day);
                }
                s.hasWeight = true;
                s.lastWeight = d.weight;
                s.lastWeightDay = dayOf(d.day);
            }
        }
        if (day.measurements) {
            measured.append({i, end});
            if (day.withSystolic) {
                const double mean = day.systolic / day.withSystolic;
                // The earliest day wins a tie, for both ends.
                if (!s.lowestDay || mean < lowest) lowest = mean, s.lowestDay = dayOf(days[i].day);
                if (!s.highestDay || mean > highest) highest = mean, s.highestDay = dayOf(days[i].day);
            }
        }
        i = end;
    }
    s.days = int(measured.size());
    s.measurements = all.measurements;
    s.first = first.means();
    s.second = second.means();
    s.all = all.means();
    s.lowestSystolic = int(std::lround(lowest));
    s.highestSystolic = int(std::lround(highest));
    // A value is missing where it is 0 (no measurement had it).
    s.hasDifferenceSystolic = s.first.systolic && s.second.systolic;
    s.hasDifferenceDiastolic = s.first.diastolic && s.second.diastolic;
    s.hasDifferencePulse = s.first.pulse && s.second.pulse;
    s.hasDifference = s.hasDifferenceSystolic || s.hasDifferenceDiastolic || s.hasDifferencePulse;
    if (s.hasDifferenceSystolic) s.differenceSystolic = s.first.systolic - s.second.systolic;
    if (s.hasDifferenceDiastolic) s.differenceDiastolic = s.first.diastolic - s.second.diastolic;
    if (s.hasDifferencePulse) s.differencePulse = s.first.pulse - s.second.pulse;
    s.aboveThresholdPercent =
        s.measurementsWithPressure ? int(std::lround(100.0 * above / s.measurementsWithPressure)) : 0;

    // The protocol week: the last seven days with readings, the first of them discarded.
    const int start = int(qMax<qsizetype>(0, measured.size() - TDiaryStatistics::ProtocolWeek)) + 1;
    Accumulator protocol;
    for (int k = start; k < measured.size(); ++k) {
        for (int i = measured[k].first; i < measured[k].second; ++i)
            for (int r = 0; r < 2; ++r)
                for (int m = 0; m < 2; ++m) protocol.add(days[i].values[r][m]);
        if (!s.protocolFrom) s.protocolFrom = dayOf(days[measured[k].first].day);
        s.protocolTo = dayOf(days[measured[k].first].day);
        ++s.protocolDays;
    }
    s.protocol = protocol.means();
    if (height > 0 && s.hasWeight) s.bodyMassIndex = s.lastWeight / (height * height);
    return s;
}

QList<TDayReadings> ReadDiaryDays(TDataSet *diario, const TDiaryModel &m, TDateTime from, TDateTime to)
{
    TIntegerField *const fields[2][2][3] = {
        {{m.DiarioSX_MAX_1, m.DiarioSX_MIN_1, m.DiarioSX_PULS_1}, {m.DiarioSX_MAX_2, m.DiarioSX_MIN_2, m.DiarioSX_PULS_2}},
        {{m.DiarioDX_MAX_1, m.DiarioDX_MIN_1, m.DiarioDX_PULS_1}, {m.DiarioDX_MAX_2, m.DiarioDX_MIN_2, m.DiarioDX_PULS_2}}};
    QList<TDayReadings> days;
    for (diario->First(); !diario->Eof(); diario->Next()) {
        const TDateTime day = m.DiarioData->AsDateTime();
        if (!TDiaryModel::InPeriod(day, from, to)) continue;
        TDayReadings d;
        d.day = day;
        for (int r = 0; r < 2; ++r)
            for (int k = 0; k < 2; ++k)
                for (int v = 0; v < 3; ++v) d.values[r][k][v] = qMax(0, fields[r][k][v]->AsInteger());
        d.weight = m.DiarioPeso->AsFloat();
        days.append(d);
    }
    return days;
}

QString TDiaryStatistics::protocolVerdict() const
{
    if (!protocolDays)
        return QStringLiteral("Media domiciliare: nessun giorno utile (il primo giorno della settimana non conta)");
    if (!protocol.systolic && !protocol.diastolic)
        return QStringLiteral("Media domiciliare: nessuna misurazione della pressione nei giorni del protocollo");
    QString text = QStringLiteral("Media domiciliare %1/%2 mmHg su %3 (%4): %5 la soglia di %6/%7")
                       .arg(protocol.systolic)
                       .arg(protocol.diastolic)
                       .arg(plural(protocolDays, "giorno", "giorni"))
                       .arg(plural(protocol.measurements, "misurazione", "misurazioni"))
                       .arg(protocolAbove() ? QStringLiteral("pari o sopra") : QStringLiteral("sotto"))
                       .arg(ThresholdSystolic)
                       .arg(ThresholdDiastolic);
    if (!protocolEnough())
        text += QStringLiteral("; pochi dati: servono almeno %1 giorni e %2 misurazioni")
                    .arg(ProtocolMinDays)
                    .arg(ProtocolMinMeasurements);
    return text;
}

QString TDiaryStatistics::protocolReminder()
{
    return QStringLiteral("Il protocollo di misurazione a domicilio chiede 7 giorni: la prima rilevazione al "
                          "mattino e la seconda alla sera, ciascuna di due misurazioni a un minuto di distanza; "
                          "il primo giorno non conta.");
}

QString TDiaryStatistics::toJson() const
{
    QStringList parts;
    parts << QStringLiteral("\"from\":%1").arg(isoDay(from)) << QStringLiteral("\"to\":%1").arg(isoDay(to))
          << QStringLiteral("\"days\":%1").arg(days) << QStringLiteral("\"measurements\":%1").arg(measurements)
          << QStringLiteral("\"first\":%1").arg(json(first)) << QStringLiteral("\"second\":%1").arg(json(second))
          << QStringLiteral("\"all\":%1").arg(json(all));
    auto part = [](bool has, int value) { return has ? QString::number(value) : QStringLiteral("null"); };
    parts << QStringLiteral("\"difference\":%1")
                 .arg(hasDifference ? QStringLiteral("{\"systolic\":%1,\"diastolic\":%2,\"pulse\":%3}")
                                          .arg(part(hasDifferenceSystolic, differenceSystolic),
                                               part(hasDifferenceDiastolic, differenceDiastolic),
                                               part(hasDifferencePulse, differencePulse))
                                    : QStringLiteral("null"));
    QString verdict = protocolVerdict();
    verdict.replace(QLatin1Char('\\'), QLatin1String("\\\\")).replace(QLatin1Char('"'), QLatin1String("\\\""));
    parts << QStringLiteral("\"protocol\":{\"days\":%1,\"measurements\":%2,\"systolic\":%3,\"diastolic\":%4,"
                            "\"pulse\":%5,\"from\":%6,\"to\":%7,\"enough\":%8,\"above\":%9,\"verdict\":\"%10\"}")
                 .arg(protocolDays)
                 .arg(protocol.measurements)
                 .arg(protocol.systolic)
                 .arg(protocol.diastolic)
                 .arg(protocol.pulse)
                 .arg(isoDay(protocolFrom), isoDay(protocolTo))
                 .arg(protocolEnough() ? QStringLiteral("true") : QStringLiteral("false"),
                      protocolDays && protocolAbove() ? QStringLiteral("true") : QStringLiteral("false"), verdict);
    parts << QStringLiteral("\"above_threshold_percent\":%1").arg(aboveThresholdPercent);
    auto dayValue = [](TDateTime day, int systolic) {
        return day ? QStringLiteral("{\"date\":%1,\"systolic\":%2}").arg(isoDay(day)).arg(systolic)
                   : QStringLiteral("null");
    };
    parts << QStringLiteral("\"lowest_day\":%1").arg(dayValue(lowestDay, lowestSystolic))
          << QStringLiteral("\"highest_day\":%1").arg(dayValue(highestDay, highestSystolic));
    parts << QStringLiteral("\"weight\":%1")
                 .arg(hasWeight ? QStringLiteral("{\"first\":%1,\"first_date\":%2,\"last\":%3,\"last_date\":%4,"
                                                 "\"change\":%5}")
                                      .arg(number(firstWeight), isoDay(firstWeightDay), number(lastWeight),
                                           isoDay(lastWeightDay), number(std::round(weightChange() * 100) / 100))
                                : QStringLiteral("null"));
    parts << QStringLiteral("\"bmi\":%1").arg(bodyMassIndex > 0 ? number(std::round(bodyMassIndex * 10) / 10)
                                                                  : QStringLiteral("null"));
    return QLatin1Char('{') + parts.join(QLatin1Char(',')) + QLatin1Char('}');
}

QString TDiaryStatistics::toText() const
{
    QStringList lines;
    auto day = [](TDateTime d) { return dateToStr(d); };
    if (!from && !to) lines << QStringLiteral("Periodo: tutto il diario");
    else
        lines << QStringLiteral("Periodo: %1 - %2")
                     .arg(from ? day(from) : QStringLiteral("..."), to ? day(to) : QStringLiteral("..."));
    lines << QStringLiteral("Giorni con misurazioni: %1; misurazioni: %2").arg(days).arg(measurements);
    lines << QStringLiteral("Prima rilevazione giornata: %1").arg(textMeans(first))
          << QStringLiteral("Seconda rilevazione giornata: %1").arg(textMeans(second))
          << QStringLiteral("Tutte le misurazioni: %1").arg(textMeans(all));
    if (hasDifference) {
        auto part = [](bool has, int value) { return has ? signedInt(value) : QStringLiteral("-"); };
        lines << QStringLiteral("Differenza prima - seconda: %1/%2 mmHg, pulsazioni %3")
                     .arg(part(hasDifferenceSystolic, differenceSystolic),
                          part(hasDifferenceDiastolic, differenceDiastolic), part(hasDifferencePulse, differencePulse));
    }
    lines << protocolVerdict();
    if (measurementsWithPressure)
        lines << QStringLiteral("Misurazioni pari o sopra %1/%2: %3%")
                     .arg(ThresholdSystolic)
                     .arg(ThresholdDiastolic)
                     .arg(aboveThresholdPercent);
    if (lowestDay)
        lines << QStringLiteral("Giorno con la massima più bassa: %1 (%2 mmHg); più alta: %3 (%4 mmHg)")
                     .arg(day(lowestDay))
                     .arg(lowestSystolic)
                     .arg(day(highestDay))
                     .arg(highestSystolic);
    if (hasWeight)
        lines << QStringLiteral("Peso: da %1 kg (%2) a %3 kg (%4), variazione %5 kg")
                     .arg(formatFloat(QStringLiteral("0.0"), firstWeight), day(firstWeightDay),
                          formatFloat(QStringLiteral("0.0"), lastWeight), day(lastWeightDay),
                          (weightChange() > 0 ? QStringLiteral("+") : QString())
                              + formatFloat(QStringLiteral("0.0"), weightChange()));
    if (bodyMassIndex > 0)
        lines << QStringLiteral("Indice di massa corporea alla fine: %1").arg(formatFloat(QStringLiteral("0.0"), bodyMassIndex));
    return lines.join(QLatin1Char('\n'));
}
