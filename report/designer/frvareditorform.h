#pragma once
// TfrVarEditorForm: the report's variables ("Editor di variabili"): a tree
// of categories and variables, and each variable's value: nothing, a field
// of an open window's dataset, or a system value (an expression among them).
// It edits the report itself and puts every line and value back on cancel.

#include <QDialog>
#include <QList>

class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;
class TfrReport;

class TfrVarEditorForm : public QDialog
{
    Q_OBJECT
public:
    explicit TfrVarEditorForm(TfrReport &report, QWidget *parent = nullptr);
    // Runs it through the designer's dialog table; true when OK changed something.
    static bool Edit(TfrReport &report, QWidget *parent);

    QTreeWidget *Tree;
    QToolButton *NewCategoryButton, *NewVariableButton, *DeleteButton, *EditButton;
    QComboBox *Sources;           // "Valore": the data sources, then "Altro"
    QListWidget *Values;
    QLineEdit *Expression;        // "Espressione"
    QPushButton *ExpressionButton;

    void NewCategory();
    void NewVariable();
    void DeleteSelected();
    void EditSelected();
    // Puts the report's lines and values back as they were when the editor opened.
    void Restore();

    void reject() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Binding
    {
        QString name;
        int kind, subKind;
        QString dset, field;
    };
    void fillTree();
    void writeLines();
    void syncValues();
    void showBinding();
    void storeBinding();
    void fillValues();
    QString currentVariable() const;
    static QString freeName(const QString &base, const QStringList &taken);

    TfrReport &m_report;
    QStringList m_savedLines;
    QList<Binding> m_savedValues;
    QString m_shown;              // the variable whose binding the value side shows
    bool m_filling = false;
};
