// Editing in the grid: the keys by column kind, the text editor, appending
// and leaving appended rows, deleting and selecting with keys, the memo
// editor (plain and RTF) and the date-time picker, posted and read back.

#include "gridfixture.h"

#include "core/datetime.h"
#include "core/formatsettings.h"
#include "grid/rtftext.h"

#include <QClipboard>
#include <QLineEdit>
#include <QRegularExpression>
#include <QScreen>
#include <QTextDocument>
#include <QDateTimeEdit>
#include <QTest>
#include <QTextEdit>

using namespace gridtest;

class TestGridEditing : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void keys_data();
    void keys();
    void diaryGridIgnoresEditingKeys();
    void textEditorTypesAndPosts();
    void escapeTakesBackFieldThenRecord();
    void showEditorAndEditChange();
    void appendingAndLeaving_data();
    void appendingAndLeaving();
    void upKeepsAChangedAppendedRow();
    void leavingAnUntouchedRowCancelsIt();
    void tabMovesThroughCells();
    void columnKeys();
    void deleteWithConfirmation_data();
    void deleteWithConfirmation();
    void selectionKeys();
    void clicks();
    void memoEditorPostsItsText();
    void richMemoKeepsRtf();
    void pickerPostsTheDay();
    void pickerFocus();
    void snapshot();
};

namespace {

int g_beeps = 0;
int g_fieldEditors = 0;
QString g_question;
bool g_answer = true;

// A table with one column of each kind under an editable grid.
struct EditList
{
    Tfrm_main window;
    CountingDataSet *table = new CountingDataSet(&window);
    TDataSource *source = new TDataSource(&window);
    TExRichDBGrid *grid = new TExRichDBGrid(&window);
    bool active = false;   // keys go to the focus widget: the window must be active

    explicit EditList(int rows = 3)
    {
        table->addColumn(QStringLiteral("Nome"), ftString, 30);
        table->addColumn(QStringLiteral("Attivo"), ftBoolean);
        table->addColumn(QStringLiteral("Note"), ftMemo);
        table->addColumn(QStringLiteral("Data"), ftDateTime);
        table->addColumn(QStringLiteral("Foto"), ftBlob);
        table->addColumn(QStringLiteral("Testo"), ftFmtMemo);
        const char *names[] = {"Bianchi", "Neri", "Rossi", "Verdi", "Gialli"};
        for (int i = 0; i < rows; ++i)
            table->addRow({QString::fromLatin1(names[i % 5]), i % 2 == 0, QStringLiteral("nota %1").arg(i),
                           45292.0 + i, QVariant(), QVariant()});
        source->SetDataSet(table);
        grid->setObjectName(QStringLiteral("grid_prova"));
        grid->SetScrollBars(TScrollStyle::ssNone);
        grid->SetDataSource(source);
        window.resize(900, 200);
        grid->setGeometry(0, 0, 900, 200);
        for (const char *name : {"Nome", "Attivo", "Note", "Data", "Foto", "Testo"})
            grid->Columns().Add()->SetFieldName(QString::fromLatin1(name));
        table->Open();
        for (int i = 0; i < 6; ++i) grid->Columns()[i]->SetWidth(120);
        window.show();
        window.activateWindow();
        active = QTest::qWaitForWindowActive(&window);
        grid->setFocus();
        QCoreApplication::processEvents();
    }
    ~EditList() { source->SetDataSet(nullptr); }

    TField *field(const char *name) const { return table->FieldByName(QString::fromLatin1(name)); }
    void column(const char *name)
    {
        for (int i = 0; i < grid->Columns().Count(); ++i)
            if (grid->Columns()[i]->FieldName() == QLatin1String(name)) grid->SetSelectedIndex(i);
    }
    QWidget *focus() const { return QApplication::focusWidget(); }
    void key(int key, Qt::KeyboardModifiers mods = {})
    {
        QTest::keyClick(focus() ? focus() : grid, Qt::Key(key), mods);
    }
    // Typed as a user types: each key to whatever has the focus then.
    void type(const QString &text)
    {
        for (const QChar c : text) QTest::keyClick(focus(), c.toLatin1());
    }
    QPoint cellCentre(int record, const char *name) const
    {
        for (int i = 0; i < grid->Columns().Count(); ++i)
            if (grid->Columns()[i]->FieldName() == QLatin1String(name))
                return grid->CellRect(i + 1, record + 1).center();
        return {};
    }
};

QString stored(const EditList &l, int row, const char *column)
{
    return l.table->stored(row, QString::fromLatin1(column)).toString();
}

} // namespace

