#pragma once
// The colour chooser of the designer's colour buttons: Qt's colour dialog with
// a "Trasparente" button, since a fill or a frame may have no colour at all.

#include <QDialog>

class QColorDialog;

class TfrColorChooser : public QDialog
{
    Q_OBJECT
public:
    explicit TfrColorChooser(QWidget *parent = nullptr);
    // `color` in and out: 0x00BBGGRR, or TfrView::NoColor.
    void setColor(int color);
    int color() const { return m_color; }
    // Runs the chooser through the designer's dialog table.
    static bool choose(QWidget *parent, int &color);

private:
    QColorDialog *m_dialog;
    int m_color;
};
