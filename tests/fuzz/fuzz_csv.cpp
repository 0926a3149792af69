// libFuzzer target: the CSV decoder of the day import. Any byte string must
// decode or fail with a reason and a line of the file. A success has a header
// of distinct names and records whose values account for every separator of
// the text; written out again with every value quoted, the records decode to
// the same values, on the lines where they were written.

#include "app/csvdecoder.h"

#include <QSet>
#include <cstdint>
#include <cstdlib>

namespace {

struct Units
{
    qsizetype lines = 1; // physical lines: breaks (CR LF, LF, lone CR) plus one
    qsizetype separators = 0;
};

// Counts code units of the text after its byte-order mark: the separator and
// line breaks are single ASCII units in every encoding the decoder reads.
Units countUnits(const QByteArray &bytes, QChar separator)
{
    int unit = 1, skip = 0;
    bool bigEndian = false;
    if (bytes.startsWith("\xEF\xBB\xBF"))
        skip = 3;
    else if (bytes.startsWith("\xFF\xFE"))
        unit = 2, skip = 2;
    else if (bytes.startsWith("\xFE\xFF"))
        unit = 2, skip = 2, bigEndian = true;
    auto at = [&](qsizetype i) -> char16_t {
        if (unit == 1) return uchar(bytes[i]);
        const uchar a = uchar(bytes[i]), b = uchar(bytes[i + 1]);
        return bigEndian ? char16_t(a << 8 | b) : char16_t(b << 8 | a);
    };
    Units u;
    const qsizetype end = bytes.size() - (bytes.size() - skip) % unit;
    for (qsizetype i = skip; i < end; i += unit) {
        const char16_t c = at(i);
        if (c == separator.unicode()) ++u.separators;
        if (c == u'\n' || (c == u'\r' && !(i + unit < end && at(i + unit) == u'\n'))) ++u.lines;
    }
    return u;
}

qsizetype breaksIn(const QString &value)
{
    qsizetype n = 0;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const bool crlf =
            value[i] == QLatin1Char('\r') && i + 1 < value.size() && value[i + 1] == QLatin1Char('\n');
        if (value[i] == QLatin1Char('\n') || (value[i] == QLatin1Char('\r') && !crlf)) ++n;
    }
    return n;
}

QString quoted(QString value)
{
    value.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + value + QLatin1Char('"');
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    CsvDecoder d;
    if (!d.decode(bytes)) {
        if (d.errorReason().isEmpty() || d.errorLine() < 0) abort();
        if (d.errorLine() > countUnits(bytes, QLatin1Char(',')).lines) abort();
        if (!d.header().isEmpty() || !d.records().isEmpty()) abort();
        return 0;
    }

    const QChar sep = d.separator();
    if (sep != QLatin1Char(',') && sep != QLatin1Char(';')) abort();
    const Units units = countUnits(bytes, sep);
    const QStringList &header = d.header();
    if (header.isEmpty()) abort();
    QSet<QString> names;
    qsizetype separators = header.size() - 1;
    for (const QString &name : header) {
        if (name.isEmpty() || name != name.trimmed() || name.contains(QChar(0))) abort();
        names.insert(name.toCaseFolded());
        separators += name.count(sep);
    }
    if (names.size() != header.size()) abort();
    int previous = 0;
    for (const CsvRecord &r : d.records()) {
        if (r.values.isEmpty() || r.line <= previous || r.line < 2 || r.line > units.lines) abort();
        previous = r.line;
        separators += r.values.size() - 1;
        for (const QString &v : r.values) {
            if (v.contains(QChar(0))) abort();
            separators += v.count(sep);
        }
    }
    // A separator either splits two values or lies inside a quoted one.
    if (separators != units.separators) abort();

    // The same records written out again: every value quoted, so separators,
    // quotes and line breaks in values come back as they are. A header of one
    // name holds no separator and reads as comma-separated.
    const QChar out = header.size() > 1 ? sep : QLatin1Char(',');
    QString text;
    QList<int> lines;
    int line = 1;
    auto row = [&](const QStringList &values) {
        QStringList cells;
        for (const QString &v : values) {
            cells << quoted(v);
            line += int(breaksIn(v));
        }
        text += cells.join(out) + QLatin1Char('\n');
        ++line;
    };
    row(header);
    for (const CsvRecord &r : d.records()) {
        lines << line;
        row(r.values);
    }
    CsvDecoder again;
    if (!again.decode("\xEF\xBB\xBF" + text.toUtf8())) abort();
    if (again.separator() != out || again.header() != header || again.records().size() != d.records().size())
        abort();
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (again.records()[i].values != d.records()[i].values || again.records()[i].line != lines[i])
            abort();
    }
    return 0;
}
