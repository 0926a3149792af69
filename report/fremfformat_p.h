#pragma once
// Record types and constants of the Enhanced Metafile format that the page
// recorder writes and the player reads, and little-endian helpers for both.
// Only what a report page needs is listed.

#include <QByteArray>
#include <QtEndian>
#include <cstring>

namespace frEmf {
enum Record : quint32 {
    Header = 1, PolyBezier = 2, Polygon = 3, Polyline = 4, PolyPolyline = 7, PolyPolygon = 8,
    SetWindowExtEx = 9, SetWindowOrgEx = 10, SetViewportExtEx = 11, SetViewportOrgEx = 12, Eof = 14,
    SetMapMode = 17, SetBkMode = 18, SetPolyFillMode = 19, SetTextAlign = 22, SetTextColor = 24,
    SetBkColor = 25, MoveToEx = 27, IntersectClipRect = 30, SaveDC = 33, RestoreDC = 34,
    SelectObject = 37, CreatePen = 38, CreateBrushIndirect = 39, DeleteObject = 40, Rectangle = 43,
    LineTo = 54, ExtSelectClipRgn = 75, StretchDIBits = 81, ExtCreateFontIndirectW = 82,
    ExtTextOutW = 84, Polygon16 = 86, Polyline16 = 87
};

constexpr quint32 Signature = 0x464D4520;   // " EMF"
constexpr quint32 Version = 0x00010000;
constexpr quint32 StockObject = 0x80000000;
constexpr quint32 NullBrush = StockObject | 5;
constexpr quint32 NullPen = StockObject | 8;
constexpr quint32 MapModeText = 1;
constexpr quint32 Transparent = 1, Opaque = 2;
constexpr quint32 Alternate = 1, Winding = 2;
constexpr quint32 TaBaseline = 24, TaBottom = 8, TaRight = 2, TaCenter = 6;
constexpr quint32 EtoOpaque = 2, EtoClipped = 4;
constexpr quint32 RgnCopy = 5, RgnAnd = 1;
constexpr quint32 PenSolid = 0, PenDash = 1, PenDot = 2, PenDashDot = 3, PenDashDotDot = 4, PenNull = 5;
constexpr quint32 BrushSolid = 0, BrushNull = 1, BrushHatched = 2;
constexpr quint32 SrcCopy = 0x00CC0020;
constexpr int HeaderSize = 108;             // with both header extensions, no description
constexpr int LogFontSize = 92;             // LOGFONTW
constexpr int FaceNameLength = 32;

// Appends little-endian values.
class Writer
{
public:
    QByteArray data;
    void u32(quint32 v)
    {
        char b[4];
        qToLittleEndian(v, b);
        data.append(b, 4);
    }
    void i32(qint32 v) { u32(quint32(v)); }
    void u16(quint16 v)
    {
        char b[2];
        qToLittleEndian(v, b);
        data.append(b, 2);
    }
    void u8(quint8 v) { data.append(char(v)); }
    void f32(float v)
    {
        quint32 bits;
        std::memcpy(&bits, &v, 4);
        u32(bits);
    }
    void pad4()
    {
        while (data.size() % 4) data.append('\0');
    }
};

// Reads little-endian values from a bounded slice; reading past the end gives 0
// and marks the reader as failed, so corrupt records never read outside the data.
class Reader
{
public:
    Reader(const char *data, qsizetype size) : m_data(data), m_size(size) {}
    bool ok() const { return m_ok; }
    qsizetype size() const { return m_size; }
    bool has(qsizetype offset, qsizetype bytes) const
    {
        return offset >= 0 && bytes >= 0 && offset <= m_size && bytes <= m_size - offset;
    }
    quint32 u32(qsizetype offset)
    {
        if (!has(offset, 4)) return fail();
        return qFromLittleEndian<quint32>(m_data + offset);
    }
    qint32 i32(qsizetype offset) { return qint32(u32(offset)); }
    quint16 u16(qsizetype offset)
    {
        if (!has(offset, 2)) return quint16(fail());
        return qFromLittleEndian<quint16>(m_data + offset);
    }
    qint16 i16(qsizetype offset) { return qint16(u16(offset)); }
    quint8 u8(qsizetype offset)
    {
        if (!has(offset, 1)) return quint8(fail());
        return quint8(m_data[offset]);
    }
    float f32(qsizetype offset)
    {
        const quint32 bits = u32(offset);
        float v;
        std::memcpy(&v, &bits, 4);
        return v;
    }
    const char *at(qsizetype offset) const { return m_data + offset; }

private:
    quint32 fail()
    {
        m_ok = false;
        return 0;
    }
    const char *m_data;
    qsizetype m_size;
    bool m_ok = true;
};
} // namespace frEmf
