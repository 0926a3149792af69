#pragma once
// TFmtForm: how a value is shown in a text object ("Formatta variabile"):
// category, format, decimals and decimal symbol, or a custom pattern. Edits
// the object's DisplayFormat and FormatText.

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QSpinBox;
class TfrView;

class TFmtForm : public QDialog
{
    Q_OBJECT
public:
    explicit TFmtForm(QWidget *parent = nullptr);
    static QStringList Formats(int category);

    void Load(const TfrView &view);
    // Into the object: DisplayFormat packed, FormatText for a custom pattern.
    void Store(TfrView &view) const;
    int DisplayFormat() const;

    QComboBox *Category;
    QListWidget *Format;
    QSpinBox *Decimals;          // "Cifre decimali"
    QLineEdit *Separator;        // "Simbolo frazione"
    QLineEdit *Pattern;          // "Formato"

private:
    void fillFormats(int category);
    void updateFields();
    QLabel *m_decimalsLabel, *m_separatorLabel, *m_patternLabel;
};
