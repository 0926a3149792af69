// Template streams, byte by byte: streams written by hand for every layout
// version, a save-then-load round trip, and every way a stream can be corrupt.

#include "report/frbandview.h"
#include "report/frdbdataset.h"
#include "report/frmemoview.h"
#include "report/frloadresult.h"
#include "report/frmessagesink.h"
#include "report/frpage.h"
#include "report/frpictureview.h"
#include "report/frregistry.h"
#include "report/frreport.h"
#include "report/frsubreportview.h"
#include "report/frtemplatereader.h"

#include "core/formatsettings.h"
#include "tests/data/memorydataset.h"

#include <QStringEncoder>
#include <QtEndian>
#include <gtest/gtest.h>

namespace {
// A stream written field by field, in the layout of one file version.
struct Bytes
{
    explicit Bytes(int v) : version(v) {}
    int version;
    QByteArray d;
    Bytes &u8(int v) { d.append(char(v)); return *this; }
    Bytes &i16(int v) { char b[2]; qToLittleEndian(qint16(v), b); d.append(b, 2); return *this; }
    Bytes &i32(qint32 v) { char b[4]; qToLittleEndian(v, b); d.append(b, 4); return *this; }
    static QByteArray cp1252(const QString &s) { return QStringEncoder("windows-1252").encode(s); }
    Bytes &str(const QString &s) { const QByteArray b = cp1252(s); u8(int(b.size())); d.append(b); return *this; }
    Bytes &list(const QStringList &lines)
    {
        if (version > 25) {
            i16(int(lines.size()));
            for (const QString &l : lines) { const QByteArray b = cp1252(l); i16(int(b.size())); d.append(b); }
        } else {
            for (const QString &l : lines) { d.append(cp1252(l)); d.append('\r'); }
            d.append('\0');
        }
        return *this;
    }
    Bytes &page(int paper = 9, int width = 2100, int height = 2970, int orientation = 0)
    {
        u8(255).i32(paper).i32(width).i32(height).i32(10).i32(20).i32(30).i32(40).u8(orientation);
        i16(0).i16(1).i16(1).i16(0).i16(1).i32(2).i32(5);
        if (version > 24) i32(50).i32(75);
        return *this;
    }
    // Common data of an object at (left, top, width, height).
    Bytes &common(int pageIndex, int left, int top, int width, int height, quint16 flags, quint16 frameLines,
                  const QString &formatText, const QStringList &memo, const QString &name, bool visible = true)
    {
        u8(pageIndex).i32(left).i32(top).i32(width).i32(height).i16(flags).i16(frameLines);
        i32(2).i32(0x0000FF).i16(1).i32(0x1FFFFFFF).i32(0x01020244);
        list(formatText.isEmpty() ? QStringList() : QStringList{formatText});
        list(memo);
        if (version > 22) u8(visible ? 1 : 0).str(name);
        return *this;
    }
    Bytes &memoData(quint16 highlightStyle = 2)
    {
        list({"Courier New"}).i32(12).i16(3).i32(0x00FF00).i32(0x09);
        i16(highlightStyle).i32(0x0000FF).i32(0xFFFFFF).i16(1).list({"[Peso] > 80"});
        return *this;
    }
};

struct Shown
{
    QString text, caption;
    TfrMessageIcon icon;
};

class TemplateTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TFormatSettings it;
        ASSERT_TRUE(TFormatSettings::forLocale("it_IT", it));
        TFormatSettings::setCurrent(it);
        frSetMessageSink([this](const QString &t, const QString &c, TfrMessageIcon i) { shown.append({t, c, i}); });
        form.setObjectName("frm_main");
        frRegistry::registerOwner(&form);
        diario = new TMemoryDataSet(&form);
        diario->setObjectName("Diario");
        report = new TfrReport(&form);
        report->setObjectName("frReport1");
    }
    void TearDown() override
    {
        frSetMessageSink(nullptr);
        frRegistry::unregisterOwner(&form);
        frRegistry::clearAddIns();
    }

    // A whole template of `version`: datasets, one page, a text object, a band, values.
    QByteArray sample(int version)
    {
        Bytes b(version);
        if (version > 20) b.u8(version);
        if (version > 22) {
            b.i32(2);
            b.u8(1).str("frm_main.Diario");
            if (version > 26) b.u8(1).str("[Peso] > 0");
            b.str("DiarioDS").u8(1).u8(2).u8(0xAA).u8(0xBB).i32(7);
            b.u8(0).str("Eventi").u8(0).u8(0).u8(0).u8(0).i32(0);
        }
        b.i16(1).i16(0);
        if (version > 22) b.i16(1).i16(0);
        b.list({"Stampante predefinita"});
        b.page();
        b.u8(0).common(0, 1088, 544, 108, 20, 1, 15, "", {"Peso: [Peso]", "fine"}, "Peso").memoData();
        b.u8(2).common(0, 0, 100, 700, 20, 0x1F, 5, "DiarioDS", {}, "MasterData");
        b.u8(254).i32(1).u8(1).i32(0).str("Diario").str("Peso").str("Massa");
        b.list({"Categoria", " Massa"});
        return b.d;
    }

    TfrView *object(int index) const { return report->Pages[0]->Objects.value(index); }

    // Loads as a caller does: the engine itself shows nothing, the caller
    // shows what the result says.
    TfrLoadResult load(const QByteArray &data)
    {
        const qsizetype before = shown.size();
        const TfrLoadResult result = report->LoadTemplateData(data);
        EXPECT_EQ(shown.size(), before) << "the engine showed a message itself";
        frShowLoadResult(result);
        return result;
    }

    void expectCorrupt(const QByteArray &data, const char *why)
    {
        shown.clear();
        const TfrLoadResult result = load(data);
        EXPECT_FALSE(result) << why;
        EXPECT_TRUE(result.Reason.startsWith(QStringLiteral("corrupt at byte %1: ").arg(result.Offset))) << why;
        EXPECT_GE(result.Offset, 0) << why;
        ASSERT_FALSE(shown.isEmpty()) << why;
        EXPECT_EQ(shown.last().text, TfrTemplateReader::corruptMessage()) << why;
        EXPECT_EQ(shown.last().caption, "Errore");
        EXPECT_EQ(report->Pages.Count(), 1) << why;
        EXPECT_TRUE(report->Pages[0]->Objects.isEmpty()) << why;
        EXPECT_EQ(report->DatasetCount(), 0) << why;
    }

    QList<Shown> shown;
    QObject form;
    TMemoryDataSet *diario = nullptr;
    TfrReport *report = nullptr;
};

