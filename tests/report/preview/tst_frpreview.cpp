// The preview: page layout numbers, text search, and the window itself
// (caption, zoom box, keys, saving a page as EMF or the report as PDF, opening
// a damaged file, finding text, printing a range). With TONALBA_SNAPSHOT_DIR
// set, the window is also saved as pictures at each zoom and with a match.

#include "recordingprintsystem.h"
#include "tests/app/accessibilitycheck.h"

#include "report/frbandtypes.h"
#include "report/frbandview.h"
#include "report/frbuilder.h"
#include "report/frbuildstate.h"
#include "report/fremfdevice.h"
#include "report/fremfplayer.h"
#include "report/frmemoview.h"
#include "report/frpage.h"
#include "report/frpreparedfile.h"
#include "report/frprintersettings.h"
#include "report/frreport.h"
#include "report/preview/frexportfilter.h"
#include "report/preview/frfindform.h"
#include "report/preview/frpreview.h"
#include "report/preview/frpreviewmessage.h"
#include "report/preview/frprogressform.h"

#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>

namespace {

QByteArray drawPage(int number)
{
    TfrEmfDevice device(QSize(794, 1123));
    {
        QPainter p(&device);
        p.setFont(QFont(QStringLiteral("Liberation Sans"), 14, QFont::Bold));
        p.drawText(QPointF(60, 80), QStringLiteral("Diario della pressione - pagina %1").arg(number));
        p.setFont(QFont(QStringLiteral("Liberation Sans"), 10));
        p.drawLine(60, 95, 734, 95);
        for (int row = 0; row < 20; ++row) {
            p.drawRect(60, 110 + row * 24, 674, 24);
            p.drawText(QPointF(70, 127 + row * 24), QStringLiteral("%1/03/2024").arg(row + 1, 2, 10, QLatin1Char('0')));
            p.drawText(QPointF(200, 127 + row * 24), QStringLiteral("%1/%2").arg(120 + row).arg(80 + row % 7));
        }
        if (number == 3) p.drawText(QPointF(70, 700), QStringLiteral("Terapia: ramipril"));
    }
    return device.finish();
}

void fill(TfrReport &report, int pages)
{
    for (int i = 0; i < pages; ++i) {
        TfrPreparedPage page;
        page.PaperSize = 9;
        page.PaperWidth = 2100;
        page.PaperHeight = 2970;
        page.Drawing = drawPage(i + 1);
        report.EMFPages.Add(page);
    }
    report.HasPreparedPages = true;
}

} // namespace

class TestPreview : public QObject
{
    Q_OBJECT

    QStringList messages;
    RecordingPrintSystem system;

private slots:
    void init()
    {
        messages.clear();
        frSetPreviewMessageHook([this](const QString &t, const QString &c, TMsgDlgType) { messages << c + ": " + t; });
        system = RecordingPrintSystem();
        TfrPrintSystem::setCurrent(&system);
        TPrinterSettings::instance().setDevices({});
        TFindForm::lastOptions() = {};
    }
    void cleanup()
    {
        frSetPreviewMessageHook(nullptr);
        TfrPrintSystem::setCurrent(nullptr);
    }

