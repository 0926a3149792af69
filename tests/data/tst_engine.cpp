// The storage engine's contract as the table component relies on it.

#include "tst_engine_util.h"
#include "data/enginerecordset.h"
#include "data/engine_p.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <set>

using namespace dao;
using testutil::rawExec;
using testutil::rawQuery;

namespace {

class EngineTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        path = dir.filePath("prova.mdb");
        TArchive::create(path);
        ws = engine.CreateWorkspace("DaoWorkspace", "Admin", "");
    }
    void TearDown() override
    {
        if (HasFailure()) dir.setAutoRemove(false);
    }
    std::shared_ptr<Database> open() { return ws->OpenDatabase(path, false, false, ";UID=Admin;PWD=;"); }

    static std::set<int> ids(Recordset &rs)
    {
        std::set<int> out;
        if (rs.RecordCount() == 0) return out;
        for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext()) out.insert(rs.Fields("ID_Diario")->Value().toInt());
        return out;
    }

    QTemporaryDir dir;
    QString path;
    DBEngine engine;
    Workspace *ws = nullptr;
};

TEST_F(EngineTest, NewArchiveFieldsMapToTheEngineTypes)
{
    auto db = open();
    auto rs = db->OpenRecordset("Diario", dbOpenDynaset, dbSeeChanges, dbOptimistic);
    ASSERT_EQ(rs->FieldCount(), 16);
    EXPECT_EQ(rs->Fields(0)->Name(), "ID_Diario");
    EXPECT_EQ(rs->Fields(0)->Type(), dbLong);
    EXPECT_TRUE(rs->Fields(0)->Attributes() & dbAutoIncrField);
    EXPECT_FALSE(rs->Fields(0)->Attributes() & dbUpdatableField);
    EXPECT_EQ(rs->Fields("Data")->Type(), dbDate);
    EXPECT_FALSE(rs->Fields("Data")->Property("Format").isValid());
    for (int i = 2; i <= 13; ++i) {
        EXPECT_EQ(rs->Fields(i)->Type(), dbLong) << rs->Fields(i)->Name().toStdString();
        EXPECT_TRUE(rs->Fields(i)->Attributes() & dbUpdatableField);
    }
    EXPECT_EQ(rs->Fields("Peso")->Type(), dbDouble);
    EXPECT_EQ(rs->Fields("Note")->Type(), dbMemo);
    EXPECT_TRUE(rs->Updatable());
    EXPECT_TRUE(rs->Bookmarkable());

    auto head = db->OpenRecordset("Intestazione", dbOpenDynaset, 0, dbOptimistic);
    QStringList names;
    for (int i = 0; i < head->FieldCount(); ++i) names << head->Fields(i)->Name();
    EXPECT_EQ(names, QStringList({"Nome", "Data_Nascita", "Altezza", "Terapia", "Data_terapia"}));
    EXPECT_EQ(head->Fields("Nome")->Type(), dbText);
    EXPECT_EQ(head->Fields("Nome")->Size(), 255);
    EXPECT_EQ(head->Fields("Altezza")->Type(), dbDouble);
    EXPECT_EQ(head->Fields("Terapia")->Type(), dbMemo);
    EXPECT_EQ(head->RecordCount(), 1);
    EXPECT_EQ(head->Fields("Nome")->Value().toString(), "Inserire nome");
    for (const char *f : {"Data_Nascita", "Altezza", "Terapia", "Data_terapia"})
        EXPECT_FALSE(head->Fields(f)->Value().isValid()) << f;

    QStringList tables;
    for (const ObjectDef &t : db->TableDefs())
        if (!(t.Attributes & dbSystemObject)) tables << t.Name;
    EXPECT_EQ(tables, QStringList({"Diario", "Intestazione"}));
}

