// Archive names, the archive listing, the new-archive name and the file copy.

#include "app/diaryfiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace DiaryFiles;

namespace {

void touch(const QString &path, const QByteArray &content = "x")
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(content);
}

TEST(DiaryFiles, ArchiveNameFromArgument)
{
    const struct
    {
        const char *argument, *name;
    } cases[] = {
        {"rossi", "rossi"},
        {"rossi.mdb", "rossi"},
        {"/altrove/cartella/rossi.vecchio.mdb", "rossi"},
        {"../x/.nascosto.mdb", ""},
        {"dir.with.dots/bianchi", "bianchi"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.argument);
        EXPECT_EQ(archiveNameFromArgument(c.argument).toStdString(), c.name);
    }
}

TEST(DiaryFiles, ListsOnlyPlainLowerCaseMdbFilesSorted)
{
    QTemporaryDir dir;
    const QString d = dir.path() + "/";
    touch(d + "Beta.mdb");
    touch(d + "alfa.mdb");
    touch(d + "gamma.due.mdb");
    touch(d + "upper.MDB");
    touch(d + "alfa_backup.mdk");
    touch(d + "notes.txt");
    QDir(d).mkdir("folder.mdb");
    EXPECT_EQ(listArchives(d), (QStringList{"alfa", "Beta", "gamma"}));
}

TEST(DiaryFiles, CleanArchiveName)
{
    const struct
    {
        const char *typed, *clean;
    } cases[] = {
        {"Nuovo paziente 2", "Nuovopaziente2"},
        {"Città", "Citt"},
        {"- - -", ""},
        {"Ünïcode_ok-9", "ncodeok9"},
        {"", ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.typed);
        EXPECT_EQ(CleanArchiveName(QString::fromUtf8(c.typed)).toStdString(), c.clean);
    }
}

TEST(DiaryFiles, TrasferisciCopiesAndReplaces)
{
    QTemporaryDir dir;
    const QString d = dir.path() + "/";
    touch(d + "diario.ini", "[a]\nb=1\n");
    touch(d + "old.ini", "old");
    EXPECT_TRUE(trasferisci(d, "diario.ini", d, "old.ini"));
    QFile f(d + "old.ini");
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), "[a]\nb=1\n");
    EXPECT_FALSE(trasferisci(d, "missing.ini", d, "other.ini"));
    EXPECT_FALSE(QFile::exists(d + "other.ini"));
    EXPECT_FALSE(trasferisci(d, "diario.ini", d + "no/such/folder/", ""));
}

} // namespace