TEST_F(TemplateTest, CorruptMessageHasLineFeedThenCarriageReturn)
{
    EXPECT_TRUE(TfrTemplateReader::corruptMessage().contains("report.\n\rProbabilmente"));
    EXPECT_EQ(TfrTemplateReader::unknownAddInMessage("TfrX"),
              "Oggetto non trovato : TfrX.\n\rUn componente avanzato presente nel report, \n\r"
              "non è stato inserito nel programma che ne fa uso.");
}

class TemplateVersions : public TemplateTest, public ::testing::WithParamInterface<int>
{
};

TEST_P(TemplateVersions, ReadsEveryField)
{
    const int v = GetParam();
    ASSERT_TRUE(load(sample(v)));
    // Without a DatasetTable, the data band must name a dataset component.
    ASSERT_EQ(shown.size(), v > 22 ? 0 : 1);
    if (v <= 22) {
        EXPECT_EQ(shown[0].text, "Non è stato trovato il frDataset: DiarioDS");
    }

    // DatasetTable from 23; filter from 27.
    ASSERT_EQ(report->DatasetCount(), v > 22 ? 2 : 0);
    if (v > 22) {
        auto *db = qobject_cast<TfrDBDataSet *>(report->FindDatasetInTable("diariods"));
        ASSERT_TRUE(db);
        EXPECT_EQ(db->DataSet(), diario);
        EXPECT_EQ(db->RangeBegin, rbCurrent);
        EXPECT_EQ(db->RangeEnd, reCount);
        EXPECT_EQ(db->RangeEndCount, 7);
        EXPECT_EQ(db->Filtered, v > 26);
        EXPECT_EQ(db->Filter, v > 26 ? "[Peso] > 0" : "");
        EXPECT_EQ(report->DatasetName(0), "DiarioDS");   // sorted by name
        EXPECT_FALSE(qobject_cast<TfrDBDataSet *>(report->FindDatasetInTable("Eventi")));
    }
    EXPECT_TRUE(report->UseDefaultPrinter);
    EXPECT_FALSE(report->TwoPass);
    EXPECT_EQ(report->InterleavePages, v > 22);

    ASSERT_EQ(report->Pages.Count(), 1);
    const TfrPage *p = report->Pages[0];
    EXPECT_EQ(p->PaperSize, 9);
    EXPECT_EQ(p->Margins[3], 40);
    EXPECT_FALSE(p->HeaderOnFirstPage);
    EXPECT_EQ(p->ColumnCount, 2);
    EXPECT_EQ(p->ColumnGap, 5);
    EXPECT_EQ(p->ScaleX, v > 24 ? 50 : 100);
    EXPECT_EQ(p->ScaleY, v > 24 ? 75 : 100);

    ASSERT_EQ(p->Objects.size(), 2);
    auto *memo = dynamic_cast<TfrMemoView *>(object(0));
    ASSERT_TRUE(memo);
    // Coordinates before 24 were made for 1088 pixels and are scaled to 1123.
    const bool scaled = v < 24;
    EXPECT_EQ(memo->Left, scaled ? 1123 : 1088);
    EXPECT_EQ(memo->Top, scaled ? 562 : 544);        // 544 * 1123 / 1088 = 561.5
    EXPECT_EQ(memo->Width, scaled ? 111 : 108);
    EXPECT_EQ(memo->Height, scaled ? 21 : 20);
    // Word wrap is switched on for files of version 21 (and older).
    EXPECT_EQ(memo->Flags, v <= 21 ? 3 : 1);
    EXPECT_EQ(memo->Name, v > 22 ? "Peso" : "Memo1");
    EXPECT_TRUE(memo->Visible);
    EXPECT_EQ(memo->Memo, QStringList({"Peso: [Peso]", "fine"}));
    EXPECT_EQ(memo->FrameWidth, 2);
    EXPECT_EQ(memo->FrameColor, 0xFF);
    EXPECT_EQ(memo->DisplayFormat, 0x01020244);
    EXPECT_EQ(memo->FontName, "Courier New");
    EXPECT_EQ(memo->FontSize, 12);
    EXPECT_EQ(memo->FontStyle, 3);
    EXPECT_EQ(memo->TextLayout, 9);
    EXPECT_EQ(memo->HighlightStyle, 2);
    EXPECT_TRUE(memo->HighlightOn);
    EXPECT_EQ(memo->HighlightCondition, "[Peso] > 80");

    auto *band = dynamic_cast<TfrBandView *>(object(1));
    ASSERT_TRUE(band);
    EXPECT_EQ(band->BandType(), frBand::MasterData);
    EXPECT_EQ(band->FormatText, "DiarioDS");
    EXPECT_EQ(band->Name, v > 22 ? "MasterData" : "Band1");

    ASSERT_EQ(report->Values.Count(), 1);
    EXPECT_EQ(report->Values.Name(0), "Massa");
    EXPECT_EQ(report->Values.Objects(0)->ValueKind, TfrValue::DBField);
    EXPECT_EQ(report->Values.Objects(0)->Field, "Peso");
    EXPECT_EQ(report->Variables, QStringList({"Categoria", " Massa"}));
}
INSTANTIATE_TEST_SUITE_P(Versions, TemplateVersions, ::testing::Values(20, 21, 22, 23, 24, 25, 26, 27));