void TestGridEditing::initTestCase()
{
    useDiaryFonts();
    TCustomDBGrid::beepHook() = [] { ++g_beeps; };
    TCustomDBGrid::confirmHook() = [](QWidget *, const QString &text) {
        g_question = text;
        return g_answer;
    };
    TExRichDBGrid::fieldEditorHook() = [](TExRichDBGrid *, TField *) { ++g_fieldEditors; };
}

void TestGridEditing::init()
{
    g_beeps = 0;
    g_fieldEditors = 0;
    g_question.clear();
    g_answer = true;
    QGuiApplication::clipboard()->setText(QStringLiteral("dagli appunti"));
}

void TestGridEditing::keys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("mods");
    QTest::addColumn<QString>("column");
    QTest::addColumn<bool>("editable");
    QTest::addColumn<QString>("outcome");
    const int none = 0, ctrl = int(Qt::ControlModifier);
    struct Row
    {
        const char *name;
        int key, mods;
        const char *column;
        const char *outcome;
    } rows[] = {
        {"Space on text types", Qt::Key_Space, none, "Nome", "text editor"},
        {"Enter on text", Qt::Key_Return, none, "Nome", "text editor, all selected"},
        {"F2 on text", Qt::Key_F2, none, "Nome", "text editor, caret at end"},
        {"Space on a check box", Qt::Key_Space, none, "Attivo", "toggled"},
        {"Enter on a check box", Qt::Key_Return, none, "Attivo", "toggled"},
        {"F2 on a check box", Qt::Key_F2, none, "Attivo", "toggled"},
        {"Space on a memo", Qt::Key_Space, none, "Note", "memo editor, all selected"},
        {"Enter on a memo", Qt::Key_Return, none, "Note", "memo editor, all selected"},
        {"F2 on a memo", Qt::Key_F2, none, "Note", "memo editor, caret at end"},
        {"Space on a date", Qt::Key_Space, none, "Data", "picker"},
        {"Enter on a date", Qt::Key_Return, none, "Data", "picker"},
        {"F2 on a date", Qt::Key_F2, none, "Data", "picker"},
        {"Enter on a blob", Qt::Key_Return, none, "Foto", "field editor"},
        {"Space on a blob", Qt::Key_Space, none, "Foto", "field editor"},
        {"Ctrl+C", Qt::Key_C, ctrl, "Nome", "copied"},
        {"Ctrl+V while browsing", Qt::Key_V, ctrl, "Nome", "beep"},
    };
    for (const Row &r : rows) {
        QTest::newRow(r.name) << r.key << r.mods << r.column << true << r.outcome;
        QTest::newRow(qPrintable(QStringLiteral("%1, read-only").arg(QLatin1String(r.name))))
            << r.key << r.mods << r.column << false << "nothing";
    }
}

