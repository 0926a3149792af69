// The period report from the main window: the print command with its period
// dialog, the template loaded from the application folder, the days the
// report walks, and the print flag cleared on every way out; the edit-layout
// command; the period dialog itself.
//
// The report's builder, preview and designer are replaced by recorders: the
// builder walks the template's master dataset as a build does and notes each
// day, so the tests see what a report of the period would print.

#include "app/application.h"
#include "tests/app/archivesql.h"
#include "app/frm_main.h"
#include "app/frm_stampa.h"
#include "controls/dateedit.h"
#include "data/archive.h"
#include "data/daodatabase.h"
#include "data/daotable.h"
#include "core/datetime.h"
#include "core/formatsettings.h"
#include "report/designer/frdesignerdialogs.h"
#include "report/designer/frdesignerform.h"
#include "report/designer/frdesignersettings.h"
#include "report/frbandview.h"
#include "report/frbuildstate.h"
#include "report/frdbdataset.h"
#include "report/frmemoview.h"
#include "report/frmessagesink.h"
#include "report/frpage.h"
#include "report/frregistry.h"
#include "report/frreport.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

namespace {

using archivesql::exec;
using archivesql::scalar;

// Days around March 2024, the note of the 15th is what the search finds.
void makeArchive(const QString &path)
{
    TArchive::create(path);
    exec(path, "UPDATE Intestazione SET Nome='Rossi Mario', Altezza=1.7, Data_Nascita='1960-05-10 00:00:00'");
    exec(path, "INSERT INTO Diario (Data, SX_MIN_1, SX_MAX_1, Peso, Note) VALUES "
               "('2024-02-29 00:00:00', 80, 125, 70, NULL),"
               "('2024-03-01 00:00:00', 85, 135, 71, NULL),"
               "('2024-03-15 00:00:00', 70, 110, NULL, 'pressione normale'),"
               "('2024-03-31 00:00:00', 95, 160, 72, NULL),"
               "('2024-04-01 00:00:00', 90, 140, 72.5, NULL)");
}

// What the replaced builder and preview saw.
struct Recorder
{
    int builds = 0;
    int previews = 0;
    int designs = 0;
    QStringList days;                  // Data of every record the master dataset walked
    QList<bool> printFilterWhileBuilding;
    QString previewTitle;
    QString buildError;                // set to make the build fail
    Tfrm_main *window = nullptr;
};

Recorder *g_recorder = nullptr;

bool recordingBuilder(TfrReport &report)
{
    Recorder &r = *g_recorder;
    ++r.builds;
    r.printFilterWhileBuilding << (r.window && r.window->PrintFilterActive());
    if (!r.buildError.isEmpty()) {
        frSetBuildError(r.buildError);
        return false;
    }
    for (TfrView *v : report.Pages[0]->Objects) {
        auto *band = dynamic_cast<TfrBandView *>(v);
        if (!band || band->BandType() != frBand::MasterData) continue;
        auto *ds = qobject_cast<TfrDBDataSet *>(report.FindReportDataset(band->FormatText));
        if (!ds) return false;
        ds->Init();
        if (!ds->ErrorText().isEmpty()) return false;
        for (ds->First(); !ds->Eof(); ds->Next())
            r.days << ds->DataSet()->FieldByName("Data")->AsString();
        ds->Exit();
    }
    return true;
}

} // namespace

class TestPeriodReport : public QObject
{
    Q_OBJECT

    QTemporaryDir *m_dir = nullptr;
    QString m_folder;
    QStringList m_errors;
    QStringList m_reportMessages;
    Recorder m_recorder;

    QString file(const QString &name) const { return m_folder + name; }

    // A window over the test archive, its report messages recorded.
    std::unique_ptr<Tfrm_main> openWindow()
    {
        auto w = std::make_unique<Tfrm_main>(QStringList{"schedario"});
        frSetMessageSink([this](const QString &text, const QString &, TfrMessageIcon) { m_reportMessages << text; });
        m_recorder.window = w.get();
        return w;
    }

