#pragma once
// TfrGraphLayout: where a chart's values go inside its plot rectangle.
//
// Horizontally, R records of S series divide the width into R x (2S + 1) - 1
// equal units: record r takes the 2S units from r x (2S + 1), series s the two
// units from 2s inside them, and one unit separates records. Unit boundaries
// are rounded to whole pixels, so slots tile the width without gaps.
// Vertically, the height spans Smallest..Largest (which include 0) and values
// stand on the line of value 0. An empty range (no records, all zero) maps
// everything onto the bottom line instead of dividing by zero.

#include <QRect>

class TfrGraphLayout
{
public:
    TfrGraphLayout(const QRect &plot, int records, int series, double smallest, double largest);

    static constexpr int GridSteps = 20;     // 21 labels and grid lines

    int UnitCount() const { return m_units; }
    double UnitWidth() const;
    // Left edge (inclusive) and right edge (exclusive) of a record's series slot.
    int SlotLeft(int record, int series) const { return unitX(record * (2 * m_series + 1) + 2 * series); }
    int SlotRight(int record, int series) const { return unitX(record * (2 * m_series + 1) + 2 * series + 2); }
    int SlotCentre(int record, int series) const { return (SlotLeft(record, series) + SlotRight(record, series)) / 2; }
    // Left and right of a record's whole group of slots.
    int RecordLeft(int record) const { return SlotLeft(record, 0); }
    int RecordRight(int record) const { return SlotRight(record, m_series - 1); }

    int Bottom() const { return m_plot.y() + m_plot.height(); }
    int ValueY(double value) const;
    int ZeroY() const { return ValueY(0); }
    // The grid line of label k (0 at the bottom, GridSteps at the top).
    int GridY(int k) const;
    double GridValue(int k) const { return m_smallest + k * (m_largest - m_smallest) / GridSteps; }

private:
    int unitX(int unit) const;

    QRect m_plot;
    int m_records;
    int m_series;
    int m_units;
    double m_smallest;
    double m_largest;
};
