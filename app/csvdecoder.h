#pragma once
// Turns the bytes of a CSV file of days into records, for the tool's imports.
//
// The text is UTF-8, UTF-16 LE or UTF-16 BE when it starts with that byte-order
// mark; without one it is UTF-8 when the bytes are valid UTF-8, else
// Windows-1252, as the old program wrote its files. The first record is the
// header naming the columns; the separator is ',' or ';', whichever the
// header's line holds more of. Quoted values (RFC 4180) may hold separators,
// doubled quotes and line breaks; a line with nothing on it is no record.
//
// decode() refuses, with the physical line and an Italian reason: text that is
// not valid in the encoding its mark announces, a NUL character, a quote never
// closed, a file without header, a header column without a name or named twice
// (names compare without regard to case). It shows nothing: the caller does.

#include <QList>
#include <QString>
#include <QStringList>

struct CsvRecord
{
    int line = 0;   // physical line the record starts on, from 1
    QStringList values;
};

class CsvDecoder
{
public:
    enum class Encoding { Utf8, Utf16LE, Utf16BE, Windows1252 };

    // Replaces what an earlier call decoded. On failure, errorLine() and
    // errorReason() say why and nothing else is meaningful.
    bool decode(const QByteArray &bytes);

    Encoding encoding() const { return m_encoding; }
    bool hasByteOrderMark() const { return m_bom; }
    QChar separator() const { return m_separator; }
    // The column names, trimmed, and the records after the header.
    const QStringList &header() const { return m_header; }
    const QList<CsvRecord> &records() const { return m_records; }

    int errorLine() const { return m_errorLine; }   // 0 when the file as a whole is at fault
    const QString &errorReason() const { return m_errorReason; }

private:
    bool decodeText(const QByteArray &bytes, QString &text);
    bool parse(const QString &text);
    bool checkHeader();
    bool fail(int line, const QString &reason);

    Encoding m_encoding = Encoding::Utf8;
    bool m_bom = false;
    QChar m_separator = QLatin1Char(',');
    int m_headerLine = 0;
    QStringList m_header;
    QList<CsvRecord> m_records;
    int m_errorLine = 0;
    QString m_errorReason;
};
