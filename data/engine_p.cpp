#include "data/engine_p.h"
#include "data/faultvfs.h"
#include "data/enginerecordset.h"
#include "core/numformat.h"
#include "core/datetime.h"

#include <QAbstractEventDispatcher>
#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <sqlite3.h>
#include <cmath>
#include <vector>

namespace dao {

void raise(ErrorSink *sink, int number, const QString &source, const QString &description)
{
    ErrorInfo info;
    info.number = number;
    info.source = source;
    info.description = description;
    if (sink) sink->errors = {info};
    throw EDaoError(info);
}

void raiseSqlite(ErrorSink *sink, sqlite3 *db, int rc, int number, const QString &source,
                 const QString &description)
{
    QString text = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
    raise(sink, number, source, QStringLiteral("%1 (SQLite: %2)").arg(description, text));
}

int openSqlite(const QString &path, int flags, sqlite3 **db)
{
    faultvfs::install();
    return sqlite3_open_v2(QFile::encodeName(path).constData(), db, flags, nullptr);
}

int recoverInterruptedWrite(const QString &path, QString *why)
{
    if (!QFileInfo::exists(path + QStringLiteral("-journal"))) return SQLITE_OK;
    // SQLite's own locks keep a live writer's journal out of reach: a journal
    // still in use is left alone, only an abandoned one is rolled back.
    sqlite3 *db = nullptr;
    int rc = openSqlite(path, SQLITE_OPEN_READWRITE, &db);
    if (rc == SQLITE_OK) {
        sqlite3_busy_timeout(db, 5000);
        sqlite3_extended_result_codes(db, 1);
        rc = sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK) rc = sqlite3_extended_errcode(db);
    }
    if (rc != SQLITE_OK && why) *why = QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
    sqlite3_close_v2(db);
    return rc;
}

void raiseInterruptedWrite(ErrorSink *sink, const QString &source, const QString &path, const QString &why)
{
    raise(sink, errReadOnly, source,
          QStringLiteral("A write to '%1' was interrupted and cannot be completed here, where the archive or its "
                         "folder is read-only. The archive is not damaged: open it once with the program where it "
                         "can be written (SQLite: %2).").arg(path, why));
}

int numberForSqliteWrite(int rc)
{
    switch (rc & 0xff) {
    case SQLITE_FULL: return errDiskFull;
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return errLocked;
    case SQLITE_READONLY: return errReadOnly;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB: return errNotADatabase;
    default: return errEngine;
    }
}

void Connection::check(const QString &source) const
{
    if (!db) raise(errors.get(), errObjectInvalid, source, QStringLiteral("Object invalid or no longer set."));
}

