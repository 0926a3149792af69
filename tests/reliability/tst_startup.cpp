// The program's start (archive check, backup, compaction, connection) over
// archives a crash, another program or a wrong copy left behind: the last
// good backup is never replaced by something that is not a diary, and an
// archive a killed writer left is recovered, not called damaged.

#include "app/application.h"
#include "app/diarymodel.h"
#include "app/frm_main.h"
#include "app/frm_pass.h"
#include "core/formatsettings.h"
#include "data/archive.h"
#include "data/daodatabase.h"
#include "data/daotable.h"
#include "data/engine.h"
#include "tests/app/archivesql.h"
#include "tests/app/modalanswerer.h"

#include "data/faultvfs.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <memory>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using archivesql::exec;
using archivesql::scalar;

QByteArray bytesOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

const QString kDamaged =
    QString::fromUtf8("   L'archivio è danneggiato: la copia di sicurezza precedente è stata conservata.   ");

// Leaves `path` as a writer killed inside a transaction leaves it: pages of
// the transaction in the file, the journal that undoes them beside it.
void leaveInterruptedWrite(const QString &path)
{
    const QString live = path + ".live.mdb";
    QFile::remove(live);
    QVERIFY(QFile::copy(path, live));
    sqlite3 *db = nullptr;
    QCOMPARE(sqlite3_open_v2(QFile::encodeName(live).constData(), &db, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    // A one-page cache makes SQLite write changed pages into the file before the commit.
    QCOMPARE(sqlite3_exec(db,
                          "PRAGMA cache_size=1; BEGIN; UPDATE Diario SET Note = 'persa';"
                          "WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM c WHERE i < 300) "
                          "INSERT INTO Diario (Data, Note) SELECT '2024-04-01 00:00:00', hex(randomblob(400)) FROM c;",
                          nullptr, nullptr, nullptr),
             SQLITE_OK);
    QVERIFY(QFile::exists(live + "-journal"));
    QFile::remove(path);
    QVERIFY(QFile::copy(live, path));
    QVERIFY(QFile::copy(live + "-journal", path + "-journal"));
    QCOMPARE(scalar(path, "SELECT count(*) FROM Diario"), QString());   // a reader alone cannot read it
    sqlite3_close(db);   // rolls the live copy back; the copies keep the interrupted state
    QFile::remove(live);
}

// A start in a child process under `plan`, then `work` on its window; the
// steps taken, or -1 when it was killed. With `work`, only the work runs under the plan.
int startInChild(const faultvfs::Plan &plan, const std::function<void(Tfrm_main &)> &work = {})
{
    int fds[2];
    if (pipe(fds) != 0) return -2;
    fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        faultvfs::install();
        if (!work) faultvfs::setPlan(plan);
        {
            ModalAnswerer answers;
            for (int i = 0; i < 4; ++i) answers.answer("OK");
            Tfrm_main w({});
            if (work) {
                faultvfs::setPlan(plan);
                work(w);
            }
        }
        const int steps = faultvfs::steps();
        if (write(fds[1], &steps, sizeof steps) != sizeof steps) _exit(3);
        _exit(0);
    }
    close(fds[1]);
    int steps = -1;
    if (read(fds[0], &steps, sizeof steps) != sizeof steps) steps = -1;
    close(fds[0]);
    waitpid(pid, nullptr, 0);
    return steps;
}

// As `scalar`, through a read-write connection: what a kill left is rolled back first.
QString recovered(const QString &path, const char *sql)
{
    sqlite3 *db = nullptr;
    QString out = "<cannot open>";
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
        sqlite3_stmt *st = nullptr;
        if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW)
            out = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)));
        else
            out = QString::fromUtf8(sqlite3_errmsg(db));
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
    return out;
}

// What a start in a child saw: its diary open, and the messages it showed.
struct ChildStart
{
    bool open = false;
    QStringList messages;
};

