#include "report/fremfdevice.h"

#include "report/fremfformat_p.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QImage>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QSet>
#include <QTextItem>
#include <QtMath>
#include <cmath>

namespace {
quint32 colorRef(const QColor &c)
{
    const QRgb rgb = c.rgb();
    return quint32(qRed(rgb)) | (quint32(qGreen(rgb)) << 8) | (quint32(qBlue(rgb)) << 16);
}

// Coordinates on a 96-dpi page never come near the int32 limits; clamping
// keeps absurd transforms from overflowing.
qint32 coord(qreal v)
{
    return qint32(qBound(-1.0e9, std::round(double(v)), 1.0e9));
}

struct PenKey
{
    quint32 style, width, color;
    bool operator==(const PenKey &o) const { return style == o.style && width == o.width && color == o.color; }
};
struct BrushKey
{
    quint32 style, color, hatch;
    bool operator==(const BrushKey &o) const { return style == o.style && color == o.color && hatch == o.hatch; }
};
struct FontKey
{
    QString face;
    qint32 height, escapement, weight;
    bool italic, underline, strikeOut;
    bool operator==(const FontKey &o) const
    {
        return face == o.face && height == o.height && escapement == o.escapement && weight == o.weight
               && italic == o.italic && underline == o.underline && strikeOut == o.strikeOut;
    }
};
} // namespace

// Turns painter calls into EMF records. Pens, brushes and fonts are created
// when first needed and kept selected until another one is needed, so a page
// of same-styled cells writes each object once per change, not once per cell.
// Transforms are applied here (the engine claims every feature), because GDI's
// compatible mode has no world transform for text: a rotated text becomes a
// font with escapement instead.
class TfrEmfPaintEngine : public QPaintEngine
{
public:
    TfrEmfPaintEngine() : QPaintEngine(AllFeatures) {}

    bool begin(QPaintDevice *) override
    {
        if (!m_started) {
            m_started = true;
            frEmf::Writer w;
            w.u32(frEmf::SetMapMode);
            w.u32(12);
            w.u32(frEmf::MapModeText);
            add(w.data);
            record(frEmf::SetBkMode, {frEmf::Transparent});
            record(frEmf::SetTextAlign, {frEmf::TaBaseline});
            record(frEmf::SetPolyFillMode, {frEmf::Alternate});
        }
        setActive(true);
        return true;
    }

    bool end() override
    {
        if (m_saved) {
            record(frEmf::RestoreDC, {quint32(-1)});
            m_saved = false;
            forgetSelections();
        }
        setActive(false);
        return true;
    }

    Type type() const override { return QPaintEngine::User; }

    void updateState(const QPaintEngineState &state) override
    {
        const DirtyFlags f = state.state();
        if (f & DirtyTransform) m_transform = state.transform();
        if (f & DirtyPen) m_pen = state.pen();
        if (f & DirtyBrush) m_brush = state.brush();
        if (f & DirtyBrushOrigin) m_brushOrigin = state.brushOrigin();
        if (f & DirtyFont) m_font = state.font();
        if (f & DirtyBackgroundMode) m_bgMode = state.backgroundMode();
        if (f & DirtyBackground) m_bgBrush = state.backgroundBrush();
        if (f & (DirtyClipRegion | DirtyClipPath | DirtyClipEnabled)) m_clipDirty = true;
    }

    void drawRects(const QRectF *rects, int count) override
    {
        for (int i = 0; i < count; ++i) {
            if (!m_transform.isRotating() && m_transform.type() <= QTransform::TxScale) {
                syncClip();
                selectPen();
                selectBrush();
                const QRectF r = m_transform.mapRect(rects[i]);
                // GDI rectangles exclude their right and bottom edges; Qt's include the outline there.
                frEmf::Writer w;
                w.u32(frEmf::Rectangle);
                w.u32(24);
                w.i32(coord(r.left()));
                w.i32(coord(r.top()));
                w.i32(coord(r.right()) + 1);
                w.i32(coord(r.bottom()) + 1);
                add(w.data, QRect(QPoint(coord(r.left()), coord(r.top())), QPoint(coord(r.right()), coord(r.bottom()))));
            } else {
                const QPolygonF p = QPolygonF(rects[i]);
                drawPolygon(p.constData(), 4, ConvexMode);
            }
        }
    }

    void drawLines(const QLineF *lines, int count) override
    {
        for (int i = 0; i < count; ++i) {
            const QPointF pts[2] = {lines[i].p1(), lines[i].p2()};
            drawPolygon(pts, 2, PolylineMode);
        }
    }

