// Drawing of the parts every object shares: gaps, drawing rectangle,
// background, frame, the design-mode marks and the hit-test region.

#include "report/frbuildcontext.h"
#include "report/frdrawmode.h"
#include "report/frreport.h"
#include "report/frview.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPainter>
#include <QPalette>
#include <QScreen>
#include <cmath>

namespace {
enum FrameLine { LineRight = 1, LineBottom = 2, LineLeft = 4, LineTop = 8, AllLines = 15 };

int mulDiv(int a, int b, int c)
{
    if (c == 0) return -1;
    const double v = double(a) * b / c;
    return int(v < 0 ? std::ceil(v - 0.5) : std::floor(v + 0.5));
}
} // namespace

frDraw::Mode &frDraw::mode()
{
    return frActiveContext().DrawMode;
}

QColor frDraw::color(int value)
{
    if (value == None) return QColor();
    const quint32 v = quint32(value);
    if (v & 0x80000000u) {
        const QPalette pal = qobject_cast<QGuiApplication *>(QCoreApplication::instance())
                                 ? QGuiApplication::palette()
                                 : QPalette();
        switch (v & 0xFF) {
        case 5: return pal.color(QPalette::Base);
        case 8: return pal.color(QPalette::Text);
        case 12: return QColor(0xAB, 0xAB, 0xAB);
        case 13: return pal.color(QPalette::Highlight);
        case 14: return pal.color(QPalette::HighlightedText);
        case 16: return pal.color(QPalette::Dark);
        default: return pal.color(QPalette::Button);
        }
    }
    return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}

int frDraw::screenPixelsPerInch()
{
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        if (QScreen *screen = QGuiApplication::primaryScreen()) return qRound(screen->logicalDotsPerInch());
    return 96;
}

QFont frDraw::reportFont(const QString &name, int size, int style, const TfrReport *report)
{
    QFont font(name);
    int px = mulDiv(size, 96, 72);
    if (report && report->Scaled) {
        const int screen = screenPixelsPerInch();
        if (report->PixelsPerInch != screen && screen > 0) px = qRound(double(px) * report->PixelsPerInch / screen);
    }
    font.setPixelSize(qMax(1, qAbs(px)));
    font.setItalic(style & 1);
    font.setBold(style & 2);
    font.setUnderline(style & 4);
    // Glyph advances must not depend on hinting at the canvas size, or a page
    // measured at 96 dpi would wrap differently when played elsewhere.
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

int frDraw::lineHeight(const QFont &font) { return font.pixelSize() + 2; }

void TfrView::CalcGaps()
{
    gapx = FrameWidth / 2 + 2;
    gapy = FrameWidth / 2 / 2 + 1;
    int left = Left, top = Top, right = Left + Width + 1, bottom = Top + Height + 1;
    if (FrameLines & LineLeft) left += (FrameWidth - 1) / 2;
    if (FrameLines & LineTop) top += (FrameWidth - 1) / 2;
    if (FrameLines & LineRight) right -= FrameWidth / 2;
    if (FrameLines & LineBottom) bottom -= FrameWidth / 2;
    DRect = QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

void TfrView::DrawBackground(QPainter &canvas)
{
    const bool output = frDraw::mode().output;
    if (frDraw::mode().suppressed || (output && FillColor == frDraw::None)) return;
    const QColor fill = FillColor == frDraw::None ? QColor(Qt::white) : frDraw::color(FillColor);
    const QRect r = output ? QRect(Left, Top, Width, Height) : QRect(DRect.left(), DRect.top(), DRect.width() + 1, DRect.height() + 1);
    if (r.width() <= 0 || r.height() <= 0) return;
    canvas.fillRect(r, fill);
}

void TfrView::DrawFrame(QPainter &canvas)
{
    if (frDraw::mode().suppressed) return;
    const bool output = frDraw::mode().output;
    canvas.save();
    canvas.setBrush(Qt::NoBrush);
    if ((FrameLines & AllLines) == 0) {
        if (!output) {
            // Corner marks, so an object without frame can be found in the designer.
            canvas.setPen(QPen(Qt::black, 1));
            const int r = Left + Width, b = Top + Height;
            const QLine marks[] = {{Left, Top, Left + 3, Top}, {Left, Top, Left, Top + 3},
                                   {r, Top, r - 4, Top},       {r, Top, r, Top + 3},
                                   {Left, b, Left + 3, b},     {Left, b, Left, b - 4},
                                   {r, b, r - 4, b},           {r, b, r, b - 4}};
            canvas.drawLines(marks, 8);
        }
        canvas.restore();
        return;
    }
    QPen pen(frDraw::color(FrameColor), qMax(1, FrameWidth), Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
    canvas.setPen(pen);
    if ((FrameLines & AllLines) == AllLines) {
        canvas.drawRect(QRect(Left, Top, Width, Height));
    } else {
        if (FrameLines & LineRight) canvas.drawLine(Left + Width, Top, Left + Width, Top + Height);
        if (FrameLines & LineLeft) canvas.drawLine(Left, Top, Left, Top + Height);
        if (FrameLines & LineBottom) canvas.drawLine(Left, Top + Height, Left + Width, Top + Height);
        if (FrameLines & LineTop) canvas.drawLine(Left, Top, Left + Width, Top);
    }
    canvas.restore();
}

void TfrView::DrawEmpty(QPainter &canvas)
{
    CalcGaps();
    DrawBackground(canvas);
    DrawFrame(canvas);
}

void TfrView::DrawInvisibleCross(QPainter &canvas)
{
    if (frDraw::mode().output || Visible) return;
    canvas.save();
    canvas.setPen(QPen(Qt::red, 2));
    canvas.drawLine(Left, Top, Left + Width, Top + Height);
    canvas.drawLine(Left + Width, Top, Left, Top + Height);
    canvas.restore();
}

void TfrView::Draw(QPainter &canvas)
{
    if (frDraw::mode().output && !Visible) return;
    CalcGaps();
    DrawBackground(canvas);
    DrawFrame(canvas);
    DrawInvisibleCross(canvas);
}

QRegion TfrView::GetRegion(bool handles) const
{
    TfrView *self = const_cast<TfrView *>(this);
    self->CalcGaps();
    QRect r = DRect.adjusted(0, 0, 1, 1);
    const int half = FrameWidth / 2;
    if (FrameLines & LineLeft) r.setLeft(r.left() - half);
    if (FrameLines & LineTop) r.setTop(r.top() - half);
    if (FrameLines & LineRight) r.setRight(r.right() + half);
    if (FrameLines & LineBottom) r.setBottom(r.bottom() + half);
    if (handles) r.adjust(-10, -10, 10, 10);
    return QRegion(r);
}