TEST_F(TemplateTest, OldFilesFindDataBandDatasetsAmongComponents)
{
    auto *component = new TfrDataset(&form);
    component->setObjectName("DiarioDS");
    ASSERT_TRUE(load(sample(22)));
    EXPECT_TRUE(shown.isEmpty());
    delete component;
    ASSERT_TRUE(load(sample(22)));
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].caption, "Attenzione");
    EXPECT_EQ(shown[0].icon, TfrMessageIcon::Warning);
}

TEST_F(TemplateTest, MissingDatasetComponentWarnsAndGoesOn)
{
    QByteArray data = sample(27);
    const QByteArray path = "frm_main.Diario";
    data.replace(data.indexOf(path), path.size(), "frm_main.Nessun");
    ASSERT_TRUE(load(data));
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].text, "Non è stato trovato il frDataset: frm_main.Nessun");
    EXPECT_EQ(shown[0].caption, "Attenzione");
    EXPECT_EQ(shown[0].icon, TfrMessageIcon::Warning);
    EXPECT_EQ(report->DatasetCount(), 1);
    EXPECT_EQ(report->Pages[0]->Objects.size(), 2);
}

TEST_F(TemplateTest, TagAboveTenEndsTheTemplate)
{
    Bytes b(27);
    b.u8(27).i32(0).i16(1).i16(0).i16(0).i16(0).list({"x"}).page();
    b.u8(0).common(0, 1, 2, 3, 4, 0, 0, "", {"a"}, "Memo9").memoData();
    b.u8(11);
    b.u8(254).i32(1).u8(0).i32(0).str("").str("").str("Mai");
    ASSERT_TRUE(load(b.d));
    EXPECT_EQ(report->Pages[0]->Objects.size(), 1);
    EXPECT_EQ(report->Values.Count(), 0);
}

