#include "data/enginecriteria_p.h"
#include "data/enginerecordset.h"

#include <QDate>
#include <QRegularExpression>

namespace dao {

namespace {

enum class Tok { End, Name, String, Number, Date, Op, LParen, RParen, Comma, Dot };

struct Token
{
    Tok kind = Tok::End;
    QString text;          // name, operator, or the literal's source
    QVariant value;        // string, number or day count
    bool bracketed = false;
    int pos = 0;
};

struct SyntaxError {};

class Lexer
{
public:
    explicit Lexer(const QString &s) : m_s(s) {}

    QList<Token> run()
    {
        QList<Token> out;
        for (;;) {
            skipBlanks();
            Token t;
            t.pos = m_i;
            if (m_i >= m_s.size()) {
                out.append(t);
                return out;
            }
            const QChar c = m_s[m_i];
            if (c == '[') {
                const int close = m_s.indexOf(']', m_i + 1);
                if (close < 0) throw SyntaxError();
                t.kind = Tok::Name;
                t.text = m_s.mid(m_i + 1, close - m_i - 1);
                t.bracketed = true;
                m_i = close + 1;
            } else if (c == '"' || c == '\'') {
                t.kind = Tok::String;
                QString v;
                ++m_i;
                for (;;) {
                    if (m_i >= m_s.size()) throw SyntaxError();
                    if (m_s[m_i] == c) {
                        if (m_i + 1 < m_s.size() && m_s[m_i + 1] == c) {
                            v += c;
                            m_i += 2;
                            continue;
                        }
                        ++m_i;
                        break;
                    }
                    v += m_s[m_i++];
                }
                t.value = v;
            } else if (c == '#') {
                const int close = m_s.indexOf('#', m_i + 1);
                if (close < 0) throw SyntaxError();
                double days;
                if (!parseDateLiteral(m_s.mid(m_i + 1, close - m_i - 1), days)) throw SyntaxError();
                t.kind = Tok::Date;
                t.value = days;
                m_i = close + 1;
            } else if (c.isDigit() || (c == '.' && m_i + 1 < m_s.size() && m_s[m_i + 1].isDigit())) {
                static const QRegularExpression num(QStringLiteral("\\d*\\.?\\d+(?:[eE][+-]?\\d+)?|\\d+\\."));
                const auto m = num.match(m_s, m_i, QRegularExpression::NormalMatch,
                                         QRegularExpression::AnchorAtOffsetMatchOption);
                if (!m.hasMatch()) throw SyntaxError();
                t.kind = Tok::Number;
                const QString n = m.captured();
                bool isInt = false;
                const qlonglong iv = n.toLongLong(&isInt);
                t.value = isInt ? QVariant(iv) : QVariant(n.toDouble());
                m_i += int(n.size());
                if (m_i < m_s.size() && (m_s[m_i].isLetter() || m_s[m_i] == '_')) throw SyntaxError();
            } else if (c.isLetter() || c == '_') {
                t.kind = Tok::Name;
                const int start = m_i;
                while (m_i < m_s.size() && (m_s[m_i].isLetterOrNumber() || m_s[m_i] == '_')) ++m_i;
                t.text = m_s.mid(start, m_i - start);
            } else if (c == '(' || c == ')' || c == ',' || c == '.') {
                t.kind = c == '(' ? Tok::LParen : c == ')' ? Tok::RParen : c == ',' ? Tok::Comma : Tok::Dot;
                ++m_i;
            } else if (c == '<' || c == '>' || c == '=' || c == '-' || c == '*') {
                t.kind = Tok::Op;
                t.text = c;
                ++m_i;
                if (m_i < m_s.size() && (c == '<' || c == '>') && (m_s[m_i] == '=' || (c == '<' && m_s[m_i] == '>')))
                    t.text += m_s[m_i++];
            } else {
                throw SyntaxError();
            }
            out.append(t);
        }
    }

private:
    void skipBlanks()
    {
        while (m_i < m_s.size() && m_s[m_i].isSpace()) ++m_i;
    }
    const QString &m_s;
    int m_i = 0;
};

enum class Kind { Column, Text, Number, Date, Bool, Null, Predicate, Other };

struct Operand
{
    QString sql;
    QVariantList params;
    Kind kind = Kind::Other;
    int type = 0;          // engine type of a column
};

bool textual(const Operand &o)
{
    return o.kind == Kind::Text || (o.kind == Kind::Column && (o.type == dbText || o.type == dbMemo));
}

bool dateColumn(const Operand &o)
{
    return o.kind == Kind::Column && (o.type == dbDate || o.type == dbTime || o.type == dbTimeStamp);
}

struct UnknownName { QString name; };
struct Mismatch {};

class Parser
{
public:
    Parser(const QList<Token> &toks, const TableInfo &table) : m_t(toks), m_table(table) {}

