#pragma once
// TEditorForm: the text editor of an object's lines ("Editor di testo"). It
// works on a copy: a text object is copied whole into a scratch one, another
// object gives only its lines; OK copies the result back, cancelling drops it.
// Its helpers insert a variable, a field or an expression at the caret
// (never through the clipboard, which stays the user's), and for text
// objects edit the format and the highlight of the copy.

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
    QPushButton *VarButton;       // "&Variabile" (Insert)
    QPushButton *FieldButton;     // "&Campo DB"
    QPushButton *ExprButton;      // "&Espressione"
    QPushButton *FormatButton;    // "&Formatta", text objects only
    QPushButton *HilightButton;   // "Evi&denzia", text objects only

    void InsertVariable();
    void InsertField();
    void InsertExpression();
    void EditFormat();
    void EditHighlight();
    // The copy being edited (a text object's settings travel in it).
    TfrMemoView *Copy() const { return m_copy.get(); }

protected:
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void insert(const QString &text);
    std::unique_ptr<TfrMemoView> m_copy;
};
