#include "report/designer/frexpreditor.h"

#include "report/designer/frdatasources.h"
#include "report/designer/frdesignerdialogs.h"
#include "report/designer/frfunctiontable.h"
#include "report/frreport.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

TExprEditor::TExprEditor(TfrReport *report, QWidget *parent) : QDialog(parent), m_report(report)
{
    setObjectName(QStringLiteral("ExprEditor"));
    setWindowTitle(QStringLiteral("Editor di espressioni"));
    ExprMemo = new QLineEdit(this);
    ExprMemo->setObjectName(QStringLiteral("ExprMemo"));
    connect(ExprMemo, &QLineEdit::textEdited, this, [this](const QString &text) { m_line.text = text; });

    auto *constants = new QGroupBox(QStringLiteral("Costanti"), this);
    ConstType = new QComboBox(constants);
    ConstType->addItems({QStringLiteral("Testo"), QStringLiteral("Numerica")});
    ConstEdit = new QLineEdit(constants);
    ConstAdd = new QPushButton(QStringLiteral("Aggiungi"), constants);
    auto *cl = new QHBoxLayout(constants);
    cl->addWidget(ConstType);
    cl->addWidget(ConstEdit, 1);
    cl->addWidget(ConstAdd);
    connect(ConstAdd, &QPushButton::clicked, this, [this] { AddConstant(); });

    auto *operators = new QGroupBox(QStringLiteral("Operatori"), this);
    Operators = new QTabWidget(operators);
    const QStringList math = {QStringLiteral("+"), QStringLiteral("-"), QStringLiteral("*"), QStringLiteral("/"),
                              QStringLiteral("MOD"), QStringLiteral("^"), QStringLiteral("DIV")};
    const QStringList logic = {QStringLiteral("<"), QStringLiteral("="), QStringLiteral(">"), QStringLiteral("<>"),
                               QStringLiteral("<="), QStringLiteral(">="), QStringLiteral(" NOT "),
                               QStringLiteral(" OR "), QStringLiteral(" AND ")};
    for (const auto &[title, captions] : {std::pair{QStringLiteral("Matematici"), math}, std::pair{QStringLiteral("Logici"), logic}}) {
        auto *panel = new QWidget(Operators);
        auto *pl = new QGridLayout(panel);
        pl->setSpacing(2);
        for (int i = 0; i < captions.size(); ++i) {
            // "&" would make a shortcut of the next letter: shown doubled.
            auto *b = new QPushButton(QString(captions[i]).replace(QLatin1Char('&'), QStringLiteral("&&")), panel);
            b->setProperty("part", captions[i]);
            b->setAutoDefault(false);
            pl->addWidget(b, i / 5, i % 5);
            connect(b, &QPushButton::clicked, this, [this, part = captions[i]] { AddPart(part); });
            OperatorButtons << b;
        }
        Operators->addTab(panel, title);
    }
    ParenButton = new QPushButton(QStringLiteral("(<X>)"), operators);
    connect(ParenButton, &QPushButton::clicked, this, [this] { AddParenthesis(); });
    auto *ol = new QVBoxLayout(operators);
    ol->addWidget(Operators);
    ol->addWidget(ParenButton);

    auto *functions = new QGroupBox(QStringLiteral("Funzioni"), this);
    Categories = new QComboBox(functions);
    Functions = new QListWidget(functions);
    Syntax = new QLabel(functions);
    Syntax->setObjectName(QStringLiteral("Syntax"));
    Help = new QLabel(functions);
    Help->setObjectName(QStringLiteral("Help"));
    Help->setWordWrap(true);
    Help->setMinimumHeight(40);
    FunctionAdd = new QPushButton(QStringLiteral("Aggiungi"), functions);
    auto *fl = new QVBoxLayout(functions);
    fl->addWidget(Categories);
    fl->addWidget(Functions, 1);
    fl->addWidget(Syntax);
    fl->addWidget(Help);
    fl->addWidget(FunctionAdd);
    const QList<TfrFunctionInfo> all = frFunctionTable::all();
    Categories->addItem(QStringLiteral("Tutte"));
    Categories->addItems(frFunctionTable::categories(all));
    connect(Categories, &QComboBox::currentIndexChanged, this, [this] { fillFunctions(); });
    connect(Functions, &QListWidget::currentRowChanged, this, [this] { showFunction(); });
    connect(FunctionAdd, &QPushButton::clicked, this, [this] { AddFunction(); });

    auto *data = new QGroupBox(QStringLiteral("Dati"), this);
    UseVariables = new QRadioButton(QStringLiteral("Variabili"), data);
    UseData = new QRadioButton(QStringLiteral("Dati"), data);
    UseVariables->setChecked(true);
    DataBox = new QComboBox(data);
    DataList = new QListWidget(data);
    DataAdd = new QPushButton(QStringLiteral("Aggiungi"), data);
    auto *dl = new QVBoxLayout(data);
    auto *kinds = new QHBoxLayout;
    kinds->addWidget(UseVariables);
    kinds->addWidget(UseData);
    dl->addLayout(kinds);
    dl->addWidget(DataBox);
    dl->addWidget(DataList, 1);
    dl->addWidget(DataAdd);
    connect(UseVariables, &QRadioButton::toggled, this, [this] { fillDataBox(); });
    connect(DataBox, &QComboBox::currentIndexChanged, this, [this] { fillDataList(); });
    connect(DataAdd, &QPushButton::clicked, this, [this] { AddData(); });

    RestoreButton = new QPushButton(QStringLiteral("Ripristina"), this);
    ClearButton = new QPushButton(QStringLiteral("Elimina"), this);
    auto *ok = new QPushButton(QStringLiteral("&OK"), this);
    auto *cancel = new QPushButton(QStringLiteral("&Annulla"), this);
    for (QPushButton *b : {ConstAdd, ParenButton, FunctionAdd, DataAdd, RestoreButton, ClearButton, cancel})
        b->setAutoDefault(false);
    connect(RestoreButton, &QPushButton::clicked, this, [this] {
        m_line.restore();
        updateLine();
    });
    connect(ClearButton, &QPushButton::clicked, this, [this] {
        m_line.clear();
        updateLine();
    });
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *grid = new QGridLayout(this);
    grid->addWidget(ExprMemo, 0, 0, 1, 2);
    grid->addWidget(constants, 1, 0);
    grid->addWidget(operators, 2, 0);
    grid->addWidget(functions, 1, 1, 2, 1);
    grid->addWidget(data, 3, 0, 1, 2);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(RestoreButton);
    buttons->addWidget(ClearButton);
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    grid->addLayout(buttons, 4, 0, 1, 2);
    fillFunctions();
    fillDataBox();
    updateLine();
    resize(640, 560);
}

