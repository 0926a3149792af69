#include "report/designer/freditorform.h"

#include "report/designer/frdesignerdialogs.h"
#include "report/designer/frexpreditor.h"
#include "report/designer/frfieldsform.h"
#include "report/designer/frfmtform.h"
#include "report/designer/frhilightform.h"
#include "report/designer/frvarform.h"
#include "report/frmemoview.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

TEditorForm::TEditorForm(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("EditorForm"));
    setWindowTitle(QStringLiteral("Editor di testo"));
    M1 = new QPlainTextEdit(this);
    M1->setObjectName(QStringLiteral("M1"));
    M1->setLineWrapMode(QPlainTextEdit::NoWrap);
    M1->installEventFilter(this);
    Button1 = new QPushButton(QStringLiteral("&OK"), this);
    Button2 = new QPushButton(QStringLiteral("&Annulla"), this);
    VarButton = new QPushButton(QStringLiteral("&Variabile"), this);
    FieldButton = new QPushButton(QStringLiteral("&Campo DB"), this);
    ExprButton = new QPushButton(QStringLiteral("&Espressione"), this);
    FormatButton = new QPushButton(QStringLiteral("&Formatta"), this);
    HilightButton = new QPushButton(QStringLiteral("Evi&denzia"), this);
    // Enter belongs to the text: only Ctrl+Enter closes with OK.
    for (QPushButton *b : {Button1, Button2, VarButton, FieldButton, ExprButton, FormatButton, HilightButton})
        b->setAutoDefault(false);
    auto *buttons = new QHBoxLayout;
    for (QPushButton *b : {VarButton, FieldButton, ExprButton, FormatButton, HilightButton}) buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(M1);
    layout->addLayout(buttons);
    resize(480, 320);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
    connect(VarButton, &QPushButton::clicked, this, [this] { InsertVariable(); });
    connect(FieldButton, &QPushButton::clicked, this, [this] { InsertField(); });
    connect(ExprButton, &QPushButton::clicked, this, [this] { InsertExpression(); });
    connect(FormatButton, &QPushButton::clicked, this, [this] { EditFormat(); });
    connect(HilightButton, &QPushButton::clicked, this, [this] { EditHighlight(); });
}

bool TEditorForm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == M1 && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Insert && !(key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier))) {
            InsertVariable();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TEditorForm::insert(const QString &text)
{
    M1->insertPlainText(text);
    M1->setFocus();
}

void TEditorForm::InsertVariable()
{
    TVarForm form(m_copy ? m_copy->Report : nullptr, this);
    if (frDesignerDialogs().exec(form) == QDialog::Accepted && !form.SelectedValue.isEmpty())
        insert(QLatin1Char('[') + form.SelectedValue + QLatin1Char(']'));
}

void TEditorForm::InsertField()
{
    TFieldsForm form(m_copy ? m_copy->Report : nullptr, this);
    if (frDesignerDialogs().exec(form) == QDialog::Accepted && !form.SelectedValue.isEmpty())
        insert(QLatin1Char('[') + form.SelectedValue + QLatin1Char(']'));
}

void TEditorForm::InsertExpression()
{
    QString expression;
    if (TExprEditor::Edit(m_copy ? m_copy->Report : nullptr, this, expression) && !expression.isEmpty())
        insert(QLatin1Char('[') + expression + QLatin1Char(']'));
}

void TEditorForm::EditFormat()
{
    if (!m_copy || !FormatButton->isEnabled()) return;
    TFmtForm form(this);
    form.Load(*m_copy);
    if (frDesignerDialogs().exec(form) == QDialog::Accepted) form.Store(*m_copy);
}

void TEditorForm::EditHighlight()
{
    if (!m_copy || !HilightButton->isEnabled()) return;
    THilightForm form(m_copy->Report, this);
    form.Load(*m_copy);
    if (frDesignerDialogs().exec(form) == QDialog::Accepted) form.Store(*m_copy);
}

TEditorForm::~TEditorForm() = default;

void TEditorForm::keyPressEvent(QKeyEvent *event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && (event->modifiers() & Qt::ControlModifier)) {
        accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool TEditorForm::ShowEditor(TfrView *view)
{
    if (!view) return false;
    m_copy = std::make_unique<TfrMemoView>(view->Report);
    const bool text = dynamic_cast<TfrCustomMemoView *>(view) != nullptr;
    if (text) m_copy->Assign(*view);
    else m_copy->Memo = view->Memo;
    FormatButton->setEnabled(text);
    HilightButton->setEnabled(text);
    M1->setPlainText(m_copy->Memo.join(QLatin1Char('\n')));
    M1->setFocus();
    if (frDesignerDialogs().exec(*this) != QDialog::Accepted) return false;
    QStringList lines = M1->toPlainText().split(QLatin1Char('\n'));
    if (lines.size() == 1 && lines.first().isEmpty()) lines.clear();
    m_copy->Memo = lines;
    bool changed = view->Memo != m_copy->Memo;
    if (auto *memo = dynamic_cast<TfrCustomMemoView *>(view)) {
        changed = changed || memo->DisplayFormat != m_copy->DisplayFormat || memo->FormatText != m_copy->FormatText
                  || memo->HighlightOn != m_copy->HighlightOn || memo->HighlightCondition != m_copy->HighlightCondition
                  || memo->HighlightStyle != m_copy->HighlightStyle || memo->HighlightFontColor != m_copy->HighlightFontColor
                  || memo->HighlightFillColor != m_copy->HighlightFillColor;
        const QString name = view->Name;
        view->Assign(*m_copy);
        view->Name = name;
    } else {
        view->Memo = m_copy->Memo;
    }
    return changed;
}
