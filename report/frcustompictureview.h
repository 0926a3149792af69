#pragma once
// Picture objects. The graphic is kept as the bytes of its stream form, so a
// template round-trips exactly; the rendering layer decodes it.

#include "report/frview.h"

#include <QByteArray>

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
};
