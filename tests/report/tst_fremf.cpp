// The page recorder and player: records checked byte by byte against the
// published layout, played pages checked at other resolutions, corrupt data
// refused, and an outside reader (emf2svg-conv) accepting what we write.

#include "report/fremfdevice.h"
#include "report/fremfplayer.h"

#include <QFile>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>

namespace {
int argc = 1;
char arg0[] = "tst_fremf";
char *argv[] = {arg0, nullptr};
QGuiApplication &app()
{
    static QGuiApplication a(argc, argv);
    return a;
}

quint32 u32(const QByteArray &d, qsizetype at) { return qFromLittleEndian<quint32>(d.constData() + at); }
qint32 i32(const QByteArray &d, qsizetype at) { return qint32(u32(d, at)); }

struct Rec
{
    quint32 type;
    qsizetype at;
    quint32 size;
};

QList<Rec> records(const QByteArray &d)
{
    QList<Rec> out;
    qsizetype at = 0;
    while (at + 8 <= d.size()) {
        const quint32 size = u32(d, at);
        out << Rec{u32(d, at), at, u32(d, at + 4)};
        if (u32(d, at + 4) < 8) break;
        at += u32(d, at + 4);
        Q_UNUSED(size);
    }
    return out;
}

QFont reportFont(int px, bool bold = false)
{
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(px);
    f.setBold(bold);
    return f;
}

// A page with a framed cell, a text, a rotated text and a picture.
QByteArray samplePage(const QString &text = QStringLiteral("Pressione 120/80"))
{
    TfrEmfDevice dev(QSize(794, 1123));
    QPainter p(&dev);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(0xC0, 0xC0, 0xC0));
    p.drawRect(QRect(10, 20, 100, 30));
    p.setFont(reportFont(13));
    p.setPen(QColor(0x80, 0, 0));
    p.drawText(QPointF(12, 40), text);
    p.save();
    p.translate(300, 400);
    p.rotate(-90);
    p.setFont(reportFont(16, true));
    p.drawText(QPointF(0, 0), QStringLiteral("Verticale"));
    p.restore();
    QImage img(4, 2, QImage::Format_RGB32);
    img.fill(QColor(0, 0, 255));
    p.drawImage(QRect(200, 200, 40, 20), img);
    p.end();
    return dev.finish();
}
} // namespace

TEST(TfrEmfDevice, HeaderCountsAndEndRecord)
{
    app();
    const QByteArray emf = samplePage();
    ASSERT_GE(emf.size(), 108);
    EXPECT_EQ(u32(emf, 0), 1u);                       // EMR_HEADER
    EXPECT_EQ(u32(emf, 40), 0x464D4520u);             // " EMF"
    EXPECT_EQ(u32(emf, 48), quint32(emf.size()));     // nBytes
    const QList<Rec> recs = records(emf);
    EXPECT_EQ(u32(emf, 52), quint32(recs.size()));    // nRecords
    ASSERT_FALSE(recs.isEmpty());
    EXPECT_EQ(recs.last().type, 14u);                 // EMR_EOF last
    EXPECT_EQ(recs.last().at + recs.last().size, emf.size());
    for (const Rec &r : recs) EXPECT_EQ(r.size % 4, 0u) << "record " << r.type;
    // Handles: one more than the largest object index created.
    quint32 maxHandle = 0;
    for (const Rec &r : recs)
        if (r.type == 38 || r.type == 39 || r.type == 82) maxHandle = qMax(maxHandle, u32(emf, r.at + 8));
    EXPECT_EQ(qFromLittleEndian<quint16>(emf.constData() + 56), maxHandle + 1);
    // 96 dpi reference device: pixels and millimetres agree; frame in 0.01 mm.
    EXPECT_EQ(i32(emf, 72), 794);
    EXPECT_EQ(i32(emf, 76), 1123);
    EXPECT_EQ(i32(emf, 80), 210);
    EXPECT_EQ(i32(emf, 84), 297);
    EXPECT_EQ(i32(emf, 32) + 1, 21008);
    EXPECT_EQ(i32(emf, 36) + 1, 29713);
    EXPECT_EQ(TfrEmfPlayer::pageSize(emf), QSize(794, 1123));
    // Bounds hold what was drawn: the cell starts at (10, 20).
    EXPECT_EQ(i32(emf, 8), 10);
    EXPECT_EQ(i32(emf, 12), 20);
    // Map mode text right after the header.
    EXPECT_EQ(recs.value(1).type, 17u);
    EXPECT_EQ(u32(emf, recs.value(1).at + 8), 1u);
}

