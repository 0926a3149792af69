#pragma once
// Bounded little-endian reader over the bytes of a template stream. Every read
// checks what remains and throws EfrStreamError instead of running past the
// end, so a truncated or hostile stream ends the load rather than the program.
// Texts are Windows-1252.

#include "core/exceptions.h"
#include "report/frlimits.h"

#include <QByteArray>
#include <QStringList>

// `at` is where the offending field starts in the stream, when it is known
// (a value out of its limits); otherwise reading stopped at the reader's position.
class EfrStreamError : public Exception
{
public:
    explicit EfrStreamError(const QString &message, qint64 at = -1) : Exception(message), m_at(at) {}
    qint64 at() const { return m_at; }

private:
    qint64 m_at;
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
    // An int32 that must lie within `limit`; otherwise the stream is refused
    // at the field, with a reason naming it, its value and the limit.
    qint32 i32(const frLimits::Limit &limit, const char *field);
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
