#include "report/frpdfwriter.h"

#include "core/safefile.h"

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

bool TfrPdfWriter::commit(const QString &fileName, const QByteArray &bytes)
{
    QString reason;
    return safefile::write(fileName, bytes, &reason, m_write) || fail(fileName, reason);
}

bool TfrPdfWriter::fail(const QString &fileName, const QString &reason)
{
    m_error = QStringLiteral("Impossibile scrivere il file %1: %2.").arg(fileName, reason);
    return false;
}
