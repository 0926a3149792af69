#include "report/preview/frpreview.h"

#include "core/exceptions.h"
#include "report/frbuilder.h"
#include "report/fremfplayer.h"
#include "report/frpdfwriter.h"
#include "report/frpreparedfile.h"
#include "report/frprintersettings.h"
#include "report/frregistry.h"
#include "report/frreport.h"
#include "report/preview/frexportfilter.h"
#include "report/preview/frfindform.h"
#include "report/preview/frpreviewmessage.h"
#include "report/preview/frprintsystem.h"
#include "report/preview/frprogressfilterform.h"
#include "report/preview/frprogressform.h"
#include "report/preview/frreportprinter.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileDialog>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QScrollBar>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <utility>

namespace {

const char *const kZoomTexts[] = {"200%", "150%", "100%", "75%", "50%", "25%", "Larghezza", "Una pagina", "Due pagine"};
constexpr int kZoomPercents[] = {200, 150, 100, 75, 50, 25};
constexpr int kSmallStep = 16;
constexpr int kBlinkSteps = 8;

const QString kNotFound = QStringLiteral("Non è stato trovato nessun elemento che soddisfi la richiesta.");

// The page area: paints through the preview and hands its keys, wheel and
// context menu up.
class TfrPreviewArea : public QWidget
{
public:
    TfrPreviewArea(TStandardPreview *preview, QWidget *parent) : QWidget(parent), m_preview(preview)
    {
        setCursor(Qt::PointingHandCursor);
        setFocusPolicy(Qt::StrongFocus);
        setAttribute(Qt::WA_OpaquePaintEvent);
        setAccessibleName(QStringLiteral("Pagine"));
    }

protected:
    void paintEvent(QPaintEvent *event) override
    {
        QPainter painter(this);
        m_preview->paintArea(painter, event->rect());
    }

private:
    TStandardPreview *m_preview;
};

// Qt's file dialogs take "Text (*.x);;Other (*.y)" where the Windows ones
// took "Text (*.x)|*.x|Other (*.y)|*.y".
QString qtFilter(const QString &windowsFilter)
{
    const QStringList parts = windowsFilter.split(QLatin1Char('|'));
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) out << parts[i];
    return out.join(QStringLiteral(";;"));
}

QString defaultOpenFile(QWidget *parent, const QString &title, const QString &filter)
{
    return QFileDialog::getOpenFileName(parent, title, QString(), filter);
}

QString defaultSaveFile(QWidget *parent, const QString &filter, int &choice)
{
    QString selected;
    const QString name = QFileDialog::getSaveFileName(parent, QString(), QString(), filter, &selected);
    choice = int(filter.split(QStringLiteral(";;")).indexOf(selected)) + 1;
    return name;
}

bool defaultPrintDialog(QWidget *parent, int pageCount, TfrPrintRequest &request)
{
    QPrinter printer;
    TPrinterSettings &prn = TPrinterSettings::instance();
    if (!prn.IsDefaultPrinter()) printer.setPrinterName(prn.PrinterName());
    printer.setFromTo(1, pageCount);
    printer.setCopyCount(1);
    QPrintDialog dialog(&printer, parent);
    dialog.setMinMax(1, pageCount);
    dialog.setPrintRange(QAbstractPrintDialog::AllPages);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    dialog.setOption(QAbstractPrintDialog::PrintCollateCopies, true);
    if (dialog.exec() != QDialog::Accepted) return false;
    request.fromPage = 1;
    request.toPage = pageCount;
    if (dialog.printRange() == QAbstractPrintDialog::PageRange) {
        request.fromPage = printer.fromPage();
        request.toPage = printer.toPage();
    }
    request.copies = printer.copyCount();
    request.collate = printer.collateCopies();
    if (printer.outputFormat() == QPrinter::PdfFormat) request.pdfFile = printer.outputFileName();
    else request.printerName = printer.printerName();
    return true;
}

} // namespace

