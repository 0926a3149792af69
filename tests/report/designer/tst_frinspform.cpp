// The designer's two tool windows driven as a user drives them: values typed
// in the object inspector's edit box with the keys that apply them, the list
// of the page's objects kept in step, and the alignment palette's buttons
// against a reference chosen with the mouse. Message boxes are answered
// through the designer's dialog table, the engine's messages are recorded
// through its sink, and the options go to an INI file in the test's folder.

#include "tests/report/designer/designertestkit.h"
#include "report/designer/fralignform.h"
#include "report/designer/frdesignerdialogs.h"
#include "report/designer/frdesignerform.h"
#include "report/designer/frdesignersettings.h"
#include "report/designer/frdesignpage.h"
#include "report/designer/frinspform.h"
#include "report/frmemoview.h"
#include "report/frmessagesink.h"
#include "report/frpage.h"
#include "report/frregistry.h"
#include "report/frreport.h"

#include "core/formatsettings.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QMenu>
#include <QSettings>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

namespace {

TfrMemoView *addMemo(TfrReport &report, const QString &name, QRect box, int page = 0)
{
    auto *m = static_cast<TfrMemoView *>(report.CreateObject(frKind::Memo));
    m->Name = name;
    m->Left = box.x();
    m->Top = box.y();
    m->Width = box.width();
    m->Height = box.height();
    m->Memo = QStringList{name};
    report.Pages[page]->Add(m);
    return m;
}

QStringList values(const TInspForm *insp)
{
    QStringList out;
    for (int r = 0; r < TInspForm::RowCount; ++r) out << insp->Value(r);
    return out;
}

void setLocale(const QString &name)
{
    TFormatSettings fs;
    QVERIFY(TFormatSettings::forLocale(name, fs));
    TFormatSettings::setCurrent(fs);
}

// Replaces the row's value as typing does, so the edit box knows it changed.
void type(TInspForm *insp, int row, const QString &text)
{
    insp->SetCurrentRow(row);
    insp->Edit1->selectAll();
    if (text.isEmpty()) QTest::keyClick(insp->Edit1, Qt::Key_Backspace);
    else QTest::keyClicks(insp->Edit1, text);
}

// Picks an entry of a combo box's list as the keyboard does.
void choose(QComboBox *box, int index)
{
    box->showPopup();
    QAbstractItemView *view = box->view();
    view->setCurrentIndex(box->model()->index(index, 0));
    QTest::keyClick(view, Qt::Key_Return);
}

QToolButton *paletteButton(const TFRDesignerForm &form, const QString &hint)
{
    for (QToolButton *b : form.AlignForm->Buttons)
        if (b->toolTip() == hint) return b;
    return nullptr;
}

QPoint centre(const TfrView *v) { return {v->Left + v->Width / 2, v->Top + v->Height / 2}; }

bool showForm(TFRDesignerForm &form)
{
    form.show();
    return QTest::qWaitForWindowExposed(&form);
}

const QString kInvalid = QStringLiteral("Il valore inserito non è valido.");

struct Shown
{
    QString text, caption;
};

} // namespace

class TestInspForm : public QObject
{
    Q_OBJECT

    QTemporaryDir *m_dir = nullptr;
    QList<Shown> m_messages;          // the designer's message boxes
    QList<Shown> m_engine;            // the engine's messages
    QStringList m_dialogs;            // class of every modal dialog run
    TfrMessageSink m_previousSink;

    QString path(const QString &name) const { return m_dir->filePath(name); }

    QStringList texts(const QList<Shown> &list) const
    {
        QStringList out;
        for (const Shown &s : list) out << s.text;
        return out;
    }

    // A, B and C one under the other, in that order in the page's list.
    void addThree(TfrReport &report)
    {
        addMemo(report, "A", {100, 100, 40, 20});
        addMemo(report, "B", {100, 200, 80, 20});
        addMemo(report, "C", {100, 300, 60, 20});
    }

private slots:
    void init()
    {
        m_dir = new QTemporaryDir;
        QVERIFY(m_dir->isValid());
        frDesignerSettings::setFileName(path("designer.ini"));
        setLocale("it_IT");
        m_messages.clear();
        m_engine.clear();
        m_dialogs.clear();
        TfrDesignerDialogs &d = frDesignerDialogs();
        d.message = [this](QWidget *, const QString &text, const QString &caption, TMsgDlgType, TMsgDlgButtons, int) {
            m_messages.append({text, caption});
            return int(mrOk);
        };
        d.exec = [this](QDialog &dialog) {
            m_dialogs << QString::fromLatin1(dialog.metaObject()->className());
            return int(QDialog::Rejected);
        };
        m_previousSink = frSetMessageSink([this](const QString &text, const QString &caption, TfrMessageIcon) {
            m_engine.append({text, caption});
        });
    }

