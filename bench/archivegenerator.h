#pragma once
// ArchiveGenerator: realistic diary archives for the benchmarks. A day has
// two readings of two measurements each, or fewer (about one day in ten has
// a single measurement, three in ten only the first reading); weights are
// mostly empty; one day in ten carries a note of a few Italian words. The
// word "cardiologo" appears on about 1 % of the days and nowhere else, so a
// search for it selects a known, thin slice of the diary.
//
// The sequence is seeded, so the same N always gives the same archive.
// Archives are cached by size under the data folder and made only once.

#include <QString>

class ArchiveGenerator
{
public:
    static constexpr const char *SearchWord = "cardiologo";

    // Writes a new archive of `days` consecutive days ending on 31/12/2024.
    // Refuses an existing file. Throws EDaoError.
    static void generate(const QString &path, int days);

    // The cached archive of `days` days in `folder`, generated when missing.
    static QString cached(const QString &folder, int days);
    // An archive with the header row and no day, cached the same way.
    static QString cachedEmpty(const QString &folder);
};
