// TDaoDatabase: connecting, its refused writes, events, table registration and compaction.

#include "tst_engine_util.h"
#include "data/daodatabase.h"
#include "data/lockfile.h"

#include <QTemporaryDir>
#include <functional>
#include <sys/resource.h>

using namespace dao;

namespace {

class DaoDatabaseTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        path = dir.filePath("schedario.mdb");
        TArchive::create(path);
        TDaoDatabase::SetApplicationFolder(dir.path() + '/');
        // The main window's settings.
        db.SetSystemDatabase("system.mdb");
        db.SetShowSystemObjects(false);
        db.SetUseODBCDialog(false);
        db.SetTrackTransactions(false);
        db.SetDatabase(path);
    }
    void TearDown() override
    {
        TDaoDatabase::SetApplicationFolder(QString());
        DBEngine::setFreeSpaceProbe(nullptr);
        if (HasFailure()) dir.setAutoRemove(false);
    }
    static QString errorOf(const std::function<void()> &f)
    {
        try {
            f();
        } catch (const Exception &e) {
            return e.message();
        }
        return "<no error>";
    }
    QTemporaryDir dir;
    QString path;
    TDaoDatabase db;
};

TEST_F(DaoDatabaseTest, DefaultsAfterCreation)
{
    TDaoDatabase fresh;
    EXPECT_EQ(fresh.ComponentVersion(), "8.20");
    EXPECT_EQ(fresh.DatabaseType(), "Access");
    EXPECT_EQ(fresh.UserName(), "Admin");
    EXPECT_TRUE(fresh.UseODBCDialog());
    EXPECT_TRUE(fresh.SmartOpen());
    EXPECT_TRUE(fresh.TrackTransactions());
    EXPECT_TRUE(fresh.UsesDynaDao());
    EXPECT_EQ(fresh.EngineType(), 2);
    EXPECT_EQ(fresh.Version(), "3.6");
    EXPECT_EQ(fresh.VersionDetails(), "3.6");
    EXPECT_EQ(fresh.VersionInfo(), "(In Access'2000 mode)");
    EXPECT_EQ(fresh.Workspace(), "DaoWorkspace");
    EXPECT_EQ(fresh.DefaultCursorDriver(), -1);
    EXPECT_EQ(fresh.QueryTimeout(), 60);
    EXPECT_FALSE(fresh.Connected());
    EXPECT_NO_THROW(fresh.SetConnected(false));   // never connected: nothing happens
}

TEST_F(DaoDatabaseTest, ConnectAndDisconnect)
{
    QStringList log;
    db.OnBeforeConnect = [&](TDaoDatabase *) { log << "BeforeConnect"; };
    db.OnAfterConnect = [&](TDaoDatabase *d) { log << "AfterConnect:" + QString::number(d->Connected()); };
    db.OnBeforeDisconnect = [&](TDaoDatabase *) { log << "BeforeDisconnect"; };
    db.OnAfterDisconnect = [&](TDaoDatabase *d) { log << "AfterDisconnect:" + QString::number(d->Connected()); };
    db.OnLogin = [&](TDaoDatabase *, QStringList &params) {
        log << params.join('|');
        params[0] = "USER NAME=Mario";
    };
    db.SetConnected(true);
    EXPECT_TRUE(db.Connected());
    EXPECT_EQ(db.UserName(), "Mario");
    EXPECT_EQ(db.TableNames(), QStringList({"Diario", "Intestazione"}));
    EXPECT_EQ(db.DatabaseLanguage(), "General (English, French, German, Portuguese, Italian, and Modern Spanish)");
    EXPECT_FALSE(db.DatabaseVersionInfo().isEmpty());
    EXPECT_TRUE(TArchiveLock::isOpenElsewhere(path));
    db.SetShowSystemObjects(true);
    EXPECT_TRUE(db.TableNames().contains("sqlite_sequence"));
    db.SetConnected(true);   // unchanged: nothing happens
    db.SetConnected(false);
    EXPECT_FALSE(TArchiveLock::isOpenElsewhere(path));
    EXPECT_TRUE(db.TableNames().isEmpty());
    EXPECT_EQ(log, QStringList({"BeforeConnect", "USER NAME=Admin|PASSWORD=|DBPASSWORD=", "AfterConnect:1",
                                "BeforeDisconnect", "AfterDisconnect:0"}));
}

