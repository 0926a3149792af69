// libFuzzer target: the evaluator and ExpandLine over a report whose master
// data band walks a small diary table. Any text must evaluate or fail with a
// message; never crash, hang or produce a non-finite number.

#include "report/frband.h"
#include "report/frbuildstate.h"
#include "report/frdbdataset.h"
#include "report/frexpr.h"
#include "report/frmemoview.h"
#include "report/frmessagesink.h"
#include "report/frpage.h"
#include "report/frregistry.h"
#include "report/frreport.h"
#include "report/frresolver.h"

#include "core/exceptions.h"
#include "tests/data/memorydataset.h"

#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace {
TfrReport *report = nullptr;
TfrBand *master = nullptr;
TfrMemoView *memo = nullptr;
} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    QFontMetrics(QFont(QStringLiteral("Arial"), 10)).horizontalAdvance(QStringLiteral("warm up"));
    frSetMessageSink([](const QString &, const QString &, TfrMessageIcon) {});
    auto *window = new QObject;
    window->setObjectName(QStringLiteral("frm_main"));
    frRegistry::registerOwner(window);
    auto *diario = new TMemoryDataSet(window);
    diario->setObjectName(QStringLiteral("Diario"));
    diario->addColumn(QStringLiteral("Data"), ftDateTime);
    diario->addColumn(QStringLiteral("Peso"), ftFloat);
    diario->addColumn(QStringLiteral("Note"), ftString, 40);
    diario->addColumn(QStringLiteral("MAX"), ftInteger);
    diario->addRow({36526.0, 72.5, QStringLiteral("prima"), 120});
    diario->addRow({36527.0, QVariant(), QVariant(), 130});
    diario->Open();
    report = new TfrReport(window);
    report->setObjectName(QStringLiteral("frReport1"));
    TfrValue *v = report->Values.Objects(report->Values.AddValue(QStringLiteral("Doppio")));
    v->ValueKind = TfrValue::Other;
    v->ValueSubKind = TfrValue::Expression;
    v->Field = QStringLiteral("[Peso] * 2");
    auto *dataset = new TfrDBDataSet(window);
    dataset->SetDataSet(diario);
    master = new TfrBand(frBand::MasterData, report->Pages[0]);
    master->DataSet = dataset;
    report->Pages[0]->Bands[frBand::MasterData] = master;
    memo = new TfrMemoView(report);
    memo->Name = QStringLiteral("Memo1");
    memo->ParentBand = master;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0) return 0;
    TfrBuildState &st = TfrBuildState::instance();
    st.reset();
    frSetCurrentReport(report);
    st.CurPage = report->Pages[0];
    st.CurBand = master;
    st.CurView = memo;
    const uint8_t mode = data[0];
    st.Registering = mode & 1;
    TfrExpr::instance().ParserSilentMode = mode & 2;
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    try {
        const TfrVariant v = TfrExpr::instance().Evaluate(text);
        if ((v.type() == TfrVariant::Float || v.type() == TfrVariant::DateTime) && !std::isfinite(v.toFloat())) abort();
    } catch (const Exception &) {
    }
    frClearBuildError();
    frExpandLine(text, memo);
    TfrExpr::instance().ParserSilentMode = false;
    return 0;
}
