#pragma once
// TBandTypesForm: the band type chooser shown before a band is inserted
// ("Inserisci nuova banda"). Data and group types may repeat on a page; every
// other type is offered only while the page has none of it.

#include <QDialog>
#include <QList>

class QRadioButton;
class TfrPage;

class TBandTypesForm : public QDialog
{
    Q_OBJECT
public:
    explicit TBandTypesForm(const TfrPage *page, QWidget *parent = nullptr);

    // Whether a band of the type may be added to the page.
    static bool Available(int type, const TfrPage *page);
    // The chosen type, -1 when none is available.
    int SelectedType() const;

    QList<QRadioButton *> Types;    // one per type 0 to 20
};