class FakeTable : public TDaoDatabaseClient
{
public:
    FakeTable(TDaoDatabase &db, QString name, QStringList &log) : m_db(db), m_name(std::move(name)), m_log(log) {}
    void databaseDisconnecting() override
    {
        m_log << "close " + m_name;
        m_db.UnregisterClient(this);   // as a table's own Close would; must not disturb the loop
        if (m_name == "guasta") DatabaseError("errore di chiusura");
    }
    QString clientName() const override { return m_name; }

private:
    TDaoDatabase &m_db;
    QString m_name;
    QStringList &m_log;
};

TEST_F(DaoDatabaseTest, DisconnectClosesEveryRegisteredTable)
{
    QStringList log;
    FakeTable diario(db, "Diario", log), guasta(db, "guasta", log), intesta(db, "Intesta", log);
    db.Open();
    db.RegisterClient(&diario);
    db.RegisterClient(&guasta);
    db.RegisterClient(&intesta);
    db.RegisterClient(&intesta);
    db.UnregisterClient(&intesta);
    db.RegisterClient(&intesta);
    db.OnBeforeDisconnect = [&](TDaoDatabase *) { log << "BeforeDisconnect"; };
    db.OnAfterDisconnect = [&](TDaoDatabase *) { log << "AfterDisconnect"; };
    db.Close();
    EXPECT_EQ(log, QStringList({"BeforeDisconnect", "close Diario", "close guasta", "close Intesta", "AfterDisconnect"}));
    EXPECT_TRUE(db.Clients().isEmpty());
}

struct RefusedWrite
{
    const char *property;
    std::function<void(TDaoDatabase &)> write;
    const char *message;
};

TEST_F(DaoDatabaseTest, WritesRefusedWhileConnected)
{
    const RefusedWrite cases[] = {
        {"Database", [](TDaoDatabase &d) { d.SetDatabase("altro.mdb"); },
         "TDaoDatabase.F_Set_Database: Cannot set Database while Database is connected!"},
        {"SystemDatabase", [](TDaoDatabase &d) { d.SetSystemDatabase("x"); },
         "TDaoDatabase.F_Set_SystemDatabase: Cannot set SystemDatabase while Database is connected!"},
        {"Version", [](TDaoDatabase &d) { d.SetVersion("3.5"); },
         "TDaoDatabase.F_Set_DaoVersion: Cannot set Dao Version while Database is connected!"},
        {"Workspace", [](TDaoDatabase &d) { d.SetWorkspace("w"); },
         "TDaoDatabase.F_Set_Workspace: Cannot set Workspace while Database is connected!"},
        {"DatabaseType", [](TDaoDatabase &d) { d.SetDatabaseType("ODBC"); },
         "TDaoDatabase.F_Set_DatabaseType: Cannot set Database Type while Database is connected!"},
        {"EngineType", [](TDaoDatabase &d) { d.SetEngineType(1); },
         "TDaoDatabase.F_Set_EngineType: Cannot set EngineType Type while Database is connected!"},
        {"PrivateEngine", [](TDaoDatabase &d) { d.SetPrivateEngine(true); },
         "TDaoDatabase.F_Set_EngineType: Cannot set PrivateEngine Type while Database is connected!"},
        {"ReadOnly", [](TDaoDatabase &d) { d.SetReadOnly(true); },
         "TDaoDatabase.F_Set_ReadOnly: Cannot change mode while Database is connected!"},
        {"Exclusive", [](TDaoDatabase &d) { d.SetExclusive(true); },
         "TDaoDatabase.F_Set_Exclusive: Cannot change Exclusive mode while Database is connected!"},
        {"LoginPrompt", [](TDaoDatabase &d) { d.SetLoginPrompt(true); },
         "TDaoDatabase.F_Set_LoginPrompt: Cannot change LoginPrompt while Database is connected!"},
        {"UserName", [](TDaoDatabase &d) { d.SetUserName("x"); },
         "TDaoDatabase.F_Set_UserName: Cannot change User Name while Database is connected!"},
        {"Password", [](TDaoDatabase &d) { d.SetPassword("x"); },
         "TDaoDatabase.F_Set_Password: Cannot change Password while Database is connected!"},
        {"DatabasePassword", [](TDaoDatabase &d) { d.SetDatabasePassword("x"); },
         "TDaoDatabase.F_Set_DatabasePassword: Cannot change Database Password while Database is connected!"},
        {"DatabaseParameters", [](TDaoDatabase &d) { d.SetDatabaseParameters("x"); },
         "TDaoDatabase.F_Set_DatabaseParameters: Cannot set DatabaseParameters while Database is connected!"},
        {"TrackTransactions", [](TDaoDatabase &d) { d.SetTrackTransactions(true); },
         "Cannot set TrackTransactions property when Database is connected!"},
    };
    db.Open();
    for (const RefusedWrite &c : cases) {
        EXPECT_EQ(errorOf([&] { c.write(db); }), QString::fromLatin1(c.message)) << c.property;
        EXPECT_TRUE(db.Connected()) << c.property;
    }
    EXPECT_EQ(db.Database(), path);
    EXPECT_EQ(db.UserName(), "Admin");
    EXPECT_FALSE(db.ReadOnly());

    // Ignored writes, and settings that may change while connected.
    db.SetComponentVersion("8.00");
    db.SetVersionInfo("x");
    db.SetDatabaseVersionInfo("x");
    EXPECT_EQ(db.ComponentVersion(), "8.20");
    EXPECT_EQ(db.VersionInfo(), "(In Access'2000 mode)");
    EXPECT_NO_THROW(db.SetQueryTimeout(30));
}

