#include "report/designer/frpageoptionsform.h"

#include "report/designer/frdesignerdialogs.h"
#include "report/frpage.h"
#include "report/frpapertable.h"

#include "core/formatsettings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QLocale>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>
#include <cmath>

namespace {
enum Slot { SlotWidth = 0, SlotHeight, SlotLeft, SlotTop, SlotRight, SlotBottom, SlotGap };

bool readNumber(const QString &text, double &value)
{
    QString t = text.trimmed();
    t.replace(TFormatSettings::current().decimalSeparator, QLatin1Char('.'));
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    value = c.toDouble(t, &ok);
    return ok && std::isfinite(value) && std::abs(value) < 100000;
}
} // namespace

QString TfrPageOptionsForm::ShowMm(int pixels) { return QString::number(qRound(pixels / PixelsPerMm)); }

TfrPageOptionsForm::TfrPageOptionsForm(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("PageOptionsForm"));
    setWindowTitle(QStringLiteral("Opzioni di pagina"));
    Tabs = new QTabWidget(this);

    auto *sheet = new QWidget(Tabs);
    auto *orientation = new QGroupBox(QStringLiteral("Orientamento"), sheet);
    Portrait = new QRadioButton(QStringLiteral("Verticale"), orientation);
    Landscape = new QRadioButton(QStringLiteral("Orizzontale"), orientation);
    auto *ol = new QVBoxLayout(orientation);
    ol->addWidget(Portrait);
    ol->addWidget(Landscape);
    auto *size = new QGroupBox(QStringLiteral("Misura"), sheet);
    Paper = new QComboBox(size);
    for (int i = 0; i < frPaper::count(); ++i) Paper->addItem(QString::fromUtf8(frPaper::at(i).name), frPaper::at(i).code);
    PaperWidth = new QLineEdit(size);
    PaperHeight = new QLineEdit(size);
    auto *sl = new QFormLayout(size);
    sl->addRow(Paper);
    sl->addRow(QStringLiteral("Larghezza (mm)"), PaperWidth);
    sl->addRow(QStringLiteral("Altezza (mm)"), PaperHeight);
    auto *sheetLayout = new QVBoxLayout(sheet);
    sheetLayout->addWidget(orientation);
    sheetLayout->addWidget(size);
    Tabs->addTab(sheet, QStringLiteral("Foglio"));

    auto *marginsTab = new QWidget(Tabs);
    auto *margins = new QGroupBox(QStringLiteral("Margini pagina"), marginsTab);
    auto *ml = new QFormLayout(margins);
    const char *labels[] = {"Sinistro (mm)", "Superiore (mm)", "Destro (mm)", "Inferiore (mm)"};
    for (int i = 0; i < 4; ++i) {
        Margins[i] = new QLineEdit(margins);
        ml->addRow(QString::fromUtf8(labels[i]), Margins[i]);
    }
    NoMargins = new QCheckBox(QStringLiteral("Non usati"), marginsTab);
    auto *mtl = new QVBoxLayout(marginsTab);
    mtl->addWidget(margins);
    mtl->addWidget(NoMargins);
    Tabs->addTab(marginsTab, QStringLiteral("Margini"));

    auto *optionsTab = new QWidget(Tabs);
    PrintToPrevPage = new QCheckBox(QStringLiteral("Stampa alla pagina precedente"), optionsTab);
    TitleOnFirst = new QCheckBox(QStringLiteral("Intestazione sulla prima pagina"), optionsTab);
    FooterOnLast = new QCheckBox(QStringLiteral("Piè di pagina sull'ultima pagina"), optionsTab);
    RepeatHeader = new QCheckBox(QStringLiteral("Copia intestazione in tabella"), optionsTab);
    auto *columns = new QGroupBox(QStringLiteral("Colonne"), optionsTab);
    Columns = new QSpinBox(columns);
    Columns->setRange(0, 32);
    ColumnGap = new QLineEdit(columns);
    auto *cl = new QFormLayout(columns);
    cl->addRow(QStringLiteral("Numero"), Columns);
    cl->addRow(QStringLiteral("Distanza tra colonne, mm"), ColumnGap);
    auto *otl = new QVBoxLayout(optionsTab);
    for (QWidget *w : std::initializer_list<QWidget *>{PrintToPrevPage, TitleOnFirst, FooterOnLast, RepeatHeader, columns})
        otl->addWidget(w);
    Tabs->addTab(optionsTab, QStringLiteral("Opzioni"));

    auto *scaleTab = new QWidget(Tabs);
    auto *scale = new QGroupBox(QStringLiteral("Proporzioni"), scaleTab);
    ScaleX = new QSpinBox(scale);
    ScaleY = new QSpinBox(scale);
    for (QSpinBox *s : {ScaleX, ScaleY}) s->setRange(1, 1000);
    auto *scl = new QFormLayout(scale);
    scl->addRow(QStringLiteral("Larghezza pagina"), ScaleX);
    scl->addRow(QStringLiteral("Altezza pagina"), ScaleY);
    auto *stl = new QVBoxLayout(scaleTab);
    stl->addWidget(scale);
    stl->addStretch();
    Tabs->addTab(scaleTab, QStringLiteral("Ingrandimento"));

    // accept() is ours: it refuses a value that is not a number.
    QDialogButtonBox *buttons = frOkCancel(this);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Tabs);
    layout->addWidget(buttons);
    connect(Paper, &QComboBox::currentIndexChanged, this, [this] { updateEnabled(); });
    connect(NoMargins, &QCheckBox::toggled, this, [this] { updateEnabled(); });
    updateEnabled();
}