// Starts the program in a child after `delayMs`; the parent starts its own at
// once, so the two run their starts side by side.
ChildStart startBesideChild(int delayMs, const faultvfs::Plan &childPlan, std::function<void()> parentStart)
{
    int fds[2];
    if (pipe(fds) != 0) return {};
    fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        if (delayMs > 0) usleep(useconds_t(delayMs) * 1000);
        faultvfs::install();
        faultvfs::setPlan(childPlan);
        QByteArray report;
        {
            ModalAnswerer answers;
            for (int i = 0; i < 4; ++i) answers.answer("OK");
            QStringList errors;
            TApplication::showExceptionHook() = [&](const QString &m) { errors << m; };
            Tfrm_main w({});
            report = (w.Diario->Active() ? "1" : "0") + (answers.messages + errors).join('|').toUtf8();
        }
        if (write(fds[1], report.constData(), size_t(report.size())) < 0) _exit(3);
        _exit(0);
    }
    close(fds[1]);
    parentStart();
    QByteArray got;
    char buf[4096];
    for (ssize_t n; (n = read(fds[0], buf, sizeof buf)) > 0;) got.append(buf, n);
    close(fds[0]);
    waitpid(pid, nullptr, 0);
    ChildStart c;
    c.open = got.startsWith('1');
    const QString rest = QString::fromUtf8(got.mid(1));
    if (!rest.isEmpty()) c.messages = rest.split('|');
    return c;
}

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

} // namespace

class TestStartup : public QObject
{
    Q_OBJECT

    QTemporaryDir *m_dir = nullptr;
    QString m_folder;
    QStringList m_errors;

    QString file(const QString &name) const { return m_folder + name; }

private slots:
    void initTestCase()
    {
        TFormatSettings it;
        QVERIFY(TFormatSettings::forLocale("it_IT", it));
        TFormatSettings::setCurrent(it);
        TApplication::showExceptionHook() = [this](const QString &m) { m_errors << m; };
        Tfrm_main::chooserHook() = [](Tfrm_pass *) { return QString(); };
    }

    void init()
    {
        m_dir = new QTemporaryDir;
        m_folder = m_dir->path() + "/";
        qputenv("TONALBA_HOME", m_dir->path().toUtf8());
        m_errors.clear();
    }

    void cleanup()
    {
        if (QTest::currentTestFailed()) m_dir->setAutoRemove(false);
        delete m_dir;
    }