TEST(TfrEmfDevice, EmptyPageIsStillAFile)
{
    app();
    TfrEmfDevice dev(QSize(100, 50));
    const QByteArray emf = dev.finish();
    const QList<Rec> recs = records(emf);
    EXPECT_EQ(u32(emf, 52), quint32(recs.size()));
    EXPECT_EQ(recs.last().type, 14u);
    EXPECT_EQ(i32(emf, 16), -1);    // empty bounds
    EXPECT_EQ(TfrEmfPlayer::pageSize(emf), QSize(100, 50));
}

TEST(TfrEmfDevice, TextRecordsCarryFontAdvancesAndEscapement)
{
    app();
    const QString text = QStringLiteral("Pressione 120/80");
    const QByteArray emf = samplePage(text);
    const QList<Rec> recs = records(emf);
    QList<Rec> texts, fonts;
    for (const Rec &r : recs) {
        if (r.type == 84) texts << r;
        if (r.type == 82) fonts << r;
    }
    ASSERT_EQ(texts.size(), 2);
    ASSERT_EQ(fonts.size(), 2);
    // LOGFONTW: height -13 (character height), face "Arial", escapement 0.
    EXPECT_EQ(i32(emf, fonts[0].at + 12), -13);
    EXPECT_EQ(i32(emf, fonts[0].at + 20), 0);
    QString face;
    for (int i = 0; i < 32 && qFromLittleEndian<quint16>(emf.constData() + fonts[0].at + 40 + 2 * i); ++i)
        face += QChar(qFromLittleEndian<quint16>(emf.constData() + fonts[0].at + 40 + 2 * i));
    EXPECT_EQ(face, QStringLiteral("Arial"));
    // The rotated one: escapement and orientation 900, bold.
    EXPECT_EQ(i32(emf, fonts[1].at + 20), 900);
    EXPECT_EQ(i32(emf, fonts[1].at + 24), 900);
    EXPECT_EQ(i32(emf, fonts[1].at + 28), 700);

    const Rec &t = texts[0];
    EXPECT_EQ(i32(emf, t.at + 36), 12);              // reference point (baseline)
    EXPECT_EQ(i32(emf, t.at + 40), 40);
    const quint32 n = u32(emf, t.at + 44);
    ASSERT_EQ(n, quint32(text.size()));
    const quint32 offString = u32(emf, t.at + 48), offDx = u32(emf, t.at + 72);
    QString stored;
    for (quint32 i = 0; i < n; ++i) stored += QChar(qFromLittleEndian<quint16>(emf.constData() + t.at + offString + 2 * i));
    EXPECT_EQ(stored, text);
    ASSERT_GT(offDx, 0u);
    int sum = 0;
    for (quint32 i = 0; i < n; ++i) sum += i32(emf, t.at + offDx + 4 * i);
    EXPECT_EQ(sum, qRound(QFontMetricsF(reportFont(13)).horizontalAdvance(text)));
}

