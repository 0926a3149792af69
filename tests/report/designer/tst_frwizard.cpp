// The report wizard's layout on numbers and on a built report, and the
// variables editor: names, bindings and a cancel that puts everything back.

#include "tests/report/designer/designertestkit.h"
#include "report/designer/frdatasources.h"
#include "report/designer/frdesignerdialogs.h"
#include "report/designer/frdesignerform.h"
#include "report/designer/frdesignersettings.h"
#include "report/designer/frreportdirforms.h"
#include "report/designer/frtemplforms.h"
#include "report/designer/frvareditorform.h"
#include "report/designer/frwizard.h"
#include "report/designer/frwizardform.h"
#include "report/frbandtypes.h"
#include "report/frbandview.h"
#include "report/frdbdataset.h"
#include "report/frmemoview.h"
#include "report/frregistry.h"
#include "report/frtemplatefile.h"
#include "report/frvalue.h"

#include "core/formatsettings.h"
#include "tests/data/memorydataset.h"

#include <QAction>
#include <QPlainTextEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QToolButton>
#include <QTreeWidget>

class TestWizard : public QObject
{
    Q_OBJECT

    QWidget m_form;
    TMemoryDataSet *m_diario = nullptr;
    QTemporaryDir m_dir;
    QList<QPair<QString, QString>> m_messages;
    QList<int> m_answers;

    TfrMemoView *memoAt(TfrReport &report, int left, int top)
    {
        for (TfrView *v : report.Pages[0]->Objects)
            if (v->Left == left && v->Top == top) return dynamic_cast<TfrMemoView *>(v);
        return nullptr;
    }

private slots:
    void initTestCase()
    {
        TFormatSettings it;
        QVERIFY(TFormatSettings::forLocale("it_IT", it));
        TFormatSettings::setCurrent(it);
        m_form.setObjectName("frm_main");
        frRegistry::registerOwner(&m_form);
        m_diario = new TMemoryDataSet(&m_form);
        m_diario->setObjectName("Diario");
        m_diario->addColumn("Nota", ftString, 10);
        m_diario->addColumn("Commento", ftString, 20);
        m_diario->addColumn("Testo", ftMemo);
        frDesignerSettings::setFileName(m_dir.filePath("designer.ini"));
    }

    void cleanupTestCase()
    {
        frRegistry::unregisterOwner(&m_form);
        frDesignerSettings::setFileName(QString());
    }

    void init()
    {
        m_messages.clear();
        m_answers.clear();
        frDesignerDialogs().message = [this](QWidget *, const QString &text, const QString &caption, TMsgDlgType,
                                             TMsgDlgButtons, int) {
            m_messages.append({text, caption});
            return m_answers.isEmpty() ? int(mrOk) : m_answers.takeFirst();
        };
    }

    void cleanup() { frResetDesignerDialogs(); }

    void columns_data()
    {
        QTest::addColumn<QList<int>>("widths");
        QTest::addColumn<int>("usable");
        QTest::addColumn<QList<int>>("lefts");
        QTest::addColumn<QList<int>>("sizes");
        // 320 × 719 ÷ 968 and 640 × 719 ÷ 968; the second starts at 328 × 719 ÷ 968 + 37.
        QTest::newRow("portrait, 10 and 20") << QList<int>{10, 20} << 719 << QList<int>{37, 281} << QList<int>{238, 475};
        QTest::newRow("one field fills the width") << QList<int>{7} << 1028 << QList<int>{37} << QList<int>{1028};
        // Scale 1028 ÷ 496: widths 160 × 2.0726 = 331.6, lefts 168 × 2.0726 + 37 = 385.2 and 733.4.
        QTest::newRow("landscape, three equal") << QList<int>{5, 5, 5} << 1028 << QList<int>{37, 385, 733}
                                                << QList<int>{332, 332, 332};
        // Scale 15 ÷ 192: every width 2.5, rounded to the even 2 (half up would give 3).
        QTest::newRow("halves to even") << QList<int>{1, 1, 1, 1, 1} << 15 << QList<int>{37, 40, 43, 46, 50}
                                        << QList<int>{2, 2, 2, 2, 2};
    }
    void columns()
    {
        QFETCH(QList<int>, widths);
        QFETCH(int, usable);
        QFETCH(QList<int>, lefts);
        QFETCH(QList<int>, sizes);
        const QList<frWizard::Column> cols = frWizard::columns(widths, usable);
        QList<int> gotLefts, gotSizes;
        for (const frWizard::Column &c : cols) {
            gotLefts << c.left;
            gotSizes << c.width;
        }
        QCOMPARE(gotLefts, lefts);
        QCOMPARE(gotSizes, sizes);
    }

