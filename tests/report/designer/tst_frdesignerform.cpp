// The designer window driven as a user drives it: the mouse and keys on the
// design surface, the buttons and menus, files opened and saved in a
// temporary folder, and the closing question. Every modal window it would
// open (message boxes, file and colour choosers, the text editor, the band
// chooser) is answered through its dialog table, and its options go to an INI
// file in the test's folder.

#include "tests/app/accessibilitycheck.h"
#include "tests/report/designer/designertestkit.h"
#include "report/designer/frbandtypesform.h"
#include "report/designer/frdesignerdialogs.h"
#include "report/designer/frdesignerform.h"
#include "report/designer/frdesignersettings.h"
#include "report/designer/frdesignpage.h"
#include "report/designer/freditorform.h"
#include "report/frbandtypes.h"
#include "report/frbandview.h"
#include "report/frdataset.h"
#include "report/frdbdataset.h"
#include "report/frmemoview.h"
#include "report/frpage.h"
#include "report/frreport.h"
#include "report/frsubreportview.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <functional>

namespace {

enum { LineRight = 1, LineBottom = 2, LineLeft = 4, LineTop = 8, AllLines = 15 };

TfrMemoView *addMemo(TfrReport &report, const QString &name, QRect box, int page = 0)
{
    auto *m = static_cast<TfrMemoView *>(report.CreateObject(frKind::Memo));
    m->Name = name;
    m->Left = box.x();
    m->Top = box.y();
    m->Width = box.width();
    m->Height = box.height();
    m->FrameLines = AllLines;
    m->Memo = QStringList{name};
    report.Pages[page]->Add(m);
    return m;
}

TfrBandView *addBand(TfrReport &report, const QString &name, int type, int top, int page = 0)
{
    auto *b = static_cast<TfrBandView *>(report.CreateObject(frKind::Band));
    b->Name = name;
    b->FrameLines = quint16(type);
    b->Top = top;
    b->Width = 794;
    b->Height = 30;
    report.Pages[page]->Add(b);
    return b;
}

TfrSubReportView *addSubReport(TfrReport &report, const QString &name, int target, QRect box)
{
    auto *s = static_cast<TfrSubReportView *>(report.CreateObject(frKind::SubReport));
    s->Name = name;
    s->TargetPage = target;
    s->Left = box.x();
    s->Top = box.y();
    s->Width = box.width();
    s->Height = box.height();
    report.Pages[0]->Add(s);
    return s;
}

// Picks an entry of a combo box's list as the keyboard does: the popup opens,
// the entry is made current and Enter chooses it.
void choose(QComboBox *box, int index)
{
    box->showPopup();
    QAbstractItemView *view = box->view();
    view->setCurrentIndex(box->model()->index(index, 0));
    QTest::keyClick(view, Qt::Key_Return);
}

bool showForm(TFRDesignerForm &form)
{
    form.show();
    return QTest::qWaitForWindowExposed(&form);
}

struct Shown
{
    QString text, caption;
};

} // namespace

class TestDesignerForm : public QObject
{
    Q_OBJECT

    QTemporaryDir *m_dir = nullptr;
    QString m_startDir;
    QList<Shown> m_messages;
    QList<int> m_answers;                   // taken in order; mrOk when none is left
    std::function<int(QDialog &)> m_exec;
    QStringList m_dialogs;                  // class of every modal dialog run
    int m_color = 0;
    QList<int> m_colorsOffered;
    QString m_openPath, m_savePath;
    int m_saveAsked = 0;

    QString path(const QString &name) const { return m_dir->filePath(name); }

    QStringList texts() const
    {
        QStringList out;
        for (const Shown &s : m_messages) out << s.text;
        return out;
    }

    // A one-page template with a text object "Pressione" at (100, 100), 120 x 20.
    void writeTemplate(const QString &file, const QString &name = QStringLiteral("Pressione"), int pages = 1)
    {
        TfrReport source;
        addMemo(source, name, {100, 100, 120, 20});
        for (int i = 1; i < pages; ++i) source.Pages.Add();
        source.SaveTemplate(file);
    }

private slots:
    void init()
    {
        m_dir = new QTemporaryDir;
        QVERIFY(m_dir->isValid());
        m_startDir = QDir::currentPath();
        frDesignerSettings::setFileName(path("designer.ini"));
        m_messages.clear();
        m_answers.clear();
        m_dialogs.clear();
        m_exec = [](QDialog &) { return int(QDialog::Rejected); };
        m_color = 0;
        m_colorsOffered.clear();
        m_openPath.clear();
        m_savePath.clear();
        m_saveAsked = 0;
        TfrDesignerDialogs &d = frDesignerDialogs();
        d.message = [this](QWidget *, const QString &text, const QString &caption, TMsgDlgType, TMsgDlgButtons, int) {
            m_messages.append({text, caption});
            return m_answers.isEmpty() ? int(mrOk) : m_answers.takeFirst();
        };
        d.exec = [this](QDialog &dialog) {
            m_dialogs << QString::fromLatin1(dialog.metaObject()->className());
            return m_exec(dialog);
        };
        d.chooseColor = [this](QWidget *, int &color) {
            m_colorsOffered << color;
            color = m_color;
            return true;
        };
        d.openFile = [this](QWidget *, const QString &, const QString &) { return m_openPath; };
        d.saveFile = [this](QWidget *, const QString &, const QString &, int &choice) {
            ++m_saveAsked;
            choice = 1;
            return m_savePath;
        };
    }

    void cleanup()
    {
        frResetDesignerDialogs();
        frDesignerSettings::setFileName(QString());
        QDir::setCurrent(m_startDir);
        if (QTest::currentTestFailed()) m_dir->setAutoRemove(false);
        delete m_dir;
        m_dir = nullptr;
    }

    // ------------------------------------------------------------ inserting

    void insertText_data()
    {
        QTest::addColumn<QPoint>("from");
        QTest::addColumn<QPoint>("to");
        QTest::addColumn<QRect>("box");
        QTest::newRow("a click gives the default size") << QPoint(50, 50) << QPoint(50, 50) << QRect(48, 48, 120, 16);
        QTest::newRow("a drag snaps both corners") << QPoint(50, 50) << QPoint(171, 90) << QRect(48, 48, 120, 40);
        QTest::newRow("dragged up and left") << QPoint(171, 90) << QPoint(50, 50) << QRect(48, 48, 120, 40);
    }
    // As a screen reader reads it: every focusable control named, once.
    void readByAScreenReader()
    {
        TfrReport report;
        TFRDesignerForm form(report);
        QVERIFY(showForm(form));
        const QStringList problems = a11y::problems(&form);
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n') + "\n" + a11y::tree(&form)));
    }