TEST_F(TemplateTest, PaperIsAppliedToThePseudoPrinter)
{
    struct
    {
        int code, width, height, orientation;
        int expCode, expWidth, expHeight, designWidth, designHeight;
    } cases[] = {
        {9, 0, 0, 0, 9, 2100, 2970, 794, 1123},
        {9, 0, 0, 1, 9, 2970, 2100, 1123, 794},
        {11, 1, 1, 0, 11, 1480, 2100, 559, 794},
        {256, 1000, 2000, 1, 256, 1000, 2000, 378, 756},
        {500, 1234, 2345, 0, 256, 1234, 2345, 466, 886},   // unknown code: custom size
    };
    for (const auto &c : cases) {
        Bytes b(27);
        b.u8(27).i32(0).i16(1).i16(0).i16(0).i16(0).list({}).page(c.code, c.width, c.height, c.orientation);
        ASSERT_TRUE(load(b.d));
        const TfrPage *p = report->Pages[0];
        EXPECT_EQ(p->PaperSize, c.expCode) << c.code;
        EXPECT_EQ(p->PaperWidth, c.expWidth) << c.code;
        EXPECT_EQ(p->PaperHeight, c.expHeight) << c.code;
        EXPECT_EQ(p->Orientation, c.orientation) << c.code;
        EXPECT_EQ(p->PrnInfo.pageWidth, c.designWidth) << c.code;
        EXPECT_EQ(p->PrnInfo.pageHeight, c.designHeight) << c.code;
        EXPECT_EQ(p->PrnInfo.printableWidth, c.designWidth - 36) << c.code;
    }
}

