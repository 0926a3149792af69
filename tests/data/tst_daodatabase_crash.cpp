// A program compacting a 10,000-day archive is killed at random moments; after
// every kill, opening the archive through SQLite (which rolls back a journal
// left behind) gives a sound archive with every day. TONALBA_CRASH_TRIALS sets
// the number of trials (scripts/crash-compact.sh runs many more).

#include "tst_engine_util.h"
#include "data/daodatabase.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>

namespace {

const int kDays = 10000;

class CompactionCrash : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        dir = new QTemporaryDir;
        path = dir->filePath("schedario.mdb");
        TArchive::create(path);
        testutil::addDays(path, kDays, 40);
    }
    static void TearDownTestSuite()
    {
        delete dir;
        dir = nullptr;
    }
    static QTemporaryDir *dir;
    static QString path;
};

QTemporaryDir *CompactionCrash::dir = nullptr;
QString CompactionCrash::path;

TEST_F(CompactionCrash, KilledAtRandomMomentsLosesNoDay)
{
    const int trials = qEnvironmentVariableIsSet("TONALBA_CRASH_TRIALS")
                           ? qEnvironmentVariableIntValue("TONALBA_CRASH_TRIALS") : 50;
    ASSERT_EQ(testutil::dayCount(path), kDays);

    // One compaction's time sets the range the kills fall in.
    QElapsedTimer timer;
    timer.start();
    TDaoDatabase().CompactDatabaseFile(path, "");
    const qint64 spanUs = qMax<qint64>(2000, timer.nsecsElapsed() / 1000 * 3 / 2);

    const quint32 seed = QRandomGenerator::system()->generate();
    QRandomGenerator random(seed);
    SCOPED_TRACE(testing::Message() << "seed " << seed << ", one compaction " << spanUs * 2 / 3 << " us");
    for (int trial = 0; trial < trials; ++trial) {
        fflush(nullptr);
        const pid_t pid = fork();
        if (pid == 0) {
            for (;;) {
                try {
                    TDaoDatabase().CompactDatabaseFile(path, "");
                } catch (const Exception &) {
                    _exit(2);
                }
            }
        }
        ASSERT_GT(pid, 0);
        QThread::usleep(random.bounded(quint32(spanUs)));
        kill(pid, SIGKILL);
        int status = 0;
        waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "trial " << trial << ": the compacting child stopped on its own";

        EXPECT_EQ(testutil::quickCheck(path), "ok") << "trial " << trial;
        ASSERT_EQ(testutil::dayCount(path), kDays) << "trial " << trial;
        // Besides a stale lock file, a kill just after SQLite created its journal
        // leaves a cold (empty) one that the next write removes; nothing else.
        for (const QString &name : testutil::folderEntries(dir->path()))
            EXPECT_TRUE(name == "schedario.mdb" || name == "schedario.ldb" || name == "schedario.mdb-journal")
                << "trial " << trial << ": " << name.toStdString();
    }
    // The stale lock file left by the last kill does not stop the next compaction.
    EXPECT_NO_THROW(TDaoDatabase().CompactDatabaseFile(path, ""));
    EXPECT_EQ(testutil::folderEntries(dir->path()), QStringList("schedario.mdb"));
}

} // namespace
