#include "grid/customdbgrid.h"
#include "core/exceptions.h"

#include "grid/customdbgrid_p.h"
#include "grid/gridaccessible.h"
#include "grid/gridglyphs.h"

#include "data/datasource.h"
#include "data/field.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPainter>
#include <QScrollBar>
#include <QtMath>

namespace {
// Pixels from a title's right edge within which a press starts sizing.
constexpr int SizingMargin = 3;
// A press must travel this far before it becomes a column move.
constexpr int MoveThreshold = 4;
} // namespace

TCustomDBGrid::TCustomDBGrid(QWidget *parent)
    : QAbstractScrollArea(parent), m_dataLink(std::make_unique<TGridDataLink>(this)), m_columns(this),
      m_options(dgEditing | dgTitles | dgIndicator | dgColumnResize | dgColLines | dgRowLines | dgConfirmDelete
                | dgCancelOnExit),
      m_titleFont(font())
{
    installGridAccessibility();
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    viewport()->setAutoFillBackground(false);
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    horizontalScrollBar()->setSingleStep(1);
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
        if (!m_updatingScrollBars) SetLeftCol(qMin(m_fixedCols, m_columns.Count()) + value);
    });
    connect(verticalScrollBar(), &QScrollBar::actionTriggered, this, [this](int action) {
        TDataSet *ds = DataSet();
        if (!ds || m_updatingScrollBars) return;
        switch (action) {
        case QAbstractSlider::SliderSingleStepAdd: moveRecords(1); break;
        case QAbstractSlider::SliderSingleStepSub: moveRecords(-1); break;
        case QAbstractSlider::SliderPageStepAdd: moveRecords(VisibleRowCount()); break;
        case QAbstractSlider::SliderPageStepSub: moveRecords(-VisibleRowCount()); break;
        case QAbstractSlider::SliderToMinimum: ds->First(); break;
        case QAbstractSlider::SliderToMaximum: ds->Last(); break;
        case QAbstractSlider::SliderMove:
            // Without thumb tracking the record is sought once, on release:
            // every step of a drag would walk the table for its number.
            if (!(m_baseOptions & goThumbTracking)) return;
            seekThumb();
            break;
        default: return;
        }
        // The slider shows where the cursor went, not where the action put it.
        updateScrollBars();
    });
    connect(verticalScrollBar(), &QScrollBar::sliderMoved, this, [this](int position) {
        if (!m_updatingScrollBars) guarded([&] { ThumbDragged(position); });
    });
    connect(verticalScrollBar(), &QScrollBar::sliderReleased, this, [this] {
        guarded([&] {
            ThumbReleased();
            if (m_baseOptions & goThumbTracking || !DataSet()) return;
            seekThumb();
            updateScrollBars();
        });
    });
    SetScrollBars(TScrollStyle::ssBoth);
}

void TCustomDBGrid::seekThumb()
{
    TDataSet *ds = DataSet();
    QScrollBar *bar = verticalScrollBar();
    const int pos = bar->sliderPosition();
    if (ds->RecNo() > 0 && ds->RecordCount() > 0) ds->SetRecNo(pos + 1);
    else if (pos <= bar->minimum()) ds->First();
    else if (pos >= bar->maximum()) ds->Last();
}

TCustomDBGrid::~TCustomDBGrid()
{
    m_dataLink->SetDataSource(nullptr);
}

// ---- binding ------------------------------------------------------------------

TDataSource *TCustomDBGrid::DataSource() const
{
    return m_dataLink->DataSource();
}

void TCustomDBGrid::SetDataSource(TDataSource *source)
{
    m_dataLink->SetDataSource(source);
    updateRowCount();
}

TDataSet *TCustomDBGrid::DataSet() const
{
    return m_dataLink->Active() ? m_dataLink->DataSet() : nullptr;
}

bool TCustomDBGrid::DataLinkActive() const
{
    return m_dataLink->Active();
}

void TCustomDBGrid::linkActive(bool value)
{
    LinkActive(value);
}

void TCustomDBGrid::LinkActive(bool value)
{
    // Declared columns stay as they are: their layout may have been restored
    // before the dataset opened.
    if (m_columns.state() == TDBGridColumns::State::Default) {
        if (value) m_columns.RebuildColumns();
        else m_columns.Clear();
    }
    if (value) {
        updateRowCount();
        SetSelectedIndex(m_selectedIndex);
    } else {
        m_selectedRows.clear();
    }
    LayoutChanged();
}

void TCustomDBGrid::linkLayoutChanged()
{
    if (m_columns.state() == TDBGridColumns::State::Default) m_columns.RebuildColumns();
    else LayoutChanged();
}

void TCustomDBGrid::dataChanged()
{
    if (m_scrollBars == TScrollStyle::ssVertical || m_scrollBars == TScrollStyle::ssBoth) updateScrollBars();
    viewport()->update();
    announceCurrentCell(this);
    if (EditorMode()) {
        // Another record under the editor: it follows only with dgAlwaysShowEditor.
        if (m_dataLink->Editing() || (m_options & dgAlwaysShowEditor)) placeEditor();
        else HideEditor();
    }
    DataChanged();
}

void TCustomDBGrid::scrolled(int distance)
{
    Q_UNUSED(distance);
    // Every screen row may now show another record: repaint them all. The cost
    // is one screen of cells whatever the position in the table.
    dataChanged();
}

void TCustomDBGrid::recordChanged(TField *field)
{
    Q_UNUSED(field);
    invalidateRow(TitleOffset() + m_dataLink->ActiveRecord());
    if (EditorMode() && !m_editorModified) placeEditor();
}

void TCustomDBGrid::editingChanged()
{
    if (m_options & dgIndicator) viewport()->update(CellRect(0, TitleOffset() + m_dataLink->ActiveRecord()));
    // Posted or cancelled: the editor shows the field again.
    if (!m_dataLink->Editing()) m_editorModified = false;
    if (EditorMode()) placeEditor();
}

void TCustomDBGrid::columnsChanged()
{
    if (m_layoutLock > 0) {
        m_layoutPending = true;
        return;
    }
    LayoutChanged();
}

void TCustomDBGrid::BeginLayout()
{
    ++m_layoutLock;
    m_columns.BeginUpdate();
}