int TableInfo::indexOf(const QString &column) const
{
    for (int i = 0; i < columns.size(); ++i)
        if (columns[i].name.compare(column, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

QString quoteName(const QString &name)
{
    QString q = name;
    q.replace('"', QStringLiteral("\"\""));
    return '"' + q + '"';
}

// Declared column types name the engine type; names other tools use map by
// SQLite's own affinity rules.
int typeFromDeclared(const QString &declared, int *size)
{
    *size = 0;
    QString t = declared.trimmed().toUpper();
    static const QRegularExpression sized(QStringLiteral("^([A-Z ]+?)\\s*\\(\\s*(\\d+)\\s*\\)$"));
    const auto m = sized.match(t);
    int n = -1;
    if (m.hasMatch()) {
        t = m.captured(1).trimmed();
        n = m.captured(2).toInt();
    }
    if (t == "INT" || t == "INTEGER" || t == "LONG" || t == "INT32" || t == "MEDIUMINT") return dbLong;
    if (t == "SMALLINT" || t == "SHORT" || t == "INT16") return dbInteger;
    if (t == "TINYINT" || t == "BYTE" || t == "INT8") return dbByte;
    if (t == "BIGINT" || t == "INT64") return dbBigInt;
    if (t == "BIT" || t == "BOOLEAN" || t == "BOOL" || t == "YESNO" || t == "LOGICAL") return dbBoolean;
    if (t == "DOUBLE" || t == "REAL" || t == "FLOAT8" || t == "DOUBLE PRECISION" || t == "NUMBER") return dbDouble;
    if (t == "SINGLE" || t == "FLOAT4" || t == "FLOAT") return dbSingle;
    if (t == "CURRENCY" || t == "MONEY") return dbCurrency;
    if (t == "DATETIME" || t == "DATE" || t == "TIMESTAMP" || t == "TIME") return dbDate;
    if (t == "MEMO" || t == "LONGTEXT" || t == "CLOB" || t == "NOTE") return dbMemo;
    if (t == "VARCHAR" || t == "CHAR" || t == "NVARCHAR" || t == "TEXT" || t == "STRING") {
        if (n < 0) {
            if (t == "TEXT") return dbMemo;
            n = 255;
        }
        *size = n;
        return dbText;
    }
    if (t == "BINARY" || t == "VARBINARY") {
        *size = n < 0 ? 510 : n;
        return dbBinary;
    }
    if (t.isEmpty() || t == "BLOB" || t == "LONGBINARY" || t == "IMAGE" || t == "OLEOBJECT") return dbLongBinary;
    if (t.contains("INT")) return dbLong;
    if (t.contains("CHAR") || t.contains("CLOB") || t.contains("TEXT")) return dbMemo;
    if (t.contains("BLOB")) return dbLongBinary;
    return dbDouble;
}

namespace {
int fixedSize(int type)
{
    switch (type) {
    case dbBoolean: case dbByte: return 1;
    case dbInteger: return 2;
    case dbLong: case dbSingle: return 4;
    case dbBigInt: case dbCurrency: case dbDouble: case dbDate: return 8;
    default: return 0;
    }
}

// A default of the schema ("'abc'", "0", "NULL", "CURRENT_TIMESTAMP") in the
// classic engine's text form, and as a value when it is a plain literal.
void parseDefault(const QString &sqlDefault, ColumnInfo &c)
{
    QString d = sqlDefault.trimmed();
    while (d.startsWith('(') && d.endsWith(')')) d = d.mid(1, d.size() - 2).trimmed();
    if (d.isEmpty() || d.compare("NULL", Qt::CaseInsensitive) == 0) return;
    if (d.size() >= 2 && d.startsWith('\'') && d.endsWith('\'')) {
        const QString text = d.mid(1, d.size() - 2).replace(QStringLiteral("''"), QStringLiteral("'"));
        if (c.type == dbDate) {
            double days;
            if (isoToDays(text, days)) {
                c.defaultParsed = days;
                c.defaultValue = '#' + formatDateTime(QStringLiteral("mm\"/\"dd\"/\"yyyy"), days) + '#';
                return;
            }
        }
        c.defaultParsed = text;
        c.defaultValue = '"' + QString(text).replace('"', QStringLiteral("\"\"")) + '"';
        return;
    }
    bool ok = false;
    const double v = d.toDouble(&ok);
    if (ok) {
        if (c.type == dbBoolean) c.defaultParsed = v != 0;
        else if (c.type == dbByte || c.type == dbInteger || c.type == dbLong) c.defaultParsed = int(v);
        else if (c.type == dbBigInt) c.defaultParsed = qlonglong(v);
        else c.defaultParsed = v;
    }
    c.defaultValue = d;
}
} // namespace

std::optional<TableInfo> readTableInfo(Connection &c, const QString &name)
{
    sqlite3_stmt *st = nullptr;
    TableInfo info;
    // The name as the schema spells it, and whether it is a view.
    if (sqlite3_prepare_v2(c.db, "SELECT name, type FROM sqlite_schema WHERE type IN ('table','view') "
                                 "AND name = ?1 COLLATE NOCASE", -1, &st, nullptr) != SQLITE_OK)
        raiseSqlite(c.errors.get(), c.db, SQLITE_ERROR, errEngine, "DAO.Database", "Cannot read the schema.");
    const QByteArray n = name.toUtf8();
    sqlite3_bind_text(st, 1, n.constData(), n.size(), SQLITE_TRANSIENT);
    const int rc = sqlite3_step(st);
    if (rc == SQLITE_ROW) {
        info.name = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)));
        info.isView = qstrcmp(reinterpret_cast<const char *>(sqlite3_column_text(st, 1)), "view") == 0;
    }
    sqlite3_finalize(st);
    if (rc == SQLITE_BUSY) raiseSqlite(c.errors.get(), c.db, rc, errLocked, "DAO.Database", "Cannot read the schema.");
    if (rc != SQLITE_ROW) return std::nullopt;

    sqlite3_prepare_v2(c.db, "SELECT name, type, \"notnull\", dflt_value, pk FROM pragma_table_info(?1)", -1,
                       &st, nullptr);
    const QByteArray tn = info.name.toUtf8();
    sqlite3_bind_text(st, 1, tn.constData(), tn.size(), SQLITE_TRANSIENT);
    while (sqlite3_step(st) == SQLITE_ROW) {
        ColumnInfo col;
        col.name = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)));
        const QString declared = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 1)));
        col.type = typeFromDeclared(declared, &col.size);
        if (col.size == 0) col.size = fixedSize(col.type);
        col.required = sqlite3_column_int(st, 2) != 0;
        if (sqlite3_column_type(st, 3) != SQLITE_NULL)
            parseDefault(QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 3))), col);
        if (!info.isView) {
            int autoinc = 0, pk = 0, notNull = 0;
            const QByteArray cn = col.name.toUtf8();
            if (sqlite3_table_column_metadata(c.db, nullptr, tn.constData(), cn.constData(), nullptr, nullptr,
                                              &notNull, &pk, &autoinc) == SQLITE_OK && autoinc)
                col.autoIncrement = true;
        }
        col.attributes = col.type == dbText || col.type == dbMemo || col.type == dbBinary
                                 || col.type == dbLongBinary ? dbVariableField : dbFixedField;
        if (col.autoIncrement) {
            col.type = dbLong;
            col.size = 4;
            col.attributes |= dbAutoIncrField;
            col.required = false;
            col.defaultValue.clear();
            col.defaultParsed = QVariant();
        } else if (!info.isView) {
            col.attributes |= dbUpdatableField;
        }
        info.columns.append(col);
    }
    sqlite3_finalize(st);

    // Field properties of the metadata table, when the archive has one.
    if (sqlite3_prepare_v2(c.db, "SELECT field_name, name, value FROM tonalba_properties "
                                 "WHERE table_name = ?1 COLLATE NOCASE", -1, &st, nullptr) == SQLITE_OK) {
        sqlite3_bind_text(st, 1, tn.constData(), tn.size(), SQLITE_TRANSIENT);
        while (sqlite3_step(st) == SQLITE_ROW) {
            const int i = info.indexOf(QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0))));
            if (i < 0) continue;
            info.columns[i].properties.insert(
                QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 1))).toLower(),
                QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 2))));
        }
    }
    sqlite3_finalize(st);
    return info;
}

