// Damaged report files, swept: a small template and a small prepared report,
// both written by the engine, cut at every byte, and every field that says
// how much follows or where something ends set just short of, at and just
// past the end of what it measures, and to its largest values. Every load
// ends in success or in a failure that carries the engine's message and a
// reason, never in a crash, an escaping exception or a hang; a prepared
// report that loads is also played, page by page.

#include "report/chart/frgraphobject.h"
#include "report/chart/frgraphview.h"
#include "report/frbandtypes.h"
#include "report/frbandview.h"
#include "report/frbuilder.h"
#include "report/frdbdataset.h"
#include "report/fremfplayer.h"
#include "report/frloadresult.h"
#include "report/frmemoview.h"
#include "report/frmessagesink.h"
#include "report/frpage.h"
#include "report/frpictureview.h"
#include "report/frpreparedfile.h"
#include "report/frregistry.h"
#include "report/frreport.h"
#include "report/frsubreportview.h"
#include "report/frtemplatereader.h"

#include "core/formatsettings.h"
#include "tests/data/memorydataset.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QtEndian>
#include <gtest/gtest.h>
#include <set>
#include <stdexcept>

namespace {
int argc = 1;
char arg0[] = "tst_damagedfiles";
char *argv[] = {arg0, nullptr};

// A field that says how much follows or where something ends.
struct Field
{
    qint64 at;
    int size;       // bytes: 1, 2 or 4
    qint64 fits;    // the value at which what it measures just reaches the end of its part,
                    // or the limit of a count that is bounded otherwise
    QString what;
};

// The values a field is swept through.
QList<quint32> sweepValues(const Field &f)
{
    const quint32 max = f.size == 1 ? 0xFF : f.size == 2 ? 0xFFFF : 0xFFFFFFFF;
    std::set<quint32> values{max};
    if (f.size == 4) values.insert(0x7FFFFFFF);
    for (qint64 v = f.fits - 1; v <= f.fits + 1; ++v)
        if (v >= 0 && v <= max) values.insert(quint32(v));
    return QList<quint32>(values.begin(), values.end());
}

QString cutAt(qsizetype n) { return QStringLiteral("cut at %1").arg(n); }
QString setTo(const Field &f, quint32 v)
{
    return QStringLiteral("%1 at %2 set to %3").arg(f.what).arg(f.at).arg(v);
}

QByteArray patched(const QByteArray &data, const Field &f, quint32 value)
{
    QByteArray d = data;
    char *p = d.data() + f.at;
    if (f.size == 1) *p = char(value);
    else if (f.size == 2) qToLittleEndian(quint16(value), p);
    else qToLittleEndian(value, p);
    return d;
}

// Bytes walked in order, noting the fields that the readers trust for sizes.
class Walker
{
public:
    explicit Walker(const QByteArray &data) : d(data) {}
    const QByteArray d;
    qint64 p = 0;
    QList<Field> fields;

