#pragma once
// TfrPictureForm: the picture of a picture object ("Immagine"): loaded from a
// file, or emptied. A file the engine cannot show is reported and the
// picture stays as it was.

#include <QByteArray>
#include <QDialog>

class QLabel;
class QPushButton;
class TfrCustomPictureView;

class TfrPictureForm : public QDialog
{
    Q_OBJECT
public:
    explicit TfrPictureForm(QWidget *parent = nullptr);
    void Load(const TfrCustomPictureView &view);
    void Store(TfrCustomPictureView &view) const;
    // Reads a picture file; false (with the message shown) when it cannot be shown.
    bool LoadFile(const QString &path);
    void Clear();

    QLabel *Image;
    QPushButton *LoadButton;    // "&Carica..."
    QPushButton *ClearButton;   // "&Svuota"
    int Kind = 0;
    QByteArray Graphic;

private:
    void showPicture();
};