void TestGridEditing::keys()
{
    QFETCH(int, key);
    QFETCH(int, mods);
    QFETCH(QString, column);
    QFETCH(bool, editable);
    QFETCH(QString, outcome);
    EditList l;
    QVERIFY(l.active);
    l.grid->SetReadOnly(!editable);
    l.column(qPrintable(column));
    const QVariant before = l.field(qPrintable(column))->Value();
    l.table->calls.clear();
    l.key(key, Qt::KeyboardModifiers(mods));

    TExRichDBGrid &g = *l.grid;
    const bool textEditor = g.InplaceEditor() && g.InplaceEditor()->isVisible();
    auto *memo = qobject_cast<QTextEdit *>(g.MemoEditor());
    const bool memoShown = memo && memo->isVisible();
    const bool picker = g.DateTimePicker() && g.DateTimePicker()->isVisible();
    QCOMPARE(textEditor, outcome.startsWith("text editor"));
    QCOMPARE(memoShown, outcome.startsWith("memo editor"));
    QCOMPARE(picker, outcome == "picker");
    QCOMPARE(g_fieldEditors, outcome == "field editor" ? 1 : 0);
    QCOMPARE(g_beeps, outcome == "beep" ? 1 : 0);
    QCOMPARE(QGuiApplication::clipboard()->text(),
             outcome == "copied" ? QStringLiteral("Bianchi") : QStringLiteral("dagli appunti"));
    if (outcome == "toggled") {
        QCOMPARE(l.table->State(), DataSetState::Edit);
        QCOMPARE(l.field("Attivo")->AsBoolean(), !before.toBool());
    } else if (!outcome.startsWith("text editor")) {
        QCOMPARE(l.field(qPrintable(column))->Value(), before);
    }
    if (outcome == "text editor, all selected") QCOMPARE(g.InplaceEditor()->selectedText(), QStringLiteral("Bianchi"));
    if (outcome == "text editor, caret at end") {
        QVERIFY(!g.InplaceEditor()->hasSelectedText());
        QCOMPARE(g.InplaceEditor()->cursorPosition(), 7);
    }
    if (outcome == "text editor") QCOMPARE(g.InplaceEditor()->text(), QStringLiteral(" "));
    if (outcome == "memo editor, all selected") QCOMPARE(memo->textCursor().selectedText(), QStringLiteral("nota 0"));
    if (outcome == "memo editor, caret at end") {
        QVERIFY(!memo->textCursor().hasSelection());
        QCOMPARE(memo->textCursor().position(), 6);
    }
    if (outcome == "nothing") {
        QCOMPARE(l.table->State(), DataSetState::Browse);
        QVERIFY(!g.EditorMode());
        QVERIFY(l.table->calls.filter("edit").isEmpty());
    }
}

void TestGridEditing::diaryGridIgnoresEditingKeys()
{
    DiaryList list;
    list.addDays(5);
    list.show(5);
    list.open();
    list.window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(list.window.get()));
    RecordingGrid &grid = *list.grid;
    grid.setFocus();
    list.diario->MoveBy(2);
    list.diario->calls.clear();
    for (int column : {0, 5}) {
        grid.SetSelectedIndex(column);
        for (const auto &k : {std::pair{Qt::Key_Space, Qt::NoModifier}, {Qt::Key_Return, Qt::NoModifier},
                              {Qt::Key_F2, Qt::NoModifier}, {Qt::Key_C, Qt::ControlModifier},
                              {Qt::Key_V, Qt::ControlModifier}, {Qt::Key_Insert, Qt::NoModifier},
                              {Qt::Key_Delete, Qt::ControlModifier}})
            QTest::keyClick(&grid, k.first, k.second);
    }
    QVERIFY(!grid.EditorMode());
    QVERIFY(!grid.InplaceEditor() || !grid.InplaceEditor()->isVisible());
    QCOMPARE(list.diario->State(), DataSetState::Browse);
    QVERIFY2(list.diario->calls.filter(QRegularExpression("edit|insert|update|delete")).isEmpty(),
             qPrintable(list.diario->calls.join(' ')));
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("dagli appunti"));
    QCOMPARE(g_beeps, 0);
    QVERIFY(g_question.isEmpty());
    // Down past the last day appends nothing either.
    list.diario->Last();
    QTest::keyClick(&grid, Qt::Key_Down);
    QCOMPARE(list.diario->State(), DataSetState::Browse);
}

void TestGridEditing::textEditorTypesAndPosts()
{
    EditList l;
    l.column("Nome");
    l.type(QStringLiteral("Verdini"));
    QVERIFY(l.grid->InplaceEditor()->isVisible());
    QCOMPARE(l.grid->InplaceEditor()->text(), QStringLiteral("Verdini"));
    QCOMPARE(l.table->State(), DataSetState::Edit);
    // Enter writes the field and closes the editor; the record is still open.
    l.key(Qt::Key_Return);
    QVERIFY(!l.grid->InplaceEditor()->isVisible());
    QCOMPARE(l.field("Nome")->AsString(), QStringLiteral("Verdini"));
    QCOMPARE(l.table->State(), DataSetState::Edit);
    l.key(Qt::Key_Down);
    QCOMPARE(l.table->State(), DataSetState::Browse);
    QCOMPARE(stored(l, 0, "Nome"), QStringLiteral("Verdini"));

    // Moving away with the editor still open posts what it holds.
    l.key(Qt::Key_F2);
    l.type(QStringLiteral("x"));
    QCOMPARE(l.focus(), l.grid->InplaceEditor());
    l.key(Qt::Key_Up);
    QCOMPARE(l.table->State(), DataSetState::Browse);
    QCOMPARE(stored(l, 1, "Nome"), QStringLiteral("Nerix"));
    QVERIFY(!l.grid->InplaceEditor()->isVisible());
}

