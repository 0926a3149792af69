#pragma once
// TDataSet: the cursor-based record set every window, control and report works
// against. It owns a ring of record buffers (as many as the largest bound
// control shows), the state machine (Browse, Edit, Insert, ...), the order of
// events, calculated fields and the record filter hook, and the notification of
// bound controls through TDataSource. The storage (a concrete subclass) fills
// buffers and writes records back through the protected virtual operations.
//
// The buffer ring follows the cursor: buffers [0, recordCount) hold consecutive
// records, activeRecord indexes the current one, and currentRecord names the
// buffer whose record the storage cursor stands on (-1: unknown). Moves within
// the ring cost nothing; moves past its ends fetch one record each.

#include "core/exceptions.h"
#include "data/field.h"
#include "data/fielddefs.h"

#include <QByteArray>
#include <QIODevice>
#include <QList>
#include <QObject>
#include <QVariant>
#include <functional>
#include <memory>
#include <vector>

class TDataSource;
class TDataLink;

enum class DataSetState {
    Inactive, Browse, Edit, Insert, SetKey, CalcFields, Filter, NewValue, OldValue, CurValue,
    BlockRead, InternalCalc, Opening
};

enum class TDataEvent {
    FieldChange, RecordChange, DataSetChange, DataSetScroll, LayoutChange, UpdateRecord,
    UpdateState, CheckBrowseMode, PropertyChange, FieldListChange, FocusControl
};

enum class TGetMode { Next, Prior, Current };
enum class TGetResult { OK, BOF, EOF_, Error };
enum class TBookmarkFlag { Current = 0, BOF = 1, EOF_ = 2, Inserted = 3 };
enum class TDataAction { Fail, Abort, Retry };
enum class TLocateOption { CaseInsensitive = 1, PartialKey = 2 };

using TBookmark = QByteArray;   // opaque; empty = none

// One slot of the ring. The storage subclasses it for its own record data.
struct TRecordBuffer
{
    virtual ~TRecordBuffer() = default;
    QList<QVariant> calc;       // calculated and lookup values; invalid = absent
    TBookmarkFlag bookmarkFlag = TBookmarkFlag::Current;
};

using TDataSetNotifyEvent = std::function<void(TDataSet *dataSet)>;
using TFilterRecordEvent = std::function<void(TDataSet *dataSet, bool &accept)>;
using TDataSetErrorEvent = std::function<void(TDataSet *dataSet, EDatabaseError &error, TDataAction &action)>;

class TDataSet : public QObject
{
    Q_OBJECT
public:
    explicit TDataSet(QObject *owner = nullptr);
    ~TDataSet() override;

    // Record set operations.
    void Open();
    void Close();
    bool Active() const { return m_state != DataSetState::Inactive && m_state != DataSetState::Opening; }
    void SetActive(bool value) { value ? Open() : Close(); }
    void First();
    void Last();
    void Next() { MoveBy(1); }
    void Prior() { MoveBy(-1); }
    int MoveBy(int distance);
    void Insert();
    void Append();
    void Edit();
    void Post();
    void Cancel();
    void Delete();
    void Refresh();
    void CheckBrowseMode();
    void UpdateRecord();
    void Resync(bool exact = false, bool center = false);
    virtual bool Locate(const QString &keyFields, const QVariant &keyValues, int options = 0);
    virtual QVariant Lookup(const QString &keyFields, const QVariant &keyValues, const QString &resultFields);

    TField *FieldByName(const QString &name) const;   // "Field '%s' not found"
    TField *FindField(const QString &name) const;
    const QList<TField *> &Fields() const { return m_fields; }
    int FieldCount() const { return int(m_fields.size()); }
    TFieldDefs &FieldDefs() { return m_fieldDefs; }
    const TFieldDefs &FieldDefs() const { return m_fieldDefs; }
    bool DefaultFields() const { return m_defaultFields; }

    TBookmark GetBookmark() const;
    void GotoBookmark(const TBookmark &bookmark);
    void FreeBookmark(TBookmark &bookmark) { bookmark.clear(); }
    virtual bool BookmarkValid(const TBookmark &bookmark) const;
    virtual int CompareBookmarks(const TBookmark &a, const TBookmark &b) const;

    void DisableControls();
    void EnableControls();
    bool ControlsDisabled() const { return m_disableCount > 0; }

    bool IsEmpty() const { return m_activeRecord >= m_recordCount; }
    bool Eof() const { return m_eof; }
    bool Bof() const { return m_bof; }
    virtual int RecordCount() const { return -1; }
    virtual int RecNo() const { return -1; }
    virtual void SetRecNo(int) {}
    DataSetState State() const { return m_state; }
    bool Modified() const { return m_modified; }
    void SetModified(bool value) { m_modified = value; }
    virtual bool CanModify() const { return true; }

    bool Filtered() const { return m_filtered; }
    virtual void SetFiltered(bool value);
    const QString &Filter() const { return m_filter; }
    virtual void SetFilter(const QString &text) { m_filter = text; }
    bool AutoCalcFields = true;

    // Events, in the order the operations raise them.
    TDataSetNotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose;
    TDataSetNotifyEvent BeforeInsert, AfterInsert, BeforeEdit, AfterEdit;
    TDataSetNotifyEvent BeforePost, AfterPost, BeforeCancel, AfterCancel;
    TDataSetNotifyEvent BeforeDelete, AfterDelete, BeforeScroll, AfterScroll;
    TDataSetNotifyEvent OnCalcFields, OnNewRecord;
    TFilterRecordEvent OnFilterRecord;
    TDataSetErrorEvent OnPostError, OnEditError, OnDeleteError;

