#pragma once
// Report templates (".frt"): a report stream with a description and a
// picture before it, for the designer's "Nuovo da modello...". The layout is
// ours, in the template format's own pieces:
//
//   description   string list, counted form (u16 lines, each u16 length + Windows-1252 text)
//   picture       the picture object's stream form: u8 graphic kind (0 none, 1 bitmap, 2 metafile,
//                 3 icon, 4 JPEG), i32 absolute end position, the graphic's bytes up to it
//   report        the template stream, exactly as a ".frf" file holds it
//
// The reader checks every count against the bytes left and has the template
// reader's size limit; a damaged header reads as a corrupt template.

#include "report/frloadresult.h"

#include <QByteArray>
#include <QStringList>

class TfrReport;

struct TfrTemplateHeader
{
    QStringList Description;
    int GraphicKind = 0;
    QByteArray Graphic;
};

namespace frTemplateFile {
QByteArray write(TfrReport &report, const TfrTemplateHeader &header);
// The header alone (for the chooser); false for a damaged one.
bool readHeader(const QByteArray &data, TfrTemplateHeader &header, QString *why = nullptr);
// Loads the report part into `report` as a new report without a file name.
TfrLoadResult load(TfrReport &report, const QByteArray &data);
// Whole files, through the engine's safe save.
bool save(TfrReport &report, const QString &path, const TfrTemplateHeader &header);
TfrLoadResult loadFile(TfrReport &report, const QString &path);
} // namespace frTemplateFile
