#include "data/datalink.h"
#include "data/datasource.h"

TDataLink::TDataLink() = default;

TDataLink::~TDataLink()
{
    if (m_dataSource) m_dataSource->removeLink(this);
}

void TDataLink::SetDataSource(TDataSource *source)
{
    if (m_dataSource == source) return;
    if (m_dataSource) m_dataSource->removeLink(this);
    m_dataSource = source;
    if (m_dataSource) m_dataSource->addLink(this);
    updateState();
}

TDataSet *TDataLink::DataSet() const
{
    return m_dataSource ? m_dataSource->DataSet() : nullptr;
}

void TDataLink::SetReadOnly(bool value)
{
    if (m_readOnly == value) return;
    m_readOnly = value;
    updateState();
}

void TDataLink::SetBufferCount(int value)
{
    if (value < 1) value = 1;
    if (m_bufferCount == value) return;
    m_bufferCount = value;
    if (TDataSet *ds = DataSet()) ds->UpdateBufferCount();
}

int TDataLink::ActiveRecord() const
{
    TDataSet *ds = DataSet();
    if (!ds || m_dataSource->State() == DataSetState::SetKey) return 0;
    return ds->ActiveRecord() - m_firstRecord;
}

void TDataLink::SetActiveRecord(int value)
{
    if (TDataSet *ds = DataSet(); ds && m_dataSource->State() != DataSetState::SetKey)
        ds->SetActiveRecordIndex(value + m_firstRecord);
}

int TDataLink::RecordCount() const
{
    TDataSet *ds = DataSet();
    if (!ds) return 0;
    if (m_dataSource->State() == DataSetState::SetKey) return 1;
    int n = ds->BufferedRecordCount() - m_firstRecord;
    if (n > m_bufferCount) n = m_bufferCount;
    return n < 0 ? 0 : n;
}

bool TDataLink::Edit()
{
    if (!m_readOnly && m_dataSource) m_dataSource->Edit();
    return m_editing;
}

void TDataLink::UpdateRecord()
{
    m_updating = true;
    struct Reset
    {
        bool &flag;
        ~Reset() { flag = false; }
    } reset{m_updating};
    UpdateData();
}

void TDataLink::setActive(bool value)
{
    if (m_active == value) return;
    m_active = value;
    if (value && DataSet()) m_firstRecord = DataSet()->ActiveRecord();
    else if (!value) m_firstRecord = 0;
    ActiveChanged();
}

void TDataLink::setEditing(bool value)
{
    if (m_editing == value) return;
    m_editing = value;
    EditingChanged();
}

void TDataLink::updateState()
{
    const bool active = m_dataSource && m_dataSource->State() != DataSetState::Inactive;
    setActive(active);
    const DataSetState s = m_dataSource ? m_dataSource->State() : DataSetState::Inactive;
    const bool editing = (s == DataSetState::Edit || s == DataSetState::Insert || s == DataSetState::SetKey)
                         && !m_readOnly;
    setEditing(editing);
}

void TDataLink::DataEvent(TDataEvent event, qintptr info)
{
    if (event == TDataEvent::UpdateState) {
        updateState();
        return;
    }
    if (!m_active) return;
    switch (event) {
    case TDataEvent::FieldChange:
    case TDataEvent::RecordChange:
        if (!m_updating) RecordChanged(reinterpret_cast<TField *>(info));
        break;
    case TDataEvent::DataSetChange:
    case TDataEvent::DataSetScroll:
    case TDataEvent::LayoutChange: {
        int count = 0;
        if (m_dataSource->State() != DataSetState::SetKey) {
            const int active = DataSet()->ActiveRecord();
            const int first = m_firstRecord + int(info);
            const int last = first + m_bufferCount - 1;
            if (active > last) count = active - last;
            else if (active < first) count = active - first;
            m_firstRecord = first + count;
        }
        if (event == TDataEvent::DataSetChange) DataSetChanged();
        else if (event == TDataEvent::DataSetScroll) DataSetScrolled(count);
        else LayoutChanged();
        break;
    }
    case TDataEvent::UpdateRecord: UpdateRecord(); break;
    case TDataEvent::CheckBrowseMode: CheckBrowseMode(); break;
    case TDataEvent::FocusControl: FocusControl(reinterpret_cast<TField **>(info)); break;
    default: break;
    }
}
