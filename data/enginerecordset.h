#pragma once
// A recordset of the engine and its fields.
//
// Table (1) and dynaset (2) recordsets are keyset cursors: opening collects the
// ordered row keys (SQLite rowids); every read of a row fetches it again by its
// key once the engine went Idle, so another connection's committed change shows
// at the next fetch, and a row deleted elsewhere raises errRecordDeleted (3167).
// Rows added through AddNew join the end of the keyset. Snapshot (4) and
// forward-only (8) recordsets copy their rows at open and cannot be updated.
// No statement stays active between calls, so no read transaction is held open.
//
// Bookmarks are 4 bytes: the row key as a little-endian 32-bit integer.
//
// Field values (QVariant types) by engine type:
//   dbBoolean -> bool; dbByte, dbInteger, dbLong -> int; dbBigInt -> qlonglong;
//   dbCurrency, dbSingle, dbDouble -> double;
//   dbDate -> double, the day count (days since 30 December 1899, time of day
//            as the fraction); stored as ISO-8601 text "2024-03-05 00:00:00";
//   dbText, dbMemo -> QString; dbBinary, dbLongBinary -> QByteArray;
//   null -> an invalid QVariant.
// Writes accept those types, and text, which is converted with the regional
// formats (numbers, dates) like the classic engine does.
//
// Sort, Filter and FindFirst take the engine's criteria syntax (names bare or
// in brackets, "strings", #mm/dd/yyyy# dates, AND/OR/NOT, LIKE with * ? # and
// [ ] classes, IS NULL, LCASE()); they are turned into SQL with bound
// parameters. Text compares without regard to case and sorts accents after
// their base letters.

#include "data/engineerror.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <memory>
#include <vector>

struct sqlite3_stmt;

namespace dao {

struct Connection;
struct TableInfo;
class Recordset;

enum RecordsetType { dbOpenTable = 1, dbOpenDynaset = 2, dbOpenSnapshot = 4, dbOpenForwardOnly = 8,
                     dbOpenDynamic = 16 };
enum RecordsetOption { dbDenyWrite = 1, dbDenyRead = 2, dbReadOnly = 4, dbAppendOnly = 8,
                       dbInconsistent = 16, dbConsistent = 32, dbSQLPassThrough = 64,
                       dbFailOnError = 128, dbForwardOnly = 256, dbSeeChanges = 512,
                       dbRunAsync = 1024, dbExecDirect = 2048 };
enum LockType { dbPessimistic = 2, dbOptimistic = 3, dbOptimisticValue = 1, dbOptimisticBatch = 5 };
enum EditModeValue { dbEditNone = 0, dbEditInProgress = 1, dbEditAdd = 2 };

enum FieldType { dbBoolean = 1, dbByte = 2, dbInteger = 3, dbLong = 4, dbCurrency = 5, dbSingle = 6,
                 dbDouble = 7, dbDate = 8, dbBinary = 9, dbText = 10, dbLongBinary = 11, dbMemo = 12,
                 dbGUID = 15, dbBigInt = 16, dbVarBinary = 17, dbChar = 18, dbNumeric = 19,
                 dbDecimal = 20, dbFloat = 21, dbTime = 22, dbTimeStamp = 23 };
enum FieldAttribute { dbFixedField = 1, dbVariableField = 2, dbAutoIncrField = 16, dbUpdatableField = 32,
                      dbSystemField = 8192 };

class Field
{
public:
    const QString &Name() const;
    int Type() const;
    int Size() const;
    int Attributes() const;
    QString DefaultValue() const;
    bool Required() const;
    // Size in bytes of the current row's value (memo, binary); reads the row.
    int FieldSize() const;
    QVariant Value() const;
    void SetValue(const QVariant &value);
    // Field properties such as "Format" and "Caption"; an empty QVariant when
    // the field has none.
    QVariant Property(const QString &name) const;

private:
    friend class Recordset;
    Field(Recordset *owner, int index) : m_owner(owner), m_index(index) {}
    Recordset *m_owner;
    int m_index;
};

class Recordset
{
public:
    ~Recordset();
    Recordset(const Recordset &) = delete;
    Recordset &operator=(const Recordset &) = delete;

    int Type() const { return m_type; }
    const QString &Name() const { return m_source; }
    bool Updatable() const;
    bool Bookmarkable() const { return m_type != dbOpenForwardOnly; }

    int FieldCount() const { return int(m_fields.size()); }
    Field *Fields(int index) const;            // errItemNotFound when out of range
    Field *Fields(const QString &name) const;  // errItemNotFound when missing

    bool Bof() const;
    bool Eof() const;
    void MoveFirst();
    void MoveLast();
    void MoveNext();
    void MovePrevious();
    void Move(int rows);
    int RecordCount() const;
    int AbsolutePosition() const;             // -1 when there is no current record
    void SetAbsolutePosition(int position);
    double PercentPosition() const;
    void SetPercentPosition(double percent);