TEST_F(TemplateTest, SaveThenLoadKeepsEveryField)
{
    TfrReport &r = *report;
    r.TwoPass = true;
    r.NumberInterleaved = true;
    r.UseDefaultPrinter = false;
    auto *db = new TfrDBDataSet;
    db->setObjectName("Giorni");
    db->SetDataSet(diario);
    db->Filtered = true;
    db->Filter = "[Peso] > 0";
    db->RangeEnd = reCurrent;
    r.AddDataset(db, true);
    auto *user = new TfrDataset;
    user->setObjectName("Utente");
    user->RangeEndCount = 12;
    user->RangeEnd = reCount;
    r.AddDataset(user, true);
    TfrPage *p = r.Pages[0];
    p->Margins[0] = 11;
    p->RepeatTableHeader = true;
    p->ScaleX = 80;
    r.Pages.Add()->ChangePaper(8, 0, 0, 1);

    auto *memo = static_cast<TfrMemoView *>(r.CreateObject(frKind::Memo));
    memo->Left = -5;
    memo->Top = 70000;
    memo->Memo = {"€ [Peso]", "", "ultima"};
    memo->HighlightStyle = 7;
    memo->FontStyle = 5;
    memo->HighlightOn = true;
    memo->Visible = false;
    memo->FillColor = 0x123456;
    memo->FormatText = "0.00";
    p->Add(memo);
    auto *picture = static_cast<TfrPictureView *>(r.CreateObject(frKind::Picture));
    picture->GraphicKind = TfrPictureView::Jpeg;
    picture->Graphic = QByteArray("\xFF\xD8 not really a jpeg", 20);
    p->Add(picture);
    auto *band = static_cast<TfrBandView *>(r.CreateObject(frKind::Band));
    band->FrameLines = frBand::GroupHeader;
    band->FormatText = "[Data]";
    p->Add(band);
    auto *sub = static_cast<TfrSubReportView *>(r.CreateObject(frKind::SubReport));
    sub->TargetPage = 1;
    r.Pages[1]->Add(sub);
    TfrValue *value = r.Values.Objects(r.Values.AddValue("Doppio"));
    value->ValueKind = TfrValue::Other;
    value->ValueSubKind = TfrValue::Expression;
    value->Field = "[Peso] * 2";
    r.Variables = {"Cat", " Doppio"};

    const QByteArray first = r.SaveTemplateData();
    TfrReport copy(&form);
    ASSERT_TRUE(copy.LoadTemplateData(first));
    // The bytes written again are the same bytes: nothing was lost or changed.
    EXPECT_EQ(copy.SaveTemplateData().toHex().toStdString(), first.toHex().toStdString());

    ASSERT_EQ(copy.Pages.Count(), 2);
    EXPECT_EQ(copy.Pages[1]->PaperSize, 8);
    EXPECT_EQ(copy.Pages[1]->Orientation, 1);
    EXPECT_EQ(copy.Pages[0]->Margins[0], 11);
    EXPECT_TRUE(copy.Pages[0]->RepeatTableHeader);
    EXPECT_EQ(copy.Pages[0]->ScaleX, 80);
    EXPECT_TRUE(copy.TwoPass);
    EXPECT_TRUE(copy.NumberInterleaved);
    EXPECT_FALSE(copy.UseDefaultPrinter);
    auto *m = dynamic_cast<TfrMemoView *>(copy.Pages[0]->Objects.value(0));
    ASSERT_TRUE(m);
    EXPECT_EQ(m->Name, "Memo1");
    EXPECT_EQ(m->Left, -5);
    EXPECT_EQ(m->Top, 70000);
    EXPECT_EQ(m->Memo, memo->Memo);
    EXPECT_EQ(m->HighlightStyle, 7);
    EXPECT_EQ(m->FontStyle, 5);
    EXPECT_FALSE(m->Visible);
    EXPECT_EQ(m->FillColor, 0x123456);
    EXPECT_EQ(m->FormatText, "0.00");
    auto *pic = dynamic_cast<TfrPictureView *>(copy.Pages[0]->Objects.value(1));
    ASSERT_TRUE(pic);
    EXPECT_EQ(pic->Graphic, picture->Graphic);
    EXPECT_EQ(pic->Flags, 5);
    EXPECT_EQ(dynamic_cast<TfrBandView *>(copy.Pages[0]->Objects.value(2))->BandType(), frBand::GroupHeader);
    EXPECT_EQ(dynamic_cast<TfrSubReportView *>(copy.Pages[1]->Objects.value(0))->TargetPage, 1);
    auto *cdb = qobject_cast<TfrDBDataSet *>(copy.FindDatasetInTable("Giorni"));
    ASSERT_TRUE(cdb);
    EXPECT_TRUE(cdb->Filtered);
    EXPECT_EQ(cdb->Filter, "[Peso] > 0");
    EXPECT_EQ(cdb->RangeEnd, reCurrent);
    EXPECT_EQ(copy.FindDatasetInTable("Utente")->RangeEndCount, 12);
    EXPECT_EQ(copy.Values.Objects(0)->Field, "[Peso] * 2");
    EXPECT_EQ(copy.Variables, r.Variables);
}

TEST_F(TemplateTest, LongLinesAreCutTo1024Bytes)
{
    auto *memo = report->CreateObject(frKind::Memo);
    memo->Memo = {QString(2000, 'x')};
    report->Pages[0]->Add(memo);
    const QByteArray data = report->SaveTemplateData();
    ASSERT_TRUE(load(data));
    EXPECT_EQ(object(0)->Memo.value(0), QString(1024, 'x'));
    // The stored length word says so too.
    const qsizetype at = data.indexOf(QByteArray(1024, 'x'));
    ASSERT_GT(at, 2);
    EXPECT_EQ(qFromLittleEndian<quint16>(data.constData() + at - 2), 1024);
    EXPECT_EQ(data.indexOf(QByteArray(1025, 'x')), -1);
}

TEST_F(TemplateTest, CorruptStreamsLeaveOneEmptyPage)
{
    const auto header = [](Bytes &b) { b.u8(27).i32(0).i16(1).i16(0).i16(0).i16(0).list({}).page(); };
    for (int kind = 4; kind <= 9; ++kind) {
        Bytes b(27);
        header(b);
        b.u8(kind).u8(0);
        expectCorrupt(b.d, "object kind 4-9");
    }
    {
        Bytes b(27);
        header(b);
        b.u8(0).common(1, 0, 0, 1, 1, 0, 0, "", {}, "Memo1").memoData();
        expectCorrupt(b.d, "page index naming no page");
    }
    {
        Bytes b(27);
        header(b);
        b.u8(1).common(0, 0, 0, 1, 1, 0, 0, "", {}, "Picture1").u8(1).i32(3).d.append("BM");
        expectCorrupt(b.d, "picture ending before its own position");
    }
    {
        Bytes b(27);
        header(b);
        b.u8(1).common(0, 0, 0, 1, 1, 0, 0, "", {}, "Picture1").u8(1);
        b.i32(int(b.d.size()) + 4 + 100).d.append("BM");
        expectCorrupt(b.d, "picture ending past the stream");
    }
    {
        Bytes b(27);
        b.u8(27).i32(0x7FFFFFFF);
        expectCorrupt(b.d, "dataset count larger than the stream");
    }
    {
        Bytes b(27);
        header(b);
        b.u8(254).i32(50000000);
        expectCorrupt(b.d, "value count larger than the stream");
    }
    {
        Bytes b(27);
        b.u8(27).i32(0).i16(1).i16(0).i16(0).i16(0).list({});
        for (int i = 0; i < 257; ++i) b.page();
        expectCorrupt(b.d, "more pages than a page byte addresses");
    }
    {
        Bytes b(27);
        header(b);
        b.u8(0).common(0, 0, 0, 1, 1, 0, 0, "", {}, "Memo1").i16(5);   // list of five lines, none there
        expectCorrupt(b.d, "counted list running past the end");
    }
    expectCorrupt(QByteArray(), "empty stream");
}

