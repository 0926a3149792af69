#pragma once
// TExprEditor: builds an expression ("Editor di espressioni") out of
// constants, operators, functions and data, appending each part to the line
// at the top, with an undo stack ("Ripristina") and "Elimina".
// TedParamFct: asks for a function's parameters ("Editor di parametri").

#include "report/designer/frexprline.h"

#include <QDialog>
#include <QList>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTabWidget;
class TfrReport;

class TExprEditor : public QDialog
{
    Q_OBJECT
public:
    explicit TExprEditor(TfrReport *report, QWidget *parent = nullptr);

    // Runs the editor through the designer's dialog table on `expression`.
    static bool Edit(TfrReport *report, QWidget *parent, QString &expression);

    QString Expression() const { return m_line.text; }
    void SetExpression(const QString &text);
    // Appends a part, as every button does.
    void AddPart(const QString &part);

    QLineEdit *ExprMemo;
    QComboBox *ConstType;            // "Testo", "Numerica"
    QLineEdit *ConstEdit;
    QPushButton *ConstAdd;
    QTabWidget *Operators;
    QList<QPushButton *> OperatorButtons;
    QPushButton *ParenButton;        // "(<X>)"
    QComboBox *Categories;
    QListWidget *Functions;
    QLabel *Syntax;
    QLabel *Help;
    QPushButton *FunctionAdd;
    QRadioButton *UseVariables, *UseData;
    QComboBox *DataBox;
    QListWidget *DataList;
    QPushButton *DataAdd;
    QPushButton *RestoreButton;      // "Ripristina"
    QPushButton *ClearButton;        // "Elimina"

    void AddConstant();
    void AddFunction();
    void AddParenthesis();
    void AddData();

private:
    void fillFunctions();
    void fillDataBox();
    void fillDataList();
    void showFunction();
    void updateLine();

    TfrReport *m_report;
    TfrExprLine m_line;
};

class TedParamFct : public QDialog
{
    Q_OBJECT
public:
    TedParamFct(TfrReport *report, const QString &syntax, const QString &help, QWidget *parent = nullptr);
    QString Result() const;
    QLabel *Syntax;
    QLabel *Help;
    QList<QLineEdit *> Params;       // X, Y, Z as the syntax asks
    QList<QPushButton *> ParamButtons;
    QPushButton *OkButton;

private:
    void check();
    TfrReport *m_report;
    QString m_syntax;
};
