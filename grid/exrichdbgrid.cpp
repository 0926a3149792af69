#include "grid/exrichdbgrid.h"

#include "grid/blobpicture.h"
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

namespace {

// The height a title row never goes below, and the one it returns to.
constexpr int MinTitleHeight = 17;
// Auto size: what a measured width gets on top of the text, and the width
// that stands in for an absurd one.
constexpr int AutoSizePadding = 5;
constexpr int AutoSizeLimit = 32767;
constexpr int AutoSizeFallback = 1024;
// A cut cell text shows a hint unless it is this much narrower than its column.
constexpr int HintSlack = 2;
// Column dragging: the edge zones that scroll, and how often they do.
constexpr int DragEdge = 5;
constexpr int DragScrollMs = 500;
// The standard pointer is 32 pixels; the scroll hint keeps clear of it.
constexpr int HalfCursor = 16;

QString longHint(const QString &hint)
{
    const qsizetype bar = hint.indexOf(QLatin1Char('|'));
    return bar < 0 ? hint : hint.mid(bar + 1);
}

// The index of an indexed table whose fields are exactly this field, or an
// empty name. Tables show their indexes as the built-in sort reads them.
QString indexOnField(TDataSet *ds, const QString &fieldName)
{
    const QMetaObject *mo = ds->metaObject();
    if (mo->indexOfProperty("IndexName") < 0 || mo->indexOfMethod("IndexNames()") < 0
        || mo->indexOfMethod("IndexFieldNames(QString)") < 0)
        return {};
    QStringList names;
    QMetaObject::invokeMethod(ds, "IndexNames", Qt::DirectConnection, Q_RETURN_ARG(QStringList, names));
    for (const QString &name : std::as_const(names)) {
        QString fields;
        QMetaObject::invokeMethod(ds, "IndexFieldNames", Qt::DirectConnection, Q_RETURN_ARG(QString, fields),
                                  Q_ARG(QString, name));
        if (fields.compare(fieldName, Qt::CaseInsensitive) == 0) return name;
    }
    return {};
}

QImage &sharedBackground()
{
    static QImage picture;
    return picture;
}

bool isMemo(const TField *f)
{
    return f->DataType() == ftMemo || f->DataType() == ftFmtMemo;
}

bool isDateTime(const TField *f)
{
    return f->DataType() == ftDate || f->DataType() == ftTime || f->DataType() == ftDateTime;
}

} // namespace

TExRichDBGrid::TExRichDBGrid(QWidget *parent) : TRichDBGrid(parent), m_lockedFont(font())
{
    SetDefaultDrawing(false);
}

TExRichDBGrid::~TExRichDBGrid()
{
    // Tool-tip windows are top-level: they go with the grid, not with its window.
    destroyCellHint();
    delete m_scrollHint;
}

QImage TExRichDBGrid::BackgroundPicture()
{
    return sharedBackground();
}

void TExRichDBGrid::SetBackgroundPicture(const QImage &picture)
{
    sharedBackground() = picture;
}

void TExRichDBGrid::Loaded()
{
    TRichDBGrid::Loaded();
    m_hotTrackRestoreColor = FontColor();
}

void TExRichDBGrid::showEvent(QShowEvent *event)
{
    TRichDBGrid::showEvent(event);
    ApplyLockedCols();
    UpdateTitleHeight();
}

void TExRichDBGrid::changeEvent(QEvent *event)
{
    TRichDBGrid::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        const int h = TextHeight(font());
        if (h > m_singleLineHeight) SetDefaultRowHeight(h);
    }
}

void TExRichDBGrid::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::RightButton && OnRightClick) OnRightClick(this);
    const QPoint pos = event->position().toPoint();
    int col, row;
    MouseCoord(pos, col, row);
    const int dc = RawToDataColumn(col);
    const bool onTitle = TitleOffset() && row == 0 && dc >= 0 && dc < Columns().Count();
    m_leftDrag = false;
    if (event->button() == Qt::LeftButton && onTitle && !TitleButtons() && sizingColumnAt(pos) < 0) {
        if (m_searchMode) {
            if (!hasFocus()) setFocus(Qt::MouseFocusReason);
            openSearch(dc);
            return;
        }
        m_leftDrag = Options() & dgColumnResize;
    }
    TRichDBGrid::mousePressEvent(event);
    if (event->button() != Qt::LeftButton || row < TitleOffset() || dc < 0 || dc >= Columns().Count()
        || SelectedIndex() != dc || !cellEditable()) {
        m_lastClickCell = {-1, -1};
        return;
    }
    // Memo and date-time cells open their editor on the second click on the
    // same cell (the first with dgAlwaysShowEditor); check boxes toggle at once.
    const QPoint cell(col, row);
    TField *field = SelectedField();
    const CellKind kind = kindOf(field);
    if (kind == CellKind::Boolean) {
        m_lastClickCell = {-1, -1};
        toggleBoolean(field);
    } else if (kind == CellKind::Memo || kind == CellKind::DateTime) {
        const bool again = m_lastClickCell == cell;
        m_lastClickCell = cell;
        if (again || (Options() & dgAlwaysShowEditor)) {
            m_lastClickCell = {-1, -1};
            if (kind == CellKind::Memo) ShowMemoEditor(false);
            else ShowDateTimePicker();
        }
    } else {
        m_lastClickCell = {-1, -1};
    }
}

