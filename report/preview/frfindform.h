#pragma once
// TFindForm: the find dialog of the preview ("Trova testo."). It keeps the
// earlier search texts and its options for the next search of the session;
// "Successivo" and "Precedente" are offered once something was found.

#include "report/preview/frtextsearch.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QRadioButton;

class TFindForm : public QDialog
{
    Q_OBJECT
public:
    explicit TFindForm(bool canContinue, QWidget *parent = nullptr);

    TfrFindOptions options() const;
    void setOptions(const TfrFindOptions &options);
    QComboBox *textBox() const { return m_text; }

    // Stores the options and the text in the history (on OK).
    void accept() override;

    // What the next dialog starts with.
    static TfrFindOptions &lastOptions();
    static QStringList &history();

private:
    QComboBox *m_text;
    QCheckBox *m_matchCase;
    QCheckBox *m_partOfWord;
    QRadioButton *m_origins[4];
};
