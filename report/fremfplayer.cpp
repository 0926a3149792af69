#include "report/fremfplayer.h"

#include "report/fremfformat_p.h"

#include <QFontMetricsF>
#include <QHash>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygon>

namespace {
// A page has at most a few thousand objects; anything beyond this is not ours.
constexpr quint32 MaxHandles = 65535;
constexpr qint32 MaxBitmapSide = 20000;

struct GdiObject
{
    enum Kind { None, Pen, Brush, Font } kind = None;
    QPen pen;
    QBrush brush;
    QFont font;
    int height = 0, escapement = 0, weight = 400;
    bool italic = false, underline = false, strikeOut = false;
    QString face;
};

struct DcState
{
    GdiObject pen, brush, font;
    QColor textColor = Qt::black;
    QColor bkColor = Qt::white;
    bool opaque = true;
    quint32 textAlign = 0;
    Qt::FillRule fill = Qt::OddEvenFill;
    bool clipped = false;
    QRegion clip;
    QPoint current;
};

QColor fromColorRef(quint32 c) { return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF)); }

bool isEmf(frEmf::Reader &r)
{
    const quint32 headerSize = r.u32(4);
    return r.u32(0) == frEmf::Header && r.u32(40) == frEmf::Signature && headerSize >= 88
           && r.has(0, headerSize) && r.ok();
}

// Walks the records of an EMF, calling back for each one with a bounded reader.
// Returns false when the data is no EMF (no header, wrong signature).
template<typename F>
bool walk(const QByteArray &emf, F &&onRecord)
{
    frEmf::Reader all(emf.constData(), emf.size());
    if (!isEmf(all)) return false;
    qsizetype at = 0;
    while (all.has(at, 8)) {
        const quint32 type = all.u32(at);
        const quint32 size = all.u32(at + 4);
        if (size < 8 || size % 4 || !all.has(at, size)) break;
        frEmf::Reader rec(emf.constData() + at, qsizetype(size));
        if (!onRecord(type, rec)) break;
        if (type == frEmf::Eof) break;
        at += size;
    }
    return true;
}

// Coordinates far beyond any page are held to a quarter of int's range, so
// that widths, heights and the inclusive corner never overflow.
qint32 coordAt(frEmf::Reader &r, qsizetype at)
{
    constexpr qint32 far = 1 << 29;
    return qBound(-far, r.i32(at), far);
}

QRect readRect(frEmf::Reader &r, qsizetype at)
{
    return QRect(QPoint(coordAt(r, at), coordAt(r, at + 4)), QPoint(coordAt(r, at + 8) - 1, coordAt(r, at + 12) - 1));
}

GdiObject readFont(frEmf::Reader &r)
{
    GdiObject o;
    o.kind = GdiObject::Font;
    o.height = r.i32(12);
    o.escapement = r.i32(20);
    o.weight = r.i32(28);
    o.italic = r.u8(32);
    o.underline = r.u8(33);
    o.strikeOut = r.u8(34);
    for (int i = 0; i < frEmf::FaceNameLength; ++i) {
        const quint16 c = r.u16(40 + 2 * i);
        if (!c) break;
        o.face += QChar(c);
    }
    o.font = QFont(o.face);
    // A negative height is the character height, Qt's pixel size; a positive one
    // the cell height, slightly larger.
    o.font.setPixelSize(qMax(1, o.height < 0 ? -o.height : qRound(o.height * 0.85)));
    o.font.setWeight(QFont::Weight(qBound(1, o.weight ? o.weight : 400, 1000)));
    o.font.setItalic(o.italic);
    o.font.setUnderline(o.underline);
    o.font.setStrikeOut(o.strikeOut);
    return o;
}

struct TextRecord
{
    QPoint reference;
    QString text;
    QList<qint32> dx;
    quint32 options = 0;
    QRect rcl;
    QRect bounds;
};

