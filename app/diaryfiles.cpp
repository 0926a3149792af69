#include "app/diaryfiles.h"

#include "core/safefile.h"
#include "data/archive.h"
#include "core/exceptions.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <algorithm>

namespace DiaryFiles {

namespace {
QString withSlash(QString folder)
{
    if (!folder.endsWith('/')) folder += '/';
    return folder;
}

bool folderWritable(const QString &folder)
{
    const QFileInfo info(folder);
    return info.isDir() && info.isWritable();
}

QString cutAtFirstDot(const QString &name)
{
    const qsizetype dot = name.indexOf('.');
    return dot >= 0 ? name.left(dot) : name;
}
} // namespace

QString applicationFolder()
{
    const QString home = qEnvironmentVariable("TONALBA_HOME");
    if (!home.isEmpty()) return withSlash(QDir(home).absolutePath());
    const QString exeFolder = QCoreApplication::applicationDirPath();
    // An installed program (its shared files in ../share/tonalba) never writes
    // beside its executable, not even run by root; a copy in a folder of its own does.
    const bool installed = QFileInfo(exeFolder + QStringLiteral("/../share/tonalba")).isDir();
    if (!installed && folderWritable(exeFolder)) return withSlash(exeFolder);
    // The user's data folder, created on first use.
    QString data = qEnvironmentVariable("XDG_DATA_HOME");
    if (data.isEmpty()) data = QDir::homePath() + QStringLiteral("/.local/share");
    const QString folder = data + QStringLiteral("/tonalba");
    QDir().mkpath(folder);
    return withSlash(folder);
}

void stageInstalledResources(const QString &folder)
{
    const QString shared = QCoreApplication::applicationDirPath() + QStringLiteral("/../share/tonalba/");
    if (!QFileInfo(shared).isDir() || QFileInfo(shared).canonicalFilePath() == QFileInfo(folder).canonicalFilePath())
        return;
    for (const char *name : {"diario.frf", "manuale.pdf", "tonalba.html"}) {
        const QString file = QString::fromLatin1(name);
        if (QFileInfo::exists(shared + file) && !QFileInfo::exists(folder + file)) QFile::copy(shared + file, folder + file);
    }
    if (listArchives(folder).isEmpty() && QFileInfo::exists(shared + QStringLiteral("schedario.mdb")))
        QFile::copy(shared + QStringLiteral("schedario.mdb"), folder + QStringLiteral("schedario.mdb"));
}

QString archiveNameFromArgument(const QString &argument)
{
    QString name = argument;
    const qsizetype slash = name.lastIndexOf('/');
    if (slash >= 0) name = name.mid(slash + 1);
    return cutAtFirstDot(name);
}

QStringList listArchives(const QString &folder)
{
    const QFileInfoList files = QDir(folder).entryInfoList(QDir::Files | QDir::Hidden, QDir::NoSort);
    QStringList fileNames;
    for (const QFileInfo &f : files)
        if (f.fileName().endsWith(QStringLiteral(".mdb"), Qt::CaseSensitive)) fileNames << f.fileName();
    std::sort(fileNames.begin(), fileNames.end(), [](const QString &a, const QString &b) {
        const int c = a.compare(b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    QStringList names;
    for (const QString &f : fileNames) names << cutAtFirstDot(f);
    return names;
}

QString CleanArchiveName(const QString &name)
{
    QString out;
    for (QChar c : name) {
        const char16_t u = c.unicode();
        if ((u >= '0' && u <= '9') || (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z')) out += c;
    }
    return out;
}

bool trasferisci(const QString &srcFolder, const QString &srcFile, const QString &dstFolder,
                 const QString &dstFile)
{
    const QString source = srcFolder + srcFile;
    const QString target = dstFolder + (dstFile.isEmpty() ? srcFile : dstFile);
    if (!QFileInfo(source).isFile()) return false;
    if (srcFile.endsWith(QStringLiteral(".mdb"))) {
        try {
            TArchive::copy(source, target);
            return true;
        } catch (const Exception &) {
            return false;
        }
    }
    // The settings and the template: small files, read whole.
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) return false;
    const QByteArray bytes = in.readAll();
    if (in.error() != QFile::NoError) return false;
    return safefile::write(target, bytes);
}

} // namespace DiaryFiles
