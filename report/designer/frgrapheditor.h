#pragma once
// The chart's editors: TFrGraphEditor ("Opzioni del grafico") for titles,
// switches, kind, axis format, series and data source; TFrGraphFieldEditor
// ("Opzioni del campo") for one series. The data source is chosen on a copy:
// the report's DatasetTable changes only on "&OK".

#include "report/chart/frgraphview.h"

#include <QDialog>
#include <memory>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTableWidget;
class TfrDataset;
class TfrReport;

class TFrGraphFieldEditor : public QDialog
{
    Q_OBJECT
public:
    explicit TFrGraphFieldEditor(QWidget *parent = nullptr);
    void Load(const TfrGraphSeries &series);
    TfrGraphSeries Series() const;
    QLineEdit *Value;         // "Valore del campo"
    QLineEdit *Legend;        // "Legenda del campo"
    QPushButton *ColorButton; // "Colore del campo"
    int Color = 0xFFFFFF;

private:
    void showColor();
};

class TFrGraphEditor : public QDialog
{
    Q_OBJECT
public:
    TFrGraphEditor(TfrReport &report, QWidget *parent = nullptr);
    ~TFrGraphEditor() override;
    static QStringList KindNames();
    static QStringList YFormats();

    void Load(const TfrGraphView &view);
    // Fields and series into the chart; the chosen source replaces its dataset.
    void Store(TfrGraphView &view);
    // Registered as the chart's editor.
    static bool Edit(TfrReport &report, TfrView &view, QWidget *parent);

    QLineEdit *XTitle, *YTitle, *ChartTitle, *Labels;
    QPushButton *LabelsButton;
    QCheckBox *ShowLegend, *ShowTitle, *ShowXTitle, *ShowYTitle;
    QListWidget *Kinds;           // "Tipi di grafico"
    QComboBox *YFormat;           // "Formattazione asse delle ordinate"
    QTableWidget *SeriesGrid;
    QPushButton *AddButton, *DeleteButton, *ChangeButton, *SourceButton;

    void AddSeries();
    void DeleteSeries();
    void ChangeSeries();
    void ChooseSource();

private:
    void fillGrid();
    TfrReport &m_report;
    QList<TfrGraphSeries> m_series;
    const TfrGraphView *m_view = nullptr;
    bool m_sourceChosen = false;
    std::unique_ptr<TfrDataset> m_source;   // the copy, or none after "[Nessuno]"
};
