#include "report/designer/frvareditorform.h"

#include "report/designer/frdatasources.h"
#include "report/designer/frdesignerdialogs.h"
#include "report/designer/frexpreditor.h"
#include "report/frreport.h"
#include "report/frvalue.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {
const QString kNone = QStringLiteral("[Nessuno]");
bool isCategory(const QTreeWidgetItem *item) { return item && !item->parent(); }
} // namespace

TfrVarEditorForm::TfrVarEditorForm(TfrReport &report, QWidget *parent) : QDialog(parent), m_report(report)
{
    setObjectName(QStringLiteral("VarEditorForm"));
    setWindowTitle(QStringLiteral("Editor di variabili"));
    m_savedLines = report.Variables;
    for (int i = 0; i < report.Values.Count(); ++i) {
        const TfrValue *v = report.Values.Objects(i);
        m_savedValues.append({report.Values.Name(i), v->ValueKind, v->ValueSubKind, v->DSet, v->Field});
    }

    Tree = new QTreeWidget(this);
    Tree->setHeaderHidden(true);
    Tree->setEditTriggers(QAbstractItemView::EditKeyPressed);
    Tree->installEventFilter(this);
    auto tool = [this](const QString &hint, const QString &glyph) {
        auto *b = new QToolButton(this);
        b->setText(glyph);
        b->setToolTip(hint);
        b->setFocusPolicy(Qt::NoFocus);
        return b;
    };
    NewCategoryButton = tool(QStringLiteral("Nuova categoria"), QStringLiteral("C+"));
    NewVariableButton = tool(QStringLiteral("Nuova variabile"), QStringLiteral("V+"));
    DeleteButton = tool(QStringLiteral("Elimina elemento"), QStringLiteral("−"));
    EditButton = tool(QStringLiteral("Modifica elemento"), QStringLiteral("…"));
    auto *tools = new QHBoxLayout;
    for (QToolButton *b : {NewCategoryButton, NewVariableButton, DeleteButton, EditButton}) tools->addWidget(b);
    tools->addStretch();
    auto *left = new QGroupBox(QStringLiteral("Variabili"), this);
    auto *ll = new QVBoxLayout(left);
    ll->addLayout(tools);
    ll->addWidget(Tree, 1);

    auto *right = new QGroupBox(QStringLiteral("Valore"), this);
    Sources = new QComboBox(right);
    for (const TfrDataSource &s : frDataSources::list(&m_report)) Sources->addItem(s.name);
    Sources->addItem(frDataSources::other());
    Values = new QListWidget(right);
    Expression = new QLineEdit(right);
    ExpressionButton = new QPushButton(QStringLiteral("..."), right);
    ExpressionButton->setAutoDefault(false);
    auto *rl = new QVBoxLayout(right);
    rl->addWidget(Sources);
    rl->addWidget(Values, 1);
    rl->addWidget(new QLabel(QStringLiteral("Espressione"), right));
    auto *er = new QHBoxLayout;
    er->addWidget(Expression, 1);
    er->addWidget(ExpressionButton);
    rl->addLayout(er);

    auto *top = new QHBoxLayout;
    top->addWidget(left, 1);
    top->addWidget(right, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addWidget(frOkCancel(this));

    connect(NewCategoryButton, &QToolButton::clicked, this, [this] { NewCategory(); });
    connect(NewVariableButton, &QToolButton::clicked, this, [this] { NewVariable(); });
    connect(DeleteButton, &QToolButton::clicked, this, [this] { DeleteSelected(); });
    connect(EditButton, &QToolButton::clicked, this, [this] { EditSelected(); });
    connect(Tree, &QTreeWidget::currentItemChanged, this, [this] {
        // Leaving a variable stores what its value side shows.
        if (!m_filling) storeBinding();
        showBinding();
    });
    connect(Tree, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem *item) {
        if (m_filling) return;
        const QString old = item->data(0, Qt::UserRole).toString();
        const QString name = item->text(0).trimmed();
        if (name.isEmpty()) {
            m_filling = true;
            item->setText(0, old);
            m_filling = false;
            return;
        }
        // A renamed variable keeps its value.
        if (!isCategory(item) && old != name) {
            const int i = m_report.Values.IndexOf(old);
            if (i >= 0) {
                const TfrValue v = *m_report.Values.Objects(i);
                m_report.Values.Delete(i);
                *m_report.Values.Objects(m_report.Values.AddValue(name)) = v;
            }
            if (m_shown == old) m_shown = name;
        }
        m_filling = true;
        item->setText(0, name);
        item->setData(0, Qt::UserRole, name);
        m_filling = false;
        writeLines();
    });
    connect(Sources, &QComboBox::currentIndexChanged, this, [this] {
        if (m_filling) return;
        fillValues();
    });
    connect(Values, &QListWidget::currentRowChanged, this, [this] {
        if (m_filling) return;
        fillValues();   // updates the expression field's state only
        storeBinding();
    });
    connect(Expression, &QLineEdit::textEdited, this, [this] { storeBinding(); });
    connect(ExpressionButton, &QPushButton::clicked, this, [this] {
        QString text = Expression->text();
        if (TExprEditor::Edit(&m_report, this, text)) {
            Expression->setText(text);
            storeBinding();
        }
    });
    // Every variable gets its binding, an empty one when it has none yet.
    syncValues();
    fillTree();
    resize(520, 380);
}

