#pragma once
// An open archive (see engine.h). Lists its tables and stored queries (SQLite
// views) and opens recordsets on a table, a query or a simple
// "SELECT ... FROM t [WHERE criteria] [ORDER BY keys]" text.
//
// The file is opened with the rollback journal (journal_mode DELETE) and
// synchronous FULL, so a committed day survives a crash and the archive is one
// self-contained file whenever nobody has it open; a busy timeout lets two
// instances post without "database is locked".

#include "data/enginerecordset.h"

#include <QList>
#include <QString>
#include <memory>

class TArchiveLock;

namespace dao {

struct Connection;
class Workspace;

// TableDef and QueryDef attributes.
enum : unsigned {
    dbSystemObject = 0x80000002u,
    dbHiddenObject = 0x00000001u,
};

// Collating orders.
enum { dbSortGeneral = 1033, dbSortUndefined = -1 };

struct ObjectDef
{
    QString Name;
    unsigned Attributes = 0;
};

class Database
{
public:
    ~Database();
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    const QString &Name() const;   // the file path
    QString Version() const;       // the SQLite library version, "3.40.1"
    bool Updatable() const;
    int CollatingOrder() const { return dbSortGeneral; }
    int QueryTimeout() const { return m_queryTimeout; }
    void SetQueryTimeout(int seconds) { m_queryTimeout = seconds; }
    int RecordsAffected() const;
    bool IsOpen() const;

    // Read from the schema at every call (Refresh is implied).
    QList<ObjectDef> TableDefs() const;
    QList<ObjectDef> QueryDefs() const;

    // source: a table, a stored query or a SELECT text. type -1 picks table
    // type for tables and dynaset otherwise.
    std::unique_ptr<Recordset> OpenRecordset(const QString &source, int type = -1, int options = 0,
                                             int lockType = dbOptimistic);
    // Runs a statement that returns no rows (no user text is ever pasted in).
    void Execute(const QString &sql);
    void Close();

private:
    friend class Workspace;
    Database(std::shared_ptr<Connection> connection, std::unique_ptr<TArchiveLock> lock);
    std::shared_ptr<Connection> m_conn;
    std::unique_ptr<TArchiveLock> m_lock;
    int m_queryTimeout = 60;
};

} // namespace dao