// ---- heights ------------------------------------------------------------------

void TExRichDBGrid::SetDefaultRowHeight(int value)
{
    if (value <= 0) return;
    if (!m_multiLineRows) m_singleLineHeight = value;
    TRichDBGrid::SetDefaultRowHeight(m_multiLineRows ? m_singleLineHeight * m_linesPerRow : value);
    UpdateTitleHeight();
}

void TExRichDBGrid::UpdateTitleHeight()
{
    if (!(Options() & dgTitles)) return;
    if (!m_multiLineTitles) {
        SetTitleRowHeight(TextHeight(TitleFont()) + 4);
        return;
    }
    int height = 0;
    for (int i = 0; i < Columns().Count(); ++i) {
        const TColumn *c = Columns()[i];
        if (!c->Visible()) continue;
        const QFontMetrics fm(c->Title()->Font());
        const QRect r = fm.boundingRect(QRect(0, 0, qMax(1, c->Width() - 1), 100000),
                                        int(Qt::TextWordWrap | c->Title()->Alignment()), c->Title()->Caption());
        height = qMax(height, r.height());
    }
    height += Options() & dgRowLines ? 3 : 2;
    SetTitleRowHeight(qMax(MinTitleHeight, height));
}

void TExRichDBGrid::SetMultiLineTitles(bool value)
{
    if (m_multiLineTitles == value) return;
    m_multiLineTitles = value;
    if (value) UpdateTitleHeight();
    else SetTitleRowHeight(MinTitleHeight);
    viewport()->update();
}

void TExRichDBGrid::SetMultiLineRows(bool value)
{
    if (m_multiLineRows == value) return;
    m_multiLineRows = value;
    if (value) {
        m_rowSizingAllowed = false;
        SetRowSizing(false);
    }
    TRichDBGrid::SetDefaultRowHeight(value ? m_singleLineHeight * m_linesPerRow : m_singleLineHeight);
}

void TExRichDBGrid::SetLinesPerRow(int value)
{
    value = qMax(1, value);
    if (m_linesPerRow == value) return;
    m_linesPerRow = value;
    if (m_multiLineRows) TRichDBGrid::SetDefaultRowHeight(m_singleLineHeight * m_linesPerRow);
}

void TExRichDBGrid::SetRowSizingAllowed(bool value)
{
    m_rowSizingAllowed = value;
    // Only setting it touches the plain options; a new grid keeps its own.
    SetBaseOptions(BaseOptions() | goColSizing | goColMoving | goRowMoving | goTabs | goThumbTracking
                   | goDrawFocusSelected);
    SetRowSizing(value);
    if (value && m_multiLineRows) {
        m_multiLineRows = false;
        TRichDBGrid::SetDefaultRowHeight(m_singleLineHeight);
    }
}

// ---- automatic column widths ------------------------------------------------

void TExRichDBGrid::SetGridAutoSize(bool value)
{
    const bool was = m_gridAutoSize;
    m_gridAutoSize = value;
    if (value) {
        m_gridAutoWidth = false;
        AutoSizeColumns();
    } else if (was) {
        Columns().BeginUpdate();
        for (int i = 0; i < Columns().Count(); ++i) Columns()[i]->RestoreDefaultWidth();
        Columns().EndUpdate();
    }
}

void TExRichDBGrid::SetGridAutoWidth(bool value)
{
    const bool was = m_gridAutoWidth;
    m_gridAutoWidth = value;
    if (value) {
        m_gridAutoSize = false;
        AutoWidthColumns();
    } else if (was) {
        // Measuring and then switching auto size off ends at the default
        // widths; the measuring is skipped.
        Columns().BeginUpdate();
        for (int i = 0; i < Columns().Count(); ++i) Columns()[i]->RestoreDefaultWidth();
        Columns().EndUpdate();
    }
}

void TExRichDBGrid::SetGridAutoWidthDisplay(TGridAutoWidthDisplay value)
{
    if (m_autoWidthDisplay == value) return;
    m_autoWidthDisplay = value;
    if (m_gridAutoWidth) AutoWidthColumns();
}

void TExRichDBGrid::AutoSizeColumns()
{
    TDataSet *ds = DataSet();
    if (!ds) return;
    // Walking the records would post a pending edit and lose the user's place.
    if (ds->State() == DataSetState::Edit || ds->State() == DataSetState::Insert) return;
    const int count = Columns().Count();
    QList<int> widths(count, 0);
    for (int i = 0; i < count; ++i) {
        const TColumn *c = Columns()[i];
        if (Options() & dgTitles)
            widths[i] = QFontMetrics(c->Title()->Font()).horizontalAdvance(c->Title()->Caption());
    }
    const TBookmark here = ds->GetBookmark();
    ds->DisableControls();
    try {
        ds->First();
        for (int row = 0; row < VisibleRowCount() && !ds->Eof(); ++row) {
            for (int i = 0; i < count; ++i) {
                const TColumn *c = Columns()[i];
                TField *f = c->Field();
                if (!f || f->IsNull()) continue;
                const QString text = isMemo(f) && m_fullSizeMemo ? f->AsString() : f->DisplayText();
                widths[i] = qMax(widths[i], QFontMetrics(c->Font()).horizontalAdvance(text));
            }
            ds->Next();
        }
        // Back to the record the user was on, not to the first one.
        if (!here.isEmpty() && ds->BookmarkValid(here)) ds->GotoBookmark(here);
        else ds->First();
    } catch (...) {
        ds->EnableControls();
        throw;
    }
    ds->EnableControls();
    Columns().BeginUpdate();
    for (int i = 0; i < count; ++i) {
        const int w = widths[i] + GridLineWidth + AutoSizePadding;
        Columns()[i]->SetWidth(w > AutoSizeLimit ? AutoSizeFallback : w);
    }
    Columns().EndUpdate();
}

