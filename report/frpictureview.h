#pragma once
// The picture object kind (1).

#include "report/frcustompictureview.h"

class TfrPictureView : public TfrCustomPictureView
{
public:
    explicit TfrPictureView(TfrReport *report = nullptr) : TfrCustomPictureView(report) {}
    QString ClassName() const override { return QStringLiteral("TfrPictureView"); }
};
