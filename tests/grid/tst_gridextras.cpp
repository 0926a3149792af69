// The grid's optional extras: automatic column widths, cell and scroll
// hints, hot tracking, dragging a column by its title, the search box, and
// what RowSizingAllowed switches on.

#include "gridfixture.h"

#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

using namespace gridtest;

class TestGridExtras : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { useDiaryFonts(); }

    void autoSizeMeasuresRowsOnScreen();
    void autoSizeKeepsTheUsersPlace();
    void autoSizeWaitsForAPendingEdit();
    void autoSwitchesAreExclusive();
    void autoWidth_data();
    void autoWidth();
    void autoWidthFollowsResize();
    void cellHint_data();
    void cellHint();
    void cellHintStaysOnScreen();
    void cellHintHiddenInEditorModeAndOnLeave();
    void scrollHint();
    void hotTrack();
    void columnDrag_data();
    void columnDrag();
    void columnDragScrollsAtTheEdges();
    void columnDragNeedsPlainTitles();
    void searchBox();
    void searchBoxNeedsAnIndexOnTheField_data();
    void searchBoxNeedsAnIndexOnTheField();
    void rowSizingSwitchesBaseOptions();
    void snapshot();
};

namespace {

// A table of names under a grid without border or scroll bars, so that the
// client width is the grid's width.
struct NameList
{
    QWidget window;
    IndexedTable *table = new IndexedTable(&window);
    TDataSource *source = new TDataSource(&window);
    TExRichDBGrid *grid = new TExRichDBGrid(&window);

    explicit NameList(const QStringList &columns = {QStringLiteral("Nome"), QStringLiteral("Citta")})
    {
        for (const QString &c : columns) table->addColumn(c, ftString, 60);
        source->SetDataSet(table);
        grid->SetScrollBars(TScrollStyle::ssNone);
        grid->SetBorderStyle(TBorderStyle::bsNone);
        grid->SetDataSource(source);
    }
    ~NameList() { source->SetDataSet(nullptr); }

    void add(const QStringList &names)
    {
        for (const QString &n : names) table->addRow({n, QStringLiteral("Roma")});
    }
    void show(int width, int height = 18 + 5 * 18)
    {
        window.resize(width + 50, height + 50);
        grid->setGeometry(0, 0, width, height);
        window.show();
        QCoreApplication::processEvents();
    }
    void open()
    {
        table->Open();
        QCoreApplication::processEvents();
    }
    QList<int> widths() const
    {
        QList<int> w;
        for (int i = 0; i < grid->Columns().Count(); ++i) w << grid->Columns()[i]->Width();
        return w;
    }
    QString current() const { return table->FieldByName(QStringLiteral("Nome"))->AsString(); }
};

int textWidth(const QWidget &w, const QString &text)
{
    return QFontMetrics(w.font()).horizontalAdvance(text);
}

void sendEnter(QWidget *grid, const QPoint &viewportPos)
{
    auto *g = static_cast<TCustomDBGrid *>(grid);
    const QPoint global = g->viewport()->mapToGlobal(viewportPos);
    QEnterEvent enter(g->mapFromGlobal(global), g->mapFromGlobal(global), global);
    QApplication::sendEvent(grid, &enter);
}

void sendLeave(QWidget *grid)
{
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(grid, &leave);
}

// A left drag along the title row, from one title to a point.
void dragTitle(TCustomDBGrid *grid, int fromCol, const QPoint &to)
{
    QWidget *vp = grid->viewport();
    const QPoint start = grid->CellRect(fromCol, 0).center();
    QTest::mousePress(vp, Qt::LeftButton, {}, start);
    QTest::mouseMove(vp, start + QPoint(to.x() > start.x() ? 10 : -10, 0));
    QTest::mouseMove(vp, to);
}

QStringList order(const TCustomDBGrid &grid)
{
    QStringList names;
    for (int i = 0; i < grid.Columns().Count(); ++i) names << grid.Columns()[i]->FieldName();
    return names;
}

} // namespace

