// The text editor's helpers (variables, fields, expressions), the format and
// highlight dialogs, each driven through the designer's dialog table: a
// dialog "shown" is answered by the test, never by a timer.

#include "tests/report/designer/designertestkit.h"
#include "report/designer/frdesignerdialogs.h"
#include "report/designer/frexpreditor.h"
#include "report/designer/freditorform.h"
#include "report/designer/frfieldsform.h"
#include "report/designer/frfmtform.h"
#include "report/designer/frfunctiontable.h"
#include "report/designer/frhilightform.h"
#include "report/designer/frvarform.h"
#include "report/frbandtypes.h"
#include "report/frbandview.h"
#include "report/frbuildcontext.h"
#include "report/frbuilder.h"
#include "report/fremfplayer.h"
#include "report/frexpr.h"
#include "report/frfunctionlibrary.h"
#include "report/frmemoview.h"
#include "report/frpage.h"
#include "report/frregistry.h"
#include "report/frreport.h"

#include "core/formatsettings.h"
#include "tests/data/memorydataset.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <functional>

namespace {
class ExtraFunctions : public TfrFunctionLibrary
{
public:
    ExtraFunctions()
    {
        List = {QStringLiteral("DOUBLE"), QStringLiteral("MYSTERY")};
        Descriptions = {QStringLiteral("DOUBLE = Matematiche | DOUBLE(<X>) | Il doppio di <X> ")};
    }
    void DoFunction(int, const TfrVariant &, const TfrVariant &, const TfrVariant &, TfrVariant &) override {}
};

} // namespace

class TestEditors : public QObject
{
    Q_OBJECT

