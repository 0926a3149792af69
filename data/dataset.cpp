#include "data/dataset.h"
#include "data/datalink.h"
#include "data/datasource.h"
#include "data/fieldtypes.h"

#include <QBuffer>
#include <algorithm>

namespace {
bool isEditState(DataSetState s) { return s == DataSetState::Edit || s == DataSetState::Insert; }

// Restores the previous state when a calculation or filter handler returns or raises.
class StateGuard
{
public:
    StateGuard(DataSetState &state, DataSetState temporary) : m_state(state), m_saved(state)
    {
        m_state = temporary;
    }
    ~StateGuard() { m_state = m_saved; }

private:
    DataSetState &m_state;
    DataSetState m_saved;
};
} // namespace

TDataSet::TDataSet(QObject *owner) : QObject(owner)
{
    m_buffers.resize(1);
}

TDataSet::~TDataSet()
{
    // Subclasses close their own cursor; here only detach what points at us,
    // without reaching the storage's operations, which are gone by now.
    m_destroying = true;
    const QList<TDataSource *> sources = m_sources;
    for (TDataSource *s : sources) s->SetDataSet(nullptr);
    for (TField *f : std::as_const(m_fields)) f->m_dataSet = nullptr;
}

// ---- fields ---------------------------------------------------------------

void TDataSet::addField(TField *field)
{
    if (!m_fields.contains(field)) m_fields.append(field);
}

void TDataSet::removeField(TField *field)
{
    m_fields.removeAll(field);
}

void TDataSet::moveField(TField *field, int index)
{
    const int from = int(m_fields.indexOf(field));
    if (from < 0) return;
    index = qBound(0, index, int(m_fields.size()) - 1);
    if (index == from) return;
    m_fields.move(from, index);
    // Values are reached by field number, not by place: only the layout changes.
    if (Active()) DataEvent(TDataEvent::LayoutChange);
}

TField *TDataSet::FindField(const QString &name) const
{
    for (TField *f : m_fields)
        if (f->FieldName.compare(name, Qt::CaseInsensitive) == 0) return f;
    return nullptr;
}

void TDataSet::raiseNotFound(const QString &fieldName) const
{
    DatabaseError(QStringLiteral("Field '%1' not found").arg(fieldName));
}

TField *TDataSet::FieldByName(const QString &name) const
{
    TField *f = FindField(name);
    if (!f) raiseNotFound(name);
    return f;
}

void TDataSet::CreateFields()
{
    for (const TFieldDef &def : m_fieldDefs) {
        TField *f = createFieldForType(def.DataType, this);
        if (!f) continue;
        f->FieldName = def.Name;
        if (def.DataType == ftString) f->Size = def.Size;
        f->Required = def.Required;
        f->ReadOnly = f->ReadOnly || def.ReadOnly;
        f->setDefaultField(true);
        f->SetDataSet(this);
    }
}

void TDataSet::destroyDefaultFields()
{
    const QList<TField *> fields = m_fields;
    for (TField *f : fields) {
        if (f->isDefaultField()) delete f;
    }
}

void TDataSet::BindFields(bool binding)
{
    m_calcCount = 0;
    for (TField *f : std::as_const(m_fields)) {
        if (!binding) {
            f->bind(0);
            f->setCalcIndex(-1);
            continue;
        }
        if (f->FieldKind == TFieldKind::fkCalculated || f->FieldKind == TFieldKind::fkLookup) {
            f->bind(-1);
            f->setCalcIndex(m_calcCount++);
            continue;
        }
        const TFieldDef *def = m_fieldDefs.Find(f->FieldName);
        if (!def) DatabaseError(QStringLiteral("Field '%1' not found").arg(f->DisplayName()));
        // Default fields were made from the definitions; only persistent ones can disagree.
        if (!f->isDefaultField() && def->DataType != f->DataType())
            DatabaseError(QStringLiteral("Type mismatch for field '%1', expecting: %2 actual: %3")
                              .arg(f->DisplayName(), fieldTypeName(f->DataType()), fieldTypeName(def->DataType)));
        f->bind(def->FieldNo);
    }
}

