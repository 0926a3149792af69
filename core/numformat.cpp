// Numbers as text. Every form starts from the double's decimal expansion to
// 15 significant digits and rounds that text half away from zero. Rounding
// the binary value instead would print 1.005 with two decimals as 1,00 (the
// double is 1.00499999999999989...), which no user typing 1,005 expects; the
// 15-digit text is what the user wrote. So 2.675 gives 2,68 and 9.45 gives 9,5.

#include "core/numformat.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <type_traits>
#include <vector>

namespace {

// value = 0.digits x 10^exponent; digits carry no leading or trailing zeros,
// an empty digit string is zero.
struct Decimal
{
    bool negative = false;
    QByteArray digits;
    int exponent = 0;

    bool isZero() const { return digits.isEmpty(); }
};

constexpr int MaxDigits = 15;

void trimZeros(Decimal &d)
{
    while (d.digits.endsWith('0'))
        d.digits.chop(1);
    if (d.digits.isEmpty()) {
        d.negative = false;
        d.exponent = 0;
    }
}

Decimal toDecimal(double value)
{
    Decimal d;
    if (value == 0 || !std::isfinite(value)) return d;
    d.negative = value < 0;
    // to_chars does not follow the C locale, unlike printf.
    char buf[64];
    const auto res =
        std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific, MaxDigits - 1);
    const char *e = buf;
    while (e < res.ptr && *e != 'e')
        ++e;
    for (const char *p = buf; p < e; ++p) {
        if (*p >= '0' && *p <= '9') d.digits += *p;
    }
    int exp10 = 0;
    std::from_chars(e + 1 + (e[1] == '+'), res.ptr, exp10);
    d.exponent = exp10 + 1;
    trimZeros(d);
    return d;
}

// Keeps the first `keep` digits, rounding half away from zero.
void roundAt(Decimal &d, int keep)
{
    if (d.isZero() || keep >= d.digits.size()) return;
    if (keep < 0) {
        d = Decimal();
        return;
    }
    const bool up = d.digits[keep] >= '5';
    d.digits.truncate(keep);
    if (up) {
        int i = keep - 1;
        while (i >= 0 && d.digits[i] == '9') {
            d.digits[i] = '0';
            --i;
        }
        if (i < 0) {
            d.digits.prepend('1');
            d.digits.truncate(qMax(keep, 1));
            ++d.exponent;
        } else {
            d.digits[i] = char(d.digits[i] + 1);
        }
    }
    trimZeros(d);
}

void roundDecimals(Decimal &d, int decimals)
{
    roundAt(d, d.exponent + decimals);
}

QString intDigits(const Decimal &d)
{
    if (d.exponent <= 0) return QString();
    QString s = QString::fromLatin1(d.digits.left(d.exponent));
    return s.leftJustified(d.exponent, '0');
}

QString fracDigits(const Decimal &d)
{
    if (d.isZero()) return QString();
    if (d.exponent >= 0) return QString::fromLatin1(d.digits.mid(d.exponent));
    return QString(-d.exponent, '0') + QString::fromLatin1(d.digits);
}

QString grouped(const QString &digits, QChar separator)
{
    QString out;
    const qsizetype n = digits.size();
    for (qsizetype i = 0; i < n; ++i) {
        out += digits[i];
        const qsizetype fromRight = n - 1 - i;
        if (fromRight > 0 && fromRight % 3 == 0) out += separator;
    }
    return out;
}

QString special(double value)
{
    if (std::isnan(value)) return QStringLiteral("NAN");
    return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
}

// Delphi's general form: plain digits while the exponent is small enough,
// else d.dddE[-]x with at least minExpDigits exponent digits.
QString general(double value, int precision, int minExpDigits, const TFormatSettings &fs)
{
    if (!std::isfinite(value)) return special(value);
    Decimal d = toDecimal(value);
    roundAt(d, precision);
    if (d.isZero()) return QStringLiteral("0");
    QString out = d.negative ? QStringLiteral("-") : QString();
    if (d.exponent > precision || d.exponent < -3) {
        out += QChar(d.digits[0]);
        if (d.digits.size() > 1) out += fs.decimalSeparator + QString::fromLatin1(d.digits.mid(1));
        const int e = d.exponent - 1;
        out += 'E';
        if (e < 0) out += '-';
        out += QString::number(std::abs(e)).rightJustified(minExpDigits, '0');
        return out;
    }
    const QString whole = intDigits(d);
    out += whole.isEmpty() ? QStringLiteral("0") : whole;
    const QString frac = fracDigits(d);
    if (!frac.isEmpty()) out += fs.decimalSeparator + frac;
    return out;
}