TEST_F(EngineTest, DeclaredTypesPropertiesAndDefaults)
{
    rawExec(path, "CREATE TABLE t (a SMALLINT NOT NULL DEFAULT 7, b TINYINT, c BIT DEFAULT 0, d CURRENCY, "
                  "e SINGLE, f VARCHAR(20) DEFAULT 'abc', g DATETIME, h BLOB, i BINARY(16), j TEXT);"
                  "CREATE TABLE tonalba_properties (table_name TEXT, field_name TEXT, name TEXT, value TEXT,"
                  " PRIMARY KEY (table_name, field_name, name));"
                  "INSERT INTO tonalba_properties VALUES ('t', 'g', 'Format', 'Short Date');");
    auto db = open();
    auto rs = db->OpenRecordset("t", dbOpenDynaset);
    const int types[] = {dbInteger, dbByte, dbBoolean, dbCurrency, dbSingle, dbText, dbDate, dbLongBinary, dbBinary, dbMemo};
    for (int i = 0; i < 10; ++i) EXPECT_EQ(rs->Fields(i)->Type(), types[i]) << i;
    EXPECT_TRUE(rs->Fields("a")->Required());
    EXPECT_EQ(rs->Fields("a")->DefaultValue(), "7");
    EXPECT_EQ(rs->Fields("f")->DefaultValue(), "\"abc\"");
    EXPECT_EQ(rs->Fields("f")->Size(), 20);
    EXPECT_EQ(rs->Fields("i")->Size(), 16);
    EXPECT_EQ(rs->Fields("g")->Property("Format").toString(), "Short Date");
    bool system = false;
    for (const ObjectDef &t : db->TableDefs())
        if (t.Name == "tonalba_properties") system = t.Attributes & dbSystemObject;
    EXPECT_TRUE(system);

    // AddNew shows the defaults and writes them.
    rs->AddNew();
    EXPECT_EQ(rs->Fields("a")->Value(), QVariant(7));
    EXPECT_EQ(rs->Fields("f")->Value(), QVariant("abc"));
    rs->Fields("f")->SetValue(QString(20, 'x'));
    EXPECT_DAO_ERROR(rs->Fields("f")->SetValue(QString(21, 'x')), errFieldTooSmall);
    EXPECT_DAO_ERROR(rs->Fields("b")->SetValue(256), errNumericOverflow);
    EXPECT_DAO_ERROR(rs->Fields("d")->SetValue("dodici"), errConversion);
    rs->Fields("h")->SetValue(QByteArray("\x00\x01\xff", 3));
    rs->Update();
    rs->SetBookmark(rs->LastModified());
    EXPECT_EQ(rs->Fields("h")->Value().toByteArray(), QByteArray("\x00\x01\xff", 3));
    EXPECT_EQ(rs->Fields("h")->FieldSize(), 3);
    EXPECT_EQ(rs->Fields("c")->Value(), QVariant(false));

    rs->Edit();
    rs->Fields("a")->SetValue(QVariant());
    EXPECT_DAO_ERROR(rs->Update(), errRequired);
    rs->CancelUpdate();
}

TEST_F(EngineTest, EmptyRecordsetIsAtBofAndEof)
{
    auto db = open();
    for (int type : {dbOpenTable, dbOpenDynaset, dbOpenSnapshot, dbOpenForwardOnly}) {
        auto rs = db->OpenRecordset("Diario", type);
        EXPECT_TRUE(rs->Bof()) << type;
        EXPECT_TRUE(rs->Eof()) << type;
        EXPECT_EQ(rs->RecordCount(), 0) << type;
        EXPECT_EQ(rs->AbsolutePosition(), -1) << type;
        EXPECT_DAO_ERROR(rs->MoveNext(), errNoCurrentRecord);
        EXPECT_DAO_ERROR(rs->Fields("Data")->Value(), errNoCurrentRecord);
    }
}

TEST_F(EngineTest, AddNewUpdateAssignsTheKeyAndLastModified)
{
    auto db = open();
    auto rs = db->OpenRecordset("Diario", dbOpenDynaset, dbSeeChanges, dbOptimistic);
    for (int day = 0; day < 2; ++day) {
        rs->AddNew();
        EXPECT_EQ(rs->EditMode(), dbEditAdd);
        rs->Fields("Data")->SetValue(45356.0 + day);          // 5 March 2024
        rs->Fields("SX_MAX_1")->SetValue(QStringLiteral("130"));
        rs->Fields("Peso")->SetValue(QStringLiteral("72,5"));  // regional text, it_IT
        rs->Fields("Note")->SetValue(QStringLiteral("Città"));
        EXPECT_DAO_ERROR(rs->Fields("ID_Diario")->SetValue(99), 3164);
        rs->Update();
        EXPECT_EQ(rs->EditMode(), dbEditNone);
        rs->SetBookmark(rs->LastModified());
        EXPECT_EQ(rs->Fields("ID_Diario")->Value(), QVariant(day + 1));
        EXPECT_EQ(rs->Bookmark().left(4), QByteArray::fromHex(day ? "02000000" : "01000000"));
    }
    EXPECT_EQ(rs->RecordCount(), 2);
    EXPECT_EQ(rs->Fields("Data")->Value(), QVariant(45357.0));
    EXPECT_EQ(rs->Fields("Peso")->Value(), QVariant(72.5));
    EXPECT_EQ(rs->Fields("SX_MAX_1")->Value(), QVariant(130));
    EXPECT_EQ(rs->Fields("Note")->FieldSize(), 6);   // UTF-8 bytes
    // Other tools read plain ISO dates.
    EXPECT_EQ(rawQuery(path, "SELECT Data FROM Diario ORDER BY ID_Diario"),
              QStringList({"2024-03-05 00:00:00", "2024-03-06 00:00:00"}));

    // Edit writes only what changed; a null clears the column.
    rs->MoveFirst();
    rs->Edit();
    rs->Fields("Note")->SetValue(QVariant());
    rs->Update();
    EXPECT_EQ(rawQuery(path, "SELECT ifnull(Note, 'NULL') FROM Diario WHERE ID_Diario = 1"), QStringList("NULL"));
    EXPECT_DAO_ERROR(rs->Update(), errUpdateWithoutEdit);
}

