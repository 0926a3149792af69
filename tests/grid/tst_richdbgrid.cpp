// The column layout kept in the settings file, and the built-in title sort.

#include "gridfixture.h"

#include "settings/formstorage.h"
#include "settings/inifile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace gridtest;

namespace {

// A query: opening fails for texts the "engine" refuses.
class Query : public TMemoryDataSet
{
    Q_OBJECT
    Q_PROPERTY(QString SQL MEMBER SQL)
public:
    using TMemoryDataSet::TMemoryDataSet;
    QString SQL;
    QStringList refused;
    QStringList opened;

protected:
    void InternalOpen() override
    {
        for (const QString &r : std::as_const(refused))
            if (SQL.contains(r)) throw EDatabaseError(QStringLiteral("Syntax error"));
        opened << SQL;
        TMemoryDataSet::InternalOpen();
    }
};

QStringList order(const TExRichDBGrid &grid)
{
    QStringList names;
    for (int i = 0; i < grid.Columns().Count(); ++i) names << grid.Columns()[i]->FieldName();
    return names;
}

} // namespace

class TestRichDBGrid : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { useDiaryFonts(); }

    void layoutSaved();
    void layoutRestored_data();
    void layoutRestored();
    void restoreBeforeOpenKeepsDeclaredColumns();
    void tableSort_data();
    void tableSort();
    void querySort_data();
    void querySort();
    void otherDatasetsAreNotSorted();
    void fieldLayoutRestoresOrderAndWidths();
};

void TestRichDBGrid::layoutSaved()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("diario.ini"));
    {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[Tfrm_maingrid_diario]\ngrid_diario.Vecchia=9,9\n");
    }
    DiaryList list;
    TFormStorage storage(list.window.get());
    storage.SetIniFileName(file);
    list.grid->SetIniStorage(&storage);
    list.grid->Columns()[1]->SetWidth(55);
    storage.RestoreSettings();
    storage.StoreSettings();

    TIniFile ini(file);
    const QString section = QStringLiteral("Tfrm_maingrid_diario");
    QCOMPARE(ini.ReadSection(section),
             QStringList({"grid_diario.Data", "grid_diario.Peso", "grid_diario.BMI", "grid_diario.MIN",
                          "grid_diario.MAX", "grid_diario.Note"}));
    QCOMPARE(ini.ReadString(section, QStringLiteral("grid_diario.Peso"), {}), QStringLiteral("1,55"));
    QCOMPARE(ini.ReadString(section, QStringLiteral("grid_diario.Note"), {}), QStringLiteral("5,500"));
    list.grid->SetIniStorage(nullptr);
}

void TestRichDBGrid::layoutRestored_data()
{
    QTest::addColumn<QString>("value");   // stored for Data (index 0, width 64)
    QTest::addColumn<QStringList>("order");
    QTest::addColumn<int>("width");
    const QStringList declared = {"Data", "Peso", "BMI", "MIN", "MAX", "Note"};
    QTest::newRow("index without width moves and keeps the width")
        << "2" << QStringList({"Peso", "BMI", "Data", "MIN", "MAX", "Note"}) << 64;
    QTest::newRow("unreadable keeps both") << "abc" << declared << 64;
    QTest::newRow("index and width") << "3,120" << QStringList({"Peso", "BMI", "MIN", "Data", "MAX", "Note"}) << 120;
    QTest::newRow("blank separates too") << "1 80" << QStringList({"Peso", "Data", "BMI", "MIN", "MAX", "Note"}) << 80;
    QTest::newRow("unreadable index, readable width") << "x,90" << declared << 90;
    QTest::newRow("missing key") << QString() << declared << 64;
}

void TestRichDBGrid::layoutRestored()
{
    QFETCH(QString, value);
    QFETCH(QStringList, order);
    QFETCH(int, width);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("diario.ini"));
    {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QByteArray text = "[Tfrm_maingrid_diario]\n";
        if (!value.isNull()) text += "grid_diario.Data=" + value.toUtf8() + "\n";
        f.write(text);
    }
    DiaryList list;
    for (int i = 0; i < 5; ++i) list.grid->Columns()[i]->SetWidth(64);
    TFormStorage storage(list.window.get());
    storage.SetIniFileName(file);
    list.grid->SetIniStorage(&storage);
    storage.RestoreSettings();
    QCOMPARE(::order(*list.grid), order);
    QCOMPARE(list.grid->Columns()[order.indexOf("Data")]->Width(), width);
    list.grid->SetIniStorage(nullptr);
}

