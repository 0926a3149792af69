#pragma once
// The largest values the engine takes from a file, templates and prepared
// reports alike. Counts and lengths are checked against the bytes left; these
// bound the sizes, which no byte count does. No real layout comes near them
// (the diary's template is A4 with margins under 60 pixels, objects within
// 800, one column and fonts up to 16 points); a value beyond them is a
// damaged file, and taking it would overflow the page arithmetic or have a
// build allocate and draw for nothing: a page 838 m wide once took 15 s and
// 1.4 GB to build, and became a PDF page of 2.4 million points.

#include <QtGlobal>

namespace frLimits {

// A field's range and how its maximum reads in a reason ("10 m").
struct Limit
{
    qint32 min;
    qint32 max;
    const char *maxText;
};

constexpr qint32 designUnits(qint32 tenthsOfMm) { return qint32((qint64(tenthsOfMm) * 96 + 127) / 254); }

// Paper, in tenths of a millimetre: ten metres, beyond any roll a printer
// takes. A page's paper scaled for output is held to it too, so that every
// page a build makes can be saved and read back as a prepared report.
constexpr qint32 MaxPaper = 100000;
// Zero is a size: a page with a known paper code takes its size from the
// paper table and may store none.
constexpr Limit PaperSize{0, MaxPaper, "10 m"};
// Margins, column gap, frame width: lengths on a page, ten metres too.
constexpr qint32 MaxPageLength = designUnits(MaxPaper);
constexpr Limit PageLength{-MaxPageLength, MaxPageLength, "10 m"};
constexpr Limit FrameWidth{0, MaxPageLength, "10 m"};
// Object positions and sizes. Bands are laid out in the order of their
// design tops, not where they stand, so a design page may run far past its
// paper; a hundred metres keeps every sum of positions well inside int.
constexpr qint32 MaxObjectLength = designUnits(10 * MaxPaper);
constexpr Limit ObjectPosition{-MaxObjectLength, MaxObjectLength, "100 m"};
constexpr Limit ObjectSize{0, MaxObjectLength, "100 m"};
// Columns a millimetre wide on the widest paper. Zero counts as one.
constexpr Limit ColumnCount{0, MaxPaper / 10, "10000"};
// Points: a letter as tall as the widest paper. A negative size draws as
// its positive.
constexpr qint32 MaxFontSize = qint32(qint64(MaxPaper) * 72 / 254);
constexpr Limit FontSize{-MaxFontSize, MaxFontSize, "28346 points"};
static_assert(MaxFontSize == 28346 && MaxPageLength == 37795);
// Records of a dataset that counts its own: each is one pass of the band
// walk even when its band takes no room, so only the count bounds the build.
// A million 20-pixel rows fill some 20000 A4 pages.
constexpr Limit RecordCount{-2147483647 - 1, 1000000, "1000000"};

} // namespace frLimits
