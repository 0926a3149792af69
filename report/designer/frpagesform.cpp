#include "report/designer/frpagesform.h"

#include "report/designer/frdesignerdialogs.h"
#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

TfrPagesForm::TfrPagesForm(int pageCount, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("PagesForm"));
    setWindowTitle(QStringLiteral("Gestione pagine"));
    Pages = new QListWidget(this);
    Pages->setDragDropMode(QAbstractItemView::InternalMove);
    for (int i = 0; i < pageCount; ++i) Pages->addItem(QStringLiteral("Pagina ") + QString::number(i + 1));
    QDialogButtonBox *buttons = frOkCancel(this);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Elenco pagine"), this));
    layout->addWidget(Pages, 1);
    layout->addWidget(buttons);
    resize(220, 300);
}

QList<int> TfrPagesForm::Order() const
{
    // The number after "Pagina " says which page an entry stands for.
    QList<int> order;
    for (int i = 0; i < Pages->count(); ++i) order << Pages->item(i)->text().mid(7).toInt() - 1;
    return order;
}
