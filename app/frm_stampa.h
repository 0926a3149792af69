#pragma once
// Tfrm_stampa: the period dialog of the print command. Two dates, both optional
// (an empty date is no bound); "Stampa" confirms, "Annulla" or Escape cancels.
// It lives for the whole run, so the dates typed last stay until the next
// print command clears them.

#include "core/datetime.h"

#include <QDialog>

class QLabel;
class QPushButton;
class TDateEdit;

class Tfrm_stampa : public QDialog
{
    Q_OBJECT
public:
    explicit Tfrm_stampa(QWidget *parent = nullptr);

    QLabel *Label1;
    QLabel *Label2;
    TDateEdit *data1;
    TDateEdit *data2;
    QPushButton *BitBtn1;   // "Annulla"
    QPushButton *BitBtn2;   // "Stampa"

    // The dates as day counts; 0 is the empty date.
    TDateTime From() const;
    TDateTime To() const;
    void ClearDates();

protected:
    void showEvent(QShowEvent *event) override;
};
