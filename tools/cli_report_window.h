#pragma once
// The command-line tool's stand-in for the main window: an owner named
// "frm_main" holding the diary's two tables `Diario` and `Intesta`, registered
// with the report engine as an open form, so templates that name
// "frm_main.Diario" resolve as in the program. The report component is its
// child, like frReport1 on the real window.

#include "data/dataset.h"

#include <QObject>
#include <QString>
#include <functional>

class TfrReport;

class CliReportWindow : public QObject
{
public:
    CliReportWindow();
    ~CliReportWindow() override;

    // Opens the archive into the two tables (read-only), or says why not.
    using ArchiveOpener = std::function<bool(CliReportWindow &window, const QString &archive, QString *error)>;
    static void setArchiveOpener(ArchiveOpener opener);
    bool openArchive(const QString &archive, QString *error);

    // Replaces a table (the window takes ownership), for archives and tests.
    void setTables(TDataSet *diario, TDataSet *intesta);

    TDataSet *Diario() const { return m_diario; }
    TDataSet *Intesta() const { return m_intesta; }
    TfrReport *report() const { return m_report; }

private:
    TDataSet *m_diario = nullptr;
    TDataSet *m_intesta = nullptr;
    TfrReport *m_report = nullptr;
};
