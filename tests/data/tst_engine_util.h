#pragma once
// Helpers shared by the engine, lock-file and database-component tests: raw
// SQLite access (to play "another program"), archives with rows, and child
// processes that hold a connection until told to go.

#include "data/archive.h"
#include "data/engine.h"
#include "data/engineerror.h"

#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testutil {

inline void rawExec(const QString &path, const QString &sql)
{
    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    sqlite3_busy_timeout(db, 5000);
    char *msg = nullptr;
    const int rc = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &msg);
    EXPECT_EQ(rc, SQLITE_OK) << (msg ? msg : "");
    sqlite3_free(msg);
    sqlite3_close(db);
}

// First column of every row, as text.
inline QStringList rawQuery(const QString &path, const QString &sql)
{
    QStringList out;
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return {QStringLiteral("<cannot open>")};
    }
    sqlite3_busy_timeout(db, 5000);
    sqlite3_stmt *st = nullptr;
    if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &st, nullptr) == SQLITE_OK)
        while (sqlite3_step(st) == SQLITE_ROW)
            out.append(QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0))));
    else
        out.append(QStringLiteral("<error: %1>").arg(QString::fromUtf8(sqlite3_errmsg(db))));
    sqlite3_finalize(st);
    sqlite3_close(db);
    return out;
}

// Adds n diary days from 1 January 2000 with readings, in one transaction.
inline void addDays(const QString &path, int n, int noteBytes = 0)
{
    QString sql = QStringLiteral("BEGIN;");
    const QString note = QString(noteBytes, 'x');
    for (int i = 0; i < n; ++i)
        sql += QStringLiteral("INSERT INTO Diario (Data, SX_MAX_1, SX_MIN_1, Peso, Note) VALUES "
                              "(date('2000-01-01', '+%1 days') || ' 00:00:00', %2, %3, 70.5, '%4');")
                   .arg(i).arg(120 + i % 40).arg(80 + i % 10).arg(note);
    sql += QStringLiteral("COMMIT;");
    rawExec(path, sql);
}

inline int dayCount(const QString &path)
{
    return rawQuery(path, QStringLiteral("SELECT count(*) FROM Diario")).value(0).toInt();
}

inline QString quickCheck(const QString &path)
{
    return rawQuery(path, QStringLiteral("PRAGMA quick_check")).join('|');
}

inline QStringList folderEntries(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

// A child process that runs `body`, then waits for a byte on its pipe before
// leaving. Parent side: ready() waits for the child's first byte.
class Child
{
public:
    template <typename F>
    explicit Child(F body)
    {
        if (pipe(m_toChild) != 0 || pipe(m_toParent) != 0) return;
        fflush(nullptr);
        m_pid = fork();
        if (m_pid == 0) {
            char c = body() ? 'y' : 'n';
            if (write(m_toParent[1], &c, 1) != 1) _exit(3);
            if (read(m_toChild[0], &c, 1) < 0) _exit(3);
            _exit(0);
        }
    }
    ~Child()
    {
        if (m_pid > 0) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
        for (int fd : {m_toChild[0], m_toChild[1], m_toParent[0], m_toParent[1]})
            if (fd >= 0) close(fd);
    }
    bool ready()
    {
        char c = 0;
        return m_pid > 0 && read(m_toParent[0], &c, 1) == 1 && c == 'y';
    }
    int finish()   // lets the child leave normally
    {
        char c = 'q';
        if (write(m_toChild[1], &c, 1) != 1) return -1;
        int status = 0;
        waitpid(m_pid, &status, 0);
        m_pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    void killHard()
    {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
        m_pid = -1;
    }

private:
    pid_t m_pid = -1;
    int m_toChild[2] = {-1, -1};
    int m_toParent[2] = {-1, -1};
};

#define EXPECT_DAO_ERROR(statement, expectedNumber)                                                     \
    do {                                                                                                \
        try {                                                                                           \
            statement;                                                                                  \
            ADD_FAILURE() << "no error from " #statement;                                               \
        } catch (const EDaoError &e) {                                                                  \
            EXPECT_EQ(e.number(), expectedNumber) << e.message().toStdString();                         \
        }                                                                                               \
    } while (0)

} // namespace testutil