TEST_F(DaoDatabaseTest, SettingsOutsideAConnection)
{
    db.SetDatabaseType("Access");
    EXPECT_TRUE(db.Database().isEmpty()) << "writing DatabaseType clears Database";
    db.SetVersion("3.5");   // only 3.6 is installed
    EXPECT_EQ(db.Version(), "3.6");
    EXPECT_EQ(errorOf([&] { db.SetVersion("2.5"); }), "You does not have Microsoft DAO installed ot it is an OLD Version!");
    EXPECT_EQ(db.Version(), "3.6") << "the old value is put back";
    db.SetWorkspace("Mio");
    EXPECT_EQ(db.DaoWorkspace()->Name(), "Mio");
}

TEST_F(DaoDatabaseTest, ConnectFailures)
{
    TDaoDatabase other;
    EXPECT_EQ(errorOf([&] { other.Open(); }), "TDaoDatabase.F_Set_Active: Database property is not defined!");
    other.SetDatabaseType("");
    other.SetDatabase(path);
    EXPECT_EQ(errorOf([&] { other.Open(); }), "TDaoDatabase.F_Set_Active: DatabaseType property is not defined!");

    const QString missing = dir.filePath("manca.mdb");
    db.SetDatabase(missing);
    EXPECT_EQ(errorOf([&] { db.Open(); }), "Cannot find Database:\r\n" + missing);
    EXPECT_FALSE(QFile::exists(missing));

    db.SetDatabase(path);
    db.SetEngineType(1);
    EXPECT_EQ(errorOf([&] { db.Open(); }),
              "TDaoDatabase.F_Set_Active: ODBC direct workspaces\r\nare NOT supported for MS Access Databases!");
    db.SetEngineType(2);

    db.SetDatabasePassword("segreto");
    EXPECT_EQ(errorOf([&] { db.Open(); }),
              "Not a valid password: '" + path + "' is an SQLite archive, which cannot carry a password.");
    EXPECT_EQ(db.LastEngineError().number, errBadPassword);
    db.SetDatabasePassword("");

    db.SetDatabaseType("ODBC");
    db.SetDatabase("diario");
    EXPECT_EQ(errorOf([&] { db.Open(); }), "ODBC connections are not available: this engine opens only archive files.");
    db.SetDatabaseType("dBASE IV");
    db.SetDatabase(path);
    EXPECT_EQ(errorOf([&] { db.Open(); }), "Could not find installable ISAM 'dBASE IV': this engine opens only archive files.");
    EXPECT_FALSE(db.Connected());
    EXPECT_EQ(db.DaoDatabase(), nullptr);
    EXPECT_FALSE(QFile::exists(dir.filePath("schedario.ldb")));
}

TEST_F(DaoDatabaseTest, SmartOpenLooksInTheApplicationFolder)
{
    db.SetDatabase("/cartella/che/non/esiste/schedario.mdb");
    db.Open();
    EXPECT_EQ(db.Database(), path);
    db.Close();
    db.SetSmartOpen(false);
    db.SetDatabase("/cartella/che/non/esiste/schedario.mdb");
    EXPECT_EQ(errorOf([&] { db.Open(); }), "Cannot find Database:\r\n/cartella/che/non/esiste/schedario.mdb");
}