    // The built report, as the wizard lays it out.
    void built_data()
    {
        QTest::addColumn<bool>("landscape");
        QTest::newRow("portrait") << false;
        QTest::newRow("landscape") << true;
    }
    void built()
    {
        QFETCH(bool, landscape);
        TfrReport report(&m_form);
        report.setObjectName("frReport1");
        const QList<TfrWizardField> fields = frWizard::fields(m_diario);
        QCOMPARE(fields.size(), 2);   // the memo field is left out
        QVERIFY(!m_diario->Active());
        frWizard::build(report, m_diario, "Pressione", fields, landscape);
        const int usable = landscape ? 1028 : 719;
        QCOMPARE(report.Title, QString("Pressione"));
        QVERIFY(report.TwoPass);
        QCOMPARE(report.Pages[0]->Orientation, landscape ? 1 : 0);
        if (landscape) QCOMPARE(QList<int>(std::begin(report.Pages[0]->Margins), std::end(report.Pages[0]->Margins)),
                                (QList<int>{38, 38, 57, 38}));
        QList<QList<int>> bands;
        TfrBandView *data = nullptr;
        for (TfrView *v : report.Pages[0]->Objects)
            if (auto *b = dynamic_cast<TfrBandView *>(v)) {
                bands << QList<int>{b->BandType(), b->Top, b->Height};
                if (b->BandType() == frBand::MasterData) data = b;
            }
        QCOMPARE(bands, (QList<QList<int>>{{frBand::ReportTitle, 50, 29}, {frBand::PageHeader, 116, 33},
                                            {frBand::MasterData, 206, 21}, {frBand::PageFooter, 272, 29}}));
        QVERIFY(data);
        QCOMPARE(data->FormatText, QString("frReport1_") + data->Name + "_DataSet");
        auto *ds = qobject_cast<TfrDBDataSet *>(report.FindDatasetInTable(data->FormatText));
        QVERIFY(ds);
        QCOMPARE(ds->DataSet(), static_cast<TDataSet *>(m_diario));

        TfrMemoView *title = memoAt(report, 37, 54);
        QVERIFY(title);
        QCOMPARE(title->Width, usable);
        QCOMPARE(title->Memo, QStringList{"Pressione"});
        QCOMPARE(title->FillColor, 0x808000);
        QCOMPARE(title->FontColor, 0xFFFFFF);
        QCOMPARE(int(title->FontStyle), int(TfrCustomMemoView::Bold));
        QCOMPARE(title->FontSize, 12);
        QCOMPARE(title->TextLayout, 2);
        TfrMemoView *footer = memoAt(report, 37, 281);
        QVERIFY(footer);
        QCOMPARE(footer->Memo, QStringList{"Pagina [Page#] di [TotalPages]"});
        QCOMPARE(footer->TextLayout, 1);
        QCOMPARE(footer->FrameWidth, 2);
        QCOMPARE(int(footer->FrameLines), 8);

        const QList<frWizard::Column> cols = frWizard::columns({10, 20}, usable);
        for (int i = 0; i < 2; ++i) {
            TfrMemoView *label = memoAt(report, cols[i].left, 124);
            TfrMemoView *value = memoAt(report, cols[i].left, 206);
            QVERIFY(label && value);
            QCOMPARE(label->Width, cols[i].width);
            QCOMPARE(label->Memo, QStringList{fields[i].label});
            QCOMPARE(label->FontColor, 0x000080);
            QCOMPARE(int(label->FrameLines), 2);
            QCOMPARE(value->Memo, QStringList{"[\"" + fields[i].name + "\"]"});
            QCOMPARE(value->FontSize, 10);
        }
    }