bool TfrVarEditorForm::Edit(TfrReport &report, QWidget *parent)
{
    TfrVarEditorForm form(report, parent);
    if (frDesignerDialogs().exec(form) != QDialog::Accepted) {
        form.Restore();
        return false;
    }
    form.storeBinding();
    return true;
}

void TfrVarEditorForm::reject()
{
    Restore();
    QDialog::reject();
}

void TfrVarEditorForm::Restore()
{
    m_report.Variables = m_savedLines;
    m_report.Values.Clear();
    for (const Binding &b : m_savedValues) {
        TfrValue *v = m_report.Values.Objects(m_report.Values.AddValue(b.name));
        v->ValueKind = b.kind;
        v->ValueSubKind = b.subKind;
        v->DSet = b.dset;
        v->Field = b.field;
    }
}

void TfrVarEditorForm::fillTree()
{
    m_filling = true;
    Tree->clear();
    QTreeWidgetItem *category = nullptr;
    for (const QString &line : m_report.Variables) {
        if (line.startsWith(QLatin1Char(' '))) {
            if (!category) continue;
            auto *item = new QTreeWidgetItem(category, QStringList{line.mid(1)});
            item->setData(0, Qt::UserRole, line.mid(1));
            item->setFlags(item->flags() | Qt::ItemIsEditable);
        } else {
            category = new QTreeWidgetItem(Tree, QStringList{line});
            category->setData(0, Qt::UserRole, line);
            category->setFlags(category->flags() | Qt::ItemIsEditable);
        }
    }
    Tree->expandAll();
    m_filling = false;
    showBinding();
}

void TfrVarEditorForm::writeLines()
{
    QStringList lines;
    for (int c = 0; c < Tree->topLevelItemCount(); ++c) {
        const QTreeWidgetItem *cat = Tree->topLevelItem(c);
        lines << cat->text(0);
        for (int v = 0; v < cat->childCount(); ++v) lines << QLatin1Char(' ') + cat->child(v)->text(0);
    }
    m_report.Variables = lines;
    syncValues();
}

void TfrVarEditorForm::syncValues()
{
    QStringList variables;
    for (const QString &line : m_report.Variables)
        if (line.startsWith(QLatin1Char(' '))) variables << line.mid(1);
    for (int i = m_report.Values.Count() - 1; i >= 0; --i)
        if (!variables.contains(m_report.Values.Name(i), Qt::CaseInsensitive)) m_report.Values.Delete(i);
    for (const QString &v : variables) m_report.Values.AddValue(v);
}

QString TfrVarEditorForm::freeName(const QString &base, const QStringList &taken)
{
    for (int n = 1;; ++n) {
        const QString name = base + QString::number(n);
        if (!taken.contains(name, Qt::CaseInsensitive)) return name;
    }
}

void TfrVarEditorForm::NewCategory()
{
    QStringList categories;
    for (int c = 0; c < Tree->topLevelItemCount(); ++c) categories << Tree->topLevelItem(c)->text(0);
    const QString name = freeName(QStringLiteral("Categoria"), categories);
    m_filling = true;
    auto *item = new QTreeWidgetItem(Tree, QStringList{name});
    item->setData(0, Qt::UserRole, name);
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    m_filling = false;
    writeLines();
    Tree->setCurrentItem(item);
}

void TfrVarEditorForm::NewVariable()
{
    QTreeWidgetItem *current = Tree->currentItem();
    QTreeWidgetItem *category = isCategory(current) ? current : current ? current->parent() : nullptr;
    if (!category) {
        if (Tree->topLevelItemCount() == 0) NewCategory();
        category = Tree->topLevelItem(Tree->topLevelItemCount() - 1);
    }
    QStringList variables;
    for (const QString &line : m_report.Variables)
        if (line.startsWith(QLatin1Char(' '))) variables << line.mid(1);
    const QString name = freeName(QStringLiteral("Variabile"), variables);
    m_filling = true;
    auto *item = new QTreeWidgetItem(category, QStringList{name});
    item->setData(0, Qt::UserRole, name);
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    category->setExpanded(true);
    m_filling = false;
    writeLines();
    Tree->setCurrentItem(item);
}

