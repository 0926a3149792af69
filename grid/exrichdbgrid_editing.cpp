// Editing in the rich grid: keys by the field's kind, check boxes, the
// memo editor (plain or RTF) and the date-time picker.

#include "grid/exrichdbgrid.h"
#include "grid/exrichdbgrid_p.h"

#include "grid/customdbgrid_p.h"

#include "core/datetime.h"
#include "core/exceptions.h"
#include "core/formatsettings.h"
#include "grid/rtftext.h"
#include "data/dataset.h"
#include "data/fieldtypes.h"

#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QCursor>
#include <QDateTimeEdit>
#include <QEnterEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTextCursor>
#include <QTextEdit>
#include <QTimer>
#include <QToolTip>

#include <cmath>

// ---- editing ------------------------------------------------------------------

std::function<void(TExRichDBGrid *grid, TField *field)> &TExRichDBGrid::fieldEditorHook()
{
    static std::function<void(TExRichDBGrid *, TField *)> hook;
    return hook;
}

TExRichDBGrid::CellKind TExRichDBGrid::kindOf(const TField *field) const
{
    if (!field) return CellKind::Text;
    if (isMemo(field)) return m_displayMemo && !m_fullSizeMemo ? CellKind::Memo : CellKind::MemoAsText;
    if (field->DataType() == ftBoolean && m_displayBoolean) return CellKind::Boolean;
    if (isDateTime(field) && m_displayDateTime) return CellKind::DateTime;
    if (field->IsBlob()) return CellKind::Blob;
    return CellKind::Text;
}

bool TExRichDBGrid::cellEditable() const
{
    if (!CanModifyData() || SelectedIndex() >= Columns().Count()) return false;
    const TColumn *column = Columns()[SelectedIndex()];
    TField *field = column->Field();
    return field && !column->ReadOnly && field->CanModify();
}

bool TExRichDBGrid::CanEditShow() const
{
    // Check boxes, memos and dates have editors of their own.
    const CellKind kind = kindOf(SelectedField());
    if (kind != CellKind::Text) return false;
    return TRichDBGrid::CanEditShow();
}

void TExRichDBGrid::keyPressEvent(QKeyEvent *event)
{
    const Qt::KeyboardModifiers mods =
        event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    // A read-only grid, a read-only link or a closed dataset: only the plain
    // grid's keys (moving) act.
    TDataSet *ds = DataSet();
    if (!ds || !CanModifyData()) {
        TRichDBGrid::keyPressEvent(event);
        return;
    }
    if (editKey(event->key(), mods)) {
        event->accept();
        return;
    }
    if (mods == Qt::NoModifier && event->key() == Qt::Key_Down) {
        if (!AllowAutoAppend && untouchedInsert()) {
            // Nothing appends past the end here: the empty row goes.
            ds->Cancel();
            event->accept();
            return;
        }
        const bool wasInsert = ds->State() == DataSetState::Insert;
        TRichDBGrid::keyPressEvent(event);
        keepAppendedRow(wasInsert);
        return;
    }
    // Up brings dgCancelOnExit back: only an appended row the user has not
    // changed goes; a changed one (or an edit) is posted by the move.
    if (mods == Qt::NoModifier && event->key() == Qt::Key_Up && AllowAutoAppend)
        SetOptions(Options() | dgCancelOnExit);
    TRichDBGrid::keyPressEvent(event);
}

void TExRichDBGrid::keepAppendedRow(bool wasInsert)
{
    // A record just appended past the end stays when the user leaves its row.
    TDataSet *ds = DataSet();
    if (AllowAutoAppend && !wasInsert && ds && ds->State() == DataSetState::Insert)
        SetOptions(Options() & ~TDBGridOptions(dgCancelOnExit));
}

