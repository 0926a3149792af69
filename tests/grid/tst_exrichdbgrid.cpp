// The list grid on screen: row colours, highlight, values by field kind,
// locked columns, heights, title buttons, and how many records painting and
// scrolling fetch.

#include "gridfixture.h"

#include "core/datetime.h"

#include <QBuffer>
#include <QScrollBar>
#include <QTest>

using namespace gridtest;

class TestExRichDBGrid : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { useDiaryFonts(); }

    void rowColoursFollowScreenRows();
    void highlight_data();
    void highlight();
    void cellValues_data();
    void cellValues();
    void pictureCells();
    void lockedCols_data();
    void lockedCols();
    void heights();
    void titleButtons_data();
    void titleButtons();
    void inactivePainting();
    void fetchesOnlyWhatItShows();
    void verticalBarUsesRecordNumbers();
};

namespace {

// Keeps bytes as bytes: the dataset's own blob stream carries text.
class PictureTable : public TMemoryDataSet
{
public:
    using TMemoryDataSet::TMemoryDataSet;
    std::unique_ptr<QIODevice> CreateBlobStream(TField *field, QIODevice::OpenMode) override
    {
        auto buffer = std::make_unique<QBuffer>();
        buffer->setData(field->GetData().toByteArray());
        buffer->open(QIODevice::ReadOnly);
        return buffer;
    }
};

QColor paletteColor(const QWidget &w, QPalette::ColorRole role)
{
    return w.palette().color(role);
}

// Whether any pixel of the cell is close to the colour (anti-aliased text).
bool cellHasColour(const QImage &image, const QRect &cell, const QColor &colour)
{
    for (int y = cell.top(); y <= cell.bottom(); ++y)
        for (int x = cell.left(); x <= cell.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (qAbs(c.red() - colour.red()) + qAbs(c.green() - colour.green()) + qAbs(c.blue() - colour.blue()) < 60)
                return true;
        }
    return false;
}

} // namespace

void TestExRichDBGrid::rowColoursFollowScreenRows()
{
    DiaryList list;
    list.addDays(40);
    list.show(10);
    list.open();
    RecordingGrid &grid = *list.grid;
    QCOMPARE(grid.TitleRowHeight(), 17);
    QCOMPARE(grid.CellRect(1, 1).top(), 18);

    const QColor face = paletteColor(grid, QPalette::Button);
    const QColor window = paletteColor(grid, QPalette::Base);
    QVERIFY2(face != window, "button face and window must differ on screen");

    QImage image = list.shot();
    if (const QByteArray path = qgetenv("TONALBA_GRID_SCREENSHOT"); !path.isEmpty())
        QVERIFY(list.window->grab().save(QString::fromLocal8Bit(path)));
    const int minCol = 4;   // indicator, Data, Peso, BMI, then MIN
    for (int row = 1; row <= 4; ++row)
        QCOMPARE(image.pixelColor(fillPoint(grid, minCol, row)), row % 2 ? face : window);
    // The indicator marks the current record only.
    QVERIFY(cellHasColour(image, grid.CellRect(0, 1), Qt::black));
    QVERIFY(!cellHasColour(image, grid.CellRect(0, 2), Qt::black));
    const QString firstDay = grid.textAt(1, 1);
    const QString secondDay = grid.textAt(1, 2);
    QCOMPARE(firstDay, QStringLiteral("01/01/2024"));

    // The cursor goes one record past the last screen row: the ring moves by one.
    list.diario->MoveBy(10);
    image = list.shot();
    QCOMPARE(grid.textAt(1, 1), secondDay);
    QVERIFY(cellHasColour(image, grid.CellRect(0, 10), Qt::black));
    QVERIFY(!cellHasColour(image, grid.CellRect(0, 1), Qt::black));
    for (int row = 1; row <= 4; ++row)
        QCOMPARE(image.pixelColor(fillPoint(grid, minCol, row)), row % 2 ? face : window);
}

void TestExRichDBGrid::highlight_data()
{
    QTest::addColumn<bool>("focus");
    QTest::addColumn<bool>("alwaysShowSelection");
    QTest::addColumn<int>("moveBy");
    QTest::newRow("focused cell on a button-face row") << true << false << 0;
    QTest::newRow("focused cell on a window row") << true << false << 1;
    QTest::newRow("selected cell without focus") << false << true << 0;
}

