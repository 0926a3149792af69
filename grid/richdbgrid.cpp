#include "grid/richdbgrid.h"

#include "grid/gridglyphs.h"

#include "data/dataset.h"
#include "data/field.h"
#include "settings/formplacement.h"
#include "settings/inifile.h"

#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QPainter>
#include <QRegularExpression>

#include <algorithm>

namespace {

QString classNameOf(const QObject *object)
{
    // The section names the class as the original platform knew it: no namespace.
    QString name = QString::fromLatin1(object->metaObject()->className());
    const qsizetype sep = name.lastIndexOf(QLatin1String("::"));
    return sep >= 0 ? name.mid(sep + 2) : name;
}

QStringList layoutParts(const QString &value)
{
    static const QRegularExpression separators(QStringLiteral("[ ,]"));
    return value.split(separators, Qt::SkipEmptyParts);
}

int partOr(const QStringList &parts, int index, int fallback)
{
    bool ok = false;
    const int v = parts.value(index).toInt(&ok);
    return ok ? v : fallback;
}

void drawEdge(QPainter &p, const QRect &r, const QColor &topLeft, const QColor &bottomRight)
{
    p.fillRect(QRect(r.left(), r.top(), r.width(), 1), topLeft);
    p.fillRect(QRect(r.left(), r.top(), 1, r.height()), topLeft);
    p.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), bottomRight);
    p.fillRect(QRect(r.right(), r.top(), 1, r.height()), bottomRight);
}

} // namespace

TRichDBGrid::TRichDBGrid(QWidget *parent) : TCustomDBGrid(parent)
{
    m_iniLink.OnSave = [this] {
        if (TIniFile *ini = m_iniLink.IniObject()) SaveLayout(*ini);
    };
    m_iniLink.OnRestore = [this] {
        if (TIniFile *ini = m_iniLink.IniObject()) RestoreLayout(*ini);
    };
}

TRichDBGrid::~TRichDBGrid() = default;

void TRichDBGrid::SetMultiSelect(bool value)
{
    SetOptions(value ? Options() | dgMultiSelect : Options() & ~TDBGridOptions(dgMultiSelect));
}

void TRichDBGrid::SetDefaultDrawing(bool value)
{
    m_defaultDrawing = value;
    viewport()->update();
}

void TRichDBGrid::SetShowGlyphs(bool value)
{
    m_showGlyphs = value;
    viewport()->update();
}

void TRichDBGrid::SetTitleButtons(bool value)
{
    m_titleButtons = value;
    m_tracking = m_titleDown = false;
    invalidateTitles();
}

void TRichDBGrid::SetRowsHeight(int value)
{
    if (value <= 0) return;
    SetDefaultRowHeight(value);
    SetTitleRowHeight(value + 2);
}

void TRichDBGrid::Loaded()
{
    m_loaded = true;
    if (!OnTitleBtnClick)
        OnTitleBtnClick = [this](QObject *, int ACol, TField *Field) { builtInSort(ACol, Field); };
    if (!OnGetBtnParams)
        OnGetBtnParams = [this](QObject *, TField *Field, QFont &, QColor &, QColor &, TSortMarker &marker, bool) {
            if (Field && !m_sortField.isEmpty() && Field->FieldName.compare(m_sortField, Qt::CaseInsensitive) == 0)
                marker = m_sortDescending ? TSortMarker::smDown : TSortMarker::smUp;
        };
}

void TRichDBGrid::showEvent(QShowEvent *event)
{
    if (!m_loaded) Loaded();
    TCustomDBGrid::showEvent(event);
}

// ---- cells --------------------------------------------------------------------

void TRichDBGrid::GetCellParams(TGridCanvas &canvas, TField *field, bool highlight)
{
    if (OnGetCellProps) OnGetCellProps(this, field, canvas.Font, canvas.FontColor, canvas.Brush);
    if (OnGetCellParams) OnGetCellParams(this, field, canvas.Font, canvas.FontColor, canvas.Brush, highlight);
}

