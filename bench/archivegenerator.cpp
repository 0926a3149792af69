#include "bench/archivegenerator.h"
#include "data/archive.h"
#include "data/engineerror.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cmath>
#include <random>
#include <sqlite3.h>

namespace {

// Bump when the generated content changes, so stale caches are not reused.
const QString kVersion = QStringLiteral("v1");

const char *const kNotes[] = {
    "passeggiata di un'ora",
    "mal di testa al mattino",
    "dormito poco",
    "cena abbondante con amici",
    "giornata stressante al lavoro",
    "visita dal cardiologo, tutto bene",
    "preso il farmaco in ritardo",
    "un po' di vertigini",
    "nuotato mezz'ora in piscina",
    "caffè forte dopo pranzo",
};
constexpr int kNoteCount = int(sizeof kNotes / sizeof kNotes[0]);

void check(sqlite3 *db, int rc, const QString &path)
{
    if (rc == SQLITE_OK || rc == SQLITE_DONE || rc == SQLITE_ROW) return;
    dao::ErrorInfo info;
    info.number = rc;
    info.source = QStringLiteral("ArchiveGenerator");
    info.description = QStringLiteral("Cannot fill '%1' (SQLite: %2).").arg(path, QString::fromUtf8(sqlite3_errmsg(db)));
    throw EDaoError(info);
}

int clampNormal(std::mt19937 &rng, double mean, double sd, int lo, int hi)
{
    std::normal_distribution<double> d(mean, sd);
    return std::clamp(int(std::lround(d(rng))), lo, hi);
}

} // namespace

void ArchiveGenerator::generate(const QString &path, int days)
{
    TArchive::create(path);
    sqlite3 *db = nullptr;
    int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    struct Closer { sqlite3 *db; ~Closer() { sqlite3_close_v2(db); } } closer{db};
    check(db, rc, path);
    check(db, sqlite3_exec(db,
                           "UPDATE Intestazione SET Nome='Rossi Mario', Data_Nascita='1950-04-12 00:00:00',"
                           " Altezza=1.75, Terapia='ramipril 5 mg al mattino', Data_terapia='2019-02-01 00:00:00';"
                           "BEGIN;",
                           nullptr, nullptr, nullptr),
          path);

    sqlite3_stmt *st = nullptr;
    check(db, sqlite3_prepare_v2(db,
                                 "INSERT INTO Diario (Data, SX_MIN_1, SX_MAX_1, SX_PULS_1, DX_MIN_1, DX_MAX_1, DX_PULS_1,"
                                 " SX_MIN_2, SX_MAX_2, SX_PULS_2, DX_MIN_2, DX_MAX_2, DX_PULS_2, Peso, Note)"
                                 " VALUES (?1,?2,?3,?4,?5,?6,?7,?8,?9,?10,?11,?12,?13,?14,?15)",
                                 -1, &st, nullptr),
          path);
    std::mt19937 rng(20240101u + unsigned(days));
    std::uniform_int_distribution<int> percent(0, 99);
    std::uniform_int_distribution<int> note(0, kNoteCount - 1);
    const QDate last(2024, 12, 31);
    double weight = 78.0;
    for (int i = 0; i < days; ++i) {
        sqlite3_reset(st);
        sqlite3_clear_bindings(st);
        const QByteArray day = last.addDays(i - days + 1).toString(Qt::ISODate).toLatin1() + " 00:00:00";
        sqlite3_bind_text(st, 1, day.constData(), int(day.size()), SQLITE_TRANSIENT);

        // Columns 2..13: SX_*_1, DX_*_1, SX_*_2, DX_*_2, each as MIN, MAX, PULS.
        const int shape = percent(rng);
        const bool secondMeasurement = shape >= 10;   // otherwise only SX_*_1
        const bool secondReading = shape >= 40;       // DX_* as well
        auto reading = [&](int column) {
            sqlite3_bind_int(st, column, clampNormal(rng, 84, 9, 50, 130));
            sqlite3_bind_int(st, column + 1, clampNormal(rng, 134, 15, 90, 220));
            sqlite3_bind_int(st, column + 2, clampNormal(rng, 72, 8, 45, 130));
        };
        reading(2);
        if (secondReading) reading(5);
        if (secondMeasurement) reading(8);
        if (secondMeasurement && secondReading) reading(11);

        weight = std::clamp(weight + std::normal_distribution<double>(0, 0.15)(rng), 60.0, 100.0);
        if (percent(rng) < 30) sqlite3_bind_double(st, 14, std::round(weight * 10) / 10);
        if (percent(rng) < 10) sqlite3_bind_text(st, 15, kNotes[note(rng)], -1, SQLITE_STATIC);
        check(db, sqlite3_step(st), path);
    }
    sqlite3_finalize(st);
    check(db, sqlite3_exec(db, "COMMIT;", nullptr, nullptr, nullptr), path);
}

QString ArchiveGenerator::cached(const QString &folder, int days)
{
    QDir().mkpath(folder);
    const QString path = QStringLiteral("%1/diario-%2-%3.mdb").arg(folder).arg(days).arg(kVersion);
    if (QFileInfo::exists(path)) return path;
    // Built under another name first: an interrupted run leaves no half archive in the cache.
    const QString partial = path + QStringLiteral(".part");
    QFile::remove(partial);
    generate(partial, days);
    QFile::rename(partial, path);
    return path;
}

QString ArchiveGenerator::cachedEmpty(const QString &folder)
{
    return cached(folder, 0);
}
