// tonalba-cli export <archive.mdb> [--from DATE] [--to DATE] [--search TEXT] [--format csv|json]
// Prints the diary days the program's own filter would show, through the same
// table components and handlers, ordered by Data then ID_Diario.

#include "tools/clicommand.h"
#include "app/diarytables.h"

#include <cstdio>

namespace {

const QString kUsage = QStringLiteral(
    "Uso: export <archivio.mdb> [--from AAAA-MM-GG] [--to AAAA-MM-GG] [--search TESTO] [--format csv|json]");

QString csvField(const QString &text)
{
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) && !text.contains(QLatin1Char('\r'))
        && !text.contains(QLatin1Char('\n')))
        return text;
    return QLatin1Char('"') + QString(text).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

void write(const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
}

int runExport(const QStringList &args)
{
    QString archive, search, format = QStringLiteral("json");
    TDateTime from = 0, to = 0;
    bool hasSearch = false, hasPeriod = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        const bool takesValue = a == "--from" || a == "--to" || a == "--search" || a == "--format";
        if (takesValue && i + 1 >= args.size()) return cliUsage(QStringLiteral("%1 vuole un valore").arg(a));
        if (a == "--from" || a == "--to") {
            TDateTime d = 0;
            if (!cliParseDay(args[i + 1], d)) return cliUsage(cliDayError(args[i + 1]));
            (a == "--from" ? from : to) = d;
            hasPeriod = true;
            ++i;
        } else if (a == "--search") {
            search = args[++i];
            hasSearch = !search.isEmpty();
        } else if (a == "--format") {
            format = args[++i];
            if (format != "csv" && format != "json") return cliUsage(QStringLiteral("Formato sconosciuto: %1").arg(format));
        } else if (a.startsWith("--") || !archive.isEmpty()) {
            return cliUsage(QStringLiteral("Argomento inatteso: %1").arg(a));
        } else {
            archive = a;
        }
    }
    if (archive.isEmpty()) return cliUsage(kUsage);

    try {
        TDiaryTables tables;
        TDiaryModel *model = tables.Model;
        // Both tests of the diary's filter handler, each as the program runs it.
        tables.Diario->SetOnFilterRecord([=](TDataSet *ds, bool &accept) {
            bool period = true, found = true;
            if (hasPeriod) {
                model->PrintFilterActive = true;
                model->PeriodFrom = from;
                model->PeriodTo = to;
                model->DiarioFilterRecord(ds, period);
            }
            if (period && hasSearch) {
                model->PrintFilterActive = false;
                model->SearchText = search;
                model->DiarioFilterRecord(ds, found);
            }
            accept = period && found;
        });
        tables.Diario->SetSortedBy({QStringLiteral("Data"), QStringLiteral("ID_Diario")});
        tables.open(archive, true);

        const QList<TField *> fields = tables.Diario->Fields();
        if (format == "csv") {
            QStringList names;
            for (const TField *f : fields) names << csvField(f->FieldName);
            write(names.join(QLatin1Char(',')) + QStringLiteral("\r\n"));
        }
        TDaoTable *diario = tables.Diario;
        for (diario->First(); !diario->Eof(); diario->Next()) {
            if (format == "csv") {
                QStringList values;
                for (const TField *f : fields) values << csvField(f->AsString());
                write(values.join(QLatin1Char(',')) + QStringLiteral("\r\n"));
            } else {
                write(DiaryValues::jsonObject(fields) + QLatin1Char('\n'));
            }
        }
        fflush(stdout);
        tables.close();
    } catch (const Exception &e) {
        cliError(QStringLiteral("Esportazione non riuscita: %1").arg(e.message()));
        return 1;
    }
    return 0;
}
} // namespace

TONALBA_CLI_COMMAND(QStringLiteral("export"),
                    QStringLiteral("export <archivio.mdb> [--from D] [--to D] [--search T] [--format csv|json]  "
                                   "stampa i giorni del diario"),
                    runExport);