    void insertText()
    {
        QFETCH(QPoint, from);
        QFETCH(QPoint, to);
        QFETCH(QRect, box);
        {
            QSettings ini(path("designer.ini"), QSettings::IniFormat);
            ini.setValue("Options/GridSize", 8);
            ini.setValue("Options/GridAlign", true);
        }
        TfrReport report;
        TFRDesignerForm form(report);
        QVERIFY(showForm(form));
        QCOMPARE(form.GridSize, 8);
        QVERIFY(form.GridAlign);
        QVERIFY(!form.Action("Annulla")->isEnabled());
        form.DefaultFontName = QStringLiteral("Liberation Mono");
        form.DefaultFontSize = 12;

        form.SetTool(TFRDesignerForm::ToolMemo);
        QVERIFY(form.ToolActions[TFRDesignerForm::ToolMemo]->isChecked());
        QCOMPARE(form.ToolActions[TFRDesignerForm::ToolMemo]->text(), QStringLiteral("Inserisci rettangolo"));
        QTest::mousePress(form.PageView, Qt::LeftButton, {}, from);
        if (to != from) QTest::mouseMove(form.PageView, to);
        QTest::mouseRelease(form.PageView, Qt::LeftButton, {}, to);

        QCOMPARE(report.Pages[0]->Objects.size(), 1);
        auto *memo = dynamic_cast<TfrMemoView *>(report.Pages[0]->Objects.first());
        QVERIFY(memo);
        QCOMPARE(boxOf(memo), box);
        QCOMPARE(int(memo->FrameLines), int(AllLines));
        QCOMPARE(memo->FrameWidth, 1);
        QCOMPARE(memo->FontName, QStringLiteral("Liberation Mono"));
        QCOMPARE(memo->FontSize, 12);
        QCOMPARE(form.SelectedObject(), static_cast<TfrView *>(memo));
        QCOMPARE(form.CurrentTool(), int(TFRDesignerForm::ToolSelect));
        QVERIFY(form.ToolActions[TFRDesignerForm::ToolSelect]->isChecked());
        QVERIFY(form.Action("Annulla")->isEnabled());
        QVERIFY(form.Action("Salva report")->isEnabled());
        QCOMPARE(form.History().count(), 2);
    }

    // ------------------------------------------------------------ undo

    void moveThenUndo()
    {
        TfrReport report;
        addMemo(report, "Pressione", {100, 100, 80, 20});
        TFRDesignerForm form(report);
        QVERIFY(showForm(form));
        form.GridSize = 4;
        form.GridAlign = true;
        QAction *undo = form.Action("Annulla"), *redo = form.Action("Ripristina"), *save = form.Action("Salva report");
        QVERIFY(!undo->isEnabled());
        QVERIFY(!redo->isEnabled());
        QVERIFY(!save->isEnabled());

        // Selecting with a click changes nothing.
        QTest::mouseClick(form.PageView, Qt::LeftButton, {}, {140, 110});
        QCOMPARE(form.SelectedObject(), report.FindObject("Pressione"));
        QCOMPARE(form.History().count(), 1);
        QVERIFY(!undo->isEnabled());

        // Moved by whole grid steps: 2 pixels is none yet, 17 is 16.
        QTest::mousePress(form.PageView, Qt::LeftButton, {}, {140, 110});
        QTest::mouseMove(form.PageView, {142, 112});
        QCOMPARE(boxOf(report.FindObject("Pressione")), QRect(100, 100, 80, 20));
        QTest::mouseMove(form.PageView, {157, 127});
        QTest::mouseRelease(form.PageView, Qt::LeftButton, {}, {157, 127});
        QCOMPARE(boxOf(report.FindObject("Pressione")), QRect(116, 116, 80, 20));
        QCOMPARE(form.History().count(), 2);
        QVERIFY(undo->isEnabled());
        QVERIFY(save->isEnabled());

        undo->trigger();
        QCOMPARE(boxOf(report.FindObject("Pressione")), QRect(100, 100, 80, 20));
        QVERIFY(!undo->isEnabled());
        QVERIFY(!save->isEnabled());
        QVERIFY(redo->isEnabled());
        QVERIFY(!form.HasChanges());

        redo->trigger();
        QCOMPARE(boxOf(report.FindObject("Pressione")), QRect(116, 116, 80, 20));
        QVERIFY(undo->isEnabled());
        QVERIFY(save->isEnabled());
        QVERIFY(!redo->isEnabled());
    }

    // ------------------------------------------------------------ pages

    void onlyPageStays()
    {
        TfrReport report;
        addMemo(report, "Pressione", {100, 100, 80, 20});
        TFRDesignerForm form(report);
        QVERIFY(!form.Action("Rimuovi pagina")->isEnabled());
        form.RemovePage();
        QCOMPARE(report.Pages.Count(), 1);
        QCOMPARE(names(report), QStringList{"Pressione"});
        QCOMPARE(m_messages.size(), 0);
        QCOMPARE(form.History().count(), 1);
        form.AddPage();
        QVERIFY(form.Action("Rimuovi pagina")->isEnabled());
    }

