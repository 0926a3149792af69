#pragma once
// THilightForm: the look a text object takes when its condition holds
// ("Attributi evidenziatura"): font colour and style, fill, the condition.

#include <QDialog>

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class TfrCustomMemoView;
class TfrReport;

class THilightForm : public QDialog
{
    Q_OBJECT
public:
    explicit THilightForm(TfrReport *report, QWidget *parent = nullptr);
    void Load(const TfrCustomMemoView &view);
    void Store(TfrCustomMemoView &view) const;

    QPushButton *FontColorButton;
    QCheckBox *Bold, *Italic, *Underline;
    QRadioButton *Transparent, *OtherFill;
    QPushButton *FillColorButton;
    QCheckBox *UseHighlight;
    QGroupBox *ConditionGroup;
    QLineEdit *Condition;
    QPushButton *ConditionButton;
    int FontColor = 0;
    int FillColor = 0xFFFFFF;

private:
    void updateEnabled();
    TfrReport *m_report;
};
