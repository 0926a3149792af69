#pragma once
// TfrPagePreparer: turns a design page into the bands a pass prints, and gives
// it back afterwards exactly as designed.
//
// Preparing makes one band per band type, chained where a type has several
// band objects (top to bottom); gives every object to the band it stands in,
// its position made relative to the band (loose objects go to the band of
// type None); pairs group headers with footers; opens the data bands'
// datasets (a dataset named on several pages is opened once); and evaluates
// every text once, silently, so its aggregates are registered. An object that
// lies inside a vertical (table) band's extent belongs to that table as well,
// and prints with the table row rather than with its band.
//
// Giving back closes the datasets in reverse order, restores every object's
// designed position and frees the bands. It covers every page prepared, also
// when preparing or building failed half way.

#include <QHash>
#include <QRect>
#include <utility>
#include <vector>

struct TfrBuildCursor;
class TfrBand;
class TfrDataset;
class TfrPage;
class TfrView;

class TfrPagePreparer
{
public:
    explicit TfrPagePreparer(TfrBuildCursor &cursor) : c(cursor) {}

    // Failures are the build's error (BuildError); the page is given back later all the same.
    void Prepare(TfrPage *page);
    // Gives back every prepared page, the last first.
    void UnprepareAll();

    // The table band `o` lies in, or nullptr.
    TfrBand *TableOf(const TfrView *o) const { return m_tableOf.value(o); }
    // An object of band `b` that prints with the table row instead of with `b`.
    bool IsTableObject(const TfrView *o, const TfrBand *b) const;
    // Where `o` stands in its band, as prepared; what a printed band goes back to.
    QRect Relative(const TfrView *o) const { return m_relative.value(o); }

private:
    void makeBands(TfrPage *page);
    void openDatasets(TfrPage *page);
    void registerAggregates(TfrPage *page);
    void unprepare(TfrPage *page);

    TfrBuildCursor &c;
    QHash<const TfrView *, QRect> m_relative;
    QHash<const TfrView *, TfrBand *> m_tableOf;
    std::vector<std::pair<TfrBand *, TfrDataset *>> m_initialised;
    std::vector<TfrPage *> m_prepared;
};
