#include "report/frtemplatefile.h"

#include "report/frbinaryreader.h"
#include "report/frbinarywriter.h"
#include "report/frpictureview.h"
#include "report/frreport.h"
#include "report/frtemplatereader.h"

#include "core/exceptions.h"
#include "core/safefile.h"

#include <QBuffer>
#include <QFile>

namespace {
// Like a template: nothing bigger is a report.
constexpr qint64 MaxFileSize = 64 * 1024 * 1024;
constexpr int ListVersion = 27;

TfrLoadResult corrupt(TfrReport &report, const QString &why, qint64 at)
{
    // Left as after any corrupt template: one empty page.
    report.LoadTemplateData(QByteArray(1, char(4)));
    TfrLoadResult result = TfrLoadResult::failure(TfrTemplateReader::corruptMessage(), why, at);
    result.Reason = QStringLiteral("corrupt at byte %1: %2").arg(at).arg(why);
    return result;
}

qint64 headerEnd(const QByteArray &data, TfrTemplateHeader &header, QString &why)
{
    try {
        TfrBinaryReader r(data, 0);
        header.Description = r.stringList(ListVersion);
        TfrPictureView picture;
        picture.LoadFromStream(r, ListVersion);
        header.GraphicKind = picture.GraphicKind;
        header.Graphic = picture.Graphic;
        return r.pos();
    } catch (const Exception &e) {
        why = e.message();
    } catch (const std::exception &e) {
        why = QString::fromLocal8Bit(e.what());
    }
    return -1;
}
} // namespace

QByteArray frTemplateFile::write(TfrReport &report, const TfrTemplateHeader &header)
{
    TfrBinaryWriter w;
    w.stringList(header.Description);
    TfrPictureView picture;
    picture.GraphicKind = quint8(header.GraphicKind);
    picture.Graphic = header.Graphic;
    picture.SaveToStream(w);
    return w.data() + report.SaveTemplateData();
}

bool frTemplateFile::readHeader(const QByteArray &data, TfrTemplateHeader &header, QString *why)
{
    QString reason;
    const bool ok = data.size() <= MaxFileSize && headerEnd(data, header, reason) >= 0;
    if (why) *why = data.size() > MaxFileSize ? QStringLiteral("longer than %1 bytes").arg(MaxFileSize) : reason;
    return ok;
}

TfrLoadResult frTemplateFile::load(TfrReport &report, const QByteArray &data)
{
    if (data.size() > MaxFileSize) return corrupt(report, QStringLiteral("longer than %1 bytes").arg(MaxFileSize), 0);
    TfrTemplateHeader header;
    QString why;
    const qint64 end = headerEnd(data, header, why);
    if (end < 0) return corrupt(report, why, 0);
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    buffer.seek(end);
    const TfrLoadResult result = report.LoadTemplateStream(buffer);
    // A template makes a new report: it has no file of its own yet.
    report.FileName.clear();
    report.SetFilePath(QString());
    return result;
}

bool frTemplateFile::save(TfrReport &report, const QString &path, const TfrTemplateHeader &header)
{
    return safefile::write(path, write(report, header));
}

TfrLoadResult frTemplateFile::loadFile(TfrReport &report, const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Exception(QStringLiteral("Impossibile aprire il file '%1': %2").arg(path, file.errorString()));
    if (file.size() > MaxFileSize) return corrupt(report, QStringLiteral("longer than %1 bytes").arg(MaxFileSize), 0);
    return load(report, file.readAll());
}
