#pragma once
// TDBEdit: a one-line edit bound to a field. Focused it shows the field's
// EditText, otherwise its DisplayText. Typing first puts the record set into
// Edit through the data source (the edit stays read-only while the record set
// is not editing); Escape restores the field's value. The text is written into
// the field when the edit is left and when the record set asks its controls
// for pending text before a post: the field converts it, so an empty text
// clears the field and a number it cannot read raises the field's message.

#include "controls/fielddatalink.h"

#include <QLineEdit>

class TDataSource;

class TDBEdit : public QLineEdit
{
    Q_OBJECT
public:
    explicit TDBEdit(QWidget *parent = nullptr);
    ~TDBEdit() override;

    TDataSource *DataSource() const { return m_link.DataSource(); }
    void SetDataSource(TDataSource *source);
    const QString &DataField() const { return m_link.FieldName(); }
    void SetDataField(const QString &name);
    TField *Field() const { return m_link.Field(); }
    bool ReadOnly() const { return m_link.ReadOnly(); }
    void SetReadOnly(bool value);

    // Writes the pending text into the field now (what leaving the edit does);
    // on failure selects the text and raises.
    void UpdateRecord();

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void dataChange();
    void editingChange();
    void updateData();
    bool isEditKey(const QKeyEvent *event) const;

    TFieldDataLink m_link;
    bool m_focused = false;
};