    // Through the designer: the wizard's report is the first step of a new history.
    void fromTheDesigner()
    {
        TfrReport report(&m_form);
        report.setObjectName("frReport1");
        TFRDesignerForm form(report);
        QList<bool> okStates;
        QStringList sources, chosen;
        frDesignerDialogs().exec = [&](QDialog &dialog) -> int {
            auto *wizard = qobject_cast<TfrWizardForm *>(&dialog);
            if (!wizard) return int(QDialog::Rejected);
            sources = items(wizard->Sources);
            okStates << wizard->OkButton->isEnabled();
            wizard->Title->setText("Diario");
            wizard->AddAll->click();
            okStates << wizard->OkButton->isEnabled();
            wizard->Chosen->item(0)->setSelected(true);
            wizard->RemoveOne->click();
            chosen = items(wizard->Chosen);
            return int(QDialog::Accepted);
        };
        form.findChild<QAction *>("N23")->trigger();
        QCOMPARE(okStates, (QList<bool>{false, true}));
        QCOMPARE(sources, QStringList{"frm_main.Diario"});
        QCOMPARE(chosen, QStringList{"Commento"});
        QCOMPARE(form.windowTitle(), QString("Modellatore"));
        QCOMPARE(report.Title, QString("Diario"));
        QVERIFY(memoAt(report, 37, 206));
        QCOMPARE(memoAt(report, 37, 206)->Width, 719);
        QCOMPARE(form.History().count(), 2);
        form.Undo();
        QCOMPARE(report.Pages[0]->Objects.size(), 0);
        QVERIFY(!form.History().canUndo());
    }

    void newNames()
    {
        TfrReport report(&m_form);
        report.Variables = QStringList{"Categoria1", " Variabile2", "Categoria3"};
        TfrVarEditorForm editor(report);
        editor.NewCategory();
        QCOMPARE(report.Variables.last(), QString("Categoria2"));
        // A new variable goes at the end of the selected category.
        editor.Tree->setCurrentItem(editor.Tree->topLevelItem(0));
        editor.NewVariable();
        QCOMPARE(report.Variables, (QStringList{"Categoria1", " Variabile2", " Variabile1", "Categoria3", "Categoria2"}));
        QVERIFY(report.Values.FindVariable("Variabile1"));
        editor.NewVariable();   // the selected variable's category
        QCOMPARE(report.Variables.mid(0, 4), (QStringList{"Categoria1", " Variabile2", " Variabile1", " Variabile3"}));
    }

    // "&Annulla" puts back every line and value, whatever was done.
    void cancelRestores()
    {
        TfrReport report(&m_form);
        report.Variables = QStringList{"Misure", " Peso"};
        TfrValue *peso = report.Values.Objects(report.Values.AddValue("Peso"));
        peso->ValueKind = TfrValue::DBField;
        peso->DSet = "Diario";
        peso->Field = "Nota";
        frDesignerDialogs().exec = [](QDialog &dialog) {
            auto *editor = qobject_cast<TfrVarEditorForm *>(&dialog);
            editor->NewCategory();
            editor->NewVariable();
            editor->Sources->setCurrentText("Altro");
            editor->Values->setCurrentRow(1 + TfrValue::TotalPages);
            editor->Tree->setCurrentItem(editor->Tree->topLevelItem(0)->child(0));
            editor->Values->setCurrentRow(0);      // Peso unbound
            editor->Tree->topLevelItem(0)->child(0)->setText(0, "Massa");
            return int(QDialog::Rejected);
        };
        QVERIFY(!TfrVarEditorForm::Edit(report, nullptr));
        QCOMPARE(report.Variables, (QStringList{"Misure", " Peso"}));
        QCOMPARE(report.Values.Count(), 1);
        const TfrValue *back = report.Values.FindVariable("Peso");
        QVERIFY(back);
        QCOMPARE(back->ValueKind, int(TfrValue::DBField));
        QCOMPARE(back->DSet, QString("Diario"));
        QCOMPARE(back->Field, QString("Nota"));
    }

