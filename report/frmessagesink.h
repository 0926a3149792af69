#pragma once
// Where the engine's messages go. The engine never opens a window: a message it
// "shows" (a dataset missing at load, a corrupt template) is handed to the sink,
// which the program replaces with a message box and the command-line tool
// leaves as a line on stderr. Tests replace it to record what was shown.

#include <QString>
#include <functional>

enum class TfrMessageIcon { Error, Warning, Information };

using TfrMessageSink = std::function<void(const QString &text, const QString &caption, TfrMessageIcon icon)>;

// The engine's texts on one line: they break lines with CR and LF in either order.
QString frOneLine(QString text);
// Shows a message through the current sink.
void frShowMessage(const QString &text, const QString &caption, TfrMessageIcon icon);
// Replaces the sink; an empty function restores the default (one line on stderr).
// Returns the previous sink.
TfrMessageSink frSetMessageSink(TfrMessageSink sink);

// The exclamation beep before an error text; silent unless the program sets it.
void frBeep();
void frSetBeep(std::function<void()> beep);