void TestExRichDBGrid::highlight()
{
    QFETCH(bool, focus);
    QFETCH(bool, alwaysShowSelection);
    QFETCH(int, moveBy);
    DiaryList list;
    list.addDays(20);
    list.show(8);
    list.open();
    RecordingGrid &grid = *list.grid;
    if (alwaysShowSelection) grid.SetOptions(grid.Options() | dgAlwaysShowSelection);
    grid.SetSelectedIndex(1);   // Peso
    list.diario->MoveBy(moveBy);
    if (focus) {
        list.window->activateWindow();
        grid.setFocus();
        QTRY_VERIFY(grid.hasFocus());
    }
    const QImage image = list.shot();
    const int row = 1 + moveBy;
    const QColor navy(0, 0, 0x80);
    QCOMPARE(image.pixelColor(fillPoint(grid, 2, row)), navy);
    QVERIFY2(cellHasColour(image, grid.CellRect(2, row), Qt::white), "the text is white");
    // Only the current cell: its neighbours and the other rows keep the row colour.
    QCOMPARE(image.pixelColor(fillPoint(grid, 3, row)),
             paletteColor(grid, row % 2 ? QPalette::Button : QPalette::Base));
    QCOMPARE(image.pixelColor(fillPoint(grid, 2, row + 1)),
             paletteColor(grid, row % 2 ? QPalette::Base : QPalette::Button));
}

void TestExRichDBGrid::cellValues_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("displayFormat");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<bool>("displayDateTime");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("alignment");
    const int left = Qt::AlignLeft, right = Qt::AlignRight, centre = Qt::AlignHCenter;
    QTest::newRow("date-time ignores its display format")
        << int(ftDateTime) << "dddd" << QVariant(45292.0) << true << "01/01/2024" << left;
    QTest::newRow("date-time with its time") << int(ftDateTime) << "" << QVariant(45292.5) << true
                                             << "01/01/2024 12:00:00" << left;
    QTest::newRow("date-time display text without DisplayDateTime")
        << int(ftDateTime) << "dddd" << QVariant(45292.0) << false << "lunedì" << centre;
    QTest::newRow("float display text") << int(ftFloat) << "" << QVariant(72.5) << true << "72,5" << right;
    QTest::newRow("float # holding zero shows nothing") << int(ftFloat) << "#" << QVariant(0.0) << true << "" << right;
    QTest::newRow("float # rounds") << int(ftFloat) << "#" << QVariant(72.6) << true << "73" << right;
    QTest::newRow("integer # holding zero") << int(ftInteger) << "#" << QVariant(0) << true << "" << right;
    QTest::newRow("memo shows its whole text") << int(ftMemo) << "" << QVariant(QStringLiteral("uno due"))
                                               << true << "uno due" << left;
}

void TestExRichDBGrid::cellValues()
{
    QFETCH(int, type);
    QFETCH(QString, displayFormat);
    QFETCH(QVariant, value);
    QFETCH(bool, displayDateTime);
    QFETCH(QString, expected);
    QFETCH(int, alignment);
    useDiaryFonts();

    QWidget window;
    TMemoryDataSet table(&window);
    table.addColumn(QStringLiteral("V"), TFieldType(type));
    table.addRow({value});
    TDataSource source(&window);
    source.SetDataSet(&table);
    auto *grid = new RecordingGrid(&window);
    grid->SetBorderStyle(TBorderStyle::bsNone);
    grid->SetDisplayDateTime(displayDateTime);
    grid->setGeometry(0, 0, 400, 100);
    grid->SetDataSource(&source);
    table.Open();
    grid->Columns()[0]->SetWidth(200);
    table.FieldByName(QStringLiteral("V"))->SetDisplayFormat(displayFormat);
    window.show();
    grid->texts.clear();
    grid->grab();
    Qt::Alignment drawn;
    QCOMPARE(grid->textAt(1, 1, &drawn), expected);
    QCOMPARE(int(drawn & Qt::AlignHorizontal_Mask), alignment);
    source.SetDataSet(nullptr);
}

void TestExRichDBGrid::pictureCells()
{
    useDiaryFonts();
    QImage red(40, 20, QImage::Format_RGB32);
    red.fill(Qt::red);
    QByteArray jpeg;
    {
        QBuffer buffer(&jpeg);
        buffer.open(QIODevice::WriteOnly);
        QVERIFY(red.save(&buffer, "JPG"));
    }
    QWidget window;
    PictureTable table(&window);
    table.addColumn(QStringLiteral("P"), ftGraphic);
    table.addRow({jpeg});
    table.addRow({QByteArray("not a picture at all")});
    TDataSource source(&window);
    source.SetDataSet(&table);
    auto *grid = new RecordingGrid(&window);
    grid->SetBorderStyle(TBorderStyle::bsNone);
    grid->setGeometry(0, 0, 300, 100);
    grid->SetDataSource(&source);
    table.Open();
    grid->Columns()[0]->SetWidth(80);
    window.show();
    grid->texts.clear();
    const QImage image = grid->grab().toImage();
    // 40x20 into 80x17 keeps proportions: 34x17, centred.
    const QRect cell = grid->CellRect(1, 1);
    const QColor middle = image.pixelColor(cell.center());
    QVERIFY2(middle.red() > 200 && middle.green() < 60, qPrintable(middle.name()));
    QVERIFY(image.pixelColor(cell.left() + 2, cell.center().y()) != middle);
    // Unreadable bytes: the display text, centred.
    Qt::Alignment drawn;
    QCOMPARE(grid->textAt(1, 2, &drawn), QStringLiteral("(BLOB)"));
    QCOMPARE(int(drawn & Qt::AlignHorizontal_Mask), int(Qt::AlignHCenter));
    source.SetDataSet(nullptr);
}

