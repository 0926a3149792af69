// Text objects: evaluation, layout (line splitting, word wrap, automatic
// width, stretching), highlight, alignment, rotation and continuation after a
// split. Widths are the font's integer advances on the 96-dpi canvas, the
// units a recorded page keeps.

#include "report/frband.h"
#include "report/frbuildstate.h"
#include "report/frcustommemoview.h"
#include "report/frdrawmode.h"
#include "report/frexpr.h"
#include "report/frreport.h"
#include "report/frresolver.h"
#include "report/frwordwrap.h"

#include "data/dataset.h"
#include "core/exceptions.h"
#include "data/field.h"

#include <QFontMetrics>
#include <QPainter>

namespace {
enum Layout { AlignMask = 3, AlignLeft = 0, AlignRight = 1, AlignCenter = 2, AlignJustify = 3, Rotated = 4,
              VMask = 24, VCenter = 8, VBottom = 16 };

// The field a text object shows whole: its first line is a bracketed name of a
// large-object field.
TField *largeObjectField(TfrReport *report, const QStringList &memo)
{
    if (memo.isEmpty()) return nullptr;
    const QString first = memo.first().trimmed();
    if (first.size() < 3 || !first.startsWith(QLatin1Char('[')) || !first.endsWith(QLatin1Char(']'))) return nullptr;
    TDataSet *ds = nullptr;
    TField *field = nullptr;
    frFindField(report, first.mid(1, first.size() - 2), ds, field);
    return field && isBlobType(field->DataType()) ? field : nullptr;
}

QStringList splitLines(const QString &text)
{
    // Notes typed on Linux end lines with LF, older ones with CR LF or CR.
    QString t = text;
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return t.split(QLatin1Char('\n'));
}
} // namespace

QFont TfrCustomMemoView::MakeFont() const
{
    return frDraw::reportFont(FontName, FontSize, m_drawStyle, Report);
}

void TfrCustomMemoView::EvaluateText()
{
    SMemo.clear();
    MultiLineValues = false;
    for (const QString &line : Memo) {
        if (frDraw::mode().output) SMemo << frExpandLine(line, this, &MultiLineValues);
        else SMemo << line;
        if (frBuildErrorSet()) break;
    }
}

void TfrCustomMemoView::layout(QPainter &)
{
    const QFont font = MakeFont();
    const QFontMetrics fm(font);
    const auto width = [&fm](const QString &s) { return fm.horizontalAdvance(s); };
    m_lineHeight = frDraw::lineHeight(font);
    QStringList source;
    if (MultiLineValues)
        for (const QString &l : std::as_const(SMemo)) source << splitLines(l);
    else
        source = SMemo;
    const bool output = frDraw::mode().output;
    if ((Flags & AutoWidth) && output) {
        int widest = 0;
        for (const QString &l : std::as_const(source)) widest = qMax(widest, width(l));
        if (!(TextLayout & Rotated)) Width = 2 * gapx + widest;
        CalcGaps();
    }
    const bool rotated = TextLayout & Rotated;
    const int available = rotated ? Height - 2 * gapy : Width - 2 * gapx;
    QStringList lines;
    for (const QString &l : std::as_const(source)) {
        if (Flags & WordWrap) lines << TfrWordWrap::Wrap(l, available, width);
        else lines << l;
    }
    SMemo = lines;
    FirstLine = 0;
    TextHeight = int(lines.size()) * m_lineHeight + 2 * gapy;
    if (output && (Flags & MemoStretched) && ParentBand && ParentBand->Stretched()) {
        if (rotated) Width = TextHeight;
        else Height = TextHeight;
        CalcGaps();
    }
    if (rotated && (Flags & AutoWidth) && output) {
        Width = TextHeight;
        CalcGaps();
    }
}

int TfrCustomMemoView::CalcHeight()
{
    const int mode = DrawMode;
    DrawMode = DrawMeasure;
    QPainter none;
    Draw(none);
    DrawMode = mode;
    return TextHeight;
}

int TfrCustomMemoView::LinesFitting(int height) const
{
    const int room = height - gapy;
    return m_lineHeight > 0 ? qMax(0, room / m_lineHeight) : 0;
}