void TestGridExtras::autoSizeMeasuresRowsOnScreen()
{
    NameList list;
    // Five rows fit; the widest name is the sixth record's and is not measured.
    list.add({"Bo", "Anna Maria", "Ugo", "Eva", "Pia", "Massimiliano Bartolomeo"});
    list.table->addRow({QVariant(), QVariant()});
    list.show(600);
    list.open();
    list.grid->resize(600, list.grid->CellRect(1, 1).top() + 5 * 18);
    QCOMPARE(list.grid->VisibleRowCount(), 5);
    list.grid->SetGridAutoSize(true);
    QCOMPARE(list.grid->Columns()[0]->Width(), textWidth(*list.grid, "Anna Maria") + 1 + 5);
    // The title counts when it is the widest text.
    list.grid->Columns()[1]->Title()->SetCaption(QStringLiteral("Città di residenza"));
    list.grid->AutoSizeColumns();
    QCOMPARE(list.grid->Columns()[1]->Width(),
             QFontMetrics(list.grid->Columns()[1]->Title()->Font()).horizontalAdvance("Città di residenza") + 6);

    // An absurdly wide value gives 1024, not a column nobody can scroll past.
    NameList wide;
    wide.add({QString(5000, QLatin1Char('W'))});
    wide.show(600);
    wide.open();
    wide.grid->SetGridAutoSize(true);
    QCOMPARE(wide.grid->Columns()[0]->Width(), 1024);

    // Off gives every column its default width back.
    const int defaultWidth = wide.grid->Columns()[1]->DefaultWidth();
    wide.grid->SetGridAutoSize(false);
    QCOMPARE(wide.grid->Columns()[0]->Width(), wide.grid->Columns()[0]->DefaultWidth());
    QCOMPARE(wide.grid->Columns()[1]->Width(), defaultWidth);
    QVERIFY(!wide.grid->Columns()[0]->WidthAssigned());
}

void TestGridExtras::autoSizeKeepsTheUsersPlace()
{
    NameList list;
    list.add({"Bianchi", "Neri", "Rossi", "Verdi", "Gialli", "Marroni", "Viola", "Blu"});
    list.show(600);
    list.open();
    list.table->MoveBy(6);
    QCOMPARE(list.current(), QStringLiteral("Viola"));
    list.grid->SetGridAutoSize(true);
    // Measuring walks from the first record; the user stays where they were.
    QCOMPARE(list.current(), QStringLiteral("Viola"));
    list.grid->resize(500, list.grid->height());
    QCOMPARE(list.current(), QStringLiteral("Viola"));
}

void TestGridExtras::autoSizeWaitsForAPendingEdit()
{
    NameList list;
    list.add({"Bianchi", "Neri", "Rossi"});
    list.show(600);
    list.open();
    list.grid->SetGridAutoSize(true);
    const QList<int> before = list.widths();
    list.table->MoveBy(1);
    list.table->Edit();
    list.table->FieldByName(QStringLiteral("Nome"))->SetAsString(QStringLiteral("Neri Bianchi Rossi Verdi"));
    list.table->calls.clear();
    list.grid->resize(500, list.grid->height());
    QCoreApplication::processEvents();
    // Not posted, not moved, not measured: the edit is the user's to finish.
    QCOMPARE(list.table->State(), DataSetState::Edit);
    QVERIFY2(list.table->calls.filter("update").isEmpty(), qPrintable(list.table->calls.join(' ')));
    QCOMPARE(list.current(), QStringLiteral("Neri Bianchi Rossi Verdi"));
    QCOMPARE(list.widths(), before);
    list.table->Cancel();
}