// Day counts: whole days from 30 December 1899, the fraction the time of day;
// before that day the fraction still counts forward from midnight.
static const qint64 kEpochJulian = QDate(1899, 12, 30).toJulianDay();

QString daysToIso(double days)
{
    double whole = std::trunc(days);
    qint64 ms = qRound64(std::fabs(days - whole) * 86400000.0);
    if (ms >= 86400000) {
        ms -= 86400000;
        whole += days < 0 ? -1 : 1;
    }
    const QDate d = QDate::fromJulianDay(kEpochJulian + qint64(whole));
    const QTime t = QTime::fromMSecsSinceStartOfDay(int(ms));
    QString s = d.toString(QStringLiteral("yyyy-MM-dd")) + ' ' + t.toString(QStringLiteral("HH:mm:ss"));
    if (t.msec()) s += t.toString(QStringLiteral(".zzz"));
    return s;
}

// The form the engine itself writes, "yyyy-MM-dd" or "yyyy-MM-dd HH:mm:ss",
// read without the regular expression: every fetched date passes here, and
// the match costs more than the rest of a row's conversion.
static bool fixedIsoToDays(const QString &text, double &out)
{
    const qsizetype n = text.size();
    if (n != 10 && n != 19) return false;
    const QChar *c = text.constData();
    auto num = [c](int from, int count, int &v) {
        v = 0;
        for (int i = from; i < from + count; ++i) {
            const char16_t u = c[i].unicode();
            if (u < '0' || u > '9') return false;
            v = v * 10 + (u - '0');
        }
        return true;
    };
    int y, m, d, h = 0, mi = 0, s = 0;
    if (!num(0, 4, y) || c[4] != '-' || !num(5, 2, m) || c[7] != '-' || !num(8, 2, d)) return false;
    if (n == 19 && (c[10] != ' ' || !num(11, 2, h) || c[13] != ':' || !num(14, 2, mi) || c[16] != ':' || !num(17, 2, s)))
        return false;
    const QDate date(y, m, d);
    if (!date.isValid() || h > 23 || mi > 59 || s > 59) return false;
    const double whole = double(date.toJulianDay() - kEpochJulian);
    const double f = ((h * 60 + mi) * 60 + s) * 1000 / 86400000.0;
    out = whole < 0 ? whole - f : whole + f;
    return true;
}

