#pragma once
// The grid's glyph bitmaps ("DBG_BLOB", "DBG_SMUP", ...), loaded from the
// library's resources on first use and kept for the process. The sort
// markers are transparent where magenta, every other glyph where white.

#include <QPixmap>
#include <QString>

QPixmap GridGlyph(const QString &name);
