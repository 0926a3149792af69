#include "report/designer/frdesignpage.h"

#include "report/designer/frdesignerform.h"
#include "report/frbandview.h"
#include "report/frbuildcontext.h"
#include "report/frdrawmode.h"
#include "report/frpage.h"
#include "report/frreport.h"
#include "report/frview.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>

using namespace frDesign;

namespace {
Box boxOf(const TfrView *v) { return {v->Left, v->Top, v->Width, v->Height}; }

void setBox(TfrView *v, const Box &b)
{
    v->Left = b.left;
    v->Top = b.top;
    v->Width = b.width;
    v->Height = b.height;
}

Qt::CursorShape cursorFor(Handle h)
{
    switch (h) {
    case TopLeft: case BottomRight: return Qt::SizeFDiagCursor;
    case TopRight: case BottomLeft: return Qt::SizeBDiagCursor;
    case Top: case Bottom: return Qt::SizeVerCursor;
    case Left: case Right: return Qt::SizeHorCursor;
    case NoHandle: break;
    }
    return Qt::ArrowCursor;
}
} // namespace

TfrDesignPage::TfrDesignPage(TFRDesignerForm *form, QWidget *parent) : QWidget(parent), m_form(form)
{
    setObjectName(QStringLiteral("PageView"));
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    updateSize();
}

QSize TfrDesignPage::paperSize() const
{
    const TfrPage *page = m_form->Page();
    if (!page || page->PrnInfo.pageWidth <= 0 || page->PrnInfo.pageHeight <= 0) return {794, 1123};
    return {page->PrnInfo.pageWidth, page->PrnInfo.pageHeight};
}

void TfrDesignPage::updateSize()
{
    const QSize s = paperSize();
    resize(s.width() + 1, s.height() + 1);
    update();
}

TfrView *TfrDesignPage::objectAt(QPoint point) const
{
    const TfrPage *page = m_form->Page();
    if (!page) return nullptr;
    TfrContextScope scope(&m_form->Report());
    for (qsizetype i = page->Objects.size() - 1; i >= 0; --i)
        if (page->Objects[i]->GetRegion(false).contains(point)) return page->Objects[i];
    return nullptr;
}

QList<Box> TfrDesignPage::selectedBoxes() const
{
    QList<Box> boxes;
    for (const TfrView *v : m_form->Selection()) boxes << boxOf(v);
    return boxes;
}

