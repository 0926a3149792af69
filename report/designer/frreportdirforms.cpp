#include "report/designer/frreportdirforms.h"

#include "report/designer/frdesignerdialogs.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

TOpenForm::TOpenForm(const QString &folder, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("OpenForm"));
    setWindowTitle(QStringLiteral("Caricamento Report"));
    Reports = new QListWidget(this);
    // Any case of the extension: a file copied from elsewhere may say ".FRF".
    for (const QString &f : QDir(folder).entryList(QDir::Files, QDir::Name | QDir::IgnoreCase))
        if (f.endsWith(QLatin1String(".frf"), Qt::CaseInsensitive)) Reports->addItem(f.left(f.size() - 4));
    QDialogButtonBox *buttons = frOkCancel(this);
    OkButton = qobject_cast<QPushButton *>(buttons->buttons().first());
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Elenco report disponibili"), this));
    layout->addWidget(Reports, 1);
    layout->addWidget(buttons);
    connect(Reports, &QListWidget::currentRowChanged, this, [this] { OkButton->setEnabled(Reports->currentItem()); });
    connect(Reports, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    OkButton->setEnabled(false);
    resize(260, 300);
}

QString TOpenForm::SelectedName() const
{
    return Reports->currentItem() ? Reports->currentItem()->text() + QStringLiteral(".frf") : QString();
}

TSaveForm::TSaveForm(const QString &currentName, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("SaveForm"));
    setWindowTitle(QStringLiteral("Salvataggio Report"));
    Name = new QLineEdit(this);
    QString name = currentName;
    if (name.endsWith(QLatin1String(".frf"), Qt::CaseInsensitive)) name.chop(4);
    Name->setText(name);
    QDialogButtonBox *buttons = frOkCancel(this);
    OkButton = qobject_cast<QPushButton *>(buttons->buttons().first());
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Inserire il nome da dare al report"), this));
    layout->addWidget(Name);
    layout->addWidget(buttons);
    connect(Name, &QLineEdit::textChanged, this, [this] { OkButton->setEnabled(!Name->text().isEmpty()); });
    OkButton->setEnabled(!Name->text().isEmpty());
}

bool TSaveForm::ValidName(const QString &name)
{
    const QString n = name.trimmed();
    return !n.isEmpty() && !n.contains(QLatin1Char('/')) && !n.contains(QLatin1Char('\\')) && !n.contains(QStringLiteral(".."));
}

QString TSaveForm::FileName() const
{
    const QString n = Name->text().trimmed();
    // Always a lower-case extension: the load dialog must find it on a case-sensitive disk.
    return n.endsWith(QLatin1String(".frf"), Qt::CaseInsensitive) ? n.left(n.size() - 4) + QStringLiteral(".frf")
                                                                 : n + QStringLiteral(".frf");
}

void TSaveForm::accept()
{
    if (!ValidName(Name->text())) {
        frDesignerDialogs().message(this, QStringLiteral("Il nome del report non può contenere \"/\", \"\\\" o \"..\"."),
                                    QStringLiteral("Errore"), TMsgDlgType::mtError, mbOK, 0);
        return;
    }
    QDialog::accept();
}