TEST_F(TemplateTest, UnknownAddInShowsItsOwnMessageFirst)
{
    Bytes b(27);
    b.u8(27).i32(0).i16(1).i16(0).i16(0).i16(0).list({}).page();
    b.u8(10).list({"TfrGraphView"}).common(0, 0, 0, 1, 1, 0, 0, "", {}, "Graph1");
    expectCorrupt(b.d, "unknown add-in");
    ASSERT_EQ(shown.size(), 2);
    EXPECT_EQ(shown[0].text, TfrTemplateReader::unknownAddInMessage("TfrGraphView"));
    EXPECT_EQ(shown[0].caption, "Errore");

    // Registered, the same record loads, with its class-specific data read by the class.
    struct Graph : TfrView
    {
        using TfrView::TfrView;
        QString ClassName() const override { return "TfrGraphView"; }
    };
    ASSERT_TRUE(frRegistry::registerObject({"TfrGraphView", [](TfrReport *r) { return new Graph(r); }, "", {}, ""}));
    shown.clear();
    ASSERT_TRUE(load(b.d));
    ASSERT_EQ(report->Pages[0]->Objects.size(), 1);
    EXPECT_EQ(object(0)->Kind, frKind::AddIn);
    EXPECT_EQ(object(0)->Name, "Graph1");
}

// A tool or a test learns why and where a file was refused.
TEST_F(TemplateTest, DamagedTemplateSaysWhereAndWhy)
{
    QByteArray data = sample(27);
    // The variables list at the end: a count, then "Categoria" and " Massa".
    const qsizetype count = data.size() - (2 + 2 + 9 + 2 + 6);
    data[count] = char(0x60);
    data[count + 1] = char(0xEA);   // 60000 lines
    const TfrLoadResult result = load(data);
    EXPECT_FALSE(result);
    EXPECT_EQ(result.Offset, count + 2);
    EXPECT_EQ(result.Reason, QStringLiteral("corrupt at byte %1: string list of 60000 lines, 19 bytes left").arg(count + 2));
    ASSERT_EQ(result.Messages.size(), 1);
    EXPECT_EQ(result.Messages[0].text, TfrTemplateReader::corruptMessage());

    const TfrLoadResult cut = load(sample(27).left(40));
    EXPECT_FALSE(cut);
    EXPECT_TRUE(cut.Reason.contains("bytes wanted") && cut.Reason.contains("left")) << cut.Reason.toStdString();
}

TEST_F(TemplateTest, EveryTruncationEndsCleanly)
{
    const QByteArray full = sample(27);
    for (qsizetype n = 0; n < full.size(); ++n) {
        shown.clear();
        const bool ok = bool(load(full.left(n)));
        if (ok) {
            // Only a cut right after a record is a normal end.
            EXPECT_TRUE(shown.isEmpty()) << n;
        } else {
            ASSERT_FALSE(shown.isEmpty()) << n;
            EXPECT_EQ(shown.last().text, TfrTemplateReader::corruptMessage()) << n;
            EXPECT_EQ(report->Pages.Count(), 1) << n;
            EXPECT_EQ(report->DatasetCount(), 0) << n;
        }
    }
    // The cut just before the values record is a normal end.
    const qsizetype values = full.lastIndexOf(char(254));
    EXPECT_TRUE(load(full.left(values)));
    EXPECT_FALSE(load(full.left(values + 2)));
}

