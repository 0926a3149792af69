// tonalba-cli import as a user runs it: the files it refuses, each with its
// message and the archive left exactly as it was, and the files it takes in
// every encoding it reads.

#include "data/archive.h"
#include "tests/app/archivesql.h"
#include "tests/tools/clirun.h"

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>

namespace {

using Run = CliRun;

CliRun cli(const QStringList &args)
{
    return runProgram(TONALBA_CLI, args, italianEnvironment());
}

QByteArray utf16le(const QString &text)
{
    QByteArray out("\xFF\xFE", 2);
    for (const QChar c : text) {
        out += char(c.unicode() & 0xFF);
        out += char(c.unicode() >> 8);
    }
    return out;
}

template <std::size_t N>
QByteArray withNul(const char (&literal)[N])
{
    return QByteArray(literal, N - 1);
}

} // namespace

class TestCliImport : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_archive, m_csv;

    void writeCsv(const QByteArray &bytes)
    {
        QFile f(m_csv);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QCOMPARE(f.write(bytes), bytes.size());
    }

    // The days imported into the three of the fixture, in the order stored.
    QStringList newDays() const
    {
        const QString rows = archivesql::scalar(
            m_archive, "SELECT group_concat(d, char(10)) FROM (SELECT Data || '|' || quote(Note) || '|' || quote(Peso)"
                       " || '|' || quote(SX_MAX_1) AS d FROM Diario WHERE ID_Diario > 3 ORDER BY ID_Diario)");
        return rows.isEmpty() ? QStringList() : rows.split('\n');
    }

