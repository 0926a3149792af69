#include "report/frexpr.h"

#include "report/frbuildcontext.h"
#include "report/frexprerror.h"
#include "core/formatsettings.h"
#include "core/numformat.h"

#include <cmath>
#include <limits>

namespace {
enum Op {
    None = 0,
    Eq = 10, Ge = 11, Gt = 12, Le = 13, Ne = 14, Lt = 15,
    Add = 100, Sub = 101, Or = 102,
    Pow = 1000, Mul = 1001, Div = 1002, And = 1003, Mod = 1004, IntDiv = 1005
};

int level(int op) { return op / 10; }

bool isBlank(QChar c) { return c.unicode() >= 1 && c.unicode() <= 32; }
bool isAsciiLetter(QChar c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isLetter(QChar c) { return isAsciiLetter(c) || (c.unicode() >= 0xC0 && c.isLetter()); }
bool isDigit(QChar c) { return c >= '0' && c <= '9'; }
bool startsIdentifier(QChar c) { return isLetter(c) || c == '_' || c == '#' || c == '"'; }
bool continuesIdentifier(QChar c) { return isLetter(c) || isDigit(c) || c == '_' || c == '#' || c == '.'; }

// Raised inside one operator application; turned into the evaluator's message.
struct OperatorFailure
{
    enum Kind { Types, ZeroDivide, Invalid } kind;
};

struct DepthGuard
{
    explicit DepthGuard(int &depth, const QString &expression) : m_depth(depth)
    {
        if (++m_depth > TfrExpr::MaxDepth) {
            --m_depth;
            throw EfrExprError(QStringLiteral("Espressione troppo complessa: ") + expression);
        }
    }
    ~DepthGuard() { --m_depth; }
    int &m_depth;
};
} // namespace

class TfrExprParser
{
public:
    TfrExprParser(TfrExpr &expr, const QString &text) : m_expr(expr), s(text) {}

    TfrVariant run() { return levelLoop(); }

private:
    TfrExpr &m_expr;
    const QString &s;
    qsizetype pos = 0;

    QChar at(qsizetype i) const { return i < s.size() ? s[i] : QChar(); }
    void skipBlanks()
    {
        while (pos < s.size() && isBlank(s[pos])) ++pos;
    }

    [[noreturn]] void unknown() const { throw EfrExprError(QStringLiteral("Identificatore sconosciuto: ") + s); }

    TfrVariant levelLoop()
    {
        DepthGuard guard(m_expr.m_depth, s);
        TfrVariant left = requireOperand();
        int pending = readOperator();
        int before = pending;
        while (pending != None) {
            TfrVariant right = requireOperand();
            int next = readOperator();
            if (higher(next, pending, before)) right = subStep(right, next, pending);
            before = pending;
            left = apply(pending, left, right);
            pending = next;
        }
        skipBlanks();
        if (at(pos) == ')') ++pos;
        return left;
    }

    // The recursive step: combines `left` with what follows while the
    // operators stay at or above the level it started with; `pending` comes
    // back as the operator that ended it.
    TfrVariant subStep(TfrVariant left, int &pending, int before)
    {
        DepthGuard guard(m_expr.m_depth, s);
        const int entry = level(pending);
        while (pending != None) {
            TfrVariant right = requireOperand();
            int next = readOperator();
            if (higher(next, pending, before)) right = subStep(right, next, pending);
            before = pending;
            left = apply(pending, left, right);
            pending = next;
            if (level(pending) < entry) break;
        }
        return left;
    }

    static bool higher(int next, int pending, int before)
    {
        return level(next) > level(pending) || (level(next) == level(pending) && level(next) > level(before));
    }

    TfrVariant requireOperand()
    {
        TfrVariant v = operand();
        if (v.isEmpty()) unknown();
        return v.normalized();
    }

    bool keywordAt(qsizetype i, QLatin1String word) const
    {
        if (i + word.size() > s.size()) return false;
        return QStringView(s).mid(i, word.size()).compare(word, Qt::CaseInsensitive) == 0;
    }

