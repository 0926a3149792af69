// libFuzzer target: the page player. Any byte string is played as a recorded
// page onto a small image and listed for its text; data that is no metafile
// draws nothing, and no record may reach outside the data or hang the player.

#include "report/fremfplayer.h"

#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdint>
#include <cstdlib>

namespace {
QImage *canvas = nullptr;
QImage *blank = nullptr;
} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    QFontMetrics(QFont(QStringLiteral("Arial"), 10)).horizontalAdvance(QStringLiteral("warm up"));
    // Small, so a page of any frame costs the same to play.
    canvas = new QImage(60, 85, QImage::Format_ARGB32_Premultiplied);
    blank = new QImage(canvas->size(), canvas->format());
    blank->fill(Qt::white);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray emf(reinterpret_cast<const char *>(data), qsizetype(size));
    const QSize page = TfrEmfPlayer::pageSize(emf);
    canvas->fill(Qt::white);
    bool played;
    {
        QPainter p(canvas);
        played = TfrEmfPlayer::play(emf, p, QRectF(0, 0, canvas->width(), canvas->height()));
    }
    // A page plays exactly when it has a frame to scale.
    if (played == page.isEmpty()) abort();
    if (!played && *canvas != *blank) abort();

    qsizetype chars = 0;
    for (const TfrEmfText &t : TfrEmfPlayer::texts(emf)) {
        if (t.height < 0) abort();
        chars += t.text.size();
    }
    // Every character of a text record takes two bytes of the data.
    if (chars > qsizetype(size) / 2) abort();
    return 0;
}
