#pragma once
// TfrView: an object placed on a design page (text, picture, band, subreport,
// or an add-in kind). It holds the common fields every object stores in a
// template, reads and writes its own part of an object record, and carries the
// run-time state the build uses (parent band, position as designed).
// Drawing is added by the rendering layer.

#include <QRect>
#include <QRegion>
#include <QString>
#include <QStringList>

class TfrReport;
class TfrBand;
class TfrBinaryReader;
class TfrBinaryWriter;
class QPainter;

namespace frKind {
enum { Memo = 0, Picture = 1, Band = 2, SubReport = 3, AddIn = 10 };
}

class TfrView
{
public:
    explicit TfrView(TfrReport *report = nullptr);
    virtual ~TfrView();
    TfrView(const TfrView &) = delete;
    TfrView &operator=(const TfrView &) = delete;

    static constexpr int NoColor = 0x1FFFFFFF;

    // The class name as stored for add-ins and shown in the designer ("TfrMemoView").
    virtual QString ClassName() const { return QStringLiteral("TfrView"); }
    // Base of automatic names: the class name without "Tfr" and "View" ("Memo").
    QString BaseName() const;

    virtual bool IsDataBound() const { return false; }
    // Copies every stored field (not the name, the report or run-time state).
    virtual void Assign(const TfrView &from);
    // The kind-specific part of an object record (after the common data).
    virtual void LoadFromStream(TfrBinaryReader &reader, int fileVersion);
    virtual void SaveToStream(TfrBinaryWriter &writer) const;

    // Common data of an object record, as written at version 27.
    void LoadCommon(TfrBinaryReader &reader, int fileVersion);
    void SaveCommon(TfrBinaryWriter &writer) const;

    int Kind = frKind::Memo;
    QString Name;
    int Left = 0, Top = 0, Width = 0, Height = 0;
    quint16 Flags = 0;
    quint16 FrameLines = 0;
    int FrameWidth = 1;
    int FrameColor = 0;
    quint16 FrameStyle = 0;
    int FillColor = NoColor;
    int DisplayFormat = 0;
    QString FormatText;          // first line of the stored list
    QStringList Memo;
    bool Visible = true;
    TfrReport *Report = nullptr;

    // Run time.
    TfrBand *ParentBand = nullptr;
    int DesignLeft = 0, DesignTop = 0, DesignWidth = 0, DesignHeight = 0;
    bool Selected = false;

    void SaveDesignPosition();
    void RestoreDesignPosition();

    // Drawing, in DesignUnit on the canvas (frDraw::mode() says design or output).
    int gapx = 0, gapy = 0;
    QRect DRect;                 // GDI-style: right and bottom exclusive
    virtual void CalcGaps();
    virtual void Draw(QPainter &canvas);
    virtual void DrawBackground(QPainter &canvas);
    virtual void DrawFrame(QPainter &canvas);
    // Background and frame only (empty rows of a band).
    void DrawEmpty(QPainter &canvas);
    // Where a click hits the object; `handles` widens it for the selection handles.
    virtual QRegion GetRegion(bool handles) const;

protected:
    // Design mode: invisible objects are crossed in red.
    void DrawInvisibleCross(QPainter &canvas);
};
