#pragma once
// The diary's database and its two table components, configured as the
// program uses them, with the diary model's fields and handlers attached:
//   Diario:  table "Diario", dynaset (2), optimistic lock (3), [dbSeeChanges]
//            (option mask 512), Filtered with DiarioFilterRecord, the
//            calculation and new-record handlers.
//   Intesta: table "Intestazione", dynaset, optimistic, no options, not
//            filtered, IntestaCalcFields.
// The command-line tool uses this as it stands; the main window owns the same
// components and calls configureDiario / configureIntesta on its own.
//
// Also the value forms the tool reads and prints: a field as a JSON value, and
// a typed text (import, header) stored into a field.

#include "app/diarymodel.h"
#include "data/daodatabase.h"
#include "data/daotable.h"

#include <QObject>

class TDiaryTables : public QObject
{
    Q_OBJECT
public:
    // The components (database, tables, fields) go on componentOwner when given,
    // so a window can hold them by name as the program's own window does.
    explicit TDiaryTables(QObject *owner = nullptr, QObject *componentOwner = nullptr);
    ~TDiaryTables() override;

    static void configureDiario(TDaoTable *table, TDaoDatabase *database, TDiaryModel *model);
    static void configureIntesta(TDaoTable *table, TDaoDatabase *database);

    // Connects to the archive and opens Intesta, then Diario (whose body-mass
    // index reads the header's height). Throws the engine's or the table's error.
    void open(const QString &archivePath, bool readOnly = false);
    void close();

    TDaoDatabase *Database;
    TDaoTable *Diario;
    TDaoTable *Intesta;
    TDiaryModel *Model;
};

namespace DiaryValues {

// The field's value as JSON: strings (null as ""), numbers in their shortest
// exact form (null when empty), dates "YYYY-MM-DD" plus " HH:MM:SS" when the
// time is not midnight, booleans true/false.
QString jsonValue(const TField *field);
// {"name":value,...} over the fields, in the given order.
QString jsonObject(const QList<TField *> &fields);
QString jsonString(const QString &text);

// A date as "YYYY-MM-DD" (optionally " HH:MM:SS") or in the regional short
// date format (optionally with the long time).
bool parseDate(const QString &text, TDateTime &out);

// Stores a typed text into a stored field: empty clears it, dates as above,
// numbers in the regional format. On failure returns false with the reason.
bool assignText(TField *field, const QString &text, QString *reason);

} // namespace DiaryValues
