#pragma once
// TDaoTable: the table component, the one concrete record set of the system.
// It opens one engine recordset (a table, a stored query or a simple SELECT)
// of a TDaoDatabase, turns the recordset's fields into field definitions,
// binds the persistent fields to them, and fills the dataset's record buffers
// from the recordset.
//
// The record cache is the dataset's own ring of buffers and nothing else:
// every fetch asks the engine to go Idle and reads the record again, so a
// change committed by another program shows at the next fetch. A buffer holds
// each field's value as text (numbers in the user's format, dates as
// "day-number milliseconds"); memos and binary values are held as their size
// unless CacheMemos / CacheBlobs is set, and are read through the blob stream
// when shown or compared. Positioning uses the recordset's relative moves and
// 4-byte bookmarks (the record identifier, the row key of the engine).
//
// States: closed -> open -> closed. Settings that shape the recordset
// (TableName, TableType, LockType, Database, QueryDefName) are refused while
// open; SortedBy, Filter, Filtered and OpenOptions reopen the recordset.
//
// Sorting by a calculated field: the engine cannot order by a column it does
// not have, so when a sort key names one of the table's calculated fields the
// table computes every record's fields once at open and walks the keys in
// that order itself (TDaoCursor). The engine still raises its own error for a
// key that names neither a column nor a calculated field.

#include "data/daodatabaseclient.h"
#include "data/dataset.h"
#include "data/enginerecordset.h"

#include <QFlags>
#include <QHash>
#include <QPointer>
#include <QStringList>
#include <memory>
#include <optional>

class TDaoDatabase;
class TDaoCursor;

// Open options; each member's value is what it adds to the engine's option mask.
enum class TDaoOpenOption {
    dbDenyWrite = 1, dbDenyRead = 2, dbReadOnly = 4, dbAppendOnly = 8, dbInconsistent = 16,
    dbConsistent = 32, dbSQLPassThrough = 64, dbFailOnError = 128, dbForwardOnly = 256,
    dbSeeChanges = 512, dbRunAsync = 1024, dbExecDirect = 2048
};
Q_DECLARE_FLAGS(TDaoOpenOptions, TDaoOpenOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TDaoOpenOptions)

enum class TDaoExportMethod { VisibleFields, AllFields };

// A value for a parameter marker (":name") of the SQL text.
struct TDaoParam
{
    QString name;
    TFieldType dataType = ftUnknown;
    QVariant value;   // invalid = null
};

class TDaoTable : public TDataSet, public TDaoDatabaseClient
{
    Q_OBJECT
public:
    explicit TDaoTable(QObject *owner = nullptr);
    ~TDaoTable() override;

    // Published properties, in their declared order.
    bool AutoFindIndex = true;
    QString ComponentVersion() const { return QStringLiteral("8.20"); }
    void SetComponentVersion(const QString &) {}
    bool CacheBlobs = false;
    bool CacheMemos = false;
    bool CacheLookups = false;
    TDaoDatabase *Database() const { return m_database; }
    void SetDatabase(TDaoDatabase *database);
    QObject *Encrypter = nullptr;   // not used by this system
    TDaoExportMethod ExportMethod = TDaoExportMethod::VisibleFields;
    bool RefreshSorted = false;
    const QString &TableName() const { return m_tableName; }
    void SetTableName(const QString &name);
    const QStringList &SortedBy() const { return m_sortedBy; }
    void SetSortedBy(const QStringList &keys);
    QString SortedByText() const { return m_sortedBy.join(QLatin1Char('\n')); }
    void SetSortedByText(const QString &text);
    const QString &QueryDefName() const { return m_queryDefName; }
    void SetQueryDefName(const QString &name);
    QStringList QueryDefParameters;
    QString QueryDefParametersText() const { return QueryDefParameters.join(QLatin1Char('\n')); }
    void SetQueryDefParametersText(const QString &text);
    QStringList QueryDefSQLText;
    bool QueryDefSQLModify = false;
    int QueryDefODBCMaxRecords = 0;
    QString QueryDefType;
    const QStringList &SQL() const { return m_sql; }
    void SetSQL(const QStringList &lines);
    bool ShowGUID = false;
    QList<TDaoParam> Params;
    int TableType() const { return m_tableType; }
    void SetTableType(int type);
    QString TableDateCreated() const { return QString(); }    // the engine keeps no such times
    QString TableLastUpdated() const { return QString(); }
    bool Translation = false;
    int LockType() const { return m_lockType; }
    void SetLockType(int type);
    TDaoOpenOptions OpenOptions() const { return m_openOptions; }
    void SetOpenOptions(TDaoOpenOptions options);
    int IndexFieldCount() const { return 0; }
    const QString &IndexName() const { return m_indexName; }
    void SetIndexName(const QString &name);
    bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool value);
    bool LockEdits() const;
    void SetLockEdits(bool) {}
    bool MasterAutoActivate = true;
    bool DatabaseAutoActivate = false;
    bool UseBrackets = true;
    bool UseCaptions = false;
    bool UseDaoProperties = true;
    bool UseGetRecNo = true;
    bool UseRecordCount = true;
    bool WarnOnBadDatabase = false;
    // Filtered, Filter: TDataSet's, reopening here. OnFilterRecord: assign
    // through SetOnFilterRecord to have an open table apply it at once.
    void SetFiltered(bool value) override;
    void SetFilter(const QString &text) override;
    void SetOnFilterRecord(const TFilterRecordEvent &handler);
    bool ParamCheck = true;
    bool ProcessMessages = false;

    // Sorting.
    void ApplySort();

    // The engine objects, for callers that need them (the sort text given last).
    dao::Recordset *Recordset() const;
    const QString &SortText() const { return m_sortText; }
    int OptionMask() const { return int(m_openOptions); }

    // TDataSet.
    int RecordCount() const override;
    int RecNo() const override;
    void SetRecNo(int value) override;
    bool Locate(const QString &keyFields, const QVariant &keyValues, int options = 0) override;
    QVariant Lookup(const QString &keyFields, const QVariant &keyValues, const QString &resultFields) override;
    bool BookmarkValid(const TBookmark &bookmark) const override;
    int CompareBookmarks(const TBookmark &a, const TBookmark &b) const override;
    bool CanModify() const override;
    std::unique_ptr<QIODevice> CreateBlobStream(TField *field, QIODevice::OpenMode mode) override;

    // Per-field lists of the open recordset, by recordset position.
    const QStringList &FieldNames() const { return m_fieldNames; }
    const QStringList &FieldTypeNames() const { return m_typeNames; }
    const QStringList &DefaultValues() const { return m_defaultTexts; }

    // TDaoDatabaseClient.
    void databaseDisconnecting() override;
    QString clientName() const override { return objectName(); }

