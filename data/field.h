#pragma once
// A column of a record set. A field never holds its value: it reads and writes
// the record buffer its dataset makes current for the dataset's state (the
// active record, the record being calculated, the filter candidate). Values
// travel as QVariant: QString for text and memos, int for integers, double for
// floats and date-times (day count), bool for booleans; an invalid QVariant is
// null. A null reads as the empty text, 0 and false.

#include "core/datetime.h"
#include "data/fieldtype.h"

#include <QObject>
#include <QVariant>
#include <functional>

class TDataSet;
class TField;

using TFieldNotifyEvent = std::function<void(TField *sender)>;
using TFieldGetTextEvent = std::function<void(TField *sender, QString &text, bool displayText)>;
using TFieldSetTextEvent = std::function<void(TField *sender, const QString &text)>;

class TField : public QObject
{
    Q_OBJECT
public:
    explicit TField(QObject *owner = nullptr);
    ~TField() override;

    // Attaches the field to a record set (persistent fields); nullptr detaches.
    void SetDataSet(TDataSet *dataSet);
    TDataSet *DataSet() const { return m_dataSet; }

    QString FieldName;
    TFieldKind FieldKind = TFieldKind::fkData;
    int Size = 0;
    bool ReadOnly = false;
    bool Required = false;
    bool Visible = true;
    QString DefaultExpression;
    Qt::Alignment Alignment = Qt::AlignLeft;

    TFieldType DataType() const { return m_dataType; }
    int FieldNo() const { return m_fieldNo; }
    int Index() const;                      // position in the dataset's field list
    // Moves the field to that position (clamped); bound controls relayout.
    void SetIndex(int value);
    bool Calculated() const { return FieldKind == TFieldKind::fkCalculated; }
    bool Lookup() const { return FieldKind == TFieldKind::fkLookup; }
    bool IsBlob() const { return isBlobType(m_dataType); }
    bool CanModify() const;

    QString DisplayLabel() const { return m_displayLabel.isEmpty() ? FieldName : m_displayLabel; }
    void SetDisplayLabel(const QString &label) { m_displayLabel = label; }
    QString DisplayName() const { return DisplayLabel(); }
    int DisplayWidth() const { return m_displayWidth >= 0 ? m_displayWidth : defaultDisplayWidth(); }
    void SetDisplayWidth(int width) { m_displayWidth = width; }
    const QString &DisplayFormat() const { return m_displayFormat; }
    void SetDisplayFormat(const QString &format) { m_displayFormat = format; }
    const QString &EditFormat() const { return m_editFormat; }
    void SetEditFormat(const QString &format) { m_editFormat = format; }

    // Lookup fields: the key fields of this dataset matched against LookupKeyFields
    // of LookupDataSet, giving LookupResultField.
    TDataSet *LookupDataSet = nullptr;
    QString KeyFields;
    QString LookupKeyFields;
    QString LookupResultField;

    bool IsNull() const;
    QVariant Value() const;
    void SetValue(const QVariant &value);
    void Clear() { SetData(QVariant()); }

    virtual QString AsString() const;
    virtual void SetAsString(const QString &text);
    virtual int AsInteger() const;
    virtual void SetAsInteger(int value);
    virtual double AsFloat() const;
    virtual void SetAsFloat(double value);
    virtual TDateTime AsDateTime() const;
    virtual void SetAsDateTime(TDateTime value);
    virtual bool AsBoolean() const;
    virtual void SetAsBoolean(bool value);

    // Text for display (DisplayFormat applied) and for editing.
    QString DisplayText() const { return text(true); }
    QString Text() const { return text(false); }
    void SetText(const QString &text);
    QString EditText() const { return text(false); }
    void SetEditText(const QString &value) { SetText(value); }

    // Raw buffer access; SetData validates and notifies.
    QVariant GetData() const;
    void SetData(const QVariant &value);

    TFieldNotifyEvent OnChange;
    TFieldNotifyEvent OnValidate;
    TFieldGetTextEvent OnGetText;
    TFieldSetTextEvent OnSetText;

    // Called by the dataset: after a value was stored in the buffer.
    void Change();
    // Binding to the storage's field definition (dataset only).
    void bind(int fieldNo) { m_fieldNo = fieldNo; }
    int calcIndex() const { return m_calcIndex; }
    void setCalcIndex(int index) { m_calcIndex = index; }
    bool isDefaultField() const { return m_defaultField; }
    void setDefaultField(bool value) { m_defaultField = value; }

protected:
    // The field's own text for display or editing, before OnGetText.
    virtual QString getText(bool displayText) const;
    // Stores text typed by a user; empty text sets null.
    virtual void setTextValue(const QString &text) { SetAsString(text); }
    virtual int defaultDisplayWidth() const { return 10; }
    // A value in the field's native type, or an invalid variant for null.
    virtual QVariant toNative(const QVariant &value) const { return value; }

    void setDataType(TFieldType type) { m_dataType = type; }
    [[noreturn]] void raiseConvertError(const QString &messageFormat, const QString &text) const;

private:
    friend class TDataSet;
    QString text(bool displayText) const;

    TDataSet *m_dataSet = nullptr;
    TFieldType m_dataType = ftUnknown;
    int m_fieldNo = 0;
    int m_calcIndex = -1;
    int m_displayWidth = -1;
    QString m_displayLabel;
    QString m_displayFormat;
    QString m_editFormat;
    bool m_defaultField = false;
};
