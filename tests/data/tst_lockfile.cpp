// The archive's lock file: held while connected, shared by every connection in
// any process, removed by the last one, and taken over when a killed program left it.

#include "tst_engine_util.h"
#include "data/lockfile.h"

#include <QTemporaryDir>
#include <sys/stat.h>

using namespace dao;

namespace {

ino_t inodeOf(const QString &path)
{
    struct stat st;
    return stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
}

class LockFileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        path = dir.filePath("schedario.mdb");
        ldb = dir.filePath("schedario.ldb");
        TArchive::create(path);
    }
    std::shared_ptr<Database> open(DBEngine &engine, bool exclusive = false)
    {
        return engine.CreateWorkspace("w", "Admin", "")->OpenDatabase(path, exclusive);
    }
    QTemporaryDir dir;
    QString path, ldb;
};

TEST(LockFilePath, ReplacesTheLastExtension)
{
    EXPECT_EQ(TArchiveLock::lockFilePath("/a/b/schedario.mdb"), "/a/b/schedario.ldb");
    EXPECT_EQ(TArchiveLock::lockFilePath("/a.b/c.x.mdb"), "/a.b/c.x.ldb");
    EXPECT_EQ(TArchiveLock::lockFilePath("/a.b/archivio"), "/a.b/archivio.ldb");
}

TEST_F(LockFileTest, HeldWhileConnected)
{
    EXPECT_FALSE(TArchiveLock::isOpenElsewhere(path));
    DBEngine engine;
    auto db = open(engine);
    EXPECT_TRUE(QFile::exists(ldb));
    EXPECT_TRUE(TArchiveLock::isOpenElsewhere(path));
    db->Close();
    EXPECT_FALSE(QFile::exists(ldb));
    EXPECT_FALSE(TArchiveLock::isOpenElsewhere(path));
}

TEST_F(LockFileTest, TwoConnectionsInOneProcess)
{
    DBEngine a, b;
    auto first = open(a);
    auto second = open(b);
    first->Close();
    EXPECT_TRUE(QFile::exists(ldb)) << "the first to close must leave the lock file to the second";
    EXPECT_TRUE(TArchiveLock::isOpenElsewhere(path));
    second->Close();
    EXPECT_FALSE(QFile::exists(ldb));
}

TEST_F(LockFileTest, ExclusiveHoldersKeepOthersOut)
{
    DBEngine a, b;
    auto db = open(a, true);
    EXPECT_DAO_ERROR(open(b), errFileInUse);
    EXPECT_DAO_ERROR(b.CompactDatabaseInPlace(path), errFileInUse);
    db->Close();

    TArchiveLock compaction;
    ASSERT_EQ(compaction.acquire(path, TArchiveLock::Exclusive), TArchiveLock::Locked);
    EXPECT_DAO_ERROR(open(b), errFileInUse);
    compaction.release();
    EXPECT_FALSE(QFile::exists(ldb));
    EXPECT_NO_THROW(open(b));
}

TEST_F(LockFileTest, TwoProcesses)
{
    testutil::Child child([&] {
        static DBEngine engine;   // lives until the child exits
        static std::shared_ptr<Database> db;   // held until the parent lets the child go
        try {
            db = open(engine);
        } catch (const Exception &) {
            return false;
        }
        return true;
    });
    ASSERT_TRUE(child.ready());
    EXPECT_TRUE(TArchiveLock::isOpenElsewhere(path));
    DBEngine engine;
    auto db = open(engine);
    EXPECT_EQ(child.finish(), 0);   // the child exits without closing: the kernel drops its lock
    EXPECT_TRUE(QFile::exists(ldb));
    EXPECT_TRUE(TArchiveLock::isOpenElsewhere(path));
    db->Close();
    EXPECT_FALSE(QFile::exists(ldb));
}

TEST_F(LockFileTest, StaleLockFromAKilledProcessIsTakenOver)
{
    {
        testutil::Child child([&] {
            static DBEngine engine;
            static std::shared_ptr<Database> db;
            db = open(engine);
            return true;
        });
        ASSERT_TRUE(child.ready());
        child.killHard();
    }
    ASSERT_TRUE(QFile::exists(ldb));
    EXPECT_FALSE(TArchiveLock::isOpenElsewhere(path)) << "a stale lock file must not block backups for ever";
    const ino_t stale = inodeOf(ldb);

    DBEngine engine;
    auto db = open(engine);
    EXPECT_EQ(inodeOf(ldb), stale) << "taken over by locking, not deleted and recreated";
    EXPECT_TRUE(TArchiveLock::isOpenElsewhere(path));
    db->Close();
    EXPECT_FALSE(QFile::exists(ldb));

    // Compaction takes a stale lock over too, and leaves nothing behind.
    {
        testutil::Child child([&] {
            static DBEngine engine;
            static std::shared_ptr<Database> db;
            db = open(engine);
            return true;
        });
        ASSERT_TRUE(child.ready());
        child.killHard();
    }
    engine.CompactDatabaseInPlace(path);
    EXPECT_FALSE(QFile::exists(ldb));
}

TEST_F(LockFileTest, ReadOnlyFolderStillOpensForReading)
{
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    const bool enforced = !QFileInfo(dir.path()).isWritable();
    DBEngine engine;
    if (enforced) {
        auto db = engine.CreateWorkspace("w", "Admin", "")->OpenDatabase(path, false, true);
        EXPECT_FALSE(QFile::exists(ldb));
        EXPECT_DAO_ERROR(engine.CompactDatabaseInPlace(path), errCannotOpenFile);
    }
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (!enforced) GTEST_SKIP() << "running as root: folder permissions are not enforced";
}

} // namespace

namespace {
TEST_F(LockFileTest, SomethingElseAtTheLockFilesNameIsRefused)
{
    struct Case
    {
        const char *name;
        std::function<void()> arrange;
    };
    const QString elsewhere = dir.filePath("altrove");
    ASSERT_TRUE(QDir().mkpath(elsewhere));
    const QString target = elsewhere + "/bersaglio";
    const Case cases[] = {
        {"a symbolic link to a file that does not exist", [&] { QFile::link(target, ldb); }},
        {"a symbolic link to another file", [&] {
             QFile f(target);
             ASSERT_TRUE(f.open(QIODevice::WriteOnly));
             f.write("dati di un altro");
             f.close();
             QFile::link(target, ldb);
         }},
        {"a folder", [&] { ASSERT_TRUE(QDir().mkpath(ldb)); }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(ldb);
        QDir(ldb).removeRecursively();
        QFile::remove(target);
        c.arrange();
        const QByteArray targetBefore = QFile::exists(target) ? QByteArray("dati di un altro") : QByteArray();
        TArchiveLock lock;
        EXPECT_EQ(lock.acquire(path, TArchiveLock::Shared), TArchiveLock::NotAFile);
        DBEngine engine;
        EXPECT_DAO_ERROR(open(engine), errCannotOpenFile);
        // Nothing made or changed through the link.
        QFile t(target);
        if (targetBefore.isEmpty()) EXPECT_FALSE(QFile::exists(target));
        else {
            ASSERT_TRUE(t.open(QIODevice::ReadOnly));
            EXPECT_EQ(t.readAll(), targetBefore);
        }
    }
    QFile::remove(ldb);
    QDir(ldb).removeRecursively();
}
} // namespace
