// The designer's dialogs for the non-text settings: a band's data source, a
// group's condition, a picture, the page options and the page order, the
// report options, the chart's editors, and the entries objects add to the
// context menu. Each dialog is answered through the designer's dialog table;
// where a setting only shows its worth in print, the report is built.

#include "report/chart/frgraphobject.h"
#include "report/chart/frgraphview.h"
#include "tests/report/designer/designertestkit.h"
#include "report/designer/frbanddataform.h"
#include "report/designer/frdesigner.h"
#include "report/designer/frdesignerdialogs.h"
#include "report/designer/frdesignerform.h"
#include "report/designer/frdesignersettings.h"
#include "report/designer/frdesignpage.h"
#include "report/designer/freditorform.h"
#include "report/designer/frexpreditor.h"
#include "report/designer/frfieldsform.h"
#include "report/designer/frgrapheditor.h"
#include "report/designer/frgroupform.h"
#include "report/designer/frpageoptionsform.h"
#include "report/designer/frpagesform.h"
#include "report/designer/frpictureform.h"
#include "report/designer/frreportoptionsform.h"
#include "report/designer/frvarform.h"
#include "report/frbandtypes.h"
#include "report/frbandview.h"
#include "report/frbuildcontext.h"
#include "report/frbuilder.h"
#include "report/frdataset.h"
#include "report/frdbdataset.h"
#include "report/fremfplayer.h"
#include "report/frmemoview.h"
#include "report/frpage.h"
#include "report/frpictureview.h"
#include "report/frprintersettings.h"
#include "report/frregistry.h"
#include "report/frreport.h"
#include "report/frsubreportview.h"

#include "core/formatsettings.h"
#include "tests/data/memorydataset.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QScopeGuard>
#include <QSet>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <memory>

namespace {

TfrBandView *addBand(TfrReport &report, const QString &name, int type, int top, int page = 0)
{
    auto *b = static_cast<TfrBandView *>(report.CreateObject(frKind::Band));
    b->Name = name;
    b->FrameLines = quint16(type);
    b->Top = top;
    b->Width = 700;
    b->Height = 40;
    report.Pages[page]->Add(b);
    return b;
}

TfrMemoView *addMemo(TfrReport &report, const QString &name, int page = 0, int top = 100)
{
    auto *m = static_cast<TfrMemoView *>(report.CreateObject(frKind::Memo));
    m->Name = name;
    m->Left = 100;
    m->Top = top;
    m->Width = 120;
    m->Height = 20;
    m->Memo = QStringList{name};
    report.Pages[page]->Add(m);
    return m;
}

TfrSubReportView *addSubReport(TfrReport &report, const QString &name, int page, int target)
{
    auto *s = static_cast<TfrSubReportView *>(report.CreateObject(frKind::SubReport));
    s->Name = name;
    s->TargetPage = target;
    s->Left = 100;
    s->Top = 300;
    s->Width = 100;
    s->Height = 40;
    report.Pages[page]->Add(s);
    return s;
}

TfrGraphView *addChart(TfrReport &report, const QString &name, int top = 100)
{
    auto *g = static_cast<TfrGraphView *>(report.CreateObject(frKind::AddIn, QStringLiteral("TfrGraphView")));
    g->Name = name;
    g->Left = 20;
    g->Top = top;
    g->Width = 600;
    g->Height = 300;
    report.Pages[0]->Add(g);
    return g;
}

// A prepared page drawn at its own size.
QImage render(const QByteArray &emf)
{
    QImage image(TfrEmfPlayer::pageSize(emf), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    TfrEmfPlayer::play(emf, p, QRectF(QPointF(0, 0), QSizeF(image.size())));
    return image;
}

// Where the page holds anything darker than a light grey.
QRect darkArea(const QImage &image)
{
    QRect area;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 200) area |= QRect(x, y, 1, 1);
    return area;
}

QStringList pageTexts(TfrReport &report)
{
    QStringList out;
    for (int i = 0; i < report.EMFPages.Count(); ++i)
        for (const TfrEmfText &t : TfrEmfPlayer::texts(report.EMFPages[i].Drawing)) out << t.text;
    return out;
}

// An add-in whose editor nobody registered.
class StampView : public TfrView
{
public:
    explicit StampView(TfrReport *report = nullptr) : TfrView(report) { Kind = frKind::AddIn; }
    QString ClassName() const override { return QStringLiteral("TfrStampView"); }
};

// A printer that counts the papers applied to it.
class CountingPrinter : public TfrPrinterDevice
{
public:
    QString name() const override { return QStringLiteral("Laser"); }
    bool applyPaper(int &, int &, int &, int &, TfrPrinterGeometry &g) override
    {
        ++applied;
        g = {794, 1123, 0, 0, 794, 1123};
        return true;
    }
    int applied = 0;
};

struct Shown
{
    QString text, caption;
    bool operator==(const Shown &) const = default;
};

} // namespace

namespace QTest {
template <>
char *toString(const Shown &s)
{
    return qstrdup(qPrintable(QStringLiteral("\"%1\" (%2)").arg(s.text, s.caption)));
}
} // namespace QTest

class TestDialogs : public QObject
{
    Q_OBJECT

    QWidget m_form;                     // the reports' owner, a registered window
    QWidget m_other;
    QObject m_module;                   // a data module
    TMemoryDataSet *m_diario = nullptr;
    TMemoryDataSet *m_intesta = nullptr;
    QTemporaryDir *m_dir = nullptr;
    std::function<int(QDialog &)> m_answer;
    QStringList m_dialogs;              // class of every dialog run, in order
    QList<Shown> m_messages;
    QString m_openPath;
    int m_color = 0;
    QList<int> m_colorsOffered;

    QString path(const QString &name) const { return m_dir->filePath(name); }

    // A JPEG of one flat colour, written as a camera or an editor would.
    QString writeJpeg(const QString &name, QSize size, QColor color)
    {
        QImage image(size, QImage::Format_RGB32);
        image.fill(color);
        const QString file = path(name);
        return image.save(file, "JPG", 95) ? file : QString();
    }

private slots:
    void initTestCase()
    {
        TFormatSettings it;
        QVERIFY(TFormatSettings::forLocale("it_IT", it));
        TFormatSettings::setCurrent(it);
        m_form.setObjectName("frm_main");
        frRegistry::registerOwner(&m_form);
        m_diario = new TMemoryDataSet(&m_form);
        m_diario->setObjectName("Diario");
        m_diario->addColumn("Data", ftDateTime);
        m_diario->addColumn("Peso", ftFloat);
        m_diario->addRow({QVariant(), 70.5});
        // A dataset inside a panel of the window, not one of the window's own.
        auto *panel = new QWidget(&m_form);
        panel->setObjectName("pannello");
        auto *nested = new TMemoryDataSet(panel);
        nested->setObjectName("Annidato");
        nested->addColumn("Nome", ftString, 20);
        m_other.setObjectName("frm_altro");
        frRegistry::registerOwner(&m_other);
        m_intesta = new TMemoryDataSet(&m_other);
        m_intesta->setObjectName("Intesta");
        m_intesta->addColumn("Nome", ftString, 40);
        m_module.setObjectName("dm_dati");
        frRegistry::registerOwner(&m_module, true);
        auto *archive = new TMemoryDataSet(&m_module);
        archive->setObjectName("Archivio");
        archive->addColumn("Nome", ftString, 40);

        QVERIFY(TfrGraphObject::Register());
        TfrDesigner::Register();
        auto stamp = TfrAddInObjectInfo{};
        stamp.ClassName = QStringLiteral("TfrStampView");
        stamp.Create = [](TfrReport *report) -> TfrView * { return new StampView(report); };
        stamp.EditorClassName = QStringLiteral("TStampEditor");
        QVERIFY(frRegistry::registerObject(stamp));
    }

    void cleanupTestCase()
    {
        frRegistry::setDesigner(nullptr);
        frRegistry::unregisterOwner(&m_form);
        frRegistry::unregisterOwner(&m_other);
        frRegistry::unregisterOwner(&m_module);
    }

