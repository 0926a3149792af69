#pragma once
// A subreport object (kind 3): places the design page TargetPage inside the
// band that holds it.

#include "report/frview.h"

class TfrSubReportView : public TfrView
{
public:
    explicit TfrSubReportView(TfrReport *report = nullptr) : TfrView(report) { Kind = frKind::SubReport; }
    QString ClassName() const override { return QStringLiteral("TfrSubReportView"); }
    void Assign(const TfrView &from) override;
    void LoadFromStream(TfrBinaryReader &reader, int fileVersion) override;
    void SaveToStream(TfrBinaryWriter &writer) const override;

    int TargetPage = 0;
    void Draw(QPainter &canvas) override;
};
