#include "report/frpdfwriter.h"

#include "report/fremfplayer.h"
#include "report/frempages.h"
#include "report/frreport.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QPageLayout pageLayout(const TfrPreparedPage &page)
{
    QSizeF mm(page.PaperWidth / 10.0, page.PaperHeight / 10.0);
    if (mm.isEmpty()) {
        // No paper recorded: the page's own frame, drawn at 96 dpi.
        const QSize frame = TfrEmfPlayer::pageSize(page.Drawing);
        mm = frame.isEmpty() ? QSizeF(210, 297) : QSizeF(frame) * (25.4 / 96);
    }
    // The paper's sides come as the sheet lies; QPageLayout wants the upright
    // size and turns it, so the sheet is PaperWidth x PaperHeight either way.
    const bool landscape = page.Orientation != 0;
    const QPageSize size(landscape ? mm.transposed() : mm, QPageSize::Millimeter, QString(), QPageSize::ExactMatch);
    return QPageLayout(size, landscape ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF());
}

QString reasonOf(int error)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR: return QStringLiteral("la cartella non esiste");
    case EACCES:
    case EPERM: return QStringLiteral("accesso negato alla cartella");
    case EROFS: return QStringLiteral("il disco è di sola lettura");
    case ENOSPC:
    case EDQUOT: return QStringLiteral("il disco è pieno");
    case EFBIG: return QStringLiteral("il file supera la dimensione consentita");
    default: return QString::fromLocal8Bit(std::strerror(error));
    }
}

} // namespace

TfrPdfWriter::TfrPdfWriter(TfrReport &report)
    : m_report(report), m_write([](int fd, const char *data, qint64 size) { return qint64(::write(fd, data, size_t(size))); })
{
}

void TfrPdfWriter::setPageRange(int first, int last)
{
    m_first = first;
    m_last = last;
    m_range = true;
}

void TfrPdfWriter::setWriteFunction(WriteFunction write) { m_write = std::move(write); }

QRectF TfrPdfWriter::targetRect(const TfrPreparedPage &page, const QSizeF &sheet)
{
    const TfrPrinterGeometry &g = page.PrnInfo;
    if (page.UseMargins || g.pageWidth <= 0 || g.pageHeight <= 0) return QRectF(QPointF(0, 0), sheet);
    const qreal kx = sheet.width() / g.pageWidth, ky = sheet.height() / g.pageHeight;
    return QRectF(g.offsetLeft * kx, g.offsetTop * ky, g.printableWidth * kx, g.printableHeight * ky);
}

bool TfrPdfWriter::write(const QString &fileName)
{
    m_error.clear();
    if (!m_range) {
        m_first = 0;
        m_last = m_report.EMFPages.Count() - 1;
    }
    if (m_first < 0 || m_last >= m_report.EMFPages.Count() || m_first > m_last)
        return fail(fileName, QStringLiteral("nessuna pagina da scrivere"));
    QByteArray pdf;
    if (!render(pdf)) return fail(fileName, QStringLiteral("impossibile comporre il documento"));
    return commit(fileName, pdf);
}

bool TfrPdfWriter::render(QByteArray &pdf)
{
    QBuffer buffer(&pdf);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(Resolution);
    writer.setCreator(QStringLiteral("Tonalba"));
    writer.setTitle(m_report.Title);
    QPainter painter;
    for (int i = m_first; i <= m_last; ++i) {
        const TfrPreparedPage &page = m_report.EMFPages[i];
        const QPageLayout layout = pageLayout(page);
        // Set before the page starts: a layout set while painting applies to the next page.
        writer.setPageLayout(layout);
        if (i == m_first) {
            if (!painter.begin(&writer)) return false;
        } else if (!writer.newPage()) {
            return false;
        }
        const QSizeF sheet = layout.fullRect(QPageLayout::Inch).size() * Resolution;
        TfrEmfPlayer::play(page.Drawing, painter, targetRect(page, sheet));
    }
    return painter.end();
}

// QSaveFile is not used: buffered, it loses a short write on a full disk in its
// final flush and commits a truncated file. Here every write, the sync and the
// close are checked before the rename.
bool TfrPdfWriter::commit(const QString &fileName, const QByteArray &bytes)
{
    const QFileInfo target(fileName);
    const QString folder = target.absolutePath();
    if (!QFileInfo(folder).isDir()) return fail(fileName, reasonOf(ENOENT));

    // Beside the target, so the rename stays on one file system and replaces it in one step.
    QString temp;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 16; ++attempt) {
        temp = QStringLiteral("%1/.%2.%3.part")
                   .arg(folder, target.fileName())
                   .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
        fd = ::open(QFile::encodeName(temp).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) return fail(fileName, reasonOf(errno));
    }
    if (fd < 0) return fail(fileName, reasonOf(EEXIST));

    // A replaced file keeps its permissions.
    struct stat old;
    if (::stat(QFile::encodeName(target.absoluteFilePath()).constData(), &old) == 0) ::fchmod(fd, old.st_mode & 07777);

    int error = 0;
    const char *data = bytes.constData();
    qint64 left = bytes.size();
    while (left > 0) {
        const qint64 n = m_write(fd, data, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            error = n < 0 ? errno : ENOSPC;
            break;
        }
        data += n;
        left -= n;
    }
    if (!error && ::fsync(fd) != 0) error = errno;
    if (::close(fd) != 0 && !error) error = errno;
    if (!error && ::rename(QFile::encodeName(temp).constData(), QFile::encodeName(target.absoluteFilePath()).constData()) != 0)
        error = errno;
    if (error) {
        ::unlink(QFile::encodeName(temp).constData());
        return fail(fileName, reasonOf(error));
    }
    return true;
}

bool TfrPdfWriter::fail(const QString &fileName, const QString &reason)
{
    m_error = QStringLiteral("Impossibile scrivere il file %1: %2.").arg(fileName, reason);
    return false;
}
