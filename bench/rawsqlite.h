#pragma once
// The references: what SQLite itself takes for the work the diary asks of its
// table component, written straight against the sqlite3 library with no
// layer in between. Failures throw std::runtime_error with SQLite's text.

#include <QString>
#include <cstdint>

struct sqlite3;

class RawSqlite
{
public:
    explicit RawSqlite(const QString &path);
    ~RawSqlite();
    RawSqlite(const RawSqlite &) = delete;
    RawSqlite &operator=(const RawSqlite &) = delete;

    // One prepare/step loop over every column of Diario, in table order,
    // reading each value in its stored type. Returns the row count.
    int scanDiario();
    // Days whose note contains the text.
    int countNotesContaining(const QString &text);

    // The file work of a start-up done directly: quick check, a backup-API
    // copy of the archive into `backup`, VACUUM.
    static void startUpFiles(const QString &archive, const QString &backup);

    // A checksum of what the scans read, so no read can be left out.
    uint64_t checksum = 0;

private:
    sqlite3 *m_db = nullptr;
};
