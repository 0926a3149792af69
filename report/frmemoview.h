#pragma once
// The text object kind (0) placed by the designer and read from templates.

#include "report/frcustommemoview.h"

class TfrMemoView : public TfrCustomMemoView
{
public:
    explicit TfrMemoView(TfrReport *report = nullptr) : TfrCustomMemoView(report) {}
    QString ClassName() const override { return QStringLiteral("TfrMemoView"); }
};