// ---- notification ---------------------------------------------------------

void TDataSet::addDataSource(TDataSource *source)
{
    if (!m_sources.contains(source)) m_sources.append(source);
    UpdateBufferCount();
}

void TDataSet::removeDataSource(TDataSource *source)
{
    m_sources.removeAll(source);
    UpdateBufferCount();
}

void TDataSet::DataEvent(TDataEvent event, qintptr info)
{
    bool recalculated = false;
    if (event == TDataEvent::FieldChange) {
        auto *field = reinterpret_cast<TField *>(info);
        if (field && (field->FieldKind == TFieldKind::fkData || field->FieldKind == TFieldKind::fkInternalCalc)) {
            m_modified = true;
            if (AutoCalcFields && isEditState(m_state) && m_calcCount > 0) {
                recalcActive();
                recalculated = true;
            }
        }
    }
    if (m_disableCount == 0) {
        const QList<TDataSource *> sources = m_sources;
        for (TDataSource *s : sources) s->DataEvent(event, info);
        // Controls of the calculated fields show the new values at once; the
        // others keep any text still being typed.
        if (recalculated) {
            const QList<TField *> fields = m_fields;
            for (TField *f : fields) {
                if (f->calcIndex() < 0) continue;
                for (TDataSource *s : sources) s->DataEvent(TDataEvent::FieldChange, reinterpret_cast<qintptr>(f));
            }
        }
    } else if ((event == TDataEvent::UpdateState && m_state == DataSetState::Inactive)
               || event == TDataEvent::LayoutChange) {
        m_enableEvent = TDataEvent::LayoutChange;
    }
}

void TDataSet::DisableControls()
{
    if (m_disableCount == 0) {
        m_disableState = m_state;
        m_enableEvent = TDataEvent::DataSetChange;
    }
    ++m_disableCount;
}

void TDataSet::EnableControls()
{
    if (m_disableCount == 0) return;
    if (--m_disableCount == 0) {
        if (m_disableState != m_state) DataEvent(TDataEvent::UpdateState);
        if (m_disableState != DataSetState::Inactive && m_state != DataSetState::Inactive)
            DataEvent(m_enableEvent);
    }
}

void TDataSet::SetState(DataSetState value)
{
    if (m_state == value) return;
    m_state = value;
    m_modified = false;
    DataEvent(TDataEvent::UpdateState);
}

// ---- buffers --------------------------------------------------------------

void TDataSet::UpdateBufferCount()
{
    if (m_destroying || (!IsCursorOpen() && m_state == DataSetState::Inactive)) return;
    int count = 1;
    for (TDataSource *s : std::as_const(m_sources))
        for (TDataLink *l : s->links())
            count = std::max(count, l->BufferCount());
    setBufferCount(count);
}

void TDataSet::setBufferCount(int count)
{
    const int old = BufferCount();
    if (count == old) return;
    if (count < old && m_recordCount > count) {
        // Keep the active record inside the smaller ring: drop buffers before it first.
        const int drop = std::min(m_activeRecord, m_recordCount - count);
        for (int i = 0; i < drop; ++i) moveBuffer(0, m_recordCount - 1);
        m_activeRecord -= drop;
        if (m_currentRecord >= 0) m_currentRecord -= drop;
        m_recordCount = std::min(m_recordCount, count);
        if (m_currentRecord >= m_recordCount) m_currentRecord = -1;
    }
    // The work buffer stays last.
    std::unique_ptr<TRecordBuffer> work = std::move(m_buffers.back());
    m_buffers.pop_back();
    while (int(m_buffers.size()) > count) m_buffers.pop_back();
    while (int(m_buffers.size()) < count) {
        m_buffers.emplace_back(AllocRecordBuffer());
        m_buffers.back()->calc.resize(m_calcCount);
    }
    if (!work) work.reset(AllocRecordBuffer());
    m_buffers.push_back(std::move(work));
    // Links adjust their own first record on the next scroll notification.
    if (count > old && m_recordCount > 0 && m_state == DataSetState::Browse) {
        getNextRecords();
        getPriorRecords();
        DataEvent(TDataEvent::DataSetChange);
    }
}

