// Picture objects, and the designer's looks of subreport and band objects.

#include "report/frbandtypes.h"
#include "report/frbandview.h"
#include "report/frcustompictureview.h"
#include "report/frdrawmode.h"
#include "report/fremfplayer.h"
#include "report/frjpeg.h"
#include "report/frreport.h"
#include "report/frresolver.h"
#include "report/frsubreportview.h"

#include "data/dataset.h"
#include "core/exceptions.h"
#include "data/field.h"

#include <QPainter>

namespace {
QImage decodeImage(const QByteArray &data, const char *format)
{
    QImage img;
    img.loadFromData(data, format);
    return img;
}

// The picture field an object shows: its first Memo line is a bracketed name.
TField *pictureField(TfrReport *report, const QStringList &memo)
{
    if (memo.isEmpty()) return nullptr;
    const QString first = memo.first().trimmed();
    if (first.size() < 3 || !first.startsWith(QLatin1Char('[')) || !first.endsWith(QLatin1Char(']'))) return nullptr;
    TDataSet *ds = nullptr;
    TField *field = nullptr;
    frFindField(report, first.mid(1, first.size() - 2), ds, field);
    return field && isBlobType(field->DataType()) ? field : nullptr;
}

int kindAt(const QByteArray &d, int at)
{
    if (d.size() < at + 4) return TfrCustomPictureView::NoGraphic;
    const auto b = [&](int i) { return quint8(d[at + i]); };
    if (b(0) == 'B' && b(1) == 'M') return TfrCustomPictureView::Bitmap;
    if (b(0) == 0 && b(1) == 0 && b(2) == 1 && b(3) == 0) return TfrCustomPictureView::Icon;
    if (b(0) == 0xFF && b(1) == 0xD8) return TfrCustomPictureView::Jpeg;
    const int word = b(0) | (b(1) << 8);
    if (word == 0 || word == 1 || (b(0) == 0xD7 && b(1) == 0xCD && b(2) == 0xC6 && b(3) == 0x9A))
        return TfrCustomPictureView::Metafile;
    return TfrCustomPictureView::NoGraphic;
}
} // namespace

int TfrCustomPictureView::DetectKind(const QByteArray &data, int *offset)
{
    for (int at : {0, 8}) {
        if (const int kind = kindAt(data, at)) {
            if (offset) *offset = at;
            return kind;
        }
    }
    throw Exception(QStringLiteral("Formato immagine sconosciuto."));
}

QImage TfrCustomPictureView::Decode(int kind, const QByteArray &data, bool *unsupported)
{
    if (unsupported) *unsupported = false;
    switch (kind) {
    case Bitmap: return decodeImage(data, "BMP");
    case Icon: return decodeImage(data, "ICO");
    case Jpeg: return frDecodeJpeg(data);
    case Metafile: {
        const QSize size = TfrEmfPlayer::pageSize(data);
        // Only enhanced metafiles can be played; a 16-bit metafile shows as an empty picture.
        if (size.isEmpty() || size.width() > 10000 || size.height() > 10000) {
            if (unsupported) *unsupported = true;
            return QImage();
        }
        QImage img(size, QImage::Format_ARGB32_Premultiplied);
        img.fill(Qt::transparent);
        QPainter p(&img);
        TfrEmfPlayer::play(data, p, QRectF(QPointF(0, 0), QSizeF(size)));
        return img;
    }
    default: return QImage();
    }
}

void TfrCustomPictureView::LoadFromField(const QByteArray &data, bool isNull)
{
    if (isNull || data.isEmpty()) {
        GraphicKind = NoGraphic;
        Graphic.clear();
        return;
    }
    int offset = 0;
    GraphicKind = quint8(DetectKind(data, &offset));
    Graphic = data.mid(offset);
}

QRectF TfrCustomPictureView::PictureRect(const QSizeF &picture) const
{
    const QRectF rect(DRect.left(), DRect.top(), DRect.width(), DRect.height());
    if (picture.isEmpty()) return rect;
    if (Flags & PictureStretched) {
        if (!(Flags & KeepAspect)) return rect;
        const double k = qMin(Width / picture.width(), Height / picture.height());
        QRectF r(rect.topLeft(), picture * k);
        if (Flags & Centered) r.translate((Width - r.width()) / 2, (Height - r.height()) / 2);
        return r;
    }
    QRectF r(rect.topLeft(), picture);
    if (Flags & Centered) r.translate((Width - picture.width()) / 2, (Height - picture.height()) / 2);
    return r;
}