    void bindings()
    {
        TfrReport report(&m_form);
        report.Variables = QStringList{"Misure", " Pagine", " Formula", " Campo"};
        TfrVarEditorForm editor(report);
        QTreeWidgetItem *cat = editor.Tree->topLevelItem(0);
        QCOMPARE(items(editor.Sources), (QStringList{"Diario", "Altro"}));

        editor.Tree->setCurrentItem(cat->child(0));
        editor.Sources->setCurrentText("Altro");
        QCOMPARE(editor.Values->count(), 1 + TfrValue::SubKindCount);
        QCOMPARE(editor.Values->item(2)->text(), QString("Espressione"));
        editor.Values->setCurrentRow(editor.Values->count() - 1);   // "Totale Pagine"
        QVERIFY(!editor.Expression->isEnabled());
        const TfrValue *pages = report.Values.FindVariable("Pagine");
        QCOMPARE(pages->ValueKind, int(TfrValue::Other));
        QCOMPARE(pages->ValueSubKind, int(TfrValue::TotalPages));

        editor.Tree->setCurrentItem(cat->child(1));
        editor.Sources->setCurrentText("Altro");
        editor.Values->setCurrentRow(1 + TfrValue::Expression);
        QVERIFY(editor.Expression->isEnabled());
        QTest::keyClicks(editor.Expression, "[Pagine] * 2");
        editor.Tree->setCurrentItem(cat->child(2));    // leaving stores it
        const TfrValue *formula = report.Values.FindVariable("Formula");
        QCOMPARE(formula->ValueSubKind, int(TfrValue::Expression));
        QCOMPARE(formula->Field, QString("[Pagine] * 2"));

        editor.Sources->setCurrentText("Diario");
        QCOMPARE(items(editor.Values), (QStringList{"[Nessuno]", "Nota", "Commento", "Testo"}));
        editor.Values->setCurrentRow(2);
        const TfrValue *field = report.Values.FindVariable("Campo");
        QCOMPARE(field->ValueKind, int(TfrValue::DBField));
        QCOMPARE(field->DSet, QString("Diario"));
        QCOMPARE(field->Field, QString("Commento"));

        // Back on a variable: its binding is shown again.
        editor.Tree->setCurrentItem(cat->child(1));
        QCOMPARE(editor.Sources->currentText(), QString("Altro"));
        QCOMPARE(editor.Expression->text(), QString("[Pagine] * 2"));
        editor.Tree->setCurrentItem(cat->child(0));
        QCOMPARE(editor.Values->currentItem()->text(), QString("Totale Pagine"));

        // A rename keeps the value; a deleted category takes its variables and values.
        cat->child(0)->setText(0, "Totale");
        QCOMPARE(report.Values.FindVariable("Totale")->ValueSubKind, int(TfrValue::TotalPages));
        QVERIFY(!report.Values.FindVariable("Pagine"));
        editor.Tree->setCurrentItem(cat);
        m_answers = {mrNo};
        editor.DeleteSelected();
        QCOMPARE(report.Variables.size(), 4);
        QCOMPARE(m_messages.last(), qMakePair(QString("Si desidera eliminare l'elemento selezionato?"), QString("Attenzione")));
        m_answers = {mrYes};
        editor.DeleteSelected();
        QCOMPARE(report.Variables, QStringList());
        QCOMPARE(report.Values.Count(), 0);
    }

    void treeKeys()
    {
        TfrReport report(&m_form);
        TfrVarEditorForm editor(report);
        editor.show();
        QTest::keyClick(editor.Tree, Qt::Key_Insert, Qt::ControlModifier);
        QTest::keyClick(editor.Tree, Qt::Key_Insert);
        QCOMPARE(report.Variables, (QStringList{"Categoria1", " Variabile1"}));
        m_answers = {mrYes};
        QTest::keyClick(editor.Tree, Qt::Key_Delete);
        QCOMPARE(report.Variables, QStringList{"Categoria1"});
    }
    // "Salva con nome..." as a template, then "Nuovo da modello..." from it: the same report, with no file.
    void templateRoundTrip()
    {
        QTemporaryDir folder;
        TfrReport report(&m_form);
        report.setObjectName("frReport1");
        report.TemplateDir = folder.path();
        frWizard::build(report, m_diario, "Mensile", frWizard::fields(m_diario), false);
        const QByteArray original = report.SaveTemplateData();
        TFRDesignerForm form(report);
        frDesignerDialogs().saveFile = [](QWidget *, const QString &, const QString &filter, int &choice) {
            choice = filter.contains("Modello Quillo (*.frt)") ? 2 : 1;
            return QString("/altrove/mensile.frt");
        };
        frDesignerDialogs().exec = [](QDialog &dialog) {
            if (auto *newTemplate = qobject_cast<TTemplNewForm *>(&dialog)) {
                newTemplate->Comment->setPlainText("Diario del mese\ncon le medie");
                return int(QDialog::Accepted);
            }
            if (auto *chooser = qobject_cast<TTemplForm *>(&dialog)) {
                if (items(chooser->Templates) != QStringList{"mensile"}) return int(QDialog::Rejected);
                chooser->Templates->setCurrentRow(0);
                if (chooser->Description->toPlainText() != "Diario del mese\ncon le medie") return int(QDialog::Rejected);
                return int(QDialog::Accepted);
            }
            return int(QDialog::Rejected);
        };
        QVERIFY(form.SaveAs());
        QVERIFY(QFile::exists(folder.filePath("mensile.frt")));
        // Saving a template leaves the report's own file alone.
        QCOMPARE(report.FileName, QString());

        form.NewReport();
        QCOMPARE(report.Pages[0]->Objects.size(), 0);
        form.findChild<QAction *>("N20")->trigger();
        QCOMPARE(report.SaveTemplateData(), original);
        QCOMPARE(report.FileName, QString());
        QCOMPARE(form.windowTitle(), QString("Modellatore"));
        QVERIFY(!form.History().canUndo());
    }

