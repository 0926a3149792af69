#include "report/frgroupchain.h"

#include "report/frband.h"

TfrBand *TfrGroupChain::Breaking(TfrBand *outermost, bool dataAtEnd, const Evaluate &evaluate)
{
    for (TfrBand *g = outermost; g && g->View; g = g->Next) {
        if (g->GroupCondition.trimmed().isEmpty()) break;
        if (dataAtEnd || !(evaluate(g->GroupCondition) == g->LastGroupValue)) return g;
    }
    return nullptr;
}

int TfrGroupChain::FooterRoom(const TfrBand *breaking, const TfrBand *levelFooter)
{
    int room = levelFooter && !levelFooter->Objects.isEmpty() ? levelFooter->Height : 0;
    for (const TfrBand *g = breaking; g; g = g->Next)
        if (g->Footer && !g->Footer->Objects.isEmpty()) room += g->Footer->Height;
    return room;
}

QList<TfrBand *> TfrGroupChain::InnermostFirst(TfrBand *breaking)
{
    QList<TfrBand *> inner;
    for (TfrBand *g = breaking; g && g->View; g = g->Next) inner.prepend(g);
    return inner;
}
