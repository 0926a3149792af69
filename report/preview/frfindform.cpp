#include "report/preview/frfindform.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {
constexpr int kHistorySize = 10;
} // namespace

TfrFindOptions &TFindForm::lastOptions()
{
    static TfrFindOptions options;
    return options;
}

QStringList &TFindForm::history()
{
    static QStringList list;
    return list;
}

TFindForm::TFindForm(bool canContinue, QWidget *parent)
    : QDialog(parent), m_text(new QComboBox(this)),
      m_matchCase(new QCheckBox(QStringLiteral("Maiuscole/minuscole"), this)),
      m_partOfWord(new QCheckBox(QStringLiteral("Parte di una parola"), this))
{
    setWindowTitle(QStringLiteral("Trova testo."));
    m_text->setEditable(true);
    m_text->addItems(history());
    m_text->setMinimumWidth(260);

    auto *label = new QLabel(QStringLiteral("Testo da trovare"), this);
    label->setBuddy(m_text);

    auto *optionsBox = new QGroupBox(QStringLiteral("Opzioni"), this);
    auto *optionsLayout = new QVBoxLayout(optionsBox);
    optionsLayout->addWidget(m_matchCase);
    optionsLayout->addWidget(m_partOfWord);

    auto *originBox = new QGroupBox(QStringLiteral("Origine"), this);
    auto *originLayout = new QVBoxLayout(originBox);
    const char *names[] = {"Prima pagina", "Pagina corrente", "Successivo", "Precedente"};
    for (int i = 0; i < 4; ++i) {
        m_origins[i] = new QRadioButton(QString::fromUtf8(names[i]), originBox);
        originLayout->addWidget(m_origins[i]);
    }
    m_origins[int(TfrFindOrigin::Next)]->setEnabled(canContinue);
    m_origins[int(TfrFindOrigin::Previous)]->setEnabled(canContinue);

    auto *row = new QHBoxLayout;
    row->addWidget(optionsBox);
    row->addWidget(originBox);

    auto *buttons = new QDialogButtonBox(this);
    buttons->addButton(QDialogButtonBox::Ok);
    buttons->addButton(QStringLiteral("&Annulla"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &TFindForm::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TFindForm::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_text);
    layout->addLayout(row);
    layout->addWidget(buttons);

    TfrFindOptions start = lastOptions();
    if (!canContinue && (start.origin == TfrFindOrigin::Next || start.origin == TfrFindOrigin::Previous))
        start.origin = TfrFindOrigin::FirstPage;
    setOptions(start);
}

TfrFindOptions TFindForm::options() const
{
    TfrFindOptions o;
    o.text = m_text->currentText();
    o.matchCase = m_matchCase->isChecked();
    o.partOfWord = m_partOfWord->isChecked();
    for (int i = 0; i < 4; ++i)
        if (m_origins[i]->isChecked()) o.origin = TfrFindOrigin(i);
    return o;
}

void TFindForm::setOptions(const TfrFindOptions &o)
{
    m_text->setCurrentText(o.text);
    m_matchCase->setChecked(o.matchCase);
    m_partOfWord->setChecked(o.partOfWord);
    m_origins[int(o.origin)]->setChecked(true);
}

void TFindForm::accept()
{
    const TfrFindOptions o = options();
    lastOptions() = o;
    if (!o.text.isEmpty()) {
        history().removeAll(o.text);
        history().prepend(o.text);
        while (history().size() > kHistorySize) history().removeLast();
    }
    QDialog::accept();
}
