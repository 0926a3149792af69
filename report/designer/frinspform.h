#pragma once
// TInspForm: the object inspector ("Controllo oggetto"), a tool window beside
// the designer. It lists the current page's objects and shows the name,
// position, size, visibility and text of the selection as rows of label and
// value; a value typed in its edit box is applied to every selected object
// and recorded in the designer's undo history.

#include <QStringList>
#include <QWidget>

class QComboBox;
class QLineEdit;
class QToolButton;
class TFRDesignerForm;
class TfrView;

class TInspForm : public QWidget
{
    Q_OBJECT
public:
    explicit TInspForm(TFRDesignerForm *designer);

    enum Row { RowName, RowX, RowY, RowWidth, RowHeight, RowVisible, RowText, RowCount };
    static constexpr int LabelWidth = 61;
    static constexpr int MaxValueLength = 100;
    static QString RowLabel(int row);

    QComboBox *Objects;        // the page's objects, in the order they were added
    QWidget *PaintBox;         // the rows
    QLineEdit *Edit1;          // over the current row's value
    QToolButton *EditBtn;      // "..." on the "Testo" row

    int RowPixels() const;
    int CurrentRow() const { return m_row; }
    void SetCurrentRow(int row);
    QString Value(int row) const { return m_values[row]; }

    // Kept in step by the designer.
    void FillObjects();
    void ObjectAdded(const TfrView *view);
    void ObjectRenamed(const QString &oldName, const QString &newName);
    void ObjectRemoved(const QString &name);
    // The values of the selection: one object, several (empty values) or none.
    void FillValues();
    // Applies the edit box's text to the current row when it changed; false
    // when the value was refused.
    bool ApplyEdit();
    // Opens the text editor ("Testo").
    void EditText();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void changeEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void placeEditor();
    void paintRows();
    bool apply(int row, const QString &text);
    void refuse(int row);
    QString currentValue(int row) const;

    TFRDesignerForm *m_designer;
    QString m_values[RowCount];
    int m_row = RowName;
    bool m_filling = false;
};