void TCustomDBGrid::EndLayout()
{
    if (m_layoutLock == 0) return;
    m_columns.EndUpdate();
    if (--m_layoutLock == 0 && m_layoutPending) {
        m_layoutPending = false;
        LayoutChanged();
    }
}

void TCustomDBGrid::LayoutChanged()
{
    if (m_selectedIndex >= m_columns.Count()) m_selectedIndex = qMax(0, m_columns.Count() - 1);
    m_leftCol = qBound(qMin(m_fixedCols, m_columns.Count()), m_leftCol, maxLeftCol());
    updateScrollBars();
    viewport()->update();
}

// ---- properties ---------------------------------------------------------------

void TCustomDBGrid::SetOptions(TDBGridOptions value)
{
    if (m_options == value) return;
    const bool rows = (m_options ^ value) & (dgTitles | dgRowLines);
    m_options = value;
    if (!(value & dgMultiSelect)) m_selectedRows.clear();
    if (rows) updateRowCount();
    LayoutChanged();
}

void TCustomDBGrid::SetReadOnly(bool value)
{
    m_readOnly = value;
    m_dataLink->SetReadOnly(value);
}

void TCustomDBGrid::SetColor(TColor value)
{
    m_color = value;
    viewport()->update();
}

void TCustomDBGrid::SetFixedColor(TColor value)
{
    m_fixedColor = value;
    viewport()->update();
}

void TCustomDBGrid::SetFontColor(TColor value)
{
    m_fontColor = value;
    viewport()->update();
}

void TCustomDBGrid::SetTitleFont(const QFont &font)
{
    m_titleFont = font;
    LayoutChanged();
}

void TCustomDBGrid::SetTitleFontColor(TColor value)
{
    m_titleFontColor = value;
    invalidateTitles();
}

void TCustomDBGrid::SetDefaultRowHeight(int value)
{
    if (value <= 0 || value == m_defaultRowHeight) return;
    m_defaultRowHeight = value;
    updateRowCount();
    LayoutChanged();
}

void TCustomDBGrid::SetTitleRowHeight(int value)
{
    if (value <= 0 || value == m_titleRowHeight) return;
    m_titleRowHeight = value;
    updateRowCount();
    viewport()->update();
}

int TCustomDBGrid::TextHeight(const QFont &font)
{
    const QFontMetricsF fm(font);
    return qCeil(fm.ascent()) + qCeil(fm.descent());
}