// Fixed-point digits without sign: "1234,50" or grouped "1.234,50". False
// when the value has more integer digits than the precision allows.
bool fixedDigits(const Decimal &value, int precision, int digits, bool group, const TFormatSettings &fs,
                 QString &out, bool &negative)
{
    Decimal d = value;
    roundAt(d, qMin(precision, d.exponent + digits));
    if (d.exponent > precision) return false;
    negative = d.negative;
    QString whole = intDigits(d);
    if (whole.isEmpty()) whole = QStringLiteral("0");
    out = group ? grouped(whole, fs.thousandSeparator) : whole;
    if (digits > 0) out += fs.decimalSeparator + fracDigits(d).leftJustified(digits, '0');
    return true;
}

// Windows currency layouts: "$" is the symbol, "1" the amount.
QString currencyLayout(const QString &amount, bool negative, const TFormatSettings &fs)
{
    static const char *const positive[] = {"$1", "1$", "$ 1", "1 $"};
    static const char *const negativeForms[] = {"($1)", "-$1",  "$-1",   "$1-",  "(1$)", "-1$",
                                                "1-$",  "1$-",  "-1 $",  "-$ 1", "1 $-", "$ 1-",
                                                "$ -1", "1- $", "($ 1)", "(1 $)"};
    const char *layout =
        negative ? negativeForms[qBound(0, fs.negCurrFormat, 15)] : positive[qBound(0, fs.currencyFormat, 3)];
    QString out;
    for (const char *p = layout; *p; ++p) {
        if (*p == '$')
            out += fs.currencyString;
        else if (*p == '1')
            out += amount;
        else
            out += QLatin1Char(*p);
    }
    return out;
}

// ---- pictures ------------------------------------------------------------

struct Token
{
    enum Kind
    {
        IntDigit,
        FracDigit,
        Point,
        Exponent,
        Literal
    } kind;
    QString text;  // Literal: the text; Exponent: "E+" / "e-" as written
    int count = 0; // Exponent: minimum exponent digits
};

struct Section
{
    std::vector<Token> tokens;
    int intPlaceholders = 0;
    int minInt = 0;
    int fracPlaceholders = 0;
    int minFrac = 0;
    bool grouping = false;
    bool scientific = false;
};

QStringList splitSections(const QString &pattern)
{
    QStringList sections;
    QString current;
    QChar quote;
    for (QChar c : pattern) {
        if (!quote.isNull()) {
            if (c == quote) quote = QChar();
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == ';') {
            sections << current;
            current.clear();
            continue;
        }
        current += c;
    }
    sections << current;
    return sections;
}

Section scanSection(const QString &text)
{
    Section s;
    bool afterPoint = false;
    int firstIntZero = -1;
    const qsizetype n = text.size();
    auto literal = [&s](const QString &t) {
        if (!s.tokens.empty() && s.tokens.back().kind == Token::Literal)
            s.tokens.back().text += t;
        else
            s.tokens.push_back({Token::Literal, t, 0});
    };
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c == '"' || c == '\'') {
            const qsizetype end = text.indexOf(c, i + 1);
            const qsizetype stop = end < 0 ? n : end;
            literal(text.mid(i + 1, stop - i - 1));
            i = stop;
        } else if (c == '0' || c == '#') {
            if (afterPoint || s.scientific) {
                ++s.fracPlaceholders;
                if (c == '0') s.minFrac = s.fracPlaceholders;
                s.tokens.push_back({Token::FracDigit, QString(), 0});
            } else {
                if (c == '0' && firstIntZero < 0) firstIntZero = s.intPlaceholders;
                ++s.intPlaceholders;
                s.tokens.push_back({Token::IntDigit, QString(), 0});
            }
        } else if (c == '.' && !afterPoint && !s.scientific) {
            afterPoint = true;
            s.tokens.push_back({Token::Point, QString(), 0});
        } else if (c == ',' && !afterPoint && !s.scientific) {
            s.grouping = true;
        } else if ((c == 'E' || c == 'e') && !s.scientific && i + 1 < n &&
                   (text[i + 1] == '+' || text[i + 1] == '-')) {
            s.scientific = true;
            int zeros = 0;
            qsizetype j = i + 2;
            while (j < n && text[j] == '0') {
                ++zeros;
                ++j;
            }
            s.tokens.push_back({Token::Exponent, text.mid(i, 2), zeros});
            i = j - 1;
        } else {
            literal(QString(c));
        }
    }
    s.minInt = firstIntZero < 0 ? 0 : s.intPlaceholders - firstIntZero;
    return s;
}

