#pragma once
// TfrEmfPlayer: plays a recorded page (an Enhanced Metafile) onto any painter
// (screen, printer, PDF, image) at any scale, and lists its text records for
// find and export.

#include <QByteArray>
#include <QColor>
#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSize>
#include <QString>

class QPainter;

struct TfrEmfText
{
    QPointF reference;      // the text's reference point, in the page's logical units
    QRectF bounds;          // where the text lies (clipping or measured rectangle)
    QString fontName;
    int height = 0;         // font height in logical units
    bool bold = false, italic = false, underline = false, strikeOut = false;
    int escapement = 0;     // tenths of a degree (900 = rotated a quarter turn)
    QColor color;
    QString text;
};

class TfrEmfPlayer
{
public:
    // The page's frame in logical units (96 dpi pixels); empty when the data is no EMF.
    static QSize pageSize(const QByteArray &emf);
    // Draws the page scaled so its frame fills `target`. False for data that is no EMF
    // (nothing drawn); records it cannot draw are skipped.
    static bool play(const QByteArray &emf, QPainter &painter, const QRectF &target);
    // The text output records, in drawing order, in the page's logical units.
    static QList<TfrEmfText> texts(const QByteArray &emf);
};