    void drawPolygon(const QPointF *points, int count, PolygonDrawMode mode) override
    {
        if (count <= 0) return;
        syncClip();
        QPolygon mapped;
        mapped.reserve(count);
        for (int i = 0; i < count; ++i) {
            const QPointF p = m_transform.map(points[i]);
            mapped << QPoint(coord(p.x()), coord(p.y()));
        }
        const bool polyline = mode == PolylineMode;
        selectPen();
        if (polyline) {
            if (m_pen.style() == Qt::NoPen) return;
        } else {
            selectBrush();
            const quint32 fill = mode == WindingMode ? frEmf::Winding : frEmf::Alternate;
            if (fill != m_fillMode) {
                record(frEmf::SetPolyFillMode, {fill});
                m_fillMode = fill;
            }
        }
        frEmf::Writer w;
        w.u32(polyline ? frEmf::Polyline : frEmf::Polygon);
        w.u32(quint32(28 + 8 * count));
        const QRect b = mapped.boundingRect();
        w.i32(b.left());
        w.i32(b.top());
        w.i32(b.right());
        w.i32(b.bottom());
        w.u32(quint32(count));
        for (const QPoint &p : mapped) {
            w.i32(p.x());
            w.i32(p.y());
        }
        add(w.data, b);
    }

    void drawPath(const QPainterPath &path) override
    {
        const QList<QPolygonF> polys = path.toSubpathPolygons();
        if (m_brush.style() != Qt::NoBrush && !polys.isEmpty()) {
            // Fill all subpaths as one polygon set so holes stay holes, then stroke.
            syncClip();
            const QPen pen = m_pen;
            m_pen = QPen(Qt::NoPen);
            selectPen();
            selectBrush();
            const quint32 fill = path.fillRule() == Qt::WindingFill ? frEmf::Winding : frEmf::Alternate;
            if (fill != m_fillMode) {
                record(frEmf::SetPolyFillMode, {fill});
                m_fillMode = fill;
            }
            frEmf::Writer body;
            QRect bounds;
            int total = 0;
            for (const QPolygonF &poly : polys) total += int(poly.size());
            for (const QPolygonF &poly : polys)
                for (const QPointF &pt : poly) {
                    const QPointF p = m_transform.map(pt);
                    body.i32(coord(p.x()));
                    body.i32(coord(p.y()));
                    bounds |= QRect(coord(p.x()), coord(p.y()), 1, 1);
                }
            frEmf::Writer w;
            w.u32(frEmf::PolyPolygon);
            w.u32(quint32(32 + 4 * polys.size() + 8 * total));
            w.i32(bounds.left());
            w.i32(bounds.top());
            w.i32(bounds.right());
            w.i32(bounds.bottom());
            w.u32(quint32(polys.size()));
            w.u32(quint32(total));
            for (const QPolygonF &poly : polys) w.u32(quint32(poly.size()));
            w.data.append(body.data);
            add(w.data, bounds);
            m_pen = pen;
        }
        if (m_pen.style() != Qt::NoPen)
            for (const QPolygonF &poly : polys) drawPolygon(poly.constData(), int(poly.size()), PolylineMode);
    }

    void drawPixmap(const QRectF &r, const QPixmap &pm, const QRectF &sr) override
    {
        drawImage(r, pm.toImage(), sr, Qt::AutoColor);
    }

    void drawTiledPixmap(const QRectF &r, const QPixmap &pixmap, const QPointF &s) override
    {
        if (pixmap.isNull()) return;
        QImage tile(r.size().toSize().expandedTo(QSize(1, 1)), QImage::Format_ARGB32);
        tile.fill(Qt::transparent);
        QPainter p(&tile);
        p.drawTiledPixmap(QRectF(QPointF(0, 0), r.size()), pixmap, s);
        p.end();
        drawImage(r, tile, QRectF(tile.rect()), Qt::AutoColor);
    }

