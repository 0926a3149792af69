// libFuzzer target: the prepared report reader. Any byte string must load or
// be refused with the invalid-file message; what loads must save and load
// again to the same pages.

#include "report/fremfplayer.h"
#include "report/frpreparedfile.h"
#include "report/frreport.h"

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
    report = new TfrReport;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    try {
        TfrPreparedFile::load(*report, bytes);
    } catch (const EfrPreparedFileError &e) {
        if (e.message() != TfrPreparedFile::invalidFileMessage()) abort();
        return 0;
    }
    for (int i = 0; i < report->EMFPages.Count(); ++i) {
        TfrEmfPlayer::pageSize(report->EMFPages[i].Drawing);
        TfrEmfPlayer::texts(report->EMFPages[i].Drawing);
    }
    const QByteArray saved = TfrPreparedFile::save(*report);
    TfrPreparedFile::load(*report, saved);
    if (TfrPreparedFile::save(*report) != saved) abort();
    return 0;
}