TEST_F(EngineTest, DatesBeforeTheEpochAndWithTime)
{
    auto db = open();
    auto rs = db->OpenRecordset("Diario", dbOpenDynaset);
    const double values[] = {-1.25, 0.5, 45356.75, -693593.0 /* 1 January 0001 */};
    for (double v : values) {
        rs->AddNew();
        rs->Fields("Data")->SetValue(v);
        rs->Update();
        rs->SetBookmark(rs->LastModified());
        EXPECT_DOUBLE_EQ(rs->Fields("Data")->Value().toDouble(), v);
    }
    EXPECT_EQ(rawQuery(path, "SELECT Data FROM Diario ORDER BY ID_Diario").value(0), "1899-12-29 06:00:00");
}

TEST_F(EngineTest, KeysetSeesAnotherConnectionsCommitAtTheNextFetch)
{
    testutil::addDays(path, 3);
    auto db = open();
    auto rs = db->OpenRecordset("Diario", dbOpenDynaset, dbSeeChanges, dbOptimistic);
    rs->MoveFirst();
    EXPECT_EQ(rs->Fields("SX_MAX_1")->Value(), QVariant(120));

    // Another connection (another engine, as another program would be) changes the row.
    DBEngine other;
    auto db2 = other.CreateWorkspace("w2", "Admin", "")->OpenDatabase(path);
    auto rs2 = db2->OpenRecordset("Diario", dbOpenDynaset);
    rs2->Edit();
    rs2->Fields("SX_MAX_1")->SetValue(200);
    rs2->Update();   // would fail with "database is locked" if rs kept a read transaction open

    engine.Idle(1);
    EXPECT_EQ(rs->Fields("SX_MAX_1")->Value(), QVariant(200));

    // A row it adds is not in our keyset until a requery.
    rs2->AddNew();
    rs2->Fields("SX_MAX_1")->SetValue(99);
    rs2->Update();
    EXPECT_EQ(rs->RecordCount(), 3);
    rs->Requery();
    EXPECT_EQ(rs->RecordCount(), 4);
}

