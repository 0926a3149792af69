#include "data/archive.h"
#include "data/archivestamp.h"
#include "data/engine_p.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>
#include <QTemporaryFile>
#include <sqlite3.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <signal.h>
#include <unistd.h>

namespace {
const QString kSource = QStringLiteral("DAO.DBEngine");

const char *const kSchema =
    "PRAGMA journal_mode=DELETE;"
    "BEGIN;"
    "CREATE TABLE \"Diario\" ("
    " \"ID_Diario\" INTEGER PRIMARY KEY AUTOINCREMENT,"
    " \"Data\" DATETIME,"
    " \"SX_MIN_1\" INT, \"SX_MAX_1\" INT, \"SX_PULS_1\" INT,"
    " \"DX_MIN_1\" INT, \"DX_MAX_1\" INT, \"DX_PULS_1\" INT,"
    " \"SX_MIN_2\" INT, \"SX_MAX_2\" INT, \"SX_PULS_2\" INT,"
    " \"DX_MIN_2\" INT, \"DX_MAX_2\" INT, \"DX_PULS_2\" INT,"
    " \"Peso\" DOUBLE,"
    " \"Note\" MEMO);"
    "CREATE INDEX \"Data\" ON \"Diario\" (\"Data\");"
    "CREATE TABLE \"Intestazione\" ("
    " \"Nome\" VARCHAR(255),"
    " \"Data_Nascita\" DATETIME,"
    " \"Altezza\" DOUBLE,"
    " \"Terapia\" MEMO,"
    " \"Data_terapia\" DATETIME);"
    "INSERT INTO \"Intestazione\" (\"Nome\") VALUES ('Inserire nome');"
    "COMMIT;";

[[noreturn]] void fail(int number, const QString &text) { dao::raise(nullptr, number, kSource, text); }

// A fresh name in the target's folder, so the final rename stays on one file system.
QString siblingTempName(const QString &target)
{
    // The name says whose it is, so a later start can tell an abandoned one from a live one's.
    QTemporaryFile tmp(QFileInfo(target).absolutePath()
                       + QStringLiteral("/.tonalba-%1-XXXXXX.tmp").arg(QCoreApplication::applicationPid()));
    tmp.setAutoRemove(false);
    if (!tmp.open()) fail(dao::errCannotOpenFile, QStringLiteral("Cannot create a file in the folder of '%1': %2.").arg(target, tmp.errorString()));
    const QString name = tmp.fileName();
    tmp.close();
    QFile::remove(name);
    return name;
}
} // namespace

