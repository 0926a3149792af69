// libFuzzer target: the settings file. Any byte string must read as some
// sections and keys, each listed key found again with a value no longer than
// the limit; the text saved must read back to the same values; and writing one
// key, then saving, must change that key alone.

#include "settings/inifile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <utility>

namespace {

struct Section
{
    QString name;
    QList<std::pair<QString, QString>> values; // key, value, in file order
    bool operator==(const Section &) const = default;
};
using Contents = QList<Section>;

QTemporaryDir *dir = nullptr;

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}
bool hasLineBreak(const QString &s)
{
    return s.contains(QLatin1Char('\n')) || s.contains(QLatin1Char('\r'));
}

// Every section once (the first of its name counts), with what its keys read.
Contents contents(const TIniFile &ini)
{
    Contents out;
    QStringList seen;
    for (const QString &name : ini.ReadSections()) {
        if (seen.contains(name, Qt::CaseInsensitive)) continue;
        seen << name;
        if (!ini.SectionExists(name)) abort();
        Section section{name, {}};
        for (const QString &key : ini.ReadSection(name)) {
            if (!ini.ValueExists(name, key)) abort();
            const QString value = ini.ReadString(name, key, QString());
            if (value.size() > TIniFile::MaxValueLength) abort();
            section.values.append({key, value});
        }
        out << section;
    }
    return out;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()) abort();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication app(*argc, *argv);
    // Malformed names are refused with a warning on every run: keep the log readable.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    // Saving syncs the file: on a memory file system that costs nothing.
    const QString base =
        QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
    static QTemporaryDir files(base + QStringLiteral("/tonalba-fuzz-ini-XXXXXX"));
    if (!files.isValid()) abort();
    dir = &files;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString read = dir->filePath(QStringLiteral("diario.ini"));
    const QString saved = dir->filePath(QStringLiteral("salvato.ini"));
    writeFile(read, QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));

    TIniFile ini(read);
    const Contents before = contents(ini);
    if (ini.Modified()) abort();

    writeFile(saved, ini.Text());
    if (contents(TIniFile(saved)) != before) abort();

    // One key written: a section and key of the file or new ones, and a value
    // the file holds, as the last byte picks them.
    const uint8_t pick = size ? data[size - 1] : 0;
    const QStringList sections = ini.ReadSections();
    const QString section = sections.value(pick % (sections.size() + 1), QStringLiteral("Fuzz"));
    const QStringList keys = ini.ReadSection(section);
    const QString key = keys.value((pick >> 3) % (keys.size() + 1), QStringLiteral("NuovaChiave"));
    QString value = QStringLiteral("valore");
    QList<QString> values;
    for (const Section &s : before)
        for (const auto &kv : s.values)
            values << kv.second;
    if (!values.isEmpty()) {
        value = values.at((pick >> 1) % values.size());
        // Blanks around a value and line breaks in it cannot be read back.
        value.remove(QLatin1Char('\r'));
        value.remove(QLatin1Char('\n'));
        value = value.trimmed();
    }

    Contents expected = before;
    // Names that would read back as other lines are refused, and nothing changes.
    if (!section.isEmpty() && !hasLineBreak(section) && !hasLineBreak(key)) {
        auto s = std::find_if(expected.begin(), expected.end(),
                              [&](const Section &x) { return sameName(x.name, section); });
        if (s == expected.end()) {
            expected << Section{section, {}};
            s = expected.end() - 1;
        }
        bool found = false;
        // A key written twice in the section reads as its first line.
        for (auto &kv : s->values) {
            if (sameName(kv.first, key)) {
                kv.second = value;
                found = true;
            }
        }
        if (!found) s->values.append({key, value});
    }
    ini.WriteString(section, key, value);
    if (contents(ini) != expected) abort();
    try {
        ini.UpdateFile();
    } catch (const EIniFileException &) {
        abort();
    }
    if (ini.Modified()) abort();
    if (contents(TIniFile(read)) != expected) abort();
    return 0;
}
