#include "controls/dbmemo.h"
#include "controls/exitrefusal_p.h"
#include "core/exceptions.h"
#include "data/field.h"

#include <QApplication>
#include <QKeyEvent>

TDBMemo::TDBMemo(QWidget *parent) : QPlainTextEdit(parent)
{
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Tab moves on to the next control, as in every other field of a form.
    setTabChangesFocus(true);
    m_link.Attach([this] { dataChange(); }, [this] { editingChange(); }, [this] { updateData(); });
    connect(this, &QPlainTextEdit::textChanged, this, [this] {
        if (!m_loading) m_link.Modified();
    });
    editingChange();
}

TDBMemo::~TDBMemo()
{
    m_link.Detach();
}

void TDBMemo::SetDataSource(TDataSource *source)
{
    m_link.SetDataSource(source);
    dataChange();
    editingChange();
}

void TDBMemo::SetDataField(const QString &name)
{
    m_link.SetFieldName(name);
}

void TDBMemo::SetReadOnly(bool value)
{
    m_link.SetReadOnly(value);
    editingChange();
}

void TDBMemo::dataChange()
{
    m_loading = true;
    struct Reset
    {
        bool &flag;
        ~Reset() { flag = false; }
    } reset{m_loading};
    TField *f = m_link.Field();
    QString text = f ? f->AsString() : QString();
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    // Reloading the same text would move the cursor the starting key needs.
    if (text != toPlainText()) setPlainText(text);
}

void TDBMemo::editingChange()
{
    setReadOnly(!m_link.Editing());
    // Not editing yet, the cursor still moves with the keys, so the key that
    // starts the edit types where the user put it.
    if (isReadOnly()) setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
}

void TDBMemo::updateData()
{
    QString text = toPlainText();
    text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    m_link.Field()->SetAsString(text);
}

void TDBMemo::UpdateRecord()
{
    try {
        m_link.UpdateRecord();
    } catch (...) {
        selectAll();
        throw;
    }
}

void TDBMemo::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && m_link.Field()) {
        m_link.Reset();
        selectAll();
        event->accept();
        return;
    }
    const QString t = event->text();
    const bool edits = event->matches(QKeySequence::Paste) || event->matches(QKeySequence::Cut)
                       || event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete
                       || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter
                       || (event->key() == Qt::Key_Insert && (event->modifiers() & Qt::ShiftModifier))
                       || (t.size() == 1 && (t[0].isPrint() || t[0] == QLatin1Char('\t')));
    if (edits && !m_link.Edit()) {
        if (t.size() == 1 && t[0].isPrint()) QApplication::beep();
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void TDBMemo::insertFromMimeData(const QMimeData *source)
{
    if (!m_link.Edit()) return;
    QPlainTextEdit::insertFromMimeData(source);
}

void TDBMemo::focusOutEvent(QFocusEvent *event)
{
    QPlainTextEdit::focusOutEvent(event);
    // Another application's window, or a popup, taking the keyboard is no exit.
    if (event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason) return;
    try {
        UpdateRecord();
    } catch (...) {
        exitRefusal::takeFocusBack(this);
        throw;
    }
}

bool TDBMemo::event(QEvent *event)
{
    // Failures of the handlers stop here, not in Qt's dispatch.
    bool handled = true;
    guarded([&] { handled = QPlainTextEdit::event(event); });
    return handled;
}
