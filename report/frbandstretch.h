#pragma once
// TfrBandStretch: how a band grows when a text in it stretches to its content.
// The objects that stand wholly below the text's designed bottom and overlap
// it horizontally move down by what the text grew, so a column of texts keeps
// its order; the band is then as high as its lowest object, never lower than
// designed. Geometry only: the builder measures the texts.

#include <QList>

class TfrView;

class TfrBandStretch
{
public:
    // `grown` was `heightBefore` high and grew by `growth` (> 0).
    static void PushDown(const QList<TfrView *> &objects, const TfrView *grown, int heightBefore, int growth);
    static int Height(const QList<TfrView *> &objects, int designed);
};