void TfrCustomMemoView::Draw(QPainter &canvas)
{
    const bool output = frDraw::mode().output;
    if (output && !Visible) return;
    const quint16 savedFlags = Flags;
    const int savedFill = FillColor;
    m_drawStyle = FontStyle;
    m_drawFontColor = FontColor;
    CalcGaps();
    if (DrawMode == DrawNormal || DrawMode == DrawMeasure) {
        TField *whole = output && frDraw::mode().pictureValues ? largeObjectField(Report, Memo) : nullptr;
        if (whole) {
            MultiLineValues = false;
            SMemo = splitLines(whole->IsNull() ? QString() : whole->AsString());
        } else {
            EvaluateText();
        }
    }
    if (output && DrawMode != DrawMeasure && HighlightOn && !HighlightCondition.trimmed().isEmpty()) {
        try {
            const TfrVariant v = TfrExpr::instance().Evaluate(HighlightCondition);
            if (!v.isEmptyOrNull() && v.isNumeric() && v.toFloat() == 1) {
                m_drawStyle = HighlightStyle;
                m_drawFontColor = HighlightFontColor;
                FillColor = HighlightFillColor;
            }
        } catch (const Exception &) {
            frSetBuildError(QStringLiteral("Espressione per il calcolo dell'evidenziatura errata"));
        }
    }
    if (!SMemo.isEmpty()) {
        if (DrawMode == DrawNormal || DrawMode == DrawMeasure) layout(canvas);
        if (DrawMode != DrawMeasure) drawLines(canvas);
    } else if (DrawMode != DrawMeasure) {
        TextHeight = 0;
        // An empty cell of a stretched row grows with the row, so row frames stay closed.
        const int savedHeight = Height;
        if (Memo.isEmpty() && (Flags & MemoStretched) && Height == DesignHeight && ParentBand
            && ParentBand->Stretched() && ParentBand->Height > 0 && ParentBand->MeasuredHeight > 0)
            Height = int(qint64(Height) * ParentBand->MeasuredHeight / ParentBand->Height);
        CalcGaps();
        DrawBackground(canvas);
        DrawFrame(canvas);
        Height = savedHeight;
        CalcGaps();
    }
    if (DrawMode == DrawMeasure && (Flags & MemoStretched)) MaxY = Top + TextHeight + 2;
    if (DrawMode != DrawMeasure) DrawInvisibleCross(canvas);
    FillColor = savedFill;
    Flags = savedFlags;
}

void TfrCustomMemoView::drawLines(QPainter &canvas)
{
    const bool rotated = TextLayout & Rotated;
    const int valign = TextLayout & VMask;
    const int savedTop = Top, savedLeft = Left;
    const int extent = rotated ? Width : Height;
    int shift = 0;
    if (valign == VCenter) shift = (extent - TextHeight) / 2;
    else if (valign == VBottom) shift = extent - TextHeight;
    if (rotated) Left += shift;
    else Top += shift;
    CalcGaps();
    DrawBackground(canvas);
    DrawFrame(canvas);
    {
        // With drawing suppressed (first of two passes) the lines that fit are
        // still counted, so a split text continues where it will on paper.
        const bool suppressed = frDraw::mode().suppressed;
        const QFont font = MakeFont();
        if (!suppressed) {
            canvas.save();
            canvas.setFont(font);
            canvas.setPen(frDraw::color(m_drawFontColor));
        }
        const QFontMetrics fm(font);
        const int lh = m_lineHeight > 0 ? m_lineHeight : frDraw::lineHeight(font);
        int pos = rotated ? Left + gapx : Top + gapy;
        const int limit = rotated ? DRect.right() + 1 : DRect.bottom() + 1;
        int i = qMax(0, FirstLine);
        for (; i < SMemo.size(); ++i) {
            if (pos + lh > limit) break;
            if (!suppressed)
                drawLine(canvas, SMemo[i], rotated ? pos : 0, rotated ? 0 : pos, true, fm.horizontalAdvance(SMemo[i]));
            pos += lh;
        }
        FirstLine = int(i);
        if (!suppressed) canvas.restore();
    }
    Top = savedTop;
    Left = savedLeft;
    CalcGaps();
}

void TfrCustomMemoView::drawLine(QPainter &canvas, const QString &line, int x, int y, bool, int w)
{
    const QFontMetrics fm(canvas.font());
    const bool rotated = TextLayout & Rotated;
    const int align = TextLayout & AlignMask;
    const int length = rotated ? Height : Width;
    const int gap = rotated ? gapy : gapx;
    const int available = length - 2 * gap;
    // A line that fits and was not wrapped needs no clipping.
    const bool clip = (Flags & WordWrap) || w > available;
    // Offsets along the line from its start edge (left, or bottom when rotated).
    auto place = [&](const QString &text, int along) {
        if (rotated) {
            canvas.save();
            canvas.translate(x, Top + Height - along);
            canvas.rotate(-90);
            canvas.drawText(QPointF(0, fm.ascent()), text);
            canvas.restore();
        } else {
            canvas.drawText(QPointF(Left + along, y + fm.ascent()), text);
        }
    };
    if (clip) {
        canvas.save();
        canvas.setClipRect(DRect);
    }
    if (align == AlignJustify && line.trimmed().contains(QLatin1Char(' '))) {
        QString trimmed = line;
        while (trimmed.endsWith(QLatin1Char(' '))) trimmed.chop(1);
        const QStringList words = trimmed.split(QLatin1Char(' '));
        const int blanks = int(words.size()) - 1;
        const int rectWidth = rotated ? DRect.height() + 1 : DRect.width() + 1;
        const int free = rectWidth - gap - 1 - fm.horizontalAdvance(trimmed) + blanks * fm.horizontalAdvance(QLatin1Char(' '));
        double at = gap;
        for (int k = 0; k < words.size(); ++k) {
            place(words[k], int(at));
            at += fm.horizontalAdvance(words[k]) + double(free) / blanks;
        }
    } else {
        int along = gap;
        if (align == AlignRight) along = length - gap - w - 1;
        else if (align == AlignCenter) along = gap + (length - 2 * gap - w) / 2;
        if (rotated && align == AlignRight) along = length - gap - w;   // ends at Top + gapY
        place(line, along);
    }
    if (clip) canvas.restore();
}