void TestGridExtras::autoSwitchesAreExclusive()
{
    NameList list;
    list.add({"Bianchi"});
    list.show(400);
    list.open();
    TExRichDBGrid &grid = *list.grid;
    grid.SetGridAutoSize(true);
    grid.SetGridAutoWidth(true);
    QVERIFY(grid.GridAutoWidth());
    QVERIFY(!grid.GridAutoSize());
    grid.SetGridAutoSize(true);
    QVERIFY(grid.GridAutoSize());
    QVERIFY(!grid.GridAutoWidth());
}

void TestGridExtras::autoWidth_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QList<int>>("widths");   // declared widths of the four columns
    QTest::addColumn<int>("locked");
    QTest::addColumn<QList<int>>("expected");
    QTest::addColumn<int>("client");
    // The indicator takes 11 + 1.
    const int uniform = int(TGridAutoWidthDisplay::Uniform);
    const int proportional = int(TGridAutoWidthDisplay::Proportional);
    QTest::newRow("uniform: the last absorbs the remainder")
        << uniform << QList<int>{64, 64, 64, 64} << 0 << QList<int>{96, 96, 96, 99} << 403;
    QTest::newRow("uniform shares what the fixed columns leave")
        << uniform << QList<int>{300, 64, 64, 64} << 1 << QList<int>{300, 28, 28, 28} << 400;
    QTest::newRow("uniform with fixed columns wider than the grid")
        << uniform << QList<int>{500, 64, 64, 64} << 1 << QList<int>{500, 0, 0, 0} << 400;
    QTest::newRow("proportional keeps the ratios")
        << proportional << QList<int>{100, 50, 50, 100} << 0 << QList<int>{128, 64, 64, 128} << 400;
    QTest::newRow("proportional after a fixed column")
        << proportional << QList<int>{100, 100, 50, 50} << 1 << QList<int>{100, 141, 71, 72} << 400;
}

void TestGridExtras::autoWidth()
{
    QFETCH(int, mode);
    QFETCH(QList<int>, widths);
    QFETCH(int, locked);
    QFETCH(QList<int>, expected);
    QFETCH(int, client);
    NameList list({"A", "B", "C", "D"});
    list.table->addRow({"a", "b", "c", "d"});
    for (const char *name : {"A", "B", "C", "D"}) list.grid->Columns().Add()->SetFieldName(QString::fromLatin1(name));
    for (int i = 0; i < 4; ++i) list.grid->Columns()[i]->SetWidth(widths[i]);
    list.show(client);
    list.open();
    QCOMPARE(list.grid->viewport()->width(), client);
    list.grid->SetLockedCols(locked);
    list.grid->SetGridAutoWidthDisplay(TGridAutoWidthDisplay(mode));
    list.grid->SetGridAutoWidth(true);
    QCOMPARE(list.widths(), expected);
    if (expected.last() > 0) {
        // Every pixel of the client is used, none beyond it.
        int used = 12;
        for (int w : expected) used += w + 1;
        QCOMPARE(used, client);
    }
}

void TestGridExtras::autoWidthFollowsResize()
{
    NameList list({"A", "B", "C"});
    list.table->addRow({"a", "b", "c"});
    list.show(400);
    list.open();
    list.grid->SetGridAutoWidth(true);
    QCOMPARE(list.widths(), (QList<int>{128, 128, 129}));
    list.grid->resize(500, list.grid->height());
    QCOMPARE(list.widths(), (QList<int>{161, 161, 163}));
    list.grid->SetGridAutoWidth(false);
    QVERIFY(!list.grid->Columns()[0]->WidthAssigned());
}

void TestGridExtras::cellHint_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("slack");   // column width minus text width
    QTest::addColumn<bool>("shown");
    QTest::newRow("two pixels narrower: fits") << "Bianchi Rossi" << 2 << false;
    QTest::newRow("one pixel narrower: cut") << "Bianchi Rossi" << 1 << true;
    QTest::newRow("half cut") << "Bianchi Rossi Verdi Neri" << -80 << true;
    QTest::newRow("empty") << "" << -10 << false;
}

