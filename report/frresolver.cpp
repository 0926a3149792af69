#include "report/frresolver.h"

#include "report/frband.h"
#include "report/frbandtypes.h"
#include "report/frbuildstate.h"
#include "report/frdbdataset.h"
#include "report/frdisplayformat.h"
#include "report/frexpr.h"
#include "report/frfunctionlibrary.h"
#include "report/frnumbertoletter.h"
#include "report/frpage.h"
#include "report/frregistry.h"
#include "report/frreport.h"
#include "report/frview.h"

#include "data/dataset.h"
#include "core/datetime.h"
#include "core/exceptions.h"
#include "core/numformat.h"

#include <cmath>

namespace {
constexpr long double EuroRate = 1936.27L;
// FILLSTR and string growth stop here: a report line has no use for more.
constexpr qint64 MaxText = 1 << 20;

struct FunctionFailure
{
};

QString stripQuotes(QString s)
{
    s = s.trimmed();
    if (s.size() >= 2 && s.startsWith(QLatin1Char('"')) && s.endsWith(QLatin1Char('"'))) s = s.mid(1, s.size() - 2);
    return s;
}

TfrReport *reportFor(TfrReport *fallback)
{
    TfrReport *r = CurrentReport();
    return r ? r : fallback;
}

QString asciiUpper(QString s)
{
    for (QChar &c : s)
        if (c >= 'a' && c <= 'z') c = QChar(c.unicode() - 32);
    return s;
}

QString asciiLower(QString s)
{
    for (QChar &c : s)
        if (c >= 'A' && c <= 'Z') c = QChar(c.unicode() + 32);
    return s;
}

bool isAsciiLetter(QChar c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

double finiteOrFail(long double v)
{
    if (!std::isfinite(double(v))) throw FunctionFailure{};
    return double(v);
}

qint64 toInt32(double v)
{
    if (!std::isfinite(v) || v > 2147483647.0 || v < -2147483648.0) throw FunctionFailure{};
    return qint64(v);
}

qint64 toInt64(double v)
{
    if (!std::isfinite(v) || std::fabs(v) >= 9.2e18) throw FunctionFailure{};
    return qint64(v);
}

TfrVariant fieldValue(TField *field)
{
    TfrBuildState &st = TfrBuildState::instance();
    st.LastField = field;
    TDataSet *ds = field->DataSet();
    const QVariant raw = ds && ds->Active() && !ds->IsEmpty() ? field->Value() : QVariant();
    if (raw.isValid() && !raw.isNull()) return TfrVariant::fromField(raw, field->DataType());
    st.LastFieldNull = true;
    switch (field->DataType()) {
    case ftSmallint: case ftInteger: case ftWord: case ftAutoInc: case ftLargeint: case ftBoolean:
        return TfrVariant::fromInt(0);
    case ftFloat: case ftBCD: return TfrVariant::fromFloat(0);
    case ftCurrency: return TfrVariant::fromCurrencyUnits(0);
    case ftDate: case ftTime: case ftDateTime: return TfrVariant::fromDateTime(0);
    default: return TfrVariant::fromString(QString());
    }
}

TfrBand *bandOnPage(int type)
{
    const TfrBuildState &st = TfrBuildState::instance();
    if (!st.CurPage || type < 0 || type >= frBand::TypeCount) return nullptr;
    return st.CurPage->Bands[type];
}

TfrVariant systemVariable(const QString &upper)
{
    const TfrBuildState &st = TfrBuildState::instance();
    if (upper == QLatin1String("VALUE") || upper == QLatin1String("VALORE")) return st.LastValue;
    if (upper == QLatin1String("PAGE#")) {
        const TfrReport *r = CurrentReport();
        const bool interleaved = r && r->InterleavePages && r->NumberInterleaved;
        if (interleaved && st.CurPageNo >= 0 && st.CurPageNo < st.InterleavedPosition.size())
            return TfrVariant::fromInt(st.InterleavedPosition[st.CurPageNo] + 1);
        return TfrVariant::fromInt(st.CurPageNo + 1);
    }
    if (upper == QLatin1String("DATE")) return TfrVariant::fromDateTime(st.BuildDate);
    if (upper == QLatin1String("TIME")) return TfrVariant::fromDateTime(st.BuildTime);
    if (upper == QLatin1String("LINE#")) return TfrVariant::fromInt(st.CurBand ? st.CurBand->LineNo : 0);
    if (upper == QLatin1String("LINETHROUGH#")) return TfrVariant::fromInt(st.CurBand ? st.CurBand->LineThrough : 0);
    if (upper == QLatin1String("COLUMN#")) return TfrVariant::fromInt(st.CurPage ? st.CurPage->ColumnNo : 0);
    if (upper == QLatin1String("CURRENT#")) return TfrVariant::fromInt(st.CurPage ? st.CurPage->CurrentNo : 0);
    if (upper == QLatin1String("TOTALPAGES")) return TfrVariant::fromInt(st.TotalPages);
    return TfrVariant();
}

TfrVariant resolveName(TfrReport *report, const QString &rawName)
{
    const QString name = rawName.trimmed();
    const QString upper = name.toUpper();
    TfrBuildState &st = TfrBuildState::instance();

    if (report) {
        if (TfrValue *value = report->Values.FindVariable(name)) {
            if (report->OnGetValue) {
                TfrVariant answer;
                report->OnGetValue(name, answer);
                if (!answer.isEmpty()) return answer;
            }
            switch (value->ValueKind) {
            case TfrValue::DBField: {
                TDataSet *ds = nullptr;
                TField *field = nullptr;
                frFindField(report, value->DSet + QLatin1Char('.') + QLatin1Char('"') + value->Field + QLatin1Char('"'),
                            ds, field);
                return field ? fieldValue(field) : TfrVariant();
            }
            case TfrValue::Other:
                if (value->ValueSubKind == TfrValue::Expression) return TfrExpr::instance().Evaluate(value->Field);
                return systemVariable(TfrValue::SystemVariable(value->ValueSubKind));
            default:
                return TfrVariant::null();
            }
        }
    }
    if (upper == QLatin1String("PI")) return TfrVariant::fromFloat(3.1415926535897932385);

    TDataSet *ds = nullptr;
    TField *field = nullptr;
    frFindField(report, name, ds, field);
    if (field) return fieldValue(field);
    if (ds) {
        const QString owned = (ds->parent() ? ds->parent()->objectName() + QLatin1Char('.') : QString()) + ds->objectName();
        if (name.compare(owned, Qt::CaseInsensitive) == 0 || name.compare(ds->objectName(), Qt::CaseInsensitive) == 0)
            return TfrVariant::fromString(name);
    }
    Q_UNUSED(st);
    return systemVariable(upper);
}

int expectedArguments(const QString &f)
{
    static const QHash<QString, int> counts = {
        {"SUM", 1}, {"AVG", 1}, {"MIN", 1}, {"MAX", 1}, {"STR", 1}, {"FILLSTR", 2}, {"CEIL", 1},
        {"FLOOR", 1}, {"IF", 3}, {"INT", 1}, {"FRAC", 1}, {"ABS", 1}, {"ARCTAN", 1}, {"COS", 1},
        {"SIN", 1}, {"EXP", 1}, {"LN", 1}, {"SQR", 1}, {"SQRT", 1}, {"POS", 2}, {"LENGTH", 1},
        {"ROUND", 1}, {"TRUNC", 1}, {"POWER", 2}, {"UPPERCASE", 1}, {"LOWERCASE", 1}, {"COPY", 3},
        {"VAL", 1}, {"STRTODATE", 1}, {"STRTOTIME", 1}, {"NAMECASE", 1}, {"PHRASECASE", 1},
        {"NUMBERTOLETTER", 1}, {"FORMATFLOAT", 2}, {"FORMATDATETIME", 2}, {"MONEYTOEURO", 1},
        {"EURO", 1}, {"MONEY", 1}, {"EUROTOMONEY", 1}, {"EUROTOMONEYVAL", 1}, {"MONEYTOEUROVAL", 1}};
    return counts.value(f, -1);
}

TfrVariant eval(const QString &text) { return TfrExpr::instance().Evaluate(text); }
double num(const QString &text) { return eval(text).toFloat(); }
QString str(const QString &text)
{
    const TfrVariant v = eval(text);
    return v.isNull() ? QString() : v.toString();
}

double dateTimeOf(const TfrVariant &v)
{
    if (v.isString()) {
        TDateTime out = 0;
        if (tryStrToDateTime(v.stringValue(), out)) return out;
    }
    return v.toFloat();
}

QString groupedTwoDecimals(double value)
{
    return floatToStrF(value, TFloatFormat::Number, 10, 2);
}

double moneyToEuro(double value)
{
    return finiteOrFail(std::nearbyint(static_cast<long double>(value) / EuroRate * 100.0L) / 100.0L);
}

TfrVariant aggregate(const QString &f, const QString &argument)
{
    TfrBuildState &st = TfrBuildState::instance();
    const int bandType = st.CurBand ? st.CurBand->Type : -1;
    if (st.Registering) {
        TfrBand *target = bandOnPage(frBand::aggregateTargetFor(bandType));
        if (!target) {
            frSetBuildError(QStringLiteral("Non è possibile inserire in una banda non abilitata la funzione statistica : ") + f);
            return TfrVariant();
        }
        if (f != QLatin1String("COUNT"))
            target->AddAggregate(f, argument, st.CurView ? st.CurView->Name : QString(), st.AggregateGroupLevel);
        return TfrVariant::fromInt(1);
    }
    TfrBand *source = bandOnPage(frBand::dataBandFor(bandType));
    if (!source) {
        frSetBuildError(QStringLiteral("Non è possibile inserire in una banda non abilitata la funzione statistica : ") + f);
        return TfrVariant();
    }
    const bool perColumn = st.TableColumn >= 0 && bandType == frBand::CrossData;
    if (f == QLatin1String("COUNT"))
        return TfrVariant::fromInt(perColumn ? source->ColumnCounts.value(st.TableColumn) : source->Count);
    const int level = TfrBand::AggregateLevel(st.CurBand);
    double value = 0;
    const QString key = TfrBand::AggregateKey(f, argument, st.CurView ? st.CurView->Name : QString(), level);
    if (perColumn) source->FindColumnAggregate(key, st.TableColumn, value);
    else source->FindAggregate(key, value);
    return TfrVariant::fromFloat(value);
}

TfrVariant builtin(TfrReport *report, const QString &f, const QStringList &a)
{
    if (f == QLatin1String("COUNT")) {
        if (a.isEmpty()) return aggregate(f, QString());
        TDataSet *ds = nullptr;
        TField *field = nullptr;
        frFindField(report, a[0], ds, field);
        if (!ds) {
            frSetBuildError(QStringLiteral("Formato parametri non valido nella funzione : ") + f);
            return TfrVariant();
        }
        return TfrVariant::fromInt(ds->RecordCount());
    }
    if (f == QLatin1String("SUM") || f == QLatin1String("AVG") || f == QLatin1String("MIN") || f == QLatin1String("MAX"))
        return aggregate(f, a[0]);
    if (f == QLatin1String("STR")) return TfrVariant::fromString(floatToStr(num(a[0])));
    if (f == QLatin1String("FILLSTR")) {
        const qint64 count = toInt64(std::trunc(num(a[0])));
        const QString text = str(a[1]);
        if (count <= 0 || text.isEmpty()) return TfrVariant::fromString(QString());
        if (count > MaxText / text.size()) throw FunctionFailure{};
        return TfrVariant::fromString(text.repeated(count));
    }
    if (f == QLatin1String("CEIL") || f == QLatin1String("FLOOR")) {
        const double v = num(a[0]);
        const double t = std::trunc(v);
        qint64 r = toInt64(t);
        if (f == QLatin1String("CEIL") && v - t > 0) ++r;
        if (f == QLatin1String("FLOOR") && v - t < 0) --r;
        return TfrVariant::fromInt(r);
    }
    if (f == QLatin1String("IF")) {
        const TfrVariant c = eval(a[0]);
        bool one = false;
        if (!c.isEmptyOrNull()) {
            try {
                one = c.toFloat() == 1;
            } catch (const EConvertError &) {
                one = false;
            }
        }
        return eval(one ? a[1] : a[2]);
    }
    if (f == QLatin1String("INT")) return TfrVariant::fromFloat(std::trunc(num(a[0])));
    if (f == QLatin1String("FRAC")) {
        const double v = num(a[0]);
        return TfrVariant::fromFloat(v - std::trunc(v));
    }
    if (f == QLatin1String("ABS")) {
        const TfrVariant v = eval(a[0]);
        if (v.type() == TfrVariant::Integer && v.intValue() != std::numeric_limits<qint64>::min())
            return TfrVariant::fromInt(v.intValue() < 0 ? -v.intValue() : v.intValue());
        return TfrVariant::fromFloat(std::fabs(v.toFloat()));
    }
    if (f == QLatin1String("ARCTAN")) return TfrVariant::fromFloat(std::atan(num(a[0])));
    if (f == QLatin1String("COS")) return TfrVariant::fromFloat(finiteOrFail(std::cos(num(a[0]))));
    if (f == QLatin1String("SIN")) return TfrVariant::fromFloat(finiteOrFail(std::sin(num(a[0]))));
    if (f == QLatin1String("EXP")) return TfrVariant::fromFloat(finiteOrFail(std::exp(num(a[0]))));
    if (f == QLatin1String("LN")) {
        const double v = num(a[0]);
        if (!(v > 0)) throw FunctionFailure{};
        return TfrVariant::fromFloat(finiteOrFail(std::log(v)));
    }
    if (f == QLatin1String("SQR")) {
        const double v = num(a[0]);
        return TfrVariant::fromFloat(finiteOrFail(v * v));
    }
    if (f == QLatin1String("SQRT")) {
        const double v = num(a[0]);
        if (v < 0) throw FunctionFailure{};
        return TfrVariant::fromFloat(std::sqrt(v));
    }
    if (f == QLatin1String("POS")) {
        const QString sub = str(a[0]);
        return TfrVariant::fromInt(sub.isEmpty() ? 0 : str(a[1]).indexOf(sub) + 1);
    }
    if (f == QLatin1String("LENGTH")) return TfrVariant::fromInt(str(a[0]).size());
    if (f == QLatin1String("ROUND")) return TfrVariant::fromInt(toInt32(std::nearbyint(num(a[0]))));
    if (f == QLatin1String("TRUNC")) return TfrVariant::fromInt(toInt32(std::trunc(num(a[0]))));
    if (f == QLatin1String("POWER")) {
        const long double base = num(a[0]), exponent = num(a[1]);
        if (!(base > 0)) throw FunctionFailure{};
        return TfrVariant::fromFloat(finiteOrFail(std::exp(exponent * std::log(base))));
    }
    if (f == QLatin1String("UPPERCASE")) return TfrVariant::fromString(asciiUpper(str(a[0])));
    if (f == QLatin1String("LOWERCASE")) return TfrVariant::fromString(asciiLower(str(a[0])));
    if (f == QLatin1String("COPY")) {
        const QString text = str(a[0]);
        qint64 start = toInt64(std::nearbyint(num(a[1])));
        const qint64 count = toInt64(std::nearbyint(num(a[2])));
        if (start < 1) start = 1;
        if (count <= 0 || start > text.size()) return TfrVariant::fromString(QString());
        return TfrVariant::fromString(text.mid(start - 1, qMin<qint64>(count, text.size())));
    }
    if (f == QLatin1String("VAL")) {
        double out = 0;
        if (!tryStrToFloat(str(a[0]), out)) throw FunctionFailure{};
        return TfrVariant::fromFloat(out);
    }
    if (f == QLatin1String("STRTODATE")) return TfrVariant::fromDateTime(strToDate(str(a[0])));
    if (f == QLatin1String("STRTOTIME")) return TfrVariant::fromDateTime(strToTime(str(a[0])));
    if (f == QLatin1String("NAMECASE")) {
        QString s = asciiLower(str(a[0]));
        if (!s.isEmpty()) s[0] = asciiUpper(QString(s[0]))[0];
        return TfrVariant::fromString(s);
    }
    if (f == QLatin1String("PHRASECASE")) {
        QString s = asciiLower(str(a[0]));
        for (qsizetype i = 0; i < s.size(); ++i)
            if (i == 0 || !isAsciiLetter(s[i - 1])) s[i] = asciiUpper(QString(s[i]))[0];
        return TfrVariant::fromString(s);
    }
    if (f == QLatin1String("NUMBERTOLETTER")) return TfrVariant::fromString(frNumberToLetter(num(a[0])));
    if (f == QLatin1String("FORMATFLOAT")) {
        const QString pattern = str(a[0]);
        if (pattern.size() > 1024) throw FunctionFailure{};
        return TfrVariant::fromString(formatFloat(pattern, finiteOrFail(num(a[1]))));
    }
    if (f == QLatin1String("FORMATDATETIME")) {
        const QString pattern = str(a[0]);
        if (pattern.size() > 1024) throw FunctionFailure{};
        const double d = dateTimeOf(eval(a[1]));
        // Beyond year 9999 there is no calendar date to format.
        if (!std::isfinite(d) || d < -693593 || d > 2958466) throw FunctionFailure{};
        return TfrVariant::fromString(formatDateTime(pattern, d));
    }
    const QString euro = QString(QChar(0x20AC)) + QLatin1Char(' ');
    if (f == QLatin1String("MONEYTOEURO")) return TfrVariant::fromString(euro + groupedTwoDecimals(moneyToEuro(num(a[0]))));
    if (f == QLatin1String("EURO")) return TfrVariant::fromString(euro + groupedTwoDecimals(finiteOrFail(num(a[0]))));
    if (f == QLatin1String("MONEY")) return TfrVariant::fromString(currToStr(TfrVariant::fromCurrency(num(a[0])).toFloat()));
    if (f == QLatin1String("EUROTOMONEY"))
        return TfrVariant::fromString(currToStr(TfrVariant::fromCurrency(finiteOrFail(num(a[0]) * EuroRate)).toFloat()));
    if (f == QLatin1String("EUROTOMONEYVAL"))
        return TfrVariant::fromCurrency(finiteOrFail(num(a[0]) * EuroRate));
    if (f == QLatin1String("MONEYTOEUROVAL")) return TfrVariant::fromFloat(moneyToEuro(num(a[0])));
    return TfrVariant();
}

TfrVariant resolveFunction(TfrReport *report, const QString &name, const QStringList &args)
{
    const QString f = name.trimmed().toUpper();
    const int expected = expectedArguments(f);
    const bool isCount = f == QLatin1String("COUNT");
    if (expected >= 0 || isCount) {
        if (isCount ? args.size() > 1 : args.size() != expected) {
            frSetBuildError(QStringLiteral("E' stato inserito un numero di parametri errato per la funzione : ") + f);
            return TfrVariant();
        }
        try {
            return builtin(report, f, args);
        } catch (const EAbort &) {
            throw;
        } catch (...) {
            frSetBuildError(QStringLiteral("Tipi di parametri errati nella funzione: ") + f + QStringLiteral(" (")
                            + args.join(QLatin1Char(',')) + QLatin1Char(')'));
            return TfrVariant();
        }
    }
    TfrVariant p[3];
    for (int i = 0; i < 3 && i < args.size(); ++i) p[i] = eval(args[i]);
    TfrVariant val;
    for (TfrFunctionLibrary *library : frRegistry::functionLibraries())
        if (library->OnFunction(f, p[0], p[1], p[2], val) && !val.isEmpty()) return val;
    if (report && report->OnUserFunction) report->OnUserFunction(name.trimmed(), p[0], p[1], p[2], val);
    return val;
}
} // namespace

TDataSet *frCurrentBandDataSet()
{
    const TfrBuildState &st = TfrBuildState::instance();
    if (!st.CurBand) return nullptr;
    TfrBand *data = bandOnPage(frBand::dataBandFor(st.CurBand->Type));
    if (!data) return nullptr;
    auto *db = qobject_cast<TfrDBDataSet *>(data->DataSet);
    return db ? db->DataSet() : nullptr;
}

void frFindField(TfrReport *report, const QString &name, TDataSet *&dataSet, TField *&field)
{
    dataSet = nullptr;
    field = nullptr;
    QString fieldName;
    const int dot = name.indexOf(QLatin1Char('.'));
    if (dot >= 0 && !name.startsWith(QLatin1Char('"'))) {
        const QString first = name.left(dot);
        const QString rest = name.mid(dot + 1);
        const int dot2 = rest.indexOf(QLatin1Char('.'));
        if (dot2 >= 0 && !rest.startsWith(QLatin1Char('"'))) {
            QObject *form = frFindGlobalComponent(first);
            dataSet = qobject_cast<TDataSet *>(frFindComponent(form, rest.left(dot2)));
            fieldName = rest.mid(dot2 + 1);
        } else {
            QObject *owner = report ? report->parent() : nullptr;
            dataSet = qobject_cast<TDataSet *>(frFindComponent(owner, first));
            fieldName = rest;
            if (!dataSet) {
                dataSet = qobject_cast<TDataSet *>(frFindComponent(frFindGlobalComponent(first), rest));
                fieldName.clear();
            }
        }
    } else {
        dataSet = frCurrentBandDataSet();
        fieldName = name;
    }
    fieldName = stripQuotes(fieldName);
    if (dataSet && !fieldName.isEmpty()) field = dataSet->FindField(fieldName);
}

TfrVariant frResolve(TfrReport *fallback, const QString &name, const QStringList *args)
{
    if (frBuildErrorSet()) return TfrVariant();
    TfrReport *report = reportFor(fallback);
    TfrBuildState::instance().LastFieldNull = false;
    if (args) return resolveFunction(report, name, *args);
    return resolveName(report, name);
}

QString frExpandLine(const QString &line, TfrView *view, bool *multiLine)
{
    TfrBuildState &st = TfrBuildState::instance();
    QString out = line;
    qsizetype from = 0;
    while (true) {
        const qsizetype start = out.indexOf(QLatin1Char('['), from);
        if (start < 0) break;
        qsizetype end = out.size();
        int depth = 0;
        for (qsizetype j = start; j < out.size(); ++j) {
            if (out[j] == '[') ++depth;
            else if (out[j] == ']' && --depth == 0) {
                end = j;
                break;
            }
        }
        const QString inner = out.mid(start + 1, end - start - 1);
        TfrVariant value;
        try {
            st.LastFieldNull = false;
            value = TfrExpr::instance().Resolve(inner);
            if (value.isEmpty()) value = TfrExpr::instance().Evaluate(inner);
            else if (st.LastFieldNull) value = TfrVariant::null();
        } catch (const Exception &e) {
            frSetBuildError(QStringLiteral("Errore. ") + e.message());
            return out;
        }
        const qsizetype after = qMin(end + 1, out.size());
        if (st.Registering) {
            from = after;
            continue;
        }
        st.LastValue = value;
        const QString text = view ? frFormatValue(value, view->DisplayFormat, view->FormatText)
                                  : frFormatValue(value, 0, QString());
        // A value on several lines (CR LF, LF or CR) is split before wrapping.
        if (multiLine && (text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r')))) *multiLine = true;
        out.replace(start, after - start, text);
        from = start + text.size();
        if (out.size() > MaxText) break;
    }
    return out;
}
