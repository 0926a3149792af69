#include "data/daotable.h"
#include "data/daodatabase.h"
#include "data/daotable_criteria.h"
#include "data/daotable_cursor_p.h"
#include "core/datetime.h"
#include "data/fieldtypes.h"
#include "core/numformat.h"

#include <QBuffer>
#include <QDate>
#include <QDateTime>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <functional>

namespace {

// 30 December 1899, the day count's day 0, as a day number from 1 January of year 1.
constexpr qint64 kDateDelta = 693594;
constexpr double kMsPerDay = 86400000.0;

bool isDateType(TFieldType t) { return t == ftDate || t == ftTime || t == ftDateTime; }
bool isIntegerType(TFieldType t)
{
    return t == ftSmallint || t == ftInteger || t == ftWord || t == ftAutoInc || t == ftLargeint;
}
bool isFloatType(TFieldType t) { return t == ftFloat || t == ftCurrency || t == ftBCD; }
bool isBinaryType(TFieldType t) { return t == ftBlob || t == ftBytes || t == ftVarBytes || t == ftGraphic; }

QString latin1Text(const QByteArray &bytes)
{
    QString s(bytes.size(), Qt::Uninitialized);
    for (int i = 0; i < bytes.size(); ++i) s[i] = QChar(uchar(bytes[i]));
    return s;
}

QByteArray latin1Bytes(const QString &text)
{
    QByteArray b(text.size(), Qt::Uninitialized);
    for (int i = 0; i < text.size(); ++i) b[i] = char(text[i].unicode() & 0xff);
    return b;
}

// "day-number milliseconds": the time of a negative day count is its absolute fraction.
QString dayNumberText(double value, TFieldType type)
{
    double whole = std::trunc(value);
    qint64 ms = std::llround(std::fabs(value - whole) * kMsPerDay);
    if (ms >= qint64(kMsPerDay)) {
        ms -= qint64(kMsPerDay);
        whole += value < 0 ? -1 : 1;
    }
    const qint64 day = qint64(whole) + kDateDelta;
    if (type == ftDate) return QString::number(day) + QStringLiteral(" 0");
    if (type == ftTime) return QString::number(kDateDelta) + QLatin1Char(' ') + QString::number(ms);
    return QString::number(day) + QLatin1Char(' ') + QString::number(ms);
}

bool dayNumberValue(const QString &text, double &out)
{
    // Read at every date shown or compared: no list of parts allocated.
    QStringView parts[2];
    int count = 0;
    for (const QStringView part : QStringView(text).tokenize(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (count == 2) return false;
        parts[count++] = part;
    }
    if (count != 2) return false;
    bool okDay = false, okMs = false;
    const qint64 day = parts[0].toLongLong(&okDay);
    const qint64 ms = parts[1].toLongLong(&okMs);
    if (!okDay || !okMs || ms < 0 || ms >= qint64(kMsPerDay)) return false;
    const double days = double(day - kDateDelta);
    out = days < 0 ? days - ms / kMsPerDay : days + ms / kMsPerDay;
    return true;
}

bool boolFromText(QString t, bool &out)
{
    t = t.trimmed();
    if (t.startsWith(QLatin1Char('='))) t = t.mid(1).trimmed();
    const QString l = t.toLower();
    if (l == "true" || l == "yes" || l == "on" || l == "1" || l == "-1") {
        out = true;
        return true;
    }
    if (l == "false" || l == "no" || l == "off" || l == "0") {
        out = false;
        return true;
    }
    return false;
}

TFieldType fieldTypeOf(const dao::Field *f)
{
    switch (f->Type()) {
    case dao::dbBoolean: return ftBoolean;
    case dao::dbByte:
    case dao::dbInteger: return ftSmallint;
    case dao::dbLong: return (f->Attributes() & dao::dbAutoIncrField) ? ftAutoInc : ftInteger;
    case dao::dbBigInt: return ftInteger;
    case dao::dbCurrency: return ftCurrency;
    case dao::dbSingle:
    case dao::dbDouble:
    case dao::dbNumeric:
    case dao::dbDecimal:
    case dao::dbFloat: return ftFloat;
    case dao::dbDate: {
        const QVariant format = f->Property(QStringLiteral("Format"));
        if (!format.isValid()) return ftDateTime;
        const QString fmt = format.toString();
        if (fmt.compare(QLatin1String("General Date"), Qt::CaseInsensitive) == 0) return ftDateTime;
        for (const char *t : {"Long Time", "Medium Time", "Short Time"})
            if (fmt.compare(QLatin1String(t), Qt::CaseInsensitive) == 0) return ftTime;
        return ftDate;
    }
    case dao::dbTime: return ftTime;
    case dao::dbTimeStamp: return ftDateTime;
    case dao::dbBinary:
    case dao::dbGUID: return ftBytes;
    case dao::dbText:
    case dao::dbChar: return ftString;
    case dao::dbLongBinary:
    case dao::dbVarBinary: return ftBlob;
    case dao::dbMemo: return ftMemo;
    default: return ftUnknown;
    }
}

QString typeName(TFieldType t)
{
    switch (t) {
    case ftString: return QStringLiteral("ftString");
    case ftSmallint: return QStringLiteral("ftSmallInt");
    case ftInteger: return QStringLiteral("ftInteger");
    case ftWord: return QStringLiteral("ftWord");
    case ftBoolean: return QStringLiteral("ftBoolean");
    case ftFloat: return QStringLiteral("ftFloat");
    case ftCurrency: return QStringLiteral("ftCurrency");
    case ftBCD: return QStringLiteral("ftBCD");
    case ftDate: return QStringLiteral("ftDate");
    case ftTime: return QStringLiteral("ftTime");
    case ftDateTime: return QStringLiteral("ftDateTime");
    case ftAutoInc: return QStringLiteral("ftAutoInc");
    case ftBlob: return QStringLiteral("ftBlob");
    case ftMemo: return QStringLiteral("ftMemo");
    default: return QStringLiteral("ftUnknown");
    }
}

bool sizedEngineType(int t)
{
    return t == dao::dbBinary || t == dao::dbText || t == dao::dbLongBinary || t == dao::dbMemo || t == dao::dbGUID
           || t == dao::dbVarBinary || t == dao::dbChar;
}

QString stripPair(const QString &text, QChar open, QChar close)
{
    if (text.size() >= 2 && text.startsWith(open) && text.endsWith(close)) return text.mid(1, text.size() - 2);
    return text;
}

// One sort key of SortedBy: a column name and an optional direction word.
struct SortKey
{
    QString name;
    bool descending = false;
};

SortKey parseSortKey(const QString &line)
{
    SortKey k;
    QString s = line.trimmed();
    const int blank = int(s.lastIndexOf(QLatin1Char(' ')));
    if (blank > 0) {
        const QString word = s.mid(blank + 1);
        if (word.compare(QLatin1String("DESC"), Qt::CaseInsensitive) == 0) {
            k.descending = true;
            s = s.left(blank).trimmed();
        } else if (word.compare(QLatin1String("ASC"), Qt::CaseInsensitive) == 0) {
            s = s.left(blank).trimmed();
        }
    }
    k.name = stripPair(s, QLatin1Char('['), QLatin1Char(']'));
    return k;
}

// Nulls first, then numbers by value, texts without regard to case.
int compareValues(const QVariant &a, const QVariant &b)
{
    const bool na = !a.isValid() || a.isNull(), nb = !b.isValid() || b.isNull();
    if (na || nb) return int(!na) - int(!nb);
    const int ta = a.metaType().id(), tb = b.metaType().id();
    if (ta != QMetaType::QString && tb != QMetaType::QString) {
        const double x = a.toDouble(), y = b.toDouble();
        return x < y ? -1 : (y < x ? 1 : 0);
    }
    const int c = QString::compare(a.toString(), b.toString(), Qt::CaseInsensitive);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

[[noreturn]] void rethrowAfter(const std::function<void()> &cleanup)
{
    try {
        cleanup();
    } catch (const Exception &) {
    }
    throw;
}

} // namespace

// One record: the position it had when fetched, the value texts of the
// recordset's fields with their modified flags, and the record identifier.
// A memo or binary entry that was not loaded holds the value's size.
struct TDaoTable::Buffer : TRecordBuffer
{
    qint32 position = -1;
    QStringList values;
    QList<bool> modified;
    QList<bool> loaded;
    qint32 identifier = 0;

    void resize(int n)
    {
        values = QStringList(n);
        modified = QList<bool>(n, false);
        loaded = QList<bool>(n, true);
    }
};

// The memo and blob stream: holds the value's bytes while open (memos as
// UTF-8, binary values one byte per character) and stores them in the record
// buffer when released after a write.
class TDaoBlobStream : public QBuffer
{
public:
    TDaoBlobStream(TField *field, const QByteArray &initial, QIODevice::OpenMode mode)
        : m_field(field), m_data(initial)
    {
        setBuffer(&m_data);
        open(mode);
    }
    ~TDaoBlobStream() override
    {
        if (!m_written || !m_field || !m_field->DataSet()) return;
        const QString text = m_field->DataType() == ftMemo || m_field->DataType() == ftFmtMemo
                                 ? QString::fromUtf8(m_data)
                                 : latin1Text(m_data);
        try {
            m_field->SetData(text.isEmpty() ? QVariant() : QVariant(text));
        } catch (const Exception &e) {
            qWarning("TDaoTable blob stream: the written value of '%s' was not stored: %s",
                     qPrintable(m_field->FieldName), e.what());
        }
    }

protected:
    qint64 writeData(const char *data, qint64 len) override
    {
        m_written = true;
        // Writing replaces the value from the position on.
        m_data.truncate(int(pos()));
        return QBuffer::writeData(data, len);
    }

private:
    QPointer<TField> m_field;
    QByteArray m_data;
    bool m_written = false;
};

// ---- creation and settings -------------------------------------------------

TDaoTable::TDaoTable(QObject *owner) : TDataSet(owner) {}

TDaoTable::~TDaoTable()
{
    try {
        Close();
    } catch (const Exception &) {
    }
    if (m_database) m_database->UnregisterClient(this);
}

void TDaoTable::refuseWhileActive(const char *message) const
{
    if (Active() || m_cursorOpen) DatabaseError(QString::fromLatin1(message));
}

void TDaoTable::SetDatabase(TDaoDatabase *database)
{
    if (database == m_database) return;
    refuseWhileActive("TDaoTable.F_Set_Database: Cannot set Database while Table is Active!");
    m_database = database;
}

void TDaoTable::SetTableName(const QString &name)
{
    refuseWhileActive("TDaoTable.F_Set_TableName: Cannot set TableName while Table is active!");
    m_tableName = name;
    if (name.isEmpty()) return;
    m_indexName.clear();
    m_sql.clear();
    m_queryDefName.clear();
    QueryDefSQLText.clear();
    QueryDefParameters.clear();
    m_sortedBy.clear();
    m_labels.clear();
    FieldDefs().Clear();
}

void TDaoTable::SetSQL(const QStringList &lines)
{
    refuseWhileActive("TDaoTable.F_Set_SQL: Cannot set SQL while Table is active!");
    m_sql = lines;
    if (lines.join(QString()).trimmed().isEmpty()) return;
    m_tableName.clear();
    m_indexName.clear();
    m_queryDefName.clear();
    QueryDefSQLText.clear();
    QueryDefParameters.clear();
    m_labels.clear();
    FieldDefs().Clear();
}

void TDaoTable::SetQueryDefName(const QString &name)
{
    refuseWhileActive("TDaoTable.F_Set_QueryDefName: Cannot set QueryDefName while Table is Active!");
    m_queryDefName = name;
}

void TDaoTable::SetQueryDefParametersText(const QString &text)
{
    QueryDefParameters = text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

void TDaoTable::SetTableType(int type)
{
    refuseWhileActive("TDaoTable.F_Set_TableType: Cannot set TableType while Table is active!");
    m_tableType = type;
    if (type == dao::dbOpenTable) {
        m_sortedBy.clear();
    } else {
        m_indexName.clear();
        if (type == dao::dbOpenForwardOnly) m_sortedBy.clear();
    }
}

void TDaoTable::SetLockType(int type)
{
    refuseWhileActive("TDaoTable.F_Set_LockType: Cannot set LockType while Table is active!");
    m_lockType = type;
}

void TDaoTable::SetOpenOptions(TDaoOpenOptions options)
{
    if (options == m_openOptions) return;
    m_openOptions = options;
    if (Active()) reopen(false);
}

void TDaoTable::SetIndexName(const QString &name)
{
    if (!name.isEmpty() && m_tableType != dao::dbOpenTable)
        DatabaseError(QStringLiteral("TDaoTable.F_Set_IndexName: Indexes can be set only on Standard Tables!"));
    if (name == m_indexName) return;
    m_indexName = name;
    if (Active()) reopen(false);
}

void TDaoTable::SetReadOnly(bool value)
{
    // A read-only connection keeps its tables read-only.
    if (!value && m_database && m_database->Connected() && m_database->ReadOnly()) return;
    m_readOnly = value;
}

bool TDaoTable::LockEdits() const
{
    return m_lockType == dao::dbPessimistic;
}

void TDaoTable::SetSortedBy(const QStringList &keys)
{
    m_sortedBy.clear();
    for (const QString &k : keys)
        if (!k.trimmed().isEmpty()) m_sortedBy << k;
    m_indexName.clear();
    if (Active()) reopen(false);
}

void TDaoTable::SetSortedByText(const QString &text)
{
    SetSortedBy(text.split(QLatin1Char('\n')));
}

void TDaoTable::ApplySort()
{
    if (Active()) reopen(false);
}

void TDaoTable::SetFiltered(bool value)
{
    if (value == Filtered()) return;
    if (!Active()) {
        TDataSet::SetFiltered(value);
        return;
    }
    const bool old = Filtered();
    TDataSet::SetFiltered(value);
    try {
        reopen(true);
    } catch (...) {
        TDataSet::SetFiltered(old);
        throw;
    }
}

void TDaoTable::SetFilter(const QString &text)
{
    TDataSet::SetFilter(text);
    if (Active() && Filtered()) reopen(true);
}

void TDaoTable::SetOnFilterRecord(const TFilterRecordEvent &handler)
{
    OnFilterRecord = handler;
    if (Active() && Filtered()) reopen(false);
}

dao::Recordset *TDaoTable::Recordset() const
{
    return rs();
}

dao::Recordset *TDaoTable::rs() const
{
    return m_cursor ? m_cursor->recordset() : nullptr;
}

bool TDaoTable::empty() const
{
    return !m_cursor || (m_cursor->Bof() && m_cursor->Eof());
}

void TDaoTable::BeginReadBatch()
{
    if (m_batchDepth++ == 0) m_readBatch.emplace(rs());
}

void TDaoTable::EndReadBatch()
{
    if (--m_batchDepth == 0) m_readBatch.reset();
}

void TDaoTable::idle() const
{
    if (m_database && m_database->Engine()) {
        m_database->Engine()->Idle(1);
        m_database->Engine()->Idle(8);
    }
}

bool TDaoTable::CanModify() const
{
    if (m_readOnly) return false;
    if (dao::Recordset *r = rs()) return r->Updatable();
    return true;
}

// ---- open and close ------------------------------------------------------------

std::unique_ptr<dao::Recordset> TDaoTable::openEngineRecordset(const QString &source, int type, int options,
                                                               int lockType)
{
    return m_database->DaoDatabase()->OpenRecordset(source, type, options, lockType);
}

QString TDaoTable::sourceText() const
{
    if (m_sql.join(QString()).trimmed().isEmpty()) return m_tableName;
    QString text = m_sql.join(QLatin1Char(' '));
    if (!ParamCheck) return text;
    // Longer names first, so ":Data" does not eat the start of ":DataFine".
    QList<TDaoParam> params = Params;
    std::sort(params.begin(), params.end(),
              [](const TDaoParam &a, const TDaoParam &b) { return a.name.size() > b.name.size(); });
    for (const TDaoParam &p : params) {
        QString literal;
        const QVariant &v = p.value;
        if (!v.isValid() || v.isNull()) {
            literal = QStringLiteral(" IS NULL");
        } else {
            switch (p.dataType) {
            case ftString:
            case ftMemo:
            case ftFixedChar:
            case ftWideString:
                literal = QLatin1Char('"') + v.toString().replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
                break;
            case ftFloat:
            case ftCurrency:
            case ftBCD: literal = QString::number(v.toDouble(), 'g', 15); break;
            case ftDate: literal = QLatin1Char('#') + formatDateTime(QStringLiteral("mm\"/\"dd\"/\"yyyy"), v.toDouble()) + QLatin1Char('#'); break;
            case ftTime: literal = QLatin1Char('#') + formatDateTime(QStringLiteral("hh\":\"nn\":\"ss"), v.toDouble()) + QLatin1Char('#'); break;
            case ftDateTime:
                literal = QLatin1Char('#') + formatDateTime(QStringLiteral("mm\"/\"dd\"/\"yyyy hh\":\"nn\":\"ss"), v.toDouble()) + QLatin1Char('#');
                break;
            default: literal = v.toString(); break;
            }
        }
        text.replace(QRegularExpression(QLatin1Char(':') + QRegularExpression::escape(p.name) + QStringLiteral("\\b"),
                                        QRegularExpression::CaseInsensitiveOption),
                     literal);
    }
    return text;
}

void TDaoTable::openRecordset()
{
    if (!m_database) DatabaseError(QStringLiteral("TDaoTable.OpenDaoRecordset: Missing Database Property"));
    const bool noSql = m_sql.join(QString()).trimmed().isEmpty();
    if (m_tableName.isEmpty() && noSql && m_queryDefName.isEmpty())
        DatabaseError(QStringLiteral("TDaoTable.OpenDaoRecordset: Missing TableName or QueryDefName, or SQL is empty!"));
    if (!m_database->Connected()) {
        if (DatabaseAutoActivate) m_database->Open();
        else DatabaseError(QStringLiteral("TDaoTable.OpenDaoRecordset: Database is NOT connected"));
    }
    if (m_tableType == dao::dbOpenDynamic
        && m_database->DatabaseType().compare(QLatin1String("ODBC"), Qt::CaseInsensitive) != 0)
        DatabaseError(QStringLiteral("TDaoTable.OpenDaoRecordset: DynamicTables are for ODBC connections only!"));
    if (m_database->ReadOnly() || !m_database->DaoDatabase()->Updatable() || m_tableType == dao::dbOpenSnapshot
        || m_tableType == dao::dbOpenForwardOnly)
        m_readOnly = true;

    QString source;
    if (!m_queryDefName.isEmpty() && m_tableName.isEmpty() && noSql) {
        // Stored queries of an archive are views: they take no parameters.
        if (!QueryDefParameters.isEmpty())
            DatabaseError(QStringLiteral("TDaoTable.OpenDaoRecordset: Invalid number of QueryDef parameters or parameter is not in valid format!"));
        source = m_queryDefName;
    } else {
        source = sourceText();
    }
    m_cursor = std::make_unique<TDaoCursor>(openEngineRecordset(source, m_tableType, OptionMask(), m_lockType));
    idle();
    dao::Recordset *r = rs();
    if (!r->Updatable()) m_readOnly = true;
    m_bookmarkable = r->Bookmarkable();
    (void)m_database->DaoDatabase()->RecordsAffected();
    if (!m_indexName.isEmpty() && m_tableType == dao::dbOpenTable) {
        try {
            r->SetIndex(m_indexName);
        } catch (const Exception &) {
        }
    }
    readFieldProperties(r);
    applyEngineSortAndFilter();

    m_rsFields.clear();
    for (int i = 0; i < rs()->FieldCount(); ++i) m_rsFields << rs()->Fields(i);
    m_position = -1;
    m_highest = -1;
    m_countValid = false;
    m_forwardStarted = false;
    m_bookmarkPositions.clear();
    idle();
}

void TDaoTable::readFieldProperties(dao::Recordset *r)
{
    const int n = r->FieldCount();
    m_fieldNames.clear();
    m_nonBlobNames.clear();
    m_defaultTexts = QStringList(n);
    m_updatable = QList<bool>(n, true);
    const bool jet = m_database->EngineType() == dao::dbUseJet;
    for (int i = 0; i < n; ++i) {
        dao::Field *f = r->Fields(i);
        const TFieldType type = fieldTypeOf(f);
        m_fieldNames << f->Name();
        if (!isBlobType(type)) m_nonBlobNames << f->Name();
        if (m_readOnly || !UseDaoProperties) continue;
        const int attrs = f->Attributes();
        m_updatable[i] = (attrs & dao::dbUpdatableField) && !(attrs & dao::dbAutoIncrField)
                         && !(attrs & dao::dbSystemField);
        if (!jet) continue;
        QString d;
        try {
            d = f->DefaultValue();
        } catch (const Exception &) {
        }
        if (type == ftString || type == ftMemo) {
            d = stripPair(d, QLatin1Char('"'), QLatin1Char('"'));
        } else if (isDateType(type)) {
            if (d.size() >= 2 && d.startsWith(QLatin1Char('#')) && d.endsWith(QLatin1Char('#'))) {
                const QString inner = d.mid(1, d.size() - 2).trimmed();
                QDateTime dt = QDateTime::fromString(inner, QStringLiteral("MM/dd/yyyy HH:mm:ss"));
                if (!dt.isValid()) dt = QDateTime(QDate::fromString(inner, QStringLiteral("MM/dd/yyyy")), QTime(0, 0));
                d = dt.isValid() ? dayNumberText(fromQDateTime(dt), type) : QString();
            } else {
                d.clear();
            }
        } else if (isFloatType(type) || isIntegerType(type)) {
            // The engine gives numbers in the program's form; a buffer holds the user's.
            bool ok = false;
            const double v = d.toDouble(&ok);
            if (ok) d = isFloatType(type) ? floatToStr(v) : QString::number(qint64(std::llround(v)));
        }
        if (d.compare(QLatin1String("Null"), Qt::CaseInsensitive) == 0) d.clear();
        m_defaultTexts[i] = d;
    }
}

void TDaoTable::applyEngineSortAndFilter()
{
    m_sortText.clear();
    bool calculatedKey = false;
    for (const QString &line : std::as_const(m_sortedBy)) {
        const TField *f = FindField(parseSortKey(line).name);
        if (f && (f->FieldKind == TFieldKind::fkCalculated || f->FieldKind == TFieldKind::fkLookup))
            calculatedKey = true;
    }
    if (!m_sortedBy.isEmpty() && !calculatedKey) {
        for (int i = 0; i < m_sortedBy.size(); ++i)
            m_sortText += m_sortedBy[i] + (i + 1 < m_sortedBy.size() ? QStringLiteral(", ") : QStringLiteral(" "));
        rs()->SetSort(m_sortText);
        std::unique_ptr<dao::Recordset> sorted = rs()->OpenRecordset(m_tableType, OptionMask());
        m_cursor = std::make_unique<TDaoCursor>(std::move(sorted));
    }
    if (Filtered() && !Filter().isEmpty()) {
        rs()->SetFilter(Filter());
        std::unique_ptr<dao::Recordset> filtered = rs()->OpenRecordset(m_tableType, OptionMask());
        m_cursor = std::make_unique<TDaoCursor>(std::move(filtered));
    }
}

// The calculated values of every record, computed once, give the order the
// cursor walks. Ties keep the engine's order.
void TDaoTable::applyCalculatedSort()
{
    if (!m_cursor) return;
    struct Key
    {
        TField *field;
        bool descending;
    };
    QList<Key> keys;
    bool calculated = false;
    for (const QString &line : std::as_const(m_sortedBy)) {
        const SortKey k = parseSortKey(line);
        TField *f = FindField(k.name);
        if (!f) return;   // the engine has already accepted or refused the key
        keys << Key{f, k.descending};
        if (f->calcIndex() >= 0) calculated = true;
    }
    if (!calculated) {
        if (m_cursor->hasOwnOrder()) m_cursor->clearOrder();
        return;
    }
    m_cursor->clearOrder();
    struct Entry
    {
        qint32 key;
        QVariantList values;
    };
    QList<Entry> entries;
    Buffer probe;
    if (!empty()) {
        m_cursor->MoveFirst();
        while (!m_cursor->Eof()) {
            bool ok = true;
            try {
                fetchInto(&probe);
            } catch (const EDaoError &e) {
                if (e.number() != dao::errRecordDeleted) throw;
                ok = false;
            }
            if (ok) {
                GetCalcFields(&probe);
                Entry e{probe.identifier, {}};
                for (const Key &k : std::as_const(keys)) {
                    if (k.field->calcIndex() >= 0) e.values << probe.calc.value(k.field->calcIndex());
                    else e.values << GetDataFieldValue(&probe, k.field);
                }
                entries << e;
            }
            m_cursor->MoveNext();
        }
    }
    std::stable_sort(entries.begin(), entries.end(), [&keys](const Entry &a, const Entry &b) {
        for (int i = 0; i < keys.size(); ++i) {
            int c = compareValues(a.values[i], b.values[i]);
            if (keys[i].descending) c = -c;
            if (c != 0) return c < 0;
        }
        return false;
    });
    QVector<qint32> order;
    order.reserve(entries.size());
    for (const Entry &e : std::as_const(entries)) order << e.key;
    m_cursor->setOrder(order);
}

void TDaoTable::buildFieldDefs()
{
    dao::Recordset *r = rs();
    TFieldDefs &defs = FieldDefs();
    defs.Clear();
    m_typeNames.clear();
    m_labels.clear();
    const bool required = UseDaoProperties && !m_readOnly;
    for (int i = 0; i < r->FieldCount(); ++i) {
        dao::Field *f = r->Fields(i);
        const TFieldType type = fieldTypeOf(f);
        int size = sizedEngineType(f->Type()) ? f->Size() : 0;
        if (f->Type() == dao::dbText && size == 0) size = 255;
        TFieldDef &def = defs.Add(f->Name(), type, size, required && f->Required());
        if (f->Type() == dao::dbGUID) def.Precision = 47554944;
        def.ReadOnly = !m_updatable.value(i, true);
        m_typeNames << typeName(type);
        const QString lowerDefault = m_defaultTexts.value(i).toLower();
        if (type == ftAutoInc || isBlobType(type)
            || ((isFloatType(type) || isIntegerType(type)) && lowerDefault.contains(QLatin1String("genuniqueid")))
            || (f->Type() == dao::dbGUID && lowerDefault.contains(QLatin1String("genguid"))))
            m_defaultTexts[i].clear();
        QString label = f->Name();
        if (UseCaptions) {
            const QVariant caption = f->Property(QStringLiteral("Caption"));
            if (caption.isValid()) label = caption.toString();
        }
        m_labels << label;
    }
}

void TDaoTable::fillFieldArray()
{
    m_fieldObjects = QList<TField *>(m_fieldNames.size(), nullptr);
    for (TField *f : Fields()) {
        if (f->FieldKind != TFieldKind::fkData) continue;
        const int i = f->FieldNo() - 1;
        if (i >= 0 && i < m_fieldObjects.size()) m_fieldObjects[i] = f;
    }
}

void TDaoTable::prepareFields()
{
    for (int i = 0; i < m_fieldObjects.size(); ++i) {
        TField *f = m_fieldObjects[i];
        if (!f) continue;
        if (!m_updatable.value(i, true)) f->ReadOnly = true;
        if (!f->DefaultExpression.isEmpty())
            m_defaultTexts[i] = stripPair(f->DefaultExpression, QLatin1Char('\''), QLatin1Char('\''));
        if (f->isDefaultField() && f->DataType() == ftDateTime) f->SetDisplayWidth(std::max(20, f->DisplayWidth()));
        if (CacheMemos && f->DataType() == ftMemo) {
            if (auto *memo = qobject_cast<TMemoField *>(f)) memo->FirstLineOnly = true;
            if (f->isDefaultField()) f->SetDisplayWidth(std::max(30, f->DisplayWidth()));
        }
    }
}

void TDaoTable::InternalOpen()
{
    m_preEdit.reset();
    openRecordset();
    if (objectName().isEmpty())
        setObjectName(QStringLiteral("DaoTable_%1")
                          .arg(qAbs(qint64(QRandomGenerator::global()->bounded(10000))
                                    + QDateTime::currentMSecsSinceEpoch() % 1000000000)));
    buildFieldDefs();
    if (DefaultFields()) CreateFields();
    BindFields(true);
    fillFieldArray();
    if (UseCaptions)
        for (int i = 0; i < m_fieldObjects.size(); ++i)
            if (m_fieldObjects[i]) m_fieldObjects[i]->SetDisplayLabel(m_labels.value(i));
    prepareFields();
    applyCalculatedSort();
    m_cursorOpen = true;
    m_database->RegisterClient(this);
    idle();
}

void TDaoTable::closeRecordset()
{
    m_rsFields.clear();
    if (!m_cursor) return;
    std::unique_ptr<dao::Recordset> r = m_cursor->takeRecordset();
    m_cursor.reset();
    try {
        if (r) r->Close();
    } catch (const Exception &) {
    }
}

void TDaoTable::InternalClose()
{
    if (dao::Recordset *r = rs()) {
        try {
            if (r->EditMode() != dao::dbEditNone) r->CancelUpdate();
        } catch (const Exception &) {
        }
    }
    m_cursorOpen = false;
    m_fieldObjects.clear();
    closeRecordset();
    if (m_database && !m_closingByDatabase) m_database->UnregisterClient(this);
    m_preEdit.reset();
    m_bookmarkPositions.clear();
    m_position = -1;
    m_countValid = false;
    m_resortPending = false;
}

void TDaoTable::databaseDisconnecting()
{
    m_closingByDatabase = true;
    try {
        Close();
    } catch (...) {
        m_closingByDatabase = false;
        throw;
    }
    m_closingByDatabase = false;
}

void TDaoTable::reopen(bool firstOnlyWhenNotEmpty)
{
    CheckBrowseMode();
    ClearBuffers();
    closeRecordset();
    try {
        openRecordset();
        fillFieldArray();
        applyCalculatedSort();
    } catch (...) {
        // Until the next successful reopen the table shows no records.
        m_cursor.reset();
        m_rsFields.clear();
        DataEvent(TDataEvent::DataSetChange);
        throw;
    }
    if (firstOnlyWhenNotEmpty && empty()) {
        InternalFirst();
        DataEvent(TDataEvent::DataSetChange);
        return;
    }
    First();
}

// Reads the keys again (rows added or deleted elsewhere) and puts the cursor on
// the record with the identifier, or at the position when it is gone.
void TDaoTable::requery()
{
    if (!m_cursor) return;
    const Buffer *active = static_cast<const Buffer *>(ActiveBuffer());
    const qint32 identifier = active && active->bookmarkFlag == TBookmarkFlag::Current ? active->identifier : 0;
    const int position = active ? active->position : m_position;
    rs()->Requery();
    m_bookmarkPositions.clear();
    m_countValid = false;
    if (m_cursor->hasOwnOrder()) applyCalculatedSort();
    if (empty()) {
        m_position = -1;
        return;
    }
    try {
        if (identifier != 0 && m_bookmarkable) {
            m_cursor->SetBookmark(TDaoCursor::bookmarkOf(identifier));
            m_position = m_cursor->AbsolutePosition();
            return;
        }
    } catch (const EDaoError &) {
    }
    try {
        const int count = m_cursor->RecordCount();
        if (position >= count || position < 0) {
            m_cursor->MoveLast();
        } else {
            m_cursor->MoveFirst();
            if (position > 0) m_cursor->Move(position);
        }
        m_position = m_cursor->AbsolutePosition();
    } catch (const EDaoError &) {
        InternalFirst();
    }
}

// ---- fetching ----------------------------------------------------------------------

TRecordBuffer *TDaoTable::AllocRecordBuffer()
{
    auto *b = new Buffer;
    b->resize(int(m_fieldNames.size()));
    return b;
}

QString TDaoTable::valueTextFor(int index, const QVariant &value) const
{
    if (!value.isValid() || value.isNull()) return QString();
    const TFieldType type = index < FieldDefs().Count() ? FieldDefs()[index].DataType : ftUnknown;
    if (value.metaType().id() == QMetaType::QByteArray) return latin1Text(value.toByteArray());
    if (isDateType(type)) {
        double d = 0;
        const int mt = value.metaType().id();
        if (mt == QMetaType::QDateTime) d = fromQDateTime(value.toDateTime());
        else if (mt == QMetaType::QDate) d = fromQDate(value.toDate());
        else d = value.toDouble();
        return dayNumberText(d, type);
    }
    if (type == ftBoolean) return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    if (isFloatType(type)) return floatToStr(value.toDouble());
    if (isIntegerType(type) && value.metaType().id() != QMetaType::QString) return QString::number(value.toLongLong());
    return value.toString();
}

QString TDaoTable::engineValueText(int index, const QVariant &value) const
{
    return valueTextFor(index, value);
}

QVariant TDaoTable::valueFromText(int index, const QString &text) const
{
    if (text.isEmpty()) return {};
    const TFieldType type = index < FieldDefs().Count() ? FieldDefs()[index].DataType : ftUnknown;
    if (isIntegerType(type)) {
        // The buffer's own form, plain decimal digits, without the general parser.
        if (const int digits = int(text.size()) - (text.front() == QLatin1Char('-')); digits > 0 && digits <= 9) {
            int v = 0;
            bool plain = true;
            for (qsizetype i = text.size() - digits; plain && i < text.size(); ++i) {
                const char16_t u = text[i].unicode();
                plain = u >= '0' && u <= '9';
                v = v * 10 + (u - '0');
            }
            if (plain) return text.front() == QLatin1Char('-') ? -v : v;
        }
        int v = 0;
        if (tryStrToInt(text, v)) return v;
        double d = 0;
        if (tryStrToFloat(text, d) && std::isfinite(d) && std::fabs(d) < 2147483648.0) return int(std::llround(d));
        return {};
    }
    if (isFloatType(type)) {
        double d = 0;
        return tryStrToFloat(text, d) ? QVariant(d) : QVariant();
    }
    if (type == ftBoolean) {
        bool b = false;
        return boolFromText(text, b) ? QVariant(b) : QVariant();
    }
    if (isDateType(type)) {
        double d = 0;
        return dayNumberValue(text, d) ? QVariant(d) : QVariant();
    }
    if (isBinaryType(type)) return latin1Bytes(text);
    return text;
}

void TDaoTable::fetchInto(Buffer *b) const
{
    idle();
    const int n = int(m_rsFields.size());
    b->resize(n);
    b->identifier = m_bookmarkable ? TDaoCursor::keyOf(m_cursor->Bookmark()) : 0;
    b->position = m_position;
    b->bookmarkFlag = TBookmarkFlag::Current;
    for (int i = 0; i < n; ++i) {
        const TField *f = m_fieldObjects.value(i);
        if (!f) continue;
        const TFieldType type = FieldDefs()[i].DataType;
        const bool lazy = (type == ftMemo && !CacheMemos) || (isBlobType(type) && type != ftMemo && !CacheBlobs);
        QVariant v;
        try {
            if (lazy) {
                const int size = m_rsFields[i]->FieldSize();
                b->values[i] = size > 0 ? QString::number(size) : QString();
                b->loaded[i] = size == 0;
                continue;
            }
            v = m_rsFields[i]->Value();
        } catch (const EDaoError &e) {
            if (e.number() == dao::errRecordDeleted) throw;
            v = QVariant();
        }
        b->values[i] = valueTextFor(i, v);
    }
}

TGetResult TDaoTable::GetRecord(TRecordBuffer *buffer, TGetMode mode, bool)
{
    auto *b = static_cast<Buffer *>(buffer);
    if (!m_cursor) return mode == TGetMode::Prior ? TGetResult::BOF : TGetResult::EOF_;
    if (m_resortPending && State() == DataSetState::Browse) {
        m_resortPending = false;
        m_bookmarkPositions.clear();
        rs()->Requery();
        if (m_cursor->hasOwnOrder()) applyCalculatedSort();
        m_countValid = false;
        InternalFirst();
    }
    // The dataset posts or cancels a pending change before it moves; a fetch
    // in the middle of one would read the record behind the user's back.
    if (State() == DataSetState::Insert && !empty()) return TGetResult::Error;
    if (State() == DataSetState::Edit && rs()->EditMode() == dao::dbEditInProgress) return TGetResult::Error;
    return step(b, mode, true);
}

TGetResult TDaoTable::step(Buffer *b, TGetMode mode, bool filter)
{
    for (;;) {
        switch (mode) {
        case TGetMode::Next:
            if (forwardOnly() && !m_forwardStarted) {
                m_forwardStarted = true;
                if (m_cursor->Eof()) return TGetResult::EOF_;
                break;
            }
            if (m_cursor->Eof()) return TGetResult::EOF_;
            m_cursor->MoveNext();
            if (m_cursor->Eof()) {
                m_position = m_cursor->RecordCount();
                m_highest = m_position;
                return TGetResult::EOF_;
            }
            break;
        case TGetMode::Prior:
            if (forwardOnly() || m_cursor->Bof()) return TGetResult::BOF;
            m_cursor->MovePrevious();
            if (m_cursor->Bof()) {
                m_position = -1;
                return TGetResult::BOF;
            }
            break;
        case TGetMode::Current:
            if (m_cursor->Bof()) return TGetResult::BOF;
            if (m_cursor->Eof()) return TGetResult::EOF_;
            break;
        }
        m_position = forwardOnly() ? m_position + 1 : m_cursor->AbsolutePosition();
        m_highest = std::max(m_highest, m_position);
        try {
            fetchInto(b);
        } catch (const EDaoError &e) {
            // A record another program deleted is passed over like a rejected one.
            if (e.number() == dao::errRecordDeleted && mode != TGetMode::Current) continue;
            return TGetResult::Error;
        }
        if (!filter || FilterAccepts(b)) return TGetResult::OK;
        if (mode == TGetMode::Current) return TGetResult::Error;
    }
}

void TDaoTable::InternalFirst()
{
    m_position = -1;
    // The diary changes its filter's criteria and then moves to First: a count
    // taken under the old criteria is no longer true.
    if (FilterHandlerActive()) m_countValid = false;
    if (empty() || forwardOnly()) return;
    try {
        m_cursor->MoveFirst();
        m_cursor->MovePrevious();
    } catch (const Exception &) {
    }
}

void TDaoTable::InternalLast()
{
    if (empty()) {
        m_position = -1;
        return;
    }
    if (forwardOnly()) {
        while (!m_cursor->Eof()) {
            m_cursor->MoveNext();
            ++m_position;
        }
        return;
    }
    try {
        m_cursor->MoveLast();
        m_cursor->MoveNext();
    } catch (const Exception &) {
    }
    m_position = m_cursor->RecordCount();
}

void TDaoTable::goToIdentifier(qint32 identifier) const
{
    try {
        m_cursor->SetBookmark(TDaoCursor::bookmarkOf(identifier));
    } catch (const EDaoError &e) {
        if (e.number() == dao::errRecordDeleted) const_cast<TDaoTable *>(this)->InternalFirst();
        throw;
    }
    m_position = m_cursor->AbsolutePosition();
}

void TDaoTable::InternalSetToRecord(TRecordBuffer *buffer)
{
    auto *b = static_cast<Buffer *>(buffer);
    if (empty()) return;
    if (b->bookmarkFlag != TBookmarkFlag::Current && b->bookmarkFlag != TBookmarkFlag::Inserted) return;
    m_position = b->position;
    if (forwardOnly() || State() == DataSetState::SetKey) return;
    if (!m_bookmarkable) {
        try {
            m_cursor->MoveFirst();
            if (b->position > 0) m_cursor->Move(b->position);
        } catch (const Exception &) {
        }
        return;
    }
    if (State() == DataSetState::Edit || State() == DataSetState::Insert || b->identifier == 0) return;
    try {
        goToIdentifier(b->identifier);
    } catch (const EDaoError &e) {
        // The active record deleted by another program: the edit, delete or
        // refresh that follows reports or absorbs it.
        if (e.number() == dao::errRecordDeleted && b == ActiveBuffer() && State() == DataSetState::Browse) return;
        throw;
    }
}

void TDaoTable::restoreCursor() const
{
    auto *self = const_cast<TDaoTable *>(this);
    const Buffer *b = static_cast<const Buffer *>(ActiveBuffer());
    try {
        if (b && b->bookmarkFlag == TBookmarkFlag::Current && b->identifier != 0 && m_bookmarkable) {
            goToIdentifier(b->identifier);
        } else if (b && b->bookmarkFlag == TBookmarkFlag::Current && b->position >= 0) {
            m_cursor->MoveFirst();
            if (b->position > 0) m_cursor->Move(b->position);
            m_position = b->position;
        } else {
            self->InternalFirst();
        }
    } catch (const Exception &) {
    }
    self->CursorPosChanged();
}

// Walks every record from the first through the filter. Counts the accepted
// ones, up to the record with identifier stopAt when given.
int TDaoTable::walkAccepted(qint32 stopAt, bool *found) const
{
    auto *self = const_cast<TDaoTable *>(this);
    int n = 0;
    if (found) *found = false;
    if (empty()) return 0;
    dao::ReadBatch batch(rs());
    Buffer probe;
    m_cursor->MoveFirst();
    while (!m_cursor->Eof()) {
        bool ok = true;
        try {
            m_position = m_cursor->AbsolutePosition();
            fetchInto(&probe);
        } catch (const EDaoError &e) {
            if (e.number() != dao::errRecordDeleted) throw;
            ok = false;
        }
        if (ok) {
            if (stopAt != 0 && probe.identifier == stopAt) {
                if (found) *found = true;
                break;
            }
            if (self->FilterAccepts(&probe)) ++n;
        }
        m_cursor->MoveNext();
    }
    return n;
}

// ---- counting and numbering ------------------------------------------------------

int TDaoTable::RecordCount() const
{
    if (!m_cursorOpen || !m_cursor) return 0;
    if (forwardOnly()) return -1;
    if (UseRecordCount && m_countValid) return m_count;
    int n = 0;
    if (!empty()) {
        try {
            n = FilterHandlerActive() ? walkAccepted(0, nullptr) : m_cursor->RecordCount();
        } catch (const Exception &) {
            restoreCursor();
            throw;
        }
        restoreCursor();
    }
    m_count = n;
    m_countValid = true;
    m_highest = n;
    return n;
}

int TDaoTable::RecNo() const
{
    if (!UseGetRecNo || !m_cursorOpen || !m_cursor) return -1;
    const Buffer *b = static_cast<const Buffer *>(ActiveBuffer());
    if (!b || b->bookmarkFlag != TBookmarkFlag::Current) return -1;
    if (forwardOnly()) return b->position + 1;
    if (FilterHandlerActive()) {
        bool found = false;
        int n = 0;
        try {
            n = walkAccepted(b->identifier, &found);
        } catch (const Exception &) {
            restoreCursor();
            throw;
        }
        restoreCursor();
        return found ? n + 1 : -1;
    }
    int position = b->position;
    if (m_bookmarkable && b->identifier != 0) {
        try {
            goToIdentifier(b->identifier);
            position = m_cursor->AbsolutePosition();
        } catch (const EDaoError &) {
        }
        const_cast<TDaoTable *>(this)->CursorPosChanged();
    }
    return position + 1;
}

void TDaoTable::SetRecNo(int value)
{
    if (!Active() || value < 1 || !m_cursor) return;
    CheckBrowseMode();
    if (BeforeScroll) BeforeScroll(this);
    if (FilterHandlerActive()) {
        Buffer probe;
        InternalFirst();
        for (int i = 0; i < value; ++i) {
            if (step(&probe, TGetMode::Next, true) != TGetResult::OK) {
                // Fewer records than asked for: stay on the record shown.
                restoreCursor();
                if (AfterScroll) AfterScroll(this);
                return;
            }
        }
    } else {
        try {
            m_cursor->MoveFirst();
            if (value > 1) m_cursor->Move(value - 1);
        } catch (const EDaoError &) {
            restoreCursor();
            throw;
        }
        if (m_cursor->Eof()) m_cursor->MoveLast();
        m_position = m_cursor->AbsolutePosition();
    }
    Resync(true, true);
    if (AfterScroll) AfterScroll(this);
}

// ---- bookmarks -------------------------------------------------------------------

TBookmark TDaoTable::GetBookmarkData(const TRecordBuffer *buffer) const
{
    const auto *b = static_cast<const Buffer *>(buffer);
    if (!m_bookmarkable) return TBookmark();
    m_bookmarkPositions.insert(b->identifier, b->position);
    return TDaoCursor::bookmarkOf(b->identifier);
}

void TDaoTable::SetBookmarkData(TRecordBuffer *buffer, const TBookmark &bookmark)
{
    static_cast<Buffer *>(buffer)->identifier = TDaoCursor::keyOf(bookmark);
}

void TDaoTable::InternalGotoBookmark(const TBookmark &bookmark)
{
    if (!m_cursorOpen || !m_cursor)
        DatabaseError(QStringLiteral("TDaoTable.InternalGotoBookmark: Cannot goto Bookmark - Table is not Active"));
    if (bookmark.isEmpty()) DatabaseError(QStringLiteral("Invalid Bookmark!"));
    const qint32 identifier = TDaoCursor::keyOf(bookmark);
    if (identifier == 0 || !m_bookmarkable) DatabaseError(QStringLiteral("Bookmarks are not supported!"));
    const auto it = m_bookmarkPositions.constFind(identifier);
    if (it == m_bookmarkPositions.constEnd()) DatabaseError(QStringLiteral("Invalid Bookmark!"));
    try {
        m_cursor->SetBookmark(TDaoCursor::bookmarkOf(identifier));
    } catch (const EDaoError &e) {
        if (e.number() == dao::errRecordDeleted) {
            requery();
            InternalFirst();
        }
        throw;
    }
    m_position = m_cursor->AbsolutePosition();
}

bool TDaoTable::BookmarkValid(const TBookmark &bookmark) const
{
    if (!m_cursorOpen || empty() || !m_bookmarkable || bookmark.size() < 4) return false;
    if (!m_bookmarkPositions.contains(TDaoCursor::keyOf(bookmark))) return false;
    bool valid = true;
    try {
        m_cursor->SetBookmark(bookmark);
    } catch (const Exception &) {
        valid = false;
    }
    restoreCursor();
    return valid;
}

int TDaoTable::CompareBookmarks(const TBookmark &a, const TBookmark &b) const
{
    if (a.isEmpty() || b.isEmpty()) return int(!a.isEmpty()) - int(!b.isEmpty());
    const qint32 x = TDaoCursor::keyOf(a), y = TDaoCursor::keyOf(b);
    return x < y ? -1 : (y < x ? 1 : 0);
}

// ---- editing ------------------------------------------------------------------------

void TDaoTable::InternalInitRecord(TRecordBuffer *buffer)
{
    auto *b = static_cast<Buffer *>(buffer);
    if (const auto *active = static_cast<const Buffer *>(ActiveBuffer())) m_preEdit = std::make_unique<Buffer>(*active);
    else m_preEdit.reset();
    const int n = int(m_fieldNames.size());
    b->resize(n);
    for (int i = 0; i < n; ++i) {
        b->values[i] = m_defaultTexts.value(i);
        const TField *f = m_fieldObjects.value(i);
        b->modified[i] = f && !f->DefaultExpression.isEmpty();
    }
    b->identifier = 0;
    b->position = -1;
    b->bookmarkFlag = TBookmarkFlag::Inserted;
}

void TDaoTable::InternalEdit()
{
    auto *b = static_cast<Buffer *>(ActiveBuffer());
    if (!b || !m_cursor) DatabaseError(QStringLiteral("Cannot perform this operation on an empty dataset"));
    m_preEdit = std::make_unique<Buffer>(*b);
    if (m_bookmarkable && b->identifier != 0) goToIdentifier(b->identifier);
    if (rs()->EditMode() != dao::dbEditInProgress) {
        try {
            rs()->Edit();
        } catch (const EDatabaseError &) {
            rethrowAfter([this] { m_cursor->Move(0); });
        }
    }
    // Editing starts from the stored values.
    fetchInto(b);
}

void TDaoTable::InternalCancel()
{
    if (dao::Recordset *r = rs()) {
        try {
            if (r->EditMode() != dao::dbEditNone) r->CancelUpdate();
        } catch (const Exception &) {
        }
        // A cancelled insert shows the record it was started on again.
        const auto *b = static_cast<const Buffer *>(ActiveBuffer());
        if (State() == DataSetState::Insert && b && b->bookmarkFlag == TBookmarkFlag::Inserted && b->identifier != 0
            && m_bookmarkable) {
            try {
                goToIdentifier(b->identifier);
            } catch (const Exception &) {
            }
        }
    }
    m_preEdit.reset();
    idle();
}

void TDaoTable::InternalPost()
{
    auto *b = static_cast<Buffer *>(ActiveBuffer());
    dao::Recordset *r = rs();
    if (!b || !r) DatabaseError(QStringLiteral("Cannot perform this operation on a closed dataset"));
    const bool inserting = State() == DataSetState::Insert;
    if (inserting) {
        r->AddNew();
    } else if (r->EditMode() != dao::dbEditInProgress) {
        if (m_bookmarkable && b->identifier != 0) goToIdentifier(b->identifier);
        try {
            r->Edit();
        } catch (const EDatabaseError &) {
            rethrowAfter([this] { m_cursor->Move(0); });
        }
    }
    try {
        for (int i = 0; i < m_fieldObjects.size(); ++i) {
            if (!m_fieldObjects[i] || !b->modified.value(i) || !m_updatable.value(i, true)) continue;
            const QString &text = b->values[i];
            const TFieldType type = FieldDefs()[i].DataType;
            dao::Field *f = m_rsFields[i];
            if (text.isEmpty()) {
                f->SetValue(QVariant());
            } else if (isDateType(type)) {
                double d = 0;
                if (dayNumberValue(text, d)) f->SetValue(d);
            } else if (isBinaryType(type)) {
                f->SetValue(latin1Bytes(text));
            } else {
                f->SetValue(text);
            }
        }
        r->Update();
    } catch (const EDatabaseError &) {
        // The engine's pending change goes; the record set keeps the typed values.
        rethrowAfter([&] {
            if (r->EditMode() == dao::dbEditNone) return;
            if (inserting) {
                r->CancelUpdate();
            } else if (m_lockType == dao::dbOptimistic) {
                r->CancelUpdate();
                m_cursor->Move(0);
            }
        });
    }
    const qint32 identifier = TDaoCursor::keyOf(r->LastModified());
    if (inserting) {
        m_countValid = false;
        m_cursor->noteAdded(identifier);
    }
    if (m_bookmarkable) {
        goToIdentifier(identifier);
        b->identifier = identifier;
        b->position = m_position;
    } else {
        InternalLast();
        b->position = m_position - 1;
    }
    m_preEdit.reset();
    idle();
    if (RefreshSorted && !m_sortedBy.isEmpty()) m_resortPending = true;
}

void TDaoTable::InternalDelete()
{
    auto *b = static_cast<Buffer *>(ActiveBuffer());
    if (!b || !m_cursor) DatabaseError(QStringLiteral("Cannot perform this operation on an empty dataset"));
    m_bookmarkPositions.remove(b->identifier);
    for (auto it = m_bookmarkPositions.begin(); it != m_bookmarkPositions.end(); ++it)
        if (it.value() > b->position) --it.value();
    try {
        if (m_bookmarkable && b->identifier != 0) goToIdentifier(b->identifier);
        m_cursor->Delete();
    } catch (const EDaoError &e) {
        if (e.number() == dao::errRecordDeleted) {
            m_countValid = false;
            requery();
            // Someone else already deleted it: what the user asked for is done.
            if (!OnDeleteError) return;
        }
        throw;
    }
    idle();
    m_countValid = false;
    try {
        if (m_cursor->Eof()) m_cursor->MoveLast();
        else m_cursor->MoveNext();
    } catch (const Exception &) {
    }
    m_position = m_cursor->AbsolutePosition();
}

void TDaoTable::InternalRefresh()
{
    m_countValid = false;
    requery();
}

// ---- field data ---------------------------------------------------------------------

QVariant TDaoTable::GetDataFieldValue(const TRecordBuffer *buffer, const TField *field) const
{
    const auto *b = static_cast<const Buffer *>(buffer);
    const int i = field->FieldNo() - 1;
    if (i < 0 || i >= b->values.size()) return {};
    if (!b->loaded[i]) {
        QString text;
        try {
            text = blobText(b, i);
        } catch (const EDaoError &) {
            return {};
        }
        if (text.isEmpty()) return {};
        return isBinaryType(FieldDefs()[i].DataType) ? QVariant(latin1Bytes(text)) : QVariant(text);
    }
    return valueFromText(i, b->values[i]);
}

void TDaoTable::SetDataFieldValue(TRecordBuffer *buffer, TField *field, const QVariant &value)
{
    auto *b = static_cast<Buffer *>(buffer);
    const int i = field->FieldNo() - 1;
    if (i < 0 || i >= b->values.size()) return;
    b->values[i] = valueTextFor(i, value);
    b->modified[i] = true;
    b->loaded[i] = true;
}

// The value of a memo or binary field that the buffer does not hold, read from
// the engine on the buffer's record; the cursor goes back where it stood.
QString TDaoTable::blobText(const Buffer *b, int index) const
{
    if (!m_cursor || index >= m_rsFields.size()) return QString();
    qint32 current = 0;
    const bool onRecord = !m_cursor->Bof() && !m_cursor->Eof();
    if (onRecord) {
        try {
            current = TDaoCursor::keyOf(m_cursor->Bookmark());
        } catch (const EDaoError &) {
        }
    }
    const bool move = m_bookmarkable && b->identifier != 0 && b->identifier != current;
    const bool wasBof = m_cursor->Bof();
    const int savedPosition = m_position;
    if (move) m_cursor->SetBookmark(TDaoCursor::bookmarkOf(b->identifier));
    QVariant v;
    try {
        v = m_rsFields[index]->Value();
    } catch (const EDaoError &) {
        if (!move) throw;
        v = QVariant();
    }
    if (move) {
        try {
            if (current != 0) {
                m_cursor->SetBookmark(TDaoCursor::bookmarkOf(current));
            } else if (wasBof) {
                m_cursor->MoveFirst();
                m_cursor->MovePrevious();
            } else {
                m_cursor->MoveLast();
                m_cursor->MoveNext();
            }
        } catch (const Exception &) {
        }
        m_position = savedPosition;
    }
    if (!v.isValid() || v.isNull()) return QString();
    if (v.metaType().id() == QMetaType::QByteArray) return latin1Text(v.toByteArray());
    return v.toString();
}

std::unique_ptr<QIODevice> TDaoTable::CreateBlobStream(TField *field, QIODevice::OpenMode mode)
{
    const bool writeOnly = (mode & QIODevice::WriteOnly) && !(mode & QIODevice::ReadOnly);
    if (writeOnly && m_readOnly) DatabaseError(QStringLiteral("Cannot write to ReadOnly table!"));
    QString text;
    if (!writeOnly && !(mode & QIODevice::Truncate)) {
        const Buffer *b = static_cast<const Buffer *>(bufferFor(State()));
        const int i = field->FieldNo() - 1;
        if (field->calcIndex() >= 0 || !b || i < 0 || i >= b->values.size()) {
            text = field->GetData().toString();
        } else if (b->loaded[i]) {
            text = b->values[i];
        } else if (b->bookmarkFlag != TBookmarkFlag::Current) {
            text = m_defaultTexts.value(i);
        } else {
            text = blobText(b, i);
        }
    }
    const bool memo = field->DataType() == ftMemo || field->DataType() == ftFmtMemo;
    const QByteArray initial = memo ? text.toUtf8() : latin1Bytes(text);
    return std::make_unique<TDaoBlobStream>(field, initial, mode);
}

// ---- searching ----------------------------------------------------------------------

QList<TField *> TDaoTable::splitFields(const QString &names, bool resultFields) const
{
    QList<TField *> out;
    for (const QString &part : names.split(QLatin1Char(';'))) {
        const QString name = part.trimmed();
        if (name.isEmpty()) continue;
        TField *f = FindField(name);
        if (!f) {
            if (resultFields) DatabaseError(QStringLiteral("Invalid field name: ") + name);
            raiseNotFound(name);
        }
        out << f;
    }
    return out;
}

namespace {
QVariantList keyValueList(const QVariant &values)
{
    if (values.metaType().id() == QMetaType::QVariantList) return values.toList();
    if (values.metaType().id() == QMetaType::QStringList) {
        QVariantList out;
        for (const QString &s : values.toStringList()) out << s;
        return out;
    }
    return {values};
}

[[noreturn]] void countMismatch()
{
    DatabaseError(QStringLiteral("Number of elements in the KeyValues array must be equal to the number of fields."));
}
} // namespace

bool TDaoTable::Locate(const QString &keyFields, const QVariant &keyValues, int options)
{
    if (!Active() || IsEmpty() || FilterHandlerActive() || !m_database || !m_database->Connected() || !m_cursor)
        return false;
    const QList<TField *> fields = splitFields(keyFields, false);
    const QVariantList values = keyValueList(keyValues);
    if (fields.size() != values.size()) countMismatch();
    QStringList texts;
    QList<TDaoKeyField> keys;
    for (int i = 0; i < fields.size(); ++i) {
        texts << DaoCriteria::valueText(values[i], fields[i]->DataType());
        keys << TDaoKeyField{fields[i]->FieldName, fields[i]->DataType()};
    }
    const bool caseInsensitive = options & int(TLocateOption::CaseInsensitive);
    const bool partial = options & int(TLocateOption::PartialKey);
    UpdateCursorPos();
    if (!m_bookmarkable) return locateWithoutBookmarks(fields, texts, options);

    QByteArray found;
    if (m_tableType == dao::dbOpenTable) {
        if (m_indexName.isEmpty())
            DatabaseError(QStringLiteral("Index Property is Empty!\r\nYou must set an index before using Locate with StandardTables"));
        if (values.size() > 13) countMismatch();
        std::unique_ptr<dao::Recordset> clone = rs()->Clone();
        clone->SetIndex(m_indexName);
        clone->Seek(partial ? QStringLiteral(">=") : QStringLiteral("="), values);
        if (clone->NoMatch()) return false;
        found = clone->Bookmark();
    } else {
        const QString criteria = DaoCriteria::locateCriteria(keys, texts, caseInsensitive, partial, UseBrackets);
        std::unique_ptr<dao::Recordset> clone = rs()->Clone();
        clone->FindFirst(criteria);
        if (clone->NoMatch()) return false;
        found = clone->Bookmark();
    }
    CheckBrowseMode();
    if (BeforeScroll) BeforeScroll(this);
    m_cursor->SetBookmark(found);
    m_position = m_cursor->AbsolutePosition();
    Resync(true, true);
    if (AfterScroll) AfterScroll(this);
    return true;
}

bool TDaoTable::locateWithoutBookmarks(const QList<TField *> &fields, const QStringList &values, int options)
{
    const bool caseInsensitive = options & int(TLocateOption::CaseInsensitive);
    const bool partial = options & int(TLocateOption::PartialKey);
    CheckBrowseMode();
    if (BeforeScroll) BeforeScroll(this);
    const int previous = m_position;
    bool match = false;
    int steps = 0;
    try {
        m_cursor->MoveFirst();
        while (!m_cursor->Eof()) {
            match = true;
            for (int i = 0; i < fields.size() && match; ++i) {
                const int index = fields[i]->FieldNo() - 1;
                if (index < 0) {
                    match = false;
                    break;
                }
                QString have = valueTextFor(index, m_rsFields[index]->Value());
                QString want = values[i] == QLatin1String("NULL") ? QString() : values[i];
                if (caseInsensitive) {
                    have = have.toLower();
                    want = want.toLower();
                }
                if (partial) have = have.left(want.size());
                match = have == want;
            }
            if (match) break;
            m_cursor->MoveNext();
            ++steps;
        }
    } catch (const EDaoError &) {
        match = false;
    }
    if (match) {
        m_position = steps;
        Resync(true, true);
    } else {
        m_position = previous;
        restoreCursor();
    }
    if (AfterScroll) AfterScroll(this);
    return match;
}

QVariant TDaoTable::Lookup(const QString &keyFields, const QVariant &keyValues, const QString &resultFields)
{
    if (!Active() || IsEmpty() || !m_cursor) return {};
    const QList<TField *> fields = splitFields(keyFields, false);
    const QVariantList values = keyValueList(keyValues);
    if (fields.size() != values.size()) countMismatch();
    const QList<TField *> results = splitFields(resultFields, true);
    if (results.isEmpty()) DatabaseError(QStringLiteral("ResultFields are not defined"));
    QStringList texts;
    QList<TDaoKeyField> keys;
    for (int i = 0; i < fields.size(); ++i) {
        texts << DaoCriteria::valueText(values[i], fields[i]->DataType());
        keys << TDaoKeyField{fields[i]->FieldName, fields[i]->DataType()};
    }
    const QString criteria = DaoCriteria::lookupCriteria(keys, texts, UseBrackets);
    std::unique_ptr<dao::Recordset> copy = rs()->Clone();
    const QString saved = copy->Filter();
    copy->SetFilter(criteria);
    idle();
    std::unique_ptr<dao::Recordset> snapshot = copy->OpenRecordset(dao::dbOpenSnapshot, dao::dbDenyRead);
    QVariant result;
    if (!snapshot->Bof() || !snapshot->Eof()) {
        snapshot->MoveFirst();
        bool computed = false;
        for (const TField *f : results)
            if (f->FieldKind != TFieldKind::fkData) computed = true;
        QVariantList out;
        if (computed) {
            Buffer probe;
            const QByteArray bookmark = snapshot->Bookmark();
            try {
                m_cursor->SetBookmark(bookmark);
                m_position = m_cursor->AbsolutePosition();
                fetchInto(&probe);
                GetCalcFields(&probe);
            } catch (const Exception &) {
                restoreCursor();
                copy->SetFilter(saved);
                throw;
            }
            restoreCursor();
            for (const TField *f : results)
                out << (f->calcIndex() >= 0 ? probe.calc.value(f->calcIndex()) : GetDataFieldValue(&probe, f));
        } else {
            for (const TField *f : results) {
                const int i = f->FieldNo() - 1;
                out << valueFromText(i, valueTextFor(i, snapshot->Fields(f->FieldName)->Value()));
            }
        }
        result = out.size() == 1 ? out.first() : QVariant(out);
    }
    snapshot.reset();
    copy->SetFilter(saved);
    return result;
}
