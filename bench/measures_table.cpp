// Measures of the table component against a raw SQLite scan: full scan (1),
// search keystroke (2), filtered count (3), Next/Prior by archive size (5).

#include "bench/archivegenerator.h"
#include "bench/measures.h"
#include "bench/rawsqlite.h"
#include "bench/stopwatch.h"

#include "app/diarytables.h"
#include "data/datalink.h"
#include "data/datasource.h"

#include <benchmark/benchmark.h>
#include <QTextStream>
#include <algorithm>

namespace {

constexpr int kDays = 36500;

// Stands for one grid screen: the record set keeps this many buffers filled.
class ScreenLink : public TDataLink
{
public:
    explicit ScreenLink(int rows) { SetBufferCount(rows); }
};

double ms(double seconds) { return seconds * 1e3; }

} // namespace

void readStoredFields(const TDataSet *dataSet)
{
    for (const TField *f : dataSet->Fields()) {
        if (f->Calculated()) continue;
        QVariant v = f->Value();
        benchmark::DoNotOptimize(v);
    }
}

void measureFullScan(BenchTable &table, const BenchConfig &config)
{
    const QString path = ArchiveGenerator::cached(config.dataFolder, kDays);
    TDiaryTables tables;
    tables.Diario->SetFiltered(false);
    tables.open(path);
    TDaoTable *diario = tables.Diario;
    RawSqlite raw(path);
    int ourRows = 0, rawRows = 0;
    const stopwatch::Pair t = stopwatch::medianPair(
        config.runs,
        [&] {
            ourRows = 0;
            for (diario->First(); !diario->Eof(); diario->Next()) {
                readStoredFields(diario);
                ++ourRows;
            }
        },
        [&] { rawRows = raw.scanDiario(); });
    table.addTimes(QStringLiteral("1 full scan, 36,500 days"), ms(t.ours), ms(t.reference), 3, QStringLiteral("ms"),
                   ourRows == rawRows ? QString()
                                      : QStringLiteral("row counts differ: %1 vs %2").arg(ourRows).arg(rawRows));
}

void measureSearch(BenchTable &table, const BenchConfig &config)
{
    const QString path = ArchiveGenerator::cached(config.dataFolder, kDays);
    const QString word = QString::fromLatin1(ArchiveGenerator::SearchWord);
    TDiaryTables tables;
    tables.open(path);
    TDaoTable *diario = tables.Diario;
    TDataSource source;
    source.SetDataSet(diario);
    ScreenLink screen(25);
    screen.SetDataSource(&source);
    tables.Model->SearchText = word;

    RawSqlite raw(path);
    const int matches = raw.countNotesContaining(word);
    const QString share = QStringLiteral("\"%1\" matches %2 days (%3 %)")
                              .arg(word)
                              .arg(matches)
                              .arg(100.0 * matches / kDays, 0, 'f', 2);

    const stopwatch::Pair keystroke = stopwatch::medianPair(
        config.runs, [&] { diario->First(); }, [&] { raw.scanDiario(); });
    const int shown = screen.RecordCount();
    table.addTimes(QStringLiteral("2 search keystroke, 36,500 days"), ms(keystroke.ours), ms(keystroke.reference), 4,
                   QStringLiteral("ms"),
                   share + (shown == std::min(25, matches)
                                ? QStringLiteral("; %1 rows on screen").arg(shown)
                                : QStringLiteral("; WRONG: %1 rows on screen").arg(shown)));

    // The count is cached until the next insert, delete or reopen; each run
    // must do the full filtered walk the first call after a keystroke does.
    diario->UseRecordCount = false;
    int counted = 0;
    const stopwatch::Pair count = stopwatch::medianPair(
        config.runs, [&] { counted = diario->RecordCount(); }, [&] { raw.scanDiario(); });
    diario->UseRecordCount = true;
    table.addTimes(QStringLiteral("3 filtered RecordCount, 36,500 days"), ms(count.ours), ms(count.reference), 4,
                   QStringLiteral("ms"),
                   counted == matches ? QString()
                                      : QStringLiteral("WRONG: counted %1, the notes hold %2").arg(counted).arg(matches));
    screen.SetDataSource(nullptr);
    source.SetDataSet(nullptr);
}

namespace {

// One archive positioned on its middle row, stepping 10,000 Next then 10,000
// Prior in back-and-forth legs that stay clear of both ends of a small archive.
class Walker
{
public:
    static constexpr int Steps = 10000;

    Walker(const QString &path, int days) : m_leg(std::min(Steps, days / 2 - 2))
    {
        m_tables.open(path);
        m_tables.Diario->First();
        m_tables.Diario->MoveBy(days / 2);
    }

    void run()
    {
        TDaoTable *diario = m_tables.Diario;
        for (int done = 0; done < Steps;) {
            const int n = std::min(m_leg, Steps - done);
            for (int i = 0; i < n; ++i) diario->Next();
            for (int i = 0; i < n; ++i) diario->Prior();
            done += n;
        }
    }

private:
    TDiaryTables m_tables;
    int m_leg;
};

} // namespace

void measureNavigation(BenchTable &table, const BenchConfig &config)
{
    Walker large(ArchiveGenerator::cached(config.dataFolder, 100000), 100000);
    Walker small(ArchiveGenerator::cached(config.dataFolder, 1000), 1000);
    const stopwatch::Pair t = stopwatch::medianPair(config.runs, [&] { large.run(); }, [&] { small.run(); });
    const double perStep = 1e6 / (2 * Walker::Steps);
    table.addTimes(QStringLiteral("5 Next/Prior step, 100,000 vs 1,000 days"), t.ours * perStep,
                   t.reference * perStep, 1.5, QStringLiteral("us/step"));
}
