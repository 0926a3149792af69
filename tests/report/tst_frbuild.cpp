// Report building on small templates made in the test, checked on the text
// records of the recorded pages.

#include "report/frbandtypes.h"
#include "report/frbandview.h"
#include "report/frbuilder.h"
#include "report/frbuildstate.h"
#include "report/frdbdataset.h"
#include "report/fremfplayer.h"
#include "report/frmemoview.h"
#include "report/frmessagesink.h"
#include "report/frpage.h"
#include "report/frprintersettings.h"
#include "report/frregistry.h"
#include "report/frreport.h"
#include "report/frsubreportview.h"

#include "core/exceptions.h"
#include "core/formatsettings.h"
#include "tests/data/memorydataset.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QtEndian>
#include <functional>
#include <gtest/gtest.h>

namespace {
int argc = 1;
char arg0[] = "tst_frbuild";
char *argv[] = {arg0, nullptr};

class Build : public ::testing::Test
{
protected:
    void SetUp() override
    {
        static QGuiApplication app(argc, argv);
        TFormatSettings it;
        ASSERT_TRUE(TFormatSettings::forLocale("it_IT", it));
        TFormatSettings::setCurrent(it);
        frSetMessageSink([this](const QString &text, const QString &, TfrMessageIcon) { shown << text; });
        form.setObjectName("frm_main");
        frRegistry::registerOwner(&form);
        diario = new TMemoryDataSet(&form);
        diario->setObjectName("Diario");
        diario->addColumn("Giorno", ftInteger);
        diario->addColumn("Mese", ftString, 10);
        diario->addColumn("Anno", ftInteger);
        report = new TfrReport(&form);
        report->setObjectName("frReport1");
        page = report->Pages[0];
        page->ChangePaper(9, 0, 0, 0);
        frBuilder::install();
    }
    void TearDown() override
    {
        frSetMessageSink(nullptr);
        frRegistry::unregisterOwner(&form);
        frRegistry::setBuilder(nullptr);
    }

    TfrBandView *band(int type, int top, int height, int flags = 0, const QString &formatText = QString())
    {
        auto *b = static_cast<TfrBandView *>(report->CreateObject(frKind::Band));
        b->FrameLines = quint16(type);
        b->Left = 0;
        b->Top = top;
        b->Width = 700;
        b->Height = height;
        b->Flags = quint16(flags);
        b->FormatText = formatText;
        page->Add(b);
        return b;
    }
    TfrMemoView *memo(int left, int top, int width, int height, const QStringList &lines, int flags = 0)
    {
        auto *m = static_cast<TfrMemoView *>(report->CreateObject(frKind::Memo));
        m->Left = left;
        m->Top = top;
        m->Width = width;
        m->Height = height;
        m->Memo = lines;
        m->Flags = quint16(flags);
        page->Add(m);
        return m;
    }
    // A table of one integer column holding 1..rows, and its report dataset "<name>DS".
    TMemoryDataSet *numbers(const QString &name, const QString &column, int rows)
    {
        auto *data = new TMemoryDataSet(&form);
        data->setObjectName(name);
        data->addColumn(column, ftInteger);
        for (int n = 1; n <= rows; ++n) data->addRow({n});
        auto *ds = new TfrDBDataSet(&form);
        ds->setObjectName(name + "DS");
        ds->SetDataSet(data);
        return data;
    }
    void masterDataset()
    {
        auto *ds = new TfrDBDataSet(&form);
        ds->setObjectName("DiarioDS");
        ds->SetDataSet(diario);
    }
    // The texts of every prepared page, in drawing order.
    QList<QStringList> pageTexts()
    {
        QList<QStringList> out;
        for (int i = 0; i < report->EMFPages.Count(); ++i) {
            QStringList texts;
            for (const TfrEmfText &t : TfrEmfPlayer::texts(report->EMFPages[i].Drawing)) texts << t.text;
            out << texts;
        }
        return out;
    }
    QStringList allTexts()
    {
        QStringList all;
        for (const QStringList &p : pageTexts()) all << p;
        return all;
    }
    // With TONALBA_SNAPSHOT_DIR set, the pages are also saved as pictures to look at.
    void snapshot(const char *name)
    {
        const QByteArray dir = qgetenv("TONALBA_SNAPSHOT_DIR");
        if (dir.isEmpty()) return;
        for (int i = 0; i < report->EMFPages.Count(); ++i) {
            const QByteArray &emf = report->EMFPages[i].Drawing;
            QImage image(TfrEmfPlayer::pageSize(emf), QImage::Format_RGB32);
            image.fill(Qt::white);
            QPainter p(&image);
            TfrEmfPlayer::play(emf, p, QRectF(QPointF(0, 0), QSizeF(image.size())));
            p.end();
            image.save(QString::fromLocal8Bit(dir) + QString("/build-%1-%2.png").arg(name).arg(i + 1));
        }
    }
    bool build()
    {
        const TfrBuildResult built = report->BuildReport();
        if (!built) ADD_FAILURE() << built.Reason.toStdString();
        return bool(built);
    }

