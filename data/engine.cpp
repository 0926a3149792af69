#include "data/engine.h"
#include "data/archivestamp.h"
#include "data/engine_p.h"
#include "data/lockfile.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/statvfs.h>

namespace dao {

namespace {
const QString kEngine = QStringLiteral("DAO.DBEngine");
const QString kWorkspace = QStringLiteral("DAO.Workspace");
const int kBusyTimeoutMs = 5000;

std::function<qint64(const QString &)> &freeSpaceProbe()
{
    static std::function<qint64(const QString &)> probe;
    return probe;
}

qint64 freeSpace(const QString &folder)
{
    if (freeSpaceProbe()) return freeSpaceProbe()(folder);
    struct statvfs s;
    if (statvfs(QFile::encodeName(folder).constData(), &s) != 0) return -1;
    return qint64(s.f_bavail) * qint64(s.f_frsize);
}

// Where SQLite puts its temporary files on Unix, in its own order of preference.
QString sqliteTempFolder()
{
    for (const char *var : {"SQLITE_TMPDIR", "TMPDIR"}) {
        const QString v = qEnvironmentVariable(var);
        if (!v.isEmpty() && QFileInfo(v).isDir()) return v;
    }
    for (const char *d : {"/var/tmp", "/usr/tmp", "/tmp"})
        if (QFileInfo(QString::fromLatin1(d)).isDir()) return QString::fromLatin1(d);
    return QStringLiteral(".");
}

QString passwordOf(const QString &connect, QString *prefix)
{
    QString pwd;
    const QStringList parts = connect.split(';');
    if (prefix) *prefix = parts.value(0).trimmed();
    for (const QString &p : parts) {
        const int eq = p.indexOf('=');
        if (eq > 0 && p.left(eq).trimmed().compare(QLatin1String("PWD"), Qt::CaseInsensitive) == 0) pwd = p.mid(eq + 1);
    }
    return pwd;
}

void refusePassword(ErrorSink *sink, const QString &source, const QString &password, const QString &path)
{
    if (!password.isEmpty())
        raise(sink, errBadPassword, source,
              QStringLiteral("Not a valid password: '%1' is an SQLite archive, which cannot carry a password.").arg(path));
}

// Opens an archive file through SQLite without ever creating it, and refuses
// a file that is not a sound database now rather than at its first read.
sqlite3 *openChecked(ErrorSink *sink, const QString &source, const QString &path, bool readOnly)
{
    // Its journal setting must not wait for a read of ours on another handle.
    finishAllReads();
    const QFileInfo fi(path);
    if (!fi.exists()) raise(sink, errFileNotFound, source, QStringLiteral("Could not find file '%1'.").arg(path));
    if (!fi.isFile()) raise(sink, 3044, source, QStringLiteral("'%1' isn't a valid path.").arg(path));
    // A read-only connection cannot roll back what a killed writer left.
    if (readOnly) {
        QString why;
        if (recoverInterruptedWrite(path, &why) == SQLITE_READONLY_ROLLBACK) raiseInterruptedWrite(sink, source, path, why);
    }
    sqlite3 *db = nullptr;
    int rc = dao::openSqlite(path, readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE, &db);
    if (rc != SQLITE_OK) {
        const QString text = QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
        sqlite3_close_v2(db);
        raise(sink, errCannotOpenFile, source,
              QStringLiteral("The database engine cannot open the file '%1' (SQLite: %2).").arg(path, text));
    }
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    sqlite3_extended_result_codes(db, 1);
    registerFunctions(db);
    // Checked or rewritten by us and unchanged since: no need to read it all again.
    const bool known = archivestamp::knownSound(path);
    sqlite3_stmt *st = nullptr;
    rc = known ? SQLITE_OK : sqlite3_prepare_v2(db, "PRAGMA quick_check(1)", -1, &st, nullptr);
    QString verdict = known ? QStringLiteral("ok") : QString();
    if (rc == SQLITE_OK && !known) {
        rc = sqlite3_step(st);
        if (rc == SQLITE_ROW) verdict = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)));
    }
    if (known) rc = SQLITE_ROW;
    const QString text = QString::fromUtf8(sqlite3_errmsg(db));
    const int ext = sqlite3_extended_errcode(db);
    sqlite3_finalize(st);
    if (rc != SQLITE_ROW || verdict != QLatin1String("ok")) {
        sqlite3_close_v2(db);
        if (ext == SQLITE_READONLY_ROLLBACK) raiseInterruptedWrite(sink, source, path, text);
        if ((ext & 0xff) == SQLITE_NOTADB)
            raise(sink, 3343, source, QStringLiteral("Unrecognized database format '%1' (SQLite: %2).").arg(path, text));
        if ((ext & 0xff) == SQLITE_BUSY || (ext & 0xff) == SQLITE_LOCKED)
            raise(sink, errFileInUse, source, QStringLiteral("Could not use '%1'; file already in use (SQLite: %2).").arg(path, text));
        raise(sink, errNotADatabase, source,
              QStringLiteral("Cannot open database '%1'. It may not be a database that your application recognizes, "
                             "or the file may be corrupt (SQLite: %2).").arg(path, verdict.isEmpty() ? text : verdict));
    }
    if (!known) archivestamp::markSound(path);
    if (!sqlite3_db_readonly(db, "main")) {
        // One self-contained file whenever nobody has it open, and committed days survive power loss.
        sqlite3_exec(db, "PRAGMA journal_mode=DELETE; PRAGMA synchronous=FULL;", nullptr, nullptr, nullptr);
    }
    return db;
}

