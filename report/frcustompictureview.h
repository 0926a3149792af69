#pragma once
// Picture objects. The graphic is kept as the bytes of its stream form, so a
// template round-trips exactly; the rendering layer decodes it.

#include "report/frview.h"

#include <QByteArray>
#include <QImage>
#include <QRectF>

class TfrCustomPictureView : public TfrView
{
public:
    explicit TfrCustomPictureView(TfrReport *report = nullptr);

    QString ClassName() const override { return QStringLiteral("TfrCustomPictureView"); }
    void Assign(const TfrView &from) override;
    void LoadFromStream(TfrBinaryReader &reader, int fileVersion) override;
    void SaveToStream(TfrBinaryWriter &writer) const override;

    enum GraphicKind { NoGraphic = 0, Bitmap = 1, Metafile = 2, Icon = 3, Jpeg = 4 };
    enum PictureFlag { PictureStretched = 1, Centered = 2, KeepAspect = 4 };

    quint8 GraphicKind = NoGraphic;
    QByteArray Graphic;

    void Draw(QPainter &canvas) override;
    // The picture as an image (metafiles of the kind we record are played onto one).
    static QImage Decode(int kind, const QByteArray &data, bool *unsupported = nullptr);
    // The kind of picture data by its first bytes, at offset 0 or 8; throws
    // "Formato immagine sconosciuto." for anything else.
    static int DetectKind(const QByteArray &data, int *offset);
    // Loads the picture from a database field's bytes (empty for Null).
    void LoadFromField(const QByteArray &data, bool isNull);
    // Where a picture of that size goes in the drawing rectangle.
    QRectF PictureRect(const QSizeF &picture) const;
    bool UnsupportedPicture = false;   // a WMF picture: drawn empty
};
