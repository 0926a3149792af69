#include "report/designer/frpictureform.h"

#include "report/designer/frdesignerdialogs.h"
#include "report/frcustompictureview.h"

#include "core/exceptions.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const QString kFilter = QStringLiteral("File immagine (*.bmp *.ico *.wmf *.emf *.jpg *.jpeg)|*.bmp;*.ico;*.wmf;*.emf;*.jpg;*.jpeg|Tutti i files|*.*");
// Larger files than any picture a report holds are refused before reading.
constexpr qint64 MaxPictureFile = 64 * 1024 * 1024;
} // namespace

TfrPictureForm::TfrPictureForm(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("PictureForm"));
    setWindowTitle(QStringLiteral("Immagine"));
    Image = new QLabel(this);
    Image->setMinimumSize(240, 180);
    Image->setAlignment(Qt::AlignCenter);
    Image->setFrameStyle(QFrame::Sunken | QFrame::Panel);
    LoadButton = new QPushButton(QStringLiteral("&Carica..."), this);
    ClearButton = new QPushButton(QStringLiteral("&Svuota"), this);
    for (QPushButton *b : {LoadButton, ClearButton}) b->setAutoDefault(false);
    QDialogButtonBox *buttons = frOkCancel(this);
    auto *row = new QHBoxLayout;
    row->addWidget(LoadButton);
    row->addWidget(ClearButton);
    row->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Image, 1);
    layout->addLayout(row);
    layout->addWidget(buttons);
    connect(LoadButton, &QPushButton::clicked, this, [this] {
        const QString path = frDesignerDialogs().openFile(this, QStringLiteral("Carica immagine"), kFilter);
        if (!path.isEmpty()) LoadFile(path);
    });
    connect(ClearButton, &QPushButton::clicked, this, [this] { Clear(); });
}

void TfrPictureForm::Load(const TfrCustomPictureView &view)
{
    Kind = view.GraphicKind;
    Graphic = view.Graphic;
    showPicture();
}

void TfrPictureForm::Store(TfrCustomPictureView &view) const
{
    view.GraphicKind = quint8(Kind);
    view.Graphic = Graphic;
}

void TfrPictureForm::Clear()
{
    Kind = TfrCustomPictureView::NoGraphic;
    Graphic.clear();
    showPicture();
}

bool TfrPictureForm::LoadFile(const QString &path)
{
    auto refuse = [this](const QString &text) {
        frDesignerDialogs().message(this, text, QStringLiteral("Errore"), TMsgDlgType::mtError, mbOK, 0);
        return false;
    };
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return refuse(QStringLiteral("Impossibile aprire il file '%1': %2").arg(path, file.errorString()));
    if (file.size() > MaxPictureFile) return refuse(QStringLiteral("Formato immagine sconosciuto."));
    const QByteArray data = file.readAll();
    int kind = 0, offset = 0;
    try {
        kind = TfrCustomPictureView::DetectKind(data, &offset);
    } catch (const Exception &e) {
        return refuse(e.message());
    }
    bool unsupported = false;
    const QImage image = TfrCustomPictureView::Decode(kind, data.mid(offset), &unsupported);
    // Only what the engine can draw is taken: a picture that would print blank is not.
    if (unsupported || image.isNull())
        return refuse(QStringLiteral("Il programma non sa mostrare questa immagine: il file '%1' non è stato caricato.")
                          .arg(path));
    Kind = kind;
    Graphic = data.mid(offset);
    showPicture();
    return true;
}

void TfrPictureForm::showPicture()
{
    const QImage image = Kind ? TfrCustomPictureView::Decode(Kind, Graphic) : QImage();
    if (image.isNull()) {
        Image->setPixmap(QPixmap());
        return;
    }
    Image->setPixmap(QPixmap::fromImage(image.scaled(Image->minimumSize(), Qt::KeepAspectRatio, Qt::SmoothTransformation)));
}
