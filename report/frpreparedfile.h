#pragma once
// TfrPreparedFile: the prepared report file (".frp"), the form in which the
// preview saves and opens built reports and copies them between reports.
//
// Layout, little-endian: a counted StringList whose first line names the
// printer list entry selected when the file was written; int32 page count;
// per page: int32 absolute stream position of the next page record, uint16
// paper code, int32 width and height (tenths of a millimetre), one byte
// orientation, one byte use margins, then the page's Enhanced Metafile.
//
// Reading checks everything before the report is touched: a stored position
// at or before the page's own record or past the end, a count that cannot fit
// in the data, or metafile data cut short refuses the whole file with
// invalidFileMessage() and leaves the report as it was.

#include "report/frloadresult.h"
#include "core/exceptions.h"
#include "report/frempages.h"

#include <QByteArray>
#include <QList>
#include <QString>

class QIODevice;
class TfrReport;

// A file that is not a valid prepared report: the message to show, and in
// result() the reason and the byte offset where reading stopped.
class EfrPreparedFileError : public Exception
{
public:
    explicit EfrPreparedFileError(const TfrLoadResult &result)
        : Exception(result.Messages.isEmpty() ? result.Reason : result.Messages.first().text), m_result(result)
    {
    }
    const TfrLoadResult &result() const { return m_result; }

private:
    TfrLoadResult m_result;
};

class TfrPreparedFile
{
public:
    struct Page
    {
        int PaperSize = 9;
        int PaperWidth = 0, PaperHeight = 0;
        int Orientation = 0;
        bool UseMargins = true;
        QByteArray Drawing;
    };
    struct Content
    {
        QString printerName;
        QList<Page> pages;
    };

    // "Il file non è un report valido o è danneggiato."
    static QString invalidFileMessage();

    // The file for `pages`; `base` is the absolute position the data will
    // start at in its stream. An empty list is written as one blank page of
    // the paper last applied, so the file always has a page.
    static QByteArray write(const TfrEMFPages &pages, const QString &printerName, qint64 base = 0);
    // Throws EfrPreparedFileError (invalidFileMessage()) for data that is not
    // a valid file.
    static Content parse(const QByteArray &data, qint64 base = 0);

    // The report's prepared pages with the selected printer's name.
    static QByteArray save(const TfrReport &report, qint64 base = 0);
    // Replaces the report's prepared pages. The printer named in the file is
    // selected again when the report does not use the default printer and the
    // name is in the printer list; every page's paper is applied to rebuild
    // its geometry (a paper the printer rejects becomes custom size 256).
    static void load(TfrReport &report, const QByteArray &data, qint64 base = 0);

    // SavePrepared / LoadPrepared on files and streams. Failures throw
    // Exception (EfrPreparedFileError for a file that is not valid).
    static void SavePrepared(const TfrReport &report, const QString &fileName);
    static void LoadPrepared(TfrReport &report, const QString &fileName);
    static void SavePreparedStream(const TfrReport &report, QIODevice &stream);
    static void LoadPreparedStream(TfrReport &report, QIODevice &stream);

private:
    static QByteArray blankPage(int width, int height);
};
