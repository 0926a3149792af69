#pragma once
// A band object (kind 2): FrameLines holds the band type, Flags the band
// options, FormatText the report dataset (data bands) or group condition.

#include "report/frbandtypes.h"
#include "report/frview.h"

class TfrBandView : public TfrView
{
public:
    explicit TfrBandView(TfrReport *report = nullptr) : TfrView(report)
    {
        Kind = frKind::Band;
        DisplayFormat = 0;
    }
    QString ClassName() const override { return QStringLiteral("TfrBandView"); }
    bool IsDataBound() const override { return frBand::isDataBand(BandType()); }
    int BandType() const { return FrameLines; }
    // The designer's look; bands never draw on prepared pages.
    void Draw(QPainter &canvas) override;
    QRegion GetRegion(bool handles) const override;
};
