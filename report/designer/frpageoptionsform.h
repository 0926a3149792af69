#pragma once
// TfrPageOptionsForm: the settings of a design page ("Opzioni di pagina"):
// paper and orientation, margins, options and columns, scale. Lengths are
// shown in whole millimetres; a value left as shown goes back exactly as it
// was, a value that is not a number is refused and the dialog stays open.

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;
class QSpinBox;
class QTabWidget;
class TfrPage;

class TfrPageOptionsForm : public QDialog
{
    Q_OBJECT
public:
    explicit TfrPageOptionsForm(QWidget *parent = nullptr);
    static constexpr double PixelsPerMm = 3.7809523809523809524;
    static QString ShowMm(int pixels);

    void Load(const TfrPage &page);
    // Into the page (paper changed through the printer settings); false with
    // the message shown when a value is not a number.
    bool Store(TfrPage &page);

    QTabWidget *Tabs;
    QRadioButton *Portrait, *Landscape;
    QComboBox *Paper;
    QLineEdit *PaperWidth, *PaperHeight;         // "Larghezza (mm)", "Altezza (mm)"
    QLineEdit *Margins[4];                       // left, top, right, bottom
    QCheckBox *NoMargins;                        // "Non usati"
    QCheckBox *PrintToPrevPage, *TitleOnFirst, *FooterOnLast, *RepeatHeader;
    QSpinBox *Columns;
    QLineEdit *ColumnGap;                        // "Distanza tra colonne, mm"
    QSpinBox *ScaleX, *ScaleY;

    void accept() override;

private:
    void updateEnabled();
    bool readValues(int values[7]);
    // What Load showed, to tell an untouched value from a typed one.
    QString m_shown[7];
    int m_original[7] = {};
};
