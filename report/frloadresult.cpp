#include "report/frloadresult.h"

TfrLoadResult TfrLoadResult::failure(const QString &message, const QString &reason, qint64 offset)
{
    TfrLoadResult r;
    r.Ok = false;
    r.Messages.append({message, QStringLiteral("Errore"), TfrMessageIcon::Error});
    r.Reason = reason;
    r.Offset = offset;
    return r;
}

void frShowLoadResult(const TfrLoadResult &result)
{
    for (const TfrMessage &m : result.Messages) frShowMessage(m.text, m.caption, m.icon);
}
