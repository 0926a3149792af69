// tonalba-mkdiario <output.frf>: writes the diary's default report template.
// Run by the build; staging copies the result beside the program only where
// no template is (a template changed in the designer is never replaced).

#include "tools/mkdiario/diariotemplate.h"

#include "app/diarytables.h"
#include "core/exceptions.h"
#include "core/formatsettings.h"
#include "report/frbuildcontext.h"
#include "report/frreport.h"

#include <QGuiApplication>
#include <QTextStream>

int main(int argc, char **argv)
{
    // Fonts and the printer geometry need a GUI application, never a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTextStream err(stderr);
    const QStringList args = app.arguments().mid(1);
    if (args.size() != 1) {
        err << "Uso: tonalba-mkdiario <diario.frf>\n";
        return 2;
    }
    TFormatSettings it;
    if (TFormatSettings::forLocale(QStringLiteral("it_IT"), it)) TFormatSettings::setCurrent(it);

    // The stored component path is the owner's name and the table's: "frm_main.Diario".
    QObject window;
    window.setObjectName(QStringLiteral("frm_main"));
    TDiaryTables tables(&window, &window);
    TfrReport report(&window);
    report.setObjectName(QStringLiteral("frReport1"));
    // Whatever printers this machine has, the template names the pseudo printer.
    report.Context().Printer.SetPrinterIndex(report.Context().Printer.DefaultPrinterIndex());
    try {
        DiarioTemplate::build(report, tables.Diario);
        report.SaveTemplate(args[0]);
    } catch (const Exception &e) {
        err << args[0] << ": " << e.message() << "\n";
        return 1;
    }
    return 0;
}
