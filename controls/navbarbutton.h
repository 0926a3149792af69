#pragma once
// One button of the record navigator bar: a flat button that knows its place
// in the bar and carries its pictures for the small and the large glyph size.

#include "controls/flattoolbutton.h"

class TDBNavBar;

enum TNavigateBtn {
    nbFirst, nbPrior, nbNext, nbLast, nbInsert, nbDelete, nbEdit, nbPost, nbCancel, nbRefresh,
    nbSearch, nbSetBookmark, nbGotoBookmark
};
constexpr int kNavButtonCount = 13;

enum class TGlyphSize { gsSmall, gsLarge, gsCustom };

class TNavBarButton : public TFlatToolButton
{
    Q_OBJECT
public:
    TNavBarButton(TNavigateBtn index, TDBNavBar *bar);

    TNavigateBtn Index() const { return m_index; }

    // Picks the pictures for a glyph size; a custom size draws the pictures
    // at that size.
    void setGlyphSize(TGlyphSize size, int customSize);

protected:
    void mousePressEvent(QMouseEvent *event) override;

private:
    TNavigateBtn m_index;
    TDBNavBar *m_bar;
};
