#pragma once
// Writes a report as a template stream of version 27, the mirror of
// TfrTemplateReader: DatasetTable, header, printer, pages, objects page by
// page, values record.

#include <QByteArray>

class TfrReport;

class TfrTemplateWriter
{
public:
    explicit TfrTemplateWriter(const TfrReport &report) : m_report(report) {}
    // `base`: absolute stream position the bytes will be written at.
    QByteArray write(qint64 base = 0) const;

    static constexpr int FileVersion = 27;

private:
    const TfrReport &m_report;
};
