// libFuzzer target: the template reader. Any byte string must load or fail as
// corrupt; what loads must save, load again and save to the same bytes.

#include "report/frmessagesink.h"
#include "report/frregistry.h"
#include "report/frreport.h"

#include "tests/data/memorydataset.h"

#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <cstdint>
#include <cstdlib>

namespace {
QObject *window = nullptr;
TfrReport *report = nullptr;
} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    // Fonts load lazily and fontconfig keeps its caches: load them once here.
    QFontMetrics(QFont(QStringLiteral("Arial"), 10)).horizontalAdvance(QStringLiteral("warm up"));
    frSetMessageSink([](const QString &, const QString &, TfrMessageIcon) {});
    window = new QObject;
    window->setObjectName(QStringLiteral("frm_main"));
    frRegistry::registerOwner(window);
    auto *diario = new TMemoryDataSet(window);
    diario->setObjectName(QStringLiteral("Diario"));
    report = new TfrReport(window);
    report->setObjectName(QStringLiteral("frReport1"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    if (!report->LoadTemplateData(bytes)) return 0;
    const QByteArray saved = report->SaveTemplateData();
    if (!report->LoadTemplateData(saved)) abort();
    if (report->SaveTemplateData() != saved) abort();
    return 0;
}