bool TExprEditor::Edit(TfrReport *report, QWidget *parent, QString &expression)
{
    TExprEditor editor(report, parent);
    editor.SetExpression(expression);
    if (frDesignerDialogs().exec(editor) != QDialog::Accepted) return false;
    expression = editor.Expression();
    return true;
}

void TExprEditor::SetExpression(const QString &text)
{
    m_line = TfrExprLine();
    m_line.text = text;
    updateLine();
}

void TExprEditor::AddPart(const QString &part)
{
    if (part.isEmpty()) return;
    m_line.add(part);
    updateLine();
}

void TExprEditor::updateLine()
{
    ExprMemo->setText(m_line.text);
    RestoreButton->setEnabled(m_line.canRestore());
}

void TExprEditor::AddConstant()
{
    const QString text = ConstEdit->text();
    if (text.isEmpty()) return;
    AddPart(ConstType->currentIndex() == 0 ? TfrExprLine::quoted(text) : text);
    ConstEdit->clear();
}

void TExprEditor::fillFunctions()
{
    Functions->clear();
    const QString category = Categories->currentIndex() <= 0 ? QString() : Categories->currentText();
    QStringList names;
    for (const TfrFunctionInfo &f : frFunctionTable::all())
        if (category.isEmpty() || f.category == category) names << f.name;
    names.sort();
    Functions->addItems(names);
    if (!names.isEmpty()) Functions->setCurrentRow(0);
    showFunction();
}

void TExprEditor::showFunction()
{
    const QListWidgetItem *item = Functions->currentItem();
    const TfrFunctionInfo info = item ? frFunctionTable::find(item->text()) : TfrFunctionInfo();
    Syntax->setText(info.syntax);
    Help->setText(info.help);
    FunctionAdd->setEnabled(item != nullptr);
}

