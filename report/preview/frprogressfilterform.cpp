#include "report/preview/frprogressfilterform.h"

#include "report/frregistry.h"
#include "report/frreport.h"
#include "report/preview/frexportfilter.h"
#include "report/preview/frpreviewmessage.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

TProgressFilterForm::TProgressFilterForm(const QString &description, int pages, QWidget *parent)
    : QDialog(parent), m_label(new QLabel(description, this)), m_bar(new QProgressBar(this)),
      m_cancel(new QPushButton(QStringLiteral("&Annulla"), this))
{
    setWindowTitle(QStringLiteral("Esportazione..."));
    m_bar->setRange(0, pages);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_label);
    layout->addWidget(m_bar);
    layout->addWidget(m_cancel, 0, Qt::AlignHCenter);
    connect(m_cancel, &QPushButton::clicked, this, [this] { m_stopped = true; });
}

void TProgressFilterForm::setPage(int done) { m_bar->setValue(done); }

bool TProgressFilterForm::Export(TfrReport &report, const QString &className, const QString &fileName)
{
    std::unique_ptr<TfrExportFilter> filter = frExport::create(className);
    if (!filter) return false;
    if (report.EMFPages.Count() == 0 && !report.BuildReport()) return false;

    QString description;
    for (const TfrExportFilterInfo &info : frRegistry::exportFilters())
        if (info.ClassName == className) description = info.FilterDesc;

    if (!filter->beginDocument(fileName)) return false;
    TProgressFilterForm form(description, report.EMFPages.Count());
    form.show();
    for (int i = 0; i < report.EMFPages.Count() && !form.stopped(); ++i) {
        const QByteArray &drawing = report.EMFPages[i].Drawing;
        filter->beginPage(TfrEmfPlayer::pageSize(drawing));
        for (const TfrEmfText &text : TfrEmfPlayer::texts(drawing)) filter->addText(text);
        filter->endPage();
        form.setPage(i + 1);
        QCoreApplication::processEvents();
    }
    filter->finishDocument();
    form.hide();
    frPreviewMessage(QStringLiteral("Salvataggio effettuato"), QString(), TMsgDlgType::mtInformation);
    return true;
}