bool isoToDays(const QString &text, double &out)
{
    if (fixedIsoToDays(text, out)) return true;
    static const QRegularExpression re(
        QStringLiteral("^\\s*(-?\\d{1,4})-(\\d{1,2})-(\\d{1,2})(?:[ T](\\d{1,2}):(\\d{2})(?::(\\d{2})(?:\\.(\\d{1,3}))?)?)?\\s*$"));
    const auto m = re.match(text);
    if (!m.hasMatch()) return false;
    const QDate d(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    if (!d.isValid()) return false;
    int ms = 0;
    if (m.capturedLength(4)) {
        const int h = m.captured(4).toInt(), n = m.captured(5).toInt(), s = m.captured(6).toInt();
        if (h > 23 || n > 59 || s > 59) return false;
        QString frac = m.captured(7);
        while (frac.size() < 3 && !frac.isEmpty()) frac += '0';
        ms = ((h * 60 + n) * 60 + s) * 1000 + frac.toInt();
    }
    const double whole = double(d.toJulianDay() - kEpochJulian);
    const double f = ms / 86400000.0;
    out = whole < 0 ? whole - f : whole + f;
    return true;
}

static bool textToBool(QString t, bool &out)
{
    t = t.trimmed().toLower();
    if (t.startsWith('=')) t = t.mid(1).trimmed();
    if (t == "true" || t == "yes" || t == "on" || t == "-1" || t == "1") { out = true; return true; }
    if (t == "false" || t == "no" || t == "off" || t == "0") { out = false; return true; }
    return false;
}

QVariant readColumn(sqlite3_stmt *stmt, int column, int type)
{
    const int st = sqlite3_column_type(stmt, column);
    if (st == SQLITE_NULL) return QVariant();
    auto text = [&] {
        return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, column)),
                                 sqlite3_column_bytes(stmt, column));
    };
    switch (type) {
    case dbBoolean:
        if (st == SQLITE_TEXT) {
            bool b = false;
            return textToBool(text(), b) ? QVariant(b) : QVariant();
        }
        return sqlite3_column_double(stmt, column) != 0;
    case dbByte: case dbInteger: case dbLong:
        return int(sqlite3_column_int64(stmt, column));
    case dbBigInt:
        return qlonglong(sqlite3_column_int64(stmt, column));
    case dbCurrency: case dbSingle: case dbDouble: case dbNumeric: case dbDecimal: case dbFloat:
        return sqlite3_column_double(stmt, column);
    case dbDate: case dbTime: case dbTimeStamp: {
        if (st == SQLITE_INTEGER || st == SQLITE_FLOAT) return sqlite3_column_double(stmt, column);
        double days;
        return isoToDays(text(), days) ? QVariant(days) : QVariant();
    }
    case dbBinary: case dbLongBinary: case dbVarBinary: case dbGUID:
        return QByteArray(reinterpret_cast<const char *>(sqlite3_column_blob(stmt, column)),
                          sqlite3_column_bytes(stmt, column));
    default:
        return text();
    }
}

