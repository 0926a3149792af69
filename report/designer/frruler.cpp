#include "report/designer/frruler.h"

#include <QPainter>
#include <cmath>

TfrRuler::TfrRuler(Qt::Orientation orientation, QWidget *parent) : QWidget(parent), m_orientation(orientation)
{
    if (orientation == Qt::Horizontal) setFixedHeight(20);
    else setFixedWidth(20);
}

void TfrRuler::setOffset(int offset)
{
    m_offset = offset;
    update();
}

void TfrRuler::setUnits(int units)
{
    m_units = units;
    update();
}

void TfrRuler::setLength(int pixels)
{
    m_length = pixels;
    update();
}

void TfrRuler::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Button));
    p.setPen(palette().color(QPalette::ButtonText));
    QFont f = font();
    f.setPixelSize(9);
    p.setFont(f);
    // A tick per small step, a longer one with a number per big step.
    double small = 10, big = 100;
    if (m_units == 1) { small = 96.0 / 25.4; big = small * 10; }
    else if (m_units == 2) { small = 96.0 / 8; big = 96; }
    const bool horizontal = m_orientation == Qt::Horizontal;
    const int extent = horizontal ? width() : height();
    const int thickness = horizontal ? height() : width();
    for (int i = 0;; ++i) {
        const double at = i * small;
        if (at > m_length) break;
        const int pos = int(at) - m_offset;
        if (pos < 0) continue;
        if (pos > extent) break;
        const bool major = std::abs(std::fmod(at, big)) < 0.001 || std::abs(std::fmod(at, big) - big) < 0.001;
        const bool half = !major && (m_units == 1 ? i % 5 == 0 : m_units == 2 ? i % 4 == 0 : i % 5 == 0);
        const int len = major ? thickness / 2 : half ? thickness / 3 : thickness / 5;
        if (horizontal) p.drawLine(pos, thickness - len, pos, thickness);
        else p.drawLine(thickness - len, pos, thickness, pos);
        if (major && i > 0) {
            const QString label = QString::number(qRound(at / big));
            if (horizontal) p.drawText(pos + 2, 10, label);
            else p.drawText(2, pos + 10, label);
        }
    }
}
