#include "report/designer/frreportoptionsform.h"

#include "report/designer/frdesignerdialogs.h"
#include "report/frbuildcontext.h"
#include "report/frprintersettings.h"
#include "report/frreport.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QListWidget>
#include <QVBoxLayout>

TfrReportOptionsForm::TfrReportOptionsForm(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("ReportOptionsForm"));
    setWindowTitle(QStringLiteral("Opzioni report"));
    auto *printer = new QGroupBox(QStringLiteral("Stampante"), this);
    Printers = new QListWidget(printer);
    OwnPrinter = new QCheckBox(QStringLiteral("Seleziona dove stampare il report"), printer);
    auto *pl = new QVBoxLayout(printer);
    pl->addWidget(Printers);
    pl->addWidget(OwnPrinter);
    auto *other = new QGroupBox(QStringLiteral("Altro"), this);
    TwoPass = new QCheckBox(QStringLiteral("Report in due fasi"), other);
    Interleave = new QCheckBox(QStringLiteral("Fascicola report a pagine multiple"), other);
    NumberInterleaved = new QCheckBox(QStringLiteral("Reimpagina le pagine fascicolate"), other);
    auto *ol = new QVBoxLayout(other);
    ol->addWidget(TwoPass);
    ol->addWidget(Interleave);
    ol->addWidget(NumberInterleaved);
    QDialogButtonBox *buttons = frOkCancel(this);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(printer);
    layout->addWidget(other);
    layout->addWidget(buttons);
    connect(Interleave, &QCheckBox::toggled, this, [this](bool on) {
        if (!on) NumberInterleaved->setChecked(false);
        updateEnabled();
    });
    connect(NumberInterleaved, &QCheckBox::toggled, this, [this](bool on) {
        if (on) TwoPass->setChecked(true);
        updateEnabled();
    });
}

void TfrReportOptionsForm::updateEnabled()
{
    NumberInterleaved->setEnabled(Interleave->isChecked());
    TwoPass->setEnabled(!NumberInterleaved->isChecked());
}

void TfrReportOptionsForm::Load(TfrReport &report)
{
    const TPrinterSettings &printers = report.Context().Printer;
    Printers->clear();
    Printers->addItems(printers.Printers());
    m_printer = printers.PrinterIndex();
    Printers->setCurrentRow(m_printer);
    OwnPrinter->setChecked(!report.UseDefaultPrinter);
    TwoPass->setChecked(report.TwoPass);
    Interleave->setChecked(report.InterleavePages);
    NumberInterleaved->setChecked(report.NumberInterleaved);
    updateEnabled();
}

void TfrReportOptionsForm::Store(TfrReport &report) const
{
    if (Printers->currentRow() >= 0 && Printers->currentRow() != m_printer)
        report.Context().Printer.SetPrinterIndex(Printers->currentRow());
    report.UseDefaultPrinter = !OwnPrinter->isChecked();
    report.TwoPass = TwoPass->isChecked() || NumberInterleaved->isChecked();
    report.InterleavePages = Interleave->isChecked();
    report.NumberInterleaved = NumberInterleaved->isChecked();
}
