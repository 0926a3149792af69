#include "report/preview/frpreviewlayout.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr double kScreenPerTenthMm = 397.0 / 1050.0;
} // namespace

void TfrPreviewLayout::setZoom(TfrZoomMode mode, int percent)
{
    m_mode = mode;
    m_percent = qBound(1, percent, 1000);
}

double TfrPreviewLayout::zoom() const
{
    if (m_mode == TfrZoomMode::Percent || m_papers.isEmpty()) return m_percent;
    // The fitting choices fit the largest paper, so no page is cut.
    int w = 0, h = 0;
    for (const QSize &p : m_papers) {
        w = std::max(w, p.width());
        h = std::max(h, p.height());
    }
    const double pw = w * kScreenPerTenthMm, ph = h * kScreenPerTenthMm;
    if (pw <= 0 || ph <= 0) return 100;
    const double byWidth = (m_viewport.width() - Gap * (columns() + 1)) * 100.0 / (pw * columns());
    const double byHeight = (m_viewport.height() - 2 * Gap) * 100.0 / ph;
    const double z = m_mode == TfrZoomMode::PageWidth ? byWidth : std::min(byWidth, byHeight);
    return std::max(z, 1.0);
}

QSize TfrPreviewLayout::pageSize(int index) const
{
    const QSize paper = m_papers.value(index);
    const double z = zoom();
    return QSize(int(std::lround(paper.width() * kScreenPerTenthMm * z / 100)),
                 int(std::lround(paper.height() * kScreenPerTenthMm * z / 100)));
}

int TfrPreviewLayout::rowHeight(int row) const
{
    int h = 0;
    for (int c = 0; c < columns(); ++c) h = std::max(h, pageSize(row * columns() + c).height());
    return h;
}

int TfrPreviewLayout::rowWidth(int row) const
{
    int w = 0;
    for (int c = 0; c < columns(); ++c) {
        const int i = row * columns() + c;
        if (i >= count()) break;
        w += (c ? Gap : 0) + pageSize(i).width();
    }
    return w;
}

QSize TfrPreviewLayout::contentSize() const
{
    const int rows = (count() + columns() - 1) / columns();
    int w = 0;
    for (int r = 0; r < rows; ++r) w = std::max(w, rowWidth(r));
    return QSize(std::max(w + 2 * Gap, m_viewport.width()), pageTop(rows * columns()) + Gap);
}

int TfrPreviewLayout::pageTop(int index) const
{
    int y = 0;
    for (int r = 0; r < index / columns(); ++r) y += rowHeight(r) + Gap;
    return y;
}

QRect TfrPreviewLayout::pageRect(int index) const
{
    if (index < 0 || index >= count()) return QRect();
    const int row = index / columns();
    const int width = std::max(rowWidth(row) + 2 * Gap, m_viewport.width());
    int x = (width - rowWidth(row)) / 2;
    for (int i = row * columns(); i < index; ++i) x += pageSize(i).width() + Gap;
    return QRect(QPoint(x, Gap + pageTop(index)), pageSize(index));
}

int TfrPreviewLayout::pageAt(int y) const
{
    int page = 0, top = 0;
    for (int row = 0; row * columns() < count(); ++row) {
        if (top > y) break;
        page = row * columns();
        top += rowHeight(row) + Gap;
    }
    return page;
}
