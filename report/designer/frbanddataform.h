#pragma once
// TfrBandDataForm: the data source of a data band or a chart ("Sorgente di
// dati della banda"): none, a virtual dataset of a counted range, or a
// database dataset of an open window with its range and filter. The dialog
// only reads and builds datasets; the caller decides what replaces what in
// the report's DatasetTable (a band at once, a chart on its own OK).

#include <QDialog>
#include <memory>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QSpinBox;
class TfrDataset;
class TfrReport;
class TfrView;

class TfrBandDataForm : public QDialog
{
    Q_OBJECT
public:
    TfrBandDataForm(TfrReport *report, QWidget *parent = nullptr);

    // Shows `current` (nullptr: "[Nessuno]"), its report name for the information box.
    void Load(const TfrDataset *current, const QString &currentName);
    bool NoneChosen() const;
    // A new dataset as chosen (nullptr for "[Nessuno]"), not yet named.
    std::unique_ptr<TfrDataset> MakeDataset() const;
    // The name a band's or chart's dataset gets: report "_" object "_DataSet",
    // or, without a report, object "_" left "_DataSet".
    static QString DatasetName(const TfrReport *report, const TfrView &view);
    // The whole band edit: replaces the band's DatasetTable entry. True when OK.
    static bool EditBand(TfrReport &report, TfrView &band, QWidget *parent);

    QComboBox *Sources;           // "[Nessuno]", "[Sorgente dati virtuale]", then owner.dataset
    QComboBox *RangeBegin;        // "Inizio"
    QComboBox *RangeEnd;          // "Fine"
    QSpinBox *Count;              // "Numero"
    QCheckBox *FilterOn;          // "Attiva il filtro"
    QLineEdit *Filter;
    QPushButton *InfoButton;

private:
    void updateEnabled();
    TfrReport *m_report;
    QString m_currentName;
};
