// Memory (6): peak resident memory of a fresh process that walks every day of
// a 100,000-day archive, less that of one that only opens an empty archive.
// Each side is its own child process, so nothing the suite did before counts.

#include "bench/archivegenerator.h"
#include "bench/measures.h"
#include "bench/stopwatch.h"

#include "app/diarytables.h"

#include <QFile>
#include <QProcess>
#include <QElapsedTimer>
#include <QTextStream>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

extern char **environ;

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

namespace {
struct ChildRun
{
    bool ok = false;
    double seconds = 0;
    double peakMb = 0;
};

// Runs a program and waits for it with wait4(), which gives that child's own
// peak resident memory (getrusage would mix in every earlier child).
ChildRun runMeasured(const QString &program, const QStringList &args)
{
    ChildRun run;
    std::vector<QByteArray> storage{QFile::encodeName(program)};
    for (const QString &a : args) storage.push_back(a.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &b : storage) argv.push_back(b.data());
    argv.push_back(nullptr);
    QElapsedTimer timer;
    timer.start();
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return run;
    int status = 0;
    struct rusage usage {};
    if (wait4(pid, &status, 0, &usage) != pid) return run;
    run.seconds = timer.nsecsElapsed() / 1e9;
    run.peakMb = usage.ru_maxrss / 1024.0;
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return run;
}

int pdfPageCount(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return 0;
    const QByteArray data = f.readAll();
    int pages = 0;
    for (qsizetype i = data.indexOf("/Type /Page"); i >= 0; i = data.indexOf("/Type /Page", i + 1))
        if (data.mid(i + 11, 1) != "s") ++pages;
    return pages;
}
} // namespace

void measureReport(BenchTable &table, const BenchConfig &config)
{
    // The diary's own period report, built by the command-line tool exactly as
    // `tonalba-cli print` does for a user, over ten years of days.
    const QString archive = ArchiveGenerator::cached(config.dataFolder, 3650);
    const QString pdf = config.workFolder + QStringLiteral("/report-3650.pdf");
    const int runs = std::max(1, std::min(config.runs, 3));
    std::vector<double> rates, peaks;
    int pages = 0;
    bool failed = false;
    for (int i = 0; i < runs && !failed; ++i) {
        QFile::remove(pdf);
        const ChildRun run = runMeasured(QStringLiteral(TONALBA_BENCH_CLI),
                                         {QStringLiteral("print"), archive, QStringLiteral("--pdf"), pdf,
                                          QStringLiteral("--template"), QStringLiteral(TONALBA_BENCH_TEMPLATE)});
        pages = pdfPageCount(pdf);
        failed = !run.ok || pages == 0;
        rates.push_back(pages / run.seconds);
        peaks.push_back(run.peakMb);
    }
    BenchRow speed;
    speed.measure = QStringLiteral("7 report, 3,650 days to PDF");
    speed.unit = QStringLiteral("pages/s");
    BenchRow memory;
    memory.measure = QStringLiteral("7 report, peak memory");
    memory.unit = QStringLiteral("MB");
    if (failed) {
        speed.note = QStringLiteral("the print command failed");
    } else {
        speed.ours = stopwatch::median(rates);
        memory.ours = stopwatch::median(peaks);
        speed.note = QStringLiteral("%1 pages, the whole tool process (start, open, build, PDF)").arg(pages);
    }
    table.add(speed);
    table.add(memory);
}