    QObject form;
    TMemoryDataSet *diario = nullptr;
    TfrReport *report = nullptr;
    TfrPage *page = nullptr;
    QStringList shown;   // what the engine showed through the message sink
};
} // namespace

TEST_F(Build, EmptyMasterPrintsTitleAndSummaryOnly)
{
    masterDataset();
    band(frBand::ReportTitle, 0, 30);
    memo(10, 5, 200, 20, {"Titolo"});
    band(frBand::MasterData, 40, 20, 0, "DiarioDS");
    memo(10, 42, 200, 18, {"Riga [Giorno]"});
    band(frBand::MasterFooter, 70, 20);
    memo(10, 72, 200, 18, {"Fine elenco"});
    band(frBand::ReportSummary, 100, 20);
    memo(10, 102, 200, 18, {"Riepilogo"});
    ASSERT_TRUE(build());
    EXPECT_EQ(allTexts(), (QStringList{"Titolo", "Riepilogo"}));
}

TEST_F(Build, RowsFootersAndCountersOnOnePage)
{
    for (int d = 1; d <= 3; ++d) diario->addRow({d, "gen", 2000});
    masterDataset();
    band(frBand::MasterData, 40, 20, 0, "DiarioDS");
    memo(10, 42, 200, 18, {"[LINE#]: [Giorno]"});
    band(frBand::MasterFooter, 70, 20);
    memo(10, 72, 200, 18, {"Totale [SUM([Giorno])] ultimo [Giorno]"});
    // Objects get back their designed geometry after the build.
    TfrMemoView *row = static_cast<TfrMemoView *>(page->Objects[1]);
    ASSERT_TRUE(build());
    EXPECT_EQ(allTexts(), (QStringList{"1: 1", "2: 2", "3: 3", "Totale 6 ultimo 3"}));
    EXPECT_EQ(row->Top, 42);
    EXPECT_EQ(row->Height, 18);
    EXPECT_FALSE(report->Building);
}

TEST_F(Build, TwoGroupLevelsBreakOuterThenInner)
{
    const QList<QVariantList> rows = {{1, "gen", 2000}, {2, "gen", 2000}, {3, "feb", 2000}, {4, "feb", 2001}};
    for (const QVariantList &r : rows) diario->addRow(r);
    masterDataset();
    band(frBand::GroupHeader, 10, 20, 0, "[Anno]");
    memo(10, 12, 200, 18, {"A [Anno]"});
    band(frBand::GroupHeader, 40, 20, 0, "[Mese]");
    memo(10, 42, 200, 18, {"M [Mese]"});
    band(frBand::MasterData, 70, 20, 0, "DiarioDS");
    memo(10, 72, 200, 18, {"[Giorno]"});
    band(frBand::GroupFooter, 100, 20);
    memo(10, 102, 200, 18, {"/M [Mese] [Giorno]"});
    band(frBand::GroupFooter, 130, 20);
    memo(10, 132, 200, 18, {"/A [Anno]"});
    ASSERT_TRUE(build());
    // The footer of a group shows the group's last record.
    EXPECT_EQ(allTexts(), (QStringList{"A 2000", "M gen", "1", "2", "/M gen 2", "M feb", "3", "/M feb 3", "/A 2000",
                                       "A 2001", "M feb", "4", "/M feb 4", "/A 2001"}));
}

TEST_F(Build, SkipOnBeginPrintsEmptyFramedRows)
{
    diario->addRow({1, "gen", 2000});
    masterDataset();
    static_cast<TfrDataset *>(form.findChild<TfrDBDataSet *>("DiarioDS"))->SkipOnBegin = 3;
    band(frBand::MasterData, 40, 20, 0, "DiarioDS");
    TfrMemoView *m = memo(10, 40, 200, 20, {"[Giorno]"});
    m->FrameLines = 15;
    ASSERT_TRUE(build());
    EXPECT_EQ(allTexts(), QStringList{"1"});
    // Four framed rows: three empty, one with the record, one under the other.
    const QByteArray emf = report->EMFPages[0].Drawing;
    int rectangles = 0;
    for (qsizetype at = 108; at + 8 <= emf.size();) {
        const quint32 type = qFromLittleEndian<quint32>(emf.constData() + at);
        const quint32 size = qFromLittleEndian<quint32>(emf.constData() + at + 4);
        if (type == 43) ++rectangles;
        if (size < 8) break;
        at += size;
    }
    EXPECT_EQ(rectangles, 4);
    QList<TfrEmfText> texts = TfrEmfPlayer::texts(emf);
    ASSERT_EQ(texts.size(), 1);
    const int top = page->Margins[1];
    EXPECT_NEAR(texts[0].reference.y(), top + 3 * 20 + 2, 15);
}