void lockOrRaise(ErrorSink *sink, const QString &source, TArchiveLock &lock, const QString &path,
                 TArchiveLock::Mode mode, bool allowUnlocked)
{
    switch (lock.acquire(path, mode)) {
    case TArchiveLock::Locked:
        return;
    case TArchiveLock::InUse:
        raise(sink, errFileInUse, source, QStringLiteral("Could not use '%1'; file already in use.").arg(path));
    case TArchiveLock::Failed:
        // A folder we cannot write: no one can compact there either, so reading needs no lock.
        if (allowUnlocked) return;
        raise(sink, errCannotOpenFile, source, QStringLiteral("Could not use '%1': %2.").arg(path, lock.errorString()));
    case TArchiveLock::NotAFile:
        raise(sink, errCannotOpenFile, source, QStringLiteral("Could not use '%1': %2.").arg(path, lock.errorString()));
    }
}
} // namespace

// ---- Workspace ----

Workspace::Workspace(DBEngine *engine, const QString &name, const QString &user, int type)
    : m_engine(engine), m_name(name), m_user(user), m_type(type)
{
}

Workspace::~Workspace() { Close(); }

QList<std::shared_ptr<Database>> Workspace::liveDatabases()
{
    QList<std::shared_ptr<Database>> out;
    for (auto it = m_databases.begin(); it != m_databases.end();) {
        if (auto db = it->lock(); db && db->IsOpen()) {
            out.append(db);
            ++it;
        } else {
            it = m_databases.erase(it);
        }
    }
    return out;
}

std::shared_ptr<Database> Workspace::OpenDatabase(const QString &path, bool exclusive, bool readOnly,
                                                  const QString &connect)
{
    ErrorSink *sink = m_engine->m_errors.get();
    QString prefix;
    const QString pwd = passwordOf(connect, &prefix);
    if (m_type == dbUseODBC || prefix.compare(QLatin1String("ODBC"), Qt::CaseInsensitive) == 0)
        raise(sink, errOdbcUnavailable, kWorkspace,
              QStringLiteral("ODBC connections are not available: this engine opens only archive files."));
    if (!prefix.isEmpty())
        raise(sink, errNoInstallableIsam, kWorkspace,
              QStringLiteral("Could not find installable ISAM '%1': this engine opens only archive files.").arg(prefix));
    refusePassword(sink, kWorkspace, pwd, path);
    if (!QFileInfo::exists(path)) raise(sink, errFileNotFound, kWorkspace, QStringLiteral("Could not find file '%1'.").arg(path));

    auto lock = std::make_unique<TArchiveLock>();
    lockOrRaise(sink, kWorkspace, *lock, path, exclusive ? TArchiveLock::Exclusive : TArchiveLock::Shared, true);
    auto conn = std::make_shared<Connection>();
    conn->db = openChecked(sink, kWorkspace, path, readOnly);   // the lock's destructor cleans up on failure
    conn->path = path;
    conn->readOnly = sqlite3_db_readonly(conn->db, "main") != 0;
    conn->errors = m_engine->m_errors;
    conn->idleGeneration = m_engine->m_idleGeneration;
    std::shared_ptr<Database> db(new Database(conn, std::move(lock)));
    m_databases.append(db);
    return db;
}

