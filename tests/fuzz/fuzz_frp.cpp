// libFuzzer target: the prepared report reader. Any byte string must load or
// be refused with the file's message, leaving the report's pages as they were.
// What loads must play back, list its text, and save to a file that reads
// back to the same pages.

#include "report/fremfdevice.h"
#include "report/fremfplayer.h"
#include "report/frmessagesink.h"
#include "report/frpreparedfile.h"
#include "report/frreport.h"

#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdint>
#include <cstdlib>

namespace {
QByteArray earlierPage; // what the report holds before each load
QImage *canvas = nullptr;
} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    // Fonts load lazily and fontconfig keeps its caches: load them once here.
    QFontMetrics(QFont(QStringLiteral("Arial"), 10)).horizontalAdvance(QStringLiteral("warm up"));
    frSetMessageSink([](const QString &, const QString &, TfrMessageIcon) {});
    TfrEmfDevice device(QSize(40, 30));
    {
        QPainter p(&device);
        p.drawRect(2, 2, 20, 10);
    }
    earlierPage = device.finish();
    // Small, so a page of any frame costs the same to play.
    canvas = new QImage(60, 85, QImage::Format_ARGB32_Premultiplied);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    TfrReport report;
    TfrPreparedPage before;
    before.PaperWidth = 2100;
    before.PaperHeight = 2970;
    before.Drawing = earlierPage;
    report.EMFPages.Add(before);

    try {
        TfrPreparedFile::load(report, bytes);
    } catch (const EfrPreparedFileError &e) {
        const TfrLoadResult &r = e.result();
        if (r.Ok || e.message() != TfrPreparedFile::invalidFileMessage() || r.Reason.isEmpty()) abort();
        if (r.Offset < 0 || r.Offset > qint64(size)) abort();
        if (report.HasPreparedPages || report.EMFPages.Count() != 1 ||
            report.EMFPages[0].Drawing != earlierPage)
            abort();
        return 0;
    }

    const int count = report.EMFPages.Count();
    if (!report.HasPreparedPages || count < 1) abort();
    qsizetype textChars = 0;
    for (int i = 0; i < count; ++i) {
        const QByteArray &drawing = report.EMFPages[i].Drawing;
        canvas->fill(Qt::white);
        {
            QPainter p(canvas);
            TfrEmfPlayer::play(drawing, p, QRectF(0, 0, canvas->width(), canvas->height()));
        }
        for (const TfrEmfText &t : TfrEmfPlayer::texts(drawing))
            textChars += t.text.size();
    }
    // Every character of a text record takes two bytes of the file.
    if (textChars > qsizetype(size) / 2) abort();

    const TfrPreparedFile::Content again = TfrPreparedFile::parse(TfrPreparedFile::save(report));
    if (again.pages.size() != count) abort();
    for (int i = 0; i < count; ++i) {
        const TfrPreparedPage &a = report.EMFPages[i];
        const TfrPreparedFile::Page &b = again.pages[i];
        if (b.Drawing != a.Drawing || b.PaperSize != a.PaperSize || b.PaperWidth != a.PaperWidth ||
            b.PaperHeight != a.PaperHeight || b.Orientation != a.Orientation || b.UseMargins != a.UseMargins)
            abort();
    }
    return 0;
}