QString TRichDBGrid::BlobGlyphName(TField *field)
{
    if (!field) return {};
    switch (field->DataType()) {
    case ftMemo:
    case ftFmtMemo: return field->IsNull() ? QStringLiteral("DBG_MEMO") : QStringLiteral("DBG_NOTEMPTY");
    case ftGraphic: return QStringLiteral("DBG_PICT");
    case ftParadoxOle:
    case ftDBaseOle: return QStringLiteral("DBG_OLE");
    case ftBlob:
    case ftTypedBinary:
    case ftOraBlob:
    case ftOraClob: return QStringLiteral("DBG_BLOB");
    case ftBytes:
    case ftVarBytes: return QStringLiteral("DBG_DATA");
    case ftADT:
    case ftArray:
    case ftReference:
    case ftDataSet: return QStringLiteral("DBG_OBJECT");
    default: return {};
    }
}

void TRichDBGrid::DrawColumnCell(TGridCanvas &canvas, const QRect &rect, int dataCol, TColumn *column,
                                 TGridDrawState state)
{
    TField *field = column->Field();
    GetCellParams(canvas, field, state & gdSelected);
    if (m_defaultDrawing) {
        const QString glyphName = m_showGlyphs ? BlobGlyphName(field) : QString();
        if (!glyphName.isEmpty()) {
            QPainter &p = *canvas.Painter;
            p.fillRect(rect, canvas.Brush);
            const QPixmap glyph = GridGlyph(glyphName);
            p.drawPixmap(rect.left() + (rect.width() - glyph.width()) / 2,
                         rect.top() + (rect.height() - glyph.height()) / 2, glyph);
        } else {
            DefaultDrawColumnCell(canvas, rect, field, column);
        }
        if ((state & gdFocused) && !(Options() & dgRowSelect)) {
            QPainter &p = *canvas.Painter;
            QPen pen(canvas.FontColor, 1, Qt::DotLine);
            p.setPen(pen);
            p.setBrush(Qt::NoBrush);
            p.drawRect(rect.adjusted(0, 0, -1, -1));
        }
    }
    if (OnDrawColumnCell) OnDrawColumnCell(this, rect, dataCol, column, state);
}

// ---- titles -------------------------------------------------------------------

void TRichDBGrid::DrawTitleCell(QPainter &painter, int dataCol, const QRect &rect, TGridDrawState state)
{
    Q_UNUSED(state);
    if (!m_titleButtons && FixedCols() == 0) {
        const TColumnTitle *title = Columns()[dataCol]->Title();
        painter.fillRect(rect, resolve(title->Color()));
        painter.setFont(title->Font());
        painter.setPen(resolve(title->FontColor()));
        DrawTitleCaption(painter, rect, title);
        return;
    }
    paintTitleButton(painter, dataCol, rect, m_titleDown && m_pressedCol == dataCol);
}

void TRichDBGrid::paintTitleButton(QPainter &painter, int dataCol, const QRect &rect, bool pressed)
{
    TColumn *column = Columns()[dataCol];
    const TColumnTitle *title = column->Title();
    QFont font = title->Font();
    QColor fontColor = resolve(title->FontColor());
    QColor background = resolve(title->Color());
    TSortMarker marker = TSortMarker::smNone;
    if (OnGetBtnParams) OnGetBtnParams(this, column->Field(), font, fontColor, background, marker, pressed);

    painter.fillRect(rect, background);
    const QColor light = resolve(clHighlightText);
    const QColor shadow = resolve(clBtnShadow);
    if (pressed) drawEdge(painter, rect, shadow, light);
    else drawEdge(painter, rect, light, shadow);

    QPixmap glyph;
    if (marker != TSortMarker::smNone)
        glyph = GridGlyph(marker == TSortMarker::smDown ? QStringLiteral("DBG_SMDOWN") : QStringLiteral("DBG_SMUP"));
    QRect textRect = rect;
    if (!glyph.isNull()) textRect.setRight(rect.right() - (glyph.width() + 6));
    if (pressed) textRect.translate(1, 1);
    painter.setFont(font);
    painter.setPen(fontColor);
    DrawTitleCaption(painter, textRect, title);

    if (!glyph.isNull() && glyph.width() + 4 <= rect.width()) {
        const int inset = pressed ? 2 : 3;
        const int x = layoutDirection() == Qt::RightToLeft ? rect.left() + inset
                                                           : rect.right() + 1 - inset - glyph.width();
        painter.drawPixmap(x, rect.top() + (rect.height() - glyph.height()) / 2, glyph);
    }
}

