#pragma once
// TfrTableBands: prints the table (vertical band) row of a horizontal band.
//
// The objects of a band that lie in a table band print as a row across the
// page: the table header's part, one table-data part per record of the table
// dataset, the table footer's part, placed left to right by TfrTableRow and
// continued on further output pages when the row's room is used up (the
// header repeated there when the page asks for it). A row printed by a master
// footer after the last record has one part per column the master rows had,
// each reading that column's totals. The row keeps to its column; in a page
// footer it uses the page's width.

struct TfrBuildCursor;
class TfrBand;

class TfrTableBands
{
public:
    explicit TfrTableBands(TfrBuildCursor &cursor) : c(cursor) {}

    // Prints the table row of band `h`, standing at h->Y; the cursor stays on the row's first page.
    void Print(TfrBand *h);
    // A master record walk starts: no table columns counted yet.
    void ResetColumns() { m_columns = 0; }

private:
    void useRowPage(int mainPage, int k);
    bool masterAtEnd() const;

    TfrBuildCursor &c;
    int m_columns = 0;   // table columns counted over the master records
};