void TestGridExtras::cellHint()
{
    QFETCH(QString, text);
    QFETCH(int, slack);
    QFETCH(bool, shown);
    NameList list;
    list.table->addRow({text.isEmpty() ? QVariant() : QVariant(text), QStringLiteral("Roma")});
    list.show(400);
    list.open();
    TExRichDBGrid &grid = *list.grid;
    grid.SetCellHints(true);
    grid.Hint = QStringLiteral("Elenco|Scegliere una persona");
    grid.Columns()[0]->SetWidth(qMax(1, textWidth(grid, text.isEmpty() ? QStringLiteral("Bianchi") : text) + slack));
    const QRect cell = grid.CellRect(1, 1);
    QTest::mouseMove(grid.viewport(), cell.center());
    QLabel *hint = grid.CellHintWindow();
    QCOMPARE(hint && hint->isVisible(), shown);
    if (!shown) return;
    QCOMPARE(hint->text(), text);
    QCOMPARE(hint->geometry().topLeft(), grid.viewport()->mapToGlobal(cell.topLeft()) - QPoint(1, 1));
    QCOMPARE(grid.Hint, text + QStringLiteral("|Scegliere una persona"));
    // A tool tip: it never takes the activation from the grid's window.
    QVERIFY(hint->windowFlags() & Qt::ToolTip);
    QVERIFY(hint->testAttribute(Qt::WA_ShowWithoutActivating));
    QVERIFY(hint->windowFlags() & Qt::WindowTransparentForInput);
}

void TestGridExtras::cellHintStaysOnScreen()
{
    NameList list;
    list.add({"Bianchi Rossi Verdi Neri Gialli Marroni"});
    list.show(300);
    const QRect screen = list.window.screen()->geometry();
    list.window.move(screen.right() - 150, screen.bottom() - 25);
    QCoreApplication::processEvents();
    list.open();
    TExRichDBGrid &grid = *list.grid;
    grid.SetCellHints(true);
    grid.Columns()[0]->SetWidth(120);
    grid.Columns()[1]->SetWidth(20);
    // The second column starts near the screen's right edge: the hint is moved back.
    sendEnter(&grid, grid.CellRect(2, 1).center());
    QLabel *hint = grid.CellHintWindow();
    QVERIFY(hint && hint->isVisible());
    QCOMPARE(hint->text(), QStringLiteral("Roma"));
    QCOMPARE(hint->geometry().right(), screen.right());
    QCOMPARE(hint->geometry().bottom(), screen.bottom());
    const QPoint cell = grid.viewport()->mapToGlobal(grid.CellRect(2, 1).topLeft());
    QVERIFY(hint->geometry().left() < cell.x() - 1);
    QVERIFY(hint->geometry().top() < cell.y() - 1);
}

void TestGridExtras::cellHintHiddenInEditorModeAndOnLeave()
{
    NameList memo({"Nome"});
    memo.table->addColumn(QStringLiteral("Note"), ftMemo);
    memo.table->addRow({QStringLiteral("Bianchi Rossi Verdi Neri Gialli"), QStringLiteral("nota")});
    memo.show(400);
    memo.open();
    TExRichDBGrid &grid = *memo.grid;
    grid.SetCellHints(true);
    grid.Columns()[0]->SetWidth(40);
    QTest::mouseMove(grid.viewport(), grid.CellRect(1, 1).center());
    QVERIFY(grid.CellHintWindow() && grid.CellHintWindow()->isVisible());

    // An in-place editor shown: no hint over it.
    memo.window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&memo.window));
    grid.setFocus();
    grid.SetSelectedIndex(1);
    grid.grab();
    QVERIFY(grid.MemoEditor());
    grid.MemoEditor()->show();
    QVERIFY(grid.EditorMode());
    QTest::mouseMove(grid.viewport(), grid.CellRect(1, 1).center() + QPoint(1, 0));
    QVERIFY(!grid.CellHintWindow()->isVisible());
    grid.MemoEditor()->hide();

    QTest::mouseMove(grid.viewport(), grid.CellRect(1, 1).center());
    QLabel *hint = grid.CellHintWindow();
    QVERIFY(hint->isVisible());
    // The hint lies over the pointer: a leave it causes is no leaving...
    QCursor::setPos(hint->geometry().center());
    sendLeave(&grid);
    QVERIFY(grid.CellHintWindow() && hint->isVisible());
    // ... and what reaches it goes to the grid.
    QTest::mouseMove(hint, hint->rect().center() + QPoint(0, 18));
    QCOMPARE(hint->text(), QStringLiteral("Bianchi Rossi Verdi Neri Gialli"));
    QCursor::setPos(grid.mapToGlobal(QPoint(-40, -40)));
    sendLeave(&grid);
    QVERIFY(!grid.CellHintWindow());
}