bool readText(frEmf::Reader &r, TextRecord &t)
{
    t.bounds = QRect(QPoint(coordAt(r, 8), coordAt(r, 12)), QPoint(coordAt(r, 16), coordAt(r, 20)));
    t.reference = QPoint(r.i32(36), r.i32(40));
    const quint32 chars = r.u32(44);
    const quint32 offString = r.u32(48);
    t.options = r.u32(52);
    t.rcl = readRect(r, 56);
    const quint32 offDx = r.u32(72);
    if (!r.ok() || chars > quint32(r.size()) || !r.has(offString, qsizetype(chars) * 2)) return false;
    t.text.resize(chars);
    for (quint32 i = 0; i < chars; ++i) t.text[i] = QChar(r.u16(offString + 2 * i));
    if (offDx && r.has(offDx, qsizetype(chars) * 4))
        for (quint32 i = 0; i < chars; ++i) t.dx << r.i32(offDx + 4 * i);
    return true;
}

class Player
{
public:
    Player(QPainter &p, const QRect &page) : m_p(p), m_page(page) {}

    bool record(quint32 type, frEmf::Reader &r)
    {
        switch (type) {
        case frEmf::CreatePen: {
            GdiObject o;
            o.kind = GdiObject::Pen;
            const quint32 style = r.u32(12);
            if ((style & 0xF) == frEmf::PenNull) o.pen = QPen(Qt::NoPen);
            else {
                o.pen = QPen(fromColorRef(r.u32(24)), qMax(1, r.i32(16)));
                switch (style & 0xF) {
                case frEmf::PenDash: o.pen.setStyle(Qt::DashLine); break;
                case frEmf::PenDot: o.pen.setStyle(Qt::DotLine); break;
                case frEmf::PenDashDot: o.pen.setStyle(Qt::DashDotLine); break;
                case frEmf::PenDashDotDot: o.pen.setStyle(Qt::DashDotDotLine); break;
                default: break;
                }
                o.pen.setCapStyle(Qt::SquareCap);
                o.pen.setJoinStyle(Qt::MiterJoin);
            }
            store(r.u32(8), o);
            break;
        }
        case frEmf::CreateBrushIndirect: {
            GdiObject o;
            o.kind = GdiObject::Brush;
            const quint32 style = r.u32(12);
            const QColor c = fromColorRef(r.u32(16));
            static const Qt::BrushStyle hatches[] = {Qt::HorPattern, Qt::VerPattern, Qt::FDiagPattern,
                                                     Qt::BDiagPattern, Qt::CrossPattern, Qt::DiagCrossPattern};
            if (style == frEmf::BrushNull) o.brush = QBrush(Qt::NoBrush);
            else if (style == frEmf::BrushHatched) o.brush = QBrush(c, hatches[qMin<quint32>(r.u32(20), 5)]);
            else o.brush = QBrush(c);
            store(r.u32(8), o);
            break;
        }
        case frEmf::ExtCreateFontIndirectW: store(r.u32(8), readFont(r)); break;
        case frEmf::SelectObject: {
            const quint32 h = r.u32(8);
            if (h & frEmf::StockObject) {
                switch (h & 0xFF) {
                case 0: m_dc.brush.brush = QBrush(Qt::white); break;
                case 4: m_dc.brush.brush = QBrush(Qt::black); break;
                case 5: m_dc.brush.brush = QBrush(Qt::NoBrush); break;
                case 6: m_dc.pen.pen = QPen(Qt::white); break;
                case 7: m_dc.pen.pen = QPen(Qt::black); break;
                case 8: m_dc.pen.pen = QPen(Qt::NoPen); break;
                default: break;
                }
            } else if (const auto it = m_handles.constFind(h); it != m_handles.constEnd()) {
                switch (it->kind) {
                case GdiObject::Pen: m_dc.pen = *it; break;
                case GdiObject::Brush: m_dc.brush = *it; break;
                case GdiObject::Font: m_dc.font = *it; break;
                default: break;
                }
            }
            break;
        }
        case frEmf::DeleteObject: m_handles.remove(r.u32(8)); break;
        case frEmf::SetTextColor: m_dc.textColor = fromColorRef(r.u32(8)); break;
        case frEmf::SetBkColor: m_dc.bkColor = fromColorRef(r.u32(8)); break;
        case frEmf::SetBkMode: m_dc.opaque = r.u32(8) == frEmf::Opaque; break;
        case frEmf::SetTextAlign: m_dc.textAlign = r.u32(8); break;
        case frEmf::SetPolyFillMode: m_dc.fill = r.u32(8) == frEmf::Winding ? Qt::WindingFill : Qt::OddEvenFill; break;
        case frEmf::SaveDC:
            if (m_stack.size() < 1024) m_stack.push_back(m_dc);
            break;
        case frEmf::RestoreDC: {
            const qint32 rel = r.i32(8);
            qsizetype index = rel < 0 ? m_stack.size() + rel : qsizetype(rel) - 1;
            if (index >= 0 && index < m_stack.size()) {
                m_dc = m_stack[index];
                m_stack.resize(index);
                applyClip();
            }
            break;
        }
        case frEmf::IntersectClipRect: {
            const QRegion rect(readRect(r, 8));
            m_dc.clip = m_dc.clipped ? m_dc.clip.intersected(rect) : rect;
            m_dc.clipped = true;
            applyClip();
            break;
        }
        case frEmf::ExtSelectClipRgn: {
            const quint32 cb = r.u32(8);
            const quint32 mode = r.u32(12);
            QRegion region;
            if (cb >= 32 && r.has(16, cb)) {
                const quint32 count = r.u32(24);
                for (quint32 i = 0; i < count && r.has(48 + 16 * qsizetype(i), 16); ++i)
                    region += readRect(r, 48 + 16 * qsizetype(i));
            }
            if (mode == frEmf::RgnCopy && cb == 0) m_dc.clipped = false;
            else if (mode == frEmf::RgnAnd && m_dc.clipped) m_dc.clip &= region;
            else {
                m_dc.clip = region;
                m_dc.clipped = true;
            }
            applyClip();
            break;
        }
        case frEmf::Rectangle: {
            // The box excludes its right and bottom edges, and GDI draws one unit
            // less again (see the recorder).
            const qreal l = r.i32(8), t = r.i32(12);
            const QRectF rect(l, t, r.i32(16) - l - 1, r.i32(20) - t - 1);
            if (m_dc.pen.pen.style() == Qt::NoPen) m_p.fillRect(rect, m_dc.brush.brush);
            else {
                m_p.setPen(m_dc.pen.pen);
                m_p.setBrush(m_dc.brush.brush);
                m_p.drawRect(rect);
            }
            break;
        }
        case frEmf::Polygon: case frEmf::Polyline: case frEmf::Polygon16: case frEmf::Polyline16: {
            const bool small = type == frEmf::Polygon16 || type == frEmf::Polyline16;
            const quint32 count = r.u32(24);
            const qsizetype step = small ? 4 : 8;
            if (!r.has(28, qsizetype(count) * step)) break;
            QPolygon poly;
            poly.reserve(count);
            for (quint32 i = 0; i < count; ++i) {
                const qsizetype at = 28 + qsizetype(i) * step;
                poly << (small ? QPoint(r.i16(at), r.i16(at + 2)) : QPoint(r.i32(at), r.i32(at + 4)));
            }
            m_p.setPen(m_dc.pen.pen);
            if (type == frEmf::Polygon || type == frEmf::Polygon16) {
                m_p.setBrush(m_dc.brush.brush);
                m_p.drawPolygon(poly, m_dc.fill);
            } else {
                m_p.drawPolyline(poly);
            }
            break;
        }
        case frEmf::PolyPolygon: {
            const quint32 polys = r.u32(24), total = r.u32(28);
            if (!r.has(32, qsizetype(polys) * 4 + qsizetype(total) * 8)) break;
            QPainterPath path;
            path.setFillRule(m_dc.fill);
            qsizetype at = 32 + qsizetype(polys) * 4;
            quint32 used = 0;
            for (quint32 k = 0; k < polys; ++k) {
                const quint32 n = r.u32(32 + 4 * qsizetype(k));
                if (n > total - used) break;
                QPolygonF poly;
                for (quint32 i = 0; i < n; ++i, at += 8) poly << QPointF(r.i32(at), r.i32(at + 4));
                used += n;
                path.addPolygon(poly);
                path.closeSubpath();
            }
            m_p.setPen(m_dc.pen.pen);
            m_p.setBrush(m_dc.brush.brush);
            m_p.drawPath(path);
            break;
        }
        case frEmf::MoveToEx: m_dc.current = QPoint(r.i32(8), r.i32(12)); break;
        case frEmf::LineTo: {
            const QPoint to(r.i32(8), r.i32(12));
            m_p.setPen(m_dc.pen.pen);
            m_p.drawLine(m_dc.current, to);
            m_dc.current = to;
            break;
        }
        case frEmf::StretchDIBits: drawBitmap(r); break;
        case frEmf::ExtTextOutW: {
            TextRecord t;
            if (readText(r, t)) drawText(t);
            break;
        }
        default: break;
        }
        return true;
    }

private:
    void store(quint32 handle, const GdiObject &o)
    {
        if (handle == 0 || handle > MaxHandles) return;
        m_handles.insert(handle, o);
    }

