// Report templates (".frt"): description and picture before the report
// stream, read back equal, and damaged headers read as corrupt templates.

#include "report/frbandview.h"
#include "report/frmemoview.h"
#include "report/frmessagesink.h"
#include "report/frpage.h"
#include "report/frreport.h"
#include "report/frtemplatefile.h"
#include "report/frtemplatereader.h"

#include "core/formatsettings.h"

#include <QGuiApplication>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

namespace {
int argc = 1;
char arg0[] = "tst_frtemplatefile";
char *argv[] = {arg0, nullptr};

class TemplateFile : public ::testing::Test
{
protected:
    void SetUp() override
    {
        static QGuiApplication app(argc, argv);
        TFormatSettings it;
        ASSERT_TRUE(TFormatSettings::forLocale("it_IT", it));
        TFormatSettings::setCurrent(it);
        frSetMessageSink([](const QString &, const QString &, TfrMessageIcon) {});
        report.setObjectName("frReport1");
        auto *m = static_cast<TfrMemoView *>(report.CreateObject(frKind::Memo));
        m->Left = 40;
        m->Top = 60;
        m->Width = 200;
        m->Height = 20;
        m->Memo = QStringList{"Città: [Nome]"};
        report.Pages[0]->Add(m);
        report.Pages.Add();
        report.Variables = QStringList{"Misure", " Peso"};
        header.Description = QStringList{"Diario mensile", "con la media"};
        header.GraphicKind = 1;
        header.Graphic = QByteArray("BM") + QByteArray(60, 'x');
    }
    TfrReport report;
    TfrTemplateHeader header;
};

TEST_F(TemplateFile, RoundTripKeepsDescriptionPictureAndReport)
{
    const QByteArray data = frTemplateFile::write(report, header);
    TfrTemplateHeader back;
    ASSERT_TRUE(frTemplateFile::readHeader(data, back));
    EXPECT_EQ(back.Description, header.Description);
    EXPECT_EQ(back.GraphicKind, 1);
    EXPECT_EQ(back.Graphic, header.Graphic);

    TfrReport made;
    made.setObjectName("frReport1");
    made.FileName = "vecchio.frf";
    const TfrLoadResult loaded = frTemplateFile::load(made, data);
    ASSERT_TRUE(loaded.Ok) << loaded.Reason.toStdString();
    // A new report: no file name, and the same template bytes as the original.
    EXPECT_EQ(made.FileName, QString());
    EXPECT_EQ(made.SaveTemplateData(), report.SaveTemplateData());
}

TEST_F(TemplateFile, SavedFileLoadsBack)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("mensile.frt");
    ASSERT_TRUE(frTemplateFile::save(report, path, header));
    TfrReport made;
    made.setObjectName("frReport1");
    ASSERT_TRUE(frTemplateFile::loadFile(made, path).Ok);
    EXPECT_EQ(made.SaveTemplateData(), report.SaveTemplateData());
}

struct Damage
{
    const char *name;
    std::function<QByteArray(QByteArray)> damage;
};

class Damaged : public TemplateFile, public ::testing::WithParamInterface<Damage>
{
};

TEST_P(Damaged, ReadsAsACorruptTemplate)
{
    const QByteArray data = GetParam().damage(frTemplateFile::write(report, header));
    TfrReport made;
    const TfrLoadResult result = frTemplateFile::load(made, data);
    EXPECT_FALSE(result.Ok);
    ASSERT_FALSE(result.Messages.isEmpty());
    EXPECT_EQ(result.Messages.first().text, TfrTemplateReader::corruptMessage());
    EXPECT_FALSE(result.Reason.isEmpty());
    EXPECT_EQ(made.Pages.Count(), 1);
    EXPECT_TRUE(made.Pages[0]->Objects.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Headers, Damaged,
    ::testing::Values(Damage{"empty", [](QByteArray) { return QByteArray(); }},
                      Damage{"description_count_past_the_end", [](QByteArray d) { d[0] = char(0xFF); d[1] = char(0x7F); return d; }},
                      Damage{"picture_end_before_itself", [](QByteArray d) {
                                 // Description: 2 + (2 + 14) + (2 + 12) bytes; then kind and end.
                                 const int at = 2 + 2 + 14 + 2 + 12 + 1;
                                 d[at] = d[at + 1] = d[at + 2] = d[at + 3] = 0;
                                 return d;
                             }},
                      Damage{"cut_in_the_report", [](QByteArray d) { return d.left(d.size() - 10); }}),
    [](const ::testing::TestParamInfo<Damage> &info) { return std::string(info.param.name); });
} // namespace
