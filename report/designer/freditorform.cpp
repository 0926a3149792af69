#include "report/designer/freditorform.h"

#include "report/designer/frdesignerdialogs.h"
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
    Button1 = new QPushButton(QStringLiteral("&OK"), this);
    Button2 = new QPushButton(QStringLiteral("&Annulla"), this);
    // Enter belongs to the text: only Ctrl+Enter closes with OK.
    Button1->setAutoDefault(false);
    Button2->setAutoDefault(false);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(M1);
    layout->addLayout(buttons);
    resize(480, 320);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
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
    if (dynamic_cast<TfrCustomMemoView *>(view)) m_copy->Assign(*view);
    else m_copy->Memo = view->Memo;
    M1->setPlainText(m_copy->Memo.join(QLatin1Char('\n')));
    M1->setFocus();
    if (frDesignerDialogs().exec(*this) != QDialog::Accepted) return false;
    QStringList lines = M1->toPlainText().split(QLatin1Char('\n'));
    if (lines.size() == 1 && lines.first().isEmpty()) lines.clear();
    m_copy->Memo = lines;
    const bool changed = view->Memo != m_copy->Memo;
    if (dynamic_cast<TfrCustomMemoView *>(view)) {
        const QString name = view->Name;
        view->Assign(*m_copy);
        view->Name = name;
    } else {
        view->Memo = m_copy->Memo;
    }
    return changed;
}
