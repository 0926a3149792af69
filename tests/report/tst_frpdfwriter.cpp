// The PDF writer: each page on its paper and orientation with its text where
// it was drawn, fonts embedded, a page range; and every failure (no folder, a
// full disk) reported with the file and the reason, the old file left intact.

#include "pdflayout.h"

#include "report/fremfdevice.h"
#include "report/frpdfwriter.h"
#include "report/frreport.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <unistd.h>

Q_DECLARE_METATYPE(TfrPreparedPage)

namespace {

constexpr double PointsPerMm = 72.0 / 25.4;

// A page recorded on a frame of frameWidth x frameHeight design units, with
// "Pagina <n>" written 60 units from its left edge.
TfrPreparedPage page(int n, int paperWidth, int paperHeight, int orientation, bool useMargins,
                     const TfrPrinterGeometry &geometry)
{
    TfrPreparedPage p;
    p.PaperSize = 256;
    p.PaperWidth = paperWidth;
    p.PaperHeight = paperHeight;
    p.Orientation = orientation;
    p.UseMargins = useMargins;
    p.PrnInfo = geometry;
    TfrEmfDevice device(QSize(geometry.pageWidth, geometry.pageHeight));
    {
        QPainter painter(&device);
        painter.setFont(QFont(QStringLiteral("Liberation Sans"), 12));
        painter.drawText(QPointF(60, 100), QStringLiteral("Pagina %1").arg(n));
    }
    p.Drawing = device.finish();
    return p;
}

// The pseudo printer's geometry: 18 units of unprintable edge all round.
TfrPrinterGeometry geometry(int width, int height) { return {width, height, 18, 18, width - 36, height - 36}; }

TfrPreparedPage a4(int n) { return page(n, 2100, 2970, 0, true, geometry(794, 1123)); }

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

// Takes `room` bytes, then the disk is full: a short write, then ENOSPC.
TfrPdfWriter::WriteFunction diskWithRoomFor(qint64 room)
{
    return [room](int fd, const char *data, qint64 size) mutable -> qint64 {
        if (room <= 0) {
            errno = ENOSPC;
            return -1;
        }
        const qint64 n = ::write(fd, data, size_t(qMin(size, room)));
        if (n > 0) room -= n;
        return n;
    };
}

} // namespace