    void init()
    {
        m_dir = new QTemporaryDir;
        QVERIFY(m_dir->isValid());
        frDesignerSettings::setFileName(path("designer.ini"));
        m_answer = nullptr;
        m_dialogs.clear();
        m_messages.clear();
        m_openPath.clear();
        m_color = 0;
        m_colorsOffered.clear();
        TfrDesignerDialogs &d = frDesignerDialogs();
        d.exec = [this](QDialog &dialog) {
            m_dialogs << QString::fromLatin1(dialog.metaObject()->className());
            return m_answer ? m_answer(dialog) : int(QDialog::Rejected);
        };
        d.message = [this](QWidget *, const QString &text, const QString &caption, TMsgDlgType, TMsgDlgButtons, int) {
            m_messages.append({text, caption});
            return int(mrOk);
        };
        d.openFile = [this](QWidget *, const QString &, const QString &) { return m_openPath; };
        d.chooseColor = [this](QWidget *, int &color) {
            m_colorsOffered << color;
            color = m_color;
            return true;
        };
    }

    void cleanup()
    {
        frResetDesignerDialogs();
        frDesignerSettings::setFileName(QString());
        frRegistry::setBuilder(nullptr);
        if (QTest::currentTestFailed()) m_dir->setAutoRemove(false);
        delete m_dir;
        m_dir = nullptr;
    }

    // ------------------------------------------------------------ band data source

    // Every dataset of every open window and data module, always as owner.dataset.
    void bandSources()
    {
        TfrBandDataForm form(nullptr);
        QCOMPARE(items(form.Sources), (QStringList{"[Nessuno]", "[Sorgente dati virtuale]", "dm_dati.Archivio",
                                                   "frm_altro.Intesta", "frm_main.Diario"}));
    }

    // A source chosen, saved with the template and read back is the same
    // database dataset, and the dialog shows it again.
    void everyListedSourceSurvivesSaving()
    {
        const QStringList sources = items(TfrBandDataForm(nullptr).Sources).mid(2);
        QVERIFY(!sources.isEmpty());
        for (const QString &source : sources) {
            TfrReport report(&m_form);
            report.setObjectName("frReport1");
            TfrBandView *band = addBand(report, "Dati", frBand::MasterData, 100);
            m_answer = [&](QDialog &dialog) {
                static_cast<TfrBandDataForm &>(dialog).Sources->setCurrentText(source);
                return int(QDialog::Accepted);
            };
            QVERIFY(TfrBandDataForm::EditBand(report, *band, nullptr));
            auto *chosen = qobject_cast<TfrDBDataSet *>(report.FindDatasetInTable(band->FormatText));
            QVERIFY2(chosen && chosen->DataSet(), qPrintable(source));

            TfrReport reread(&m_form);
            const TfrLoadResult loaded = reread.LoadTemplateData(report.SaveTemplateData());
            QVERIFY(loaded);
            QVERIFY2(loaded.Messages.isEmpty(), qPrintable(source + ": " + loaded.Messages.value(0).text));
            auto *back = qobject_cast<TfrDBDataSet *>(reread.FindDatasetInTable(band->FormatText));
            QVERIFY2(back, qPrintable(source));
            QCOMPARE(back->DataSet(), chosen->DataSet());

            QString shown;
            m_answer = [&](QDialog &dialog) {
                shown = static_cast<TfrBandDataForm &>(dialog).Sources->currentText();
                return int(QDialog::Rejected);
            };
            TfrBandDataForm::EditBand(report, *band, nullptr);
            QCOMPARE(shown, source);
        }
    }

