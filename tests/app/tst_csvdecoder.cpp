// CSV files of days, from bytes to records: encodings, separators, line
// numbers, and the files refused with their line and reason.

#include "app/csvdecoder.h"

#include <QStringList>
#include <gtest/gtest.h>

// Readable failure output.
inline void PrintTo(const QString &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QStringList &l, std::ostream *os)
{
    *os << "\n  " << l.join(QStringLiteral("\n  ")).toStdString() << "\n";
}

namespace {

QByteArray utf16(const QString &text, bool bigEndian, bool bom = true)
{
    QByteArray out;
    if (bom) out += bigEndian ? QByteArray("\xFE\xFF", 2) : QByteArray("\xFF\xFE", 2);
    for (const QChar c : text) {
        const char hi = char(c.unicode() >> 8), lo = char(c.unicode() & 0xFF);
        out += bigEndian ? QByteArray{&hi, 1} + QByteArray{&lo, 1} : QByteArray{&lo, 1} + QByteArray{&hi, 1};
    }
    return out;
}

template <std::size_t N>
QByteArray withNul(const char (&literal)[N])
{
    return QByteArray(literal, N - 1);
}

const char *encodingName(CsvDecoder::Encoding e)
{
    switch (e) {
    case CsvDecoder::Encoding::Utf8: return "UTF-8";
    case CsvDecoder::Encoding::Utf16LE: return "UTF-16LE";
    case CsvDecoder::Encoding::Utf16BE: return "UTF-16BE";
    case CsvDecoder::Encoding::Windows1252: return "Windows-1252";
    }
    return "?";
}

// What a decode gives, one line a fact: the failure, or the encoding and
// separator, the header, then "line: value|value" for each record.
QStringList outcome(const QByteArray &bytes)
{
    CsvDecoder d;
    if (!d.decode(bytes)) return {QStringLiteral("riga %1: %2").arg(d.errorLine()).arg(d.errorReason())};
    QStringList out{QStringLiteral("%1%2 %3")
                        .arg(QLatin1String(encodingName(d.encoding())))
                        .arg(d.hasByteOrderMark() ? QStringLiteral(" BOM") : QString())
                        .arg(d.separator()),
                    d.header().join(QLatin1Char('|'))};
    for (const CsvRecord &r : d.records()) out << QStringLiteral("%1: %2").arg(r.line).arg(r.values.join('|'));
    return out;
}

struct Case
{
    const char *name;
    QByteArray bytes;
    QStringList expected;
};

TEST(CsvDecoder, DecodesOrRefusesEachFile)
{
    const QString note = QStringLiteral("città € 5");
    const Case cases[] = {
        // Files that decode.
        {"UTF-8 without BOM", "Data,Note\n2024-01-03,città\n", {"UTF-8 ,", "Data|Note", "2: 2024-01-03|città"}},
        {"UTF-8 with BOM, semicolons, CR LF", "\xEF\xBB\xBF" "Data;Peso\r\n2024-01-03;\"70,5\"\r\n",
         {"UTF-8 BOM ;", "Data|Peso", "2: 2024-01-03|70,5"}},
        {"UTF-16 LE with BOM", utf16("Data;Note\r\n2024-01-03;" + note + "\r\n", false),
         {"UTF-16LE BOM ;", "Data|Note", "2: 2024-01-03|città € 5"}},
        {"UTF-16 BE with BOM", utf16("Data,Note\n2024-01-03," + note + "\n", true),
         {"UTF-16BE BOM ,", "Data|Note", "2: 2024-01-03|città € 5"}},
        // 0x80 is the euro sign in Windows-1252 and a control character in Latin-1.
        {"Windows-1252, the old program's files", "Data;Note\r\n2024-01-03;citt\xE0 \x80 5\r\n",
         {"Windows-1252 ;", "Data|Note", "2: 2024-01-03|città € 5"}},
        {"quoted value over two lines; the next record keeps its line",
         "Data;Note\r\n2024-01-01;\"riga\r\ndue; \"\"tre\"\"\"\r\n2024-01-02;x\r\n",
         {"UTF-8 ;", "Data|Note", "2: 2024-01-01|riga\r\ndue; \"tre\"", "4: 2024-01-02|x"}},
        {"blank lines are no records but count as lines", "\n Data , Peso \n\n2024-01-01,70\n\n",
         {"UTF-8 ,", "Data|Peso", "4: 2024-01-01|70"}},
        {"lone CR breaks lines, no break at the end", "Data\r2024-01-01\r\"a\rb\"\r2024-01-02",
         {"UTF-8 ,", "Data", "2: 2024-01-01", "3: a\rb", "5: 2024-01-02"}},
        {"separators inside quotes do not choose", "Note,\"a;b;c\"\n1,2\n", {"UTF-8 ,", "Note|a;b;c", "2: 1|2"}},
        {"header only", "Data,Peso\r\n", {"UTF-8 ,", "Data|Peso"}},

        // Files refused.
        {"NUL in a note", withNul("Data,Note\n2024-01-01,ok\n2024-01-02,a\0b\n"),
         {"riga 3: il testo contiene un carattere NUL"}},
        {"NUL in UTF-16", utf16(QStringLiteral("Data\n2024-01-01\n") + QChar(0) + "\n", false),
         {"riga 3: il testo contiene un carattere NUL"}},
        {"UTF-16 without BOM reads as NULs", utf16("Data\n2024-01-01\n", false, false),
         {"riga 1: il testo contiene un carattere NUL"}},
        {"quote never closed, named at its opening line",
         "Data,Note\n2024-01-01,ok\n2024-01-02,\"aperta\n2024-01-03,x\n", {"riga 3: virgolette aperte e mai chiuse"}},
        {"column without a name", "Data,,Peso\n2024-01-01,1,2\n",
         {"riga 1: la colonna 2 dell'intestazione non ha nome"}},
        {"separator at the end of the header", "\nData;Peso;\n", {"riga 2: la colonna 3 dell'intestazione non ha nome"}},
        {"column named twice, in another case", "Data,Peso,PESO\n2024-01-01,1,2\n",
         {"riga 1: la colonna 3 \"PESO\" ripete il nome della colonna 2"}},
        {"empty file", "", {"riga 0: manca la riga d'intestazione con i nomi dei campi"}},
        {"BOM and blank lines only", "\xEF\xBB\xBF\r\n\r\n", {"riga 0: manca la riga d'intestazione con i nomi dei campi"}},
        {"UTF-8 BOM over Windows-1252 bytes", "\xEF\xBB\xBF" "Data,Note\n2024-01-01,ok\n2024-01-02,citt\xE0\n",
         {"riga 3: testo non valido per la codifica UTF-8 indicata dal BOM"}},
        {"UTF-16 cut in the middle of a character", utf16("Data\r\n2024-01-01\r\n", false).chopped(1),
         {"riga 2: testo non valido per la codifica UTF-16 indicata dal BOM"}},
        {"UTF-16 lone surrogate", utf16(QStringLiteral("Data\n") + QChar(0xD800) + "x\n", true),
         {"riga 2: testo non valido per la codifica UTF-16 indicata dal BOM"}},
    };
    for (const Case &c : cases) EXPECT_EQ(outcome(c.bytes), c.expected) << c.name;
}

TEST(CsvDecoder, ADecodeForgetsTheFileBefore)
{
    CsvDecoder d;
    ASSERT_TRUE(d.decode("Data,Peso\n2024-01-01,70\n"));
    EXPECT_FALSE(d.decode("Data,data\n"));
    EXPECT_TRUE(d.header().isEmpty());
    EXPECT_TRUE(d.records().isEmpty());
    ASSERT_TRUE(d.decode("\xEF\xBB\xBFNote\n"));
    EXPECT_EQ(d.errorLine(), 0);
    EXPECT_EQ(d.errorReason(), QString());
    EXPECT_EQ(d.header(), QStringList{"Note"});
}

} // namespace
