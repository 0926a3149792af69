#pragma once
// The suite's measures. Each adds its rows to the table; the archives come
// from the generator's cache in BenchConfig::dataFolder.

#include "bench/benchtable.h"

#include <QString>
#include <QStringList>

class TDataSet;

struct BenchConfig
{
    QString dataFolder;       // cached archives
    QString workFolder;       // copies a measure may change (start-up compacts)
    QString program;          // this executable, for the memory children
    int runs = 7;
};

void measureFullScan(BenchTable &table, const BenchConfig &config);
void measureSearch(BenchTable &table, const BenchConfig &config);
void measureStartUp(BenchTable &table, const BenchConfig &config);
void measureNavigation(BenchTable &table, const BenchConfig &config);
void measureMemory(BenchTable &table, const BenchConfig &config);
void measureReport(BenchTable &table, const BenchConfig &config);
void measureGridScroll(BenchTable &table, const BenchConfig &config);

// A memory child: "walk <archive>" or "open <archive>". Prints the peak
// resident memory in kB on stdout.
int runMemoryChild(const QStringList &args);

// Reads every stored field of the current row, as showing it would.
void readStoredFields(const TDataSet *dataSet);