    TfrVariant operand()
    {
        skipBlanks();
        if (pos >= s.size()) return TfrVariant();
        const QChar c = s[pos];
        if (c == '(') {
            ++pos;
            return levelLoop();
        }
        if (isDigit(c) || c == '.') {
            const qsizetype start = pos;
            while (pos < s.size() && (isDigit(s[pos]) || s[pos] == '.')) ++pos;
            QString number = s.mid(start, pos - start);
            const TFormatSettings &fs = TFormatSettings::current();
            number.replace(QLatin1Char('.'), fs.decimalSeparator);
            double value = 0;
            if (!tryStrToFloat(number, value, fs))
                throw EfrExprError(QStringLiteral("'%1' non è un numero valido").arg(number));
            return TfrVariant::fromFloat(value);
        }
        if (c == '[') {
            const qsizetype close = s.indexOf(QLatin1Char(']'), pos + 1);
            if (close < 0) {
                pos = s.size();
                return TfrVariant();
            }
            const QString name = s.mid(pos + 1, close - pos - 1);
            pos = close + 1;
            return resolve(name, nullptr);
        }
        if (c == '\'') {
            QString literal;
            ++pos;
            while (pos < s.size()) {
                if (s[pos] == '\'') {
                    if (at(pos + 1) == '\'') {
                        literal += QLatin1Char('\'');
                        pos += 2;
                        continue;
                    }
                    ++pos;
                    break;
                }
                literal += s[pos++];
            }
            return TfrVariant::fromString(literal);
        }
        if (keywordAt(pos, QLatin1String("NOT")) && !continuesIdentifier(at(pos + 3)) && at(pos + 3) != '"') {
            pos += 3;
            const TfrVariant v = operand().normalized();
            if (v.isEmpty()) unknown();
            if (v.isNull()) return v;
            try {
                return TfrVariant::fromInt(v.toInt() == 0 ? 1 : 0);
            } catch (const EConvertError &) {
                return typeError();
            }
        }
        if (startsIdentifier(c)) return identifier();
        if (c == '-' || c == '+') return TfrVariant::fromFloat(0);
        return TfrVariant();
    }

    TfrVariant identifier()
    {
        const qsizetype start = pos;
        while (pos < s.size() && continuesIdentifier(s[pos])) ++pos;
        if (at(pos) == '"') {
            const qsizetype close = s.indexOf(QLatin1Char('"'), pos + 1);
            pos = close < 0 ? s.size() : close + 1;
        }
        const QString name = s.mid(start, pos - start);
        skipBlanks();
        if (at(pos) != '(') return resolve(name, nullptr);

        // The argument list: up to the matching parenthesis, outside quotes and brackets.
        const qsizetype open = pos;
        int depth = 0;
        bool single = false, dbl = false;
        int square = 0;
        for (; pos < s.size(); ++pos) {
            const QChar ch = s[pos];
            if (ch == '\'' && !dbl) single = !single;
            else if (ch == '"' && !single) dbl = !dbl;
            else if (single || dbl) continue;
            else if (ch == '[') ++square;
            else if (ch == ']') square = qMax(0, square - 1);
            else if (square) continue;
            else if (ch == '(') ++depth;
            else if (ch == ')' && --depth == 0) break;
        }
        const QString inner = s.mid(open + 1, pos - open - 1);
        if (pos < s.size()) ++pos;
        const QStringList args = TfrExpr::SplitArguments(inner);
        return resolve(name, &args);
    }

    TfrVariant resolve(const QString &name, const QStringList *args)
    {
        if (!m_expr.m_resolver) return TfrVariant();
        return m_expr.m_resolver(name, args).normalized();
    }

    int readOperator()
    {
        skipBlanks();
        if (pos >= s.size()) return None;
        const QChar c = s[pos];
        const QChar n = at(pos + 1);
        switch (c.unicode()) {
        case '=': ++pos; return Eq;
        case '>':
            if (n == '=') { pos += 2; return Ge; }
            ++pos;
            return Gt;
        case '<':
            if (n == '=') { pos += 2; return Le; }
            if (n == '>') { pos += 2; return Ne; }
            ++pos;
            return Lt;
        case '+': ++pos; return Add;
        case '-': ++pos; return Sub;
        case '^': ++pos; return Pow;
        case '*': ++pos; return Mul;
        case '/': ++pos; return Div;
        default: break;
        }
        // A keyword takes the character after it too, so it must be followed by a blank.
        static const struct { const char *word; int op; } keywords[] = {
            {"OR", Or}, {"AND", And}, {"MOD", Mod}, {"DIV", IntDiv}};
        for (const auto &k : keywords) {
            const QLatin1String word(k.word);
            if (keywordAt(pos, word)) {
                pos = qMin<qsizetype>(pos + word.size() + 1, s.size());
                return k.op;
            }
        }
        return None;
    }