void TDataSet::moveBuffer(int from, int to)
{
    if (from == to) return;
    auto b = std::move(m_buffers[from]);
    m_buffers.erase(m_buffers.begin() + from);
    m_buffers.insert(m_buffers.begin() + to, std::move(b));
}

void TDataSet::ClearBuffers()
{
    m_recordCount = 0;
    m_activeRecord = 0;
    m_currentRecord = -1;
    m_bof = true;
    m_eof = true;
}

void TDataSet::activateBuffers()
{
    m_recordCount = 1;
    m_activeRecord = 0;
    m_bof = false;
    m_eof = false;
}

void TDataSet::setCurrentRecord(int index)
{
    if (m_currentRecord == index) return;
    TRecordBuffer *b = m_buffers[index].get();
    switch (b->bookmarkFlag) {
    case TBookmarkFlag::Current:
    case TBookmarkFlag::Inserted: InternalSetToRecord(b); break;
    case TBookmarkFlag::BOF: InternalFirst(); break;
    case TBookmarkFlag::EOF_: InternalLast(); break;
    }
    m_currentRecord = index;
}

void TDataSet::UpdateCursorPos()
{
    if (m_recordCount > 0) setCurrentRecord(m_activeRecord);
}

struct TDataSet::ReadBatchScope
{
    TDataSet *ds;
    explicit ReadBatchScope(TDataSet *d) : ds(d) { ds->BeginReadBatch(); }
    ~ReadBatchScope() { ds->EndReadBatch(); }
    ReadBatchScope(const ReadBatchScope &) = delete;
    ReadBatchScope &operator=(const ReadBatchScope &) = delete;
};

TGetResult TDataSet::fetch(TRecordBuffer *buffer, TGetMode mode, bool doCheck)
{
    ReadBatchScope batch(this);
    return GetRecord(buffer, mode, doCheck);
}

bool TDataSet::getNextRecord()
{
    TGetMode mode = TGetMode::Next;
    if (m_recordCount > 0) {
        setCurrentRecord(m_recordCount - 1);
        if (m_state == DataSetState::Insert && m_currentRecord == m_activeRecord
            && ActiveBuffer()->bookmarkFlag == TBookmarkFlag::Current)
            mode = TGetMode::Current;
    }
    const bool ok = fetch(m_buffers[m_recordCount].get(), mode, true) == TGetResult::OK;
    if (ok) {
        if (m_recordCount == 0) {
            activateBuffers();
        } else if (m_recordCount < BufferCount()) {
            ++m_recordCount;
        } else {
            moveBuffer(0, m_recordCount);
        }
        m_currentRecord = m_recordCount - 1;
    } else {
        CursorPosChanged();
    }
    return ok;
}

bool TDataSet::getPriorRecord()
{
    if (m_recordCount > 0) setCurrentRecord(0);
    const bool ok = fetch(m_buffers[m_recordCount].get(), TGetMode::Prior, true) == TGetResult::OK;
    if (ok) {
        if (m_recordCount == 0) {
            activateBuffers();
        } else {
            moveBuffer(m_recordCount, 0);
            if (m_recordCount < BufferCount()) {
                ++m_recordCount;
                ++m_activeRecord;
            }
        }
        m_currentRecord = 0;
    } else {
        CursorPosChanged();
    }
    return ok;
}

int TDataSet::getNextRecords()
{
    ReadBatchScope batch(this);
    int n = 0;
    while (m_recordCount < BufferCount() && getNextRecord()) ++n;
    return n;
}