TEST_F(EngineTest, ReadBatchHoldsItsLockOnlyWhileItLivesAndNeverDelaysAWrite)
{
    static int argc = 1;
    static char name[] = "tst_engine";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    testutil::addDays(path, 5);
    auto db = open();
    auto rs = db->OpenRecordset("Diario", dbOpenDynaset, dbSeeChanges, dbOptimistic);
    // Another program that does not wait: a read lock of ours shows as SQLITE_BUSY.
    const auto otherProgramWrites = [&] {
        sqlite3 *raw = nullptr;
        sqlite3_open_v2(QFile::encodeName(path).constData(), &raw, SQLITE_OPEN_READWRITE, nullptr);
        const int rc = sqlite3_exec(raw, "UPDATE Diario SET Peso = Peso + 1", nullptr, nullptr, nullptr);
        sqlite3_close(raw);
        return rc;
    };
    const auto readTwoRows = [&] {
        rs->MoveFirst();
        engine.Idle(1);
        rs->Fields("SX_MAX_1")->Value();
        rs->MoveNext();
        engine.Idle(1);
        rs->Fields("SX_MAX_1")->Value();
    };

    readTwoRows();
    EXPECT_EQ(otherProgramWrites(), SQLITE_OK);   // no batch: nothing held between fetches
    {
        ReadBatch batch(rs.get());
        readTwoRows();
        EXPECT_EQ(otherProgramWrites(), SQLITE_BUSY);   // the rows came from one read transaction

        // Our own write inside the batch is committed by the time Update returns.
        rs->Edit();
        rs->Fields("SX_MAX_1")->SetValue(150);
        rs->Update();
        EXPECT_EQ(testutil::rawQuery(path, "SELECT count(*) FROM Diario WHERE SX_MAX_1 = 150"), QStringList{"1"});

        // Waiting for the user (a nested event loop) ends the read, so others can write meanwhile.
        readTwoRows();
        EXPECT_EQ(otherProgramWrites(), SQLITE_BUSY);
        QEventLoop wait;
        QTimer::singleShot(20, &wait, &QEventLoop::quit);
        wait.exec();
        EXPECT_EQ(otherProgramWrites(), SQLITE_OK);

        // So is a write of another connection of this program, made while the batch reads again.
        readTwoRows();
        DBEngine other;
        auto db2 = other.CreateWorkspace("w2", "Admin", "")->OpenDatabase(path);
        auto rs2 = db2->OpenRecordset("Diario", dbOpenDynaset);
        rs2->Edit();
        rs2->Fields("SX_MAX_1")->SetValue(151);
        EXPECT_NO_THROW(rs2->Update());
    }
    EXPECT_EQ(otherProgramWrites(), SQLITE_OK);
}

TEST_F(EngineTest, RowDeletedElsewhereRaises3167)
{
    testutil::addDays(path, 3);
    auto db = open();
    auto rs = db->OpenRecordset("Diario", dbOpenDynaset, dbSeeChanges, dbOptimistic);
    rs->MoveNext();
    const QByteArray second = rs->Bookmark();
    rawExec(path, "DELETE FROM Diario WHERE ID_Diario = 2");
    engine.Idle(8);
    EXPECT_DAO_ERROR(rs->Fields("Data")->Value(), errRecordDeleted);
    ASSERT_FALSE(engine.Errors().isEmpty());
    EXPECT_EQ(engine.Errors().first().number, errRecordDeleted);
    EXPECT_EQ(engine.Errors().first().description, "Record is deleted.");
    EXPECT_DAO_ERROR(rs->Edit(), errRecordDeleted);
    EXPECT_DAO_ERROR(rs->Delete(), errRecordDeleted);
    rs->MoveFirst();
    EXPECT_DAO_ERROR(rs->SetBookmark(second), errRecordDeleted);
    EXPECT_EQ(rs->Fields("ID_Diario")->Value(), QVariant(1));
    // An edit whose row vanished before Update is refused the same way.
    rs->Edit();
    rawExec(path, "DELETE FROM Diario WHERE ID_Diario = 1");
    rs->Fields("SX_MAX_1")->SetValue(1);
    EXPECT_DAO_ERROR(rs->Update(), errRecordDeleted);
    EXPECT_DAO_ERROR(rs->SetBookmark(QByteArray::fromHex("63000000")), errNotValidBookmark);
}

// Optimistic locking: a row another writer changed between Edit and Update is
// not overwritten; the refused edit keeps its values and nothing is written.
TEST_F(EngineTest, RowChangedElsewhereSinceEditRaises3197)
{
    testutil::addDays(path, 2);
    auto db = open();
    auto rs = db->OpenRecordset("Diario", dbOpenDynaset, dbSeeChanges, dbOptimistic);
    DBEngine other;
    auto db2 = other.CreateWorkspace("w2", "Admin", "")->OpenDatabase(path);
    auto rs2 = db2->OpenRecordset("Diario", dbOpenDynaset, dbSeeChanges, dbOptimistic);

    rs->Edit();
    rs->Fields("Note")->SetValue("prima finestra");
    rs2->Edit();
    rs2->Fields("Note")->SetValue("seconda finestra");
    rs2->Update();
    EXPECT_DAO_ERROR(rs->Update(), errWriteConflict);
    EXPECT_EQ(engine.Errors().first().description,
              "The Microsoft Jet database engine stopped the process because you and another user are attempting to "
              "change the same data at the same time.");
    EXPECT_EQ(rs->EditMode(), dbEditInProgress);
    EXPECT_EQ(rs->Fields("Note")->Value(), QVariant("prima finestra"));
    EXPECT_EQ(rawQuery(path, "SELECT Note FROM Diario WHERE ID_Diario = 1"), QStringList{"seconda finestra"});

    // Starting again from what is stored now succeeds; so does an edit of a
    // row nobody else touched, even after another row changed.
    rs->CancelUpdate();
    rs->Edit();
    EXPECT_EQ(rs->Fields("Note")->Value(), QVariant("seconda finestra"));
    rs->Fields("Note")->SetValue("unite");
    rs->Update();
    rs->MoveNext();
    rs->Edit();
    rawExec(path, "UPDATE Diario SET Peso = 80 WHERE ID_Diario = 1");
    rs->Fields("SX_MAX_1")->SetValue(150);
    rs->Update();
    EXPECT_EQ(rawQuery(path, "SELECT Note || '|' || Peso FROM Diario WHERE ID_Diario = 1"), QStringList{"unite|80.0"});
    EXPECT_EQ(rawQuery(path, "SELECT SX_MAX_1 FROM Diario WHERE ID_Diario = 2"), QStringList{"150"});

    // Inside a workspace transaction the check runs in a savepoint of its own.
    ws->BeginTrans();
    rs->MoveFirst();
    rs->Edit();
    rs->Fields("SX_MAX_1")->SetValue(111);
    rs->Update();
    rs->MoveNext();
    rs->Edit();
    rs->Fields("SX_MAX_1")->SetValue(112);
    rs->Update();
    ws->CommitTrans();
    EXPECT_EQ(rawQuery(path, "SELECT group_concat(SX_MAX_1) FROM Diario"), QStringList{"111,112"});
}

