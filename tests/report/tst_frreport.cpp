// The report component: names, folders and files, auto-load, datasets and
// their walk over a database table, registries.

#include "report/frbandtypes.h"
#include "report/frbandview.h"
#include "report/frbuildstate.h"
#include "report/frdbdataset.h"
#include "report/frmemoview.h"
#include "report/frmessagesink.h"
#include "report/frpage.h"
#include "report/frregistry.h"
#include "report/frreport.h"

#include "core/formatsettings.h"
#include "tests/data/memorydataset.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

namespace {
QCoreApplication &application()
{
    static int argc = 1;
    static char name[] = "tst_frreport";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

class ReportTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        application();
        TFormatSettings it;
        ASSERT_TRUE(TFormatSettings::forLocale("it_IT", it));
        TFormatSettings::setCurrent(it);
        frSetMessageSink([this](const QString &t, const QString &c, TfrMessageIcon) { shown << c + ": " + t; });
        TfrBuildState::instance().reset();
        form.setObjectName("frm_main");
        frRegistry::registerOwner(&form);
        diario = new TMemoryDataSet(&form);
        diario->setObjectName("Diario");
        diario->addColumn("Peso", ftFloat);
        for (double p : {70.0, 71.0, 72.0, 73.0}) diario->addRow({p});
        report = new TfrReport(&form);
        report->setObjectName("frReport1");
        ASSERT_TRUE(dir.isValid());
    }
    void TearDown() override
    {
        frSetMessageSink(nullptr);
        frRegistry::unregisterOwner(&form);
        frRegistry::setBuilder(nullptr);
        frRegistry::setPreview(nullptr);
        frSetBeep(nullptr);
        TfrBuildState::instance().reset();
    }

    TfrView *place(int kind, const QString &name = QString())
    {
        TfrView *v = report->CreateObject(kind);
        if (!name.isEmpty()) v->Name = name;
        report->Pages[0]->Add(v);
        return v;
    }

    QString writeTemplate(const QString &path, const QString &memoLine = "x")
    {
        TfrReport r;
        auto *m = r.CreateObject(frKind::Memo);
        m->Memo = {memoLine};
        r.Pages[0]->Add(m);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(r.SaveTemplateData());
        return path;
    }

    QString loadError(const QString &name)
    {
        try {
            report->LoadTemplate(name);
        } catch (const Exception &e) {
            return e.message();
        }
        return QString();
    }

    QStringList shown;
    QObject form;
    TMemoryDataSet *diario = nullptr;
    TfrReport *report = nullptr;
    QTemporaryDir dir;
};

TEST_F(ReportTest, AutomaticNamesAreUniqueIgnoringCase)
{
    place(frKind::Memo);                  // Memo1
    place(frKind::Memo, "MEMO3");
    EXPECT_EQ(place(frKind::Memo)->Name, "Memo2");
    EXPECT_EQ(place(frKind::Memo)->Name, "Memo4");
    EXPECT_EQ(place(frKind::Picture)->Name, "Picture1");
    EXPECT_EQ(place(frKind::Band)->Name, "Band1");
    EXPECT_EQ(place(frKind::SubReport)->Name, "SubReport1");
    EXPECT_EQ(report->FindObject("memo3")->Name, "MEMO3");
}

TEST_F(ReportTest, RenamingChecksFormatAndUniqueness)
{
    TfrView *a = place(frKind::Memo);
    place(frKind::Memo, "Altro");
    const struct
    {
        const char *name;
        bool accepted;
        const char *message;
    } cases[] = {
        {"_Peso1", true, ""},
        {"Memo1", true, ""},                  // its own name
        {"1Peso", false, "Errore: Formato del nome errato."},
        {"Peso-1", false, "Errore: Formato del nome errato."},
        {"Pèso", false, "Errore: Formato del nome errato."},
        {"", false, "Errore: Formato del nome errato."},
        {"ALTRO", false, "Errore: Non è possibile assegnare un nome già esistente."},
    };
    for (const auto &c : cases) {
        shown.clear();
        const QString before = a->Name;
        EXPECT_EQ(report->RenameObject(a, QString::fromUtf8(c.name)), c.accepted) << c.name;
        EXPECT_EQ(a->Name, c.accepted ? QString::fromUtf8(c.name) : before) << c.name;
        EXPECT_EQ(shown.value(0), QString::fromUtf8(c.message)) << c.name;
    }
}