int TDataSet::getPriorRecords()
{
    ReadBatchScope batch(this);
    int n = 0;
    while (m_recordCount < BufferCount() && getPriorRecord()) ++n;
    return n;
}

TRecordBuffer *TDataSet::ActiveBuffer() const
{
    if (m_activeRecord < m_recordCount) return m_buffers[m_activeRecord].get();
    return nullptr;
}

TRecordBuffer *TDataSet::bufferFor(DataSetState state) const
{
    switch (state) {
    case DataSetState::CalcFields:
    case DataSetState::InternalCalc: return m_calcBuffer;
    case DataSetState::Filter: return m_filterBuffer;
    case DataSetState::Browse:
    case DataSetState::BlockRead:
    case DataSetState::Edit:
    case DataSetState::Insert: return ActiveBuffer();
    default: return nullptr;
    }
}

void TDataSet::SetActiveRecordIndex(int index)
{
    if (index == m_activeRecord || index < 0 || index >= m_recordCount) return;
    m_activeRecord = index;
}

void TDataSet::Resync(bool exact, bool center)
{
    TRecordBuffer *work = m_buffers[m_recordCount].get();
    if (exact) {
        CursorPosChanged();
        if (fetch(work, TGetMode::Current, true) != TGetResult::OK)
            DatabaseError(QStringLiteral("Record not found"));
    } else if (fetch(work, TGetMode::Current, false) != TGetResult::OK
               && fetch(work, TGetMode::Next, false) != TGetResult::OK
               && fetch(work, TGetMode::Prior, false) != TGetResult::OK) {
        ClearBuffers();
        DataEvent(TDataEvent::DataSetChange);
        return;
    }
    int count = center ? (BufferCount() - 1) / 2 : m_activeRecord;
    moveBuffer(m_recordCount, 0);
    activateBuffers();
    m_currentRecord = 0;
    struct Notify
    {
        TDataSet *ds;
        ~Notify() { ds->DataEvent(TDataEvent::DataSetChange); }
    } notify{this};
    ReadBatchScope batch(this);
    while (count > 0 && getPriorRecord()) --count;
    getNextRecords();
    getPriorRecords();
}

// ---- calculated fields and filter ----------------------------------------

void TDataSet::calculateLookups(TRecordBuffer *buffer)
{
    for (TField *f : std::as_const(m_fields)) {
        if (f->FieldKind != TFieldKind::fkLookup || !f->LookupDataSet || f->calcIndex() < 0) continue;
        const QStringList keys = f->KeyFields.split(';', Qt::SkipEmptyParts);
        QVariantList values;
        for (const QString &k : keys) {
            const TField *kf = FindField(k.trimmed());
            values.append(kf ? GetFieldData(kf) : QVariant());
        }
        const QVariant key = values.size() == 1 ? values.first() : QVariant(values);
        buffer->calc[f->calcIndex()] =
            f->LookupDataSet->Lookup(f->LookupKeyFields, key, f->LookupResultField);
    }
}

void TDataSet::GetCalcFields(TRecordBuffer *buffer)
{
    if (m_calcCount == 0) return;
    buffer->calc.fill(QVariant(), m_calcCount);
    TRecordBuffer *savedCalc = m_calcBuffer;
    m_calcBuffer = buffer;
    StateGuard guard(m_state, DataSetState::CalcFields);
    struct Restore
    {
        TRecordBuffer *&slot;
        TRecordBuffer *saved;
        ~Restore() { slot = saved; }
    } restore{m_calcBuffer, savedCalc};
    calculateLookups(buffer);
    if (OnCalcFields) OnCalcFields(this);
}

void TDataSet::recalcActive()
{
    if (TRecordBuffer *b = ActiveBuffer()) GetCalcFields(b);
}

