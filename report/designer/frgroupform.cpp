#include "report/designer/frgroupform.h"

#include "report/designer/frdesignerdialogs.h"
#include "report/designer/frexpreditor.h"
#include "report/designer/frfieldsform.h"
#include "report/designer/frvarform.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TfrGroupForm::TfrGroupForm(TfrReport *report, QWidget *parent) : QDialog(parent), m_report(report)
{
    setObjectName(QStringLiteral("GroupForm"));
    setWindowTitle(QStringLiteral("Gruppo"));
    Condition = new QLineEdit(this);
    VarButton = new QPushButton(QStringLiteral("&Variabile"), this);
    FieldButton = new QPushButton(QStringLiteral("&Campo DB"), this);
    ExprButton = new QPushButton(QStringLiteral("..."), this);
    for (QPushButton *b : {VarButton, FieldButton, ExprButton}) b->setAutoDefault(false);
    auto *row = new QHBoxLayout;
    row->addWidget(Condition, 1);
    row->addWidget(ExprButton);
    auto *helpers = new QHBoxLayout;
    helpers->addWidget(VarButton);
    helpers->addWidget(FieldButton);
    helpers->addStretch();
    QDialogButtonBox *buttons = frOkCancel(this);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Condizione"), this));
    layout->addLayout(row);
    layout->addLayout(helpers);
    layout->addWidget(buttons);
    // Straight into the field at the caret: the user's clipboard is not ours.
    connect(VarButton, &QPushButton::clicked, this, [this] {
        TVarForm form(m_report, this);
        if (frDesignerDialogs().exec(form) == QDialog::Accepted) Condition->insert(form.SelectedValue);
    });
    connect(FieldButton, &QPushButton::clicked, this, [this] {
        TFieldsForm form(m_report, this);
        if (frDesignerDialogs().exec(form) == QDialog::Accepted) Condition->insert(form.SelectedValue);
    });
    connect(ExprButton, &QPushButton::clicked, this, [this] {
        QString expression;
        if (TExprEditor::Edit(m_report, this, expression)) Condition->insert(expression);
    });
    resize(360, 120);
}