    void drawImage(const QRectF &r, const QImage &image, const QRectF &sr, Qt::ImageConversionFlags) override
    {
        if (image.isNull()) return;
        syncClip();
        const QRect src = sr.toAlignedRect().intersected(image.rect());
        if (src.isEmpty()) return;
        // GDI's BI_RGB ignores alpha: flatten onto white, as a printed sheet would show it.
        QImage rgb(src.size(), QImage::Format_RGB32);
        rgb.fill(Qt::white);
        {
            QPainter p(&rgb);
            p.drawImage(QPoint(0, 0), image, src);
        }
        const QRectF dest = m_transform.mapRect(r);
        const qint32 x = coord(dest.left()), y = coord(dest.top());
        const qint32 cx = qMax(1, coord(dest.right()) - x), cy = qMax(1, coord(dest.bottom()) - y);
        const quint32 stride = quint32(rgb.width()) * 4;
        const quint32 bitsSize = stride * quint32(rgb.height());
        frEmf::Writer w;
        w.u32(frEmf::StretchDIBits);
        w.u32(80 + 40 + bitsSize);
        w.i32(x);
        w.i32(y);
        w.i32(x + cx - 1);
        w.i32(y + cy - 1);
        w.i32(x);
        w.i32(y);
        w.i32(0);
        w.i32(0);
        w.i32(rgb.width());
        w.i32(rgb.height());
        w.u32(80);        // BITMAPINFOHEADER right after the record's fixed part
        w.u32(40);
        w.u32(120);       // then the bits
        w.u32(bitsSize);
        w.u32(0);         // DIB_RGB_COLORS
        w.u32(frEmf::SrcCopy);
        w.i32(cx);
        w.i32(cy);
        w.u32(40);
        w.i32(rgb.width());
        w.i32(rgb.height());  // positive: bottom-up rows
        w.u16(1);
        w.u16(32);
        w.u32(0);             // BI_RGB
        w.u32(bitsSize);
        w.i32(3780);          // 96 dpi in pixels per metre
        w.i32(3780);
        w.u32(0);
        w.u32(0);
        for (int row = rgb.height() - 1; row >= 0; --row)
            w.data.append(reinterpret_cast<const char *>(rgb.constScanLine(row)), qsizetype(stride));
        add(w.data, QRect(x, y, cx, cy));
    }

    void drawTextItem(const QPointF &p, const QTextItem &ti) override
    {
        const QString text = ti.text();
        if (text.isEmpty()) return;
        syncClip();
        const QFont font = ti.font();
        // The rotation of the world transform becomes the font's escapement.
        const qreal angle = qRadiansToDegrees(std::atan2(m_transform.m12(), m_transform.m11()));
        int escapement = int(std::lround(-angle * 10)) % 3600;
        if (escapement < 0) escapement += 3600;
        const qreal scale = std::sqrt(m_transform.m11() * m_transform.m11() + m_transform.m12() * m_transform.m12());
        selectFont(font, escapement, scale);
        if (m_textColor != colorRef(m_pen.color()) || !m_textColorSet) {
            m_textColor = colorRef(m_pen.color());
            m_textColorSet = true;
            record(frEmf::SetTextColor, {m_textColor});
        }
        const bool opaque = m_bgMode == Qt::OpaqueMode;
        if (opaque != m_opaque) {
            m_opaque = opaque;
            record(frEmf::SetBkMode, {opaque ? frEmf::Opaque : frEmf::Transparent});
        }
        if (opaque && (!m_bkColorSet || m_bkColor != colorRef(m_bgBrush.color()))) {
            m_bkColor = colorRef(m_bgBrush.color());
            m_bkColorSet = true;
            record(frEmf::SetBkColor, {m_bkColor});
        }

        // Advances from cumulative widths, rounded once each, so a long line keeps
        // its measured width when it is played at another resolution.
        const QFontMetricsF fm(font);
        const int n = int(text.size());
        QList<qint32> dx(n, 0);
        qint32 previous = 0;
        for (int i = 0; i < n; ++i) {
            if (i + 1 < n && text[i].isHighSurrogate()) continue;
            const qint32 at = coord(fm.horizontalAdvance(text.left(i + 1)) * scale);
            dx[i] = at - previous;
            previous = at;
        }
        const QPointF ref = m_transform.map(p);
        // Measured box of the run, in page units (rotated runs: the mapped box).
        const QRectF local(p.x(), p.y() - fm.ascent(), fm.horizontalAdvance(text), fm.ascent() + fm.descent());
        QRect box = m_transform.mapRect(local).toAlignedRect();
        quint32 options = 0;
        QRect rcl = box;
        if (m_clipRectValid) {
            options |= frEmf::EtoClipped;
            rcl = m_clipRect;
        }
        frEmf::Writer w;
        const quint32 chars = quint32(n);
        const quint32 stringOffset = 76;
        const quint32 stringBytes = (chars * 2 + 3) & ~3u;
        const quint32 dxOffset = stringOffset + stringBytes;
        w.u32(frEmf::ExtTextOutW);
        w.u32(dxOffset + 4 * chars);
        w.i32(box.left());
        w.i32(box.top());
        w.i32(box.right());
        w.i32(box.bottom());
        w.u32(1);             // GM_COMPATIBLE
        w.f32(0);
        w.f32(0);
        w.i32(coord(ref.x()));
        w.i32(coord(ref.y()));
        w.u32(chars);
        w.u32(stringOffset);
        w.u32(options);
        w.i32(rcl.left());
        w.i32(rcl.top());
        w.i32(rcl.right() + 1);
        w.i32(rcl.bottom() + 1);
        w.u32(dxOffset);
        for (QChar c : text) w.u16(c.unicode());
        w.pad4();
        for (qint32 d : dx) w.i32(d);
        add(w.data, m_clipRectValid ? box.intersected(m_clipRect) : box);
    }

