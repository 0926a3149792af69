// The grid's optional extras: automatic column widths, cell and scroll
// hints, hot tracking, the left-button column drag and the search box.

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

namespace {

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

} // namespace

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
    // Looked up once: every record on screen is measured with them.
    QList<QFontMetrics> metrics;
    QList<TField *> fields;
    for (int i = 0; i < count; ++i) {
        const TColumn *c = Columns()[i];
        metrics.append(QFontMetrics(c->Font()));
        fields.append(c->Field());
        if (Options() & dgTitles)
            widths[i] = QFontMetrics(c->Title()->Font()).horizontalAdvance(c->Title()->Caption());
    }
    const TBookmark here = ds->GetBookmark();
    ds->DisableControls();
    try {
        ds->First();
        for (int row = 0; row < VisibleRowCount() && !ds->Eof(); ++row) {
            for (int i = 0; i < count; ++i) {
                TField *f = fields[i];
                if (!f || f->IsNull()) continue;
                const QString text = isMemo(f) && m_fullSizeMemo ? f->AsString() : f->DisplayText();
                widths[i] = qMax(widths[i], metrics[i].horizontalAdvance(text));
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
    // The index whose fields are exactly the column's field, if the table has one.
    QString index;
    for (const QString &name : TableIndexNames(ds))
        if (TableIndexFields(ds, name).compare(field->FieldName, Qt::CaseInsensitive) == 0) {
            index = name;
            break;
        }
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
