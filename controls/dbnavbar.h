#pragma once
// TDBNavBar: a bar of thirteen flat picture buttons bound to a data source.
// Each button moves through or edits the bound record set; which ones are
// enabled follows the record set's position and state (recomputed on every
// notification of the data link, and whenever the bar is enabled again).
//
// The bar spreads its width over the visible buttons, giving the remainder out
// one pixel at a time; a bar not aligned to an edge of its parent (Align ==
// alNone) keeps its width a multiple of the number of visible buttons. With the
// keyboard focus, Left and Right move the focused button and Space clicks it.

#include "controls/navbarbutton.h"
#include "controls/navbardatalink.h"

#include <QStringList>
#include <array>
#include <functional>

class TDataSource;
class TDataSet;

enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };

class TDBNavBar : public QWidget
{
    Q_OBJECT
public:
    explicit TDBNavBar(QWidget *parent = nullptr);
    ~TDBNavBar() override;

    TDataSource *DataSource() const { return m_link.DataSource(); }
    void SetDataSource(TDataSource *source);

    // Bit i set: button i shown. Default: buttons 0 to 9 (1023).
    unsigned VisibleButtons() const { return m_visible; }
    void SetVisibleButtons(unsigned buttons);
    bool ConfirmDelete = true;
    // One text per button; empty entries and a short list fall back to the
    // built-in English hints.
    const QStringList &Hints() const { return m_hints; }
    void SetHints(const QStringList &hints);

    bool Flat() const { return m_flat; }
    void SetFlat(bool value);
    TGlyphSize GlyphSize() const { return m_glyphSize; }
    void SetGlyphSize(TGlyphSize value);
    int GlyphCustomSize() const { return m_glyphCustomSize; }
    void SetGlyphCustomSize(int value);
    QString GlyphResName;   // kept for the form's sake; the pictures are built in
    Qt::Orientation Orientation() const { return m_orientation; }
    void SetOrientation(Qt::Orientation value);
    TAlign Align() const { return m_align; }
    void SetAlign(TAlign value);
    bool AutoThemeAdapt = false;

    // Look, copied into every button. An invalid QColor is "none".
    struct Look
    {
        QColor Color, ColorTo, ColorHot, ColorHotTo, ColorDown, ColorDownTo;
        QColor BorderColor, BorderHotColor, BorderDownColor;
        bool Shaded = true;
    };
    const Look &Colors() const { return m_look; }
    void SetColors(const Look &look);

    TNavBarButton *Buttons(int index) const { return m_buttons.at(std::size_t(index)); }
    int FocusedButton() const { return m_focused; }
    const TBookmark &Bookmark() const { return m_bookmark; }

    // Runs the action of a button, as a click does.
    void BtnClick(int index);

    std::function<void(TDBNavBar *sender, int index)> BeforeAction;
    std::function<void(TDBNavBar *sender, int index)> OnClick;
    std::function<void(TDBNavBar *sender)> OnBtnFirst, OnBtnPrior, OnBtnNext, OnBtnLast, OnBtnInsert,
        OnBtnDelete, OnBtnEdit, OnBtnPost, OnBtnCancel, OnBtnRefresh, OnBtnSearch, OnBtnSetBookmark,
        OnBtnGotoBookmark;

    // From the data link and the buttons.
    void activeChanged();
    void dataChanged();
    void editingChanged();
    // Takes the focus for a pressed button; false when the control being
    // left refused its value, and the press is to be dropped.
    bool buttonPressed(int index);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    bool event(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    TDataSet *dataSet() const;
    void updateButtons();
    void updateHints();
    void updateFocusRect();
    void layoutButtons();
    void applyLook();
    int visibleCount() const;
    QSize cellSize() const;
    const std::function<void(TDBNavBar *)> &replacementFor(int index) const;
    void defaultAction(int index);

    TNavBarDataLink m_link;
    std::array<TNavBarButton *, kNavButtonCount> m_buttons{};
    unsigned m_visible = 1023;
    QStringList m_hints;
    bool m_flat = true;
    TGlyphSize m_glyphSize = TGlyphSize::gsSmall;
    int m_glyphCustomSize = 0;
    Qt::Orientation m_orientation = Qt::Horizontal;
    TAlign m_align = TAlign::alNone;
    Look m_look;
    TBookmark m_bookmark;
    int m_focused = 0;
    bool m_layingOut = false;
};
