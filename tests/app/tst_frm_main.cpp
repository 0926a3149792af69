// The real main window over temporary application folders: archive choice,
// backup and compaction, search, sorting, delete confirmation, closing and
// the new-archive command.

#include "app/application.h"
#include "tests/app/archivesql.h"
#include "tests/app/modalanswerer.h"
#include "app/frm_main.h"
#include "app/frm_pass.h"
#include "controls/dbdateedit.h"
#include "controls/dbedit.h"
#include "controls/dbmemo.h"
#include "controls/dbtext.h"
#include "controls/dbnavbar.h"
#include "data/archive.h"
#include "data/daodatabase.h"
#include "data/daotable.h"
#include "core/formatsettings.h"
#include "grid/colors.h"
#include "grid/exrichdbgrid.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

using archivesql::exec;
using archivesql::scalar;

// An archive with a header and a few days:
// 1: 80/125 Normale; 2: 85/135 Normale - alta; 3: 70/110 and a note "pressione normale";
// 4: 95/160 with weight 95 (obese at 1.60 m).
void makeArchive(const QString &path, bool withDays = true)
{
    TArchive::create(path);
    exec(path, "UPDATE Intestazione SET Nome='Rossi Mario', Altezza=1.6, Terapia='Ramipril 5 mg', "
               "Data_terapia='2020-01-01 00:00:00', Data_Nascita='1960-05-10 00:00:00'");
    if (!withDays) return;
    exec(path, "INSERT INTO Diario (Data, SX_MIN_1, SX_MAX_1, Peso, Note) VALUES "
               "('2024-03-01 00:00:00', 80, 125, 70, NULL),"
               "('2024-03-02 00:00:00', 85, 135, 60, NULL),"
               "('2024-03-03 00:00:00', 70, 110, 65, 'pressione normale'),"
               "('2024-03-04 00:00:00', 95, 160, 95, NULL)");
}

QStringList diaryIds(Tfrm_main &w)
{
    QStringList ids;
    for (w.Diario->First(); !w.Diario->Eof(); w.Diario->Next()) ids << w.model->DiarioID_Diario->AsString();
    return ids;
}

} // namespace

