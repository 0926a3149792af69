// Memory (6): peak resident memory of a fresh process that walks every day of
// a 100,000-day archive, less that of one that only opens an empty archive.
// Each side is its own child process, so nothing the suite did before counts.

#include "bench/archivegenerator.h"
#include "bench/measures.h"
#include "bench/stopwatch.h"

#include "app/diarytables.h"

#include <QFile>
#include <QProcess>
#include <QTextStream>

namespace {

long peakResidentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

// Peak of one child in MB, or -1.
double childPeakMb(const BenchConfig &config, const QString &mode, const QString &archive)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(config.program, {QStringLiteral("--memory-child"), mode, archive});
    if (!child.waitForFinished(300000) || child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0)
        return -1;
    bool ok = false;
    const long kb = child.readAllStandardOutput().trimmed().toLong(&ok);
    return ok && kb > 0 ? kb / 1024.0 : -1;
}

} // namespace

int runMemoryChild(const QStringList &args)
{
    if (args.size() != 2 || (args[0] != "walk" && args[0] != "open")) return 2;
    try {
        TDiaryTables tables;
        tables.open(args[1]);
        if (args[0] == "walk") {
            TDaoTable *diario = tables.Diario;
            for (diario->First(); !diario->Eof(); diario->Next()) readStoredFields(diario);
        }
        QTextStream(stdout) << peakResidentKb() << "\n";
        tables.close();
    } catch (const std::exception &e) {
        QTextStream(stderr) << "memory child: " << e.what() << "\n";
        return 1;
    }
    return 0;
}

void measureMemory(BenchTable &table, const BenchConfig &config)
{
    const QString large = ArchiveGenerator::cached(config.dataFolder, 100000);
    const QString empty = ArchiveGenerator::cachedEmpty(config.dataFolder);
    // Fewer runs than the timings: peaks hardly vary, and a walk takes seconds.
    const int runs = std::max(1, std::min(config.runs, 3));
    std::vector<double> walk, open;
    bool failed = false;
    for (int i = 0; i < runs; ++i) {
        const double w = childPeakMb(config, QStringLiteral("walk"), large);
        const double o = childPeakMb(config, QStringLiteral("open"), empty);
        failed = failed || w < 0 || o < 0;
        walk.push_back(w);
        open.push_back(o);
    }
    BenchRow row;
    row.measure = QStringLiteral("6 peak memory, walk 100,000 days");
    row.goal = 20;
    row.unit = QStringLiteral("MB more");
    if (failed) {
        row.note = QStringLiteral("a child process failed");
    } else {
        const double w = stopwatch::median(walk), o = stopwatch::median(open);
        row.ours = w - o;
        row.reference = o;
        row.note = QStringLiteral("walking process %1 MB, empty archive %2 MB (reference column)")
                       .arg(w, 0, 'f', 1)
                       .arg(o, 0, 'f', 1);
    }
    table.add(row);
}

void measureReport(BenchTable &table, const BenchConfig &)
{
    // TODO(issue 13): build the diary's period report over 3,650 days to PDF
    // (pages per second, peak memory in a child) once issue 12's report exists.
    BenchRow speed;
    speed.measure = QStringLiteral("7 report, 3,650 days to PDF");
    speed.unit = QStringLiteral("pages/s");
    speed.note = QStringLiteral("not yet available (no report builder yet)");
    table.add(speed);
    BenchRow memory;
    memory.measure = QStringLiteral("7 report, peak memory");
    memory.unit = QStringLiteral("MB");
    table.add(memory);
}
