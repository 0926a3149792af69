// tonalba-cli print <archive.mdb> [--from DATE] [--to DATE] --pdf FILE [--template FILE]
// The period report of the program's print command, without a window: the
// template (the application folder's "diario.frf" unless --template names
// another) built over the archive's days of the period into a PDF. The
// building and the PDF are `report build`'s; this command checks its own
// arguments and the template first, so a missing or damaged template gives
// the program's messages and no file.

#include "tools/cli_report_window.h"
#include "tools/clicommand.h"

#include "app/diaryfiles.h"
#include "data/exceptions.h"
#include "report/frmessagesink.h"
#include "report/frreport.h"

#include <QCoreApplication>
#include <QDate>
#include <QFileInfo>
#include <QRegularExpression>
#include <memory>

namespace {

const QString kUsage = QStringLiteral(
    "Uso: print <archivio.mdb> [--from AAAA-MM-GG] [--to AAAA-MM-GG] --pdf FILE [--template FILE]");

bool validIsoDay(const QString &text)
{
    static const QRegularExpression iso(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}$"));
    return iso.match(text).hasMatch() && QDate::fromString(text, Qt::ISODate).isValid();
}

// The template the program would load: the application folder's, or, for an
// installed tool whose folder has none yet, the copy installed beside it
// (the program stages that one at its first start).
QString defaultTemplate()
{
    const QString own = DiaryFiles::applicationFolder() + QStringLiteral("diario.frf");
    if (QFileInfo::exists(own)) return own;
    const QString installed = QCoreApplication::applicationDirPath() + QStringLiteral("/../share/tonalba/diario.frf");
    if (qEnvironmentVariableIsEmpty("TONALBA_HOME") && QFileInfo::exists(installed))
        return QFileInfo(installed).absoluteFilePath();
    return own;
}

// The engine's texts break lines with CR and LF in either order.
QString oneLine(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String(" ")).replace(QLatin1String("\n\r"), QLatin1String(" "));
    return text.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
}

// Loads the template as the print command does; false (message on stderr)
// when it is missing or damaged.
bool templateLoads(const QString &path)
{
    CliReportWindow window;
    bool damaged = false;
    TfrMessageSink previous = frSetMessageSink([&](const QString &text, const QString &caption, TfrMessageIcon icon) {
        if (icon == TfrMessageIcon::Error) damaged = true;
        cliError(caption + QStringLiteral(": ") + oneLine(text));
    });
    bool loaded = true;
    try {
        window.report()->LoadTemplate(path);
    } catch (const Exception &e) {
        cliError(oneLine(e.message()));
        loaded = false;
    }
    frSetMessageSink(std::move(previous));
    return loaded && !damaged;
}

const CliCommand *reportCommand()
{
    for (const CliCommand &c : cliCommands())
        if (c.name == QLatin1String("report")) return &c;
    return nullptr;
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
            if (!validIsoDay(day)) return cliUsage(QStringLiteral("Data non valida: %1 (atteso AAAA-MM-GG)").arg(day));
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
    if (templ.isEmpty()) templ = defaultTemplate();
    if (!templateLoads(templ)) return 1;

    const CliCommand *report = reportCommand();
    if (!report || !report->usage.contains(QLatin1String("build"))) {
        cliError(QStringLiteral("La costruzione dei report non è disponibile in questa versione."));
        return 1;
    }
    QStringList build{QStringLiteral("build"), templ, QStringLiteral("--archive"), archive};
    if (!from.isEmpty()) build << QStringLiteral("--from") << from;
    if (!to.isEmpty()) build << QStringLiteral("--to") << to;
    build << QStringLiteral("--pdf") << pdf;
    return report->run(build);
}

} // namespace

TONALBA_CLI_COMMAND(QStringLiteral("print"), kUsage.mid(5), runPrint, true);