    // With unsaved work, "Nuovo da modello..." asks first; "Annulla" keeps it.
    void templateAsksFirst()
    {
        TfrReport report(&m_form);
        TFRDesignerForm form(report);
        form.AddPage();
        bool chooserShown = false;
        frDesignerDialogs().exec = [&](QDialog &) {
            chooserShown = true;
            return int(QDialog::Rejected);
        };
        m_answers = {mrCancel};
        form.findChild<QAction *>("N20")->trigger();
        QCOMPARE(m_messages.size(), 1);
        QCOMPARE(m_messages.first().first, QString("Si desidera salvare i cambiamenti al report corrente?"));
        QVERIFY(!chooserShown);
        QCOMPARE(report.Pages.Count(), 2);
    }

    void saveFormNames_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("file");
        QTest::newRow("plain") << "mensile" << true << "mensile.frf";
        QTest::newRow("extension in capitals, written in lower case") << "Mensile.FRF" << true << "Mensile.frf";
        QTest::newRow("up a folder") << "../x" << false << "";
        QTest::newRow("into a folder") << "altro/x" << false << "";
        QTest::newRow("dots alone") << ".." << false << "";
    }
    void saveFormNames()
    {
        QFETCH(QString, typed);
        QFETCH(bool, accepted);
        QFETCH(QString, file);
        TSaveForm form("diario.frf");
        QCOMPARE(form.Name->text(), QString("diario"));
        form.Name->setText(typed);
        form.show();
        form.accept();
        QCOMPARE(form.result() == QDialog::Accepted, accepted);
        QCOMPARE(form.isVisible(), !accepted);
        if (accepted) QCOMPARE(form.FileName(), file);
        else QCOMPARE(m_messages.size(), 1);
    }

    // A report kept in its folder opens and saves through the folder's own dialogs.
    void reportFolder()
    {
        QTemporaryDir folder;
        TfrReport report(&m_form);
        report.ReportDir = folder.path();
        report.SaveTemplate(folder.filePath("primo.frf"));
        QFile::copy(folder.filePath("primo.frf"), folder.filePath("SECONDO.FRF"));
        TFRDesignerForm form(report);
        form.AddPage();
        frDesignerDialogs().exec = [](QDialog &dialog) {
            if (auto *save = qobject_cast<TSaveForm *>(&dialog)) {
                save->Name->setText("secondo");
                return int(QDialog::Accepted);
            }
            if (auto *open = qobject_cast<TOpenForm *>(&dialog)) {
                QStringList listed = items(open->Reports);
                listed.sort(Qt::CaseInsensitive);
                if (listed.size() != 3 || listed.first() != "primo" || !listed.contains("SECONDO") || !listed.contains("secondo"))
                    return int(QDialog::Rejected);
                open->Reports->setCurrentItem(open->Reports->findItems("primo", Qt::MatchExactly).first());
                return int(QDialog::Accepted);
            }
            return int(QDialog::Rejected);
        };
        m_answers = {mrNo};     // do not overwrite: there is no "secondo.frf", so no question comes
        QVERIFY(form.SaveAs());
        QVERIFY(m_messages.isEmpty());
        QVERIFY(QFile::exists(folder.filePath("secondo.frf")));
        // Saved again: the overwrite question, "No" the default answer here.
        form.AddPage();
        m_answers = {mrNo};
        QVERIFY(!form.SaveAs());
        QCOMPARE(m_messages.last(), qMakePair(QString("Esiste già un report con questo nome.\r\nSi desidera sovrascriverlo?"),
                                             QString("Attenzione")));
        m_answers = {mrNo};     // the closing question of the open: discard
        form.OpenReport();
        QCOMPARE(report.FileName, QString("primo.frf"));
        QCOMPARE(report.Pages.Count(), 1);
    }
};

QTEST_MAIN(TestWizard)
#include "tst_frwizard.moc"
