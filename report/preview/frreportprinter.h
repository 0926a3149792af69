#pragma once
// TfrReportPrinter: PrintPages of a report's prepared pages on the selected
// printer. It makes the copies and the collation itself (the printer's own
// copy count stays 1), starts a new job whenever the paper changes, and stops
// at once when the report's cancel flag is set.
//
// Progress goes to OnProgress when the report has one, otherwise to the
// progress window when ShowProgress is on; the window hook lets tests see the
// window's labels.

#include <functional>

class TfrReport;
class TfrProgressForm;

class TfrReportPrinter
{
public:
    explicit TfrReportPrinter(TfrReport &report) : m_report(report) {}

    // Pages as the print dialog numbers them (from 1); the last is cut to the
    // page count.
    void PrintPages(int firstPage, int lastPage, bool collate, int copies);

    // Called after each page while the progress window is up (tests).
    static std::function<void(TfrProgressForm &)> &progressHook();

private:
    void run(int first, int last, bool collate, int copies, TfrProgressForm *progress);

    TfrReport &m_report;
};
