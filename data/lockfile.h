#pragma once
// The archive's lock file "<archive>.ldb", beside the archive.
//
// Every connection creates it if needed and holds a shared flock() on it while
// connected; backup and compaction hold an exclusive one while they run. The
// archive "is open elsewhere" exactly when an exclusive lock cannot be had.
// flock() locks belong to the open file description, so two connections in one
// process conflict like two processes do, and the kernel drops the lock of a
// killed process: a stale .ldb is then simply locked again (never deleted and
// recreated). Whoever releases while able to take the exclusive lock is the
// last user and unlinks the file, so no .ldb outlives the last connection.

#include <QString>

class TArchiveLock
{
public:
    enum Mode { Shared, Exclusive };
    enum Result { Locked, InUse, Failed, NotAFile };

    TArchiveLock() = default;
    ~TArchiveLock();
    TArchiveLock(const TArchiveLock &) = delete;
    TArchiveLock &operator=(const TArchiveLock &) = delete;

    // Takes the lock, waiting up to timeoutMs for a holder of the exclusive
    // lock that is just leaving. Failed (errorString) when the lock file cannot
    // be created or opened, e.g. in a read-only folder. NotAFile when something
    // else stands at its name (a symbolic link, a folder): never followed or
    // worked around, since the lock would then guard nothing.
    Result acquire(const QString &archivePath, Mode mode, int timeoutMs = 500);
    // Drops the lock; unlinks the .ldb when no one else holds it.
    void release();
    bool isLocked() const { return m_fd >= 0; }
    Mode mode() const { return m_mode; }
    const QString &errorString() const { return m_error; }
    const QString &lockPath() const { return m_path; }

    // "<folder>/<name>.ldb" for "<folder>/<name>.mdb" (the last extension replaced).
    static QString lockFilePath(const QString &archivePath);
    // Whether some connection, in this process or another, has the archive open.
    static bool isOpenElsewhere(const QString &archivePath);

private:
    int m_fd = -1;
    Mode m_mode = Shared;
    QString m_path;
    QString m_error;
};