void TestExRichDBGrid::lockedCols_data()
{
    QTest::addColumn<bool>("indicator");
    QTest::addColumn<QList<int>>("locked");
    QTest::addColumn<int>("fixedCols");
    QTest::newRow("two locked") << true << QList<int>{2} << 2;
    QTest::newRow("back to none") << true << QList<int>{2, 0} << 0;
    QTest::newRow("count minus 2 still locks") << true << QList<int>{4} << 4;
    QTest::newRow("count minus 1 changes nothing") << true << QList<int>{2, 5} << 2;
    QTest::newRow("count changes nothing") << true << QList<int>{3, 6} << 3;
    QTest::newRow("above count from none") << true << QList<int>{9} << 0;
    QTest::newRow("without indicator one fewer is fixed") << false << QList<int>{2} << 1;
}

void TestExRichDBGrid::lockedCols()
{
    QFETCH(bool, indicator);
    QFETCH(QList<int>, locked);
    QFETCH(int, fixedCols);
    DiaryList list;
    list.addDays(5);
    list.show(5);
    list.open();
    RecordingGrid &grid = *list.grid;
    if (!indicator) grid.SetOptions(grid.Options() & ~TDBGridOptions(dgIndicator));
    for (int n : locked) grid.SetLockedCols(n);
    QCOMPARE(grid.FixedCols(), fixedCols);
    if (!indicator || locked.last() == 0 || locked.last() >= 5) return;
    // Locked columns are painted in LockedColor, not in the row colours.
    const QImage image = list.shot();
    QCOMPARE(image.pixelColor(fillPoint(grid, 1, 1)), QColor(0x80, 0x80, 0x80));
    // The current cell left the locked columns; the one after it shows the row colour.
    QCOMPARE(image.pixelColor(fillPoint(grid, fixedCols + 1, 1)), QColor(0, 0, 0x80));
    QCOMPARE(image.pixelColor(fillPoint(grid, fixedCols + 2, 1)), paletteColor(grid, QPalette::Button));
}

void TestExRichDBGrid::heights()
{
    DiaryList list;
    list.addDays(3);
    list.show(5);
    list.open();
    TExRichDBGrid &grid = *list.grid;
    QCOMPARE(grid.DefaultRowHeight(), 17);
    grid.SetDefaultRowHeight(0);
    QCOMPARE(grid.DefaultRowHeight(), 17);

    grid.SetMultiLineRows(true);
    grid.SetLinesPerRow(3);
    QCOMPARE(grid.DefaultRowHeight(), 51);
    grid.SetRowSizingAllowed(true);
    QVERIFY(!grid.MultiLineRows());
    QCOMPARE(grid.DefaultRowHeight(), 17);

    // A narrow column wraps its title: the title row grows, and shrinks back.
    grid.Columns()[3]->Title()->SetCaption(QStringLiteral("Pressione minima del giorno"));
    grid.Columns()[3]->SetWidth(40);
    grid.SetMultiLineTitles(true);
    QVERIFY2(grid.TitleRowHeight() > 17, qPrintable(QString::number(grid.TitleRowHeight())));
    grid.SetMultiLineTitles(false);
    QCOMPARE(grid.TitleRowHeight(), 17);

    // A font taller than a row makes the rows taller.
    QFont big = diaryFont();
    big.setPixelSize(30);
    grid.setFont(big);
    QCOMPARE(grid.DefaultRowHeight(), TCustomDBGrid::TextHeight(big));
}

void TestExRichDBGrid::titleButtons_data()
{
    QTest::addColumn<QString>("path");   // p: press on BMI, o: move off, b: back over BMI, n: next title
    QTest::addColumn<bool>("refuse");
    QTest::addColumn<int>("clicks");
    QTest::newRow("released over the same title") << "p" << false << 1;
    QTest::newRow("moved off and released") << "po" << false << 0;
    QTest::newRow("moved off and back") << "pob" << false << 1;
    QTest::newRow("released over the next title") << "pn" << false << 0;
    QTest::newRow("refused by OnCheckButton") << "p" << true << 0;
}