void TestGridExtras::scrollHint()
{
    DiaryList list;
    list.addDays(50);
    list.grid->SetScrollBars(TScrollStyle::ssBoth);
    list.show(10);
    list.open();
    RecordingGrid &grid = *list.grid;
    QScrollBar *bar = grid.verticalScrollBar();
    QCOMPARE(bar->maximum(), 49);

    // Off: dragging shows nothing.
    bar->setSliderDown(true);
    bar->setSliderPosition(10);
    QVERIFY(!grid.ScrollHintWindow());
    bar->setSliderDown(false);
    QCOMPARE(list.diario->RecNo(), 11);

    grid.SetScrollHints(true);
    bar->setSliderDown(true);
    bar->setSliderPosition(19);
    QLabel *hint = grid.ScrollHintWindow();
    QVERIFY(hint && hint->isVisible());
    QCOMPARE(hint->text(), QStringLiteral(" 20 of 50 "));
    QCOMPARE(hint->pos(), QCursor::pos() + QPoint(16, 16));
    // The record follows on release; the drag itself does not walk the table.
    QCOMPARE(list.diario->RecNo(), 11);
    bar->setSliderPosition(29);
    QCOMPARE(hint->text(), QStringLiteral(" 30 of 50 "));
    bar->setSliderDown(false);
    QVERIFY(!hint->isVisible());
    QCOMPARE(list.diario->RecNo(), 30);
}

void TestGridExtras::hotTrack()
{
    NameList list;
    list.add({"Bianchi"});
    list.show(300);
    list.open();
    TExRichDBGrid &grid = *list.grid;
    const TColor original = grid.FontColor();
    sendEnter(&grid, QPoint(5, 5));
    QCOMPARE(grid.FontColor(), original);
    sendLeave(&grid);

    grid.SetHotTrack(true);
    grid.HotTrackColor = clMaroon;
    sendEnter(&grid, QPoint(5, 5));
    QCOMPARE(grid.FontColor(), clMaroon);
    QCOMPARE(grid.Columns()[0]->FontColor(), clMaroon);
    sendLeave(&grid);
    QCOMPARE(grid.FontColor(), original);
}

void TestGridExtras::columnDrag_data()
{
    QTest::addColumn<int>("locked");
    QTest::addColumn<int>("from");      // grid column pressed
    QTest::addColumn<QString>("to");    // "col N", "past the end", "indicator"
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("onto another column") << 0 << 2 << "col 4" << QStringList{"A", "C", "D", "B", "E"};
    QTest::newRow("leftwards") << 0 << 4 << "col 1" << QStringList{"D", "A", "B", "C", "E"};
    QTest::newRow("past the last column") << 0 << 2 << "past the end" << QStringList{"A", "C", "D", "E", "B"};
    QTest::newRow("onto the indicator") << 0 << 4 << "indicator" << QStringList{"D", "A", "B", "C", "E"};
    QTest::newRow("onto a locked column") << 1 << 4 << "col 1" << QStringList{"A", "D", "B", "C", "E"};
}