    TfrVariant typeError()
    {
        const QString message = QStringLiteral("Tipo di dati incompatibili nell'espressione: ") + s;
        if (m_expr.ParserSilentMode) {
            m_expr.SilentError = message;
            return TfrVariant::fromInt(0);
        }
        throw EfrExprError(message);
    }

    TfrVariant apply(int op, const TfrVariant &l, const TfrVariant &r)
    {
        try {
            return compute(op, l, r).normalized();
        } catch (const EConvertError &) {
            return typeError();
        } catch (const OperatorFailure &f) {
            if (f.kind == OperatorFailure::Types) return typeError();
            const QString message = (f.kind == OperatorFailure::ZeroDivide
                                         ? QStringLiteral("Divisione per zero nell'espressione: ")
                                         : QStringLiteral("Operazione non valida nell'espressione: "))
                                    + s;
            if (m_expr.ParserSilentMode) {
                m_expr.SilentError = message;
                return TfrVariant::fromInt(0);
            }
            throw EfrExprError(message);
        }
    }

    static TfrVariant finite(double v)
    {
        if (!std::isfinite(v)) throw OperatorFailure{OperatorFailure::Invalid};
        return TfrVariant::fromFloat(v);
    }

    static bool isIntegral(const TfrVariant &v)
    {
        return v.type() == TfrVariant::Integer || v.type() == TfrVariant::Boolean || v.type() == TfrVariant::Empty;
    }

    static TfrVariant compare(int op, const TfrVariant &l, const TfrVariant &r)
    {
        if (l.isNull() || r.isNull()) {
            const bool bothNull = l.isNull() && r.isNull();
            if (op == Eq) return TfrVariant::fromInt(bothNull);
            if (op == Ne) return TfrVariant::fromInt(!bothNull);
            return TfrVariant::fromInt(0);
        }
        int c;
        if (l.isString() && r.isString()) {
            c = l.stringValue().compare(r.stringValue());
        } else if (isIntegral(l) && isIntegral(r)) {
            const qint64 a = l.toInt(), b = r.toInt();
            c = a < b ? -1 : (a > b ? 1 : 0);
        } else {
            const double a = l.toFloat(), b = r.toFloat();
            c = a < b ? -1 : (a > b ? 1 : 0);
        }
        switch (op) {
        case Eq: return TfrVariant::fromInt(c == 0);
        case Ge: return TfrVariant::fromInt(c >= 0);
        case Gt: return TfrVariant::fromInt(c > 0);
        case Le: return TfrVariant::fromInt(c <= 0);
        case Ne: return TfrVariant::fromInt(c != 0);
        default: return TfrVariant::fromInt(c < 0);
        }
    }