void TExRichDBGrid::AutoWidthColumns()
{
    const int lw = Options() & dgColLines ? GridLineWidth : 0;
    const int count = Columns().Count();
    const int fixedCount = qMin(FixedCols(), count);
    int fixedWidth = Options() & dgIndicator ? IndicatorWidth() + lw : 0;
    QList<TColumn *> shared;
    for (int i = 0; i < count; ++i) {
        TColumn *c = Columns()[i];
        if (!c->Visible()) continue;
        if (i < fixedCount) fixedWidth += c->Width() + lw;
        else shared.append(c);
    }
    if (shared.isEmpty()) return;
    // The fixed columns keep theirs; the others share what is left, never
    // less than nothing.
    const int available = qMax(0, viewport()->width() - fixedWidth);
    const int n = int(shared.size());
    QList<int> widths(n);
    if (m_autoWidthDisplay == TGridAutoWidthDisplay::Uniform) {
        const int share = available / n;
        for (int i = 0; i < n - 1; ++i) widths[i] = share - lw;
    } else {
        double sum = 0;
        for (const TColumn *c : std::as_const(shared)) sum += c->Width() + lw;
        for (int i = 0; i < n - 1; ++i)
            widths[i] = sum > 0 ? qRound(shared[i]->Width() / sum * available) : available / n - lw;
    }
    int used = 0;
    for (int i = 0; i < n - 1; ++i) {
        widths[i] = qMax(0, widths[i]);
        used += widths[i] + lw;
    }
    widths[n - 1] = qMax(0, available - used - lw);
    Columns().BeginUpdate();
    for (int i = 0; i < n; ++i) shared[i]->SetWidth(widths[i]);
    Columns().EndUpdate();
}

void TExRichDBGrid::applyAutoLayout()
{
    if (m_applyingAuto || (!m_gridAutoSize && !m_gridAutoWidth)) return;
    m_applyingAuto = true;
    try {
        if (m_gridAutoSize) AutoSizeColumns();
        else AutoWidthColumns();
    } catch (const std::exception &) {
        // A failed re-measure keeps the widths it had; the user is resizing.
    }
    m_applyingAuto = false;
}

void TExRichDBGrid::resizeEvent(QResizeEvent *event)
{
    TRichDBGrid::resizeEvent(event);
    applyAutoLayout();
}

// ---- hints and hot tracking ---------------------------------------------------

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
        // The appended record stays when the user leaves its row.
        if (AllowAutoAppend && !wasInsert && ds->State() == DataSetState::Insert)
            SetOptions(Options() & ~TDBGridOptions(dgCancelOnExit));
        return;
    }
    // Up brings dgCancelOnExit back: only an appended row the user has not
    // changed goes; a changed one (or an edit) is posted by the move.
    if (mods == Qt::NoModifier && event->key() == Qt::Key_Up && AllowAutoAppend)
        SetOptions(Options() | dgCancelOnExit);
    TRichDBGrid::keyPressEvent(event);
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
        if (AllowAutoAppend && !wasInsert && ds->State() == DataSetState::Insert)
            SetOptions(Options() & ~TDBGridOptions(dgCancelOnExit));
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