void TCustomDBGrid::SetScrollBars(TScrollStyle value)
{
    m_scrollBars = value;
    const bool h = value == TScrollStyle::ssHorizontal || value == TScrollStyle::ssBoth;
    const bool v = value == TScrollStyle::ssVertical || value == TScrollStyle::ssBoth;
    setHorizontalScrollBarPolicy(h ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(v ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    updateScrollBars();
}

void TCustomDBGrid::SetBorderStyle(TBorderStyle value)
{
    m_borderStyle = value;
    setFrameStyle(value == TBorderStyle::bsNone ? QFrame::NoFrame : QFrame::StyledPanel | QFrame::Sunken);
}

void TCustomDBGrid::SetSelectedIndex(int value)
{
    const int count = m_columns.Count();
    if (count == 0) {
        m_selectedIndex = 0;
        return;
    }
    value = qBound(qMin(m_fixedCols, count - 1), value, count - 1);
    const bool changed = value != m_selectedIndex;
    if (changed && EditorMode()) {
        writeEditor();
        if (!(m_options & dgAlwaysShowEditor)) HideEditor();
    }
    m_selectedIndex = value;
    // Scroll the current column into view.
    if (value >= m_fixedCols) {
        if (value < m_leftCol) {
            SetLeftCol(value);
        } else {
            while (m_leftCol < value && CellRect(DataToRawColumn(value), 0).isEmpty()) SetLeftCol(m_leftCol + 1);
            const QRect r = CellRect(DataToRawColumn(value), 0);
            while (m_leftCol < value && !r.isEmpty() && r.right() >= viewport()->width()) {
                SetLeftCol(m_leftCol + 1);
                if (CellRect(DataToRawColumn(value), 0).right() < viewport()->width()) break;
            }
        }
    }
    viewport()->update();
    if (changed && EditorMode()) {
        m_editField = SelectedField();
        if (CanEditShow()) placeEditor();
        else HideEditor();
    }
    if (changed) {
        announceCurrentCell(this);
        ColEnter();
    }
}

TField *TCustomDBGrid::SelectedField() const
{
    return m_selectedIndex < m_columns.Count() ? m_columns[m_selectedIndex]->Field() : nullptr;
}

void TCustomDBGrid::SetFixedCols(int value)
{
    value = qMax(0, value);
    if (value == m_fixedCols) return;
    m_fixedCols = value;
    if (m_selectedIndex < value && value < m_columns.Count()) m_selectedIndex = value;
    LayoutChanged();
}

void TCustomDBGrid::SetLeftCol(int dataColumn)
{
    dataColumn = qBound(qMin(m_fixedCols, m_columns.Count()), dataColumn, maxLeftCol());
    if (dataColumn == m_leftCol) return;
    m_leftCol = dataColumn;
    updateScrollBars();
    viewport()->update();
    TopLeftChanged();
}

int TCustomDBGrid::maxLeftCol() const
{
    const int count = m_columns.Count();
    const int fixedCount = qMin(m_fixedCols, count);
    if (count <= fixedCount) return fixedCount;
    // The smallest left column from which every remaining column fits.
    int used = m_options & dgIndicator ? IndicatorWidth() + columnLineWidth() : 0;
    for (int i = 0; i < fixedCount; ++i)
        if (m_columns[i]->Visible()) used += m_columns[i]->Width() + columnLineWidth();
    int left = count;
    int width = 0;
    while (left > fixedCount) {
        const TColumn *c = m_columns[left - 1];
        const int w = c->Visible() ? c->Width() + columnLineWidth() : 0;
        if (used + width + w > viewport()->width() && width > 0) break;
        width += w;
        --left;
    }
    return qMax(fixedCount, left);
}

// ---- geometry -----------------------------------------------------------------

int TCustomDBGrid::RowHeight(int row) const
{
    return row < TitleOffset() ? m_titleRowHeight : m_defaultRowHeight;
}

int TCustomDBGrid::RowTop(int row) const
{
    const int lw = rowLineWidth();
    if (row < TitleOffset()) return 0;
    const int dataTop = TitleOffset() ? m_titleRowHeight + lw : 0;
    return dataTop + (row - TitleOffset()) * (m_defaultRowHeight + lw);
}

int TCustomDBGrid::VisibleRowCount() const
{
    const int lw = rowLineWidth();
    const int avail = viewport()->height() - (TitleOffset() ? m_titleRowHeight + lw : 0);
    return qMax(1, (avail + lw) / (m_defaultRowHeight + lw));
}

QList<TCustomDBGrid::ColumnSpan> TCustomDBGrid::columnSpans() const
{
    QList<ColumnSpan> spans;
    const int lw = columnLineWidth();
    const int right = viewport()->width();
    int x = 0;
    if (m_options & dgIndicator) {
        spans.append({0, 0, IndicatorWidth()});
        x += IndicatorWidth() + lw;
    }
    const int count = m_columns.Count();
    const int fixedCount = qMin(m_fixedCols, count);
    auto add = [&](int dc) {
        const TColumn *c = m_columns[dc];
        if (!c->Visible()) return;
        spans.append({DataToRawColumn(dc), x, c->Width()});
        x += c->Width() + lw;
    };
    for (int dc = 0; dc < fixedCount; ++dc) add(dc);
    for (int dc = qMax(m_leftCol, fixedCount); dc < count && x < right; ++dc) add(dc);
    return spans;
}

QRect TCustomDBGrid::CellRect(int col, int row) const
{
    if (row < 0) return {};
    for (const ColumnSpan &s : columnSpans())
        if (s.col == col) return QRect(s.left, RowTop(row), s.width, RowHeight(row));
    return {};
}

void TCustomDBGrid::MouseCoord(const QPoint &pos, int &col, int &row) const
{
    col = -1;
    row = -1;
    const int lw = columnLineWidth();
    for (const ColumnSpan &s : columnSpans())
        if (pos.x() >= s.left && pos.x() < s.left + s.width + lw) {
            col = s.col;
            break;
        }
    if (pos.y() < 0) return;
    if (TitleOffset() && pos.y() < m_titleRowHeight + rowLineWidth()) {
        row = 0;
        return;
    }
    const int dataTop = RowTop(TitleOffset());
    if (pos.y() >= dataTop) row = TitleOffset() + (pos.y() - dataTop) / (m_defaultRowHeight + rowLineWidth());
}

int TCustomDBGrid::RawToDataColumn(int col) const
{
    return col - IndicatorOffset();
}

int TCustomDBGrid::DataToRawColumn(int dataColumn) const
{
    return dataColumn + IndicatorOffset();
}

int TCustomDBGrid::sizingColumnAt(const QPoint &pos) const
{
    if (!TitleOffset() || pos.y() < 0 || pos.y() >= m_titleRowHeight) return -1;
    for (const ColumnSpan &s : columnSpans()) {
        if (s.col < IndicatorOffset()) continue;
        const int edge = s.left + s.width;
        if (qAbs(pos.x() - edge) <= SizingMargin) return s.col;
    }
    return -1;
}

// ---- selection ----------------------------------------------------------------

bool TCustomDBGrid::RowSelected(const TBookmark &bookmark) const
{
    return !bookmark.isEmpty() && m_selectedRows.contains(bookmark);
}

void TCustomDBGrid::SelectRow(const TBookmark &bookmark, bool select)
{
    if (bookmark.isEmpty() || !(m_options & dgMultiSelect)) return;
    const bool has = m_selectedRows.contains(bookmark);
    if (select && !has) m_selectedRows.append(bookmark);
    else if (!select && has) m_selectedRows.removeAll(bookmark);
    else return;
    viewport()->update();
}

void TCustomDBGrid::ClearSelectedRows()
{
    if (m_selectedRows.isEmpty()) return;
    m_selectedRows.clear();
    viewport()->update();
}

int TCustomDBGrid::currentRow() const
{
    return m_paintActive >= 0 ? m_paintActive : m_dataLink->ActiveRecord();
}

bool TCustomDBGrid::cellHasFocus() const
{
    return hasFocus();
}

TGridDrawState TCustomDBGrid::cellState(int col, int row, const TBookmark &rowBookmark) const
{
    TGridDrawState state;
    if (row < TitleOffset() || col < fixedColCount()) state |= gdFixed;
    if (row < TitleOffset() || col < IndicatorOffset()) return state;
    const bool current = row - TitleOffset() == currentRow();
    const bool focused = cellHasFocus();
    const bool shown = focused || (m_options & dgAlwaysShowSelection);
    const bool currentCell = current && RawToDataColumn(col) == m_selectedIndex;
    if (currentCell && focused && !(state & gdFixed)) state |= gdFocused;
    if (current && shown && (currentCell || (m_options & dgRowSelect))) state |= gdSelected;
    if (!rowBookmark.isEmpty() && RowSelected(rowBookmark)) state |= gdSelected;
    return state;
}

// ---- painting -----------------------------------------------------------------

void TCustomDBGrid::paintEvent(QPaintEvent *event)
{
    QPainter p(viewport());
    p.setClipRegion(event->region());
    const QList<ColumnSpan> spans = columnSpans();
    const int clw = columnLineWidth();
    const int rlw = rowLineWidth();
    int cellsRight = 0;
    for (const ColumnSpan &s : spans) cellsRight = qMax(cellsRight, s.left + s.width + clw);

    const int shownRows = m_dataLink->Active() ? qMin(m_dataLink->RecordCount(), VisibleRowCount() + 1) : 0;
    const int rowCount = TitleOffset() + shownRows;
    const int oldActive = m_dataLink->ActiveRecord();
    m_paintActive = oldActive;
    TDataSet *ds = DataSet();
    const bool multi = !m_selectedRows.isEmpty() && ds;
    int cellsBottom = 0;
    const QRect dirty = event->rect();
    for (int row = 0; row < rowCount; ++row) {
        const int top = RowTop(row);
        const int height = RowHeight(row);
        if (top >= viewport()->height()) break;
        cellsBottom = top + height + rlw;
        if (top + height + rlw <= dirty.top() || top > dirty.bottom()) continue;
        TBookmark bookmark;
        if (row >= TitleOffset()) {
            m_dataLink->SetActiveRecord(row - TitleOffset());
            if (multi) bookmark = ds->GetBookmark();
        }
        for (const ColumnSpan &s : spans) {
            const QRect r(s.left, top, s.width, height);
            if (!r.intersects(dirty.adjusted(-1, -1, 1, 1))) continue;
            p.save();
            p.setClipRect(r, Qt::IntersectClip);
            DrawCell(p, s.col, row, r, cellState(s.col, row, bookmark));
            p.restore();
        }
    }
    if (rowCount > TitleOffset()) m_dataLink->SetActiveRecord(oldActive);
    m_paintActive = -1;
    if (cellsBottom == 0 && TitleOffset()) cellsBottom = m_titleRowHeight + rlw;

    // Grid lines: dark between fixed cells, silver between data cells.
    const QColor fixedLine = resolve(clBtnShadow);
    const QColor dataLine = resolve(clSilver);
    const int fixedRight = [&] {
        int right = 0;
        for (const ColumnSpan &s : spans)
            if (s.col < fixedColCount()) right = s.left + s.width + clw;
        return right;
    }();
    if (clw) {
        for (const ColumnSpan &s : spans) {
            const int x = s.left + s.width;
            if (s.col < fixedColCount()) {
                p.fillRect(QRect(x, 0, clw, cellsBottom), fixedLine);
            } else {
                if (TitleOffset()) p.fillRect(QRect(x, 0, clw, m_titleRowHeight + rlw), fixedLine);
                p.fillRect(QRect(x, RowTop(TitleOffset()), clw, cellsBottom - RowTop(TitleOffset())), dataLine);
            }
        }
    }
    if (rlw) {
        for (int row = 0; row < rowCount; ++row) {
            const int y = RowTop(row) + RowHeight(row);
            if (y >= viewport()->height()) break;
            if (row < TitleOffset()) {
                p.fillRect(QRect(0, y, cellsRight, rlw), fixedLine);
            } else {
                p.fillRect(QRect(0, y, fixedRight, rlw), fixedLine);
                p.fillRect(QRect(fixedRight, y, cellsRight - fixedRight, rlw), dataLine);
            }
        }
    }
    PaintBackground(p, QRect(0, 0, cellsRight, cellsBottom));
    if (m_mouseMode == MouseMode::MoveColumn && m_moveTarget >= 0) {
        const QRect target = CellRect(m_moveTarget, 0);
        if (!target.isEmpty()) {
            const int x = m_moveTarget > m_mouseCol ? target.right() : target.left();
            p.fillRect(QRect(x - 1, 0, 3, viewport()->height()), resolve(clHighlight));
        }
    }
}

void TCustomDBGrid::PaintBackground(QPainter &painter, const QRect &cellsArea)
{
    const QColor background = resolve(m_color);
    const QRect all = viewport()->rect();
    painter.fillRect(QRect(cellsArea.right() + 1, 0, all.width() - cellsArea.width(), all.height()), background);
    painter.fillRect(QRect(0, cellsArea.bottom() + 1, cellsArea.width(), all.height() - cellsArea.height()),
                     background);
}

void TCustomDBGrid::DrawCell(QPainter &painter, int col, int row, const QRect &rect, TGridDrawState state)
{
    const int dc = RawToDataColumn(col);
    if (row < TitleOffset()) {
        if (dc < 0) DrawIndicatorCell(painter, -1, rect);
        else DrawTitleCell(painter, dc, rect, state);
        return;
    }
    if (dc < 0) {
        DrawIndicatorCell(painter, row - TitleOffset(), rect);
        return;
    }
    TColumn *column = m_columns[dc];
    TGridCanvas canvas{&painter, column->Font(), resolve(column->FontColor()), resolve(column->Color())};
    if ((state & gdSelected) && !(state & gdFixed)) {
        canvas.Brush = resolve(clHighlight);
        canvas.FontColor = resolve(clHighlightText);
    }
    DrawColumnCell(canvas, rect, dc, column, state);
}

void TCustomDBGrid::DrawTitleCell(QPainter &painter, int dataCol, const QRect &rect, TGridDrawState state)
{
    Q_UNUSED(state);
    const TColumn *column = m_columns[dataCol];
    const TColumnTitle *title = column->Title();
    painter.fillRect(rect, resolve(title->Color()));
    painter.setFont(title->Font());
    painter.setPen(resolve(title->FontColor()));
    drawCellText(painter, rect, 2, title->Caption(), title->Alignment());
}

void TCustomDBGrid::DrawIndicatorCell(QPainter &painter, int row, const QRect &rect)
{
    painter.fillRect(rect, resolve(m_fixedColor));
    if (row < 0 || !m_dataLink->Active()) return;
    const bool current = row == currentRow();
    TDataSet *ds = DataSet();
    const bool selected = !m_selectedRows.isEmpty() && ds && RowSelected(ds->GetBookmark());
    if (selected) {
        const QPixmap glyph = GridGlyph(current ? QStringLiteral("DBG_MSARROW") : QStringLiteral("DBG_MSDOT"));
        painter.drawPixmap(rect.left() + (rect.width() - glyph.width()) / 2,
                           rect.top() + (rect.height() - glyph.height()) / 2, glyph);
        return;
    }
    if (!current) return;
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    const QPoint c = rect.center();
    switch (m_dataLink->DataSource()->State()) {
    case DataSetState::Edit:
        painter.setPen(Qt::black);
        painter.drawLine(c.x(), c.y() - 4, c.x(), c.y() + 4);
        painter.drawLine(c.x() - 2, c.y() - 4, c.x() + 2, c.y() - 4);
        painter.drawLine(c.x() - 2, c.y() + 4, c.x() + 2, c.y() + 4);
        break;
    case DataSetState::Insert:
        painter.setPen(Qt::black);
        painter.setFont(QFont(font().family(), -1, QFont::Bold));
        painter.drawText(rect, Qt::AlignCenter, QStringLiteral("*"));
        break;
    default: {
        const QPoint arrow[3] = {{c.x() - 2, c.y() - 4}, {c.x() + 2, c.y()}, {c.x() - 2, c.y() + 4}};
        painter.drawPolygon(arrow, 3);
        break;
    }
    }
}

void TCustomDBGrid::DrawColumnCell(TGridCanvas &canvas, const QRect &rect, int dataCol, TColumn *column,
                                   TGridDrawState state)
{
    DefaultDrawColumnCell(canvas, rect, column->Field(), column);
    if (OnDrawColumnCell) OnDrawColumnCell(this, rect, dataCol, column, state);
}

void TCustomDBGrid::DefaultDrawColumnCell(TGridCanvas &canvas, const QRect &rect, TField *field, TColumn *column)
{
    QPainter &p = *canvas.Painter;
    p.fillRect(rect, canvas.Brush);
    if (!field) return;
    p.setFont(canvas.Font);
    p.setPen(canvas.FontColor);
    drawCellText(p, rect, 2, field->DisplayText(), column->Alignment());
}

void TCustomDBGrid::drawCellText(QPainter &painter, const QRect &rect, int inset, const QString &text,
                                 Qt::Alignment alignment)
{
    const QRect r = rect.adjusted(inset, inset, -inset, 0);
    painter.drawText(r, int(alignment & Qt::AlignHorizontal_Mask) | Qt::AlignTop | Qt::TextSingleLine, text);
}

void TCustomDBGrid::invalidateTitles()
{
    if (TitleOffset()) viewport()->update(0, 0, viewport()->width(), m_titleRowHeight + rowLineWidth());
}

void TCustomDBGrid::invalidateRow(int row)
{
    viewport()->update(0, RowTop(row), viewport()->width(), RowHeight(row) + rowLineWidth());
}

// ---- rows and scroll bars -----------------------------------------------------

void TCustomDBGrid::updateRowCount()
{
    // The ring holds exactly the rows on screen: a larger one would fetch
    // records nobody sees, a smaller one would leave screen rows empty.
    m_dataLink->SetBufferCount(VisibleRowCount());
}

void TCustomDBGrid::updateScrollBars()
{
    if (m_updatingScrollBars) return;
    m_updatingScrollBars = true;
    struct Reset
    {
        bool &flag;
        ~Reset() { flag = false; }
    } reset{m_updatingScrollBars};

    QScrollBar *h = horizontalScrollBar();
    const int fixedCount = qMin(m_fixedCols, m_columns.Count());
    h->setRange(0, qMax(0, maxLeftCol() - fixedCount));
    h->setPageStep(1);
    h->setValue(m_leftCol - fixedCount);

    if (m_scrollBars != TScrollStyle::ssVertical && m_scrollBars != TScrollStyle::ssBoth) return;
    QScrollBar *v = verticalScrollBar();
    TDataSet *ds = DataSet();
    if (!ds || ds->IsEmpty()) {
        v->setRange(0, 0);
        return;
    }
    const int count = ds->RecordCount();
    const int recNo = count > 0 ? ds->RecNo() : -1;
    if (count > 0 && recNo > 0) {
        v->setRange(0, count - 1);
        v->setPageStep(VisibleRowCount());
        v->setValue(recNo - 1);
        v->setSliderPosition(recNo - 1);
    } else {
        // Without a record number the bar tells only top, middle or bottom.
        v->setRange(0, 4);
        v->setPageStep(1);
        const int pos = ds->Bof() ? 0 : ds->Eof() ? 4 : 2;
        v->setValue(pos);
        v->setSliderPosition(pos);
    }
}

void TCustomDBGrid::scrollContentsBy(int, int)
{
    // The scroll bars act on the dataset and on LeftCol; nothing to move here.
}

void TCustomDBGrid::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateRowCount();
    LayoutChanged();
}

void TCustomDBGrid::moveRecords(int distance)
{
    TDataSet *ds = DataSet();
    if (!ds || distance == 0) return;
    ds->MoveBy(distance);
}

// ---- mouse --------------------------------------------------------------------

void TCustomDBGrid::mousePressEvent(QMouseEvent *event)
{
    if (!hasFocus()) setFocus(Qt::MouseFocusReason);
    gridMouseDown(event->button(), event->position().toPoint(), event->modifiers());
}

void TCustomDBGrid::mouseMoveEvent(QMouseEvent *event)
{
    gridMouseMove(event->position().toPoint());
}

void TCustomDBGrid::mouseReleaseEvent(QMouseEvent *event)
{
    gridMouseUp(event->button(), event->position().toPoint());
}

void TCustomDBGrid::mouseDoubleClickEvent(QMouseEvent *event)
{
    int col, row;
    MouseCoord(event->position().toPoint(), col, row);
    if (row >= TitleOffset() && OnDblClick) OnDblClick(this);
}

void TCustomDBGrid::gridMouseDown(Qt::MouseButton button, const QPoint &pos, Qt::KeyboardModifiers mods)
{
    if (button != Qt::LeftButton) return;
    m_pressPos = pos;
    int col, row;
    MouseCoord(pos, col, row);
    m_mouseCol = col;
    m_mouseRow = row;
    if ((m_options & dgColumnResize) && (m_baseOptions & goColSizing) && sizingColumnAt(pos) >= 0) {
        m_mouseCol = sizingColumnAt(pos);
        m_mouseMode = MouseMode::SizeColumn;
        m_sizingStart = pos.x();
        m_sizingWidth = m_columns[RawToDataColumn(m_mouseCol)]->Width();
        return;
    }
    if (RowSizing() && col == 0 && (m_options & dgIndicator) && row >= TitleOffset()) {
        const int bottom = RowTop(row) + RowHeight(row);
        if (qAbs(pos.y() - bottom) <= SizingMargin) {
            m_mouseMode = MouseMode::SizeRow;
            m_sizingStart = pos.y();
            m_sizingWidth = m_defaultRowHeight;
            return;
        }
    }
    if (col < 0 || row < 0) return;
    if (row < TitleOffset()) {
        if (col >= IndicatorOffset()) {
            // Without column moving the press stays a title click.
            m_mouseMode = MouseMode::MoveColumn;
            m_moveTarget = -1;
        }
        return;
    }
    clickCell(col, row, mods);
    m_mouseMode = MouseMode::Select;
}

void TCustomDBGrid::clickCell(int col, int row, Qt::KeyboardModifiers mods)
{
    TDataSet *ds = DataSet();
    if (!ds) return;
    const int dataRow = row - TitleOffset();
    if (dataRow >= m_dataLink->RecordCount()) return;
    const int distance = dataRow - m_dataLink->ActiveRecord();
    if (distance && untouchedInsert() && (m_options & dgCancelOnExit)) {
        // The untouched appended row goes; the clicked record is found by bookmark.
        const int active = m_dataLink->ActiveRecord();
        m_dataLink->SetActiveRecord(dataRow);
        const TBookmark target = ds->GetBookmark();
        m_dataLink->SetActiveRecord(active);
        ds->Cancel();
        if (!target.isEmpty()) ds->GotoBookmark(target);
    } else if (distance) {
        ds->MoveBy(distance);
    }
    if (m_options & dgMultiSelect) {
        const TBookmark b = ds->GetBookmark();
        if (mods & Qt::ControlModifier) {
            SelectRow(b, !RowSelected(b));
        } else {
            if (m_clearSelection) ClearSelectedRows();
            SelectRow(b, true);
        }
    }
    const int dc = RawToDataColumn(col);
    if (dc >= 0 && dc >= qMin(m_fixedCols, m_columns.Count())) SetSelectedIndex(dc);
    if (dc >= 0) CellClick(m_columns[dc]);
}

void TCustomDBGrid::gridMouseMove(const QPoint &pos)
{
    switch (m_mouseMode) {
    case MouseMode::SizeColumn: {
        const int dc = RawToDataColumn(m_mouseCol);
        if (dc >= 0 && dc < m_columns.Count()) {
            m_columns[dc]->SetWidth(qMax(1, m_sizingWidth + pos.x() - m_sizingStart));
            ColWidthsChanged(dc);
        }
        return;
    }
    case MouseMode::SizeRow:
        RowHeightChanged(qMax(1, m_sizingWidth + pos.y() - m_sizingStart));
        return;
    case MouseMode::MoveColumn: {
        // Titles move only where columns may be resized, as on the platform's grids.
        if (!(m_baseOptions & goColMoving) || !(m_options & dgColumnResize)) return;
        if ((pos - m_pressPos).manhattanLength() < MoveThreshold && m_moveTarget < 0) return;
        const int target = columnDropTarget(pos);
        if (target != m_moveTarget) {
            m_moveTarget = target < 0 ? m_mouseCol : target;
            viewport()->update();
        }
        ColumnDragMoved(pos);
        return;
    }
    default: break;
    }
    const bool sizing = (m_options & dgColumnResize) && sizingColumnAt(pos) >= 0;
    viewport()->setCursor(sizing ? Qt::SplitHCursor : Qt::ArrowCursor);
}

void TCustomDBGrid::gridMouseUp(Qt::MouseButton button, const QPoint &pos)
{
    if (button != Qt::LeftButton) return;
    const MouseMode mode = m_mouseMode;
    m_mouseMode = MouseMode::None;
    if (mode == MouseMode::MoveColumn) {
        ColumnDragEnded();
        const int target = m_moveTarget;
        m_moveTarget = -1;
        viewport()->update();
        int col, row;
        MouseCoord(pos, col, row);
        if (target >= 0 && target != m_mouseCol) {
            moveColumn(RawToDataColumn(m_mouseCol), RawToDataColumn(target));
        } else if (target < 0 && col == m_mouseCol && row == 0) {
            const int dc = RawToDataColumn(m_mouseCol);
            if (dc >= 0 && dc < m_columns.Count()) TitleClick(m_columns[dc]);
        }
    }
}

int TCustomDBGrid::columnDropTarget(const QPoint &pos) const
{
    int col, row;
    MouseCoord(pos, col, row);
    return col >= fixedColCount() ? col : -1;
}

void TCustomDBGrid::moveColumn(int from, int to)
{
    if (from < 0 || to < 0 || from >= m_columns.Count() || to >= m_columns.Count() || from == to) return;
    TColumn *current = m_selectedIndex < m_columns.Count() ? m_columns[m_selectedIndex] : nullptr;
    m_columns.Move(from, to);
    if (current) m_selectedIndex = current->Index();
    ColumnMoved(from, to);
}

void TCustomDBGrid::ColumnMoved(int fromIndex, int toIndex)
{
    if (OnColumnMoved) OnColumnMoved(this, fromIndex, toIndex);
}

void TCustomDBGrid::ColEnter()
{
    if (OnColEnter) OnColEnter(this);
}

void TCustomDBGrid::TitleClick(TColumn *column)
{
    if (OnTitleClick) OnTitleClick(column);
}

void TCustomDBGrid::CellClick(TColumn *column)
{
    if (OnCellClick) OnCellClick(column);
}

void TCustomDBGrid::wheelEvent(QWheelEvent *event)
{
    const QPoint delta = event->angleDelta();
    if (delta.y() != 0) {
        // One record per notch, as the platform's grids move.
        moveRecords(delta.y() > 0 ? -1 : 1);
    } else if (delta.x() != 0) {
        SetLeftCol(m_leftCol + (delta.x() > 0 ? -1 : 1));
    }
    event->accept();
}

// ---- keyboard -----------------------------------------------------------------

void TCustomDBGrid::keyPressEvent(QKeyEvent *event)
{
    TDataSet *ds = DataSet();
    const Qt::KeyboardModifiers mods = event->modifiers();
    const bool ctrl = mods & Qt::ControlModifier;
    auto nextColumn = [this](int from, int step) {
        for (int dc = from + step; dc >= m_fixedCols && dc < m_columns.Count(); dc += step)
            if (m_columns[dc]->Visible()) return dc;
        return from;
    };
    switch (event->key()) {
    case Qt::Key_Up: keyUp(); break;
    case Qt::Key_Down: keyDown(); break;
    case Qt::Key_PageUp: moveRecords(-VisibleRowCount()); break;
    case Qt::Key_PageDown: moveRecords(VisibleRowCount()); break;
    case Qt::Key_Home:
        if (ctrl && ds) ds->First();
        else SetSelectedIndex(m_fixedCols);
        break;
    case Qt::Key_End:
        if (ctrl && ds) ds->Last();
        else SetSelectedIndex(m_columns.Count() - 1);
        break;
    case Qt::Key_Left: SetSelectedIndex(nextColumn(m_selectedIndex, -1)); break;
    case Qt::Key_Right: SetSelectedIndex(nextColumn(m_selectedIndex, 1)); break;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        if (!tabsMoveCells()) {
            QAbstractScrollArea::keyPressEvent(event);
            return;
        }
        tabToCell(event->key() == Qt::Key_Tab && !(mods & Qt::ShiftModifier));
        break;
    case Qt::Key_F2:
        if (EditorMode() || !ShowEditor(false)) return ignoreKey(event);
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (EditorMode()) {
            writeEditor();
            if (!(m_options & dgAlwaysShowEditor)) HideEditor();
        } else if (!ShowEditor(true)) {
            return ignoreKey(event);
        }
        break;
    case Qt::Key_Escape:
        if (EditorMode() && m_editorModified) {
            // The editor's own change goes first; the record stays in edit.
            m_editorModified = false;
            placeEditor();
            m_editor->selectAll();
        } else if (ds && (ds->State() == DataSetState::Edit || ds->State() == DataSetState::Insert)) {
            ds->Cancel();
            if (!(m_options & dgAlwaysShowEditor)) HideEditor();
        } else if (EditorMode()) {
            HideEditor();
        } else {
            return ignoreKey(event);
        }
        break;
    case Qt::Key_Insert:
        if (mods != Qt::NoModifier || !ds || !CanModifyData()) return ignoreKey(event);
        ds->Insert();
        break;
    default: {
        const QString text = event->text();
        if (!ctrl && !(mods & Qt::AltModifier) && text.size() == 1 && text.at(0).isPrint() && !EditorMode()
            && ShowEditor(false)) {
            // Typing replaces the cell's text, as on the platform's grids.
            m_editor->setText(text);
            emit m_editor->textEdited(text);
            break;
        }
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    }
    event->accept();
}

void TCustomDBGrid::ignoreKey(QKeyEvent *event)
{
    // Keys the grid has no use for here go on to its window, as they always did.
    QAbstractScrollArea::keyPressEvent(event);
}

void TCustomDBGrid::keyDown()
{
    TDataSet *ds = DataSet();
    if (!ds) return;
    // Down on an appended row nobody has touched stays there: no second append.
    if (untouchedInsert()) return;
    if (ds->MoveBy(1) == 0 && ds->Eof() && CanModifyData() && AutoAppend()) ds->Append();
}

void TCustomDBGrid::keyUp()
{
    if (!DataSet()) return;
    if (cancelUntouchedInsert()) return;
    moveRecords(-1);
}

void TCustomDBGrid::tabToCell(bool forward)
{
    TDataSet *ds = DataSet();
    int dc = m_selectedIndex + (forward ? 1 : -1);
    while (dc >= m_fixedCols && dc < m_columns.Count() && !m_columns[dc]->Visible()) dc += forward ? 1 : -1;
    if (dc >= m_fixedCols && dc < m_columns.Count()) {
        SetSelectedIndex(dc);
        return;
    }
    if (!ds) return;
    // Past the row's end: the next record's first cell (or the previous one's last).
    if (forward) {
        if (untouchedInsert()) return;
        if (ds->MoveBy(1) == 0) {
            if (!(ds->Eof() && CanModifyData() && AutoAppend())) return;
            ds->Append();
        }
        SetSelectedIndex(m_fixedCols);
    } else {
        if (cancelUntouchedInsert() || ds->MoveBy(-1) != 0) SetSelectedIndex(m_columns.Count() - 1);
    }
}

bool TCustomDBGrid::untouchedInsert() const
{
    TDataSet *ds = DataSet();
    return ds && ds->State() == DataSetState::Insert && !ds->Modified() && !m_editorModified;
}

bool TCustomDBGrid::cancelUntouchedInsert()
{
    if (!(m_options & dgCancelOnExit) || !untouchedInsert()) return false;
    DataSet()->Cancel();
    return true;
}

// ---- in-place editor ----------------------------------------------------------

std::function<bool(QWidget *parent, const QString &text)> &TCustomDBGrid::confirmHook()
{
    static std::function<bool(QWidget *, const QString &)> hook = [](QWidget *parent, const QString &text) {
        return QMessageBox::question(parent, QApplication::applicationDisplayName(), text,
                                     QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Cancel)
               == QMessageBox::Ok;
    };
    return hook;
}

std::function<void()> &TCustomDBGrid::beepHook()
{
    static std::function<void()> hook = [] { QApplication::beep(); };
    return hook;
}

bool TCustomDBGrid::CanModifyData() const
{
    TDataSet *ds = DataSet();
    return ds && (m_options & dgEditing) && !m_readOnly && !m_dataLink->ReadOnly() && ds->CanModify();
}

bool TCustomDBGrid::CanEditShow() const
{
    if (!CanModifyData() || (m_options & dgRowSelect) || m_layoutLock > 0) return false;
    if (m_selectedIndex >= m_columns.Count()) return false;
    const TColumn *column = m_columns[m_selectedIndex];
    TField *field = column->Field();
    // Blobs and memos have no one-line text to edit.
    return field && !column->ReadOnly && field->CanModify() && !field->IsBlob();
}

bool TCustomDBGrid::EditorMode() const
{
    return m_editor && m_editor->isVisible();
}

void TCustomDBGrid::SetEditorMode(bool value)
{
    if (value) ShowEditor(true);
    else HideEditor();
}

bool TCustomDBGrid::ShowEditor(bool selectAll)
{
    if (!CanEditShow()) return false;
    if (!m_editor) {
        m_editor = new QLineEdit(viewport());
        m_editor->setObjectName(QStringLiteral("InplaceEditor"));
        m_editor->setFrame(false);
        m_editor->hide();
        m_editor->installEventFilter(this);
        connect(m_editor, &QLineEdit::textEdited, this, [this] {
            guarded([this] {
                if (m_settingEditor) return;
                // The first change starts the record's edit (marked first, so
                // that the edit's notice does not reset the text); a dataset
                // that refuses it gets its text back.
                const bool was = m_editorModified;
                m_editorModified = true;
                if (!m_dataLink->Editing() && !m_dataLink->Edit()) {
                    m_editorModified = was;
                    placeEditor();
                    return;
                }
                EditChanged();
            });
        });
    }
    m_editField = SelectedField();
    m_editorModified = false;
    placeEditor();
    if (!m_editor->isVisible()) m_editor->show();
    m_editor->setFocus(Qt::OtherFocusReason);
    if (selectAll) m_editor->selectAll();
    else m_editor->end(false);
    return true;
}

void TCustomDBGrid::placeEditor()
{
    if (!m_editor || !m_editField) return;
    const QRect cell = CellRect(DataToRawColumn(m_selectedIndex), TitleOffset() + m_dataLink->ActiveRecord());
    if (cell.isEmpty()) {
        HideEditor();
        return;
    }
    m_editor->setGeometry(cell);
    if (!m_editorModified) {
        m_settingEditor = true;
        m_editor->setText(m_editField->EditText());
        m_settingEditor = false;
    }
    m_editor->setAlignment(m_columns[m_selectedIndex]->Alignment() | Qt::AlignVCenter);
    m_editor->setFont(m_columns[m_selectedIndex]->Font());
}

void TCustomDBGrid::HideEditor()
{
    if (!m_editor || !m_editor->isVisible()) return;
    const bool hadFocus = m_editor->hasFocus();
    m_editor->hide();
    if (hadFocus) setFocus(Qt::OtherFocusReason);
}

void TCustomDBGrid::writeEditor()
{
    if (!m_editorModified || !m_editor || !m_editField) return;
    // A text the field refuses raises here and the editor keeps it.
    m_editField->SetText(m_editor->text());
    m_editorModified = false;
}

bool TCustomDBGrid::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_editor && m_editor) {
        if (event->type() == QEvent::KeyPress) {
            auto *key = static_cast<QKeyEvent *>(event);
            switch (key->key()) {
            case Qt::Key_Up:
            case Qt::Key_Down:
            case Qt::Key_PageUp:
            case Qt::Key_PageDown:
            case Qt::Key_Return:
            case Qt::Key_Enter:
            case Qt::Key_Escape:
            case Qt::Key_Tab:
            case Qt::Key_Backtab: {
                // The grid's keys, also while its editor has the focus.
                bool handled = true;
                guarded([&] {
                    QKeyEvent copy(key->type(), key->key(), key->modifiers(), key->text());
                    keyPressEvent(&copy);
                    handled = copy.isAccepted();
                });
                return handled;
            }
            default: break;
            }
        } else if (event->type() == QEvent::FocusOut) {
            auto *focus = static_cast<QFocusEvent *>(event);
            guarded([&] {
                QWidget *to = QApplication::focusWidget();
                if (focus->reason() == Qt::PopupFocusReason || to == this) return;
                // Leaving the grid: the text goes to the field, the editor away.
                writeEditor();
                m_editor->hide();
                if (!to || !isAncestorOf(to)) cancelUntouchedInsert();
            });
        }
    }
    return QAbstractScrollArea::eventFilter(watched, event);
}