    static TfrVariant compute(int op, const TfrVariant &l, const TfrVariant &r)
    {
        if (level(op) == 1) return compare(op, l, r);
        if (l.isNull() || r.isNull()) return TfrVariant::null();
        if (op == Add && l.isString() && r.isString()) {
            if (qint64(l.stringValue().size()) + r.stringValue().size() > (1 << 24))
                throw OperatorFailure{OperatorFailure::Invalid};
            return TfrVariant::fromString(l.stringValue() + r.stringValue());
        }
        switch (op) {
        case Or: return TfrVariant::fromInt(l.toInt() | r.toInt());
        case And: return TfrVariant::fromInt(l.toInt() & r.toInt());
        case Mod: case IntDiv: {
            const qint64 a = l.toInt(), b = r.toInt();
            if (b == 0) throw OperatorFailure{OperatorFailure::ZeroDivide};
            if (b == -1) return TfrVariant::fromInt(op == Mod ? 0 : (a == std::numeric_limits<qint64>::min() ? a : -a));
            return TfrVariant::fromInt(op == Mod ? a % b : a / b);
        }
        case Div: {
            const double b = r.toFloat();
            if (b == 0) throw OperatorFailure{OperatorFailure::ZeroDivide};
            return finite(l.toFloat() / b);
        }
        case Pow: {
            const long double base = l.toFloat(), exponent = r.toFloat();
            if (base <= 0) throw OperatorFailure{OperatorFailure::Invalid};
            return finite(double(std::exp(exponent * std::log(base))));
        }
        default: break;
        }
        // + - *: integers stay integers, currency stays currency, dates move.
        if (isIntegral(l) && isIntegral(r)) {
            const qint64 a = l.toInt(), b = r.toInt();
            qint64 out;
            const bool overflow = op == Add ? __builtin_add_overflow(a, b, &out)
                                : op == Sub ? __builtin_sub_overflow(a, b, &out)
                                            : __builtin_mul_overflow(a, b, &out);
            if (!overflow) return TfrVariant::fromInt(out);
        }
        const bool lCur = l.type() == TfrVariant::Currency, rCur = r.type() == TfrVariant::Currency;
        if ((lCur || rCur) && (lCur || isIntegral(l)) && (rCur || isIntegral(r)) && op != Mul) {
            const qint64 a = lCur ? l.currencyUnits() : l.toInt() * 10000;
            const qint64 b = rCur ? r.currencyUnits() : r.toInt() * 10000;
            qint64 out;
            if (!(op == Add ? __builtin_add_overflow(a, b, &out) : __builtin_sub_overflow(a, b, &out)))
                return TfrVariant::fromCurrencyUnits(out);
        }
        const double a = l.toFloat(), b = r.toFloat();
        const double v = op == Add ? a + b : op == Sub ? a - b : a * b;
        const bool lDate = l.type() == TfrVariant::DateTime, rDate = r.type() == TfrVariant::DateTime;
        if (op != Mul && (lDate != rDate) && (lDate || op == Add)) {
            if (!std::isfinite(v)) throw OperatorFailure{OperatorFailure::Invalid};
            return TfrVariant::fromDateTime(v);
        }
        if ((lCur || rCur) && op == Mul && !(lCur && rCur) && std::isfinite(v) && std::fabs(v) < 9e14)
            return TfrVariant::fromCurrency(v);
        return finite(v);
    }
};

TfrExpr &TfrExpr::instance()
{
    return frActiveContext().Expr;
}

void TfrExpr::SetResolver(Resolver resolver, const void *owner)
{
    m_resolver = std::move(resolver);
    m_owner = owner;
}

void TfrExpr::ClearResolver(const void *owner)
{
    if (m_owner != owner) return;
    m_resolver = nullptr;
    m_owner = nullptr;
}

TfrVariant TfrExpr::Resolve(const QString &name, const QStringList *args)
{
    if (!m_resolver) return TfrVariant();
    DepthGuard guard(m_depth, name);
    return m_resolver(name, args).normalized();
}

QStringList TfrExpr::SplitArguments(const QString &text)
{
    QStringList out;
    int depth = 0, square = 0;
    bool single = false, dbl = false;
    qsizetype start = 0;
    const auto push = [&](qsizetype end) {
        const QString arg = text.mid(start, end - start).trimmed();
        if (!arg.isEmpty()) out << arg;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text[i];
        if (ch == '\'' && !dbl) single = !single;
        else if (ch == '"' && !single) dbl = !dbl;
        else if (single || dbl) continue;
        else if (ch == '[') ++square;
        else if (ch == ']') square = qMax(0, square - 1);
        else if (square) continue;
        else if (ch == '(') ++depth;
        else if (ch == ')') --depth;
        else if (ch == ',' && depth == 0) {
            push(i);
            start = i + 1;
        }
    }
    push(text.size());
    return out;
}

TfrVariant TfrExpr::Evaluate(const QString &expression)
{
    // Parentheses must balance outside quotes before anything is read.
    int balance = 0;
    bool single = false, dbl = false;
    for (const QChar c : expression) {
        if (c == '"') dbl = !dbl;
        else if (c == '\'') single = !single;
        else if (single || dbl) continue;
        else if (c == '(') ++balance;
        else if (c == ')') --balance;
    }
    if (balance != 0) throw EfrExprError(QStringLiteral("Numero errato di parentesi nell'espressione : "));
    if (expression.isEmpty()) return TfrVariant::null();
    DepthGuard guard(m_depth, expression);
    TfrExprParser parser(*this, expression);
    return parser.run();
}