TStandardPreview::Dialogs &TStandardPreview::dialogs()
{
    static Dialogs d{defaultOpenFile, defaultSaveFile, defaultPrintDialog,
                     [](TFindForm &form) { return form.exec() == QDialog::Accepted; }};
    return d;
}

QList<TStandardPreview *> &TStandardPreview::openPreviews()
{
    static QList<TStandardPreview *> list;
    return list;
}

void TStandardPreview::Register()
{
    frRegistry::setPreview(&TStandardPreview::ShowBuiltReport);
    // Builds run inside the modal progress window, whose cancel button stops them.
    static TfrProgressForm *building = nullptr;
    frBuilder::setProgressWindow(frBuilder::ProgressWindow{
        [](TfrReport &report, const QString &caption, const QString &label, const std::function<void()> &pass) {
            TfrProgressForm form(report, caption, label);
            TfrProgressForm *outer = std::exchange(building, &form);
            form.run(pass);
            building = outer;
        },
        [](const QString &label) {
            if (building) building->setLabel(label);
        }});
}

void TStandardPreview::ShowBuiltReport(TfrReport &report)
{
    auto *preview = new TStandardPreview(qobject_cast<QWidget *>(report.parent()));
    preview->setWindowFlag(Qt::Window);
    preview->setWindowTitle(report.Title.isEmpty() ? QStringLiteral("Anteprima")
                                                   : QStringLiteral("Anteprima - ") + report.Title);
    preview->m_releaseOnHide = true;
    openPreviews() << preview;

    if (report.ModalPreview) {
        preview->setReport(&report, false);
        preview->setWindowModality(Qt::ApplicationModal);
        QEventLoop loop;
        connect(preview, &TStandardPreview::hidden, &loop, &QEventLoop::quit);
        preview->showMaximized();
        loop.exec();
        return;
    }

    // The preview outlives this call: it works on a copy, so the caller may
    // drop its prepared pages at once.
    auto *copy = new TfrReport(report.parent());
    copy->Title = report.Title;
    copy->ShowProgress = report.ShowProgress;
    copy->TwoPass = report.TwoPass;
    copy->UseDefaultPrinter = report.UseDefaultPrinter;
    copy->OnBeforePrint = report.OnBeforePrint;
    copy->OnAfterPrint = report.OnAfterPrint;
    copy->OnProgress = report.OnProgress;
    TfrPreparedFile::load(*copy, TfrPreparedFile::save(report));
    preview->setReport(copy, true);
    preview->setWindowFlag(Qt::WindowStaysOnTopHint);
    preview->showMaximized();
}

TStandardPreview::TStandardPreview(QWidget *parent) : QWidget(parent)
{
    setWindowFlag(Qt::Window);
    setWindowTitle(QStringLiteral("Anteprima"));
    m_blink.setInterval(250);
    connect(&m_blink, &QTimer::timeout, this, &TStandardPreview::blinkStep);
    buildUi();
    resize(800, 600);
}

TStandardPreview::~TStandardPreview()
{
    openPreviews().removeAll(this);
    releaseReport();
}

void TStandardPreview::releaseReport()
{
    if (m_ownsReport) delete m_report;
    m_report = nullptr;
    m_ownsReport = false;
}