void TRichDBGrid::DrawTitleCaption(QPainter &painter, const QRect &textRect, const TColumnTitle *title)
{
    const QFontMetrics fm(painter.font());
    const QString caption = fm.elidedText(title->Caption(), Qt::ElideRight, qMax(0, textRect.width() - 4));
    drawCellText(painter, textRect, 2, caption, title->Alignment());
}

void TRichDBGrid::TopLeftChanged()
{
    if (OnTopLeftChanged) OnTopLeftChanged(this);
}

// ---- title buttons ------------------------------------------------------------

bool TRichDBGrid::overPressedTitle(const QPoint &pos) const
{
    if (!viewport()->rect().contains(pos)) return false;
    int col, row;
    MouseCoord(pos, col, row);
    return row == 0 && TitleOffset() && RawToDataColumn(col) == m_pressedCol;
}

void TRichDBGrid::mousePressEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    if (OnMouseDown) OnMouseDown(this, event->button(), event->modifiers(), pos.x(), pos.y());
    int col, row;
    MouseCoord(pos, col, row);
    const int dc = RawToDataColumn(col);
    const bool onTitle = TitleOffset() && row == 0 && dc >= 0 && dc < Columns().Count();
    if (m_titleButtons && onTitle && DataLinkActive()) {
        if (event->button() == Qt::LeftButton && sizingColumnAt(pos) < 0) {
            bool enabled = true;
            if (OnCheckButton) OnCheckButton(this, dc, Columns()[dc]->Field(), enabled);
            if (!enabled) return;
            m_tracking = true;
            m_titleDown = true;
            m_pressedCol = dc;
            invalidateTitles();
            return;
        }
        if (event->button() == Qt::RightButton && (Options() & dgColumnResize)) {
            // Moving and sizing titles with the right button; a failure here
            // must not reach the user for a mere right click.
            try {
                gridMouseDown(Qt::LeftButton, pos, event->modifiers());
                m_rightAsLeft = true;
            } catch (const std::exception &) {
                m_rightAsLeft = false;
            }
            return;
        }
    }
    TCustomDBGrid::mousePressEvent(event);
}

void TRichDBGrid::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    if (m_tracking) {
        const bool over = overPressedTitle(pos);
        if (over != m_titleDown) {
            m_titleDown = over;
            invalidateTitles();
        }
        return;
    }
    if (OnMouseMove) OnMouseMove(this, event->modifiers(), pos.x(), pos.y());
    TCustomDBGrid::mouseMoveEvent(event);
}

void TRichDBGrid::mouseReleaseEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    if (m_tracking && event->button() == Qt::LeftButton) {
        const bool over = overPressedTitle(pos);
        const int dc = m_pressedCol;
        m_tracking = false;
        m_titleDown = false;
        m_pressedCol = -1;
        invalidateTitles();
        if (over && dc < Columns().Count()) TitleBtnClick(dc, Columns()[dc]->Field());
    } else if (m_rightAsLeft && event->button() == Qt::RightButton) {
        m_rightAsLeft = false;
        try {
            gridMouseUp(Qt::LeftButton, pos);
        } catch (const std::exception &) {
        }
    } else {
        TCustomDBGrid::mouseReleaseEvent(event);
    }
    if (OnMouseUp) OnMouseUp(this, event->button(), event->modifiers(), pos.x(), pos.y());
}

