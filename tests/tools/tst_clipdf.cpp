// One PDF whichever way it was made. A small three-page template (A4 upright,
// A4 landscape without margins, a custom paper) is built by `tonalba-cli
// report build`; the tool's PDF and the preview's "save as PDF" and "print to
// file" of the same prepared pages must give the same words at the same places
// (to 0.1 mm) on the same papers. A failed write leaves the old file and says why.

#include "tests/report/pdflayout.h"

#include "report/frbandtypes.h"
#include "report/frbandview.h"
#include "report/frmemoview.h"
#include "report/frpage.h"
#include "report/frprintersettings.h"
#include "report/frreport.h"
#include "report/preview/frpreview.h"
#include "report/preview/frpreviewmessage.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "tests/tools/clirun.h"

#include <csignal>
#include <sys/resource.h>

namespace {

using Run = CliRun;

// With `fileSizeLimit`, the tool may write no file past that many bytes: its
// writes fail as on a full disk (EFBIG rather than ENOSPC, but refused midway).
CliRun runTool(const QStringList &args, qint64 fileSizeLimit = -1)
{
    QProcessEnvironment env = italianEnvironment();
    env.remove("QT_QPA_PLATFORM");
    return runProgram(TONALBA_CLI, args, env, [fileSizeLimit](QProcess &p) {
        if (fileSizeLimit < 0) return;
        p.setChildProcessModifier([fileSizeLimit] {
            const rlimit limit{rlim_t(fileSizeLimit), rlim_t(fileSizeLimit)};
            setrlimit(RLIMIT_FSIZE, &limit);
            signal(SIGXFSZ, SIG_IGN);
        });
    });
}

void addMemo(TfrReport &report, TfrPage *page, int left, int top, const QString &text, int size)
{
    auto *m = static_cast<TfrMemoView *>(report.CreateObject(frKind::Memo));
    m->Left = left;
    m->Top = top;
    m->Width = 500;
    m->Height = 40;
    m->Memo = QStringList{text};
    m->FontName = QStringLiteral("Liberation Sans");
    m->FontSize = size;
    page->Add(m);
}

void addBand(TfrReport &report, TfrPage *page, int type, int top, int height)
{
    auto *b = static_cast<TfrBandView *>(report.CreateObject(frKind::Band));
    b->FrameLines = quint16(type);
    b->Left = 0;
    b->Top = top;
    b->Width = 700;
    b->Height = height;
    page->Add(b);
}

// The page footer sits at the foot of the sheet, where a page stretched by a
// fraction of a percent is off by more than 0.1 mm. The last paper is a custom
// one close to US Letter, which must not be taken for Letter.

void writeTemplate(const QString &file)
{
    TfrReport report;
    TfrPage *upright = report.Pages[0];
    upright->ChangePaper(9, 0, 0, 0);
    addBand(report, upright, frBand::ReportTitle, 20, 300);
    addMemo(report, upright, 60, 40, QStringLiteral("Diario della pressione"), 16);
    addMemo(report, upright, 60, 120, QStringLiteral("Rossi Mario 132/84 mmHg, polso 71"), 10);
    addMemo(report, upright, 300, 200, QStringLiteral("Note: capogiro al mattino"), 9);
    addBand(report, upright, frBand::PageFooter, 1040, 40);
    addMemo(report, upright, 600, 1050, QStringLiteral("Fine pagina"), 9);

    TfrPage *landscape = report.Pages.Add();
    landscape->ChangePaper(9, 0, 0, 1);
    landscape->UseMargins = false;
    addBand(report, landscape, frBand::ReportTitle, 20, 300);
    addMemo(report, landscape, 100, 60, QStringLiteral("Andamento del mese"), 14);
    addMemo(report, landscape, 700, 250, QStringLiteral("Media 128/82"), 10);

    TfrPage *custom = report.Pages.Add();
    custom->ChangePaper(256, 2150, 2800, 0);
    addBand(report, custom, frBand::ReportTitle, 20, 300);
    addMemo(report, custom, 60, 60, QStringLiteral("Terapia in corso"), 12);

    QFile out(file);
    QVERIFY(out.open(QIODevice::WriteOnly));
    report.SaveTemplateStream(out);
}

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

class TestCliPdf : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_template, m_prepared, m_toolPdf;

private slots:
    void initTestCase()
    {
        for (const char *tool : {"pdfinfo", "pdftotext"})
            QVERIFY2(!QStandardPaths::findExecutable(tool).isEmpty(), "poppler-utils missing: scripts/install-deps.sh");
        TPrinterSettings::setDevices({});
        TPrinterSettings::instance().SetPrinterIndex(TPrinterSettings::instance().DefaultPrinterIndex());
        m_template = m_dir.filePath("due-pagine.frf");
        writeTemplate(m_template);
        m_prepared = m_dir.filePath("due-pagine.frp");
        m_toolPdf = m_dir.filePath("strumento.pdf");
        for (const QStringList &output : {QStringList{"--frp", m_prepared}, QStringList{"--pdf", m_toolPdf}}) {
            const Run r = runTool(QStringList{"report", "build", m_template} + output);
            QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        }
    }

