#pragma once
// TfrExpr: the report's expression evaluator. Every report has one, bound to
// it (TfrBuildContext); instance() is the active report's.
//
// It reads an expression left to right, operand then operator, and combines
// with three operator levels (comparisons; + - OR; ^ * / AND MOD DIV). The
// combining rule is the engine's own and is kept exactly, quirks included:
// a run of same-level operators that follows a lower-level one groups from the
// right, so 1 + 8 / 4 / 2 is 5. Booleans become 1 or 0 after every step.
// Names, bracketed names and function calls go to the resolver callback with
// their argument texts unevaluated; functions evaluate the arguments they need
// by calling Evaluate again, which is why nesting is bounded here.
//
// Most evaluations are short field and function references made once per
// record, so the parser works directly on the text without a token list.

#include "report/frvariant.h"

#include <QString>
#include <QStringList>
#include <functional>

class TfrExpr
{
public:
    TfrExpr() = default;
    TfrExpr(const TfrExpr &) = delete;
    TfrExpr &operator=(const TfrExpr &) = delete;
    static TfrExpr &instance();

    // name: trimmed name or function name as written; args: the argument texts,
    // or nullptr when the name has no argument list. Empty result = unknown.
    using Resolver = std::function<TfrVariant(const QString &name, const QStringList *args)>;
    // `owner` identifies who set the resolver, so that it can clear its own.
    void SetResolver(Resolver resolver, const void *owner = nullptr);
    void ClearResolver(const void *owner);
    const void *ResolverOwner() const { return m_owner; }

    // Evaluates; throws EfrExprError (or EConvertError from a conversion).
    TfrVariant Evaluate(const QString &expression);
    // Asks the resolver directly (empty when there is none or it knows nothing).
    TfrVariant Resolve(const QString &name, const QStringList *args = nullptr);

    // Registration mode: incompatible types give 0 and only remember the message.
    bool ParserSilentMode = false;
    QString SilentError;

    // Nesting limit over parentheses and nested evaluations (functions, values).
    static constexpr int MaxDepth = 64;

    // Splits an argument list text (without the parentheses) at top-level
    // commas; empty arguments are dropped.
    static QStringList SplitArguments(const QString &text);

private:
    friend class TfrExprParser;

    Resolver m_resolver;
    const void *m_owner = nullptr;
    int m_depth = 0;
};
