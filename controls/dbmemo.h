#pragma once
// TDBMemo: a multi-line edit bound to a memo (or string) field, with the same
// editing contract as TDBEdit: typing starts Edit, Escape restores, the text
// goes into the field when the memo is left or before a post. Lines are
// stored with CR LF, as the archives have always held them.

#include "controls/fielddatalink.h"

#include <QPlainTextEdit>

class TDataSource;

class TDBMemo : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit TDBMemo(QWidget *parent = nullptr);
    ~TDBMemo() override;

    TDataSource *DataSource() const { return m_link.DataSource(); }
    void SetDataSource(TDataSource *source);
    const QString &DataField() const { return m_link.FieldName(); }
    void SetDataField(const QString &name);
    TField *Field() const { return m_link.Field(); }
    bool ReadOnly() const { return m_link.ReadOnly(); }
    void SetReadOnly(bool value);

    void UpdateRecord();

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void insertFromMimeData(const QMimeData *source) override;

private:
    void dataChange();
    void editingChange();
    void updateData();

    TFieldDataLink m_link;
    bool m_loading = false;
};