void TStandardPreview::buildUi()
{
    QStyle *st = style();
    m_toolBar = new QToolBar(this);
    m_toolBar->setFixedHeight(32);
    m_toolBar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);

    m_zoom = new QComboBox(m_toolBar);
    for (const char *t : kZoomTexts) m_zoom->addItem(QString::fromUtf8(t));
    m_zoom->setCurrentIndex(Zoom100);
    m_zoom->setToolTip(QStringLiteral("Ingrandimento"));
    m_zoom->setAccessibleName(m_zoom->toolTip());
    m_zoom->setFocusPolicy(Qt::ClickFocus);
    connect(m_zoom, &QComboBox::activated, this, &TStandardPreview::setZoomChoice);
    m_toolBar->addWidget(m_zoom);

    struct Command
    {
        const char *text, *hint;
        QStyle::StandardPixmap icon;
        void (TStandardPreview::*slot)();
    };
    const Command commands[] = {
        {"&Apri", "Apre un report", QStyle::SP_DialogOpenButton, &TStandardPreview::OpenReport},
        {"Sal&va", "Salva il report", QStyle::SP_DialogSaveButton, &TStandardPreview::SaveReport},
        {"&Stampa", "Stampa il report", QStyle::SP_FileDialogDetailedView, &TStandardPreview::PrintReport},
        {"&Trova", "Trova del testo", QStyle::SP_FileDialogContentsView, &TStandardPreview::FindText},
        {"Sc&hermo", "Visualizza l'anteprima a schermo intero", QStyle::SP_TitleBarMaxButton,
         &TStandardPreview::ToggleFullScreen},
        {"&Chiudi", "Chiude il report", QStyle::SP_DialogCloseButton, nullptr},
    };
    m_menu = new QMenu(this);
    for (const Command &c : commands) {
        QAction *action = m_toolBar->addAction(st->standardIcon(c.icon), QString::fromUtf8(c.text));
        action->setToolTip(QString::fromUtf8(c.hint));
        if (c.slot) connect(action, &QAction::triggered, this, c.slot);
        else connect(action, &QAction::triggered, this, &QWidget::close);
        if (QWidget *button = m_toolBar->widgetForAction(action)) button->setFocusPolicy(Qt::NoFocus);
        // The popup menu repeats open, save, print and find.
        if (c.slot && c.slot != &TStandardPreview::ToggleFullScreen) m_menu->addAction(action);
    }
    m_menu->addSeparator();
    for (int i = 0; i < int(std::size(kZoomTexts)); ++i) {
        QAction *zoom = m_menu->addAction(QString::fromUtf8(kZoomTexts[i]));
        connect(zoom, &QAction::triggered, this, [this, i] { setZoomChoice(i); });
    }

    m_area = new TfrPreviewArea(this, this);
    m_area->installEventFilter(this);
    m_vbar = new QScrollBar(Qt::Vertical, this);
    m_hbar = new QScrollBar(Qt::Horizontal, this);
    m_vbar->setSingleStep(kSmallStep);
    m_hbar->setSingleStep(kSmallStep);
    connect(m_vbar, &QScrollBar::valueChanged, this, [this] {
        updateCurrentFromScroll();
        m_area->update();
    });
    connect(m_hbar, &QScrollBar::valueChanged, m_area, qOverload<>(&QWidget::update));

    m_prev = new QToolButton(this);
    m_prev->setArrowType(Qt::UpArrow);
    m_prev->setToolTip(QStringLiteral("Pagina precedente"));
    m_prev->setAccessibleName(m_prev->toolTip());
    m_prev->setFocusPolicy(Qt::NoFocus);
    connect(m_prev, &QToolButton::clicked, this, &TStandardPreview::PrevPage);
    m_next = new QToolButton(this);
    m_next->setArrowType(Qt::DownArrow);
    m_next->setToolTip(QStringLiteral("Pagina successiva"));
    m_next->setAccessibleName(m_next->toolTip());
    m_next->setFocusPolicy(Qt::NoFocus);
    connect(m_next, &QToolButton::clicked, this, &TStandardPreview::NextPage);

    m_sideBar = new QWidget(this);
    auto *side = new QVBoxLayout(m_sideBar);
    side->setContentsMargins(0, 0, 0, 0);
    side->setSpacing(0);
    side->addWidget(m_vbar, 1);
    side->addWidget(m_prev);
    side->addWidget(m_next);

    // The full-screen page bar.
    m_pageBar = new QWidget(this);
    auto *bar = new QHBoxLayout(m_pageBar);
    bar->setContentsMargins(4, 2, 4, 2);
    auto *barPrev = new QToolButton(m_pageBar);
    barPrev->setArrowType(Qt::LeftArrow);
    barPrev->setToolTip(QStringLiteral("Pagina precedente"));
    barPrev->setAccessibleName(barPrev->toolTip());
    barPrev->setFocusPolicy(Qt::NoFocus);
    connect(barPrev, &QToolButton::clicked, this, &TStandardPreview::PrevPage);
    auto *barNext = new QToolButton(m_pageBar);
    barNext->setArrowType(Qt::RightArrow);
    barNext->setToolTip(QStringLiteral("Pagina successiva"));
    barNext->setAccessibleName(barNext->toolTip());
    barNext->setFocusPolicy(Qt::NoFocus);
    connect(barNext, &QToolButton::clicked, this, &TStandardPreview::NextPage);
    m_pageLabel = new QLabel(m_pageBar);
    bar->addStretch();
    bar->addWidget(barPrev);
    bar->addWidget(m_pageLabel);
    bar->addWidget(barNext);
    bar->addStretch();
    m_pageBar->hide();

    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(0);
    grid->addWidget(m_toolBar, 0, 0, 1, 2);
    grid->addWidget(m_area, 1, 0);
    grid->addWidget(m_sideBar, 1, 1);
    grid->addWidget(m_hbar, 2, 0);
    grid->addWidget(m_pageBar, 3, 0, 1, 2);
    grid->setColumnStretch(0, 1);
    grid->setRowStretch(1, 1);
    m_sideBar->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    m_area->setFocus();
}