TEST_F(Build, TwoColumnsContinueAtColumnTopBeforeANewPage)
{
    for (int d = 1; d <= 200; ++d) diario->addRow({d, "gen", 2000});
    masterDataset();
    page->ColumnCount = 2;
    page->ColumnGap = 10;
    band(frBand::ColumnHeader, 0, 20);
    memo(10, 0, 100, 18, {"Intestazione"});
    band(frBand::MasterData, 40, 20, 0, "DiarioDS");
    memo(10, 40, 100, 18, {"[Giorno]"});
    ASSERT_TRUE(build());
    const QByteArray first = report->EMFPages[0].Drawing;
    const QList<TfrEmfText> texts = TfrEmfPlayer::texts(first);
    // Rows per column from the page geometry: the first row of the second column
    // is printed at the same y as the first row of the first.
    ASSERT_GE(texts.size(), 4);
    qreal firstRowY = -1, secondColumnY = -1;
    int secondColumnRow = -1;
    for (const TfrEmfText &t : texts) {
        if (t.text == "1") firstRowY = t.reference.y();
        if (t.reference.x() > 300 && t.text != "Intestazione" && secondColumnRow < 0) {
            secondColumnY = t.reference.y();
            secondColumnRow = t.text.toInt();
        }
    }
    EXPECT_GT(secondColumnRow, 1);
    EXPECT_EQ(secondColumnY, firstRowY);
    EXPECT_EQ(texts.count(), 2 * (secondColumnRow - 1) + 2);   // two headers, two full columns
    EXPECT_GT(report->EMFPages.Count(), 1);
}

TEST_F(Build, TotalPagesInTwoPassesAndOne)
{
    // Rows of 20 under a header of 20 on A4 with the default margins: 50 a page.
    for (int d = 1; d <= 340; ++d) diario->addRow({d, "gen", 2000});
    masterDataset();
    band(frBand::PageHeader, 0, 20);
    memo(10, 0, 300, 18, {"Pagina [PAGE#] di [TOTALPAGES]"});
    band(frBand::MasterData, 40, 20, 0, "DiarioDS");
    memo(10, 40, 100, 18, {"[Giorno]"});
    for (const bool twoPass : {true, false}) {
        SCOPED_TRACE(twoPass);
        report->TwoPass = twoPass;
        ASSERT_TRUE(build());
        const QList<QStringList> pages = pageTexts();
        const int n = int(pages.size());
        ASSERT_EQ(n, 7) << "rows per page changed: adjust the record count";
        for (int i = 0; i < n; ++i)
            EXPECT_EQ(pages[i].first(), QString("Pagina %1 di %2").arg(i + 1).arg(twoPass ? 7 : 0));
        EXPECT_EQ(report->TwoPass, twoPass);
    }
}

// Each report keeps its own build state: a report built from inside another
// report's build (here from its progress event, in the middle of its second
// pass) leaves both with the pages each gives when built alone.
TEST_F(Build, ReportBuiltInsideAnotherReportsBuildChangesNeitherOfThem)
{
    for (int d = 1; d <= 340; ++d) diario->addRow({d, "gen", 2000});
    masterDataset();
    report->TwoPass = true;
    band(frBand::PageHeader, 0, 20);
    memo(10, 0, 300, 18, {"A pagina [PAGE#] di [TOTALPAGES]"});
    band(frBand::MasterData, 40, 20, 0, "DiarioDS");
    memo(10, 40, 200, 18, {"[LINE#]: [Giorno]"});
    band(frBand::ReportSummary, 80, 20);
    memo(10, 80, 300, 18, {"Somma [SUM([Giorno])]"});

    numbers("Numeri", "N", 70);
    TfrReport *first = report;
    TfrPage *firstPage = page;
    auto *second = new TfrReport(&form);
    second->setObjectName("frReport2");
    second->TwoPass = true;
    report = second;
    page = second->Pages[0];
    page->ChangePaper(9, 0, 0, 0);
    band(frBand::PageHeader, 0, 20);
    memo(10, 0, 300, 18, {"B [PAGE#]/[TOTALPAGES]"});
    band(frBand::MasterData, 40, 30, 0, "NumeriDS");
    memo(10, 40, 200, 18, {"[LINE#] [N]"});
    band(frBand::ReportSummary, 90, 20);
    memo(10, 90, 300, 18, {"Totale [SUM([N])]"});
    report = first;
    page = firstPage;

    const auto drawings = [](TfrReport &r) {
        QList<QByteArray> out;
        for (int i = 0; i < r.EMFPages.Count(); ++i) out << r.EMFPages[i].Drawing;
        return out;
    };
    ASSERT_TRUE(second->BuildReport()) << frBuildErrorText().toStdString();
    const QList<QByteArray> secondAlone = drawings(*second);
    ASSERT_TRUE(build());
    const QList<QByteArray> firstAlone = drawings(*first);
    const QList<QStringList> firstTexts = pageTexts();
    ASSERT_EQ(firstTexts.size(), 7);
    ASSERT_EQ(secondAlone.size(), 3);

    int calls = 0;
    first->OnProgress = [&](int, bool) {
        // On starting the third page of the second pass.
        if (++calls == 7 + 3) {
            EXPECT_TRUE(second->BuildReport()) << frBuildErrorText().toStdString();
        }
    };
    ASSERT_TRUE(build());
    ASSERT_EQ(calls, 14);
    EXPECT_EQ(pageTexts(), firstTexts);
    EXPECT_TRUE(drawings(*first) == firstAlone);
    EXPECT_TRUE(drawings(*second) == secondAlone);
    EXPECT_EQ(CurrentReport(), first);
    EXPECT_EQ(TfrBuildState::instance().TotalPages, 7);
}

