#pragma once
// TfrTextSearch: finding text in prepared pages. Every text output record of
// the pages is compared with the search text, page by page from the chosen
// origin, until one matches. Plain data in and out, so it is tested without
// a window.

#include <QByteArray>
#include <QList>
#include <QRectF>
#include <QString>

enum class TfrFindOrigin { FirstPage, CurrentPage, Next, Previous };

struct TfrFindOptions
{
    QString text;
    bool matchCase = false;
    bool partOfWord = false;    // off: the text must stand as whole words
    TfrFindOrigin origin = TfrFindOrigin::FirstPage;
};

struct TfrFindMatch
{
    int page = -1;
    int record = -1;            // index among the page's text records
    QRectF bounds;              // the record's rectangle, page units
    bool found() const { return page >= 0; }
};

class TfrTextSearch
{
public:
    // `current` is the page shown; `last` the previous match (for Next and Previous).
    static TfrFindMatch find(const QList<QByteArray> &pages, const TfrFindOptions &options, int current,
                             const TfrFindMatch &last = {});
    static bool matches(const QString &recordText, const TfrFindOptions &options);
};