TEST(BandTypes, NamesAndFlags)
{
    EXPECT_EQ(frBand::displayName(2), "Instestazione pagina");
    EXPECT_EQ(frBand::displayName(13), "Copertura (Sfondo)");
    EXPECT_EQ(frBand::displayName(21), "Nessuna");
    EXPECT_EQ(frBand::displayName(22), "");
    EXPECT_TRUE(frBand::allowsFlag(5, frBand::FillPage));
    EXPECT_TRUE(frBand::allowsFlag(8, frBand::PrintIfSubsetEmpty));
    EXPECT_FALSE(frBand::allowsFlag(11, frBand::PrintIfSubsetEmpty));
    EXPECT_FALSE(frBand::allowsFlag(3, frBand::Stretched));
    EXPECT_FALSE(frBand::allowsFlag(17, frBand::NewPageAfter));
    EXPECT_EQ(TfrValue::SubKindName(0), "N° pagina");
    EXPECT_EQ(TfrValue::SubKindName(8), "Totale Pagine");
    EXPECT_EQ(TfrValue::KindNoneName(), "Nessuna");
}

TEST_F(ReportTest, LoadTemplateFolderRules)
{
    const QString folder = dir.path() + "/rep";
    ASSERT_TRUE(QDir().mkpath(folder));
    writeTemplate(folder + "/x.frf");

    // The extension is added, and the folder matches ReportDir ignoring case.
    report->ReportDir = folder.toUpper();
    EXPECT_EQ(loadError(folder + "/x"), "");
    EXPECT_EQ(report->FileName, "x.frf");
    EXPECT_EQ(report->Pages[0]->Objects.size(), 1);

    report->ReportDir = dir.path() + "/other";
    EXPECT_EQ(loadError(folder + "/x"), "Si è tentato di caricare il report \"frm_main.frReport1\" da una cartella non valida."
                                         "\r\nE' possibile caricare il report solo dalla cartella:  \""
                                             + dir.path() + "/other\"");
    // A name without folder is looked for in ReportDir.
    report->ReportDir = folder;
    EXPECT_EQ(loadError("x.frf"), "");
    EXPECT_NE(loadError("x.FRF"), "");   // file names are case-sensitive

    report->ReportDir.clear();
    EXPECT_EQ(loadError(folder + "/none"), "Si è tentato di caricare da disco il report 'frm_main.frReport1'. \r\n"
                                           "Ma il file '" + folder + "/none.frf' è inesistente");
    TfrReport alone;
    alone.setObjectName("solo");
    try {
        alone.LoadTemplate(folder + "/none");
        FAIL();
    } catch (const Exception &e) {
        EXPECT_TRUE(e.message().startsWith("Si è tentato di caricare da disco il report 'solo'."));
    }
}

TEST_F(ReportTest, LoadTemplateFallsBackToTheProgramFolder)
{
    const QString name = "tst_frreport_fallback.frf";
    const QString inProgram = QCoreApplication::applicationDirPath() + "/" + name;
    writeTemplate(inProgram, "dal programma");
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    EXPECT_EQ(loadError(name), "");
    EXPECT_EQ(report->Pages[0]->Objects.value(0)->Memo, QStringList{"dal programma"});
    EXPECT_EQ(QDir::currentPath(), QDir(dir.path()).canonicalPath());
    QDir::setCurrent(before);
    QFile::remove(inProgram);
}

