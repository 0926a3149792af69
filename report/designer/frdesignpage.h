#pragma once
// TfrDesignPage: the design surface. It draws the current design page (paper,
// margins, grid dots, every object as it looks in design mode, the selection)
// and turns the mouse into selection, moving, resizing and inserting. What a
// gesture changes is the designer's business: the surface asks it to select,
// insert or record the change.

#include "report/designer/frdesigngeometry.h"

#include <QWidget>

class TFRDesignerForm;
class TfrView;

class TfrDesignPage : public QWidget
{
    Q_OBJECT
public:
    TfrDesignPage(TFRDesignerForm *form, QWidget *parent = nullptr);

    // Paper size of the current page in design pixels.
    QSize paperSize() const;
    void updateSize();
    // The topmost object under a point (from the last of the list), or nullptr.
    TfrView *objectAt(QPoint point) const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    enum Mode { Idle, Rubber, Move, Size, GroupSize, Split, Insert };
    void drawSelection(QPainter &painter);
    void updateCursor(QPoint point);
    QList<frDesign::Box> selectedBoxes() const;

    TFRDesignerForm *m_form;
    Mode m_mode = Idle;
    QPoint m_press;
    QPoint m_last;
    QPoint m_pending;                  // moved by the mouse, not yet applied (grid)
    QRect m_rubber;
    frDesign::Handle m_handle = frDesign::NoHandle;
    frDesign::Box m_startBox;
    frDesign::Box m_startBounds;
    QList<frDesign::Box> m_startBoxes;
    TfrView *m_splitLeft = nullptr;
    TfrView *m_splitRight = nullptr;
    bool m_changed = false;
};