    void backupKeptUnlessTheArchiveIsADiary_data()
    {
        using Spoil = std::function<void(const QString &)>;
        QTest::addColumn<Spoil>("spoil");
        QTest::addColumn<bool>("diary");   // the archive still holds the diary
        QTest::newRow("zero-length file") << Spoil([](const QString &a) {
            QFile f(a);
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        }) << false;
        QTest::newRow("another program's database") << Spoil([](const QString &a) {
            QFile::remove(a);
            sqlite3 *db = nullptr;
            sqlite3_open(QFile::encodeName(a).constData(), &db);
            sqlite3_exec(db, "CREATE TABLE rubrica(nome TEXT, telefono TEXT); INSERT INTO rubrica VALUES ('Anna', '0461')",
                         nullptr, nullptr, nullptr);
            sqlite3_close(db);
        }) << false;
        QTest::newRow("a diary without its weight column") << Spoil([](const QString &a) {
            exec(a, "ALTER TABLE Diario DROP COLUMN Peso");
        }) << false;
        QTest::newRow("a header without its row") << Spoil([](const QString &a) {
            exec(a, "DELETE FROM Intestazione");
        }) << false;
        const auto overwrite = [](const QString &a, qint64 at, qsizetype n) {
            QFile f(a);
            QVERIFY(f.open(QIODevice::ReadWrite));
            f.seek(at);
            f.write(QByteArray(n, '\x5a'));
        };
        QTest::newRow("its header overwritten") << Spoil([=](const QString &a) { overwrite(a, 0, 16); }) << false;
        QTest::newRow("a table page overwritten") << Spoil([=](const QString &a) { overwrite(a, 4096 + 8, 64); }) << false;
        QTest::newRow("its free list overwritten") << Spoil([=](const QString &a) {
            exec(a, "WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM c WHERE i < 200) "
                    "INSERT INTO Diario (Data, Note) SELECT '2024-05-01 00:00:00', hex(randomblob(500)) FROM c;"
                    "DELETE FROM Diario WHERE Data = '2024-05-01 00:00:00'");
            QFile f(a);
            QVERIFY(f.open(QIODevice::ReadOnly));
            const QByteArray header = f.read(40);
            const quint32 trunk = (quint8(header[32]) << 24) | (quint8(header[33]) << 16) | (quint8(header[34]) << 8)
                                  | quint8(header[35]);
            QVERIFY(trunk > 1);
            f.close();
            overwrite(a, qint64(trunk - 1) * 4096, 12);
        }) << false;
        QTest::newRow("cut to half its length") << Spoil([](const QString &a) {
            exec(a, "WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM c WHERE i < 100) "
                    "INSERT INTO Diario (Data, Note) SELECT '2024-05-01 00:00:00', hex(randomblob(500)) FROM c");
            QFile f(a);
            QVERIFY(f.resize(f.size() / 2));
        }) << false;
        QTest::newRow("a write interrupted by a kill") << Spoil([](const QString &a) { leaveInterruptedWrite(a); }) << true;
    }
    void backupKeptUnlessTheArchiveIsADiary()
    {
        QFETCH(std::function<void(const QString &)>, spoil);
        QFETCH(bool, diary);
        const QString archive = file("schedario.mdb"), backup = file("schedario_backup.mdk");
        TArchive::create(archive);
        exec(archive, "UPDATE Intestazione SET Nome='Rossi Mario'; INSERT INTO Diario (Data, SX_MAX_1, Note) VALUES "
                      "('2024-03-01 00:00:00', 125, 'prima'), ('2024-03-02 00:00:00', 130, 'seconda')");
        {
            Tfrm_main w({});
        }
        const QByteArray goodBackup = bytesOf(backup);
        QCOMPARE(scalar(backup, "SELECT count(*) FROM Diario"), QString("2"));
        spoil(archive);
        const QByteArray spoiled = bytesOf(archive);

        ModalAnswerer answers;
        answers.answer("OK");
        answers.answer("OK");
        Tfrm_main w({});
        if (diary) {
            QCOMPARE(answers.messages, QStringList());
            QVERIFY(w.Diario->Active());
            QCOMPARE(w.Diario->RecordCount(), 2);
            QCOMPARE(scalar(archive, "SELECT group_concat(Note) FROM Diario"), QString("prima,seconda"));
            QCOMPARE(scalar(backup, "SELECT group_concat(Note) FROM Diario"), QString("prima,seconda"));
            QVERIFY(!QFile::exists(archive + "-journal"));
        } else {
            QCOMPARE(answers.messages.value(0), kDamaged);
            QCOMPARE(bytesOf(backup), goodBackup);
            // Neither compacted nor rewritten: the user's file stays as it was found.
            QCOMPARE(bytesOf(archive), spoiled);
        }
    }

    // A start that may not compact (too little disk, a read-only file or folder)
    // still shows the diary, read-only, and says so.
    void compactionRefusedOpensReadOnly_data()
    {
        QTest::addColumn<QString>("refusal");
        QTest::newRow("too little disk") << "disk";
        QTest::newRow("read-only archive") << "file";
        QTest::newRow("read-only folder") << "folder";
    }
    void compactionRefusedOpensReadOnly()
    {
        QFETCH(QString, refusal);
        if (refusal != "disk" && geteuid() == 0) QSKIP("file permissions do not bind the superuser");
        const QString archive = file("schedario.mdb");
        TArchive::create(archive);
        exec(archive, "INSERT INTO Diario (Data, SX_MAX_1, Note) VALUES ('2024-03-01 00:00:00', 125, 'prima'),"
                      "('2024-03-02 00:00:00', 130, 'seconda'); DELETE FROM Diario WHERE Note = 'prima'");
        const QByteArray before = bytesOf(archive);
        struct Restore
        {
            QString folder, archive;
            ~Restore()
            {
                dao::DBEngine::setFreeSpaceProbe(nullptr);
                QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
                QFile::setPermissions(archive, QFile::ReadOwner | QFile::WriteOwner);
            }
        } restore{m_dir->path(), archive};
        if (refusal == "disk") dao::DBEngine::setFreeSpaceProbe([](const QString &) { return qint64(1024); });
        if (refusal == "file") QFile::setPermissions(archive, QFile::ReadOwner);
        if (refusal == "folder") QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::ExeOwner);