bool TExRichDBGrid::ShowMemoEditor(bool selectAll)
{
    TField *field = SelectedField();
    if (!field || !isMemo(field) || !cellEditable()) return false;
    const QRect cell = CellRect(DataToRawColumn(SelectedIndex()), TitleOffset() + dataLink()->ActiveRecord());
    if (cell.isEmpty()) return false;
    bool allow = true;
    if (OnShowEditor) OnShowEditor(this, field, allow);
    if (!allow) return false;
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
    if (!field || !isDateTime(field) || !cellEditable()) return false;
    const QRect cell = CellRect(DataToRawColumn(SelectedIndex()), TitleOffset() + dataLink()->ActiveRecord());
    if (cell.isEmpty()) return false;
    bool allow = true;
    if (OnShowEditor) OnShowEditor(this, field, allow);
    if (!allow) return false;
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

QLabel *TExRichDBGrid::makeHintWindow()
{
    // A tool-tip window: shown without taking the activation from the grid's
    // window, and letting the pointer through, since it lies over the cell
    // under the pointer (the grid would get a leave and close it at once).
    auto *hint = new QLabel(nullptr, Qt::ToolTip | Qt::BypassGraphicsProxyWidget | Qt::WindowTransparentForInput);
    hint->setAttribute(Qt::WA_ShowWithoutActivating);
    hint->setAttribute(Qt::WA_TransparentForMouseEvents);
    hint->setPalette(QToolTip::palette());
    hint->setFont(font());
    hint->setFrameStyle(QFrame::Box | QFrame::Plain);
    hint->setMargin(1);
    hint->setTextFormat(Qt::PlainText);
    hint->installEventFilter(this);
    return hint;
}

bool TExRichDBGrid::overCellHint() const
{
    return m_cellHint && m_cellHint->isVisible() && m_cellHint->geometry().contains(QCursor::pos());
}

void TExRichDBGrid::pointerLeft()
{
    if (m_hotTrack) SetFontColor(m_hotTrackRestoreColor);
    destroyCellHint();
}

void TExRichDBGrid::destroyCellHint()
{
    // Unwatched first: a dying window still sends events to its filters.
    if (!m_cellHint) return;
    QLabel *hint = m_cellHint;
    m_cellHint = nullptr;
    hint->removeEventFilter(this);
    delete hint;
}

// Where the window system does not let the pointer through the cell hint,
// what reaches the hint is the grid's: the hint lies over the cell itself.
bool TExRichDBGrid::forwardFromHint(QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseMove:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick: {
        auto *e = static_cast<QMouseEvent *>(event);
        const QPointF global = e->globalPosition();
        QMouseEvent copy(e->type(), viewport()->mapFromGlobal(global), global, e->button(), e->buttons(),
                         e->modifiers());
        QCoreApplication::sendEvent(viewport(), &copy);
        return true;
    }
    case QEvent::Wheel: {
        auto *e = static_cast<QWheelEvent *>(event);
        const QPointF global = e->globalPosition();
        QWheelEvent copy(viewport()->mapFromGlobal(global), global, e->pixelDelta(), e->angleDelta(), e->buttons(),
                         e->modifiers(), e->phase(), e->inverted());
        QCoreApplication::sendEvent(viewport(), &copy);
        return true;
    }
    case QEvent::Leave:
        if (!rect().contains(mapFromGlobal(QCursor::pos()))) QTimer::singleShot(0, this, [this] { pointerLeft(); });
        return false;
    default: return false;
    }
}

void TExRichDBGrid::SetCellHints(bool value)
{
    m_cellHints = value;
    if (!value) hideCellHint();
}

void TExRichDBGrid::hideCellHint()
{
    if (m_cellHint) m_cellHint->hide();
}

void TExRichDBGrid::updateCellHint(const QPoint &pos)
{
    int col, row;
    MouseCoord(pos, col, row);
    const int dc = RawToDataColumn(col);
    const int dataRow = row - TitleOffset();
    TDataSet *ds = DataSet();
    if (!ds || dc < 0 || dc >= Columns().Count() || row < TitleOffset() || dataRow >= dataLink()->RecordCount()) {
        hideCellHint();
        return;
    }
    TColumn *column = Columns()[dc];
    TField *field = column->Field();
    QString text;
    if (field) {
        const int active = dataLink()->ActiveRecord();
        dataLink()->SetActiveRecord(dataRow);
        try {
            text = field->AsString();
        } catch (const std::exception &) {
            text = field->DisplayText();
        }
        dataLink()->SetActiveRecord(active);
    }
    if (text.isEmpty() || QFontMetrics(font()).horizontalAdvance(text) <= column->Width() - HintSlack
        || EditorMode()) {
        hideCellHint();
        return;
    }
    Hint = text + QLatin1Char('|') + longHint(Hint);
    if (!m_cellHint) m_cellHint = makeHintWindow();
    QLabel *hint = m_cellHint;
    hint->setText(text);
    const QRect cell = CellRect(col, row);
    QRect r(viewport()->mapToGlobal(cell.topLeft()) - QPoint(1, 1), hint->sizeHint());
    if (const QScreen *screen = this->screen()) {
        const QRect area = screen->geometry();
        if (r.right() > area.right()) r.moveLeft(r.left() - (r.right() - area.right()));
        if (r.bottom() > area.bottom()) r.moveTop(r.top() - (r.bottom() - area.bottom()));
    }
    if (hint->isVisible() && hint->geometry() == r) return;
    hint->setGeometry(r);
    hint->show();
}

void TExRichDBGrid::mouseMoveEvent(QMouseEvent *event)
{
    TRichDBGrid::mouseMoveEvent(event);
    if (m_cellHints) {
        try {
            updateCellHint(event->position().toPoint());
        } catch (const std::exception &) {
        }
    }
}

void TExRichDBGrid::enterEvent(QEnterEvent *event)
{
    TRichDBGrid::enterEvent(event);
    if (m_hotTrack) SetFontColor(HotTrackColor);
    if (m_cellHints) {
        try {
            updateCellHint(viewport()->mapFromGlobal(event->globalPosition().toPoint()));
        } catch (const std::exception &) {
        }
    }
}

void TExRichDBGrid::leaveEvent(QEvent *event)
{
    TRichDBGrid::leaveEvent(event);
    // Showing the hint over the pointer takes the pointer from the grid on
    // some window systems: that is no leaving.
    if (overCellHint()) return;
    pointerLeft();
}

void TExRichDBGrid::SetHotTrack(bool value)
{
    if (m_hotTrack == value) return;
    m_hotTrack = value;
    if (!value) SetFontColor(m_hotTrackRestoreColor);
}

