#include "report/designer/frgrapheditor.h"

#include "report/designer/frbanddataform.h"
#include "report/designer/frdesignerdialogs.h"
#include "report/designer/frexpreditor.h"
#include "report/frdataset.h"
#include "report/frdrawmode.h"
#include "report/frreport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

TFrGraphFieldEditor::TFrGraphFieldEditor(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FrGraphFieldEditor"));
    setWindowTitle(QStringLiteral("Opzioni del campo"));
    Value = new QLineEdit(this);
    Legend = new QLineEdit(this);
    ColorButton = new QPushButton(this);
    ColorButton->setAutoDefault(false);
    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Valore del campo"), Value);
    form->addRow(QStringLiteral("Legenda del campo"), Legend);
    form->addRow(QStringLiteral("Colore del campo"), ColorButton);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(frOkCancel(this));
    connect(ColorButton, &QPushButton::clicked, this, [this] {
        int color = Color;
        if (frDesignerDialogs().chooseColor(this, color) && color != TfrView::NoColor) Color = color;
        showColor();
    });
    showColor();
}

void TFrGraphFieldEditor::showColor()
{
    QPixmap swatch(40, 14);
    swatch.fill(frDraw::color(Color));
    ColorButton->setIcon(QIcon(swatch));
    ColorButton->setIconSize(swatch.size());
}

void TFrGraphFieldEditor::Load(const TfrGraphSeries &series)
{
    Value->setText(series.Value);
    Legend->setText(series.Legend);
    bool ok = false;
    const int color = series.Color.trimmed().toInt(&ok);
    Color = ok ? color : 0xFFFFFF;
    showColor();
}

TfrGraphSeries TFrGraphFieldEditor::Series() const { return {Value->text(), QString::number(Color), Legend->text()}; }

QStringList TFrGraphEditor::KindNames()
{
    return {QStringLiteral("Istrogrammi"), QStringLiteral("Istogrammi e linee"), QStringLiteral("Triangoli"),
            QStringLiteral("Triangoli e linee"), QStringLiteral("Punti"), QStringLiteral("Punti e linee"),
            QStringLiteral("Linee")};
}

QStringList TFrGraphEditor::YFormats()
{
    return {QStringLiteral("[1] - Lire"), QStringLiteral("[2] - Euro"), QStringLiteral("[3] - Numero (1234,5)"),
            QStringLiteral("[4] - Numero (1234,50)"), QStringLiteral("[5] - Numero (1.234,5)"),
            QStringLiteral("[6] - Numero (1.234,50)"), QStringLiteral("[7] - Numero (1.234)")};
}