    Operand parseCriteria()
    {
        Operand o = orExpr();
        if (peek().kind != Tok::End) throw SyntaxError();
        return predicate(o);
    }

    QString parseSort()
    {
        QStringList keys;
        while (peek().kind != Tok::End) {
            Operand col = column(next());
            QString key = dateColumn(col) ? QStringLiteral("tdays(%1)").arg(col.sql)
                          : textual(col)  ? col.sql + QStringLiteral(" COLLATE TONALBA")
                                          : col.sql;
            if (isWord(peek(), "DESC")) {
                next();
                key += QStringLiteral(" DESC");
            } else if (isWord(peek(), "ASC")) {
                next();
            }
            keys.append(key);
            if (peek().kind == Tok::Comma) {
                next();
                continue;
            }
            if (peek().kind != Tok::End) throw SyntaxError();
        }
        return keys.join(QStringLiteral(", "));
    }

private:
    const Token &peek(int ahead = 0) const { return m_t[qMin(m_p + ahead, int(m_t.size()) - 1)]; }
    const Token &next() { return m_t[qMin(m_p++, int(m_t.size()) - 1)]; }
    static bool isWord(const Token &t, const char *w)
    {
        return t.kind == Tok::Name && !t.bracketed && t.text.compare(QLatin1String(w), Qt::CaseInsensitive) == 0;
    }

    // In a boolean context a Yes/No column or a number means "is true".
    Operand predicate(const Operand &o)
    {
        if (o.kind == Kind::Predicate) return o;
        if (o.kind == Kind::Column || o.kind == Kind::Number || o.kind == Kind::Bool)
            return {QStringLiteral("(%1 <> 0)").arg(o.sql), o.params, Kind::Predicate, 0};
        throw Mismatch();
    }

    Operand orExpr()
    {
        Operand l = andExpr();
        while (isWord(peek(), "OR")) {
            next();
            Operand r = andExpr();
            l = join(predicate(l), QStringLiteral(" OR "), predicate(r));
        }
        return l;
    }

    Operand andExpr()
    {
        Operand l = notExpr();
        while (isWord(peek(), "AND")) {
            next();
            Operand r = notExpr();
            l = join(predicate(l), QStringLiteral(" AND "), predicate(r));
        }
        return l;
    }

    static Operand join(const Operand &l, const QString &op, const Operand &r)
    {
        return {QStringLiteral("(%1%2%3)").arg(l.sql, op, r.sql), l.params + r.params, Kind::Predicate, 0};
    }

    Operand notExpr()
    {
        if (isWord(peek(), "NOT")) {
            next();
            Operand o = predicate(notExpr());
            return {QStringLiteral("(NOT %1)").arg(o.sql), o.params, Kind::Predicate, 0};
        }
        return comparison();
    }

