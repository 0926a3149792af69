#pragma once
// Formatted memo fields hold RTF, as the programs that write them store it.
// The rich-text memo editor reads it into a QTextDocument and writes the
// document back as RTF, never as HTML. What is kept: paragraphs, line
// breaks, tabs, bold, italic, underline, strike-out, font face and size, and
// text colour; characters beyond Windows-1252 go as \uN. Unknown control
// words and destinations are skipped, their text with them, as every RTF
// reader does. A value that is not RTF is plain text.

#include <QString>

class QTextDocument;

bool IsRtf(const QString &text);
void RtfToDocument(const QString &text, QTextDocument &document);
QString DocumentToRtf(const QTextDocument &document);
