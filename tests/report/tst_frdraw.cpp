// Objects drawn onto a recording page, checked on the recorded records.

#include "report/frbuildcontext.h"
#include "report/frbuildstate.h"
#include "report/frdisplayformat.h"
#include "report/frdrawmode.h"
#include "report/fremfdevice.h"
#include "report/fremfplayer.h"
#include "report/frmemoview.h"
#include "report/frpictureview.h"
#include "report/frreport.h"
#include "report/frwordwrap.h"

#include "core/exceptions.h"
#include "core/formatsettings.h"

#include <QBuffer>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QtEndian>
#include <gtest/gtest.h>
#include <memory>

namespace {
int argc = 1;
char arg0[] = "tst_frdraw";
char *argv[] = {arg0, nullptr};

class Draw : public ::testing::Test
{
protected:
    void SetUp() override
    {
        static QGuiApplication app(argc, argv);
        TFormatSettings it;
        ASSERT_TRUE(TFormatSettings::forLocale("it_IT", it));
        TFormatSettings::setCurrent(it);
        // Objects draw as on a prepared page of this test's report.
        frSetCurrentReport(&report);
        report.Context().DrawMode = frDraw::Mode{true, false, false};
        report.Scaled = false;
    }

    QList<TfrEmfText> drawn(TfrView &v)
    {
        TfrEmfDevice dev(QSize(400, 400));
        QPainter p(&dev);
        v.Draw(p);
        p.end();
        m_emf = dev.finish();
        return TfrEmfPlayer::texts(m_emf);
    }
    std::unique_ptr<TfrMemoView> memo(int width, const QStringList &lines, int flags = 0)
    {
        auto m = std::make_unique<TfrMemoView>(&report);
        m->Left = 10;
        m->Top = 10;
        m->Width = width;
        m->Height = 100;
        m->Memo = lines;
        m->Flags = quint16(flags);
        m->FrameWidth = 1;
        return m;
    }
    int width(const QString &s) const
    {
        return QFontMetrics(frDraw::reportFont("Arial", 10, 0, nullptr)).horizontalAdvance(s);
    }

    TfrReport report;
    QByteArray m_emf;
};
} // namespace

TEST_F(Draw, GapsAndAvailableLength)
{
    TfrMemoView m(&report);
    m.Width = 100;
    m.FrameWidth = 1;
    m.CalcGaps();
    EXPECT_EQ(m.gapx, 2);
    EXPECT_EQ(m.gapx * 2, 100 - 96);
    EXPECT_EQ(m.gapy, 1);
}

