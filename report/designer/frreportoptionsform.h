#pragma once
// TfrReportOptionsForm: the report's printing options ("Opzioni report"):
// its printer, two passes and interleaved pages.

#include <QDialog>

class QCheckBox;
class QListWidget;
class TfrReport;

class TfrReportOptionsForm : public QDialog
{
    Q_OBJECT
public:
    explicit TfrReportOptionsForm(QWidget *parent = nullptr);
    void Load(TfrReport &report);
    void Store(TfrReport &report) const;

    QListWidget *Printers;
    QCheckBox *OwnPrinter;        // "Seleziona dove stampare il report"
    QCheckBox *TwoPass;           // "Report in due fasi"
    QCheckBox *Interleave;        // "Fascicola report a pagine multiple"
    QCheckBox *NumberInterleaved; // "Reimpagina le pagine fascicolate"

private:
    void updateEnabled();
    int m_printer = -1;
};
