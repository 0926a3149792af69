#pragma once
// What loading a template or a prepared report gave back. The engine shows
// nothing itself: a failure carries the engine's message for the user, and
// also the reason and the byte offset where reading stopped, so that a tool
// or a test learns why a file was refused. A load that succeeded may still
// carry messages (a dataset an old template names that the program lacks).
// Whoever asked for the load shows the messages (frShowLoadResult).

#include "report/frmessagesink.h"

#include <QList>
#include <QString>

struct TfrMessage
{
    QString text;
    QString caption;
    TfrMessageIcon icon = TfrMessageIcon::Information;
};

struct TfrLoadResult
{
    bool Ok = true;
    QList<TfrMessage> Messages;   // for the user, in the order they arose
    QString Reason;               // "corrupt at byte 1234: string list of 70000 lines, 200 bytes left"
    qint64 Offset = -1;           // from the stream's start: where reading stopped, or a refused field

    explicit operator bool() const { return Ok; }
    // A failure with the engine's message.
    static TfrLoadResult failure(const QString &message, const QString &reason, qint64 offset = -1);
};

// A build gives back the same: a failure carries BuildError as its message;
// a build the user stopped fails with no message to show.
using TfrBuildResult = TfrLoadResult;

// Shows a load's messages through the message sink, in order.
void frShowLoadResult(const TfrLoadResult &result);