void TestGridExtras::columnDrag()
{
    QFETCH(int, locked);
    QFETCH(int, from);
    QFETCH(QString, to);
    QFETCH(QStringList, expected);
    NameList list({"A", "B", "C", "D", "E"});
    list.table->addRow({"a", "b", "c", "d", "e"});
    list.show(500);
    list.open();
    TExRichDBGrid &grid = *list.grid;
    for (int i = 0; i < 5; ++i) grid.Columns()[i]->SetWidth(60);
    grid.SetLockedCols(locked);
    grid.SetSelectedIndex(from - 1);
    const QString moved = grid.Columns()[from - 1]->FieldName();

    QPoint target;
    if (to == QLatin1String("past the end")) target = QPoint(grid.CellRect(5, 0).right() + 20, 8);
    else if (to == QLatin1String("indicator")) target = QPoint(5, 8);
    else target = grid.CellRect(to.mid(4).toInt(), 0).center();
    dragTitle(&grid, from, target);
    QLabel *image = grid.DragImage();
    QVERIFY(image && image->isVisible());
    QCOMPARE(image->y(), 0);
    QCOMPARE(image->size(), grid.CellRect(from, 0).size());
    QTest::mouseRelease(grid.viewport(), Qt::LeftButton, {}, target);
    QVERIFY(!image->isVisible());
    QCOMPARE(order(grid), expected);
    // The current cell moved with its column.
    QCOMPARE(grid.SelectedField()->FieldName, moved);
}

void TestGridExtras::columnDragScrollsAtTheEdges()
{
    NameList list({"A", "B", "C", "D", "E", "F"});
    list.table->addRow({"a", "b", "c", "d", "e", "f"});
    list.show(300);
    list.open();
    TExRichDBGrid &grid = *list.grid;
    for (int i = 0; i < 6; ++i) grid.Columns()[i]->SetWidth(100);
    QCOMPARE(grid.LeftCol(), 0);
    dragTitle(&grid, 2, QPoint(150, 8));
    QVERIFY(grid.DragTimer() && !grid.DragTimer()->isActive());
    QTest::mouseMove(grid.viewport(), QPoint(297, 8));
    QVERIFY(grid.DragTimer()->isActive());
    QCOMPARE(grid.DragTimer()->interval(), 500);
    QVERIFY(QMetaObject::invokeMethod(grid.DragTimer(), "timeout"));
    QVERIFY(QMetaObject::invokeMethod(grid.DragTimer(), "timeout"));
    QCOMPARE(grid.LeftCol(), 2);
    QTest::mouseMove(grid.viewport(), QPoint(2, 8));
    QVERIFY(grid.DragTimer()->isActive());
    QVERIFY(QMetaObject::invokeMethod(grid.DragTimer(), "timeout"));
    QCOMPARE(grid.LeftCol(), 1);
    QTest::mouseMove(grid.viewport(), QPoint(150, 8));
    QVERIFY(!grid.DragTimer()->isActive());
    QTest::mouseRelease(grid.viewport(), Qt::LeftButton, {}, QPoint(150, 8));
    QVERIFY(!grid.DragTimer()->isActive());
}

void TestGridExtras::columnDragNeedsPlainTitles()
{
    const struct
    {
        const char *name;
        bool titleButtons;
        bool searchMode;
        bool columnResize;
    } cases[] = {{"title buttons", true, false, true},
                 {"search mode", false, true, true},
                 {"no column resizing", false, false, false}};
    for (const auto &c : cases) {
        NameList list({"A", "B", "C"});
        list.table->addRow({"a", "b", "c"});
        list.show(400);
        list.open();
        TExRichDBGrid &grid = *list.grid;
        grid.SetTitleButtons(c.titleButtons);
        grid.SetSearchMode(c.searchMode);
        if (!c.columnResize) grid.SetOptions(grid.Options() & ~TDBGridOptions(dgColumnResize));
        dragTitle(&grid, 1, grid.CellRect(3, 0).center());
        QVERIFY2(!grid.DragImage() || !grid.DragImage()->isVisible(), c.name);
        QTest::mouseRelease(grid.viewport(), Qt::LeftButton, {}, grid.CellRect(3, 0).center());
        QVERIFY2(order(grid) == (QStringList{"A", "B", "C"}), c.name);
    }
}

