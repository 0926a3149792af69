#pragma once
// Text objects: lines with bracketed expressions, a font, a text layout and a
// highlight applied when a condition holds.

#include "report/frview.h"

#include <QFont>

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

    // Drawing.
    enum DrawModeKind { DrawNormal = 0, DrawMeasure = 1, DrawMeasured = 2, DrawContinuation = 3 };
    int DrawMode = DrawNormal;
    QStringList SMemo;          // evaluated lines, after layout
    int FirstLine = 0;          // first line still to draw (continuations)
    int TextHeight = 0;         // lines plus 2 x gapY, after the last layout
    int MaxY = 0;               // lowest y the text reaches (measuring a stretched object)
    bool MultiLineValues = false;

    virtual void EvaluateText();
    void Draw(QPainter &canvas) override;
    // Lays out without drawing and returns the text height.
    int CalcHeight();
    // Lines of the current layout that fit a height, from FirstLine (split bands).
    int LinesFitting(int height) const;
    QFont MakeFont() const;

private:
    void layout(QPainter &canvas);
    void drawLines(QPainter &canvas);
    void drawLine(QPainter &canvas, const QString &line, int x, int y, bool clip, int lineWidth);
    int m_lineHeight = 0;
    quint16 m_drawStyle = 0;
    int m_drawFontColor = 0;
};
