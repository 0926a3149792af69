#include "report/designer/frtemplforms.h"

#include "report/designer/frdesignerdialogs.h"
#include "report/frcustompictureview.h"
#include "report/frreport.h"
#include "report/frtemplatefile.h"

#include "core/exceptions.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
QPixmap thumbnail(int kind, const QByteArray &graphic)
{
    const QImage image = kind ? TfrCustomPictureView::Decode(kind, graphic) : QImage();
    return image.isNull() ? QPixmap() : QPixmap::fromImage(image.scaled(64, 64, Qt::KeepAspectRatio));
}
} // namespace

QString frTemplates::folder(const TfrReport &report)
{
    return report.TemplateDir.isEmpty() ? QCoreApplication::applicationDirPath() : report.TemplateDir;
}

TTemplForm::TTemplForm(const TfrReport &report, QWidget *parent) : QDialog(parent), m_folder(frTemplates::folder(report))
{
    setObjectName(QStringLiteral("TemplForm"));
    setWindowTitle(QStringLiteral("Nuovo report"));
    Templates = new QListWidget(this);
    const QStringList files = QDir(m_folder).entryList({QStringLiteral("*.frt"), QStringLiteral("*.FRT")}, QDir::Files, QDir::Name);
    for (const QString &f : files) {
        auto *item = new QListWidgetItem(f.left(f.size() - 4), Templates);
        item->setData(Qt::UserRole, QDir(m_folder).filePath(f));
    }
    Description = new QPlainTextEdit(this);
    Description->setReadOnly(true);
    Picture = new QLabel(this);
    Picture->setFixedSize(68, 68);
    Picture->setAlignment(Qt::AlignCenter);
    QDialogButtonBox *buttons = frOkCancel(this);
    OkButton = qobject_cast<QPushButton *>(buttons->buttons().first());
    auto *side = new QVBoxLayout;
    side->addWidget(new QLabel(QStringLiteral("Descrizione"), this));
    side->addWidget(Description, 1);
    side->addWidget(Picture);
    auto *row = new QHBoxLayout;
    row->addWidget(Templates, 1);
    row->addLayout(side, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(row, 1);
    layout->addWidget(buttons);
    connect(Templates, &QListWidget::currentRowChanged, this, [this] { showTemplate(); });
    connect(Templates, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    showTemplate();
    resize(420, 300);
}

QString TTemplForm::SelectedFile() const
{
    return Templates->currentItem() ? Templates->currentItem()->data(Qt::UserRole).toString() : QString();
}

void TTemplForm::showTemplate()
{
    OkButton->setEnabled(Templates->currentItem());
    Description->clear();
    Picture->clear();
    QFile file(SelectedFile());
    if (SelectedFile().isEmpty() || !file.open(QIODevice::ReadOnly)) return;
    TfrTemplateHeader header;
    if (!frTemplateFile::readHeader(file.readAll(), header)) return;
    Description->setPlainText(header.Description.join(QLatin1Char('\n')));
    Picture->setPixmap(thumbnail(header.GraphicKind, header.Graphic));
}

TTemplNewForm::TTemplNewForm(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TemplNewForm"));
    setWindowTitle(QStringLiteral("Nuovo report da modello"));
    Comment = new QPlainTextEdit(this);
    Picture = new QLabel(this);
    Picture->setFixedSize(68, 68);
    Picture->setAlignment(Qt::AlignCenter);
    Picture->setFrameStyle(QFrame::Sunken | QFrame::Panel);
    FileButton = new QPushButton(QStringLiteral("File..."), this);
    FileButton->setAutoDefault(false);
    auto *icon = new QHBoxLayout;
    icon->addWidget(new QLabel(QStringLiteral("Icona"), this));
    icon->addWidget(Picture);
    icon->addWidget(FileButton);
    icon->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Commento"), this));
    layout->addWidget(Comment, 1);
    layout->addLayout(icon);
    layout->addWidget(frOkCancel(this));
    connect(FileButton, &QPushButton::clicked, this, [this] {
        const QString path = frDesignerDialogs().openFile(this, QStringLiteral("Icona"), QStringLiteral("File bitmap (*.bmp)|*.bmp"));
        if (!path.isEmpty()) LoadPicture(path);
    });
    resize(360, 260);
}

bool TTemplNewForm::LoadPicture(const QString &path)
{
    QFile file(path);
    QString error;
    QByteArray data;
    int kind = 0, offset = 0;
    if (!file.open(QIODevice::ReadOnly) || file.size() > 16 * 1024 * 1024) {
        error = QStringLiteral("Impossibile aprire il file '%1': %2").arg(path, file.errorString());
    } else {
        data = file.readAll();
        try {
            kind = TfrCustomPictureView::DetectKind(data, &offset);
        } catch (const Exception &e) {
            error = e.message();
        }
        if (error.isEmpty() && TfrCustomPictureView::Decode(kind, data.mid(offset)).isNull())
            error = QStringLiteral("Formato immagine sconosciuto.");
    }
    if (!error.isEmpty()) {
        frDesignerDialogs().message(this, error, QStringLiteral("Errore"), TMsgDlgType::mtError, mbOK, 0);
        return false;
    }
    GraphicKind = kind;
    Graphic = data.mid(offset);
    Picture->setPixmap(thumbnail(GraphicKind, Graphic));
    return true;
}