TEST(TfrWordWrap, BreaksAsTheCharacterScan)
{
    // One unit per character makes the expected breaks plain to read.
    const auto chars = [](const QString &s) { return int(s.size()); };
    struct Case
    {
        const char *name;
        QString line;
        int available;
        QStringList expected;
    };
    const Case cases[] = {
        {"fits whole", "alfa beta", 20, {"alfa beta"}},
        {"after the comma when alfa beta,g reaches the length", "alfa beta,gamma", 11, {"alfa beta,", "gamma"}},
        {"after the blank", "alfa beta,gamma", 8, {"alfa ", "beta,", "gamma"}},
        {"long word cut, rest dropped", "abcdefghij", 4, {"abcd"}},
        {"one character never wraps", "x", 0, {"x"}},
        {"hyphen and dot break too", "uno-due.tre", 5, {"uno-", "due.", "tre"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(TfrWordWrap::Wrap(c.line, c.available, chars), c.expected);
    }
}

TEST_F(Draw, WordWrapOnRecordedLines)
{
    // Width so that "alfa beta," fits and "alfa beta,g" does not.
    const int w = width("alfa beta,g") + 4;
    auto m = memo(w, {"alfa beta,gamma"}, TfrMemoView::WordWrap);
    const QList<TfrEmfText> t = drawn(*m);
    ASSERT_EQ(t.size(), 2);
    EXPECT_EQ(t[0].text, "alfa beta,");
    EXPECT_EQ(t[1].text, "gamma");
    EXPECT_EQ(t[1].reference.y() - t[0].reference.y(), 13 + 2);   // line height: pixel height + 2
}

TEST_F(Draw, AlignmentsOnTheRecordedReferencePoint)
{
    const QString text = "Pressione";
    struct Case
    {
        const char *name;
        int layout;
        int x;
    };
    const int tw = width(text);
    const Case cases[] = {
        {"left", 0, 10 + 2},
        {"right: ends gapX + 1 before the edge", 1, 10 + 200 - 2 - tw - 1},
        {"centre", 2, 10 + 2 + (200 - 4 - tw) / 2},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        auto m = memo(200, {text});
        m->TextLayout = c.layout;
        const QList<TfrEmfText> t = drawn(*m);
        ASSERT_EQ(t.size(), 1);
        EXPECT_EQ(t[0].reference.x(), c.x);
    }
}

TEST_F(Draw, LineThatDoesNotFitStartsTheContinuation)
{
    auto m = memo(200, {"uno", "due", "tre"});
    // Room for two lines of 15 plus gapY: the third is not drawn at all.
    m->Height = 1 + 15 + 15 + 5;
    QList<TfrEmfText> t = drawn(*m);
    ASSERT_EQ(t.size(), 2);
    EXPECT_EQ(m->FirstLine, 2);
    m->DrawMode = TfrMemoView::DrawContinuation;
    t = drawn(*m);
    ASSERT_EQ(t.size(), 1);
    EXPECT_EQ(t[0].text, "tre");
}

TEST_F(Draw, DisplayFormatsOnInsertedValues)
{
    struct Case
    {
        const char *name;
        TfrVariant value;
        int format;
        QString expected;
    };
    const Case cases[] = {
        {"number, 2 decimals, comma", TfrVariant::fromFloat(12.5), frFormat::pack(1, 1, 2, ','), "12,50"},
        {"date-time 0 shows nothing", TfrVariant::fromDateTime(0), 0, ""},
        {"date-time 36526", TfrVariant::fromDateTime(36526), 0, "01/01/2000"},
        {"logical Si", TfrVariant::fromInt(3), frFormat::pack(4, 1, 0, 0), "Si"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(frFormatValue(c.value, c.format, QString()), c.expected);
    }
}

TEST_F(Draw, KeepAspectCentredPicture)
{
    QImage img(200, 100, QImage::Format_RGB32);
    img.fill(Qt::red);
    QByteArray bmp;
    QBuffer buf(&bmp);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, "BMP");
    TfrPictureView pic(&report);
    pic.Left = 10;
    pic.Top = 10;
    pic.Width = 100;
    pic.Height = 100;
    pic.Flags = TfrPictureView::PictureStretched | TfrPictureView::KeepAspect | TfrPictureView::Centered;
    pic.GraphicKind = TfrPictureView::Bitmap;
    pic.Graphic = bmp;
    drawn(pic);
    // The bitmap record: destination 100 x 50, 25 units below the top.
    bool found = false;
    for (qsizetype at = 108; at + 8 <= m_emf.size();) {
        const quint32 type = qFromLittleEndian<quint32>(m_emf.constData() + at);
        const quint32 size = qFromLittleEndian<quint32>(m_emf.constData() + at + 4);
        if (type == 81) {
            found = true;
            EXPECT_EQ(qFromLittleEndian<qint32>(m_emf.constData() + at + 24), 10);
            EXPECT_EQ(qFromLittleEndian<qint32>(m_emf.constData() + at + 28), 10 + 25);
            EXPECT_EQ(qFromLittleEndian<qint32>(m_emf.constData() + at + 72), 100);
            EXPECT_EQ(qFromLittleEndian<qint32>(m_emf.constData() + at + 76), 50);
        }
        if (size < 8) break;
        at += size;
    }
    EXPECT_TRUE(found);
}

TEST_F(Draw, PictureKindsByTheirFirstBytes)
{
    struct Case
    {
        const char *name;
        QByteArray data;
        int kind;
        int offset;
    };
    const Case cases[] = {
        {"bitmap", QByteArray("BM\x10\x00", 4), TfrPictureView::Bitmap, 0},
        {"icon", QByteArray("\x00\x00\x01\x00", 4), TfrPictureView::Icon, 0},
        {"jpeg", QByteArray("\xFF\xD8\xFF\xE0", 4), TfrPictureView::Jpeg, 0},
        {"placeable metafile", QByteArray("\xD7\xCD\xC6\x9A", 4), TfrPictureView::Metafile, 0},
        {"jpeg after 8 bytes", QByteArray("abcdefgh\xFF\xD8\xFF\xE0", 12), TfrPictureView::Jpeg, 8},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        int offset = -1;
        EXPECT_EQ(TfrPictureView::DetectKind(c.data, &offset), c.kind);
        EXPECT_EQ(offset, c.offset);
    }
    try {
        TfrPictureView::DetectKind(QByteArray("GIF89a\x02\x02xxxx", 12), nullptr);
        ADD_FAILURE() << "no error";
    } catch (const Exception &e) {
        EXPECT_EQ(e.message(), "Formato immagine sconosciuto.");
    }
}