    void init()
    {
        frSetPreviewMessageHook([](const QString &text, const QString &, TMsgDlgType) {
            QFAIL(qPrintable("message shown: " + text));
        });
    }
    void cleanup()
    {
        frSetPreviewMessageHook(nullptr);
        TStandardPreview::dialogs().print = nullptr;
    }

    void theToolsPdfKeepsEachPaper()
    {
        QString error;
        const QList<pdflayout::Page> tool = pdflayout::read(m_toolPdf, &error);
        QVERIFY2(tool.size() == 3, qPrintable(error));
        // Sides in mm as the sheet lies; Qt gives page boxes in whole points.
        const QList<QSizeF> papers{{210, 297}, {297, 210}, {215, 280}};
        const QStringList firstWords{"Diario", "Andamento", "Terapia"};
        for (int i = 0; i < 3; ++i) {
            const QSizeF pt = tool[i].size, mm = papers[i] * (72 / 25.4);
            QVERIFY2(qAbs(pt.width() - mm.width()) <= 0.5 && qAbs(pt.height() - mm.height()) <= 0.5,
                     qPrintable(QString("page %1: %2 x %3 pt").arg(i + 1).arg(pt.width()).arg(pt.height())));
            QCOMPARE(tool[i].rotation, 0);
            QCOMPARE(tool[i].words.value(0).text, firstWords[i]);
        }
    }

    // Every preview path against the tool's file. The last row moves one page
    // by a single design unit (a quarter of a millimetre): the comparison must
    // see it.
    void thePreviewWritesTheSamePdf_data()
    {
        QTest::addColumn<bool>("print");
        QTest::addColumn<int>("first");       // from 1, as the print dialog gives them
        QTest::addColumn<int>("last");
        QTest::addColumn<int>("nudge");       // design units added to page 2's left offset
        QTest::addColumn<bool>("same");
        QTest::newRow("save as PDF") << false << 1 << 3 << 0 << true;
        QTest::newRow("print to a PDF file") << true << 1 << 3 << 0 << true;
        QTest::newRow("print the landscape page alone") << true << 2 << 2 << 0 << true;
        QTest::newRow("check: page 2 a quarter of a mm off") << false << 1 << 3 << 1 << false;
    }
    void thePreviewWritesTheSamePdf()
    {
        QFETCH(bool, print);
        QFETCH(int, first);
        QFETCH(int, last);
        QFETCH(int, nudge);
        QFETCH(bool, same);
        TfrReport report;
        TStandardPreview preview;
        preview.setReport(&report, false);
        QVERIFY(preview.LoadFile(m_prepared));
        QCOMPARE(preview.pageCount(), 3);
        report.EMFPages[1].PrnInfo.offsetLeft += nudge;

        QTemporaryDir out;
        QString file = out.filePath("anteprima.pdf");
        if (print) {
            TStandardPreview::dialogs().print = [&](QWidget *, int, TfrPrintRequest &request) {
                request.fromPage = first;
                request.toPage = last;
                request.pdfFile = file;
                return true;
            };
            preview.PrintReport();
        } else {
            file = preview.SaveTo(file, TStandardPreview::SavePdf);
        }
        QString error;
        const QList<pdflayout::Page> written = pdflayout::read(file, &error);
        QVERIFY2(!written.isEmpty(), qPrintable(error));
        const QList<pdflayout::Page> tool = pdflayout::read(m_toolPdf).mid(first - 1, last - first + 1);
        const QString difference = pdflayout::difference(written, tool);
        if (same) QVERIFY2(difference.isEmpty(), qPrintable(difference));
        else QVERIFY2(difference.contains("page 2: \"Andamento\""), qPrintable(difference));
    }

    // The tool reports a failed write on stderr with exit code 1; the file
    // that was there stays as it was and nothing is left beside it.
    void theToolLeavesTheOldFileOnFailure_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<qint64>("fileSizeLimit");
        QTest::addColumn<QString>("reason");
        QTest::newRow("folder missing") << "manca/referto.pdf" << qint64(-1) << "la cartella non esiste";
        QTest::newRow("writes refused midway") << "referto.pdf" << qint64(4096)
                                               << "il file supera la dimensione consentita";
    }
    void theToolLeavesTheOldFileOnFailure()
    {
        QFETCH(QString, target);
        QFETCH(qint64, fileSizeLimit);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        QFile old(dir.filePath("referto.pdf"));
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("referto della settimana scorsa");
        old.close();
        const QString file = dir.filePath(target);
        const Run r = runTool({"report", "build", m_template, "--pdf", file}, fileSizeLimit);
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(r.err, QStringLiteral("Impossibile scrivere il file %1: %2.\n").arg(file, reason));
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("referto della settimana scorsa"));
        QCOMPARE(entries(dir.path()), QStringList{"referto.pdf"});
    }
};

QTEST_MAIN(TestCliPdf)
#include "tst_clipdf.moc"
