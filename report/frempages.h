#pragma once
// The prepared pages of a built report. The page recording (drawing, paper,
// geometry) is filled in by the builder; here the report only owns and drops them.

#include "report/frprinterdevice.h"

#include <QByteArray>
#include <QList>

struct TfrPreparedPage
{
    int PaperSize = 9;
    int PaperWidth = 0, PaperHeight = 0;
    int Orientation = 0;
    bool UseMargins = true;
    TfrPrinterGeometry PrnInfo;
    QByteArray Drawing;     // the recorded page in the page recorder's form
};

class TfrEMFPages
{
public:
    int Count() const { return int(m_pages.size()); }
    TfrPreparedPage &operator[](int index) { return m_pages[index]; }
    void Add(const TfrPreparedPage &page) { m_pages.append(page); }
    void Clear() { m_pages.clear(); }

private:
    QList<TfrPreparedPage> m_pages;
};
