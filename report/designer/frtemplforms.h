#pragma once
// The template dialogs: TTemplForm chooses a template for a new report
// ("Nuovo report"), TTemplNewForm takes a template's description and picture
// when a report is saved as one ("Nuovo report da modello"). Templates live
// in the report's template folder, the program's folder when none is set.

#include <QByteArray>
#include <QDialog>

class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class TfrReport;

namespace frTemplates {
// The folder templates are read from and written to (never the current directory).
QString folder(const TfrReport &report);
} // namespace frTemplates

class TTemplForm : public QDialog
{
    Q_OBJECT
public:
    TTemplForm(const TfrReport &report, QWidget *parent = nullptr);
    QListWidget *Templates;
    QPlainTextEdit *Description;  // "Descrizione"
    QLabel *Picture;
    QPushButton *OkButton;
    // The chosen template's full file name.
    QString SelectedFile() const;

private:
    void showTemplate();
    QString m_folder;
};

class TTemplNewForm : public QDialog
{
    Q_OBJECT
public:
    explicit TTemplNewForm(QWidget *parent = nullptr);
    QPlainTextEdit *Comment;      // "Commento"
    QLabel *Picture;              // "Icona"
    QPushButton *FileButton;      // "File..."
    int GraphicKind = 0;
    QByteArray Graphic;
    bool LoadPicture(const QString &path);
};