void TStandardPreview::setReport(TfrReport *report, bool owned)
{
    releaseReport();
    m_report = report;
    m_ownsReport = owned && report;
    m_match = {};
    m_current = 0;
    relayout();
    ShowPage(0);
}

int TStandardPreview::pageCount() const { return m_report ? m_report->EMFPages.Count() : 0; }

void TStandardPreview::relayout()
{
    QList<QSize> papers;
    for (int i = 0; i < pageCount(); ++i) {
        const TfrPreparedPage &page = m_report->EMFPages[i];
        papers << QSize(page.PaperWidth, page.PaperHeight);
    }
    m_layout.setPapers(papers);
    m_layout.setViewport(m_area->size());
    if (m_zoomChoice < ZoomWidth) m_layout.setZoom(TfrZoomMode::Percent, kZoomPercents[m_zoomChoice]);
    else m_layout.setZoom(TfrZoomMode(m_zoomChoice - ZoomWidth + 1));
    m_pixmaps.clear();
    updateScrollBars();
    updatePageLabels();
    m_area->update();
}

void TStandardPreview::updateScrollBars()
{
    const QSize content = m_layout.contentSize();
    m_settingScroll = true;
    m_vbar->setRange(0, qMax(0, content.height() - m_area->height()));
    m_vbar->setPageStep(qMax(1, m_area->height()));
    m_hbar->setRange(0, qMax(0, content.width() - m_area->width()));
    m_hbar->setPageStep(qMax(1, m_area->width()));
    m_settingScroll = false;
}

int TStandardPreview::scrollY() const { return m_vbar->value(); }

void TStandardPreview::scrollTo(int y)
{
    m_settingScroll = true;
    m_vbar->setValue(y);
    m_settingScroll = false;
    m_area->update();
}

void TStandardPreview::updateCurrentFromScroll()
{
    if (m_settingScroll || pageCount() == 0) return;
    m_current = m_layout.pageAt(m_vbar->value() + m_area->height() / 2);
    updatePageLabels();
}

void TStandardPreview::updatePageLabels()
{
    m_pageLabel->setText(pageCount() ? QStringLiteral("Pagina %1 di %2").arg(m_current + 1).arg(pageCount())
                                     : QString());
}

void TStandardPreview::ShowPage(int index)
{
    if (pageCount() == 0) return;
    m_current = qBound(0, index, pageCount() - 1);
    scrollTo(m_layout.pageTop(m_current));
    updatePageLabels();
}

void TStandardPreview::NextPage() { ShowPage(m_current - m_current % m_layout.columns() + m_layout.columns()); }

void TStandardPreview::PrevPage() { ShowPage(m_current - m_current % m_layout.columns() - m_layout.columns()); }

void TStandardPreview::setZoomChoice(int choice)
{
    if (choice < 0 || choice >= int(std::size(kZoomTexts))) return;
    m_zoomChoice = choice;
    m_zoom->setCurrentIndex(choice);
    const int page = m_current;
    relayout();
    ShowPage(page);
}

