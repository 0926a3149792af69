#pragma once
// TProgressFilterForm: the export window ("Esportazione...") with the
// filter's description, a progress bar over the pages and "&Annulla", which
// stops the export after the current page. Export() runs a whole export.

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;
class TfrReport;

class TProgressFilterForm : public QDialog
{
    Q_OBJECT
public:
    explicit TProgressFilterForm(const QString &description, int pages, QWidget *parent = nullptr);

    void setPage(int done);
    bool stopped() const { return m_stopped; }
    QPushButton *cancelButton() const { return m_cancel; }

    // Builds the report first when it has no prepared pages, then hands every
    // page's text records to the filter of `className`, and shows "Salvataggio
    // effettuato". False when the filter is unknown or nothing was written.
    static bool Export(TfrReport &report, const QString &className, const QString &fileName);

private:
    QLabel *m_label;
    QProgressBar *m_bar;
    QPushButton *m_cancel;
    bool m_stopped = false;
};
