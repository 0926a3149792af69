// Grid scrolling: the list page's grid, 25 rows high on the offscreen
// platform, scrolled one row per Down key near the start and near the end of
// a 100,000-day archive. Each step is the key and a full repaint. The table
// counts its fetches, so a step that reads more than the row it brings in
// shows up next to the time.

#include "bench/archivegenerator.h"
#include "app/frm_main.h"
#include "bench/measures.h"
#include "bench/stopwatch.h"

#include "app/diarytables.h"
#include "data/datasource.h"
#include "grid/exrichdbgrid.h"

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QWidget>

namespace {

constexpr int kRows = 25;
constexpr int kSteps = 300;

class CountingTable : public TDaoTable
{
public:
    using TDaoTable::TDaoTable;
    mutable long fetches = 0;
    mutable long recordCounts = 0;
    mutable long recNos = 0;

    int RecordCount() const override
    {
        ++recordCounts;
        return TDaoTable::RecordCount();
    }
    int RecNo() const override
    {
        ++recNos;
        return TDaoTable::RecNo();
    }

protected:
    TGetResult GetRecord(TRecordBuffer *buffer, TGetMode mode, bool doCheck) override
    {
        ++fetches;
        return TDaoTable::GetRecord(buffer, mode, doCheck);
    }
};

// The list page as the main window builds it, over one archive.
class ListPage
{
public:
    explicit ListPage(const QString &archive)
    {
        window.setObjectName(QStringLiteral("frm_main"));
        QFont font(QStringLiteral("Microsoft Sans Serif"));
        font.setPixelSize(11);
        window.setFont(font);
        diario->setObjectName(QStringLiteral("Diario"));
        intesta->setObjectName(QStringLiteral("Intesta"));
        model = new TDiaryModel(&window, diario, intesta);
        model->attach();
        TDiaryTables::configureDiario(diario, database, model);
        TDiaryTables::configureIntesta(intesta, database);
        source->SetDataSet(diario);

        grid->setObjectName(QStringLiteral("grid_diario"));
        // Set up as the list page sets it up.
        Tfrm_main::ConfigureListGrid(grid);
        grid->SetDataSource(source);

        // Grow the grid until exactly kRows data rows fit under the title.
        int height = 18 + kRows * 18;
        window.resize(1100, height);
        grid->setGeometry(0, 0, 1100, height);
        window.show();
        QCoreApplication::processEvents();
        for (int i = 0; i < 40 && grid->VisibleRowCount() != kRows; ++i) {
            height += grid->VisibleRowCount() < kRows ? 1 : -1;
            window.resize(1100, height);
            grid->setGeometry(0, 0, 1100, height);
            QCoreApplication::processEvents();
        }

        database->SetSmartOpen(false);
        database->SetDatabase(archive);
        database->Open();
        diario->Open();
        intesta->Open();
        QCoreApplication::processEvents();
        grid->setFocus();
        frame = QImage(grid->size(), QImage::Format_ARGB32_Premultiplied);
    }

    ~ListPage()
    {
        source->SetDataSet(nullptr);
        diario->Close();
        intesta->Close();
        database->Close();
    }

    void down()
    {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
        QApplication::sendEvent(grid, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_Down, Qt::NoModifier);
        QApplication::sendEvent(grid, &release);
        grid->render(&frame);
    }

    // Puts the cursor on the bottom screen row, `fromEnd` rows before the last
    // day (or at the start when negative), so that every next Down scrolls.
    void place(int fromEnd)
    {
        if (fromEnd < 0) {
            diario->First();
        } else {
            diario->Last();
            diario->MoveBy(-fromEnd);
        }
        for (int i = 0; i < kRows; ++i) down();
    }

    QWidget window;
    TDaoDatabase *database = new TDaoDatabase(&window);
    CountingTable *diario = new CountingTable(&window);
    TDaoTable *intesta = new TDaoTable(&window);
    TDiaryModel *model = nullptr;
    TDataSource *source = new TDataSource(&window);
    TExRichDBGrid *grid = new TExRichDBGrid(&window);
    QImage frame;
};

struct Scroll
{
    double seconds = 0;       // per step, median of the runs
    double fetches = 0;       // per step
};

Scroll scroll(ListPage &page, int fromEnd, int runs)
{
    std::vector<double> t;
    long fetches = 0;
    for (int i = 0; i <= runs; ++i) {
        page.place(fromEnd);
        const long before = page.diario->fetches;
        const double s = stopwatch::seconds([&] {
            for (int k = 0; k < kSteps; ++k) page.down();
        });
        fetches = page.diario->fetches - before;
        if (i > 0) t.push_back(s / kSteps);
    }
    return {stopwatch::median(t), double(fetches) / kSteps};
}

} // namespace

void measureGridScroll(BenchTable &table, const BenchConfig &config)
{
    ListPage page(ArchiveGenerator::cached(config.dataFolder, 100000));
    if (page.grid->VisibleRowCount() != kRows) {
        BenchRow row;
        row.measure = QStringLiteral("8 grid scroll step");
        row.note = QStringLiteral("the grid shows %1 rows, not %2").arg(page.grid->VisibleRowCount()).arg(kRows);
        table.add(row);
        return;
    }
    const Scroll start = scroll(page, -1, config.runs);
    const Scroll end = scroll(page, kSteps + 2 * kRows, config.runs);
    const bool walked = page.diario->recordCounts > 0 || page.diario->recNos > 0;
    table.addTimes(QStringLiteral("8 grid scroll step, near end vs start"), end.seconds * 1e3, start.seconds * 1e3,
                   1.5, QStringLiteral("ms/step"),
                   walked ? QStringLiteral("the grid asked for RecordCount %1 times, RecNo %2 times")
                                .arg(page.diario->recordCounts)
                                .arg(page.diario->recNos)
                          : QString());
    BenchRow fetches;
    fetches.measure = QStringLiteral("8 grid fetches per step, near end vs start");
    fetches.ours = end.fetches;
    fetches.reference = start.fetches;
    fetches.ratio = start.fetches > 0 ? end.fetches / start.fetches : BenchRow::None;
    fetches.goal = 1;
    fetches.unit = QStringLiteral("fetches/step");
    table.add(fetches);
}