// Where the fields a limit guards stand in limitsSample(): the page record and
// the text object's common data (both after their tags), its font size, and
// the record count of its dataset.
struct LimitFields
{
    qint64 page = -1, object = -1, fontSize = -1, recordCount = -1;
};

// One custom-size page (2100 x 2970 at 50% x 75%), a text object and a data
// band over an event-driven dataset that counts its records.
QByteArray limitsSample(int version, LimitFields &at)
{
    Bytes b(version);
    b.u8(version);
    if (version > 22) {
        b.i32(1).u8(0).str("Etichette").u8(0).u8(2).i16(0);
        at.recordCount = b.d.size();
        b.i32(5);
    }
    b.i16(1).i16(0);
    if (version > 22) b.i16(0).i16(0);
    b.list({});
    at.page = b.d.size() + 1;
    b.page(256, 2100, 2970);
    b.u8(0);
    at.object = b.d.size() + 1;
    b.common(0, 38, 40, 300, 20, 0, 15, "", {"Pressione"}, "Memo1");
    // The font name list comes first: "Courier New" counted, or ended by CR and NUL.
    at.fontSize = b.d.size() + (version > 25 ? 2 + 2 + 11 : 11 + 2);
    b.memoData();
    b.u8(2).common(0, 0, 30, 700, 40, 0, frBand::MasterData, "Etichette", {}, "MasterData1");
    return b.d;
}

struct LimitCase
{
    const char *name;
    qint64 LimitFields::*record;
    int offset;          // of the int32 field in its record
    qint32 value;
    const char *reason;  // empty: the value is still taken
    int version = 27;
};

// Page record: width 4, height 8, margins 12-24, columns 39, gap 43, scale 47 and 51.
// Common data: left 0, top 4, width 8, height 12, frame width 20.
const LimitCase limitCases[] = {
    {"PageWidthInt32Max_was838mWide", &LimitFields::page, 4, 0x7FFFFFFF,
     "page 1: width 2147483647 beyond 10 m"},
    {"PageHeightInt32Max", &LimitFields::page, 8, 0x7FFFFFFF, "page 1: height 2147483647 beyond 10 m"},
    {"PageWidthNegative", &LimitFields::page, 4, -1, "page 1: width -1 below 0"},
    {"PageWidthTenMetresLoads", &LimitFields::page, 4, 100000, ""},
    {"PageWidthJustBeyondTenMetres", &LimitFields::page, 4, 100001, "page 1: width 100001 beyond 10 m"},
    {"CustomPageOfNoWidth", &LimitFields::page, 4, 0, "page 1: width 0 at scale 50% leaves no paper"},
    {"CustomPageOfNoWidthWithoutScaleFields", &LimitFields::page, 4, 0,
     "page 1: width 0 at scale 100% leaves no paper", 24},
    {"LeftMarginInt32Max", &LimitFields::page, 12, 0x7FFFFFFF, "page 1: left margin 2147483647 beyond 10 m"},
    {"TopMarginTenMetresLoads", &LimitFields::page, 16, 37795, ""},
    {"RightMarginInt32Min", &LimitFields::page, 20, -2147483647 - 1,
     "page 1: right margin -2147483648 beyond 10 m"},
    {"BottomMarginJustBeyondTenMetres", &LimitFields::page, 24, 37796,
     "page 1: bottom margin 37796 beyond 10 m"},
    {"ColumnCountInt32Max", &LimitFields::page, 39, 0x7FFFFFFF,
     "page 1: column count 2147483647 beyond 10000"},
    {"ColumnCountNegative", &LimitFields::page, 39, -1, "page 1: column count -1 below 0"},
    {"ColumnCountTenThousandLoads", &LimitFields::page, 39, 10000, ""},
    {"ColumnGapInt32Max", &LimitFields::page, 43, 0x7FFFFFFF, "page 1: column gap 2147483647 beyond 10 m"},
    {"ScaleXInt32Max", &LimitFields::page, 47, 0x7FFFFFFF,
     "page 1: width 2100 at scale 2147483647% beyond 10 m"},
    {"ScaleXJustUnderTenMetresLoads", &LimitFields::page, 47, 4761, ""},
    {"ScaleYZero", &LimitFields::page, 51, 0, "page 1: height 2970 at scale 0% leaves no paper"},
    {"ObjectLeftInt32Max", &LimitFields::object, 0, 0x7FFFFFFF,
     "page 1, object 1: left 2147483647 beyond 100 m"},
    {"ObjectLeftMinus100mLoads", &LimitFields::object, 0, -377953, ""},
    {"ObjectTopInt32Min", &LimitFields::object, 4, -2147483647 - 1,
     "page 1, object 1: top -2147483648 beyond 100 m"},
    {"ObjectTopInt32MaxInAScaledOldFile", &LimitFields::object, 4, 0x7FFFFFFF,
     "page 1, object 1: top 2147483647 beyond 100 m", 23},
    // Scaled by 1123/1088 it would pass, then be refused when saved and loaded again.
    {"ObjectTopAtTheLimitInAScaledOldFile", &LimitFields::object, 4, 377953,
     "page 1, object 1: top 377953 beyond 100 m", 23},
    {"ObjectTopAtTheScaledLimitLoads", &LimitFields::object, 4, 366173, "", 23},
    {"ObjectWidthInt32Max", &LimitFields::object, 8, 0x7FFFFFFF,
     "page 1, object 1: width 2147483647 beyond 100 m"},
    {"ObjectWidthJustBeyond100m", &LimitFields::object, 8, 377954,
     "page 1, object 1: width 377954 beyond 100 m"},
    {"ObjectHeightNegative", &LimitFields::object, 12, -1, "page 1, object 1: height -1 below 0"},
    {"FrameWidthInt32Max", &LimitFields::object, 20, 0x7FFFFFFF,
     "page 1, object 1: frame width 2147483647 beyond 10 m"},
    {"FontSizeInt32Max", &LimitFields::fontSize, 0, 0x7FFFFFFF,
     "page 1, object 1: font size 2147483647 beyond 28346 points"},
    {"FontSizeInt32MinInAnOldFile", &LimitFields::fontSize, 0, -2147483647 - 1,
     "page 1, object 1: font size -2147483648 beyond 28346 points", 25},
    {"RecordCountInt32Max", &LimitFields::recordCount, 0, 0x7FFFFFFF,
     "dataset Etichette: record count 2147483647 beyond 1000000"},
    {"RecordCountMillionLoads", &LimitFields::recordCount, 0, 1000000, ""},
};

