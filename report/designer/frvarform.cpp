#include "report/designer/frvarform.h"

#include "report/frreport.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

TVarForm::TVarForm(TfrReport *report, QWidget *parent) : QDialog(parent), m_report(report)
{
    setObjectName(QStringLiteral("VarForm"));
    setWindowTitle(QStringLiteral("Variabili"));
    Categories = new QComboBox(this);
    Variables = new QListWidget(this);
    Variables->installEventFilter(this);
    auto *buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("&Annulla"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Categoria:"), this));
    layout->addWidget(Categories);
    layout->addWidget(Variables, 1);
    layout->addWidget(buttons);
    if (m_report) Categories->addItems(m_report->GetCategoryList());
    connect(Categories, &QComboBox::currentIndexChanged, this, [this](int i) { fill(i); });
    connect(Variables, &QListWidget::itemClicked, this, [this] { choose(); });
    if (Categories->count() > 0) Categories->setCurrentIndex(0);
    fill(Categories->currentIndex());
    resize(260, 320);
}

void TVarForm::fill(int category)
{
    Variables->clear();
    if (m_report && category >= 0) Variables->addItems(m_report->GetVarList(category));
    if (Variables->count() > 0) Variables->setCurrentRow(0);
}

void TVarForm::choose()
{
    if (!Variables->currentItem()) return;
    SelectedValue = Variables->currentItem()->text();
    accept();
}

bool TVarForm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Variables && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            choose();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