void TRichDBGrid::TitleBtnClick(int dataCol, TField *field)
{
    if (OnTitleBtnClick) OnTitleBtnClick(this, dataCol, field);
}

void TRichDBGrid::wheelEvent(QWheelEvent *event)
{
    bool handled = false;
    const QPoint pos = event->position().toPoint();
    if (event->angleDelta().y() < 0 && OnMouseWheelDown) OnMouseWheelDown(this, event->modifiers(), pos, handled);
    else if (event->angleDelta().y() > 0 && OnMouseWheelUp) OnMouseWheelUp(this, event->modifiers(), pos, handled);
    if (handled) event->accept();
    else TCustomDBGrid::wheelEvent(event);
}

void TRichDBGrid::keyPressEvent(QKeyEvent *event)
{
    const QString text = event->text();
    if (OnKeyPress && text.size() == 1 && text.at(0).isPrint()) {
        QChar key = text.at(0);
        OnKeyPress(this, key);
        if (key.isNull()) {
            event->accept();
            return;
        }
    }
    TDataSet *ds = DataSet();
    const Qt::KeyboardModifiers mods = event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    const bool multi = MultiSelect() && ds;
    switch (event->key()) {
    case Qt::Key_Left:
        if (mods == Qt::ControlModifier) {
            SetSelectedIndex(FixedCols());
            event->accept();
            return;
        }
        break;
    case Qt::Key_Delete:
        if (mods == Qt::ControlModifier) {
            if (ds && CanModifyData() && !EditorMode()) deleteRecords();
            event->accept();
            return;
        }
        break;
    case Qt::Key_Up:
    case Qt::Key_Down:
        if (!multi || EditorMode()) break;
        if (mods == Qt::ShiftModifier) {
            // The selection grows from the record left to the one reached.
            SelectRow(ds->GetBookmark(), true);
            ds->MoveBy(event->key() == Qt::Key_Up ? -1 : 1);
            SelectRow(ds->GetBookmark(), true);
            event->accept();
            return;
        }
        if (mods == Qt::NoModifier && m_clearSelection) ClearSelectedRows();
        break;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        if (multi && mods == Qt::ControlModifier) ClearSelectedRows();
        break;
    default: break;
    }
    TCustomDBGrid::keyPressEvent(event);
}

void TRichDBGrid::deleteRecords()
{
    TDataSet *ds = DataSet();
    const bool selected = MultiSelect() && !SelectedRows().isEmpty();
    if ((Options() & dgConfirmDelete)
        && !confirmHook()(this, selected ? QStringLiteral("Delete all selected records?")
                                         : QStringLiteral("Delete record?")))
        return;
    if (!selected) {
        ds->Delete();
        return;
    }
    const QList<TBookmark> rows = SelectedRows();
    ds->DisableControls();
    try {
        for (const TBookmark &b : rows) {
            if (!ds->BookmarkValid(b)) continue;
            ds->GotoBookmark(b);
            ds->Delete();
        }
    } catch (...) {
        ds->EnableControls();
        ClearSelectedRows();
        throw;
    }
    ds->EnableControls();
    ClearSelectedRows();
}

bool TRichDBGrid::CanEditShow() const
{
    if (!TCustomDBGrid::CanEditShow()) return false;
    bool allow = true;
    if (OnShowEditor) OnShowEditor(const_cast<TRichDBGrid *>(this), SelectedField(), allow);
    return allow;
}

void TRichDBGrid::EditChanged()
{
    if (OnEditChange) OnEditChange(this);
}

void TRichDBGrid::contextMenuEvent(QContextMenuEvent *event)
{
    bool handled = false;
    if (OnContextPopup) OnContextPopup(this, event->pos(), handled);
    event->setAccepted(handled);
}

// ---- built-in sort ------------------------------------------------------------

