#include "controls/dbtext.h"
#include "data/field.h"

TDBText::TDBText(QWidget *parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    m_link.Attach([this] { dataChange(); });
}

TDBText::~TDBText()
{
    m_link.Detach();
}

void TDBText::SetDataSource(TDataSource *source)
{
    m_link.SetDataSource(source);
    dataChange();
}

void TDBText::SetDataField(const QString &name)
{
    m_link.SetFieldName(name);
}

void TDBText::dataChange()
{
    TField *f = m_link.Field();
    setText(f ? f->DisplayText() : QString());
}