void TfrDesignPage::paintEvent(QPaintEvent *event)
{
    QPainter p(this);
    p.fillRect(event->rect(), QColor(0xAB, 0xAB, 0xAB));
    const TfrPage *page = m_form->Page();
    const QSize paper = paperSize();
    p.fillRect(QRect(QPoint(0, 0), paper), Qt::white);
    p.setPen(Qt::black);
    p.drawRect(QRect(QPoint(0, 0), paper));
    if (!page) return;
    if (m_form->ShowGrid) {
        const int g = m_form->GridSize;
        const QRect area = event->rect() & QRect(QPoint(0, 0), paper);
        QPolygon dots;
        for (int y = area.top() / g * g; y <= area.bottom(); y += g)
            for (int x = area.left() / g * g; x <= area.right(); x += g) dots << QPoint(x, y);
        p.setPen(QColor(0x80, 0x80, 0x80));
        p.drawPoints(dots);
    }
    if (page->UseMargins) {
        p.setPen(QPen(QColor(0x80, 0x80, 0x80), 1, Qt::DotLine));
        p.drawRect(QRect(QPoint(page->Margins[0], page->Margins[1]),
                         QPoint(paper.width() - page->Margins[2], paper.height() - page->Margins[3])));
    }
    {
        // Objects draw as in the designer, whatever a build left in the mode.
        TfrContextScope scope(&m_form->Report());
        const frDraw::Mode saved = frDraw::mode();
        frDraw::mode() = frDraw::Mode{};
        for (TfrView *v : page->Objects) {
            p.save();
            v->Draw(p);
            p.restore();
        }
        frDraw::mode() = saved;
    }
    drawSelection(p);
    if (m_mode == Rubber || m_mode == Insert) {
        p.setPen(QPen(Qt::black, 1, Qt::DotLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(m_rubber.normalized());
    }
}

void TfrDesignPage::drawSelection(QPainter &p)
{
    const QList<TfrView *> selection = m_form->Selection();
    if (selection.isEmpty()) return;
    if (m_form->SelectionInvert) {
        p.save();
        p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        for (const TfrView *v : selection) p.fillRect(QRect(v->Left, v->Top, v->Width + 1, v->Height + 1), Qt::white);
        p.restore();
    }
    auto handle = [&](int x, int y) { p.fillRect(QRect(x - 2, y - 2, 5, 5), Qt::black); };
    if (selection.size() == 1) {
        const Box b = boxOf(selection.first());
        const int cx = b.left + b.width / 2, cy = b.top + b.height / 2;
        for (const QPoint &pt : {QPoint(b.left, b.top), QPoint(cx, b.top), QPoint(b.right(), b.top),
                                 QPoint(b.right(), cy), QPoint(b.right(), b.bottom()), QPoint(cx, b.bottom()),
                                 QPoint(b.left, b.bottom()), QPoint(b.left, cy)})
            handle(pt.x(), pt.y());
        return;
    }
    // A group: a frame round each object, the group's size handle at the bottom right.
    p.setPen(QPen(Qt::black, 1, Qt::DotLine));
    p.setBrush(Qt::NoBrush);
    if (!m_form->SelectionInvert)
        for (const TfrView *v : selection) p.drawRect(QRect(v->Left - 1, v->Top - 1, v->Width + 2, v->Height + 2));
    const Box all = bounds(selectedBoxes());
    handle(all.right(), all.bottom());
}

void TfrDesignPage::updateCursor(QPoint point)
{
    if (m_form->CurrentTool() != TFRDesignerForm::ToolSelect) {
        setCursor(Qt::CrossCursor);
        return;
    }
    const QList<Box> boxes = selectedBoxes();
    Qt::CursorShape shape = Qt::ArrowCursor;
    if (boxes.size() == 1) {
        shape = cursorFor(handleAt(boxes.first(), point));
    } else if (boxes.size() > 1) {
        const Box all = bounds(boxes);
        int l = -1, r = -1;
        if (handleAt(all, point) == BottomRight) shape = Qt::SizeFDiagCursor;
        else if (sharedEdgeAt(boxes, point, l, r)) shape = Qt::SplitHCursor;
    }
    setCursor(shape);
}

void TfrDesignPage::mousePressEvent(QMouseEvent *event)
{
    const QPoint pt = event->position().toPoint();
    setFocus();
    if (event->button() == Qt::RightButton) {
        m_form->ShowContextMenu(event->globalPosition().toPoint());
        return;
    }
    if (event->button() != Qt::LeftButton) return;
    m_press = m_last = pt;
    m_pending = {};
    m_changed = false;
    if (m_form->CurrentTool() != TFRDesignerForm::ToolSelect) {
        m_mode = Insert;
        QPoint start = pt;
        if (m_form->GridAlign) start = {snapDown(pt.x(), m_form->GridSize), snapDown(pt.y(), m_form->GridSize)};
        m_rubber = QRect(start, start);
        return;
    }
    const QList<TfrView *> selection = m_form->Selection();
    const QList<Box> boxes = selectedBoxes();
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    if (!ctrl && !shift) {
        if (boxes.size() == 1) {
            m_handle = handleAt(boxes.first(), pt);
            if (m_handle != NoHandle) {
                m_mode = Size;
                m_startBox = boxes.first();
                return;
            }
        } else if (boxes.size() > 1) {
            const Box all = bounds(boxes);
            if (handleAt(all, pt) == BottomRight) {
                m_mode = GroupSize;
                m_startBounds = all;
                m_startBoxes = boxes;
                return;
            }
            int l = -1, r = -1;
            if (sharedEdgeAt(boxes, pt, l, r)) {
                m_mode = Split;
                m_splitLeft = selection[l];
                m_splitRight = selection[r];
                m_startBoxes = {boxes[l], boxes[r]};
                return;
            }
        }
    }
    TfrView *hit = ctrl ? nullptr : objectAt(pt);
    if (!hit) {
        m_mode = Rubber;
        m_rubber = QRect(pt, pt);
        m_form->ClearSelection();
        return;
    }
    if (shift) {
        hit->Selected = !hit->Selected;
        m_form->SelectionChanged();
        m_mode = Idle;
        return;
    }
    if (!hit->Selected) m_form->SelectOnly(hit);
    m_mode = Move;
}

void TfrDesignPage::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint pt = event->position().toPoint();
    if (!(event->buttons() & Qt::LeftButton) || m_mode == Idle) {
        updateCursor(pt);
        return;
    }
    const int grid = m_form->GridAlign ? m_form->GridSize : 1;
    const QPoint total = pt - m_press;
    switch (m_mode) {
    case Rubber:
        m_rubber.setBottomRight(pt);
        break;
    case Insert: {
        QPoint end = pt;
        if (m_form->GridAlign) end = {snapDown(pt.x(), grid), snapDown(pt.y(), grid)};
        m_rubber.setBottomRight(end);
        break;
    }
    case Move: {
        m_pending += pt - m_last;
        const int dx = gridStep(m_pending.x(), grid), dy = gridStep(m_pending.y(), grid);
        // With the grid, nothing moves until either axis has gone a whole step.
        if (dx != 0 || dy != 0) {
            for (TfrView *v : m_form->Selection()) {
                v->Left += dx;
                v->Top += dy;
            }
            m_pending -= QPoint(dx, dy);
            m_changed = true;
        }
        break;
    }
    case Size: {
        if (TfrView *v = m_form->SelectedObject()) {
            setBox(v, dragHandle(m_startBox, m_handle, gridStep(total.x(), grid), gridStep(total.y(), grid)));
            m_changed = true;
        }
        break;
    }
    case GroupSize: {
        const QList<TfrView *> selection = m_form->Selection();
        const int w = m_startBounds.width + gridStep(total.x(), grid);
        const int h = m_startBounds.height + gridStep(total.y(), grid);
        if (w > 0 && h > 0 && selection.size() == m_startBoxes.size()) {
            const QList<Box> scaled = scaleGroup(m_startBoxes, m_startBounds, w, h);
            for (int i = 0; i < selection.size(); ++i) setBox(selection[i], scaled[i]);
            m_changed = true;
        }
        break;
    }
    case Split: {
        const int dx = gridStep(total.x(), grid);
        const Box l = m_startBoxes[0], r = m_startBoxes[1];
        if (l.width + dx > 0 && r.width - dx > 0) {
            m_splitLeft->Width = l.width + dx;
            m_splitRight->Left = r.left + dx;
            m_splitRight->Width = r.width - dx;
            m_changed = true;
        }
        break;
    }
    case Idle: break;
    }
    m_last = pt;
    // Only positions changed: the bars' states stay as they are while dragging.
    m_form->GeometryChanged();
}

void TfrDesignPage::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) return;
    const Mode mode = std::exchange(m_mode, Idle);
    switch (mode) {
    case Rubber: {
        const QRect band = m_rubber.normalized();
        if (const TfrPage *page = m_form->Page())
            for (TfrView *v : page->Objects)
                if (QRect(v->Left, v->Top, v->Width + 1, v->Height + 1).intersects(band.adjusted(0, 0, 1, 1)))
                    v->Selected = true;
        m_form->SelectionChanged();
        break;
    }
    case Insert: {
        // Corner to corner; a click gives an empty rectangle at the point.
        const QPoint a = m_rubber.topLeft(), b = m_rubber.bottomRight();
        m_form->InsertObject(QRect(QPoint(qMin(a.x(), b.x()), qMin(a.y(), b.y())),
                                   QSize(qAbs(b.x() - a.x()), qAbs(b.y() - a.y()))));
        break;
    }
    case Size: case GroupSize: case Split: case Move:
        if (m_changed) {
            for (TfrView *v : m_form->Selection()) setBox(v, normalized(boxOf(v)));
            m_form->SelectionChanged();
            m_form->AddUndoSnapshot();
        }
        break;
    case Idle: break;
    }
    update();
}

void TfrDesignPage::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || m_form->CurrentTool() != TFRDesignerForm::ToolSelect) return;
    if (objectAt(event->position().toPoint())) m_form->EditSelected();
}

void TfrDesignPage::keyPressEvent(QKeyEvent *event)
{
    if (!m_form->HandleKey(event)) QWidget::keyPressEvent(event);
}
