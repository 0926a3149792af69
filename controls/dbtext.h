#pragma once
// TDBText: a label that shows a field's DisplayText and follows the row.

#include "controls/fielddatalink.h"

#include <QLabel>

class TDataSource;

class TDBText : public QLabel
{
    Q_OBJECT
public:
    explicit TDBText(QWidget *parent = nullptr);
    ~TDBText() override;

    TDataSource *DataSource() const { return m_link.DataSource(); }
    void SetDataSource(TDataSource *source);
    const QString &DataField() const { return m_link.FieldName(); }
    void SetDataField(const QString &name);
    TField *Field() const { return m_link.Field(); }

private:
    void dataChange();

    TFieldDataLink m_link;
};