bool TDataSet::FilterAccepts(TRecordBuffer *buffer)
{
    TRecordBuffer *saved = m_filterBuffer;
    m_filterBuffer = buffer;
    struct Restore
    {
        TRecordBuffer *&slot;
        TRecordBuffer *saved;
        ~Restore() { slot = saved; }
    } restore{m_filterBuffer, saved};
    {
        StateGuard guard(m_state, DataSetState::Filter);
        // Calculated values must be there before the handler reads them.
        if (m_calcCount > 0) GetCalcFields(buffer);
        if (!FilterHandlerActive()) return true;
        bool accept = true;
        OnFilterRecord(this, accept);
        return accept;
    }
}

void TDataSet::SetFiltered(bool value)
{
    if (m_filtered == value) return;
    m_filtered = value;
    if (Active()) {
        CheckBrowseMode();
        First();
    }
}

// ---- field data -----------------------------------------------------------

QVariant TDataSet::GetFieldData(const TField *field) const
{
    if (!Active() && m_state != DataSetState::CalcFields && m_state != DataSetState::Filter) return {};
    const TRecordBuffer *b = bufferFor(m_state);
    if (!b) return {};
    if (field->calcIndex() >= 0) {
        return field->calcIndex() < b->calc.size() ? b->calc[field->calcIndex()] : QVariant();
    }
    if (field->FieldNo() <= 0) return {};
    return GetDataFieldValue(b, field);
}

void TDataSet::SetFieldData(TField *field, const QVariant &value)
{
    const DataSetState s = m_state;
    const bool writable = s == DataSetState::Edit || s == DataSetState::Insert || s == DataSetState::SetKey
                          || s == DataSetState::CalcFields || s == DataSetState::Filter
                          || s == DataSetState::NewValue || s == DataSetState::InternalCalc;
    if (!writable) DatabaseError(QStringLiteral("Dataset not in edit or insert mode"));
    TRecordBuffer *b = bufferFor(s);
    if (!b) DatabaseError(QStringLiteral("Dataset not in edit or insert mode"));
    if (field->calcIndex() >= 0) {
        if (field->calcIndex() < b->calc.size()) b->calc[field->calcIndex()] = value;
    } else {
        // A read-only data field keeps its value, without a message.
        if (field->ReadOnly && s != DataSetState::SetKey) return;
        if (field->FieldNo() <= 0) return;
        SetDataFieldValue(b, field, value);
    }
    if (s != DataSetState::CalcFields && s != DataSetState::Filter && s != DataSetState::NewValue
        && s != DataSetState::InternalCalc)
        DataEvent(TDataEvent::FieldChange, reinterpret_cast<qintptr>(field));
}

namespace {
// Reads the field's value when opened, writes it back when closed. Memos hold
// text (UTF-8 in the stream); other blobs hold their bytes unchanged.
class TBufferBlobStream : public QBuffer
{
public:
    TBufferBlobStream(TField *field, QIODevice::OpenMode mode)
        : m_field(field), m_text(field->DataType() == ftMemo || field->DataType() == ftFmtMemo)
    {
        if (!(mode & QIODevice::Truncate) && mode != QIODevice::WriteOnly) {
            const QVariant v = field->GetData();
            m_data = m_text ? v.toString().toUtf8() : v.toByteArray();
        }
        setBuffer(&m_data);
        open(mode);
    }
    ~TBufferBlobStream() override
    {
        if (!m_written || !m_field->DataSet()) return;
        if (m_data.isEmpty()) m_field->SetData(QVariant());
        else if (m_text) m_field->SetData(QString::fromUtf8(m_data));
        else m_field->SetData(m_data);
    }

protected:
    qint64 writeData(const char *data, qint64 len) override
    {
        m_written = true;
        // Writing replaces the value from the position on.
        m_data.truncate(int(pos()));
        return QBuffer::writeData(data, len);
    }

private:
    TField *m_field;
    bool m_text;
    QByteArray m_data;
    bool m_written = false;
};
} // namespace

