// tonalba-cli as a user runs it: the period printed to PDF (read back with
// pdftotext) and the tool started where the display it is told of is gone.

#include "data/archive.h"
#include "tests/app/archivesql.h"
#include "tests/tools/clirun.h"

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

using Run = CliRun;

CliRun run(const QString &program, const QStringList &args, const QProcessEnvironment &env)
{
    return runProgram(program, args, env);
}

// The tool's environment: Italian formats, and no platform chosen for it.
QProcessEnvironment toolEnvironment()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("TONALBA_LOCALE", "it_IT");
    env.remove("QT_QPA_PLATFORM");
    return env;
}

} // namespace

class TestCliPrint : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_archive;

private slots:
    void initTestCase()
    {
        QVERIFY2(!QStandardPaths::findExecutable("pdftotext").isEmpty(), "pdftotext missing: scripts/install-deps.sh");
        m_archive = m_dir.filePath("rossi.mdb");
        TArchive::create(m_archive);
        archivesql::exec(m_archive, "UPDATE Intestazione SET Nome='Rossi Mario', Altezza=1.7");
        // Typed out of order: the 1st of March was back-filled after the 3rd.
        archivesql::exec(m_archive,
                         "INSERT INTO Diario (Data, SX_MIN_1, SX_MAX_1, SX_PULS_1, Peso, Note) VALUES "
                         "('2024-03-02 00:00:00', 81, 131, 71, 70, NULL),"
                         "('2024-03-03 00:00:00', 82, 132, 72, 70, 'Capogiro al mattino' || char(10) || 'Poi passato'),"
                         "('2024-03-01 00:00:00', 80, 130, 70, 70, 'Riga uno' || char(13) || char(10) || 'Riga due')");
    }

    void printsTheDaysInDateOrderWithTheirLineBreaks()
    {
        const QString pdf = m_dir.filePath("periodo.pdf");
        const Run r = run(TONALBA_CLI,
                          {"print", m_archive, "--pdf", pdf, "--template", TONALBA_TEMPLATE_FILE}, toolEnvironment());
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        const Run text = run("pdftotext", {"-layout", pdf, "-"}, QProcessEnvironment::systemEnvironment());
        QCOMPARE(text.exitCode, 0);
        const qsizetype first = text.out.indexOf("01/03/2024"), second = text.out.indexOf("02/03/2024"),
                        third = text.out.indexOf("03/03/2024");
        QVERIFY2(first >= 0 && first < second && second < third, qPrintable(text.out));
        QVERIFY2(!text.out.contains("mattinoPoi") && !text.out.contains("unoRiga"), qPrintable(text.out));
        // Each note line on a line of its own.
        for (const char *line : {"Capogiro al mattino", "Poi passato", "Riga uno", "Riga due"})
            QVERIFY2(text.out.contains(QRegularExpression(QStringLiteral("%1 *\\n").arg(line))), qPrintable(text.out));
    }

    // Without --template the tool finds one as a new user expects: beside the
    // archive first, else, in a build tree, the one the build generated. Days
    // are given in ISO form or as the user types them.
    void findsItsTemplateAndReadsBothDayForms()
    {
        QTemporaryDir own;
        const QString archive = own.filePath("verdi.mdb");
        QVERIFY(QFile::copy(m_archive, archive));
        const QString pdf = own.filePath("p.pdf");
        Run r = run(TONALBA_CLI, {"print", archive, "--from", "02/03/2024", "--to", "2024-03-02", "--pdf", pdf},
                    toolEnvironment());
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        const Run text = run("pdftotext", {"-layout", pdf, "-"}, QProcessEnvironment::systemEnvironment());
        QVERIFY2(text.out.contains("02/03/2024") && !text.out.contains("01/03/2024")
                     && !text.out.contains("03/03/2024 "),
                 qPrintable(text.out));

        QFile beside(own.filePath("diario.frf"));
        QVERIFY(beside.open(QIODevice::WriteOnly));
        beside.write("non un modello");
        beside.close();
        r = run(TONALBA_CLI, {"print", archive, "--pdf", own.filePath("q.pdf")}, toolEnvironment());
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(!QFile::exists(own.filePath("q.pdf")), qPrintable(r.err));
        // The program's message, then why and where.
        QVERIFY2(r.err.startsWith("Errore: Non è stato possibile terminare la fase di caricamento del report.")
                     && r.err.contains(QRegularExpression("\\ncorrupt at byte \\d+: ")),
                 qPrintable(r.err));

        r = run(TONALBA_CLI, {"print", archive, "--from", "31/02/2024", "--pdf", pdf}, toolEnvironment());
        QCOMPARE(r.exitCode, 2);
        QVERIFY2(r.err.startsWith("Data non valida: 31/02/2024 (atteso AAAA-MM-GG o GG/MM/AAAA)"), qPrintable(r.err));
    }

    // A display named but out of reach (an ssh session, cron, a terminal left
    // from an ended desktop session) changes nothing for the tool.
    void worksWhenTheDisplayCannotBeReached_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("export draws nothing") << QStringList{"export", "ARCHIVE", "--format", "csv"};
        QTest::newRow("header draws nothing") << QStringList{"header", "ARCHIVE"};
        QTest::newRow("print draws") << QStringList{"print", "ARCHIVE", "--pdf", "PDF", "--template", TONALBA_TEMPLATE_FILE};
    }
    void worksWhenTheDisplayCannotBeReached()
    {
        QFETCH(QStringList, args);
        args.replaceInStrings("ARCHIVE", m_archive);
        args.replaceInStrings("PDF", m_dir.filePath("senza-schermo.pdf"));
        QProcessEnvironment env = toolEnvironment();
        env.insert("DISPLAY", ":97");
        env.remove("WAYLAND_DISPLAY");
        const Run r = run(TONALBA_CLI, args, env);
        QVERIFY2(r.exitCode == 0, qPrintable(QString("exit %1: %2").arg(r.exitCode).arg(r.err)));
        QVERIFY2(!r.err.contains("display"), qPrintable(r.err));
    }
};

QTEST_GUILESS_MAIN(TestCliPrint)
#include "tst_cliprint.moc"
