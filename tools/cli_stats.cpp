// tonalba-cli stats <archive.mdb> [--from DATE] [--to DATE] [--format text|json]
// Prints the statistics of a period: the same numbers the program shows,
// read through the same table components and model.

#include "tools/clicommand.h"
#include "app/diarystatistics.h"
#include "app/diarytables.h"

#include <cstdio>

namespace {

const QString kUsage =
    QStringLiteral("Uso: stats <archivio.mdb> [--from AAAA-MM-GG] [--to AAAA-MM-GG] [--format text|json]");

int runStats(const QStringList &args)
{
    QString archive, format = QStringLiteral("text");
    TDateTime from = 0, to = 0;
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        const bool takesValue = a == "--from" || a == "--to" || a == "--format";
        if (takesValue && i + 1 >= args.size()) return cliUsage(QStringLiteral("%1 vuole un valore").arg(a));
        if (a == "--from" || a == "--to") {
            TDateTime d = 0;
            if (!cliParseDay(args[i + 1], d)) return cliUsage(cliDayError(args[i + 1]));
            (a == "--from" ? from : to) = d;
            ++i;
        } else if (a == "--format") {
            format = args[++i];
            if (format != "text" && format != "json") return cliUsage(QStringLiteral("Formato sconosciuto: %1").arg(format));
        } else if (a.startsWith("--") || !archive.isEmpty()) {
            return cliUsage(QStringLiteral("Argomento inatteso: %1").arg(a));
        } else {
            archive = a;
        }
    }
    if (archive.isEmpty()) return cliUsage(kUsage);
    try {
        TDiaryTables tables;
        // Every day: no search, the period is the statistics' own.
        tables.Diario->SetOnFilterRecord([](TDataSet *, bool &accept) { accept = true; });
        tables.Diario->SetSortedBy({QStringLiteral("Data"), QStringLiteral("ID_Diario")});
        tables.open(archive, true);
        TDiaryModel *model = tables.Model;
        const QList<TDayReadings> days = ReadDiaryDays(tables.Diario, *model, from, to);
        const TDiaryStatistics stats = ComputeDiaryStatistics(days, model->IntestaAltezza->AsFloat(), from, to);
        const QByteArray out = ((format == "json" ? stats.toJson() : stats.toText()) + QLatin1Char('\n')).toUtf8();
        fwrite(out.constData(), 1, size_t(out.size()), stdout);
        fflush(stdout);
        tables.close();
    } catch (const Exception &e) {
        cliError(QStringLiteral("Statistiche non riuscite: %1").arg(e.message()));
        return 1;
    }
    return 0;
}
} // namespace

TONALBA_CLI_COMMAND(QStringLiteral("stats"),
                    QStringLiteral("stats <archivio.mdb> [--from D] [--to D] [--format text|json]  "
                                   "statistiche del periodo (medie, protocollo domiciliare, peso)"),
                    runStats);