TFrGraphEditor::TFrGraphEditor(TfrReport &report, QWidget *parent) : QDialog(parent), m_report(report)
{
    setObjectName(QStringLiteral("FrGraphEditor"));
    setWindowTitle(QStringLiteral("Opzioni del grafico"));
    XTitle = new QLineEdit(this);
    YTitle = new QLineEdit(this);
    ChartTitle = new QLineEdit(this);
    Labels = new QLineEdit(this);
    LabelsButton = new QPushButton(QStringLiteral("..."), this);
    auto *labelsRow = new QHBoxLayout;
    labelsRow->addWidget(Labels, 1);
    labelsRow->addWidget(LabelsButton);
    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Titolo delle ascisse"), XTitle);
    form->addRow(QStringLiteral("Titolo delle ordinate"), YTitle);
    form->addRow(QStringLiteral("Titolo del grafico"), ChartTitle);
    form->addRow(QStringLiteral("Titoli dei campi"), labelsRow);
    ShowLegend = new QCheckBox(QStringLiteral("Visualizza la leggenda"), this);
    ShowTitle = new QCheckBox(QStringLiteral("Visualizza il titolo del grafico"), this);
    ShowXTitle = new QCheckBox(QStringLiteral("Visualizza il titolo delle ascisse"), this);
    ShowYTitle = new QCheckBox(QStringLiteral("Visualizza il titolo delle ordinate"), this);
    auto *kinds = new QGroupBox(QStringLiteral("Tipi di grafico"), this);
    Kinds = new QListWidget(kinds);
    Kinds->addItems(KindNames());
    auto *kl = new QVBoxLayout(kinds);
    kl->addWidget(Kinds);
    auto *format = new QGroupBox(QStringLiteral("Formattazione asse delle ordinate"), this);
    YFormat = new QComboBox(format);
    YFormat->setEditable(true);
    YFormat->addItems(YFormats());
    auto *fl = new QVBoxLayout(format);
    fl->addWidget(YFormat);
    SeriesGrid = new QTableWidget(0, 3, this);
    SeriesGrid->setHorizontalHeaderLabels({QStringLiteral("Valore"), QStringLiteral("Colore"), QStringLiteral("Legenda")});
    SeriesGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    SeriesGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    SeriesGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    SeriesGrid->horizontalHeader()->setStretchLastSection(true);
    AddButton = new QPushButton(QStringLiteral("+"), this);
    AddButton->setToolTip(QStringLiteral("Inserisce un nuovo campo"));
    DeleteButton = new QPushButton(QStringLiteral("−"), this);
    DeleteButton->setToolTip(QStringLiteral("Cancella il campo corrente"));
    ChangeButton = new QPushButton(QStringLiteral("..."), this);
    ChangeButton->setToolTip(QStringLiteral("Modifica il campo corrente"));
    SourceButton = new QPushButton(QStringLiteral("Sorgente dei Dati"), this);
    for (QPushButton *b : {LabelsButton, AddButton, DeleteButton, ChangeButton, SourceButton}) b->setAutoDefault(false);
    auto *seriesButtons = new QHBoxLayout;
    seriesButtons->addWidget(AddButton);
    seriesButtons->addWidget(DeleteButton);
    seriesButtons->addWidget(ChangeButton);
    seriesButtons->addStretch();
    seriesButtons->addWidget(SourceButton);

    auto *grid = new QGridLayout(this);
    grid->addLayout(form, 0, 0, 1, 2);
    auto *switches = new QVBoxLayout;
    for (QCheckBox *c : {ShowLegend, ShowTitle, ShowXTitle, ShowYTitle}) switches->addWidget(c);
    switches->addWidget(format);
    switches->addStretch();
    grid->addLayout(switches, 1, 0);
    grid->addWidget(kinds, 1, 1);
    grid->addWidget(SeriesGrid, 2, 0, 1, 2);
    grid->addLayout(seriesButtons, 3, 0, 1, 2);
    grid->addWidget(frOkCancel(this), 4, 0, 1, 2);
    connect(LabelsButton, &QPushButton::clicked, this, [this] {
        QString text = Labels->text();
        if (TExprEditor::Edit(&m_report, this, text)) Labels->setText(text);
    });
    connect(AddButton, &QPushButton::clicked, this, [this] { AddSeries(); });
    connect(DeleteButton, &QPushButton::clicked, this, [this] { DeleteSeries(); });
    connect(ChangeButton, &QPushButton::clicked, this, [this] { ChangeSeries(); });
    connect(SeriesGrid, &QTableWidget::cellDoubleClicked, this, [this] { ChangeSeries(); });
    connect(SourceButton, &QPushButton::clicked, this, [this] { ChooseSource(); });
    resize(560, 560);
}

TFrGraphEditor::~TFrGraphEditor() = default;

void TFrGraphEditor::Load(const TfrGraphView &view)
{
    m_view = &view;
    XTitle->setText(view.XTitle);
    YTitle->setText(view.YTitle);
    ChartTitle->setText(view.ChartTitle);
    Labels->setText(view.LabelExpression);
    ShowLegend->setChecked(view.ShowLegend);
    ShowTitle->setChecked(view.ShowTitle);
    ShowXTitle->setChecked(view.ShowXTitle);
    ShowYTitle->setChecked(view.ShowYTitle);
    Kinds->setCurrentRow(view.GraphKind >= 0 && view.GraphKind < TfrGraphView::KindCount ? view.GraphKind : -1);
    // The format is kept as shown: the engine reads "[3]..." by its first two characters.
    const int format = YFormat->findText(view.YFormat);
    if (format >= 0) YFormat->setCurrentIndex(format);
    else YFormat->setEditText(view.YFormat);
    m_series = view.Series();
    fillGrid();
}

