#pragma once
// TfrEmfDevice: a paint device that records what is painted on it as an
// Enhanced Metafile (the published EMF format). A prepared page is painted
// onto one of these with an ordinary QPainter, then finish() gives the file.
// The reference device is 96 dpi; one device pixel is one DesignUnit.

#include <QByteArray>
#include <QPaintDevice>
#include <QSize>
#include <memory>

class TfrEmfPaintEngine;

class TfrEmfDevice : public QPaintDevice
{
public:
    // A page of `size` pixels at 96 dpi.
    explicit TfrEmfDevice(const QSize &size);
    ~TfrEmfDevice() override;

    QPaintEngine *paintEngine() const override;
    // Ends the recording (the painter must have ended) and returns the file:
    // header, records, end-of-file record.
    QByteArray finish();
    QSize size() const { return m_size; }

protected:
    int metric(PaintDeviceMetric metric) const override;

private:
    QSize m_size;
    std::unique_ptr<TfrEmfPaintEngine> m_engine;
};
