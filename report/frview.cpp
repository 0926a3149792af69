#include "report/frview.h"

#include "report/frbinaryreader.h"
#include "report/frbinarywriter.h"
#include "core/formatsettings.h"

#include <cmath>

TfrView::TfrView(TfrReport *report) : Report(report)
{
    // Two decimals with the locale's separator, packed as in DisplayFormat.
    DisplayFormat = TFormatSettings::current().decimalSeparator.unicode() + 2 * 256;
}

TfrView::~TfrView() = default;

QString TfrView::BaseName() const
{
    QString name = ClassName();
    if (name.startsWith(QLatin1String("Tfr"), Qt::CaseInsensitive)) name.remove(0, 3);
    if (name.endsWith(QLatin1String("View"), Qt::CaseInsensitive)) name.chop(4);
    return name;
}

void TfrView::Assign(const TfrView &from)
{
    Kind = from.Kind;
    Left = from.Left;
    Top = from.Top;
    Width = from.Width;
    Height = from.Height;
    Flags = from.Flags;
    FrameLines = from.FrameLines;
    FrameWidth = from.FrameWidth;
    FrameColor = from.FrameColor;
    FrameStyle = from.FrameStyle;
    FillColor = from.FillColor;
    DisplayFormat = from.DisplayFormat;
    FormatText = from.FormatText;
    Memo = from.Memo;
    Visible = from.Visible;
}

void TfrView::LoadFromStream(TfrBinaryReader &, int) {}

void TfrView::SaveToStream(TfrBinaryWriter &) const {}

void TfrView::LoadCommon(TfrBinaryReader &r, int version)
{
    // Layouts before version 24 grow by 1123/1088 below, and their limits
    // shrink by as much: what loads must load again once saved.
    const auto limit = [version](const frLimits::Limit &l) {
        return version < 24 ? frLimits::Limit{l.min * 1088 / 1123, l.max * 1088 / 1123, l.maxText} : l;
    };
    Left = r.i32(limit(frLimits::ObjectPosition), "left");
    Top = r.i32(limit(frLimits::ObjectPosition), "top");
    Width = r.i32(limit(frLimits::ObjectSize), "width");
    Height = r.i32(limit(frLimits::ObjectSize), "height");
    Flags = r.u16();
    FrameLines = r.u16();
    FrameWidth = r.i32(frLimits::FrameWidth, "frame width");
    FrameColor = r.i32();
    FrameStyle = r.u16();
    FillColor = r.i32();
    DisplayFormat = r.i32();
    FormatText = r.stringList(version).value(0);
    Memo = r.stringList(version);
    if (version > 22) {
        Visible = r.u8() != 0;
        Name = r.shortString();
    }
    if (version < 24) {
        // Layouts before version 24 were made for a 1088-pixel-high page.
        const auto scale = [](int v) {
            return int(qBound(-2147483648.0, std::round(double(v) * 1123.0 / 1088.0), 2147483647.0));
        };
        Left = scale(Left);
        Top = scale(Top);
        Width = scale(Width);
        Height = scale(Height);
    }
}

void TfrView::SaveCommon(TfrBinaryWriter &w) const
{
    w.i32(Left);
    w.i32(Top);
    w.i32(Width);
    w.i32(Height);
    w.u16(Flags);
    w.u16(FrameLines);
    w.i32(FrameWidth);
    w.i32(FrameColor);
    w.u16(FrameStyle);
    w.i32(FillColor);
    w.i32(DisplayFormat);
    w.stringList(FormatText.isEmpty() ? QStringList() : QStringList{FormatText});
    w.stringList(Memo);
    w.u8(Visible ? 1 : 0);
    w.shortString(Name);
}

void TfrView::SaveDesignPosition()
{
    DesignLeft = Left;
    DesignTop = Top;
    DesignWidth = Width;
    DesignHeight = Height;
}

void TfrView::RestoreDesignPosition()
{
    Left = DesignLeft;
    Top = DesignTop;
    Width = DesignWidth;
    Height = DesignHeight;
}