void TExRichDBGrid::SetScrollHints(bool value)
{
    m_scrollHints = value;
    if (!value && m_scrollHint) m_scrollHint->hide();
}

void TExRichDBGrid::ThumbDragged(int position)
{
    TDataSet *ds = DataSet();
    if (!m_scrollHints || !ds || !verticalScrollBar()->isSliderDown()) return;
    const int count = ds->RecordCount();
    // Only a bar of record numbers says which record the thumb is on.
    if (count <= 0 || verticalScrollBar()->maximum() != count - 1) return;
    if (!m_scrollHint) m_scrollHint = makeHintWindow();
    m_scrollHint->setText(QStringLiteral(" %1 of %2 ").arg(position + 1).arg(count));
    m_scrollHint->adjustSize();
    m_scrollHint->move(QCursor::pos() + QPoint(HalfCursor, HalfCursor));
    m_scrollHint->show();
}

void TExRichDBGrid::ThumbReleased()
{
    if (m_scrollHint) m_scrollHint->hide();
}

// ---- column dragging ----------------------------------------------------------

int TExRichDBGrid::columnDropTarget(const QPoint &pos) const
{
    if (!m_leftDrag) return TRichDBGrid::columnDropTarget(pos);
    int col, row;
    MouseCoord(pos, col, row);
    const int count = Columns().Count();
    const int firstFree = DataToRawColumn(qMin(FixedCols(), count));
    if (col < 0) return pos.x() < 0 ? firstFree : DataToRawColumn(count - 1);
    return col < firstFree ? firstFree : col;
}

void TExRichDBGrid::ColumnDragMoved(const QPoint &pos)
{
    if (!m_leftDrag) return;
    const int moving = movingColumn();
    const QRect title = CellRect(moving, 0);
    if (!m_dragImage) {
        m_dragImage = new QLabel(viewport());
        m_dragImage->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    if (!m_dragImage->isVisible() && !title.isEmpty()) {
        QPixmap raised(title.size());
        raised.fill(Qt::transparent);
        {
            QPainter p(&raised);
            paintTitleButton(p, RawToDataColumn(moving), QRect(QPoint(0, 0), title.size()), false);
        }
        QPixmap image(title.size());
        image.fill(Qt::transparent);
        QPainter p(&image);
        if (MaskedColumnDrag) p.setOpacity(0.6);
        p.drawPixmap(0, 0, raised);
        p.end();
        m_dragImage->setPixmap(image);
        m_dragImage->resize(title.size());
        m_dragGrab = pos.x() - title.left();
        m_dragImage->show();
        m_dragImage->raise();
    }
    m_dragImage->move(pos.x() - m_dragGrab, title.isEmpty() ? 0 : title.top());

    const int step = pos.x() < DragEdge ? -1 : pos.x() >= viewport()->width() - DragEdge ? 1 : 0;
    m_dragStep = step;
    if (!m_dragTimer) {
        m_dragTimer = new QTimer(this);
        m_dragTimer->setInterval(DragScrollMs);
        connect(m_dragTimer, &QTimer::timeout, this, [this] { guarded([this] { dragScrollTick(); }); });
    }
    if (step == 0) m_dragTimer->stop();
    else if (!m_dragTimer->isActive()) m_dragTimer->start();
}

void TExRichDBGrid::dragScrollTick()
{
    if (!m_leftDrag || m_dragStep == 0) {
        if (m_dragTimer) m_dragTimer->stop();
        return;
    }
    SetLeftCol(LeftCol() + m_dragStep);
}

void TExRichDBGrid::ColumnDragEnded()
{
    if (m_dragTimer) m_dragTimer->stop();
    if (m_dragImage) m_dragImage->hide();
    m_dragStep = 0;
    m_leftDrag = false;
}

// ---- search box ---------------------------------------------------------------

void TExRichDBGrid::SetSearchMode(bool value)
{
    m_searchMode = value;
    if (!value && m_searchBox) m_searchBox->hide();
}

void TExRichDBGrid::openSearch(int dataCol)
{
    TDataSet *ds = DataSet();
    TField *field = dataCol < Columns().Count() ? Columns()[dataCol]->Field() : nullptr;
    if (!ds || !field) return;
    const QString index = indexOnField(ds, field->FieldName);
    if (index.isEmpty()) return;
    if (ds->property("IndexName").toString().compare(index, Qt::CaseInsensitive) != 0)
        ds->setProperty("IndexName", index);
    ds->First();
    if (!m_searchBox) {
        m_searchBox = new QLineEdit(viewport());
        m_searchBox->setFrame(false);
        m_searchBox->installEventFilter(this);
        connect(m_searchBox, &QLineEdit::textEdited, this, [this](const QString &text) {
            guarded([&] {
                TDataSet *ds = DataSet();
                if (!ds) return;
                if (text.isEmpty()) ds->First();
                else
                    ds->Locate(m_searchField, text,
                               int(TLocateOption::PartialKey) | int(TLocateOption::CaseInsensitive));
            });
        });
    }
    QPalette pal = m_searchBox->palette();
    pal.setColor(QPalette::Base, resolve(m_editColor));
    m_searchBox->setPalette(pal);
    m_searchBox->setFont(Columns()[dataCol]->Title()->Font());
    m_searchField = field->FieldName;
    m_searchBox->setGeometry(CellRect(DataToRawColumn(dataCol), 0));
    m_searchBox->clear();
    m_searchBox->show();
    m_searchBox->setFocus(Qt::OtherFocusReason);
}

bool TExRichDBGrid::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_cellHint && m_cellHint) return forwardFromHint(event);
    if (m_memoEditor && watched == m_memoEditor) {
        if (event->type() == QEvent::KeyPress) {
            bool handled = false;
            guarded([&] { handled = memoKey(static_cast<QKeyEvent *>(event)); });
            if (handled) return true;
        } else if (event->type() == QEvent::FocusOut
                   && static_cast<QFocusEvent *>(event)->reason() != Qt::PopupFocusReason) {
            // Losing the focus closes the editor; its text stays in the record.
            guarded([&] { hideMemoEditor(true); });
        }
    }
    if (m_dateTimePicker && watched == m_dateTimePicker) {
        if (event->type() == QEvent::KeyPress) {
            bool handled = false;
            guarded([&] { handled = pickerKey(static_cast<QKeyEvent *>(event)); });
            if (handled) return true;
        } else if (event->type() == QEvent::FocusOut) {
            // Its own calendar takes the focus for a moment: that is no leaving.
            // A real loss closes it and keeps the picked day in the record.
            const auto reason = static_cast<QFocusEvent *>(event)->reason();
            QWidget *to = QApplication::focusWidget();
            if (reason != Qt::PopupFocusReason && !(to && m_dateTimePicker->isAncestorOf(to)))
                QTimer::singleShot(0, this, [this] {
                    QWidget *now = QApplication::focusWidget();
                    if (m_dateTimePicker && !(now && (now == m_dateTimePicker || m_dateTimePicker->isAncestorOf(now))))
                        hidePicker();
                });
        }
    }
    if (watched == m_searchBox) {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) {
                m_searchBox->hide();
                setFocus(Qt::OtherFocusReason);
                return true;
            }
        } else if (event->type() == QEvent::FocusOut) {
            m_searchBox->hide();
        }
    }
    return TRichDBGrid::eventFilter(watched, event);
}

