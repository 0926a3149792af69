// tonalba-cli import <archive.mdb> <file.csv>: appends the CSV's rows to the
// diary through the table component and its events, in one transaction: a bad
// row leaves the archive as it was.

#include "tools/clicommand.h"
#include "app/diarytables.h"

#include <QFile>

namespace {

struct CsvRecord
{
    int line = 0;   // physical line the record starts on, from 1
    QStringList values;
};

// RFC 4180 records; quoted values may hold separators, quotes and line breaks.
QList<CsvRecord> parseCsv(const QString &text, QChar separator)
{
    QList<CsvRecord> records;
    CsvRecord current;
    QString value;
    bool quoted = false, fieldStarted = false;
    int line = 1;
    current.line = 1;
    auto endRecord = [&](int nextLine) {
        current.values << value;
        // A line with nothing on it is no record.
        if (!(current.values.size() == 1 && current.values[0].isEmpty() && !fieldStarted)) records << current;
        current = CsvRecord();
        current.line = nextLine;
        value.clear();
        fieldStarted = false;
    };
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < text.size() && text[i + 1] == QLatin1Char('"')) {
                    value += c;
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                if (c == QLatin1Char('\n')) ++line;
                value += c;
            }
            continue;
        }
        if (c == QLatin1Char('"')) {
            quoted = true;
            fieldStarted = true;
        } else if (c == separator) {
            current.values << value;
            value.clear();
            fieldStarted = true;
        } else if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            if (c == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n')) ++i;
            ++line;
            endRecord(line);
        } else {
            value += c;
            fieldStarted = true;
        }
    }
    if (fieldStarted || !value.isEmpty() || !current.values.isEmpty()) endRecord(line);
    return records;
}

QChar detectSeparator(const QString &text)
{
    int commas = 0, semicolons = 0;
    bool quoted = false;
    for (const QChar c : text) {
        if (c == QLatin1Char('"')) quoted = !quoted;
        else if (!quoted && (c == QLatin1Char('\n') || c == QLatin1Char('\r'))) break;
        else if (!quoted && c == QLatin1Char(',')) ++commas;
        else if (!quoted && c == QLatin1Char(';')) ++semicolons;
    }
    return semicolons > commas ? QLatin1Char(';') : QLatin1Char(',');
}

struct BadRow
{
    int record;
    int line;
    QString field;
    QString value;
    QString reason;
};

int runImport(const QStringList &args)
{
    if (args.size() != 2) return cliUsage(QStringLiteral("Uso: import <archivio.mdb> <file.csv>"));
    QFile file(args[1]);
    if (!file.open(QIODevice::ReadOnly)) {
        cliError(QStringLiteral("Impossibile leggere %1: %2").arg(args[1], file.errorString()));
        return 1;
    }
    QString text = QString::fromUtf8(file.readAll());
    if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
    const QList<CsvRecord> records = parseCsv(text, detectSeparator(text));
    if (records.isEmpty()) {
        cliError(QStringLiteral("%1: manca la riga d'intestazione con i nomi dei campi").arg(args[1]));
        return 1;
    }

    try {
        TDiaryTables tables;
        TDaoTable *diario = tables.Diario;
        // Column i feeds field columns[i]; nullptr for the ignored ones.
        QList<TField *> columns;
        int dataColumn = -1;
        for (const QString &rawName : records.first().values) {
            const QString name = rawName.trimmed();
            TField *f = diario->FindField(name);
            if (!f) {
                cliError(QStringLiteral("%1: colonna sconosciuta \"%2\"").arg(args[1], name));
                return 1;
            }
            const bool stored = f->FieldKind == TFieldKind::fkData && f->DataType() != ftAutoInc;
            if (stored && f->FieldName.compare(QLatin1String("Data"), Qt::CaseInsensitive) == 0)
                dataColumn = int(columns.size());
            columns << (stored ? f : nullptr);
        }
        tables.open(args[0]);
        // Every day passes: the import must not depend on a search left anywhere.
        tables.Model->SearchText.clear();
        tables.Model->PrintFilterActive = false;

        tables.Database->BeginTrans();
        try {
            for (int r = 1; r < records.size(); ++r) {
                const CsvRecord &rec = records[r];
                if (rec.values.size() != columns.size())
                    throw BadRow{r, rec.line, QString(), QString(),
                                 QStringLiteral("attesi %1 valori, trovati %2").arg(columns.size()).arg(rec.values.size())};
                if (dataColumn < 0 || rec.values[dataColumn].trimmed().isEmpty())
                    throw BadRow{r, rec.line, QStringLiteral("Data"), QString(), QStringLiteral("manca la data")};
                diario->Append();
                for (int c = 0; c < columns.size(); ++c) {
                    if (!columns[c]) continue;
                    QString reason;
                    if (!DiaryValues::assignText(columns[c], rec.values[c], &reason)) {
                        diario->Cancel();
                        throw BadRow{r, rec.line, columns[c]->FieldName, rec.values[c], reason};
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