void TArchive::create(const QString &path)
{
    if (QFileInfo::exists(path)) fail(dao::errDatabaseExists, QStringLiteral("Database already exists: '%1'.").arg(path));
    const QString tmp = siblingTempName(path);
    sqlite3 *db = nullptr;
    int rc = dao::openSqlite(tmp, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, &db);
    char *msg = nullptr;
    if (rc == SQLITE_OK) rc = sqlite3_exec(db, kSchema, nullptr, nullptr, &msg);
    const QString text = QString::fromUtf8(msg ? msg : db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
    sqlite3_free(msg);
    sqlite3_close_v2(db);
    if (rc != SQLITE_OK) {
        QFile::remove(tmp);
        fail(dao::numberForSqliteWrite(rc), QStringLiteral("Cannot create the archive '%1' (SQLite: %2).").arg(path, text));
    }
    // link() refuses an existing name, so a file that appeared meanwhile is never replaced.
    const int linked = ::link(QFile::encodeName(tmp).constData(), QFile::encodeName(path).constData());
    const int err = errno;
    QFile::remove(tmp);
    if (linked != 0) {
        if (err == EEXIST) fail(dao::errDatabaseExists, QStringLiteral("Database already exists: '%1'.").arg(path));
        fail(dao::errCannotOpenFile, QStringLiteral("Cannot create the archive '%1': %2.").arg(path, QString::fromLocal8Bit(strerror(err))));
    }
}

namespace {
// What makes a file a diary: both tables with every stored column, and the
// header's row. A database that lacks any of them would be copied over the
// last good backup and then fail to open, leaving no diary anywhere.
QString notADiary(sqlite3 *db)
{
    static const char *const diario[] = {"ID_Diario", "Data", "SX_MIN_1", "SX_MAX_1", "SX_PULS_1", "DX_MIN_1",
                                         "DX_MAX_1", "DX_PULS_1", "SX_MIN_2", "SX_MAX_2", "SX_PULS_2", "DX_MIN_2",
                                         "DX_MAX_2", "DX_PULS_2", "Peso", "Note"};
    static const char *const intestazione[] = {"Nome", "Data_Nascita", "Altezza", "Terapia", "Data_terapia"};
    const auto columnsOf = [db](const char *table) {
        QStringList names;
        sqlite3_stmt *st = nullptr;
        if (sqlite3_prepare_v2(db, "SELECT name FROM pragma_table_info(?1)", -1, &st, nullptr) == SQLITE_OK) {
            sqlite3_bind_text(st, 1, table, -1, SQLITE_STATIC);
            while (sqlite3_step(st) == SQLITE_ROW)
                names << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0))).toLower();
        }
        sqlite3_finalize(st);
        return names;
    };
    const auto missing = [&](const char *table, const auto &wanted) -> QString {
        const QStringList have = columnsOf(table);
        if (have.isEmpty()) return QStringLiteral("it has no table %1").arg(QLatin1String(table));
        for (const char *column : wanted)
            if (!have.contains(QString::fromLatin1(column).toLower()))
                return QStringLiteral("table %1 has no column %2").arg(QLatin1String(table), QLatin1String(column));
        return QString();
    };
    QString why = missing("Diario", diario);
    if (why.isEmpty()) why = missing("Intestazione", intestazione);
    if (!why.isEmpty()) return why;
    sqlite3_stmt *st = nullptr;
    bool hasRow = false;
    if (sqlite3_prepare_v2(db, "SELECT 1 FROM \"Intestazione\" LIMIT 1", -1, &st, nullptr) == SQLITE_OK)
        hasRow = sqlite3_step(st) == SQLITE_ROW;
    sqlite3_finalize(st);
    return hasRow ? QString() : QStringLiteral("table Intestazione has no row");
}
} // namespace

void TArchive::verify(const QString &path)
{
    if (!QFileInfo(path).isFile()) fail(dao::errFileNotFound, QStringLiteral("Could not find file '%1'.").arg(path));
    // Judged as it will be read: what a killed writer left is rolled back first.
    QString why;
    if (dao::recoverInterruptedWrite(path, &why) == SQLITE_READONLY_ROLLBACK)
        dao::raiseInterruptedWrite(nullptr, kSource, path, why);
    const bool known = archivestamp::knownSound(path);
    sqlite3 *db = nullptr;
    int rc = dao::openSqlite(path, SQLITE_OPEN_READONLY, &db);
    QString verdict = known ? QStringLiteral("ok") : QString();
    if (rc == SQLITE_OK && !known) {
        sqlite3_busy_timeout(db, 5000);
        sqlite3_stmt *st = nullptr;
        rc = sqlite3_prepare_v2(db, "PRAGMA quick_check(1)", -1, &st, nullptr);
        if (rc == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW)
            verdict = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)));
        else if (rc == SQLITE_OK)
            rc = sqlite3_errcode(db);
        sqlite3_finalize(st);
    }
    const QString diary = verdict == QLatin1String("ok") ? notADiary(db) : QString();
    const QString text = QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
    sqlite3_close_v2(db);
    if (verdict == QLatin1String("ok")) {
        if (!known) archivestamp::markSound(path);
        if (diary.isEmpty()) return;
        fail(dao::errNotADatabase, QStringLiteral("'%1' is not a diary: %2.").arg(path, diary));
    }
    if ((rc & 0xff) == SQLITE_NOTADB)
        fail(3343, QStringLiteral("Unrecognized database format '%1' (SQLite: %2).").arg(path, text));
    fail(dao::errNotADatabase, QStringLiteral("The archive '%1' is damaged (SQLite: %2).")
                                   .arg(path, verdict.isEmpty() ? text : verdict));
}

