#include "report/preview/frtextsearch.h"

#include "report/fremfplayer.h"

namespace {
bool isWordChar(QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_'); }
} // namespace

bool TfrTextSearch::matches(const QString &recordText, const TfrFindOptions &options)
{
    if (options.text.isEmpty()) return false;
    const Qt::CaseSensitivity cs = options.matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive;
    for (qsizetype at = recordText.indexOf(options.text, 0, cs); at >= 0;
         at = recordText.indexOf(options.text, at + 1, cs)) {
        if (options.partOfWord) return true;
        const qsizetype end = at + options.text.size();
        const bool startsWord = at == 0 || !isWordChar(recordText[at - 1]);
        const bool endsWord = end >= recordText.size() || !isWordChar(recordText[end]);
        if (startsWord && endsWord) return true;
    }
    return false;
}

TfrFindMatch TfrTextSearch::find(const QList<QByteArray> &pages, const TfrFindOptions &options, int current,
                                 const TfrFindMatch &last)
{
    const int count = int(pages.size());
    if (count == 0) return {};
    const bool backward = options.origin == TfrFindOrigin::Previous;
    const int step = backward ? -1 : 1;
    int page = 0, record = 0;
    // Next and Previous go on from the last match; otherwise the search
    // enters its first page at the edge it walks from.
    bool entering = true;
    if (options.origin != TfrFindOrigin::FirstPage) page = qBound(0, current, count - 1);
    if ((options.origin == TfrFindOrigin::Next || backward) && last.found() && last.page < count) {
        page = last.page;
        record = last.record + step;
        entering = false;
    }

    for (; page >= 0 && page < count; page += step) {
        const QList<TfrEmfText> texts = TfrEmfPlayer::texts(pages[page]);
        if (entering) record = backward ? int(texts.size()) - 1 : 0;
        entering = true;
        for (; record >= 0 && record < texts.size(); record += step) {
            if (matches(texts[record].text, options)) return TfrFindMatch{page, record, texts[record].bounds};
        }
    }
    return {};
}
