#pragma once
// TfrBuilder: turns the design pages of a report and the records of its report
// datasets into prepared pages, each recorded by TfrEmfDevice.
//
// A pass prepares every design page (bands made from band objects, objects
// attached to bands by their Top, group pairs, aggregates registered, report
// datasets opened), then builds the pages: title, headers, the data levels
// walked record by record with their groups, footers and summary, breaking to
// columns and pages whenever a band does not fit. A two-pass build runs the
// pass twice, the first with drawing suppressed, to know TOTALPAGES.
//
// The band engine runs once per record for reports of thousands of records,
// so per-record work is the band's own objects and nothing that grows with
// the page count; output pages stay open only while their design page builds.
//
// The progress window is a widget, so it lives outside this library and is
// injected with setProgressWindow.

#include <QString>
#include <functional>

class TfrReport;

namespace frBuilder {
// Runs `pass` inside a modal progress window with `caption` and the first label;
// `update` is then called with each new label. The window's cancel button sets
// the report's Terminated flag.
struct ProgressWindow
{
    std::function<void(TfrReport &report, const QString &caption, const QString &label,
                       const std::function<void()> &pass)>
        run;
    std::function<void(const QString &label)> update;
};
void setProgressWindow(ProgressWindow window);

// Tells whether a designer window is open on a report (the build then works
// on a memory snapshot that is read back afterwards).
void setDesignerOpen(std::function<bool(TfrReport &)> isOpen);

// BuildReport for a report; registered as the engine's builder by install().
bool BuildReport(TfrReport &report);
void install();

// Build guards: a build never runs past this many output pages.
constexpr int MaxPages = 100000;
} // namespace frBuilder