TEST_F(Build, StretchedTextContinuesOnTheNextPageInASplitBand)
{
    diario->addRow({1, "gen", 2000});
    masterDataset();
    band(frBand::MasterData, 40, 20, frBand::Stretched | frBand::BreakBand, "DiarioDS");
    QStringList lines;
    for (int i = 1; i <= 120; ++i) lines << QString("riga %1").arg(i);
    memo(10, 40, 200, 20, lines, TfrMemoView::MemoStretched);
    // A first pass lays the text out as the second prints it.
    for (const bool twoPass : {false, true}) {
        SCOPED_TRACE(twoPass);
        report->TwoPass = twoPass;
        ASSERT_TRUE(build());
        const QList<QStringList> pages = pageTexts();
        ASSERT_GE(pages.size(), 2);
        QStringList all;
        for (const QStringList &p : pages) all << p;
        EXPECT_EQ(all, lines);      // every line once, in order
        EXPECT_GT(pages[0].size(), 40);
        EXPECT_EQ(pages[1].first(), QString("riga %1").arg(pages[0].size() + 1));
        EXPECT_EQ(TfrBuildState::instance().TotalPages, twoPass ? int(pages.size()) : 0);
    }
}

TEST_F(Build, ErrorsStopTheBuildWithTheirText)
{
    struct Case
    {
        const char *name;
        QString dataset;
        QString line;
        QString expected;
    };
    const Case cases[] = {
        {"unknown dataset", "Manca", "[Giorno]", "Non è stato trovato il frDataset: Manca"},
        {"aggregate in a title", "DiarioDS", "", "Non è possibile inserire in una banda non abilitata la funzione statistica : SUM"},
    };
    diario->addRow({1, "gen", 2000});
    masterDataset();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        page->Clear();
        band(frBand::MasterData, 40, 20, 0, c.dataset);
        memo(10, 40, 100, 18, {c.line.isEmpty() ? "[Giorno]" : c.line});
        if (c.line.isEmpty()) {
            band(frBand::ReportTitle, 0, 20);
            memo(10, 0, 100, 18, {"[SUM([Giorno])]"});
        }
        EXPECT_FALSE(report->BuildReport());
        EXPECT_TRUE(frBuildErrorText().contains(c.expected)) << frBuildErrorText().toStdString();
        EXPECT_EQ(report->EMFPages.Count(), 0);
    }
}

TEST_F(Build, ABuildTheUserStoppedFailsWithNothingToShow)
{
    for (int i = 1; i <= 200; ++i) diario->addRow({i, "gen", 2000});
    masterDataset();
    band(frBand::MasterData, 40, 20, 0, "DiarioDS");
    memo(10, 40, 100, 18, {"[Giorno]"});
    report->OnProgress = [&](int page, bool) {
        if (page == 2) report->Terminated = true;
    };
    const TfrBuildResult built = report->BuildReport();
    EXPECT_FALSE(built);
    EXPECT_TRUE(built.Messages.isEmpty());
    EXPECT_TRUE(shown.isEmpty());
}

TEST_F(Build, BandTallerThanAPageEndsWithAnError)
{
    diario->addRow({1, "gen", 2000});
    masterDataset();
    band(frBand::MasterData, 40, 2000, 0, "DiarioDS");
    memo(10, 40, 100, 18, {"[Giorno]"});
    EXPECT_FALSE(report->BuildReport());
    EXPECT_TRUE(frBuildErrorText().contains("più alta della pagina")) << frBuildErrorText().toStdString();
}