    // OK replaces the band's entry in the DatasetTable (the old one is freed);
    // "&Annulla" leaves it.
    void bandEdit_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<int>("begin");
        QTest::addColumn<int>("end");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("filter");      // empty: filter off
        QTest::addColumn<bool>("accept");
        QTest::addColumn<int>("expectedBegin");
        QTest::addColumn<int>("expectedEnd");
        QTest::addColumn<QString>("expectedKind"); // "", "virtual", "database"
        QTest::newRow("none clears the name and the entry")
            << "[Nessuno]" << 0 << 0 << 0 << QString() << true << 0 << 0 << QString();
        QTest::newRow("virtual counts from the first")
            << "[Sorgente dati virtuale]" << 0 << 0 << 5 << QString() << true << 0 << 2 << "virtual";
        QTest::newRow("database with range and filter")
            << "frm_main.Diario" << 1 << 2 << 3 << "[Diario.\"Peso\"] > 70" << true << 1 << 2 << "database";
        QTest::newRow("database to its end, unfiltered")
            << "frm_altro.Intesta" << 0 << 0 << 0 << QString() << true << 0 << 0 << "database";
        QTest::newRow("cancelled") << "frm_main.Diario" << 1 << 2 << 3 << QString() << false << 0 << 0 << "old";
    }
    void bandEdit()
    {
        QFETCH(QString, source);
        QFETCH(int, begin);
        QFETCH(int, end);
        QFETCH(int, count);
        QFETCH(QString, filter);
        QFETCH(bool, accept);
        QFETCH(int, expectedBegin);
        QFETCH(int, expectedEnd);
        QFETCH(QString, expectedKind);
        TfrReport report(&m_form);
        report.setObjectName("frReport1");
        TfrBandView *band = addBand(report, "Dati", frBand::MasterData, 100);
        auto *old = new TfrDataset;
        old->setObjectName("Vecchio");
        report.AddDataset(old, true);
        band->FormatText = "Vecchio";
        QPointer<TfrDataset> watch(old);

        m_answer = [&](QDialog &dialog) {
            auto &form = static_cast<TfrBandDataForm &>(dialog);
            form.Sources->setCurrentText(source);
            // As a user can: the range only where its boxes are open.
            if (form.RangeBegin->isEnabled()) {
                form.RangeBegin->setCurrentIndex(begin);
                form.RangeEnd->setCurrentIndex(end);
            }
            form.Count->setValue(count);
            form.FilterOn->setChecked(!filter.isEmpty());
            form.Filter->setText(filter);
            return int(accept ? QDialog::Accepted : QDialog::Rejected);
        };
        QCOMPARE(TfrBandDataForm::EditBand(report, *band, nullptr), accept);
        QCOMPARE(m_dialogs, QStringList{"TfrBandDataForm"});

        if (expectedKind == "old") {
            QCOMPARE(band->FormatText, QString("Vecchio"));
            QCOMPARE(report.FindDatasetInTable("Vecchio"), old);
            QCOMPARE(report.DatasetCount(), 1);
            return;
        }
        QVERIFY(watch.isNull());
        QVERIFY(!report.FindDatasetInTable("Vecchio"));
        if (expectedKind.isEmpty()) {
            QCOMPARE(band->FormatText, QString());
            QCOMPARE(report.DatasetCount(), 0);
            return;
        }
        QCOMPARE(band->FormatText, QString("frReport1_Dati_DataSet"));
        QCOMPARE(report.DatasetCount(), 1);
        TfrDataset *made = report.FindDatasetInTable(band->FormatText);
        QVERIFY(made);
        QCOMPARE(made->objectName(), band->FormatText);
        QCOMPARE(int(made->RangeBegin), expectedBegin);
        QCOMPARE(int(made->RangeEnd), expectedEnd);
        QCOMPARE(made->RangeEndCount, count);
        auto *db = qobject_cast<TfrDBDataSet *>(made);
        QCOMPARE(db != nullptr, expectedKind == "database");
        if (db) {
            QCOMPARE(static_cast<QObject *>(db->DataSet()), frFindOwnedComponent(source));
            QCOMPARE(db->Filtered, !filter.isEmpty());
            QCOMPARE(db->Filter, filter);
        }
        // Without a report the name is the band's, its left edge and "_DataSet".
        band->Left = 12;
        QCOMPARE(TfrBandDataForm::DatasetName(nullptr, *band), QString("Dati_12_DataSet"));
    }

    // Which boxes a source leaves open. The range is set to "Elemento
    // corrente" both ways before the source is chosen.
    void bandEnabling_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<bool>("range");
        QTest::addColumn<bool>("count");
        QTest::addColumn<bool>("filter");
        QTest::addColumn<int>("begin");
        QTest::addColumn<int>("end");
        QTest::newRow("none") << "[Nessuno]" << false << false << false << 1 << 1;
        QTest::newRow("virtual: fixed range, counted") << "[Sorgente dati virtuale]" << false << true << false << 0 << 2;
        QTest::newRow("database") << "frm_main.Diario" << true << false << true << 1 << 1;
    }
    void bandEnabling()
    {
        QFETCH(QString, source);
        QFETCH(bool, range);
        QFETCH(bool, count);
        QFETCH(bool, filter);
        QFETCH(int, begin);
        QFETCH(int, end);
        TfrBandDataForm form(nullptr);
        form.Sources->setCurrentText("frm_main.Diario");
        form.RangeBegin->setCurrentIndex(1);
        form.RangeEnd->setCurrentIndex(1);
        form.Sources->setCurrentText(source);
        QCOMPARE(form.RangeBegin->isEnabled(), range);
        QCOMPARE(form.RangeEnd->isEnabled(), range);
        QCOMPARE(form.Count->isEnabled(), count);
        QCOMPARE(form.FilterOn->isEnabled(), filter);
        QCOMPARE(form.RangeBegin->currentIndex(), begin);
        QCOMPARE(form.RangeEnd->currentIndex(), end);
        // The filter text follows its box, the count "Elementi contati".
        QVERIFY(!form.Filter->isEnabled());
        form.FilterOn->setChecked(true);
        QCOMPARE(form.Filter->isEnabled(), filter);
        if (range) {
            form.RangeEnd->setCurrentIndex(2);
            QVERIFY(form.Count->isEnabled());
        }
    }

    // Opening shows the band's dataset wherever the build would find it, the
    // information button names it, and OK without a change keeps the band on
    // the same data.
    void bandLoad_data()
    {
        QTest::addColumn<QString>("held");          // "", "table", "virtual", "owner"
        QTest::addColumn<QString>("source");
        QTest::addColumn<int>("begin");
        QTest::addColumn<int>("end");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("info");
        QTest::newRow("none") << "" << "[Nessuno]" << 0 << 0 << 0 << QString()
                              << "Non è stato assegnato nessun frDataset";
        QTest::newRow("database in the table")
            << "table" << "frm_main.Diario" << 1 << 2 << 4 << "[Diario.\"Peso\"] > 70"
            << "Il nome del frDataset corrente è: DiarioDS";
        QTest::newRow("virtual in the table") << "virtual" << "[Sorgente dati virtuale]" << 0 << 2 << 7 << QString()
                                              << "Il nome del frDataset corrente è: DiarioDS";
        QTest::newRow("database the window holds, was shown as none and dropped on OK")
            << "owner" << "frm_main.Diario" << 0 << 2 << 4 << "[Diario.\"Peso\"] > 70"
            << "Il nome del frDataset corrente è: DiarioDS";
    }
    void bandLoad()
    {
        QFETCH(QString, held);
        QFETCH(QString, source);
        QFETCH(int, begin);
        QFETCH(int, end);
        QFETCH(int, count);
        QFETCH(QString, filter);
        QFETCH(QString, info);
        TfrReport report(&m_form);
        report.setObjectName("frReport1");
        TfrBandView *band = addBand(report, "Dati", frBand::MasterData, 100);
        std::unique_ptr<TfrDataset> ownedByWindow;
        if (!held.isEmpty()) {
            TfrDataset *ds = nullptr;
            if (held == "virtual") {
                ds = new TfrDataset;
            } else {
                auto *db = new TfrDBDataSet(held == "owner" ? &m_form : nullptr);
                db->SetDataSet(m_diario);
                db->Filtered = !filter.isEmpty();
                db->Filter = filter;
                ds = db;
            }
            ds->setObjectName("DiarioDS");
            ds->RangeBegin = TRangeBegin(begin);
            ds->RangeEnd = TRangeEnd(end);
            ds->RangeEndCount = count;
            if (held == "owner") ownedByWindow.reset(ds);
            else report.AddDataset(ds, true);
            band->FormatText = "DiarioDS";
        }

        m_answer = [&](QDialog &dialog) {
            auto &form = static_cast<TfrBandDataForm &>(dialog);
            [&] {
                QCOMPARE(form.Sources->currentText(), source);
                QCOMPARE(form.RangeBegin->currentIndex(), begin);
                QCOMPARE(form.RangeEnd->currentIndex(), end);
                QCOMPARE(form.Count->value(), count);
                QCOMPARE(form.FilterOn->isChecked(), !filter.isEmpty());
                QCOMPARE(form.Filter->text(), filter);
            }();
            form.InfoButton->click();
            return int(QDialog::Accepted);
        };
        QPointer<TfrDataset> windowHeld(ownedByWindow.get());
        QVERIFY(TfrBandDataForm::EditBand(report, *band, nullptr));
        // The window's own dataset is the window's to free.
        if (ownedByWindow && windowHeld.isNull()) {
            (void)ownedByWindow.release();
            QFAIL("the window's own dataset was freed");
        }
        if (QTest::currentTestFailed()) return;
        QCOMPARE(m_messages, (QList<Shown>{{info, "Informazioni"}}));

        TfrDataset *now = band->FormatText.isEmpty() ? nullptr : report.FindReportDataset(band->FormatText);
        QCOMPARE(now != nullptr, !held.isEmpty());
        if (!now) return;
        QCOMPARE(int(now->RangeBegin), begin);
        QCOMPARE(int(now->RangeEnd), end);
        QCOMPARE(now->RangeEndCount, count);
        auto *db = qobject_cast<TfrDBDataSet *>(now);
        QCOMPARE(db != nullptr, held != "virtual");
        if (db) {
            QCOMPARE(db->DataSet(), m_diario);
            QCOMPARE(db->Filter, filter);
        }
    }

    // Through the designer: one undo step, and undo brings the old entry back.
    void bandEditUndo()
    {
        TfrReport report(&m_form);
        report.setObjectName("frReport1");
        TfrBandView *band = addBand(report, "Dati", frBand::MasterData, 100);
        auto *old = new TfrDataset;
        old->setObjectName("Vecchio");
        old->RangeEnd = reCount;
        old->RangeEndCount = 3;
        report.AddDataset(old, true);
        band->FormatText = "Vecchio";
        TFRDesignerForm form(report);
        form.SelectOnly(band);
        m_answer = [](QDialog &dialog) {
            static_cast<TfrBandDataForm &>(dialog).Sources->setCurrentText("frm_main.Diario");
            return int(QDialog::Accepted);
        };
        form.EditSelected();
        QCOMPARE(form.History().count(), 2);
        QCOMPARE(report.FindObject("Dati")->FormatText, QString("frReport1_Dati_DataSet"));
        form.Undo();
        QCOMPARE(report.FindObject("Dati")->FormatText, QString("Vecchio"));
        QVERIFY(!report.FindDatasetInTable("frReport1_Dati_DataSet"));
        TfrDataset *back = report.FindDatasetInTable("Vecchio");
        QVERIFY(back);
        QCOMPARE(back->RangeEndCount, 3);
    }

    // ------------------------------------------------------------ editors by kind

    void editorForKind_data()
    {
        QTest::addColumn<QString>("object");
        QTest::addColumn<QString>("dialog");        // empty: none
        QTest::newRow("text") << "memo" << "TEditorForm";
        QTest::newRow("picture") << "picture" << "TfrPictureForm";
        QTest::newRow("master data band") << "band5" << "TfrBandDataForm";
        QTest::newRow("cross data band") << "band19" << "TfrBandDataForm";
        QTest::newRow("group header") << "band16" << "TfrGroupForm";
        QTest::newRow("page header: none") << "band2" << "";
        QTest::newRow("subreport: its page") << "subreport" << "";
        QTest::newRow("chart: its registered editor") << "chart" << "TFrGraphEditor";
        QTest::newRow("add-in without an editor: the text editor") << "stamp" << "TEditorForm";
    }
    void editorForKind()
    {
        QFETCH(QString, object);
        QFETCH(QString, dialog);
        TfrReport report(&m_form);
        report.Pages.Add();
        TfrView *v = nullptr;
        if (object == "memo") v = addMemo(report, "Testo");
        else if (object == "picture") v = report.CreateObject(frKind::Picture);
        else if (object.startsWith("band")) v = addBand(report, "Banda", object.mid(4).toInt(), 100);
        else if (object == "subreport") v = addSubReport(report, "Sotto", 0, 1);
        else if (object == "chart") v = addChart(report, "Grafico");
        else v = report.CreateObject(frKind::AddIn, "TfrStampView");
        QVERIFY(v);
        if (!report.Pages[0]->Objects.contains(v)) {
            v->Width = v->Height = 40;
            report.Pages[0]->Add(v);
        }
        TFRDesignerForm form(report);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.SelectOnly(v);
        const bool editable = !dialog.isEmpty() || object == "subreport";
        QCOMPARE(form.Action("Modifica...")->isEnabled(), editable);
        QTest::keyClick(form.PageView, Qt::Key_Return);
        QCOMPARE(m_dialogs, dialog.isEmpty() ? QStringList() : QStringList{dialog});
        QCOMPARE(form.CurPage(), object == "subreport" ? 1 : 0);
        QCOMPARE(form.History().count(), 1);
    }

    // ------------------------------------------------------------ group

    // Helpers insert at the caret without brackets; the clipboard is the user's.
    void groupCondition()
    {
        QApplication::clipboard()->setText("what the user copied");
        TFieldsForm::LastSource().clear();
        TfrReport report(&m_form);
        report.Variables = QStringList{"Misure", " Media", "Altro", " Nota"};
        TfrBandView *band = addBand(report, "Gruppo", frBand::GroupHeader, 100);
        band->FormatText = "X";
        TFRDesignerForm form(report);
        form.SelectOnly(band);
        QString shown;
        m_answer = [&](QDialog &dialog) {
            if (auto *group = qobject_cast<TfrGroupForm *>(&dialog)) {
                shown = group->Condition->text();
                group->Condition->setCursorPosition(0);
                group->VarButton->click();
                group->Condition->end(false);
                group->FieldButton->click();
                group->Condition->setCursorPosition(4);
                group->ExprButton->click();
                return int(QDialog::Accepted);
            }
            if (auto *vars = qobject_cast<TVarForm *>(&dialog)) {
                vars->Categories->setCurrentText("Altro");
                clickEntry(vars->Variables, "Nota");
                return vars->result();
            }
            if (auto *fields = qobject_cast<TFieldsForm *>(&dialog)) {
                fields->Sources->setCurrentText("Diario");
                clickEntry(fields->Fields, "Peso");
                return fields->result();
            }
            if (auto *expr = qobject_cast<TExprEditor *>(&dialog)) {
                expr->ConstType->setCurrentText("Numerica");
                expr->ConstEdit->setText("2");
                expr->ConstAdd->click();
                return int(QDialog::Accepted);
            }
            return int(QDialog::Rejected);
        };
        form.EditSelected();
        QCOMPARE(shown, QString("X"));
        QCOMPARE(m_dialogs, (QStringList{"TfrGroupForm", "TVarForm", "TFieldsForm", "TExprEditor"}));
        QCOMPARE(band->FormatText, QString("Nota2XDiario.\"Peso\""));
        QCOMPARE(QApplication::clipboard()->text(), QString("what the user copied"));
        QCOMPARE(form.History().count(), 2);

        m_answer = [](QDialog &dialog) {
            if (auto *group = qobject_cast<TfrGroupForm *>(&dialog)) group->Condition->setText("altro");
            return int(QDialog::Rejected);
        };
        form.EditSelected();
        QCOMPARE(band->FormatText, QString("Nota2XDiario.\"Peso\""));
        QCOMPARE(form.History().count(), 2);
    }

    // ------------------------------------------------------------ picture

    // A JPEG loaded in the dialog is what the built page shows; emptied, the
    // page shows nothing there.
    void picturePrinted()
    {
        const QString jpeg = writeJpeg("foto.jpg", {60, 40}, QColor(20, 40, 160));
        QVERIFY(!jpeg.isEmpty());
        TfrReport report(&m_form);
        report.setObjectName("frReport1");
        report.Pages[0]->ChangePaper(9, 0, 0, 0);
        addBand(report, "Titolo", frBand::ReportTitle, 20)->Height = 80;
        auto *picture = static_cast<TfrPictureView *>(report.CreateObject(frKind::Picture));
        picture->Left = 100;
        picture->Top = 30;
        picture->Width = 60;
        picture->Height = 40;
        report.Pages[0]->Add(picture);

        TFRDesignerForm form(report);
        form.SelectOnly(picture);
        m_openPath = jpeg;
        bool previewed = false;
        m_answer = [&](QDialog &dialog) {
            auto &pictureForm = static_cast<TfrPictureForm &>(dialog);
            pictureForm.LoadButton->click();
            previewed = !pictureForm.Image->pixmap().isNull();
            return int(QDialog::Accepted);
        };
        form.EditSelected();
        QVERIFY(m_messages.isEmpty());
        QVERIFY(previewed);
        QCOMPARE(int(picture->GraphicKind), int(TfrCustomPictureView::Jpeg));
        QCOMPARE(picture->Graphic, readFile(jpeg));
        QCOMPARE(form.History().count(), 2);

        frBuilder::install();
        QVERIFY(report.BuildReport());
        QCOMPARE(report.EMFPages.Count(), 1);
        QImage page = render(report.EMFPages[0].Drawing);
        const QRect area = darkArea(page);
        QCOMPARE(area.size(), QSize(60, 40));
        const QColor middle = page.pixelColor(area.center());
        QVERIFY2(qAbs(middle.red() - 20) < 12 && qAbs(middle.green() - 40) < 12 && qAbs(middle.blue() - 160) < 12,
                 qPrintable(middle.name()));

        m_answer = [](QDialog &dialog) {
            static_cast<TfrPictureForm &>(dialog).ClearButton->click();
            return int(QDialog::Accepted);
        };
        form.EditSelected();
        QCOMPARE(int(picture->GraphicKind), int(TfrCustomPictureView::NoGraphic));
        QVERIFY(picture->Graphic.isEmpty());
        QVERIFY(report.BuildReport());
        page = render(report.EMFPages[0].Drawing);
        QCOMPARE(darkArea(page), QRect());
    }

    // A file the engine cannot show is refused with its reason, and the
    // picture stays as it was; a metafile another program wrote is taken.
    void pictureFiles_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("bytes");     // written to the file unless null
        QTest::addColumn<QString>("message");      // %1: the path; empty: taken
        QTest::addColumn<int>("kind");
        QTest::newRow("garbage") << "rotto.jpg" << QByteArray("this is no picture at all, only words")
                                 << "Formato immagine sconosciuto." << int(TfrCustomPictureView::Jpeg);
        QTest::newRow("a JPEG header with nothing after it")
            << "troncato.jpg" << QByteArray("\xFF\xD8\xFF\xE0\x00\x10JFIF\x00", 11)
            << "Il programma non sa mostrare questa immagine: il file '%1' non è stato caricato."
            << int(TfrCustomPictureView::Jpeg);
        QTest::newRow("missing") << "mancante.jpg" << QByteArray()
                                 << "Impossibile aprire il file '%1': No such file or directory"
                                 << int(TfrCustomPictureView::Jpeg);
