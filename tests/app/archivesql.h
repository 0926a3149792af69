#pragma once
// Raw SQLite access for the window tests: they play "another program" on the
// archive, or look at what the program stored, without going through it.

#include <QFile>
#include <QString>
#include <QTest>
#include <sqlite3.h>

namespace archivesql {

inline void exec(const QString &path, const QString &sql)
{
    sqlite3 *db = nullptr;
    QVERIFY(sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK);
    char *msg = nullptr;
    const int rc = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &msg);
    const QString error = QString::fromUtf8(msg ? msg : "");
    sqlite3_free(msg);
    sqlite3_close(db);
    QVERIFY2(rc == SQLITE_OK, qPrintable(error));
}

// The first column of the first row, as text; "?" when the file cannot be opened.
inline QString scalar(const QString &path, const QString &sql)
{
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) return "?";
    sqlite3_stmt *st = nullptr;
    QString out;
    if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW)
        out = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
    sqlite3_close(db);
    return out;
}

} // namespace archivesql