void TestExRichDBGrid::titleButtons()
{
    QFETCH(QString, path);
    QFETCH(bool, refuse);
    QFETCH(int, clicks);
    DiaryList list;
    list.addDays(5);
    list.show(5);
    list.open();
    RecordingGrid &grid = *list.grid;
    QList<QPair<int, QString>> seen;
    grid.OnTitleBtnClick = [&](QObject *, int col, TField *field) {
        seen.append({col, field ? field->FieldName : QString()});
    };
    grid.OnCheckButton = [&](QObject *, int, TField *, bool &enabled) { enabled = !refuse; };
    grid.Loaded();

    QWidget *vp = grid.viewport();
    const QPoint bmi = grid.CellRect(3, 0).center();
    const QPoint next = grid.CellRect(4, 0).center();
    const QPoint off = grid.CellRect(3, 2).center();
    QPoint at = bmi;
    for (QChar step : path) {
        switch (step.toLatin1()) {
        case 'p':
            QTest::mousePress(vp, Qt::LeftButton, {}, bmi);
            QCOMPARE(grid.PressedTitle(), refuse ? -1 : 2);
            break;
        case 'o': at = off; QTest::mouseMove(vp, at); QCOMPARE(grid.PressedTitle(), -1); break;
        case 'b': at = bmi; QTest::mouseMove(vp, at); QCOMPARE(grid.PressedTitle(), 2); break;
        case 'n': at = next; QTest::mouseMove(vp, at); break;
        }
    }
    QTest::mouseRelease(vp, Qt::LeftButton, {}, at);
    QCOMPARE(grid.PressedTitle(), -1);
    QCOMPARE(seen.size(), clicks);
    if (clicks) QCOMPARE(seen.first(), qMakePair(2, QStringLiteral("BMI")));
}

void TestExRichDBGrid::inactivePainting()
{
    DiaryList list;
    list.addDays(3);
    list.show(5);
    RecordingGrid &grid = *list.grid;
    const QPoint title = grid.CellRect(2, 0).topLeft() + QPoint(3, 3);
    QCOMPARE(list.shot().pixelColor(title), paletteColor(grid, QPalette::Base));
    grid.SetShowTitlesWhenInactive(true);
    QCOMPARE(list.shot().pixelColor(title), paletteColor(grid, QPalette::Button));
}

void TestExRichDBGrid::fetchesOnlyWhatItShows()
{
    DiaryList list;
    list.addDays(1000);
    list.show(10);
    CountingDataSet &diario = *list.diario;
    RecordingGrid &grid = *list.grid;
    list.open();
    QCOMPARE(grid.VisibleRowCount(), 10);
    QCOMPARE(diario.BufferCount(), 10);
    QCOMPARE(diario.fetches(), 10);

    diario.calls.clear();
    list.shot();
    QCOMPARE(diario.fetches(), 0);
    QCOMPARE(grid.textAt(1, 10), QStringLiteral("10/01/2024"));

    QWidget *vp = grid.viewport();
    auto press = [&](int key, Qt::KeyboardModifiers mods = {}) {
        diario.calls.clear();
        QTest::keyClick(vp, Qt::Key(key), mods);
        list.shot();
        return diario.fetches();
    };
    grid.setFocus();
    for (int i = 0; i < 9; ++i) QCOMPARE(press(Qt::Key_Down), 0);
    QCOMPARE(press(Qt::Key_Down), 1);
    QCOMPARE(press(Qt::Key_PageDown), 10);
    QCOMPARE(press(Qt::Key_End, Qt::ControlModifier), 10);
    QCOMPARE(grid.textAt(1, 10), QStringLiteral("26/09/2026"));
    QCOMPARE(press(Qt::Key_Up), 0);

    diario.calls.clear();
    QWheelEvent wheel(QPointF(50, 50), grid.mapToGlobal(QPointF(50, 50)), {}, QPoint(0, 120), Qt::NoButton, {},
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(vp, &wheel);
    QCOMPARE(diario.fetches(), 0);

    // A taller grid: the ring grows by the new rows and fetches only those.
    diario.calls.clear();
    grid.resize(grid.width(), grid.height() + 5 * 18);
    QCOMPARE(grid.VisibleRowCount(), 15);
    QCOMPARE(diario.fetches(), 5);

    // Without a vertical bar nothing walked the whole table.
    QCOMPARE(diario.recordCountCalls, 0);
    QCOMPARE(diario.recNoCalls, 0);
}

void TestExRichDBGrid::verticalBarUsesRecordNumbers()
{
    DiaryList list;
    list.addDays(50);
    list.grid->SetScrollBars(TScrollStyle::ssBoth);
    list.show(10);
    list.open();
    list.diario->MoveBy(20);
    QScrollBar *bar = list.grid->verticalScrollBar();
    QCOMPARE(bar->maximum(), 49);
    QCOMPARE(bar->value(), 20);
    QVERIFY(list.diario->recordCountCalls > 0);
}

QTEST_MAIN(TestExRichDBGrid)
#include "tst_exrichdbgrid.moc"