void TExRichDBGrid::SetCells3D(bool value)
{
    if (m_cells3D == value) return;
    m_cells3D = value;
    ApplyLockedCols();
    viewport()->update();
}

// ---- locked columns -----------------------------------------------------------

void TExRichDBGrid::SetLockedCols(int value)
{
    m_lockedCols = qMax(0, value);
    ApplyLockedCols();
}

void TExRichDBGrid::SetLockedFont(const QFont &font)
{
    m_lockedFont = font;
    ApplyLockedCols();
}

void TExRichDBGrid::SetLockedColor(TColor value)
{
    m_lockedColor = value;
    ApplyLockedCols();
}

void TExRichDBGrid::ApplyLockedCols()
{
    if (m_applyingLocks) return;
    m_applyingLocks = true;
    Columns().BeginUpdate();
    const int count = Columns().Count();
    for (int i = 0; i < count; ++i) {
        TColumn *c = Columns()[i];
        c->SetFont(font());
        c->SetColor(m_cells3D ? FixedColor() : Color());
    }
    if (m_lockedCols != 0 && m_lockedCols < count - 1) {
        // Without the indicator the platform fixed one column less than it coloured.
        SetFixedCols(Options() & dgIndicator ? m_lockedCols : m_lockedCols - 1);
        for (int i = 0; i < m_lockedCols; ++i) {
            Columns()[i]->SetFont(m_lockedFont);
            Columns()[i]->SetColor(m_lockedColor);
        }
    } else if (m_lockedCols == 0) {
        SetFixedCols(0);
    }
    Columns().EndUpdate();
    m_applyingLocks = false;
}

void TExRichDBGrid::LinkActive(bool value)
{
    TRichDBGrid::LinkActive(value);
    if (!value) {
        hideCellHint();
        if (m_searchBox) m_searchBox->hide();
        return;
    }
    ApplyLockedCols();
    UpdateTitleHeight();
    applyAutoLayout();
}

void TExRichDBGrid::LayoutChanged()
{
    if (m_multiLineTitles) UpdateTitleHeight();
    TRichDBGrid::LayoutChanged();
}

void TExRichDBGrid::ColWidthsChanged(int dataCol)
{
    ApplyLockedCols();
    if (m_multiLineTitles) UpdateTitleHeight();
    if (OnColumnWidthChanged) OnColumnWidthChanged(this, dataCol);
}

void TExRichDBGrid::TitleBtnClick(int dataCol, TField *field)
{
    ApplyLockedCols();
    TRichDBGrid::TitleBtnClick(dataCol, field);
}

// ---- painting -----------------------------------------------------------------

void TExRichDBGrid::paintEvent(QPaintEvent *event)
{
    // Grey grids turn white without 3-D cells, white ones grey with them.
    if (!m_cells3D) {
        if (Color() == clBtnFace || Color() == clSilver) SetColor(clWindow);
    } else if ((Options() & dgColLines) && (Options() & dgRowLines)) {
        if (Color() == clWhite || Color() == clWindow) SetColor(FixedColor());
    }
    TRichDBGrid::paintEvent(event);
}