    void removeMiddlePage_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("yes") << int(mrYes);
        QTest::newRow("no") << int(mrNo);
    }
    void removeMiddlePage()
    {
        QFETCH(int, answer);
        TfrReport report;
        report.Pages.Add();
        report.Pages.Add();
        addSubReport(report, "ToThird", 2, {100, 100, 100, 40});
        addSubReport(report, "ToSecond", 1, {100, 200, 100, 40});
        TFRDesignerForm form(report);
        QCOMPARE(form.PageTabs->count(), 3);
        form.SetCurPage(1);
        m_answers = {answer};
        form.Action("Rimuovi pagina")->trigger();
        QCOMPARE(texts(), QStringList{"Rimuovere questa pagina?"});

        if (answer == mrNo) {
            QCOMPARE(report.Pages.Count(), 3);
            QCOMPARE(form.PageTabs->count(), 3);
            QCOMPARE(static_cast<TfrSubReportView *>(report.FindObject("ToThird"))->TargetPage, 2);
            QVERIFY(report.FindObject("ToSecond"));
            QCOMPARE(form.History().count(), 1);
            return;
        }
        QCOMPARE(report.Pages.Count(), 2);
        QCOMPARE(form.PageTabs->count(), 2);
        QCOMPARE(form.PageTabs->tabText(0), QStringLiteral("Pagina 1"));
        QCOMPARE(form.PageTabs->tabText(1), QStringLiteral("Pagina 2"));
        QCOMPARE(form.CurPage(), 0);
        auto *third = dynamic_cast<TfrSubReportView *>(report.FindObject("ToThird"));
        QVERIFY(third);
        QCOMPARE(third->TargetPage, 1);
        QVERIFY(!report.FindObject("ToSecond"));

        // Undo brings the page and its subreport back.
        form.Undo();
        QCOMPARE(report.Pages.Count(), 3);
        QCOMPARE(form.PageTabs->count(), 3);
        QCOMPARE(form.PageTabs->tabText(2), QStringLiteral("Pagina 3"));
        QCOMPARE(static_cast<TfrSubReportView *>(report.FindObject("ToSecond"))->TargetPage, 1);
        QCOMPARE(static_cast<TfrSubReportView *>(report.FindObject("ToThird"))->TargetPage, 2);
    }

    // ------------------------------------------------------------ bands

    void bandChooserOffers()
    {
        TfrReport report;
        addBand(report, "Intestazione", frBand::PageHeader, 20);
        addBand(report, "Dati", frBand::MasterData, 100);
        TBandTypesForm chooser(report.Pages[0]);
        QCOMPARE(chooser.Types.size(), 21);
        QCOMPARE(chooser.Types[frBand::PageHeader]->text(), QStringLiteral("Instestazione pagina"));
        QVERIFY(!chooser.Types[frBand::PageHeader]->isEnabled());
        // Data and group bands repeat, a master data band too.
        for (int type : {5, 8, 11, 16, 17}) QVERIFY2(chooser.Types[type]->isEnabled(), qPrintable(QString::number(type)));
        QVERIFY(chooser.Types[frBand::ReportTitle]->isEnabled());
        QCOMPARE(chooser.SelectedType(), int(frBand::ReportTitle));

        // An empty page offers everything.
        TfrReport empty;
        TBandTypesForm all(empty.Pages[0]);
        for (QRadioButton *b : all.Types) QVERIFY2(b->isEnabled(), qPrintable(b->text()));
    }

    void insertBand_data()
    {
        QTest::addColumn<int>("pick");
        QTest::addColumn<bool>("accept");
        QTest::addColumn<int>("inserted");     // -1: nothing
        QTest::newRow("another master data") << 5 << true << 5;
        QTest::newRow("group header") << 16 << true << 16;
        QTest::newRow("chooser cancelled") << 5 << false << -1;
        QTest::newRow("page header already there") << 2 << true << -1;
        QTest::newRow("cross data runs down the page") << 19 << true << 19;
    }
    void insertBand()
    {
        QFETCH(int, pick);
        QFETCH(bool, accept);
        QFETCH(int, inserted);
        TfrReport report;
        addBand(report, "Intestazione", frBand::PageHeader, 20);
        addBand(report, "Dati", frBand::MasterData, 100);
        TFRDesignerForm form(report);
        QVERIFY(showForm(form));
        form.GridSize = 4;
        form.GridAlign = true;
        m_exec = [&](QDialog &dialog) {
            auto *chooser = qobject_cast<TBandTypesForm *>(&dialog);
            if (!chooser) return int(QDialog::Rejected);
            chooser->Types[pick]->setChecked(true);
            return accept ? int(QDialog::Accepted) : int(QDialog::Rejected);
        };
        form.SetTool(TFRDesignerForm::ToolBand);
        QTest::mouseClick(form.PageView, Qt::LeftButton, {}, {50, 201});
        QCOMPARE(m_dialogs, QStringList{"TBandTypesForm"});
        QCOMPARE(form.CurrentTool(), int(TFRDesignerForm::ToolSelect));

        const QList<TfrView *> objects = report.Pages[0]->Objects;
        if (inserted < 0) {
            QCOMPARE(objects.size(), 2);
            QCOMPARE(form.History().count(), 1);
            return;
        }
        QCOMPARE(objects.size(), 3);
        auto *band = dynamic_cast<TfrBandView *>(objects.last());
        QVERIFY(band);
        QCOMPARE(band->BandType(), inserted);
        const QSize paper = form.PageView->paperSize();
        if (inserted == frBand::CrossData)
            QCOMPARE(boxOf(band), QRect(48, 0, 120, paper.height()));
        else
            QCOMPARE(boxOf(band), QRect(0, 200, paper.width(), 48));
        QCOMPARE(form.SelectedObject(), static_cast<TfrView *>(band));
        QCOMPARE(form.History().count(), 2);
    }

    // ------------------------------------------------------------ files

    void editSaveReopen()
    {
        writeTemplate(path("diario.frf"));
        TfrReport report;
        QVERIFY(bool(report.LoadTemplate(path("diario.frf"))));
        TFRDesignerForm form(report);
        QVERIFY(showForm(form));
        QCOMPARE(form.windowTitle(), QStringLiteral("Modellatore - diario"));
        form.SelectOnly(report.FindObject("Pressione"));

        form.MoveSelection(8, 4);
        form.SetFontStyle(2, true);
        m_color = 0x0000FF;
        form.ChooseFontColor();
        QCOMPARE(m_colorsOffered, QList<int>{0});     // starting from the text's colour
        m_exec = [](QDialog &dialog) {
            auto *editor = qobject_cast<TEditorForm *>(&dialog);
            if (!editor) return int(QDialog::Rejected);
            editor->M1->setPlainText(QStringLiteral("Sistolica [Max]\nDiastolica [Min]"));
            return int(QDialog::Accepted);
        };
        form.EditSelected();
        QCOMPARE(m_dialogs, QStringList{"TEditorForm"});
        form.SetFrameLine(LineTop, false);
        form.AddPage();
        QCOMPARE(form.History().count(), 7);

        QVERIFY(form.Save());
        QCOMPARE(m_saveAsked, 0);
        QVERIFY(!form.HasChanges());
        QVERIFY(!form.Action("Salva report")->isEnabled());
        QCOMPARE(m_messages.size(), 0);

        TfrReport reread;
        QVERIFY(bool(reread.LoadTemplate(path("diario.frf"))));
        QCOMPARE(reread.Pages.Count(), 2);
        auto *memo = dynamic_cast<TfrMemoView *>(reread.FindObject("Pressione"));
        QVERIFY(memo);
        QCOMPARE(boxOf(memo), QRect(108, 104, 120, 20));
        QCOMPARE(int(memo->FontStyle), 2);
        QCOMPARE(memo->FontColor, 0x0000FF);
        QCOMPARE(memo->Memo, QStringList({"Sistolica [Max]", "Diastolica [Min]"}));
        QCOMPARE(int(memo->FrameLines), LineRight | LineBottom | LineLeft);
    }

    void saveWritesWhereLoaded()
    {
        writeTemplate(path("diario.frf"));
        const QByteArray before = readFile(path("diario.frf"));
        QTemporaryDir elsewhere;
        QVERIFY(elsewhere.isValid());
        // Loaded by its bare name, as the program does from its folder.
        QVERIFY(QDir::setCurrent(m_dir->path()));
        TfrReport report;
        QVERIFY(bool(report.LoadTemplate("diario.frf")));
        TFRDesignerForm form(report);
        QVERIFY(QDir::setCurrent(elsewhere.path()));
        form.SelectOnly(report.FindObject("Pressione"));
        form.MoveSelection(4, 0);
        form.Action("Salva")->trigger();
        QVERIFY(QDir::setCurrent(m_startDir));

        QCOMPARE(QDir(elsewhere.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
        QVERIFY(readFile(path("diario.frf")) != before);
        TfrReport reread;
        QVERIFY(bool(reread.LoadTemplate(path("diario.frf"))));
        QCOMPARE(reread.FindObject("Pressione")->Left, 104);
        QCOMPARE(m_saveAsked, 0);
        QCOMPARE(m_messages.size(), 0);
        QVERIFY(!form.HasChanges());
    }

    void openRestartsHistory()
    {
        writeTemplate(path("primo.frf"), "Primo");
        writeTemplate(path("secondo.frf"), "Secondo");
        const QByteArray first = readFile(path("primo.frf"));
        TfrReport report;
        QVERIFY(bool(report.LoadTemplate(path("primo.frf"))));
        TFRDesignerForm form(report);
        form.SelectOnly(report.FindObject("Primo"));
        form.MoveSelection(8, 0);
        QVERIFY(form.Action("Annulla")->isEnabled());

        m_answers = {mrNo};
        m_openPath = path("secondo.frf");
        form.Action("Apri report")->trigger();
        QCOMPARE(texts(), QStringList{"Si desidera salvare i cambiamenti a primo.frf ?"});
        QCOMPARE(names(report), QStringList{"Secondo"});
        QCOMPARE(form.windowTitle(), QStringLiteral("Modellatore - secondo"));
        QCOMPARE(report.FilePath(), path("secondo.frf"));
        QCOMPARE(form.History().count(), 1);
        QVERIFY(!form.Action("Annulla")->isEnabled());
        QVERIFY(!form.Action("Salva report")->isEnabled());
        form.Undo();
        QCOMPARE(names(report), QStringList{"Secondo"});
        QCOMPARE(form.RecentFiles.value(0), path("secondo.frf"));

        // "No" wrote nothing, and saving now writes the file that is open.
        QCOMPARE(readFile(path("primo.frf")), first);
        form.SelectOnly(report.FindObject("Secondo"));
        form.MoveSelection(0, 8);
        QVERIFY(form.Save());
        QCOMPARE(readFile(path("primo.frf")), first);
        TfrReport reread;
        QVERIFY(bool(reread.LoadTemplate(path("secondo.frf"))));
        QCOMPARE(reread.FindObject("Secondo")->Top, 108);
    }

    void newReportAsksFirst()
    {
        writeTemplate(path("diario.frf"));
        TfrReport report;
        QVERIFY(bool(report.LoadTemplate(path("diario.frf"))));
        report.Pages.Add();
        TFRDesignerForm form(report);
        form.SelectOnly(report.FindObject("Pressione"));
        form.MoveSelection(8, 0);

        m_answers = {mrCancel};
        form.Action("Nuovo report")->trigger();
        QCOMPARE(texts(), QStringList{"Si desidera salvare i cambiamenti a diario.frf ?"});
        QCOMPARE(m_messages.first().caption, QStringLiteral("Attenzione"));
        QCOMPARE(names(report), QStringList{"Pressione"});
        QCOMPARE(report.Pages.Count(), 2);
        QCOMPARE(report.FileName, QStringLiteral("diario.frf"));
        QVERIFY(form.Action("Annulla")->isEnabled());

        m_answers = {mrNo};
        form.NewReport();
        QCOMPARE(m_messages.size(), 2);
        QCOMPARE(report.Pages.Count(), 1);
        QCOMPARE(names(report), QStringList());
        QCOMPARE(report.FileName, QString());
        QCOMPARE(form.PageTabs->count(), 1);
        QCOMPARE(form.windowTitle(), QStringLiteral("Modellatore"));
        QVERIFY(!form.Action("Annulla")->isEnabled());
        QVERIFY(!form.Action("Salva report")->isEnabled());
        // "No" saved nothing.
        TfrReport reread;
        QVERIFY(bool(reread.LoadTemplate(path("diario.frf"))));
        QCOMPARE(reread.FindObject("Pressione")->Left, 100);

        // Nothing changed since: no question.
        form.NewReport();
        QCOMPARE(m_messages.size(), 2);
    }

    void damagedFileChangesNothing_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("garbage") << QByteArray("\x1b\xff\xff\xff\x7fgarbage\x00\x01", 14);
        TfrReport real;
        addMemo(real, "Altro", {10, 10, 300, 40});
        addBand(real, "Dati", frBand::MasterData, 100);
        const QByteArray data = real.SaveTemplateData();
        QTest::newRow("real template cut in half") << data.left(data.size() / 2);
    }
    void damagedFileChangesNothing()
    {
        QFETCH(QByteArray, content);
        QVERIFY(writeFile(path("rotto.frf"), content));
        writeTemplate(path("diario.frf"), "Pressione", 2);
        TfrReport report;
        QVERIFY(bool(report.LoadTemplate(path("diario.frf"))));
        TFRDesignerForm form(report);
        form.SelectOnly(report.FindObject("Pressione"));
        form.MoveSelection(8, 0);
        form.MoveSelection(8, 0);
        form.Undo();
        form.SetCurPage(1);
        const QByteArray before = report.SaveTemplateData();
        const QString title = form.windowTitle();

        QVERIFY(!form.OpenFile(path("rotto.frf")));
        QVERIFY(!m_messages.isEmpty());
        QCOMPARE(m_messages.last().caption, QStringLiteral("Errore"));
        QVERIFY2(m_messages.last().text.startsWith("Non è stato possibile terminare la fase di caricamento del report."),
                 qPrintable(m_messages.last().text));
        QCOMPARE(report.SaveTemplateData(), before);
        QCOMPARE(boxOf(report.FindObject("Pressione")), QRect(108, 100, 120, 20));
        QCOMPARE(form.History().count(), 3);
        QCOMPARE(form.History().index(), 1);
        QVERIFY(form.Action("Ripristina")->isEnabled());
        QCOMPARE(form.windowTitle(), title);
        QCOMPARE(report.FileName, QStringLiteral("diario.frf"));
        QCOMPARE(report.FilePath(), path("diario.frf"));
        QCOMPARE(form.CurPage(), 1);
        QCOMPARE(form.PageTabs->count(), 2);
        QVERIFY(!form.RecentFiles.contains(path("rotto.frf")));

        // Saving still writes the file that was open, with the change.
        QVERIFY(form.Save());
        QCOMPARE(readFile(path("rotto.frf")), content);
        TfrReport reread;
        QVERIFY(bool(reread.LoadTemplate(path("diario.frf"))));
        QCOMPARE(reread.FindObject("Pressione")->Left, 108);
    }

    void saveFailureKeepsTheChanges()
    {
        TfrReport report;
        addMemo(report, "Pressione", {100, 100, 80, 20});
        TFRDesignerForm form(report);
        form.SelectOnly(report.FindObject("Pressione"));
        form.MoveSelection(8, 0);
        m_savePath = path("mancante/nuovo");
        QVERIFY(!form.Save());
        QCOMPARE(m_saveAsked, 1);
        QCOMPARE(m_messages.size(), 1);
        QCOMPARE(m_messages.first().text, QStringLiteral("Si è verificato un errore durante la fase di salvataggio del report"));
        QCOMPARE(m_messages.first().caption, QStringLiteral("Errore"));
        QVERIFY(form.HasChanges());
        QVERIFY(form.Action("Salva report")->isEnabled());
        QCOMPARE(report.FileName, QString());
        QCOMPARE(form.windowTitle(), QStringLiteral("Modellatore"));
        QVERIFY(form.RecentFiles.isEmpty());
    }

    void missingFile()
    {
        TfrReport report;
        addMemo(report, "Pressione", {100, 100, 80, 20});
        TFRDesignerForm form(report);
        m_openPath = path("x.frf");
        form.OpenReport();
        QCOMPARE(m_messages.size(), 1);
        QCOMPARE(m_messages.first().text,
                 QStringLiteral("Si è tentato di caricare da disco il report 'x.frf'. \r\nMa il file '%1' è inesistente")
                     .arg(path("x.frf")));
        QCOMPARE(m_messages.first().caption, QStringLiteral("Attenzione"));
        QCOMPARE(names(report), QStringList{"Pressione"});
        QCOMPARE(form.History().count(), 1);
        QCOMPARE(form.windowTitle(), QStringLiteral("Modellatore"));
    }

    // ------------------------------------------------------------ paste

    void deleteDataBandThenUndo()
    {
        TfrReport report;
        report.setObjectName("frReport1");
        auto *ds = new TfrDataset;
        ds->setObjectName("Giorni");
        ds->RangeEndCount = 3;
        ds->RangeEnd = reCount;
        report.AddDataset(ds, true);
        addBand(report, "Dati", frBand::MasterData, 100)->FormatText = "Giorni";
        TFRDesignerForm form(report);
        form.SelectOnly(report.FindObject("Dati"));
        form.Action("Taglia")->trigger();
        QVERIFY(!report.FindObject("Dati"));
        QVERIFY(!report.FindDatasetInTable("Giorni"));

        // The band comes back with its dataset.
        form.Undo();
        QVERIFY(report.FindObject("Dati"));
        TfrDataset *back = report.FindDatasetInTable("Giorni");
        QVERIFY(back);
        QCOMPARE(back->RangeEnd, reCount);
        QCOMPARE(back->RangeEndCount, 3);

        // And what was cut pastes with a dataset of its own.
        form.Paste();
        QCOMPARE(report.DatasetCount(), 2);
        QCOMPARE(form.SelectedObject()->FormatText, QStringLiteral("frReport1_Band1_DataSet"));
    }

    void pasteAtTheVisibleCorner()
    {
        TfrReport report;
        addMemo(report, "Data", {100, 100, 60, 20});
        addMemo(report, "Valore", {180, 130, 40, 20});
        TFRDesignerForm form(report);
        QVERIFY(showForm(form));
        form.SelectAll();
        form.Action("Copia")->trigger();
        QVERIFY(form.Action("Incolla")->isEnabled());

        QCOMPARE(form.PastePosition(), QPoint(0, 0));
        form.Action("Incolla")->trigger();
        QList<TfrView *> pasted = form.Selection();
        QCOMPARE(pasted.size(), 2);
        QCOMPARE(boxOf(pasted[0]), QRect(0, 0, 60, 20));
        QCOMPARE(boxOf(pasted[1]), QRect(80, 30, 40, 20));
        QCOMPARE(pasted[0]->Memo, QStringList{"Data"});
        QCOMPARE(form.History().count(), 2);

        QScrollBar *bar = form.ScrollBox->verticalScrollBar();
        QVERIFY2(bar->maximum() >= 203, qPrintable(QString::number(bar->maximum())));
        bar->setValue(203);
        QCOMPARE(form.PastePosition(), QPoint(0, 200));
        form.Paste();
        pasted = form.Selection();
        QCOMPARE(pasted.size(), 2);
        QCOMPARE(boxOf(pasted[0]), QRect(0, 200, 60, 20));
        QCOMPARE(boxOf(pasted[1]), QRect(80, 230, 40, 20));

        QStringList all = names(report);
        QCOMPARE(all.size(), 6);
        all.removeDuplicates();
        QCOMPARE(all.size(), 6);
        QCOMPARE(boxOf(report.FindObject("Data")), QRect(100, 100, 60, 20));
    }

    void pasteDataBandCopiesItsDataset_data()
    {
        QTest::addColumn<bool>("database");
        QTest::newRow("report dataset") << false;
        QTest::newRow("database dataset with a filter") << true;
    }
    void pasteDataBandCopiesItsDataset()
    {
        QFETCH(bool, database);
        TfrReport report;
        report.setObjectName("frReport1");
        TfrDataset *ds = nullptr;
        if (database) {
            auto *db = new TfrDBDataSet;
            db->Filter = QStringLiteral("Peso > 70");
            db->Filtered = true;
            ds = db;
        } else {
            ds = new TfrDataset;
        }
        ds->setObjectName("Giorni");
        ds->RangeEnd = reCount;
        ds->RangeEndCount = 7;
        report.AddDataset(ds, true);
        TfrBandView *band = addBand(report, "Dati", frBand::MasterData, 100);
        band->FormatText = "Giorni";
        TFRDesignerForm form(report);
        form.SelectOnly(band);
        form.Copy();
        form.Paste();

        auto *copy = dynamic_cast<TfrBandView *>(form.SelectedObject());
        QVERIFY(copy);
        QVERIFY(copy != band);
        QCOMPARE(copy->Name, QStringLiteral("Band1"));
        QCOMPARE(copy->FormatText, QStringLiteral("frReport1_Band1_DataSet"));
        TfrDataset *copied = report.FindDatasetInTable(copy->FormatText);
        QVERIFY(copied);
        QVERIFY(copied != ds);
        QCOMPARE(copied->RangeEnd, reCount);
        QCOMPARE(copied->RangeEndCount, 7);
        auto *copiedDb = qobject_cast<TfrDBDataSet *>(copied);
        QCOMPARE(copiedDb != nullptr, database);
        if (database) {
            QCOMPARE(copiedDb->Filter, QStringLiteral("Peso > 70"));
            QVERIFY(copiedDb->Filtered);
        }
        // The original keeps its own.
        QCOMPARE(band->FormatText, QStringLiteral("Giorni"));
        QCOMPARE(report.FindDatasetInTable("Giorni"), ds);
        QCOMPARE(report.DatasetCount(), 2);
    }

    void pastePageHeaderOnlyWhereNone()
    {
        TfrReport report;
        addBand(report, "Intestazione", frBand::PageHeader, 20);
        addMemo(report, "Titolo", {100, 30, 200, 20});
        TFRDesignerForm form(report);
        QVERIFY(showForm(form));

        // The header alone: nothing to paste on this page, and no step recorded.
        form.SelectOnly(report.FindObject("Intestazione"));
        form.Copy();
        form.Paste();
        QCOMPARE(report.Pages[0]->Objects.size(), 2);
        QCOMPARE(form.History().count(), 1);

        form.SelectAll();
        form.Copy();
        form.Paste();
        QCOMPARE(report.Pages[0]->Objects.size(), 3);
        const QList<TfrView *> pasted = form.Selection();
        QCOMPARE(pasted.size(), 1);
        QVERIFY(dynamic_cast<TfrMemoView *>(pasted.first()));
        // Placed as in the group, the header's place left empty.
        QCOMPARE(boxOf(pasted.first()), QRect(100, 10, 200, 20));

        form.AddPage();
        form.Paste();
        QCOMPARE(report.Pages[1]->Objects.size(), 2);
        auto *header = dynamic_cast<TfrBandView *>(report.Pages[1]->Objects.first());
        QVERIFY(header);
        QCOMPARE(header->BandType(), int(frBand::PageHeader));
    }

    // ------------------------------------------------------------ resizing

    void groupResizeKeepsSharedEdges()
    {
        TfrReport report;
        addMemo(report, "A", {100, 100, 33, 20});
        addMemo(report, "B", {133, 100, 34, 20});
        addMemo(report, "C", {167, 100, 33, 20});
        TFRDesignerForm form(report);
        QVERIFY(showForm(form));
        form.GridAlign = false;
        QTest::mouseClick(form.PageView, Qt::LeftButton, {}, {116, 110});
        QTest::mouseClick(form.PageView, Qt::LeftButton, Qt::ShiftModifier, {150, 110});
        QTest::mouseClick(form.PageView, Qt::LeftButton, Qt::ShiftModifier, {183, 110});
        QCOMPARE(form.SelNum(), 3);

        // The group's handle is the bottom-right corner of all three: 100 wide to 71.
        QTest::mousePress(form.PageView, Qt::LeftButton, {}, {200, 120});
        QTest::mouseMove(form.PageView, {185, 120});
        QTest::mouseMove(form.PageView, {171, 120});
        QTest::mouseRelease(form.PageView, Qt::LeftButton, {}, {171, 120});
        const TfrView *a = report.FindObject("A"), *b = report.FindObject("B"), *c = report.FindObject("C");
        QCOMPARE(a->Left, 100);
        QCOMPARE(a->Left + a->Width, b->Left);
        QCOMPARE(b->Left + b->Width, c->Left);
        QCOMPARE(c->Left + c->Width, 171);
        QCOMPARE(a->Height, 20);
        QCOMPARE(form.SelNum(), 3);
        QCOMPARE(form.History().count(), 2);
    }

    void sharedEdgeSplit()
    {
        TfrReport report;
        addMemo(report, "Sinistra", {100, 100, 40, 20});
        addMemo(report, "Destra", {140, 100, 40, 20});
        TFRDesignerForm form(report);
        QVERIFY(showForm(form));
        form.GridAlign = false;
        // A frame dragged over both from an empty spot selects them.
        QTest::mousePress(form.PageView, Qt::LeftButton, {}, {90, 90});
        QTest::mouseMove(form.PageView, {150, 125});
        QTest::mouseRelease(form.PageView, Qt::LeftButton, {}, {150, 125});
        QCOMPARE(form.SelNum(), 2);
        QTest::mousePress(form.PageView, Qt::LeftButton, {}, {140, 110});
        QTest::mouseMove(form.PageView, {152, 111});
        QTest::mouseRelease(form.PageView, Qt::LeftButton, {}, {152, 111});
        QCOMPARE(boxOf(report.FindObject("Sinistra")), QRect(100, 100, 52, 20));
        QCOMPARE(boxOf(report.FindObject("Destra")), QRect(152, 100, 28, 20));
        QCOMPARE(form.History().count(), 2);

        // Never past either object's other edge.
        QTest::mousePress(form.PageView, Qt::LeftButton, {}, {152, 110});
        QTest::mouseMove(form.PageView, {190, 110});
        QTest::mouseRelease(form.PageView, Qt::LeftButton, {}, {190, 110});
        QVERIFY(report.FindObject("Destra")->Width > 0);
        QCOMPARE(report.FindObject("Sinistra")->Left + report.FindObject("Sinistra")->Width,
                 report.FindObject("Destra")->Left);
        QCOMPARE(report.FindObject("Destra")->Left + report.FindObject("Destra")->Width, 180);
    }

    // ------------------------------------------------------------ closing

    void closing_data()
    {
        QTest::addColumn<bool>("withFile");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("saveAs");     // the save dialog's answer
        QTest::addColumn<bool>("closes");
        QTest::addColumn<int>("leftAfter");
        QTest::addColumn<int>("pagesAfter");
        QTest::newRow("Annulla keeps it open") << true << int(mrCancel) << QString() << false << 108 << 2;
        QTest::newRow("No puts the report back") << true << int(mrNo) << QString() << true << 100 << 1;
        QTest::newRow("Yes saves to the file") << true << int(mrYes) << QString() << true << 108 << 2;
        QTest::newRow("Yes without a name, save cancelled") << false << int(mrYes) << QString() << false << 108 << 2;
        QTest::newRow("Yes without a name, saved as") << false << int(mrYes) << QString("nuovo") << true << 108 << 2;
        QTest::newRow("No without a name") << false << int(mrNo) << QString() << true << 100 << 1;
    }
    void closing()
    {
        QFETCH(bool, withFile);
        QFETCH(int, answer);
        QFETCH(QString, saveAs);
        QFETCH(bool, closes);
        QFETCH(int, leftAfter);
        QFETCH(int, pagesAfter);
        TfrReport report;
        if (withFile) {
            writeTemplate(path("diario.frf"));
            QVERIFY(bool(report.LoadTemplate(path("diario.frf"))));
        } else {
            addMemo(report, "Pressione", {100, 100, 120, 20});
        }
        TFRDesignerForm form(report);
        QVERIFY(showForm(form));
        form.SelectOnly(report.FindObject("Pressione"));
        form.MoveSelection(8, 0);
        form.AddPage();
        if (!saveAs.isEmpty()) m_savePath = path(saveAs);
        m_answers = {answer};

        QCOMPARE(form.close(), closes);
        QCOMPARE(form.isVisible(), !closes);
        QCOMPARE(texts(), QStringList{withFile ? "Si desidera salvare i cambiamenti a diario.frf ?"
                                               : "Si desidera salvare i cambiamenti al report corrente?"});
        QCOMPARE(m_messages.first().caption, QStringLiteral("Attenzione"));
        QCOMPARE(report.FindObject("Pressione")->Left, leftAfter);
        QCOMPARE(report.Pages.Count(), pagesAfter);
        QCOMPARE(report.FileName, withFile ? QStringLiteral("diario.frf") : saveAs.isEmpty() ? QString() : QStringLiteral("nuovo.frf"));
        QCOMPARE(m_saveAsked, answer == mrYes && !withFile ? 1 : 0);
        if (answer == mrYes && closes) {
            TfrReport reread;
            QVERIFY(bool(reread.LoadTemplate(report.FilePath())));
            QCOMPARE(reread.FindObject("Pressione")->Left, 108);
        }
        if (withFile && answer != mrYes) {
            TfrReport reread;
            QVERIFY(bool(reread.LoadTemplate(path("diario.frf"))));
            QCOMPARE(reread.FindObject("Pressione")->Left, 100);
        }
    }

    void execRunsUntilClosed()
    {
        TfrReport report;
        TFRDesignerForm form(report);
        bool modal = false;
        QWidget *focus = nullptr;
        QTimer::singleShot(0, &form, [&] {
            modal = QApplication::activeModalWidget() == &form;
            focus = form.focusWidget();
            form.close();
        });
        form.exec();
        QVERIFY(modal);
        QCOMPARE(focus, static_cast<QWidget *>(form.PageView));
        QVERIFY(!form.isVisible());
    }

    void settingsWrittenOnClose()
    {
        writeTemplate(path("diario.frf"));
        TfrReport report;
        {
            TFRDesignerForm form(report);
            QVERIFY(showForm(form));
            QVERIFY(form.OpenFile(path("diario.frf")));
            form.findChild<QAction *>("Grid19")->trigger();
            form.Action("Allinea alla griglia")->trigger();
            form.findChild<QAction *>("Unit2")->trigger();
            form.TextBar->toggleViewAction()->trigger();
            QCOMPARE(form.GridSize, 19);
            QVERIFY(!form.GridAlign);
            // Nothing changed in the report: no question.
            QVERIFY(form.close());
            QCOMPARE(m_messages.size(), 0);
        }
        {
            QSettings ini(path("designer.ini"), QSettings::IniFormat);
            QCOMPARE(ini.value("Options/GridSize").toInt(), 19);
            QCOMPARE(ini.value("Options/GridAlign").toBool(), false);
            QCOMPARE(ini.value("Options/Units").toInt(), 2);
            QCOMPARE(ini.value("Options/Recent1").toString(), path("diario.frf"));
            QCOMPARE(ini.value("ToolBas/StandardBar").toBool(), true);
            QCOMPARE(ini.value("ToolBas/TextBar").toBool(), false);
            QCOMPARE(ini.value("ToolBas/FrameBar").toBool(), true);
            QCOMPARE(ini.value("ToolBas/ObjectBar").toBool(), true);
        }
        TFRDesignerForm again(report);
        QCOMPARE(again.GridSize, 19);
        QVERIFY(!again.GridAlign);
        QCOMPARE(again.Units, 2);
        QCOMPARE(again.RecentFiles, QStringList{path("diario.frf")});
        QVERIFY(again.TextBar->isHidden());
        QVERIFY(!again.StandardBar->isHidden());
    }

    void optionsFile_data()
    {
        QTest::addColumn<QVariant>("gridSize");
        QTest::addColumn<QVariant>("units");
        QTest::addColumn<int>("expectedGrid");
        QTest::addColumn<int>("expectedUnits");
        QTest::newRow("no file") << QVariant() << QVariant() << 4 << 1;
        QTest::newRow("valid") << QVariant(8) << QVariant(0) << 8 << 0;
        QTest::newRow("a grid not offered") << QVariant(5) << QVariant(2) << 4 << 2;
        QTest::newRow("units out of range") << QVariant(19) << QVariant(3) << 19 << 1;
        QTest::newRow("text") << QVariant("otto") << QVariant("-1") << 4 << 1;
    }
    void optionsFile()
    {
        QFETCH(QVariant, gridSize);
        QFETCH(QVariant, units);
        QFETCH(int, expectedGrid);
        QFETCH(int, expectedUnits);
        if (gridSize.isValid()) {
            QSettings ini(path("designer.ini"), QSettings::IniFormat);
            ini.setValue("Options/GridSize", gridSize);
            ini.setValue("Options/Units", units);
        }
        TfrReport report;
        TFRDesignerForm form(report);
        QCOMPARE(form.GridSize, expectedGrid);
        QCOMPARE(form.Units, expectedUnits);
        QVERIFY(form.findChild<QAction *>(QStringLiteral("Grid%1").arg(expectedGrid))->isChecked());
        QVERIFY(form.findChild<QAction *>(QStringLiteral("Unit%1").arg(expectedUnits))->isChecked());
    }

    void recentFiles()
    {
        QStringList list{"a.frf", "b.frf", "c.frf", "d.frf"};
        frDesignerSettings::addRecent(list, "c.frf");
        QCOMPARE(list, QStringList({"c.frf", "a.frf", "b.frf", "d.frf"}));
        frDesignerSettings::addRecent(list, "e.frf");
        QCOMPARE(list, QStringList({"e.frf", "c.frf", "a.frf", "b.frf"}));
    }

    // ------------------------------------------------------------ keys

    void keys()
    {
        TfrReport report;
        addMemo(report, "A", {100, 100, 40, 20});
        addMemo(report, "B", {200, 100, 40, 20});
        // A band below A, nearer than C: arrows skip it.
        addBand(report, "Dati", frBand::MasterData, 200);
        addMemo(report, "C", {100, 300, 40, 20});
        TFRDesignerForm form(report);
        QVERIFY(showForm(form));
        QWidget *page = form.PageView;
        form.SelectOnly(report.FindObject("A"));

        QTest::keyClick(page, Qt::Key_Right);
        QCOMPARE(form.SelectedObject()->Name, QStringLiteral("B"));
        QTest::keyClick(page, Qt::Key_Left);
        QCOMPARE(form.SelectedObject()->Name, QStringLiteral("A"));
        QTest::keyClick(page, Qt::Key_Down);
        QCOMPARE(form.SelectedObject()->Name, QStringLiteral("C"));
        QTest::keyClick(page, Qt::Key_Up);
        QCOMPARE(form.SelectedObject()->Name, QStringLiteral("A"));
        QCOMPARE(form.History().count(), 1);

        QTest::keyClick(page, Qt::Key_Right, Qt::ControlModifier);
        QCOMPARE(boxOf(report.FindObject("A")), QRect(101, 100, 40, 20));
        QTest::keyClick(page, Qt::Key_Right, Qt::ShiftModifier);
        QCOMPARE(boxOf(report.FindObject("A")), QRect(101, 100, 41, 20));
        QCOMPARE(form.History().count(), 3);

        // Enter opens the text editor; cancelling it records nothing.
        QTest::keyClick(page, Qt::Key_Return);
        QCOMPARE(m_dialogs, QStringList{"TEditorForm"});
        QCOMPARE(form.History().count(), 3);

        QTest::keyClick(page, Qt::Key_Delete);
        QVERIFY(!report.FindObject("A"));
        QCOMPARE(form.SelNum(), 0);
        QCOMPARE(form.History().count(), 4);

        // A key the window itself receives is the designer's too.
        form.SelectOnly(report.FindObject("B"));
        QTest::keyClick(&form, Qt::Key_Delete);
        QVERIFY(!report.FindObject("B"));
        QCOMPARE(names(report), QStringList({"Dati", "C"}));
    }

    void toolBarsKeepTheFocus()
    {
        QWidget owner;
        TfrReport report;
        TfrMemoView *memo = addMemo(report, "Pressione", {100, 100, 80, 20});
        TFRDesignerForm form(report, &owner);
        // Its own window even with an owner.
        QVERIFY(form.isWindow());
        QVERIFY(showForm(form));
        for (QToolBar *bar : {form.StandardBar, form.TextBar, form.FrameBar, form.ObjectBar}) {
            const QList<QToolButton *> buttons = bar->findChildren<QToolButton *>();
            QVERIFY(!buttons.isEmpty());
            for (QToolButton *b : buttons)
                QVERIFY2(b->focusPolicy() == Qt::NoFocus, qPrintable(bar->objectName() + ": " + b->toolTip()));
        }
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        form.SelectOnly(memo);
        form.PageView->setFocus();
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(form.PageView));

        auto *bold = qobject_cast<QToolButton *>(form.TextBar->widgetForAction(form.Action("Grassetto")));
        QVERIFY(bold);
        QTest::mouseClick(bold, Qt::LeftButton);
        QCOMPARE(int(memo->FontStyle), 2);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(form.PageView));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Delete);
        QVERIFY(!report.FindObject("Pressione"));
    }

    // ------------------------------------------------------------ attributes

    void attributeButtons_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("fontStyle");
        QTest::addColumn<int>("textLayout");
        QTest::addColumn<int>("frameLines");
        // The text starts plain, left and top aligned, framed left and right.
        const int lr = LineLeft | LineRight;
        QTest::newRow("bold") << "Grassetto" << 2 << 0 << lr;
        QTest::newRow("italic") << "Corsivo" << 1 << 0 << lr;
        QTest::newRow("underline") << "Sottolineato" << 4 << 0 << lr;
        QTest::newRow("right") << "Allinea a destra" << 0 << 1 << lr;
        QTest::newRow("vertical centre") << "Centra in verticale" << 0 << 8 << lr;
        QTest::newRow("rotated") << "Testo normale / 90 gradi" << 0 << 4 << lr;
        QTest::newRow("top line") << "Linea bordo superiore" << 0 << 0 << (lr | LineTop);
        QTest::newRow("no frame") << "Nessun bordo" << 0 << 0 << 0;
        QTest::newRow("whole frame") << "Tutto il bordo" << 0 << 0 << int(AllLines);
    }
    void attributeButtons()
    {
        QFETCH(QString, action);
        QFETCH(int, fontStyle);
        QFETCH(int, textLayout);
        QFETCH(int, frameLines);
        TfrReport report;
        // The band comes first, so the buttons must not take their state from it.
        TfrBandView *band = addBand(report, "Dati", frBand::MasterData, 200);
        TfrMemoView *memo = addMemo(report, "Testo", {100, 100, 80, 20});
        memo->FrameLines = LineLeft | LineRight;
        TFRDesignerForm form(report);
        band->Selected = memo->Selected = true;
        form.SelectionChanged();
        QAction *a = form.Action(action);
        QVERIFY(a);
        QVERIFY(a->isEnabled());
        QVERIFY(!a->isChecked());
        const int steps = form.History().count();

        a->trigger();
        QCOMPARE(int(memo->FontStyle), fontStyle);
        QCOMPARE(memo->TextLayout, textLayout);
        QCOMPARE(int(memo->FrameLines), frameLines);
        QCOMPARE(band->BandType(), int(frBand::MasterData));
        QCOMPARE(form.History().count(), steps + 1);
        if (a->isCheckable()) QVERIFY(a->isChecked());
    }

    void bandsKeepTheirType()
    {
        // A band's frame lines are its type: the frame buttons leave it alone.
        TfrReport report;
        TfrBandView *band = addBand(report, "Dati", frBand::MasterData, 200);
        TFRDesignerForm form(report);
        form.SelectOnly(band);
        QVERIFY(!form.Action("Nessun bordo")->isEnabled());
        QVERIFY(!form.Action("Grassetto")->isEnabled());
        form.SetAllFrameLines(false);
        form.SetAllFrameLines(true);
        form.SetFrameLine(LineTop, true);
        form.SetFrameWidth(3);
        QCOMPARE(band->BandType(), int(frBand::MasterData));
        QCOMPARE(band->FrameWidth, 1);
        QCOMPARE(form.History().count(), 1);
    }

    void fontBoxes()
    {
        TfrReport report;
        TfrMemoView *one = addMemo(report, "Uno", {100, 100, 80, 20});
        TfrMemoView *two = addMemo(report, "Due", {100, 140, 80, 20});
        TFRDesignerForm form(report);
        QVERIFY(showForm(form));
        QVERIFY(form.FontNameBox->count() > 1);
        const QString first = form.FontNameBox->itemText(0);
        one->FontName = first;
        two->FontName = QStringLiteral("Carattere che non c'è");
        one->Selected = two->Selected = true;
        form.SelectionChanged();
        // The box shows the first object's font: choosing that same entry must still apply.
        QCOMPARE(form.FontNameBox->currentIndex(), 0);

        choose(form.FontNameBox, 0);
        QCOMPARE(two->FontName, first);
        QCOMPARE(form.DefaultFontName, first);
        QCOMPARE(form.History().count(), 2);

        const int fourteen = form.FontSizeBox->findText("14");
        QVERIFY(fourteen >= 0);
        choose(form.FontSizeBox, fourteen);
        QCOMPARE(one->FontSize, 14);
        QCOMPARE(two->FontSize, 14);
        QCOMPARE(form.DefaultFontSize, 14);
        QCOMPARE(form.History().count(), 3);

        // A size typed in the box applies on Enter; that Enter is not the page's.
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QLineEdit *edit = form.FontSizeBox->lineEdit();
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, "13");
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(one->FontSize, 13);
        QCOMPARE(two->FontSize, 13);
        // Enter in the box is the box's: it must not reach the page and open the editor.
        QCOMPARE(m_dialogs, QStringList());
        // One Enter, one step.
        QCOMPARE(form.History().count(), 4);
        choose(form.FontSizeBox, fourteen);

        // The next text object takes both.
        form.SetTool(TFRDesignerForm::ToolMemo);
        QTest::mouseClick(form.PageView, Qt::LeftButton, {}, {300, 300});
        auto *inserted = dynamic_cast<TfrMemoView *>(form.SelectedObject());
        QVERIFY(inserted);
        QCOMPARE(inserted->FontSize, 14);
        QCOMPARE(inserted->FontName, first);
    }
};

QTEST_MAIN(TestDesignerForm)
#include "tst_frdesignerform.moc"