QPixmap TStandardPreview::pagePixmap(int index, const QSize &size)
{
    auto it = m_pixmaps.find(index);
    if (it != m_pixmaps.end() && it->size() == size) return *it;
    // Only pages near the view are kept: a long report at 200% would
    // otherwise hold every page as a large image.
    if (m_pixmaps.size() > 8) m_pixmaps.clear();
    QPixmap pixmap(size);
    pixmap.fill(Qt::white);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    TfrEmfPlayer::play(m_report->EMFPages[index].Drawing, painter, QRectF(QPointF(0, 0), QSizeF(size)));
    painter.end();
    m_pixmaps.insert(index, pixmap);
    return pixmap;
}

void TStandardPreview::paintArea(QPainter &painter, const QRect &exposed)
{
    painter.fillRect(exposed, QColor(0x80, 0x80, 0x80));
    if (pageCount() == 0) return;
    const QPoint offset(m_hbar->value(), m_vbar->value());
    const int first = m_layout.pageAt(offset.y());
    for (int i = first; i < pageCount(); ++i) {
        const QRect r = m_layout.pageRect(i).translated(-offset);
        if (r.top() > m_area->height()) break;
        if (!r.intersects(exposed)) continue;
        painter.fillRect(r.translated(3, 3), Qt::black);
        painter.drawPixmap(r.topLeft(), pagePixmap(i, r.size()));
        painter.setPen(Qt::black);
        painter.drawRect(r.adjusted(0, 0, -1, -1));
    }
    if (highlightShown()) {
        const QRect h = highlightRect();
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        painter.fillRect(h, Qt::white);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
}

QRect TStandardPreview::highlightRect() const
{
    if (!m_match.found() || m_match.page >= pageCount()) return QRect();
    const QRect page = m_layout.pageRect(m_match.page).translated(-m_hbar->value(), -m_vbar->value());
    const QSize logical = TfrEmfPlayer::pageSize(m_report->EMFPages[m_match.page].Drawing);
    if (logical.isEmpty()) return QRect();
    const double sx = double(page.width()) / logical.width(), sy = double(page.height()) / logical.height();
    const QRectF b = m_match.bounds;
    return QRectF(page.left() + b.left() * sx, page.top() + b.top() * sy, b.width() * sx, b.height() * sy)
        .toAlignedRect();
}

void TStandardPreview::blinkStep()
{
    m_highlightOn = !m_highlightOn;
    if (++m_blinkSteps >= kBlinkSteps) m_blink.stop();
    m_area->update();
}

void TStandardPreview::FindText()
{
    if (pageCount() == 0) return;
    TFindForm form(m_match.found(), this);
    if (!dialogs().find || !dialogs().find(form)) return;
    FindNext(form.options());
}

bool TStandardPreview::FindNext(const TfrFindOptions &options)
{
    QList<QByteArray> pages;
    for (int i = 0; i < pageCount(); ++i) pages << m_report->EMFPages[i].Drawing;
    const TfrFindMatch match = TfrTextSearch::find(pages, options, m_current, m_match);
    if (!match.found()) {
        frPreviewMessage(kNotFound, QStringLiteral("Messaggio."), TMsgDlgType::mtWarning);
        return false;
    }
    m_match = match;
    m_current = match.page;
    // Centre the found text in the window.
    const QRect page = m_layout.pageRect(match.page);
    const QSize logical = TfrEmfPlayer::pageSize(m_report->EMFPages[match.page].Drawing);
    const double sx = logical.isEmpty() ? 1 : double(page.width()) / logical.width();
    const double sy = logical.isEmpty() ? 1 : double(page.height()) / logical.height();
    const QPointF centre(page.left() + match.bounds.center().x() * sx, page.top() + match.bounds.center().y() * sy);
    m_hbar->setValue(int(centre.x()) - m_area->width() / 2);
    scrollTo(int(centre.y()) - m_area->height() / 2);
    updatePageLabels();

    m_highlightOn = true;
    m_blinkSteps = 0;
    m_blink.start();
    m_area->update();
    return true;
}

void TStandardPreview::OpenReport()
{
    if (!m_report) return;
    const QString saved = QDir::currentPath();
    const QString name = dialogs().openFile
                             ? dialogs().openFile(this, QStringLiteral("Apre un report."),
                                                  qtFilter(QStringLiteral("Report files (*.frp)|*.frp")))
                             : QString();
    QDir::setCurrent(saved);
    if (!name.isEmpty()) LoadFile(name);
}

bool TStandardPreview::LoadFile(const QString &fileName)
{
    try {
        TfrPreparedFile::LoadPrepared(*m_report, fileName);
    } catch (const Exception &e) {
        frPreviewMessage(e.message(), QStringLiteral("Errore"), TMsgDlgType::mtError);
        return false;
    }
    m_match = {};
    relayout();
    ShowPage(0);
    return true;
}

void TStandardPreview::SaveReport()
{
    if (!m_report || pageCount() == 0) return;
    QString filter = QStringLiteral(
        "Report file (*.frp)|*.frp|Enhanced Meta File - File Grafico (*.emf)|*.emf|PDF (*.pdf)|*.pdf");
    for (const TfrExportFilterInfo &info : frRegistry::exportFilters()) {
        const QString ext = frExport::extension(info.ClassName);
        filter += QStringLiteral("|%1 (*%2)|*%2").arg(info.FilterDesc, ext);
    }
    const QString saved = QDir::currentPath();
    int choice = 0;
    const QString name = dialogs().saveFile ? dialogs().saveFile(this, qtFilter(filter), choice) : QString();
    QDir::setCurrent(saved);
    if (!name.isEmpty()) SaveTo(name, choice);
}

QString TStandardPreview::SaveTo(const QString &fileName, int choice)
{
    QString name = fileName;
    try {
        switch (choice) {
        case SaveFrp:
            TfrPreparedFile::SavePrepared(*m_report, name);
            return name;
        case SaveEmf: {
            if (!name.endsWith(QLatin1String(".emf"), Qt::CaseInsensitive)) name += QStringLiteral(".emf");
            QFile file(name);
            const QByteArray &drawing = m_report->EMFPages[m_current].Drawing;
            if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(drawing) != drawing.size())
                throw Exception(QStringLiteral("Impossibile scrivere il file %1").arg(name));
            return name;
        }
        case SavePdf: {
            if (!name.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive)) name += QStringLiteral(".pdf");
            TfrPdfWriter pdf(*m_report);
            if (!pdf.write(name)) throw Exception(pdf.errorString());
            return name;
        }
        default: {
            const QList<TfrExportFilterInfo> &filters = frRegistry::exportFilters();
            const int index = choice - SavePdf - 1;
            if (index < 0 || index >= filters.size()) return QString();
            const QString ext = frExport::extension(filters[index].ClassName);
            if (!name.endsWith(ext, Qt::CaseInsensitive)) name += ext;
            return TProgressFilterForm::Export(*m_report, filters[index].ClassName, name) ? name : QString();
        }
        }
    } catch (const Exception &e) {
        frPreviewMessage(e.message(), QStringLiteral("Errore"), TMsgDlgType::mtError);
    }
    return QString();
}

