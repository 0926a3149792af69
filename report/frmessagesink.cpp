#include "report/frmessagesink.h"

#include <QTextStream>
#include <cstdio>

namespace {
TfrMessageSink &sink()
{
    static TfrMessageSink s;
    return s;
}

std::function<void()> &beeper()
{
    static std::function<void()> b;
    return b;
}

void toStderr(const QString &text, const QString &caption, TfrMessageIcon)
{
    QString line = text;
    // One line per message: the engine's texts carry CR/LF pairs in both orders.
    line.replace(QLatin1String("\r\n"), QLatin1String(" ")).replace(QLatin1String("\n\r"), QLatin1String(" "));
    line.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    QTextStream(stderr) << caption << ": " << line << "\n";
}
} // namespace

void frShowMessage(const QString &text, const QString &caption, TfrMessageIcon icon)
{
    if (sink()) sink()(text, caption, icon);
    else toStderr(text, caption, icon);
}

TfrMessageSink frSetMessageSink(TfrMessageSink s)
{
    TfrMessageSink old = std::move(sink());
    sink() = std::move(s);
    return old;
}

void frBeep()
{
    if (beeper()) beeper()();
}

void frSetBeep(std::function<void()> beep) { beeper() = std::move(beep); }
