#pragma once
// TDataLink: a bound control's connection to a data source. It keeps its own
// window on the record set's buffer ring (FirstRecord .. FirstRecord+BufferCount-1),
// and turns notifications into the virtual hooks below. Controls subclass it.

#include "data/dataset.h"

class TDataSource;

class TDataLink
{
public:
    TDataLink();
    virtual ~TDataLink();

    TDataSource *DataSource() const { return m_dataSource; }
    void SetDataSource(TDataSource *source);
    TDataSet *DataSet() const;
    bool Active() const { return m_active; }
    bool Editing() const { return m_editing; }
    bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool value);

    // Rows this control shows; the record set keeps at least this many buffers.
    int BufferCount() const { return m_bufferCount; }
    void SetBufferCount(int value);
    int ActiveRecord() const;                // relative to the link's first record
    void SetActiveRecord(int value);
    int RecordCount() const;                 // filled buffers the link sees
    int FirstRecord() const { return m_firstRecord; }

    // Asks the source to start editing; true when the record set is editing.
    bool Edit();
    // Lets the control write its pending text (the record set is about to post).
    void UpdateRecord();

    // Hooks for controls.
    virtual void ActiveChanged() {}
    virtual void CheckBrowseMode() {}
    virtual void DataSetChanged() { RecordChanged(nullptr); }
    virtual void DataSetScrolled(int distance) { (void)distance; DataSetChanged(); }
    virtual void EditingChanged() {}
    virtual void FocusControl(TField **field) { (void)field; }
    virtual void LayoutChanged() { DataSetChanged(); }
    virtual void RecordChanged(TField *field) { (void)field; }
    virtual void UpdateData() {}

    // Called by the data source.
    void DataEvent(TDataEvent event, qintptr info);

private:
    void updateState();
    void setActive(bool value);
    void setEditing(bool value);

    TDataSource *m_dataSource = nullptr;
    int m_bufferCount = 1;
    int m_firstRecord = 0;
    bool m_active = false;
    bool m_editing = false;
    bool m_readOnly = false;
    bool m_updating = false;
};