#ifdef TONALBA_TESTDATA
        // A metafile another program wrote (the outside test files, where the checkout has them).
        QTest::newRow("enhanced metafile") << TONALBA_TESTDATA "/emf/good/test-001.emf" << QByteArray() << QString()
                                           << int(TfrCustomPictureView::Metafile);
#endif
    }
    void pictureFiles()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        QFETCH(int, kind);
        const QString jpeg = writeJpeg("prima.jpg", {8, 8}, Qt::red);
        TfrPictureForm form;
        QVERIFY(form.LoadFile(jpeg));
        const QByteArray before = form.Graphic;
        const QString target = QFileInfo(file).isAbsolute() ? file : path(file);
        if (!bytes.isNull()) QVERIFY(writeFile(target, bytes));
        if (message.isEmpty()) QVERIFY2(QFile::exists(target), qPrintable(target));
        m_openPath = target;
        form.LoadButton->click();
        if (message.isEmpty()) {
            QCOMPARE(m_messages, QList<Shown>());
            QCOMPARE(form.Kind, kind);
            QCOMPARE(form.Graphic, readFile(target));
            QVERIFY(!form.Image->pixmap().isNull());
            return;
        }
        QCOMPARE(m_messages, (QList<Shown>{{message.contains("%1") ? message.arg(target) : message, "Errore"}}));
        QCOMPARE(form.Kind, kind);
        QCOMPARE(form.Graphic, before);
    }

    // ------------------------------------------------------------ page options

    // A value that is not a number keeps the dialog open on its tab, says so
    // and changes nothing; a field that does not count is not read.
    void pageOptionsRefused_data()
    {
        QTest::addColumn<int>("field");        // 0 width, 1 height, 2-5 margins, 6 gap
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("custom");
        QTest::addColumn<bool>("unused");      // "Non usati"
        QTest::addColumn<bool>("refused");
        QTest::addColumn<int>("tab");
        QTest::newRow("left margin abc") << 2 << "abc" << false << false << true << 1;
        QTest::newRow("bottom margin negative") << 5 << "-3" << false << false << true << 1;
        QTest::newRow("top margin with letters after the number") << 3 << "12abc" << false << false << true << 1;
        QTest::newRow("column gap abc") << 6 << "abc" << false << false << true << 2;
        QTest::newRow("custom width abc") << 0 << "abc" << true << false << true << 0;
        QTest::newRow("A4 width abc, not used") << 0 << "abc" << false << false << false << 0;
        QTest::newRow("margin abc, margins not used") << 2 << "abc" << false << true << false << 0;
    }
    void pageOptionsRefused()
    {
        QFETCH(int, field);
        QFETCH(QString, typed);
        QFETCH(bool, custom);
        QFETCH(bool, unused);
        QFETCH(bool, refused);
        QFETCH(int, tab);
        TfrReport report;
        TfrPage &page = *report.Pages[0];
        page.ChangePaper(9, 0, 0, 0);
        const QByteArray before = report.SaveTemplateData();
        TfrPageOptionsForm form;
        form.Load(page);
        if (custom) form.Paper->setCurrentIndex(form.Paper->findData(256));
        form.NoMargins->setChecked(unused);
        QLineEdit *edits[] = {form.PaperWidth, form.PaperHeight, form.Margins[0], form.Margins[1],
                              form.Margins[2], form.Margins[3], form.ColumnGap};
        edits[field]->setText(typed);
        form.accept();
        QCOMPARE(form.result() == QDialog::Accepted, !refused);
        if (!refused) {
            QCOMPARE(m_messages, QList<Shown>());
            QVERIFY(form.Store(page));
            QCOMPARE(page.Margins[0], 38);
            QCOMPARE(page.PaperWidth, 2100);
            return;
        }
        QCOMPARE(m_messages, (QList<Shown>{{"Il valore inserito non è valido.", "Errore"}}));
        QCOMPARE(form.Tabs->currentIndex(), tab);
        QVERIFY(!form.Store(page));
        QCOMPARE(report.SaveTemplateData(), before);
    }

    // Millimetres on screen, pixels in the page: a value left as shown is
    // kept to the pixel.
    void pageOptionsMargins_data()
    {
        QTest::addColumn<int>("pixels");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("typed");     // null: untouched
        QTest::addColumn<int>("stored");
        QTest::newRow("untouched 37 stays, not 38") << 37 << "10" << QString() << 37;
        QTest::newRow("20 mm") << 37 << "10" << "20" << 76;
        QTest::newRow("20,5 mm") << 37 << "10" << "20,5" << 78;
        QTest::newRow("retyped as shown stays") << 37 << "10" << "10" << 37;
        QTest::newRow("zero") << 57 << "15" << "0" << 0;
    }
    void pageOptionsMargins()
    {
        QFETCH(int, pixels);
        QFETCH(QString, shown);
        QFETCH(QString, typed);
        QFETCH(int, stored);
        TfrReport report;
        TfrPage &page = *report.Pages[0];
        page.Margins[1] = pixels;
        TfrPageOptionsForm form;
        form.Load(page);
        QCOMPARE(form.Margins[1]->text(), shown);
        if (!typed.isNull()) form.Margins[1]->setText(typed);
        QVERIFY(form.Store(page));
        QCOMPARE(page.Margins[1], stored);
    }

    void pageOptionsStore()
    {
        TfrReport report;
        TfrPage &page = *report.Pages[0];
        page.ChangePaper(9, 0, 0, 0);
        TfrPageOptionsForm form;
        form.Load(page);
        QVERIFY(form.Portrait->isChecked());
        QCOMPARE(form.Paper->currentData().toInt(), 9);
        QCOMPARE(form.PaperWidth->text(), QString("210"));
        QVERIFY(!form.PaperWidth->isEnabled());
        QVERIFY(!form.PaperHeight->isEnabled());
        form.Paper->setCurrentIndex(form.Paper->findData(256));
        QVERIFY(form.PaperWidth->isEnabled());
        QVERIFY(form.PaperHeight->isEnabled());
        form.PaperWidth->setText("150");
        form.PaperHeight->setText("200");
        for (QLineEdit *m : form.Margins) QVERIFY(m->isEnabled());
        form.NoMargins->setChecked(true);
        for (QLineEdit *m : form.Margins) QVERIFY(!m->isEnabled());
        form.Columns->setValue(2);
        form.ColumnGap->setText("5");
        form.PrintToPrevPage->setChecked(true);
        form.TitleOnFirst->setChecked(false);
        form.RepeatHeader->setChecked(true);
        form.ScaleX->setValue(80);
        QVERIFY(form.Store(page));
        QCOMPARE(page.PaperSize, 256);
        QCOMPARE(page.PaperWidth, 1500);
        QCOMPARE(page.PaperHeight, 2000);
        QVERIFY(!page.UseMargins);
        QCOMPARE(page.Margins[0], 38);
        QCOMPARE(page.ColumnCount, 2);
        QCOMPARE(page.ColumnGap, 19);
        QVERIFY(page.ContinueOnPreviousPage);
        QVERIFY(!page.HeaderOnFirstPage);
        QVERIFY(page.FooterOnLastPage);
        QVERIFY(page.RepeatTableHeader);
        QCOMPARE(page.ScaleX, 80);
        QCOMPARE(page.ScaleY, 100);
        QCOMPARE(page.PrnInfo.pageWidth, 567);

        // Landscape on A4 turns the sheet; reopened, the dialog shows it so.
        TfrPageOptionsForm again;
        again.Load(page);
        QVERIFY(again.NoMargins->isChecked());
        QCOMPARE(again.ColumnGap->text(), QString("5"));
        again.Paper->setCurrentIndex(again.Paper->findData(9));
        again.Landscape->setChecked(true);
        QVERIFY(again.Store(page));
        QCOMPARE(page.PaperSize, 9);
        QCOMPARE(page.Orientation, 1);
        QCOMPARE(page.PrnInfo.pageWidth, 1123);
        QCOMPARE(page.PrnInfo.pageHeight, 794);
        QCOMPARE(page.ColumnGap, 19);
        TfrPageOptionsForm third;
        third.Load(page);
        QVERIFY(third.Landscape->isChecked());
    }

    // Through the designer: the surface and rulers take the new paper, one
    // undo step puts the old one back.
    void pageOptionsInDesigner()
    {
        TfrReport report;
        report.Pages[0]->ChangePaper(9, 0, 0, 0);
        TFRDesignerForm form(report);
        const QSize portrait = form.PageView->paperSize();
        QVERIFY(portrait.height() > portrait.width());
        m_answer = [](QDialog &dialog) {
            static_cast<TfrPageOptionsForm &>(dialog).Landscape->setChecked(true);
            return int(QDialog::Accepted);
        };
        form.Action("Opzioni pagina")->trigger();
        QCOMPARE(m_dialogs, QStringList{"TfrPageOptionsForm"});
        QCOMPARE(form.PageView->paperSize(), portrait.transposed());
        QCOMPARE(form.History().count(), 2);
        form.Undo();
        QCOMPARE(report.Pages[0]->Orientation, 0);
        QCOMPARE(form.PageView->paperSize(), portrait);
    }

    // ------------------------------------------------------------ page list

    // The third entry dragged to the top: that page comes first with its
    // objects, and the subreports point at their pages' new places.
    void pageList_data()
    {
        QTest::addColumn<bool>("accept");
        QTest::newRow("OK") << true;
        QTest::newRow("Annulla") << false;
    }
    void pageList()
    {
        QFETCH(bool, accept);
        TfrReport report;
        report.Pages.Add();
        report.Pages.Add();
        for (int p = 0; p < 3; ++p) addMemo(report, QString("P%1").arg(p + 1), p);
        addSubReport(report, "AllaTerza", 0, 2);
        addSubReport(report, "AllaPrima", 1, 0);
        const TfrPage *third = report.Pages[2];
        TFRDesignerForm form(report);
        QStringList listed;
        m_answer = [&](QDialog &dialog) {
            auto &pages = static_cast<TfrPagesForm &>(dialog);
            listed = items(pages.Pages);
            pages.Pages->insertItem(0, pages.Pages->takeItem(2));
            return int(accept ? QDialog::Accepted : QDialog::Rejected);
        };
        form.Action("Gestione pagine")->trigger();
        QCOMPARE(listed, (QStringList{"Pagina 1", "Pagina 2", "Pagina 3"}));
        if (!accept) {
            QCOMPARE(names(report, 0), (QStringList{"P1", "AllaTerza"}));
            QCOMPARE(form.History().count(), 1);
            return;
        }
        QCOMPARE(report.Pages[0], third);
        QCOMPARE(names(report, 0), QStringList{"P3"});
        QCOMPARE(names(report, 1), (QStringList{"P1", "AllaTerza"}));
        QCOMPARE(names(report, 2), (QStringList{"P2", "AllaPrima"}));
        QCOMPARE(static_cast<TfrSubReportView *>(report.FindObject("AllaTerza"))->TargetPage, 0);
        QCOMPARE(static_cast<TfrSubReportView *>(report.FindObject("AllaPrima"))->TargetPage, 1);
        QCOMPARE(form.PageTabs->tabText(0), QString("Pagina 1"));
        QCOMPARE(form.History().count(), 2);
        // The page shown is the one that was shown, at its new place.
        QCOMPARE(form.CurPage(), 1);
        QCOMPARE(form.Page(), report.Pages[1]);

        form.Undo();
        QCOMPARE(names(report, 0), (QStringList{"P1", "AllaTerza"}));
        QCOMPARE(names(report, 2), QStringList{"P3"});
        QCOMPARE(static_cast<TfrSubReportView *>(report.FindObject("AllaTerza"))->TargetPage, 2);
    }

    // Only a permutation of the pages is taken.
    void movePages_data()
    {
        QTest::addColumn<QList<int>>("order");
        QTest::addColumn<bool>("taken");
        QTest::addColumn<QList<int>>("targets");     // of the subreports to pages 0, 1, 2 and to no page
        QTest::newRow("third first") << QList<int>{2, 0, 1} << true << QList<int>{1, 2, 0, 7};
        QTest::newRow("reversed") << QList<int>{2, 1, 0} << true << QList<int>{2, 1, 0, 7};
        QTest::newRow("unchanged") << QList<int>{0, 1, 2} << true << QList<int>{0, 1, 2, 7};
        QTest::newRow("a page twice") << QList<int>{0, 0, 1} << false << QList<int>{0, 1, 2, 7};
        QTest::newRow("one short") << QList<int>{1, 0} << false << QList<int>{0, 1, 2, 7};
        QTest::newRow("no such page") << QList<int>{0, 1, 3} << false << QList<int>{0, 1, 2, 7};
        QTest::newRow("negative") << QList<int>{-1, 1, 2} << false << QList<int>{0, 1, 2, 7};
    }
    void movePages()
    {
        QFETCH(QList<int>, order);
        QFETCH(bool, taken);
        QFETCH(QList<int>, targets);
        TfrReport report;
        report.Pages.Add();
        report.Pages.Add();
        const QList<int> first = {0, 1, 2, 7};
        QList<TfrSubReportView *> subs;
        for (int i = 0; i < first.size(); ++i) subs << addSubReport(report, QString("S%1").arg(i), 0, first[i]);
        QList<const TfrPage *> before;
        for (int p = 0; p < 3; ++p) before << report.Pages[p];
        QCOMPARE(report.MovePages(order), taken);
        for (int p = 0; p < 3; ++p) QCOMPARE(report.Pages[p], before[taken ? order[p] : p]);
        QList<int> now;
        for (const TfrSubReportView *s : subs) now << s->TargetPage;
        QCOMPARE(now, targets);
        // Each subreport still names the page it named.
        if (taken)
            for (int i = 0; i < 3; ++i) QCOMPARE(report.Pages[subs[i]->TargetPage], before[i]);
    }

    // ------------------------------------------------------------ report options

    void reportOptionsLinks()
    {
        TfrReport report;
        TfrReportOptionsForm form;
        form.Load(report);
        QVERIFY(!form.NumberInterleaved->isEnabled());
        form.Interleave->setChecked(true);
        QVERIFY(form.NumberInterleaved->isEnabled());
        QVERIFY(!form.TwoPass->isChecked());
        form.NumberInterleaved->setChecked(true);
        QVERIFY(form.TwoPass->isChecked());
        QVERIFY(!form.TwoPass->isEnabled());
        form.Interleave->setChecked(false);
        QVERIFY(!form.NumberInterleaved->isChecked());
        QVERIFY(!form.NumberInterleaved->isEnabled());
        QVERIFY(form.TwoPass->isEnabled());
        QVERIFY(form.TwoPass->isChecked());
    }

    void reportOptionsStore_data()
    {
        QTest::addColumn<bool>("twoPass");
        QTest::addColumn<bool>("interleave");
        QTest::addColumn<bool>("numbered");
        QTest::addColumn<bool>("storedTwoPass");
        QTest::newRow("nothing") << false << false << false << false;
        QTest::newRow("two passes") << true << false << false << true;
        QTest::newRow("interleaved") << false << true << false << false;
        QTest::newRow("renumbered") << true << true << true << true;
        QTest::newRow("renumbered, two passes cleared behind it") << false << true << true << true;
    }
    void reportOptionsStore()
    {
        QFETCH(bool, twoPass);
        QFETCH(bool, interleave);
        QFETCH(bool, numbered);
        QFETCH(bool, storedTwoPass);
        TfrReport report;
        report.TwoPass = report.InterleavePages = report.NumberInterleaved = true;
        TfrReportOptionsForm form;
        form.Load(report);
        QVERIFY(form.TwoPass->isChecked() && form.Interleave->isChecked() && form.NumberInterleaved->isChecked());
        form.Interleave->setChecked(interleave);
        form.NumberInterleaved->setChecked(numbered);
        form.TwoPass->setChecked(twoPass);
        form.Store(report);
        QCOMPARE(report.TwoPass, storedTwoPass);
        QCOMPARE(report.InterleavePages, interleave);
        QCOMPARE(report.NumberInterleaved, numbered);
    }

    // The report's printer changes only when another one is chosen.
    void reportOptionsPrinter()
    {
        auto laser = std::make_shared<CountingPrinter>();
        TPrinterSettings::setDevices({laser});
        const auto restore = qScopeGuard([] { TPrinterSettings::setDevices({}); });
        TfrReport report;
        {
            TfrReportOptionsForm form;
            form.Load(report);
            QCOMPARE(items(form.Printers), (QStringList{"Laser", "Stampante predefinita"}));
            QCOMPARE(form.Printers->currentRow(), 1);
            QVERIFY(!form.OwnPrinter->isChecked());
            form.OwnPrinter->setChecked(true);
            form.Store(report);
            QCOMPARE(laser->applied, 0);
            QVERIFY(!report.UseDefaultPrinter);
            QCOMPARE(report.Context().Printer.PrinterIndex(), 1);
        }
        TfrReportOptionsForm form;
        form.Load(report);
        QVERIFY(form.OwnPrinter->isChecked());
        form.Printers->setCurrentRow(0);
        form.Store(report);
        QCOMPARE(report.Context().Printer.PrinterIndex(), 0);
        QCOMPARE(laser->applied, 1);
    }

    void reportOptionsInDesigner()
    {
        TfrReport report;
        TFRDesignerForm form(report);
        m_answer = [](QDialog &dialog) {
            auto &options = static_cast<TfrReportOptionsForm &>(dialog);
            options.Interleave->setChecked(true);
            options.NumberInterleaved->setChecked(true);
            return int(QDialog::Accepted);
        };
        form.Action("Opzioni report...")->trigger();
        QCOMPARE(m_dialogs, QStringList{"TfrReportOptionsForm"});
        QVERIFY(report.TwoPass && report.InterleavePages && report.NumberInterleaved);
        QCOMPARE(form.History().count(), 2);
    }

    // ------------------------------------------------------------ chart

    // The source is chosen on a copy: only the editor's OK changes the
    // DatasetTable, and then the copy replaces the chart's old entry.
    void chartSource_data()
    {
        QTest::addColumn<QString>("source");     // empty: the source dialog cancelled
        QTest::addColumn<bool>("accept");         // the chart editor's answer
        QTest::addColumn<QString>("formatText");
        QTest::newRow("another window's table, Annulla") << "frm_altro.Intesta" << false << "GraficoDS";
        QTest::newRow("another window's table, OK") << "frm_altro.Intesta" << true << "frReport1_Grafico_DataSet";
        QTest::newRow("virtual, OK") << "[Sorgente dati virtuale]" << true << "frReport1_Grafico_DataSet";
        QTest::newRow("none, Annulla") << "[Nessuno]" << false << "GraficoDS";
        QTest::newRow("none, OK") << "[Nessuno]" << true << "";
        QTest::newRow("source dialog cancelled, OK") << "" << true << "GraficoDS";
    }
    void chartSource()
    {
        QFETCH(QString, source);
        QFETCH(bool, accept);
        QFETCH(QString, formatText);
        TfrReport report(&m_form);
        report.setObjectName("frReport1");
        auto *old = new TfrDBDataSet;
        old->setObjectName("GraficoDS");
        old->SetDataSet(m_diario);
        old->Filtered = true;
        old->Filter = "[Diario.\"Peso\"] > 0";
        report.AddDataset(old, true);
        QPointer<TfrDataset> watch(old);
        TfrGraphView *chart = addChart(report, "Grafico");
        chart->FormatText = "GraficoDS";
        chart->XTitle = "Giorni";
        chart->SetSeries({{"[Diario.\"Peso\"]", "255", "'Peso'"}});
        const QStringList memo = chart->Memo;

        TFRDesignerForm form(report);
        form.SelectOnly(chart);
        QStringList shown;     // what the source dialog showed, each time
        m_answer = [&](QDialog &dialog) {
            if (auto *editor = qobject_cast<TFrGraphEditor *>(&dialog)) {
                editor->XTitle->setText("Settimane");
                editor->SourceButton->click();
                // A second look shows the choice, not the chart's entry.
                if (!source.isEmpty()) editor->SourceButton->click();
                return int(accept ? QDialog::Accepted : QDialog::Rejected);
            }
            auto &band = static_cast<TfrBandDataForm &>(dialog);
            shown << band.Sources->currentText();
            if (source.isEmpty() || shown.size() > 1) return int(QDialog::Rejected);
            band.Sources->setCurrentText(source);
            band.Count->setValue(4);
            return int(QDialog::Accepted);
        };
        form.EditSelected();
        QCOMPARE(m_dialogs.first(), QString("TFrGraphEditor"));
        QCOMPARE(shown, (source.isEmpty() ? QStringList{"frm_main.Diario"} : QStringList{"frm_main.Diario", source}));
        QCOMPARE(chart->FormatText, formatText);
        QCOMPARE(chart->XTitle, QString(accept ? "Settimane" : "Giorni"));
        QCOMPARE(chart->Memo, memo);
        QCOMPARE(form.History().count(), accept ? 2 : 1);
        if (formatText == "GraficoDS") {
            QCOMPARE(report.FindDatasetInTable("GraficoDS"), old);
            QCOMPARE(old->Filter, QString("[Diario.\"Peso\"] > 0"));
            QCOMPARE(report.DatasetCount(), 1);
            return;
        }
        QVERIFY(watch.isNull());
        QCOMPARE(report.DatasetCount(), formatText.isEmpty() ? 0 : 1);
        if (formatText.isEmpty()) return;
        TfrDataset *copy = report.FindDatasetInTable(formatText);
        QVERIFY(copy);
        QCOMPARE(copy->RangeEndCount, 4);
        auto *db = qobject_cast<TfrDBDataSet *>(copy);
        QCOMPARE(db != nullptr, source.contains('.'));
        if (db) QCOMPARE(db->DataSet(), m_intesta);
    }

    // Series through the field editor: a new one starts empty and white.
    void chartSeries()
    {
        TfrReport report(&m_form);
        TfrGraphView *chart = addChart(report, "Grafico");
        chart->SetSeries({{"[A]", "255", "'A'"}, {"[B]", "65280", "'B'"}});
        TFrGraphEditor editor(report);
        editor.Load(*chart);
        QCOMPARE(editor.SeriesGrid->rowCount(), 2);

        QString startValue = "unset", startLegend = "unset";
        int startColor = -1;
        m_color = 0xFF0000;
        m_answer = [&](QDialog &dialog) {
            auto &field = static_cast<TFrGraphFieldEditor &>(dialog);
            startValue = field.Value->text();
            startLegend = field.Legend->text();
            startColor = field.Color;
            field.Value->setText("[C]");
            field.Legend->setText("'C'");
            field.ColorButton->click();
            return int(QDialog::Accepted);
        };
        editor.AddButton->click();
        QCOMPARE(m_dialogs, QStringList{"TFrGraphFieldEditor"});
        QCOMPARE(startValue, QString());
        QCOMPARE(startLegend, QString());
        QCOMPARE(startColor, 0xFFFFFF);
        QCOMPARE(m_colorsOffered, QList<int>{0xFFFFFF});
        QCOMPARE(editor.SeriesGrid->rowCount(), 3);

        // Changed: only the legend; the colour stays the series' own.
        editor.SeriesGrid->selectRow(1);
        m_answer = [&](QDialog &dialog) {
            auto &field = static_cast<TFrGraphFieldEditor &>(dialog);
            startValue = field.Value->text();
            startColor = field.Color;
            field.Legend->setText("'Bi'");
            return int(QDialog::Accepted);
        };
        editor.ChangeButton->click();
        QCOMPARE(startValue, QString("[B]"));
        QCOMPARE(startColor, 65280);

        // Cancelled: nothing.
        editor.SeriesGrid->selectRow(0);
        m_answer = [](QDialog &dialog) {
            static_cast<TFrGraphFieldEditor &>(dialog).Value->setText("[Z]");
            return int(QDialog::Rejected);
        };
        editor.ChangeButton->click();

        editor.SeriesGrid->selectRow(0);
        editor.DeleteButton->click();
        QCOMPARE(editor.SeriesGrid->rowCount(), 2);
        QCOMPARE(editor.SeriesGrid->item(0, 2)->text(), QString("'Bi'"));

        editor.Store(*chart);
        const QList<TfrGraphSeries> stored = chart->Series();
        QCOMPARE(stored.size(), 2);
        QCOMPARE(stored[0].Value, QString("[B]"));
        QCOMPARE(stored[0].Color, QString("65280"));
        QCOMPARE(stored[0].Legend, QString("'Bi'"));
        QCOMPARE(stored[1].Value, QString("[C]"));
        QCOMPARE(stored[1].Color, QString::number(0xFF0000));
        QCOMPARE(stored[1].Legend, QString("'C'"));
    }

    // The kinds and formats as offered; a chart opened and confirmed without
    // a change is stored exactly as it was, whatever the editor can show.
    void chartUntouched()
    {
        TfrReport report(&m_form);
        TFrGraphEditor editor(report);
        QCOMPARE(items(editor.Kinds), (QStringList{"Istrogrammi", "Istogrammi e linee", "Triangoli", "Triangoli e linee",
                                                   "Punti", "Punti e linee", "Linee"}));
        QCOMPARE(items(editor.YFormat), (QStringList{"[1] - Lire", "[2] - Euro", "[3] - Numero (1234,5)",
                                                     "[4] - Numero (1234,50)", "[5] - Numero (1.234,5)",
                                                     "[6] - Numero (1.234,50)", "[7] - Numero (1.234)"}));

        struct Case
        {
            int kind;
            QString format;
        };
        for (const Case &c : {Case{TfrGraphView::PointsAndLines, "[4]"}, Case{9, ""},
                              Case{TfrGraphView::Lines, "[6] - Numero (1.234,50)"}, Case{0, "0.0 mmHg"}}) {
            TfrGraphView *chart = addChart(report, QString("G%1").arg(report.Pages[0]->Objects.size()));
            chart->XTitle = "Giorni";
            chart->YTitle = "mmHg";
            chart->ChartTitle = "Andamento";
            chart->LabelExpression = "[Diario.\"Data\"]";
            chart->ShowLegend = false;
            chart->ShowYTitle = false;
            chart->GraphKind = c.kind;
            chart->YFormat = c.format;
            chart->FormatText = "GraficoDS";
            chart->SetSeries({{"[A]", "clRed", "'A'"}, {"[B]", "65280", ""}});
            const QByteArray before = report.SaveTemplateData();
            TFrGraphEditor again(report);
            again.Load(*chart);
            again.Store(*chart);
            QCOMPARE(report.SaveTemplateData(), before);
        }
    }

    // The format chosen in the editor is what the built chart's axis shows.
    void chartYFormat_data()
    {
        QTest::addColumn<int>("index");          // -1: typed
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("top");        // the highest axis label
        QTest::newRow("[6]") << 5 << QString() << "1.234,50";
        QTest::newRow("[3]") << 2 << QString() << "1234,5";
        QTest::newRow("a picture of one's own") << -1 << "0.000" << "1234,500";
    }
    void chartYFormat()
    {
        QFETCH(int, index);
        QFETCH(QString, typed);
        QFETCH(QString, top);
        auto values = std::make_unique<TMemoryDataSet>(&m_form);
        values->setObjectName("Valori");
        values->addColumn("A", ftFloat);
        values->addRow({1234.5});
        values->addRow({600.0});
        TfrReport report(&m_form);
        report.setObjectName("frReport1");
        report.Pages[0]->ChangePaper(9, 0, 0, 0);
        addBand(report, "Titolo", frBand::ReportTitle, 20)->Height = 340;
        TfrGraphView *chart = addChart(report, "Grafico", 30);
        chart->ShowLegend = chart->ShowTitle = chart->ShowXTitle = chart->ShowYTitle = false;
        chart->SetSeries({{"[Valori.\"A\"]", "255", ""}});

        m_answer = [&](QDialog &dialog) {
            if (auto *band = qobject_cast<TfrBandDataForm *>(&dialog)) {
                band->Sources->setCurrentText("frm_main.Valori");
                return int(QDialog::Accepted);
            }
            auto &editor = static_cast<TFrGraphEditor &>(dialog);
            editor.SourceButton->click();
            if (index >= 0) editor.YFormat->setCurrentIndex(index);
            else editor.YFormat->setEditText(typed);
            editor.Kinds->setCurrentRow(TfrGraphView::Lines);
            return int(QDialog::Accepted);
        };
        QVERIFY(TFrGraphEditor::Edit(report, *chart, nullptr));
        QCOMPARE(chart->GraphKind, int(TfrGraphView::Lines));
        frBuilder::install();
        QVERIFY(report.BuildReport());
        const QStringList texts = pageTexts(report);
        // No titles, legend or labels: the 21 axis labels, bottom first.
        QCOMPARE(texts.size(), 21);
        QCOMPARE(texts.last(), top);
    }

    // ------------------------------------------------------------ context menu entries

    void objectEntries_data()
    {
        QTest::addColumn<QStringList>("objects");
        QTest::addColumn<QList<int>>("flags");
        const QList<int> text = {TfrCustomMemoView::MemoStretched, TfrCustomMemoView::WordWrap, TfrCustomMemoView::AutoWidth};
        const QList<int> picture = {TfrCustomPictureView::PictureStretched, TfrCustomPictureView::Centered,
                                    TfrCustomPictureView::KeepAspect};
        QTest::newRow("one text") << QStringList{"memo"} << text;
        QTest::newRow("two texts") << QStringList{"memo", "memo"} << text;
        QTest::newRow("master data band: all five")
            << QStringList{"band5"} << QList<int>{frBand::Stretched, frBand::NewPageAfter, frBand::PrintIfSubsetEmpty,
                                                  frBand::BreakBand, frBand::FillPage};
        QTest::newRow("page header: stretch only") << QStringList{"band2"} << QList<int>{frBand::Stretched};
        QTest::newRow("page footer: none") << QStringList{"band3"} << QList<int>{};
        QTest::newRow("group header and master data: what both allow")
            << QStringList{"band16", "band5"} << QList<int>{frBand::Stretched, frBand::NewPageAfter, frBand::BreakBand};
        QTest::newRow("one picture") << QStringList{"picture"} << picture;
        QTest::newRow("text and band") << QStringList{"memo", "band5"} << QList<int>{};
        QTest::newRow("text and picture") << QStringList{"memo", "picture"} << QList<int>{};
        QTest::newRow("nothing selected") << QStringList{} << QList<int>{};
    }
    void objectEntries()
    {
        QFETCH(QStringList, objects);
        QFETCH(QList<int>, flags);
        TfrReport report;
        QList<TfrView *> views;
        int top = 40;
        for (const QString &o : objects) {
            TfrView *v = nullptr;
            if (o == "memo") v = addMemo(report, QString("T%1").arg(top), 0, top);
            else if (o.startsWith("band")) v = addBand(report, QString("B%1").arg(top), o.mid(4).toInt(), top);
            else {
                v = report.CreateObject(frKind::Picture);
                v->Top = top;
                v->Width = v->Height = 40;
                report.Pages[0]->Add(v);
            }
            views << v;
            top += 60;
        }
        TFRDesignerForm form(report);
        for (TfrView *v : views) v->Selected = true;
        form.SelectionChanged();
        QList<int> offered;
        QStringList texts;
        for (const TFRDesignerForm::ObjectEntry &e : form.ObjectEntries()) {
            offered << e.flag;
            texts << e.text;
        }
        QCOMPARE(offered, flags);
        QCOMPARE(QSet<QString>(texts.begin(), texts.end()).size(), texts.size());
        for (const QString &t : texts) QVERIFY(!t.isEmpty());
    }

    // An entry flips its flag on every selected object, as one undo step;
    // the menu shows the first object's state and is rebuilt on each opening.
    void toggleFromContextMenu()
    {
        TfrReport report;
        TfrMemoView *one = addMemo(report, "Uno", 0, 40);
        TfrMemoView *two = addMemo(report, "Due", 0, 100);
        one->Flags = TfrCustomMemoView::MemoStretched;
        two->Flags = TfrCustomMemoView::WordWrap;
        TFRDesignerForm form(report);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        one->Selected = two->Selected = true;
        form.SelectionChanged();
        const auto entries = [&form] {
            QList<QAction *> out;
            for (QAction *a : form.ContextMenu->actions())
                if (a->property("objectEntry").toBool() && !a->isSeparator()) out << a;
            return out;
        };
        form.ShowContextMenu(form.PageView->mapToGlobal(QPoint(10, 10)));
        QList<QAction *> shown = entries();
        QCOMPARE(shown.size(), 3);
        QVERIFY(shown[0]->isChecked());          // the first object's stretch
        QVERIFY(!shown[1]->isChecked());
        form.ContextMenu->hide();
        form.ShowContextMenu(form.PageView->mapToGlobal(QPoint(10, 10)));
        shown = entries();
        QCOMPARE(shown.size(), 3);
        shown[1]->trigger();                     // word wrap on for both
        form.ContextMenu->hide();
        QCOMPARE(int(one->Flags), TfrCustomMemoView::MemoStretched | TfrCustomMemoView::WordWrap);
        QCOMPARE(int(two->Flags), int(TfrCustomMemoView::WordWrap));
        QCOMPARE(form.History().count(), 2);

        form.ToggleObjectFlag(TfrCustomMemoView::WordWrap);
        QCOMPARE(int(one->Flags), int(TfrCustomMemoView::MemoStretched));
        QCOMPARE(int(two->Flags), 0);
        QCOMPARE(form.History().count(), 3);
        form.Undo();
        QCOMPARE(int(static_cast<TfrView *>(report.FindObject("Due"))->Flags), int(TfrCustomMemoView::WordWrap));
    }
};

QTEST_MAIN(TestDialogs)
#include "tst_frdialogs.moc"