void PrintTo(const LimitCase &c, std::ostream *os) { *os << c.name; }

class TemplateLimits : public TemplateTest, public ::testing::WithParamInterface<LimitCase>
{
};

// A value no real layout comes near is refused at its field, and the report
// is left as a damaged template leaves it; a value at the limit is taken.
TEST_P(TemplateLimits, AbsurdSizesAreRefusedAtTheirField)
{
    const LimitCase &c = GetParam();
    LimitFields at;
    const QByteArray good = limitsSample(c.version, at);
    ASSERT_TRUE(load(good)) << "the sample itself must load";
    ASSERT_EQ(report->Pages[0]->Objects.size(), 2);

    QByteArray data = good;
    const qint64 field = at.*c.record + c.offset;
    ASSERT_GE(at.*c.record, 0) << "no such field in version " << c.version;
    qToLittleEndian(c.value, data.data() + field);
    shown.clear();
    const TfrLoadResult result = load(data);
    if (!*c.reason) {
        EXPECT_TRUE(result) << result.Reason.toStdString();
        EXPECT_EQ(report->Pages[0]->Objects.size(), 2);
        // What loads, saved, loads again.
        const TfrLoadResult again = report->LoadTemplateData(report->SaveTemplateData());
        EXPECT_TRUE(again) << again.Reason.toStdString();
        return;
    }
    EXPECT_FALSE(result);
    EXPECT_EQ(result.Offset, field);
    EXPECT_EQ(result.Reason.toStdString(),
              QStringLiteral("corrupt at byte %1: %2").arg(field).arg(c.reason).toStdString());
    ASSERT_EQ(result.Messages.size(), 1);
    EXPECT_EQ(result.Messages[0].text, TfrTemplateReader::corruptMessage());
    EXPECT_EQ(result.Messages[0].caption, "Errore");
    EXPECT_EQ(report->Pages.Count(), 1);
    EXPECT_TRUE(report->Pages[0]->Objects.isEmpty());
    EXPECT_EQ(report->DatasetCount(), 0);
    // The empty page is the default one, not the refused paper.
    EXPECT_EQ(report->Pages[0]->PaperSize, 9);
    EXPECT_EQ(report->Pages[0]->PaperWidth, 2100);
}
INSTANTIATE_TEST_SUITE_P(Fields, TemplateLimits, ::testing::ValuesIn(limitCases),
                         [](const ::testing::TestParamInfo<LimitCase> &info) { return info.param.name; });
} // namespace