TEST_F(ReportTest, SaveTemplateFolderRulesAndFailure)
{
    place(frKind::Memo);
    report->ReportDir = dir.path();
    report->SaveTemplate("senza_cartella");
    EXPECT_TRUE(QFile::exists(dir.path() + "/senza_cartella.frf"));
    EXPECT_EQ(report->FileName, "senza_cartella.frf");
    try {
        report->SaveTemplate("/altrove/x.frf");
        FAIL();
    } catch (const Exception &e) {
        EXPECT_EQ(e.message(), "Si è tentato di salvare il report \"frm_main.frReport1\" in una cartella non valida.\r\n"
                               "E' possibile salvare il report solo nella cartella:  \"" + dir.path() + "\"");
    }
    report->ReportDir.clear();
    try {
        report->SaveTemplate(dir.path() + "/manca/x.frf");
        FAIL();
    } catch (const Exception &e) {
        EXPECT_EQ(e.message(), "Si è verificato un errore durante la fase di salvataggio del report");
    }
}

TEST_F(ReportTest, AutoLoadReloadsOnlyWhenTheFileChanged)
{
    const QString path = writeTemplate(dir.path() + "/auto.frf", "prima");
    report->SetAutoLoad(path);
    ASSERT_EQ(report->Pages[0]->Objects.size(), 1);
    report->Pages[0]->Clear();
    report->SetAutoLoad(path);   // same value: no reload
    EXPECT_TRUE(report->Pages[0]->Objects.isEmpty());
    report->ReloadIfChanged();   // file untouched
    EXPECT_TRUE(report->Pages[0]->Objects.isEmpty());

    QThread::msleep(20);
    writeTemplate(path, "dopo");
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    f.setFileTime(QDateTime::currentDateTime().addSecs(5), QFileDevice::FileModificationTime);
    f.close();
    report->DesignTemplate();    // reloads first
    ASSERT_EQ(report->Pages[0]->Objects.size(), 1);
    EXPECT_EQ(report->Pages[0]->Objects[0]->Memo, QStringList{"dopo"});

    report->SetAutoLoad(QString());
    EXPECT_EQ(report->Pages.Count(), 1);
    EXPECT_TRUE(report->Pages[0]->Objects.isEmpty());
}

TEST_F(ReportTest, ClearReportRestoresTheEmptyState)
{
    place(frKind::Memo);
    report->Pages.Add();
    report->TwoPass = true;
    report->UseDefaultPrinter = false;
    report->Variables = {"Cat", " x"};
    report->Values.AddValue("v");
    report->FileName = "a.frf";
    auto *owned = new TfrDataset;
    QPointer<TfrDataset> watch(owned);
    report->AddDataset(owned, true);
    report->ClearReport();
    EXPECT_EQ(report->Pages.Count(), 1);
    EXPECT_TRUE(report->Pages[0]->Objects.isEmpty());
    EXPECT_EQ(report->Pages[0]->PaperSize, 9);
    EXPECT_TRUE(report->UseDefaultPrinter);
    EXPECT_FALSE(report->TwoPass);
    EXPECT_TRUE(report->Variables.isEmpty());
    EXPECT_EQ(report->Values.Count(), 0);
    EXPECT_TRUE(report->FileName.isEmpty());
    EXPECT_EQ(report->DatasetCount(), 0);
    EXPECT_TRUE(watch.isNull());
}

TEST_F(ReportTest, LinkDatasetAndDeleteBand)
{
    place(frKind::Memo, "Testo");
    auto *band = static_cast<TfrBandView *>(place(frKind::Band, "Dati"));
    band->FrameLines = frBand::MasterData;
    band->FormatText = "Vecchio";
    auto *old = new TfrDataset;
    old->setObjectName("Vecchio");
    QPointer<TfrDataset> oldWatch(old);
    report->AddDataset(old, true);
    TfrDataset mine(&form);
    mine.setObjectName("Giorni");

    const auto error = [&](const QString &name) {
        try {
            report->LinkDataset(name, &mine);
        } catch (const Exception &e) {
            return e.message();
        }
        return QString();
    };
    EXPECT_EQ(error("Nessuna"), "Non è stata trovata la banda: Nessuna");
    EXPECT_EQ(error("testo"), "Non si può collegare un frDataset ad un oggetto che non sia una banda.");
    EXPECT_EQ(error("dati"), "");
    EXPECT_EQ(band->FormatText, "Giorni");
    EXPECT_TRUE(oldWatch.isNull());
    EXPECT_EQ(report->FindReportDataset("giorni"), &mine);
    // The linked dataset is only listed: deleting the band drops it without freeing it.
    report->DeleteObject(band);
    EXPECT_EQ(report->DatasetCount(), 0);
    EXPECT_EQ(mine.objectName(), "Giorni");
}