    quint32 read(int size)
    {
        if (p + size > d.size()) throw std::out_of_range("walked past the end");
        quint32 v = size == 1 ? quint8(d[p]) : size == 2 ? qFromLittleEndian<quint16>(d.constData() + p)
                                                         : qFromLittleEndian<quint32>(d.constData() + p);
        p += size;
        return v;
    }
    // A length or count field; `fits` is the value that reaches the end of the data.
    quint32 counted(int size, const QString &what, qint64 fits)
    {
        fields << Field{p, size, fits, what};
        return read(size);
    }
    void shortString(const QString &what) { p += counted(1, what + " length", d.size() - p - 1); }
    void stringList(const QString &what)
    {
        const quint32 lines = counted(2, what + " lines", (d.size() - p - 2) / 2);
        for (quint32 i = 0; i < lines; ++i) p += counted(2, what + " line length", d.size() - p - 2);
    }
};

// The fields of a template the engine writes (the counted layout of version 27).
QList<Field> templateFields(const QByteArray &data)
{
    Walker w(data);
    EXPECT_EQ(w.read(1), 27u);
    const quint32 datasets = w.counted(4, "dataset count", (data.size() - 5) / 10);
    for (quint32 i = 0; i < datasets; ++i) {
        if (w.read(1)) {
            w.shortString("dataset path");
            w.read(1);
            w.shortString("dataset filter");
        }
        w.shortString("dataset name");
        w.p += 4;
        // Not measured against the bytes: its limit stands for the end.
        w.counted(4, "dataset record count", 1000000);
    }
    w.p += 8;
    w.stringList("printer");
    while (w.p < data.size()) {
        const quint32 tag = w.read(1);
        if (tag == 255) {
            w.p += 55;
            continue;
        }
        if (tag == 254) {
            const quint32 values = w.counted(4, "value count", (data.size() - w.p - 4) / 8);
            for (quint32 i = 0; i < values; ++i) {
                w.p += 5;
                w.shortString("value dataset");
                w.shortString("value field");
                w.shortString("value name");
            }
            w.stringList("variables");
            continue;
        }
        if (tag == 10) w.stringList("add-in class");
        w.p += 1 + 38;
        w.stringList("format text");
        w.stringList("memo");
        w.read(1);
        w.shortString("object name");
        if (tag == frKind::Memo) {
            w.stringList("font name");
            w.p += 26;
            w.stringList("highlight condition");
        } else if (tag == frKind::Picture) {
            w.read(1);
            w.p = w.counted(4, "picture end", data.size());
        } else if (tag == frKind::SubReport) {
            w.p += 4;
        } else if (tag == 10) {
            for (const char *s : {"x title", "y title", "label expression", "chart title"}) w.shortString(s);
            w.p += 5;
            w.shortString("y format");
        }
    }
    EXPECT_EQ(w.p, data.size()) << "the walk must end where the template ends";
    return w.fields;
}

// The fields of a prepared report: the file's own, and in every page's
// metafile its header's, every record's size and the counts and offsets
// inside the records the player reads them from.
QList<Field> preparedFields(const QByteArray &data)
{
    Walker w(data);
    w.stringList("printer");
    const quint32 pages = w.counted(4, "page count", (data.size() - w.p - 4) / (16 + 88));
    for (quint32 i = 0; i < pages; ++i) {
        const qint64 next = w.counted(4, "next page position", data.size());
        const qint64 emf = w.p + 12;
        const qint64 end = next;
        const auto at = [&](qint64 offset, int size, qint64 fits, const QString &what) {
            w.fields << Field{offset, size, fits, what};
        };
        const auto u32 = [&](qint64 offset) { return qFromLittleEndian<quint32>(data.constData() + offset); };
        const quint32 headerSize = u32(emf + 4);
        at(emf + 4, 4, end - emf, "metafile header size");
        at(emf + 48, 4, end - emf, "metafile bytes");
        qint64 records = 0;
        for (qint64 r = emf; r < end; r += u32(r + 4)) ++records;
        at(emf + 52, 4, records, "metafile records");
        at(emf + 56, 2, 0xFFFF, "metafile handles");
        at(emf + 60, 4, (headerSize - 88) / 2, "metafile description length");
        at(emf + 64, 4, headerSize, "metafile description offset");
        for (qint64 r = emf + headerSize; r < end; r += u32(r + 4)) {
            const quint32 type = u32(r);
            const qint64 size = u32(r + 4);
            at(r + 4, 4, end - r, QStringLiteral("record %1 size").arg(type));
            if (type == 84) {   // ExtTextOutW
                at(r + 44, 4, (size - u32(r + 48)) / 2, "text length");
                at(r + 48, 4, size, "text offset");
                at(r + 72, 4, size, "text spacing offset");
            } else if (type == 86 || type == 87) {   // Polygon16, Polyline16
                at(r + 24, 4, (size - 28) / 4, "point count");
            } else if (type == 3 || type == 4) {   // Polygon, Polyline
                at(r + 24, 4, (size - 28) / 8, "point count");
            } else if (type == 81) {   // StretchDIBits
                at(r + 48, 4, size, "bitmap header offset");
                at(r + 52, 4, size - u32(r + 48), "bitmap header size");
                at(r + 56, 4, size, "bitmap bits offset");
                at(r + 60, 4, size - u32(r + 56), "bitmap bits size");
            }
        }
        w.p = next;
    }
    EXPECT_EQ(w.p, data.size()) << "the walk must end where the file ends";
    return w.fields;
}

QByteArray smallBitmap()
{
    QImage image(3, 2, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return bytes;
}

class DamagedFiles : public ::testing::Test
{
protected:
    void SetUp() override
    {
        static QGuiApplication app(argc, argv);
        TFormatSettings it;
        ASSERT_TRUE(TFormatSettings::forLocale("it_IT", it));
        TFormatSettings::setCurrent(it);
        frSetMessageSink([this](const QString &, const QString &, TfrMessageIcon) { ++shown; });
        form.setObjectName("frm_main");
        frRegistry::registerOwner(&form);
        TfrGraphObject::Register();
        frBuilder::install();
        diario = new TMemoryDataSet(&form);
        diario->setObjectName("Diario");
        diario->addColumn("Peso", ftInteger);
        report = new TfrReport(&form);
        report->setObjectName("frReport1");
    }
    void TearDown() override
    {
        frSetMessageSink(nullptr);
        frRegistry::unregisterOwner(&form);
        frRegistry::setBuilder(nullptr);
        frRegistry::clearAddIns();
    }

    template<typename T>
    T *add(TfrReport &r, int page, int kind, int left, int top, int width, int height,
           const QString &className = {})
    {
        auto *v = static_cast<T *>(r.CreateObject(kind, className));
        v->Left = left;
        v->Top = top;
        v->Width = width;
        v->Height = height;
        r.Pages[page]->Add(v);
        return v;
    }

    // Two pages, both dataset kinds, every object kind, values and variables.
    QByteArray smallTemplate()
    {
        TfrReport r(&form);
        auto *giorni = new TfrDBDataSet;
        giorni->setObjectName("Giorni");
        giorni->SetDataSet(diario);
        giorni->Filtered = true;
        giorni->Filter = "[Peso] > 0";
        r.AddDataset(giorni, true);
        auto *righe = new TfrDataset;
        righe->setObjectName("Righe");
        righe->RangeEnd = reCount;
        righe->RangeEndCount = 3;
        r.AddDataset(righe, true);
        r.Pages.Add();
        auto *band = add<TfrBandView>(r, 0, frKind::Band, 0, 100, 700, 40);
        band->FrameLines = frBand::MasterData;
        band->FormatText = "Giorni";
        auto *memo = add<TfrMemoView>(r, 0, frKind::Memo, 10, 100, 200, 20);
        memo->Memo = {"Peso: [Peso]", "fine"};
        memo->FormatText = "0.00";
        memo->HighlightCondition = "[Peso] > 80";
        auto *picture = add<TfrPictureView>(r, 0, frKind::Picture, 220, 100, 30, 20);
        picture->GraphicKind = TfrPictureView::Bitmap;
        picture->Graphic = smallBitmap();
        add<TfrSubReportView>(r, 0, frKind::SubReport, 300, 100, 100, 20)->TargetPage = 1;
        auto *graph = add<TfrGraphView>(r, 1, frKind::AddIn, 10, 10, 300, 200, "TfrGraphView");
        graph->XTitle = "Giorno";
        graph->ChartTitle = "Peso";
        graph->FormatText = "Righe";
        graph->SetSeries({{"[Peso]", "255", "Peso"}});
        TfrValue *value = r.Values.Objects(r.Values.AddValue("Doppio"));
        value->ValueKind = TfrValue::Other;
        value->ValueSubKind = TfrValue::Expression;
        value->Field = "[Peso] * 2";
        r.Variables = {"Calcoli", " Doppio"};
        return r.SaveTemplateData();
    }

    // One built page: framed text rows over a counted dataset and a picture.
    QByteArray smallPrepared()
    {
        TfrReport r(&form);
        auto *righe = new TfrDataset;
        righe->setObjectName("Righe");
        righe->RangeEnd = reCount;
        righe->RangeEndCount = 2;
        r.AddDataset(righe, true);
        auto *band = add<TfrBandView>(r, 0, frKind::Band, 0, 100, 700, 24);
        band->FrameLines = frBand::MasterData;
        band->FormatText = "Righe";
        auto *memo = add<TfrMemoView>(r, 0, frKind::Memo, 10, 100, 200, 20);
        memo->Memo = {"Pressione 120/80"};
        memo->FrameLines = 15;
        auto *picture = add<TfrPictureView>(r, 0, frKind::Picture, 220, 100, 30, 20);
        picture->GraphicKind = TfrPictureView::Bitmap;
        picture->Graphic = smallBitmap();
        const TfrBuildResult built = r.BuildReport();
        EXPECT_TRUE(built) << built.Reason.toStdString();
        return TfrPreparedFile::save(r);
    }

    // One template load: success, or a failure that says what and why and
    // leaves one empty page and no datasets.
    void loadTemplate(const QByteArray &data, const QString &how)
    {
        ++loads;
        TfrLoadResult result;
        try {
            result = report->LoadTemplateData(data);
        } catch (const std::exception &e) {
            ADD_FAILURE() << how.toStdString() << ": exception " << e.what();
            return;
        } catch (...) {
            ADD_FAILURE() << how.toStdString() << ": unknown exception";
            return;
        }
        if (result) return;
        ASSERT_FALSE(result.Messages.isEmpty()) << how.toStdString();
        EXPECT_EQ(result.Messages.last().text, TfrTemplateReader::corruptMessage()) << how.toStdString();
        EXPECT_FALSE(result.Reason.isEmpty()) << how.toStdString();
        EXPECT_GE(result.Offset, 0) << how.toStdString();
        EXPECT_LE(result.Offset, data.size()) << how.toStdString();
        EXPECT_EQ(report->Pages.Count(), 1) << how.toStdString();
        EXPECT_EQ(report->DatasetCount(), 0) << how.toStdString();
    }

    // One prepared report load: success (then every page is played), or a
    // refusal that says what and why and leaves the pages the report had.
    void loadPrepared(const QByteArray &data, const QString &how)
    {
        ++loads;
        const QByteArray before = report->EMFPages[0].Drawing;
        try {
            TfrPreparedFile::load(*report, data);
        } catch (const EfrPreparedFileError &e) {
            EXPECT_EQ(e.message(), TfrPreparedFile::invalidFileMessage()) << how.toStdString();
            EXPECT_FALSE(e.result().Ok) << how.toStdString();
            EXPECT_FALSE(e.result().Reason.isEmpty()) << how.toStdString();
            EXPECT_EQ(report->EMFPages[0].Drawing, before) << how.toStdString();
            return;
        } catch (const std::exception &e) {
            ADD_FAILURE() << how.toStdString() << ": exception " << e.what();
            return;
        } catch (...) {
            ADD_FAILURE() << how.toStdString() << ": unknown exception";
            return;
        }
        for (int i = 0; i < report->EMFPages.Count(); ++i) {
            const QByteArray drawing = report->EMFPages[i].Drawing;
            QImage image(80, 110, QImage::Format_RGB32);
            image.fill(Qt::white);
            QPainter painter(&image);
            TfrEmfPlayer::play(drawing, painter, QRectF(image.rect()));
            TfrEmfPlayer::texts(drawing);
        }
        ASSERT_GT(report->EMFPages.Count(), 0) << how.toStdString();
    }

    QObject form;
    TMemoryDataSet *diario = nullptr;
    TfrReport *report = nullptr;
    int shown = 0;
    int loads = 0;
};

TEST_F(DamagedFiles, TemplateCutAtEveryByte)
{
    const QByteArray full = smallTemplate();
    ASSERT_TRUE(report->LoadTemplateData(full));
    ASSERT_EQ(report->Pages.Count(), 2);
    ASSERT_EQ(report->Pages[0]->Objects.size(), 4);
    for (qsizetype n = 0; n < full.size(); ++n) loadTemplate(full.left(n), cutAt(n));
    EXPECT_EQ(shown, 0) << "the engine showed a message itself";
    RecordProperty("loads", loads);
}

TEST_F(DamagedFiles, TemplateLengthsAndCountsAroundWhatIsLeft)
{
    const QByteArray full = smallTemplate();
    const QList<Field> fields = templateFields(full);
    // Two datasets, the printer, four objects on page 1 and a chart on page 2, the values.
    ASSERT_GE(fields.size(), 40);
    for (const Field &f : fields)
        for (quint32 v : sweepValues(f))
            loadTemplate(patched(full, f, v), setTo(f, v));
    // The template itself still loads: the sweep changed copies only.
    EXPECT_TRUE(report->LoadTemplateData(full));
    EXPECT_EQ(shown, 0) << "the engine showed a message itself";
    RecordProperty("loads", loads);
}

TEST_F(DamagedFiles, PreparedReportCutAtEveryByte)
{
    const QByteArray full = smallPrepared();
    TfrPreparedFile::load(*report, full);
    ASSERT_EQ(report->EMFPages.Count(), 1);
    for (qsizetype n = 0; n < full.size(); ++n) loadPrepared(full.left(n), cutAt(n));
    RecordProperty("loads", loads);
}

TEST_F(DamagedFiles, PreparedReportLengthsAndCountsAroundWhatIsLeft)
{
    const QByteArray full = smallPrepared();
    TfrPreparedFile::load(*report, full);
    ASSERT_EQ(report->EMFPages.Count(), 1);
    const QList<Field> fields = preparedFields(full);
    QStringList kinds;
    for (const Field &f : fields) kinds << f.what;
    // The page carries text, frame lines and the picture's bits.
    for (const char *expected : {"text length", "bitmap bits size"})
        EXPECT_TRUE(kinds.contains(expected)) << expected << " not in " << kinds.join(", ").toStdString();
    for (const Field &f : fields)
        for (quint32 v : sweepValues(f))
            loadPrepared(patched(full, f, v), setTo(f, v));
    RecordProperty("loads", loads);
}
} // namespace