TEST(TfrEmfDevice, ClipRegionIsSavedAndRestored)
{
    app();
    TfrEmfDevice dev(QSize(200, 200));
    QPainter p(&dev);
    p.setClipRect(QRect(10, 10, 50, 20));
    p.setFont(reportFont(13));
    p.drawText(QPointF(12, 25), QStringLiteral("tagliato"));
    p.setClipping(false);
    p.drawText(QPointF(12, 60), QStringLiteral("libero"));
    p.end();
    const QByteArray emf = dev.finish();
    QList<quint32> types;
    for (const Rec &r : records(emf)) types << r.type;
    const qsizetype save = types.indexOf(33), select = types.indexOf(75), restore = types.indexOf(34);
    ASSERT_GE(save, 0);
    EXPECT_LT(save, select);
    EXPECT_LT(select, restore);
    const QList<TfrEmfText> texts = TfrEmfPlayer::texts(emf);
    ASSERT_EQ(texts.size(), 2);
    EXPECT_EQ(texts[0].bounds, QRectF(10, 10, 50, 20));   // clipping rectangle
    EXPECT_EQ(texts[1].text, QStringLiteral("libero"));
}

TEST(TfrEmfDevice, PenStylesAreRecordedAndPlayedBack)
{
    app();
    const struct
    {
        Qt::PenStyle style;
        quint32 gdi;
    } cases[] = {{Qt::SolidLine, 0}, {Qt::DashLine, 1}, {Qt::DotLine, 2}, {Qt::DashDotLine, 3}, {Qt::DashDotDotLine, 4}};
    for (const auto &c : cases) {
        SCOPED_TRACE(int(c.style));
        TfrEmfDevice dev(QSize(100, 20));
        QPainter p(&dev);
        p.setPen(QPen(Qt::black, 1, c.style));
        p.drawLine(0, 10, 99, 10);
        p.end();
        const QByteArray emf = dev.finish();
        QList<quint32> styles;
        for (const Rec &r : records(emf))
            if (r.type == 38) styles << u32(emf, r.at + 12);
        ASSERT_EQ(styles.size(), 1);
        EXPECT_EQ(styles.first(), c.gdi);

        // Played back, a dotted line leaves gaps a solid one does not.
        QImage image(100, 20, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter q(&image);
        ASSERT_TRUE(TfrEmfPlayer::play(emf, q, QRectF(0, 0, 100, 20)));
        q.end();
        int white = 0;
        for (int x = 5; x < 95; ++x) white += image.pixelColor(x, 10) == QColor(Qt::white);
        if (c.style == Qt::SolidLine) EXPECT_EQ(white, 0);
        else EXPECT_GT(white, 10);
    }
}

TEST(TfrEmfPlayer, TextsListsEveryTextRecord)
{
    app();
    const QList<TfrEmfText> texts = TfrEmfPlayer::texts(samplePage());
    ASSERT_EQ(texts.size(), 2);
    EXPECT_EQ(texts[0].text, QStringLiteral("Pressione 120/80"));
    EXPECT_EQ(texts[0].fontName, QStringLiteral("Arial"));
    EXPECT_EQ(texts[0].height, 13);
    EXPECT_EQ(texts[0].color, QColor(0x80, 0, 0));
    EXPECT_EQ(texts[0].reference, QPointF(12, 40));
    EXPECT_FALSE(texts[0].bold);
    EXPECT_EQ(texts[1].text, QStringLiteral("Verticale"));
    EXPECT_EQ(texts[1].escapement, 900);
    EXPECT_TRUE(texts[1].bold);
}

// Extent of the pixels that are not white, in an image.
QRect inkBox(const QImage &img, const QRect &within)
{
    QRect box;
    for (int y = within.top(); y <= within.bottom(); ++y)
        for (int x = within.left(); x <= within.right(); ++x)
            if (img.pixel(x, y) != qRgb(255, 255, 255)) box |= QRect(x, y, 1, 1);
    return box;
}

TEST(TfrEmfPlayer, PlaysAtAnyScaleKeepingTextWidth)
{
    app();
    const QString text = QStringLiteral("Media giornaliera della pressione");
    TfrEmfDevice dev(QSize(400, 100));
    QPainter p(&dev);
    p.setFont(reportFont(13));
    p.setPen(Qt::black);
    p.drawText(QPointF(10, 50), text);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 255));
    p.drawRect(QRect(300, 10, 40, 20));
    p.end();
    const QByteArray emf = dev.finish();
    const qreal width = QFontMetricsF(reportFont(13)).horizontalAdvance(text);

    for (const qreal dpi : {96.0, 600.0}) {
        SCOPED_TRACE(dpi);
        const qreal k = dpi / 96.0;
        QImage img(QSize(400, 100) * k, QImage::Format_RGB32);
        img.fill(Qt::white);
        QPainter q(&img);
        ASSERT_TRUE(TfrEmfPlayer::play(emf, q, QRectF(0, 0, img.width(), img.height())));
        q.end();
        const QRect ink = inkBox(img, QRect(0, 0, int(290 * k), img.height()));
        // The line spans its recorded width at every resolution (within a glyph's side bearings).
        EXPECT_NEAR(ink.left() / k, 10, 2);
        EXPECT_NEAR(ink.right() / k, 10 + width, 3);
        // The brush-only rectangle covers exactly 40 x 20 page units.
        const QRect blue = inkBox(img, QRect(int(295 * k), 0, int(100 * k), img.height()));
        EXPECT_NEAR(blue.left(), 300 * k, 1);
        EXPECT_NEAR(blue.top(), 10 * k, 1);
        EXPECT_NEAR(blue.right() + 1, 340 * k, 1);
        EXPECT_NEAR(blue.bottom() + 1, 30 * k, 1);
    }
}

