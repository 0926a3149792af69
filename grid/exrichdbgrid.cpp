#include "grid/exrichdbgrid.h"
#include "grid/exrichdbgrid_p.h"

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

QImage &sharedBackground()
{
    static QImage picture;
    return picture;
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
