#pragma once
// TfrExportFilter: a converter of prepared pages into another file format,
// fed page by page with the text records of each page. The engine's export
// registry holds class names and descriptions; this module keeps for each
// class the object that makes the filter and its file extension. The program
// registers none, so the save dialog offers only its own choices.

#include "report/fremfplayer.h"

#include <QSize>
#include <QString>
#include <functional>
#include <memory>

class TfrExportFilter
{
public:
    virtual ~TfrExportFilter() = default;
    // False: the file cannot be written; nothing is exported.
    virtual bool beginDocument(const QString &fileName) = 0;
    virtual void beginPage(const QSize &size) = 0;
    virtual void addText(const TfrEmfText &text) = 0;
    virtual void endPage() = 0;
    virtual void finishDocument() = 0;
};

namespace frExport {
using Factory = std::function<std::unique_ptr<TfrExportFilter>()>;
// Registers in the engine's export registry as well; false when it is full.
bool registerFilter(const QString &className, const QString &description, const QString &extension,
                    Factory factory);
std::unique_ptr<TfrExportFilter> create(const QString &className);
QString extension(const QString &className);     // ".txt"
} // namespace frExport
