// The summary of the diary's template "diario.frf" against the export of the
// same period: the number of days, the first and last day printed, and the
// averages over the days that have a value, over a one-year archive with
// empty days, days without weight and days with only a systolic reading.
//
// The summary objects are evaluated the way a build does it: registered once
// in the summary band, accumulated over the records the master data band's
// dataset walks through the diary's period filter, then read.

#include "tools/mkdiario/diariotemplate.h"

#include "app/diarytables.h"
#include "data/archive.h"
#include "core/datetime.h"
#include "core/formatsettings.h"
#include "report/frband.h"
#include "report/frbandview.h"
#include "report/chart/frgraphview.h"
#include "report/frbuilder.h"
#include "report/frbuildstate.h"
#include "report/frdbdataset.h"
#include "report/fremfplayer.h"
#include "report/frexpr.h"
#include "report/frmemoview.h"
#include "report/frmessagesink.h"
#include "report/frpage.h"
#include "report/frregistry.h"
#include "report/frreport.h"
#include "report/frresolver.h"

#include <QDate>
#include <QFile>
#include <QGuiApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <sqlite3.h>

namespace {

void exec(const QString &path, const QString &sql)
{
    sqlite3 *db = nullptr;
    QVERIFY(sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK);
    char *msg = nullptr;
    const int rc = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &msg);
    const QString error = QString::fromUtf8(msg ? msg : "");
    sqlite3_free(msg);
    sqlite3_close(db);
    QVERIFY2(rc == SQLITE_OK, qPrintable(error));
}

QString sqlValue(int v) { return v ? QString::number(v) : QStringLiteral("NULL"); }

// 2023, one row a day. Every seventh day has no reading, every fifth no
// weight, every eleventh only a systolic reading (so MIN is empty where MAX is
// not), and some days have a second reading on the other arm.
void makeYearArchive(const QString &path)
{
    TArchive::create(path);
    exec(path, "UPDATE Intestazione SET Nome='Rossi Mario', Altezza=1.72, Data_Nascita='1958-04-02 00:00:00'");
    QStringList rows;
    const QDate first(2023, 1, 1);
    for (int i = 0; i < 365; ++i) {
        const bool empty = i % 7 == 3;
        const bool systolicOnly = i % 11 == 5;
        const int max1 = empty ? 0 : 110 + (i * 37) % 55;
        const int min1 = empty || systolicOnly ? 0 : 62 + (i * 13) % 35;
        const int puls1 = empty || systolicOnly ? 0 : 58 + (i * 7) % 30;
        const bool second = !empty && i % 3 == 0;
        const int max2 = second ? 115 + (i * 17) % 40 : 0;
        const int min2 = second && !systolicOnly ? 70 + (i * 5) % 25 : 0;
        const int puls2 = second && !systolicOnly ? 60 + (i * 3) % 20 : 0;
        const QString weight = i % 5 == 0 ? QStringLiteral("NULL") : QString::number(70 + (i % 9) * 0.35, 'f', 2);
        const QString note = i % 13 == 0 ? QStringLiteral("'giorno %1, controllo'").arg(i) : QStringLiteral("NULL");
        rows << QStringLiteral("('%1 00:00:00', %2, %3, %4, %5, %6, %7, %8, %9)")
                    .arg(first.addDays(i).toString(Qt::ISODate), sqlValue(min1), sqlValue(max1), sqlValue(puls1),
                         sqlValue(min2), sqlValue(max2), sqlValue(puls2), weight, note);
    }
    exec(path, "INSERT INTO Diario (Data, SX_MIN_1, SX_MAX_1, SX_PULS_1, DX_MIN_2, DX_MAX_2, DX_PULS_2, Peso, Note) "
               "VALUES "
                   + rows.join(QLatin1Char(',')));
}

// What the export of the period says the summary must show.
struct Expected
{
    int days = 0;
    QString firstDay, lastDay;
    QMap<QString, int> valueDays;
    QMap<QString, double> average;     // only for fields with value days
};