void TStandardPreview::PrintReport()
{
    if (!m_report || pageCount() == 0) return;
    TfrPrintRequest request;
    request.toPage = pageCount();
    if (!dialogs().print || !dialogs().print(this, pageCount(), request)) return;
    if (!request.pdfFile.isEmpty()) {
        const int first = qMax(request.fromPage, 1) - 1, last = qMin(request.toPage, pageCount()) - 1;
        if (first > last) return;
        TfrPdfWriter pdf(*m_report);
        pdf.setPageRange(first, last);
        if (!pdf.write(request.pdfFile))
            frPreviewMessage(pdf.errorString(), QStringLiteral("Errore"), TMsgDlgType::mtError);
        return;
    }
    TPrinterSettings &prn = TPrinterSettings::instance();
    if (!request.printerName.isEmpty() && request.printerName != prn.PrinterName()) {
        TfrPrintSystem::RefreshPrinters();
        const int index = prn.Printers().indexOf(request.printerName);
        if (index >= 0 && !TfrPrintSystem::SelectPrinter(*m_report, index)) return;
    }
    TfrReportPrinter(*m_report).PrintPages(request.fromPage, request.toPage, request.collate, request.copies);
}

void TStandardPreview::ToggleFullScreen()
{
    m_fullScreen = !m_fullScreen;
    // Changing the frame hides the window for a moment: that is no closing.
    m_changingFrame = true;
    if (m_fullScreen) {
        m_savedState = windowState();
        setWindowFlag(Qt::FramelessWindowHint, true);
        m_toolBar->hide();
        m_sideBar->hide();
        m_hbar->hide();
        m_pageBar->show();
        showMaximized();
    } else {
        setWindowFlag(Qt::FramelessWindowHint, false);
        m_toolBar->show();
        m_sideBar->show();
        m_hbar->show();
        m_pageBar->hide();
        setWindowState(m_savedState);
        show();
    }
    m_changingFrame = false;
    m_area->setFocus();
}

