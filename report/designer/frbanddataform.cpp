#include "report/designer/frbanddataform.h"

#include "report/designer/frdatasources.h"
#include "report/designer/frdesignerdialogs.h"
#include "report/frdbdataset.h"
#include "report/frregistry.h"
#include "report/frreport.h"
#include "report/frview.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

namespace {
const QString kNone = QStringLiteral("[Nessuno]");
const QString kVirtual = QStringLiteral("[Sorgente dati virtuale]");
} // namespace

TfrBandDataForm::TfrBandDataForm(TfrReport *report, QWidget *parent) : QDialog(parent), m_report(report)
{
    setObjectName(QStringLiteral("BandDataForm"));
    setWindowTitle(QStringLiteral("Sorgente di dati della banda"));
    Sources = new QComboBox(this);
    Sources->addItem(kNone);
    Sources->addItem(kVirtual);
    // Always owner.dataset, whoever owns the report.
    for (const TfrDataSource &s : frDataSources::qualified()) Sources->addItem(s.name);
    RangeBegin = new QComboBox(this);
    RangeBegin->addItems({QStringLiteral("Primo elemento"), QStringLiteral("Elemento corrente")});
    RangeEnd = new QComboBox(this);
    RangeEnd->addItems({QStringLiteral("Ultimo elemento"), QStringLiteral("Elemento corrente"), QStringLiteral("Elementi contati")});
    Count = new QSpinBox(this);
    Count->setRange(0, 1000000);
    auto *filter = new QGroupBox(QStringLiteral("Filtro"), this);
    FilterOn = new QCheckBox(QStringLiteral("Attiva il filtro"), filter);
    Filter = new QLineEdit(filter);
    auto *fl = new QVBoxLayout(filter);
    fl->addWidget(FilterOn);
    fl->addWidget(Filter);
    InfoButton = new QPushButton(QStringLiteral("?"), this);
    InfoButton->setToolTip(QStringLiteral("Visualizza il nome del frDataset"));
    InfoButton->setAutoDefault(false);
    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Sorgente dati"), Sources);
    form->addRow(QStringLiteral("Inizio"), RangeBegin);
    form->addRow(QStringLiteral("Fine"), RangeEnd);
    form->addRow(QStringLiteral("Numero"), Count);
    QDialogButtonBox *buttons = frOkCancel(this);
    buttons->addButton(InfoButton, QDialogButtonBox::HelpRole);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(filter);
    layout->addWidget(buttons);
    connect(Sources, &QComboBox::currentIndexChanged, this, [this] { updateEnabled(); });
    connect(RangeEnd, &QComboBox::currentIndexChanged, this, [this] { updateEnabled(); });
    connect(FilterOn, &QCheckBox::toggled, this, [this] { updateEnabled(); });
    connect(InfoButton, &QPushButton::clicked, this, [this] {
        frDesignerDialogs().message(this,
                                    m_currentName.isEmpty() ? QStringLiteral("Non è stato assegnato nessun frDataset")
                                                            : QStringLiteral("Il nome del frDataset corrente è: ") + m_currentName,
                                    QStringLiteral("Informazioni"), TMsgDlgType::mtInformation, mbOK, 0);
    });
    updateEnabled();
}

void TfrBandDataForm::updateEnabled()
{
    const bool none = Sources->currentIndex() == 0;
    const bool virtualSource = Sources->currentIndex() == 1;
    if (virtualSource) {
        // A virtual dataset counts from its first element.
        RangeBegin->setCurrentIndex(0);
        RangeEnd->setCurrentIndex(2);
    }
    RangeBegin->setEnabled(!none && !virtualSource);
    RangeEnd->setEnabled(!none && !virtualSource);
    Count->setEnabled(!none && RangeEnd->currentIndex() == 2);
    const bool real = Sources->currentIndex() > 1;
    FilterOn->setEnabled(real);
    Filter->setEnabled(real && FilterOn->isChecked());
}

void TfrBandDataForm::Load(const TfrDataset *current, const QString &currentName)
{
    m_currentName = current ? currentName : QString();
    int index = 0;
    if (current) {
        index = 1;
        if (auto *db = qobject_cast<const TfrDBDataSet *>(current)) {
            FilterOn->setChecked(db->Filtered);
            Filter->setText(db->Filter);
            if (TDataSet *ds = db->DataSet(); ds && ds->parent()) {
                const int found = Sources->findText(ds->parent()->objectName() + QLatin1Char('.') + ds->objectName());
                if (found >= 0) index = found;
            }
        }
        RangeBegin->setCurrentIndex(current->RangeBegin);
        RangeEnd->setCurrentIndex(current->RangeEnd);
        Count->setValue(current->RangeEndCount);
    }
    Sources->setCurrentIndex(index);
    if (current && index > 1) {
        RangeBegin->setCurrentIndex(current->RangeBegin);
        RangeEnd->setCurrentIndex(current->RangeEnd);
    }
    updateEnabled();
}

bool TfrBandDataForm::NoneChosen() const { return Sources->currentIndex() == 0; }

std::unique_ptr<TfrDataset> TfrBandDataForm::MakeDataset() const
{
    if (NoneChosen()) return nullptr;
    std::unique_ptr<TfrDataset> ds;
    if (Sources->currentIndex() == 1) {
        ds = std::make_unique<TfrDataset>();
    } else {
        auto db = std::make_unique<TfrDBDataSet>();
        for (const TfrDataSource &s : frDataSources::qualified())
            if (s.name == Sources->currentText()) db->SetDataSet(s.dataSet.data());
        db->Filtered = FilterOn->isChecked();
        db->Filter = Filter->text();
        ds = std::move(db);
    }
    ds->RangeBegin = TRangeBegin(RangeBegin->currentIndex());
    ds->RangeEnd = TRangeEnd(RangeEnd->currentIndex());
    ds->RangeEndCount = Count->value();
    return ds;
}

QString TfrBandDataForm::DatasetName(const TfrReport *report, const TfrView &view)
{
    if (report) return report->objectName() + QLatin1Char('_') + view.Name + QStringLiteral("_DataSet");
    return view.Name + QLatin1Char('_') + QString::number(view.Left) + QStringLiteral("_DataSet");
}

bool TfrBandDataForm::EditBand(TfrReport &report, TfrView &band, QWidget *parent)
{
    TfrBandDataForm form(&report, parent);
    // Where the build finds it: the window's own datasets first, then the table.
    form.Load(report.FindReportDataset(band.FormatText), band.FormatText);
    if (frDesignerDialogs().exec(form) != QDialog::Accepted) return false;
    if (!band.FormatText.isEmpty()) report.RemoveDataset(band.FormatText);
    band.FormatText.clear();
    std::unique_ptr<TfrDataset> ds = form.MakeDataset();
    if (!ds) return true;
    ds->setObjectName(DatasetName(&report, band));
    band.FormatText = ds->objectName();
    report.AddDataset(ds.release(), true);
    return true;
}
