#include "report/designer/frfmtform.h"

#include "report/designer/frdesignerdialogs.h"
#include "report/frdisplayformat.h"
#include "report/frview.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSpinBox>
#include <QVBoxLayout>

QStringList TFmtForm::Formats(int category)
{
    const QString custom = QStringLiteral("Personalizzato");
    switch (category) {
    case frFormat::Number:
        return {QStringLiteral("1234,5"), QStringLiteral("1234,50"), QStringLiteral("1.234,5"), QStringLiteral("1.234,50"), custom};
    case frFormat::Date:
        return {QStringLiteral("05/11/98"), QStringLiteral("05/11/1998"), QStringLiteral("5 nov 1998"),
                QStringLiteral("5 novembre 1998"), custom};
    case frFormat::Time:
        return {QStringLiteral("02:43:35"), QStringLiteral("2:43:35"), QStringLiteral("02:43"), QStringLiteral("2:43"), custom};
    case frFormat::Logical: return {QStringLiteral("0/1"), QStringLiteral("Si/No"), QStringLiteral("X/_")};
    default: return {QStringLiteral("[Nessuno]")};
    }
}

TFmtForm::TFmtForm(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FmtForm"));
    setWindowTitle(QStringLiteral("Formatta variabile"));
    auto *group = new QGroupBox(QStringLiteral("Formato variabile"), this);
    Category = new QComboBox(group);
    Category->addItems({QStringLiteral("Testo"), QStringLiteral("Numero"), QStringLiteral("Data"), QStringLiteral("Orario"),
                        QStringLiteral("Logico")});
    Format = new QListWidget(group);
    Decimals = new QSpinBox(group);
    Decimals->setRange(0, 18);
    Separator = new QLineEdit(group);
    Separator->setMaxLength(1);
    Pattern = new QLineEdit(group);
    m_decimalsLabel = new QLabel(QStringLiteral("Cifre decimali"), group);
    m_separatorLabel = new QLabel(QStringLiteral("Simbolo frazione"), group);
    m_patternLabel = new QLabel(QStringLiteral("Formato"), group);
    auto *grid = new QGridLayout(group);
    grid->addWidget(Category, 0, 0);
    grid->addWidget(Format, 1, 0, 4, 1);
    grid->addWidget(m_decimalsLabel, 0, 1);
    grid->addWidget(Decimals, 0, 2);
    grid->addWidget(m_separatorLabel, 1, 1);
    grid->addWidget(Separator, 1, 2);
    grid->addWidget(m_patternLabel, 5, 0);
    grid->addWidget(Pattern, 6, 0, 1, 3);
    QDialogButtonBox *buttons = frOkCancel(this);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(buttons);
    connect(Category, &QComboBox::activated, this, [this](int category) {
        // Another category starts on its first format, without a pattern.
        fillFormats(category);
        Format->setCurrentRow(0);
        Pattern->clear();
        updateFields();
    });
    connect(Format, &QListWidget::currentRowChanged, this, [this] { updateFields(); });
    fillFormats(0);
    Format->setCurrentRow(0);
    updateFields();
}

void TFmtForm::fillFormats(int category)
{
    const QSignalBlocker block(Format);
    Format->clear();
    Format->addItems(Formats(category));
}

void TFmtForm::updateFields()
{
    const bool custom = Format->currentItem() && Format->currentItem()->text() == QLatin1String("Personalizzato");
    const bool number = Category->currentIndex() == frFormat::Number && !custom;
    for (QWidget *w : std::initializer_list<QWidget *>{Decimals, Separator, m_decimalsLabel, m_separatorLabel}) w->setVisible(number);
    Pattern->setVisible(custom);
    m_patternLabel->setVisible(custom);
}

void TFmtForm::Load(const TfrView &view)
{
    const int category = qBound(0, frFormat::category(view.DisplayFormat), 4);
    Category->setCurrentIndex(category);
    fillFormats(category);
    Format->setCurrentRow(qBound(0, frFormat::index(view.DisplayFormat), Format->count() - 1));
    Decimals->setValue(frFormat::decimals(view.DisplayFormat));
    const int sep = frFormat::separator(view.DisplayFormat);
    Separator->setText(sep ? QString(QChar(char16_t(sep))) : QString());
    Pattern->setText(view.FormatText);
    updateFields();
}

int TFmtForm::DisplayFormat() const
{
    const QString sep = Separator->text();
    // An empty symbol means a comma; the packing holds one byte.
    const int separator = sep.isEmpty() || sep.at(0).unicode() > 0xFF ? ',' : sep.at(0).unicode();
    return frFormat::pack(Category->currentIndex(), qMax(0, Format->currentRow()), Decimals->value(), separator);
}

void TFmtForm::Store(TfrView &view) const
{
    view.DisplayFormat = DisplayFormat();
    view.FormatText = Pattern->isVisibleTo(this) ? Pattern->text() : QString();
}