static QString conversionText(const ColumnInfo &c, const QVariant &v)
{
    return QStringLiteral("Data type conversion error: '%1' cannot be stored in the field '%2'.")
        .arg(v.toString(), c.name);
}

QVariant storageValue(ErrorSink *sink, const ColumnInfo &c, const QVariant &value)
{
    if (!value.isValid() || value.isNull()) return QVariant();
    const int mt = value.metaType().id();
    const bool isText = mt == QMetaType::QString;
    const QString src = QStringLiteral("DAO.Field");
    auto number = [&](double &out) {
        if (isText) {
            const QString t = value.toString().trimmed();
            if (t.isEmpty()) return false;
            bool b;
            if (c.type == dbBoolean && textToBool(t, b)) { out = b; return true; }
            if (tryStrToFloat(t, out)) return true;
            bool ok = false;
            out = t.toDouble(&ok);   // text from code in the C form ("72.5") is accepted too
            return ok && !t.contains(',');
        }
        if (mt == QMetaType::QDateTime) { out = fromQDateTime(value.toDateTime()); return true; }
        if (mt == QMetaType::QDate) { out = fromQDate(value.toDate()); return true; }
        bool ok = false;
        out = value.toDouble(&ok);
        return ok;
    };
    switch (c.type) {
    case dbBoolean: {
        double d;
        if (!number(d)) raise(sink, errConversion, src, conversionText(c, value));
        return qlonglong(d != 0 ? 1 : 0);
    }
    case dbByte: case dbInteger: case dbLong: case dbBigInt: {
        double d;
        if (!number(d) || !std::isfinite(d)) raise(sink, errConversion, src, conversionText(c, value));
        const double r = std::round(d);
        const double lo = c.type == dbByte ? 0 : c.type == dbInteger ? -32768 : c.type == dbLong ? -2147483648.0 : -9.2e18;
        const double hi = c.type == dbByte ? 255 : c.type == dbInteger ? 32767 : c.type == dbLong ? 2147483647.0 : 9.2e18;
        if (r < lo || r > hi)
            raise(sink, errNumericOverflow, src, QStringLiteral("Numeric field overflow: '%1' does not fit the field '%2'.")
                                                     .arg(value.toString(), c.name));
        return qlonglong(r);
    }
    case dbCurrency: case dbSingle: case dbDouble: case dbNumeric: case dbDecimal: case dbFloat: {
        double d;
        if (!number(d)) raise(sink, errConversion, src, conversionText(c, value));
        return d;
    }
    case dbDate: case dbTime: case dbTimeStamp: {
        double days = 0;
        if (isText) {
            const QString t = value.toString();
            if (t.trimmed().isEmpty()) return QVariant();
            if (!isoToDays(t, days) && !tryStrToDateTime(t, days))
                raise(sink, errConversion, src, conversionText(c, value));
        } else if (!number(days) || !std::isfinite(days) || std::fabs(days) > 2958465.0) {
            raise(sink, errConversion, src, conversionText(c, value));
        }
        return daysToIso(days);
    }
    case dbBinary: case dbLongBinary: case dbVarBinary: case dbGUID: {
        QByteArray bytes;
        if (isText) {
            const QString t = value.toString();
            bytes.resize(t.size());
            for (int i = 0; i < t.size(); ++i) bytes[i] = char(t[i].unicode() & 0xff);
        } else {
            bytes = value.toByteArray();
        }
        if (c.type == dbBinary && c.size > 0 && bytes.size() > c.size)
            raise(sink, errFieldTooSmall, src, QStringLiteral("The field '%1' is too small to accept the amount of data you attempted to add.").arg(c.name));
        return bytes;
    }
    default: {
        QString t;
        if (mt == QMetaType::Double) t = floatToStr(value.toDouble());
        else if (mt == QMetaType::Bool) t = value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
        else t = value.toString();
        if (c.type == dbText && c.size > 0 && t.size() > c.size)
            raise(sink, errFieldTooSmall, src, QStringLiteral("The field '%1' is too small to accept the amount of data you attempted to add.").arg(c.name));
        return t;
    }
    }
}