    QWidget m_form;                   // the report's owner, a registered window
    QWidget m_other;                  // another open window
    TMemoryDataSet *m_diario = nullptr;
    TfrReport *m_report = nullptr;
    std::function<int(QDialog &)> m_answer;

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
        m_diario->addColumn("Data", ftDateTime);
        m_diario->addColumn("Peso", ftFloat);
        m_diario->addRow({QVariant(), 70.5});
        m_other.setObjectName("frm_altro");
        frRegistry::registerOwner(&m_other);
        auto *table = new TMemoryDataSet(&m_other);
        table->setObjectName("Intesta");
        table->addColumn("Nome", ftString, 40);
        m_report = new TfrReport(&m_form);
        m_report->setObjectName("frReport1");
        m_report->Variables = QStringList{"Misure", " Media", " Massima", "Altro", " Nota"};
        frDesignerDialogs().exec = [this](QDialog &dialog) { return m_answer ? m_answer(dialog) : int(QDialog::Rejected); };
    }

    void cleanupTestCase()
    {
        frResetDesignerDialogs();
        frRegistry::unregisterOwner(&m_form);
        frRegistry::unregisterOwner(&m_other);
    }

    void init() { m_answer = nullptr; }

    // Constants: text in quotes, a quote doubled so the evaluator reads it
    // back as one; numbers as typed.
    void constants_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("added");
        QTest::addColumn<QString>("evaluated");
        QTest::newRow("text") << "Testo" << "abc" << "'abc'" << "abc";
        QTest::newRow("a quote inside, was dropped") << "Testo" << "O'Neil" << "'O''Neil'" << "O'Neil";
        QTest::newRow("number") << "Numerica" << "12" << "12" << "12";
    }
    void constants()
    {
        QFETCH(QString, kind);
        QFETCH(QString, typed);
        QFETCH(QString, added);
        QFETCH(QString, evaluated);
        TExprEditor editor(m_report);
        editor.ConstType->setCurrentText(kind);
        editor.ConstEdit->setText(typed);
        editor.ConstAdd->click();
        QCOMPARE(editor.Expression(), added);
        QCOMPARE(editor.ConstEdit->text(), QString());
        TfrContextScope scope(m_report);
        QCOMPARE(TfrExpr::instance().Evaluate(editor.Expression()).toString(), evaluated);
    }

    // Every addition goes to the end after the line was pushed; "Ripristina"
    // pops, "Elimina" pushes and empties.
    void lineAndUndo()
    {
        TExprEditor editor(m_report);
        editor.SetExpression("1");
        QVERIFY(!editor.RestoreButton->isEnabled());
        QPushButton *plus = nullptr, *andButton = nullptr;
        for (QPushButton *b : editor.OperatorButtons) {
            if (b->property("part").toString() == "+") plus = b;
            if (b->property("part").toString() == " AND ") andButton = b;
        }
        QVERIFY(plus && andButton);
        plus->click();
        editor.ConstType->setCurrentText("Numerica");
        editor.ConstEdit->setText("2");
        editor.ConstAdd->click();
        andButton->click();
        QCOMPARE(editor.Expression(), QString("1+2 AND "));
        QCOMPARE(editor.ExprMemo->text(), editor.Expression());
        editor.ClearButton->click();
        QCOMPARE(editor.Expression(), QString());
        editor.RestoreButton->click();
        QCOMPARE(editor.Expression(), QString("1+2 AND "));
        editor.RestoreButton->click();
        editor.RestoreButton->click();
        editor.RestoreButton->click();
        QCOMPARE(editor.Expression(), QString("1"));
        QVERIFY(!editor.RestoreButton->isEnabled());
    }

    void functionTable()
    {
        QCOMPARE(frFunctionTable::builtIn().size(), 43);
        const TfrFunctionInfo avg = frFunctionTable::find("avg");
        QCOMPARE(avg.category, QString("Statistiche"));
        QCOMPARE(avg.syntax, QString("AVG(<X>)"));
        QCOMPARE(avg.help, QString("Restituiosce la media della serie <X>"));
        QCOMPARE(frFunctionTable::find("FRAC").help, QString("Resituisce la parte decimale del numero <X>"));
        QCOMPARE(frFunctionTable::find("PI").syntax, QString("PI"));

        ExtraFunctions library;
        frRegistry::registerFunctionLibrary(&library);
        const TfrFunctionInfo described = frFunctionTable::find("double");
        QCOMPARE(described.category, QString("Matematiche"));
        QCOMPARE(described.syntax, QString("DOUBLE(<X>)"));
        QCOMPARE(described.help, QString("Il doppio di <X>"));
        QCOMPARE(frFunctionTable::find("MYSTERY").category, QString("Sconosciute"));
        {
            TExprEditor editor(m_report);
            QCOMPARE(editor.Categories->itemText(0), QString("Tutte"));
            QStringList categories;
            for (int i = 1; i < editor.Categories->count(); ++i) categories << editor.Categories->itemText(i);
            QCOMPARE(categories, (QStringList{"Conversione", "Logiche", "Matematiche", "Sconosciute", "Statistiche",
                                              "Stringa", "Valuta"}));
            QCOMPARE(editor.Functions->count(), 45);
            editor.Categories->setCurrentText("Statistiche");
            QStringList names;
            for (int i = 0; i < editor.Functions->count(); ++i) names << editor.Functions->item(i)->text();
            QCOMPARE(names, (QStringList{"AVG", "COUNT", "MAX", "MIN", "SUM"}));
            editor.Functions->setCurrentRow(4);
            QCOMPARE(editor.Syntax->text(), QString("SUM(<X>)"));
            QCOMPARE(editor.Help->text(), QString("Restituisce la somma della serie <X>"));
        }
        frRegistry::unregisterFunctionLibrary(&library);
    }

    // COPY asks for three parameters; "&OK" waits for all of them.
    void parameters()
    {
        TExprEditor editor(m_report);
        QList<bool> okStates;
        QString shownHelp;
        m_answer = [&](QDialog &dialog) {
            auto *params = qobject_cast<TedParamFct *>(&dialog);
            if (!params) return int(QDialog::Rejected);
            shownHelp = params->Help->isVisibleTo(params) ? params->Help->text() : QString();
            okStates << params->OkButton->isEnabled();
            const QStringList values = {"'abcdef'", "2", "3"};
            for (int i = 0; i < params->Params.size(); ++i) {
                params->Params[i]->setText(values[i]);
                okStates << params->OkButton->isEnabled();
            }
            return int(QDialog::Accepted);
        };
        editor.Functions->setCurrentItem(editor.Functions->findItems("COPY", Qt::MatchExactly).first());
        editor.FunctionAdd->click();
        QCOMPARE(okStates, (QList<bool>{false, false, false, true}));
        QVERIFY(shownHelp.startsWith("Restituisce una sotto-stringa"));
        QCOMPARE(editor.Expression(), QString("COPY('abcdef',2,3)"));

        // Without parameters, added as it stands.
        for (const char *name : {"PI", "COUNT"}) {
            editor.Functions->setCurrentItem(editor.Functions->findItems(name, Qt::MatchExactly).first());
            editor.FunctionAdd->click();
        }
        QCOMPARE(editor.Expression(), QString("COPY('abcdef',2,3)PICOUNT()"));
        QCOMPARE(okStates.size(), 4);

        // "(<X>)": a sub-expression, no help shown.
        okStates.clear();
        m_answer = [&](QDialog &dialog) {
            auto *params = qobject_cast<TedParamFct *>(&dialog);
            if (!params) return int(QDialog::Rejected);
            shownHelp = params->Help->isVisibleTo(params) ? params->Help->text() : QString("hidden");
            params->Params.first()->setText("1+2");
            return int(QDialog::Accepted);
        };
        editor.SetExpression("3*");
        editor.ParenButton->click();
        QCOMPARE(shownHelp, QString("hidden"));
        QCOMPARE(editor.Expression(), QString("3*(1+2)"));
    }

    // Sources: the owner's datasets by name, others as window.dataset, sorted, then "Altro".
    void fieldDialog()
    {
        TFieldsForm::LastSource().clear();
        {
            TFieldsForm dialog(m_report);
            QStringList sources;
            for (int i = 0; i < dialog.Sources->count(); ++i) sources << dialog.Sources->itemText(i);
            QCOMPARE(sources, (QStringList{"Diario", "frm_altro.Intesta", "Altro"}));
            QCOMPARE(dialog.Fields->item(0)->text(), QString("[Nessuno]"));
            QCOMPARE(dialog.Fields->count(), 3);
            QVERIFY(!m_diario->Active());   // opened for the list, closed again
            clickEntry(dialog.Fields, "Peso");
            QCOMPARE(dialog.result(), int(QDialog::Accepted));
            QCOMPARE(dialog.SelectedValue, QString("Diario.\"Peso\""));
        }
        {
            TFieldsForm dialog(m_report);
            dialog.Sources->setCurrentText("Altro");
            QCOMPARE(dialog.Fields->count(), 9);
            clickEntry(dialog.Fields, "Totale Pagine");
            QCOMPARE(dialog.SelectedValue, QString("TOTALPAGES"));
        }
        {
            // Starts where the last choice was made; "[Nessuno]" cancels.
            TFieldsForm dialog(m_report);
            QCOMPARE(dialog.Sources->currentText(), QString("Altro"));
            clickEntry(dialog.Fields, "[Nessuno]");
            QCOMPARE(dialog.result(), int(QDialog::Rejected));
            QCOMPARE(dialog.SelectedValue, QString());
        }
        // An open dataset stays open.
        m_diario->Open();
        {
            TFieldsForm dialog(m_report);
            dialog.Sources->setCurrentText("Diario");
            QCOMPARE(dialog.Fields->count(), 3);
        }
        QVERIFY(m_diario->Active());
        m_diario->Close();
    }

    // The text editor's helpers insert at the caret, and leave the user's clipboard alone.
    void editorInsertions()
    {
        QApplication::clipboard()->setText("what the user copied");
        TfrMemoView memo(m_report);
        memo.Memo = QStringList{"Pagina  di"};
        m_answer = [this](QDialog &dialog) {
            if (auto *editor = qobject_cast<TEditorForm *>(&dialog)) {
                QTextCursor caret = editor->M1->textCursor();
                caret.setPosition(7);
                editor->M1->setTextCursor(caret);
                editor->InsertField();
                caret = editor->M1->textCursor();
                caret.movePosition(QTextCursor::End);
                editor->M1->setTextCursor(caret);
                editor->M1->insertPlainText(" ");
                QTest::keyClick(editor->M1, Qt::Key_Insert);
                caret.movePosition(QTextCursor::End);
                editor->M1->setTextCursor(caret);
                editor->InsertExpression();
                return int(QDialog::Accepted);
            }
            if (auto *fields = qobject_cast<TFieldsForm *>(&dialog)) {
                fields->Sources->setCurrentText("Altro");
                clickEntry(fields->Fields, "N° pagina");
                return fields->result();
            }
            if (auto *vars = qobject_cast<TVarForm *>(&dialog)) {
                if (vars->Categories->currentText() != "Misure") return int(QDialog::Rejected);
                vars->Categories->setCurrentText("Altro");
                clickEntry(vars->Variables, "Nota");
                return vars->result();
            }
            if (auto *expr = qobject_cast<TExprEditor *>(&dialog)) {
                if (!expr->Expression().isEmpty()) return int(QDialog::Rejected);   // starts empty
                expr->UseData->setChecked(true);
                expr->DataBox->setCurrentText("Diario");
                expr->DataList->setCurrentRow(1);
                expr->DataAdd->click();
                return int(QDialog::Accepted);
            }
            return int(QDialog::Rejected);
        };
        TEditorForm editor;
        QVERIFY(editor.ShowEditor(&memo));
        QCOMPARE(memo.Memo, QStringList{"Pagina [PAGE#] di [Nota][Diario.\"Peso\"]"});
        QCOMPARE(QApplication::clipboard()->text(), QString("what the user copied"));
    }

    // Format and highlight act on the copy, and only for text objects.
    void editorDialogsOnlyForText()
    {
        TfrBandView band(m_report);
        bool formatEnabled = true, highlightEnabled = true;
        m_answer = [&](QDialog &dialog) {
            auto *editor = qobject_cast<TEditorForm *>(&dialog);
            if (!editor) return int(QDialog::Rejected);
            formatEnabled = editor->FormatButton->isEnabled();
            highlightEnabled = editor->HilightButton->isEnabled();
            editor->M1->setPlainText("Diario");
            return int(QDialog::Accepted);
        };
        TEditorForm editor;
        QVERIFY(editor.ShowEditor(&band));
        QVERIFY(!formatEnabled);
        QVERIFY(!highlightEnabled);
        QCOMPARE(band.Memo, QStringList{"Diario"});

        // Cancelled: the object keeps its format and highlight.
        TfrMemoView memo(m_report);
        const int format = memo.DisplayFormat;
        m_answer = [&](QDialog &dialog) {
            if (auto *e = qobject_cast<TEditorForm *>(&dialog)) {
                e->EditFormat();
                e->EditHighlight();
                return int(QDialog::Rejected);
            }
            if (auto *f = qobject_cast<TFmtForm *>(&dialog)) {
                f->Category->setCurrentIndex(1);
                emit f->Category->activated(1);
                return int(QDialog::Accepted);
            }
            if (auto *h = qobject_cast<THilightForm *>(&dialog)) {
                h->UseHighlight->setChecked(true);
                return int(QDialog::Accepted);
            }
            return int(QDialog::Rejected);
        };
        TEditorForm second;
        QVERIFY(!second.ShowEditor(&memo));
        QCOMPARE(memo.DisplayFormat, format);
        QVERIFY(!memo.HighlightOn);
    }

    // Bit 1 of the highlight style is bold, as in the file and the engine.
    void highlight()
    {
        TfrMemoView *memo = static_cast<TfrMemoView *>(m_report->CreateObject(frKind::Memo));
        m_report->Pages[0]->Add(memo);
        THilightForm dialog(m_report);
        dialog.Load(*memo);
        QVERIFY(!dialog.Condition->isEnabled());
        // A new object's highlight fill is white: "Altro", its button enabled.
        QVERIFY(dialog.OtherFill->isChecked());
        QVERIFY(dialog.FillColorButton->isEnabled());
        dialog.Transparent->setChecked(true);
        QVERIFY(!dialog.FillColorButton->isEnabled());
        dialog.Bold->setChecked(true);
        dialog.Italic->setChecked(false);
        dialog.UseHighlight->setChecked(true);
        QVERIFY(dialog.Condition->isEnabled());
        dialog.Condition->setText("[Diario.\"Peso\"] > 80");
        dialog.OtherFill->setChecked(true);
        QVERIFY(dialog.FillColorButton->isEnabled());
        frDesignerDialogs().chooseColor = [](QWidget *, int &color) {
            color = 0x0000FF;
            return true;
        };
        dialog.FillColorButton->click();
        dialog.FontColorButton->click();
        frResetDesignerDialogs();
        frDesignerDialogs().exec = [this](QDialog &d) { return m_answer ? m_answer(d) : int(QDialog::Rejected); };
        dialog.Store(*memo);
        QCOMPARE(int(memo->HighlightStyle), 2);
        QCOMPARE(memo->HighlightFillColor, 0x0000FF);
        QCOMPARE(memo->HighlightFontColor, 0x0000FF);

        const QByteArray saved = m_report->SaveTemplateData();
        TfrReport reread(&m_form);
        QVERIFY(reread.LoadTemplateData(saved));
        auto *back = dynamic_cast<TfrMemoView *>(reread.FindObject(memo->Name));
        QVERIFY(back);
        QCOMPARE(int(back->HighlightStyle), int(TfrCustomMemoView::Bold));
        QVERIFY(back->HighlightOn);
        QCOMPARE(back->HighlightCondition, QString("[Diario.\"Peso\"] > 80"));

        // "Trasparente" is no fill at all.
        THilightForm again(m_report);
        again.Load(*back);
        QVERIFY(again.OtherFill->isChecked());
        again.Transparent->setChecked(true);
        again.Store(*back);
        QCOMPARE(back->HighlightFillColor, 0x1FFFFFFF);
        m_report->DeleteObject(memo);
    }

    void formatFields_data()
    {
        QTest::addColumn<int>("category");
        QTest::addColumn<int>("format");
        QTest::addColumn<bool>("numberFields");
        QTest::addColumn<bool>("pattern");
        QTest::newRow("text") << 0 << 0 << false << false;
        QTest::newRow("number") << 1 << 3 << true << false;
        QTest::newRow("number, custom") << 1 << 4 << false << true;
        QTest::newRow("date") << 2 << 1 << false << false;
        QTest::newRow("time, custom") << 3 << 4 << false << true;
        QTest::newRow("logical") << 4 << 2 << false << false;
    }
    void formatFields()
    {
        QFETCH(int, category);
        QFETCH(int, format);
        QFETCH(bool, numberFields);
        QFETCH(bool, pattern);
        TFmtForm dialog;
        dialog.Pattern->setText("leftover");
        dialog.Category->setCurrentIndex(category);
        emit dialog.Category->activated(category);
        QCOMPARE(dialog.Format->currentRow(), 0);
        QCOMPARE(dialog.Pattern->text(), QString());
        QCOMPARE(dialog.Format->count(), TFmtForm::Formats(category).size());
        dialog.Format->setCurrentRow(format);
        QCOMPARE(dialog.Decimals->isVisibleTo(&dialog), numberFields);
        QCOMPARE(dialog.Separator->isVisibleTo(&dialog), numberFields);
        QCOMPARE(dialog.Pattern->isVisibleTo(&dialog), pattern);
    }

    // A format chosen in the dialog is what a built page prints.
    void formatPrinted()
    {
        TfrReport report(&m_form);
        report.setObjectName("frFormat");
        TfrPage *page = report.Pages[0];
        page->ChangePaper(9, 0, 0, 0);
        auto *band = static_cast<TfrBandView *>(report.CreateObject(frKind::Band));
        band->FrameLines = frBand::ReportTitle;
        band->Top = 20;
        band->Width = 700;
        band->Height = 40;
        page->Add(band);
        auto *memo = static_cast<TfrMemoView *>(report.CreateObject(frKind::Memo));
        memo->Left = 10;
        memo->Top = 24;
        memo->Width = 300;
        memo->Height = 20;
        memo->Memo = QStringList{"[1234.5]"};
        page->Add(memo);

        TFmtForm dialog;
        dialog.Load(*memo);
        dialog.Category->setCurrentIndex(1);
        emit dialog.Category->activated(1);
        dialog.Format->setCurrentRow(3);     // "1.234,50"
        dialog.Decimals->setValue(2);
        dialog.Separator->clear();           // a comma
        dialog.Store(*memo);

        frBuilder::install();
        QVERIFY(report.BuildReport());
        QStringList texts;
        for (int i = 0; i < report.EMFPages.Count(); ++i)
            for (const TfrEmfText &t : TfrEmfPlayer::texts(report.EMFPages[i].Drawing)) texts << t.text;
        frRegistry::setBuilder(nullptr);
        QCOMPARE(texts, QStringList{"1.234,50"});
    }
};

QTEST_MAIN(TestEditors)
#include "tst_freditors.moc"
