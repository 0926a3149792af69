#include "report/designer/frhilightform.h"

#include "report/designer/frdesignerdialogs.h"
#include "report/designer/frexpreditor.h"
#include "report/frmemoview.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

THilightForm::THilightForm(TfrReport *report, QWidget *parent) : QDialog(parent), m_report(report)
{
    setObjectName(QStringLiteral("HilightForm"));
    setWindowTitle(QStringLiteral("Attributi evidenziatura"));
    auto *font = new QGroupBox(QStringLiteral("Tipo carattere"), this);
    FontColorButton = new QPushButton(QStringLiteral("Colore..."), font);
    Bold = new QCheckBox(QStringLiteral("Grassetto"), font);
    Italic = new QCheckBox(QStringLiteral("Corsivo"), font);
    Underline = new QCheckBox(QStringLiteral("Sottolineato"), font);
    auto *fl = new QVBoxLayout(font);
    fl->addWidget(FontColorButton);
    fl->addWidget(Bold);
    fl->addWidget(Italic);
    fl->addWidget(Underline);

    auto *fill = new QGroupBox(QStringLiteral("Sfondo"), this);
    Transparent = new QRadioButton(QStringLiteral("Trasparente"), fill);
    OtherFill = new QRadioButton(QStringLiteral("Altro"), fill);
    FillColorButton = new QPushButton(QStringLiteral("Colore..."), fill);
    auto *bl = new QVBoxLayout(fill);
    bl->addWidget(Transparent);
    bl->addWidget(OtherFill);
    bl->addWidget(FillColorButton);

    ConditionGroup = new QGroupBox(QStringLiteral("Evidenzia"), this);
    UseHighlight = new QCheckBox(QStringLiteral("Usa evidenziatura"), ConditionGroup);
    Condition = new QLineEdit(ConditionGroup);
    ConditionButton = new QPushButton(QStringLiteral("..."), ConditionGroup);
    auto *cl = new QVBoxLayout(ConditionGroup);
    cl->addWidget(UseHighlight);
    auto *row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("Condizione"), ConditionGroup));
    row->addWidget(Condition, 1);
    row->addWidget(ConditionButton);
    cl->addLayout(row);

    QDialogButtonBox *buttons = frOkCancel(this);
    auto *top = new QHBoxLayout;
    top->addWidget(font);
    top->addWidget(fill);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(ConditionGroup);
    layout->addWidget(buttons);

    for (QPushButton *b : {FontColorButton, FillColorButton, ConditionButton}) b->setAutoDefault(false);
    connect(FontColorButton, &QPushButton::clicked, this, [this] {
        int color = FontColor;
        // A text has a colour: "none" leaves it as it was.
        if (frDesignerDialogs().chooseColor(this, color) && color != 0x1FFFFFFF) FontColor = color;
    });
    connect(FillColorButton, &QPushButton::clicked, this, [this] {
        int color = FillColor;
        if (frDesignerDialogs().chooseColor(this, color) && color != 0x1FFFFFFF) FillColor = color;
    });
    connect(ConditionButton, &QPushButton::clicked, this, [this] {
        QString text = Condition->text();
        if (TExprEditor::Edit(m_report, this, text)) Condition->setText(text);
    });
    connect(OtherFill, &QRadioButton::toggled, this, [this] { updateEnabled(); });
    connect(UseHighlight, &QCheckBox::toggled, this, [this] { updateEnabled(); });
    Transparent->setChecked(true);
    updateEnabled();
}

void THilightForm::updateEnabled()
{
    FillColorButton->setEnabled(OtherFill->isChecked());
    Condition->setEnabled(UseHighlight->isChecked());
    ConditionButton->setEnabled(UseHighlight->isChecked());
}

void THilightForm::Load(const TfrCustomMemoView &view)
{
    // The style bits are the file's and the engine's: 1 italic, 2 bold, 4 underline.
    Italic->setChecked(view.HighlightStyle & TfrCustomMemoView::Italic);
    Bold->setChecked(view.HighlightStyle & TfrCustomMemoView::Bold);
    Underline->setChecked(view.HighlightStyle & TfrCustomMemoView::Underline);
    FontColor = view.HighlightFontColor;
    const bool none = view.HighlightFillColor == 0x1FFFFFFF;
    Transparent->setChecked(none);
    OtherFill->setChecked(!none);
    FillColor = none ? 0xFFFFFF : view.HighlightFillColor;
    UseHighlight->setChecked(view.HighlightOn);
    Condition->setText(view.HighlightCondition);
    updateEnabled();
}

void THilightForm::Store(TfrCustomMemoView &view) const
{
    view.HighlightStyle = quint16((Italic->isChecked() ? TfrCustomMemoView::Italic : 0)
                                  | (Bold->isChecked() ? TfrCustomMemoView::Bold : 0)
                                  | (Underline->isChecked() ? TfrCustomMemoView::Underline : 0));
    view.HighlightFontColor = FontColor;
    view.HighlightFillColor = Transparent->isChecked() ? 0x1FFFFFFF : FillColor;
    view.HighlightOn = UseHighlight->isChecked();
    view.HighlightCondition = Condition->text();
}
