#include "data/datasource.h"
#include "data/datalink.h"

TDataSource::TDataSource(QObject *owner) : QObject(owner) {}

TDataSource::~TDataSource()
{
    const QList<TDataLink *> links = m_links;
    for (TDataLink *l : links) l->SetDataSource(nullptr);
    SetDataSet(nullptr);
}

void TDataSource::SetDataSet(TDataSet *dataSet)
{
    if (m_dataSet == dataSet) return;
    if (m_dataSet) m_dataSet->removeDataSource(this);
    m_dataSet = dataSet;
    if (m_dataSet) m_dataSet->addDataSource(this);
    UpdateState();
}

void TDataSource::SetEnabled(bool value)
{
    m_enabled = value;
    UpdateState();
}

void TDataSource::Edit()
{
    if (AutoEdit && m_state == DataSetState::Browse && m_dataSet) m_dataSet->Edit();
}

void TDataSource::addLink(TDataLink *link)
{
    if (!m_links.contains(link)) m_links.append(link);
    if (m_dataSet) m_dataSet->UpdateBufferCount();
}

void TDataSource::removeLink(TDataLink *link)
{
    m_links.removeAll(link);
    if (m_dataSet) m_dataSet->UpdateBufferCount();
}

void TDataSource::UpdateState()
{
    setState(m_enabled && m_dataSet ? m_dataSet->State() : DataSetState::Inactive);
}

void TDataSource::setState(DataSetState value)
{
    if (m_state == value) return;
    const DataSetState prior = m_state;
    m_state = value;
    notifyLinks(TDataEvent::UpdateState, 0);
    if (OnStateChange) OnStateChange(this);
    if (prior == DataSetState::Inactive) notifyLinks(TDataEvent::DataSetChange, 0);
}

void TDataSource::notifyLinks(TDataEvent event, qintptr info)
{
    const QList<TDataLink *> links = m_links;
    for (TDataLink *l : links)
        if (m_links.contains(l)) l->DataEvent(event, info);
}

void TDataSource::DataEvent(TDataEvent event, qintptr info)
{
    if (event == TDataEvent::UpdateState) {
        UpdateState();
        return;
    }
    if (m_state == DataSetState::Inactive) return;
    notifyLinks(event, info);
    switch (event) {
    case TDataEvent::FieldChange:
        if (OnDataChange) OnDataChange(this, reinterpret_cast<TField *>(info));
        break;
    case TDataEvent::RecordChange:
    case TDataEvent::DataSetChange:
    case TDataEvent::DataSetScroll:
    case TDataEvent::LayoutChange:
        if (OnDataChange) OnDataChange(this, nullptr);
        break;
    case TDataEvent::UpdateRecord:
        if (OnUpdateData) OnUpdateData(this);
        break;
    default: break;
    }
}