bool TRichDBGrid::IsIndexedTable(const TDataSet *ds)
{
    const QMetaObject *mo = ds->metaObject();
    return mo->indexOfProperty("IndexName") >= 0 && mo->indexOfMethod("IndexNames()") >= 0;
}

QStringList TRichDBGrid::TableIndexNames(TDataSet *ds)
{
    QStringList names;
    if (IsIndexedTable(ds))
        QMetaObject::invokeMethod(ds, "IndexNames", Qt::DirectConnection, Q_RETURN_ARG(QStringList, names));
    return names;
}

QString TRichDBGrid::TableIndexFields(TDataSet *ds, const QString &index)
{
    QString fields;
    if (ds->metaObject()->indexOfMethod("IndexFieldNames(QString)") >= 0)
        QMetaObject::invokeMethod(ds, "IndexFieldNames", Qt::DirectConnection, Q_RETURN_ARG(QString, fields),
                                  Q_ARG(QString, index));
    return fields;
}

void TRichDBGrid::builtInSort(int dataCol, TField *field)
{
    Q_UNUSED(dataCol);
    TDataSet *ds = DataSet();
    if (!ds || !field) return;
    const bool table = IsIndexedTable(ds);
    const bool query = ds->metaObject()->indexOfProperty("SQL") >= 0;
    if (!table && !query) return;
    const bool descending =
        field->FieldName.compare(m_sortField, Qt::CaseInsensitive) == 0 ? !m_sortDescending : false;
    const bool sorted = table ? sortTable(ds, field->FieldName, descending)
                              : sortQuery(ds, field->FieldName, descending);
    if (sorted) {
        m_sortField = field->FieldName;
        m_sortDescending = descending;
    }
    invalidateTitles();
}

bool TRichDBGrid::sortTable(TDataSet *ds, const QString &fieldName, bool descending)
{
    const QStringList names = TableIndexNames(ds);
    QStringList candidates;
    if (descending) candidates << fieldName + QLatin1Char('D');
    candidates << fieldName;
    for (const char *primary : {"PrimaryKey", "Primary"})
        if (TableIndexFields(ds, QString::fromLatin1(primary)).compare(fieldName, Qt::CaseInsensitive) == 0)
            candidates << QString::fromLatin1(primary);
    for (const QString &candidate : std::as_const(candidates)) {
        const auto it = std::find_if(names.cbegin(), names.cend(), [&](const QString &n) {
            return n.compare(candidate, Qt::CaseInsensitive) == 0;
        });
        if (it == names.cend()) continue;
        try {
            if (!ds->setProperty("IndexName", *it)) continue;
            ds->Close();
            ds->Open();
            ds->First();
            return true;
        } catch (const Exception &) {
            // The next way may work.
        }
    }
    try {
        ds->setProperty("IndexName", QString());
    } catch (const Exception &) {
    }
    m_sortField.clear();
    m_sortDescending = false;
    return false;
}

bool TRichDBGrid::sortQuery(TDataSet *ds, const QString &fieldName, bool descending)
{
    const QString old = ds->property("SQL").toString();
    QString base = old;
    const qsizetype orderBy = base.lastIndexOf(QLatin1String("ORDER BY"), -1, Qt::CaseInsensitive);
    if (orderBy >= 0) base.truncate(orderBy);
    base = base.trimmed();
    const QString direction = descending ? QStringLiteral(" DESC") : QString();
    const QStringList attempts = {base + QStringLiteral(" ORDER BY ") + fieldName + direction,
                                  base + QStringLiteral(" ORDER BY \"") + fieldName + QLatin1Char('"') + direction};
    for (const QString &sql : attempts) {
        try {
            ds->Close();
            ds->setProperty("SQL", sql);
            ds->Open();
            ds->First();
            return true;
        } catch (const Exception &) {
            // Quoted names are the second way; the old text the last.
        }
    }
    try {
        ds->Close();
        ds->setProperty("SQL", old);
        ds->Open();
    } catch (const Exception &) {
    }
    return false;
}