void TFrGraphEditor::fillGrid()
{
    SeriesGrid->setRowCount(int(m_series.size()));
    for (int r = 0; r < m_series.size(); ++r) {
        SeriesGrid->setItem(r, 0, new QTableWidgetItem(m_series[r].Value));
        auto *color = new QTableWidgetItem(m_series[r].Color);
        bool ok = false;
        const int c = m_series[r].Color.trimmed().toInt(&ok);
        if (ok) color->setBackground(frDraw::color(c));
        SeriesGrid->setItem(r, 1, color);
        SeriesGrid->setItem(r, 2, new QTableWidgetItem(m_series[r].Legend));
    }
    AddButton->setEnabled(m_series.size() < 10);
    DeleteButton->setEnabled(!m_series.isEmpty());
    ChangeButton->setEnabled(!m_series.isEmpty());
}

void TFrGraphEditor::AddSeries()
{
    TFrGraphFieldEditor editor(this);
    editor.Load({QString(), QString::number(0xFFFFFF), QString()});
    if (frDesignerDialogs().exec(editor) != QDialog::Accepted) return;
    m_series.append(editor.Series());
    fillGrid();
    SeriesGrid->selectRow(int(m_series.size()) - 1);
}

void TFrGraphEditor::DeleteSeries()
{
    const int row = SeriesGrid->currentRow();
    if (row < 0 || row >= m_series.size()) return;
    m_series.removeAt(row);
    fillGrid();
}

void TFrGraphEditor::ChangeSeries()
{
    const int row = SeriesGrid->currentRow();
    if (row < 0 || row >= m_series.size()) return;
    TFrGraphFieldEditor editor(this);
    editor.Load(m_series[row]);
    if (frDesignerDialogs().exec(editor) != QDialog::Accepted) return;
    m_series[row] = editor.Series();
    fillGrid();
    SeriesGrid->selectRow(row);
}

void TFrGraphEditor::ChooseSource()
{
    TfrBandDataForm form(&m_report, this);
    const QString current = m_view ? m_view->FormatText : QString();
    if (m_sourceChosen) form.Load(m_source.get(), current);
    else form.Load(m_report.FindDatasetInTable(current), current);
    if (frDesignerDialogs().exec(form) != QDialog::Accepted) return;
    m_source = form.MakeDataset();
    m_sourceChosen = true;
}

void TFrGraphEditor::Store(TfrGraphView &view)
{
    view.XTitle = XTitle->text();
    view.YTitle = YTitle->text();
    view.ChartTitle = ChartTitle->text();
    view.LabelExpression = Labels->text();
    view.ShowLegend = ShowLegend->isChecked();
    view.ShowTitle = ShowTitle->isChecked();
    view.ShowXTitle = ShowXTitle->isChecked();
    view.ShowYTitle = ShowYTitle->isChecked();
    if (Kinds->currentRow() >= 0) view.GraphKind = Kinds->currentRow();
    view.YFormat = YFormat->currentText();
    view.SetSeries(m_series);
    if (!m_sourceChosen) return;
    // Only now does the report's DatasetTable change.
    if (!view.FormatText.isEmpty()) m_report.RemoveDataset(view.FormatText);
    view.FormatText.clear();
    if (m_source) {
        m_source->setObjectName(TfrBandDataForm::DatasetName(&m_report, view));
        view.FormatText = m_source->objectName();
        m_report.AddDataset(m_source.release(), true);
    }
    m_sourceChosen = false;
}

bool TFrGraphEditor::Edit(TfrReport &report, TfrView &view, QWidget *parent)
{
    auto *chart = dynamic_cast<TfrGraphView *>(&view);
    if (!chart) return false;
    TFrGraphEditor editor(report, parent);
    editor.Load(*chart);
    if (frDesignerDialogs().exec(editor) != QDialog::Accepted) return false;
    editor.Store(*chart);
    return true;
}
