#pragma once
// Bounded little-endian reader over the bytes of a template stream. Every read
// checks what remains and throws EfrStreamError instead of running past the
// end, so a truncated or hostile stream ends the load rather than the program.
// Texts are Windows-1252.

#include "core/exceptions.h"

#include <QByteArray>
#include <QStringList>

class EfrStreamError : public Exception
{
public:
    using Exception::Exception;
};

class TfrBinaryReader
{
public:
    // `base` is the absolute stream position of data[0]; positions stored in
    // the stream (a picture's end) are absolute.
    TfrBinaryReader(const QByteArray &data, qint64 base = 0) : m_data(data), m_base(base) {}

    qint64 pos() const { return m_base + m_pos; }
    void seek(qint64 absolutePos);           // throws outside [base, end]
    qint64 remaining() const { return m_data.size() - m_pos; }
    bool atEnd() const { return m_pos >= m_data.size(); }

    quint8 u8();
    qint16 i16();
    quint16 u16();
    qint32 i32();
    bool bool16() { return u16() != 0; }
    QByteArray bytes(qint64 count);
    QString shortString();
    // Counted form above version 25, CR/NUL form at 25 and below.
    QStringList stringList(int fileVersion);
    QString text(const QByteArray &bytes) const;

private:
    void need(qint64 count) const;

    QByteArray m_data;
    qint64 m_base;
    qint64 m_pos = 0;
};