void Workspace::Close()
{
    for (const auto &db : liveDatabases()) db->Close();
    m_databases.clear();
    m_transLevel = 0;
}

void Workspace::BeginTrans()
{
    const auto dbs = liveDatabases();
    for (const auto &db : dbs) exec(*db->m_conn, QStringLiteral("SAVEPOINT tonalba_%1").arg(m_transLevel + 1), kWorkspace);
    ++m_transLevel;
}

void Workspace::CommitTrans()
{
    if (m_transLevel == 0)
        raise(m_engine->m_errors.get(), errNoTransaction, kWorkspace,
              QStringLiteral("You tried to commit or rollback a transaction without first beginning a transaction."));
    for (const auto &db : liveDatabases()) exec(*db->m_conn, QStringLiteral("RELEASE tonalba_%1").arg(m_transLevel), kWorkspace);
    --m_transLevel;
}

void Workspace::Rollback()
{
    if (m_transLevel == 0)
        raise(m_engine->m_errors.get(), errNoTransaction, kWorkspace,
              QStringLiteral("You tried to commit or rollback a transaction without first beginning a transaction."));
    // A full disk or an I/O error may have made SQLite roll the whole transaction
    // back already: there is nothing left to undo, and the error that did it is
    // the one the caller is reporting.
    for (const auto &db : liveDatabases()) {
        Connection &c = *db->m_conn;
        endReadsBeforeWrite(c, kWorkspace);   // a read begun since would look like our transaction
        if (c.db && !sqlite3_get_autocommit(c.db))
            exec(c, QStringLiteral("ROLLBACK TO tonalba_%1; RELEASE tonalba_%1").arg(m_transLevel), kWorkspace);
    }
    --m_transLevel;
}

// ---- DBEngine ----

DBEngine::DBEngine(const QString &version)
    : m_version(version), m_errors(std::make_shared<ErrorSink>()), m_idleGeneration(std::make_shared<quint64>(0))
{
}

DBEngine::~DBEngine()
{
    m_workspaceList.clear();
    m_workspaces.clear();
}

QStringList DBEngine::AvailableVersions() { return {QStringLiteral("3.6")}; }

Workspace *DBEngine::CreateWorkspace(const QString &name, const QString &user, const QString &, int type)
{
    if (type != dbUseJet && type != dbUseODBC)
        raise(m_errors.get(), errInvalidArgument, kEngine, QStringLiteral("Invalid argument: workspace type %1.").arg(type));
    m_workspaces.emplace_back(new Workspace(this, name, user, type));
    m_workspaceList.append(m_workspaces.back().get());
    return m_workspaces.back().get();
}

void DBEngine::CloseWorkspace(Workspace *workspace)
{
    for (auto it = m_workspaces.begin(); it != m_workspaces.end(); ++it) {
        if (it->get() == workspace) {
            m_workspaceList.removeOne(workspace);
            m_workspaces.erase(it);
            return;
        }
    }
}

void DBEngine::Idle(int) { ++*m_idleGeneration; }

const QList<ErrorInfo> &DBEngine::Errors() const { return m_errors->errors; }
void DBEngine::ClearErrors() { m_errors->errors.clear(); }

void DBEngine::setFreeSpaceProbe(std::function<qint64(const QString &)> probe) { freeSpaceProbe() = std::move(probe); }

