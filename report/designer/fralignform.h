#pragma once
// TAlignForm: the alignment palette ("Allineamento"), a tool window of ten
// buttons that line the selected objects up or space them evenly.

#include "report/designer/fralignment.h"

#include <QList>
#include <QWidget>

class QToolButton;
class TFRDesignerForm;

class TAlignForm : public QWidget
{
    Q_OBJECT
public:
    explicit TAlignForm(TFRDesignerForm *designer);
    static QString Hint(frAlign::Command command);
    QList<QToolButton *> Buttons;   // in command order

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    TFRDesignerForm *m_designer;
};
