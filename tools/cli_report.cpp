// tonalba-cli report dump|save|eval: the report engine without a window.

#include "tools/cli_report_build.h"
#include "tools/cli_report_window.h"
#include "tools/clicommand.h"

#include "app/diarytables.h"

#include "report/chart/frgraphobject.h"
#include "report/chart/frgraphview.h"
#include "report/frband.h"
#include "report/frbandtypes.h"
#include "report/frbuildstate.h"
#include "report/frcustommemoview.h"
#include "report/frcustompictureview.h"
#include "report/frdbdataset.h"
#include "report/frexpr.h"
#include "report/frpage.h"
#include "report/frbuildcontext.h"
#include "report/frreport.h"
#include "report/frsubreportview.h"

#include "core/datetime.h"
#include "core/exceptions.h"
#include "core/formatsettings.h"

#include <QCoreApplication>
#include <QFile>
#include "core/safefile.h"
#include <QTextStream>
#include <algorithm>
#include <cstdio>
#include <memory>

namespace {
// The tool stands in for the program's main window, which holds the chart
// component; templates with a chart must load here too (print, dump, build).
const bool chartRegistered = TfrGraphObject::Register();

// JSON written in the documented key order (QJsonObject would sort the keys).
using DiaryValues::jsonString;

QString jsonNumber(double v) { return QString::number(v, 'g', QLocale::FloatingPointShortest); }
QString jsonBool(bool v) { return v ? QStringLiteral("true") : QStringLiteral("false"); }

class Obj
{
public:
    Obj &add(const char *key, const QString &rawJson)
    {
        m_parts << jsonString(QLatin1String(key)) + QStringLiteral(": ") + rawJson;
        return *this;
    }
    Obj &str(const char *key, const QString &v) { return add(key, jsonString(v)); }
    Obj &num(const char *key, qint64 v) { return add(key, QString::number(v)); }
    Obj &flag(const char *key, bool v) { return add(key, jsonBool(v)); }
    QString text() const { return QLatin1Char('{') + m_parts.join(QStringLiteral(", ")) + QLatin1Char('}'); }

private:
    QStringList m_parts;
};

QString array(const QStringList &items) { return QLatin1Char('[') + items.join(QStringLiteral(", ")) + QLatin1Char(']'); }

QString stringArray(const QStringList &lines)
{
    QStringList items;
    for (const QString &l : lines) items << jsonString(l);
    return array(items);
}

void printUtf8(const QString &text)
{
    const QByteArray bytes = text.toUtf8() + '\n';
    fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    fflush(stdout);
}

QString dumpReport(const TfrReport &r)
{
    QStringList datasets;
    for (int i = 0; i < r.DatasetCount(); ++i) {
        const TfrDataset *d = r.DatasetAt(i);
        const auto *db = qobject_cast<const TfrDBDataSet *>(d);
        QString path = QStringLiteral("null");
        if (db) {
            const TDataSet *ds = db->DataSet();
            path = jsonString(ds ? (ds->parent() ? ds->parent()->objectName() : QString()) + QLatin1Char('.') + ds->objectName()
                                 : QString());
        }
        datasets << Obj()
                        .str("name", r.DatasetName(i))
                        .flag("database", db)
                        .add("path", path)
                        .flag("filtered", db && db->Filtered)
                        .str("filter", db ? db->Filter : QString())
                        .num("rangeBegin", d->RangeBegin)
                        .num("rangeEnd", d->RangeEnd)
                        .num("rangeEndCount", d->RangeEndCount)
                        .text();
    }
    QStringList pages, objects;
    for (int p = 0; p < r.Pages.Count(); ++p) {
        const TfrPage *pg = r.Pages[p];
        pages << Obj()
                     .num("paperSize", pg->PaperSize)
                     .num("paperWidth", pg->PaperWidth)
                     .num("paperHeight", pg->PaperHeight)
                     .add("margins", array({QString::number(pg->Margins[0]), QString::number(pg->Margins[1]),
                                            QString::number(pg->Margins[2]), QString::number(pg->Margins[3])}))
                     .num("orientation", pg->Orientation)
                     .flag("headerOnFirstPage", pg->HeaderOnFirstPage)
                     .flag("footerOnLastPage", pg->FooterOnLastPage)
                     .flag("repeatTableHeader", pg->RepeatTableHeader)
                     .flag("continueOnPreviousPage", pg->ContinueOnPreviousPage)
                     .flag("useMargins", pg->UseMargins)
                     .num("columnCount", pg->ColumnCount)
                     .num("columnGap", pg->ColumnGap)
                     .num("scaleX", pg->ScaleX)
                     .num("scaleY", pg->ScaleY)
                     .text();
        for (const TfrView *v : pg->Objects) {
            Obj o;
            o.num("page", p).num("kind", v->Kind).str("class", v->ClassName()).str("name", v->Name);
            o.num("left", v->Left).num("top", v->Top).num("width", v->Width).num("height", v->Height);
            o.num("flags", v->Flags).num("frameLines", v->FrameLines).num("frameWidth", v->FrameWidth);
            o.num("frameColor", v->FrameColor).num("frameStyle", v->FrameStyle).num("fillColor", v->FillColor);
            o.num("displayFormat", v->DisplayFormat).str("formatText", v->FormatText);
            o.add("memo", stringArray(v->Memo)).flag("visible", v->Visible);
            if (const auto *m = dynamic_cast<const TfrCustomMemoView *>(v)) {
                o.add("font", Obj()
                                  .str("name", m->FontName)
                                  .num("size", m->FontSize)
                                  .num("style", m->FontStyle)
                                  .num("color", m->FontColor)
                                  .text());
                o.num("textLayout", m->TextLayout);
                o.add("highlight", Obj()
                                       .num("style", m->HighlightStyle)
                                       .num("fontColor", m->HighlightFontColor)
                                       .num("fillColor", m->HighlightFillColor)
                                       .flag("on", m->HighlightOn)
                                       .str("condition", m->HighlightCondition)
                                       .text());
            } else if (const auto *pic = dynamic_cast<const TfrCustomPictureView *>(v)) {
                o.num("graphicKind", pic->GraphicKind);
            } else if (const auto *sub = dynamic_cast<const TfrSubReportView *>(v)) {
                o.num("targetPage", sub->TargetPage);
            } else if (const auto *g = dynamic_cast<const TfrGraphView *>(v)) {
                o.add("chart", Obj()
                                   .str("xTitle", g->XTitle)
                                   .str("yTitle", g->YTitle)
                                   .str("labelExpression", g->LabelExpression)
                                   .str("title", g->ChartTitle)
                                   .flag("showLegend", g->ShowLegend)
                                   .flag("showTitle", g->ShowTitle)
                                   .flag("showXTitle", g->ShowXTitle)
                                   .flag("showYTitle", g->ShowYTitle)
                                   .num("kind", g->GraphKind)
                                   .str("yFormat", g->YFormat)
                                   .text());
            }
            objects << o.text();
        }
    }
    QStringList values;
    for (int i = 0; i < r.Values.Count(); ++i) {
        const TfrValue *v = r.Values.Objects(i);
        values << Obj()
                      .str("name", r.Values.Name(i))
                      .num("kind", v->ValueKind)
                      .num("subKind", v->ValueSubKind)
                      .str("dataset", v->DSet)
                      .str("field", v->Field)
                      .text();
    }
    return Obj()
        .add("datasets", array(datasets))
        .flag("useDefaultPrinter", r.UseDefaultPrinter)
        .flag("twoPass", r.TwoPass)
        .flag("interleavePages", r.InterleavePages)
        .flag("numberInterleaved", r.NumberInterleaved)
        .add("pages", array(pages))
        .add("objects", array(objects))
        .add("values", array(values))
        .add("variables", stringArray(r.Variables))
        .text();
}

QString evalJson(const TfrVariant &v)
{
    switch (v.type()) {
    case TfrVariant::Integer: case TfrVariant::Boolean:
        return Obj().str("type", QStringLiteral("integer")).num("value", v.toInt()).text();
    case TfrVariant::Float:
        return Obj().str("type", QStringLiteral("float")).add("value", jsonNumber(v.toFloat())).text();
    case TfrVariant::Currency: {
        const qint64 units = v.currencyUnits();
        const QString text = QStringLiteral("%1%2.%3")
                                 .arg(units < 0 ? QStringLiteral("-") : QString())
                                 .arg(qAbs(units / 10000))
                                 .arg(qAbs(units % 10000), 4, 10, QLatin1Char('0'));
        return Obj().str("type", QStringLiteral("currency")).add("value", text).text();
    }
    case TfrVariant::DateTime:
        return Obj().str("type", QStringLiteral("datetime")).add("value", jsonNumber(v.toFloat())).text();
    case TfrVariant::String:
        return Obj().str("type", QStringLiteral("string")).str("value", v.stringValue()).text();
    default:
        return Obj().str("type", QStringLiteral("null")).add("value", QStringLiteral("null")).text();
    }
}

bool loadFile(TfrReport &report, const QString &path, bool &corrupt)
{
    corrupt = false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        cliError(QStringLiteral("%1: %2").arg(path, file.errorString()));
        return false;
    }
    const TfrLoadResult loaded = report.LoadTemplateStream(file);
    cliShowLoadResult(loaded);
    corrupt = !loaded;
    return true;
}

