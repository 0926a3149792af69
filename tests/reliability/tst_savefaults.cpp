// Every whole-file save of the program (settings, templates, prepared reports,
// the files copied with an archive) with each of its steps failing: the user
// hears of it, the old file stays as it was, no half-written file is left, and
// the next save, with the disk well again, goes through.

#include "app/diaryfiles.h"
#include "core/exceptions.h"
#include "core/safefile.h"
#include "report/frmemoview.h"
#include "report/frpage.h"
#include "report/frpreparedfile.h"
#include "report/frreport.h"
#include "settings/inifile.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <cerrno>
#include <functional>
#include <gtest/gtest.h>

namespace {

int argc = 1;
char arg0[] = "tst_savefaults";
char *argv[] = {arg0, nullptr};

QByteArray bytesOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// A save of `generation`'s content to `path`; true when it says it saved.
using Save = std::function<bool(const QString &path, int generation)>;

struct Saver
{
    const char *name;
    const char *file;
    Save save;
};

bool saveSettings(const QString &path, int generation)
{
    TIniFile ini(path);
    ini.WriteString("Finestra", "Generazione", QString::number(generation));
    try {
        ini.UpdateFile();
        return true;
    } catch (const Exception &) {
        return false;
    }
}

bool saveTemplate(const QString &path, int generation)
{
    TfrReport report;
    auto *memo = static_cast<TfrMemoView *>(report.CreateObject(frKind::Memo));
    memo->Memo = QStringList{QStringLiteral("Generazione %1").arg(generation)};
    report.Pages[0]->Objects << memo;
    try {
        report.SaveTemplate(path);
        return true;
    } catch (const Exception &) {
        return false;
    }
}

bool savePrepared(const QString &path, int generation)
{
    TfrReport report;
    TfrPreparedPage page;
    page.PaperWidth = 2100 + generation;
    page.PaperHeight = 2970;
    report.EMFPages.Add(page);
    try {
        TfrPreparedFile::SavePrepared(report, path);
        return true;
    } catch (const Exception &) {
        return false;
    }
}

// The settings file copied with an archive under a new name.
bool copySettings(const QString &path, int generation)
{
    const QString folder = QFileInfo(path).absolutePath() + "/";
    QFile source(folder + "origine.ini");
    if (!source.open(QIODevice::WriteOnly)) return false;
    source.write(QByteArray("[Finestra]\nGenerazione=") + QByteArray::number(generation) + "\n");
    source.close();
    return DiaryFiles::trasferisci(folder, "origine.ini", folder, QFileInfo(path).fileName());
}

const Saver savers[] = {
    {"settings", "diario.ini", saveSettings},
    {"template", "diario.frf", saveTemplate},
    {"prepared report", "periodo.frp", savePrepared},
    {"settings copied with an archive", "nuovo.ini", copySettings},
};

const std::pair<safefile::Step, const char *> steps[] = {
    {safefile::Step::Open, "open"},   {safefile::Step::Write, "write"},   {safefile::Step::Sync, "fsync"},
    {safefile::Step::Close, "close"}, {safefile::Step::Rename, "rename"},
};

class SaveFaults : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static QGuiApplication app(argc, argv);
    }
    void TearDown() override { safefile::setHook(nullptr); }
};

TEST_F(SaveFaults, EachStepFailingLeavesTheOldFile)
{
    for (const Saver &saver : savers) {
        for (const auto &[step, stepName] : steps) {
            for (const int error : {EIO, ENOSPC, EACCES, EROFS}) {
                SCOPED_TRACE(std::string(saver.name) + ", " + stepName + " fails with " + std::to_string(error));
                QTemporaryDir dir;
                const QString path = dir.filePath(saver.file);
                safefile::setHook(nullptr);
                ASSERT_TRUE(saver.save(path, 1));
                const QByteArray old = bytesOf(path);
                const QStringList before = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);

                int failures = 0;
                safefile::setHook([&, step = step](safefile::Step s, const QString &) {
                    return s == step && failures++ == 0 ? error : 0;
                });
                EXPECT_FALSE(saver.save(path, 2));
                EXPECT_EQ(failures, 1) << "the step was never reached";
                EXPECT_EQ(bytesOf(path), old);
                EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), before);

                // Once: the next save finds the disk well again.
                EXPECT_TRUE(saver.save(path, 2));
                EXPECT_NE(bytesOf(path), old);
                safefile::setHook(nullptr);
                // Always: nothing is ever reported saved.
                safefile::setHook([step = step, error](safefile::Step s, const QString &) { return s == step ? error : 0; });
                EXPECT_FALSE(saver.save(path, 3));
                EXPECT_FALSE(saver.save(path, 3));
                safefile::setHook(nullptr);
                ASSERT_TRUE(saver.save(path, 4));
            }
        }
    }
}

TEST_F(SaveFaults, ADiskThatFillsUpMidWriteKeepsTheOldFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("diario.ini");
    ASSERT_TRUE(saveSettings(path, 1));
    const QByteArray old = bytesOf(path);
    QString reason;
    // Room for three bytes, then none: write() reports a short count, then ENOSPC.
    qint64 room = 3;
    const bool saved = safefile::write(path, QByteArray(500, 'x'), &reason, [&](int fd, const char *data, qint64 size) {
        if (room == 0) {
            errno = ENOSPC;
            return qint64(-1);
        }
        const qint64 n = ::write(fd, data, size_t(qMin(size, room)));
        room -= n;
        return n;
    });
    EXPECT_FALSE(saved);
    EXPECT_EQ(reason, QString::fromUtf8("il disco è pieno"));
    EXPECT_EQ(bytesOf(path), old);
}

} // namespace
