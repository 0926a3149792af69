#include "settings/inifile.h"

#include "core/safefile.h"

#include <QFile>
#include <QStringDecoder>

namespace {

bool isSectionHeader(const QString &line, QString *name)
{
    const QString text = line.trimmed();
    if (!text.startsWith(QLatin1Char('[')))
        return false;
    const qsizetype close = text.indexOf(QLatin1Char(']'));
    if (close < 0)
        return false;
    if (name)
        *name = text.mid(1, close - 1).trimmed();
    return true;
}

// A key line is "key=value"; comments (";") and lines without "=" are kept
// in the text but never match a key.
bool isKeyLine(const QString &line, QString *key, QString *value)
{
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    if (eq <= 0)
        return false;
    const QString name = line.left(eq).trimmed();
    if (name.isEmpty() || name.startsWith(QLatin1Char(';')) || name.startsWith(QLatin1Char('[')))
        return false;
    if (key)
        *key = name;
    if (value)
        *value = line.mid(eq + 1).trimmed();
    return true;
}

bool isBlank(const QString &line)
{
    return line.trimmed().isEmpty();
}

bool hasLineBreak(const QString &text)
{
    return text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'));
}

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool enclosedInQuotes(const QString &value)
{
    if (value.size() < 2)
        return false;
    const QChar first = value.front();
    return (first == QLatin1Char('"') || first == QLatin1Char('\'')) && value.back() == first;
}

} // namespace

TIniFile::TIniFile(const QString &FileName)
    : m_fileName(FileName)
{
    QFile file(FileName);
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QByteArray bytes = file.readAll();

    // Files written here are UTF-8; one carried over from Windows is in the
    // ANSI code page, which shows as invalid UTF-8.
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    if (utf8.hasError()) {
        QStringDecoder ansi("windows-1252");
        text = ansi.decode(bytes);
    }
    // The decoder drops one byte-order mark; a second (an editor that added
    // its own) would hide the first section and come back at the start when
    // saved, where the next read drops it: the file would change meaning.
    while (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);

    const qsizetype firstBreak = text.indexOf(QLatin1Char('\n'));
    if (firstBreak > 0 && text.at(firstBreak - 1) == QLatin1Char('\r'))
        m_lineEnd = QStringLiteral("\r\n");

    m_lines = text.split(QLatin1Char('\n'));
    if (text.endsWith(QLatin1Char('\n')) || text.isEmpty())
        m_lines.removeLast();
    for (QString &line : m_lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }
}

TIniFile::~TIniFile() = default;

int TIniFile::findSection(const QString &Section, int from) const
{
    QString name;
    for (int i = from; i < m_lines.size(); ++i) {
        if (isSectionHeader(m_lines.at(i), &name) && sameName(name, Section))
            return i;
    }
    return -1;
}

int TIniFile::sectionEnd(int header) const
{
    int i = header + 1;
    while (i < m_lines.size() && !isSectionHeader(m_lines.at(i), nullptr))
        ++i;
    return i;
}

int TIniFile::findKey(int header, const QString &Ident) const
{
    const int end = sectionEnd(header);
    QString key;
    for (int i = header + 1; i < end; ++i) {
        if (isKeyLine(m_lines.at(i), &key, nullptr) && sameName(key, Ident))
            return i;
    }
    return -1;
}

bool TIniFile::rawValue(const QString &Section, const QString &Ident, QString *value) const
{
    const int header = findSection(Section);
    if (header < 0)
        return false;
    const int line = findKey(header, Ident);
    if (line < 0)
        return false;
    isKeyLine(m_lines.at(line), nullptr, value);
    return true;
}

QString TIniFile::ReadString(const QString &Section, const QString &Ident, const QString &Default) const
{
    QString value;
    if (!rawValue(Section, Ident, &value))
        return Default;
    if (enclosedInQuotes(value))
        value = value.mid(1, value.size() - 2);
    value.truncate(MaxValueLength);
    return value;
}

int TIniFile::ReadInteger(const QString &Section, const QString &Ident, int Default) const
{
    return StrToIntDef(ReadString(Section, Ident, QString()), Default);
}

bool TIniFile::ReadBool(const QString &Section, const QString &Ident, bool Default) const
{
    return ReadInteger(Section, Ident, Default ? 1 : 0) != 0;
}

void TIniFile::setLine(int index, const QString &text)
{
    if (m_lines.at(index) == text)
        return;
    m_lines[index] = text;
    m_modified = true;
}