void TestGridExtras::searchBox()
{
    NameList list;
    list.table->indexes = {QStringLiteral("PrimaryKey"), QStringLiteral("Nome")};
    list.table->indexFields[QStringLiteral("Nome")] = QStringLiteral("Nome");
    list.add({"Bianchi", "Neri", "Rossi", "Rossini", "Verdi"});
    list.show(400);
    list.open();
    TExRichDBGrid &grid = *list.grid;
    grid.SetEditColor(clYellow);
    grid.SetSearchMode(true);
    list.table->MoveBy(4);

    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.CellRect(1, 0).center());
    QLineEdit *box = grid.SearchBox();
    QVERIFY(box && box->isVisible());
    QCOMPARE(list.table->IndexName(), QStringLiteral("Nome"));
    QCOMPARE(list.current(), QStringLiteral("Bianchi"));
    QCOMPARE(box->geometry(), grid.CellRect(1, 0));
    QVERIFY(box->text().isEmpty());
    QVERIFY(!box->hasFrame());
    QCOMPARE(box->palette().color(QPalette::Base), QColor(Qt::yellow));
    list.window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&list.window));
    QVERIFY(box->hasFocus());

    QTest::keyClicks(box, QStringLiteral("ros"));
    QCOMPARE(list.current(), QStringLiteral("Rossi"));
    QTest::keyClicks(box, QStringLiteral("sin"));
    QCOMPARE(list.current(), QStringLiteral("Rossini"));
    QCOMPARE(list.table->locates.last(), QStringLiteral("rossin"));
    QTest::keyClick(box, Qt::Key_Return);
    QVERIFY(!box->isVisible());
    QCOMPARE(list.current(), QStringLiteral("Rossini"));

    // Escape and the focus going elsewhere hide it too.
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.CellRect(1, 0).center());
    QVERIFY(box->isVisible());
    QTest::keyClick(box, Qt::Key_Escape);
    QVERIFY(!box->isVisible());
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.CellRect(1, 0).center());
    QVERIFY(box->isVisible());
    auto *other = new QLineEdit(&list.window);
    other->show();
    other->setFocus();
    QVERIFY(!box->isVisible());
}

void TestGridExtras::searchBoxNeedsAnIndexOnTheField_data()
{
    QTest::addColumn<QStringList>("indexes");
    QTest::addColumn<QString>("fields");   // of the index "NomeCitta"
    QTest::addColumn<bool>("shown");
    QTest::newRow("index on exactly the field") << QStringList{"NomeCitta"} << "Nome" << true;
    QTest::newRow("index on two fields") << QStringList{"NomeCitta"} << "Nome;Citta" << false;
    QTest::newRow("no index") << QStringList{} << "" << false;
}

void TestGridExtras::searchBoxNeedsAnIndexOnTheField()
{
    QFETCH(QStringList, indexes);
    QFETCH(QString, fields);
    QFETCH(bool, shown);
    NameList list;
    list.table->indexes = indexes;
    list.table->indexFields[QStringLiteral("NomeCitta")] = fields;
    list.add({"Bianchi", "Neri"});
    list.show(400);
    list.open();
    list.grid->SetSearchMode(true);
    QTest::mouseClick(list.grid->viewport(), Qt::LeftButton, {}, list.grid->CellRect(1, 0).center());
    QCOMPARE(list.grid->SearchBox() && list.grid->SearchBox()->isVisible(), shown);
    QCOMPARE(list.table->IndexName(), shown ? QStringLiteral("NomeCitta") : QString());

    // Datasets that are not indexed tables never show it.
    DiaryList diary;
    diary.addDays(3);
    diary.show(3);
    diary.open();
    diary.grid->SetTitleButtons(false);
    diary.grid->SetSearchMode(true);
    QTest::mouseClick(diary.grid->viewport(), Qt::LeftButton, {}, diary.grid->CellRect(1, 0).center());
    QVERIFY(!diary.grid->SearchBox());
}