protected:
    void BeginReadBatch() override;
    void EndReadBatch() override;
    // The one place a recordset is opened from the database: tests observe the
    // arguments here.
    virtual std::unique_ptr<dao::Recordset> openEngineRecordset(const QString &source, int type, int options,
                                                                int lockType);

    TRecordBuffer *AllocRecordBuffer() override;
    void InternalOpen() override;
    void InternalClose() override;
    bool IsCursorOpen() const override { return m_cursorOpen; }
    TGetResult GetRecord(TRecordBuffer *buffer, TGetMode mode, bool doCheck) override;
    void InternalFirst() override;
    void InternalLast() override;
    void InternalSetToRecord(TRecordBuffer *buffer) override;
    void InternalInitRecord(TRecordBuffer *buffer) override;
    void InternalEdit() override;
    void InternalInsert() override {}
    void InternalPost() override;
    void InternalCancel() override;
    void InternalDelete() override;
    void InternalRefresh() override;
    void InternalGotoBookmark(const TBookmark &bookmark) override;
    TBookmark GetBookmarkData(const TRecordBuffer *buffer) const override;
    void SetBookmarkData(TRecordBuffer *buffer, const TBookmark &bookmark) override;
    QVariant GetDataFieldValue(const TRecordBuffer *buffer, const TField *field) const override;
    void SetDataFieldValue(TRecordBuffer *buffer, TField *field, const QVariant &value) override;

private:
    int m_batchDepth = 0;
    std::optional<dao::ReadBatch> m_readBatch;
    struct Buffer;

    void refuseWhileActive(const char *message) const;
    void openRecordset();
    QString sourceText() const;
    void readFieldProperties(dao::Recordset *rs);
    void applyEngineSortAndFilter();
    void applyCalculatedSort();
    void fillFieldArray();
    void buildFieldDefs();
    void prepareFields();
    void closeRecordset();
    void reopen(bool firstOnlyWhenNotEmpty);
    void requery();

    dao::Recordset *rs() const;
    bool empty() const;
    bool forwardOnly() const { return m_tableType == dao::dbOpenForwardOnly; }
    void idle() const;
    void fetchInto(Buffer *buffer) const;
    TGetResult step(Buffer *buffer, TGetMode mode, bool filter);
    void goToIdentifier(qint32 identifier) const;
    void restoreCursor() const;
    int walkAccepted(qint32 stopAt, bool *found) const;
    QString blobText(const Buffer *buffer, int index) const;
    QString valueTextFor(int index, const QVariant &value) const;
    QVariant valueFromText(int index, const QString &text) const;
    QString engineValueText(int index, const QVariant &value) const;
    QList<TField *> splitFields(const QString &names, bool resultFields) const;
    bool locateWithoutBookmarks(const QList<TField *> &fields, const QStringList &values, int options);

    QPointer<TDaoDatabase> m_database;
    QString m_tableName;
    QStringList m_sortedBy;
    QString m_queryDefName;
    QStringList m_sql;
    int m_tableType = dao::dbOpenDynaset;
    int m_lockType = dao::dbOptimistic;
    TDaoOpenOptions m_openOptions;
    QString m_indexName;
    bool m_readOnly = false;

    std::unique_ptr<TDaoCursor> m_cursor;
    bool m_cursorOpen = false;
    bool m_bookmarkable = false;
    bool m_closingByDatabase = false;
    bool m_resortPending = false;
    QString m_sortText;

    // Per recordset field.
    QStringList m_fieldNames, m_nonBlobNames, m_typeNames, m_defaultTexts, m_labels;
    QList<bool> m_updatable;
    QList<dao::Field *> m_rsFields;
    QList<TField *> m_fieldObjects;

    // Cursor bookkeeping (mutable: counting and numbering move the cursor and restore it).
    mutable int m_position = -1;
    mutable int m_highest = -1;
    mutable int m_count = 0;
    mutable bool m_countValid = false;
    mutable QHash<qint32, int> m_bookmarkPositions;
    std::unique_ptr<Buffer> m_preEdit;
    bool m_forwardStarted = false;
};