void TIniFile::WriteString(const QString &Section, const QString &Ident, const QString &Value)
{
    // A line break or a stray "=" / "]" would turn into other keys or
    // sections when the file is read again.
    if (Section.isEmpty() || Ident.trimmed().isEmpty() || hasLineBreak(Section) || hasLineBreak(Ident)
        || hasLineBreak(Value) || Section.contains(QLatin1Char(']')) || Ident.contains(QLatin1Char('='))) {
        qWarning("TIniFile::WriteString: unusable section, key or value [%s] %s", qPrintable(Section),
                 qPrintable(Ident));
        return;
    }

    QString value = Value;
    if (enclosedInQuotes(value))
        value = QLatin1Char('"') + value + QLatin1Char('"');

    const int header = findSection(Section);
    if (header < 0) {
        m_lines.append(QLatin1Char('[') + Section + QLatin1Char(']'));
        m_lines.append(Ident + QLatin1Char('=') + value);
        m_modified = true;
        return;
    }
    const int line = findKey(header, Ident);
    if (line >= 0) {
        // Keep the key as the file spells it.
        QString key;
        isKeyLine(m_lines.at(line), &key, nullptr);
        setLine(line, key + QLatin1Char('=') + value);
        return;
    }
    // After the section's last non-blank line, so a blank line that separates
    // it from the next section stays where it is.
    int insertAt = sectionEnd(header);
    while (insertAt - 1 > header && isBlank(m_lines.at(insertAt - 1)))
        --insertAt;
    m_lines.insert(insertAt, Ident + QLatin1Char('=') + value);
    m_modified = true;
}

void TIniFile::WriteInteger(const QString &Section, const QString &Ident, int Value)
{
    WriteString(Section, Ident, QString::number(Value));
}

void TIniFile::WriteBool(const QString &Section, const QString &Ident, bool Value)
{
    WriteString(Section, Ident, Value ? QStringLiteral("1") : QStringLiteral("0"));
}

QStringList TIniFile::ReadSections() const
{
    QStringList result;
    QString name;
    for (const QString &line : m_lines) {
        if (isSectionHeader(line, &name))
            result.append(name);
    }
    return result;
}

QStringList TIniFile::ReadSection(const QString &Section) const
{
    QStringList result;
    const int header = findSection(Section);
    if (header < 0)
        return result;
    const int end = sectionEnd(header);
    QString key;
    for (int i = header + 1; i < end; ++i) {
        if (isKeyLine(m_lines.at(i), &key, nullptr))
            result.append(key);
    }
    return result;
}

bool TIniFile::SectionExists(const QString &Section) const
{
    return findSection(Section) >= 0;
}

bool TIniFile::ValueExists(const QString &Section, const QString &Ident) const
{
    return rawValue(Section, Ident, nullptr);
}

void TIniFile::EraseSection(const QString &Section)
{
    // Every section of that name goes, or a later duplicate would surface on
    // the next read.
    for (int header = findSection(Section); header >= 0; header = findSection(Section, header)) {
        m_lines.erase(m_lines.begin() + header, m_lines.begin() + sectionEnd(header));
        m_modified = true;
    }
}

void TIniFile::DeleteKey(const QString &Section, const QString &Ident)
{
    const int header = findSection(Section);
    if (header < 0)
        return;
    const int line = findKey(header, Ident);
    if (line < 0)
        return;
    m_lines.removeAt(line);
    m_modified = true;
}

QByteArray TIniFile::Text() const
{
    QString text;
    for (const QString &line : m_lines) {
        text += line;
        text += m_lineEnd;
    }
    return text.toUtf8();
}

void TIniFile::UpdateFile()
{
    if (!m_modified)
        return;
    if (!safefile::write(m_fileName, Text()))
        throw EIniFileException(QStringLiteral("Unable to write to %1").arg(m_fileName));
    m_modified = false;
}

int TIniFile::StrToIntDef(const QString &Text, int Default)
{
    QStringView s = QStringView(Text).trimmed();
    bool negative = false;
    if (!s.isEmpty() && (s.front() == QLatin1Char('-') || s.front() == QLatin1Char('+'))) {
        negative = s.front() == QLatin1Char('-');
        s = s.mid(1);
    }
    int base = 10;
    if (s.startsWith(QLatin1Char('$'))) {
        base = 16;
        s = s.mid(1);
    } else if (s.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        base = 16;
        s = s.mid(2);
    }
    if (s.isEmpty())
        return Default;

    // Hexadecimal covers the full 32 bits ("$FFFFFFFF" is -1), decimal must
    // fit an int.
    const qint64 limit = base == 16 ? 0xFFFFFFFFLL : (negative ? 2147483648LL : 2147483647LL);
    qint64 value = 0;
    for (const QChar c : s) {
        int digit;
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            digit = c.unicode() - '0';
        else if (base == 16 && c >= QLatin1Char('a') && c <= QLatin1Char('f'))
            digit = c.unicode() - 'a' + 10;
        else if (base == 16 && c >= QLatin1Char('A') && c <= QLatin1Char('F'))
            digit = c.unicode() - 'A' + 10;
        else
            return Default;
        value = value * base + digit;
        if (value > limit)
            return Default;
    }
    if (base == 16)
        value = static_cast<qint32>(static_cast<quint32>(value));
    return static_cast<int>(negative ? -value : value);
}
