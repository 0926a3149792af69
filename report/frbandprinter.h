#pragma once
// TfrBandPrinter: prints one band at the cursor's place, and moves the cursor
// down by what it printed.
//
// A band is measured first (a stretched band grows with its texts, see
// TfrBandStretch; a data band carries the chained data bands without dataset
// that print with it on every record). When it does not fit, a band that may
// be split is cut: what stands above the cut prints, texts crossing it print
// their lines that fit and go on from the next line, pictures crossing it move
// down whole; otherwise the page or column breaks first. A band that does not
// fit a fresh page either is the build's error, never a loop. Footers of a
// data level print with their dataset moved back to the last record of what
// they close. Page footers, overlays and loose objects are not measured and
// stand where the page puts them. Afterwards every object of the band goes
// back to where it was prepared.

class QPainter;
struct TfrBuildCursor;
class TfrBand;
class TfrView;

class TfrBandPrinter
{
public:
    explicit TfrBandPrinter(TfrBuildCursor &cursor) : c(cursor) {}

    void Show(TfrBand *b);
    // Draws `o` of band `b` moved by (dx, dy) onto the current output page; on
    // the counting pass texts only lay themselves out. Errors become BuildError.
    void DrawObject(TfrView *o, TfrBand *b, int dx, int dy);
    // Gives the band's objects back their prepared places.
    void Restore(TfrBand *b);

private:
    void layout(TfrBand *b);
    void drawChain(TfrBand *b);
    int measure(TfrBand *b);
    bool splittable(const TfrBand *b) const;
    void split(TfrBand *b, int height);
    void newPageAfter(TfrBand *b);
    TfrBand *dataBandOf(TfrBand *footer) const;

    TfrBuildCursor &c;
};