void TExRichDBGrid::DrawCell(QPainter &painter, int col, int row, const QRect &rect, TGridDrawState state)
{
    if (!DataLinkActive() && !m_showTitlesWhenInactive) {
        painter.fillRect(rect, resolve(Color()));
        return;
    }
    TRichDBGrid::DrawCell(painter, col, row, rect, state);
    const bool title = row < TitleOffset();
    const bool indicator = RawToDataColumn(col) < 0;
    if (m_cells3D && (Options() & dgColLines) && (Options() & dgRowLines)
        && !(title && m_boldTitles3D) && !(indicator && !title && m_boldIndicators3D)) {
        const QColor light = resolve(clHighlightText);
        painter.fillRect(QRect(rect.left(), rect.top(), rect.width(), 1), light);
        painter.fillRect(QRect(rect.left(), rect.top(), 1, rect.height()), light);
        const QColor inner = resolve(FixedColor());
        const QColor outer = resolve(clBtnShadow);
        painter.fillRect(QRect(rect.left() + 1, rect.bottom() - 1, rect.width() - 1, 1), inner);
        painter.fillRect(QRect(rect.right() - 1, rect.top() + 1, 1, rect.height() - 1), inner);
        painter.fillRect(QRect(rect.left(), rect.bottom(), rect.width(), 1), outer);
        painter.fillRect(QRect(rect.right(), rect.top(), 1, rect.height()), outer);
    }
    if (m_titleCheck && title && indicator) {
        const QPoint c = rect.center();
        const int x = qMax(rect.left() + 1, c.x() - 7);
        const int y = c.y() + (rect.bottom() - c.y()) / 2;
        const QPoint mark[3] = {{x, y}, {qMin(rect.right(), x + 7), y}, {x + 3, rect.bottom()}};
        painter.setPen(Qt::black);
        painter.setBrush(Qt::black);
        painter.drawPolygon(mark, 3);
    }
}

void TExRichDBGrid::DrawTitleCaption(QPainter &painter, const QRect &textRect, const TColumnTitle *title)
{
    if (!m_multiLineTitles) {
        TRichDBGrid::DrawTitleCaption(painter, textRect, title);
        return;
    }
    const QRect r = textRect.adjusted(2, 2, -2, -2);
    const int align = int(title->Alignment() & Qt::AlignHorizontal_Mask) | Qt::AlignTop;
    if (m_showTitleEllipsis) {
        const QString text = QFontMetrics(painter.font()).elidedText(title->Caption(), Qt::ElideRight, r.width());
        painter.drawText(r, align | Qt::TextSingleLine, text);
    } else {
        painter.drawText(r, align | Qt::TextWordWrap, title->Caption());
    }
}

QColor TExRichDBGrid::rowColor(int ordinal) const
{
    QColor c1 = resolve(m_rowColor1);
    const QColor c2 = resolve(m_rowColor2);
    // A theme whose button face is its window colour would hide the stripes.
    if (c1 == c2 && m_rowColor1 != m_rowColor2) c1 = c1.darker(110);
    return ordinal % 2 ? c1 : c2;
}

void TExRichDBGrid::DrawColumnCell(TGridCanvas &canvas, const QRect &rect, int dataCol, TColumn *column,
                                   TGridDrawState state)
{
    if (column->FieldName().isEmpty()) return;
    TField *field = column->Field();
    QPainter &p = *canvas.Painter;
    const bool selected = state & gdSelected;
    const bool focused = state & gdFocused;
    const bool fixed = state & gdFixed;

    p.fillRect(rect, canvas.Brush);
    bool transparent = false;
    if (m_useRowColors && !selected && !fixed) {
        // The ordinal counts screen rows: the colours stay put while records scroll.
        canvas.Brush = rowColor(rect.top() / (rect.height() + 1));
        p.fillRect(rect, canvas.Brush);
    } else if (m_useBackgroundPicture && !selected && !fixed && !sharedBackground().isNull()) {
        p.drawImage(rect, sharedBackground(), rect);
        transparent = true;
    }
    if ((focused || selected) && !fixed) {
        canvas.Brush = resolve(m_highlightColor);
        canvas.FontColor = resolve(m_highlightFontColor);
        p.fillRect(rect, canvas.Brush);
        transparent = false;
    }
    if (!selected && !fixed && field && OnApplyCellAttribute) {
        const QColor before = canvas.Brush;
        OnApplyCellAttribute(this, field, canvas, state);
        if (canvas.Brush != before) {
            p.fillRect(rect, canvas.Brush);
            transparent = false;
        }
    }
    Q_UNUSED(transparent);   // text is never drawn opaque, so a picture shows through
    if (field) paintValue(canvas, rect, field, column, state);

    if (!m_cells3D && m_drawFocusRect) {
        const bool rowSelect = Options() & dgRowSelect;
        auto focusRect = [&] {
            p.setPen(QPen(canvas.FontColor, 1, Qt::DotLine));
            p.setBrush(Qt::NoBrush);
            p.drawRect(rect.adjusted(0, 0, -1, -1));
        };
        if (!(Options() & dgAlwaysShowSelection)) {
            if (!focused && !selected && !rowSelect) {
                p.setPen(QColor(Qt::yellow));
                p.setBrush(Qt::NoBrush);
                p.drawRect(rect.adjusted(0, 0, -1, -1));
            }
            if (focused && !rowSelect) focusRect();
        } else if (selected && !rowSelect) {
            focusRect();
        }
    }
    TRichDBGrid::DrawColumnCell(canvas, rect, dataCol, column, state);
}