TEST(TfrEmfPlayer, RefusesWhatIsNoMetafile)
{
    app();
    QImage img(50, 50, QImage::Format_RGB32);
    QPainter q(&img);
    const QByteArray good = samplePage();
    struct Case
    {
        const char *name;
        QByteArray data;
        bool plays;
    };
    QByteArray badSize = good;
    qToLittleEndian<quint32>(3, badSize.data() + 108 + 4);     // record size not a multiple of 4
    QByteArray hugeCount = good;
    for (const Rec &r : records(good))
        if (r.type == 84) qToLittleEndian<quint32>(0x7FFFFFFF, hugeCount.data() + r.at + 44);
    const Case cases[] = {
        {"empty", QByteArray(), false},
        {"bitmap bytes", QByteArray("BM\0\0\0\0\0\0\0\0", 10), false},
        {"header only, truncated", good.left(60), false},
        {"truncated in the records", good.left(good.size() / 2), true},
        {"bad record size", badSize, true},
        {"text count past the record", hugeCount, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(TfrEmfPlayer::play(c.data, q, QRectF(0, 0, 50, 50)), c.plays);
        TfrEmfPlayer::texts(c.data);
    }
    EXPECT_TRUE(TfrEmfPlayer::pageSize(QByteArray()).isEmpty());
    EXPECT_TRUE(TfrEmfPlayer::texts(hugeCount).size() < 2);
}

TEST(TfrEmfDevice, OutsideReaderAcceptsThePage)
{
    app();
    QTemporaryDir dir;
    dir.setAutoRemove(!::testing::Test::HasFailure());
    const QString emfPath = dir.filePath(QStringLiteral("page.emf")), svgPath = dir.filePath(QStringLiteral("page.svg"));
    QFile f(emfPath);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(samplePage());
    f.close();
    QProcess conv;
    conv.start(QStringLiteral("emf2svg-conv"), {QStringLiteral("-i"), emfPath, QStringLiteral("-o"), svgPath});
    ASSERT_TRUE(conv.waitForFinished(30000)) << "emf2svg-conv missing: run scripts/install-deps.sh";
    EXPECT_EQ(conv.exitCode(), 0) << conv.readAllStandardError().constData();
    QFile svg(svgPath);
    ASSERT_TRUE(svg.open(QIODevice::ReadOnly));
    const QByteArray content = svg.readAll();
    EXPECT_TRUE(content.contains("Pressione 120/80")) << content.left(2000).constData();
    EXPECT_TRUE(content.contains("Verticale"));
    EXPECT_TRUE(content.contains("Arial"));
}