void TestGridExtras::rowSizingSwitchesBaseOptions()
{
    DiaryList list;
    list.addDays(3);
    list.show(3);
    list.open();
    RecordingGrid &grid = *list.grid;
    // Building and configuring the diary's grid leaves the plain options alone.
    QCOMPARE(grid.BaseOptions(), TGridOptions(goColSizing | goColMoving));
    QCOMPARE(grid.Options() & dgTabs, TDBGridOptions());
    grid.setFocus();
    grid.SetSelectedIndex(0);
    QTest::keyClick(&grid, Qt::Key_Tab);
    QCOMPARE(grid.SelectedIndex(), 0);

    grid.SetRowSizingAllowed(true);
    QCOMPARE(grid.BaseOptions(), TGridOptions(goColSizing | goColMoving | goRowMoving | goTabs | goThumbTracking
                                              | goDrawFocusSelected | goRowSizing));
    QTest::keyClick(&grid, Qt::Key_Tab);
    QCOMPARE(grid.SelectedIndex(), 1);
    grid.SetRowSizingAllowed(false);
    QVERIFY(!(grid.BaseOptions() & goRowSizing));
    QVERIFY(grid.BaseOptions() & goTabs);
}

// For looking at under a real display: TONALBA_GRID_SNAPSHOT names a PNG
// that gets the screen with an auto-width grid, a cell hint and the search box.
void TestGridExtras::snapshot()
{
    const QString path = qEnvironmentVariable("TONALBA_GRID_SNAPSHOT");
    if (path.isEmpty()) QSKIP("TONALBA_GRID_SNAPSHOT not set");
    NameList list({"Nome", "Citta", "Professione"});
    list.table->indexes = {QStringLiteral("Nome")};
    list.table->indexFields[QStringLiteral("Nome")] = QStringLiteral("Nome");
    for (const char *n : {"Bianchi", "Neri", "Rossi", "Rossini", "Verdi"})
        list.table->addRow({QString::fromLatin1(n), QStringLiteral("Roma"),
                            QStringLiteral("Insegnante di scuola primaria in pensione")});
    list.grid->SetScrollBars(TScrollStyle::ssBoth);
    list.grid->SetBorderStyle(TBorderStyle::bsSingle);
    list.grid->SetUseRowColors(true);
    list.grid->SetRowColor1(clBtnFace);
    list.show(420, 140);
    list.window.move(40, 40);
    list.open();
    TExRichDBGrid &grid = *list.grid;
    grid.SetGridAutoWidth(true);
    grid.SetCellHints(true);
    grid.SetSearchMode(true);
    grid.SetEditColor(clYellow);
    list.window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&list.window));
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.CellRect(1, 0).center());
    QTest::keyClicks(grid.SearchBox(), QStringLiteral("ros"));
    QTest::mouseMove(grid.viewport(), grid.CellRect(3, 2).center());
    QTest::qWait(300);
    QVERIFY(grid.CellHintWindow() && grid.CellHintWindow()->isVisible());
    QVERIFY(list.window.screen()->grabWindow(0).save(path));
    // Time to take the screen from outside as well.
    QTest::qWait(qEnvironmentVariableIntValue("TONALBA_GRID_SNAPSHOT_HOLD_MS"));
}

QTEST_MAIN(TestGridExtras)
#include "tst_gridextras.moc"