void TExprEditor::AddFunction()
{
    const QListWidgetItem *item = Functions->currentItem();
    if (!item) return;
    const TfrFunctionInfo info = frFunctionTable::find(item->text());
    if (!TfrExprLine::takesParameters(info.syntax)) {
        AddPart(info.syntax);
        return;
    }
    TedParamFct params(m_report, info.syntax, info.help, this);
    if (frDesignerDialogs().exec(params) == QDialog::Accepted) AddPart(params.Result());
}

void TExprEditor::AddParenthesis()
{
    TedParamFct params(m_report, QStringLiteral("(<X>)"), QString(), this);
    if (frDesignerDialogs().exec(params) == QDialog::Accepted) AddPart(params.Result());
}

void TExprEditor::fillDataBox()
{
    DataBox->clear();
    if (UseVariables->isChecked()) {
        if (m_report) DataBox->addItems(m_report->GetCategoryList());
    } else {
        for (const TfrDataSource &s : frDataSources::list(m_report)) DataBox->addItem(s.name);
        DataBox->addItem(frDataSources::other());
    }
    fillDataList();
}

void TExprEditor::fillDataList()
{
    DataList->clear();
    const int index = DataBox->currentIndex();
    if (index < 0) return;
    if (UseVariables->isChecked()) {
        if (m_report) DataList->addItems(m_report->GetVarList(index));
    } else if (DataBox->currentText() == frDataSources::other()) {
        DataList->addItems(frDataSources::systemCaptions());
    } else {
        for (const TfrDataSource &s : frDataSources::list(m_report))
            if (s.name == DataBox->currentText()) DataList->addItems(frDataSources::fieldNames(s.dataSet.data()));
    }
    if (DataList->count() > 0) DataList->setCurrentRow(0);
}

void TExprEditor::AddData()
{
    const QListWidgetItem *item = DataList->currentItem();
    if (!item) return;
    if (UseVariables->isChecked()) AddPart(QLatin1Char('[') + item->text() + QLatin1Char(']'));
    else if (DataBox->currentText() == frDataSources::other())
        AddPart(frDataSources::systemNames().value(DataList->row(item)));
    else AddPart(frDataSources::fieldReference(DataBox->currentText(), item->text()));
}

TedParamFct::TedParamFct(TfrReport *report, const QString &syntax, const QString &help, QWidget *parent)
    : QDialog(parent), m_report(report), m_syntax(syntax)
{
    setObjectName(QStringLiteral("edParamFct"));
    setWindowTitle(QStringLiteral("Editor di parametri"));
    Syntax = new QLabel(syntax, this);
    Help = new QLabel(help, this);
    Help->setWordWrap(true);
    Help->setVisible(!help.isEmpty());
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Syntax);
    layout->addWidget(Help);
    const char *letters[] = {"X", "Y", "Z"};
    for (int i = 0; i < TfrExprLine::parameterCount(syntax); ++i) {
        auto *row = new QHBoxLayout;
        auto *edit = new QLineEdit(this);
        edit->setObjectName(QStringLiteral("Param") + QLatin1String(letters[i]));
        auto *button = new QPushButton(QStringLiteral("..."), this);
        button->setAutoDefault(false);
        row->addWidget(new QLabel(QLatin1Char('<') + QLatin1String(letters[i]) + QLatin1Char('>'), this));
        row->addWidget(edit, 1);
        row->addWidget(button);
        layout->addLayout(row);
        connect(edit, &QLineEdit::textChanged, this, [this] { check(); });
        connect(button, &QPushButton::clicked, this, [this, edit] {
            QString text = edit->text();
            if (TExprEditor::Edit(m_report, this, text)) edit->setText(text);
        });
        Params << edit;
        ParamButtons << button;
    }
    OkButton = new QPushButton(QStringLiteral("&OK"), this);
    auto *cancel = new QPushButton(QStringLiteral("&Annulla"), this);
    cancel->setAutoDefault(false);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OkButton);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    connect(OkButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    check();
}

void TedParamFct::check()
{
    bool filled = true;
    for (const QLineEdit *e : Params) filled = filled && !e->text().isEmpty();
    OkButton->setEnabled(filled);
}

QString TedParamFct::Result() const
{
    QStringList values;
    for (const QLineEdit *e : Params) values << e->text();
    return TfrExprLine::call(m_syntax, values);
}
