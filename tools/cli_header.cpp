// tonalba-cli header <archive.mdb> [--set FIELD=VALUE ...]: changes stored
// fields of the archive's header row through the Intesta table, then prints
// the row, with Eta and fascia, as one JSON object.

#include "tools/clicommand.h"
#include "app/diarytables.h"

#include <cstdio>

namespace {

int runHeader(const QStringList &args)
{
    const QString usage = QStringLiteral("Uso: header <archivio.mdb> [--set CAMPO=VALORE ...]");
    QString archive;
    QList<QPair<QString, QString>> sets;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == "--set") {
            if (i + 1 >= args.size() || !args[i + 1].contains(QLatin1Char('='))) return cliUsage(usage);
            const QString &a = args[++i];
            const int eq = int(a.indexOf(QLatin1Char('=')));
            sets.append({a.left(eq).trimmed(), a.mid(eq + 1)});
        } else if (args[i].startsWith("--") || !archive.isEmpty()) {
            return cliUsage(QStringLiteral("Argomento inatteso: %1").arg(args[i]));
        } else {
            archive = args[i];
        }
    }
    if (archive.isEmpty()) return cliUsage(usage);

    try {
        TDiaryTables tables;
        TDaoTable *intesta = tables.Intesta;
        QList<TField *> targets;
        for (const auto &s : sets) {
            TField *f = intesta->FindField(s.first);
            if (!f || f->FieldKind != TFieldKind::fkData)
                return cliUsage(QStringLiteral("Campo sconosciuto: %1").arg(s.first));
            targets << f;
        }
        tables.open(archive);
        if (intesta->IsEmpty()) {
            cliError(QStringLiteral("L'archivio %1 non ha la riga di intestazione").arg(archive));
            return 1;
        }
        if (!sets.isEmpty()) {
            intesta->Edit();
            for (int i = 0; i < sets.size(); ++i) {
                QString reason;
                if (!DiaryValues::assignText(targets[i], sets[i].second, &reason)) {
                    intesta->Cancel();
                    cliError(QStringLiteral("Valore non valido per %1: %2").arg(targets[i]->FieldName, reason));
                    return 1;
                }
            }
            intesta->Post();
        }
        const QByteArray line = (DiaryValues::jsonObject(intesta->Fields()) + QLatin1Char('\n')).toUtf8();
        fwrite(line.constData(), 1, size_t(line.size()), stdout);
        fflush(stdout);
        tables.close();
    } catch (const Exception &e) {
        cliError(QStringLiteral("Intestazione non aggiornata: %1").arg(e.message()));
        return 1;
    }
    return 0;
}
} // namespace

TONALBA_CLI_COMMAND(QStringLiteral("header"),
                    QStringLiteral("header <archivio.mdb> [--set CAMPO=VALORE ...]  mostra e modifica l'intestazione"),
                    runHeader);