void TestGridEditing::escapeTakesBackFieldThenRecord()
{
    EditList l;
    l.column("Nome");
    l.type(QStringLiteral("Ros"));
    l.key(Qt::Key_Tab);   // no dgTabs: Tab leaves the text in the editor
    l.grid->SetOptions(l.grid->Options() | dgTabs);
    l.key(Qt::Key_Return);
    QCOMPARE(l.field("Nome")->AsString(), QStringLiteral("Ros"));
    // The field's change is written; a new one in the editor goes first.
    l.key(Qt::Key_F2);
    l.type(QStringLiteral("si"));
    l.key(Qt::Key_Escape);
    QVERIFY(l.grid->InplaceEditor()->isVisible());
    QCOMPARE(l.grid->InplaceEditor()->text(), QStringLiteral("Ros"));
    QCOMPARE(l.table->State(), DataSetState::Edit);
    // The second Escape takes back the record's.
    l.key(Qt::Key_Escape);
    QVERIFY(!l.grid->InplaceEditor()->isVisible());
    QCOMPARE(l.table->State(), DataSetState::Browse);
    QCOMPARE(l.field("Nome")->AsString(), QStringLiteral("Bianchi"));
    QCOMPARE(stored(l, 0, "Nome"), QStringLiteral("Bianchi"));
}

void TestGridEditing::showEditorAndEditChange()
{
    EditList l;
    l.column("Nome");
    int changes = 0;
    bool allow = false;
    QStringList asked;
    l.grid->OnShowEditor = [&](QObject *, TField *field, bool &allowEdit) {
        asked << field->FieldName;
        allowEdit = allow;
    };
    l.grid->OnEditChange = [&](QObject *) { ++changes; };
    l.key(Qt::Key_F2);
    QVERIFY(!l.grid->EditorMode());
    QCOMPARE(asked, QStringList{"Nome"});
    l.column("Note");
    l.key(Qt::Key_F2);
    QVERIFY(!l.grid->EditorMode());
    QCOMPARE(asked.last(), QStringLiteral("Note"));
    QCOMPARE(l.table->State(), DataSetState::Browse);

    allow = true;
    l.column("Nome");
    l.key(Qt::Key_F2);
    l.type(QStringLiteral("abc"));
    QCOMPARE(changes, 3);
    l.key(Qt::Key_Escape);
    l.key(Qt::Key_Escape);
    l.column("Note");
    l.key(Qt::Key_F2);
    l.type(QStringLiteral("xy"));
    QCOMPARE(changes, 5);
}

void TestGridEditing::appendingAndLeaving_data()
{
    QTest::addColumn<bool>("autoAppend");
    QTest::addColumn<bool>("appends");
    QTest::newRow("AllowAutoAppend") << true << true;
    QTest::newRow("without it") << false << false;
}

void TestGridEditing::appendingAndLeaving()
{
    QFETCH(bool, autoAppend);
    QFETCH(bool, appends);
    EditList l;
    l.grid->AllowAutoAppend = autoAppend;
    l.column("Nome");
    l.table->Last();
    l.key(Qt::Key_Down);
    QCOMPARE(l.table->State(), appends ? DataSetState::Insert : DataSetState::Browse);
    if (!appends) return;
    // The appended record survives leaving its row: dgCancelOnExit is off.
    QVERIFY(!(l.grid->Options() & dgCancelOnExit));
    // Down again on the untouched row appends nothing more.
    l.key(Qt::Key_Down);
    QCOMPARE(l.table->State(), DataSetState::Insert);
    // Up takes it back: nothing was typed in it.
    l.key(Qt::Key_Up);
    QVERIFY(l.grid->Options() & dgCancelOnExit);
    QCOMPARE(l.table->State(), DataSetState::Browse);
    QCOMPARE(l.table->rows().size(), 3);
    QCOMPARE(l.field("Nome")->AsString(), QStringLiteral("Rossi"));
    // Insert puts a new record before the current one.
    l.key(Qt::Key_Insert);
    QCOMPARE(l.table->State(), DataSetState::Insert);
}

