// Formatted memo text: RTF read into a document and written back.

#include "grid/rtftext.h"

#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

class TestRtfText : public QObject
{
    Q_OBJECT

private slots:
    void reads_data();
    void reads();
    void readsFormats();
    void roundTrip();
    void damagedInputNeverFails_data();
    void damagedInputNeverFails();
};

namespace {

QTextCharFormat formatAt(const QTextDocument &doc, int position)
{
    QTextCursor c(const_cast<QTextDocument *>(&doc));
    c.setPosition(position + 1);
    return c.charFormat();
}

} // namespace

void TestRtfText::reads_data()
{
    QTest::addColumn<QString>("rtf");
    QTest::addColumn<QString>("text");
    QTest::newRow("not RTF is plain text") << "pressione alta\ndopo cena" << "pressione alta\ndopo cena";
    QTest::newRow("paragraphs, the last mark ends the text")
        << "{\\rtf1\\ansi uno\\par due\\par\n}" << "uno\ndue";
    QTest::newRow("an empty paragraph between")
        << "{\\rtf1\\ansi uno\\par\\par tre\\par}" << "uno\n\ntre";
    QTest::newRow("Windows-1252 bytes") << "{\\rtf1\\ansi perch\\'e8 \\'80 5}" << "perch\u00e8 \u20ac 5";
    QTest::newRow("\\u with its stand-in skipped")
        << "{\\rtf1\\ansi\\uc1 caf\\u233?\\u-3971?}" << "caf\u00e9\uf07d";
    QTest::newRow("tables and ignorable destinations skipped")
        << "{\\rtf1{\\fonttbl{\\f0 Arial;}}{\\*\\generator Riched20;}{\\info{\\author X}}\\f0 testo\\par}"
        << "testo";
    QTest::newRow("a link keeps its visible text")
        << "{\\rtf1 vedi {\\field{\\*\\fldinst{HYPERLINK \"https://esempio.it\"}}{\\fldrslt{sito}}} oggi}"
        << "vedi sito oggi";
    QTest::newRow("escaped braces and backslash") << "{\\rtf1 a\\{b\\}c\\\\d}" << "a{b}c\\d";
    QTest::newRow("tab and line break") << "{\\rtf1 a\\tab b\\line c}" << "a\tb\nc";
    QTest::newRow("newline in the source is nothing") << "{\\rtf1 a\r\nb}" << "ab";
}

void TestRtfText::reads()
{
    QFETCH(QString, rtf);
    QFETCH(QString, text);
    QTextDocument doc;
    RtfToDocument(rtf, doc);
    QCOMPARE(doc.toPlainText(), text);
}

void TestRtfText::readsFormats()
{
    QTextDocument doc;
    RtfToDocument(QStringLiteral("{\\rtf1\\ansi{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\froman Times New Roman;}}"
                                 "{\\colortbl ;\\red200\\green0\\blue0;}"
                                 "\\f0\\fs20 a{\\b b}\\i c\\i0 \\ul d\\ulnone \\f1\\fs28 e\\cf1 f\\plain g}"),
                  doc);
    QCOMPARE(doc.toPlainText(), QStringLiteral("abcdefg"));
    QCOMPARE(formatAt(doc, 0).fontFamilies().toStringList(), QStringList{"Arial"});
    QCOMPARE(formatAt(doc, 0).fontPointSize(), 10.0);
    QCOMPARE(formatAt(doc, 1).fontWeight(), int(QFont::Bold));
    QCOMPARE(formatAt(doc, 2).fontWeight(), int(QFont::Normal));
    QVERIFY(formatAt(doc, 2).fontItalic());
    QVERIFY(formatAt(doc, 3).fontUnderline());
    QVERIFY(!formatAt(doc, 3).fontItalic());
    QCOMPARE(formatAt(doc, 4).fontFamilies().toStringList(), QStringList{"Times New Roman"});
    QCOMPARE(formatAt(doc, 4).fontPointSize(), 14.0);
    QCOMPARE(formatAt(doc, 5).foreground().color(), QColor(200, 0, 0));
    QVERIFY(!formatAt(doc, 6).hasProperty(QTextFormat::ForegroundBrush));
}

void TestRtfText::roundTrip()
{
    QTextDocument doc;
    QTextCursor c(&doc);
    QTextCharFormat plain;
    plain.setFontFamilies({QStringLiteral("Liberation Sans")});
    plain.setFontPointSize(10);
    QTextCharFormat strong = plain;
    strong.setFontWeight(QFont::Bold);
    strong.setForeground(QColor(0, 0, 160));
    QTextCharFormat marked = plain;
    marked.setFontItalic(true);
    marked.setFontStrikeOut(true);
    marked.setFontPointSize(13);
    c.insertText(QStringLiteral("Pressione {alta} \\ "), plain);
    c.insertText(QStringLiteral("città €"), strong);
    c.insertBlock();
    c.insertText(QStringLiteral("\u03b1\u2264\u03b2\tfine"), marked);
    c.insertBlock();

    const QString rtf = DocumentToRtf(doc);
    QVERIFY(IsRtf(rtf));
    for (const QChar ch : rtf) QVERIFY2(ch.unicode() < 128, "RTF is 7-bit text");
    QTextDocument back;
    RtfToDocument(rtf, back);
    QCOMPARE(back.toPlainText(), doc.toPlainText());
    QCOMPARE(back.blockCount(), doc.blockCount());
    for (int i = 0; i < doc.characterCount() - 1; ++i) {
        if (doc.characterAt(i) == QChar::ParagraphSeparator) continue;
        const QTextCharFormat a = formatAt(doc, i), b = formatAt(back, i);
        QCOMPARE(b.fontWeight(), a.fontWeight());
        QCOMPARE(b.fontItalic(), a.fontItalic());
        QCOMPARE(b.fontStrikeOut(), a.fontStrikeOut());
        QCOMPARE(b.fontPointSize(), a.fontPointSize());
        QCOMPARE(b.fontFamilies(), a.fontFamilies());
        QCOMPARE(b.foreground().color(), a.foreground().color());
    }
    // Written again, it reads the same: nothing grows from save to save.
    QCOMPARE(DocumentToRtf(back), rtf);
}

void TestRtfText::damagedInputNeverFails_data()
{
    QTest::addColumn<QString>("rtf");
    QTest::addColumn<QString>("text");
    QTest::newRow("unclosed group") << "{\\rtf1 abc{\\b def" << "abcdef";
    QTest::newRow("too many closing braces") << "{\\rtf1 abc}}}def" << "abcdef";
    QTest::newRow("cut inside an escape") << "{\\rtf1 abc\\'" << "abc";
    QTest::newRow("cut after a backslash") << "{\\rtf1 abc\\" << "abc";
    QTest::newRow("deep nesting") << "{\\rtf1 " + QString(100000, QLatin1Char('{')) + "x" << "x";
    QTest::newRow("huge numbers") << "{\\rtf1\\fs99999999999\\uc999999 ab\\u99999999999 c}" << "abc";
}

void TestRtfText::damagedInputNeverFails()
{
    QFETCH(QString, rtf);
    QFETCH(QString, text);
    QTextDocument doc;
    RtfToDocument(rtf, doc);
    QVERIFY2(doc.toPlainText().contains(text.left(3)), qPrintable(doc.toPlainText()));
}

QTEST_MAIN(TestRtfText)
#include "tst_rtftext.moc"
