#pragma once
// Text objects: lines with bracketed expressions, a font, a text layout and a
// highlight applied when a condition holds.

#include "report/frview.h"

class TfrCustomMemoView : public TfrView
{
public:
    explicit TfrCustomMemoView(TfrReport *report = nullptr);

    QString ClassName() const override { return QStringLiteral("TfrCustomMemoView"); }
    void Assign(const TfrView &from) override;
    void LoadFromStream(TfrBinaryReader &reader, int fileVersion) override;
    void SaveToStream(TfrBinaryWriter &writer) const override;

    enum FontStyle { Italic = 1, Bold = 2, Underline = 4 };
    enum MemoFlag { MemoStretched = 1, WordWrap = 2, AutoWidth = 4 };

    QString FontName = QStringLiteral("Arial");
    int FontSize = 10;
    quint16 FontStyle = 0;
    int FontColor = 0;
    int TextLayout = 0;           // bits 0-1 horizontal, bit 2 rotated, bits 3-4 vertical
    quint16 HighlightStyle = Bold;
    int HighlightFontColor = 0;
    int HighlightFillColor = 0xFFFFFF;
    bool HighlightOn = false;
    QString HighlightCondition;
};