    Operand comparison()
    {
        Operand l = primary();
        const Token &t = peek();
        if (t.kind == Tok::Op && t.text != "-" && t.text != "*") {
            const QString op = next().text;
            return compare(l, op, primary());
        }
        if (isWord(t, "IS")) {
            next();
            bool negate = false;
            if (isWord(peek(), "NOT")) {
                next();
                negate = true;
            }
            if (!isWord(next(), "NULL")) throw SyntaxError();
            return {QStringLiteral("(%1 IS %2NULL)").arg(l.sql, negate ? "NOT " : ""), l.params, Kind::Predicate, 0};
        }
        bool negate = false;
        if (isWord(t, "NOT") && (isWord(peek(1), "LIKE") || isWord(peek(1), "BETWEEN") || isWord(peek(1), "IN"))) {
            next();
            negate = true;
        }
        Operand result;
        if (isWord(peek(), "LIKE")) {
            next();
            Operand pattern = primary();
            result = {QStringLiteral("tlike(%1, %2)").arg(pattern.sql, l.sql), pattern.params + l.params,
                      Kind::Predicate, 0};
        } else if (isWord(peek(), "BETWEEN")) {
            next();
            Operand lo = primary();
            if (!isWord(next(), "AND")) throw SyntaxError();
            Operand hi = primary();
            result = join(compare(l, ">=", lo), QStringLiteral(" AND "), compare(l, "<=", hi));
        } else if (isWord(peek(), "IN")) {
            next();
            if (next().kind != Tok::LParen) throw SyntaxError();
            result = compare(l, "=", primary());
            while (peek().kind == Tok::Comma) {
                next();
                result = join(result, QStringLiteral(" OR "), compare(l, "=", primary()));
            }
            if (next().kind != Tok::RParen) throw SyntaxError();
        } else {
            if (negate) throw SyntaxError();
            return l;
        }
        if (negate) result.sql = QStringLiteral("(NOT %1)").arg(result.sql);
        return result;
    }

    // A literal turned into the value a column of the other side holds.
    Operand coerce(const Operand &lit, const Operand &col)
    {
        if (lit.kind == Kind::Column || lit.kind == Kind::Other || lit.kind == Kind::Null) return lit;
        QVariant v = lit.params.value(0);
        if (dateColumn(col)) {
            if (lit.kind == Kind::Text) {
                double d;
                if (!parseDateLiteral(v.toString(), d) && !isoToDays(v.toString(), d)) throw Mismatch();
                v = d;
            } else if (lit.kind == Kind::Bool) {
                throw Mismatch();
            }
            return {QStringLiteral("?"), {v.toDouble()}, Kind::Date, 0};
        }
        if (col.kind == Kind::Column && !textual(col)) {
            if (col.type == dbBoolean && (lit.kind == Kind::Bool || lit.kind == Kind::Number))
                return {QStringLiteral("?"), {qlonglong(v.toDouble() != 0)}, Kind::Number, 0};
            if (lit.kind == Kind::Text) {
                bool ok = false;
                const double d = v.toString().trimmed().toDouble(&ok);
                if (!ok) throw Mismatch();
                return {QStringLiteral("?"), {d}, Kind::Number, 0};
            }
            if (lit.kind == Kind::Date) throw Mismatch();
        }
        if (textual(col) && lit.kind != Kind::Text) {
            if (lit.kind == Kind::Date) return {QStringLiteral("?"), {daysToIso(v.toDouble())}, Kind::Text, 0};
            return {QStringLiteral("?"), {v.toString()}, Kind::Text, 0};
        }
        return lit;
    }

    Operand compare(Operand l, const QString &op, Operand r)
    {
        r = coerce(r, l);
        l = coerce(l, r);
        auto side = [](const Operand &o) { return dateColumn(o) ? QStringLiteral("tdays(%1)").arg(o.sql) : o.sql; };
        QString sql = QStringLiteral("(%1 %2 %3").arg(side(l), op, side(r));
        if (textual(l) || textual(r)) sql += QStringLiteral(" COLLATE TONALBA");
        sql += ')';
        return {sql, l.params + r.params, Kind::Predicate, 0};
    }