void TExRichDBGrid::drawText(QPainter &painter, const QRect &textRect, const QString &text, Qt::Alignment alignment)
{
    const int align = int(alignment & Qt::AlignHorizontal_Mask) | Qt::AlignTop;
    if (m_showTextEllipsis) {
        const QString elided = QFontMetrics(painter.font()).elidedText(text, Qt::ElideRight, textRect.width());
        painter.drawText(textRect, align | Qt::TextSingleLine, elided);
    } else {
        painter.drawText(textRect, align | Qt::TextWordWrap, text);
    }
}

void TExRichDBGrid::paintValue(TGridCanvas &canvas, const QRect &rect, TField *field, TColumn *column,
                               TGridDrawState state)
{
    QPainter &p = *canvas.Painter;
    p.setFont(canvas.Font);
    p.setPen(canvas.FontColor);
    const QRect textRect = rect.adjusted(2, 2, -2, 0);
    const bool focused = state & gdFocused;
    const bool selected = state & gdSelected;

    if (isMemo(field)) {
        if (!m_displayMemo) {
            drawText(p, textRect, field->DisplayText(), Qt::AlignHCenter);
            return;
        }
        const QRect memoRect = rect.adjusted(2, 2, 0, 0);
        drawText(p, memoRect, field->AsString(), Qt::AlignLeft);
        if (focused) prepareMemoEditor(memoRect);
        return;
    }
    if (field->DataType() == ftBoolean) {
        if (m_displayBoolean) paintCheckBox(p, rect, field->AsBoolean());
        else drawText(p, textRect, field->DisplayText(), field->Alignment);
        return;
    }
    if (isDateTime(field)) {
        if (!m_displayDateTime) {
            drawText(p, textRect, field->DisplayText(), Qt::AlignHCenter);
            return;
        }
        // The plain value: a display format meant for reports does not apply here.
        drawText(p, textRect, field->AsString(), Qt::AlignLeft);
        if (focused) prepareDateTimePicker(rect, field);
        return;
    }
    if (field->IsBlob()) {
        if (m_displayImages) {
            if (focused || selected) p.fillRect(rect, resolve(m_imageHighlightColor));
            if (paintPicture(p, rect, field)) return;
            if (focused || selected) {
                p.fillRect(rect, resolve(m_highlightColor));
                p.setPen(resolve(m_highlightFontColor));
            }
        }
        drawText(p, textRect, field->DisplayText(), Qt::AlignHCenter);
        return;
    }
    drawText(p, textRect, field->DisplayText(), column->Alignment());
}

QSize TExRichDBGrid::CheckBoxSize() const
{
    if (!m_checkBoxSize.isValid())
        m_checkBoxSize = QSize(style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, this),
                               style()->pixelMetric(QStyle::PM_IndicatorHeight, nullptr, this));
    return m_checkBoxSize;
}

void TExRichDBGrid::paintCheckBox(QPainter &painter, const QRect &rect, bool checked)
{
    const QSize size = CheckBoxSize();
    const QRect box(rect.left() + (rect.width() - size.width()) / 2, rect.top() + (rect.height() - size.height()) / 2,
                    size.width(), size.height());
    if (!m_flatCheckBox) {
        QStyleOptionButton option;
        option.initFrom(this);
        option.rect = box;
        option.state |= checked ? QStyle::State_On : QStyle::State_Off;
        style()->drawPrimitive(QStyle::PE_IndicatorCheckBox, &option, &painter, this);
        return;
    }
    painter.save();
    painter.setClipRect(box, Qt::IntersectClip);
    painter.fillRect(box, resolve(clWindow));
    const int frame = m_flatCheckBoxType == TFlatCheckBoxType::Bold ? 2 : 1;
    painter.setPen(QPen(m_flatCheckBoxType == TFlatCheckBoxType::Normal ? QColor(128, 128, 128) : QColor(Qt::black),
                        frame));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(box).adjusted(frame / 2.0, frame / 2.0, -frame / 2.0, -frame / 2.0));
    if (checked) {
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(resolve(clWindowText), 2));
        const QRectF in = QRectF(box).adjusted(3, 3, -3, -3);
        const QPointF tick[3] = {{in.left(), in.center().y()},
                                 {in.left() + in.width() * 0.4, in.bottom()},
                                 {in.right(), in.top()}};
        painter.drawPolyline(tick, 3);
    }
    painter.restore();
}

bool TExRichDBGrid::paintPicture(QPainter &painter, const QRect &rect, TField *field)
{
    auto *blob = qobject_cast<TBlobField *>(field);
    if (!blob || blob->IsNull()) return false;
    const QImage image = LoadBlobPicture(blob->AsBytes());
    if (image.isNull()) return false;
    const QRect target = FitPicture(rect, image.size());
    if (target.isEmpty()) return false;
    painter.drawImage(target, image);
    return true;
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
