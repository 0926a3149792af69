#include "grid/rtftext.h"

#include <QColor>
#include <QList>
#include <QMap>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

#include <climits>

namespace {

struct GroupState
{
    bool skip = false;       // inside a destination whose text is not shown
    bool ignorable = false;  // a group that began with \*
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    int font = -1;
    int halfPoints = 0;
    int colour = 0;
    int ucSkip = 1;          // characters after \uN that stand in for it
};

// Destinations whose text is not document text. (A field's result, a
// link's visible text, is.)
bool skippedDestination(const QString &word)
{
    static const QStringList names = {
        QStringLiteral("fonttbl"), QStringLiteral("colortbl"), QStringLiteral("stylesheet"),
        QStringLiteral("info"), QStringLiteral("pict"), QStringLiteral("header"), QStringLiteral("footer"),
        QStringLiteral("headerl"), QStringLiteral("headerr"), QStringLiteral("headerf"),
        QStringLiteral("footerl"), QStringLiteral("footerr"), QStringLiteral("footerf"),
        QStringLiteral("footnote"), QStringLiteral("object"), QStringLiteral("fldinst"), QStringLiteral("listtable"), QStringLiteral("listoverridetable"),
        QStringLiteral("generator"), QStringLiteral("xmlnstbl"), QStringLiteral("themedata"),
        QStringLiteral("colorschememapping"), QStringLiteral("latentstyles"), QStringLiteral("datastore"),
        QStringLiteral("rsidtbl"), QStringLiteral("mmathPr")};
    return names.contains(word);
}

class Reader
{
public:
    Reader(const QString &text, QTextDocument &document) : m_in(text), m_cursor(&document) {}

    void run()
    {
        m_stack.append(GroupState());
        qsizetype i = 0;
        const qsizetype n = m_in.size();
        while (i < n) {
            const QChar c = m_in.at(i);
            if (c == QLatin1Char('{')) {
                flush();
                m_stack.append(m_stack.last());
                ++i;
            } else if (c == QLatin1Char('}')) {
                flush();
                groupEnds();
                if (m_stack.size() > 1) m_stack.removeLast();
                ++i;
            } else if (c == QLatin1Char('\\')) {
                i = control(i + 1);
            } else if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
                ++i;
            } else {
                text(c);
                ++i;
            }
        }
        flush();
    }

private:
    GroupState &state() { return m_stack.last(); }

    void text(QChar c)
    {
        if (m_pendingSkip > 0) {
            --m_pendingSkip;
            return;
        }
        if (state().skip) {
            if (m_inFontTable && state().ignorable) return;
            if (m_inFontTable && c != QLatin1Char(';')) m_fontName += c;
            else if (m_inFontTable) endFontEntry();
            else if (m_inColourTable && c == QLatin1Char(';')) endColourEntry();
            return;
        }
        m_pending += c;
    }

    void byte(uchar b)
    {
        const char raw = char(b);
        const QString decoded = m_decode(QByteArrayView(&raw, 1));
        text(decoded.isEmpty() ? QChar(QChar::ReplacementCharacter) : decoded.at(0));
    }

    void openPendingParagraph()
    {
        if (!m_pendingPar) return;
        m_pendingPar = false;
        m_cursor.insertBlock();
    }

    void flush()
    {
        if (m_pending.isEmpty()) return;
        openPendingParagraph();
        m_cursor.insertText(m_pending, format());
        m_pending.clear();
    }

    QTextCharFormat format() const
    {
        const GroupState &s = m_stack.last();
        QTextCharFormat f;
        f.setFontWeight(s.bold ? QFont::Bold : QFont::Normal);
        f.setFontItalic(s.italic);
        f.setFontUnderline(s.underline);
        f.setFontStrikeOut(s.strike);
        if (m_fonts.contains(s.font)) f.setFontFamilies({m_fonts.value(s.font)});
        if (s.halfPoints > 0) f.setFontPointSize(s.halfPoints / 2.0);
        if (s.colour > 0 && s.colour < m_colours.size() && m_colours.at(s.colour).isValid())
            f.setForeground(m_colours.at(s.colour));
        return f;
    }

    void groupEnds()
    {
        if (m_inFontTable && m_stack.size() <= m_fontTableDepth) m_inFontTable = false;
        if (m_inColourTable && m_stack.size() <= m_colourTableDepth) m_inColourTable = false;
    }

    void endFontEntry()
    {
        if (m_fontIndex >= 0) m_fonts[m_fontIndex] = m_fontName.trimmed();
        m_fontName.clear();
        m_fontIndex = -1;
    }

    void endColourEntry()
    {
        m_colours.append(m_colourSet ? QColor(m_red, m_green, m_blue) : QColor());
        m_red = m_green = m_blue = 0;
        m_colourSet = false;
    }

