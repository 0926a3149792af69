#pragma once
// Where the diary's files are and how archives are named: the application
// folder, the archive named on the command line, the listing of archives, the
// cleaning of a new archive's name, and the file copy the start-up uses.

#include <QString>
#include <QStringList>

namespace DiaryFiles {

// The folder every file lives in, with a trailing "/": TONALBA_HOME when set,
// else the executable's folder, else (not writable, or an installed program
// with <prefix>/share/tonalba) $XDG_DATA_HOME/tonalba.
QString applicationFolder();

// An installed program keeps its template, manual and empty archive in
// <prefix>/share/tonalba: copies them into `folder` where missing there
// (the empty archive only when the folder holds no archive at all).
void stageInstalledResources(const QString &folder);

// The archive name an argument names: the file-name part, cut before its first ".".
QString archiveNameFromArgument(const QString &argument);

// Names (file name cut before its first ".") of the plain files of `folder`
// whose names end in ".mdb", sorted without regard to case.
QStringList listArchives(const QString &folder);

// Keeps only the ASCII letters and digits, in order.
QString CleanArchiveName(const QString &name);

// Copies SrcFolder + SrcFile onto DstFolder + DstFile (DstFile empty: SrcFile),
// replacing the target. An archive is copied through the database, so the copy
// is consistent; other files byte for byte. Returns whether the copy succeeded.
bool trasferisci(const QString &srcFolder, const QString &srcFile, const QString &dstFolder,
                 const QString &dstFile);

} // namespace DiaryFiles