bool TCustomDBGrid::focusNextPrevChild(bool next)
{
    // With tabs on, Tab moves between columns instead of leaving the grid.
    if (tabsMoveCells()) return false;
    return QAbstractScrollArea::focusNextPrevChild(next);
}

void TCustomDBGrid::focusInEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
    announceCurrentCell(this);
}

void TCustomDBGrid::focusOutEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
    QWidget *to = QApplication::focusWidget();
    if (event->reason() != Qt::PopupFocusReason && to != this && !(to && isAncestorOf(to)))
        guarded([this] { cancelUntouchedInsert(); });
}

bool TCustomDBGrid::event(QEvent *event)
{
    // Failures of the handlers stop here, not in Qt's dispatch.
    bool handled = true;
    guarded([&] { handled = QAbstractScrollArea::event(event); });
    return handled;
}

bool TCustomDBGrid::viewportEvent(QEvent *event)
{
    // Failures of the handlers stop here, not in Qt's dispatch.
    bool handled = true;
    guarded([&] { handled = QAbstractScrollArea::viewportEvent(event); });
    return handled;
}

// ---- what screen readers read -------------------------------------------------

namespace {
QList<int> visibleColumns(const TDBGridColumns &columns)
{
    QList<int> shown;
    for (int i = 0; i < columns.Count(); ++i)
        if (columns[i]->Visible()) shown << i;
    return shown;
}
} // namespace