    // Answers the period dialog with two date texts, or cancels it.
    static void answerPeriod(const QString &from, const QString &to, bool print, QStringList *seenAtOpening = nullptr)
    {
        Tfrm_main::periodDialogHook() = [=](Tfrm_stampa *dialog) {
            // The edits' mask leaves its separators in an empty text.
            if (seenAtOpening)
                *seenAtOpening = QStringList{dialog->data1->text().remove('/').trimmed(),
                                             dialog->data2->text().remove('/').trimmed()};
            dialog->data1->setText(from);
            dialog->data2->setText(to);
            return print ? int(QDialog::Accepted) : int(QDialog::Rejected);
        };
    }

private slots:
    void initTestCase()
    {
        TFormatSettings it;
        QVERIFY(TFormatSettings::forLocale("it_IT", it));
        TFormatSettings::setCurrent(it);
        TApplication::showExceptionHook() = [this](const QString &m) { m_errors << m; };
        Tfrm_main::openUrlHook() = [](const QUrl &) { return true; };
        Tfrm_main::chooserHook() = [](Tfrm_pass *) { return QString(); };
        g_recorder = &m_recorder;
        frRegistry::setBuilder(recordingBuilder);
        frRegistry::setPreview([](TfrReport &report) {
            ++g_recorder->previews;
            g_recorder->previewTitle = report.Title;
        });
    }

    void cleanupTestCase()
    {
        frRegistry::setBuilder({});
        frRegistry::setPreview({});
        frRegistry::setDesigner({});
        Tfrm_main::periodDialogHook() = [](Tfrm_stampa *dialog) { return dialog->exec(); };
    }

    void init()
    {
        m_dir = new QTemporaryDir;
        m_folder = m_dir->path() + "/";
        qputenv("TONALBA_HOME", m_dir->path().toUtf8());
        m_errors.clear();
        m_reportMessages.clear();
        m_recorder = Recorder();
        makeArchive(file("schedario.mdb"));
        QVERIFY(QFile::copy(TONALBA_TEMPLATE_FILE, file("diario.frf")));
    }

    void cleanup()
    {
        m_recorder.window = nullptr;
        if (QTest::currentTestFailed()) m_dir->setAutoRemove(false);
        delete m_dir;
    }

    void reportComponent()
    {
        auto w = openWindow();
        QCOMPARE(w->frReport1->objectName(), QString("frReport1"));
        QCOMPARE(w->frReport1->Title, QString("Prossimi appuntamenti"));
        QVERIFY(!w->frReport1->ShowProgress);
        QCOMPARE(w->frReport1->PixelsPerInch, 96);
        QCOMPARE(w->frReport1->FullName(), QString("frm_main.frReport1"));
        // Templates reach the tables by window and component name, in any case.
        QCOMPARE(frFindOwnedComponent("FRM_MAIN.diario"), static_cast<QObject *>(w->Diario));
        QCOMPARE(frFindOwnedComponent("frm_main.Intesta"), static_cast<QObject *>(w->Intesta));
        w.reset();
        QVERIFY(!frFindOwnedComponent("frm_main.Diario"));
    }