    void applyClip()
    {
        m_p.setClipRect(m_page);
        if (m_dc.clipped) m_p.setClipRegion(m_dc.clip, Qt::IntersectClip);
    }

    void drawBitmap(frEmf::Reader &r)
    {
        const qint32 xDest = r.i32(24), yDest = r.i32(28);
        const qint32 xSrc = r.i32(32), ySrc = r.i32(36), cxSrc = r.i32(40), cySrc = r.i32(44);
        const quint32 offBmi = r.u32(48), offBits = r.u32(56), cbBits = r.u32(60);
        const qint32 cxDest = r.i32(72), cyDest = r.i32(76);
        if (!r.has(offBmi, 40)) return;
        const qint32 w = r.i32(offBmi + 4), hRaw = r.i32(offBmi + 8);
        const quint16 bpp = r.u16(offBmi + 14);
        const quint32 compression = r.u32(offBmi + 16);
        const qint32 h = hRaw < 0 ? -hRaw : hRaw;
        if (compression != 0 || (bpp != 32 && bpp != 24) || w <= 0 || h <= 0 || w > MaxBitmapSide
            || h > MaxBitmapSide)
            return;
        const qsizetype stride = ((qsizetype(w) * bpp + 31) / 32) * 4;
        if (cbBits < stride * h || !r.has(offBits, stride * h)) return;
        QImage img(w, h, QImage::Format_RGB32);
        for (qint32 y = 0; y < h; ++y) {
            const char *src = r.at(offBits + stride * (hRaw < 0 ? y : h - 1 - y));
            auto *dst = reinterpret_cast<QRgb *>(img.scanLine(y));
            const int bytes = bpp / 8;
            for (qint32 x = 0; x < w; ++x) {
                const auto *px = reinterpret_cast<const uchar *>(src + x * bytes);
                dst[x] = qRgb(px[2], px[1], px[0]);
            }
        }
        m_p.drawImage(QRectF(xDest, yDest, cxDest, cyDest), img, QRectF(xSrc, ySrc, cxSrc, cySrc));
    }

