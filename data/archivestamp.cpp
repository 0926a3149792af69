#include "data/archivestamp.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <sys/stat.h>

namespace {

struct FileStamp
{
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{}, changed{};
    bool operator==(const FileStamp &o) const
    {
        return device == o.device && inode == o.inode && size == o.size && modified.tv_sec == o.modified.tv_sec
            && modified.tv_nsec == o.modified.tv_nsec && changed.tv_sec == o.changed.tv_sec
            && changed.tv_nsec == o.changed.tv_nsec;
    }
};

bool stampOf(const QString &path, FileStamp &out)
{
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) return false;
    out = {st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim};
    return true;
}

QHash<QString, FileStamp> &sound()
{
    static QHash<QString, FileStamp> files;
    return files;
}

QHash<QString, FileStamp> &compacted()
{
    static QHash<QString, FileStamp> files;
    return files;
}

void mark(QHash<QString, FileStamp> &files, const QString &path)
{
    const QString key = QFileInfo(path).absoluteFilePath();
    FileStamp now;
    if (stampOf(path, now)) files.insert(key, now);
    else files.remove(key);
}

bool known(QHash<QString, FileStamp> &files, const QString &path)
{
    const QString key = QFileInfo(path).absoluteFilePath();
    const auto it = files.constFind(key);
    if (it == files.cend()) return false;
    FileStamp now;
    if (stampOf(path, now) && *it == now) return true;
    files.remove(key);
    return false;
}

} // namespace

void archivestamp::markSound(const QString &path) { mark(sound(), path); }
bool archivestamp::knownSound(const QString &path) { return known(sound(), path); }
void archivestamp::markCompacted(const QString &path) { mark(compacted(), path); }
bool archivestamp::knownCompacted(const QString &path) { return known(compacted(), path); }
