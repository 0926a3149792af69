// tonalba-cli print <archive.mdb> [--from DATE] [--to DATE] --pdf FILE [--template FILE]
// The period report of the program's print command, without a window: the
// template built over the archive's days of the period into a PDF, by the
// same code as `report build`. This command checks its own arguments and the
// template first, so a missing or damaged template gives the program's
// messages and no file.

#include "tools/cli_report_build.h"
#include "tools/cli_report_window.h"
#include "tools/clicommand.h"

#include "app/diaryfiles.h"
#include "core/datetime.h"
#include "core/exceptions.h"
#include "report/frloadresult.h"
#include "report/frbuildcontext.h"
#include "report/frreport.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <memory>

namespace {

const QString kUsage = QStringLiteral(
    "Uso: print <archivio.mdb> [--from AAAA-MM-GG] [--to AAAA-MM-GG] --pdf FILE [--template FILE]");

// The template to print with, when none is named: the one beside the
// archive, the application folder's (as the program decides it), the one
// installed with the tool, and in a build tree the one the build generated.
// When there is none, the application folder's, so the message names it.
QString defaultTemplate(const QString &archive)
{
    const QString name = QStringLiteral("diario.frf");
    const QString own = DiaryFiles::applicationFolder() + name;
    const QString exeFolder = QCoreApplication::applicationDirPath();
    const QStringList candidates{QFileInfo(archive).absolutePath() + QLatin1Char('/') + name, own,
                                 exeFolder + QStringLiteral("/../share/tonalba/") + name,
                                 exeFolder + QStringLiteral("/../resources/") + name};
    for (const QString &c : candidates)
        if (QFileInfo(c).isFile()) return QFileInfo(c).absoluteFilePath();
    return own;
}

// Loads the template as the print command does; false (messages and the
// reason on stderr) when it is missing or damaged.
bool templateLoads(const QString &path)
{
    CliReportWindow window;
    try {
        const TfrLoadResult loaded = window.report()->LoadTemplate(path);
        cliShowLoadResult(loaded);
        return bool(loaded);
    } catch (const Exception &e) {
        cliError(frOneLine(e.message()));
        return false;
    }
}

int runPrint(const QStringList &args)
{
    QString archive, from, to, pdf, templ;
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        const bool takesValue = a == "--from" || a == "--to" || a == "--pdf" || a == "--template";
        if (takesValue && i + 1 >= args.size()) return cliUsage(QStringLiteral("%1 vuole un valore").arg(a));
        if (a == "--from" || a == "--to") {
            const QString &day = args[++i];
            TDateTime parsed = 0;
            if (!cliParseDay(day, parsed)) return cliUsage(cliDayError(day));
            (a == "--from" ? from : to) = day;
        } else if (a == "--pdf") {
            pdf = args[++i];
        } else if (a == "--template") {
            templ = args[++i];
        } else if (a.startsWith("--") || !archive.isEmpty()) {
            return cliUsage(QStringLiteral("Argomento inatteso: %1").arg(a));
        } else {
            archive = a;
        }
    }
    if (archive.isEmpty() || pdf.isEmpty()) return cliUsage(kUsage);
    if (templ.isEmpty()) templ = defaultTemplate(archive);
    if (!templateLoads(templ)) return 1;

    CliReportWindow window;
    QString error;
    if (!window.openArchive(archive, &error)) {
        cliError(error);
        return 1;
    }
    TPrinterSettings &printer = window.report()->Context().Printer;
    printer.SetPrinterIndex(printer.DefaultPrinterIndex());
    QStringList build{templ};
    if (!from.isEmpty()) build << QStringLiteral("--from") << from;
    if (!to.isEmpty()) build << QStringLiteral("--to") << to;
    build << QStringLiteral("--pdf") << pdf;
    return cliReportBuild(window, build);
}

} // namespace

TONALBA_CLI_COMMAND(QStringLiteral("print"), kUsage.mid(5), runPrint, true);
