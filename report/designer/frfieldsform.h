#pragma once
// TFieldsForm: chooses a database field or a system value ("Campo DB"). The
// box lists the data sources and "Altro"; it starts on the source chosen last
// in this run. A click on "[Nessuno]" cancels; a click on an entry chooses.

#include <QDialog>

class QComboBox;
class QListWidget;
class TfrReport;

class TFieldsForm : public QDialog
{
    Q_OBJECT
public:
    explicit TFieldsForm(TfrReport *report, QWidget *parent = nullptr);
    QComboBox *Sources;
    QListWidget *Fields;
    // Diario."Peso", or a system value's name (TOTALPAGES).
    QString SelectedValue;
    static QString &LastSource();

private:
    void fill();
    void choose(int row);
    TfrReport *m_report;
};
