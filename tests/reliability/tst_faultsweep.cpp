// The tool's writing commands stopped at every step where they change the
// archive: by a full disk, by an I/O error, by a kill. Whatever happens, the
// archive afterwards holds the diary as it was before or as it is after the
// command, never a mixture; a failure says why; a reader after a kill reads.

#include "reliability.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <unistd.h>

namespace {

using reliability::cli;
using reliability::content;

struct Command
{
    const char *name;
    QStringList args;   // "%A" stands for the archive
};

class FaultSweep : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        pristine = dir.filePath("pristine.mdb");
        TArchive::create(pristine);
        testutil::addDays(pristine, 60, 300);
        QFile csv(dir.filePath("giorni.csv"));
        ASSERT_TRUE(csv.open(QIODevice::WriteOnly));
        csv.write("Data;SX_MIN_1;SX_MAX_1;Peso;Note\n");
        for (int d = 1; d <= 28; ++d)
            csv.write(QStringLiteral("%1/02/2024;80;125;70,5;nota del giorno %1 %2\n").arg(d, 2, 10, QChar('0'))
                          .arg(QString(200, 'n')).toUtf8());
    }

    QStringList argsFor(const Command &c, const QString &archive) const
    {
        QStringList out;
        for (const QString &a : c.args)
            out << (a == "%A" ? archive : a == "%CSV" ? dir.filePath("giorni.csv") : a);
        return out;
    }

    QTemporaryDir dir;
    QString pristine;
};

const Command commands[] = {
    {"import", {"import", "%A", "%CSV"}},
    {"header --set", {"header", "%A", "--set", "Nome=Maria Rossi", "--set", "Terapia=ramipril 5 mg"}},
    {"compact", {"compact", "%A"}},
};

TEST_F(FaultSweep, EveryStepOfEveryCommand)
{
    const QStringList before = content(pristine);
    for (const Command &c : commands) {
        SCOPED_TRACE(c.name);
        const QString archive = dir.filePath("arc.mdb");
        reliability::copyArchive(pristine, archive);
        const reliability::Run clean = cli(argsFor(c, archive));
        ASSERT_EQ(clean.exitCode, 0) << clean.err.toStdString();
        const QStringList after = content(archive);
        reliability::copyArchive(pristine, archive);
        const int steps = reliability::stepsOf(argsFor(c, archive));
        ASSERT_GT(steps, 0);
        for (const QString &mode : {QStringLiteral("full@%1"), QStringLiteral("ioerr@%1"), QStringLiteral("kill@%1")}) {
            for (int k = 1; k <= steps; ++k) {
                const QString plan = mode.arg(k);
                SCOPED_TRACE(plan.toStdString());
                reliability::copyArchive(pristine, archive);
                const reliability::Run r = cli(argsFor(c, archive), plan);
                if (plan.startsWith("kill")) {
                    ASSERT_TRUE(r.crashed);
                    // A reader after the kill reads the diary, whichever state it is in.
                    const reliability::Run exported = cli({"export", archive, "--format", "csv"});
                    EXPECT_EQ(exported.exitCode, 0) << exported.err.toStdString();
                } else {
                    ASSERT_FALSE(r.crashed) << r.err.toStdString();
                    if (r.exitCode != 0) {
                        EXPECT_FALSE(r.err.trimmed().isEmpty());
                        EXPECT_FALSE(r.err.contains("savepoint")) << r.err.toStdString();
                    }
                }
                EXPECT_EQ(testutil::quickCheck(archive), "ok");
                const QStringList now = content(archive);
                if (r.exitCode == 0) EXPECT_EQ(now, after);
                else if (!r.crashed) EXPECT_EQ(now, before) << r.err.toStdString();
                else EXPECT_TRUE(now == before || now == after);
                if (HasFailure()) return;
            }
        }
    }
}

