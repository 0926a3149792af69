// Printing prepared pages: the range cut to the page count, copies with and
// without collation made by the engine, a new job at each paper change, the
// cancel flag, the events and the progress, printer selection, and a scaled
// design page printed into its smaller sheet. Jobs are recorded, not printed.

#include "recordingprintsystem.h"

#include "report/frbandview.h"
#include "report/frbuilder.h"
#include "report/fremfdevice.h"
#include "report/fremfplayer.h"
#include "report/frmemoview.h"
#include "report/frpage.h"
#include "report/frprintersettings.h"
#include "report/frregistry.h"
#include "report/frreport.h"
#include "report/preview/frpreviewmessage.h"
#include "report/preview/frprogressform.h"
#include "report/preview/frreportprinter.h"

#include <QPainter>
#include <QTest>

namespace {

QByteArray pageDrawing(int number, const QSize &size = QSize(794, 1123))
{
    TfrEmfDevice device(size);
    {
        QPainter p(&device);
        p.drawText(QPointF(50, 50), QStringLiteral("P%1").arg(number));
    }
    return device.finish();
}

void addPages(TfrReport &report, int count, int code = 9, int width = 2100, int height = 2970)
{
    for (int i = 0; i < count; ++i) {
        TfrPreparedPage page;
        page.PaperSize = code;
        page.PaperWidth = width;
        page.PaperHeight = height;
        page.Drawing = pageDrawing(report.EMFPages.Count() + 1);
        report.EMFPages.Add(page);
    }
}

// The page numbers printed, sheet by sheet.
QList<int> printed(const QList<RecordedSheet> &sheets)
{
    QList<int> out;
    for (const RecordedSheet &s : sheets) {
        const QList<TfrEmfText> texts = TfrEmfPlayer::texts(s.drawing);
        out << (texts.isEmpty() || s.drawing.endsWith("+overprint") ? -1 : texts[0].text.mid(1).toInt());
    }
    return out;
}

} // namespace

class TestPrint : public QObject
{
    Q_OBJECT

    RecordingPrintSystem system;
    QStringList messages;

private slots:
    void init()
    {
        system = RecordingPrintSystem();
        TfrPrintSystem::setCurrent(&system);
        TPrinterSettings::instance().setDevices({});
        messages.clear();
        frSetPreviewMessageHook([this](const QString &t, const QString &c, TMsgDlgType) { messages << c + ": " + t; });
    }
    void cleanup()
    {
        TfrPrintSystem::setCurrent(nullptr);
        TPrinterSettings::instance().setDevices({});
        frSetPreviewMessageHook(nullptr);
        TfrReportPrinter::progressHook() = nullptr;
    }

    void rangeAndCopies_data()
    {
        QTest::addColumn<int>("pages");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("last");
        QTest::addColumn<bool>("collate");
        QTest::addColumn<int>("copies");
        QTest::addColumn<QList<int>>("expected");
        QTest::newRow("all pages once") << 3 << 1 << 3 << false << 1 << QList<int>{1, 2, 3};
        QTest::newRow("pages 2-10 of 5 print 2-5") << 5 << 2 << 10 << false << 1 << QList<int>{2, 3, 4, 5};
        QTest::newRow("copies 2 without collation") << 2 << 1 << 2 << false << 2 << QList<int>{1, 1, 2, 2};
        QTest::newRow("copies 2 collated") << 2 << 1 << 2 << true << 2 << QList<int>{1, 2, 1, 2};
        QTest::newRow("range past the end prints nothing") << 2 << 3 << 9 << false << 1 << QList<int>{};
        QTest::newRow("zero copies count as one") << 1 << 1 << 1 << true << 0 << QList<int>{1};
    }
    void rangeAndCopies()
    {
        QFETCH(int, pages);
        QFETCH(int, first);
        QFETCH(int, last);
        QFETCH(bool, collate);
        QFETCH(int, copies);
        QFETCH(QList<int>, expected);
        TfrReport report;
        report.ShowProgress = false;
        addPages(report, pages);
        TfrReportPrinter(report).PrintPages(first, last, collate, copies);
        QCOMPARE(printed(system.sheets()), expected);
        QCOMPARE(system.jobs.size(), expected.isEmpty() ? 0 : 1);
        if (!expected.isEmpty()) {
            QVERIFY(system.jobs[0].ended);
            QCOMPARE(system.jobs[0].title, QStringLiteral("Quillo: Nessun nome"));
        }
    }

    void paperChangeStartsNewJob()
    {
        TfrReport report;
        report.ShowProgress = false;
        report.Title = QStringLiteral("Diario");
        addPages(report, 2);
        addPages(report, 1, 256, 1050, 2970);
        addPages(report, 1);
        TfrReportPrinter(report).PrintPages(1, 4, false, 1);
        QCOMPARE(system.jobs.size(), 3);
        QCOMPARE(printed(system.jobs[0].sheets), QList<int>({1, 2}));
        QCOMPARE(printed(system.jobs[1].sheets), QList<int>({3}));
        QCOMPARE(printed(system.jobs[2].sheets), QList<int>({4}));
        QCOMPARE(system.jobs[1].paper, (TfrPaper{256, 1050, 2970, 0}));
        for (const RecordedJob &job : system.jobs) {
            QVERIFY(job.ended);
            QCOMPARE(job.title, QStringLiteral("Diario"));
        }
    }