class TestPdfWriter : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        for (const char *tool : {"pdfinfo", "pdftotext", "pdffonts"})
            QVERIFY2(!QStandardPaths::findExecutable(tool).isEmpty(), "poppler-utils missing: scripts/install-deps.sh");
    }

    // The text's left edge, in mm from the sheet's left edge, is worked out by
    // hand: 60 units of a frame scaled onto the sheet, or onto its printable
    // area (18 units in, 36 narrower) when the page does not use margins.
    void pagesKeepTheirPaper_data()
    {
        QTest::addColumn<TfrPreparedPage>("page");
        QTest::addColumn<QSizeF>("sheetMm");
        QTest::addColumn<double>("textLeftMm");
        QTest::newRow("A4 upright") << a4(1) << QSizeF(210, 297) << 60 * 210.0 / 794;
        QTest::newRow("A4 landscape, sides as the sheet lies")
            << page(1, 2970, 2100, 1, true, geometry(1123, 794)) << QSizeF(297, 210) << 60 * 297.0 / 1123;
        QTest::newRow("custom 100 x 150 mm") << page(1, 1000, 1500, 0, true, geometry(378, 567)) << QSizeF(100, 150)
                                             << 60 * 100.0 / 378;
        QTest::newRow("A4 without margins: inside the printable area")
            << page(1, 2100, 2970, 0, false, geometry(794, 1123)) << QSizeF(210, 297)
            << (18 + 60 * 758.0 / 794) * 210.0 / 794;
        QTest::newRow("A5 landscape without margins")
            << page(1, 2100, 1480, 1, false, geometry(794, 559)) << QSizeF(210, 148)
            << (18 + 60 * 758.0 / 794) * 210.0 / 794;
        QTest::newRow("no paper recorded: the drawing's frame") << page(1, 0, 0, 0, true, geometry(794, 1123))
                                                                << QSizeF(794 * 25.4 / 96, 1123 * 25.4 / 96)
                                                                << 60 * 25.4 / 96;
    }
    void pagesKeepTheirPaper()
    {
        QFETCH(TfrPreparedPage, page);
        QFETCH(QSizeF, sheetMm);
        QFETCH(double, textLeftMm);
        QTemporaryDir dir;
        TfrReport report;
        report.EMFPages.Add(page);
        const QString file = dir.filePath("pagina.pdf");
        TfrPdfWriter writer(report);
        QVERIFY2(writer.write(file), qPrintable(writer.errorString()));

        QString error;
        const QList<pdflayout::Page> pdf = pdflayout::read(file, &error);
        QVERIFY2(pdf.size() == 1, qPrintable(error));
        QCOMPARE(pdf[0].rotation, 0);
        // Qt gives page boxes in whole points.
        const auto sameSide = [](double points, double mm) { return qAbs(points - mm * PointsPerMm) <= 0.5; };
        QVERIFY2(sameSide(pdf[0].size.width(), sheetMm.width()) && sameSide(pdf[0].size.height(), sheetMm.height()),
                 qPrintable(QString("%1 x %2 pt").arg(pdf[0].size.width()).arg(pdf[0].size.height())));
        QCOMPARE(pdf[0].words.size(), 2);
        QCOMPARE(pdf[0].words[0].text, QStringLiteral("Pagina"));
        QVERIFY2(pdflayout::near(pdf[0].words[0].box.left(), textLeftMm * PointsPerMm),
                 qPrintable(QString("at %1 mm").arg(pdf[0].words[0].box.left() / PointsPerMm)));

        // Every font embedded: the "emb" column, fifth from the end of each row.
        const QString fonts = pdflayout::output("pdffonts", {file});
        const QStringList rows = fonts.section(QRegularExpression("-+\\n"), 1).split('\n', Qt::SkipEmptyParts);
        QVERIFY2(!rows.isEmpty() && fonts.contains("LiberationSans"), qPrintable(fonts));
        for (const QString &row : rows) {
            const QStringList columns = row.split(' ', Qt::SkipEmptyParts);
            QVERIFY2(columns.size() >= 6 && columns[columns.size() - 5] == "yes", qPrintable(fonts));
        }
    }

    void writesTheRangeOverTheOldFile()
    {
        QTemporaryDir dir;
        TfrReport report;
        for (int n = 1; n <= 4; ++n) report.EMFPages.Add(a4(n));
        const QString file = dir.filePath("diario.pdf");
        QFile old(file);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("versione precedente");
        old.close();
        QVERIFY(old.setPermissions(QFile::ReadOwner | QFile::WriteOwner));

        TfrPdfWriter writer(report);
        writer.setPageRange(1, 2);
        QVERIFY2(writer.write(file), qPrintable(writer.errorString()));
        const QList<pdflayout::Page> pdf = pdflayout::read(file);
        QCOMPARE(pdf.size(), 2);
        QCOMPARE(pdf[0].words.value(1).text, QStringLiteral("2"));
        QCOMPARE(pdf[1].words.value(1).text, QStringLiteral("3"));
        QCOMPARE(QFile::permissions(file), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
        QCOMPARE(entries(dir.path()), QStringList{"diario.pdf"});
    }

    void failuresLeaveTheOldFile_data()
    {
        QTest::addColumn<QString>("target");        // under the temporary folder
        QTest::addColumn<qint64>("room");           // bytes the disk takes; -1: no limit
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("last");
        QTest::addColumn<QString>("reason");
        QTest::newRow("folder missing") << "manca/diario.pdf" << qint64(-1) << 0 << 1 << "la cartella non esiste";
        QTest::newRow("folder is a file") << "vecchio.pdf/diario.pdf" << qint64(-1) << 0 << 1 << "la cartella non esiste";
        QTest::newRow("disk full from the first byte") << "vecchio.pdf" << qint64(0) << 0 << 1 << "il disco è pieno";
        QTest::newRow("disk full midway: a short write, then no space")
            << "vecchio.pdf" << qint64(3000) << 0 << 1 << "il disco è pieno";
        QTest::newRow("a write that takes nothing and says nothing")
            << "vecchio.pdf" << qint64(-2) << 0 << 1 << "il disco è pieno";
        QTest::newRow("range past the last page") << "vecchio.pdf" << qint64(-1) << 1 << 2 << "nessuna pagina da scrivere";
        QTest::newRow("range backwards") << "vecchio.pdf" << qint64(-1) << 1 << 0 << "nessuna pagina da scrivere";
    }
    void failuresLeaveTheOldFile()
    {
        QFETCH(QString, target);
        QFETCH(qint64, room);
        QFETCH(int, first);
        QFETCH(int, last);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        QFile old(dir.filePath("vecchio.pdf"));
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("versione precedente");
        old.close();

        TfrReport report;
        report.EMFPages.Add(a4(1));
        report.EMFPages.Add(a4(2));
        TfrPdfWriter writer(report);
        writer.setPageRange(first, last);
        if (room >= 0) writer.setWriteFunction(diskWithRoomFor(room));
        if (room == -2) writer.setWriteFunction([](int, const char *, qint64) { return qint64(0); });
        const QString file = dir.filePath(target);
        QVERIFY(!writer.write(file));
        QCOMPARE(writer.errorString(), QStringLiteral("Impossibile scrivere il file %1: %2.").arg(file, reason));
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("versione precedente"));
        QCOMPARE(entries(dir.path()), QStringList{"vecchio.pdf"});
    }
};

QTEST_MAIN(TestPdfWriter)
#include "tst_frpdfwriter.moc"
