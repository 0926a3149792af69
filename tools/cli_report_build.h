#pragma once
// `tonalba-cli report build`: see cli_report_build.cpp.

#include <QStringList>

class CliReportWindow;

// Arguments after "build"; the window already holds the archive's tables.
int cliReportBuild(CliReportWindow &window, const QStringList &args);
