#include "report/frbinarywriter.h"

#include <QStringEncoder>
#include <QtEndian>

QByteArray TfrBinaryWriter::encode(const QString &s)
{
    QStringEncoder encoder("windows-1252");
    return encoder.encode(s);
}

void TfrBinaryWriter::u16(quint16 v)
{
    char b[2];
    qToLittleEndian(v, b);
    m_data.append(b, 2);
}

void TfrBinaryWriter::i32(qint32 v)
{
    char b[4];
    qToLittleEndian(v, b);
    m_data.append(b, 4);
}

void TfrBinaryWriter::shortString(const QString &s)
{
    const QByteArray b = encode(s).left(255);
    u8(quint8(b.size()));
    m_data.append(b);
}

void TfrBinaryWriter::stringList(const QStringList &lines)
{
    const int count = int(qMin<qsizetype>(lines.size(), 0xFFFF));
    u16(quint16(count));
    for (int i = 0; i < count; ++i) {
        const QByteArray b = encode(lines[i]).left(1024);
        u16(quint16(b.size()));
        m_data.append(b);
    }
}

void TfrBinaryWriter::patchI32(qint64 absolutePos, qint32 v)
{
    const qint64 at = absolutePos - m_base;
    if (at < 0 || at + 4 > m_data.size()) return;
    qToLittleEndian(v, m_data.data() + at);
}