TEST_F(EngineTest, OwnDeleteLeavesTheCursorOnTheGap)
{
    testutil::addDays(path, 3);
    auto db = open();
    auto rs = db->OpenRecordset("Diario", dbOpenDynaset);
    rs->MoveNext();
    rs->Delete();
    EXPECT_DAO_ERROR(rs->Fields("Data")->Value(), errRecordDeleted);
    EXPECT_FALSE(rs->Eof());
    rs->MoveNext();
    EXPECT_EQ(rs->Fields("ID_Diario")->Value(), QVariant(3));
    rs->Delete();
    EXPECT_TRUE(rs->Eof());   // the last row went: MoveLast finds the one left
    rs->MoveLast();
    EXPECT_EQ(rs->Fields("ID_Diario")->Value(), QVariant(1));
    EXPECT_EQ(rs->RecordCount(), 1);
}

TEST_F(EngineTest, NavigationAndPositions)
{
    testutil::addDays(path, 5);
    auto db = open();
    auto rs = db->OpenRecordset("Diario", dbOpenDynaset);
    EXPECT_EQ(rs->AbsolutePosition(), 0);
    rs->Move(3);
    EXPECT_EQ(rs->AbsolutePosition(), 3);
    rs->Move(-10);
    EXPECT_TRUE(rs->Bof());
    EXPECT_FALSE(rs->Eof());
    rs->MoveLast();
    rs->MoveNext();
    EXPECT_TRUE(rs->Eof());
    EXPECT_DAO_ERROR(rs->MoveNext(), errNoCurrentRecord);
    rs->SetAbsolutePosition(2);
    EXPECT_EQ(rs->Fields("ID_Diario")->Value(), QVariant(3));
    EXPECT_DOUBLE_EQ(rs->PercentPosition(), 40.0);
    auto clone = rs->Clone();
    clone->MoveLast();
    EXPECT_EQ(rs->AbsolutePosition(), 2);
    rs->SetBookmark(clone->Bookmark());
    EXPECT_EQ(rs->AbsolutePosition(), 4);

    auto fwd = db->OpenRecordset("Diario", dbOpenForwardOnly);
    EXPECT_FALSE(fwd->Bookmarkable());
    fwd->MoveNext();
    EXPECT_DAO_ERROR(fwd->MovePrevious(), errNotSupported);
    auto snap = db->OpenRecordset("Diario", dbOpenSnapshot);
    EXPECT_FALSE(snap->Updatable());
    EXPECT_DAO_ERROR(snap->Edit(), errReadOnly);
    EXPECT_EQ(snap->RecordCount(), 5);
}

TEST_F(EngineTest, TableTypeIndexAndSeek)
{
    testutil::addDays(path, 5);
    auto db = open();
    auto rs = db->OpenRecordset("Diario", dbOpenTable);
    EXPECT_DAO_ERROR(rs->Seek("=", {1}), 3019);
    rs->SetIndex("Data");
    rs->Seek("=", {QStringLiteral("2000-01-03")});
    ASSERT_FALSE(rs->NoMatch());
    EXPECT_EQ(rs->Fields("ID_Diario")->Value(), QVariant(3));
    rs->Seek(">=", {36530.0 + 10});
    EXPECT_TRUE(rs->NoMatch());
    rs->SetIndex("PrimaryKey");
    rs->Seek("<", {4});
    EXPECT_EQ(rs->Fields("ID_Diario")->Value(), QVariant(3));
    EXPECT_DAO_ERROR(rs->SetIndex("Nessuno"), 3015);
}

