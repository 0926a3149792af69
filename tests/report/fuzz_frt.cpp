// libFuzzer target: the report template (".frt") reader. Any byte string must
// load or fail as corrupt; a header that reads must read the same after the
// template is written again.

#include "report/frmessagesink.h"
#include "report/frreport.h"
#include "report/frtemplatefile.h"

#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <cstdint>
#include <cstdlib>

namespace {
TfrReport *report = nullptr;
} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    QFontMetrics(QFont(QStringLiteral("Arial"), 10)).horizontalAdvance(QStringLiteral("warm up"));
    frSetMessageSink([](const QString &, const QString &, TfrMessageIcon) {});
    report = new TfrReport;
    report->setObjectName(QStringLiteral("frReport1"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    TfrTemplateHeader header;
    const bool headerRead = frTemplateFile::readHeader(bytes, header);
    if (!frTemplateFile::load(*report, bytes).Ok) return 0;
    if (!headerRead) abort();
    const QByteArray written = frTemplateFile::write(*report, header);
    TfrTemplateHeader again;
    if (!frTemplateFile::readHeader(written, again)) abort();
    if (again.Description != header.Description || again.GraphicKind != header.GraphicKind || again.Graphic != header.Graphic)
        abort();
    if (!frTemplateFile::load(*report, written).Ok) abort();
    return 0;
}