void TfrCustomPictureView::Draw(QPainter &canvas)
{
    const bool output = frDraw::mode().output;
    if (output && !Visible) return;
    CalcGaps();
    int kind = GraphicKind;
    QByteArray data = Graphic;
    if (output && frDraw::mode().pictureValues) {
        if (TField *field = pictureField(Report, Memo)) {
            const QByteArray bytes = field->IsNull() ? QByteArray() : field->Value().toByteArray();
            if (bytes.isEmpty()) {
                kind = NoGraphic;
                data.clear();
            } else {
                int offset = 0;
                kind = DetectKind(bytes, &offset);
                data = bytes.mid(offset);
            }
        }
    }
    DrawBackground(canvas);
    const QImage image = kind == NoGraphic ? QImage() : Decode(kind, data, &UnsupportedPicture);
    if (!image.isNull() && !frDraw::mode().suppressed) {
        const QRectF target = PictureRect(QSizeF(image.size()));
        canvas.save();
        if (!(Flags & PictureStretched)) canvas.setClipRect(QRect(Left, Top, Width, Height));
        canvas.drawImage(target, image);
        canvas.restore();
    } else if (kind == NoGraphic && !output) {
        canvas.save();
        canvas.setFont(frDraw::reportFont(QStringLiteral("Arial"), 8, 0));
        canvas.setPen(Qt::black);
        canvas.drawText(QPointF(Left + 2, Top + 2 + canvas.fontMetrics().ascent()), QStringLiteral("[Immagine]"));
        canvas.restore();
    }
    DrawFrame(canvas);
    DrawInvisibleCross(canvas);
}

void TfrSubReportView::Draw(QPainter &canvas)
{
    canvas.save();
    canvas.setPen(QPen(Qt::black, 1));
    canvas.setBrush(Qt::white);
    canvas.drawRect(QRect(Left, Top, Width, Height));
    canvas.setFont(frDraw::reportFont(QStringLiteral("Arial"), 8, 0));
    canvas.drawText(QPointF(Left + 2, Top + 2 + canvas.fontMetrics().ascent()),
                    QStringLiteral("SottoReport in pagina ") + QString::number(TargetPage + 1));
    canvas.restore();
}

void TfrBandView::Draw(QPainter &canvas)
{
    if (frDraw::mode().output) return;
    const bool vertical = BandType() >= frBand::CrossHeader && BandType() <= frBand::CrossFooter;
    const QColor face = frDraw::color(int(0x8000000F));
    canvas.save();
    canvas.setPen(QPen(face, 1));
    QBrush hatch(QColor(0xD0, 0xD0, 0xD0), Qt::Dense6Pattern);
    canvas.fillRect(QRect(Left, Top, Width, Height), Qt::white);
    canvas.setBrush(hatch);
    canvas.drawRect(QRect(Left, Top, Width, Height));
    canvas.setBrush(face);
    canvas.setFont(frDraw::reportFont(QStringLiteral("Arial"), 8, 0));
    const QString name = frBand::displayName(BandType());
    if (vertical) {
        canvas.drawRect(QRect(Left - 18, Top, 18, 130));
        canvas.setPen(Qt::black);
        canvas.translate(Left - 17, Top + 126);
        canvas.rotate(-90);
        canvas.drawText(QPointF(0, canvas.fontMetrics().ascent()), name);
    } else {
        canvas.drawRect(QRect(Left, Top - 18, 130, 18));
        canvas.setPen(Qt::black);
        canvas.drawText(QPointF(Left + 4, Top - 17 + canvas.fontMetrics().ascent()), name);
    }
    canvas.restore();
}

QRegion TfrBandView::GetRegion(bool handles) const
{
    const bool vertical = BandType() >= frBand::CrossHeader && BandType() <= frBand::CrossFooter;
    QRegion r = TfrView::GetRegion(handles);
    r += vertical ? QRect(Left - 18, Top, 18, 130) : QRect(Left, Top - 18, 130, 18);
    return r;
}