TEST_F(ReportTest, VariableCategories)
{
    report->Variables = {"Persona", " Nome", " Eta", "Diario", " Peso", "Vuota"};
    EXPECT_EQ(report->GetCategoryList(), QStringList({"Persona", "Diario", "Vuota"}));
    EXPECT_EQ(report->GetVarList(0), QStringList({"Nome", "Eta"}));
    EXPECT_EQ(report->GetVarList(1), QStringList({"Peso"}));
    EXPECT_TRUE(report->GetVarList(2).isEmpty());
    EXPECT_EQ(report->FindVariable("Peso"), 4);
    EXPECT_EQ(report->FindVariable("Diario"), -1);
}

TEST_F(ReportTest, DatabaseDatasetOpensAndRestores)
{
    TfrDBDataSet ds;
    // Closed: opened for the walk and closed again.
    ds.SetDataSet(diario);
    ds.Init();
    EXPECT_EQ(ds.ErrorText(), "");
    EXPECT_TRUE(diario->Active());
    EXPECT_TRUE(diario->ControlsDisabled());
    QList<double> seen;
    for (ds.First(); !ds.Eof(); ds.Next()) seen << diario->FieldByName("Peso")->AsFloat();
    EXPECT_EQ(seen, QList<double>({70, 71, 72, 73}));
    EXPECT_EQ(ds.RecordCount, 4);
    ds.Exit();
    EXPECT_FALSE(diario->Active());
    EXPECT_FALSE(diario->ControlsDisabled());

    // Open: returns to the record it was on; rbCurrent/reCurrent walk just that record.
    diario->Open();
    diario->Next();
    diario->Next();
    ds.RangeBegin = rbCurrent;
    ds.RangeEnd = reCurrent;
    ds.Init();
    seen.clear();
    for (ds.First(); !ds.Eof(); ds.Next()) seen << diario->FieldByName("Peso")->AsFloat();
    EXPECT_EQ(seen, QList<double>({72}));
    diario->First();
    ds.Exit();
    EXPECT_TRUE(diario->Active());
    EXPECT_EQ(diario->FieldByName("Peso")->AsFloat(), 72);

    // reCount stops after RangeEndCount records.
    ds.RangeBegin = rbFirst;
    ds.RangeEnd = reCount;
    ds.RangeEndCount = 2;
    ds.Init();
    seen.clear();
    for (ds.First(); !ds.Eof(); ds.Next()) seen << diario->FieldByName("Peso")->AsFloat();
    EXPECT_EQ(seen, QList<double>({70, 71}));
    diario->Close();
    EXPECT_EQ(ds.GetDataSet(), diario);
    EXPECT_EQ(ds.ErrorText(), "Dataset chiuso: Diario");
    ds.Exit();
}

