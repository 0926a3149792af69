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
    QTextStream(stderr) << caption << ": " << frOneLine(text) << "\n";
}
} // namespace

QString frOneLine(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String(" ")).replace(QLatin1String("\n\r"), QLatin1String(" "));
    return text.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
}

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
