#include "bench/rawsqlite.h"

#include <QFile>
#include <sqlite3.h>
#include <stdexcept>

namespace {

[[noreturn]] void fail(sqlite3 *db, const char *what)
{
    throw std::runtime_error(std::string(what) + ": " + (db ? sqlite3_errmsg(db) : "out of memory"));
}

sqlite3 *openFile(const QString &path, int flags)
{
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, flags, nullptr) != SQLITE_OK) {
        const std::string text = db ? sqlite3_errmsg(db) : "out of memory";
        sqlite3_close_v2(db);
        throw std::runtime_error("open " + path.toStdString() + ": " + text);
    }
    sqlite3_busy_timeout(db, 5000);
    return db;
}

void exec(sqlite3 *db, const char *sql)
{
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK) fail(db, sql);
}

} // namespace

RawSqlite::RawSqlite(const QString &path) : m_db(openFile(path, SQLITE_OPEN_READONLY)) {}

RawSqlite::~RawSqlite() { sqlite3_close_v2(m_db); }

int RawSqlite::scanDiario()
{
    sqlite3_stmt *st = nullptr;
    if (sqlite3_prepare_v2(m_db,
                           "SELECT ID_Diario, Data, SX_MIN_1, SX_MAX_1, SX_PULS_1, DX_MIN_1, DX_MAX_1, DX_PULS_1,"
                           " SX_MIN_2, SX_MAX_2, SX_PULS_2, DX_MIN_2, DX_MAX_2, DX_PULS_2, Peso, Note FROM Diario",
                           -1, &st, nullptr)
        != SQLITE_OK)
        fail(m_db, "prepare");
    int rows = 0;
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        uint64_t sum = uint64_t(sqlite3_column_int64(st, 0));
        sum += uint64_t(sqlite3_column_bytes(st, 1)) + uint8_t(*sqlite3_column_text(st, 1));
        for (int c = 2; c < 14; ++c) sum += uint64_t(sqlite3_column_int(st, c));
        sum += uint64_t(sqlite3_column_double(st, 14));
        if (const unsigned char *note = sqlite3_column_text(st, 15)) sum += uint64_t(sqlite3_column_bytes(st, 15)) + *note;
        checksum += sum;
        ++rows;
    }
    sqlite3_finalize(st);
    if (rc != SQLITE_DONE) fail(m_db, "step");
    return rows;
}

int RawSqlite::countNotesContaining(const QString &text)
{
    sqlite3_stmt *st = nullptr;
    if (sqlite3_prepare_v2(m_db, "SELECT count(*) FROM Diario WHERE instr(Note, ?1) > 0", -1, &st, nullptr) != SQLITE_OK)
        fail(m_db, "prepare");
    const QByteArray t = text.toUtf8();
    sqlite3_bind_text(st, 1, t.constData(), int(t.size()), SQLITE_TRANSIENT);
    const int n = sqlite3_step(st) == SQLITE_ROW ? sqlite3_column_int(st, 0) : -1;
    sqlite3_finalize(st);
    return n;
}

void RawSqlite::startUpFiles(const QString &archive, const QString &backup)
{
    sqlite3 *src = openFile(archive, SQLITE_OPEN_READWRITE);
    struct Closer { sqlite3 *db; ~Closer() { sqlite3_close_v2(db); } } closeSrc{src};
    exec(src, "PRAGMA quick_check(1)");
    {
        sqlite3 *dst = openFile(backup, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
        Closer closeDst{dst};
        sqlite3_backup *b = sqlite3_backup_init(dst, "main", src, "main");
        if (!b) fail(dst, "backup");
        const int rc = sqlite3_backup_step(b, -1);
        sqlite3_backup_finish(b);
        if (rc != SQLITE_DONE) fail(dst, "backup step");
    }
    exec(src, "VACUUM");
}
