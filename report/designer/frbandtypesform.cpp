#include "report/designer/frbandtypesform.h"

#include "report/designer/frdesignerdialogs.h"

#include "report/frbandtypes.h"
#include "report/frbandview.h"
#include "report/frpage.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

bool TBandTypesForm::Available(int type, const TfrPage *page)
{
    if (type < 0 || type > frBand::CrossFooter) return false;
    switch (type) {
    case frBand::MasterData: case frBand::DetailData: case frBand::SubDetailData:
    case frBand::GroupHeader: case frBand::GroupFooter:
        return true;
    default: break;
    }
    if (!page) return true;
    for (const TfrView *v : page->Objects)
        if (auto *band = dynamic_cast<const TfrBandView *>(v); band && band->BandType() == type) return false;
    return true;
}

TBandTypesForm::TBandTypesForm(const TfrPage *page, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("BandTypesForm"));
    setWindowTitle(QStringLiteral("Inserisci nuova banda"));
    auto *group = new QGroupBox(QStringLiteral("Tipo di banda"), this);
    auto *grid = new QGridLayout(group);
    grid->setHorizontalSpacing(20);
    bool chosen = false;
    for (int type = 0; type <= frBand::CrossFooter; ++type) {
        auto *b = new QRadioButton(frBand::displayName(type), group);
        b->setObjectName(QStringLiteral("Type%1").arg(type));
        b->setEnabled(Available(type, page));
        if (b->isEnabled() && !chosen) {
            b->setChecked(true);
            chosen = true;
        }
        grid->addWidget(b, type <= 10 ? type : type - 11, type <= 10 ? 0 : 1);
        Types << b;
    }
    QDialogButtonBox *buttons = frOkCancel(this);
    buttons->buttons().first()->setEnabled(chosen);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(buttons);
}

int TBandTypesForm::SelectedType() const
{
    for (int i = 0; i < Types.size(); ++i)
        if (Types[i]->isChecked() && Types[i]->isEnabled()) return i;
    return -1;
}
