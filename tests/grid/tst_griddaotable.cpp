// The list grid over a real archive: the diary's table component, set up as
// the program sets it up, with its search filter on. The grid fetches only the
// rows it shows and never asks for the record count or number, which walk
// the whole filtered table.

#include "app/diarytables.h"
#include "data/archive.h"
#include "data/datasource.h"
#include "core/formatsettings.h"
#include "grid/colors.h"
#include "grid/exrichdbgrid.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <sqlite3.h>

namespace {

// The diary's table, counting what it is asked.
class CountingTable : public TDaoTable
{
public:
    using TDaoTable::TDaoTable;
    int fetches = 0;
    mutable int recordCounts = 0;
    mutable int recNos = 0;
    int RecordCount() const override
    {
        ++recordCounts;
        return TDaoTable::RecordCount();
    }
    int RecNo() const override
    {
        ++recNos;
        return TDaoTable::RecNo();
    }

protected:
    TGetResult GetRecord(TRecordBuffer *buffer, TGetMode mode, bool doCheck) override
    {
        ++fetches;
        return TDaoTable::GetRecord(buffer, mode, doCheck);
    }
};

void addDays(const QString &path, int n)
{
    sqlite3 *db = nullptr;
    QVERIFY(sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK);
    QString sql = "BEGIN;";
    for (int i = 0; i < n; ++i)
        sql += QStringLiteral("INSERT INTO Diario (Data, SX_MIN_1, SX_MAX_1, Peso) VALUES "
                              "(date('2024-01-01', '+%1 day') || ' 00:00:00', %2, %3, 70.5);")
                   .arg(i)
                   .arg(70 + i % 25)
                   .arg(115 + i % 40);
    sql += "UPDATE Intestazione SET Altezza = 1.75; COMMIT;";
    QCOMPARE(sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
}

} // namespace

class TestGridOverArchive : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        for (const char *family : {"Arial", "Microsoft Sans Serif"})
            QFont::insertSubstitution(QString::fromLatin1(family), QStringLiteral("Liberation Sans"));
        TFormatSettings it;
        QVERIFY(TFormatSettings::forLocale("it_IT", it));
        TFormatSettings::setCurrent(it);
    }

    void fetchesOnlyWhatItShows()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("schedario.mdb");
        TArchive::create(path);
        addDays(path, 2000);

        QWidget window;
        window.setObjectName("frm_main");
        TDaoDatabase database(&window);
        auto *diario = new CountingTable(&window);
        diario->setObjectName("Diario");
        auto *intesta = new TDaoTable(&window);
        intesta->setObjectName("Intesta");
        TDiaryModel model(&window, diario, intesta);
        model.attach();
        TDiaryTables::configureDiario(diario, &database, &model);
        TDiaryTables::configureIntesta(intesta, &database);
        TDataSource source(&window);
        source.SetDataSet(diario);

        auto *grid = new TExRichDBGrid(&window);
        grid->SetOptions(dgTitles | dgIndicator | dgColumnResize | dgColLines | dgRowLines);
        grid->SetReadOnly(true);
        grid->SetScrollBars(TScrollStyle::ssHorizontal);
        grid->SetDefaultRowHeight(17);
        grid->SetRowColor1(clBtnFace);
        grid->SetRowColor2(clWindow);
        grid->SetUseRowColors(true);
        for (const char *f : {"Data", "Peso", "BMI", "MIN", "MAX", "S_PRE"}) grid->Columns().Add()->SetFieldName(f);
        grid->SetDataSource(&source);
        window.resize(800, 18 + 12 * 18);
        grid->setGeometry(0, 0, 800, 18 + 12 * 18);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        database.SetDatabase(path);
        database.Open();
        intesta->Open();
        diario->Open();
        QCoreApplication::processEvents();
        QCOMPARE(diario->BufferCount(), grid->VisibleRowCount());
        QVERIFY2(diario->fetches <= grid->VisibleRowCount() + 1, qPrintable(QString::number(diario->fetches)));

        diario->fetches = 0;
        grid->grab();
        QCOMPARE(diario->fetches, 0);

        grid->setFocus();
        diario->fetches = 0;
        QTest::keyClick(grid->viewport(), Qt::Key_End, Qt::ControlModifier);
        grid->grab();
        QVERIFY2(diario->fetches <= grid->VisibleRowCount() + 2, qPrintable(QString::number(diario->fetches)));
        QCOMPARE(model.DiarioData->AsString(), QString("22/06/2029"));

        // The search filter: a new text and First show only the matching days.
        model.SearchText = "139 / 94";
        diario->fetches = 0;
        diario->First();
        grid->grab();
        QCOMPARE(model.DiarioS_PRE->AsString().left(8), QString("139 / 94"));
        QCOMPARE(diario->recordCounts, 0);
        QCOMPARE(diario->recNos, 0);
        source.SetDataSet(nullptr);
    }
};

QTEST_MAIN(TestGridOverArchive)
#include "tst_griddaotable.moc"
