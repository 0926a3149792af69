#include "report/frbandstretch.h"

#include "report/frview.h"

#include <QtGlobal>

void TfrBandStretch::PushDown(const QList<TfrView *> &objects, const TfrView *grown, int heightBefore, int growth)
{
    if (growth <= 0) return;
    for (TfrView *other : objects)
        if (other != grown && other->Top >= grown->Top + heightBefore && other->Left < grown->Left + grown->Width
            && other->Left + other->Width > grown->Left)
            other->Top += growth;
}

int TfrBandStretch::Height(const QList<TfrView *> &objects, int designed)
{
    int height = designed;
    for (const TfrView *o : objects) height = qMax(height, o->Top + o->Height);
    return height;
}
