#include "core/safefile.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace safefile {
namespace {
Hook &hook()
{
    static Hook h;
    return h;
}

int injected(Step step, const QString &target) { return hook() ? hook()(step, target) : 0; }
} // namespace

void setHook(Hook h) { hook() = std::move(h); }

QString reasonOf(int error)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR: return QStringLiteral("la cartella non esiste");
    case EACCES:
    case EPERM: return QStringLiteral("accesso negato alla cartella");
    case EROFS: return QStringLiteral("il disco è di sola lettura");
    case ENOSPC:
    case EDQUOT: return QStringLiteral("il disco è pieno");
    case EFBIG: return QStringLiteral("il file supera la dimensione consentita");
    case EIO: return QStringLiteral("errore di lettura o scrittura sul disco");
    default: return QString::fromLocal8Bit(std::strerror(error));
    }
}

bool write(const QString &fileName, const QByteArray &bytes, QString *reason, const WriteFunction &raw)
{
    const auto fail = [reason](int error) {
        if (reason) *reason = reasonOf(error);
        return false;
    };
    const QFileInfo target(fileName);
    const QString folder = target.absolutePath();
    if (!QFileInfo(folder).isDir()) return fail(ENOENT);

    QString temp;
    int fd = -1;
    if (const int e = injected(Step::Open, fileName)) return fail(e);
    for (int attempt = 0; fd < 0 && attempt < 16; ++attempt) {
        temp = QStringLiteral("%1/.%2.%3.%4.part")
                   .arg(folder, target.fileName())
                   .arg(::getpid())
                   .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
        fd = ::open(QFile::encodeName(temp).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) return fail(errno);
    }
    if (fd < 0) return fail(EEXIST);
    const QByteArray tempPath = QFile::encodeName(temp);

    struct stat old;
    if (::stat(QFile::encodeName(target.absoluteFilePath()).constData(), &old) == 0) ::fchmod(fd, old.st_mode & 07777);

    int error = 0;
    const char *data = bytes.constData();
    qint64 left = bytes.size();
    while (left > 0 && !error) {
        if ((error = injected(Step::Write, fileName))) break;
        const qint64 n = raw ? raw(fd, data, left) : qint64(::write(fd, data, size_t(left)));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            error = n < 0 ? errno : ENOSPC;
            break;
        }
        data += n;
        left -= n;
    }
    if (!error) error = injected(Step::Sync, fileName);
    if (!error && ::fsync(fd) != 0) error = errno;
    const int closeError = injected(Step::Close, fileName);
    if (::close(fd) != 0 && !error) error = errno;
    if (!error) error = closeError;
    if (!error) error = injected(Step::Rename, fileName);
    if (!error && ::rename(tempPath.constData(), QFile::encodeName(target.absoluteFilePath()).constData()) != 0)
        error = errno;
    if (error) {
        ::unlink(tempPath.constData());
        return fail(error);
    }
    // The rename itself must survive a power cut: sync the folder's entry too.
    const int dir = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

} // namespace safefile
