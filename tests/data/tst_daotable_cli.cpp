// tonalba-cli export, import and header, run as the user runs them, over
// archives that "another program" (raw SQLite) filled.

#include "tests/data/tst_engine_util.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// Readable failure output.
inline void PrintTo(const QString &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }

namespace {

using testutil::rawExec;
using testutil::rawQuery;

struct CliRun
{
    int exitCode = -1;
    QString out;
    QString err;
};

CliRun cli(const QStringList &args)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("TONALBA_LOCALE", "it_IT");
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(TONALBA_CLI), args);
    CliRun r;
    if (!p.waitForFinished(300000)) return r;
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

// Every stored value of the diary, for "did anything change".
QStringList storedRows(const QString &path)
{
    return rawQuery(path, "SELECT quote(ID_Diario) || quote(Data) || quote(SX_MIN_1) || quote(SX_MAX_1) || quote(Peso)"
                          " || quote(Note) FROM Diario ORDER BY ID_Diario");
}

class CliTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        source = dir.path() + "/sorgente.mdb";
        TArchive::create(source);
    }
    void TearDown() override
    {
        if (HasFailure()) dir.setAutoRemove(false);
    }
    QString file(const QString &name) const { return dir.path() + "/" + name; }
    void write(const QString &name, const QByteArray &bytes)
    {
        QFile f(file(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

    QTemporaryDir dir;
    QString source;
};

TEST_F(CliTest, ExportImportRoundTripOfTenYears)
{
    // 3,650 days in shuffled order, every column used, with empty values,
    // decimals, times of day and notes full of separators, quotes and line breaks.
    rawExec(source,
            "UPDATE Intestazione SET Altezza = 1.8;"
            "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 3649) "
            "INSERT INTO Diario (Data, SX_MIN_1, SX_MAX_1, SX_PULS_1, DX_MIN_1, DX_MAX_1, DX_PULS_1,"
            " SX_MIN_2, SX_MAX_2, SX_PULS_2, DX_MIN_2, DX_MAX_2, DX_PULS_2, Peso, Note) "
            "SELECT date('2010-01-01', '+' || ((i * 7919) % 3650) || ' days') || CASE WHEN i % 97 = 0"
            " THEN ' 08:30:00' ELSE ' 00:00:00' END,"
            " CASE WHEN i % 11 = 0 THEN NULL ELSE 60 + i % 40 END, 100 + i % 90, 50 + i % 50,"
            " 61 + i % 39, 101 + i % 89, CASE WHEN i % 7 = 0 THEN NULL ELSE 55 + i % 45 END,"
            " 62 + i % 38, 102 + i % 88, 52 + i % 48, CASE WHEN i % 3 = 0 THEN 0 ELSE 63 + i % 37 END,"
            " 103 + i % 87, 53 + i % 47,"
            " CASE WHEN i % 13 = 0 THEN NULL ELSE 60 + (i % 300) / 10.0 END,"
            " CASE i % 5 WHEN 0 THEN NULL WHEN 1 THEN 'nota, con virgola; e punto e virgola'"
            " WHEN 2 THEN 'due' || char(13, 10) || 'righe \"citate\"' WHEN 3 THEN 'caffè € ' || i ELSE 'x' END "
            "FROM n;");
    ASSERT_EQ(testutil::dayCount(source), 3650);

    const CliRun csv = cli({"export", source, "--format", "csv"});
    ASSERT_EQ(csv.exitCode, 0) << csv.err.toStdString();
    EXPECT_TRUE(csv.out.startsWith("ID_Diario,Data,SX_MIN_1,SX_MAX_1,"));
    EXPECT_TRUE(csv.out.endsWith("\r\n"));
    write("diario.csv", csv.out.toUtf8());

    const QString target = file("destinazione.mdb");
    TArchive::create(target);
    ASSERT_EQ(cli({"header", target, "--set", "Altezza=1,8"}).exitCode, 0);
    const CliRun imported = cli({"import", target, file("diario.csv")});
    ASSERT_EQ(imported.exitCode, 0) << imported.err.toStdString();
    ASSERT_EQ(testutil::dayCount(target), 3650);

    const CliRun before = cli({"export", source});
    const CliRun after = cli({"export", target});
    ASSERT_EQ(before.exitCode, 0);
    ASSERT_EQ(after.exitCode, 0);
    // The import numbers the days anew; everything else must be the same, line by line.
    static const QRegularExpression id(QStringLiteral("^\\{\"ID_Diario\":\\d+,"), QRegularExpression::MultilineOption);
    QString a = before.out, b = after.out;
    a.remove(id);
    b.remove(id);
    const QStringList la = a.split('\n'), lb = b.split('\n');
    ASSERT_EQ(la.size(), 3651);
    ASSERT_EQ(lb.size(), la.size());
    for (int i = 0; i < la.size(); ++i) ASSERT_EQ(la[i].toStdString(), lb[i].toStdString()) << "day " << i;
    // The stored values themselves: the note kept its line break, the weight its decimal.
    EXPECT_EQ(rawQuery(target, "SELECT count(*) FROM Diario WHERE Note = 'due' || char(13, 10) || 'righe \"citate\"'"),
              rawQuery(source, "SELECT count(*) FROM Diario WHERE Note = 'due' || char(13, 10) || 'righe \"citate\"'"));
    EXPECT_EQ(rawQuery(target, "SELECT sum(Peso) || '|' || sum(SX_MAX_1) || '|' || count(DX_PULS_1) FROM Diario"),
              rawQuery(source, "SELECT sum(Peso) || '|' || sum(SX_MAX_1) || '|' || count(DX_PULS_1) FROM Diario"));
}

TEST_F(CliTest, ExportFiltersAndOrdersAsTheProgram)
{
    rawExec(source, "INSERT INTO Diario (Data, SX_MIN_1, SX_MAX_1, Note) VALUES"
                    " ('2024-03-31 00:00:00', 85, 135, NULL), ('2024-03-01 00:00:00', 70, 110, 'normale'),"
                    " ('2024-02-29 00:00:00', 85, 137, NULL), ('2024-03-01 00:00:00', 92, 150, NULL);");
    auto ids = [&](const QStringList &options) {
        const CliRun r = cli(QStringList{"export", source} + options);
        QList<int> out;
        static const QRegularExpression id(QStringLiteral("\"ID_Diario\":(\\d+)"));
        for (auto it = id.globalMatch(r.out); it.hasNext();) out << it.next().captured(1).toInt();
        return r.exitCode == 0 ? out : QList<int>{-r.exitCode};
    };
    struct Case
    {
        QStringList options;
        QList<int> expected;
    } cases[] = {
        {{}, {3, 2, 4, 1}},
        {{"--from", "2024-03-01", "--to", "2024-03-31"}, {2, 4, 1}},
        {{"--to", "2024-03-01"}, {3, 2, 4}},
        {{"--search", "Normale"}, {3, 1}},
        {{"--search", "Normale", "--from", "2024-03-01"}, {1}},
        {{"--search", "nessuno"}, {}},
        {{"--from", "2024-02-30"}, {-2}},
        {{"--from", "01/03/2024"}, {2, 4, 1}},   // the user's own short date
        {{"--from", "31/02/2024"}, {-2}},
        {{"--format", "xml"}, {-2}},
    };
    for (const Case &c : cases) EXPECT_EQ(ids(c.options), c.expected) << c.options.join(' ').toStdString();

    const CliRun json = cli({"export", source, "--to", "2024-02-29"});
    EXPECT_EQ(json.out, "{\"ID_Diario\":3,\"Data\":\"2024-02-29\",\"SX_MIN_1\":85,\"SX_MAX_1\":137,\"SX_PULS_1\":null,"
                        "\"DX_MIN_1\":null,\"DX_MAX_1\":null,\"DX_PULS_1\":null,\"SX_MIN_2\":null,\"SX_MAX_2\":null,"
                        "\"SX_PULS_2\":null,\"DX_MIN_2\":null,\"DX_MAX_2\":null,\"DX_PULS_2\":null,\"Peso\":null,"
                        "\"Note\":\"\",\"MIN\":85,\"MAX\":137,\"BMI\":0,\"IRC1\":3,\"IRC2\":3,\"IRCX\":3,\"IBMI\":0,"
                        "\"S_BMI\":\"\",\"S_PRE\":\"137 / 85 : Normale - alta\",\"PRESS\":\"137 / 85\",\"PULS\":0}\n");
}

TEST_F(CliTest, ImportWithABadLineChangesNothing)
{
    testutil::addDays(source, 3);
    const QStringList stored = storedRows(source);
    struct Case
    {
        const char *name;
        QByteArray csv;
        QString where;
    } cases[] = {
        {"bad integer after a note on two lines",
         "Data;SX_MAX_1;Note\r\n2024-01-01;120;\"riga\r\ndue\"\r\n02/01/2024;abc;x\r\n",
         "record 2, riga 4, campo SX_MAX_1, valore \"abc\""},
        {"row without Data", "SX_MAX_1,Data\n120,\n", "record 1, riga 2, campo Data"},
        {"bad date", "Data,Peso\n2024-01-01,\"70,5\"\n2024-02-30,71\n", "record 2, riga 3, campo Data, valore \"2024-02-30\""},
        {"grouped number", "Data,Peso\n2024-01-01,\"72.500\"\n", "record 1, riga 2, campo Peso, valore \"72.500\""},
        {"missing value", "Data,Peso\n2024-01-01\n", "record 1, riga 2"},
    };
    for (const Case &c : cases) {
        write("cattivo.csv", c.csv);
        const CliRun r = cli({"import", source, file("cattivo.csv")});
        EXPECT_EQ(r.exitCode, 1) << c.name;
        EXPECT_TRUE(r.err.contains(c.where)) << c.name << ": " << r.err.toStdString();
        EXPECT_EQ(storedRows(source), stored) << c.name;
    }
    write("sconosciuto.csv", "Data,Pressione\n2024-01-01,1\n");
    EXPECT_EQ(cli({"import", source, file("sconosciuto.csv")}).exitCode, 1);
    EXPECT_EQ(storedRows(source), stored);

    // A good file with the locale's forms and ";" goes in whole.
    write("buono.csv", "Peso;Data;MAX;ID_Diario\r\n\"72,5\";05/03/2024;999;77\r\n;2024-03-06 08:30:00;;\r\n");
    ASSERT_EQ(cli({"import", source, file("buono.csv")}).exitCode, 0);
    EXPECT_EQ(rawQuery(source, "SELECT ID_Diario || '|' || Data || '|' || quote(Peso) FROM Diario WHERE ID_Diario > 3"),
              (QStringList{"4|2024-03-05 00:00:00|72.5", "5|2024-03-06 08:30:00|NULL"}));
}

TEST_F(CliTest, HeaderSetsAndPrintsTheHeaderRow)
{
    const CliRun set = cli({"header", source, "--set", "Nome=Rossi Mario", "--set", "Data_Nascita=1960-05-04",
                         "--set", "altezza=1,75", "--set", "Terapia="});
    ASSERT_EQ(set.exitCode, 0) << set.err.toStdString();
    static const QRegularExpression expected(QStringLiteral(
        "^\\{\"Nome\":\"Rossi Mario\",\"Data_Nascita\":\"1960-05-04\",\"Altezza\":1.75,\"Eta\":\\d+,\"fascia\":10,"
        "\"Terapia\":\"\",\"Data_terapia\":null\\}\n$"));
    EXPECT_TRUE(expected.match(set.out).hasMatch()) << set.out.toStdString();
    EXPECT_EQ(rawQuery(source, "SELECT Nome || '|' || Data_Nascita || '|' || Altezza FROM Intestazione"),
              QStringList{"Rossi Mario|1960-05-04 00:00:00|1.75"});
    EXPECT_EQ(cli({"header", source, "--set", "Data_terapia=03/02/2020"}).exitCode, 0);
    EXPECT_EQ(rawQuery(source, "SELECT Data_terapia FROM Intestazione"), QStringList{"2020-02-03 00:00:00"});

    EXPECT_EQ(cli({"header", source, "--set", "Eta=3"}).exitCode, 2);
    EXPECT_EQ(cli({"header", source, "--set", "Colore=rosso"}).exitCode, 2);
    EXPECT_EQ(cli({"header", source, "--set", "Altezza=alto"}).exitCode, 1);
    rawExec(source, "DELETE FROM Intestazione");
    const CliRun none = cli({"header", source, "--set", "Nome=X"});
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_EQ(rawQuery(source, "SELECT count(*) FROM Intestazione"), QStringList{"0"});
}

} // namespace
