#pragma once
// The expression editor's line: every addition is appended after the line
// has been pushed on an undo stack; "Ripristina" pops it, "Elimina" pushes
// and empties. Plus the small rules the editor applies to what it adds.

#include <QString>
#include <QStringList>

class TfrExprLine
{
public:
    QString text;
    void add(const QString &part);
    void clear();
    bool canRestore() const { return !m_undo.isEmpty(); }
    void restore();

    // A text constant in single quotes, a quote inside doubled (O'Neil -> 'O''Neil').
    static QString quoted(const QString &text);
    // A syntax that takes parameters: it has "(" and is not "NAME()".
    static bool takesParameters(const QString &syntax);
    // Parameters to ask for: the "<" of the syntax, at most three.
    static int parameterCount(const QString &syntax);
    // The syntax up to and including "(", the parameters joined by ",", ")".
    static QString call(const QString &syntax, const QStringList &parameters);

private:
    QStringList m_undo;
};
