// tonalba-cli import <archive.mdb> <file.csv>: appends the CSV's rows to the
// diary through the table component and its events, in one transaction: a bad
// row leaves the archive as it was.
//
// Beyond what the fields themselves refuse, a day must be new (to the file and
// to the archive, compared by calendar day), dated within kMinYear..kMaxYear,
// and its readings and weight must not be negative.

#include "tools/clicommand.h"
#include "app/csvdecoder.h"
#include "app/diarytables.h"
#include "core/datetime.h"

#include <QFile>
#include <QHash>
#include <QSet>
#include <cmath>

namespace {

// The date edits take any year from 1 to 9999 and nothing else bounds a day.
// A diary's days lie within a lifetime, so an import takes 1900..2100: a
// mistyped year (0024, 2204) would otherwise sit unseen at an end of the list.
constexpr int kMinYear = 1900;
constexpr int kMaxYear = 2100;

struct BadRow
{
    int record;
    int line;
    QString field;
    QString value;
    QString reason;
};

struct DayAt
{
    int record;
    int line;
};

// The whole day: the diary model dates a day by the whole part of its day
// count, whatever time of day it carries.
qint64 calendarDay(TDateTime value)
{
    return qint64(std::trunc(value));
}

int runImport(const QStringList &args)
{
    if (args.size() != 2) return cliUsage(QStringLiteral("Uso: import <archivio.mdb> <file.csv>"));
    QFile file(args[1]);
    if (!file.open(QIODevice::ReadOnly)) {
        cliError(QStringLiteral("Impossibile leggere %1: %2").arg(args[1], file.errorString()));
        return 1;
    }
    CsvDecoder csv;
    if (!csv.decode(file.readAll())) {
        if (csv.errorLine() > 0)
            cliError(QStringLiteral("%1: riga %2: %3").arg(args[1]).arg(csv.errorLine()).arg(csv.errorReason()));
        else
            cliError(QStringLiteral("%1: %2").arg(args[1], csv.errorReason()));
        return 1;
    }
    const QList<CsvRecord> &records = csv.records();

    try {
        TDiaryTables tables;
        TDaoTable *diario = tables.Diario;
        TDiaryModel *model = tables.Model;
        // Column i feeds field columns[i]; nullptr for the ignored ones.
        QList<TField *> columns;
        int dataColumn = -1;
        for (const QString &name : csv.header()) {
            TField *f = diario->FindField(name);
            if (!f) {
                cliError(QStringLiteral("%1: colonna sconosciuta \"%2\"").arg(args[1], name));
                return 1;
            }
            const bool stored = f->FieldKind == TFieldKind::fkData && f->DataType() != ftAutoInc;
            if (stored && f == model->DiarioData) dataColumn = int(columns.size());
            columns << (stored ? f : nullptr);
        }
        const QSet<const TField *> measures{
            model->DiarioSX_MIN_1, model->DiarioSX_MAX_1, model->DiarioSX_PULS_1, model->DiarioDX_MIN_1,
            model->DiarioDX_MAX_1, model->DiarioDX_PULS_1, model->DiarioSX_MIN_2, model->DiarioSX_MAX_2,
            model->DiarioSX_PULS_2, model->DiarioDX_MIN_2, model->DiarioDX_MAX_2, model->DiarioDX_PULS_2,
            model->DiarioPeso};

        tables.open(args[0]);
        // Every day passes: the import must not depend on a search left anywhere.
        model->SearchText.clear();
        model->PrintFilterActive = false;

        tables.Database->BeginTrans();
        try {
            QSet<qint64> archiveDays;
            for (diario->First(); !diario->Eof(); diario->Next())
                if (!model->DiarioData->IsNull()) archiveDays.insert(calendarDay(model->DiarioData->AsDateTime()));
            QHash<qint64, DayAt> fileDays;

            for (int r = 1; r <= records.size(); ++r) {
                const CsvRecord &rec = records[r - 1];
                if (rec.values.size() != columns.size())
                    throw BadRow{r, rec.line, QString(), QString(),
                                 QStringLiteral("attesi %1 valori, trovati %2").arg(columns.size()).arg(rec.values.size())};
                if (dataColumn < 0 || rec.values[dataColumn].trimmed().isEmpty())
                    throw BadRow{r, rec.line, QStringLiteral("Data"), QString(), QStringLiteral("manca la data")};
                diario->Append();
                auto refuse = [&](int c, const QString &reason) {
                    diario->Cancel();
                    return BadRow{r, rec.line, columns[c]->FieldName, rec.values[c], reason};
                };
                for (int c = 0; c < columns.size(); ++c) {
                    TField *field = columns[c];
                    if (!field) continue;
                    QString reason;
                    if (!DiaryValues::assignText(field, rec.values[c], &reason)) throw refuse(c, reason);
                    if (field == model->DiarioData) {
                        const TDateTime value = field->AsDateTime();
                        int year, month, day;
                        decodeDate(value, year, month, day);
                        if (year < kMinYear || year > kMaxYear)
                            throw refuse(c, QStringLiteral("l'anno %1 è fuori dall'intervallo %2..%3")
                                                .arg(year)
                                                .arg(kMinYear)
                                                .arg(kMaxYear));
                        const qint64 key = calendarDay(value);
                        const QString shown = dateToStr(double(key));
                        if (archiveDays.contains(key))
                            throw refuse(c, QStringLiteral("il giorno %1 è già nell'archivio").arg(shown));
                        const auto earlier = fileDays.constFind(key);
                        if (earlier != fileDays.cend())
                            throw refuse(c, QStringLiteral("il giorno %1 è già nel file al record %2, riga %3")
                                                .arg(shown)
                                                .arg(earlier->record)
                                                .arg(earlier->line));
                        fileDays.insert(key, DayAt{r, rec.line});
                    } else if (measures.contains(field) && !field->IsNull() && field->AsFloat() < 0) {
                        throw refuse(c, QStringLiteral("il valore non può essere negativo"));
                    }
                }
                try {
                    diario->Post();
                } catch (const Exception &e) {
                    diario->Cancel();
                    throw BadRow{r, rec.line, QString(), QString(), e.message()};
                }
            }
            tables.Database->CommitTrans();
        } catch (const BadRow &bad) {
            tables.Database->Rollback();
            QString where = QStringLiteral("record %1, riga %2").arg(bad.record).arg(bad.line);
            if (!bad.field.isEmpty()) where += QStringLiteral(", campo %1, valore \"%2\"").arg(bad.field, bad.value);
            cliError(QStringLiteral("Importazione annullata, archivio invariato: %1: %2").arg(where, bad.reason));
            return 1;
        } catch (...) {
            tables.Database->Rollback();
            throw;
        }
        tables.close();
    } catch (const Exception &e) {
        cliError(QStringLiteral("Importazione non riuscita: %1").arg(e.message()));
        return 1;
    }
    return 0;
}
} // namespace

TONALBA_CLI_COMMAND(QStringLiteral("import"),
                    QStringLiteral("import <archivio.mdb> <file.csv>  aggiunge al diario i giorni di un file CSV"),
                    runImport);