void TfrVarEditorForm::DeleteSelected()
{
    QTreeWidgetItem *item = Tree->currentItem();
    if (!item) return;
    if (frDesignerDialogs().message(this, QStringLiteral("Si desidera eliminare l'elemento selezionato?"),
                                    QStringLiteral("Attenzione"), TMsgDlgType::mtConfirmation, mbYes | mbNo, 1) != mrYes)
        return;
    m_filling = true;
    m_shown.clear();
    delete item;
    m_filling = false;
    writeLines();
    showBinding();
}

void TfrVarEditorForm::EditSelected()
{
    if (QTreeWidgetItem *item = Tree->currentItem()) Tree->editItem(item);
}

bool TfrVarEditorForm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Tree && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        const Qt::KeyboardModifiers mods = key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
        if (key->key() == Qt::Key_Insert && mods == Qt::ControlModifier) NewCategory();
        else if (key->key() == Qt::Key_Insert && !mods) NewVariable();
        else if (key->key() == Qt::Key_Delete && !mods) DeleteSelected();
        else if (key->key() == Qt::Key_F2 && !mods) EditSelected();
        else return QDialog::eventFilter(watched, event);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

QString TfrVarEditorForm::currentVariable() const
{
    const QTreeWidgetItem *item = Tree->currentItem();
    return item && !isCategory(item) ? item->text(0) : QString();
}

void TfrVarEditorForm::fillValues()
{
    const bool other = Sources->currentText() == frDataSources::other();
    const QString wasSelected = Values->currentItem() ? Values->currentItem()->text() : QString();
    const bool wasFilling = std::exchange(m_filling, true);
    if (Values->property("source").toString() != Sources->currentText()) {
        Values->clear();
        Values->addItem(kNone);
        if (other) {
            for (int k = 0; k < TfrValue::SubKindCount; ++k) Values->addItem(TfrValue::SubKindName(k));
        } else {
            for (const TfrDataSource &s : frDataSources::list(&m_report))
                if (s.name == Sources->currentText()) Values->addItems(frDataSources::fieldNames(s.dataSet.data()));
        }
        Values->setProperty("source", Sources->currentText());
        const QList<QListWidgetItem *> again = Values->findItems(wasSelected, Qt::MatchExactly);
        Values->setCurrentRow(again.isEmpty() ? 0 : Values->row(again.first()));
    }
    const bool expression = other && Values->currentRow() - 1 == TfrValue::Expression;
    Expression->setEnabled(expression);
    ExpressionButton->setEnabled(expression);
    if (!expression) Expression->clear();
    const bool variable = !currentVariable().isEmpty();
    Sources->setEnabled(variable);
    Values->setEnabled(variable);
    m_filling = wasFilling;
}

void TfrVarEditorForm::showBinding()
{
    m_shown = currentVariable();
    DeleteButton->setEnabled(Tree->currentItem());
    EditButton->setEnabled(Tree->currentItem());
    const bool wasFilling = std::exchange(m_filling, true);
    const TfrValue *v = m_shown.isEmpty() ? nullptr : m_report.Values.FindVariable(m_shown);
    int row = 0;
    if (v && v->ValueKind == TfrValue::DBField) {
        Sources->setCurrentIndex(qMax(0, Sources->findText(v->DSet)));
        fillValues();
        const QList<QListWidgetItem *> found = Values->findItems(v->Field, Qt::MatchExactly);
        row = found.isEmpty() ? 0 : Values->row(found.first());
    } else if (v && v->ValueKind == TfrValue::Other) {
        Sources->setCurrentIndex(Sources->count() - 1);
        fillValues();
        row = v->ValueSubKind + 1;
    } else {
        fillValues();
    }
    Values->setCurrentRow(row);
    fillValues();
    if (v && v->ValueKind == TfrValue::Other && v->ValueSubKind == TfrValue::Expression) Expression->setText(v->Field);
    m_filling = wasFilling;
}

void TfrVarEditorForm::storeBinding()
{
    if (m_shown.isEmpty()) return;
    const int index = m_report.Values.IndexOf(m_shown);
    if (index < 0) return;
    TfrValue *v = m_report.Values.Objects(index);
    const int row = Values->currentRow();
    v->DSet.clear();
    v->Field.clear();
    v->ValueSubKind = 0;
    if (row <= 0) {
        v->ValueKind = TfrValue::NotAssigned;
    } else if (Sources->currentText() == frDataSources::other()) {
        // The list's order is the sub-kind's.
        v->ValueKind = TfrValue::Other;
        v->ValueSubKind = row - 1;
        if (v->ValueSubKind == TfrValue::Expression) v->Field = Expression->text();
    } else {
        v->ValueKind = TfrValue::DBField;
        v->DSet = Sources->currentText();
        v->Field = Values->item(row)->text();
    }
}
