#pragma once
// TfrProgressForm: the modal window a print runs inside. run() shows it,
// does the work from within its event loop and closes it; "&Annulla" sets the
// report's cancel flag, which the work looks at after every page.

#include <QDialog>
#include <functional>

class QLabel;
class QPushButton;
class TfrReport;

class TfrProgressForm : public QDialog
{
    Q_OBJECT
public:
    TfrProgressForm(TfrReport &report, const QString &caption, const QString &label, QWidget *parent = nullptr);

    void run(const std::function<void()> &work);
    void setLabel(const QString &text);
    void setNumber(const QString &text);
    QString labelText() const;
    QString numberText() const;
    QPushButton *cancelButton() const { return m_cancel; }

protected:
    void reject() override;

private:
    TfrReport &m_report;
    QLabel *m_label;
    QLabel *m_number;
    QPushButton *m_cancel;
};