class TestMainWindow : public QObject
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
        Tfrm_main::openUrlHook() = [](const QUrl &) { return true; };
    }

    void init()
    {
        m_dir = new QTemporaryDir;
        m_folder = m_dir->path() + "/";
        qputenv("TONALBA_HOME", m_dir->path().toUtf8());
        m_errors.clear();
        Tfrm_main::chooserHook() = [](Tfrm_pass *) { return QString(); };
    }

    void cleanup()
    {
        if (QTest::currentTestFailed()) m_dir->setAutoRemove(false);
        delete m_dir;
    }

    void archiveChoice_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QStringList>("listed");
        QTest::addColumn<QString>("title");
        QTest::newRow("argument with a folder and dots")
            << QStringList{"rossi.mdb", "bianchi.mdb"} << QStringList{"/altrove/rossi.vecchio.mdb"} << ""
            << QStringList{} << "Tonalba 01.02 - ROSSI";
        QTest::newRow("only archive") << QStringList{"verdi.mdb"} << QStringList{} << "" << QStringList{}
                                      << "Tonalba 01.02 - VERDI";
        QTest::newRow("chooser alfa Beta") << QStringList{"Beta.mdb", "alfa.mdb"} << QStringList{} << "Beta"
                                           << QStringList{"alfa", "Beta"} << "Tonalba 01.02 - BETA";
        QTest::newRow("chooser closed") << QStringList{"Beta.mdb", "alfa.mdb"} << QStringList{} << ""
                                        << QStringList{"alfa", "Beta"} << "Tonalba 01.02 - SCHEDARIO";
        // The shorter name is what opens: there is no "gialli.mdb", so the start-up fails to compact it.
        QTest::newRow("dot before the extension") << QStringList{"gialli.2024.mdb", "neri.mdb"} << QStringList{}
                                                  << "gialli" << QStringList{"gialli", "neri"}
                                                  << "Tonalba 01.02 - GIALLI";
    }
    void archiveChoice()
    {
        QFETCH(QStringList, files);
        QFETCH(QStringList, arguments);
        QFETCH(QString, chosen);
        QFETCH(QStringList, listed);
        QFETCH(QString, title);
        for (const QString &f : files) makeArchive(file(f));
        QStringList shown;
        Tfrm_main::chooserHook() = [&](Tfrm_pass *chooser) {
            shown = chooser->ComboBox1->items();
            return chosen;
        };
        Tfrm_main w(arguments);
        QCOMPARE(w.windowTitle(), title);
        QCOMPARE(shown, listed);
        if (title.endsWith("SCHEDARIO") || title.endsWith("GIALLI")) {
            QVERIFY(!w.Database->Connected());
            QVERIFY(!QFile::exists(file("schedario.mdb")));
            QVERIFY(!QFile::exists(file("gialli.mdb")));
            QCOMPARE(m_errors.size(), 1);
        } else {
            QVERIFY(w.Database->Connected());
            QVERIFY(w.Diario->Active());
            QCOMPARE(w.model->IntestaNome->AsString(), QString("Rossi Mario"));
        }
    }

    void chooserClosesOnlyOnAChoice()
    {
        Tfrm_pass chooser;
        chooser.ComboBox1->setItems({"alfa", "Beta", "gamma"});
        chooser.show();
        QVERIFY(QTest::qWaitForWindowExposed(&chooser));
        chooser.ComboBox1->list()->setFocus();
        QCoreApplication::processEvents();
        // Getting the focus is no choice, even though the list then has a current row.
        QVERIFY(chooser.isVisible());
        QCOMPARE(chooser.chosen(), QString());
        QTest::keyClick(chooser.ComboBox1->list(), Qt::Key_End);
        QVERIFY(!chooser.isVisible());
        QCOMPARE(chooser.chosen(), QString("gamma"));
    }

    void noArchiveShowsTheEngineErrorAndCreatesNothing()
    {
        Tfrm_main w({});
        QCOMPARE(w.windowTitle(), QString("Tonalba 01.02 - SCHEDARIO"));
        QCOMPARE(m_errors.size(), 1);
        QVERIFY2(m_errors.first().contains("schedario.mdb"), qPrintable(m_errors.first()));
        QVERIFY(!w.Database->Connected());
        QVERIFY(!w.TerminateRequested());
        QCOMPARE(QDir(m_folder).entryList(QDir::Files), QStringList{});
    }

    void opensOnTheLastDayWithItsClasses()
    {
        makeArchive(file("schedario.mdb"));
        Tfrm_main w({});
        QVERIFY(w.Diario->Active());
        QCOMPARE(w.model->DiarioID_Diario->AsInteger(), 4);
        QCOMPARE(w.model->DiarioS_BMI->AsString(), QString::fromUtf8("37,1: Obesità di secondo grado"));
        QCOMPARE(w.model->DiarioS_PRE->AsString(), QString("160 / 95 : Ipertensione di Grado 2 moderata"));
        QCOMPARE(w.PageControl1->currentWidget(), w.tb_scheda);
        QVERIFY(!w.PrintFilterActive());
        QCOMPARE(w.findChild<TDaoTable *>("Diario"), w.Diario);
    }

    void backupReplacedAtEveryStartButNotWhileOpenElsewhere()
    {
        const QString archive = file("schedario.mdb");
        makeArchive(archive);
        {
            Tfrm_main w({});
            QVERIFY(w.Diario->Active());
        }
        QCOMPARE(scalar(file("schedario_backup.mdk"), "SELECT COUNT(*) FROM Diario"), QString("4"));
        exec(archive, "INSERT INTO Diario (Data) VALUES ('2024-03-05 00:00:00')");
        {
            Tfrm_main w({});
        }
        QCOMPARE(scalar(file("schedario_backup.mdk"), "SELECT COUNT(*) FROM Diario"), QString("5"));
        // A first instance holds the archive: the second neither copies nor compacts it.
        Tfrm_main first({});
        QVERIFY(QFile::exists(file("schedario.ldb")));
        exec(archive, "INSERT INTO Diario (Data) VALUES ('2024-03-06 00:00:00')");
        Tfrm_main second({});
        QVERIFY(second.Diario->Active());
        QCOMPARE(scalar(file("schedario_backup.mdk"), "SELECT COUNT(*) FROM Diario"), QString("5"));
        QCOMPARE(scalar(archive, "SELECT COUNT(*) FROM Diario"), QString("6"));
    }

    void damagedArchiveKeepsThePreviousBackup()
    {
        const QString archive = file("schedario.mdb");
        makeArchive(archive);
        exec(archive, "CREATE TABLE filler(x); WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM c "
                      "WHERE i < 3000) INSERT INTO filler SELECT randomblob(100) FROM c;");
        {
            Tfrm_main w({});
        }
        QFile backup(file("schedario_backup.mdk"));
        QVERIFY(backup.open(QIODevice::ReadOnly));
        const QByteArray good = backup.readAll();
        backup.close();
        QFile f(archive);
        QVERIFY(f.open(QIODevice::ReadWrite));
        for (int page = 2; page < 40; ++page) {
            f.seek(4096 * page);
            f.write(QByteArray(16, '\x5a'));
        }
        f.close();
        ModalAnswerer answers;
        answers.answer("OK");   // the damaged-archive message
        answers.answer("OK");   // the connection error that follows
        Tfrm_main w({});
        QVERIFY(answers.messages.size() >= 1);
        QCOMPARE(answers.messages.first(),
                 QString::fromUtf8("   L'archivio è danneggiato: la copia di sicurezza precedente è stata conservata.   "));
        QVERIFY(backup.open(QIODevice::ReadOnly));
        QCOMPARE(backup.readAll(), good);
        QVERIFY(w.TerminateRequested());
        QCOMPARE(answers.messages.value(1), QString("   Errore di connessione al DB.   "));
    }

    void search_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("ids");
        QTest::newRow("Normale") << "Normale" << QStringList{"1", "2"};
        QTest::newRow("Obesità") << QString::fromUtf8("Obesità") << QStringList{"4"};
        QTest::newRow("80 125 across neighbours") << "80 125" << QStringList{"1"};
        QTest::newRow("empty shows all") << "" << QStringList{"1", "2", "3", "4"};
        QTest::newRow("any characters") << "'\"%*[_" << QStringList{};
    }
    void search()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, ids);
        makeArchive(file("schedario.mdb"));
        Tfrm_main w({});
        w.ButtonPanel2Buttons1Click();
        w.cerca->setText("zzz");
        w.cerca->setText(text);
        QCOMPARE(w.Diario->IsEmpty(), ids.isEmpty());
        if (!ids.isEmpty()) QCOMPARE(w.model->DiarioID_Diario->AsString(), ids.first());
        QCOMPARE(diaryIds(w), ids);
    }

    void sortingByPesoTwice()
    {
        makeArchive(file("schedario.mdb"));
        Tfrm_main w({});
        TField *peso = w.model->DiarioPeso;
        for (int click = 0; click < 2; ++click) {
            w.grid_diarioTitleBtnClick(1, peso);
            QCOMPARE(w.model->DiarioID_Diario->AsString(), QString("2"));
            QCOMPARE(diaryIds(w), (QStringList{"2", "3", "1", "4"}));
            QCOMPARE(w.grid_diario->Columns()[1]->Title()->Color(), TColor(clSilver));
            QCOMPARE(w.grid_diario->Columns()[0]->Title()->Color(), TColor(clBtnFace));
        }
        w.grid_diarioTitleBtnClick(2, w.model->DiarioBMI);
        QCOMPARE(diaryIds(w), (QStringList{"2", "3", "1", "4"}));
    }

    void refusedDeleteKeepsTheRow()
    {
        makeArchive(file("schedario.mdb"));
        Tfrm_main w({});
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        ModalAnswerer answers;
        answers.answer("No");
        // Through the event loop, which swallows the silent abort.
        QTest::mouseClick(w.nav_diario->Buttons(5), Qt::LeftButton);
        QCOMPARE(answers.messages, QStringList{"   Confermi la cancellazione di questa registrazione ?   "});
        QCOMPARE(scalar(file("schedario.mdb"), "SELECT COUNT(*) FROM Diario"), QString("4"));
        QVERIFY(m_errors.isEmpty());
        answers.answer("Yes");
        QTest::mouseClick(w.nav_diario->Buttons(5), Qt::LeftButton);
        QCOMPARE(scalar(file("schedario.mdb"), "SELECT COUNT(*) FROM Diario"), QString("3"));
    }

    void closingPostsTheChangedHeader()
    {
        makeArchive(file("schedario.mdb"));
        {
            Tfrm_main w({});
            w.show();
            w.ButtonPanel2Buttons4Click();
            QVERIFY(!w.nav_diario->isEnabled());
            w.NomeEdit->setFocus();
            QTest::keyClick(w.NomeEdit, Qt::Key_End);
            QTest::keyClicks(w.NomeEdit, " Jr");
            w.ButtonPanel2Buttons0Click();
            QVERIFY(w.nav_diario->isEnabled());
            QCOMPARE(w.Intesta->State(), DataSetState::Edit);
            QVERIFY(w.close());
        }
        QCOMPARE(scalar(file("schedario.mdb"), "SELECT Nome FROM Intestazione"), QString("Rossi Mario Jr"));
        QVERIFY(QFile::exists(file("diario.ini")));
    }

    // ---- typing on the card and the configuration page ----

    // A typed impossible date is refused where it was typed, on leaving the
    // edit and at the post; the stored date stays until a valid one is typed.
    void mistypedDateKeepsTheStoredDate_data()
    {
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QString>("stored");   // SQL reading the bound field
        QTest::addColumn<QString>("before");
        QTest::newRow("card Data") << "DBDateEdit1" << "SELECT Data FROM Diario WHERE ID_Diario = 4"
                                   << "2024-03-04 00:00:00";
        QTest::newRow("birth date") << "NascitaEdit" << "SELECT Data_Nascita FROM Intestazione"
                                    << "1960-05-10 00:00:00";
        QTest::newRow("therapy start") << "TerapiaDataEdit" << "SELECT Data_terapia FROM Intestazione"
                                       << "2020-01-01 00:00:00";
    }
    void mistypedDateKeepsTheStoredDate()
    {
        QFETCH(QString, edit);
        QFETCH(QString, stored);
        QFETCH(QString, before);
        makeArchive(file("schedario.mdb"));
        Tfrm_main w({});
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        TDBDateEdit *date = edit == "DBDateEdit1" ? w.DataEdit : edit == "NascitaEdit" ? w.NascitaEdit : w.TerapiaDataEdit;
        if (date != w.DataEdit) w.ButtonPanel2Buttons4Click();
        TDaoTable *table = date == w.DataEdit ? w.Diario : w.Intesta;
        date->setFocus();
        QTRY_VERIFY(date->hasFocus());
        date->selectAll();
        QTest::keyClick(date, Qt::Key_Home);
        QTest::keyClicks(date, "31022026");
        QCOMPARE(date->text(), QString("31/02/2026"));
        QTest::keyClick(date, Qt::Key_Tab);
        QCOMPARE(m_errors, QStringList{"'31/02/2026' is not a valid date"});
        QTRY_VERIFY(date->hasFocus());
        QCOMPARE(date->text(), QString("31/02/2026"));
        QCOMPARE(table->State(), DataSetState::Edit);
        QVERIFY(!table->FieldByName(date->DataField())->IsNull());

        // The navigator's post (or the window's close) meets the same check.
        m_errors.clear();
        if (table == w.Diario) {
            QTest::mouseClick(w.nav_diario->Buttons(7), Qt::LeftButton);
        } else {
            QVERIFY(!w.close());
        }
        QCOMPARE(m_errors, QStringList{"'31/02/2026' is not a valid date"});
        QCOMPARE(scalar(file("schedario.mdb"), stored), before);

        // A valid date is taken.
        m_errors.clear();
        date->setFocus();
        QTest::keyClick(date, Qt::Key_Home);
        QTest::keyClicks(date, "28022026");
        table->Post();
        QCOMPARE(m_errors, QStringList{});
        QCOMPARE(scalar(file("schedario.mdb"), stored), QString("2026-02-28 00:00:00"));
    }

    // A day already without a date shows as empty and can be given one.
    void dayWithoutADateCanBeCorrected()
    {
        makeArchive(file("schedario.mdb"));
        exec(file("schedario.mdb"), "UPDATE Diario SET Data = NULL WHERE ID_Diario = 4");
        Tfrm_main w({});
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(w.model->DiarioID_Diario->AsInteger(), 4);
        QVERIFY(w.model->DiarioData->IsNull());
        w.DataEdit->setFocus();
        QTest::keyClick(w.DataEdit, Qt::Key_Home);
        QTest::keyClicks(w.DataEdit, "05032024");
        QTest::keyClick(w.DataEdit, Qt::Key_Tab);
        QCOMPARE(m_errors, QStringList{});
        w.Diario->Post();
        QCOMPARE(scalar(file("schedario.mdb"), "SELECT Data FROM Diario WHERE ID_Diario = 4"),
                 QString("2024-03-05 00:00:00"));
    }

    // The labels under the card follow the readings as each field is left,
    // for a changed day and for a new one.
    void classLabelsFollowTheTypedReadings()
    {
        makeArchive(file("schedario.mdb"));
        Tfrm_main w({});
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(w.DBTextPRE->text(), QString("160 / 95 : Ipertensione di Grado 2 moderata"));
        auto type = [&](TDBEdit *edit, const QString &text) {
            edit->setFocus();
            QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(edit, text);
            QTest::keyClick(edit, Qt::Key_Tab);
        };
        TDBEdit *max1 = w.ReadingEdits[0], *min1 = w.ReadingEdits[1];
        type(max1, "118");
        QCOMPARE(w.Diario->State(), DataSetState::Edit);
        QVERIFY2(w.DBTextPRE->text().startsWith("118 / 95 : "), qPrintable(w.DBTextPRE->text()));
        type(min1, "77");
        QCOMPARE(w.DBTextPRE->text(), QString("118 / 77 : Ottimale"));
        type(w.PesoEdit, "64");
        QVERIFY2(w.DBTextBMI->text().startsWith("25,0"), qPrintable(w.DBTextBMI->text()));
        w.Diario->Cancel();
        QCOMPARE(w.DBTextPRE->text(), QString("160 / 95 : Ipertensione di Grado 2 moderata"));

        QTest::mouseClick(w.nav_diario->Buttons(4), Qt::LeftButton);
        QCOMPARE(w.Diario->State(), DataSetState::Insert);
        type(max1, "125");
        type(min1, "80");
        QCOMPARE(w.DBTextPRE->text(), QString("125 / 80 : Normale"));
        QCOMPARE(m_errors, QStringList{});
    }

    // A number the regional settings do not read is refused as soon as the
    // field is left, with the field's message, and nothing reaches the post.
    void weightWithTheWrongDecimalSeparatorIsRefusedOnLeaving()
    {
        makeArchive(file("schedario.mdb"));
        Tfrm_main w({});
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.PesoEdit->setFocus();
        QTest::keyClick(w.PesoEdit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(w.PesoEdit, "72.5");
        QTest::keyClick(w.PesoEdit, Qt::Key_Tab);
        QCOMPARE(m_errors, QStringList{"'72.5' is not a valid floating point value for field 'Peso'"});
        QTRY_VERIFY(w.PesoEdit->hasFocus());
        QCOMPARE(w.PesoEdit->text(), QString("72.5"));
        m_errors.clear();
        QTest::keyClick(w.PesoEdit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(w.PesoEdit, "72,5");
        QTest::keyClick(w.PesoEdit, Qt::Key_Tab);
        QCOMPARE(m_errors, QStringList{});
        w.Diario->Post();
        QCOMPARE(scalar(file("schedario.mdb"), "SELECT Peso FROM Diario WHERE ID_Diario = 4"), QString("72.5"));
    }

    // Tab leaves the memos for the next control instead of typing a tab.
    void tabLeavesTheMemos()
    {
        makeArchive(file("schedario.mdb"));
        Tfrm_main w({});
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        // While typing, that is with the record in edit.
        w.NoteMemo->setFocus();
        QTest::keyClicks(w.NoteMemo, "Capogiro");
        QCOMPARE(w.Diario->State(), DataSetState::Edit);
        QTest::keyClick(w.NoteMemo, Qt::Key_Tab);
        QVERIFY(!w.NoteMemo->hasFocus());
        QCOMPARE(w.model->DiarioNote->AsString(), QString("Capogiro"));
        w.Diario->Cancel();
        w.ButtonPanel2Buttons4Click();
        w.TerapiaMemo->setFocus();
        QTest::keyClick(w.TerapiaMemo, Qt::Key_End, Qt::ControlModifier);
        QTest::keyClicks(w.TerapiaMemo, " la sera");
        QTest::keyClick(w.TerapiaMemo, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), w.TerapiaDataEdit);
        QCOMPARE(w.model->IntestaTerapia->AsString(), QString("Ramipril 5 mg la sera"));
    }

    // Made smaller than designed, the window stops at its designed size; on a
    // smaller screen the pages scroll instead of overlapping.
    void windowKeepsItsDesignedSize()
    {
        makeArchive(file("schedario.mdb"));
        Tfrm_main w({});
        const QSize available = w.screen()->availableGeometry().size();
        QCOMPARE(w.minimumSize(), QSize(635, 483).boundedTo(available));
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.resize(300, 200);
        QCOMPARE(w.size(), QSize(635, 483).boundedTo(available));
        // The card's lowest labels stay below the notes at the smallest size.
        QVERIFY(w.LabelBMI->geometry().top() >= w.NoteMemo->geometry().bottom());
        QVERIFY(w.tb_scheda->height() >= 483 - 41 - 30);
    }

    void newArchive_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("created");
        QTest::newRow("spaces and digits") << "Nuovo paziente 2" << "Nuovopaziente2";
        QTest::newRow("accented") << QString::fromUtf8("Città") << "Citt";
        QTest::newRow("only punctuation") << "- - -" << "";
        QTest::newRow("cancel") << QString() << "";
    }
    void newArchive()
    {
        QFETCH(QString, answer);
        QFETCH(QString, created);
        makeArchive(file("schedario.mdb"));
        Tfrm_main w({});
        w.cerca->setText("Normale");   // the search must not protect any row
        Tfrm_main::askArchiveNameHook() = [&](QWidget *) { return answer; };
        w.BitBtn2Click();
        QCOMPARE(w.windowTitle(), QString("Tonalba 01.02 - SCHEDARIO"));
        QCOMPARE(scalar(file("schedario.mdb"), "SELECT COUNT(*) FROM Diario"), QString("4"));
        if (created.isEmpty()) {
            QCOMPARE(QDir(m_folder).entryList({"*.mdb"}), QStringList{"schedario.mdb"});
            QCOMPARE(w.ArchiveName, QString("schedario"));
            return;
        }
        QCOMPARE(w.ArchiveName, created);
        QVERIFY(QFile::exists(file(created + ".mdb")));
        QVERIFY(w.Diario->Active());
        QVERIFY(w.Diario->IsEmpty());
        QCOMPARE(scalar(file(created + ".mdb"), "SELECT COUNT(*) FROM Diario"), QString("0"));
        QCOMPARE(w.model->IntestaNome->AsString(), QString("Inserire nome"));
        QVERIFY(w.model->IntestaAltezza->IsNull());
        QVERIFY(w.model->IntestaData_Nascita->IsNull());
        QCOMPARE(w.model->IntestaTerapia->AsString(), QString("Ramipril 5 mg"));
        QVERIFY(!w.model->IntestaData_terapia->IsNull());
    }

    void newArchiveRefusesAnExistingName()
    {
        makeArchive(file("schedario.mdb"));
        makeArchive(file("bianchi.mdb"));
        Tfrm_main w({"schedario"});
        ModalAnswerer answers;
        answers.answer("OK");
        Tfrm_main::askArchiveNameHook() = [](QWidget *) { return QString("bian chi"); };
        w.BitBtn2Click();
        QCOMPARE(answers.messages.size(), 1);
        QVERIFY(answers.messages.first().contains("bianchi"));
        QCOMPARE(scalar(file("bianchi.mdb"), "SELECT COUNT(*) FROM Diario"), QString("4"));
        Tfrm_main::askArchiveNameHook() = [](QWidget *) { return QString("schedario"); };
        answers.answer("OK");
        w.BitBtn2Click();
        QCOMPARE(scalar(file("schedario.mdb"), "SELECT COUNT(*) FROM Diario"), QString("4"));
        QVERIFY(w.Diario->Active());
    }
};

int main(int argc, char **argv)
{
    TApplication app(argc, argv);
    TestMainWindow test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_frm_main.moc"