void TfrPageOptionsForm::updateEnabled()
{
    const bool custom = Paper->currentData().toInt() == frPaper::Custom;
    PaperWidth->setEnabled(custom);
    PaperHeight->setEnabled(custom);
    for (QLineEdit *m : Margins) m->setEnabled(!NoMargins->isChecked());
}

void TfrPageOptionsForm::Load(const TfrPage &page)
{
    (page.Orientation ? Landscape : Portrait)->setChecked(true);
    const int paper = Paper->findData(page.PaperSize);
    Paper->setCurrentIndex(paper >= 0 ? paper : Paper->findData(frPaper::A4));
    // Paper sizes are kept in tenths of a millimetre, everything else in pixels.
    m_original[SlotWidth] = page.PaperWidth;
    m_original[SlotHeight] = page.PaperHeight;
    m_shown[SlotWidth] = QString::number(qRound(page.PaperWidth / 10.0));
    m_shown[SlotHeight] = QString::number(qRound(page.PaperHeight / 10.0));
    PaperWidth->setText(m_shown[SlotWidth]);
    PaperHeight->setText(m_shown[SlotHeight]);
    for (int i = 0; i < 4; ++i) {
        m_original[SlotLeft + i] = page.Margins[i];
        m_shown[SlotLeft + i] = ShowMm(page.Margins[i]);
        Margins[i]->setText(m_shown[SlotLeft + i]);
    }
    NoMargins->setChecked(!page.UseMargins);
    PrintToPrevPage->setChecked(page.ContinueOnPreviousPage);
    TitleOnFirst->setChecked(page.HeaderOnFirstPage);
    FooterOnLast->setChecked(page.FooterOnLastPage);
    RepeatHeader->setChecked(page.RepeatTableHeader);
    Columns->setValue(page.ColumnCount);
    m_original[SlotGap] = page.ColumnGap;
    m_shown[SlotGap] = ShowMm(page.ColumnGap);
    ColumnGap->setText(m_shown[SlotGap]);
    ScaleX->setValue(page.ScaleX);
    ScaleY->setValue(page.ScaleY);
    updateEnabled();
}

bool TfrPageOptionsForm::readValues(int values[7])
{
    QLineEdit *edits[7] = {PaperWidth, PaperHeight, Margins[0], Margins[1], Margins[2], Margins[3], ColumnGap};
    for (int i = 0; i < 7; ++i) {
        if (edits[i]->text() == m_shown[i]) {
            values[i] = m_original[i];
            continue;
        }
        double mm = 0;
        const bool custom = Paper->currentData().toInt() == frPaper::Custom;
        const bool used = i < SlotLeft ? custom : (i == SlotGap || !NoMargins->isChecked());
        if (!readNumber(edits[i]->text(), mm) || mm < 0) {
            if (!used) {
                values[i] = m_original[i];
                continue;
            }
            Tabs->setCurrentIndex(i < SlotLeft ? 0 : i == SlotGap ? 2 : 1);
            edits[i]->setFocus();
            edits[i]->selectAll();
            frDesignerDialogs().message(this, QStringLiteral("Il valore inserito non è valido."), QStringLiteral("Errore"),
                                        TMsgDlgType::mtError, mbOK, 0);
            return false;
        }
        values[i] = i < SlotLeft ? int(std::lround(mm * 10)) : int(std::lround(mm * PixelsPerMm));
    }
    return true;
}

bool TfrPageOptionsForm::Store(TfrPage &page)
{
    int values[7];
    if (!readValues(values)) return false;
    for (int i = 0; i < 4; ++i) page.Margins[i] = values[SlotLeft + i];
    page.UseMargins = !NoMargins->isChecked();
    page.ContinueOnPreviousPage = PrintToPrevPage->isChecked();
    page.HeaderOnFirstPage = TitleOnFirst->isChecked();
    page.FooterOnLastPage = FooterOnLast->isChecked();
    page.RepeatTableHeader = RepeatHeader->isChecked();
    page.ColumnCount = Columns->value();
    page.ColumnGap = values[SlotGap];
    page.ScaleX = ScaleX->value();
    page.ScaleY = ScaleY->value();
    page.ChangePaper(Paper->currentData().toInt(), values[SlotWidth], values[SlotHeight], Landscape->isChecked() ? 1 : 0);
    return true;
}

void TfrPageOptionsForm::accept()
{
    // Checked here so a refused value keeps the dialog open.
    int values[7];
    if (!readValues(values)) return;
    QDialog::accept();
}
