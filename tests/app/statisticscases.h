#pragma once
// Diaries with their statistics worked out by hand, shared by the class's
// test and the tool's (`tonalba-cli stats --format json`). Day 0 is
// 1 March 2026; a day's twelve values are SX_1, SX_2, DX_1, DX_2, each
// as systolic (MAX), diastolic (MIN), pulse.

#include <QList>
#include <QString>

namespace statscases {

struct Day
{
    int offset;
    int values[12];
    double weight = 0;
};

struct Case
{
    const char *name;
    QList<Day> days;
    double height;
    QString from, to;   // "YYYY-MM-DD" or empty
    QString json;
};

inline QList<Case> cases()
{
    QList<Case> out;
    {
        // A protocol week: day 0 high, then six equal days; day 0 is discarded.
        Case c{"a protocol week, day 1 discarded", {}, 0, {}, {}, {}};
        c.days << Day{0, {160, 100, 90, 160, 100, 90, 160, 100, 90, 160, 100, 90}};
        for (int d = 1; d < 7; ++d) c.days << Day{d, {130, 80, 70, 128, 78, 68, 120, 75, 65, 122, 77, 67}};
        c.json = QStringLiteral(
            "{\"from\":null,\"to\":null,\"days\":7,\"measurements\":28,"
            "\"first\":{\"measurements\":14,\"systolic\":133,\"diastolic\":82,\"pulse\":72},"
            "\"second\":{\"measurements\":14,\"systolic\":127,\"diastolic\":79,\"pulse\":69},"
            "\"all\":{\"measurements\":28,\"systolic\":130,\"diastolic\":81,\"pulse\":71},"
            "\"difference\":{\"systolic\":6,\"diastolic\":3,\"pulse\":3},"
            "\"protocol\":{\"days\":6,\"measurements\":24,\"systolic\":125,\"diastolic\":78,\"pulse\":68,"
            "\"from\":\"2026-03-02\",\"to\":\"2026-03-07\",\"enough\":true,\"above\":false,"
            "\"verdict\":\"Media domiciliare 125/78 mmHg su 6 giorni (24 misurazioni): sotto la soglia di 135/85\"},"
            "\"above_threshold_percent\":14,\"lowest_day\":{\"date\":\"2026-03-02\",\"systolic\":125},"
            "\"highest_day\":{\"date\":\"2026-03-01\",\"systolic\":160},\"weight\":null,\"bmi\":null}");
        out << c;
    }
    {
        Case c{"a week of mornings only", {}, 0, {}, {}, {}};
        for (int d = 0; d < 7; ++d) c.days << Day{d, {140, 90, 80, 136, 86, 76, 0, 0, 0, 0, 0, 0}};
        c.json = QStringLiteral(
            "{\"from\":null,\"to\":null,\"days\":7,\"measurements\":14,"
            "\"first\":{\"measurements\":14,\"systolic\":138,\"diastolic\":88,\"pulse\":78},"
            "\"second\":{\"measurements\":0,\"systolic\":0,\"diastolic\":0,\"pulse\":0},"
            "\"all\":{\"measurements\":14,\"systolic\":138,\"diastolic\":88,\"pulse\":78},"
            "\"difference\":null,"
            "\"protocol\":{\"days\":6,\"measurements\":12,\"systolic\":138,\"diastolic\":88,\"pulse\":78,"
            "\"from\":\"2026-03-02\",\"to\":\"2026-03-07\",\"enough\":true,\"above\":true,"
            "\"verdict\":\"Media domiciliare 138/88 mmHg su 6 giorni (12 misurazioni): pari o sopra la soglia di 135/85\"},"
            "\"above_threshold_percent\":100,\"lowest_day\":{\"date\":\"2026-03-01\",\"systolic\":138},"
            "\"highest_day\":{\"date\":\"2026-03-01\",\"systolic\":138},\"weight\":null,\"bmi\":null}");
        out << c;
    }
    {
        // One measurement of two, a diastolic missing; means round half up.
        Case c{"one measurement a day, values missing", {}, 0, {}, {}, {}};
        c.days << Day{0, {120, 80, 60}} << Day{1, {130, 85, 70}} << Day{2, {125, 0, 0}};
        c.json = QStringLiteral(
            "{\"from\":null,\"to\":null,\"days\":3,\"measurements\":3,"
            "\"first\":{\"measurements\":3,\"systolic\":125,\"diastolic\":83,\"pulse\":65},"
            "\"second\":{\"measurements\":0,\"systolic\":0,\"diastolic\":0,\"pulse\":0},"
            "\"all\":{\"measurements\":3,\"systolic\":125,\"diastolic\":83,\"pulse\":65},"
            "\"difference\":null,"
            "\"protocol\":{\"days\":2,\"measurements\":2,\"systolic\":128,\"diastolic\":85,\"pulse\":70,"
            "\"from\":\"2026-03-02\",\"to\":\"2026-03-03\",\"enough\":false,\"above\":true,"
            "\"verdict\":\"Media domiciliare 128/85 mmHg su 2 giorni (2 misurazioni): pari o sopra la soglia di "
            "135/85; pochi dati: servono almeno 3 giorni e 12 misurazioni\"},"
            "\"above_threshold_percent\":33,\"lowest_day\":{\"date\":\"2026-03-01\",\"systolic\":120},"
            "\"highest_day\":{\"date\":\"2026-03-02\",\"systolic\":130},\"weight\":null,\"bmi\":null}");
        out << c;
    }
    {
        // A day of zeros is no day with readings; a pulse alone is a measurement without pressure.
        Case c{"zeros, empties and the weight", {}, 1.75, {}, {}, {}};
        c.days << Day{0, {0}, 70} << Day{1, {120, 80, 0}} << Day{2, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 72}, 71.5};
        c.json = QStringLiteral(
            "{\"from\":null,\"to\":null,\"days\":2,\"measurements\":2,"
            "\"first\":{\"measurements\":1,\"systolic\":120,\"diastolic\":80,\"pulse\":0},"
            "\"second\":{\"measurements\":1,\"systolic\":0,\"diastolic\":0,\"pulse\":72},"
            "\"all\":{\"measurements\":2,\"systolic\":120,\"diastolic\":80,\"pulse\":72},"
            "\"difference\":null,"
            "\"protocol\":{\"days\":1,\"measurements\":1,\"systolic\":0,\"diastolic\":0,\"pulse\":72,"
            "\"from\":\"2026-03-03\",\"to\":\"2026-03-03\",\"enough\":false,\"above\":false,"
            "\"verdict\":\"Media domiciliare: nessuna misurazione della pressione nei giorni del protocollo\"},"
            "\"above_threshold_percent\":0,\"lowest_day\":{\"date\":\"2026-03-02\",\"systolic\":120},"
            "\"highest_day\":{\"date\":\"2026-03-02\",\"systolic\":120},"
            "\"weight\":{\"first\":70,\"first_date\":\"2026-03-01\",\"last\":71.5,\"last_date\":\"2026-03-03\","
            "\"change\":1.5},\"bmi\":23.3}");
        out << c;
    }
    {
        // Two days in the period (a third after it): the note says the week is short.
        Case c{"a period of two days", {}, 0, QStringLiteral("2026-03-01"), QStringLiteral("2026-03-31"), {}};
        c.days << Day{0, {118, 76, 64}} << Day{1, {122, 78, 66}} << Day{35, {180, 110, 90}};
        c.json = QStringLiteral(
            "{\"from\":\"2026-03-01\",\"to\":\"2026-03-31\",\"days\":2,\"measurements\":2,"
            "\"first\":{\"measurements\":2,\"systolic\":120,\"diastolic\":77,\"pulse\":65},"
            "\"second\":{\"measurements\":0,\"systolic\":0,\"diastolic\":0,\"pulse\":0},"
            "\"all\":{\"measurements\":2,\"systolic\":120,\"diastolic\":77,\"pulse\":65},"
            "\"difference\":null,"
            "\"protocol\":{\"days\":1,\"measurements\":1,\"systolic\":122,\"diastolic\":78,\"pulse\":66,"
            "\"from\":\"2026-03-02\",\"to\":\"2026-03-02\",\"enough\":false,\"above\":false,"
            "\"verdict\":\"Media domiciliare 122/78 mmHg su 1 giorno (1 misurazione): sotto la soglia di 135/85; "
            "pochi dati: servono almeno 3 giorni e 12 misurazioni\"},"
            "\"above_threshold_percent\":0,\"lowest_day\":{\"date\":\"2026-03-01\",\"systolic\":118},"
            "\"highest_day\":{\"date\":\"2026-03-02\",\"systolic\":122},\"weight\":null,\"bmi\":null}");
        out << c;
    }
    {
        Case c{"an empty period", {}, 1.7, QStringLiteral("2026-05-01"), QStringLiteral("2026-05-31"), {}};
        c.days << Day{0, {118, 76, 64}, 70};
        c.json = QStringLiteral(
            "{\"from\":\"2026-05-01\",\"to\":\"2026-05-31\",\"days\":0,\"measurements\":0,"
            "\"first\":{\"measurements\":0,\"systolic\":0,\"diastolic\":0,\"pulse\":0},"
            "\"second\":{\"measurements\":0,\"systolic\":0,\"diastolic\":0,\"pulse\":0},"
            "\"all\":{\"measurements\":0,\"systolic\":0,\"diastolic\":0,\"pulse\":0},"
            "\"difference\":null,"
            "\"protocol\":{\"days\":0,\"measurements\":0,\"systolic\":0,\"diastolic\":0,\"pulse\":0,"
            "\"from\":null,\"to\":null,\"enough\":false,\"above\":false,"
            "\"verdict\":\"Media domiciliare: nessun giorno utile (il primo giorno della settimana non conta)\"},"
            "\"above_threshold_percent\":0,\"lowest_day\":null,\"highest_day\":null,\"weight\":null,\"bmi\":null}");
        out << c;
    }
    return out;
}

} // namespace statscases