private slots:
    // Three days, one of them written at 08:30 by another program.
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_archive = m_dir->filePath("rossi.mdb");
        m_csv = m_dir->filePath("giorni.csv");
        TArchive::create(m_archive);
        archivesql::exec(m_archive, "INSERT INTO Diario (Data, SX_MIN_1, SX_MAX_1, Peso, Note) VALUES "
                                    "('2024-01-02 00:00:00', 80, 120, 70, NULL),"
                                    "('2024-01-03 08:30:00', 81, 121, 70, 'mattina'),"
                                    "('2024-01-04 00:00:00', 82, 122, 70, NULL)");
    }
    void cleanup()
    {
        if (QTest::currentTestFailed()) m_dir->setAutoRemove(false);
    }

    void refusesABadFileAndChangesNothing_data()
    {
        QTest::addColumn<QByteArray>("csv");
        QTest::addColumn<QString>("message");   // FILE stands for the CSV's path
        const QString refused = QStringLiteral("Importazione annullata, archivio invariato: ");

        QTest::newRow("day twice in the file, written two ways")
            << QByteArray("Data,SX_MAX_1\n2024-02-01,120\n01/02/2024,125\n")
            << refused + "record 2, riga 3, campo Data, valore \"01/02/2024\": "
                         "il giorno 01/02/2024 è già nel file al record 1, riga 2";
        QTest::newRow("day twice in the file, at two times of day")
            << QByteArray("Data;Note\n2024-02-01 07:00:00;mattina\n\"2024-02-01 21:00:00\";\"sera,\ntardi\"\n"
                          "2024-02-01;notte\n")
            << refused + "record 2, riga 3, campo Data, valore \"2024-02-01 21:00:00\": "
                         "il giorno 01/02/2024 è già nel file al record 1, riga 2";
        QTest::newRow("day the archive has at 08:30")
            << QByteArray("Data\n2024-01-05\n2024-01-03\n")
            << refused + "record 2, riga 3, campo Data, valore \"2024-01-03\": il giorno 03/01/2024 è già nell'archivio";
        const struct
        {
            const char *day;
            int year;
        } years[] = {{"0001-01-01", 1}, {"30/12/1899", 1899}, {"1800-06-01", 1800},
                     {"2101-01-01", 2101}, {"2200-01-01", 2200}, {"9999-12-31", 9999}};
        for (const auto &y : years)
            QTest::addRow("year %s", y.day)
                << QByteArray("Data\n2024-02-01\n") + y.day + "\n"
                << refused + "record 2, riga 3, campo Data, valore \"" + y.day + "\": l'anno "
                       + QString::number(y.year) + " è fuori dall'intervallo 1900..2100";
        QTest::newRow("negative diastolic")
            << QByteArray("Data,SX_MIN_1,SX_MAX_1\n2024-02-01,-80,120\n")
            << refused + "record 1, riga 2, campo SX_MIN_1, valore \"-80\": il valore non può essere negativo";
        QTest::newRow("negative pulse of the last measurement")
            << QByteArray("Data,DX_PULS_2\n2024-02-01,70\n2024-02-02,-1\n")
            << refused + "record 2, riga 3, campo DX_PULS_2, valore \"-1\": il valore non può essere negativo";
        QTest::newRow("negative weight")
            << QByteArray("Data;Peso\n2024-02-01;\"-70,5\"\n")
            << refused + "record 1, riga 2, campo Peso, valore \"-70,5\": il valore non può essere negativo";
        QTest::newRow("NUL byte in a note")
            << withNul("Data,Note\n2024-02-01,prima\n2024-02-02,dopo\0tagliata\n")
            << QStringLiteral("FILE: riga 3: il testo contiene un carattere NUL");
        QTest::newRow("quote never closed")
            << QByteArray("Data,Note\n2024-02-01,\"aperta\n2024-02-02,x\n")
            << QStringLiteral("FILE: riga 2: virgolette aperte e mai chiuse");
        QTest::newRow("column named twice")
            << QByteArray("Data,Note,data\n2024-02-01,x,2024-02-02\n")
            << QStringLiteral("FILE: riga 1: la colonna 3 \"data\" ripete il nome della colonna 1");
        QTest::newRow("column without a name")
            << QByteArray("Data,,Peso\n2024-02-01,x,70\n")
            << QStringLiteral("FILE: riga 1: la colonna 2 dell'intestazione non ha nome");
        QTest::newRow("UTF-8 mark over Windows-1252 text")
            << QByteArray("\xEF\xBB\xBF" "Data,Note\n2024-02-01,citt\xE0\n")
            << QStringLiteral("FILE: riga 2: testo non valido per la codifica UTF-8 indicata dal BOM");
    }
    void refusesABadFileAndChangesNothing()
    {
        QFETCH(QByteArray, csv);
        QFETCH(QString, message);
        writeCsv(csv);
        const Run before = cli({"export", m_archive});
        QCOMPARE(before.exitCode, 0);

        const Run r = cli({"import", m_archive, m_csv});
        QCOMPARE(r.err.trimmed(), message.replace("FILE", m_csv));
        QCOMPARE(r.exitCode, 1);

        const Run after = cli({"export", m_archive});
        QCOMPARE(after.out, before.out);
        QCOMPARE(newDays(), QStringList());
    }

    void takesAGoodFileWhole_data()
    {
        QTest::addColumn<QByteArray>("csv");
        QTest::addColumn<QStringList>("stored");   // Data|Note|Peso|SX_MAX_1 of each new day

        QTest::newRow("UTF-16 LE with BOM")
            << utf16le(QStringLiteral("Data;Note;Peso\r\n05/02/2024;città € 5;\"70,5\"\r\n"))
            << QStringList{"2024-02-05 00:00:00|'città € 5'|70.5|NULL"};
        QTest::newRow("UTF-8 with BOM")
            << QByteArray("\xEF\xBB\xBF" "Data,Note,SX_MAX_1\n2024-02-06,città,130\n")
            << QStringList{"2024-02-06 00:00:00|'città'|NULL|130"};
        QTest::newRow("Windows-1252 note")
            << QByteArray("Data;Note\r\n2024-02-07;citt\xE0 \x80 5\r\n")
            << QStringList{"2024-02-07 00:00:00|'città € 5'|NULL|NULL"};
        QTest::newRow("semicolons and the regional decimal comma")
            << QByteArray("Peso;Data;SX_MAX_1\n72,5;2024-02-08;0\n")
            << QStringList{"2024-02-08 00:00:00|NULL|72.5|0"};
        // 23:00 on the day before an archive day is still its own day.
        QTest::newRow("first and last years, a late hour before an archive day")
            << QByteArray("Data\n1900-01-01\n2100-12-31\n2024-01-01 23:00:00\n")
            << QStringList{"1900-01-01 00:00:00|NULL|NULL|NULL", "2100-12-31 00:00:00|NULL|NULL|NULL",
                           "2024-01-01 23:00:00|NULL|NULL|NULL"};
    }
    void takesAGoodFileWhole()
    {
        QFETCH(QByteArray, csv);
        QFETCH(QStringList, stored);
        writeCsv(csv);
        const Run r = cli({"import", m_archive, m_csv});
        QCOMPARE(r.err, QString());
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(newDays(), stored);
    }

    // The tool says the project's version, and --help lists it.
    void version()
    {
        const Run v = cli({QStringLiteral("--version")});
        QCOMPARE(v.exitCode, 0);
        QCOMPARE(v.out, QStringLiteral("tonalba-cli " TONALBA_VERSION "\n"));
        const Run h = cli({QStringLiteral("--help")});
        QCOMPARE(h.exitCode, 0);
        QVERIFY(h.out.contains(QStringLiteral("--version")));
    }
};

QTEST_GUILESS_MAIN(TestCliImport)
#include "tst_cliimport.moc"
