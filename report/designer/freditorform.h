#pragma once
// TEditorForm: the text editor of an object's lines ("Editor di testo"). It
// works on a copy: a text object is copied whole into a scratch one, another
// object gives only its lines; OK copies the result back, cancelling drops it.

#include <QDialog>
#include <memory>

class QPlainTextEdit;
class QPushButton;
class TfrView;
class TfrMemoView;

class TEditorForm : public QDialog
{
    Q_OBJECT
public:
    explicit TEditorForm(QWidget *parent = nullptr);
    ~TEditorForm() override;

    // Edits the object's lines; true when OK changed them.
    bool ShowEditor(TfrView *view);

    QPlainTextEdit *M1;
    QPushButton *Button1;     // "&OK"
    QPushButton *Button2;     // "&Annulla"

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    std::unique_ptr<TfrMemoView> m_copy;
};
