// Pictures from blob fields: the three ways of reading them and the fit into a cell.

#include "grid/blobpicture.h"

#include <QBuffer>
#include <QTest>

namespace {

QByteArray encode(const QImage &image, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

QImage sample()
{
    QImage image(30, 20, QImage::Format_RGB32);
    image.fill(QColor(0, 0, 255));
    return image;
}

} // namespace

class TestBlobPicture : public QObject
{
    Q_OBJECT

private slots:
    void load_data();
    void load();
    void fit_data();
    void fit();
};

void TestBlobPicture::load_data()
{
    QTest::addColumn<QByteArray>("blob");
    QTest::addColumn<QSize>("size");
    const QByteArray bmp = encode(sample(), "BMP");
    const QByteArray jpeg = encode(sample(), "JPG");
    QTest::newRow("bitmap") << bmp << QSize(30, 20);
    QTest::newRow("bitmap after the 78-byte header") << QByteArray(78, 'x') + bmp << QSize(30, 20);
    QTest::newRow("bitmap after a shorter header") << QByteArray(77, 'x') + bmp << QSize();
    QTest::newRow("jpeg") << jpeg << QSize(30, 20);
    QTest::newRow("truncated jpeg") << jpeg.left(jpeg.size() / 3) << QSize();
    QTest::newRow("jpeg header only") << jpeg.left(2) << QSize();
    QTest::newRow("text") << QByteArray("nota del giorno") << QSize();
    QTest::newRow("empty") << QByteArray() << QSize();
}

void TestBlobPicture::load()
{
    QFETCH(QByteArray, blob);
    QFETCH(QSize, size);
    const QImage image = LoadBlobPicture(blob);
    QCOMPARE(image.isNull() ? QSize() : image.size(), size);
    if (!image.isNull()) {
        const QColor c = image.pixelColor(15, 10);
        QVERIFY2(c.blue() > 200 && c.red() < 40, qPrintable(c.name()));
    }
}

void TestBlobPicture::fit_data()
{
    QTest::addColumn<QRect>("cell");
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QRect>("expected");
    QTest::newRow("wide picture takes the cell width") << QRect(10, 20, 100, 17) << QSize(200, 20)
                                                       << QRect(10, 23, 100, 10);
    QTest::newRow("tall picture takes the cell height") << QRect(0, 0, 100, 17) << QSize(40, 20)
                                                        << QRect(33, 0, 34, 17);
    QTest::newRow("same proportions fill the cell") << QRect(0, 0, 60, 30) << QSize(20, 10) << QRect(0, 0, 60, 30);
    QTest::newRow("rounding to nearest") << QRect(0, 0, 10, 10) << QSize(3, 1) << QRect(0, 3, 10, 3);
    QTest::newRow("empty picture") << QRect(0, 0, 10, 10) << QSize(0, 5) << QRect();
}

void TestBlobPicture::fit()
{
    QFETCH(QRect, cell);
    QFETCH(QSize, picture);
    QFETCH(QRect, expected);
    QCOMPARE(FitPicture(cell, picture), expected);
}

QTEST_GUILESS_MAIN(TestBlobPicture)
#include "tst_blobpicture.moc"