Decimal roundForSection(const Decimal &value, const Section &s)
{
    Decimal d = value;
    if (s.scientific)
        roundAt(d, qMax(1, s.intPlaceholders + s.fracPlaceholders));
    else
        roundDecimals(d, s.fracPlaceholders);
    return d;
}

QString render(const Section &s, const Decimal &d, const TFormatSettings &fs)
{
    QString whole, frac;
    int exponent = 0;
    if (s.scientific) {
        const QString mantissa = QString::fromLatin1(d.digits);
        if (!d.isZero()) {
            whole = mantissa.left(s.intPlaceholders).leftJustified(s.intPlaceholders, '0');
            frac = mantissa.mid(s.intPlaceholders);
            exponent = d.exponent - s.intPlaceholders;
        }
    } else {
        whole = intDigits(d);
        frac = fracDigits(d);
    }
    if (whole.size() < s.minInt) whole = whole.rightJustified(s.minInt, '0');
    if (frac.size() < s.minFrac) frac = frac.leftJustified(s.minFrac, '0');

    QString out;
    const qsizetype len = whole.size();
    auto emitWhole = [&](qsizetype k) {
        out += whole[k];
        const qsizetype fromRight = len - 1 - k;
        if (s.grouping && fromRight > 0 && fromRight % 3 == 0) out += fs.thousandSeparator;
    };
    // Digits beyond the placeholders all go to the first one; each
    // placeholder then takes its own position counted from the point.
    auto emitLeading = [&] {
        for (qsizetype k = 0; k < len - s.intPlaceholders; ++k)
            emitWhole(k);
    };
    int intSeen = 0;
    int fracSeen = 0;
    for (const Token &t : s.tokens) {
        switch (t.kind) {
        case Token::IntDigit: {
            if (intSeen == 0) emitLeading();
            const qsizetype fromRight = s.intPlaceholders - 1 - intSeen;
            if (fromRight < len) emitWhole(len - 1 - fromRight);
            ++intSeen;
            break;
        }
        case Token::Point:
            if (s.intPlaceholders == 0) emitLeading();
            if (!frac.isEmpty()) out += fs.decimalSeparator;
            break;
        case Token::FracDigit:
            if (fracSeen < frac.size()) out += frac[fracSeen];
            ++fracSeen;
            break;
        case Token::Exponent:
            out += t.text[0];
            if (exponent < 0)
                out += '-';
            else if (t.text[1] == '+')
                out += '+';
            out += QString::number(std::abs(exponent)).rightJustified(qMax(1, t.count), '0');
            break;
        case Token::Literal:
            out += t.text;
            break;
        }
    }
    return out;
}

// Decimal text with '.' and optional exponent to a double; underflow is zero.
bool parseCanonical(const QByteArray &text, bool negativeExponent, double &out)
{
    double v = 0;
    const char *begin = text.constData();
    const char *end = begin + text.size();
    const auto res = std::from_chars(begin, end, v);
    if (res.ptr != end) return false;
    if (res.ec == std::errc::result_out_of_range) {
        if (!negativeExponent) return false;
        v = 0;
    } else if (res.ec != std::errc()) {
        return false;
    }
    out = v;
    return true;
}