std::unique_ptr<QIODevice> TDataSet::CreateBlobStream(TField *field, QIODevice::OpenMode mode)
{
    return std::make_unique<TBufferBlobStream>(field, mode);
}

// ---- open and close -------------------------------------------------------

void TDataSet::checkActive() const
{
    if (!Active()) DatabaseError(QStringLiteral("Cannot perform this operation on a closed dataset"));
}

void TDataSet::checkCanModify() const
{
    if (!CanModify()) DatabaseError(QStringLiteral("Cannot modify a read-only dataset"));
}

void TDataSet::Open()
{
    if (Active()) return;
    doEvent(BeforeOpen);
    m_state = DataSetState::Opening;
    try {
        m_defaultFields = m_fields.isEmpty();
        InternalOpen();
        // Fresh buffers: the storage's buffer type and the calculated area may have changed.
        m_buffers.clear();
        m_buffers.emplace_back(AllocRecordBuffer());
        ClearBuffers();
        int count = 1;
        for (TDataSource *s : std::as_const(m_sources))
            for (TDataLink *l : s->links()) count = std::max(count, l->BufferCount());
        setBufferCount(count);
        for (auto &b : m_buffers) b->calc.resize(m_calcCount);
        m_state = DataSetState::Inactive;
        SetState(DataSetState::Browse);
        InternalFirst();
        getNextRecords();
        m_bof = true;
        DataEvent(TDataEvent::DataSetChange);
    } catch (...) {
        m_state = DataSetState::Inactive;
        ClearBuffers();
        try {
            InternalClose();
        } catch (...) {
        }
        if (m_defaultFields) destroyDefaultFields();
        DataEvent(TDataEvent::UpdateState);
        throw;
    }
    doEvent(AfterOpen);
    if (!IsEmpty()) doEvent(AfterScroll);
}

void TDataSet::Close()
{
    if (m_state == DataSetState::Inactive) return;
    doEvent(BeforeClose);
    SetState(DataSetState::Inactive);
    ClearBuffers();
    InternalClose();
    BindFields(false);
    if (m_defaultFields) destroyDefaultFields();
    m_defaultFields = false;
    doEvent(AfterClose);
}

// ---- moves ----------------------------------------------------------------

void TDataSet::CheckBrowseMode()
{
    checkActive();
    DataEvent(TDataEvent::CheckBrowseMode);
    switch (m_state) {
    case DataSetState::Edit:
    case DataSetState::Insert:
        UpdateRecord();
        if (m_modified) Post();
        else Cancel();
        break;
    case DataSetState::SetKey: Post(); break;
    default: break;
    }
}

void TDataSet::UpdateRecord()
{
    if (!isEditState(m_state) && m_state != DataSetState::SetKey)
        DatabaseError(QStringLiteral("Dataset not in edit or insert mode"));
    DataEvent(TDataEvent::UpdateRecord);
}

void TDataSet::First()
{
    CheckBrowseMode();
    doEvent(BeforeScroll);
    ClearBuffers();
    struct Finish
    {
        TDataSet *ds;
        ~Finish()
        {
            ds->m_bof = true;
            ds->DataEvent(TDataEvent::DataSetChange);
        }
    };
    {
        Finish finish{this};
        ReadBatchScope batch(this);
        InternalFirst();
        getNextRecord();
        getNextRecords();
    }
    doEvent(AfterScroll);
}

void TDataSet::Last()
{
    CheckBrowseMode();
    doEvent(BeforeScroll);
    ClearBuffers();
    struct Finish
    {
        TDataSet *ds;
        ~Finish()
        {
            ds->m_eof = true;
            ds->DataEvent(TDataEvent::DataSetChange);
        }
    };
    {
        Finish finish{this};
        ReadBatchScope batch(this);
        InternalLast();
        getPriorRecord();
        getPriorRecords();
    }
    doEvent(AfterScroll);
}

