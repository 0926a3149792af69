// The table component over real archives: open and field mapping, fetching,
// counting and numbering, editing, the memo stream, bookmarks, sorting,
// filtering and searching. "Another program" is a raw SQLite connection.

#include "app/diarytables.h"
#include "data/daotable.h"
#include "data/daotable_criteria.h"
#include "data/datalink.h"
#include "data/datasource.h"
#include "core/formatsettings.h"
#include "tests/data/tst_engine_util.h"

#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>

// Readable failure output.
inline void PrintTo(const QString &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }

namespace {

using testutil::rawExec;
using testutil::rawQuery;

// Records what the table asks the engine for, and opens bookmark calls to tests.
class ProbeTable : public TDaoTable
{
public:
    using TDaoTable::TDaoTable;
    using TDaoTable::InternalGotoBookmark;
    QStringList opened;

protected:
    std::unique_ptr<dao::Recordset> openEngineRecordset(const QString &source, int type, int options,
                                                        int lockType) override
    {
        opened << QStringLiteral("%1|%2|%3|%4").arg(source).arg(type).arg(options).arg(lockType);
        return TDaoTable::openEngineRecordset(source, type, options, lockType);
    }
};

// The table's bookmark: the record's row key, 4 bytes little-endian.
TBookmark bm(qint32 key)
{
    TBookmark b(4, '\0');
    qToLittleEndian<qint32>(key, b.data());
    return b;
}

QString message(const std::function<void()> &action)
{
    try {
        action();
    } catch (const Exception &e) {
        return e.message();
    }
    return QStringLiteral("<no error>");
}

class DaoTableTest : public testing::Test
{
protected:
    void SetUp() override
    {
        TFormatSettings it;
        ASSERT_TRUE(TFormatSettings::forLocale("it_IT", it));
        TFormatSettings::setCurrent(it);
        ASSERT_TRUE(dir.isValid());
        path = dir.path() + "/prova.mdb";
        TArchive::create(path);
        db.SetSmartOpen(false);
        db.SetDatabase(path);
    }
    void TearDown() override
    {
        if (HasFailure()) dir.setAutoRemove(false);
    }

    // A plain table with default fields, open.
    void openPlain(TDaoTable &t, const QString &name = "Diario")
    {
        if (!db.Connected()) db.Open();
        t.SetDatabase(&db);
        t.SetTableName(name);
        t.Open();
    }
    QStringList column(const QString &sql) { return rawQuery(path, sql); }

