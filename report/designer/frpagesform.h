#pragma once
// TfrPagesForm: the order of the design pages ("Gestione pagine"): one entry
// per page, "Pagina N", reordered by dragging.

#include <QDialog>
#include <QList>

class QListWidget;

class TfrPagesForm : public QDialog
{
    Q_OBJECT
public:
    TfrPagesForm(int pageCount, QWidget *parent = nullptr);
    QListWidget *Pages;
    // For each new position, the page that stands there (from 0).
    QList<int> Order() const;
};
