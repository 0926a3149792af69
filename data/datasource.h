#pragma once
// TDataSource connects one record set to any number of bound controls (their
// data links) and forwards every notification of the record set to them.

#include "data/dataset.h"

#include <QObject>
#include <functional>

class TDataSource : public QObject
{
    Q_OBJECT
public:
    explicit TDataSource(QObject *owner = nullptr);
    ~TDataSource() override;

    TDataSet *DataSet() const { return m_dataSet; }
    void SetDataSet(TDataSet *dataSet);
    bool AutoEdit = true;
    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool value);
    DataSetState State() const { return m_state; }

    // Starts editing when AutoEdit allows it (a bound control began to edit).
    void Edit();

    std::function<void(TDataSource *sender)> OnStateChange;
    std::function<void(TDataSource *sender, TField *field)> OnDataChange;
    std::function<void(TDataSource *sender)> OnUpdateData;

    // Called by the record set and the links.
    void DataEvent(TDataEvent event, qintptr info);
    void addLink(TDataLink *link);
    void removeLink(TDataLink *link);
    const QList<TDataLink *> &links() const { return m_links; }
    void UpdateState();

private:
    void setState(DataSetState value);
    void notifyLinks(TDataEvent event, qintptr info);

    TDataSet *m_dataSet = nullptr;
    QList<TDataLink *> m_links;
    DataSetState m_state = DataSetState::Inactive;
    bool m_enabled = true;
};
