#include "report/preview/frpreviewmessage.h"

#include <utility>

namespace {
TfrPreviewMessageHook &hook()
{
    static TfrPreviewMessageHook h;
    return h;
}
} // namespace

void frPreviewMessage(const QString &text, const QString &caption, TMsgDlgType kind)
{
    if (hook()) {
        hook()(text, caption, kind);
        return;
    }
    TMessageBoxDlg box;
    box.CaptionTitle = caption;
    box.DlgType = kind;
    box.ShowMessageText(text);
}

TfrPreviewMessageHook frSetPreviewMessageHook(TfrPreviewMessageHook h)
{
    return std::exchange(hook(), std::move(h));
}