    // The finished file: header, records, end-of-file record.
    QByteArray finish(const QSize &size)
    {
        if (isActive()) {
            qWarning("TfrEmfDevice::finish: the painter has not ended");
            end();
        }
        if (!m_started) {
            m_started = true;
            frEmf::Writer w;
            w.u32(frEmf::SetMapMode);
            w.u32(12);
            w.u32(frEmf::MapModeText);
            add(w.data);
        }
        frEmf::Writer eof;
        eof.u32(frEmf::Eof);
        eof.u32(20);
        eof.u32(0);           // no palette
        eof.u32(16);
        eof.u32(20);          // nSizeLast
        const int records = m_records + 2;
        const quint32 bytes = quint32(frEmf::HeaderSize + m_body.size() + eof.data.size());
        const int w = qMax(1, size.width()), h = qMax(1, size.height());
        const QRect bounds = m_bounds.isValid() ? m_bounds.intersected(QRect(0, 0, w, h)) : QRect();
        frEmf::Writer hd;
        hd.u32(frEmf::Header);
        hd.u32(frEmf::HeaderSize);
        if (bounds.isValid()) {
            hd.i32(bounds.left());
            hd.i32(bounds.top());
            hd.i32(bounds.right());
            hd.i32(bounds.bottom());
        } else {
            // Nothing drawn: the empty rectangle GDI writes.
            hd.i32(0);
            hd.i32(0);
            hd.i32(-1);
            hd.i32(-1);
        }
        // Frame in hundredths of a millimetre, inclusive, for a 96-dpi page.
        hd.i32(0);
        hd.i32(0);
        hd.i32(qRound(w * 2540.0 / 96.0) - 1);
        hd.i32(qRound(h * 2540.0 / 96.0) - 1);
        hd.u32(frEmf::Signature);
        hd.u32(frEmf::Version);
        hd.u32(bytes);
        hd.u32(quint32(records));
        hd.u16(quint16(qMin(m_maxHandle + 1, 0xFFFF)));
        hd.u16(0);
        hd.u32(0);            // no description
        hd.u32(0);
        hd.u32(0);            // no palette
        // The reference device is the page itself at 96 dpi, so pixels and
        // millimetres agree.
        hd.i32(w);
        hd.i32(h);
        hd.i32(qRound(w * 25.4 / 96.0));
        hd.i32(qRound(h * 25.4 / 96.0));
        hd.u32(0);            // no pixel format
        hd.u32(0);
        hd.u32(0);            // not OpenGL
        hd.i32(qRound(w * 25400.0 / 96.0));
        hd.i32(qRound(h * 25400.0 / 96.0));
        return hd.data + m_body + eof.data;
    }

private:
    void add(const QByteArray &rec, const QRect &drawn = QRect())
    {
        m_body.append(rec);
        ++m_records;
        if (drawn.isValid()) m_bounds |= drawn;
    }

    void record(quint32 type, std::initializer_list<quint32> values)
    {
        frEmf::Writer w;
        w.u32(type);
        w.u32(quint32(8 + 4 * values.size()));
        for (quint32 v : values) w.u32(v);
        add(w.data);
    }

    // A free handle slot; slot 0 is the metafile itself.
    quint32 newHandle()
    {
        quint32 h = 1;
        while (m_usedHandles.contains(h)) ++h;
        m_usedHandles.insert(h);
        m_maxHandle = qMax(m_maxHandle, int(h));
        return h;
    }

    void releaseHandle(quint32 &h)
    {
        if (!h) return;
        record(frEmf::DeleteObject, {h});
        m_usedHandles.remove(h);
        h = 0;
    }