    // After the backslash at i; returns the index after the control.
    qsizetype control(qsizetype i)
    {
        const qsizetype n = m_in.size();
        if (i >= n) return i;
        const QChar c = m_in.at(i);
        if (!c.isLetter()) {
            switch (c.unicode()) {
            case '\'': {
                bool ok = false;
                const uint value = m_in.mid(i + 1, 2).toUInt(&ok, 16);
                if (ok) byte(uchar(value));
                return i + 3;
            }
            case '\\':
            case '{':
            case '}': text(c); return i + 1;
            case '~': text(QChar(0xA0)); return i + 1;
            case '_': text(QChar(0x2011)); return i + 1;
            case '*':
                state().skip = true;
                state().ignorable = true;
                return i + 1;
            case '\r':
            case '\n':   // "\<newline>" is \par
                flush();
                openPendingParagraph();
                m_pendingPar = true;
                return i + 1;
            default: return i + 1;                                       // \- and the like
            }
        }
        qsizetype j = i;
        while (j < n && m_in.at(j).isLetter() && j - i < 32) ++j;
        const QString word = m_in.mid(i, j - i);
        bool hasNumber = false;
        int number = 0;
        qsizetype k = j;
        if (k < n && (m_in.at(k) == QLatin1Char('-') || m_in.at(k).isDigit())) {
            qsizetype d = k + 1;
            while (d < n && m_in.at(d).isDigit()) ++d;
            // Every digit belongs to the word; an absurd value is held at the int's range.
            const qlonglong value = m_in.mid(k, qMin<qsizetype>(d - k, 12)).toLongLong(&hasNumber);
            number = int(qBound(qlonglong(INT_MIN), value, qlonglong(INT_MAX)));
            k = d;
        }
        if (k < n && m_in.at(k) == QLatin1Char(' ')) ++k;
        word_(word, hasNumber, number);
        return k;
    }

    void word_(const QString &w, bool hasNumber, int number)
    {
        GroupState &s = state();
        const bool on = !hasNumber || number != 0;
        if (w == QLatin1String("fonttbl")) {
            flush();
            s.skip = true;
            m_inFontTable = true;
            m_fontTableDepth = int(m_stack.size());
            return;
        }
        if (w == QLatin1String("colortbl")) {
            flush();
            s.skip = true;
            m_inColourTable = true;
            m_colourTableDepth = int(m_stack.size());
            return;
        }
        if (m_inColourTable) {
            if (w == QLatin1String("red")) m_red = qBound(0, number, 255), m_colourSet = true;
            else if (w == QLatin1String("green")) m_green = qBound(0, number, 255), m_colourSet = true;
            else if (w == QLatin1String("blue")) m_blue = qBound(0, number, 255), m_colourSet = true;
            return;
        }
        if (m_inFontTable) {
            if (w == QLatin1String("f")) {
                m_fontIndex = number;
                m_fontName.clear();
            }
            return;
        }
        if (skippedDestination(w)) {
            flush();
            s.skip = true;
            return;
        }
        if (w == QLatin1String("u") && hasNumber && (number < -32768 || number > 65535)) return;   // not a character
        if (w == QLatin1String("u") && hasNumber) {
            text(QChar(ushort(number < 0 ? number + 65536 : number)));
            m_pendingSkip = s.ucSkip;
            return;
        }
        if (s.skip) return;
        if (w == QLatin1String("par") || w == QLatin1String("sect") || w == QLatin1String("page")) {
            // The last paragraph mark ends the text; only one with text after it opens a paragraph.
            flush();
            openPendingParagraph();
            m_pendingPar = true;
            return;
        }
        if (w == QLatin1String("line")) return text(QChar::LineSeparator);
        if (w == QLatin1String("tab")) return text(QLatin1Char('\t'));
        if (w == QLatin1String("emdash")) return text(QChar(0x2014));
        if (w == QLatin1String("endash")) return text(QChar(0x2013));
        if (w == QLatin1String("lquote")) return text(QChar(0x2018));
        if (w == QLatin1String("rquote")) return text(QChar(0x2019));
        if (w == QLatin1String("ldblquote")) return text(QChar(0x201C));
        if (w == QLatin1String("rdblquote")) return text(QChar(0x201D));
        if (w == QLatin1String("bullet")) return text(QChar(0x2022));
        flush();
        if (w == QLatin1String("b")) s.bold = on;
        else if (w == QLatin1String("i")) s.italic = on;
        else if (w == QLatin1String("ul")) s.underline = on;
        else if (w == QLatin1String("ulnone")) s.underline = false;
        else if (w == QLatin1String("strike")) s.strike = on;
        else if (w == QLatin1String("f")) s.font = number;
        else if (w == QLatin1String("fs")) s.halfPoints = number;
        else if (w == QLatin1String("cf")) s.colour = number;
        else if (w == QLatin1String("uc")) s.ucSkip = qBound(0, number, 10);
        else if (w == QLatin1String("plain")) {
            const int uc = s.ucSkip;
            s = GroupState();
            s.ucSkip = uc;
        }
    }