bool TExRichDBGrid::editKey(int key, Qt::KeyboardModifiers mods)
{
    TDataSet *ds = DataSet();
    TField *field = SelectedField();
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    if (EditorMode()) return false;
    if (enter && mods == Qt::NoModifier && EnterAsTab) {
        if (!tabsMoveCells()) return false;
        const bool wasInsert = ds->State() == DataSetState::Insert;
        tabToCell(true);
        keepAppendedRow(wasInsert);
        return true;
    }
    if (mods == Qt::ControlModifier && key == Qt::Key_C) {
        if (field) QGuiApplication::clipboard()->setText(field->AsString());
        return true;
    }
    if (mods == Qt::ControlModifier && key == Qt::Key_V) {
        if (field && (ds->State() == DataSetState::Edit || ds->State() == DataSetState::Insert) && cellEditable())
            field->SetAsString(QGuiApplication::clipboard()->text());
        else
            beepHook()();
        return true;
    }
    if (mods == Qt::NoModifier && (key == Qt::Key_Space || enter || key == Qt::Key_F2)
        && !(Options() & dgRowSelect) && cellEditable()) {
        switch (kindOf(field)) {
        case CellKind::Boolean: toggleBoolean(field); return true;
        case CellKind::Memo: return ShowMemoEditor(key != Qt::Key_F2);
        case CellKind::DateTime: return ShowDateTimePicker();
        case CellKind::MemoAsText:
            if (m_displayMemo) return false;
            [[fallthrough]];
        case CellKind::Blob:
            if (!DisplayPopupEditors) return false;
            if (fieldEditorHook()) fieldEditorHook()(this, field);
            return true;
        case CellKind::Text: break;
        }
        return false;
    }
    return false;
}

void TExRichDBGrid::toggleBoolean(TField *field)
{
    if (!dataLink()->Editing() && !dataLink()->Edit()) return;
    bool value = false;
    try {
        value = field->AsBoolean();
    } catch (const std::exception &) {
        field->Clear();
        return;
    }
    field->SetAsBoolean(!value);
}

QRect TExRichDBGrid::ownEditorCell(TField *field)
{
    if (!field || !cellEditable()) return {};
    const QRect cell = CellRect(DataToRawColumn(SelectedIndex()), TitleOffset() + dataLink()->ActiveRecord());
    if (cell.isEmpty()) return {};
    bool allow = true;
    if (OnShowEditor) OnShowEditor(this, field, allow);
    return allow ? cell : QRect();
}

bool TExRichDBGrid::ShowMemoEditor(bool selectAll)
{
    TField *field = SelectedField();
    const QRect cell = field && isMemo(field) ? ownEditorCell(field) : QRect();
    if (cell.isEmpty()) return false;
    prepareMemoEditor(cell.adjusted(2, 2, 0, 0));
    auto *editor = qobject_cast<QTextEdit *>(m_memoEditor.data());
    m_memoField = field;
    m_memoModified = false;
    const QString text = field->AsString();
    m_memoCrLf = text.contains(QLatin1String("\r\n"));
    m_settingEditor = true;
    if (MemoInplaceEditor == TMemoInplaceEditor::RichEdit) RtfToDocument(text, *editor->document());
    else editor->setPlainText(text);
    m_settingEditor = false;
    editor->show();
    editor->raise();
    editor->setFocus(Qt::OtherFocusReason);
    QTextCursor cursor = editor->textCursor();
    if (selectAll) cursor.select(QTextCursor::Document);
    else cursor.movePosition(QTextCursor::End);
    editor->setTextCursor(cursor);
    return true;
}

void TExRichDBGrid::hideMemoEditor(bool write)
{
    auto *editor = qobject_cast<QTextEdit *>(m_memoEditor.data());
    if (!editor) return;
    if (write) writeEditor();
    m_memoModified = false;
    if (!editor->isVisible()) return;
    const bool hadFocus = editor->hasFocus();
    editor->hide();
    if (hadFocus) setFocus(Qt::OtherFocusReason);
}

