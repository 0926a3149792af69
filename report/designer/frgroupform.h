#pragma once
// TfrGroupForm: the condition of a group header ("Gruppo"). Its helpers put
// a variable's name, a field or an expression into the field at the caret,
// without brackets.

#include <QDialog>

class QLineEdit;
class QPushButton;
class TfrReport;

class TfrGroupForm : public QDialog
{
    Q_OBJECT
public:
    explicit TfrGroupForm(TfrReport *report, QWidget *parent = nullptr);
    QLineEdit *Condition;
    QPushButton *VarButton, *FieldButton, *ExprButton;

private:
    TfrReport *m_report;
};