    void marginsDecideThePlayRectangle()
    {
        TfrReport report;
        report.ShowProgress = false;
        addPages(report, 2);
        report.EMFPages[1].UseMargins = false;
        TfrReportPrinter(report).PrintPages(1, 2, false, 1);
        const QList<RecordedSheet> sheets = system.sheets();
        QCOMPARE(sheets[0].target, QRect(-18, -18, 794, 1123));
        QCOMPARE(sheets[1].target, QRect(0, 0, 758, 1087));
    }

    void eventsProgressAndCancel()
    {
        TfrReport report;
        addPages(report, 3);
        QStringList events;
        report.OnBeforePrint = [&](bool &) { events << "before"; };
        report.OnAfterPrint = [&] { events << "after"; };
        report.OnProgress = [&](int n, bool isPage) { events << QStringLiteral("%1%2").arg(n).arg(isPage ? "p" : ""); };
        TfrReportPrinter(report).PrintPages(1, 3, true, 2);
        QCOMPARE(events, QStringList({"before", "16", "33", "50", "66", "83", "100", "after"}));

        // Cancelled at the second sheet: the job is aborted there.
        system.jobs.clear();
        events.clear();
        report.OnProgress = [&](int n, bool) {
            if (n >= 33) report.Terminated = true;
        };
        TfrReportPrinter(report).PrintPages(1, 3, true, 2);
        QCOMPARE(printed(system.sheets()), QList<int>({1, 2}));
        QVERIFY(system.jobs[0].aborted);
        QVERIFY(!system.jobs[0].ended);

        // OnBeforePrint saying no: nothing at all.
        system.jobs.clear();
        report.OnBeforePrint = [](bool &doContinue) { doContinue = false; };
        TfrReportPrinter(report).PrintPages(1, 3, false, 1);
        QVERIFY(system.jobs.isEmpty());
    }

    void progressWindowShowsThePage()
    {
        TfrReport report;
        report.Title = QStringLiteral("Diario");
        addPages(report, 2);
        QStringList seen;
        TfrReportPrinter::progressHook() = [&](TfrProgressForm &form) {
            seen << form.windowTitle() + " | " + form.labelText() + " " + form.numberText();
        };
        TfrReportPrinter(report).PrintPages(1, 2, false, 1);
        QCOMPARE(seen, QStringList({"Report in preparazione - Diario | Pagina in stampa: 1",
                                    "Report in preparazione - Diario | Pagina in stampa: 2"}));

        seen.clear();
        report.TwoPass = true;
        report.Title.clear();
        TfrReportPrinter(report).PrintPages(1, 1, false, 1);
        QCOMPARE(seen, QStringList({"Report in preparazione | Pagina in stampa:  1 di 2 "}));
    }

    void selectedPrinterIsKeptAndInvalidOneRefused()
    {
        system.printerNames = {"Laser"};
        TfrPrintSystem::RefreshPrinters();
        TPrinterSettings &prn = TPrinterSettings::instance();
        QCOMPARE(prn.Printers(), QStringList({"Laser", "Stampante predefinita"}));

        TfrReport report;
        report.ShowProgress = false;
        QVERIFY(TfrPrintSystem::SelectPrinter(report, 0));
        addPages(report, 1);
        TfrReportPrinter(report).PrintPages(1, 1, false, 1);
        QCOMPARE(system.jobs.value(0).printer, QStringLiteral("Laser"));

        // An index past the list is refused with the message; the printer stays.
        QVERIFY(!TfrPrintSystem::SelectPrinter(report, 5));
        QCOMPARE(messages, QStringList({"Errore: La stampante selezionata non è valida"}));
        QCOMPARE(prn.PrinterName(), QStringLiteral("Laser"));
    }

    void scaledDesignPagePrintsIntoSmallerSheet()
    {
        QObject form;
        TfrReport report(&form);
        report.ShowProgress = false;
        TfrPage *page = report.Pages[0];
        page->ChangePaper(9, 0, 0, 0);
        page->ScaleX = 50;
        auto *band = static_cast<TfrBandView *>(report.CreateObject(frKind::Band));
        band->FrameLines = 0;   // report title
        band->Top = 40;
        band->Width = 700;
        band->Height = 40;
        page->Add(band);
        auto *memo = static_cast<TfrMemoView *>(report.CreateObject(frKind::Memo));
        memo->Left = 40;
        memo->Top = 45;
        memo->Width = 300;
        memo->Height = 20;
        memo->Memo = QStringList{"Pressione"};
        page->Add(memo);
        frBuilder::install();
        QVERIFY(report.BuildReport());
        frRegistry::setBuilder(nullptr);

        QCOMPARE(report.EMFPages.Count(), 1);
        QCOMPARE(report.EMFPages[0].PaperSize, 256);
        QCOMPARE(report.EMFPages[0].PaperWidth, 1050);
        QCOMPARE(report.EMFPages[0].PaperHeight, 2970);

        TfrReportPrinter(report).PrintPages(1, 1, false, 1);
        QCOMPARE(system.jobs.size(), 1);
        QCOMPARE(system.jobs[0].paper, (TfrPaper{256, 1050, 2970, 0}));
        // The whole design page lands on the half-width sheet.
        QCOMPARE(system.jobs[0].sheets[0].target, QRect(-18, -18, 397, 1123));
    }
};

QTEST_MAIN(TestPrint)
#include "tst_frprint.moc"
