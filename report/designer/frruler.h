#pragma once
// A ruler beside the design surface, in the designer's unit, following the
// surface's scrolling.

#include <QWidget>

class TfrRuler : public QWidget
{
    Q_OBJECT
public:
    TfrRuler(Qt::Orientation orientation, QWidget *parent = nullptr);
    void setOffset(int offset);
    void setUnits(int units);       // 0 pixels, 1 millimetres, 2 inches
    void setLength(int pixels);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Qt::Orientation m_orientation;
    int m_offset = 0;
    int m_units = 1;
    int m_length = 0;
};