// Criteria in the engine's syntax, and the rows they must select.
struct CriteriaCase
{
    const char *name;
    const char *criteria;
    std::set<int> ids;
};

class CriteriaTest : public EngineTest, public ::testing::WithParamInterface<CriteriaCase>
{
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        rawExec(path, "INSERT INTO Diario (ID_Diario, Data, SX_MAX_1, Peso, Note) VALUES "
                      "(1, '2024-03-05 00:00:00', 130, 70.5, 'Città \"bella\"'),"
                      "(2, '2024-03-06 08:30:00', 145, NULL, 'citta*piccola'),"
                      "(3, '2024-04-01', NULL, 80, 'CITTÀ grande'),"
                      "(4, NULL, 120, NULL, 'abc[1]'),"
                      "(5, '2023-12-31 00:00:00', 160, 65, 'Rossi');");
    }
};

TEST_P(CriteriaTest, FilterAndFindSelectTheSameRows)
{
    const CriteriaCase &c = GetParam();
    auto db = open();
    auto rs = db->OpenRecordset("Diario", dbOpenDynaset);
    rs->SetFilter(c.criteria);
    auto filtered = rs->OpenRecordset();
    EXPECT_EQ(ids(*filtered), c.ids) << c.criteria;

    std::set<int> found;
    for (rs->FindFirst(c.criteria); !rs->NoMatch(); rs->FindNext(c.criteria))
        found.insert(rs->Fields("ID_Diario")->Value().toInt());
    EXPECT_EQ(found, c.ids) << c.criteria;
}

INSTANTIATE_TEST_SUITE_P(
    Engine, CriteriaTest,
    ::testing::Values(
        CriteriaCase{"DateEquals", "[Data] = #03/05/2024#", {1}},
        CriteriaCase{"DateIsMonthFirst", "[Data] = #05/03/2024#", {}},
        CriteriaCase{"DateRange", "Data >= #03/06/2024# AND Data < #04/02/2024#", {2, 3}},
        CriteriaCase{"DateTime", "([Data] = #03/06/2024 08:30:00#)", {2}},
        CriteriaCase{"DateWithoutTimeStoredShort", "Data = #04/01/2024#", {3}},
        CriteriaCase{"DottedName", "[Diario].[SX_MAX_1] > 140", {2, 5}},
        CriteriaCase{"IsNull", "SX_MAX_1 IS NULL", {3}},
        CriteriaCase{"NotAndParentheses", "NOT (SX_MAX_1 IS NULL) AND SX_MAX_1 <= 130", {1, 4}},
        CriteriaCase{"OrOfDoubles", "Peso = 70.5 OR Peso = 80", {1, 3}},
        CriteriaCase{"NotEqualSkipsNulls", "Peso <> 70.5", {3, 5}},
        CriteriaCase{"QuoteInsideString", "(Note = \"Città \"\"bella\"\"\")", {1}},
        CriteriaCase{"TextIgnoresCase", "Note = \"rossi\"", {5}},
        CriteriaCase{"TextKeepsAccents", "Note = \"citta \"\"bella\"\"\"", {}},
        CriteriaCase{"StarInsideStringIsLiteral", "(Note LIKE \"citta[*]*\")", {2}},
        CriteriaCase{"QuestionMarkTakesAnAccent", "Note LIKE \"citt?*\"", {1, 2, 3}},
        CriteriaCase{"LcaseOfAccentedCapitals", "LCASE(Note) LIKE \"città*\"", {1, 3}},
        CriteriaCase{"EqualsLcase", "([Note] = LCASE(\"CITTÀ GRANDE\"))", {3}},
        CriteriaCase{"LikeLcasePartialKey", "([Note] LIKE LCASE(\"ABC[[]*\"))", {4}},
        CriteriaCase{"DigitAndClosingBracket", "Note LIKE \"abc[[]#]\"", {4}},
        CriteriaCase{"NegatedClass", "Note LIKE \"[!c]*\"", {4, 5}},
        CriteriaCase{"Range", "Note LIKE \"[a-c]*\"", {1, 2, 3, 4}},
        CriteriaCase{"Between", "SX_MAX_1 BETWEEN 125 AND 150", {1, 2}},
        CriteriaCase{"In", "ID_Diario IN (1, 5, 9)", {1, 5}},
        CriteriaCase{"SingleQuotes", "Note = 'Rossi'", {5}}),
    [](const ::testing::TestParamInfo<CriteriaCase> &info) { return std::string(info.param.name); });

