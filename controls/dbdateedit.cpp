#include "controls/dbdateedit.h"
#include "data/field.h"

#include <QApplication>
#include <QKeyEvent>
#include <cmath>

TDBDateEdit::TDBDateEdit(QWidget *parent) : TCustomDateEdit(parent)
{
    m_link.Attach([this] { dataChange(); }, [this] { updateReadOnly(); }, [this] { updateData(); });
    connect(this, &QLineEdit::textEdited, this, [this] {
        if (!m_loading) m_link.Modified();
    });
    updateReadOnly();
    ensureFormat();
}

TDBDateEdit::~TDBDateEdit()
{
    m_link.Detach();
}

void TDBDateEdit::SetDataSource(TDataSource *source)
{
    m_link.SetDataSource(source);
    dataChange();
    updateReadOnly();
}

void TDBDateEdit::SetDataField(const QString &name)
{
    m_link.SetFieldName(name);
}

void TDBDateEdit::SetReadOnly(bool value)
{
    m_link.SetReadOnly(value);
    TCustomDateEdit::SetReadOnly(value);
}

QChar TDBDateEdit::effectiveBlank() const
{
    // Unfocused, an empty field paints as the format with blanks for digits.
    return hasFocus() ? BlanksChar() : QLatin1Char(' ');
}

void TDBDateEdit::dataChange()
{
    m_loading = true;
    struct Reset
    {
        bool &flag;
        ~Reset() { flag = false; }
    } reset{m_loading};
    TField *f = m_link.Field();
    SetDate(f && !f->IsNull() ? f->AsDateTime() : 0);
    setModified(false);
}

void TDBDateEdit::updateData()
{
    TField *f = m_link.Field();
    // A typed impossible date is refused, not stored as an empty one: the
    // day would lose its date.
    CheckValidDate();
    const TDateTime day = Date();
    if (day == 0) {
        f->Clear();
        return;
    }
    // The day from the edit, the time of day from the field. Negative day
    // counts carry their time as a positive fraction below the day.
    const TDateTime old = f->IsNull() ? 0 : f->AsDateTime();
    const double time = std::fabs(old - std::trunc(old));
    f->SetAsDateTime(day >= 0 ? day + time : day - time);
}

void TDBDateEdit::UpdateRecord()
{
    try {
        m_link.UpdateRecord();
    } catch (...) {
        selectAll();
        throw;
    }
}

void TDBDateEdit::acceptValue(TDateTime date)
{
    if (!m_link.Edit()) {
        QApplication::beep();
        return;
    }
    TCustomDateEdit::acceptValue(date);
    UpdateRecord();
}

void TDBDateEdit::doExit()
{
    TCustomDateEdit::doExit();
    UpdateRecord();
    if (!m_link.IsModified()) dataChange();
}

void TDBDateEdit::focusInEvent(QFocusEvent *event)
{
    TCustomDateEdit::focusInEvent(event);
    ensureFormat();
}

void TDBDateEdit::keyPressEvent(QKeyEvent *event)
{
    if (PopupVisible()) {
        TCustomDateEdit::keyPressEvent(event);
        return;
    }
    if (event->key() == Qt::Key_Escape && m_link.Field()) {
        m_link.Reset();
        selectAll();
        event->accept();
        return;
    }
    const QString t = event->text();
    const bool stepKey = DirectInput
                         && ((event->modifiers() & Qt::KeypadModifier)
                             && (event->key() == Qt::Key_Plus || event->key() == Qt::Key_Minus));
    const bool ownKey = t == QLatin1String("+") || t == QLatin1String("-")
                        || t.compare(QLatin1String("t"), Qt::CaseInsensitive) == 0;
    if (!stepKey && !ownKey) {
        const bool editKey = (t.size() == 1 && (t[0].isDigit() || t[0] == EditFormat().separator()))
                             || event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete
                             || (event->key() == Qt::Key_Insert && (event->modifiers() & Qt::ShiftModifier))
                             || event->matches(QKeySequence::Paste) || event->matches(QKeySequence::Cut);
        if (editKey) {
            if (!DirectInput || ReadOnly() || !m_link.Edit()) {
                event->accept();
                return;
            }
        } else if (t.size() == 1 && t[0].isPrint()) {
            QApplication::beep();
            event->accept();
            return;
        }
    }
    TCustomDateEdit::keyPressEvent(event);
}
