#include "report/chart/frgraphlayout.h"

#include <cmath>

TfrGraphLayout::TfrGraphLayout(const QRect &plot, int records, int series, double smallest, double largest)
    : m_plot(plot), m_records(qMax(0, records)), m_series(qMax(1, series)), m_smallest(smallest), m_largest(largest)
{
    m_units = m_records > 0 ? m_records * (2 * m_series + 1) - 1 : 0;
}

double TfrGraphLayout::UnitWidth() const { return m_units > 0 ? double(m_plot.width()) / m_units : 0.0; }

int TfrGraphLayout::unitX(int unit) const
{
    if (m_units <= 0) return m_plot.x();
    return m_plot.x() + int(std::lround(double(unit) * m_plot.width() / m_units));
}

int TfrGraphLayout::ValueY(double value) const
{
    const double span = m_largest - m_smallest;
    if (!(span > 0) || !std::isfinite(span)) return Bottom();
    const double y = Bottom() - (value - m_smallest) * m_plot.height() / span;
    // Averages of huge values must not overflow the painter's coordinates.
    return int(std::lround(qBound(-1e6, y, 1e6)));
}

int TfrGraphLayout::GridY(int k) const
{
    return Bottom() - int(std::lround(double(k) * m_plot.height() / GridSteps));
}