template <typename T> bool parseInteger(const QString &text, T &out)
{
    const QString s = text.trimmed();
    qsizetype i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
    int base = 10;
    if (i < s.size() && s[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= s.size()) return false;
    using U = std::make_unsigned_t<T>;
    // Hex is a bit pattern ("$FFFFFFFF" is -1); decimal must fit the signed range.
    const U limit =
        base == 16 ? U(~U(0))
                   : (negative ? U(U(std::numeric_limits<T>::max()) + 1) : U(std::numeric_limits<T>::max()));
    U value = 0;
    for (; i < s.size(); ++i) {
        int v = -1;
        if (s[i] >= '0' && s[i] <= '9')
            v = s[i].unicode() - '0';
        else if (base == 16 && s[i].toLower() >= 'a' && s[i].toLower() <= 'f')
            v = s[i].toLower().unicode() - 'a' + 10;
        if (v < 0) return false;
        if (value > (limit - U(v)) / U(base)) return false;
        value = value * U(base) + U(v);
    }
    out = negative ? T(U(0) - value) : T(value);
    return true;
}

} // namespace

QString floatToStr(double value, const TFormatSettings &fs)
{
    // The search text converts every reading of every day: the plain-digit
    // case of the general form is built in place, without the Decimal steps.
    if (!std::isfinite(value) || value == 0) return general(value, MaxDigits, 0, fs);
    char buf[40];
    const auto res =
        std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific, MaxDigits - 1);
    const char *e = std::find(buf, res.ptr, 'e');
    char digits[MaxDigits];
    int n = 0;
    for (const char *p = buf; p < e; ++p)
        if (*p >= '0' && *p <= '9') digits[n++] = *p;
    while (n > 0 && digits[n - 1] == '0') --n;
    int exp10 = 0;
    std::from_chars(e + 1 + (e[1] == '+'), res.ptr, exp10);
    const int exponent = exp10 + 1;   // value = 0.digits x 10^exponent
    if (exponent > MaxDigits || exponent < -3) return general(value, MaxDigits, 0, fs);
    char16_t out[2 * MaxDigits + 8];
    int k = 0;
    if (value < 0) out[k++] = u'-';
    if (exponent <= 0) {
        out[k++] = u'0';
    } else {
        for (int i = 0; i < exponent; ++i) out[k++] = i < n ? char16_t(digits[i]) : u'0';
    }
    if (n > exponent) {
        out[k++] = fs.decimalSeparator.unicode();
        for (int i = exponent; i < 0; ++i) out[k++] = u'0';
        for (int i = qMax(exponent, 0); i < n; ++i) out[k++] = char16_t(digits[i]);
    }
    return QString(reinterpret_cast<const QChar *>(out), k);
}

QString floatToStrF(double value, TFloatFormat format, int precision, int digits, const TFormatSettings &fs)
{
    if (!std::isfinite(value)) return special(value);
    precision = qBound(1, precision, MaxDigits);
    const Decimal d = toDecimal(value);
    switch (format) {
    case TFloatFormat::General:
        return general(value, precision, qBound(0, digits, 4), fs);
    case TFloatFormat::Exponent: {
        Decimal r = d;
        roundAt(r, precision);
        QString out = r.negative ? QStringLiteral("-") : QString();
        const QString mantissa = QString::fromLatin1(r.digits).leftJustified(precision, '0');
        out += mantissa[0];
        if (precision > 1) out += fs.decimalSeparator + mantissa.mid(1);
        const int e = r.isZero() ? 0 : r.exponent - 1;
        out += e < 0 ? QStringLiteral("E-") : QStringLiteral("E+");
        out += QString::number(std::abs(e)).rightJustified(qBound(0, digits, 4), '0');
        return out;
    }
    case TFloatFormat::Fixed:
    case TFloatFormat::Number:
    case TFloatFormat::Currency: {
        digits = qBound(0, digits, 18);
        QString amount;
        bool negative = false;
        if (!fixedDigits(d, precision, digits, format != TFloatFormat::Fixed, fs, amount, negative))
            return general(value, precision, 0, fs);
        if (format == TFloatFormat::Currency) return currencyLayout(amount, negative, fs);
        return negative ? '-' + amount : amount;
    }
    }
    return QString();
}

QString currToStr(double value, const TFormatSettings &fs)
{
    return floatToStrF(value, TFloatFormat::Currency, MaxDigits, fs.currencyDecimals, fs);
}

