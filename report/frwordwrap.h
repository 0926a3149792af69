#pragma once
// TfrWordWrap: breaks one source line of a text object into the lines that
// fit an available length, by the engine's character scan: widths are
// measured from the start of the current segment through each character, and
// a line breaks after the last blank, ",", "-" or "." seen in the segment.
// A word without a break character is cut at the character that reaches the
// length, and the rest of the source line is dropped.

#include <QStringList>
#include <functional>

class TfrWordWrap
{
public:
    using Measure = std::function<int(const QString &)>;
    static QStringList Wrap(const QString &line, int available, const Measure &width);
    static bool IsBreak(QChar c);
};
