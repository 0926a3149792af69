#include "report/designer/frexprline.h"

void TfrExprLine::add(const QString &part)
{
    m_undo.append(text);
    text += part;
}

void TfrExprLine::clear()
{
    m_undo.append(text);
    text.clear();
}

void TfrExprLine::restore()
{
    if (!m_undo.isEmpty()) text = m_undo.takeLast();
}

QString TfrExprLine::quoted(const QString &text)
{
    return QLatin1Char('\'') + QString(text).replace(QLatin1Char('\''), QStringLiteral("''")) + QLatin1Char('\'');
}

bool TfrExprLine::takesParameters(const QString &syntax)
{
    return syntax.contains(QLatin1Char('(')) && !syntax.contains(QStringLiteral("()"));
}

int TfrExprLine::parameterCount(const QString &syntax) { return qMin(3, int(syntax.count(QLatin1Char('<')))); }

QString TfrExprLine::call(const QString &syntax, const QStringList &parameters)
{
    const int open = int(syntax.indexOf(QLatin1Char('(')));
    return syntax.left(open + 1) + parameters.join(QLatin1Char(',')) + QLatin1Char(')');
}