void TestGridEditing::upKeepsAChangedAppendedRow()
{
    EditList l;
    l.column("Nome");
    l.table->Last();
    l.key(Qt::Key_Down);
    l.type(QStringLiteral("Marroni"));
    l.key(Qt::Key_Up);
    // What the user typed is posted, not thrown away.
    QCOMPARE(l.table->State(), DataSetState::Browse);
    QCOMPARE(l.table->rows().size(), 4);
    QCOMPARE(stored(l, 3, "Nome"), QStringLiteral("Marroni"));
    // An edit of an existing record is posted by Up as well.
    l.key(Qt::Key_F2);
    l.type(QStringLiteral("!"));
    l.key(Qt::Key_Up);
    QCOMPARE(l.table->State(), DataSetState::Browse);
    QCOMPARE(stored(l, 2, "Nome"), QStringLiteral("Rossi!"));
}

void TestGridEditing::leavingAnUntouchedRowCancelsIt()
{
    EditList l;
    l.grid->AllowAutoAppend = false;
    l.column("Nome");
    // An inserted row nobody touched goes when the user clicks another row...
    l.table->MoveBy(1);
    l.key(Qt::Key_Insert);
    QTest::mouseClick(l.grid->viewport(), Qt::LeftButton, {}, l.cellCentre(0, "Nome"));
    QCOMPARE(l.table->State(), DataSetState::Browse);
    QCOMPARE(l.table->rows().size(), 3);
    QCOMPARE(l.field("Nome")->AsString(), QStringLiteral("Bianchi"));
    // ... or when the focus leaves the grid.
    l.key(Qt::Key_Insert);
    auto *other = new QLineEdit(&l.window);
    other->show();
    other->setFocus();
    QCOMPARE(l.table->State(), DataSetState::Browse);
    QCOMPARE(l.table->rows().size(), 3);
    // A touched one is kept and posted by the move.
    l.grid->setFocus();
    l.key(Qt::Key_Insert);
    l.type(QStringLiteral("Blu"));
    QTest::mouseClick(l.grid->viewport(), Qt::LeftButton, {}, l.cellCentre(2, "Nome"));
    QCOMPARE(l.table->State(), DataSetState::Browse);
    QCOMPARE(l.table->rows().size(), 4);
}

void TestGridEditing::tabMovesThroughCells()
{
    EditList l;
    l.grid->SetOptions(l.grid->Options() | dgTabs);
    l.column("Foto");
    l.key(Qt::Key_Tab);
    QCOMPARE(l.grid->SelectedField()->FieldName, QStringLiteral("Testo"));
    // Past the row's end: the next record's first cell.
    l.key(Qt::Key_Tab);
    QCOMPARE(l.grid->SelectedIndex(), 0);
    QCOMPARE(l.field("Nome")->AsString(), QStringLiteral("Neri"));
    l.key(Qt::Key_Backtab);
    QCOMPARE(l.grid->SelectedField()->FieldName, QStringLiteral("Testo"));
    QCOMPARE(l.field("Nome")->AsString(), QStringLiteral("Bianchi"));
    // Enter as Tab, and on past the last record into a new one.
    l.grid->EnterAsTab = true;
    l.table->Last();
    l.column("Testo");
    l.key(Qt::Key_Return);
    QCOMPARE(l.table->State(), DataSetState::Insert);
    QCOMPARE(l.grid->SelectedIndex(), 0);
}

void TestGridEditing::columnKeys()
{
    EditList l;
    l.grid->SetLockedCols(1);
    QCOMPARE(l.grid->FixedCols(), 1);
    l.column("Data");
    l.key(Qt::Key_Left, Qt::ControlModifier);
    QCOMPARE(l.grid->SelectedIndex(), 1);
    l.key(Qt::Key_Left);
    QCOMPARE(l.grid->SelectedIndex(), 1);
    l.column("Foto");
    l.key(Qt::Key_Home);
    QCOMPARE(l.grid->SelectedIndex(), 1);
}

