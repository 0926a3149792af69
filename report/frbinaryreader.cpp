#include "report/frbinaryreader.h"

#include <QStringDecoder>
#include <QtEndian>

void TfrBinaryReader::need(qint64 count) const
{
    if (count < 0 || count > remaining())
        throw EfrStreamError(QStringLiteral("%1 bytes wanted, %2 left").arg(count).arg(remaining()));
}

void TfrBinaryReader::seek(qint64 absolutePos)
{
    const qint64 p = absolutePos - m_base;
    if (p < 0 || p > m_data.size())
        throw EfrStreamError(QStringLiteral("Stream position %1 out of range").arg(absolutePos));
    m_pos = p;
}

quint8 TfrBinaryReader::u8()
{
    need(1);
    return quint8(m_data[m_pos++]);
}

quint16 TfrBinaryReader::u16()
{
    need(2);
    const quint16 v = qFromLittleEndian<quint16>(m_data.constData() + m_pos);
    m_pos += 2;
    return v;
}

qint16 TfrBinaryReader::i16() { return qint16(u16()); }

qint32 TfrBinaryReader::i32()
{
    need(4);
    const qint32 v = qFromLittleEndian<qint32>(m_data.constData() + m_pos);
    m_pos += 4;
    return v;
}

qint32 TfrBinaryReader::i32(const frLimits::Limit &limit, const char *field)
{
    const qint64 at = pos();
    const qint32 v = i32();
    const QLatin1StringView name(field);
    // A range around zero is a magnitude: beyond it on either side.
    if (v > limit.max || (v < limit.min && limit.min < 0))
        throw EfrStreamError(
            QStringLiteral("%1 %2 beyond %3").arg(name).arg(v).arg(QLatin1StringView(limit.maxText)), at);
    if (v < limit.min)
        throw EfrStreamError(QStringLiteral("%1 %2 below %3").arg(name).arg(v).arg(limit.min), at);
    return v;
}

QByteArray TfrBinaryReader::bytes(qint64 count)
{
    need(count);
    const QByteArray b = m_data.mid(m_pos, count);
    m_pos += count;
    return b;
}

QString TfrBinaryReader::text(const QByteArray &b) const
{
    QStringDecoder decoder("windows-1252");
    return decoder.decode(b);
}

QString TfrBinaryReader::shortString()
{
    const int n = u8();
    return text(bytes(n));
}

QStringList TfrBinaryReader::stringList(int fileVersion)
{
    QStringList lines;
    if (fileVersion > 25) {
        const int count = u16();
        // Each line needs at least its two length bytes.
        if (qint64(count) * 2 > remaining())
            throw EfrStreamError(QStringLiteral("string list of %1 lines, %2 bytes left").arg(count).arg(remaining()));
        for (int i = 0; i < count; ++i) {
            // Longer lines than the writer makes are accepted: need() bounds them.
            const int n = u16();
            lines << text(bytes(n));
        }
        return lines;
    }
    QByteArray line;
    for (;;) {
        const char c = char(u8());
        if (c == 0) {
            if (!line.isEmpty()) lines << text(line);
            return lines;
        }
        if (c == '\r') {
            lines << text(line);
            line.clear();
        } else {
            line += c;
        }
    }
}