    // Buffers seen by bound controls.
    int BufferCount() const { return int(m_buffers.size()) - 1; }
    int ActiveRecord() const { return m_activeRecord; }
    void SetActiveRecordIndex(int index);    // data links move within the ring
    int BufferedRecordCount() const { return m_recordCount; }
    void UpdateBufferCount();

    // Field data for the buffer the state selects; used by TField.
    QVariant GetFieldData(const TField *field) const;
    void SetFieldData(TField *field, const QVariant &value);
    virtual std::unique_ptr<QIODevice> CreateBlobStream(TField *field, QIODevice::OpenMode mode);

    // Fields and sources register themselves.
    void addField(TField *field);
    void removeField(TField *field);
    void moveField(TField *field, int index);
    void addDataSource(TDataSource *source);
    void removeDataSource(TDataSource *source);
    void DataEvent(TDataEvent event, qintptr info = 0);

protected:
    // The storage's operations.
    virtual TRecordBuffer *AllocRecordBuffer() { return new TRecordBuffer; }
    // The record reads between these calls belong to one operation (filling the
    // buffers, skipping filtered records); a storage may serve them from one
    // read of its own. Calls nest, and nothing waits for the user in between.
    virtual void BeginReadBatch() {}
    virtual void EndReadBatch() {}
    virtual void InternalOpen() = 0;          // opens the cursor, fills FieldDefs, CreateFields/BindFields
    virtual void InternalClose() = 0;
    virtual bool IsCursorOpen() const = 0;
    virtual TGetResult GetRecord(TRecordBuffer *buffer, TGetMode mode, bool doCheck) = 0;
    virtual void InternalFirst() = 0;         // before the first record
    virtual void InternalLast() = 0;          // after the last record
    virtual void InternalSetToRecord(TRecordBuffer *buffer) = 0;
    virtual void InternalInitRecord(TRecordBuffer *buffer) = 0;
    virtual void InternalEdit() {}
    virtual void InternalInsert() {}
    virtual void InternalPost() = 0;
    virtual void InternalCancel() {}
    virtual void InternalDelete() = 0;
    virtual void InternalRefresh() {}
    virtual void InternalGotoBookmark(const TBookmark &bookmark) = 0;
    virtual TBookmark GetBookmarkData(const TRecordBuffer *buffer) const = 0;
    virtual void SetBookmarkData(TRecordBuffer *buffer, const TBookmark &bookmark) = 0;
    // Data field values of a buffer (calculated ones are handled here).
    virtual QVariant GetDataFieldValue(const TRecordBuffer *buffer, const TField *field) const = 0;
    virtual void SetDataFieldValue(TRecordBuffer *buffer, TField *field, const QVariant &value) = 0;

    // Helpers for the storage.
    void CreateFields();                       // default fields from FieldDefs
    virtual void BindFields(bool binding);     // data fields to definitions by name
    void GetCalcFields(TRecordBuffer *buffer); // clear, lookups, OnCalcFields in CalcFields state
    bool FilterAccepts(TRecordBuffer *buffer); // calc fields, then OnFilterRecord in Filter state
    bool FilterHandlerActive() const { return m_filtered && OnFilterRecord; }
    TRecordBuffer *ActiveBuffer() const;       // nullptr when empty
    TRecordBuffer *bufferFor(DataSetState state) const;
    void SetState(DataSetState value);
    void ClearBuffers();
    void CursorPosChanged() { m_currentRecord = -1; }
    void UpdateCursorPos();
    bool BookmarkAvailable() const;
    [[noreturn]] void raiseNotFound(const QString &fieldName) const;

private:
    friend class TField;
    void checkActive() const;
    void checkCanModify() const;
    void beginInsertAppend();
    void endInsertAppend();
    void doEvent(const TDataSetNotifyEvent &event) { if (event) event(this); }
    void checkOperation(void (TDataSet::*operation)(), const TDataSetErrorEvent &onError);
    void checkRequiredFields();
    void destroyDefaultFields();
    void setBufferCount(int count);
    void setCurrentRecord(int index);
    bool getNextRecord();
    bool getPriorRecord();
    int getNextRecords();
    int getPriorRecords();
    void activateBuffers();
    void moveBuffer(int from, int to);
    struct ReadBatchScope;
    TGetResult fetch(TRecordBuffer *buffer, TGetMode mode, bool doCheck);
    void initRecord(TRecordBuffer *buffer);
    void calculateLookups(TRecordBuffer *buffer);
    int calcFieldCount() const { return m_calcCount; }
    void recalcActive();
    void doInternalPost() { InternalPost(); }
    void doInternalEdit() { InternalEdit(); }
    void doInternalDelete() { InternalDelete(); }

    DataSetState m_state = DataSetState::Inactive;
    QList<TField *> m_fields;
    TFieldDefs m_fieldDefs;
    QList<TDataSource *> m_sources;
    std::vector<std::unique_ptr<TRecordBuffer>> m_buffers;   // ring plus one work buffer at the end
    int m_recordCount = 0;
    int m_activeRecord = 0;
    int m_currentRecord = -1;
    bool m_bof = true;
    bool m_eof = true;
    bool m_modified = false;
    bool m_defaultFields = false;
    bool m_filtered = false;
    QString m_filter;
    int m_disableCount = 0;
    DataSetState m_disableState = DataSetState::Inactive;
    TDataEvent m_enableEvent = TDataEvent::DataSetChange;
    int m_calcCount = 0;
    TRecordBuffer *m_calcBuffer = nullptr;
    TRecordBuffer *m_filterBuffer = nullptr;
    bool m_destroying = false;
};