void TestRichDBGrid::restoreBeforeOpenKeepsDeclaredColumns()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("diario.ini"));
    {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[Tfrm_maingrid_diario]\ngrid_diario.Note=0,300\ngrid_diario.Data=1,90\ngrid_diario.Peso=2\n"
                "grid_diario.BMI=3\ngrid_diario.MIN=4\ngrid_diario.MAX=5\n");
    }
    DiaryList list;
    list.addDays(3);
    TFormStorage storage(list.window.get());
    storage.SetIniFileName(file);
    list.grid->SetIniStorage(&storage);
    storage.RestoreSettings();
    const QStringList restored = {"Note", "Data", "Peso", "BMI", "MIN", "MAX"};
    QCOMPARE(order(*list.grid), restored);
    list.show(5);
    list.open();
    QCOMPARE(order(*list.grid), restored);
    QCOMPARE(list.grid->Columns()[0]->Width(), 300);
    QCOMPARE(list.grid->Columns()[1]->Width(), 90);
    QCOMPARE(list.grid->Columns()[3]->Title()->Caption(), QStringLiteral("BMI"));
    list.grid->SetIniStorage(nullptr);
}

void TestRichDBGrid::tableSort_data()
{
    QTest::addColumn<QStringList>("indexes");
    QTest::addColumn<QString>("primary");
    QTest::addColumn<int>("clicks");
    QTest::addColumn<QString>("index");
    QTest::addColumn<bool>("descending");
    QTest::addColumn<int>("marker");
    const QStringList both = {"Nome", "NomeD"};
    QTest::newRow("first click ascending") << both << "" << 1 << "Nome" << false << int(TSortMarker::smUp);
    QTest::newRow("second click descending") << both << "" << 2 << "NomeD" << true << int(TSortMarker::smDown);
    QTest::newRow("third click ascending again") << both << "" << 3 << "Nome" << false << int(TSortMarker::smUp);
    QTest::newRow("no descending index falls back")
        << QStringList{"Nome"} << "" << 2 << "Nome" << true << int(TSortMarker::smDown);
    QTest::newRow("primary key index")
        << QStringList{"PrimaryKey"} << "Nome" << 1 << "PrimaryKey" << false << int(TSortMarker::smUp);
    QTest::newRow("no index clears the sort")
        << QStringList{"Altro"} << "" << 1 << "" << false << int(TSortMarker::smNone);
}

void TestRichDBGrid::tableSort()
{
    QFETCH(QStringList, indexes);
    QFETCH(QString, primary);
    QFETCH(int, clicks);
    QFETCH(QString, index);
    QFETCH(bool, descending);
    QFETCH(int, marker);
    QWidget window;
    IndexedTable table(&window);
    table.indexes = indexes;
    table.primaryFields = primary;
    table.addColumn(QStringLiteral("Nome"), ftString, 20);
    table.addRow({QStringLiteral("Bianchi")});
    TDataSource source(&window);
    source.SetDataSet(&table);
    auto *grid = new TExRichDBGrid(&window);
    grid->SetTitleButtons(true);
    grid->setGeometry(0, 0, 300, 100);
    grid->SetDataSource(&source);
    table.Open();
    window.show();
    QVERIFY(grid->IsLoaded());
    TSortMarker shown = TSortMarker::smNone;
    for (int i = 0; i < clicks; ++i) {
        table.calls.clear();
        const QPoint title = grid->CellRect(1, 0).center();
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, title);
        if (!index.isEmpty()) QCOMPARE(table.calls.first(), QStringLiteral("close"));
    }
    QCOMPARE(table.IndexName(), index);
    QCOMPARE(grid->SortDescending(), descending);
    QFont font;
    QColor colour, background;
    grid->OnGetBtnParams(grid, table.FieldByName(QStringLiteral("Nome")), font, colour, background, shown, false);
    QCOMPARE(int(shown), marker);
    source.SetDataSet(nullptr);
}

