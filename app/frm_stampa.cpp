#include "app/frm_stampa.h"
#include "controls/accessible.h"
#include "controls/dateedit.h"

#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

Tfrm_stampa::Tfrm_stampa(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frm_stampa"));
    setWindowTitle(QStringLiteral("Periodo"));
    QFont f(QStringLiteral("Microsoft Sans Serif"));
    f.setPixelSize(11);
    setFont(f);
    // A fixed dialog: 173 x 105 client pixels.
    setFixedSize(173, 105);

    Label1 = new QLabel(QStringLiteral("da data"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(8, 12, 60, 16);
    data1 = new TDateEdit(this);
    data1->setObjectName(QStringLiteral("data1"));
    data1->setGeometry(64, 8, 101, 21);
    Label2 = new QLabel(QStringLiteral("a data"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(8, 42, 60, 16);
    data2 = new TDateEdit(this);
    data2->setObjectName(QStringLiteral("data2"));
    data2->setGeometry(64, 38, 101, 21);
    // The dates are read by their labels.
    nameByLabel(Label1, data1);
    nameByLabel(Label2, data2);

    BitBtn1 = new QPushButton(QStringLiteral("Annulla"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setGeometry(8, 72, 75, 25);
    BitBtn2 = new QPushButton(QStringLiteral("Stampa"), this);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    BitBtn2->setGeometry(90, 72, 75, 25);
    BitBtn2->setDefault(true);
    // Picture buttons of the cancel and OK kinds; the style's icons, as no icon theme may be installed.
    BitBtn1->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
    BitBtn2->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton));
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::reject);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::accept);

    setTabOrder(BitBtn1, BitBtn2);
    setTabOrder(BitBtn2, data1);
    setTabOrder(data1, data2);
    // Qt scales the dialog by the screen's pixels per inch itself: no scaling here.
}

void Tfrm_stampa::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // Centred on the screen, not on the main window.
    if (const QScreen *s = screen()) move(s->availableGeometry().center() - QPoint(width() / 2, height() / 2));
    // Typing the first date straight away; Enter in either date prints.
    data1->setFocus();
}

TDateTime Tfrm_stampa::From() const
{
    return data1->Date();
}

TDateTime Tfrm_stampa::To() const
{
    return data2->Date();
}

void Tfrm_stampa::ClearDates()
{
    data1->SetDate(0);
    data2->SetDate(0);
}