TEST_F(ReportTest, DatabaseDatasetFilterAndErrors)
{
    frSetCurrentReport(report);
    TfrDBDataSet ds;
    ds.SetDataSet(diario);
    ds.Filtered = true;
    ds.Filter = "[Diario.Peso] MOD 2 = 1";
    ds.Init();
    QList<double> seen;
    for (ds.First(); !ds.Eof(); ds.Next()) seen << diario->FieldByName("Peso")->AsFloat();
    EXPECT_EQ(seen, QList<double>({71, 73}));
    // At the end the table still stands on its last record: back one skips 72.
    ds.Prior();
    EXPECT_EQ(diario->FieldByName("Peso")->AsFloat(), 71);
    // Backwards the skipping stops at the beginning, on a rejected record.
    ds.Prior();
    EXPECT_EQ(diario->FieldByName("Peso")->AsFloat(), 70);
    EXPECT_TRUE(diario->Bof());
    ds.Filter = "[Diario.Peso] +";
    try {
        ds.First();
        FAIL();
    } catch (const Exception &e) {
        EXPECT_EQ(e.message(), "Errore nell'espressione del filtro della banda.");
    }
    ds.Exit();

    TfrDBDataSet none;
    none.setObjectName("Orfano");
    EXPECT_EQ(none.GetDataSet(), nullptr);
    EXPECT_EQ(none.ErrorText(), "Dataset non assegnato: Orfano");

    diario->BeforeOpen = [](TDataSet *) { throw EDatabaseError("file mancante"); };
    TfrDBDataSet failing;
    failing.SetDataSet(diario);
    failing.Init();
    EXPECT_EQ(failing.ErrorText(), "Non è stato possibile aprire il Dataset: Diario\r\nfile mancante");
    diario->BeforeOpen = nullptr;
}

TEST(ReportDatasets, UnownedNamesAreUniqueAndEventsDriveTheWalk)
{
    TfrDataset a, b;
    EXPECT_TRUE(a.objectName().startsWith("N"));
    EXPECT_NE(a.objectName(), b.objectName());
    int records = 0;
    a.RangeEnd = reCount;
    a.RangeEndCount = 3;
    a.OnNext = [&](TfrDataset *) { ++records; };
    for (a.First(); !a.Eof(); a.Next()) {
    }
    EXPECT_EQ(records, 3);
    a.RangeEnd = reLast;
    a.OnCheckEOF = [](TfrDataset *d, bool &eof) { eof = d->RecNo >= 5; };
    for (a.First(); !a.Eof(); a.Next()) {
    }
    EXPECT_EQ(a.RecNo, 5);
}

TEST_F(ReportTest, RegistriesAndOwners)
{
    QObject module;
    module.setObjectName("Dati");
    frRegistry::registerOwner(&module, true);
    auto *table = new TMemoryDataSet(&module);
    table->setObjectName("Tabella");
    EXPECT_EQ(frFindOwnedComponent("DATI.tabella"), table);
    EXPECT_EQ(frFindOwnedComponent("FRM_MAIN.diario"), diario);
    EXPECT_EQ(frFindOwnedComponent("Dati"), nullptr);
    EXPECT_EQ(frFindOwnedComponent("Nessuno.Tabella"), nullptr);
    EXPECT_EQ(report->FindDataSet("Dati.Tabella"), table);
    EXPECT_EQ(report->FindDataSet("Diario"), diario);
    frRegistry::unregisterOwner(&module);
    EXPECT_EQ(frFindOwnedComponent("Dati.Tabella"), nullptr);

    frRegistry::clearAddIns();
    for (int i = 0; i < frRegistry::MaxAddIns; ++i)
        EXPECT_TRUE(frRegistry::registerObject({QString("TfrX%1View").arg(i), nullptr, "", {}, ""}));
    EXPECT_FALSE(frRegistry::registerObject({"TfrOneTooMany", nullptr, "", {}, ""}));
    frRegistry::clearAddIns();
}

TEST_F(ReportTest, PreviewShowsTheBuildErrorOrThePages)
{
    int beeps = 0, previews = 0;
    frSetBeep([&] { ++beeps; });
    frRegistry::setPreview([&](TfrReport &) { ++previews; });
    frRegistry::setBuilder([](TfrReport &) {
        frSetBuildError("Errore. rotto");
        return false;
    });
    report->PreviewReport();
    EXPECT_EQ(beeps, 1);
    EXPECT_EQ(previews, 0);
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].endsWith("Si è verificato un errore durante la fase di preparazione\rErrore. rotto"));
    EXPECT_FALSE(frBuildErrorSet());
    frRegistry::setBuilder([](TfrReport &r) {
        r.EMFPages.Add(TfrPreparedPage());
        return true;
    });
    report->PreviewReport();
    EXPECT_EQ(previews, 1);
    EXPECT_EQ(report->EMFPages.Count(), 0);
}
} // namespace