// ---- layout storage -----------------------------------------------------------

QString TRichDBGrid::LayoutSection() const
{
    return m_iniLink.RootSection() + classNameOf(window()) + objectName();
}

void TRichDBGrid::SaveLayout(TIniFile &ini)
{
    if (Columns().state() == TDBGridColumns::State::Default) {
        saveFieldLayout(ini);
        return;
    }
    const QString section = LayoutSection();
    ini.EraseSection(section);
    for (int i = 0; i < Columns().Count(); ++i) {
        const TColumn *c = Columns()[i];
        ini.WriteString(section, QStringLiteral("%1.%2").arg(objectName(), c->FieldName()),
                        QStringLiteral("%1,%2").arg(i).arg(c->Width()));
    }
}

void TRichDBGrid::RestoreLayout(TIniFile &ini)
{
    if (Columns().state() == TDBGridColumns::State::Default) {
        restoreFieldLayout(ini);
        return;
    }
    const QString section = LayoutSection();
    struct Entry
    {
        TColumn *column;
        int index;
    };
    QList<Entry> entries;
    BeginLayout();
    for (int i = 0; i < Columns().Count(); ++i) {
        TColumn *c = Columns()[i];
        const QString value =
            ini.ReadString(section, QStringLiteral("%1.%2").arg(objectName(), c->FieldName()), QString());
        const QStringList parts = layoutParts(value);
        entries.append({c, partOr(parts, 0, i)});
        // A missing width leaves the column's own (possibly the field's default).
        bool ok = false;
        const int width = parts.value(1).toInt(&ok);
        if (ok) c->SetWidth(width);
    }
    // Place the column stored with index 0 first, then index 1, and so on.
    for (int target = 0; target < entries.size(); ++target)
        for (const Entry &e : std::as_const(entries))
            if (e.index == target) {
                e.column->SetIndex(target);
                break;
            }
    EndLayout();
}

void TRichDBGrid::saveFieldLayout(TIniFile &ini)
{
    TDataSet *ds = DataLinkActive() ? DataSet() : nullptr;
    if (!ds) return;
    const QString section = m_iniLink.RootSection() + [ds] {
        for (QObject *o = ds->parent(); o; o = o->parent())
            if (o->isWidgetType()) return classNameOf(static_cast<QWidget *>(o)->window());
        return ds->objectName();
    }();
    for (TField *f : ds->Fields())
        ini.WriteString(section, ds->objectName() + f->FieldName,
                        QStringLiteral("%1,%2,%3").arg(f->Index()).arg(f->DisplayWidth()).arg(f->Visible ? 1 : 0));
}

void TRichDBGrid::restoreFieldLayout(TIniFile &ini)
{
    TDataSet *ds = DataLinkActive() ? DataSet() : nullptr;
    if (!ds) return;
    const QString section = m_iniLink.RootSection() + [ds] {
        for (QObject *o = ds->parent(); o; o = o->parent())
            if (o->isWidgetType()) return classNameOf(static_cast<QWidget *>(o)->window());
        return ds->objectName();
    }();
    BeginLayout();
    QList<std::pair<int, TField *>> places;
    const QList<TField *> fields = ds->Fields();
    for (TField *f : fields) {
        const QStringList parts = layoutParts(ini.ReadString(section, ds->objectName() + f->FieldName, QString()));
        f->SetDisplayWidth(partOr(parts, 1, f->DisplayWidth()));
        places.append({partOr(parts, 0, f->Index()), f});
    }
    // The field stored at place 0 first, then place 1, and so on.
    std::stable_sort(places.begin(), places.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
    // One rebuild at the end, not one per field moved.
    ds->DisableControls();
    for (int i = 0; i < places.size(); ++i) places[i].second->SetIndex(i);
    ds->EnableControls();
    Columns().RebuildColumns();
    EndLayout();
}