void TExRichDBGrid::writeEditor()
{
    TRichDBGrid::writeEditor();
    auto *editor = qobject_cast<QTextEdit *>(m_memoEditor.data());
    if (!editor || !m_memoModified || !m_memoField) return;
    QString text = MemoInplaceEditor == TMemoInplaceEditor::RichEdit ? DocumentToRtf(*editor->document())
                                                                      : editor->toPlainText();
    // Texts written with Windows line ends keep them.
    if (m_memoCrLf) text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    m_memoModified = false;
    m_memoField->SetAsString(text);
}

bool TExRichDBGrid::memoKey(QKeyEvent *event)
{
    if (event->key() != Qt::Key_Escape) return false;
    // Escape takes back the record's changes and closes the editor.
    m_memoModified = false;
    TDataSet *ds = DataSet();
    if (ds && (ds->State() == DataSetState::Edit || ds->State() == DataSetState::Insert)) ds->Cancel();
    hideMemoEditor(false);
    return true;
}

namespace {

// The regional pattern ("dd/mm/yyyy", "hh:nn:ss") in Qt's letters.
QString qtPattern(const QString &pattern)
{
    QString out;
    for (const QChar c : pattern) {
        switch (c.toLower().unicode()) {
        case 'm': out += QLatin1Char('M'); break;
        case 'n': out += QLatin1Char('m'); break;
        case 'h': out += QLatin1Char('H'); break;
        case 'd': out += QLatin1Char('d'); break;
        case 'y': out += QLatin1Char('y'); break;
        case 's': out += QLatin1Char('s'); break;
        default: out += c; break;
        }
    }
    return out;
}

} // namespace

bool TExRichDBGrid::ShowDateTimePicker()
{
    TField *field = SelectedField();
    const QRect cell = field && isDateTime(field) ? ownEditorCell(field) : QRect();
    if (cell.isEmpty()) return false;
    m_settingEditor = true;
    prepareDateTimePicker(cell, field);
    m_settingEditor = false;
    m_pickerField = field;
    m_dateTimePicker->show();
    m_dateTimePicker->raise();
    m_dateTimePicker->setFocus(Qt::OtherFocusReason);
    return true;
}

void TExRichDBGrid::pickerChanged(const QDateTime &value)
{
    if (m_settingEditor || !m_pickerField || !m_dateTimePicker->isVisible()) return;
    TDataSet *ds = DataSet();
    if (!ds || !CanModifyData()) return;
    if (!dataLink()->Editing() && !dataLink()->Edit()) return;
    TDateTime stored = fromQDateTime(value);
    if (m_pickerField->DataType() == ftDateTime && !m_pickerField->IsNull()) {
        // The picker shows the day: the time of day stays as it was.
        const TDateTime old = m_pickerField->AsDateTime();
        stored = std::floor(stored) + (old - std::floor(old));
    } else if (m_pickerField->DataType() == ftDate) {
        stored = std::floor(stored);
    } else if (m_pickerField->DataType() == ftTime) {
        stored -= std::floor(stored);
    }
    m_pickerField->SetAsDateTime(stored);
    EditChanged();
}

void TExRichDBGrid::hidePicker()
{
    if (!m_dateTimePicker || !m_dateTimePicker->isVisible()) return;
    const bool hadFocus = m_dateTimePicker->hasFocus();
    m_dateTimePicker->hide();
    if (hadFocus) setFocus(Qt::OtherFocusReason);
}

bool TExRichDBGrid::pickerKey(QKeyEvent *event)
{
    TDataSet *ds = DataSet();
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Tab:
        // The day shown is stored and posted.
        if (ds && CanModifyData()) {
            pickerChanged(m_dateTimePicker->dateTime());
            if (ds->State() == DataSetState::Edit || ds->State() == DataSetState::Insert) ds->Post();
        }
        hidePicker();
        if (event->key() == Qt::Key_Tab && tabsMoveCells()) tabToCell(true);
        return true;
    case Qt::Key_Escape:
        if (ds && (ds->State() == DataSetState::Edit || ds->State() == DataSetState::Insert)) ds->Cancel();
        hidePicker();
        return true;
    default: return false;
    }
}