Expected fromExport(const QString &archive, const QString &from, const QString &to)
{
    Expected e;
    QStringList args{QStringLiteral("export"), archive, QStringLiteral("--format"), QStringLiteral("json")};
    if (!from.isEmpty()) args << QStringLiteral("--from") << from;
    if (!to.isEmpty()) args << QStringLiteral("--to") << to;
    QProcess cli;
    cli.start(QStringLiteral(TONALBA_CLI), args);
    if (!cli.waitForFinished(60000) || cli.exitCode() != 0) {
        qWarning("export failed: %s", cli.readAllStandardError().constData());
        e.days = -1;
        return e;
    }
    QMap<QString, double> sums;
    const QList<QByteArray> lines = cli.readAllStandardOutput().split('\n');
    for (const QByteArray &line : lines) {
        if (line.trimmed().isEmpty()) continue;
        const QJsonObject day = QJsonDocument::fromJson(line).object();
        const QString date = QDate::fromString(day.value("Data").toString().left(10), Qt::ISODate).toString("dd/MM/yyyy");
        if (e.days == 0) e.firstDay = date;
        e.lastDay = date;
        ++e.days;
        for (const char *f : DiarioTemplate::AveragedFields) {
            const double v = day.value(QLatin1String(f)).toDouble();
            if (v > 0) {
                sums[f] += v;
                ++e.valueDays[f];
            }
        }
    }
    for (auto it = e.valueDays.cbegin(); it != e.valueDays.cend(); ++it)
        e.average[it.key()] = sums[it.key()] / it.value();
    return e;
}

TfrMemoView *memo(TfrReport &report, const QString &name)
{
    return dynamic_cast<TfrMemoView *>(report.FindObject(name));
}

// Registers, accumulates and reads the summary band of a loaded template.
class SummaryRun
{
public:
    explicit SummaryRun(TfrReport &report) : m_report(report), m_page(report.Pages[0])
    {
        for (TfrView *v : m_page->Objects)
            if (auto *b = dynamic_cast<TfrBandView *>(v)) {
                if (b->BandType() == frBand::MasterData) m_masterView = b;
                if (b->BandType() == frBand::ReportSummary) m_summaryView = b;
            }
    }

    // Texts of the summary objects by name; empty map when the run failed.
    QMap<QString, QString> run()
    {
        QMap<QString, QString> out;
        if (!m_masterView || !m_summaryView) return out;
        TfrBuildState &st = TfrBuildState::instance();
        st.reset();
        frSetCurrentReport(&m_report);
        TfrBand master(frBand::MasterData, m_page), summary(frBand::ReportSummary, m_page);
        master.DataSet = m_report.FindReportDataset(m_masterView->FormatText);
        if (!master.DataSet) return out;
        m_page->Bands[frBand::MasterData] = &master;
        m_page->Bands[frBand::ReportSummary] = &summary;
        st.CurPage = m_page;

        QList<TfrMemoView *> objects;
        for (TfrView *v : m_page->Objects)
            if (auto *m = dynamic_cast<TfrMemoView *>(v))
                if (m->Top >= m_summaryView->Top && m->Top < m_summaryView->Top + m_summaryView->Height) objects << m;
        st.CurBand = &summary;
        st.AggregateGroupLevel = TfrBand::AggregateLevel(&summary);
        st.Registering = true;
        TfrExpr::instance().ParserSilentMode = true;
        for (TfrMemoView *m : objects) {
            st.CurView = m;
            for (const QString &line : m->Memo) frExpandLine(line, m);
        }
        st.Registering = false;
        TfrExpr::instance().ParserSilentMode = false;

        TfrDataset *ds = master.DataSet;
        ds->Init();
        st.CurBand = &master;
        st.CurView = nullptr;
        for (ds->First(); !ds->Eof() && !frBuildErrorSet(); ds->Next())
            master.Accumulate([](const QString &argument) { return TfrExpr::instance().Evaluate(argument); });
        ds->Exit();

        st.CurBand = &summary;
        for (TfrMemoView *m : objects) {
            st.CurView = m;
            out[m->Name] = frExpandLine(m->Memo.value(0), m);
        }
        if (frBuildErrorSet()) out[QStringLiteral("error")] = frBuildErrorText();
        m_page->Bands[frBand::MasterData] = nullptr;
        m_page->Bands[frBand::ReportSummary] = nullptr;
        st.reset();
        return out;
    }

private:
    TfrReport &m_report;
    TfrPage *m_page;
    TfrBandView *m_masterView = nullptr;
    TfrBandView *m_summaryView = nullptr;
};