    QTemporaryDir dir;
    // The diary's day ids in the table's current order.
    static QList<int> diaryIds(TDiaryTables &tables)
    {
        QList<int> out;
        TDaoTable *d = tables.Diario;
        for (d->First(); !d->Eof(); d->Next()) out << tables.Model->DiarioID_Diario->AsInteger();
        return out;
    }
    QString path;
    TDaoDatabase db;
};

// ---- open and field mapping ---------------------------------------------------

TEST_F(DaoTableTest, DiarioOpensWithTheDiaryConfiguration)
{
    QObject owner;
    ProbeTable diario(&owner);
    TDaoTable intesta(&owner);
    TDiaryModel model(&owner, &diario, &intesta);
    model.attach();
    TDiaryTables::configureDiario(&diario, &db, &model);
    TDiaryTables::configureIntesta(&intesta, &db);
    db.Open();
    intesta.Open();
    diario.Open();
    EXPECT_EQ(diario.opened, QStringList{"Diario|2|512|3"});
    EXPECT_EQ(diario.OptionMask(), 512);
    EXPECT_TRUE(diario.Filtered());
    EXPECT_FALSE(diario.ReadOnly());
    // Persistent fields bound by name, calculated ones after them.
    EXPECT_EQ(diario.FieldCount(), 27);
    EXPECT_EQ(diario.FieldDefs().Count(), 16);
    EXPECT_TRUE(model.DiarioID_Diario->ReadOnly);
    EXPECT_EQ(diario.RecordCount(), 0);
    EXPECT_EQ(intesta.RecordCount(), 1);
    EXPECT_EQ(model.IntestaNome->AsString(), "Inserire nome");
    EXPECT_FALSE(diario.objectName().isEmpty());
}

TEST_F(DaoTableTest, FieldDefinitionsFollowTheEngineTypes)
{
    rawExec(path, "CREATE TABLE Prova (ID INTEGER PRIMARY KEY AUTOINCREMENT, Testo VARCHAR(40), Giorno DATETIME,"
                  " Ora DATETIME, Quando DATETIME, Libero DATETIME, Conto CURRENCY, Flag BIT, Piccolo SMALLINT,"
                  " Lungo INT, Reale DOUBLE, Nota MEMO, Dati BLOB, Obbligo VARCHAR(5) NOT NULL DEFAULT 'x');"
                  "CREATE TABLE tonalba_properties (table_name, field_name, name, value);"
                  "INSERT INTO tonalba_properties VALUES ('Prova', 'Giorno', 'Format', 'Short Date'),"
                  " ('Prova', 'Ora', 'Format', 'Long Time'), ('Prova', 'Quando', 'Format', 'General Date');");
    TDaoTable t;
    openPlain(t, "Prova");
    struct Case
    {
        const char *field;
        TFieldType type;
        const char *typeName;
        int size;
    };
    const Case cases[] = {
        {"ID", ftAutoInc, "ftAutoInc", 0},        {"Testo", ftString, "ftString", 40},
        {"Giorno", ftDate, "ftDate", 0},          {"Ora", ftTime, "ftTime", 0},
        {"Quando", ftDateTime, "ftDateTime", 0},  {"Libero", ftDateTime, "ftDateTime", 0},
        {"Conto", ftCurrency, "ftCurrency", 0},   {"Flag", ftBoolean, "ftBoolean", 0},
        {"Piccolo", ftSmallint, "ftSmallInt", 0}, {"Lungo", ftInteger, "ftInteger", 0},
        {"Reale", ftFloat, "ftFloat", 0},         {"Nota", ftMemo, "ftMemo", -1},
        {"Dati", ftBlob, "ftBlob", -1},
    };
    for (const Case &c : cases) {
        const TFieldDef *def = t.FieldDefs().Find(c.field);
        ASSERT_NE(def, nullptr) << c.field;
        EXPECT_EQ(def->DataType, c.type) << c.field;
        if (c.size >= 0) {
            EXPECT_EQ(def->Size, c.size) << c.field;
        }
        EXPECT_EQ(t.FieldTypeNames().value(t.FieldDefs().IndexOf(c.field)), c.typeName) << c.field;
        ASSERT_NE(t.FindField(c.field), nullptr) << c.field;
        EXPECT_EQ(t.FindField(c.field)->DataType(), c.type) << c.field;
    }
    EXPECT_TRUE(t.FieldByName("ID")->ReadOnly);
    EXPECT_FALSE(t.FieldByName("Testo")->ReadOnly);
    EXPECT_TRUE(t.FieldDefs().Find("Obbligo")->Required);
    EXPECT_EQ(t.FieldByName("Quando")->DisplayWidth(), 20);
}

TEST_F(DaoTableTest, DefaultValuesOfANewRecord)
{
    rawExec(path, "CREATE TABLE Prova (ID INTEGER PRIMARY KEY AUTOINCREMENT, Testo VARCHAR(20) DEFAULT 'abc',"
                  " Nullo VARCHAR(20) DEFAULT 'Null', Vuoto VARCHAR(20) DEFAULT NULL, Giorno DATETIME DEFAULT"
                  " '2024-03-05 00:00:00', Reale DOUBLE DEFAULT 2.5, Lungo INT DEFAULT 7);");
    TDaoTable t;
    openPlain(t, "Prova");
    EXPECT_EQ(t.DefaultValues().value(1), "abc");
    EXPECT_EQ(t.DefaultValues().value(2), "");
    t.Append();
    EXPECT_EQ(t.FieldByName("Testo")->AsString(), "abc");
    EXPECT_TRUE(t.FieldByName("Nullo")->IsNull());
    EXPECT_TRUE(t.FieldByName("Vuoto")->IsNull());
    EXPECT_EQ(t.FieldByName("Giorno")->AsDateTime(), encodeDate(2024, 3, 5));
    EXPECT_EQ(t.FieldByName("Reale")->AsFloat(), 2.5);
    EXPECT_EQ(t.FieldByName("Lungo")->AsInteger(), 7);
    t.Post();
    EXPECT_EQ(column("SELECT Testo || '|' || Reale || '|' || Giorno FROM Prova"),
              QStringList{"abc|2.5|2024-03-05 00:00:00"});
    EXPECT_EQ(t.FieldByName("ID")->AsInteger(), 1);
}

TEST_F(DaoTableTest, ReadOnlyDatabaseMakesTheTableReadOnly)
{
    testutil::addDays(path, 2);
    db.SetReadOnly(true);
    TDaoTable t;
    openPlain(t);
    EXPECT_TRUE(t.ReadOnly());
    EXPECT_FALSE(t.CanModify());
    EXPECT_EQ(message([&] { t.Edit(); }), "Cannot modify a read-only dataset");
    EXPECT_EQ(message([&] { t.CreateBlobStream(t.FieldByName("Note"), QIODevice::WriteOnly); }),
              "Cannot write to ReadOnly table!");
    t.SetReadOnly(false);   // refused while the connection is read-only
    EXPECT_TRUE(t.ReadOnly());
}

TEST_F(DaoTableTest, OpenErrorsAndRefusedWrites)
{
    TDaoTable t;
    EXPECT_EQ(message([&] { t.Open(); }), "TDaoTable.OpenDaoRecordset: Missing Database Property");
    t.SetDatabase(&db);
    EXPECT_EQ(message([&] { t.Open(); }),
              "TDaoTable.OpenDaoRecordset: Missing TableName or QueryDefName, or SQL is empty!");
    t.SetTableName("Diario");
    EXPECT_EQ(message([&] { t.Open(); }), "TDaoTable.OpenDaoRecordset: Database is NOT connected");
    t.DatabaseAutoActivate = true;
    t.SetTableType(16);
    EXPECT_EQ(message([&] { t.Open(); }), "TDaoTable.OpenDaoRecordset: DynamicTables are for ODBC connections only!");
    EXPECT_FALSE(t.Active());
    t.SetTableType(2);
    EXPECT_EQ(message([&] { t.SetIndexName("Data"); }),
              "TDaoTable.F_Set_IndexName: Indexes can be set only on Standard Tables!");
    t.SetTableName("Nessuna");
    EXPECT_NE(message([&] { t.Open(); }), "<no error>");   // the engine's own message
    EXPECT_FALSE(t.Active());

    t.SetTableName("Diario");
    t.Open();
    TDaoDatabase other;
    const struct
    {
        std::function<void()> write;
        const char *text;
    } refused[] = {
        {[&] { t.SetTableName("Intestazione"); }, "TDaoTable.F_Set_TableName: Cannot set TableName while Table is active!"},
        {[&] { t.SetTableType(4); }, "TDaoTable.F_Set_TableType: Cannot set TableType while Table is active!"},
        {[&] { t.SetLockType(2); }, "TDaoTable.F_Set_LockType: Cannot set LockType while Table is active!"},
        {[&] { t.SetQueryDefName("q"); }, "TDaoTable.F_Set_QueryDefName: Cannot set QueryDefName while Table is Active!"},
        {[&] { t.SetDatabase(&other); }, "TDaoTable.F_Set_Database: Cannot set Database while Table is Active!"},
    };
    for (const auto &r : refused) EXPECT_EQ(message(r.write), r.text);
    EXPECT_EQ(t.TableName(), "Diario");
}

TEST_F(DaoTableTest, PersistentFieldsMustMatchTheTable)
{
    db.Open();
    struct Case
    {
        const char *name;
        bool integer;
        const char *error;
    } cases[] = {
        {"Assente", false, "Field 'Assente' not found"},
        {"Nome", true, "Type mismatch for field 'Nome', expecting: Integer actual: String"},
    };
    for (const Case &c : cases) {
        QObject owner;
        TDaoTable t(&owner);
        t.SetDatabase(&db);
        t.SetTableName("Intestazione");
        TField *f = c.integer ? static_cast<TField *>(new TIntegerField(&owner)) : new TStringField(&owner);
        f->FieldName = c.name;
        f->SetDataSet(&t);
        EXPECT_EQ(message([&] { t.Open(); }), c.error);
        EXPECT_FALSE(t.Active());
        EXPECT_TRUE(db.Clients().isEmpty());
    }
}

TEST_F(DaoTableTest, RegistersWithTheDatabaseWhichClosesIt)
{
    TDaoTable t;
    openPlain(t);
    EXPECT_EQ(db.Clients().size(), 1);
    db.Close();
    EXPECT_FALSE(t.Active());
    EXPECT_TRUE(db.Clients().isEmpty());
}

// ---- fetching, counting, numbering --------------------------------------------------

TEST_F(DaoTableTest, EmptyTableCountsZeroAndNumbersMinusOne)
{
    TDaoTable t;
    openPlain(t);
    EXPECT_TRUE(t.IsEmpty());
    EXPECT_EQ(t.RecordCount(), 0);
    EXPECT_EQ(t.RecNo(), -1);
    t.Last();
    EXPECT_TRUE(t.Eof());
    EXPECT_TRUE(t.IsEmpty());
}

TEST_F(DaoTableTest, NavigatesAndNumbersEveryRecord)
{
    testutil::addDays(path, 5);
    TDaoTable t;
    openPlain(t);
    EXPECT_EQ(t.RecordCount(), 5);
    QList<int> seen;
    for (t.First(); !t.Eof(); t.Next()) {
        seen << t.FieldByName("SX_MAX_1")->AsInteger();
        EXPECT_EQ(t.RecNo(), seen.size());
    }
    EXPECT_EQ(seen, (QList<int>{120, 121, 122, 123, 124}));
    t.Last();
    EXPECT_EQ(t.FieldByName("SX_MAX_1")->AsInteger(), 124);
    t.Prior();
    EXPECT_EQ(t.RecNo(), 4);
    t.SetRecNo(2);
    EXPECT_EQ(t.FieldByName("SX_MAX_1")->AsInteger(), 121);
    EXPECT_EQ(t.FieldByName("Data")->AsString(), "02/01/2000");
    EXPECT_EQ(t.FieldByName("Peso")->AsString(), "70,5");
}

TEST_F(DaoTableTest, EveryFetchReadsTheRecordAgain)
{
    testutil::addDays(path, 3);
    TDaoTable t;
    openPlain(t);
    t.Next();
    rawExec(path, "UPDATE Diario SET SX_MAX_1 = 999 WHERE ID_Diario = 1");
    t.Prior();
    EXPECT_EQ(t.FieldByName("SX_MAX_1")->AsInteger(), 999);
}

TEST_F(DaoTableTest, FilterHandlerCountsAndNumbersOnlyAcceptedRecords)
{
    testutil::addDays(path, 7);
    TDaoTable t;
    t.SetFiltered(true);
    bool evenOnly = true;
    t.SetOnFilterRecord([&](TDataSet *ds, bool &accept) {
        accept = !evenOnly || ds->FieldByName("ID_Diario")->AsInteger() % 2 == 0;
    });
    openPlain(t);
    EXPECT_EQ(t.RecordCount(), 3);
    QList<int> numbers, ids;
    for (t.First(); !t.Eof(); t.Next()) {
        numbers << t.RecNo();
        ids << t.FieldByName("ID_Diario")->AsInteger();
    }
    EXPECT_EQ(numbers, (QList<int>{1, 2, 3}));
    EXPECT_EQ(ids, (QList<int>{2, 4, 6}));
    t.SetRecNo(2);
    EXPECT_EQ(t.FieldByName("ID_Diario")->AsInteger(), 4);
    // New criteria and First, as the diary's search does: the count follows.
    evenOnly = false;
    t.First();
    EXPECT_EQ(t.RecordCount(), 7);
}

// ---- editing --------------------------------------------------------------------------

TEST_F(DaoTableTest, PostedNewDayLeavesTheCursorOnItWithItsKey)
{
    testutil::addDays(path, 3);
    TDiaryTables tables;
    tables.open(path);
    TDaoTable *d = tables.Diario;
    d->Last();
    d->Append();
    EXPECT_EQ(tables.Model->DiarioData->AsDateTime(), today());   // the new-day handler ran
    tables.Model->DiarioSX_MAX_1->SetAsInteger(131);
    tables.Model->DiarioSX_MIN_1->SetAsInteger(81);
    d->Post();
    EXPECT_EQ(d->State(), DataSetState::Browse);
    EXPECT_EQ(tables.Model->DiarioID_Diario->AsInteger(), 4);
    EXPECT_EQ(tables.Model->DiarioSX_MAX_1->AsInteger(), 131);
    EXPECT_EQ(tables.Model->DiarioPRESS->AsString(), "131 / 81");
    EXPECT_EQ(d->RecordCount(), 4);
    EXPECT_EQ(d->RecNo(), 4);
    EXPECT_EQ(column("SELECT SX_MAX_1 FROM Diario WHERE ID_Diario = 4"), QStringList{"131"});
    // An insert in the middle shows the new record too.
    d->First();
    d->Insert();
    tables.Model->DiarioSX_MAX_1->SetAsInteger(140);
    d->Post();
    EXPECT_EQ(tables.Model->DiarioID_Diario->AsInteger(), 5);
}

TEST_F(DaoTableTest, ClearedTextIsWrittenAsNull)
{
    TDaoTable t;
    openPlain(t, "Intestazione");
    t.Edit();
    t.FieldByName("Nome")->SetValue(QString(""));
    t.FieldByName("Altezza")->SetAsString("1,72");
    t.Post();
    EXPECT_EQ(column("SELECT quote(Nome) || '|' || Altezza FROM Intestazione"), QStringList{"NULL|1.72"});
    EXPECT_TRUE(t.FieldByName("Nome")->IsNull());
}

TEST_F(DaoTableTest, CancelKeepsTheStoredValues)
{
    testutil::addDays(path, 2);
    TDaoTable t;
    openPlain(t);
    t.Edit();
    t.FieldByName("SX_MAX_1")->SetAsInteger(1);
    t.Cancel();
    EXPECT_EQ(t.FieldByName("SX_MAX_1")->AsInteger(), 120);
    t.Next();
    t.Insert();
    t.Cancel();
    EXPECT_EQ(t.FieldByName("SX_MAX_1")->AsInteger(), 121);
    EXPECT_EQ(column("SELECT count(*) || '|' || min(SX_MAX_1) FROM Diario"), QStringList{"2|120"});
}

TEST_F(DaoTableTest, FailedPostStaysInEditWithTheTypedValues)
{
    rawExec(path, "CREATE TABLE Prova (ID INTEGER PRIMARY KEY AUTOINCREMENT, Codice VARCHAR(5) UNIQUE);"
                  "INSERT INTO Prova (Codice) VALUES ('a'), ('b');");
    TDaoTable t;
    openPlain(t, "Prova");
    t.Next();
    t.Edit();
    t.FieldByName("Codice")->SetAsString("a");
    EXPECT_NE(message([&] { t.Post(); }), "<no error>");
    EXPECT_EQ(t.State(), DataSetState::Edit);
    EXPECT_EQ(t.FieldByName("Codice")->AsString(), "a");
    t.FieldByName("Codice")->SetAsString("c");
    t.Post();
    EXPECT_EQ(column("SELECT group_concat(Codice) FROM Prova"), QStringList{"a,c"});
}

// Two windows on one archive: the second post of the same day is refused, the
// typed text stays, and Cancel shows the other window's change.
TEST_F(DaoTableTest, PostOverAChangeFromAnotherConnectionIsRefused)
{
    testutil::addDays(path, 2);
    TDaoTable first;
    openPlain(first);
    TDaoDatabase otherDb;
    otherDb.SetSmartOpen(false);
    otherDb.SetDatabase(path);
    otherDb.Open();
    TDaoTable second;
    second.SetDatabase(&otherDb);
    second.SetTableName("Diario");
    second.Open();

    first.Edit();
    first.FieldByName("Note")->SetAsString("Capogiro al mattino");
    second.Edit();
    second.FieldByName("Note")->SetAsString("Tutto bene");
    second.Post();
    EXPECT_EQ(message([&] { first.Post(); }),
              "The Microsoft Jet database engine stopped the process because you and another user are attempting to "
              "change the same data at the same time.");
    EXPECT_EQ(first.State(), DataSetState::Edit);
    EXPECT_EQ(first.FieldByName("Note")->AsString(), "Capogiro al mattino");
    EXPECT_EQ(column("SELECT Note FROM Diario WHERE ID_Diario = 1"), QStringList{"Tutto bene"});

    first.Cancel();
    EXPECT_EQ(first.FieldByName("Note")->AsString(), "Tutto bene");
    first.Edit();
    first.FieldByName("Note")->SetAsString("Tutto bene. Capogiro al mattino");
    first.Post();
    EXPECT_EQ(column("SELECT Note FROM Diario WHERE ID_Diario = 1"), QStringList{"Tutto bene. Capogiro al mattino"});
}

TEST_F(DaoTableTest, MemoIsReadThroughTheStreamNeverAsItsLength)
{
    rawExec(path, "INSERT INTO Diario (Data, Note) VALUES ('2024-03-05 00:00:00', 'pressione presa dopo il caffè');"
                  "INSERT INTO Diario (Data, Note) VALUES ('2024-03-06 00:00:00', NULL);");
    TDaoTable t;
    openPlain(t);
    TField *note = t.FieldByName("Note");
    EXPECT_EQ(note->AsString(), "pressione presa dopo il caffè");
    EXPECT_EQ(note->Value().toString(), "pressione presa dopo il caffè");
    t.Next();
    EXPECT_TRUE(note->IsNull());
    EXPECT_EQ(note->AsString(), "");
}

TEST_F(DaoTableTest, RingOfBuffersFollowsTheCursor)
{
    testutil::addDays(path, 9);
    rawExec(path, "UPDATE Diario SET Note = 'nota ' || ID_Diario");
    TDaoTable t;
    TDataSource source;
    source.SetDataSet(&t);
    TDataLink grid;
    grid.SetBufferCount(4);
    grid.SetDataSource(&source);
    openPlain(t);
    EXPECT_EQ(t.BufferedRecordCount(), 4);
    // The cursor stands on the fourth record: reading the first one's memo goes there and back.
    EXPECT_EQ(t.FieldByName("Note")->AsString(), "nota 1");
    t.MoveBy(5);
    EXPECT_EQ(t.FieldByName("ID_Diario")->AsInteger(), 6);
    EXPECT_EQ(t.FieldByName("Note")->AsString(), "nota 6");
    EXPECT_EQ(t.RecNo(), 6);
    t.MoveBy(-4);
    EXPECT_EQ(t.FieldByName("ID_Diario")->AsInteger(), 2);
    t.Delete();
    EXPECT_EQ(t.FieldByName("ID_Diario")->AsInteger(), 3);
    EXPECT_EQ(t.RecNo(), 2);
    t.Last();
    EXPECT_EQ(t.FieldByName("Note")->AsString(), "nota 9");
    t.Edit();
    t.FieldByName("SX_MAX_1")->SetAsInteger(200);
    t.Prior();   // posts first
    EXPECT_EQ(column("SELECT SX_MAX_1 FROM Diario WHERE ID_Diario = 9"), QStringList{"200"});
    EXPECT_EQ(t.RecordCount(), 8);
}

TEST_F(DaoTableTest, ShorterMemoWriteKeepsOnlyTheNewBytes)
{
    rawExec(path, "INSERT INTO Diario (Data, Note) VALUES ('2024-03-05 00:00:00', 'una nota lunga');");
    TDaoTable t;
    openPlain(t);
    t.Edit();
    {
        std::unique_ptr<QIODevice> s = t.CreateBlobStream(t.FieldByName("Note"), QIODevice::ReadWrite);
        EXPECT_EQ(s->readAll(), "una nota lunga");
        s->seek(0);
        s->write("breve");
    }
    EXPECT_EQ(t.FieldByName("Note")->AsString(), "breve");
    t.Post();
    EXPECT_EQ(column("SELECT Note FROM Diario"), QStringList{"breve"});
    {
        t.Edit();
        std::unique_ptr<QIODevice> s = t.CreateBlobStream(t.FieldByName("Note"), QIODevice::ReadWrite);
        s->seek(3);
        s->write("ZZ");
    }
    t.Post();
    EXPECT_EQ(column("SELECT Note FROM Diario"), QStringList{"breZZ"});
}

TEST_F(DaoTableTest, RowDeletedByAnotherProgramIsAbsorbed)
{
    testutil::addDays(path, 3);
    TDaoTable t;
    openPlain(t);
    rawExec(path, "DELETE FROM Diario WHERE ID_Diario = 1");
    EXPECT_EQ(message([&] { t.Delete(); }), "<no error>");
    EXPECT_EQ(t.RecordCount(), 2);
    EXPECT_EQ(t.FieldByName("ID_Diario")->AsInteger(), 2);
    // With an error handler the error reaches it.
    rawExec(path, "DELETE FROM Diario WHERE ID_Diario = 2");
    int seen = 0;
    t.OnDeleteError = [&](TDataSet *, EDatabaseError &e, TDataAction &action) {
        seen = static_cast<EDaoError &>(e).number();
        action = TDataAction::Abort;
    };
    EXPECT_THROW(t.Delete(), EAbort);
    EXPECT_EQ(seen, dao::errRecordDeleted);
}

TEST_F(DaoTableTest, DeleteMovesToTheNextRecord)
{
    testutil::addDays(path, 3);
    TDaoTable t;
    openPlain(t);
    t.Next();
    t.Delete();
    EXPECT_EQ(t.FieldByName("ID_Diario")->AsInteger(), 3);
    t.Delete();
    EXPECT_EQ(t.FieldByName("ID_Diario")->AsInteger(), 1);
    t.Delete();
    EXPECT_TRUE(t.IsEmpty());
    EXPECT_EQ(t.RecordCount(), 0);
}

TEST_F(DaoTableTest, RefreshShowsRowsAddedElsewhere)
{
    testutil::addDays(path, 2);
    TDaoTable t;
    openPlain(t);
    t.Next();
    testutil::addDays(path, 1);
    EXPECT_EQ(t.RecordCount(), 2);
    t.Refresh();
    EXPECT_EQ(t.RecordCount(), 3);
    EXPECT_EQ(t.FieldByName("ID_Diario")->AsInteger(), 2);
}

// ---- bookmarks --------------------------------------------------------------------------

TEST_F(DaoTableTest, BookmarksAndTheirMessages)
{
    testutil::addDays(path, 4);
    ProbeTable t;
    EXPECT_EQ(message([&] { t.InternalGotoBookmark(bm(1)); }),
              "TDaoTable.InternalGotoBookmark: Cannot goto Bookmark - Table is not Active");
    openPlain(t);
    t.Next();
    const TBookmark second = t.GetBookmark();
    EXPECT_EQ(second.size(), 4);
    t.Last();
    const TBookmark last = t.GetBookmark();
    t.GotoBookmark(second);
    EXPECT_EQ(t.FieldByName("ID_Diario")->AsInteger(), 2);
    EXPECT_TRUE(t.BookmarkValid(second));
    EXPECT_FALSE(t.BookmarkValid(bm(3)));   // never taken
    EXPECT_LT(t.CompareBookmarks(second, last), 0);
    EXPECT_LT(t.CompareBookmarks(TBookmark(), second), 0);
    EXPECT_EQ(t.FieldByName("ID_Diario")->AsInteger(), 2);   // validity tests leave the record

    const struct
    {
        TBookmark bookmark;
        const char *text;
    } cases[] = {
        {TBookmark(), "Invalid Bookmark!"},
        {bm(0), "Bookmarks are not supported!"},
        {bm(3), "Invalid Bookmark!"},
    };
    for (const auto &c : cases) EXPECT_EQ(message([&] { t.InternalGotoBookmark(c.bookmark); }), c.text);

    rawExec(path, "DELETE FROM Diario WHERE ID_Diario = 4");
    EXPECT_FALSE(t.BookmarkValid(last));
    EXPECT_NE(message([&] { t.GotoBookmark(last); }), "<no error>");

    ProbeTable forward;
    forward.SetTableType(dao::dbOpenForwardOnly);
    openPlain(forward);
    EXPECT_EQ(message([&] { forward.InternalGotoBookmark(bm(1)); }),
              "Bookmarks are not supported!");
    EXPECT_TRUE(forward.GetBookmark().isEmpty());
}

// ---- sorting, filtering, searching -------------------------------------------------------

TEST_F(DaoTableTest, SortByDataTwiceGivesTheSameOrderFromTheFirstRow)
{
    rawExec(path, "INSERT INTO Diario (Data, SX_MAX_1) VALUES ('2024-03-07 00:00:00', 3), ('2024-03-05 00:00:00', 1),"
                  " ('2024-03-06 00:00:00', 2);");
    TDaoTable t;
    openPlain(t);
    t.Last();
    auto order = [&] {
        QList<int> out;
        for (; !t.Eof(); t.Next()) out << t.FieldByName("SX_MAX_1")->AsInteger();
        return out;
    };
    for (int click = 0; click < 2; ++click) {
        t.SetSortedBy({});
        t.SetSortedBy({"Data"});
        t.ApplySort();
        EXPECT_EQ(t.SortText(), "Data ");
        EXPECT_EQ(t.RecNo(), 1) << "click " << click;
        EXPECT_EQ(order(), (QList<int>{1, 2, 3})) << "click " << click;
    }
    t.SetSortedBy({"Data DESC", "ID_Diario"});
    EXPECT_EQ(t.SortText(), "Data DESC, ID_Diario ");
    EXPECT_EQ(order(), (QList<int>{3, 2, 1}));
    EXPECT_NE(message([&] { t.SetSortedBy({"Nessuna"}); }), "<no error>");
    EXPECT_TRUE(t.IsEmpty());   // no records until the next good reopen
    t.SetSortedBy({"Data"});
    EXPECT_EQ(order(), (QList<int>{1, 2, 3}));
}

TEST_F(DaoTableTest, SortByACalculatedColumn)
{
    rawExec(path, "UPDATE Intestazione SET Altezza = 1.8;"
                  "INSERT INTO Diario (Data, SX_MAX_1, SX_MIN_1, Peso) VALUES"
                  " ('2024-03-01 00:00:00', 150, 90, 90), ('2024-03-02 00:00:00', 120, 70, 60),"
                  " ('2024-03-03 00:00:00', 135, 80, NULL), ('2024-03-04 00:00:00', 120, 75, 75);");
    TDiaryTables tables;
    tables.open(path);
    TDaoTable *d = tables.Diario;
    auto ids = [&] { return diaryIds(tables); };
    struct Case
    {
        const char *key;
        QList<int> expected;
    } cases[] = {
        {"MAX", {2, 4, 3, 1}},   // ties keep the table's order
        {"MAX DESC", {1, 3, 2, 4}},
        {"BMI", {3, 2, 4, 1}},
        {"MIN", {2, 4, 3, 1}},
    };
    for (const Case &c : cases) {
        d->SetSortedBy({c.key});
        EXPECT_EQ(d->RecNo(), 1) << c.key;
        EXPECT_EQ(ids(), c.expected) << c.key;
        EXPECT_EQ(d->RecordCount(), 4) << c.key;
    }
    // Editing and adding under that order.
    d->SetSortedBy({"MAX"});
    d->Last();
    d->Edit();
    tables.Model->DiarioSX_MAX_1->SetAsInteger(151);
    d->Post();
    EXPECT_EQ(tables.Model->DiarioID_Diario->AsInteger(), 1);
    d->Append();
    tables.Model->DiarioSX_MAX_1->SetAsInteger(100);
    d->Post();
    EXPECT_EQ(tables.Model->DiarioID_Diario->AsInteger(), 5);
    EXPECT_EQ(ids(), (QList<int>{2, 4, 3, 1, 5}));   // a new day joins the end until the next sort
    d->ApplySort();
    EXPECT_EQ(ids(), (QList<int>{5, 2, 4, 3, 1}));
}

TEST_F(DaoTableTest, EngineFilterTextAndFilteredRestoredOnFailure)
{
    testutil::addDays(path, 5);
    TDaoTable t;
    openPlain(t);
    t.SetFilter("SX_MAX_1 >= 123");
    EXPECT_EQ(t.RecordCount(), 5);   // not filtered yet
    t.SetFiltered(true);
    EXPECT_EQ(t.RecordCount(), 2);
    EXPECT_EQ(t.FieldByName("SX_MAX_1")->AsInteger(), 123);
    t.SetFiltered(false);
    t.SetFilter("Nessuna = 1");
    EXPECT_NE(message([&] { t.SetFiltered(true); }), "<no error>");
    EXPECT_FALSE(t.Filtered());
}

TEST_F(DaoTableTest, DiarySearchShowsOnlyMatchingDays)
{
    rawExec(path, "INSERT INTO Diario (Data, SX_MIN_1, SX_MAX_1, Note) VALUES"
                  " ('2024-03-01 00:00:00', 85, 135, NULL), ('2024-03-02 00:00:00', 82, 125, 'tutto normale'),"
                  " ('2024-03-03 00:00:00', 95, 165, 'dopo le scale');");
    TDiaryTables tables;
    tables.open(path);
    TDaoTable *d = tables.Diario;
    auto ids = [&] { return diaryIds(tables); };
    struct Case
    {
        const char *search;
        QList<int> expected;
    } cases[] = {
        {"", {1, 2, 3}}, {"Normale", {1, 2}}, {"normale", {2}}, {"scale", {3}}, {"85 135", {1}}, {"nulla", {}},
        {"Normale - alta", {1}},
    };
    for (const Case &c : cases) {
        tables.Model->SearchText = c.search;
        EXPECT_EQ(ids(), c.expected) << c.search;
        EXPECT_EQ(d->RecordCount(), c.expected.size()) << c.search;
    }
}

TEST_F(DaoTableTest, LocateIsFalseWhileTheDiaryHandlerIsActive)
{
    testutil::addDays(path, 3);
    TDiaryTables tables;
    tables.open(path);
    EXPECT_FALSE(tables.Diario->Locate("SX_MAX_1", 121));
    tables.Diario->SetFiltered(false);
    EXPECT_TRUE(tables.Diario->Locate("SX_MAX_1", 121));
    EXPECT_EQ(tables.Model->DiarioID_Diario->AsInteger(), 2);
}

TEST_F(DaoTableTest, LocateFindsByKeys)
{
    rawExec(path, "INSERT INTO Diario (Data, SX_MAX_1, Peso, Note) VALUES ('2024-03-05 00:00:00', 120, 70.5, 'Rossi'),"
                  " ('2024-03-06 00:00:00', 121, 72, 'a*b c'), ('2024-03-07 00:00:00', 122, NULL, 'AB*Bx');");
    TDaoTable t;
    openPlain(t);
    const int ci = int(TLocateOption::CaseInsensitive), partial = int(TLocateOption::PartialKey);
    struct Case
    {
        const char *fields;
        QVariant values;
        int options;
        int expectedId;   // 0: not found
    } cases[] = {
        {"SX_MAX_1", 122, 0, 3},
        {"Peso", 72.0, 0, 2},
        {"Peso", QVariant(), 0, 3},
        {"Data", encodeDate(2024, 3, 6), 0, 2},
        {"Data", "06/03/2024", 0, 2},
        {"Note", "rossi", 0, 1},   // the engine compares text without regard to case
        {"Note", "rossi", ci, 1},
        {"Note", "ross", 0, 0},
        {"Note", "ab*", ci | partial, 3},
        {"Note", "a*", partial, 2},
        {"Data;SX_MAX_1", QVariantList{encodeDate(2024, 3, 5), 120}, 0, 1},
        {"Data;SX_MAX_1", QVariantList{encodeDate(2024, 3, 5), 121}, 0, 0},
    };
    for (const Case &c : cases) {
        t.First();
        t.Next();
        const bool found = t.Locate(c.fields, c.values, c.options);
        EXPECT_EQ(found, c.expectedId != 0) << c.fields << " " << c.values.toString().toStdString();
        if (found) EXPECT_EQ(t.FieldByName("ID_Diario")->AsInteger(), c.expectedId) << c.fields;
        else EXPECT_EQ(t.FieldByName("ID_Diario")->AsInteger(), 2) << c.fields;
    }
    EXPECT_EQ(message([&] { t.Locate("Data;Peso", 1); }),
              "Number of elements in the KeyValues array must be equal to the number of fields.");
}

TEST_F(DaoTableTest, LookupReadsWithoutMoving)
{
    rawExec(path, "UPDATE Intestazione SET Altezza = 1.8;"
                  "INSERT INTO Diario (Data, SX_MAX_1, SX_MIN_1) VALUES ('2024-03-05 00:00:00', 120, 80),"
                  " ('2024-03-06 00:00:00', 150, 92);");
    TDiaryTables tables;
    tables.open(path);
    TDaoTable *d = tables.Diario;
    EXPECT_EQ(d->Lookup("ID_Diario", 2, "SX_MAX_1"), QVariant(150));
    EXPECT_EQ(d->Lookup("ID_Diario", 2, "S_PRE"), QVariant("150 / 92 : Ipertensione di Grado 1 lieve"));
    EXPECT_EQ(d->Lookup("ID_Diario", 2, "SX_MAX_1;SX_MIN_1"), QVariant(QVariantList{150, 92}));
    EXPECT_FALSE(d->Lookup("ID_Diario", 7, "SX_MAX_1").isValid());
    EXPECT_EQ(tables.Model->DiarioID_Diario->AsInteger(), 1);
    const struct
    {
        const char *keys, *results;
        const char *text;
    } errors[] = {
        {"ID_Diario", "", "ResultFields are not defined"},
        {"ID_Diario", "Nessuno", "Invalid field name: Nessuno"},
        {"ID_Diario;Data", "SX_MAX_1", "Number of elements in the KeyValues array must be equal to the number of fields."},
    };
    for (const auto &e : errors) EXPECT_EQ(message([&] { d->Lookup(e.keys, 2, e.results); }), e.text);
}

// ---- criteria texts ------------------------------------------------------------------------

TEST(DaoCriteria, LocateTerms)
{
    TFormatSettings it;
    ASSERT_TRUE(TFormatSettings::forLocale("it_IT", it));
    TFormatSettings::setCurrent(it);
    const int ci = 1, partial = 2;
    struct Case
    {
        const char *name;
        TFieldType type;
        QString value;
        int options;
        const char *expected;
    } cases[] = {
        {"Nome", ftString, "Rossi", 0, "([Nome]  = \"Rossi\")"},
        {"Nome", ftString, "Rossi", ci, "([Nome]  = LCASE(\"rossi\"))"},
        {"Nome", ftString, "Ro", partial, "([Nome]  LIKE \"Ro*\")"},
        {"Nome", ftString, "a*b", ci | partial, "([Nome]  LIKE LCASE(\"a[*]b*\"))"},
        {"Nome", ftMemo, "[x]-?#!", partial, "([Nome]  LIKE \"[[]x[]][-][?][#][!]*\")"},
        {"Nome", ftString, "Say \"hi\"", 0, "([Nome]  = \"Say \"\"hi\"\"\")"},
        {"Nome", ftString, "NULL", 0, "([Nome] IS NULL)"},
        {"Peso", ftFloat, "1.234,5", 0, "([Peso]  = 1234.5)"},
        {"Peso", ftFloat, "", 0, "([Peso]  IS NULL)"},
        {"ID", ftAutoInc, "7", 0, "([ID]  = 7)"},
        {"Data", ftDate, "05/03/2024", 0, "([Data]  = #03/05/2024#)"},
        {"Data", ftDate, " 5 / 3 / 2024 ", 0, "([Data]  = #03/05/2024#)"},
        {"Data", ftDateTime, "05/03/2024  ore 10:30:00", 0, "([Data]  = #03/05/2024 10:30:00#)"},
        {"Data", ftDateTime, "05/03/2024 10:30:00", 0, "([Data]  = #03/05/2024 10:30:00#)"},
        {"Ora", ftTime, "10:30:00", 0, "([Ora]  = #10:30:00#)"},
        {"Diario.Data", ftDate, "", 0, "([Diario].[Data]  IS NULL)"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(DaoCriteria::locateCriteria({{c.name, c.type}}, {c.value}, c.options & ci, c.options & partial, true),
                  c.expected)
            << c.expected;
    }
    EXPECT_EQ(DaoCriteria::locateCriteria({{"A", ftInteger}, {"B", ftString}}, {"1", "x"}, false, false, false),
              "(A  = 1) AND (B  = \"x\")");
    EXPECT_EQ(message([] { DaoCriteria::locateCriteria({{"G", ftBytes}}, {"x"}, false, false, true); }),
              "Unable to build Lookup Key SQL!");
    EXPECT_EQ(message([] { DaoCriteria::lookupCriteria({{"G", ftBytes}}, {"x"}, true); }), "Unable to build Key SQL!");
    EXPECT_EQ(DaoCriteria::lookupCriteria({{"Nome", ftString}}, {"Rossi"}, true), "([Nome]  = \"Rossi\")");
}

} // namespace