        ModalAnswerer answers;
        answers.answer("OK");
        answers.answer("OK");
        Tfrm_main w({});
        QCOMPARE(m_errors.size(), 1);   // why it was not compacted
        QCOMPARE(answers.messages, QStringList{QString::fromUtf8("   L'archivio è aperto in sola lettura: si può "
                                                                 "consultare e stampare, ma non modificare.   ")});
        QVERIFY(!w.TerminateRequested());
        QVERIFY(w.Diario->Active());
        QCOMPARE(w.Diario->RecordCount(), 1);
        QVERIFY(!w.Diario->CanModify());
        try {
            w.Diario->Edit();
            QFAIL("a read-only diary went into editing");
        } catch (const Exception &e) {
            QCOMPARE(e.message(), QString("Cannot modify a read-only dataset"));
        }
        QCOMPARE(bytesOf(archive), before);
    }

    // Two starts at the same moment: both open the diary, shared, with no message.
    void twoStartsAtOnce()
    {
        const QString archive = file("schedario.mdb");
        TArchive::create(archive);
        exec(archive, "UPDATE Intestazione SET Nome='Rossi Mario';"
                      "WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM c WHERE i < 6000) "
                      "INSERT INTO Diario (Data, SX_MAX_1, Note) SELECT date('2000-01-01', '+' || i || ' days') || "
                      "' 00:00:00', 120 + i % 30, hex(randomblob(200)) FROM c; DELETE FROM Diario WHERE ID_Diario % 2 = 0");
        // The child's backup paused a second at its first write: the parent's
        // start ends and holds the diary open while the child goes on.
        faultvfs::Plan slowBackup;
        slowBackup.action = faultvfs::Action::Pause;
        slowBackup.step = 1;
        // make reliability asks for more.
        const int runs = qEnvironmentVariableIntValue("TONALBA_DOUBLE_STARTS") > 0
                             ? qEnvironmentVariableIntValue("TONALBA_DOUBLE_STARTS")
                             : 12;
        for (int run = 0; run < runs; ++run) {
            const int delay = (run * 7) % 50;
            const faultvfs::Plan plan = run % 3 == 2 ? slowBackup : faultvfs::Plan();
            // Freed pages make each start compact the archive anew.
            exec(archive, QStringLiteral("INSERT INTO Diario (Data, Note) SELECT Data, Note FROM Diario LIMIT 300;"
                                         "DELETE FROM Diario WHERE ID_Diario IN (SELECT ID_Diario FROM Diario "
                                         "ORDER BY ID_Diario DESC LIMIT 300)"));
            QStringList parentMessages;
            bool parentOpen = false;
            std::unique_ptr<Tfrm_main> parent;   // open until the child has started
            const ChildStart child = startBesideChild(delay, plan, [&] {
                ModalAnswerer answers;
                for (int i = 0; i < 4; ++i) answers.answer("OK");
                m_errors.clear();
                parent = std::make_unique<Tfrm_main>(QStringList());
                parentOpen = parent->Diario->Active();
                parentMessages = answers.messages + m_errors;
            });
            parent.reset();
            const QString at = QStringLiteral("run %1, child %2 ms later%3").arg(run).arg(delay)
                                   .arg(plan.action == faultvfs::Action::Pause ? ", its backup slowed" : "");
            QVERIFY2(parentOpen && parentMessages.isEmpty(), qPrintable(at + ": " + parentMessages.join(" | ")));
            QVERIFY2(child.open && child.messages.isEmpty(), qPrintable(at + ": " + child.messages.join(" | ")));
        }
    }

    // A program that takes no lock file (the sqlite3 tool) is writing the archive:
    // after SQLite's wait, the start says so and changes nothing.
    void archiveHeldByAnotherProgram()
    {
        const QString archive = file("schedario.mdb");
        TArchive::create(archive);
        exec(archive, "INSERT INTO Diario (Data, Note) VALUES ('2024-03-01 00:00:00', 'prima')");
        const QByteArray before = bytesOf(archive);
        sqlite3 *other = nullptr;
        QCOMPARE(sqlite3_open(QFile::encodeName(archive).constData(), &other), SQLITE_OK);
        QCOMPARE(sqlite3_exec(other, "BEGIN IMMEDIATE; UPDATE Diario SET Note = 'altra'", nullptr, nullptr, nullptr),
                 SQLITE_OK);
        {
            ModalAnswerer answers;
            answers.answer("OK");
            answers.answer("OK");
            Tfrm_main w({});
            QCOMPARE(answers.messages, QStringList{QString::fromUtf8(
                                           "   L'archivio è in uso da un altro programma: chiuderlo e riavviare "
                                           "Tonalba.   ")});
            QCOMPARE(m_errors, QStringList());
            QVERIFY(w.TerminateRequested());
        }
        sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(other);
        QCOMPARE(bytesOf(archive), before);
    }

    // An archive reached through a symbolic link (kept on another disk, say):
    // it opens, is backed up and compacted where it lies, and stays a link.
    void archiveThroughASymbolicLink()
    {
        QTemporaryDir elsewhere;
        const QString real = elsewhere.filePath("vero.mdb"), link = file("schedario.mdb");
        TArchive::create(real);
        exec(real, "INSERT INTO Diario (Data, Note) VALUES ('2024-03-01 00:00:00', 'prima'), ('2024-03-02 00:00:00', 'x');"
                   "DELETE FROM Diario WHERE Note = 'x'");
        QVERIFY(QFile::link(real, link));
        {
            Tfrm_main w({});
            QVERIFY(w.Diario->Active());
            QCOMPARE(w.Diario->RecordCount(), 1);
        }
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(QFileInfo(link).symLinkTarget(), real);
        QCOMPARE(scalar(real, "SELECT group_concat(Note) FROM Diario"), QString("prima"));
        QCOMPARE(scalar(file("schedario_backup.mdk"), "SELECT group_concat(Note) FROM Diario"), QString("prima"));
        QCOMPARE(entries(elsewhere.path()), QStringList{"vero.mdb"});
    }

    // Killed at every step of saving a changed day and a new one, the program
    // leaves the diary as it was before, between or after the two posts.
    void killedWhilePosting()
    {
#ifdef TONALBA_SANITIZED
        QSKIP("the sweep runs in the normal build");
#endif
        const QString archive = file("schedario.mdb");
        TArchive::create(archive);
        exec(archive, "UPDATE Intestazione SET Nome='Rossi Mario';"
                      "WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM c WHERE i < 300) "
                      "INSERT INTO Diario (Data, SX_MAX_1, Note) SELECT date('2020-01-01', '+' || i || ' days') || "
                      "' 00:00:00', 120 + i % 30, hex(randomblob(150)) FROM c");
        {
            Tfrm_main first({});   // the backup and the compaction, done once and for all
        }
        const QString pristine = file("pristine.bin");
        QVERIFY(QFile::copy(archive, pristine));
        const auto editDay = [](Tfrm_main &w) {
            w.Diario->First();
            w.Diario->Edit();
            w.model->DiarioNote->SetAsString(QString(3000, 'e'));
            w.Diario->Post();
        };
        const auto editAndAdd = [&](Tfrm_main &w) {
            editDay(w);
            w.Diario->Append();
            w.model->DiarioData->SetAsString("15/06/2024");
            w.model->DiarioNote->SetAsString(QString(3000, 'n'));
            w.Diario->Post();
        };
        const char *const sum = "SELECT count(*) || ':' || sum(length(Note)) FROM Diario";
        const auto stateAfter = [&](const std::function<void(Tfrm_main &)> &work) {
            QFile::remove(archive);
            QFile::copy(pristine, archive);
            faultvfs::Plan counting;
            counting.action = faultvfs::Action::Count;
            const int steps = startInChild(counting, work);
            return std::make_pair(recovered(archive, sum), steps);
        };
        const QString before = recovered(pristine, sum);
        const QString between = stateAfter(editDay).first;
        const auto [after, steps] = stateAfter(editAndAdd);
        QVERIFY(before != between && between != after);
        QVERIFY(steps > 4);
        for (int k = 1; k <= steps; ++k) {
            QFile::remove(archive);
            QVERIFY(QFile::copy(pristine, archive));
            faultvfs::Plan kill;
            kill.action = faultvfs::Action::Kill;
            kill.step = k;
            QCOMPARE(startInChild(kill, editAndAdd), -1);
            const QString now = recovered(archive, sum);
            QVERIFY2(now == before || now == between || now == after,
                     qPrintable(QStringLiteral("killed at step %1 of %2: %3").arg(k).arg(steps).arg(now)));
            QCOMPARE(recovered(archive, "PRAGMA quick_check"), QString("ok"));
        }
    }

    // Killed, or failing, at every step of its work on the archive, a start
    // leaves the diary, a backup that is a diary, and nothing the next start does not clear.
    void faultAtEveryStep_data()
    {
        QTest::addColumn<int>("action");
        QTest::addColumn<int>("stride");   // every step, or every third in the short run
        const int stride = qEnvironmentVariableIntValue("TONALBA_SWEEP_ALL") ? 1 : 3;
        QTest::newRow("killed") << int(faultvfs::Action::Kill) << 1;
        QTest::newRow("an I/O error, once") << int(faultvfs::Action::IoErrorOnce) << stride;
        QTest::newRow("I/O errors from then on") << int(faultvfs::Action::IoErrorFromStep) << stride;
        QTest::newRow("the disk full from then on") << int(faultvfs::Action::FullFromStep) << stride;
    }
    void faultAtEveryStep()
    {
#ifdef TONALBA_SANITIZED
        QSKIP("the sweep runs in the normal build");
#endif
        QFETCH(int, action);
        QFETCH(int, stride);
        const QString archive = file("schedario.mdb"), backup = file("schedario_backup.mdk");
        TArchive::create(archive);
        exec(archive, "UPDATE Intestazione SET Nome='Rossi Mario';"
                      "WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM c WHERE i < 400) "
                      "INSERT INTO Diario (Data, SX_MAX_1, Note) SELECT date('2020-01-01', '+' || i || ' days') || "
                      "' 00:00:00', 120 + i % 30, hex(randomblob(150)) FROM c; DELETE FROM Diario WHERE ID_Diario % 3 = 0");
        const QString days = scalar(archive, "SELECT count(*) || ':' || sum(length(Note)) FROM Diario");
        const QString pristine = file("pristine.bin");
        QVERIFY(QFile::copy(archive, pristine));
        faultvfs::Plan counting;
        counting.action = faultvfs::Action::Count;
        const int steps = startInChild(counting);
        QVERIFY(steps > 10);
        const QStringList clean = entries(m_folder);
        const char *const sum = "SELECT count(*) || ':' || sum(length(Note)) FROM Diario";
        for (int k = 1; k <= steps; k += stride) {
            QFile::remove(archive);
            QFile::remove(backup);
            QVERIFY(QFile::copy(pristine, archive));
            faultvfs::Plan plan;
            plan.action = faultvfs::Action(action);
            plan.step = k;
            const int ran = startInChild(plan);
            if (plan.action == faultvfs::Action::Kill) QCOMPARE(ran, -1);
            const QString at = QStringLiteral("step %1 of %2").arg(k).arg(steps);
            QCOMPARE(recovered(archive, sum) + " " + at, days + " " + at);
            if (QFile::exists(backup)) QCOMPARE(recovered(backup, sum) + " " + at, days + " " + at);
            {
                Tfrm_main next({});
                QVERIFY2(next.Diario->Active(), qPrintable(at));
            }
            QVERIFY2(entries(m_folder) == clean, qPrintable(at + ": " + entries(m_folder).join(' ')));
            QCOMPARE(recovered(backup, sum) + " " + at, days + " " + at);
        }
    }

};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
