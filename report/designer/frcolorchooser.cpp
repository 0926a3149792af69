#include "report/designer/frcolorchooser.h"

#include "report/frdrawmode.h"
#include "report/frview.h"

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>

TfrColorChooser::TfrColorChooser(QWidget *parent) : QDialog(parent), m_color(TfrView::NoColor)
{
    setWindowTitle(QStringLiteral("Colore"));
    m_dialog = new QColorDialog(this);
    m_dialog->setOptions(QColorDialog::NoButtons | QColorDialog::DontUseNativeDialog);
    m_dialog->setWindowFlags(Qt::Widget);
    auto *buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("&OK"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("&Annulla"), QDialogButtonBox::RejectRole);
    QPushButton *none = buttons->addButton(QStringLiteral("&Trasparente"), QDialogButtonBox::ActionRole);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_dialog);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        const QColor c = m_dialog->currentColor();
        m_color = c.red() | (c.green() << 8) | (c.blue() << 16);
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(none, &QPushButton::clicked, this, [this] {
        m_color = TfrView::NoColor;
        accept();
    });
}

void TfrColorChooser::setColor(int color)
{
    m_color = color;
    m_dialog->setCurrentColor(color == TfrView::NoColor ? QColor(Qt::white) : frDraw::color(color));
}

bool TfrColorChooser::choose(QWidget *parent, int &color)
{
    TfrColorChooser chooser(parent);
    chooser.setColor(color);
    if (chooser.exec() != QDialog::Accepted) return false;
    color = chooser.color();
    return true;
}