void TArchive::copy(const QString &source, const QString &target)
{
    verify(source);
    // Named first: it throws when the folder cannot be written, and nothing is open yet.
    const QString tmp = siblingTempName(target);
    sqlite3 *src = nullptr;
    int rc = dao::openSqlite(source, SQLITE_OPEN_READWRITE, &src);
    if (rc == SQLITE_OK) sqlite3_busy_timeout(src, 5000);
    sqlite3 *dst = nullptr;
    if (rc == SQLITE_OK)
        rc = dao::openSqlite(tmp, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, &dst);
    QString text;
    if (rc == SQLITE_OK) {
        sqlite3_backup *b = sqlite3_backup_init(dst, "main", src, "main");
        if (b) {
            rc = sqlite3_backup_step(b, -1);
            sqlite3_backup_finish(b);
            rc = rc == SQLITE_DONE ? SQLITE_OK : rc;
        } else {
            rc = sqlite3_errcode(dst);
        }
        if (rc == SQLITE_OK) rc = sqlite3_exec(dst, "PRAGMA journal_mode=DELETE;", nullptr, nullptr, nullptr);
    }
    if (rc != SQLITE_OK) text = QString::fromUtf8(sqlite3_errmsg(dst && sqlite3_errcode(dst) != SQLITE_OK ? dst : src));
    sqlite3_close_v2(dst);
    sqlite3_close_v2(src);
    if (rc != SQLITE_OK) {
        QFile::remove(tmp);
        QFile::remove(tmp + QStringLiteral("-journal"));
        fail((rc & 0xff) == SQLITE_NOTADB ? 3343 : dao::numberForSqliteWrite(rc),
             QStringLiteral("Cannot copy the archive '%1' to '%2' (SQLite: %3).").arg(source, target, text));
    }
    if (::rename(QFile::encodeName(tmp).constData(), QFile::encodeName(target).constData()) != 0) {
        const int err = errno;
        QFile::remove(tmp);
        fail(dao::errCannotOpenFile, QStringLiteral("Cannot copy the archive '%1' to '%2': %3.")
                                         .arg(source, target, QString::fromLocal8Bit(strerror(err))));
    }
}

int TArchive::removeLeftovers(const QString &folder)
{
    // Archive copies, and the settings or templates being saved (core/safefile.h).
    static const QRegularExpression copies(QStringLiteral("^\\.tonalba-(?:([0-9]+)-)?[A-Za-z0-9]{6}\\.tmp(?:-journal)?$"));
    static const QRegularExpression saves(QStringLiteral("^\\..+\\.([0-9]+)\\.[0-9a-f]{8}\\.part$"));
    int removed = 0;
    const QFileInfoList entries = QDir(folder).entryInfoList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QFileInfo &fi : entries) {
        QRegularExpressionMatch m = copies.match(fi.fileName());
        if (!m.hasMatch()) m = saves.match(fi.fileName());
        if (!m.hasMatch()) continue;
        bool abandoned;
        if (m.captured(1).isEmpty()) {
            // Named before names carried their owner: only an old one can be told abandoned.
            abandoned = fi.lastModified().secsTo(QDateTime::currentDateTime()) > 600;
        } else {
            const qint64 pid = m.captured(1).toLongLong();
            abandoned = pid != QCoreApplication::applicationPid() && ::kill(pid_t(pid), 0) != 0 && errno == ESRCH;
        }
        if (abandoned && QFile::remove(fi.filePath())) ++removed;
    }
    return removed;
}
