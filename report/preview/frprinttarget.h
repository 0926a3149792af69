#pragma once
// TfrPrintTarget: where printed pages go. One target serves a whole print
// run; a paper change ends the job and begins another on the same target.
// The Qt target prints through QPrinter (CUPS, or PDF files); tests plug in a
// recorder that keeps the jobs, sheets and played pages.

#include <QByteArray>
#include <QRect>
#include <QString>

struct TfrPaper
{
    int code = 9;
    int width = 0, height = 0;      // tenths of a millimetre
    int orientation = 0;            // 0 portrait, 1 landscape
    friend bool operator==(const TfrPaper &, const TfrPaper &) = default;
};

// The sheet of the current job in device pixels; the painter's origin is the
// top left corner of the printable area, as on a printer's device context.
struct TfrDeviceGeometry
{
    int physicalWidth = 0, physicalHeight = 0;
    int offsetLeft = 0, offsetTop = 0;
    int printableWidth = 0, printableHeight = 0;
};

class TfrPrintTarget
{
public:
    virtual ~TfrPrintTarget() = default;
    // Begins a job on the first sheet. False when nothing could be started
    // (the printer failed, or the user declined the PDF file).
    virtual bool beginJob(const QString &title, const TfrPaper &paper) = 0;
    virtual TfrDeviceGeometry geometry() const = 0;
    virtual bool newSheet() = 0;
    // Plays a recorded page into `target` (device pixels) on the current sheet.
    virtual void playPage(const QByteArray &emf, const QRect &target) = 0;
    virtual void endJob() = 0;
    // Ends the job at once; what was not yet sent is dropped.
    virtual void abortJob() = 0;
};
