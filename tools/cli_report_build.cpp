// tonalba-cli report build: builds a template over the archive's tables for a
// period, on the pseudo printer, and writes PDF, PNG, EMF pages or a prepared
// report file. The headless way to print a period.

#include "tools/cli_report_build.h"
#include "tools/cli_report_window.h"
#include "tools/clicommand.h"

#include "app/diarytables.h"
#include "report/frbuilder.h"
#include "report/frbuildstate.h"
#include "report/fremfplayer.h"
#include "report/frpdfwriter.h"
#include "report/frpreparedfile.h"
#include "report/frreport.h"

#include "core/datetime.h"
#include "core/exceptions.h"
#include "core/safefile.h"

#include <QFile>
#include <QImage>
#include <QPainter>

namespace {
QString pageName(const QString &prefix, int n, const char *ext)
{
    return QStringLiteral("%1-%2.%3").arg(prefix).arg(n, 4, 10, QLatin1Char('0')).arg(QLatin1String(ext));
}

bool writeFile(const QString &name, const QByteArray &data)
{
    QString reason;
    if (safefile::write(name, data, &reason)) return true;
    cliError(QStringLiteral("Impossibile scrivere il file %1: %2.").arg(name, reason));
    return false;
}

bool writePngs(TfrReport &r, const QString &prefix, int dpi)
{
    for (int i = 0; i < r.EMFPages.Count(); ++i) {
        const TfrPreparedPage &p = r.EMFPages[i];
        const int w = qMax(1, qRound(p.PaperWidth * double(dpi) / 254.0));
        const int h = qMax(1, qRound(p.PaperHeight * double(dpi) / 254.0));
        QImage img(w, h, QImage::Format_RGB32);
        img.fill(Qt::white);
        QPainter painter(&img);
        painter.setRenderHint(QPainter::TextAntialiasing);
        TfrEmfPlayer::play(p.Drawing, painter, TfrPdfWriter::targetRect(p, QSizeF(w, h)));
        painter.end();
        const QString name = pageName(prefix, i + 1, "png");
        if (!img.save(name, "PNG")) {
            cliError(QStringLiteral("%1: impossibile scrivere il file").arg(name));
            return false;
        }
    }
    return true;
}
} // namespace

int cliReportBuild(CliReportWindow &window, const QStringList &argsIn)
{
    QStringList args = argsIn;
    QString templ, from, to, pdf, png, emf, frp;
    int dpi = 96;
    int outputs = 0;
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        const auto value = [&](QString &into) {
            if (i + 1 >= args.size()) return false;
            into = args[++i];
            return true;
        };
        if (a == QLatin1String("--from")) {
            if (!value(from)) return cliUsage(QStringLiteral("--from vuole una data"));
        } else if (a == QLatin1String("--to")) {
            if (!value(to)) return cliUsage(QStringLiteral("--to vuole una data"));
        } else if (a == QLatin1String("--pdf")) {
            if (!value(pdf)) return cliUsage(QStringLiteral("--pdf vuole un file"));
            ++outputs;
        } else if (a == QLatin1String("--png")) {
            if (!value(png)) return cliUsage(QStringLiteral("--png vuole un prefisso"));
            ++outputs;
        } else if (a == QLatin1String("--emf")) {
            if (!value(emf)) return cliUsage(QStringLiteral("--emf vuole un prefisso"));
            ++outputs;
        } else if (a == QLatin1String("--frp")) {
            if (!value(frp)) return cliUsage(QStringLiteral("--frp vuole un file"));
            ++outputs;
        } else if (a == QLatin1String("--dpi")) {
            QString n;
            bool ok = false;
            if (!value(n) || (dpi = n.toInt(&ok), !ok) || dpi < 1 || dpi > 2400)
                return cliUsage(QStringLiteral("--dpi vuole un numero da 1 a 2400"));
        } else if (a.startsWith(QLatin1String("--"))) {
            return cliUsage(QStringLiteral("report build: opzione sconosciuta: %1").arg(a));
        } else if (templ.isEmpty()) {
            templ = a;
        } else {
            return cliUsage(QStringLiteral("report build: atteso un solo modello"));
        }
    }
    if (templ.isEmpty()) return cliUsage(QStringLiteral("report build: manca il modello"));
    if (outputs != 1) return cliUsage(QStringLiteral("report build: atteso uno tra --pdf, --png, --emf, --frp"));
    TDateTime fromDate = 0, toDate = 0;
    if (!from.isEmpty() && !cliParseDay(from, fromDate)) return cliUsage(cliDayError(from));
    if (!to.isEmpty() && !cliParseDay(to, toDate)) return cliUsage(cliDayError(to));

    // The period goes through the diary's own filter, as the print command sets it.
    if (auto *tables = window.findChild<TDiaryTables *>()) {
        tables->Model->PrintFilterActive = true;
        tables->Model->PeriodFrom = fromDate;
        tables->Model->PeriodTo = toDate;
        try {
            if (tables->Diario->Active()) {
                tables->Diario->Close();
                tables->Diario->Open();
            }
        } catch (const Exception &e) {
            cliError(e.message());
            return 1;
        }
    }

    TfrReport &report = *window.report();
    QFile file(templ);
    if (!file.open(QIODevice::ReadOnly)) {
        cliError(QStringLiteral("%1: %2").arg(templ, file.errorString()));
        return 1;
    }
    const TfrLoadResult loaded = report.LoadTemplateStream(file);
    cliShowLoadResult(loaded);
    if (!loaded) return 1;
    frBuilder::install();
    report.ShowProgress = false;
    const TfrBuildResult built = report.BuildReport();
    if (!built) {
        QString text = built.Messages.isEmpty() ? QStringLiteral("Costruzione del report annullata.")
                                                : built.Messages.last().text;
        text.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
        cliError(text);
        return 1;
    }
    if (!pdf.isEmpty()) {
        TfrPdfWriter writer(report);
        if (writer.write(pdf)) return 0;
        cliError(writer.errorString());
        return 1;
    }
    if (!png.isEmpty()) return writePngs(report, png, dpi) ? 0 : 1;
    if (!emf.isEmpty()) {
        for (int i = 0; i < report.EMFPages.Count(); ++i)
            if (!writeFile(pageName(emf, i + 1, "emf"), report.EMFPages[i].Drawing)) return 1;
        return 0;
    }
    try {
        TfrPreparedFile::SavePrepared(report, frp);
    } catch (const Exception &e) {
        cliError(e.message());
        return 1;
    }
    return 0;
}
