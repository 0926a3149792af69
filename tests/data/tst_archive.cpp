// Archive copies: a damaged source never replaces a good copy.

#include "tst_engine_util.h"

#include <QTemporaryDir>

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST(Archive, CopyRefusesADamagedSourceAndKeepsTheTarget)
{
    QTemporaryDir dir;
    const QString archive = dir.filePath("rossi.mdb");
    const QString backup = dir.filePath("rossi_backup.mdk");
    TArchive::create(archive);
    testutil::addDays(archive, 400);
    // The copy checks the archive; a file checked once is not read again while unchanged.
    TArchive::copy(archive, backup);
    const QByteArray goodBackup = readAll(backup);
    EXPECT_NO_THROW(TArchive::verify(backup));

    QFile f(archive);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    for (int page = 2; page < 8; ++page) {
        f.seek(4096 * page);
        f.write(QByteArray(16, '\x5a'));
    }
    f.close();

    try {
        TArchive::copy(archive, backup);
        FAIL() << "a damaged archive was copied";
    } catch (const EDaoError &e) {
        EXPECT_EQ(e.number(), dao::errNotADatabase);
    }
    EXPECT_EQ(readAll(backup), goodBackup);
    EXPECT_EQ(testutil::folderEntries(dir.path()), (QStringList{"rossi.mdb", "rossi_backup.mdk"}));
    // The engine, too, sees that the checked file changed.
    dao::DBEngine engine;
    try {
        engine.CreateWorkspace("w", "Admin", "")->OpenDatabase(archive);
        FAIL() << "a damaged archive was opened";
    } catch (const EDaoError &e) {
        EXPECT_EQ(e.number(), dao::errNotADatabase);
    }

    QFile junk(dir.filePath("junk.mdb"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write(QByteArray(5000, 'j'));
    junk.close();
    try {
        TArchive::verify(dir.filePath("junk.mdb"));
        FAIL() << "junk accepted";
    } catch (const EDaoError &e) {
        EXPECT_EQ(e.number(), 3343);
    }
}

TEST(Archive, LeftoversOfDeadProcessesGoAndALiveOnesStay)
{
    QTemporaryDir dir;
    // A child that has ended and been reaped: its pid names no process now.
    const pid_t dead = fork();
    if (dead == 0) _exit(0);
    waitpid(dead, nullptr, 0);
    const QString live = QString::number(getppid());   // our parent, alive while we run
    const QString own = QString::number(getpid());
    const QStringList names = {".tonalba-" + QString::number(dead) + "-aB3dE9.tmp",
                               ".tonalba-" + QString::number(dead) + "-aB3dE9.tmp-journal",
                               ".diario.ini." + QString::number(dead) + ".0a1b2c3d.part",
                               ".diario.frf." + live + ".0a1b2c3d.part",
                               ".tonalba-" + live + "-Zz0Zz0.tmp",
                               ".tonalba-" + own + "-Qq1Qq1.tmp",
                               ".tonalba-Old123.tmp",
                               "rossi.mdb"};
    for (const QString &n : names) {
        QFile f(dir.filePath(n));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    EXPECT_EQ(TArchive::removeLeftovers(dir.path()), 3);
    // A name without its owner is kept while it may still be in use.
    QStringList kept{".diario.frf." + live + ".0a1b2c3d.part", ".tonalba-" + live + "-Zz0Zz0.tmp", ".tonalba-" + own + "-Qq1Qq1.tmp", ".tonalba-Old123.tmp",
                     "rossi.mdb"};
    QStringList left = testutil::folderEntries(dir.path());
    kept.sort();
    left.sort();
    EXPECT_EQ(left, kept);
}

} // namespace
