#include "grid/gridglyphs.h"

#include <QBitmap>
#include <QHash>
#include <QImage>

static void initGridResources()
{
    // A static library's resources must be registered by hand.
    Q_INIT_RESOURCE(grid);
}

QPixmap GridGlyph(const QString &name)
{
    static QHash<QString, QPixmap> cache;
    if (auto it = cache.constFind(name); it != cache.constEnd()) return *it;
    static bool registered = false;
    if (!registered) {
        initGridResources();
        registered = true;
    }
    QImage image(QStringLiteral(":/grid/glyphs/%1.png").arg(name));
    QPixmap glyph;
    if (!image.isNull()) {
        const bool marker = name == QLatin1String("DBG_SMDOWN") || name == QLatin1String("DBG_SMUP");
        const QColor key = marker ? QColor(Qt::magenta) : QColor(Qt::white);
        glyph = QPixmap::fromImage(image);
        glyph.setMask(QBitmap::fromImage(image.createMaskFromColor(key.rgb(), Qt::MaskInColor)));
    }
    cache.insert(name, glyph);
    return glyph;
}
