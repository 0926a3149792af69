#pragma once
// TfrDBDataSet: a report dataset over a database dataset. For one build it opens
// the dataset if needed, disables its controls, walks it within the range and
// skips records the Filter expression rejects; Exit puts everything back (an
// open dataset returns to the record it was on, a closed one is closed again).

#include "report/frdataset.h"

#include "data/dataset.h"

#include <QPointer>

class TfrDBDataSet : public TfrDataset
{
    Q_OBJECT
public:
    explicit TfrDBDataSet(QObject *owner = nullptr) : TfrDataset(owner) {}

    QString Filter;
    bool Filtered = false;
    void SetDataSet(TDataSet *dataSet) { m_dataSet = dataSet; }
    TDataSet *DataSet() const { return m_dataSet.data(); }
    // Copied from the report's DisableDataSetControls when a build resolves it.
    bool DisableDataSetControls = true;

    // The database dataset for the build; sets or clears the error text.
    TDataSet *GetDataSet();
    const QString &ErrorText() const { return m_error; }
    bool Initialized() const { return m_initialized; }
    // At its end, the table still stands on the last record this dataset gave
    // (the table itself ran out, and its last record passes the filter).
    bool StandsOnLastRecord();

    void Init() override;
    void Exit() override;
    void First() override;
    void Prior() override;
    void Next() override;
    bool Eof() override;

private:
    bool accepted();
    void skipForward(TDataSet *ds);
    void skipBackward(TDataSet *ds);
    bool onStartRecord(TDataSet *ds) const;

    QPointer<TDataSet> m_dataSet;
    QString m_error;
    bool m_initialized = false;
    bool m_wasOpen = false;
    bool m_disabledHere = false;
    bool m_rangeEnded = false;
    TBookmark m_startRecord;
};