void bindValue(sqlite3_stmt *stmt, int index, const QVariant &value)
{
    if (!value.isValid() || value.isNull()) {
        sqlite3_bind_null(stmt, index);
        return;
    }
    switch (value.metaType().id()) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        sqlite3_bind_int64(stmt, index, value.toLongLong());
        break;
    case QMetaType::Double:
    case QMetaType::Float:
        sqlite3_bind_double(stmt, index, value.toDouble());
        break;
    case QMetaType::QByteArray: {
        const QByteArray b = value.toByteArray();
        sqlite3_bind_blob(stmt, index, b.constData(), int(b.size()), SQLITE_TRANSIENT);
        break;
    }
    default: {
        const QByteArray t = value.toString().toUtf8();
        sqlite3_bind_text(stmt, index, t.constData(), int(t.size()), SQLITE_TRANSIENT);
    }
    }
}

// Collation keys: base letters without case (primary), then the accents
// (secondary), so "citta" < "città" < "cittb" and "Rossi" equals "rossi".
static void collationKeys(const QString &s, QString &primary, QString &secondary)
{
    const QString d = s.normalized(QString::NormalizationForm_D);
    primary.reserve(d.size());
    for (const QChar ch : d) {
        if (ch.category() == QChar::Mark_NonSpacing || ch.category() == QChar::Mark_SpacingCombining
            || ch.category() == QChar::Mark_Enclosing) {
            secondary += ch;
        } else {
            primary += QString(ch).toCaseFolded();
            secondary += QChar(0x1);   // marks a base letter, so accents compare position by position
        }
    }
}

int compareText(const QString &a, const QString &b)
{
    QString pa, sa, pb, sb;
    collationKeys(a, pa, sa);
    collationKeys(b, pb, sb);
    const int c = pa.compare(pb);
    if (c) return c < 0 ? -1 : 1;
    const int s = sa.compare(sb);
    return s < 0 ? -1 : s > 0 ? 1 : 0;
}

// The classic LIKE: * any run, ? one character, # one digit, [abc] [a-z] [!x]
// classes; without regard to case.
static bool likeAt(const QString &p, int pi, const QString &v, int vi)
{
    while (pi < p.size()) {
        const QChar c = p[pi];
        if (c == '*') {
            while (pi < p.size() && p[pi] == '*') ++pi;
            if (pi == p.size()) return true;
            for (int k = vi; k <= v.size(); ++k)
                if (likeAt(p, pi, v, k)) return true;
            return false;
        }
        if (vi >= v.size()) return false;
        const QChar ch = v[vi];
        if (c == '?') {
            ++pi;
        } else if (c == '#') {
            if (!ch.isDigit()) return false;
            ++pi;
        } else if (c == '[') {
            const int close = p.indexOf(']', pi + 1);
            if (close < 0) return false;
            QString set = p.mid(pi + 1, close - pi - 1);
            bool negate = set.startsWith('!') && set.size() > 1;
            if (negate) set = set.mid(1);
            bool in = false;
            for (int k = 0; k < set.size(); ++k) {
                if (k + 2 < set.size() && set[k + 1] == '-') {
                    if (ch >= set[k] && ch <= set[k + 2]) in = true;
                    k += 2;
                } else if (set[k] == ch) {
                    in = true;
                }
            }
            if (in == negate) return false;
            pi = close + 1;
        } else {
            if (c != ch) return false;
            ++pi;
        }
        ++vi;
    }
    return vi == v.size();
}

bool likeMatch(const QString &pattern, const QString &value)
{
    return likeAt(pattern.toCaseFolded(), 0, value.toCaseFolded(), 0);
}