    void drawText(const TextRecord &t)
    {
        const GdiObject &f = m_dc.font;
        QFont font = f.kind == GdiObject::Font ? f.font : QFont();
        const QFontMetricsF fm(font);
        // Each character goes at its recorded advance, so the line keeps its
        // recorded width whatever the resolution the page is played at.
        QList<qreal> x;
        qreal total = 0;
        for (qsizetype i = 0; i < t.text.size(); ++i) {
            x << total;
            total += i < t.dx.size() ? t.dx[i] : fm.horizontalAdvance(t.text[i]);
        }
        m_p.save();
        if (t.options & frEmf::EtoClipped) {
            m_p.setClipRect(t.rcl, Qt::IntersectClip);
        }
        if (t.options & frEmf::EtoOpaque) m_p.fillRect(t.rcl, m_dc.bkColor);
        m_p.translate(t.reference);
        if (f.escapement) m_p.rotate(-f.escapement / 10.0);
        qreal dx = 0, dy = 0;
        const quint32 h = m_dc.textAlign & 6, v = m_dc.textAlign & 24;
        if (h == frEmf::TaRight) dx = -total;
        else if (h == frEmf::TaCenter) dx = -total / 2;
        if (v == 0) dy = fm.ascent();
        else if (v == frEmf::TaBottom) dy = -fm.descent();
        if (m_dc.opaque && !(t.options & frEmf::EtoOpaque))
            m_p.fillRect(QRectF(dx, dy - fm.ascent(), total, fm.ascent() + fm.descent()), m_dc.bkColor);
        m_p.setFont(font);
        m_p.setPen(m_dc.textColor);
        for (qsizetype i = 0; i < t.text.size(); ++i) {
            QString ch(t.text[i]);
            if (t.text[i].isHighSurrogate() && i + 1 < t.text.size()) ch += t.text[++i];
            m_p.drawText(QPointF(dx + x[i - (ch.size() - 1)], dy), ch);
        }
        m_p.restore();
    }

