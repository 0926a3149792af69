#pragma once
// TfrSubReports: builds the target page of a subreport object inside the page
// that holds it, and carries it on to later output pages.
//
// The target page builds at the object's place (title, column header, its
// data levels), inside the holding page's column; every subreport of a band
// starts on the band's page, so several stand side by side. A band of the
// target that does not fit goes on at the top of the next output page of the
// holding page, made only when no earlier subreport of the band made it.
// Subreports nest; a page already building as a subreport is not entered again.

#include <utility>
#include <vector>

struct TfrBuildCursor;
class TfrBand;
class TfrPage;
class TfrSubReportView;

class TfrSubReports
{
public:
    explicit TfrSubReports(TfrBuildCursor &cursor) : c(cursor) {}

    // Builds subreport `s` of `band`; the output page and y where it ended.
    // The cursor is back on the band's page afterwards.
    std::pair<int, int> Build(TfrSubReportView *s, TfrBand *band);
    // A subreport is building.
    bool Inside() const { return !m_frames.empty(); }
    // The break of a subreport band that did not fit.
    void Break();

private:
    struct Frame
    {
        TfrPage *outer;
        int outerLeft;
    };
    TfrBuildCursor &c;
    std::vector<Frame> m_frames;
};
