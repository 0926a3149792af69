#include "controls/dbedit.h"
#include "controls/exitrefusal_p.h"
#include "core/exceptions.h"
#include "data/field.h"

#include <QApplication>
#include <QKeyEvent>

TDBEdit::TDBEdit(QWidget *parent) : QLineEdit(parent)
{
    m_link.Attach([this] { dataChange(); }, [this] { editingChange(); }, [this] { updateData(); });
    connect(this, &QLineEdit::textEdited, this, [this] { m_link.Modified(); });
    editingChange();
}

TDBEdit::~TDBEdit()
{
    m_link.Detach();
}

void TDBEdit::SetDataSource(TDataSource *source)
{
    m_link.SetDataSource(source);
    dataChange();
    editingChange();
}

void TDBEdit::SetDataField(const QString &name)
{
    m_link.SetFieldName(name);
}

void TDBEdit::SetReadOnly(bool value)
{
    m_link.SetReadOnly(value);
    editingChange();
}

void TDBEdit::dataChange()
{
    TField *f = m_link.Field();
    if (!f) {
        setText(QString());
        return;
    }
    setAlignment(f->Alignment | Qt::AlignVCenter);
    // setMaxLength() sets the text again, losing the selection: only on change.
    const int maxLength = f->DataType() == ftString && f->Size > 0 ? f->Size : 32767;
    if (maxLength != this->maxLength()) setMaxLength(maxLength);
    // Setting the same text would drop the selection and the cursor, which
    // the key that started the edit is about to use.
    const QString shown = m_focused && m_link.CanModify() ? f->EditText() : f->DisplayText();
    if (shown != text()) setText(shown);
    setModified(false);
}

void TDBEdit::editingChange()
{
    setReadOnly(!m_link.Editing());
}

void TDBEdit::updateData()
{
    m_link.Field()->SetText(text());
}

void TDBEdit::UpdateRecord()
{
    try {
        m_link.UpdateRecord();
    } catch (...) {
        selectAll();
        throw;
    }
}

bool TDBEdit::isEditKey(const QKeyEvent *event) const
{
    if (event->matches(QKeySequence::Paste) || event->matches(QKeySequence::Cut)) return true;
    switch (event->key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Delete: return true;
    case Qt::Key_Insert: return event->modifiers() & Qt::ShiftModifier;
    default: break;
    }
    const QString t = event->text();
    return t.size() == 1 && t[0].isPrint();
}

void TDBEdit::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && m_link.Field()) {
        m_link.Reset();
        selectAll();
        event->accept();
        return;
    }
    if (isEditKey(event) && !m_link.Edit()) {
        // Nothing to edit: let read-only navigation through, refuse the rest.
        if (!event->text().isEmpty() && event->text()[0].isPrint()) QApplication::beep();
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void TDBEdit::focusInEvent(QFocusEvent *event)
{
    m_focused = true;
    if (m_link.CanModify() && !m_link.IsModified()) dataChange();
    QLineEdit::focusInEvent(event);
}

void TDBEdit::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    // Another application's window, or a popup, taking the keyboard is no exit.
    if (event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason) return;
    try {
        UpdateRecord();
    } catch (...) {
        exitRefusal::takeFocusBack(this);
        throw;
    }
    m_focused = false;
    if (!m_link.IsModified()) dataChange();
}

bool TDBEdit::event(QEvent *event)
{
    // Failures of the handlers stop here, not in Qt's dispatch.
    bool handled = true;
    guarded([&] { handled = QLineEdit::event(event); });
    return handled;
}