QString formatFloat(const QString &pattern, double value, const TFormatSettings &fs)
{
    if (pattern.isEmpty() || !std::isfinite(value)) return floatToStr(value, fs);
    const QStringList sections = splitSections(pattern);
    const Decimal d = toDecimal(value);
    const Section first = scanSection(sections[0]);

    // A value that rounds to zero under the positive section is zero: it
    // takes the zero section and never prints as "-0".
    const bool zero = roundForSection(d, first).isZero();
    int index = 0;
    if (zero && sections.size() > 2 && !sections[2].isEmpty())
        index = 2;
    else if (!zero && d.negative && sections.size() > 1 && !sections[1].isEmpty())
        index = 1;
    if (sections[index].isEmpty()) return floatToStr(value, fs);

    const Section chosen = index == 0 ? first : scanSection(sections[index]);
    Decimal magnitude = d;
    magnitude.negative = false;
    // Delphi falls back to the general form for magnitudes a picture cannot hold.
    if (!chosen.scientific && magnitude.exponent > 18) return floatToStr(value, fs);
    const Decimal rounded = index == 2 ? Decimal() : roundForSection(magnitude, chosen);
    QString out = render(chosen, rounded, fs);
    if (index == 0 && d.negative && !rounded.isZero()) out.prepend('-');
    return out;
}

bool tryStrToFloat(const QString &text, double &out, const TFormatSettings &fs)
{
    const QString s = text.trimmed();
    QByteArray canonical;
    qsizetype i = 0;
    const qsizetype n = s.size();
    if (i < n && (s[i] == '-' || s[i] == '+')) {
        if (s[i] == '-') canonical += '-';
        ++i;
    }
    int mantissaDigits = 0;
    while (i < n && s[i] >= '0' && s[i] <= '9') {
        canonical += char(s[i++].unicode());
        ++mantissaDigits;
    }
    if (i < n && s[i] == fs.decimalSeparator) {
        canonical += '.';
        ++i;
        while (i < n && s[i] >= '0' && s[i] <= '9') {
            canonical += char(s[i++].unicode());
            ++mantissaDigits;
        }
    }
    if (mantissaDigits == 0) return false;
    bool negativeExponent = false;
    if (i < n && (s[i] == 'e' || s[i] == 'E')) {
        canonical += 'e';
        ++i;
        if (i < n && (s[i] == '-' || s[i] == '+')) {
            negativeExponent = s[i] == '-';
            if (negativeExponent) canonical += '-';
            ++i;
        }
        int expDigits = 0;
        while (i < n && s[i] >= '0' && s[i] <= '9') {
            canonical += char(s[i++].unicode());
            ++expDigits;
        }
        if (expDigits == 0) return false;
    }
    if (i != n) return false;
    return parseCanonical(canonical, negativeExponent, out);
}

bool tryStrToCurr(const QString &text, double &out, const TFormatSettings &fs)
{
    QString s = text.trimmed();
    bool negative = false;
    if (s.size() >= 2 && s.startsWith('(') && s.endsWith(')')) {
        negative = true;
        s = s.mid(1, s.size() - 2).trimmed();
    }
    if (!fs.currencyString.isEmpty()) {
        if (s.startsWith(fs.currencyString))
            s = s.mid(fs.currencyString.size()).trimmed();
        else if (s.endsWith(fs.currencyString))
            s.chop(fs.currencyString.size());
        else if (s.startsWith('-') && s.mid(1).trimmed().startsWith(fs.currencyString))
            s = '-' + s.mid(1).trimmed().mid(fs.currencyString.size()).trimmed();
        s = s.trimmed();
    }
    // Trailing sign ("1,50-") or a sign split from its digits by a blank.
    if (s.endsWith('-')) {
        if (negative) return false;
        negative = true;
        s.chop(1);
        s = s.trimmed();
    } else if (s.startsWith('-') && s.size() > 1 && s[1].isSpace()) {
        s = '-' + s.mid(1).trimmed();
    }
    double v = 0;
    if (!tryStrToFloat(s, v, fs)) return false;
    if (negative && (s.startsWith('-') || v < 0)) return false;
    if (negative) v = -v;
    // Currency values keep four decimals.
    Decimal d = toDecimal(v);
    roundDecimals(d, 4);
    if (d.isZero()) {
        out = 0;
        return true;
    }
    QByteArray canonical = d.negative ? "-0." : "0.";
    canonical += d.digits + 'e' + QByteArray::number(d.exponent);
    return parseCanonical(canonical, d.exponent < 0, out);
}

bool tryStrToInt(const QString &text, int &out)
{
    return parseInteger(text, out);
}

bool tryStrToInt64(const QString &text, qint64 &out)
{
    return parseInteger(text, out);
}