int TCustomDBGrid::AccessibleRowCount() const
{
    return m_dataLink->Active() ? m_dataLink->RecordCount() : 0;
}

int TCustomDBGrid::AccessibleColumnCount() const
{
    return int(visibleColumns(m_columns).size());
}

QString TCustomDBGrid::AccessibleColumnTitle(int column) const
{
    const QList<int> shown = visibleColumns(m_columns);
    return column >= 0 && column < shown.size() ? m_columns[shown[column]]->Title()->Caption() : QString();
}

QString TCustomDBGrid::AccessibleCellText(int row, int column) const
{
    if (row < 0) return AccessibleColumnTitle(column);
    const QList<int> shown = visibleColumns(m_columns);
    if (column < 0 || column >= shown.size() || row >= AccessibleRowCount()) return {};
    TField *field = m_columns[shown[column]]->Field();
    if (!field) return {};
    const int active = m_dataLink->ActiveRecord();
    m_dataLink->SetActiveRecord(row);
    QString text;
    try {
        // A memo is read as its text, not as its kind.
        const bool memo = field->DataType() == ftMemo || field->DataType() == ftFmtMemo;
        text = memo ? field->AsString() : field->DisplayText();
    } catch (const std::exception &) {
    }
    m_dataLink->SetActiveRecord(active);
    return text;
}

QRect TCustomDBGrid::AccessibleCellRect(int row, int column) const
{
    const QList<int> shown = visibleColumns(m_columns);
    if (column < 0 || column >= shown.size()) return {};
    return CellRect(DataToRawColumn(shown[column]), row < 0 ? 0 : TitleOffset() + row);
}

int TCustomDBGrid::AccessibleCurrentRow() const
{
    return m_dataLink->Active() && !DataSet()->IsEmpty() ? m_dataLink->ActiveRecord() : -1;
}

int TCustomDBGrid::AccessibleCurrentColumn() const
{
    return int(visibleColumns(m_columns).indexOf(m_selectedIndex));
}

bool TCustomDBGrid::AccessibleSelectRow(int row)
{
    TDataSet *ds = DataSet();
    if (!ds || row < 0 || row >= AccessibleRowCount()) return false;
    const int distance = row - m_dataLink->ActiveRecord();
    if (distance) ds->MoveBy(distance);
    return true;
}