    // Writes a create record, selects the new object, and deletes the one it
    // replaces, so a page never holds more than one object of each kind.
    void selectCreated(const QByteArray &create, quint32 h, quint32 &current)
    {
        add(create);
        record(frEmf::SelectObject, {h});
        releaseHandle(current);
        current = h;
    }

    void selectPen()
    {
        PenKey key{frEmf::PenNull, 0, 0};
        if (m_pen.style() != Qt::NoPen) {
            const qreal scale = std::sqrt(qAbs(m_transform.determinant()));
            const qreal width = m_pen.isCosmetic() ? qMax<qreal>(1, m_pen.widthF()) : m_pen.widthF() * scale;
            quint32 style = frEmf::PenSolid;
            switch (m_pen.style()) {
            case Qt::DashLine: style = frEmf::PenDash; break;
            case Qt::DotLine: style = frEmf::PenDot; break;
            case Qt::DashDotLine: style = frEmf::PenDashDot; break;
            case Qt::DashDotDotLine: style = frEmf::PenDashDotDot; break;
            default: break;
            }
            key = PenKey{style, quint32(qMax(1, coord(width))), colorRef(m_pen.color())};
        }
        if (m_penSelected && key == m_penKey) return;
        // Stock pens need no handle; a created one is replaced by the next.
        if (key.style == frEmf::PenNull) {
            record(frEmf::SelectObject, {frEmf::NullPen});
            releaseHandle(m_penHandle);
        } else {
            const quint32 h = newHandle();
            frEmf::Writer w;
            w.u32(frEmf::CreatePen);
            w.u32(28);
            w.u32(h);
            w.u32(key.style);
            w.i32(qint32(key.width));
            w.i32(0);
            w.u32(key.color);
            selectCreated(w.data, h, m_penHandle);
        }
        m_penKey = key;
        m_penSelected = true;
    }

    void selectBrush()
    {
        BrushKey key{frEmf::BrushNull, 0, 0};
        const Qt::BrushStyle s = m_brush.style();
        if (s != Qt::NoBrush) {
            key = BrushKey{frEmf::BrushSolid, colorRef(m_brush.color()), 0};
            switch (s) {
            case Qt::HorPattern: key = {frEmf::BrushHatched, key.color, 0}; break;
            case Qt::VerPattern: key = {frEmf::BrushHatched, key.color, 1}; break;
            case Qt::FDiagPattern: key = {frEmf::BrushHatched, key.color, 2}; break;
            case Qt::BDiagPattern: key = {frEmf::BrushHatched, key.color, 3}; break;
            case Qt::CrossPattern: key = {frEmf::BrushHatched, key.color, 4}; break;
            case Qt::DiagCrossPattern: key = {frEmf::BrushHatched, key.color, 5}; break;
            default: break;
            }
        }
        if (m_brushSelected && key == m_brushKey) return;
        if (key.style == frEmf::BrushNull) {
            record(frEmf::SelectObject, {frEmf::NullBrush});
            releaseHandle(m_brushHandle);
        } else {
            const quint32 h = newHandle();
            frEmf::Writer w;
            w.u32(frEmf::CreateBrushIndirect);
            w.u32(24);
            w.u32(h);
            w.u32(key.style);
            w.u32(key.color);
            w.u32(key.hatch);
            selectCreated(w.data, h, m_brushHandle);
        }
        m_brushKey = key;
        m_brushSelected = true;
    }

    void selectFont(const QFont &font, int escapement, qreal scale)
    {
        const qreal px = font.pixelSize() > 0 ? font.pixelSize() : font.pointSizeF() * 96.0 / 72.0;
        FontKey key{font.family(), -qMax(1, coord(px * scale)), escapement, font.weight(), font.italic(),
                    font.underline(), font.strikeOut()};
        if (m_fontSelected && key == m_fontKey) return;
        const quint32 h = newHandle();
        frEmf::Writer w;
        w.u32(frEmf::ExtCreateFontIndirectW);
        w.u32(12 + frEmf::LogFontSize);
        w.u32(h);
        w.i32(key.height);
        w.i32(0);
        w.i32(key.escapement);
        w.i32(key.escapement);   // orientation follows the escapement
        w.i32(key.weight);
        w.u8(key.italic);
        w.u8(key.underline);
        w.u8(key.strikeOut);
        w.u8(1);                 // DEFAULT_CHARSET
        w.u8(0);
        w.u8(0);
        w.u8(0);
        w.u8(0);
        const QString face = key.face.left(frEmf::FaceNameLength - 1);
        for (int i = 0; i < frEmf::FaceNameLength; ++i) w.u16(i < face.size() ? face[i].unicode() : 0);
        selectCreated(w.data, h, m_fontHandle);
        m_fontKey = key;
        m_fontSelected = true;
    }