    void printsThePeriod_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QStringList>("days");
        const QStringList all{"29/02/2024", "01/03/2024", "15/03/2024", "31/03/2024", "01/04/2024"};
        QTest::newRow("both dates empty, after a search") << "" << "" << all;
        QTest::newRow("March, both ends included") << "01/03/2024" << "31/03/2024"
                                                    << QStringList{"01/03/2024", "15/03/2024", "31/03/2024"};
        QTest::newRow("only a first date") << "15/03/2024" << "" << QStringList{"15/03/2024", "31/03/2024", "01/04/2024"};
        QTest::newRow("only a second date") << "" << "01/03/2024" << QStringList{"29/02/2024", "01/03/2024"};
        QTest::newRow("an invalid first date is no bound") << "31/02/2024" << "01/03/2024"
                                                            << QStringList{"29/02/2024", "01/03/2024"};
        QTest::newRow("an invalid second date is no bound") << "31/03/2024" << "99/99/2024"
                                                             << QStringList{"31/03/2024", "01/04/2024"};
        QTest::newRow("first date after the second: no rows") << "01/04/2024" << "01/03/2024" << QStringList{};
    }
    void printsThePeriod()
    {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(QStringList, days);
        auto w = openWindow();
        // A search that would hide most days: the command clears it.
        w->cerca->setText("pressione normale");
        answerPeriod(from, to, true);
        w->ButtonPanel2Buttons2Click();

        QCOMPARE(m_errors, QStringList());
        QCOMPARE(m_reportMessages, QStringList());
        QCOMPARE(w->cerca->text(), QString());
        QCOMPARE(w->frReport1->FileName, QString("diario.frf"));
        QCOMPARE(m_recorder.builds, 1);
        QCOMPARE(m_recorder.printFilterWhileBuilding, QList<bool>{true});
        QCOMPARE(m_recorder.days, days);
        QCOMPARE(m_recorder.previews, 1);
        QCOMPARE(m_recorder.previewTitle, QString("Prossimi appuntamenti"));
        QVERIFY(!w->PrintFilterActive());
    }

    // A day typed late and a list sorted by another column still print in date
    // order; the list keeps its own order afterwards.
    void printsInDateOrderWhateverTheListShows()
    {
        exec(file("schedario.mdb"), "INSERT INTO Diario (Data, SX_MIN_1, SX_MAX_1, Peso) VALUES "
                                    "('2024-03-10 00:00:00', 75, 120, 69)");
        auto w = openWindow();
        answerPeriod("", "", true);
        w->ButtonPanel2Buttons2Click();
        QCOMPARE(m_recorder.days, (QStringList{"29/02/2024", "01/03/2024", "10/03/2024", "15/03/2024",
                                               "31/03/2024", "01/04/2024"}));

        w->grid_diarioTitleBtnClick(1, w->model->DiarioPeso);
        m_recorder.days.clear();
        w->ButtonPanel2Buttons2Click();
        QCOMPARE(m_recorder.days, (QStringList{"29/02/2024", "01/03/2024", "10/03/2024", "15/03/2024",
                                               "31/03/2024", "01/04/2024"}));
        QCOMPARE(w->Diario->SortedBy(), QStringList{"Peso"});
        QStringList weights;
        for (w->Diario->First(); !w->Diario->Eof(); w->Diario->Next()) weights << w->model->DiarioPeso->AsString();
        QCOMPARE(weights, (QStringList{"", "69", "70", "71", "72", "72,5"}));
        QCOMPARE(m_errors, QStringList());
    }

    // The next print command starts from empty dates, whatever was typed before.
    void datesClearedAtEveryCommand()
    {
        auto w = openWindow();
        QStringList seen;
        answerPeriod("01/03/2024", "31/03/2024", true, &seen);
        w->ButtonPanel2Buttons2Click();
        QCOMPARE(seen, QStringList({"", ""}));
        QCOMPARE(w->frm_stampa->From(), fromQDate(QDate(2024, 3, 1)));
        answerPeriod("", "", true, &seen);
        w->ButtonPanel2Buttons2Click();
        QCOMPARE(seen, QStringList({"", ""}));
        QCOMPARE(m_recorder.days.size(), 3 + 5);
    }

    void cancelLoadsNothing()
    {
        auto w = openWindow();
        w->cerca->setText("pressione normale");
        answerPeriod("01/03/2024", "31/03/2024", false);
        w->ButtonPanel2Buttons2Click();
        QCOMPARE(w->cerca->text(), QString());
        QCOMPARE(w->frReport1->FileName, QString());
        QCOMPARE(m_recorder.builds, 0);
        QCOMPARE(m_recorder.previews, 0);
        QVERIFY(!w->PrintFilterActive());
        // The list shows every day again.
        int rows = 0;
        for (w->Diario->First(); !w->Diario->Eof(); w->Diario->Next()) ++rows;
        QCOMPARE(rows, 5);
    }

    void pendingEditIsPosted()
    {
        auto w = openWindow();
        w->Diario->Last();
        w->Diario->Edit();
        w->model->DiarioPeso->SetAsFloat(80.5);
        answerPeriod("", "", false);
        w->ButtonPanel2Buttons2Click();
        QCOMPARE(w->Diario->State(), DataSetState::Browse);
        QCOMPARE(scalar(file("schedario.mdb"), "SELECT Peso FROM Diario WHERE Data LIKE '2024-04-01%'"), QString("80.5"));
    }

    void templateThatCannotBeLoaded_data()
    {
        QTest::addColumn<QByteArray>("content");     // empty: no file at all
        QTest::addColumn<bool>("damaged");
        QTest::newRow("missing") << QByteArray() << false;
        // Version 27, no datasets, the header words, an empty printer list, then the undefined tag 5.
        QTest::newRow("damaged") << QByteArray("\x1b\0\0\0\0\xff\xff\0\0\0\0\0\0\0\0\x05", 16) << true;
    }
    void templateThatCannotBeLoaded()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, damaged);
        QFile::remove(file("diario.frf"));
        if (!content.isEmpty()) {
            QFile f(file("diario.frf"));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(content);
        }
        auto w = openWindow();
        answerPeriod("", "", true);
        w->ButtonPanel2Buttons2Click();
        if (damaged) {
            QCOMPARE(m_errors, QStringList());
            QCOMPARE(m_reportMessages,
                     QStringList{"Non è stato possibile terminare la fase di caricamento del report.\n\r"
                                 "Probabilmente il report è corrotto, o contiene componenti non inseriti "
                                 "all'interno del progetto."});
        } else {
            QCOMPARE(m_errors, QStringList{"Si è tentato di caricare da disco il report 'frm_main.frReport1'. \r\n"
                                           "Ma il file '" + file("diario.frf") + "' è inesistente"});
            QCOMPARE(m_reportMessages, QStringList());
        }
        // No report at all, not an empty page.
        QCOMPARE(m_recorder.builds, 0);
        QCOMPARE(m_recorder.previews, 0);
        QVERIFY(!w->PrintFilterActive());
    }

    void buildErrorShowsNoPreview()
    {
        auto w = openWindow();
        m_recorder.buildError = "Campo sconosciuto";
        answerPeriod("", "", true);
        w->ButtonPanel2Buttons2Click();
        QCOMPARE(m_recorder.builds, 1);
        QCOMPARE(m_recorder.previews, 0);
        QCOMPARE(m_reportMessages.size(), 1);
        QVERIFY2(m_reportMessages.first().startsWith("Si è verificato un errore durante la fase di preparazione\r"
                                                     "Campo sconosciuto"),
                 qPrintable(m_reportMessages.first()));
        QVERIFY(!frBuildErrorSet());
        QVERIFY(!w->PrintFilterActive());
    }

    void editLayout()
    {
        // Whatever an earlier test left registered, a window finding no designer registers the real one.
        frRegistry::setDesigner({});
        frDesignerSettings::setFileName(file("designer.ini"));
        auto w = openWindow();
        QString title;
        QStringList shown;
        frDesignerDialogs().showDesigner = [&](TFRDesignerForm &form) {
            title = form.windowTitle();
            for (TfrView *v : form.Report().Pages[0]->Objects) shown << v->Name;
        };
        w->BitBtn1Click();
        frResetDesignerDialogs();
        frDesignerSettings::setFileName(QString());
        QCOMPARE(m_errors, QStringList());
        QCOMPARE(title, QString("Modellatore - diario"));
        QVERIFY(shown.contains("SummaryDays"));
        QCOMPARE(w->frReport1->FileName, QString("diario.frf"));

        QStringList loaded;
        bool printFilter = true;
        frRegistry::setDesigner([&](TfrReport &report) {
            ++m_recorder.designs;
            printFilter = w->PrintFilterActive();
            for (TfrView *v : report.Pages[0]->Objects) loaded << v->Name;
        });
        w->cerca->setText("pressione");
        w->BitBtn1Click();
        QCOMPARE(m_recorder.designs, 1);
        QVERIFY(!printFilter);
        QVERIFY(loaded.contains("SummaryDays"));
        // The layout command leaves the search alone.
        QCOMPARE(w->cerca->text(), QString("pressione"));

        QFile::remove(file("diario.frf"));
        w->BitBtn1Click();
        QCOMPARE(m_recorder.designs, 1);
        QCOMPARE(m_errors.size(), 1);
        QVERIFY(m_errors.first().contains("è inesistente"));
        frRegistry::setDesigner({});
    }

    // The layout as the diary's user changes it: saved from the designer, used
    // by the next print, wherever the current directory points.
    void savedLayoutIsPrinted()
    {
        frRegistry::setDesigner({});
        frDesignerSettings::setFileName(file("designer.ini"));
        QTemporaryDir elsewhere;
        const QString previousDir = QDir::currentPath();
        QDir::setCurrent(elsewhere.path());
        auto w = openWindow();
        int movedTo = -1;
        bool saved = false;
        frDesignerDialogs().showDesigner = [&](TFRDesignerForm &form) {
            TfrView *v = form.Report().FindObject("SummaryDays");
            form.SelectOnly(v);
            form.MoveSelection(8, 0);
            form.SetFontStyle(2, true);
            movedTo = v->Left;
            saved = form.Save();
            form.close();
        };
        w->BitBtn1Click();
        frResetDesignerDialogs();
        frDesignerSettings::setFileName(QString());
        QDir::setCurrent(previousDir);
        QVERIFY(saved);
        QVERIFY(!QFile::exists(elsewhere.filePath("diario.frf")));

        int printedLeft = -1;
        quint16 printedStyle = 0;
        frRegistry::setPreview([&](TfrReport &report) {
            if (auto *m = dynamic_cast<TfrCustomMemoView *>(report.FindObject("SummaryDays"))) {
                printedLeft = m->Left;
                printedStyle = m->FontStyle;
            }
        });
        answerPeriod("01/03/2024", "31/03/2024", true);
        w->ButtonPanel2Buttons2Click();
        frRegistry::setPreview([](TfrReport &report) {
            ++g_recorder->previews;
            g_recorder->previewTitle = report.Title;
        });
        QCOMPARE(m_errors, QStringList());
        QCOMPARE(printedLeft, movedTo);
        QVERIFY(printedStyle & 2);
    }

    // The dialog as the user meets it, through the real modal loop.
    void periodDialog()
    {
        Tfrm_stampa dialog;
        QCOMPARE(dialog.windowTitle(), QString("Periodo"));
        QCOMPARE(dialog.size(), QSize(173, 105));
        QCOMPARE(dialog.BitBtn1->text(), QString("Annulla"));
        QCOMPARE(dialog.BitBtn2->text(), QString("Stampa"));
        QCOMPARE(dialog.BitBtn1->size(), QSize(75, 25));
        QVERIFY(dialog.BitBtn1->x() < dialog.BitBtn2->x());

        QList<QWidget *> order;
        QWidget *focusAtOpening = nullptr;
        QTimer::singleShot(0, &dialog, [&] {
            focusAtOpening = dialog.focusWidget();
            for (int i = 0; i < 4; ++i) {
                order << dialog.focusWidget();
                QTest::keyClick(dialog.focusWidget(), Qt::Key_Tab);
            }
            QTest::keyClick(dialog.focusWidget(), Qt::Key_Escape);
        });
        QCOMPARE(dialog.exec(), int(QDialog::Rejected));
        // The first date is typed at once; Tab goes round in the same order as ever.
        QCOMPARE(focusAtOpening, static_cast<QWidget *>(dialog.data1));
        QCOMPARE(order, (QList<QWidget *>{dialog.data1, dialog.data2, dialog.BitBtn1, dialog.BitBtn2}));

        // Enter right away, typing a date, or on "Stampa" prints; on "Annulla" it cancels.
        struct Case
        {
            const char *name;
            QString typed;
            int tabs;
            int result;
        };
        const Case cases[] = {{"enter at opening", "", 0, QDialog::Accepted},
                              {"enter after typing the first date", "01032024", 0, QDialog::Accepted},
                              {"enter in the second date", "", 1, QDialog::Accepted},
                              {"enter on Annulla", "", 2, QDialog::Rejected},
                              {"enter on Stampa", "", 3, QDialog::Accepted}};
        for (const Case &c : cases) {
            dialog.ClearDates();
            QTimer::singleShot(0, &dialog, [&] {
                if (!c.typed.isEmpty()) {
                    QTest::keyClick(dialog.focusWidget(), Qt::Key_Home);
                    QTest::keyClicks(dialog.focusWidget(), c.typed);
                }
                for (int i = 0; i < c.tabs; ++i) QTest::keyClick(dialog.focusWidget(), Qt::Key_Tab);
                QTest::keyClick(dialog.focusWidget(), Qt::Key_Return);
            });
            QVERIFY2(dialog.exec() == c.result, c.name);
        }
        QCOMPARE(dialog.From(), TDateTime(0));
        dialog.ClearDates();
        QTimer::singleShot(0, &dialog, [&] {
            QTest::keyClick(dialog.data1, Qt::Key_Home);
            QTest::keyClicks(dialog.data1, "01032024");
            QTest::keyClick(dialog.data1, Qt::Key_Return);
        });
        QCOMPARE(dialog.exec(), int(QDialog::Accepted));
        QCOMPARE(dialog.From(), fromQDate(QDate(2024, 3, 1)));
        QCOMPARE(dialog.To(), TDateTime(0));
        dialog.ClearDates();
        QCOMPARE(dialog.data1->text().trimmed().remove('/'), QString());
        QCOMPARE(dialog.From(), TDateTime(0));
    }

    // The command through the real dialog: Escape cancels it.
    void escapeInTheCommandDialog()
    {
        auto w = openWindow();
        Tfrm_main::periodDialogHook() = [](Tfrm_stampa *dialog) { return dialog->exec(); };
        QTimer::singleShot(0, w.get(), [] {
            if (QWidget *modal = QApplication::activeModalWidget()) QTest::keyClick(modal, Qt::Key_Escape);
        });
        w->ButtonPanel2Buttons2Click();
        QCOMPARE(m_recorder.builds, 0);
        QVERIFY(!w->PrintFilterActive());
    }
};

int main(int argc, char **argv)
{
    TApplication app(argc, argv);
    TestPeriodReport test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_periodreport.moc"
