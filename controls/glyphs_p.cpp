#include "controls/glyphs_p.h"

#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace {

QColor inkFor(GlyphState state)
{
    switch (state) {
    case GlyphState::Hot: return QColor(0x00, 0x4C, 0xB8);
    case GlyphState::Disabled: return QColor(0x9A, 0x9A, 0x9A);
    default: return QColor(0x20, 0x30, 0x50);
    }
}

// Shapes are laid out on a 16 x 16 design grid and scaled to the pixmap.
QPainterPath shapeOf(int index)
{
    QPainterPath p;
    auto triangle = [&p](double x0, double x1, double top, double bottom) {
        p.moveTo(x0, (top + bottom) / 2);
        p.lineTo(x1, top);
        p.lineTo(x1, bottom);
        p.closeSubpath();
    };
    switch (index) {
    case 0:   // first
        p.addRect(3, 3, 2, 10);
        triangle(5.5, 12.5, 3, 13);
        break;
    case 1:   // prior
        triangle(4, 11.5, 3, 13);
        break;
    case 2:   // next
        triangle(12, 4.5, 3, 13);
        break;
    case 3:   // last
        triangle(10.5, 3.5, 3, 13);
        p.addRect(11, 3, 2, 10);
        break;
    case 4:   // insert
        p.addRect(7, 2.5, 2.5, 11);
        p.addRect(2.75, 6.75, 11, 2.5);
        break;
    case 5:   // delete
        p.addRect(2.75, 6.75, 11, 2.5);
        break;
    case 6:   // edit: a pencil
        p.moveTo(3, 13);
        p.lineTo(4, 10);
        p.lineTo(11, 3);
        p.lineTo(13, 5);
        p.lineTo(6, 12);
        p.closeSubpath();
        break;
    case 7:   // post: a tick
        p.moveTo(2, 8.5);
        p.lineTo(4, 6.5);
        p.lineTo(6.5, 9);
        p.lineTo(12, 3);
        p.lineTo(14, 5);
        p.lineTo(6.5, 13);
        p.closeSubpath();
        break;
    case 8: { // cancel: a cross
        QPainterPath bar;
        bar.addRect(-6, -1.25, 12, 2.5);
        QTransform t;
        t.translate(8, 8);
        t.rotate(45);
        p.addPath(t.map(bar));
        t.rotate(90);
        p.addPath(t.map(bar));
        p.setFillRule(Qt::WindingFill);
        break;
    }
    case 9: { // refresh: an open ring with an arrow head
        QPainterPath ring;
        ring.arcMoveTo(2.5, 2.5, 11, 11, 60);
        ring.arcTo(2.5, 2.5, 11, 11, 60, 270);
        QPainterPathStroker stroker;
        stroker.setWidth(2.2);
        p = stroker.createStroke(ring);
        QPainterPath head;
        head.moveTo(9, 1.5);
        head.lineTo(13.5, 3.5);
        head.lineTo(10, 7);
        head.closeSubpath();
        p.addPath(head);
        p.setFillRule(Qt::WindingFill);
        break;
    }
    case 10: { // search: a magnifier
        QPainterPath lens;
        lens.addEllipse(2, 2, 8, 8);
        QPainterPathStroker stroker;
        stroker.setWidth(2);
        p = stroker.createStroke(lens);
        QPainterPath handle;
        handle.moveTo(9, 10.5);
        handle.lineTo(10.5, 9);
        handle.lineTo(14, 12.5);
        handle.lineTo(12.5, 14);
        handle.closeSubpath();
        p.addPath(handle);
        p.setFillRule(Qt::WindingFill);
        break;
    }
    case 11:  // set bookmark: a ribbon
    case 12:  // goto bookmark: a ribbon with a notch and a dot
        p.moveTo(4, 2);
        p.lineTo(12, 2);
        p.lineTo(12, 14);
        p.lineTo(8, 10.5);
        p.lineTo(4, 14);
        p.closeSubpath();
        if (index == 12) p.addEllipse(6.5, 4.5, 3, 3);
        break;
    default: break;
    }
    return p;
}

QPixmap render(const QPainterPath &shape, int size, GlyphState state)
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter painter(&pm);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 16.0, size / 16.0);
    painter.setPen(Qt::NoPen);
    if (state == GlyphState::Disabled) {
        // The engraved look of a disabled picture: white, then grey over it.
        painter.setBrush(Qt::white);
        painter.drawPath(shape.translated(16.0 / size, 16.0 / size));
    }
    painter.setBrush(inkFor(state));
    painter.drawPath(shape);
    return pm;
}

} // namespace

QPixmap navigatorGlyph(int index, int size, GlyphState state)
{
    return render(shapeOf(index), size, state);
}

QPixmap calendarGlyph(int size, GlyphState state)
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.scale(size / 16.0, size / 16.0);
    const QColor ink = inkFor(state);
    p.setPen(Qt::NoPen);
    p.setBrush(state == GlyphState::Disabled ? QColor(0xE0, 0xE0, 0xE0) : QColor(Qt::white));
    p.drawRect(QRectF(1.5, 2.5, 13, 12));
    p.setBrush(state == GlyphState::Disabled ? ink : QColor(0xB0, 0x20, 0x20));
    p.drawRect(QRectF(1.5, 2.5, 13, 3));
    p.setBrush(ink);
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 4; ++col)
            p.drawRect(QRectF(3 + col * 3, 7 + row * 2.4, 1.6, 1.4));
    p.setPen(QPen(ink, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(1.5, 2.5, 13, 12));
    return pm;
}

QPixmap arrowGlyph(int direction, bool doubled, int size, GlyphState state)
{
    QPainterPath p;
    auto triangle = [&p, direction](double x) {
        const double tip = direction < 0 ? x : x + 5.5;
        const double base = direction < 0 ? x + 5.5 : x;
        p.moveTo(tip, 8);
        p.lineTo(base, 2.5);
        p.lineTo(base, 13.5);
        p.closeSubpath();
    };
    if (doubled) {
        triangle(2);
        triangle(8.5);
    } else {
        triangle(5.25);
    }
    return render(p, size, state);
}
