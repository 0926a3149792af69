#pragma once
// TIniFile: an INI text file held in memory for one batch of reads and writes.
//
// The file is read once, when the object is created; a missing or unreadable
// file reads as empty. Writes change the text in memory only; UpdateFile()
// commits them in one go through a temporary file renamed over the old one,
// so a crash or a full disk never leaves a truncated settings file. An object
// destroyed without UpdateFile() discards its changes.
//
// Semantics follow the Windows profile functions: section and key names match
// without regard to case and the first match counts; lines may end in CR LF
// and carry blanks around "="; a value read is at most 2047 characters, with
// one pair of enclosing quotes removed. Settings files are small (tens of
// keys), so lookups are plain scans of the line list.

#include "core/exceptions.h"

#include <QString>
#include <QStringList>

class EIniFileException : public Exception
{
public:
    using Exception::Exception;
};

class TIniFile
{
public:
    explicit TIniFile(const QString &FileName);
    ~TIniFile();
    TIniFile(const TIniFile &) = delete;
    TIniFile &operator=(const TIniFile &) = delete;

    static constexpr int MaxValueLength = 2047;

    const QString &FileName() const { return m_fileName; }

    QString ReadString(const QString &Section, const QString &Ident, const QString &Default) const;
    int ReadInteger(const QString &Section, const QString &Ident, int Default) const;
    bool ReadBool(const QString &Section, const QString &Ident, bool Default) const;

    // A value that begins and ends with the same quote character is written
    // inside one more pair of double quotes, so reading gives it back as is.
    void WriteString(const QString &Section, const QString &Ident, const QString &Value);
    void WriteInteger(const QString &Section, const QString &Ident, int Value);
    void WriteBool(const QString &Section, const QString &Ident, bool Value);

    QStringList ReadSections() const;
    // Key names of the section, in file order.
    QStringList ReadSection(const QString &Section) const;
    bool SectionExists(const QString &Section) const;
    bool ValueExists(const QString &Section, const QString &Ident) const;

    void EraseSection(const QString &Section);
    void DeleteKey(const QString &Section, const QString &Ident);

    // True when the text in memory differs from what was read.
    bool Modified() const { return m_modified; }
    // Writes the text when modified; raises EIniFileException
    // "Unable to write to <file>" and leaves the old file as it was on failure.
    void UpdateFile();
    // The text as UpdateFile() would write it.
    QByteArray Text() const;

    // Integer parsing of the profile functions: decimal, "0x"/"0X" or "$"
    // for hexadecimal, optional sign; anything else yields Default.
    static int StrToIntDef(const QString &Text, int Default);

private:
    int findSection(const QString &Section, int from = 0) const;
    int sectionEnd(int header) const;
    int findKey(int header, const QString &Ident) const;
    bool rawValue(const QString &Section, const QString &Ident, QString *value) const;
    void setLine(int index, const QString &text);

    QString m_fileName;
    QStringList m_lines;
    QString m_lineEnd = QStringLiteral("\n");
    bool m_modified = false;
};
