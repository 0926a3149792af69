#pragma once
// TfrPdfWriter: writes prepared pages as a PDF file. The preview's save and
// print to file and the command-line tool all go through it, so a report reads
// the same whichever way it was made: vector text with its fonts embedded,
// 600 dpi, each page on its own paper and orientation.
//
// The document is made in memory, then written to a new file in the target's
// folder and renamed over the target once every byte is on disk. On any failure
// (no such folder, no permission, a full disk) the target is left as it was and
// errorString() names the file and the reason. Nothing is shown from here.

#include <QRectF>
#include <QString>
#include <functional>

class TfrReport;
struct TfrPreparedPage;

class TfrPdfWriter
{
public:
    static constexpr int Resolution = 600;

    // Has ::write's contract (bytes written, or -1 with errno set); tests put
    // a full disk in its place.
    using WriteFunction = std::function<qint64(int fd, const char *data, qint64 size)>;

    explicit TfrPdfWriter(TfrReport &report);

    // Pages first..last, from 0. Every page unless set.
    void setPageRange(int first, int last);
    void setWriteFunction(WriteFunction write);

    bool write(const QString &fileName);
    QString errorString() const { return m_error; }

    // Where a page is played on a sheet of `sheet` device units: the whole
    // sheet when it uses margins, else the printable area it was laid out in.
    // Pictures of pages use it too.
    static QRectF targetRect(const TfrPreparedPage &page, const QSizeF &sheet);

private:
    bool render(QByteArray &pdf);
    bool commit(const QString &fileName, const QByteArray &bytes);
    bool fail(const QString &fileName, const QString &reason);

    TfrReport &m_report;
    int m_first = 0, m_last = -1;
    bool m_range = false;
    WriteFunction m_write;
    QString m_error;
};