    QByteArray Bookmark() const;
    void SetBookmark(const QByteArray &bookmark);
    QByteArray LastModified() const;

    int EditMode() const { return m_editMode; }
    void Edit();
    void AddNew();
    void Update();
    void CancelUpdate();
    void Delete();
    void Requery();
    void Close();
    bool IsOpen() const;

    QString Sort() const { return m_sortText; }
    void SetSort(const QString &text) { m_sortText = text; }
    QString Filter() const { return m_filterText; }
    void SetFilter(const QString &text) { m_filterText = text; }
    // A new recordset of this one's rows with its Sort and Filter applied.
    std::unique_ptr<Recordset> OpenRecordset(int type = -1, int options = 0);
    std::unique_ptr<Recordset> Clone();

    void FindFirst(const QString &criteria);
    void FindLast(const QString &criteria);
    void FindNext(const QString &criteria);
    void FindPrevious(const QString &criteria);
    bool NoMatch() const { return m_noMatch; }

    // Table-type recordsets: "PrimaryKey" or the name of an index of the table.
    QString Index() const { return m_index; }
    void SetIndex(const QString &name);
    // comparison: "=", ">=", ">", "<=", "<"; keys in the index's field order.
    void Seek(const QString &comparison, const QVariantList &keys);

private:
    friend class Database;
    friend class Field;
    friend class ReadBatch;
    struct Row
    {
        qint64 key = 0;
        QVector<QVariant> values;
    };

    Recordset(std::shared_ptr<Connection> conn, int type, int options, int lockType);
    void openOn(const TableInfo &table, const QStringList &columns, const QString &where,
                const QVariantList &whereParams, const QString &orderBy);
    void loadKeys();
    void buildFields();
    void check() const;
    [[noreturn]] void fail(int number, const QString &description) const;
    const Row &currentRow() const;              // fetches the current row when stale
    bool fetchRow(qint64 key, Row &row) const;
    void requireCurrent() const;
    void requireUpdatable() const;
    int positionOfKey(qint64 key) const;
    void setPosition(int pos);
    void find(const QString &criteria, int start, int step);
    QVector<qint64> matchingKeys(const QString &criteria) const;
    QVariant fieldValue(int index) const;
    void setFieldValue(int index, const QVariant &value);
    int fieldSize(int index) const;
    void discardRowCache() const;
    int count() const { return m_materialized ? int(m_rows.size()) : int(m_keys.size()); }

    std::shared_ptr<Connection> m_conn;
    std::unique_ptr<TableInfo> m_table;
    QStringList m_columns;            // columns of the source, in recordset order
    QVector<int> m_columnIndex;       // into m_table->columns
    std::vector<std::unique_ptr<Field>> m_fields;
    int m_type;
    int m_options;
    int m_lockType;
    QString m_source;
    QString m_baseOrder;              // order of the source before Sort
    bool m_viewSource = false;

    // What defines the row set: SQL fragments on the table, with their parameters.
    QString m_where;
    QVariantList m_whereParams;
    QString m_orderBy;
    QString m_sortText;
    QString m_filterText;

    QVector<qint64> m_keys;           // keyset (table, dynaset)
    QVector<Row> m_rows;              // copied rows (snapshot, forward-only)
    mutable QHash<qint64, int> m_positionOfKey;
    mutable bool m_positionsValid = false;
    int m_pos = -1;                   // -1 BOF, size() EOF
    bool m_onDeleted = false;         // the current row was deleted through this recordset
    bool m_materialized = false;     // rows copied at open
    mutable sqlite3_stmt *m_fetch = nullptr;
    mutable Row m_cache;
    mutable bool m_cacheValid = false;
    mutable quint64 m_cacheGeneration = 0;

    int m_editMode = dbEditNone;
    QVector<QVariant> m_editValues;   // stored form (ISO dates, 0/1 booleans)
    QVector<bool> m_dirty;
    qint64 m_editKey = 0;
    Row m_editRead;                   // the row as it was when Edit began
    qint64 m_lastModified = 0;
    bool m_noMatch = true;
    QString m_index;
    QStringList m_indexColumns;
};

// While a ReadBatch lives, the rows its recordset's connection fetches share
// one read transaction: the file is locked and checked once, not once a row.
// Batches nest; the outermost one's end closes the transaction. Keep a batch to
// one synchronous operation: other programs cannot commit while it reads.
class ReadBatch
{
public:
    explicit ReadBatch(const Recordset *recordset);
    ~ReadBatch();
    ReadBatch(const ReadBatch &) = delete;
    ReadBatch &operator=(const ReadBatch &) = delete;

private:
    std::shared_ptr<Connection> m_conn;
};

} // namespace dao
