#include "controls/navbarbutton.h"
#include "controls/dbnavbar.h"
#include "controls/glyphs_p.h"

#include <QMouseEvent>

TNavBarButton::TNavBarButton(TNavigateBtn index, TDBNavBar *bar)
    : TFlatToolButton(bar), m_index(index), m_bar(bar)
{
    AutoRepeat = index == nbPrior || index == nbNext;
    setObjectName(QStringLiteral("btn%1").arg(int(index)));
    setGlyphSize(TGlyphSize::gsSmall, 0);
}

void TNavBarButton::setGlyphSize(TGlyphSize size, int customSize)
{
    // Pictures fill about two thirds of the cell: 12 in the small 20 x 18 cell,
    // 20 in the large 32 x 30 one.
    int px = 12;
    if (size == TGlyphSize::gsLarge) px = 20;
    else if (size == TGlyphSize::gsCustom && customSize > 4) px = customSize * 2 / 3;
    Glyph = navigatorGlyph(m_index, px, GlyphState::Normal);
    GlyphHot = navigatorGlyph(m_index, px, GlyphState::Hot);
    GlyphDisabled = navigatorGlyph(m_index, px, GlyphState::Disabled);
    update();
}

void TNavBarButton::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && isEnabled() && !m_bar->buttonPressed(m_index)) {
        event->accept();
        return;
    }
    TFlatToolButton::mousePressEvent(event);
}