int TDataSet::MoveBy(int distance)
{
    CheckBrowseMode();
    int result = 0;
    doEvent(BeforeScroll);
    if ((distance > 0 && !m_eof) || (distance < 0 && !m_bof)) {
        m_bof = false;
        m_eof = false;
        int scrollCount = 0;
        struct Finish
        {
            TDataSet *ds;
            int &scroll;
            ~Finish() { ds->DataEvent(TDataEvent::DataSetScroll, scroll); }
        };
        {
            Finish finish{this, scrollCount};
            ReadBatchScope batch(this);
            while (distance > 0) {
                if (m_activeRecord < m_recordCount - 1) {
                    ++m_activeRecord;
                } else {
                    const int shift = m_recordCount < BufferCount() ? 0 : 1;
                    if (getNextRecord()) {
                        scrollCount -= shift;
                        if (m_activeRecord < m_recordCount - 1) ++m_activeRecord;
                    } else {
                        m_eof = true;
                        break;
                    }
                }
                --distance;
                ++result;
            }
            while (distance < 0) {
                if (m_activeRecord > 0) {
                    --m_activeRecord;
                } else {
                    const int shift = m_recordCount < BufferCount() ? 0 : 1;
                    if (getPriorRecord()) {
                        scrollCount += shift;
                        if (m_activeRecord > 0) --m_activeRecord;
                    } else {
                        m_bof = true;
                        break;
                    }
                }
                ++distance;
                --result;
            }
        }
    }
    doEvent(AfterScroll);
    return result;
}

// ---- editing --------------------------------------------------------------

void TDataSet::initRecord(TRecordBuffer *buffer)
{
    InternalInitRecord(buffer);
    buffer->calc.fill(QVariant(), m_calcCount);
    buffer->bookmarkFlag = TBookmarkFlag::Inserted;
}

void TDataSet::beginInsertAppend()
{
    CheckBrowseMode();
    checkCanModify();
    doEvent(BeforeInsert);
    doEvent(BeforeScroll);
}

void TDataSet::endInsertAppend()
{
    SetState(DataSetState::Insert);
    try {
        doEvent(OnNewRecord);
    } catch (...) {
        UpdateCursorPos();
        SetState(DataSetState::Browse);
        Resync();
        throw;
    }
    m_modified = false;
    DataEvent(TDataEvent::DataSetChange);
    doEvent(AfterInsert);
    doEvent(AfterScroll);
}

void TDataSet::Insert()
{
    beginInsertAppend();
    const TBookmark current = GetBookmark();
    moveBuffer(m_recordCount, m_activeRecord);
    TRecordBuffer *b = m_buffers[m_activeRecord].get();
    initRecord(b);
    // A new record remembers where it was inserted, so a cancel returns there.
    if (m_recordCount == 0) b->bookmarkFlag = TBookmarkFlag::BOF;
    else SetBookmarkData(b, current);
    if (m_recordCount < BufferCount()) ++m_recordCount;
    // The record the cursor stood on may have been pushed out of the ring.
    CursorPosChanged();
    m_bof = false;
    m_eof = false;
    InternalInsert();
    endInsertAppend();
}

void TDataSet::Append()
{
    beginInsertAppend();
    ClearBuffers();
    TRecordBuffer *b = m_buffers[0].get();
    initRecord(b);
    b->bookmarkFlag = TBookmarkFlag::EOF_;
    m_recordCount = 1;
    m_bof = false;
    m_eof = false;
    getPriorRecords();
    InternalInsert();
    endInsertAppend();
}

void TDataSet::checkOperation(void (TDataSet::*operation)(), const TDataSetErrorEvent &onError)
{
    for (;;) {
        try {
            UpdateCursorPos();
            (this->*operation)();
            return;
        } catch (EDatabaseError &e) {
            TDataAction action = TDataAction::Fail;
            if (onError) onError(this, e, action);
            if (action == TDataAction::Fail) throw;
            if (action == TDataAction::Abort) Abort();
        }
    }
}