double shownNumber(const QString &text, bool *ok)
{
    return QString(text).replace(QLatin1Char(','), QLatin1Char('.')).toDouble(ok);
}

} // namespace

class TestPeriodTemplate : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_archive;
    QString m_template;
    QObject m_window;
    TDiaryTables *m_tables = nullptr;
    QStringList m_messages;

private slots:
    void initTestCase()
    {
        TFormatSettings it;
        QVERIFY(TFormatSettings::forLocale("it_IT", it));
        TFormatSettings::setCurrent(it);
        frSetMessageSink([this](const QString &text, const QString &, TfrMessageIcon) { m_messages << text; });
        m_archive = m_dir.filePath("anno.mdb");
        makeYearArchive(m_archive);

        // The window the template names its tables in: "frm_main.Diario", "frm_main.Intesta".
        m_window.setObjectName("frm_main");
        frRegistry::registerOwner(&m_window);
        m_tables = new TDiaryTables(&m_window, &m_window);
        m_tables->open(m_archive, true);

        // The template goes through its file, as the program reads it.
        m_template = m_dir.filePath("diario.frf");
        TfrReport maker(&m_window);
        maker.setObjectName("frReport1");
        DiarioTemplate::build(maker, m_tables->Diario);
        maker.SaveTemplate(m_template);
    }

    void cleanupTestCase()
    {
        delete m_tables;
        frRegistry::unregisterOwner(&m_window);
        frSetMessageSink({});
    }

    void summaryMatchesTheExport_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::newRow("the whole year") << "" << "";
        QTest::newRow("March, both ends included") << "2023-03-01" << "2023-03-31";
        QTest::newRow("only a first day") << "2023-12-01" << "";
        QTest::newRow("only a last day") << "" << "2023-01-10";
        // 2023-01-04 is the first day without readings (day index 3).
        QTest::newRow("one day without readings") << "2023-01-04" << "2023-01-04";
        QTest::newRow("empty period: first day after the last") << "2023-06-10" << "2023-06-01";
    }
    void summaryMatchesTheExport()
    {
        QFETCH(QString, from);
        QFETCH(QString, to);
        const Expected e = fromExport(m_archive, from, to);
        QVERIFY(e.days >= 0);

        TfrReport report(&m_window);
        report.setObjectName("frReport1");
        m_messages.clear();
        report.LoadTemplate(m_template);
        QCOMPARE(m_messages, QStringList());

        TDiaryModel *model = m_tables->Model;
        model->PrintFilterActive = true;
        model->PeriodFrom = from.isEmpty() ? 0 : fromQDate(QDate::fromString(from, Qt::ISODate));
        model->PeriodTo = to.isEmpty() ? 0 : fromQDate(QDate::fromString(to, Qt::ISODate));
        // As the print command does: the table refetched under the period before the build.
        m_tables->Diario->First();
        const QMap<QString, QString> shown = SummaryRun(report).run();
        model->PrintFilterActive = false;
        m_tables->Diario->First();

        QVERIFY2(!shown.contains("error"), qPrintable(shown.value("error")));
        QCOMPARE(shown.value(DiarioTemplate::DayCountObject), QString::number(e.days));
        QCOMPARE(shown.value(DiarioTemplate::FirstDayObject), e.days ? e.firstDay : QString("-"));
        QCOMPARE(shown.value(DiarioTemplate::LastDayObject), e.days ? e.lastDay : QString("-"));
        for (const char *f : DiarioTemplate::AveragedFields) {
            const QString field = QLatin1String(f);
            QCOMPARE(shown.value(DiarioTemplate::valueDaysObject(field)), QString::number(e.valueDays.value(field)));
            const QString average = shown.value(DiarioTemplate::averageObject(field));
            if (!e.valueDays.value(field)) {
                QCOMPARE(average, QString());
                continue;
            }
            bool ok = false;
            const double value = shownNumber(average, &ok);
            QVERIFY2(ok, qPrintable(field + ": " + average));
            // Shown with 0 decimals (pressures, pulse) or 1 (weight).
            const double tolerance = (field == "Peso" ? 0.05 : 0.5) + 1e-9;
            QVERIFY2(std::abs(value - e.average.value(field)) <= tolerance,
                     qPrintable(QString("%1: shown %2, export %3").arg(field, average).arg(e.average.value(field))));
        }
    }

    // The engine's own build of the year: every page numbered "Pagina n di N"
    // (two passes), the summary on the last page with the period printed.
    void builtPages()
    {
        frBuilder::install();
        TfrReport report(&m_window);
        report.setObjectName("frReport1");
        report.ShowProgress = false;
        report.LoadTemplate(m_template);
        m_tables->Diario->First();
        QVERIFY2(report.BuildReport(), qPrintable(frBuildErrorText()));
        const int pages = report.EMFPages.Count();
        QVERIFY(pages > 5);
        QString last;
        for (int i = 0; i < pages; ++i) {
            QStringList texts;
            for (const TfrEmfText &t : TfrEmfPlayer::texts(report.EMFPages[i].Drawing)) texts << t.text;
            QVERIFY2(texts.contains(QString("Pagina %1 di %2").arg(i + 1).arg(pages)), qPrintable(texts.join('|')));
            if (i == pages - 1) last = texts.join('|');
        }
        QVERIFY2(last.contains("|01/01/2023|") && last.contains("|31/12/2023|") && last.contains("|365|"),
                 qPrintable(last));

        // The chart plots the days with all three values: a day with only a
        // systolic reading would pull its other two lines down to 0.
        auto *chart = dynamic_cast<TfrGraphView *>(report.FindObject(DiarioTemplate::ChartObject));
        QVERIFY(chart);
        const TfrGraphData &data = chart->LastData();
        int complete = 0;
        for (int i = 0; i < 365; ++i) complete += i % 7 != 3 && i % 11 != 5;
        QCOMPARE(data.RecordCount(), complete);
        for (const QList<double> &values : data.Values)
            for (double v : values) QVERIFY2(v > 0, qPrintable(data.Labels.join(' ')));
        report.EMFPages.Clear();
        frRegistry::setBuilder({});
    }

    // The check above can fail: a plain AVG counts the days without a value as 0.
    void plainAverageWouldBeWrong()
    {
        const Expected e = fromExport(m_archive, QString(), QString());
        QVERIFY(e.valueDays.value("MAX") < e.days);

        TfrReport report(&m_window);
        report.setObjectName("frReport1");
        report.LoadTemplate(m_template);
        TfrMemoView *naive = memo(report, DiarioTemplate::averageObject("MAX"));
        QVERIFY(naive);
        naive->Memo = QStringList{"[AVG([MAX])]"};
        const QMap<QString, QString> shown = SummaryRun(report).run();
        bool ok = false;
        const double value = shownNumber(shown.value(DiarioTemplate::averageObject("MAX")), &ok);
        QVERIFY(ok);
        QVERIFY2(e.average.value("MAX") - value > 5,
                 qPrintable(QString("AVG %1, over days with a value %2").arg(value).arg(e.average.value("MAX"))));
    }
};

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    TestPeriodTemplate test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_periodtemplate.moc"