    void layout_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("percent");
        QTest::addColumn<QSize>("pageSize");
        QTest::addColumn<int>("topOfThird");
        QTest::newRow("100%: A4 is 794 x 1123") << int(TfrZoomMode::Percent) << 100 << QSize(794, 1123) << 2 * (1123 + 12);
        QTest::newRow("50%") << int(TfrZoomMode::Percent) << 50 << QSize(397, 561) << 2 * (561 + 12);
        QTest::newRow("two pages: third starts the second row")
            << int(TfrZoomMode::TwoPages) << 0 << QSize(371, 525) << 525 + 12;
        QTest::newRow("one page fits the height") << int(TfrZoomMode::OnePage) << 0 << QSize(371, 525) << 2 * (525 + 12);
        QTest::newRow("page width") << int(TfrZoomMode::PageWidth) << 0 << QSize(776, 1097) << 2 * (1097 + 12);
    }
    void layout()
    {
        QFETCH(int, mode);
        QFETCH(int, percent);
        QFETCH(QSize, pageSize);
        QFETCH(int, topOfThird);
        TfrPreviewLayout l;
        l.setPapers({QSize(2100, 2970), QSize(2100, 2970), QSize(2100, 2970), QSize(2100, 2970)});
        l.setViewport(QSize(800, 549));
        l.setZoom(TfrZoomMode(mode), percent);
        QCOMPARE(l.pageSize(0), pageSize);
        QCOMPARE(l.pageTop(2), topOfThird);
        QCOMPARE(l.pageAt(topOfThird), 2);
        QCOMPARE(l.pageRect(1).top() == l.pageRect(0).top(), TfrZoomMode(mode) == TfrZoomMode::TwoPages);
    }

    void matching_data()
    {
        QTest::addColumn<QString>("record");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("matchCase");
        QTest::addColumn<bool>("partOfWord");
        QTest::addColumn<bool>("found");
        QTest::newRow("whole word, any case") << "Terapia: ramipril" << "RAMIPRIL" << false << false << true;
        QTest::newRow("case must match") << "Terapia: ramipril" << "RAMIPRIL" << true << false << false;
        QTest::newRow("part of a word refused") << "Terapia: ramipril" << "rami" << false << false << false;
        QTest::newRow("part of a word allowed") << "Terapia: ramipril" << "rami" << false << true << true;
        QTest::newRow("second occurrence is a whole word") << "ramipril rami" << "rami" << false << false << true;
        QTest::newRow("empty text finds nothing") << "x" << "" << false << true << false;
    }
    void matching()
    {
        QFETCH(QString, record);
        QFETCH(QString, text);
        QFETCH(bool, matchCase);
        QFETCH(bool, partOfWord);
        QFETCH(bool, found);
        TfrFindOptions o;
        o.text = text;
        o.matchCase = matchCase;
        o.partOfWord = partOfWord;
        QCOMPARE(TfrTextSearch::matches(record, o), found);
    }

    void searchOrigins()
    {
        const QList<QByteArray> pages{drawPage(1), drawPage(2), drawPage(3)};
        TfrFindOptions o;
        o.text = QStringLiteral("pagina");
        o.partOfWord = true;
        TfrFindMatch m = TfrTextSearch::find(pages, o, 1);
        QCOMPARE(m.page, 0);
        o.origin = TfrFindOrigin::CurrentPage;
        QCOMPARE(TfrTextSearch::find(pages, o, 1).page, 1);
        o.origin = TfrFindOrigin::Next;
        m = TfrTextSearch::find(pages, o, 0, m);
        QCOMPARE(m.page, 1);
        m = TfrTextSearch::find(pages, o, 1, m);
        QCOMPARE(m.page, 2);
        QVERIFY(!TfrTextSearch::find(pages, o, 2, m).found());
        o.origin = TfrFindOrigin::Previous;
        QCOMPARE(TfrTextSearch::find(pages, o, 2, m).page, 1);
    }

    void showBuiltReportNonModal()
    {
        QWidget owner;
        TfrReport report(&owner);
        report.Title = QStringLiteral("Prossimi appuntamenti");
        report.ModalPreview = false;
        fill(report, 3);
        TStandardPreview::ShowBuiltReport(report);
        QCOMPARE(TStandardPreview::openPreviews().size(), 1);
        QPointer<TStandardPreview> preview = TStandardPreview::openPreviews().first();
        QCOMPARE(preview->windowTitle(), QStringLiteral("Anteprima - Prossimi appuntamenti"));
        QVERIFY(preview->report() != &report);
        QCOMPARE(preview->pageCount(), 3);
        QCOMPARE(preview->report()->EMFPages[2].Drawing, report.EMFPages[2].Drawing);
        QVERIFY(preview->windowFlags() & Qt::WindowStaysOnTopHint);
        // The caller drops its pages; the preview keeps its copy.
        report.EMFPages.Clear();
        QCOMPARE(preview->pageCount(), 3);

        QComboBox *zoom = preview->zoomBox();
        QCOMPARE(zoom->currentText(), QStringLiteral("100%"));
        QCOMPARE(zoom->count(), 9);
        QCOMPARE(zoom->itemText(8), QStringLiteral("Due pagine"));
        QCOMPARE(zoom->toolTip(), QStringLiteral("Ingrandimento"));
        QStringList hints;
        for (QAction *a : preview->toolBar()->actions())
            if (!a->text().isEmpty()) hints << a->text() + "=" + a->toolTip();
        QCOMPARE(hints, QStringList({"&Apri=Apre un report", "Sal&va=Salva il report", "&Stampa=Stampa il report",
                                     "&Trova=Trova del testo",
                                     "Sc&hermo=Visualizza l'anteprima a schermo intero",
                                     "&Chiudi=Chiude il report"}));

        preview->close();
        QVERIFY(TStandardPreview::openPreviews().isEmpty());
        QTRY_VERIFY(preview.isNull());
    }

    // As a screen reader reads them: every focusable control named, once.
    void previewAndFindAreNamed()
    {
        QWidget owner;
        TfrReport report(&owner);
        report.ModalPreview = false;
        fill(report, 2);
        TStandardPreview::ShowBuiltReport(report);
        QPointer<TStandardPreview> preview = TStandardPreview::openPreviews().first();
        QVERIFY(QTest::qWaitForWindowExposed(preview));
        QStringList problems = a11y::problems(preview);
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n') + "\n" + a11y::tree(preview)));
        TFindForm find(preview);
        find.show();
        QVERIFY(QTest::qWaitForWindowExposed(&find));
        problems = a11y::problems(&find);
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n') + "\n" + a11y::tree(&find)));
        preview->close();
        QTRY_VERIFY(preview.isNull());
    }

    void keysNavigate()
    {
        TfrReport report;
        fill(report, 5);
        TStandardPreview preview;
        preview.setReport(&report, false);
        preview.show();
        QVERIFY(QTest::qWaitForWindowExposed(&preview));
        QWidget *area = preview.pageArea();
        QTest::keyClick(area, Qt::Key_PageDown, Qt::ControlModifier);
        QCOMPARE(preview.currentPage(), 1);
        QCOMPARE(preview.scrollY(), 1123 + 12);
        QTest::keyClick(area, Qt::Key_End);
        QCOMPARE(preview.currentPage(), 4);
        QTest::keyClick(area, Qt::Key_Minus);
        QCOMPARE(preview.currentPage(), 3);
        QTest::keyClick(area, Qt::Key_Home);
        QCOMPARE(preview.currentPage(), 0);
        const int before = preview.scrollY();
        QTest::keyClick(area, Qt::Key_Down);
        QVERIFY(preview.scrollY() > before);

        preview.setZoomChoice(TStandardPreview::ZoomTwoPages);
        preview.ShowPage(0);
        QTest::keyClick(area, Qt::Key_Equal);
        QCOMPARE(preview.currentPage(), 2);

        QTest::keyClick(area, Qt::Key_Space);
        QVERIFY(preview.isFullScreenMode());
        QVERIFY(!preview.toolBar()->isVisible());
        QTest::keyClick(area, Qt::Key_Escape);
        QVERIFY(!preview.isFullScreenMode());
        QVERIFY(preview.isVisible());
        QVERIFY(preview.toolBar()->isVisible());
        QTest::keyClick(area, Qt::Key_Escape);
        QVERIFY(!preview.isVisible());
    }

    void saveChoices()
    {
        QTemporaryDir dir;
        TfrReport report;
        fill(report, 3);
        TStandardPreview preview;
        preview.setReport(&report, false);
        preview.ShowPage(1);

        QString seenFilter;
        TStandardPreview::dialogs().saveFile = [&](QWidget *, const QString &filter, int &choice) {
            seenFilter = filter;
            choice = TStandardPreview::SaveEmf;
            return dir.filePath(QStringLiteral("page"));
        };
        preview.SaveReport();
        QCOMPARE(seenFilter, QStringLiteral("Report file (*.frp);;Enhanced Meta File - File Grafico (*.emf);;PDF (*.pdf)"));
        QFile emf(dir.filePath(QStringLiteral("page.emf")));
        QVERIFY(emf.open(QIODevice::ReadOnly));
        const QByteArray written = emf.readAll();
        QCOMPARE(written, report.EMFPages[1].Drawing);
        QCOMPARE(TfrEmfPlayer::texts(written).value(0).text, QStringLiteral("Diario della pressione - pagina 2"));

        QCOMPARE(preview.SaveTo(dir.filePath("PAGE.EMF"), TStandardPreview::SaveEmf), dir.filePath("PAGE.EMF"));
        const QString pdf = preview.SaveTo(dir.filePath("diario"), TStandardPreview::SavePdf);
        QCOMPARE(pdf, dir.filePath("diario.pdf"));
        QFile pdfFile(pdf);
        QVERIFY(pdfFile.open(QIODevice::ReadOnly));
        const QByteArray pdfData = pdfFile.readAll();
        QVERIFY(pdfData.startsWith("%PDF"));
        QCOMPARE(pdfData.count("/Type /Page\n") + pdfData.count("/Type /Page\r") + pdfData.count("/Type /Page "), 3);

        const QString frp = preview.SaveTo(dir.filePath("diario.frp"), TStandardPreview::SaveFrp);
        TfrReport other;
        TStandardPreview second;
        second.setReport(&other, false);
        QVERIFY(second.LoadFile(frp));
        QCOMPARE(second.pageCount(), 3);
        QCOMPARE(messages, QStringList());
        TStandardPreview::dialogs().saveFile = nullptr;
    }

    // A PDF that cannot be written is said in the message box, with the file and why.
    void pdfFailuresAreShown_data()
    {
        QTest::addColumn<bool>("print");
        QTest::newRow("save as PDF") << false;
        QTest::newRow("print to a PDF file") << true;
    }
    void pdfFailuresAreShown()
    {
        QFETCH(bool, print);
        QTemporaryDir dir;
        const QString file = dir.filePath("manca/diario.pdf");
        TfrReport report;
        fill(report, 2);
        TStandardPreview preview;
        preview.setReport(&report, false);
        if (print) {
            TStandardPreview::dialogs().print = [&](QWidget *, int count, TfrPrintRequest &r) {
                r.fromPage = 1;
                r.toPage = count;
                r.pdfFile = file;
                return true;
            };
            preview.PrintReport();
            TStandardPreview::dialogs().print = nullptr;
        } else {
            QCOMPARE(preview.SaveTo(file, TStandardPreview::SavePdf), QString());
        }
        QCOMPARE(messages, QStringList{"Errore: Impossibile scrivere il file " + file + ": la cartella non esiste."});
    }

    void damagedFileIsRefused()
    {
        QTemporaryDir dir;
        QFile bad(dir.filePath("bad.frp"));
        QVERIFY(bad.open(QIODevice::WriteOnly));
        TfrReport source;
        fill(source, 2);
        bad.write(TfrPreparedFile::save(source).left(300));
        bad.close();

        TfrReport report;
        fill(report, 1);
        TStandardPreview preview;
        preview.setReport(&report, false);
        QVERIFY(!preview.LoadFile(bad.fileName()));
        QCOMPARE(messages, QStringList({"Errore: Il file non è un report valido o è danneggiato."}));
        QCOMPARE(preview.pageCount(), 1);
    }

    void findSelectsOrComplains()
    {
        TfrReport report;
        fill(report, 4);
        TStandardPreview preview;
        preview.setReport(&report, false);
        preview.resize(900, 700);
        preview.show();
        QVERIFY(QTest::qWaitForWindowExposed(&preview));
        preview.ShowPage(1);

        TfrFindOptions o;
        o.text = QStringLiteral("insulina");
        QVERIFY(!preview.FindNext(o));
        QCOMPARE(messages, QStringList({"Messaggio.: Non è stato trovato nessun elemento che soddisfi la richiesta."}));
        QCOMPARE(preview.currentPage(), 1);
        QVERIFY(!preview.highlightShown());

        // Through the dialog: the options are kept for the next search.
        TStandardPreview::dialogs().find = [](TFindForm &form) {
            form.textBox()->setCurrentText(QStringLiteral("ramipril"));
            form.accept();
            return true;
        };
        preview.FindText();
        TStandardPreview::dialogs().find = nullptr;
        QCOMPARE(TFindForm::lastOptions().text, QStringLiteral("ramipril"));
        QCOMPARE(preview.currentPage(), 2);
        QVERIFY(preview.highlightShown());
        const QRect h = preview.highlightRect();
        const QRect area = preview.pageArea()->rect();
        QVERIFY2(qAbs(h.center().y() - area.center().y()) <= 2, qPrintable(QString::number(h.center().y())));
        QVERIFY(area.contains(h));
        snapshot(preview, "found");

        // Eight steps of 250 ms, then it stays shown.
        bool hiddenOnce = false;
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 2600) {
            QTest::qWait(50);
            hiddenOnce |= !preview.highlightShown();
        }
        QVERIFY(hiddenOnce);
        QVERIFY(preview.highlightShown());
    }

    void printFromPreview()
    {
        TfrReport report;
        report.ShowProgress = false;
        fill(report, 5);
        TStandardPreview preview;
        preview.setReport(&report, false);
        int offered = 0;
        TStandardPreview::dialogs().print = [&](QWidget *, int count, TfrPrintRequest &r) {
            offered = count;
            r.fromPage = 2;
            r.toPage = 10;
            r.copies = 2;
            r.collate = false;
            return true;
        };
        preview.PrintReport();
        TStandardPreview::dialogs().print = nullptr;
        QCOMPARE(offered, 5);
        QCOMPARE(system.sheets().size(), 8);
    }

    void zoomChoicesOnScreen()
    {
        TfrReport report;
        fill(report, 4);
        TStandardPreview preview;
        preview.setReport(&report, false);
        preview.resize(1000, 760);
        preview.show();
        QVERIFY(QTest::qWaitForWindowExposed(&preview));
        const struct
        {
            int choice;
            const char *name;
        } choices[] = {{TStandardPreview::Zoom100, "100"},
                       {TStandardPreview::ZoomOnePage, "una-pagina"},
                       {TStandardPreview::ZoomTwoPages, "due-pagine"}};
        for (const auto &c : choices) {
            preview.setZoomChoice(c.choice);
            const QImage shot = snapshot(preview, c.name);
            // The first page is white paper on the grey area.
            const QRect page = preview.layout().pageRect(0).translated(0, -preview.scrollY());
            const QPoint inPage = preview.pageArea()->mapTo(&preview, page.topLeft() + QPoint(5, 5));
            QCOMPARE(QColor(shot.pixel(inPage)), QColor(Qt::white));
            QCOMPARE(QColor(shot.pixel(preview.pageArea()->mapTo(&preview, QPoint(2, 2)))), QColor(0x80, 0x80, 0x80));
        }
    }

    // Runs last: the export registry cannot be emptied again.
    void exportThroughRegisteredFilter()
    {
        struct Recorder : TfrExportFilter
        {
            QStringList *log;
            explicit Recorder(QStringList *l) : log(l) {}
            bool beginDocument(const QString &name) override { *log << "doc " + QFileInfo(name).fileName(); return true; }
            void beginPage(const QSize &size) override { *log << QStringLiteral("page %1").arg(size.width()); }
            void addText(const TfrEmfText &text) override
            {
                if (text.text.startsWith(QLatin1String("Diario"))) *log << text.text;
            }
            void endPage() override {}
            void finishDocument() override { *log << "end"; }
        };
        QStringList log;
        QVERIFY(frExport::registerFilter("TfrTextExport", "File di testo", ".txt",
                                         [&] { return std::make_unique<Recorder>(&log); }));
        QTemporaryDir dir;
        TfrReport report;
        fill(report, 2);
        TStandardPreview preview;
        preview.setReport(&report, false);
        QCOMPARE(preview.SaveTo(dir.filePath("diario"), 4), dir.filePath("diario.txt"));
        QCOMPARE(log, QStringList({"doc diario.txt", "page 794", "Diario della pressione - pagina 1", "page 794",
                                   "Diario della pressione - pagina 2", "end"}));
        QCOMPARE(messages, QStringList({": Salvataggio effettuato"}));
    }

    void buildRunsInsideTheProgressWindowUntilCancelled()
    {
        frBuilder::install();
        TStandardPreview::Register();
        TfrReport report;
        report.Title = QStringLiteral("Diario");
        TfrPage *page = report.Pages[0];
        page->ChangePaper(9, 0, 0, 0);
        // A title that forces a new page, then a summary on the second page.
        const auto add = [&](int kind, int top, const QString &text, int bandType, int flags) {
            TfrView *v = report.CreateObject(kind);
            v->Left = 10;
            v->Top = top;
            v->Width = 300;
            v->Height = 20;
            v->Flags = quint16(flags);
            if (kind == frKind::Band) static_cast<TfrBandView *>(v)->FrameLines = quint16(bandType);
            else static_cast<TfrMemoView *>(v)->Memo = QStringList{text};
            page->Add(v);
        };
        add(frKind::Band, 0, {}, frBand::ReportTitle, frBand::NewPageAfter);
        add(frKind::Memo, 0, QStringLiteral("Titolo"), 0, 0);
        add(frKind::Band, 40, {}, frBand::ReportSummary, 0);
        add(frKind::Memo, 40, QStringLiteral("Fine"), 0, 0);

        QStringList seen;
        report.OnDrawObject = [&](TfrView *v) {
            auto *form = qobject_cast<TfrProgressForm *>(QApplication::activeModalWidget());
            if (!form || v->Kind != frKind::Memo) return;
            seen << form->windowTitle() + " | " + form->labelText();
            if (static_cast<TfrMemoView *>(v)->Memo.value(0) == QLatin1String("Fine")) form->cancelButton()->click();
        };
        QVERIFY(!report.BuildReport());
        QCOMPARE(seen, QStringList({"Report in preparazione - Diario | Pagina in costruzione:  1",
                                    "Report in preparazione - Diario | Pagina in costruzione:  2"}));
        QVERIFY(!QApplication::activeModalWidget());

        // Without the cancel the same build succeeds, and a two-pass build shows its first pass.
        seen.clear();
        report.OnDrawObject = [&](TfrView *v) {
            auto *form = qobject_cast<TfrProgressForm *>(QApplication::activeModalWidget());
            if (form && v->Kind == frKind::Memo) seen << form->labelText();
        };
        report.TwoPass = true;
        QVERIFY2(report.BuildReport(), qPrintable(frBuildErrorText()));
        QCOMPARE(report.EMFPages.Count(), 2);
        QCOMPARE(seen, QStringList({"Esecuzione 1° passo:  1", "Esecuzione 1° passo:  2", "Pagina in costruzione:  1",
                                    "Pagina in costruzione:  2"}));
    }

private:
    QImage snapshot(QWidget &w, const char *name)
    {
        QCoreApplication::processEvents();
        const QImage image = w.grab().toImage();
        const QByteArray dir = qgetenv("TONALBA_SNAPSHOT_DIR");
        if (!dir.isEmpty()) image.save(QString::fromLocal8Bit(dir) + "/preview-" + name + ".png");
        return image;
    }
};

QTEST_MAIN(TestPreview)
#include "tst_frpreview.moc"
