#include "app/csvdecoder.h"

#include <QHash>
#include <QStringDecoder>

namespace {

// The bytes of each physical line, its line break included. A break is CR LF,
// LF or a lone CR, in code units of unitSize bytes. Neither byte can sit inside
// a multi-byte sequence or a surrogate pair, so each piece decodes on its own
// and a failure names its line.
QList<QByteArrayView> physicalLines(QByteArrayView bytes, int unitSize, bool bigEndian)
{
    auto unitAt = [&](qsizetype i) -> char16_t {
        if (unitSize == 1) return char16_t(uchar(bytes[i]));
        const uchar a = uchar(bytes[i]), b = uchar(bytes[i + 1]);
        return bigEndian ? char16_t(a << 8 | b) : char16_t(b << 8 | a);
    };
    QList<QByteArrayView> lines;
    qsizetype start = 0, i = 0;
    const qsizetype end = bytes.size() - (bytes.size() % unitSize);
    while (i < end) {
        const char16_t u = unitAt(i);
        i += unitSize;
        if (u == u'\r' && i < end && unitAt(i) == u'\n') i += unitSize;
        if (u == u'\r' || u == u'\n') {
            lines << bytes.sliced(start, i - start);
            start = i;
        }
    }
    if (start < end) lines << bytes.sliced(start);
    // A trailing odd byte of UTF-16 belongs to the last line, which is then refused.
    if (end < bytes.size()) {
        if (lines.isEmpty()) lines << bytes;
        else lines.back() = bytes.sliced(lines.back().data() - bytes.data());
    }
    return lines;
}

// Qt's UTF-16 decoder passes unpaired surrogates through and pads a cut last
// unit without reporting either.
bool hasLoneSurrogate(QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) ++i;
        else if (text[i].isSurrogate()) return true;
    }
    return false;
}

// The header's line decides; blank lines before it are no records.
QChar detectSeparator(const QString &text)
{
    int commas = 0, semicolons = 0;
    bool quoted = false;
    qsizetype i = 0;
    while (i < text.size() && (text[i] == QLatin1Char('\r') || text[i] == QLatin1Char('\n'))) ++i;
    for (const QChar c : QStringView(text).sliced(i)) {
        if (c == QLatin1Char('"')) quoted = !quoted;
        else if (!quoted && (c == QLatin1Char('\n') || c == QLatin1Char('\r'))) break;
        else if (!quoted && c == QLatin1Char(',')) ++commas;
        else if (!quoted && c == QLatin1Char(';')) ++semicolons;
    }
    return semicolons > commas ? QLatin1Char(';') : QLatin1Char(',');
}

} // namespace

bool CsvDecoder::decode(const QByteArray &bytes)
{
    m_encoding = Encoding::Utf8;
    m_bom = false;
    m_separator = QLatin1Char(',');
    m_headerLine = 0;
    m_header.clear();
    m_records.clear();
    m_errorLine = 0;
    m_errorReason.clear();

    QString text;
    return decodeText(bytes, text) && parse(text) && checkHeader();
}

