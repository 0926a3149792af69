#pragma once
// TfrTableRow: where the parts of one table (vertical band) row go, left to
// right: the table header's part, one part per record of the table dataset,
// the table footer's part. A part that would pass the row's right edge starts
// the next row page (a further output page that continues the row) at the
// left edge; on a row page just started it is drawn and clipped instead, so a
// part wider than the whole row cannot move on for ever. Plain numbers.

class TfrTableRow
{
public:
    // `start`: x of the row's first part; [left, right]: the room a row page offers.
    TfrTableRow(int start, int left, int right) : m_x(start), m_left(left), m_right(right) {}

    // Whether a part of `width` must go to the next row page.
    bool NeedsNextRowPage(int width) const { return !m_fresh && m_x > m_left && m_x + width > m_right; }
    // Goes on at the left edge of the next row page.
    void StartNextRowPage()
    {
        ++m_rowPage;
        m_x = m_left;
        m_fresh = true;
    }
    // A part of `width` was drawn at X().
    void Advance(int width) { m_x += width; }
    // The part asked about is on the page: the row page is no longer fresh.
    void Placed() { m_fresh = false; }

    int X() const { return m_x; }
    int RowPage() const { return m_rowPage; }   // 0: the page the row started on

private:
    int m_x;
    int m_left, m_right;
    int m_rowPage = 0;
    bool m_fresh = false;
};
