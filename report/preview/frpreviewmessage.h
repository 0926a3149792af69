#pragma once
// Messages of the preview and of printing. They appear in the program's
// message box; tests replace the hook to record them instead of blocking on
// a modal window.

#include "controls/messageboxdlg.h"

#include <QString>
#include <functional>

using TfrPreviewMessageHook = std::function<void(const QString &text, const QString &caption, TMsgDlgType kind)>;

void frPreviewMessage(const QString &text, const QString &caption, TMsgDlgType kind);
// Replaces the hook (an empty one restores the message box); returns the previous hook.
TfrPreviewMessageHook frSetPreviewMessageHook(TfrPreviewMessageHook hook);