void TStandardPreview::keyPressEvent(QKeyEvent *event)
{
    if (m_zoom->hasFocus()) {
        QWidget::keyPressEvent(event);
        return;
    }
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    switch (event->key()) {
    case Qt::Key_Escape:
        if (m_fullScreen) ToggleFullScreen();
        else close();
        break;
    case Qt::Key_Space: ToggleFullScreen(); break;
    case Qt::Key_Minus: PrevPage(); break;
    case Qt::Key_Equal: NextPage(); break;
    case Qt::Key_PageUp:
        if (ctrl) PrevPage();
        else m_vbar->triggerAction(QAbstractSlider::SliderPageStepSub);
        break;
    case Qt::Key_PageDown:
        if (ctrl) NextPage();
        else m_vbar->triggerAction(QAbstractSlider::SliderPageStepAdd);
        break;
    case Qt::Key_Up: m_vbar->triggerAction(QAbstractSlider::SliderSingleStepSub); break;
    case Qt::Key_Down: m_vbar->triggerAction(QAbstractSlider::SliderSingleStepAdd); break;
    case Qt::Key_Left: m_hbar->triggerAction(QAbstractSlider::SliderSingleStepSub); break;
    case Qt::Key_Right: m_hbar->triggerAction(QAbstractSlider::SliderSingleStepAdd); break;
    case Qt::Key_Home: ShowPage(0); break;
    case Qt::Key_End: ShowPage(pageCount() - 1); break;
    case Qt::Key_F2: PrintReport(); break;
    case Qt::Key_F3: FindText(); break;
    case Qt::Key_F10: OpenReport(); break;
    case Qt::Key_F11: SaveReport(); break;
    default: QWidget::keyPressEvent(event); return;
    }
    event->accept();
}

bool TStandardPreview::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_area) {
        switch (event->type()) {
        case QEvent::Resize: {
            const int page = m_current;
            relayout();
            ShowPage(page);
            break;
        }
        case QEvent::Wheel: {
            const int delta = static_cast<QWheelEvent *>(event)->angleDelta().y();
            if (delta) m_vbar->triggerAction(delta > 0 ? QAbstractSlider::SliderSingleStepSub
                                                       : QAbstractSlider::SliderSingleStepAdd);
            return true;
        }
        case QEvent::ContextMenu:
            m_menu->popup(static_cast<QContextMenuEvent *>(event)->globalPos());
            return true;
        case QEvent::KeyPress:
            keyPressEvent(static_cast<QKeyEvent *>(event));
            return true;
        default: break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TStandardPreview::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    if (event->spontaneous() || m_changingFrame) return;
    m_blink.stop();
    emit hidden();
    if (m_releaseOnHide) {
        openPreviews().removeAll(this);
        releaseReport();
        deleteLater();
    }
}