void TDataSet::Edit()
{
    if (isEditState(m_state)) return;
    if (m_recordCount == 0) {
        Insert();
        return;
    }
    CheckBrowseMode();
    checkCanModify();
    doEvent(BeforeEdit);
    checkOperation(&TDataSet::doInternalEdit, OnEditError);
    GetCalcFields(ActiveBuffer());
    SetState(DataSetState::Edit);
    DataEvent(TDataEvent::RecordChange);
    doEvent(AfterEdit);
}

void TDataSet::checkRequiredFields()
{
    for (TField *f : std::as_const(m_fields)) {
        if (f->Required && !f->ReadOnly && f->FieldKind == TFieldKind::fkData && f->IsNull())
            DatabaseError(QStringLiteral("Field '%1' must have a value").arg(f->DisplayName()));
    }
}

void TDataSet::Post()
{
    UpdateRecord();
    if (!isEditState(m_state)) return;
    DataEvent(TDataEvent::CheckBrowseMode);
    checkRequiredFields();
    UpdateCursorPos();
    doEvent(BeforePost);
    checkOperation(&TDataSet::doInternalPost, OnPostError);
    SetState(DataSetState::Browse);
    Resync();
    doEvent(AfterPost);
}

void TDataSet::Cancel()
{
    if (!isEditState(m_state)) return;
    DataEvent(TDataEvent::CheckBrowseMode);
    doEvent(BeforeCancel);
    const bool scrollEvents = m_state == DataSetState::Insert;
    if (scrollEvents) doEvent(BeforeScroll);
    UpdateCursorPos();
    InternalCancel();
    SetState(DataSetState::Browse);
    Resync();
    doEvent(AfterCancel);
    if (scrollEvents) doEvent(AfterScroll);
}

void TDataSet::Delete()
{
    checkActive();
    if (m_state == DataSetState::Insert || m_state == DataSetState::SetKey) {
        Cancel();
        return;
    }
    if (m_recordCount == 0) DatabaseError(QStringLiteral("Cannot perform this operation on an empty dataset"));
    DataEvent(TDataEvent::CheckBrowseMode);
    doEvent(BeforeDelete);
    doEvent(BeforeScroll);
    checkOperation(&TDataSet::doInternalDelete, OnDeleteError);
    SetState(DataSetState::Browse);
    Resync();
    doEvent(AfterDelete);
    doEvent(AfterScroll);
}

void TDataSet::Refresh()
{
    CheckBrowseMode();
    UpdateCursorPos();
    InternalRefresh();
    Resync();
}

bool TDataSet::Locate(const QString &, const QVariant &, int)
{
    return false;
}

QVariant TDataSet::Lookup(const QString &, const QVariant &, const QString &)
{
    return {};
}

// ---- bookmarks ------------------------------------------------------------

bool TDataSet::BookmarkAvailable() const
{
    return (m_state == DataSetState::Browse || isEditState(m_state)) && !IsEmpty()
           && ActiveBuffer()->bookmarkFlag == TBookmarkFlag::Current;
}

TBookmark TDataSet::GetBookmark() const
{
    return BookmarkAvailable() ? GetBookmarkData(ActiveBuffer()) : TBookmark();
}

void TDataSet::GotoBookmark(const TBookmark &bookmark)
{
    if (bookmark.isEmpty()) return;
    CheckBrowseMode();
    doEvent(BeforeScroll);
    InternalGotoBookmark(bookmark);
    Resync(true, true);
    doEvent(AfterScroll);
}

bool TDataSet::BookmarkValid(const TBookmark &bookmark) const
{
    return !bookmark.isEmpty();
}

int TDataSet::CompareBookmarks(const TBookmark &a, const TBookmark &b) const
{
    if (a.isEmpty() || b.isEmpty()) return int(!a.isEmpty()) - int(!b.isEmpty());
    return a < b ? -1 : (b < a ? 1 : 0);
}
