// tonalba-bench: the diary's speed and memory against SQLite itself.
//
//   tonalba-bench [--runs N] [--only 1,2,...] [--data DIR] [--json FILE]
//
// Prints one table (measure, ours, reference, ratio, goal) and writes it as
// JSON. Every figure is a median of N runs (default 7). The archives are
// generated once and cached in the data folder.

#include "bench/archivegenerator.h"
#include "bench/measures.h"

#include "core/exceptions.h"
#include "core/formatsettings.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QTextStream>
#include <cstdlib>
#include <functional>
#include <stdexcept>
#include <unistd.h>

#ifndef TONALBA_BENCH_DATA
#define TONALBA_BENCH_DATA "build/bench-data"
#endif
#ifndef TONALBA_BENCH_JSON
#define TONALBA_BENCH_JSON "build/bench.json"
#endif

namespace {

void useItalianFormats()
{
    // The figures must not depend on the machine's locale.
    TFormatSettings it;
    if (TFormatSettings::forLocale(QStringLiteral("it_IT"), it)) TFormatSettings::setCurrent(it);
}

QString machineLine()
{
    double load[3] = {-1, -1, -1};
    getloadavg(load, 3);
    return QStringLiteral("cores %1, load average %2 %3 %4")
        .arg(sysconf(_SC_NPROCESSORS_ONLN))
        .arg(load[0], 0, 'f', 2)
        .arg(load[1], 0, 'f', 2)
        .arg(load[2], 0, 'f', 2);
}

int usage(const QString &message)
{
    QTextStream(stderr) << message << "\nUso: tonalba-bench [--runs N] [--only 1,2,...] [--data CARTELLA] [--json FILE]\n";
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc > 1 && QByteArray(argv[1]) == "--memory-child") {
        useItalianFormats();
        QStringList args;
        for (int i = 2; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
        return runMemoryChild(args);
    }

    // The grid measure paints; no display is wanted or needed.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        // Keeps Qt's warning about a missing runtime folder out of the table.
        const QByteArray runtime = QDir::tempPath().toLocal8Bit() + "/tonalba-bench-" + QByteArray::number(getuid());
        QDir().mkpath(QString::fromLocal8Bit(runtime));
        QFile::setPermissions(QString::fromLocal8Bit(runtime), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", runtime);
    }
    QApplication app(argc, argv);
    useItalianFormats();
    for (const char *family : {"Arial", "Microsoft Sans Serif", "MS Sans Serif"})
        QFont::insertSubstitution(QString::fromLatin1(family), QStringLiteral("Liberation Sans"));

    BenchConfig config;
    config.program = QCoreApplication::applicationFilePath();
    config.dataFolder = qEnvironmentVariable("TONALBA_BENCH_DATA", QStringLiteral(TONALBA_BENCH_DATA));
    QString jsonPath = QStringLiteral(TONALBA_BENCH_JSON);
    QList<int> only;
    const QStringList args = app.arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if (i + 1 >= args.size()) return usage(QStringLiteral("Argomento inatteso: %1").arg(a));
        const QString value = args[++i];
        bool ok = true;
        if (a == "--runs") {
            config.runs = value.toInt(&ok);
            ok = ok && config.runs > 0;
        } else if (a == "--only") {
            for (const QString &n : value.split(QLatin1Char(','))) only << n.toInt(&ok);
        } else if (a == "--data") {
            config.dataFolder = value;
        } else if (a == "--json") {
            jsonPath = value;
        } else {
            ok = false;
        }
        if (!ok) return usage(QStringLiteral("Valore non valido per %1: %2").arg(a, value));
    }
    config.dataFolder = QDir(config.dataFolder).absolutePath();
    config.workFolder = config.dataFolder + QStringLiteral("/work");

    QTextStream out(stdout);
    out << "tonalba-bench: " << machineLine() << ", " << config.runs << " runs per measure (median)\n";
    out << "archives: " << config.dataFolder << "\n" << Qt::flush;

    const QList<std::pair<int, std::function<void(BenchTable &, const BenchConfig &)>>> measures = {
        {1, measureFullScan}, {2, measureSearch},     {4, measureStartUp},    {5, measureNavigation},
        {6, measureMemory},   {7, measureReport},     {8, measureGridScroll},
    };
    BenchTable table;
    int failures = 0;
    for (const auto &[number, measure] : measures) {
        // Measure 2 also gives 3.
        if (!only.isEmpty() && !only.contains(number) && !(number == 2 && only.contains(3))) continue;
        try {
            measure(table, config);
        } catch (const Exception &e) {
            out << "measure " << number << " failed: " << e.message() << "\n";
            ++failures;
        } catch (const std::exception &e) {
            out << "measure " << number << " failed: " << e.what() << "\n";
            ++failures;
        }
        out << Qt::flush;
    }

    out << "\n" << table.text() << "\n" << machineLine() << " at the end\n";
    QString error;
    if (!table.writeJson(jsonPath, &error)) {
        out << "cannot write " << jsonPath << ": " << error << "\n";
        return 1;
    }
    out << "written: " << QFileInfo(jsonPath).absoluteFilePath() << "\n";
    return failures ? 1 : 0;
}