bool CsvDecoder::decodeText(const QByteArray &bytes, QString &text)
{
    QByteArrayView body(bytes);
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        m_bom = true;
        body = body.sliced(3);
    } else if (bytes.startsWith("\xFF\xFE")) {
        m_bom = true;
        m_encoding = Encoding::Utf16LE;
        body = body.sliced(2);
    } else if (bytes.startsWith("\xFE\xFF")) {
        m_bom = true;
        m_encoding = Encoding::Utf16BE;
        body = body.sliced(2);
    }
    const QStringConverter::Encoding qtEncoding = m_encoding == Encoding::Utf16LE ? QStringConverter::Utf16LE
                                                  : m_encoding == Encoding::Utf16BE ? QStringConverter::Utf16BE
                                                                                    : QStringConverter::Utf8;
    const int unitSize = m_encoding == Encoding::Utf8 ? 1 : 2;
    // Stateless: a sequence cut at the end of a line is an error, not carried over.
    // The mark is already gone: a U+FEFF opening a later line is text.
    const auto flags = QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom;

    int line = 1;
    for (const QByteArrayView piece : physicalLines(body, unitSize, m_encoding == Encoding::Utf16BE)) {
        QStringDecoder decoder(qtEncoding, flags);
        const QString part = decoder.decode(piece);
        const bool bad = decoder.hasError() || (unitSize == 2 && (piece.size() % 2 != 0 || hasLoneSurrogate(part)));
        if (bad) {
            if (m_bom)
                return fail(line, QStringLiteral("testo non valido per la codifica %1 indicata dal BOM")
                                      .arg(unitSize == 1 ? QStringLiteral("UTF-8") : QStringLiteral("UTF-16")));
            // Not UTF-8 and no mark: a file of the old program.
            m_encoding = Encoding::Windows1252;
            QStringDecoder windows1252("windows-1252");
            text = windows1252.decode(body);
            return true;
        }
        text += part;
        ++line;
    }
    return true;
}

bool CsvDecoder::parse(const QString &text)
{
    m_separator = detectSeparator(text);
    QList<CsvRecord> records;
    CsvRecord current;
    QString value;
    bool quoted = false, fieldStarted = false;
    int line = 1, quoteLine = 0;
    current.line = 1;
    auto endRecord = [&](int nextLine) {
        current.values << value;
        if (!(current.values.size() == 1 && current.values[0].isEmpty() && !fieldStarted)) records << current;
        current = CsvRecord();
        current.line = nextLine;
        value.clear();
        fieldStarted = false;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        const bool crlf = c == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n');
        // A NUL cuts text short in every later step, and no day's file holds one.
        if (c.isNull()) return fail(line, QStringLiteral("il testo contiene un carattere NUL"));
        if (quoted) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < text.size() && text[i + 1] == QLatin1Char('"')) {
                    value += c;
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                // Breaks inside a value are kept as written; the CR of a CR LF is not a line of its own.
                if (c == QLatin1Char('\n') || (c == QLatin1Char('\r') && !crlf)) ++line;
                value += c;
            }
            continue;
        }
        if (c == QLatin1Char('"')) {
            quoted = true;
            fieldStarted = true;
            quoteLine = line;
        } else if (c == m_separator) {
            current.values << value;
            value.clear();
            fieldStarted = true;
        } else if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            if (crlf) ++i;
            ++line;
            endRecord(line);
        } else {
            value += c;
            fieldStarted = true;
        }
    }
    if (quoted) return fail(quoteLine, QStringLiteral("virgolette aperte e mai chiuse"));
    if (fieldStarted || !value.isEmpty() || !current.values.isEmpty()) endRecord(line);

    if (records.isEmpty()) return fail(0, QStringLiteral("manca la riga d'intestazione con i nomi dei campi"));
    const CsvRecord header = records.takeFirst();
    m_headerLine = header.line;
    for (const QString &name : header.values) m_header << name.trimmed();
    m_records = records;
    return true;
}

bool CsvDecoder::checkHeader()
{
    QHash<QString, int> seen;   // case-folded name -> column, from 1
    for (int i = 0; i < m_header.size(); ++i) {
        const QString &name = m_header[i];
        if (name.isEmpty())
            return fail(m_headerLine, QStringLiteral("la colonna %1 dell'intestazione non ha nome").arg(i + 1));
        const QString key = name.toCaseFolded();
        const auto it = seen.constFind(key);
        if (it != seen.cend())
            return fail(m_headerLine, QStringLiteral("la colonna %1 \"%2\" ripete il nome della colonna %3")
                                          .arg(i + 1)
                                          .arg(name)
                                          .arg(it.value()));
        seen.insert(key, i + 1);
    }
    return true;
}

bool CsvDecoder::fail(int line, const QString &reason)
{
    m_errorLine = line;
    m_errorReason = reason;
    m_header.clear();
    m_records.clear();
    return false;
}