TEST_F(Build, InterleavedPagesAndTheirNumbers)
{
    for (int d = 1; d <= 110; ++d) diario->addRow({d, "gen", 2000});
    masterDataset();
    band(frBand::PageHeader, 0, 20);
    memo(10, 0, 300, 18, {"A [PAGE#]"});
    band(frBand::MasterData, 40, 20, 0, "DiarioDS");
    memo(10, 40, 100, 18, {"[Giorno]"});
    page = report->Pages.Add();
    page->ChangePaper(9, 0, 0, 0);
    band(frBand::ReportTitle, 0, 20);
    memo(10, 0, 300, 18, {"B [PAGE#]"});
    report->InterleavePages = true;

    struct Case
    {
        bool twoPass, numberInterleaved;
        QStringList firsts;
    };
    const Case cases[] = {
        {false, false, {"A 1", "B 4", "A 2", "A 3"}},
        // Numbering by the interleaved order needs the first pass to know it.
        {false, true, {"A 1", "B 4", "A 2", "A 3"}},
        {true, true, {"A 1", "B 2", "A 3", "A 4"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.twoPass << c.numberInterleaved);
        report->TwoPass = c.twoPass;
        report->NumberInterleaved = c.numberInterleaved;
        ASSERT_TRUE(build());
        QStringList firsts;
        for (const QStringList &p : pageTexts()) firsts << p.value(0);
        EXPECT_EQ(firsts, c.firsts) << "rows per page changed: adjust the record count";
    }
}

TEST_F(Build, TableRowsWithColumnTotalsAcrossPages)
{
    for (int d = 1; d <= 3; ++d) diario->addRow({d, "gen", 2000});
    masterDataset();
    TMemoryDataSet *colonne = numbers("Colonne", "Valore", 3);
    const auto vertical = [&](int type, int left, int width, const QString &dataset = QString()) {
        TfrBandView *b = band(type, 0, 1000, 0, dataset);
        b->Left = left;
        b->Width = width;
    };
    vertical(frBand::CrossHeader, 0, 100);
    vertical(frBand::CrossData, 100, 60, "ColonneDS");
    vertical(frBand::CrossFooter, 160, 100);
    band(frBand::MasterData, 40, 20, 0, "DiarioDS");
    memo(10, 40, 80, 18, {"R[Diario.\"Giorno\"]"});
    memo(105, 40, 50, 18, {"[Valore]"});
    memo(165, 40, 80, 18, {"S[SUM([Valore])]"});
    band(frBand::MasterFooter, 70, 20);
    memo(10, 70, 80, 18, {"Totali"});
    memo(105, 70, 50, 18, {"[SUM([Valore])]"});

    // Three columns fit: one page, a row sum per row and a total per column.
    ASSERT_TRUE(build());
    EXPECT_EQ(pageTexts(), (QList<QStringList>{{"R1", "1", "2", "3", "S6", "R2", "1", "2", "3", "S6", "R3", "1", "2", "3",
                                                "S6", "Totali", "3", "6", "9"}}));

    // Fifteen do not: the rows go on to a second page, which repeats the header part.
    for (int v = 4; v <= 15; ++v) colonne->addRow({v});
    page->RepeatTableHeader = true;
    ASSERT_TRUE(build());
    snapshot("table");
    const QList<QStringList> pages = pageTexts();
    ASSERT_EQ(pages.size(), 2);
    const int k = int(pages[0].indexOf("R2")) - 1;   // columns on the first page
    ASSERT_GT(k, 2);
    ASSERT_LT(k, 15);
    QStringList first, second;
    for (int row = 1; row <= 3; ++row) {
        first << QString("R%1").arg(row);
        second << QString("R%1").arg(row);
        for (int c = 1; c <= 15; ++c) (c <= k ? first : second) << QString::number(c);
        second << "S120";
    }
    first << "Totali";
    second << "Totali";
    for (int c = 1; c <= 15; ++c) (c <= k ? first : second) << QString::number(3 * c);
    EXPECT_EQ(pages[0], first);
    EXPECT_EQ(pages[1], second);
    // The second page's columns start at the printable left after the repeated header.
    const QList<TfrEmfText> texts = TfrEmfPlayer::texts(report->EMFPages[1].Drawing);
    EXPECT_LT(texts[0].reference.x(), texts[1].reference.x());
    EXPECT_LT(texts[1].reference.x(), 100 + page->Margins[0] + 60);

    // In two columns each row keeps to its column: three columns fit one, and the
    // rows that go on in the second column are shifted by a column and its gap.
    form.findChild<TfrDBDataSet *>("ColonneDS")->SetDataSet(numbers("Poche", "Valore", 3));
    for (int d = 4; d <= 120; ++d) diario->addRow({d, "gen", 2000});
    page->ColumnCount = 2;
    page->ColumnGap = 10;
    ASSERT_TRUE(build());
    const QList<TfrEmfText> onFirst = TfrEmfPlayer::texts(report->EMFPages[0].Drawing);
    qreal r1 = -1, laterColumn = -1;
    for (const TfrEmfText &t : onFirst) {
        if (t.text == "R1") r1 = t.reference.x();
        else if (t.text.startsWith('R') && t.reference.x() > r1 + 100 && laterColumn < 0) laterColumn = t.reference.x();
    }
    ASSERT_GE(r1, 0);
    EXPECT_EQ(laterColumn, r1 + page->ColumnWidth + page->ColumnGap);
    for (const TfrEmfText &t : onFirst) {
        if (t.text == "S6") {
            EXPECT_LT(t.reference.x(), r1 + 2 * (page->ColumnWidth + page->ColumnGap));
        }
    }
}

TEST_F(Build, SubreportsSideBySideContinueOnTheFollowingPages)
{
    diario->addRow({1, "gen", 2000});
    masterDataset();
    struct Target
    {
        const char *name;
        int rows;
    };
    Target targets[] = {{"Alfa", 80}, {"Beta", 10}};
    band(frBand::PageHeader, 0, 20);
    memo(10, 0, 200, 18, {"Intestazione [PAGE#]"});
    band(frBand::ReportTitle, 40, 40);
    for (int i = 0; i < 2; ++i) {
        auto *s = static_cast<TfrSubReportView *>(report->CreateObject(frKind::SubReport));
        s->Left = 10 + 300 * i;
        s->Top = 50;
        s->Width = 250;
        s->Height = 20;
        s->TargetPage = i + 1;
        page->Add(s);
    }
    band(frBand::ReportSummary, 100, 20);
    memo(10, 100, 200, 18, {"Fine"});
    TfrPage *outer = page;
    for (const Target &t : targets) {
        numbers(t.name, "N", t.rows);
        page = report->Pages.Add();
        page->ChangePaper(9, 0, 0, 0);
        band(frBand::MasterData, 0, 20, 0, QString(t.name) + "DS");
        memo(0, 0, 200, 18, {QString(t.name).left(1) + "[N]"});
    }
    page = outer;
    page->HeaderOnFirstPage = false;
    ASSERT_TRUE(build());
    snapshot("subreports");
    const QList<QStringList> pages = pageTexts();
    ASSERT_EQ(pages.size(), 2);
    const int k = int(pages[0].indexOf("B1"));   // Alfa's rows on the first page
    ASSERT_GT(k, 10);
    QStringList first, second{"Intestazione 2"};
    for (int n = 1; n <= 80; ++n) (n <= k ? first : second) << QString("A%1").arg(n);
    for (int n = 1; n <= 10; ++n) first << QString("B%1").arg(n);
    second << "Fine";
    EXPECT_EQ(pages[0].join(' ').toStdString(), first.join(' ').toStdString());
    EXPECT_EQ(pages[1].join(' ').toStdString(), second.join(' ').toStdString());
    // Beta stands beside Alfa; the summary follows the longer of the two.
    const QList<TfrEmfText> one = TfrEmfPlayer::texts(report->EMFPages[0].Drawing);
    const QList<TfrEmfText> two = TfrEmfPlayer::texts(report->EMFPages[1].Drawing);
    EXPECT_EQ(one[k].reference.y(), one[0].reference.y());
    EXPECT_EQ(one[k].reference.x(), one[0].reference.x() + 300);
    EXPECT_GT(two.last().reference.y(), two[two.size() - 2].reference.y());
}

TEST_F(Build, PageOptionsFooterOnLastPageAndContinueOnPreviousPage)
{
    // 110 rows of 20 fill three pages.
    for (int d = 1; d <= 110; ++d) diario->addRow({d, "gen", 2000});
    masterDataset();
    band(frBand::MasterData, 40, 20, 0, "DiarioDS");
    memo(10, 40, 100, 18, {"[Giorno]"});
    band(frBand::PageFooter, 200, 20);
    memo(10, 200, 200, 18, {"Piede [PAGE#]"});
    TfrPage *first = page;
    page = report->Pages.Add();
    page->ChangePaper(9, 0, 0, 0);
    band(frBand::ReportTitle, 0, 20);
    memo(10, 0, 200, 18, {"Seconda"});

    struct Case
    {
        bool footerOnLast, continueOnPrevious;
        QStringList lasts;   // the last text of every page
    };
    const Case cases[] = {
        {false, false, {"Piede 1", "Piede 2", "110", "Seconda"}},
        {true, false, {"Piede 1", "Piede 2", "Piede 3", "Seconda"}},
        // The second design page goes on below the rows of the first.
        {true, true, {"Piede 1", "Piede 2", "Seconda"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.footerOnLast << c.continueOnPrevious);
        first->FooterOnLastPage = c.footerOnLast;
        page->ContinueOnPreviousPage = c.continueOnPrevious;
        ASSERT_TRUE(build());
        QStringList lasts;
        for (const QStringList &p : pageTexts()) lasts << p.value(p.size() - 1);
        EXPECT_EQ(lasts.join(' ').toStdString(), c.lasts.join(' ').toStdString());
    }
}

TEST_F(Build, AFailedBuildGivesBackTheTemplateAndTheData)
{
    diario->addRow({1, "gen", 2000});
    diario->addRow({2, "gen", 2000});
    masterDataset();
    auto *ds = form.findChild<TfrDBDataSet *>("DiarioDS");
    band(frBand::MasterData, 40, 20, 0, "DiarioDS");
    TfrMemoView *first = memo(10, 40, 100, 18, {"[Giorno]"});
    // The same dataset on a second page: opened once, closed once.
    page = report->Pages.Add();
    page->ChangePaper(9, 0, 0, 0);
    band(frBand::MasterData, 40, 20, 0, "DiarioDS");
    TfrMemoView *second = memo(10, 40, 100, 18, {"[Giorno]"});
    const bool wasActive = diario->Active();

    int endDocs = 0;
    struct Case
    {
        const char *name;
        std::function<void()> arrange;
        QString error;
    };
    const Case cases[] = {
        {"success", [] {}, {}},
        {"a handler fails", [&] { report->OnBeginPage = [](int) { throw Exception("gestore fallito"); }; },
         "gestore fallito"},
        {"the band filter fails", [&] {
             ds->Filtered = true;
             ds->Filter = "[Giorno] / ";
         }, "filtro della banda"},
        {"the second pass fails", [&] {
             report->TwoPass = true;
             report->OnEndDoc = [&] {
                 if (++endDocs == 2) throw Exception("secondo passo");
             };
         }, "secondo passo"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        report->OnBeginPage = nullptr;
        report->OnEndDoc = nullptr;
        report->TwoPass = false;
        ds->Filtered = false;
        endDocs = 0;
        c.arrange();
        const bool twoPass = report->TwoPass;
        const TfrBuildResult built = report->BuildReport();
        EXPECT_EQ(bool(built), c.error.isEmpty()) << built.Reason.toStdString();
        if (!c.error.isEmpty()) {
            // The caller gets the message to show; the build showed nothing itself.
            EXPECT_TRUE(shown.isEmpty()) << shown.join('|').toStdString();
            ASSERT_EQ(built.Messages.size(), 1);
            EXPECT_TRUE(built.Messages[0].text.contains(c.error)) << built.Messages[0].text.toStdString();
            EXPECT_TRUE(frBuildErrorText().contains(c.error)) << frBuildErrorText().toStdString();
        }
        for (TfrMemoView *m : {first, second})
            EXPECT_EQ(QRect(m->Left, m->Top, m->Width, m->Height), QRect(10, 40, 100, 18));
        EXPECT_FALSE(diario->ControlsDisabled());
        EXPECT_EQ(diario->Active(), wasActive);
        EXPECT_EQ(report->TwoPass, twoPass);
        EXPECT_FALSE(report->Building);
    }
}

TEST_F(Build, CountersAndTheFooterOfARangeThatEndsEarly)
{
    for (int d = 1; d <= 4; ++d) diario->addRow({d, "gen", 2000});
    masterDataset();
    auto *ds = form.findChild<TfrDBDataSet *>("DiarioDS");
    ds->RangeEnd = reCount;
    ds->RangeEndCount = 2;
    band(frBand::MasterData, 40, 20, 0, "DiarioDS");
    memo(10, 40, 200, 18, {"[LINE#]/[LINETHROUGH#]: [Giorno]"});
    band(frBand::MasterFooter, 70, 20);
    memo(10, 70, 200, 18, {"ultimo [Giorno]"});
    ASSERT_TRUE(build());
    // The footer shows the last record printed, not the one the range stopped on.
    EXPECT_EQ(allTexts(), (QStringList{"1/1: 1", "2/2: 2", "ultimo 2"}));
}

TEST_F(Build, ColumnsOverlayAndFillPage)
{
    diario->addRow({1, "gen", 2000});
    masterDataset();
    page->ColumnCount = 2;
    page->ColumnGap = 10;
    band(frBand::Overlay, 0, 20);
    memo(10, 0, 100, 18, {"Sfondo"});
    // After a tall title a column has too little room for the row, a new page has enough.
    band(frBand::ReportTitle, 30, 700);
    memo(10, 30, 100, 18, {"Titolo"});
    TfrBandView *rows = band(frBand::MasterData, 740, 600, frBand::FillPage, "DiarioDS");
    memo(10, 740, 100, 18, {"[Giorno]"});
    ASSERT_TRUE(build());
    EXPECT_EQ(pageTexts(), (QList<QStringList>{{"Sfondo", "Titolo"}, {"Sfondo", "1"}}));
    // The overlay stands at its own place on every page, whatever column the page ended in.
    const qreal x0 = TfrEmfPlayer::texts(report->EMFPages[0].Drawing)[0].reference.x();
    const qreal x1 = TfrEmfPlayer::texts(report->EMFPages[1].Drawing)[0].reference.x();
    EXPECT_EQ(x0, x1);
    EXPECT_LT(x0, 20);

    // An invisible band that fills the page prints nothing, and the build ends.
    rows->Visible = false;
    ASSERT_TRUE(build());
    EXPECT_EQ(allTexts(), (QStringList{"Sfondo", "Titolo"}));
}

TEST_F(Build, SummaryTotalsTheWholeReportWhileGroupsTotalTheirOwn)
{
    const QList<QVariantList> rows = {{1, "gen", 2000}, {2, "gen", 2000}, {3, "feb", 2000}, {4, "feb", 2000}};
    for (const QVariantList &r : rows) diario->addRow(r);
    masterDataset();
    band(frBand::GroupHeader, 10, 20, 0, "[Mese]");
    memo(10, 12, 200, 18, {"[Mese]"});
    band(frBand::MasterData, 40, 20, 0, "DiarioDS");
    memo(10, 42, 200, 18, {"[Giorno]"});
    band(frBand::GroupFooter, 70, 20);
    memo(10, 72, 200, 18, {"gruppo [SUM([Giorno])] [AVG([Giorno])]"});
    band(frBand::ReportSummary, 100, 20);
    memo(10, 102, 200, 18, {"totale [SUM([Giorno])] [AVG([Giorno])] [MAX([Giorno])]"});
    ASSERT_TRUE(build());
    EXPECT_EQ(allTexts(), (QStringList{"gen", "1", "2", "gruppo 3 1,5", "feb", "3", "4", "gruppo 7 3,5",
                                       "totale 10 2,5 4"}));
}

TEST_F(Build, ASubreportInTheMasterBandRunsForEveryRecordAcrossPages)
{
    for (int d = 1; d <= 3; ++d) diario->addRow({d, "gen", 2000});
    masterDataset();
    numbers("Righe", "N", 30);
    band(frBand::MasterData, 40, 40, 0, "DiarioDS");
    memo(10, 40, 200, 18, {"Giorno [Giorno]"});
    auto *s = static_cast<TfrSubReportView *>(report->CreateObject(frKind::SubReport));
    s->Left = 30;
    s->Top = 60;
    s->Width = 250;
    s->Height = 20;
    s->TargetPage = 1;
    page->Add(s);
    band(frBand::ReportSummary, 100, 20);
    memo(10, 100, 200, 18, {"Fine"});
    TfrPage *outer = page;
    page = report->Pages.Add();
    page->ChangePaper(9, 0, 0, 0);
    band(frBand::MasterData, 0, 20, 0, "RigheDS");
    memo(0, 0, 200, 18, {"riga [N]"});
    page = outer;
    ASSERT_TRUE(build());
    snapshot("subreport-per-record");
    QStringList expected;
    for (int d = 1; d <= 3; ++d) {
        expected << QString("Giorno %1").arg(d);
        for (int n = 1; n <= 30; ++n) expected << QString("riga %1").arg(n);
    }
    expected << "Fine";
    EXPECT_EQ(allTexts().join(' ').toStdString(), expected.join(' ').toStdString());
    EXPECT_EQ(report->EMFPages.Count(), 2);
    // Every text stays inside the printable height of its page.
    for (int i = 0; i < report->EMFPages.Count(); ++i)
        for (const TfrEmfText &t : TfrEmfPlayer::texts(report->EMFPages[i].Drawing))
            EXPECT_LT(t.reference.y(), page->PrnInfo.pageHeight - page->Margins[3]) << t.text.toStdString();
}

TEST_F(Build, ATargetPageBeforeItsSubreportStillDropsNewPage)
{
    diario->addRow({1, "gen", 2000});
    masterDataset();
    // Page 0 is the target, with a new page after every row; page 1 holds the subreport.
    band(frBand::MasterData, 0, 20, frBand::NewPageAfter, "DiarioDS");
    memo(0, 0, 200, 18, {"riga [Giorno]"});
    diario->addRow({2, "gen", 2000});
    diario->addRow({3, "gen", 2000});
    page = report->Pages.Add();
    page->ChangePaper(9, 0, 0, 0);
    band(frBand::ReportTitle, 0, 40);
    auto *s = static_cast<TfrSubReportView *>(report->CreateObject(frKind::SubReport));
    s->Left = 10;
    s->Top = 10;
    s->Width = 250;
    s->Height = 20;
    s->TargetPage = 0;
    page->Add(s);
    band(frBand::ReportSummary, 100, 20);
    memo(10, 100, 200, 18, {"Fine"});
    ASSERT_TRUE(build());
    EXPECT_EQ(pageTexts(), (QList<QStringList>{{"riga 1", "riga 2", "riga 3", "Fine"}}));
}

TEST_F(Build, ASplitBandStillBreaksToANewPageAfterIt)
{
    band(frBand::ReportTitle, 0, 20, frBand::Stretched | frBand::BreakBand | frBand::NewPageAfter);
    QStringList lines;
    for (int i = 1; i <= 80; ++i) lines << QString("riga %1").arg(i);
    memo(10, 0, 200, 20, lines, TfrMemoView::MemoStretched);
    band(frBand::ReportSummary, 40, 20);
    memo(10, 40, 200, 18, {"Fine"});
    ASSERT_TRUE(build());
    const QList<QStringList> pages = pageTexts();
    ASSERT_EQ(pages.size(), 3);
    EXPECT_EQ(pages[1].last(), "riga 80");
    EXPECT_EQ(pages[2], QStringList{"Fine"});
}