    Operand column(const Token &first)
    {
        if (first.kind != Tok::Name) throw SyntaxError();
        QString name = first.text;
        if (peek().kind == Tok::Dot) {
            // [table].[column]: the table part must be ours.
            next();
            const Token &second = next();
            if (second.kind != Tok::Name) throw SyntaxError();
            if (first.text.compare(m_table.name, Qt::CaseInsensitive) != 0) throw UnknownName{first.text + '.' + second.text};
            name = second.text;
        }
        const int i = m_table.indexOf(name);
        if (i < 0) throw UnknownName{name};
        return {quoteName(m_table.columns[i].name), {}, Kind::Column, m_table.columns[i].type};
    }

    Operand primary()
    {
        const Token &t = next();
        switch (t.kind) {
        case Tok::String: return {QStringLiteral("?"), {t.value}, Kind::Text, 0};
        case Tok::Number: return {QStringLiteral("?"), {t.value}, Kind::Number, 0};
        case Tok::Date: return {QStringLiteral("?"), {t.value}, Kind::Date, 0};
        case Tok::Op:
            if (t.text == "-" && peek().kind == Tok::Number) {
                const QVariant v = next().value;
                return {QStringLiteral("?"), {v.metaType().id() == QMetaType::Double ? QVariant(-v.toDouble())
                                                                                     : QVariant(-v.toLongLong())},
                        Kind::Number, 0};
            }
            throw SyntaxError();
        case Tok::LParen: {
            Operand o = orExpr();
            if (next().kind != Tok::RParen) throw SyntaxError();
            o.sql = '(' + o.sql + ')';
            return o;
        }
        case Tok::Name:
            if (!t.bracketed) {
                if (isWord(t, "NULL")) return {QStringLiteral("NULL"), {}, Kind::Null, 0};
                if (isWord(t, "TRUE")) return {QStringLiteral("?"), {qlonglong(-1)}, Kind::Bool, 0};
                if (isWord(t, "FALSE")) return {QStringLiteral("?"), {qlonglong(0)}, Kind::Bool, 0};
                if (isWord(t, "LCASE") && peek().kind == Tok::LParen) {
                    next();
                    Operand o = orExpr();
                    if (next().kind != Tok::RParen) throw SyntaxError();
                    return {QStringLiteral("tlcase(%1)").arg(o.sql), o.params, Kind::Text, 0};
                }
                static const char *reserved[] = {"AND", "OR", "NOT", "LIKE", "IS", "BETWEEN", "IN"};
                for (const char *w : reserved)
                    if (isWord(t, w)) throw SyntaxError();
            }
            return column(t);
        default:
            throw SyntaxError();
        }
    }

