#include "report/frdbdataset.h"

#include "report/frexpr.h"

TDataSet *TfrDBDataSet::GetDataSet()
{
    TDataSet *ds = m_dataSet.data();
    if (!ds) {
        m_error = QStringLiteral("Dataset non assegnato: ") + objectName();
        return nullptr;
    }
    if (ds->Active()) m_error.clear();
    else if (m_initialized) m_error = QStringLiteral("Dataset chiuso: ") + ds->objectName();
    return ds;
}

bool TfrDBDataSet::accepted()
{
    if (!Filtered || Filter.trimmed().isEmpty()) return true;
    try {
        return TfrExpr::instance().Evaluate(Filter).toFloat() != 0;
    } catch (const Exception &) {
        throw Exception(QStringLiteral("Errore nell'espressione del filtro della banda."));
    }
}

void TfrDBDataSet::skipForward(TDataSet *ds)
{
    while (ds->Active() && !ds->Eof() && !accepted()) ds->Next();
}

void TfrDBDataSet::skipBackward(TDataSet *ds)
{
    while (ds->Active() && !ds->Bof() && !accepted()) ds->Prior();
}

bool TfrDBDataSet::onStartRecord(TDataSet *ds) const
{
    return !m_startRecord.isEmpty() && !ds->IsEmpty() && ds->CompareBookmarks(ds->GetBookmark(), m_startRecord) == 0;
}

void TfrDBDataSet::Init()
{
    m_error.clear();
    TDataSet *ds = m_dataSet.data();
    if (!ds) {
        m_error = QStringLiteral("Dataset non assegnato: ") + objectName();
        return;
    }
    m_wasOpen = ds->Active();
    if (!m_wasOpen) {
        try {
            ds->Open();
        } catch (const Exception &e) {
            m_error = QStringLiteral("Non è stato possibile aprire il Dataset: ") + ds->objectName()
                      + QStringLiteral("\r\n") + e.message();
        }
    }
    if (m_error.isEmpty()) {
        m_startRecord = ds->IsEmpty() ? TBookmark() : ds->GetBookmark();
        const bool wasDisabled = ds->ControlsDisabled();
        m_disabledHere = DisableDataSetControls && !wasDisabled;
        if (m_disabledHere) ds->DisableControls();
        skipForward(ds);
    }
    m_initialized = true;
}

void TfrDBDataSet::Exit()
{
    m_initialized = false;
    TDataSet *ds = m_dataSet.data();
    if (!ds) return;
    if (m_disabledHere) {
        ds->EnableControls();
        m_disabledHere = false;
    }
    if (m_wasOpen) {
        if (!m_startRecord.isEmpty() && ds->Active() && ds->BookmarkValid(m_startRecord)) {
            try {
                ds->GotoBookmark(m_startRecord);
            } catch (const EDatabaseError &) {
                // The record the build started on is hidden by the table's filter now.
                ds->First();
            }
        }
    } else {
        ds->Close();
    }
}

void TfrDBDataSet::First()
{
    if (TDataSet *ds = m_dataSet.data(); ds && ds->Active()) {
        if (RangeBegin == rbFirst) {
            ds->First();
        } else {
            if (ds->Eof()) ds->Refresh();
            if (!m_startRecord.isEmpty() && ds->BookmarkValid(m_startRecord)) ds->GotoBookmark(m_startRecord);
        }
        skipForward(ds);
    }
    m_rangeEnded = false;
    TfrDataset::First();
}

void TfrDBDataSet::Next()
{
    m_rangeEnded = false;
    if (TDataSet *ds = m_dataSet.data(); ds && ds->Active()) {
        if (RangeEnd == reCurrent && onStartRecord(ds)) m_rangeEnded = true;
        ds->Next();
        skipForward(ds);
    }
    TfrDataset::Next();
}

void TfrDBDataSet::Prior()
{
    m_rangeEnded = false;
    if (TDataSet *ds = m_dataSet.data(); ds && ds->Active()) {
        if (RangeEnd == reCurrent && onStartRecord(ds)) m_rangeEnded = true;
        ds->Prior();
        skipBackward(ds);
    }
    TfrDataset::Prior();
}

bool TfrDBDataSet::StandsOnLastRecord()
{
    TDataSet *ds = m_dataSet.data();
    if (!ds || !ds->Active() || ds->IsEmpty() || !ds->Eof() || m_rangeEnded || TfrDataset::Eof()) return false;
    return accepted();
}

bool TfrDBDataSet::Eof()
{
    TDataSet *ds = m_dataSet.data();
    return TfrDataset::Eof() || !ds || !ds->Active() || ds->Eof() || m_rangeEnded;
}