struct BadCriteria
{
    const char *criteria;
    int number;
    const char *message;
};

TEST_F(EngineTest, BadCriteriaRaiseTheEngineError)
{
    auto db = open();
    auto rs = db->OpenRecordset("Diario", dbOpenDynaset);
    const BadCriteria cases[] = {
        {"Nessuno = 1", errUnknownName, "The database engine does not recognize 'Nessuno' as a valid field name or expression."},
        {"[Altro].[Data] = 1", errUnknownName, "The database engine does not recognize 'Altro.Data' as a valid field name or expression."},
        {"Data = ", errSyntax, "Syntax error in query expression 'Data = '."},
        {"Note = \"aperta", errSyntax, "Syntax error in query expression 'Note = \"aperta'."},
        {"Data = #13/45/2024#", errSyntax, "Syntax error in query expression 'Data = #13/45/2024#'."},
        {"Peso = \"pesante\"", errTypeMismatch, "Data type mismatch in criteria expression 'Peso = \"pesante\"'."},
        {"\"solo testo\"", errTypeMismatch, "Data type mismatch in criteria expression '\"solo testo\"'."},
    };
    for (const BadCriteria &c : cases) {
        rs->SetFilter(c.criteria);
        try {
            rs->OpenRecordset();
            ADD_FAILURE() << c.criteria;
        } catch (const EDaoError &e) {
            EXPECT_EQ(e.number(), c.number) << c.criteria;
            EXPECT_EQ(e.message(), QString::fromUtf8(c.message));
        }
    }
    EXPECT_DAO_ERROR(rs->FindFirst("Data = = 1"), errSyntax);
    rs->SetFilter(QString());
    rs->SetSort("Nessuno DESC");
    EXPECT_DAO_ERROR(rs->OpenRecordset(), errUnknownName);
}

TEST_F(EngineTest, SortOrdersTextAsAUserExpects)
{
    rawExec(path, "INSERT INTO Diario (Note, Data) VALUES ('cittb', '2024-01-02'), ('Città', '2024-01-01 00:00:00'),"
                  " ('citta', '2023-12-31'), ('Zeta', '2024-01-03'), ('alfa', NULL), ('CITTA', '2024-01-04');");
    auto db = open();
    auto rs = db->OpenRecordset("Diario", dbOpenDynaset);
    rs->SetSort("Note ");
    auto sorted = rs->OpenRecordset();
    QStringList notes;
    for (; !sorted->Eof(); sorted->MoveNext()) notes << sorted->Fields("Note")->Value().toString();
    EXPECT_EQ(notes, QStringList({"alfa", "citta", "CITTA", "Città", "cittb", "Zeta"}));

    rs->SetSort("[Data] DESC, Note");
    sorted = rs->OpenRecordset();
    QList<int> order;
    for (; !sorted->Eof(); sorted->MoveNext()) order << sorted->Fields("ID_Diario")->Value().toInt();
    EXPECT_EQ(order, QList<int>({6, 4, 1, 2, 3, 5}));   // day counts, not text: "2024-01-01 00:00:00" < "2024-01-02"
}

TEST_F(EngineTest, SelectTextIsAccepted)
{
    testutil::addDays(path, 4);
    auto db = open();
    auto rs = db->OpenRecordset("Select * From [Diario] Where SX_MAX_1 >= 121 Order By Data DESC", dbOpenDynaset);
    EXPECT_EQ(rs->RecordCount(), 3);
    EXPECT_EQ(rs->Fields("ID_Diario")->Value(), QVariant(4));
    EXPECT_DAO_ERROR(db->OpenRecordset("Nessuna"), errNoSuchTable);
    EXPECT_DAO_ERROR(db->OpenRecordset("SELECT FROM"), errSyntax);
}

