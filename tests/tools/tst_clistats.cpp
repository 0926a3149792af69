// `tonalba-cli stats`: the hand-worked diaries stored in archives and read
// back by the tool, which must print the numbers the class computes.

#include "clirun.h"
#include "data/archive.h"
#include "tests/app/archivesql.h"
#include "tests/app/statisticscases.h"

#include <QTemporaryDir>
#include <QTest>

class TestCliStats : public QObject
{
    Q_OBJECT

private slots:
    void json_data()
    {
        QTest::addColumn<int>("index");
        const QList<statscases::Case> all = statscases::cases();
        for (int i = 0; i < all.size(); ++i) QTest::newRow(all[i].name) << i;
    }

    void json()
    {
        QFETCH(int, index);
        const statscases::Case c = statscases::cases().at(index);
        QTemporaryDir dir;
        const QString archive = dir.filePath(QStringLiteral("rossi.mdb"));
        TArchive::create(archive);
        archivesql::exec(archive, QStringLiteral("UPDATE Intestazione SET Nome='Rossi Mario', Altezza=%1")
                                      .arg(c.height)
                                      );
        const char *columns = "SX_MAX_1, SX_MIN_1, SX_PULS_1, SX_MAX_2, SX_MIN_2, SX_PULS_2, "
                              "DX_MAX_1, DX_MIN_1, DX_PULS_1, DX_MAX_2, DX_MIN_2, DX_PULS_2";
        for (const statscases::Day &d : c.days) {
            QStringList values;
            // Zero is stored as empty, as the card leaves an untyped edit.
            for (int v : d.values) values << (v ? QString::number(v) : QStringLiteral("NULL"));
            const QDate date = QDate(2026, 3, 1).addDays(d.offset);
            archivesql::exec(archive, QStringLiteral("INSERT INTO Diario (Data, %1, Peso) VALUES ('%2 00:00:00', %3, %4)")
                                          .arg(QLatin1String(columns), date.toString(Qt::ISODate), values.join(','),
                                               d.weight ? QString::number(d.weight) : QStringLiteral("NULL"))
                                          );
        }
        QStringList args{QStringLiteral("stats"), archive, QStringLiteral("--format"), QStringLiteral("json")};
        if (!c.from.isEmpty()) args << QStringLiteral("--from") << c.from << QStringLiteral("--to") << c.to;
        const CliRun r = runProgram(TONALBA_CLI, args, italianEnvironment());
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QCOMPARE(r.out.trimmed(), c.json);
    }

    void refusesABadCommandLine()
    {
        for (const QStringList &args : {QStringList{"stats"}, QStringList{"stats", "a.mdb", "--format", "xml"},
                                        QStringList{"stats", "a.mdb", "--from", "31/02/2026"}}) {
            const CliRun r = runProgram(TONALBA_CLI, args, italianEnvironment());
            QCOMPARE(r.exitCode, 2);
        }
        const CliRun missing = runProgram(TONALBA_CLI, {"stats", "/nessuna/cartella/a.mdb"}, italianEnvironment());
        QCOMPARE(missing.exitCode, 1);
        QVERIFY(missing.err.contains(QStringLiteral("Statistiche non riuscite")));
    }
};

QTEST_GUILESS_MAIN(TestCliStats)
#include "tst_clistats.moc"
