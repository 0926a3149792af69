#pragma once
// Reads a template stream into a report. Layout versions 21 to 27 are read
// (20 or less counts as 21 without a version byte). The reader trusts nothing:
// counts are checked against the bytes left, picture end positions must lie
// ahead inside the stream, object page indexes must name a page read before,
// page records stop at 256, and sizes (paper, margins, columns, objects,
// fonts, counted records) stay within report/frlimits.h, so a hostile stream
// ends the load as corrupt rather than looping or exhausting memory, then or
// when the report is built. A corrupt stream leaves one empty page and no
// datasets; the result says why and where (a field out of its limits is named
// with its record), and shows nothing.

#include "report/frloadresult.h"

#include <QByteArray>

class TfrReport;

class TfrTemplateReader
{
public:
    explicit TfrTemplateReader(TfrReport &report) : m_report(report) {}
    // `base` is the absolute position of data[0] in its stream.
    TfrLoadResult read(const QByteArray &data, qint64 base = 0);

    static QString corruptMessage();
    static QString missingDatasetMessage(const QString &name);
    static QString unknownAddInMessage(const QString &className);

    static constexpr int MaxPages = 256;

private:
    TfrReport &m_report;
};
