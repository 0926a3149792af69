#include "data/field.h"
#include "data/dataset.h"

TField::TField(QObject *owner) : QObject(owner) {}

TField::~TField()
{
    if (m_dataSet) m_dataSet->removeField(this);
}

void TField::SetDataSet(TDataSet *dataSet)
{
    if (m_dataSet == dataSet) return;
    if (m_dataSet) {
        if (m_dataSet->Active()) DatabaseError(QStringLiteral("Cannot perform this operation on an open dataset"));
        m_dataSet->removeField(this);
    }
    m_dataSet = dataSet;
    if (m_dataSet) m_dataSet->addField(this);
}

int TField::Index() const
{
    return m_dataSet ? int(m_dataSet->Fields().indexOf(const_cast<TField *>(this))) : -1;
}

void TField::SetIndex(int value)
{
    if (m_dataSet) m_dataSet->moveField(this, value);
}

bool TField::CanModify() const
{
    if (ReadOnly || !m_dataSet) return false;
    if (FieldKind != TFieldKind::fkData) return false;
    return m_dataSet->CanModify();
}

QVariant TField::GetData() const
{
    return m_dataSet ? m_dataSet->GetFieldData(this) : QVariant();
}

void TField::SetData(const QVariant &value)
{
    if (!m_dataSet) DatabaseError(QStringLiteral("Field '%1' has no dataset").arg(DisplayName()));
    const QVariant native = toNative(value);
    if (OnValidate && FieldKind == TFieldKind::fkData) {
        // Validation sees the proposed value: store, validate, restore on refusal.
        const QVariant old = GetData();
        m_dataSet->SetFieldData(this, native);
        try {
            OnValidate(this);
        } catch (...) {
            m_dataSet->SetFieldData(this, old);
            throw;
        }
    } else {
        m_dataSet->SetFieldData(this, native);
    }
    Change();
}

void TField::Change()
{
    if (OnChange) OnChange(this);
}

bool TField::IsNull() const
{
    return !GetData().isValid() || GetData().isNull();
}

QVariant TField::Value() const
{
    return GetData();
}

void TField::SetValue(const QVariant &value)
{
    if (!value.isValid() || value.isNull()) Clear();
    else SetData(value);
}

QString TField::AsString() const
{
    const QVariant v = GetData();
    return v.isValid() ? v.toString() : QString();
}

void TField::SetAsString(const QString &text)
{
    SetData(text.isEmpty() ? QVariant() : QVariant(text));
}

int TField::AsInteger() const
{
    return GetData().toInt();
}

void TField::SetAsInteger(int value)
{
    SetData(value);
}

double TField::AsFloat() const
{
    return GetData().toDouble();
}

void TField::SetAsFloat(double value)
{
    SetData(value);
}

TDateTime TField::AsDateTime() const
{
    return GetData().toDouble();
}

void TField::SetAsDateTime(TDateTime value)
{
    SetData(value);
}

bool TField::AsBoolean() const
{
    return GetData().toBool();
}

void TField::SetAsBoolean(bool value)
{
    SetData(value);
}

QString TField::getText(bool) const
{
    return AsString();
}

QString TField::text(bool displayText) const
{
    QString result;
    if (OnGetText) OnGetText(const_cast<TField *>(this), result, displayText);
    else result = getText(displayText);
    return result;
}

void TField::SetText(const QString &value)
{
    if (OnSetText) OnSetText(this, value);
    else setTextValue(value);
}

void TField::raiseConvertError(const QString &messageFormat, const QString &text) const
{
    DatabaseError(messageFormat.arg(text, DisplayName()));
}