    void cleanup()
    {
        frSetMessageSink(m_previousSink);
        frRegistry::setBuilder({});
        frRegistry::setPreview({});
        frResetDesignerDialogs();
        frDesignerSettings::setFileName(QString());
        setLocale("it_IT");
        if (QTest::currentTestFailed()) m_dir->setAutoRemove(false);
        delete m_dir;
        m_dir = nullptr;
    }

    // ------------------------------------------------------------ numbers

    void numbers_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("units");
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("pixels");      // -1: refused
        QTest::addColumn<QString>("shown");   // the row afterwards

        // The object: 100, 120, 80 x 20 pixels; in millimetres 26,45, 31,74, 21,16, 5,29.
        QTest::newRow("X in mm, it_IT") << int(TInspForm::RowX) << 1 << "it_IT" << "10" << 38 << "10,05";
        QTest::newRow("X in mm, en_US") << int(TInspForm::RowX) << 1 << "en_US" << "10" << 38 << "10.05";
        QTest::newRow("Y with the locale's comma") << int(TInspForm::RowY) << 1 << "it_IT" << "10,5" << 40 << "10,58";
        QTest::newRow("Y with a point in it_IT") << int(TInspForm::RowY) << 1 << "it_IT" << "10.5" << 40 << "10,58";
        QTest::newRow("Y with a point in en_US") << int(TInspForm::RowY) << 1 << "en_US" << "10.5" << 40 << "10.58";
        QTest::newRow("Larghezza in inches") << int(TInspForm::RowWidth) << 2 << "it_IT" << "1,5" << 144 << "1,5";
        QTest::newRow("Altezza in pixels, spaces around") << int(TInspForm::RowHeight) << 0 << "it_IT" << " 37 " << 37 << "37";
        QTest::newRow("pixels rounded") << int(TInspForm::RowX) << 0 << "it_IT" << "80,4" << 80 << "80";
        QTest::newRow("letters refused, row back in mm") << int(TInspForm::RowX) << 1 << "it_IT" << "dieci" << -1 << "26,45";
        QTest::newRow("empty refused") << int(TInspForm::RowY) << 1 << "it_IT" << "" << -1 << "31,74";
        QTest::newRow("two separators refused") << int(TInspForm::RowWidth) << 1 << "it_IT" << "1,5.2" << -1 << "21,16";
        QTest::newRow("refused in inches, row back in inches") << int(TInspForm::RowHeight) << 2 << "en_US" << "x" << -1 << "0.21";
        QTest::newRow("comma in en_US") << int(TInspForm::RowX) << 1 << "en_US" << "10,5" << -1 << "26.45";
        QTest::newRow("grouping in en_US, was read as a thousand") << int(TInspForm::RowX) << 0 << "en_US" << "1,000" << -1 << "100";
        QTest::newRow("too large for a pixel count") << int(TInspForm::RowX) << 0 << "it_IT" << "1e12" << -1 << "100";
        QTest::newRow("not a finite number") << int(TInspForm::RowX) << 0 << "it_IT" << "inf" << -1 << "100";
    }
    void numbers()
    {
        QFETCH(int, row);
        QFETCH(int, units);
        QFETCH(QString, locale);
        QFETCH(QString, typed);
        QFETCH(int, pixels);
        QFETCH(QString, shown);
        setLocale(locale);
        TfrReport report;
        TfrView *a = addMemo(report, "A", {100, 120, 80, 20});
        TFRDesignerForm form(report);
        QVERIFY(showForm(form));
        form.Units = units;
        form.SelectOnly(a);
        TInspForm *insp = form.InspForm;

        type(insp, row, typed);
        QTest::keyClick(insp->Edit1, Qt::Key_Return);

        QRect expected(100, 120, 80, 20);
        if (pixels >= 0) {
            switch (row) {
            case TInspForm::RowX: expected.moveLeft(pixels); break;
            case TInspForm::RowY: expected.moveTop(pixels); break;
            case TInspForm::RowWidth: expected.setWidth(pixels); break;
            default: expected.setHeight(pixels); break;
            }
        }
        QCOMPARE(boxOf(a), expected);
        QCOMPARE(insp->Value(row), shown);
        QCOMPARE(insp->CurrentRow(), row);
        QCOMPARE(insp->Edit1->text(), shown);
        QCOMPARE(form.History().count(), pixels >= 0 ? 2 : 1);
        QCOMPARE(texts(m_messages), pixels >= 0 ? QStringList() : QStringList{kInvalid});
        if (pixels < 0) QCOMPARE(m_messages.first().caption, QStringLiteral("Errore"));
    }

    void applyingKeys_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("rowAfter");
        QTest::newRow("Enter") << "Enter" << int(TInspForm::RowX);
        QTest::newRow("Down moves on") << "Down" << int(TInspForm::RowY);
        QTest::newRow("Up moves back") << "Up" << int(TInspForm::RowName);
        QTest::newRow("a click on another row") << "click" << int(TInspForm::RowHeight);
        QTest::newRow("leaving the window") << "leave" << int(TInspForm::RowX);
    }
    void applyingKeys()
    {
        QFETCH(QString, how);
        QFETCH(int, rowAfter);
        TfrReport report;
        TfrView *a = addMemo(report, "A", {100, 120, 80, 20});
        TFRDesignerForm form(report);
        QVERIFY(showForm(form));
        form.Units = 1;
        form.SelectOnly(a);
        TInspForm *insp = form.InspForm;

        type(insp, TInspForm::RowX, "10");
        if (how == "Enter") {
            QTest::keyClick(insp->Edit1, Qt::Key_Return);
        } else if (how == "Down") {
            QTest::keyClick(insp->Edit1, Qt::Key_Down);
        } else if (how == "Up") {
            QTest::keyClick(insp->Edit1, Qt::Key_Up);
        } else if (how == "click") {
            QTest::mouseClick(insp->PaintBox, Qt::LeftButton, {},
                              {5, TInspForm::RowHeight * insp->RowPixels() + insp->RowPixels() / 2});
        } else {
            QVERIFY(!insp->isActiveWindow());
            QEvent leave(QEvent::ActivationChange);
            QApplication::sendEvent(insp, &leave);
        }
        QCOMPARE(a->Left, 38);
        QCOMPARE(insp->CurrentRow(), rowAfter);
        QCOMPARE(insp->Value(TInspForm::RowX), QStringLiteral("10,05"));
        QCOMPARE(insp->Edit1->text(), insp->Value(rowAfter));
        QCOMPARE(form.History().count(), 2);
        QCOMPARE(m_messages.size(), 0);

        // One step each: a second value, then both undone one by one.
        type(insp, TInspForm::RowWidth, "50");
        QTest::keyClick(insp->Edit1, Qt::Key_Return);
        QCOMPARE(report.FindObject("A")->Width, 189);
        QCOMPARE(form.History().count(), 3);
        form.Undo();
        QCOMPARE(boxOf(report.FindObject("A")), QRect(38, 120, 80, 20));
        form.Undo();
        QCOMPARE(boxOf(report.FindObject("A")), QRect(100, 120, 80, 20));
    }

    void escapeRestoresTheText()
    {
        TfrReport report;
        TfrView *a = addMemo(report, "A", {100, 120, 80, 20});
        TFRDesignerForm form(report);
        QVERIFY(showForm(form));
        form.Units = 1;
        form.SelectOnly(a);
        TInspForm *insp = form.InspForm;

        type(insp, TInspForm::RowX, "10");
        QCOMPARE(insp->Edit1->text(), QStringLiteral("10"));
        QTest::keyClick(insp->Edit1, Qt::Key_Escape);
        QCOMPARE(insp->Edit1->text(), QStringLiteral("26,45"));
        // Nothing is left to apply: neither Enter nor moving on changes the object.
        QTest::keyClick(insp->Edit1, Qt::Key_Return);
        QTest::keyClick(insp->Edit1, Qt::Key_Down);
        QCOMPARE(insp->CurrentRow(), int(TInspForm::RowY));
        QCOMPARE(a->Left, 100);
        QCOMPARE(form.History().count(), 1);
        QCOMPARE(m_messages.size(), 0);
    }

    void unitChangeRefills()
    {
        TfrReport report;
        TfrView *a = addMemo(report, "A", {100, 120, 80, 20});
        TFRDesignerForm form(report);
        QVERIFY(showForm(form));
        form.findChild<QAction *>("Unit1")->trigger();
        form.SelectOnly(a);
        QCOMPARE(form.InspForm->Value(TInspForm::RowX), QStringLiteral("26,45"));
        form.findChild<QAction *>("Unit0")->trigger();
        QCOMPARE(form.InspForm->Value(TInspForm::RowX), QStringLiteral("100"));
        // A selection change shows the new unit.
        form.ClearSelection();
        form.SelectOnly(a);
        QCOMPARE(form.InspForm->Value(TInspForm::RowX), QStringLiteral("100"));
    }

    // ------------------------------------------------------------ other rows

    void visible_data()
    {
        QTest::addColumn<bool>("before");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<bool>("after");
        QTest::newRow("mixed case is true") << false << "vErO" << true << true;
        QTest::newRow("spaces around") << false << " VERO " << true << true;
        QTest::newRow("falso") << true << "falso" << true << false;
        QTest::newRow("si refused") << false << "si" << false << false;
        QTest::newRow("a number refused") << true << "1" << false << true;
        QTest::newRow("empty refused") << true << "" << false << true;
    }
    void visible()
    {
        QFETCH(bool, before);
        QFETCH(QString, typed);
        QFETCH(bool, accepted);
        QFETCH(bool, after);
        TfrReport report;
        TfrView *a = addMemo(report, "A", {100, 120, 80, 20});
        a->Visible = before;
        TFRDesignerForm form(report);
        QVERIFY(showForm(form));
        form.SelectOnly(a);
        TInspForm *insp = form.InspForm;
        QCOMPARE(insp->Value(TInspForm::RowVisible), before ? QStringLiteral("Vero") : QStringLiteral("Falso"));

        type(insp, TInspForm::RowVisible, typed);
        QTest::keyClick(insp->Edit1, Qt::Key_Return);
        QCOMPARE(a->Visible, after);
        const QString shown = after ? QStringLiteral("Vero") : QStringLiteral("Falso");
        QCOMPARE(insp->Value(TInspForm::RowVisible), shown);
        QCOMPARE(insp->Edit1->text(), shown);
        QCOMPARE(texts(m_messages), accepted ? QStringList() : QStringList{kInvalid});
        QCOMPARE(form.History().count(), accepted ? 2 : 1);
    }

    void rename_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message");   // the engine's; empty: renamed
        QTest::newRow("a valid name") << "Sistolica" << "";
        QTest::newRow("starts with a digit") << "1Sistolica" << "Formato del nome errato.";
        QTest::newRow("a space inside") << "Pressione minima" << "Formato del nome errato.";
        QTest::newRow("another object's name") << "b" << "Non è possibile assegnare un nome già esistente.";
    }
    void rename()
    {
        QFETCH(QString, typed);
        QFETCH(QString, message);
        TfrReport report;
        TfrView *a = addMemo(report, "A", {100, 100, 40, 20});
        addMemo(report, "B", {100, 200, 40, 20});
        TFRDesignerForm form(report);
        QVERIFY(showForm(form));
        form.SelectOnly(a);
        TInspForm *insp = form.InspForm;
        QCOMPARE(insp->Objects->currentText(), QStringLiteral("A"));

        type(insp, TInspForm::RowName, typed);
        QTest::keyClick(insp->Edit1, Qt::Key_Return);
        const QString name = message.isEmpty() ? typed : QStringLiteral("A");
        QCOMPARE(a->Name, name);
        QCOMPARE(items(insp->Objects), QStringList({name, "B"}));
        QCOMPARE(insp->Objects->currentText(), name);
        QCOMPARE(insp->Value(TInspForm::RowName), name);
        QCOMPARE(insp->Edit1->text(), name);
        QCOMPARE(texts(m_engine), message.isEmpty() ? QStringList() : QStringList{message});
        if (!message.isEmpty()) QCOMPARE(m_engine.first().caption, QStringLiteral("Errore"));
        // The engine told the user; no second box from the inspector.
        QCOMPARE(m_messages.size(), 0);
        QCOMPARE(form.History().count(), message.isEmpty() ? 2 : 1);
    }

    void textRowOpensTheEditor()
    {
        TfrReport report;
        TfrView *a = addMemo(report, "A", {100, 100, 40, 20});
        TFRDesignerForm form(report);
        QVERIFY(showForm(form));
        TInspForm *insp = form.InspForm;
        insp->SetCurrentRow(TInspForm::RowText);
        QVERIFY(!insp->EditBtn->isVisible());
        QTest::keyClick(insp->Edit1, Qt::Key_Return);
        QCOMPARE(m_dialogs, QStringList());

        form.SelectOnly(a);
        insp->SetCurrentRow(TInspForm::RowText);
        QCOMPARE(insp->Edit1->text(), QStringLiteral("(Testo)"));
        QVERIFY(insp->Edit1->isReadOnly());
        QVERIFY(insp->EditBtn->isVisible());
        QTest::keyClick(insp->Edit1, Qt::Key_Return);
        QCOMPARE(m_dialogs, QStringList{"TEditorForm"});
        QTest::mouseClick(insp->EditBtn, Qt::LeftButton);
        QCOMPARE(m_dialogs.size(), 2);
        QTest::mouseDClick(insp->PaintBox, Qt::LeftButton, {},
                           {5, TInspForm::RowText * insp->RowPixels() + insp->RowPixels() / 2});
        QCOMPARE(m_dialogs.size(), 3);
        QCOMPARE(form.History().count(), 1);
    }

    // ------------------------------------------------------------ filling

    void filling()
    {
        TfrReport report;
        TfrView *a = addMemo(report, "A", {100, 120, 80, 20});
        TfrView *b = addMemo(report, "B", {200, 300, 40, 10});
        TFRDesignerForm form(report);
        QVERIFY(showForm(form));
        form.Units = 1;
        TInspForm *insp = form.InspForm;
        const QStringList empty(TInspForm::RowCount, QString());

        // Nothing selected: no values and no input.
        form.ClearSelection();
        QCOMPARE(values(insp), empty);
        insp->SetCurrentRow(TInspForm::RowX);
        QVERIFY(insp->Edit1->isReadOnly());
        QTest::keyClicks(insp->Edit1, "10");
        QTest::keyClick(insp->Edit1, Qt::Key_Return);
        QCOMPARE(insp->Edit1->text(), QString());
        QCOMPARE(boxOf(a), QRect(100, 120, 80, 20));

        form.SelectOnly(a);
        QCOMPARE(values(insp), QStringList({"A", "26,45", "31,74", "21,16", "5,29", "Vero", ""}));
        QVERIFY(!insp->Edit1->isReadOnly());
        QCOMPARE(insp->Edit1->text(), QStringLiteral("26,45"));

        // Several: empty values, and what is typed goes to all of them, as one step.
        b->Selected = true;
        form.SelectionChanged();
        QCOMPARE(values(insp), empty);
        QVERIFY(!insp->Edit1->isReadOnly());
        type(insp, TInspForm::RowX, "10");
        QTest::keyClick(insp->Edit1, Qt::Key_Return);
        QCOMPARE(boxOf(a), QRect(38, 120, 80, 20));
        QCOMPARE(boxOf(b), QRect(38, 300, 40, 10));
        type(insp, TInspForm::RowVisible, "falso");
        QTest::keyClick(insp->Edit1, Qt::Key_Return);
        QVERIFY(!a->Visible);
        QVERIFY(!b->Visible);
        QCOMPARE(form.History().count(), 3);
        QCOMPARE(m_messages.size(), 0);
    }

    // ------------------------------------------------------------ the objects list

    void objectsKeptInStep()
    {
        TfrReport report;
        report.Pages.Add();
        TfrView *a = addMemo(report, "A", {100, 100, 40, 20});
        addMemo(report, "B", {100, 200, 40, 20});
        addMemo(report, "C", {100, 100, 40, 20}, 1);
        TFRDesignerForm form(report);
        QVERIFY(showForm(form));
        QComboBox *objects = form.InspForm->Objects;
        QCOMPARE(items(objects), QStringList({"A", "B"}));

        form.SetTool(TFRDesignerForm::ToolMemo);
        QTest::mouseClick(form.PageView, Qt::LeftButton, {}, {300, 400});
        QCOMPARE(report.Pages[0]->Objects.size(), 3);
        QCOMPARE(items(objects), names(report, 0));
        QCOMPARE(objects->currentText(), report.Pages[0]->Objects.last()->Name);

        form.SelectOnly(a);
        form.Copy();
        form.Paste();
        QCOMPARE(report.Pages[0]->Objects.size(), 4);
        QCOMPARE(items(objects), names(report, 0));

        form.SelectOnly(report.FindObject("B"));
        QTest::keyClick(form.PageView, Qt::Key_Delete);
        QVERIFY(!report.FindObject("B"));
        QVERIFY(!items(objects).contains("B"));
        QCOMPARE(items(objects), names(report, 0));

        form.PageTabs->setCurrentIndex(1);
        QCOMPARE(items(objects), QStringList{"C"});
        form.PageTabs->setCurrentIndex(0);
        QCOMPARE(items(objects), names(report, 0));

        form.Undo();
        QVERIFY(report.FindObject("B"));
        QCOMPARE(items(objects), names(report, 0));
    }

    void choosingANameSelectsItAlone()
    {
        TfrReport report;
        addThree(report);
        TFRDesignerForm form(report);
        QVERIFY(showForm(form));
        form.SelectAll();
        QCOMPARE(form.SelNum(), 3);
        choose(form.InspForm->Objects, 1);
        QCOMPARE(form.SelNum(), 1);
        QCOMPARE(form.SelectedObject(), report.FindObject("B"));
        QCOMPARE(form.InspForm->Value(TInspForm::RowName), QStringLiteral("B"));
        // A selection, not a change.
        QCOMPARE(form.History().count(), 1);
        // The object chosen so is the palette's reference.
        report.FindObject("C")->Selected = true;
        form.SelectionChanged();
        QCOMPARE(form.ReferenceObject(), report.FindObject("B"));
    }

    // ------------------------------------------------------------ keys for the designer

    void functionKeysGoToTheDesigner()
    {
        TfrReport report;
        TfrView *a = addMemo(report, "A", {100, 100, 40, 20});
        TFRDesignerForm form(report);
        QVERIFY(showForm(form));
        form.SelectOnly(a);
        TInspForm *insp = form.InspForm;
        QVERIFY(insp->isVisible());
        QVERIFY(form.InspectorAction->isChecked());
        // F11 toggles once, whether the menu's shortcut or the edit box takes it.
        insp->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(insp));
        insp->Edit1->setFocus();

        QTest::keyClick(insp->Edit1, Qt::Key_F11);
        QVERIFY(!form.InspectorAction->isChecked());
        QVERIFY(!insp->isVisible());

        int previews = 0;
        bool shownDuring = true;
        frRegistry::setBuilder([](TfrReport &) { return true; });
        frRegistry::setPreview([&](TfrReport &) {
            ++previews;
            shownDuring = form.AlignForm->isVisible();
        });
        QTest::keyClick(insp->Edit1, Qt::Key_F9);
        QCOMPARE(previews, 1);
        QVERIFY(!shownDuring);
        QVERIFY(form.AlignForm->isVisible());
        // Shift+F10 is no shortcut of the designer's menus: only the edit box
        // passing it on opens the designer's context menu.
        QVERIFY(!form.ContextMenu->isVisible());
        QTest::keyClick(insp->Edit1, Qt::Key_F10, Qt::ShiftModifier);
        QVERIFY(form.ContextMenu->isVisible());
        form.ContextMenu->hide();
        QCOMPARE(form.History().count(), 1);
        QCOMPARE(m_messages.size(), 0);
    }

    // ------------------------------------------------------------ the windows

    void toolWindows()
    {
        TfrReport report;
        TFRDesignerForm form(report);
        const QList<QWidget *> windows{form.InspForm, form.AlignForm};
        for (QWidget *w : windows) {
            QVERIFY2(w->isWindow(), qPrintable(w->objectName()));
            QCOMPARE(w->windowType(), Qt::Tool);
            QVERIFY2(w->windowFlags().testFlag(Qt::WindowStaysOnTopHint), qPrintable(w->objectName()));
            QVERIFY2(w->testAttribute(Qt::WA_ShowWithoutActivating), qPrintable(w->objectName()));
            QCOMPARE(w->parentWidget(), static_cast<QWidget *>(&form));
        }
        QCOMPARE(form.InspForm->windowTitle(), QStringLiteral("Controllo oggetto"));
        QCOMPARE(form.AlignForm->windowTitle(), QStringLiteral("Allineamento"));
        QStringList hints;
        for (QToolButton *b : form.AlignForm->Buttons) {
            QCOMPARE(b->focusPolicy(), Qt::NoFocus);
            hints << b->toolTip();
        }
        QCOMPARE(hints, QStringList({"Allinea al bordo sinistro", "Allinea al bordo destro", "Allinea in alto",
                                     "Allinea in basso", "Allinea orizzontalmente centrando",
                                     "Allinea verticalmente centrando", "Centra orizzontalmente nella finestra",
                                     "Centra verticalmente nella finestra", "Spazi uniformi orizzontalmente",
                                     "Spazi uniformi veticalmente"}));
        QStringList labels;
        for (int r = 0; r < TInspForm::RowCount; ++r) labels << TInspForm::RowLabel(r);
        QCOMPARE(labels, QStringList({"Nome", "X", "Y", "Larghezza", "Altezza", "Visibile", "Testo"}));
    }

    void placeAndVisibility_data()
    {
        QTest::addColumn<bool>("inFile");      // Visible=false written before the designer opens
        QTest::newRow("no file: both shown") << false;
        QTest::newRow("hidden in the file") << true;
    }
    void placeAndVisibility()
    {
        QFETCH(bool, inFile);
        if (inFile) {
            QSettings ini(path("designer.ini"), QSettings::IniFormat);
            ini.setValue("InspForm/Left", 610);
            ini.setValue("InspForm/Top", 40);
            ini.setValue("InspForm/Visible", false);
            ini.setValue("AlignForm/Left", 520);
            ini.setValue("AlignForm/Top", 90);
            ini.setValue("AlignForm/Visible", false);
        }
        TfrReport report;
        {
            TFRDesignerForm form(report);
            // Not before the designer itself.
            QVERIFY(!form.InspForm->isVisible());
            QVERIFY(!form.AlignForm->isVisible());
            QVERIFY(showForm(form));
            QCOMPARE(form.InspForm->isVisible(), !inFile);
            QCOMPARE(form.AlignForm->isVisible(), !inFile);
            QCOMPARE(form.InspectorAction->isChecked(), !inFile);
            QCOMPARE(form.AlignAction->isChecked(), !inFile);
            if (inFile) {
                QCOMPARE(form.InspForm->pos(), QPoint(610, 40));
                QCOMPARE(form.AlignForm->pos(), QPoint(520, 90));
            }

            // The menu entries show and hide them.
            form.InspectorAction->trigger();
            QCOMPARE(form.InspForm->isVisible(), inFile);
            form.InspectorAction->trigger();
            QCOMPARE(form.InspForm->isVisible(), !inFile);
            form.AlignAction->trigger();
            QCOMPARE(form.AlignForm->isVisible(), inFile);
            QCOMPARE(form.InspForm->isVisible(), !inFile);

            form.InspForm->move(300, 60);
            form.AlignForm->move(200, 70);
            QVERIFY(form.close());
            QCOMPARE(m_messages.size(), 0);
        }
        QSettings ini(path("designer.ini"), QSettings::IniFormat);
        QCOMPARE(ini.value("InspForm/Left").toInt(), 300);
        QCOMPARE(ini.value("InspForm/Top").toInt(), 60);
        QCOMPARE(ini.value("InspForm/Visible").toBool(), !inFile);
        QCOMPARE(ini.value("AlignForm/Left").toInt(), 200);
        QCOMPARE(ini.value("AlignForm/Top").toInt(), 70);
        QCOMPARE(ini.value("AlignForm/Visible").toBool(), inFile);
        QVERIFY(ini.value("InspForm/Width").toInt() > 0);
        QVERIFY(ini.value("AlignForm/Height").toInt() > 0);
    }

    void previewHidesThem_data()
    {
        QTest::addColumn<bool>("inspector");
        QTest::addColumn<bool>("palette");
        QTest::newRow("both shown") << true << true;
        QTest::newRow("inspector hidden stays hidden") << false << true;
        QTest::newRow("palette hidden stays hidden") << true << false;
    }
    void previewHidesThem()
    {
        QFETCH(bool, inspector);
        QFETCH(bool, palette);
        TfrReport report;
        addMemo(report, "A", {100, 100, 40, 20});
        TFRDesignerForm form(report);
        QVERIFY(showForm(form));
        if (!inspector) form.InspectorAction->trigger();
        if (!palette) form.AlignAction->trigger();
        QList<bool> during;
        frRegistry::setBuilder([](TfrReport &) { return true; });
        frRegistry::setPreview([&](TfrReport &) { during = {form.InspForm->isVisible(), form.AlignForm->isVisible()}; });
        form.Preview();
        QCOMPARE(during, QList<bool>({false, false}));
        QCOMPARE(form.InspForm->isVisible(), inspector);
        QCOMPARE(form.AlignForm->isVisible(), palette);
        QCOMPARE(form.InspectorAction->isChecked(), inspector);
        QCOMPARE(form.AlignAction->isChecked(), palette);
        // The page is shown again, its objects in the list.
        QCOMPARE(items(form.InspForm->Objects), QStringList{"A"});
    }

    // ------------------------------------------------------------ the palette

    void spaceThroughThePalette()
    {
        TfrReport report;
        // Not in left order in the page's list.
        addMemo(report, "Destra", {100, 50, 30, 20});
        addMemo(report, "Sinistra", {10, 100, 20, 20});
        addMemo(report, "Centro", {50, 150, 40, 20});
        TFRDesignerForm form(report);
        QVERIFY(showForm(form));
        form.SelectAll();
        QToolButton *space = paletteButton(form, "Spazi uniformi orizzontalmente");
        QVERIFY(space);
        QTest::mouseClick(space, Qt::LeftButton);
        QCOMPARE(boxOf(report.FindObject("Sinistra")), QRect(10, 100, 20, 20));
        QCOMPARE(boxOf(report.FindObject("Centro")), QRect(55, 150, 40, 20));
        QCOMPARE(boxOf(report.FindObject("Destra")), QRect(100, 50, 30, 20));
        QCOMPARE(form.History().count(), 2);
        QCOMPARE(form.SelNum(), 3);
        form.Undo();
        QCOMPARE(report.FindObject("Centro")->Left, 50);
        form.Redo();
        QCOMPARE(report.FindObject("Centro")->Left, 55);
    }

    void referenceForRightAlignment_data()
    {
        QTest::addColumn<QStringList>("steps");   // "A" a click, "+A" a Shift+click, "only A", "rubber"
        QTest::addColumn<QString>("reference");
        QTest::newRow("clicked, then Shift: the first although first in the list") << QStringList{"A", "+B"} << "A";
        QTest::newRow("the other way round") << QStringList{"B", "+A"} << "B";
        QTest::newRow("selected alone by the program, two added") << QStringList{"only A", "+C", "+B"} << "A";
        QTest::newRow("reference Shift-clicked away: last in the list")
            << QStringList{"B", "+A", "+C", "+B"} << "C";
        QTest::newRow("rubber band: last in the list") << QStringList{"rubber"} << "C";
        QTest::newRow("rubber band after a click forgets it") << QStringList{"A", "rubber"} << "C";
        QTest::newRow("rubber band, then Shift") << QStringList{"rubber", "+C"} << "B";
    }
    void referenceForRightAlignment()
    {
        QFETCH(QStringList, steps);
        QFETCH(QString, reference);
        TfrReport report;
        addThree(report);
        TFRDesignerForm form(report);
        QVERIFY(showForm(form));
        for (const QString &step : steps) {
            if (step == "rubber") {
                QTest::mousePress(form.PageView, Qt::LeftButton, {}, {90, 90});
                QTest::mouseMove(form.PageView, {250, 330});
                QTest::mouseRelease(form.PageView, Qt::LeftButton, {}, {250, 330});
            } else if (step.startsWith("only ")) {
                form.SelectOnly(report.FindObject(step.mid(5)));
            } else if (step.startsWith('+')) {
                QTest::mouseClick(form.PageView, Qt::LeftButton, Qt::ShiftModifier, centre(report.FindObject(step.mid(1))));
            } else {
                QTest::mouseClick(form.PageView, Qt::LeftButton, {}, centre(report.FindObject(step)));
            }
        }
        QVERIFY(form.SelNum() >= 2);
        const TfrView *ref = report.FindObject(reference);
        QCOMPARE(form.ReferenceObject(), ref);
        QCOMPARE(form.History().count(), 1);

        const QList<QRect> before{boxOf(report.FindObject("A")), boxOf(report.FindObject("B")),
                                  boxOf(report.FindObject("C"))};
        QTest::mouseClick(paletteButton(form, "Allinea al bordo destro"), Qt::LeftButton);
        const QStringList all{"A", "B", "C"};
        for (int i = 0; i < all.size(); ++i) {
            const TfrView *v = report.FindObject(all[i]);
            QRect expected = before[i];
            if (v->Selected) expected.moveLeft(ref->Left + ref->Width - v->Width);
            QCOMPARE(boxOf(v), expected);
        }
        QCOMPARE(boxOf(ref), before[all.indexOf(reference)]);
        QCOMPARE(form.History().count(), 2);
    }

    void fewerThanNeeded_data()
    {
        QTest::addColumn<QString>("hint");
        QTest::addColumn<QStringList>("selected");
        QTest::addColumn<bool>("changes");
        QTest::newRow("right edge, one object") << "Allinea al bordo destro" << QStringList{"B"} << false;
        QTest::newRow("centring, none") << "Allinea orizzontalmente centrando" << QStringList() << false;
        QTest::newRow("spacing, two objects") << "Spazi uniformi veticalmente" << QStringList{"A", "C"} << false;
        QTest::newRow("on the page, none") << "Centra verticalmente nella finestra" << QStringList() << false;
        QTest::newRow("on the page, one is enough") << "Centra orizzontalmente nella finestra" << QStringList{"B"} << true;
    }
    void fewerThanNeeded()
    {
        QFETCH(QString, hint);
        QFETCH(QStringList, selected);
        QFETCH(bool, changes);
        TfrReport report;
        addThree(report);
        TFRDesignerForm form(report);
        QVERIFY(showForm(form));
        form.ClearSelection();
        for (const QString &name : selected) report.FindObject(name)->Selected = true;
        form.SelectionChanged();
        QToolButton *button = paletteButton(form, hint);
        QVERIFY(button);
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(boxOf(report.FindObject("A")), QRect(100, 100, 40, 20));
        QCOMPARE(boxOf(report.FindObject("C")), QRect(100, 300, 60, 20));
        const int paperWidth = form.PageView->paperSize().width();
        QCOMPARE(boxOf(report.FindObject("B")),
                 changes ? QRect((paperWidth - 80) / 2, 200, 80, 20) : QRect(100, 200, 80, 20));
        QCOMPARE(form.History().count(), changes ? 2 : 1);
        QCOMPARE(form.Action("Annulla")->isEnabled(), changes);
    }
};

QTEST_MAIN(TestInspForm)
#include "tst_frinspform.moc"