void TExRichDBGrid::DataChanged()
{
    TRichDBGrid::DataChanged();
    // Another record under the editors: they close, as the text editor does.
    TDataSet *ds = DataSet();
    const bool editing = ds && (ds->State() == DataSetState::Edit || ds->State() == DataSetState::Insert);
    if (!editing && !(Options() & dgAlwaysShowEditor)) {
        if (m_memoEditor && m_memoEditor->isVisible()) hideMemoEditor(false);
        hidePicker();
    }
}

bool TExRichDBGrid::EditorMode() const
{
    return TRichDBGrid::EditorMode() || (m_memoEditor && m_memoEditor->isVisible())
           || (m_dateTimePicker && m_dateTimePicker->isVisible());
}

void TExRichDBGrid::prepareMemoEditor(const QRect &textRect)
{
    auto *editor = qobject_cast<QTextEdit *>(m_memoEditor.data());
    if (!editor) {
        editor = new QTextEdit(viewport());
        editor->setObjectName(QStringLiteral("MemoEditor"));
        editor->setFrameStyle(QFrame::NoFrame);
        editor->hide();
        editor->installEventFilter(this);
        connect(editor, &QTextEdit::textChanged, this, [this] {
            guarded([this] {
                if (m_settingEditor || !m_memoEditor || !m_memoEditor->isVisible()) return;
                // Bound while shown: the first change starts the record's edit.
                if (!m_memoModified && !dataLink()->Editing() && !dataLink()->Edit()) return;
                m_memoModified = true;
                EditChanged();
            });
        });
        m_memoEditor = editor;
    }
    // Switching the kind shows in the next editor: a rich-text one takes formats.
    editor->setAcceptRichText(MemoInplaceEditor == TMemoInplaceEditor::RichEdit);
    const bool wrap = MemoViewType == TMemoViewType::WordWrapOn;
    editor->setLineWrapMode(wrap ? QTextEdit::WidgetWidth : QTextEdit::NoWrap);
    editor->setVerticalScrollBarPolicy(wrap ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded);
    editor->setHorizontalScrollBarPolicy(wrap ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded);
    QPalette pal = editor->palette();
    pal.setColor(QPalette::Base, resolve(m_editColor));
    editor->setPalette(pal);
    editor->setGeometry(textRect.adjusted(-2, -2, 2, 2));
}

void TExRichDBGrid::prepareDateTimePicker(const QRect &rect, TField *field)
{
    if (m_dateTimePicker && m_dateTimePicker->isVisible()) return;   // the user's choice stays
    if (!m_dateTimePicker) {
        m_dateTimePicker = new QDateTimeEdit(viewport());
        m_dateTimePicker->setObjectName(QStringLiteral("DateTimePicker"));
        m_dateTimePicker->hide();
        m_dateTimePicker->installEventFilter(this);
        connect(m_dateTimePicker, &QDateTimeEdit::dateTimeChanged, this,
                [this](const QDateTime &value) { guarded([&] { pickerChanged(value); }); });
    }
    QDateTimeEdit *picker = m_dateTimePicker;
    const bool time = field->DataType() == ftTime;
    const bool guard = m_settingEditor;
    m_settingEditor = true;
    picker->setCalendarPopup(!time);
    const TFormatSettings &fs = TFormatSettings::current();
    picker->setDisplayFormat(qtPattern(time ? fs.longTimeFormat : fs.shortDateFormat));
    // An empty field opens on today.
    if (!field->IsNull()) picker->setDateTime(toQDateTime(field->AsDateTime()));
    else picker->setDateTime(QDateTime(QDate::currentDate(), QTime(0, 0)));
    m_settingEditor = guard;
    picker->setGeometry(rect);
}
