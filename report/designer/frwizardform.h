#pragma once
// TfrWizardForm: the report wizard ("Autocomposizione Report"): a dataset, a
// title, the fields to show and the sheet's orientation.

#include "report/designer/frwizard.h"

#include <QDialog>

class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class TDataSet;

class TfrWizardForm : public QDialog
{
    Q_OBJECT
public:
    explicit TfrWizardForm(QWidget *parent = nullptr);

    QComboBox *Sources;           // "Sorgente dei dati"
    QLineEdit *Title;             // "Titolo del report"
    QListWidget *Available;       // "Campi selezionabili"
    QListWidget *Chosen;          // "Campi selezionati"
    QPushButton *AddOne, *AddAll, *RemoveOne, *RemoveAll;   // ">", ">>", "<", "<<"
    QRadioButton *Portrait, *Landscape;
    QPushButton *OkButton;

    TDataSet *DataSet() const;
    QList<TfrWizardField> ChosenFields() const;
    // Builds the report from the choices.
    void Build(TfrReport &report) const;

private:
    void fillFields();
    void move(QListWidget *from, QListWidget *to, bool all);
    void updateEnabled();
    QList<TfrWizardField> m_fields;
};
