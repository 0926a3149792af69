// Start-up (4): the file work and opening the main window's creation does,
// against the same file work done directly with the sqlite3 library.

#include "bench/archivegenerator.h"
#include "bench/measures.h"
#include "bench/rawsqlite.h"
#include "bench/stopwatch.h"

#include "app/diarytables.h"
#include "data/archive.h"
#include "data/lockfile.h"

#include <QDir>
#include <QFile>
#include <memory>

namespace {

// A fresh private copy of the cached archive: compaction rewrites it.
QString workCopy(const QString &source, const QString &folder)
{
    QDir().mkpath(folder);
    const QString path = folder + QStringLiteral("/diario.mdb");
    QFile::remove(path);
    QFile::remove(folder + QStringLiteral("/diario_backup.mdk"));
    if (!QFile::copy(source, path)) throw std::runtime_error("cannot copy " + source.toStdString());
    return path;
}

// Seconds spent in each step of our start-up, summed over the runs.
struct Steps
{
    double copy = 0, repair = 0, compact = 0, open = 0;
};

// The steps of the main window's creation after the archive is chosen.
std::unique_ptr<TDiaryTables> ourStartUp(const QString &archive, const QString &backup, Steps &steps)
{
    auto tables = std::make_unique<TDiaryTables>();
    TDaoDatabase *database = tables->Database;
    database->SetVersion(QStringLiteral("3.6"));
    if (!TArchiveLock::isOpenElsewhere(archive)) {
        steps.copy += stopwatch::seconds([&] { TArchive::copy(archive, backup); });
        steps.repair += stopwatch::seconds([&] { database->RepairDatabaseFile(archive, QString()); });
        steps.compact += stopwatch::seconds([&] { database->CompactDatabaseFile(archive, QString()); });
    }
    steps.open += stopwatch::seconds([&] {
        database->SetSmartOpen(false);
        database->SetDatabase(archive);
        database->Open();
        tables->Diario->Open();
        tables->Intesta->Open();
        tables->Diario->Last();
    });
    return tables;
}

} // namespace

void measureStartUp(BenchTable &table, const BenchConfig &config)
{
    const QString source = ArchiveGenerator::cached(config.dataFolder, 36500);
    const QString oursFolder = config.workFolder + QStringLiteral("/startup-ours");
    const QString oursBackup = oursFolder + QStringLiteral("/diario_backup.mdk");
    const QString rawFolder = config.workFolder + QStringLiteral("/startup-raw");
    const QString rawBackup = rawFolder + QStringLiteral("/diario_backup.mdk");

    // The window keeps the archive open; closing it is not part of the start.
    std::vector<double> a, b;
    Steps steps, warmUp;
    for (int i = 0; i <= config.runs; ++i) {
        // Each start finds an archive written since the last one, as a day's use leaves it.
        const QString ours = workCopy(source, oursFolder);
        const QString raw = workCopy(source, rawFolder);
        std::unique_ptr<TDiaryTables> open;
        const double tOurs = stopwatch::seconds([&] { open = ourStartUp(ours, oursBackup, i ? steps : warmUp); });
        open.reset();
        const double tRaw = stopwatch::seconds([&] {
            QFile::remove(rawBackup);
            RawSqlite::startUpFiles(raw, rawBackup);
        });
        if (i == 0) continue;   // warm-up
        a.push_back(tOurs);
        b.push_back(tRaw);
    }
    const double mean = 1e3 / config.runs;
    table.addTimes(QStringLiteral("4 start-up, 36,500 days"), stopwatch::median(a) * 1e3, stopwatch::median(b) * 1e3,
                   1.3, QStringLiteral("ms"),
                   QStringLiteral("ours by step (mean ms): check and backup copy %1, repair %2, compact %3, "
                                  "connect, open and Last %4")
                       .arg(steps.copy * mean, 0, 'f', 1)
                       .arg(steps.repair * mean, 0, 'f', 1)
                       .arg(steps.compact * mean, 0, 'f', 1)
                       .arg(steps.open * mean, 0, 'f', 1));
}
