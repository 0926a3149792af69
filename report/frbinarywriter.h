#pragma once
// Little-endian writer for template streams, the mirror of TfrBinaryReader.
// Texts are written in Windows-1252; ShortStrings keep their first 255 bytes,
// counted StringList lines their first 1024.

#include <QByteArray>
#include <QStringList>

class TfrBinaryWriter
{
public:
    explicit TfrBinaryWriter(qint64 base = 0) : m_base(base) {}

    const QByteArray &data() const { return m_data; }
    qint64 pos() const { return m_base + m_data.size(); }

    void u8(quint8 v) { m_data.append(char(v)); }
    void u16(quint16 v);
    void i16(qint16 v) { u16(quint16(v)); }
    void i32(qint32 v);
    void bool16(bool v) { u16(v ? 0xFFFF : 0); }
    void bytes(const QByteArray &b) { m_data.append(b); }
    void shortString(const QString &s);
    void stringList(const QStringList &lines);    // counted form (version 27)
    // Overwrites four bytes at an absolute position already written.
    void patchI32(qint64 absolutePos, qint32 v);

    static QByteArray encode(const QString &s);

private:
    QByteArray m_data;
    qint64 m_base;
};