    void forgetSelections()
    {
        m_penSelected = m_brushSelected = m_fontSelected = false;
        m_textColorSet = m_bkColorSet = false;
        m_opaque = false;
        m_fillMode = frEmf::Alternate;
    }

    // The painter's clip goes out as a region replacing the previous one; the
    // unclipped state before it is saved and restored, so "no clip" needs no region.
    void syncClip()
    {
        if (!m_clipDirty) return;
        m_clipDirty = false;
        QPainter *p = painter();
        const bool clipped = p && p->hasClipping();
        if (!clipped) {
            if (m_saved) {
                record(frEmf::RestoreDC, {quint32(-1)});
                m_saved = false;
                forgetSelections();
            }
            m_clipRectValid = false;
            return;
        }
        if (!m_saved) {
            record(frEmf::SaveDC, {});
            m_saved = true;
        }
        const QRegion region = p->clipRegion() * p->combinedTransform();
        m_clipRectValid = region.rectCount() == 1;
        m_clipRect = region.boundingRect();
        frEmf::Writer rgn;
        const QRect b = region.boundingRect();
        rgn.u32(32);
        rgn.u32(1);              // RDH_RECTANGLES
        rgn.u32(quint32(region.rectCount()));
        rgn.u32(quint32(region.rectCount() * 16));
        rgn.i32(b.left());
        rgn.i32(b.top());
        rgn.i32(b.right() + 1);
        rgn.i32(b.bottom() + 1);
        for (const QRect &r : region) {
            rgn.i32(r.left());
            rgn.i32(r.top());
            rgn.i32(r.right() + 1);
            rgn.i32(r.bottom() + 1);
        }
        frEmf::Writer w;
        w.u32(frEmf::ExtSelectClipRgn);
        w.u32(quint32(16 + rgn.data.size()));
        w.u32(quint32(rgn.data.size()));
        w.u32(frEmf::RgnCopy);
        w.data.append(rgn.data);
        add(w.data);
    }

    QByteArray m_body;
    int m_records = 0;
    QRect m_bounds;
    bool m_started = false;
    QTransform m_transform;
    QPen m_pen;
    QBrush m_brush;
    QPointF m_brushOrigin;
    QFont m_font;
    Qt::BGMode m_bgMode = Qt::TransparentMode;
    QBrush m_bgBrush;
    bool m_clipDirty = false;
    bool m_saved = false;
    bool m_clipRectValid = false;
    QRect m_clipRect;
    QSet<quint32> m_usedHandles;
    int m_maxHandle = 0;
    quint32 m_penHandle = 0, m_brushHandle = 0, m_fontHandle = 0;
    PenKey m_penKey{};
    BrushKey m_brushKey{};
    FontKey m_fontKey{};
    bool m_penSelected = false, m_brushSelected = false, m_fontSelected = false;
    quint32 m_textColor = 0, m_bkColor = 0;
    bool m_textColorSet = false, m_bkColorSet = false, m_opaque = false;
    quint32 m_fillMode = frEmf::Alternate;
};

TfrEmfDevice::TfrEmfDevice(const QSize &size)
    : m_size(size), m_engine(std::make_unique<TfrEmfPaintEngine>())
{
}

TfrEmfDevice::~TfrEmfDevice() = default;

QPaintEngine *TfrEmfDevice::paintEngine() const { return m_engine.get(); }

QByteArray TfrEmfDevice::finish() { return m_engine->finish(m_size); }

int TfrEmfDevice::metric(PaintDeviceMetric metric) const
{
    switch (metric) {
    case PdmWidth: return m_size.width();
    case PdmHeight: return m_size.height();
    case PdmWidthMM: return qRound(m_size.width() * 25.4 / 96.0);
    case PdmHeightMM: return qRound(m_size.height() * 25.4 / 96.0);
    case PdmNumColors: return 0x7FFFFFFF;
    case PdmDepth: return 32;
    case PdmDpiX: case PdmDpiY: case PdmPhysicalDpiX: case PdmPhysicalDpiY: return 96;
    case PdmDevicePixelRatio: return 1;
    case PdmDevicePixelRatioScaled: return int(QPaintDevice::devicePixelRatioFScale());
    default: return 0;
    }
}