void DBEngine::RepairDatabase(const QString &path)
{
    raise(m_errors.get(), errNotSupported, kEngine,
          QStringLiteral("RepairDatabase is a version 3.5 operation; compact '%1' instead.").arg(path));
}

void DBEngine::CompactDatabase(const QString &source, const QString &target, const QString &locale)
{
    ErrorSink *sink = m_errors.get();
    refusePassword(sink, kEngine, passwordOf(locale, nullptr), source);
    if (QFileInfo::exists(target)) raise(sink, errDatabaseExists, kEngine, QStringLiteral("Database already exists: '%1'.").arg(target));
    TArchiveLock lock;
    lockOrRaise(sink, kEngine, lock, source, TArchiveLock::Exclusive, false);
    sqlite3 *db = openChecked(sink, kEngine, source, false);
    sqlite3_stmt *st = nullptr;
    int rc = sqlite3_prepare_v2(db, "VACUUM INTO ?1", -1, &st, nullptr);
    if (rc == SQLITE_OK) {
        const QByteArray t = QFile::encodeName(target);
        sqlite3_bind_text(st, 1, t.constData(), int(t.size()), SQLITE_TRANSIENT);
        rc = sqlite3_step(st);
    }
    sqlite3_finalize(st);
    if (rc != SQLITE_DONE) {
        const QString text = QString::fromUtf8(sqlite3_errmsg(db));
        sqlite3_close_v2(db);
        QFile::remove(target);
        raise(sink, numberForSqliteWrite(rc), kEngine, QStringLiteral("Could not compact '%1' into '%2' (SQLite: %3).").arg(source, target, text));
    }
    sqlite3_close_v2(db);
}

void DBEngine::CompactDatabaseInPlace(const QString &path, const QString &locale)
{
    ErrorSink *sink = m_errors.get();
    refusePassword(sink, kEngine, passwordOf(locale, nullptr), path);
    if (!QFileInfo::exists(path)) raise(sink, errFileNotFound, kEngine, QStringLiteral("Could not find file '%1'.").arg(path));
    TArchiveLock lock;
    lockOrRaise(sink, kEngine, lock, path, TArchiveLock::Exclusive, false);
    // Unchanged since our own VACUUM: nothing to check or rewrite.
    if (archivestamp::knownCompacted(path)) return;
    sqlite3 *db = openChecked(sink, kEngine, path, false);
    struct Closer { sqlite3 *db; ~Closer() { sqlite3_close_v2(db); } } closer{db};
    if (sqlite3_db_readonly(db, "main"))
        raise(sink, errReadOnly, kEngine, QStringLiteral("Cannot compact '%1': the file is read-only.").arg(path));

    // VACUUM rebuilds the file in a temporary database and copies it back
    // through the journal: about the archive's size in each place, twice for safety.
    const QFileInfo fi(path);
    const qint64 need = 2 * fi.size();
    const QString folder = fi.absolutePath();
    const QString temp = sqliteTempFolder();
    for (const QString &where : {folder, temp}) {
        const qint64 avail = freeSpace(where);
        if (avail >= 0 && avail < need)
            raise(sink, errDiskFull, kEngine,
                  QStringLiteral("Not enough space on disk to compact '%1': it needs about %2 KB in '%3', %4 KB are free.")
                      .arg(path).arg((need + 1023) / 1024).arg(where).arg(avail / 1024));
    }
    char *msg = nullptr;
    const int rc = sqlite3_exec(db, "VACUUM", nullptr, nullptr, &msg);
    const QString text = QString::fromUtf8(msg ? msg : sqlite3_errmsg(db));
    sqlite3_free(msg);
    if (rc != SQLITE_OK) {
        const int number = numberForSqliteWrite(rc);
        raise(sink, number, kEngine,
              QStringLiteral("%1 '%2' was not compacted and is unchanged (SQLite: %3).")
                  .arg(number == errDiskFull ? QStringLiteral("Not enough space on disk.")
                       : number == errLocked ? QStringLiteral("The archive is in use.")
                                             : QStringLiteral("Compaction failed."),
                       path, text));
    }
    archivestamp::markCompacted(path);
    archivestamp::markSound(path);
}

} // namespace dao