void TestRichDBGrid::querySort_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QStringList>("refused");
    QTest::addColumn<QString>("expected");
    QTest::newRow("appends ORDER BY") << "SELECT * FROM Diario" << QStringList() << "SELECT * FROM Diario ORDER BY Peso";
    QTest::newRow("replaces ORDER BY") << "SELECT * FROM Diario order by Data DESC" << QStringList()
                                       << "SELECT * FROM Diario ORDER BY Peso";
    QTest::newRow("quotes the name when refused") << "SELECT * FROM Diario" << QStringList{"BY Peso"}
                                                  << "SELECT * FROM Diario ORDER BY \"Peso\"";
    QTest::newRow("restores the text when both fail")
        << "SELECT * FROM Diario" << QStringList{"ORDER BY"} << "SELECT * FROM Diario";
}

void TestRichDBGrid::querySort()
{
    QFETCH(QString, sql);
    QFETCH(QStringList, refused);
    QFETCH(QString, expected);
    QWidget window;
    Query query(&window);
    query.SQL = sql;
    query.addColumn(QStringLiteral("Peso"), ftFloat);
    query.addRow({72.0});
    TDataSource source(&window);
    source.SetDataSet(&query);
    auto *grid = new TExRichDBGrid(&window);
    grid->SetTitleButtons(true);
    grid->setGeometry(0, 0, 300, 100);
    grid->SetDataSource(&source);
    query.Open();
    window.show();
    query.refused = refused;
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->CellRect(1, 0).center());
    QCOMPARE(query.SQL, expected);
    QVERIFY(query.Active());
    QCOMPARE(grid->SortField(), refused.contains("ORDER BY") ? QString() : QStringLiteral("Peso"));
    source.SetDataSet(nullptr);
}

void TestRichDBGrid::otherDatasetsAreNotSorted()
{
    DiaryList list;
    list.addDays(3);
    list.show(5);
    list.open();
    list.grid->Loaded();
    list.diario->calls.clear();
    QTest::mouseClick(list.grid->viewport(), Qt::LeftButton, {}, list.grid->CellRect(2, 0).center());
    QCOMPARE(list.diario->calls, QStringList());
    QCOMPARE(list.grid->SortField(), QString());
}

void TestRichDBGrid::fieldLayoutRestoresOrderAndWidths()
{
    // A grid whose columns follow the dataset's fields keeps the fields' order.
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("elenco.ini"));
    {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[Tfrm_main]\nFormVersion=0\n"
                "PersoneCitta=0,30,1\nPersoneNome=1,25,1\nPersoneEta=x,7,1\n");
    }
    Tfrm_main window;
    IndexedTable table(&window);
    table.setObjectName(QStringLiteral("Persone"));
    table.addColumn(QStringLiteral("Nome"), ftString, 20);
    table.addColumn(QStringLiteral("Citta"), ftString, 20);
    table.addColumn(QStringLiteral("Eta"), ftInteger);
    table.addRow({QStringLiteral("Bianchi"), QStringLiteral("Roma"), 70});
    TDataSource source(&window);
    source.SetDataSet(&table);
    auto *grid = new TExRichDBGrid(&window);
    grid->setObjectName(QStringLiteral("grid_persone"));
    grid->SetDataSource(&source);
    table.Open();
    TFormStorage storage(&window);
    storage.SetIniFileName(file);
    grid->SetIniStorage(&storage);
    storage.RestoreSettings();
    // An unreadable place keeps the field's own (Eta's is 2).
    QCOMPARE(::order(*grid), QStringList({"Citta", "Nome", "Eta"}));
    QCOMPARE(table.FieldByName(QStringLiteral("Nome"))->DisplayWidth(), 25);
    QCOMPARE(table.FieldByName(QStringLiteral("Eta"))->DisplayWidth(), 7);
    QCOMPARE(table.FieldByName(QStringLiteral("Nome"))->AsString(), QStringLiteral("Bianchi"));
    storage.StoreSettings();
    TIniFile ini(file);
    QCOMPARE(ini.ReadString(QStringLiteral("Tfrm_main"), QStringLiteral("PersoneNome"), {}), QStringLiteral("1,25,1"));
    QCOMPARE(ini.ReadString(QStringLiteral("Tfrm_main"), QStringLiteral("PersoneEta"), {}), QStringLiteral("2,7,1"));
    grid->SetIniStorage(nullptr);
    source.SetDataSet(nullptr);
}

QTEST_MAIN(TestRichDBGrid)
#include "tst_richdbgrid.moc"
