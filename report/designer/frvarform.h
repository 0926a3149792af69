#pragma once
// TVarForm: chooses one of the report's variables ("Variabili"): a category
// box and the category's variables; a click or Enter chooses.

#include <QDialog>

class QComboBox;
class QListWidget;
class TfrReport;

class TVarForm : public QDialog
{
    Q_OBJECT
public:
    explicit TVarForm(TfrReport *report, QWidget *parent = nullptr);
    QComboBox *Categories;
    QListWidget *Variables;
    QString SelectedValue;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void fill(int category);
    void choose();
    TfrReport *m_report;
};
