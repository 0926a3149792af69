#pragma once
// Engine internals shared by the engine's objects: the connection state every
// recordset of a database holds, the table descriptions read from the schema,
// value conversions between SQLite storage and engine values, and the error
// helper. Not for use outside the engine.

#include "data/engineerror.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QVariant>
#include <QVector>
#include <memory>
#include <optional>

struct sqlite3;
struct sqlite3_stmt;

namespace dao {

class Recordset;

// The Errors collection, shared by an engine and everything it opened.
struct ErrorSink
{
    QList<ErrorInfo> errors;
};

[[noreturn]] void raise(ErrorSink *sink, int number, const QString &source, const QString &description);
// Raises with SQLite's text appended to the description.
[[noreturn]] void raiseSqlite(ErrorSink *sink, sqlite3 *db, int rc, int number, const QString &source,
                              const QString &description);
// The engine number for an SQLite result code of a write.
int numberForSqliteWrite(int rc);
// sqlite3_open_v2 through our file layer (see faultvfs.h); every open of ours goes here.
int openSqlite(const QString &path, int flags, sqlite3 **db);
// A writer killed in a transaction leaves a journal that only a read-write
// connection may roll back; a read-only one would call the archive unreadable
// though it is intact. Rolls it back when there is one and the folder allows.
// SQLite's extended code: SQLITE_OK, or why it could not (SQLite's text in `why`);
// SQLITE_READONLY_ROLLBACK means only a writable place can finish the job.
int recoverInterruptedWrite(const QString &path, QString *why = nullptr);
// The engine's error for an archive a read-only user found with a write interrupted.
[[noreturn]] void raiseInterruptedWrite(ErrorSink *sink, const QString &source, const QString &path, const QString &why);

struct ColumnInfo
{
    QString name;
    int type = 0;             // engine type (dbLong, dbText, ...)
    int size = 0;
    int attributes = 0;
    bool required = false;
    bool autoIncrement = false;
    QString defaultValue;     // in the engine's text form ("\"abc\"", "0", "")
    QVariant defaultParsed;   // the default as a value, when it is a plain literal
    QHash<QString, QString> properties;   // "Format", "Caption", ... from the metadata table
};

struct TableInfo
{
    QString name;
    bool isView = false;
    QVector<ColumnInfo> columns;
    int indexOf(const QString &column) const;   // case-insensitive, -1 when missing
};

// Shared by a database object and its recordsets; db is null once closed.
struct Connection
{
    sqlite3 *db = nullptr;
    QString path;
    bool readOnly = false;
    std::shared_ptr<ErrorSink> errors;
    std::shared_ptr<quint64> idleGeneration;   // bumped by the engine's Idle
    QList<Recordset *> recordsets;
    int recordsAffected = 0;
    // Reads of one dataset operation share one read transaction (ReadBatch).
    int readDepth = 0;
    int batchFetches = 0;
    bool readOpen = false;

    void check(const QString &source) const;    // errObjectInvalid once closed
};

// Schema.
int typeFromDeclared(const QString &declared, int *size);
std::optional<TableInfo> readTableInfo(Connection &c, const QString &name);
QString quoteName(const QString &name);

// Dates: ISO-8601 text in the file, day counts in the engine.
QString daysToIso(double days);
bool isoToDays(const QString &text, double &out);

// Values.
QVariant readColumn(sqlite3_stmt *stmt, int column, int type);
// Turns a value written by a caller into what is stored for the column;
// raises errConversion, errNumericOverflow or errFieldTooSmall.
QVariant storageValue(ErrorSink *sink, const ColumnInfo &column, const QVariant &value);
void bindValue(sqlite3_stmt *stmt, int index, const QVariant &value);

// Our SQL functions and collation: tlike, tlcase, tdays, TONALBA.
void registerFunctions(sqlite3 *db);
int compareText(const QString &a, const QString &b);
bool likeMatch(const QString &pattern, const QString &value);

// Runs a statement that returns nothing; raises through the sink on failure.
// Ends every open read transaction of the process first, as writes do.
void exec(Connection &c, const QString &sql, const QString &source);

// Read transactions of batches. A row fetch inside a batch opens one at the
// second fetch (one fetch gains nothing from it); the batch's end, or any write
// in this process, ends it, so a write is never held back by our own reads nor
// committed later than it returns.
void noteBatchFetch(Connection &c);
void finishRead(Connection &c);
void finishAllReads();
// Before a write on c: ends every read, and refuses (errLocked) when c's own
// could not be ended, so the write never joins it and commits late.
void endReadsBeforeWrite(Connection &c, const QString &source);

} // namespace dao