TEST_F(FaultSweep, AFullDiskDuringAnImportIsReportedAsAFullDisk)
{
    const QString archive = dir.filePath("arc.mdb");
    reliability::copyArchive(pristine, archive);
    const QStringList before = content(archive);
    const int steps = reliability::stepsOf({"import", archive, dir.filePath("giorni.csv")});
    for (int k = 1; k <= steps; ++k) {
        SCOPED_TRACE(k);
        reliability::copyArchive(pristine, archive);
        const reliability::Run r = cli({"import", archive, dir.filePath("giorni.csv")}, QStringLiteral("full@%1").arg(k));
        if (r.exitCode == 0) continue;   // the step was not a write
        EXPECT_TRUE(r.err.contains("Not enough space on disk")) << r.err.toStdString();
        EXPECT_EQ(content(archive), before);
    }
}

// Where nothing may be written, a reader cannot roll back what a killed
// writer left: it says so, and does not call the archive damaged. Once the
// folder may be written again, the next reader finishes the job.
TEST_F(FaultSweep, AReaderWhereNothingMayBeWrittenSaysAWriteWasInterrupted)
{
    if (geteuid() == 0) GTEST_SKIP() << "file permissions do not bind the superuser";
    QTemporaryDir folder;
    const QString archive = folder.filePath("arc.mdb");
    reliability::copyArchive(pristine, archive);
    const QStringList before = content(pristine);
    const QStringList args{"import", archive, dir.filePath("giorni.csv")};
    const int steps = reliability::stepsOf(args);
    reliability::copyArchive(pristine, archive);
    // Late in the import the archive holds pages of it, and the journal undoes them.
    ASSERT_TRUE(cli(args, QStringLiteral("kill@%1").arg(steps - 3)).crashed);
    ASSERT_TRUE(QFile::exists(archive + "-journal"));
    QFile::setPermissions(folder.path(), QFile::ReadOwner | QFile::ExeOwner);
    const reliability::Run refused = cli({"export", archive});
    QFile::setPermissions(folder.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.err.contains("was interrupted")) << refused.err.toStdString();
    EXPECT_FALSE(refused.err.contains("corrupt")) << refused.err.toStdString();
    const reliability::Run exported = cli({"export", archive});
    EXPECT_EQ(exported.exitCode, 0) << exported.err.toStdString();
    EXPECT_FALSE(QFile::exists(archive + "-journal"));
    EXPECT_EQ(content(archive), before);
}

// Kills at moments no step counter chooses: anywhere in a command's run,
// timers and all. TONALBA_RANDOM_KILLS sets how many (make reliability: 300).
TEST_F(FaultSweep, RandomKills)
{
    const int kills = qEnvironmentVariableIntValue("TONALBA_RANDOM_KILLS") > 0
                          ? qEnvironmentVariableIntValue("TONALBA_RANDOM_KILLS")
                          : 30;
    const QString archive = dir.filePath("arc.mdb");
    QList<QStringList> afterOf;
    QList<qint64> runtime;
    const QStringList before = content(pristine);
    for (const Command &c : commands) {
        reliability::copyArchive(pristine, archive);
        QElapsedTimer t;
        t.start();
        ASSERT_EQ(cli(argsFor(c, archive)).exitCode, 0);
        runtime << qMax<qint64>(1, t.elapsed());
        afterOf << content(archive);
    }
    QRandomGenerator random(20261210);   // the same moments on every run
    for (int n = 0; n < kills; ++n) {
        const int which = int(random.bounded(quint32(std::size(commands))));
        const Command &c = commands[which];
        const int at = int(random.bounded(quint32(runtime[which] * 1000)));   // microseconds
        SCOPED_TRACE(QStringLiteral("%1 killed after %2 us").arg(c.name).arg(at).toStdString());
        reliability::copyArchive(pristine, archive);
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("TONALBA_LOCALE", "it_IT");
        p.setProcessEnvironment(env);
        p.start(TONALBA_CLI, argsFor(c, archive));
        ASSERT_TRUE(p.waitForStarted());
        QThread::usleep(at);
        p.kill();
        p.waitForFinished();
        const reliability::Run exported = cli({"export", archive, "--format", "csv"});
        EXPECT_EQ(exported.exitCode, 0) << exported.err.toStdString();
        EXPECT_EQ(testutil::quickCheck(archive), "ok");
        const QStringList now = content(archive);
        EXPECT_TRUE(now == before || now == afterOf[which]);
        if (HasFailure()) return;
    }
}

} // namespace
