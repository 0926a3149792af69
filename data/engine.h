#pragma once
// The storage engine: our own small DAO-style object model over SQLite, the
// only thing the database and table components talk to. DBEngine makes
// workspaces, compacts and copies archives and keeps the Errors collection;
// a Workspace opens Databases and runs transactions; a Database opens
// Recordsets (enginedatabase.h, enginerecordset.h).
//
// Archives are SQLite files. Opening never creates a file, refuses a file that
// is not a sound SQLite database at once, and holds a shared lock on the
// archive's lock file (lockfile.h) for as long as the database is open. Every
// failing member fills Errors and throws EDaoError.

#include "data/enginedatabase.h"
#include "data/engineerror.h"

#include <QList>
#include <QString>
#include <functional>
#include <memory>

namespace dao {

struct ErrorSink;

// Workspace types.
enum WorkspaceType { dbUseODBC = 1, dbUseJet = 2 };

class DBEngine;

class Workspace
{
public:
    ~Workspace();
    const QString &Name() const { return m_name; }
    const QString &UserName() const { return m_user; }
    int Type() const { return m_type; }
    int DefaultCursorDriver() const { return m_cursorDriver; }
    void SetDefaultCursorDriver(int value) { m_cursorDriver = value; }

    // connect: ";UID=...;PWD=...;" plus parameters. A non-empty PWD cannot be
    // honoured (SQLite files carry no password) and fails with errBadPassword;
    // "ODBC;..." and installable formats ("dBASE IV;...") are not available.
    std::shared_ptr<Database> OpenDatabase(const QString &path, bool exclusive = false,
                                           bool readOnly = false, const QString &connect = QString());
    void Close();   // closes every database it opened

    // Transactions over every open database of the workspace; they nest.
    void BeginTrans();
    void CommitTrans();
    void Rollback();
    int TransactionLevel() const { return m_transLevel; }

private:
    friend class DBEngine;
    Workspace(DBEngine *engine, const QString &name, const QString &user, int type);
    QList<std::shared_ptr<Database>> liveDatabases();

    DBEngine *m_engine;
    QString m_name;
    QString m_user;
    int m_type;
    int m_cursorDriver = -1;
    int m_transLevel = 0;
    QList<std::weak_ptr<Database>> m_databases;
};

class DBEngine
{
public:
    // version: "3.6" (Access 2000 mode) is the only engine this system has.
    explicit DBEngine(const QString &version = QStringLiteral("3.6"));
    ~DBEngine();
    DBEngine(const DBEngine &) = delete;
    DBEngine &operator=(const DBEngine &) = delete;

    static QStringList AvailableVersions();   // {"3.6"}

    QString Version() const { return m_version; }
    QString SystemDB() const { return m_systemDB; }
    void SetSystemDB(const QString &value) { m_systemDB = value; }
    QString DefaultUser() const { return m_defaultUser; }
    void SetDefaultUser(const QString &value) { m_defaultUser = value; }
    QString DefaultPassword() const { return m_defaultPassword; }
    void SetDefaultPassword(const QString &value) { m_defaultPassword = value; }
    int DefaultType() const { return m_defaultType; }
    void SetDefaultType(int value) { m_defaultType = value; }

    Workspace *CreateWorkspace(const QString &name, const QString &user, const QString &password,
                               int type = dbUseJet);
    const QList<Workspace *> &Workspaces() const { return m_workspaceList; }
    void CloseWorkspace(Workspace *workspace);

    // Idle costs no round trip: SQLite keeps no cache to flush and statements
    // are reset after every fetch. It only marks recordset rows as stale, so
    // the next read of a field fetches the row again.
    void Idle(int action = 0);

    // Compacts source into a new file target (fails when target exists) through
    // SQLite, so the copy is consistent. locale: empty or ";pwd=" + password.
    void CompactDatabase(const QString &source, const QString &target, const QString &locale = QString());
    // Compacts an archive in place (VACUUM, atomic through SQLite's journal)
    // while holding the archive's exclusive lock. Refuses a damaged archive and
    // one without room for the work; on failure the file is untouched.
    void CompactDatabaseInPlace(const QString &path, const QString &locale = QString());
    // Version 3.5 engines only: this engine raises errNotSupported.
    void RepairDatabase(const QString &path);

    // The Errors collection; Errors().isEmpty() when nothing failed yet.
    const QList<ErrorInfo> &Errors() const;
    void ClearErrors();

    // Free bytes of the file system holding a folder; tests replace it.
    static void setFreeSpaceProbe(std::function<qint64(const QString &folder)> probe);

private:
    friend class Workspace;
    QString m_version;
    QString m_systemDB;
    QString m_defaultUser = QStringLiteral("Admin");
    QString m_defaultPassword;
    int m_defaultType = dbUseJet;
    std::shared_ptr<ErrorSink> m_errors;
    std::shared_ptr<quint64> m_idleGeneration;
    QList<Workspace *> m_workspaceList;
    std::vector<std::unique_ptr<Workspace>> m_workspaces;
};

} // namespace dao