TEST_F(EngineTest, TransactionsAddAWholeFileOrNothing)
{
    auto db = open();
    auto rs = db->OpenRecordset("Diario", dbOpenDynaset);
    ws->BeginTrans();
    for (int i = 0; i < 3; ++i) {
        rs->AddNew();
        rs->Fields("SX_MAX_1")->SetValue(100 + i);
        rs->Update();
    }
    ws->Rollback();
    EXPECT_EQ(testutil::dayCount(path), 0);
    ws->BeginTrans();
    rs->AddNew();
    rs->Update();
    ws->CommitTrans();
    EXPECT_EQ(testutil::dayCount(path), 1);
    EXPECT_DAO_ERROR(ws->CommitTrans(), errNoTransaction);
}

TEST_F(EngineTest, OpenRefusesWhatIsNotASoundArchive)
{
    // Missing: never created.
    const QString missing = dir.filePath("manca.mdb");
    EXPECT_DAO_ERROR(ws->OpenDatabase(missing), errFileNotFound);
    EXPECT_FALSE(QFile::exists(missing));
    EXPECT_FALSE(QFile::exists(dir.filePath("manca.ldb")));

    const QString text = dir.filePath("testo.mdb");
    QFile f(text);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(4096, 'x'));
    f.close();
    EXPECT_DAO_ERROR(ws->OpenDatabase(text), 3343);
    EXPECT_FALSE(QFile::exists(dir.filePath("testo.ldb")));

    // Truncated: refused at open, not at the first read.
    testutil::addDays(path, 2000);
    const QString cut = dir.filePath("tronco.mdb");
    QFile::copy(path, cut);
    QFile::resize(cut, QFileInfo(path).size() / 2);
    EXPECT_DAO_ERROR(ws->OpenDatabase(cut), errNotADatabase);

    // Connect texts this engine cannot honour.
    EXPECT_DAO_ERROR(ws->OpenDatabase(path, false, false, ";UID=Admin;PWD=segreto;"), errBadPassword);
    EXPECT_DAO_ERROR(ws->OpenDatabase(path, false, false, "ODBC;DSN=diario;"), errOdbcUnavailable);
    EXPECT_DAO_ERROR(ws->OpenDatabase(path, false, false, "dBASE IV;"), errNoInstallableIsam);
    EXPECT_FALSE(QFile::exists(dir.filePath("prova.ldb")));
}

TEST_F(EngineTest, ReadOnlyOpenRefusesChanges)
{
    testutil::addDays(path, 1);
    auto db = ws->OpenDatabase(path, false, true);
    EXPECT_FALSE(db->Updatable());
    auto rs = db->OpenRecordset("Diario", dbOpenDynaset);
    EXPECT_FALSE(rs->Updatable());
    EXPECT_DAO_ERROR(rs->AddNew(), errReadOnly);
}

TEST_F(EngineTest, CompactDatabaseMakesANewFileAndRefusesAnExistingTarget)
{
    testutil::addDays(path, 50);
    const QString target = dir.filePath("copia.mdb");
    engine.CompactDatabase(path, target);
    EXPECT_EQ(testutil::dayCount(target), 50);
    EXPECT_DAO_ERROR(engine.CompactDatabase(path, target), errDatabaseExists);
    EXPECT_DAO_ERROR(engine.CompactDatabase(path, dir.filePath("altra.mdb"), ";pwd=x"), errBadPassword);
    EXPECT_FALSE(QFile::exists(dir.filePath("altra.mdb")));
    EXPECT_FALSE(QFile::exists(dir.filePath("prova.ldb")));
}

TEST_F(EngineTest, ArchiveCopyIsTakenThroughSQLite)
{
    testutil::addDays(path, 20);
    auto db = open();   // copying while a connection is open must not disturb it
    const QString target = dir.filePath("prova_backup.mdk");
    TArchive::copy(path, target);
    TArchive::copy(path, target);   // replaces
    EXPECT_EQ(testutil::dayCount(target), 20);
    auto rs = db->OpenRecordset("Diario", dbOpenDynaset);
    rs->AddNew();
    rs->Update();
    EXPECT_EQ(testutil::dayCount(path), 21);
    EXPECT_DAO_ERROR(TArchive::copy(dir.filePath("manca.mdb"), target), errFileNotFound);
    EXPECT_DAO_ERROR(TArchive::create(path), errDatabaseExists);
}

TEST(EngineText, CollationAndLike)
{
    EXPECT_EQ(dao::compareText("Rossi", "rossi"), 0);
    EXPECT_LT(dao::compareText("citta", "città"), 0);
    EXPECT_LT(dao::compareText("città", "cittb"), 0);
    EXPECT_LT(dao::compareText("Èra", "erb"), 0);
}

} // namespace