namespace {
QString argText(sqlite3_value *v)
{
    return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_value_text(v)), sqlite3_value_bytes(v));
}

void fnLike(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    sqlite3_result_int(ctx, likeMatch(argText(argv[0]), argText(argv[1])));
}

void fnLcase(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const QByteArray t = argText(argv[0]).toLower().toUtf8();
    sqlite3_result_text(ctx, t.constData(), int(t.size()), SQLITE_TRANSIENT);
}

void fnDays(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    switch (sqlite3_value_type(argv[0])) {
    case SQLITE_INTEGER:
    case SQLITE_FLOAT:
        sqlite3_result_double(ctx, sqlite3_value_double(argv[0]));
        return;
    case SQLITE_TEXT: {
        double d;
        if (isoToDays(argText(argv[0]), d)) {
            sqlite3_result_double(ctx, d);
            return;
        }
        break;
    }
    default:
        break;
    }
    sqlite3_result_null(ctx);
}

int collate(void *, int la, const void *a, int lb, const void *b)
{
    return compareText(QString::fromUtf8(static_cast<const char *>(a), la),
                       QString::fromUtf8(static_cast<const char *>(b), lb));
}
} // namespace

void registerFunctions(sqlite3 *db)
{
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    sqlite3_create_function_v2(db, "tlike", 2, flags, nullptr, fnLike, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db, "tlcase", 1, flags, nullptr, fnLcase, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db, "tdays", 1, flags, nullptr, fnDays, nullptr, nullptr, nullptr);
    sqlite3_create_collation_v2(db, "TONALBA", SQLITE_UTF8, nullptr, collate, nullptr);
}

namespace {
std::vector<Connection *> &openReads()
{
    static std::vector<Connection *> list;
    return list;
}
} // namespace

void noteBatchFetch(Connection &c)
{
    if (c.readDepth == 0 || c.readOpen || ++c.batchFetches < 2 || !c.db || !sqlite3_get_autocommit(c.db)) return;
    // Whoever makes the program wait for the user (a handler's message box, a
    // nested event loop) ends the reads first: other programs wait only for work.
    static bool hooked = false;
    if (!hooked) {
        if (QAbstractEventDispatcher *d = QAbstractEventDispatcher::instance()) {
            QObject::connect(d, &QAbstractEventDispatcher::aboutToBlock, d, [] { finishAllReads(); });
            hooked = true;
        }
    }
    if (sqlite3_exec(c.db, "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK) return;
    c.readOpen = true;
    openReads().push_back(&c);
}

void finishRead(Connection &c)
{
    if (!c.readOpen) return;
    if (c.db && !sqlite3_get_autocommit(c.db) && sqlite3_exec(c.db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
        sqlite3_exec(c.db, "ROLLBACK", nullptr, nullptr, nullptr);
    // Still inside it (both failed): it stays known, and writes refuse to join it.
    if (c.db && !sqlite3_get_autocommit(c.db)) return;
    c.readOpen = false;
    std::erase(openReads(), &c);
}

void endReadsBeforeWrite(Connection &c, const QString &source)
{
    finishAllReads();
    if (c.readOpen)
        raise(c.errors.get(), errLocked, source,
              QStringLiteral("The change was not made: a read of the archive could not be ended."));
}

void finishAllReads()
{
    const std::vector<Connection *> open = openReads();
    for (Connection *c : open) finishRead(*c);
}

void exec(Connection &c, const QString &sql, const QString &source)
{
    endReadsBeforeWrite(c, source);
    char *msg = nullptr;
    const int rc = sqlite3_exec(c.db, sql.toUtf8().constData(), nullptr, nullptr, &msg);
    sqlite3_free(msg);
    if (rc == SQLITE_OK) return;
    const int number = numberForSqliteWrite(rc);
    raiseSqlite(c.errors.get(), c.db, rc, number, source,
                number == errDiskFull ? QStringLiteral("Not enough space on disk.") : QStringLiteral("The operation failed."));
}

} // namespace dao