void TestGridEditing::deleteWithConfirmation_data()
{
    QTest::addColumn<bool>("confirm");
    QTest::addColumn<bool>("selection");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<QString>("question");
    QTest::addColumn<QStringList>("left");
    QTest::newRow("one record, OK") << true << false << true << "Delete record?" << QStringList{"Bianchi", "Rossi"};
    QTest::newRow("one record, Cancel") << true << false << false << "Delete record?"
                                        << QStringList{"Bianchi", "Neri", "Rossi"};
    QTest::newRow("selected records") << true << true << true << "Delete all selected records?"
                                      << QStringList{"Neri"};
    QTest::newRow("without dgConfirmDelete") << false << false << true << "" << QStringList{"Bianchi", "Rossi"};
}

void TestGridEditing::deleteWithConfirmation()
{
    QFETCH(bool, confirm);
    QFETCH(bool, selection);
    QFETCH(bool, answer);
    QFETCH(QString, question);
    QFETCH(QStringList, left);
    EditList l;
    g_answer = answer;
    l.grid->SetOptions(confirm ? l.grid->Options() | dgConfirmDelete : l.grid->Options() & ~TDBGridOptions(dgConfirmDelete));
    if (selection) {
        l.grid->SetMultiSelect(true);
        l.grid->SelectRow(l.table->GetBookmark(), true);
        l.table->MoveBy(2);
        l.grid->SelectRow(l.table->GetBookmark(), true);
    } else {
        l.table->MoveBy(1);
    }
    l.key(Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(g_question, question);
    QStringList names;
    for (int i = 0; i < l.table->rows().size(); ++i) names << stored(l, i, "Nome");
    QCOMPARE(names, left);
    QVERIFY(l.grid->SelectedRows().isEmpty() || !answer);
}

void TestGridEditing::selectionKeys()
{
    EditList l(5);
    l.grid->SetMultiSelect(true);
    l.key(Qt::Key_Down, Qt::ShiftModifier);
    l.key(Qt::Key_Down, Qt::ShiftModifier);
    QCOMPARE(l.grid->SelectedRows().size(), 3);
    l.key(Qt::Key_PageDown, Qt::ControlModifier);
    QVERIFY(l.grid->SelectedRows().isEmpty());
    l.key(Qt::Key_Up, Qt::ShiftModifier);
    QCOMPARE(l.grid->SelectedRows().size(), 2);
    // A plain move clears it, as a plain click does.
    l.key(Qt::Key_Up);
    QVERIFY(l.grid->SelectedRows().isEmpty());
    QTest::mouseClick(l.grid->viewport(), Qt::LeftButton, {}, l.cellCentre(0, "Nome"));
    QTest::mouseClick(l.grid->viewport(), Qt::LeftButton, Qt::ControlModifier, l.cellCentre(2, "Nome"));
    QCOMPARE(l.grid->SelectedRows().size(), 2);
    QTest::mouseClick(l.grid->viewport(), Qt::LeftButton, Qt::ControlModifier, l.cellCentre(2, "Nome"));
    QCOMPARE(l.grid->SelectedRows().size(), 1);
}

void TestGridEditing::clicks()
{
    EditList l;
    QWidget *vp = l.grid->viewport();
    // A check box toggles at once, in edit state, not posted.
    const bool was = l.field("Attivo")->AsBoolean();
    QTest::mouseClick(vp, Qt::LeftButton, {}, l.cellCentre(0, "Attivo"));
    QCOMPARE(l.field("Attivo")->AsBoolean(), !was);
    QCOMPARE(l.table->State(), DataSetState::Edit);
    l.table->Cancel();
    // A memo opens on the second click on the same cell.
    QTest::mouseClick(vp, Qt::LeftButton, {}, l.cellCentre(1, "Note"));
    QVERIFY(!l.grid->EditorMode());
    QTest::mouseClick(vp, Qt::LeftButton, {}, l.cellCentre(1, "Note"));
    QVERIFY(l.grid->MemoEditor() && l.grid->MemoEditor()->isVisible());
    l.key(Qt::Key_Escape);
    // A click elsewhere in between starts the count again.
    QTest::mouseClick(vp, Qt::LeftButton, {}, l.cellCentre(1, "Data"));
    QTest::mouseClick(vp, Qt::LeftButton, {}, l.cellCentre(1, "Nome"));
    QTest::mouseClick(vp, Qt::LeftButton, {}, l.cellCentre(1, "Data"));
    QVERIFY(!l.grid->DateTimePicker() || !l.grid->DateTimePicker()->isVisible());
    QTest::mouseClick(vp, Qt::LeftButton, {}, l.cellCentre(1, "Data"));
    QVERIFY(l.grid->DateTimePicker()->isVisible());
    l.key(Qt::Key_Escape);
    // dgAlwaysShowEditor: the first click is enough.
    l.grid->SetOptions(l.grid->Options() | dgAlwaysShowEditor);
    QTest::mouseClick(vp, Qt::LeftButton, {}, l.cellCentre(2, "Data"));
    QVERIFY(l.grid->DateTimePicker()->isVisible());
    // A read-only grid toggles nothing.
    l.key(Qt::Key_Escape);
    l.grid->SetReadOnly(true);
    QTest::mouseClick(vp, Qt::LeftButton, {}, l.cellCentre(0, "Attivo"));
    QCOMPARE(l.table->State(), DataSetState::Browse);
    QCOMPARE(l.field("Attivo")->AsBoolean(), was);
}

void TestGridEditing::memoEditorPostsItsText()
{
    EditList l;
    l.table->Close();
    l.table->addRow({QStringLiteral("Gialli"), false, QStringLiteral("riga uno\r\nriga due"), 45300.0});
    l.table->Open();
    l.table->Last();
    l.column("Note");
    l.key(Qt::Key_F2);
    auto *memo = qobject_cast<QTextEdit *>(l.grid->MemoEditor());
    QVERIFY(memo && memo->isVisible());
    QCOMPARE(memo->toPlainText(), QStringLiteral("riga uno\nriga due"));
    l.key(Qt::Key_Return);
    l.type(QStringLiteral("tre"));
    QCOMPARE(l.table->State(), DataSetState::Edit);
    // Losing the focus closes it; its text stays in the record, with Windows line ends.
    auto *other = new QLineEdit(&l.window);
    other->show();
    other->setFocus();
    QVERIFY(!memo->isVisible());
    QCOMPARE(l.table->State(), DataSetState::Edit);
    QCOMPARE(l.field("Note")->AsString(), QStringLiteral("riga uno\r\nriga due\r\ntre"));
    l.table->Post();
    QCOMPARE(stored(l, 3, "Note"), QStringLiteral("riga uno\r\nriga due\r\ntre"));

    // Escape takes the record's changes back.
    l.grid->setFocus();
    l.key(Qt::Key_F2);
    l.type(QStringLiteral("x"));
    l.key(Qt::Key_Escape);
    QVERIFY(!memo->isVisible());
    QCOMPARE(l.table->State(), DataSetState::Browse);
    QCOMPARE(l.field("Note")->AsString(), QStringLiteral("riga uno\r\nriga due\r\ntre"));
}

void TestGridEditing::richMemoKeepsRtf()
{
    EditList l;
    l.grid->MemoInplaceEditor = TMemoInplaceEditor::RichEdit;
    l.table->Close();
    const QString rtf = QStringLiteral("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}"
                                       "{\\colortbl ;\\red255\\green0\\blue0;}"
                                       "\\f0\\fs20 Pressione \\b alta\\b0  e \\cf1 perch\\'e8\\cf0 ?\\par}");
    l.table->addRow({QStringLiteral("Gialli"), false, QString(), 45300.0, QVariant(), rtf});
    l.table->Open();
    l.table->Last();
    l.column("Testo");
    l.grid->SetDisplayMemo(true);
    l.key(Qt::Key_F2);
    auto *memo = qobject_cast<QTextEdit *>(l.grid->MemoEditor());
    QVERIFY(memo && memo->isVisible());
    QVERIFY(memo->toPlainText().startsWith(QStringLiteral("Pressione alta e perch\u00e8?")));
    l.type(QStringLiteral("!"));
    l.key(Qt::Key_Escape);   // back, unchanged
    l.key(Qt::Key_F2);
    l.type(QStringLiteral("!"));
    l.grid->setFocus();
    const QString saved = l.field("Testo")->AsString();
    QVERIFY2(saved.startsWith(QStringLiteral("{\\rtf1")), qPrintable(saved));
    QVERIFY(!saved.contains(QStringLiteral("<html"), Qt::CaseInsensitive));
    QTextDocument back;
    RtfToDocument(saved, back);
    QCOMPARE(back.toPlainText().trimmed(), QStringLiteral("Pressione alta e perch\u00e8?!"));
    l.table->Post();
    QCOMPARE(stored(l, 3, "Testo"), saved);
}

void TestGridEditing::pickerPostsTheDay()
{
    TFormatSettings fs = TFormatSettings::current();
    EditList l;
    l.column("Data");
    l.key(Qt::Key_Return);
    QDateTimeEdit *picker = l.grid->DateTimePicker();
    QVERIFY(picker && picker->isVisible());
    // The regional short date, not a fixed pattern.
    QCOMPARE(picker->displayFormat(), QStringLiteral("dd/MM/yyyy"));
    QCOMPARE(picker->date(), QDate(2024, 1, 1));
    picker->setDate(QDate(2024, 3, 15));
    QCOMPARE(l.table->State(), DataSetState::Edit);
    l.key(Qt::Key_Return);
    QVERIFY(!picker->isVisible());
    QCOMPARE(l.table->State(), DataSetState::Browse);
    QCOMPARE(l.table->stored(0, QStringLiteral("Data")).toDouble(), encodeDate(2024, 3, 15));

    // An empty day opens on today; Escape takes the record back.
    l.table->Append();
    l.table->FieldByName(QStringLiteral("Nome"))->SetAsString(QStringLiteral("Nuovo"));
    l.key(Qt::Key_F2);
    QCOMPARE(picker->date(), QDate::currentDate());
    l.key(Qt::Key_Escape);
    QCOMPARE(l.table->State(), DataSetState::Browse);
    QCOMPARE(l.table->rows().size(), 3);
}

void TestGridEditing::pickerFocus()
{
    EditList l;
    l.column("Data");
    l.key(Qt::Key_F2);
    QDateTimeEdit *picker = l.grid->DateTimePicker();
    picker->setDate(QDate(2024, 2, 2));
    // Its own calendar taking the focus is no leaving.
    QFocusEvent popup(QEvent::FocusOut, Qt::PopupFocusReason);
    QApplication::sendEvent(picker, &popup);
    QCoreApplication::processEvents();
    QVERIFY(picker->isVisible());
    QCOMPARE(l.table->State(), DataSetState::Edit);
    // A real loss closes it and keeps the day in the record.
    auto *other = new QLineEdit(&l.window);
    other->show();
    other->setFocus();
    QCoreApplication::processEvents();
    QVERIFY(!picker->isVisible());
    QCOMPARE(l.table->State(), DataSetState::Edit);
    QCOMPARE(l.field("Data")->AsDateTime(), encodeDate(2024, 2, 2));
}

// For looking at under a real display: TONALBA_GRID_SNAPSHOT names a PNG
// prefix; the screen is taken with the memo editor open, then the picker.
void TestGridEditing::snapshot()
{
    const QString path = qEnvironmentVariable("TONALBA_GRID_SNAPSHOT");
    if (path.isEmpty()) QSKIP("TONALBA_GRID_SNAPSHOT not set");
    EditList l;
    l.window.move(40, 40);
    l.grid->SetUseRowColors(true);
    l.grid->SetRowColor1(clBtnFace);
    l.grid->SetEditColor(clYellow);
    l.column("Note");
    l.key(Qt::Key_F2);
    l.type(QStringLiteral(" e passeggiata"));
    QTest::qWait(200);
    QVERIFY(l.window.screen()->grabWindow(0).save(path + QStringLiteral("-memo.png")));
    l.grid->setFocus();
    l.table->MoveBy(1);
    l.column("Data");
    l.key(Qt::Key_F2);
    QTest::qWait(200);
    QVERIFY(l.window.screen()->grabWindow(0).save(path + QStringLiteral("-picker.png")));
    QTest::qWait(qEnvironmentVariableIntValue("TONALBA_GRID_SNAPSHOT_HOLD_MS"));
}

QTEST_MAIN(TestGridEditing)
#include "tst_gridediting.moc"
