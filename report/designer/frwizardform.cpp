#include "report/designer/frwizardform.h"

#include "report/designer/frdatasources.h"
#include "report/designer/frdesignerdialogs.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

TfrWizardForm::TfrWizardForm(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("WizardForm"));
    setWindowTitle(QStringLiteral("Autocomposizione Report"));
    Sources = new QComboBox(this);
    for (const TfrDataSource &s : frDataSources::qualified()) Sources->addItem(s.name);
    Title = new QLineEdit(this);
    Available = new QListWidget(this);
    Chosen = new QListWidget(this);
    for (QListWidget *l : {Available, Chosen}) l->setSelectionMode(QAbstractItemView::ExtendedSelection);
    AddOne = new QPushButton(QStringLiteral(">"), this);
    AddAll = new QPushButton(QStringLiteral(">>"), this);
    RemoveOne = new QPushButton(QStringLiteral("<"), this);
    RemoveAll = new QPushButton(QStringLiteral("<<"), this);
    auto *sheet = new QGroupBox(QStringLiteral("Foglio"), this);
    Portrait = new QRadioButton(QStringLiteral("Verticale"), sheet);
    Landscape = new QRadioButton(QStringLiteral("Orizzontale"), sheet);
    Portrait->setChecked(true);
    auto *sl = new QHBoxLayout(sheet);
    sl->addWidget(Portrait);
    sl->addWidget(Landscape);
    QDialogButtonBox *buttons = frOkCancel(this);
    OkButton = qobject_cast<QPushButton *>(buttons->buttons().first());

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Sorgente dei dati"), Sources);
    form->addRow(QStringLiteral("Titolo del report"), Title);
    auto *moves = new QVBoxLayout;
    moves->addStretch();
    for (QPushButton *b : {AddOne, AddAll, RemoveOne, RemoveAll}) {
        b->setAutoDefault(false);
        moves->addWidget(b);
    }
    moves->addStretch();
    auto *lists = new QGridLayout;
    lists->addWidget(new QLabel(QStringLiteral("Campi selezionabili"), this), 0, 0);
    lists->addWidget(new QLabel(QStringLiteral("Campi selezionati"), this), 0, 2);
    lists->addWidget(Available, 1, 0);
    lists->addLayout(moves, 1, 1);
    lists->addWidget(Chosen, 1, 2);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(lists, 1);
    layout->addWidget(sheet);
    layout->addWidget(buttons);
    connect(Sources, &QComboBox::currentIndexChanged, this, [this] { fillFields(); });
    connect(AddOne, &QPushButton::clicked, this, [this] { move(Available, Chosen, false); });
    connect(AddAll, &QPushButton::clicked, this, [this] { move(Available, Chosen, true); });
    connect(RemoveOne, &QPushButton::clicked, this, [this] { move(Chosen, Available, false); });
    connect(RemoveAll, &QPushButton::clicked, this, [this] { move(Chosen, Available, true); });
    fillFields();
    resize(460, 420);
}

TDataSet *TfrWizardForm::DataSet() const
{
    for (const TfrDataSource &s : frDataSources::qualified())
        if (s.name == Sources->currentText()) return s.dataSet.data();
    return nullptr;
}

void TfrWizardForm::fillFields()
{
    m_fields = frWizard::fields(DataSet());
    Available->clear();
    Chosen->clear();
    for (const TfrWizardField &f : m_fields) Available->addItem(f.name);
    updateEnabled();
}

void TfrWizardForm::move(QListWidget *from, QListWidget *to, bool all)
{
    QList<QListWidgetItem *> items;
    for (int i = 0; i < from->count(); ++i)
        if (all || from->item(i)->isSelected()) items << from->item(i);
    for (QListWidgetItem *item : items) to->addItem(from->takeItem(from->row(item)));
    updateEnabled();
}

void TfrWizardForm::updateEnabled() { OkButton->setEnabled(Chosen->count() > 0); }

QList<TfrWizardField> TfrWizardForm::ChosenFields() const
{
    QList<TfrWizardField> out;
    for (int i = 0; i < Chosen->count(); ++i)
        for (const TfrWizardField &f : m_fields)
            if (f.name == Chosen->item(i)->text()) out << f;
    return out;
}

void TfrWizardForm::Build(TfrReport &report) const
{
    frWizard::build(report, DataSet(), Title->text(), ChosenFields(), Landscape->isChecked());
}
