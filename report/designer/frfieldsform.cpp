#include "report/designer/frfieldsform.h"

#include "report/designer/frdatasources.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QListWidget>
#include <QVBoxLayout>

QString &TFieldsForm::LastSource()
{
    static QString last;
    return last;
}

TFieldsForm::TFieldsForm(TfrReport *report, QWidget *parent) : QDialog(parent), m_report(report)
{
    setObjectName(QStringLiteral("FieldsForm"));
    setWindowTitle(QStringLiteral("Campo DB"));
    Sources = new QComboBox(this);
    Fields = new QListWidget(this);
    auto *buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("&Annulla"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Sources);
    layout->addWidget(Fields, 1);
    layout->addWidget(buttons);
    for (const TfrDataSource &s : frDataSources::list(report)) Sources->addItem(s.name);
    Sources->addItem(frDataSources::other());
    const int last = Sources->findText(LastSource());
    Sources->setCurrentIndex(last >= 0 ? last : 0);
    connect(Sources, &QComboBox::currentIndexChanged, this, [this] { fill(); });
    connect(Fields, &QListWidget::itemClicked, this, [this](QListWidgetItem *item) { choose(Fields->row(item)); });
    fill();
    resize(260, 340);
}

void TFieldsForm::fill()
{
    Fields->clear();
    Fields->addItem(QStringLiteral("[Nessuno]"));
    const QString source = Sources->currentText();
    if (source == frDataSources::other()) {
        Fields->addItems(frDataSources::systemCaptions());
        return;
    }
    for (const TfrDataSource &s : frDataSources::list(m_report))
        if (s.name == source) Fields->addItems(frDataSources::fieldNames(s.dataSet.data()));
}

void TFieldsForm::choose(int row)
{
    if (row <= 0) {
        reject();
        return;
    }
    const QString source = Sources->currentText();
    LastSource() = source;
    if (source == frDataSources::other()) SelectedValue = frDataSources::systemNames().value(row - 1);
    else SelectedValue = frDataSources::fieldReference(source, Fields->item(row)->text());
    accept();
}