    QPainter &m_p;
    QRect m_page;
    DcState m_dc;
    QList<DcState> m_stack;
    QHash<quint32, GdiObject> m_handles;
};
} // namespace

QSize TfrEmfPlayer::pageSize(const QByteArray &emf)
{
    frEmf::Reader r(emf.constData(), emf.size());
    if (!isEmf(r)) return QSize();
    const qint64 w = qint64(r.i32(32)) - r.i32(24) + 1, h = qint64(r.i32(36)) - r.i32(28) + 1;
    if (w <= 0 || h <= 0 || w > 100000000 || h > 100000000) return QSize();
    return QSize(int(qRound64(w * 96.0 / 2540.0)), int(qRound64(h * 96.0 / 2540.0)));
}

bool TfrEmfPlayer::play(const QByteArray &emf, QPainter &painter, const QRectF &target)
{
    const QSize size = pageSize(emf);
    if (size.isEmpty()) return false;
    painter.save();
    painter.translate(target.topLeft());
    painter.scale(target.width() / size.width(), target.height() / size.height());
    // The page's clip regions are in page units: keep them inside the target.
    painter.setClipRect(QRectF(0, 0, size.width(), size.height()), Qt::IntersectClip);
    Player player(painter, QRect(QPoint(0, 0), size));
    const bool ok = walk(emf, [&](quint32 type, frEmf::Reader &r) { return player.record(type, r); });
    painter.restore();
    return ok;
}

QList<TfrEmfText> TfrEmfPlayer::texts(const QByteArray &emf)
{
    QList<TfrEmfText> out;
    QHash<quint32, GdiObject> fonts;
    GdiObject current;
    QColor color = Qt::black;
    walk(emf, [&](quint32 type, frEmf::Reader &r) {
        switch (type) {
        case frEmf::ExtCreateFontIndirectW:
            if (r.u32(8) <= MaxHandles) fonts.insert(r.u32(8), readFont(r));
            break;
        case frEmf::SelectObject:
            if (const auto it = fonts.constFind(r.u32(8)); it != fonts.constEnd()) current = *it;
            break;
        case frEmf::DeleteObject: fonts.remove(r.u32(8)); break;
        case frEmf::SetTextColor: color = fromColorRef(r.u32(8)); break;
        case frEmf::ExtTextOutW: {
            TextRecord t;
            if (!readText(r, t)) break;
            TfrEmfText e;
            e.reference = t.reference;
            e.bounds = (t.options & frEmf::EtoClipped) ? QRectF(t.rcl) : QRectF(t.bounds);
            e.fontName = current.face;
            e.height = current.height < 0 ? -current.height : current.height;
            e.bold = current.weight >= 600;
            e.italic = current.italic;
            e.underline = current.underline;
            e.strikeOut = current.strikeOut;
            e.escapement = current.escapement;
            e.color = color;
            e.text = t.text;
            out << e;
            break;
        }
        default: break;
        }
        return true;
    });
    return out;
}