    const QString &m_in;
    QTextCursor m_cursor;
    QStringDecoder m_decode{"windows-1252", QStringDecoder::Flag::Stateless};
    QList<GroupState> m_stack;
    QString m_pending;
    int m_pendingSkip = 0;
    bool m_pendingPar = false;
    QMap<int, QString> m_fonts;
    bool m_inFontTable = false;
    int m_fontTableDepth = 0;
    int m_fontIndex = -1;
    QString m_fontName;
    QList<QColor> m_colours;
    bool m_inColourTable = false;
    int m_colourTableDepth = 0;
    int m_red = 0, m_green = 0, m_blue = 0;
    bool m_colourSet = false;
};

QString escaped(const QString &text)
{
    QStringEncoder encode("windows-1252", QStringEncoder::Flag::Stateless);
    QString out;
    for (const QChar c : text) {
        const ushort u = c.unicode();
        if (c == QLatin1Char('\\') || c == QLatin1Char('{') || c == QLatin1Char('}')) {
            out += QLatin1Char('\\');
            out += c;
        } else if (u == '\t') {
            out += QLatin1String("\\tab ");
        } else if (c == QChar::LineSeparator) {
            out += QLatin1String("\\line ");
        } else if (u >= 0x20 && u < 0x80) {
            out += c;
        } else if (u < 0x20) {
            continue;
        } else {
            const QByteArray b = encode.isValid() ? QByteArray(encode(QString(c))) : QByteArray();
            if (b.size() == 1 && !encode.hasError()) {
                out += QStringLiteral("\\'%1").arg(uchar(b.at(0)), 2, 16, QLatin1Char('0'));
            } else {
                encode.resetState();
                out += QStringLiteral("\\u%1?").arg(short(u));
            }
        }
    }
    return out;
}

} // namespace

bool IsRtf(const QString &text)
{
    return text.startsWith(QLatin1String("{\\rtf"));
}

void RtfToDocument(const QString &text, QTextDocument &document)
{
    document.clear();
    if (!IsRtf(text)) {
        document.setPlainText(text);
        return;
    }
    Reader(text, document).run();
}

QString DocumentToRtf(const QTextDocument &document)
{
    QStringList fonts;
    QList<QColor> colours;
    QString body;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (block != document.begin()) body += QLatin1String("\\par\n");
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.isValid()) continue;
            const QTextCharFormat f = fragment.charFormat();
            const QString family = f.fontFamilies().toStringList().value(0, document.defaultFont().family());
            if (!fonts.contains(family)) fonts << family;
            body += QStringLiteral("\\plain\\f%1").arg(fonts.indexOf(family));
            const double points = f.hasProperty(QTextFormat::FontPointSize) ? f.fontPointSize()
                                                                             : document.defaultFont().pointSizeF();
            if (points > 0) body += QStringLiteral("\\fs%1").arg(qRound(points * 2));
            if (f.fontWeight() >= QFont::Bold) body += QLatin1String("\\b");
            if (f.fontItalic()) body += QLatin1String("\\i");
            if (f.fontUnderline()) body += QLatin1String("\\ul");
            if (f.fontStrikeOut()) body += QLatin1String("\\strike");
            if (f.hasProperty(QTextFormat::ForegroundBrush)) {
                const QColor c = f.foreground().color();
                if (!colours.contains(c)) colours << c;
                body += QStringLiteral("\\cf%1").arg(colours.indexOf(c) + 1);
            }
            body += QLatin1Char(' ');
            body += escaped(fragment.text());
        }
    }
    if (fonts.isEmpty()) fonts << document.defaultFont().family();
    QString out = QStringLiteral("{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl");
    for (int i = 0; i < fonts.size(); ++i) out += QStringLiteral("{\\f%1 %2;}").arg(i).arg(escaped(fonts.at(i)));
    out += QLatin1String("}\n{\\colortbl ;");
    for (const QColor &c : std::as_const(colours))
        out += QStringLiteral("\\red%1\\green%2\\blue%3;").arg(c.red()).arg(c.green()).arg(c.blue());
    out += QLatin1String("}\n");
    out += body;
    // Every paragraph ends with its mark, the last one too (readers drop that one).
    out += QLatin1String("\\par\n}");
    return out;
}
