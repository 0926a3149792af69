#include "data/lockfile.h"

#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
QString errnoText(int err) { return QString::fromLocal8Bit(std::strerror(err)); }

// The file we locked may have been unlinked by the last user between our open
// and our lock: only a lock on the file that is still at the path counts.
bool stillLinked(int fd, const QByteArray &path)
{
    struct stat a, b;
    if (fstat(fd, &a) != 0 || stat(path.constData(), &b) != 0) return false;
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}
} // namespace

TArchiveLock::~TArchiveLock() { release(); }

QString TArchiveLock::lockFilePath(const QString &archivePath)
{
    const int slash = archivePath.lastIndexOf('/');
    const int dot = archivePath.lastIndexOf('.');
    if (dot > slash + 1) return archivePath.left(dot) + QStringLiteral(".ldb");
    return archivePath + QStringLiteral(".ldb");
}

TArchiveLock::Result TArchiveLock::acquire(const QString &archivePath, Mode mode, int timeoutMs)
{
    release();
    m_error.clear();
    m_path = lockFilePath(archivePath);
    m_mode = mode;
    const QByteArray path = QFile::encodeName(m_path);
    QElapsedTimer timer;
    timer.start();
    for (;;) {
        const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd < 0) {
            const int err = errno;
            struct stat st;
            if (err == ELOOP || err == EISDIR || (lstat(path.constData(), &st) == 0 && !S_ISREG(st.st_mode))) {
                m_error = QStringLiteral("The lock file '%1' is not a regular file").arg(m_path);
                return NotAFile;
            }
            m_error = QStringLiteral("Cannot create the lock file '%1': %2").arg(m_path, errnoText(err));
            return Failed;
        }
        struct stat st;
        if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
            ::close(fd);
            m_error = QStringLiteral("The lock file '%1' is not a regular file").arg(m_path);
            return NotAFile;
        }
        if (flock(fd, (mode == Exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) == 0) {
            if (stillLinked(fd, path)) {
                m_fd = fd;
                return Locked;
            }
            ::close(fd);
            continue;
        }
        const int err = errno;
        ::close(fd);
        if (err != EWOULDBLOCK && err != EINTR) {
            m_error = QStringLiteral("Cannot lock '%1': %2").arg(m_path, errnoText(err));
            return Failed;
        }
        if (timer.elapsed() >= timeoutMs) {
            m_error = QStringLiteral("'%1' is in use").arg(archivePath);
            return InUse;
        }
        QThread::msleep(10);
    }
}

void TArchiveLock::release()
{
    if (m_fd < 0) return;
    // A failed upgrade may drop our shared lock on Linux; we are leaving anyway.
    if (m_mode == Exclusive || flock(m_fd, LOCK_EX | LOCK_NB) == 0) {
        const QByteArray path = QFile::encodeName(m_path);
        if (stillLinked(m_fd, path)) ::unlink(path.constData());
    }
    ::close(m_fd);
    m_fd = -1;
}

bool TArchiveLock::isOpenElsewhere(const QString &archivePath)
{
    const QByteArray path = QFile::encodeName(lockFilePath(archivePath));
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return false;
    bool busy = false;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) busy = (errno == EWOULDBLOCK);
    ::close(fd);   // closing drops the probe's lock; a stale file stays for the next user to take over
    return busy;
}