    const QList<Token> &m_t;
    const TableInfo &m_table;
    int m_p = 0;
};

} // namespace

SqlText CriteriaTranslator::where(const QString &criteria) const
{
    if (criteria.trimmed().isEmpty()) return {};
    try {
        const QList<Token> toks = Lexer(criteria).run();
        Operand o = Parser(toks, m_table).parseCriteria();
        return {o.sql, o.params};
    } catch (const SyntaxError &) {
        raise(m_sink, errSyntax, m_source, QStringLiteral("Syntax error in query expression '%1'.").arg(criteria));
    } catch (const UnknownName &e) {
        raise(m_sink, errUnknownName, m_source,
              QStringLiteral("The database engine does not recognize '%1' as a valid field name or expression.").arg(e.name));
    } catch (const Mismatch &) {
        raise(m_sink, errTypeMismatch, m_source,
              QStringLiteral("Data type mismatch in criteria expression '%1'.").arg(criteria));
    }
}

QString CriteriaTranslator::orderBy(const QString &sort) const
{
    if (sort.trimmed().isEmpty()) return {};
    try {
        const QList<Token> toks = Lexer(sort).run();
        return Parser(toks, m_table).parseSort();
    } catch (const SyntaxError &) {
        raise(m_sink, errSyntax, m_source, QStringLiteral("Syntax error in ORDER BY clause '%1'.").arg(sort));
    } catch (const UnknownName &e) {
        raise(m_sink, errUnknownName, m_source,
              QStringLiteral("The database engine does not recognize '%1' as a valid field name or expression.").arg(e.name));
    } catch (const Mismatch &) {
        raise(m_sink, errTypeMismatch, m_source, QStringLiteral("Data type mismatch in '%1'.").arg(sort));
    }
}

bool parseSelect(const QString &sql, SelectParts &out)
{
    // Clauses are found outside quotes, brackets and #dates#.
    auto findWord = [&](const QString &word, int from) {
        QChar quote;
        for (int i = from; i < sql.size(); ++i) {
            const QChar c = sql[i];
            if (!quote.isNull()) {
                if (c == quote) quote = QChar();
                continue;
            }
            if (c == '"' || c == '\'' || c == '#') { quote = c; continue; }
            if (c == '[') { quote = ']'; continue; }
            if ((i == 0 || sql[i - 1].isSpace()) && sql.mid(i, word.size()).compare(word, Qt::CaseInsensitive) == 0
                && (i + word.size() == sql.size() || sql[i + word.size()].isSpace()))
                return i;
        }
        return -1;
    };
    QString s = sql.trimmed();
    if (s.endsWith(';')) s.chop(1);
    if (s.left(7).compare(QLatin1String("SELECT "), Qt::CaseInsensitive) != 0) return false;
    const int from = findWord(QStringLiteral("FROM"), 7);
    if (from < 0) return false;
    const int where = findWord(QStringLiteral("WHERE"), from);
    int order = findWord(QStringLiteral("ORDER"), from);
    const QString list = s.mid(7, from - 7).trimmed();
    const int tableEnd = where >= 0 ? where : order >= 0 ? order : s.size();
    QString table = s.mid(from + 5, tableEnd - from - 5).trimmed();
    if (table.startsWith('[') && table.endsWith(']')) table = table.mid(1, table.size() - 2);
    if (table.isEmpty() || table.contains(' ') ) return false;
    out = SelectParts();
    out.table = table;
    if (where >= 0) out.where = s.mid(where + 6, (order >= 0 ? order : s.size()) - where - 6).trimmed();
    if (order >= 0) {
        QString rest = s.mid(order + 5).trimmed();
        if (rest.left(3).compare(QLatin1String("BY "), Qt::CaseInsensitive) != 0) return false;
        out.orderBy = rest.mid(3).trimmed();
    }
    if (list != "*") {
        for (QString c : list.split(',')) {
            c = c.trimmed();
            if (c.startsWith('[') && c.endsWith(']')) c = c.mid(1, c.size() - 2);
            if (c.isEmpty()) return false;
            out.columns.append(c);
        }
    }
    return true;
}

bool parseDateLiteral(const QString &text, double &days)
{
    static const QRegularExpression re(QStringLiteral(
        "^\\s*(?:(\\d{1,2})/(\\d{1,2})/(\\d{1,4}))?\\s*(?:(\\d{1,2}):(\\d{1,2})(?::(\\d{1,2}))?\\s*([AaPp][Mm])?)?\\s*$"));
    const auto m = re.match(text);
    if (!m.hasMatch() || (!m.capturedLength(1) && !m.capturedLength(4))) return isoToDays(text, days);
    double whole = 0;
    if (m.capturedLength(1)) {
        int y = m.captured(3).toInt();
        if (m.capturedLength(3) <= 2) y += y < 30 ? 2000 : 1900;
        const QDate d(y, m.captured(1).toInt(), m.captured(2).toInt());
        if (!d.isValid()) return false;
        whole = double(d.toJulianDay() - QDate(1899, 12, 30).toJulianDay());
    }
    double frac = 0;
    if (m.capturedLength(4)) {
        int h = m.captured(4).toInt();
        const int n = m.captured(5).toInt(), s = m.captured(6).toInt();
        if (m.capturedLength(7)) {
            if (h < 1 || h > 12) return false;
            const bool pm = m.captured(7).startsWith('p', Qt::CaseInsensitive);
            h = h % 12 + (pm ? 12 : 0);
        }
        if (h > 23 || n > 59 || s > 59) return false;
        frac = ((h * 60 + n) * 60 + s) / 86400.0;
    }
    days = whole < 0 ? whole - frac : whole + frac;
    return true;
}

} // namespace dao