TEST_F(DaoDatabaseTest, CompactionShrinksAndKeepsEveryDay)
{
    testutil::addDays(path, 300, 500);
    testutil::rawExec(path, "DELETE FROM Diario WHERE ID_Diario > 100");
    const qint64 before = QFileInfo(path).size();
    db.RepairDatabaseFile(path, "");   // version 3.6: compacts
    db.CompactDatabaseFile(path, "");
    EXPECT_LT(QFileInfo(path).size(), before / 2);
    EXPECT_EQ(testutil::dayCount(path), 100);
    EXPECT_EQ(testutil::folderEntries(dir.path()), QStringList("schedario.mdb"));

    // A path without a folder part is taken from the current folder.
    const QString cwd = QDir::currentPath();
    QDir::setCurrent(dir.path());
    EXPECT_NO_THROW(db.CompactDatabaseFile("schedario.mdb", ""));
    QDir::setCurrent(cwd);
}

TEST_F(DaoDatabaseTest, CompactionRefusals)
{
    testutil::addDays(path, 10);
    const QByteArray original = [&] { QFile f(path); f.open(QIODevice::ReadOnly); return f.readAll(); }();
    auto unchanged = [&] {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        return f.readAll() == original;
    };

    db.Open();   // in use
    EXPECT_EQ(errorOf([&] { db.CompactDatabaseFile(path, ""); }), "Could not use '" + path + "'; file already in use.");
    db.Close();

    EXPECT_EQ(errorOf([&] { db.CompactDatabaseFile(path, "segreto"); }),
              "Not a valid password: '" + path + "' is an SQLite archive, which cannot carry a password.");

    DBEngine::setFreeSpaceProbe([](const QString &) { return qint64(1024); });
    const QString full = errorOf([&] { db.CompactDatabaseFile(path, ""); });
    EXPECT_TRUE(full.startsWith("Not enough space on disk to compact '" + path + "'")) << full.toStdString();
    DBEngine::setFreeSpaceProbe(nullptr);
    EXPECT_TRUE(unchanged());

    EXPECT_EQ(errorOf([&] { db.CompactDatabaseFile(dir.filePath("manca.mdb"), ""); }),
              "Could not find file '" + dir.filePath("manca.mdb") + "'.");
    EXPECT_FALSE(QFile::exists(dir.filePath("manca.mdb")));
    EXPECT_EQ(testutil::folderEntries(dir.path()), QStringList("schedario.mdb"));
}

TEST_F(DaoDatabaseTest, DamagedArchiveIsReportedAndNeverCompacted)
{
    testutil::addDays(path, 400);
    // Scribble over the headers of a few b-tree pages.
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    for (int page = 2; page < 8; ++page) {
        f.seek(4096 * page);
        f.write(QByteArray(16, '\x5a'));
    }
    f.close();
    const QByteArray damaged = [&] { QFile g(path); g.open(QIODevice::ReadOnly); return g.readAll(); }();
    const QString message = errorOf([&] { db.CompactDatabaseFile(path, ""); });
    EXPECT_TRUE(message.startsWith("Cannot open database '" + path + "'. It may not be a database")) << message.toStdString();
    QFile g(path);
    g.open(QIODevice::ReadOnly);
    EXPECT_EQ(g.readAll(), damaged);
    EXPECT_EQ(testutil::folderEntries(dir.path()), QStringList("schedario.mdb"));
    EXPECT_ANY_THROW(db.Open());
}

// A real write failure in the middle of VACUUM: a child process whose file
// size limit is below what the rebuilt database needs.
TEST_F(DaoDatabaseTest, CompactionThatRunsOutOfSpaceLeavesTheArchiveIntact)
{
    testutil::addDays(path, 2000, 200);
    testutil::rawExec(path, "DELETE FROM Diario WHERE ID_Diario % 3 = 0");
    const int days = testutil::dayCount(path);
    const qint64 size = QFileInfo(path).size();
    for (qint64 limit : {size / 4, size / 2}) {
        fflush(nullptr);
        const pid_t pid = fork();
        if (pid == 0) {
            signal(SIGXFSZ, SIG_IGN);
            struct rlimit rl = {rlim_t(limit), rlim_t(limit)};
            setrlimit(RLIMIT_FSIZE, &rl);
            try {
                TDaoDatabase child;
                child.CompactDatabaseFile(path, "");
            } catch (const EDaoError &e) {
                _exit(e.number() == errDiskFull || e.number() == errEngine ? 10 : 11);
            }
            _exit(0);
        }
        int status = 0;
        waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 10) << "limit " << limit;
        EXPECT_EQ(testutil::quickCheck(path), "ok");
        EXPECT_EQ(testutil::dayCount(path), days);
        EXPECT_EQ(testutil::folderEntries(dir.path()), QStringList("schedario.mdb")) << "limit " << limit;
    }
}

} // namespace
