#include "core/exceptions.h"

#include <QtGlobal>

void HandleException(const std::exception &error)
{
    if (dynamic_cast<const EAbort *>(&error)) return;
    if (exceptionHandler()) {
        exceptionHandler()(error);
        return;
    }
    const auto *e = dynamic_cast<const Exception *>(&error);
    qWarning("%s", e ? qPrintable(e->message()) : error.what());
}