int run(const QStringList &argsIn)
{
    QStringList args = argsIn;
    QString archive;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--archive")) {
            if (i + 1 >= args.size()) return cliUsage(QStringLiteral("--archive vuole un file"));
            archive = args[i + 1];
            args.remove(i, 2);
            break;
        }
        if (args[i].startsWith(QLatin1String("--archive="))) {
            archive = args[i].mid(10);
            args.remove(i);
            break;
        }
    }
    // Report commands default to Italian formats unless --locale was given.
    const QStringList all = QCoreApplication::arguments();
    const bool localeGiven = std::any_of(all.cbegin(), all.cend(),
                                         [](const QString &a) { return a == QLatin1String("--locale") || a.startsWith(QLatin1String("--locale=")); });
    if (!localeGiven) {
        TFormatSettings it;
        if (TFormatSettings::forLocale(QStringLiteral("it_IT"), it)) TFormatSettings::setCurrent(it);
    }
    if (args.isEmpty()) return cliUsage(QStringLiteral("report: manca il sottocomando"));
    const QString sub = args.takeFirst();

    auto window = std::make_unique<CliReportWindow>();
    if (!archive.isEmpty()) {
        QString error;
        if (!window->openArchive(archive, &error)) {
            cliError(error);
            return 1;
        }
    }
    TfrReport &report = *window->report();
    report.Context().Printer.SetPrinterIndex(report.Context().Printer.DefaultPrinterIndex());

    if (sub == QLatin1String("dump")) {
        if (args.size() != 1) return cliUsage(QStringLiteral("report dump: atteso un modello"));
        bool corrupt = false;
        if (!loadFile(report, args[0], corrupt)) return 1;
        printUtf8(dumpReport(report));
        return corrupt ? 1 : 0;
    }
    if (sub == QLatin1String("save")) {
        if (args.size() != 2) return cliUsage(QStringLiteral("report save: attesi il modello da leggere e il file da scrivere"));
        bool corrupt = false;
        if (!loadFile(report, args[0], corrupt) || corrupt) return 1;
        // Saved with the pseudo printer selected, whatever the template chose.
        report.Context().Printer.SetPrinterIndex(report.Context().Printer.DefaultPrinterIndex());
        QString reason;
        if (safefile::write(args[1], report.SaveTemplateData(), &reason)) return 0;
        cliError(QStringLiteral("Impossibile scrivere il file %1: %2.").arg(args[1], reason));
        return 1;
    }
    if (sub == QLatin1String("eval")) {
        if (args.size() != 1) return cliUsage(QStringLiteral("report eval: attesa una espressione"));
        TfrBuildState &st = TfrBuildState::instance();
        st.reset();
        st.BuildDate = today();
        st.BuildTime = now() - today();
        frSetCurrentReport(&report);
        // With an archive, bare field names read the first record of Diario
        // through a master data band, as in the diary's report.
        std::unique_ptr<TfrDBDataSet> dataset;
        std::unique_ptr<TfrBand> band;
        if (!archive.isEmpty()) {
            dataset = std::make_unique<TfrDBDataSet>();
            dataset->SetDataSet(window->Diario());
            band = std::make_unique<TfrBand>(frBand::MasterData, report.Pages[0]);
            band->DataSet = dataset.get();
            report.Pages[0]->Bands[frBand::MasterData] = band.get();
            st.CurPage = report.Pages[0];
            st.CurBand = band.get();
            try {
                if (!window->Diario()->Active()) window->Diario()->Open();
                window->Diario()->First();
            } catch (const Exception &e) {
                printUtf8(Obj().str("error", e.message()).text());
                return 1;
            }
        }
        int code = 0;
        QString output;
        try {
            output = evalJson(TfrExpr::instance().Evaluate(args[0]));
        } catch (const Exception &e) {
            output = Obj().str("error", frBuildErrorSet() ? frBuildErrorText() : e.message()).text();
            code = 1;
        }
        if (code == 0 && frBuildErrorSet()) {
            output = Obj().str("error", frBuildErrorText()).text();
            code = 1;
        }
        report.Pages[0]->Bands[frBand::MasterData] = nullptr;
        st.reset();
        printUtf8(output);
        return code;
    }
    if (sub == QLatin1String("build")) return cliReportBuild(*window, args);
    return cliUsage(QStringLiteral("report: sottocomando sconosciuto: %1").arg(sub));
}
} // namespace

TONALBA_CLI_COMMAND(QStringLiteral("report"),
                    QStringLiteral("report dump <template.frf> | save <in.frf> <out.frf> | eval '<expression>' | "
                                   "build <template.frf> [--from DATE] [--to DATE] (--pdf F | --png PREFIX [--dpi N] | "
                                   "--emf PREFIX | --frp F) [--archive A.mdb]"),
                    run, true);
