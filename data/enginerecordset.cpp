#include "data/enginerecordset.h"
#include "data/engine_p.h"
#include "data/enginecriteria_p.h"

#include <QSet>
#include <QtEndian>
#include <sqlite3.h>

namespace dao {

static const QString kSource = QStringLiteral("DAO.Recordset");

namespace {
// A prepared statement that is finalized on every path.
struct Stmt
{
    sqlite3_stmt *st = nullptr;
    ~Stmt() { sqlite3_finalize(st); }
};

QVariant engineValue(const QVariant &stored, int type)
{
    if (!stored.isValid() || stored.isNull()) return QVariant();
    switch (type) {
    case dbBoolean: return stored.toLongLong() != 0;
    case dbByte: case dbInteger: case dbLong: return int(stored.toLongLong());
    case dbBigInt: return stored.toLongLong();
    case dbDate: case dbTime: case dbTimeStamp: {
        double d;
        return isoToDays(stored.toString(), d) ? QVariant(d) : QVariant();
    }
    default: return stored;
    }
}

QByteArray keyBytes(qint64 key)
{
    QByteArray b(4, '\0');
    qToLittleEndian<qint32>(qint32(key), b.data());
    return b;
}
} // namespace

// ---- Field ----

const QString &Field::Name() const { return m_owner->m_table->columns[m_owner->m_columnIndex[m_index]].name; }
int Field::Type() const { return m_owner->m_table->columns[m_owner->m_columnIndex[m_index]].type; }
int Field::Size() const { return m_owner->m_table->columns[m_owner->m_columnIndex[m_index]].size; }
int Field::Attributes() const
{
    const int a = m_owner->m_table->columns[m_owner->m_columnIndex[m_index]].attributes;
    return m_owner->Updatable() ? a : a & ~dbUpdatableField;
}
QString Field::DefaultValue() const { return m_owner->m_table->columns[m_owner->m_columnIndex[m_index]].defaultValue; }
bool Field::Required() const { return m_owner->m_table->columns[m_owner->m_columnIndex[m_index]].required; }
int Field::FieldSize() const { return m_owner->fieldSize(m_index); }
QVariant Field::Value() const { return m_owner->fieldValue(m_index); }
void Field::SetValue(const QVariant &value) { m_owner->setFieldValue(m_index, value); }
QVariant Field::Property(const QString &name) const
{
    const ColumnInfo &c = m_owner->m_table->columns[m_owner->m_columnIndex[m_index]];
    const auto it = c.properties.constFind(name.toLower());
    return it == c.properties.constEnd() ? QVariant() : QVariant(*it);
}

// ---- Recordset ----

Recordset::Recordset(std::shared_ptr<Connection> conn, int type, int options, int lockType)
    : m_conn(std::move(conn)), m_type(type), m_options(options), m_lockType(lockType)
{
    m_conn->recordsets.append(this);
}

Recordset::~Recordset()
{
    Close();
    m_conn->recordsets.removeOne(this);
}

bool Recordset::IsOpen() const { return m_table && m_conn->db; }

void Recordset::Close()
{
    sqlite3_finalize(m_fetch);
    m_fetch = nullptr;
    m_keys.clear();
    m_rows.clear();
    m_fields.clear();
    m_table.reset();
    m_editMode = dbEditNone;
}

void Recordset::check() const
{
    m_conn->check(kSource);
    if (!m_table) raise(m_conn->errors.get(), errObjectInvalid, kSource, QStringLiteral("Object invalid or no longer set."));
}

void Recordset::fail(int number, const QString &description) const
{
    raise(m_conn->errors.get(), number, kSource, description);
}

bool Recordset::Updatable() const
{
    return m_table && !m_materialized && !m_conn->readOnly && !(m_options & dbReadOnly)
           && m_lockType != 4 /* read-only lock */;
}

void Recordset::openOn(const TableInfo &table, const QStringList &columns, const QString &where,
                       const QVariantList &whereParams, const QString &orderBy)
{
    m_table = std::make_unique<TableInfo>(table);
    m_columns.clear();
    m_columnIndex.clear();
    if (columns.isEmpty()) {
        for (int i = 0; i < table.columns.size(); ++i) {
            m_columns.append(table.columns[i].name);
            m_columnIndex.append(i);
        }
    } else {
        for (const QString &c : columns) {
            const int i = table.indexOf(c);
            m_columns.append(table.columns[i].name);
            m_columnIndex.append(i);
        }
    }
    m_materialized = table.isView || m_type == dbOpenSnapshot || m_type == dbOpenForwardOnly;
    m_where = where;
    m_whereParams = whereParams;
    m_baseOrder = orderBy;
    m_orderBy = orderBy;
    buildFields();
    loadKeys();
}

void Recordset::buildFields()
{
    m_fields.clear();
    for (int i = 0; i < m_columns.size(); ++i) m_fields.emplace_back(new Field(this, i));
}

void Recordset::loadKeys()
{
    Connection &c = *m_conn;
    c.check(kSource);
    discardRowCache();
    QStringList cols;
    for (const QString &n : m_columns) cols.append(quoteName(n));
    const bool view = m_table->isView;
    QString sql = QStringLiteral("SELECT %1 FROM %2").arg(
        (view ? QString() : QStringLiteral("rowid") + (m_materialized ? QStringLiteral(", ") : QString()))
            + (m_materialized ? cols.join(QStringLiteral(", ")) : QString()),
        quoteName(m_table->name));
    if (!m_where.isEmpty()) sql += QStringLiteral(" WHERE ") + m_where;
    QString order = m_orderBy;
    if (!view) order += (order.isEmpty() ? QString() : QStringLiteral(", ")) + QStringLiteral("rowid");
    if (!order.isEmpty()) sql += QStringLiteral(" ORDER BY ") + order;

    Stmt s;
    int rc = sqlite3_prepare_v2(c.db, sql.toUtf8().constData(), -1, &s.st, nullptr);
    if (rc != SQLITE_OK) raiseSqlite(c.errors.get(), c.db, rc, numberForSqliteWrite(rc), kSource, QStringLiteral("Cannot open '%1'.").arg(m_source));
    for (int i = 0; i < m_whereParams.size(); ++i) bindValue(s.st, i + 1, m_whereParams[i]);
    m_keys.clear();
    m_rows.clear();
    const int first = view ? 0 : 1;
    qint64 ordinal = 0;
    while ((rc = sqlite3_step(s.st)) == SQLITE_ROW) {
        const qint64 key = view ? ++ordinal : sqlite3_column_int64(s.st, 0);
        if (m_materialized) {
            Row r;
            r.key = key;
            r.values.reserve(m_columns.size());
            for (int i = 0; i < m_columns.size(); ++i)
                r.values.append(readColumn(s.st, first + i, m_table->columns[m_columnIndex[i]].type));
            m_rows.append(r);
        } else {
            m_keys.append(key);
        }
    }
    if (rc != SQLITE_DONE) raiseSqlite(c.errors.get(), c.db, rc, numberForSqliteWrite(rc), kSource, QStringLiteral("Cannot read '%1'.").arg(m_source));
    m_positionsValid = false;
    m_onDeleted = false;
    m_editMode = dbEditNone;
    const int n = m_materialized ? int(m_rows.size()) : int(m_keys.size());
    m_pos = n > 0 ? 0 : -1;
}

Field *Recordset::Fields(int index) const
{
    check();
    if (index < 0 || index >= int(m_fields.size()))
        fail(errItemNotFound, QStringLiteral("Item not found in this collection."));
    return m_fields[index].get();
}

Field *Recordset::Fields(const QString &name) const
{
    check();
    for (int i = 0; i < m_columns.size(); ++i)
        if (m_columns[i].compare(name, Qt::CaseInsensitive) == 0) return m_fields[i].get();
    fail(errItemNotFound, QStringLiteral("Item not found in this collection: '%1'.").arg(name));
}

bool Recordset::Bof() const
{
    const int n = count();
    return n == 0 || m_pos < 0;
}

bool Recordset::Eof() const
{
    const int n = count();
    return n == 0 || m_pos >= n;
}

void Recordset::setPosition(int pos)
{
    const int n = count();
    m_pos = qBound(-1, pos, n);
    m_onDeleted = false;
    if (m_editMode != dbEditNone) m_editMode = dbEditNone;   // moving drops a pending edit
}

void Recordset::MoveFirst()
{
    check();
    if (m_type == dbOpenForwardOnly && m_pos > 0)
        fail(errNotSupported, QStringLiteral("Operation is not supported for this type of object."));
    if (count() == 0) fail(errNoCurrentRecord, QStringLiteral("No current record."));
    setPosition(0);
}

void Recordset::MoveLast()
{
    check();
    const int n = count();
    if (n == 0) fail(errNoCurrentRecord, QStringLiteral("No current record."));
    setPosition(n - 1);
}

void Recordset::MoveNext()
{
    check();
    if (Eof()) fail(errNoCurrentRecord, QStringLiteral("No current record."));
    // After a delete the cursor already stands on the gap the row left.
    setPosition(m_onDeleted ? m_pos : m_pos + 1);
}

void Recordset::MovePrevious()
{
    check();
    if (m_type == dbOpenForwardOnly) fail(errNotSupported, QStringLiteral("Operation is not supported for this type of object."));
    if (Bof()) fail(errNoCurrentRecord, QStringLiteral("No current record."));
    setPosition(m_pos - 1);
}

void Recordset::Move(int rows)
{
    check();
    if (rows < 0 && m_type == dbOpenForwardOnly)
        fail(errNotSupported, QStringLiteral("Operation is not supported for this type of object."));
    if (count() == 0 || ((Bof() || Eof()) && rows == 0))
        fail(errNoCurrentRecord, QStringLiteral("No current record."));
    if (rows == 0) {
        if (m_onDeleted) fail(errRecordDeleted, QStringLiteral("Record is deleted."));
        discardRowCache();   // Move(0) re-reads the current row
        m_editMode = dbEditNone;
        return;
    }
    if ((rows > 0 && Eof()) || (rows < 0 && Bof())) fail(errNoCurrentRecord, QStringLiteral("No current record."));
    setPosition(m_onDeleted && rows > 0 ? m_pos + rows - 1 : m_pos + rows);
}

int Recordset::RecordCount() const
{
    check();
    if (m_type == dbOpenForwardOnly) return qMax(0, qMin(m_pos + 1, int(m_rows.size())));
    return count();
}

int Recordset::AbsolutePosition() const
{
    check();
    if (Bof() || Eof() || m_onDeleted) return -1;
    return m_pos;
}

void Recordset::SetAbsolutePosition(int position)
{
    check();
    if (position < 0 || position >= count())
        fail(errInvalidArgument, QStringLiteral("Invalid argument."));
    setPosition(position);
}

double Recordset::PercentPosition() const
{
    check();
    const int n = count();
    if (n == 0 || Bof()) return 0;
    if (Eof()) return 100;
    return m_pos * 100.0 / n;
}

void Recordset::SetPercentPosition(double percent)
{
    check();
    const int n = count();
    if (n == 0) fail(errNoCurrentRecord, QStringLiteral("No current record."));
    if (percent < 0 || percent > 100) fail(errInvalidArgument, QStringLiteral("Invalid argument."));
    setPosition(qMin(n - 1, int(percent * n / 100.0)));
}

void Recordset::requireCurrent() const
{
    check();
    if (m_onDeleted) fail(errRecordDeleted, QStringLiteral("Record is deleted."));
    if (Bof() || Eof()) fail(errNoCurrentRecord, QStringLiteral("No current record."));
}

void Recordset::requireUpdatable() const
{
    check();
    if (!Updatable()) fail(errReadOnly, QStringLiteral("Cannot update. Database or object is read-only."));
}

int Recordset::positionOfKey(qint64 key) const
{
    if (!m_positionsValid) {
        m_positionOfKey.clear();
        if (m_materialized)
            for (int i = 0; i < m_rows.size(); ++i) m_positionOfKey.insert(m_rows[i].key, i);
        else
            for (int i = 0; i < m_keys.size(); ++i) m_positionOfKey.insert(m_keys[i], i);
        m_positionsValid = true;
    }
    return m_positionOfKey.value(key, -1);
}

void Recordset::discardRowCache() const { m_cacheValid = false; }

bool Recordset::fetchRow(qint64 key, Row &row) const
{
    Connection &c = *m_conn;
    if (!m_fetch) {
        QStringList cols;
        for (const QString &n : m_columns) cols.append(quoteName(n));
        const QString sql = QStringLiteral("SELECT %1 FROM %2 WHERE rowid = ?1")
                                .arg(cols.join(QStringLiteral(", ")), quoteName(m_table->name));
        const int rc = sqlite3_prepare_v2(c.db, sql.toUtf8().constData(), -1, &m_fetch, nullptr);
        if (rc != SQLITE_OK) raiseSqlite(c.errors.get(), c.db, rc, numberForSqliteWrite(rc), kSource, QStringLiteral("Cannot read '%1'.").arg(m_source));
    }
    noteBatchFetch(c);
    sqlite3_bind_int64(m_fetch, 1, key);
    const int rc = sqlite3_step(m_fetch);
    bool found = false;
    if (rc == SQLITE_ROW) {
        found = true;
        row.key = key;
        row.values.resize(m_columns.size());
        for (int i = 0; i < m_columns.size(); ++i)
            row.values[i] = readColumn(m_fetch, i, m_table->columns[m_columnIndex[i]].type);
    }
    // Reset at once: no read transaction may outlive the fetch.
    sqlite3_reset(m_fetch);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE)
        raiseSqlite(c.errors.get(), c.db, rc, numberForSqliteWrite(rc), kSource, QStringLiteral("Cannot read '%1'.").arg(m_source));
    return found;
}

const Recordset::Row &Recordset::currentRow() const
{
    requireCurrent();
    if (m_materialized) return m_rows[m_pos];
    const qint64 key = m_keys[m_pos];
    const quint64 gen = *m_conn->idleGeneration;
    if (m_cacheValid && m_cache.key == key && m_cacheGeneration == gen) return m_cache;
    m_cacheValid = false;
    if (!fetchRow(key, m_cache)) fail(errRecordDeleted, QStringLiteral("Record is deleted."));
    m_cacheValid = true;
    m_cacheGeneration = gen;
    return m_cache;
}

QVariant Recordset::fieldValue(int index) const
{
    check();
    if (m_editMode != dbEditNone)
        return engineValue(m_editValues[m_columnIndex[index]], m_table->columns[m_columnIndex[index]].type);
    return currentRow().values[index];
}

int Recordset::fieldSize(int index) const
{
    const QVariant v = fieldValue(index);
    if (!v.isValid()) return 0;
    if (v.metaType().id() == QMetaType::QByteArray) return int(v.toByteArray().size());
    return int(v.toString().toUtf8().size());
}

void Recordset::setFieldValue(int index, const QVariant &value)
{
    check();
    if (m_editMode == dbEditNone) fail(errUpdateWithoutEdit, QStringLiteral("Update or CancelUpdate without AddNew or Edit."));
    const int col = m_columnIndex[index];
    const ColumnInfo &c = m_table->columns[col];
    if (c.autoIncrement)
        fail(3164, QStringLiteral("Field '%1' cannot be updated.").arg(c.name));
    m_editValues[col] = storageValue(m_conn->errors.get(), c, value);
    m_dirty[col] = true;
}

void Recordset::Edit()
{
    requireUpdatable();
    requireCurrent();
    discardRowCache();   // editing starts from the stored values
    const Row &row = currentRow();
    m_editValues = QVector<QVariant>(m_table->columns.size());
    m_dirty = QVector<bool>(m_table->columns.size(), false);
    for (int i = 0; i < m_columns.size(); ++i) {
        const ColumnInfo &c = m_table->columns[m_columnIndex[i]];
        m_editValues[m_columnIndex[i]] = storageValue(nullptr, c, row.values[i]);
    }
    m_editKey = row.key;
    m_editRead = row;
    m_editMode = dbEditInProgress;
}

void Recordset::AddNew()
{
    requireUpdatable();
    m_editValues = QVector<QVariant>(m_table->columns.size());
    m_dirty = QVector<bool>(m_table->columns.size(), false);
    for (int i = 0; i < m_table->columns.size(); ++i) {
        const ColumnInfo &c = m_table->columns[i];
        if (c.defaultParsed.isValid()) m_editValues[i] = storageValue(nullptr, c, c.defaultParsed);
    }
    m_editKey = 0;
    m_editMode = dbEditAdd;
}

void Recordset::CancelUpdate()
{
    check();
    if (m_editMode == dbEditNone) fail(errUpdateWithoutEdit, QStringLiteral("Update or CancelUpdate without AddNew or Edit."));
    m_editMode = dbEditNone;
    m_editValues.clear();
    m_dirty.clear();
}

void Recordset::Update()
{
    check();
    Connection &c = *m_conn;
    if (m_editMode == dbEditNone) fail(errUpdateWithoutEdit, QStringLiteral("Update or CancelUpdate without AddNew or Edit."));
    endReadsBeforeWrite(c, kSource);
    for (int i = 0; i < m_table->columns.size(); ++i) {
        const ColumnInfo &col = m_table->columns[i];
        const bool isNull = !m_editValues[i].isValid();
        if (col.required && !col.autoIncrement && isNull && (m_dirty[i] || m_editMode == dbEditAdd))
            fail(errRequired, QStringLiteral("The field '%1.%2' cannot contain a Null value because the Required property "
                                             "for this field is set to True. Enter a value in this field.")
                                  .arg(m_table->name, col.name));
    }
    QStringList names;
    QVariantList values;
    for (int i = 0; i < m_table->columns.size(); ++i) {
        // An add also writes the defaults it showed, so the row holds what was read.
        if (m_dirty[i] || (m_editMode == dbEditAdd && m_editValues[i].isValid())) {
            names.append(quoteName(m_table->columns[i].name));
            values.append(m_editValues[i]);
        }
    }
    QString sql;
    if (m_editMode == dbEditInProgress) {
        if (names.isEmpty()) {
            m_editMode = dbEditNone;
            m_lastModified = m_editKey;
            return;
        }
        QStringList sets;
        for (const QString &n : names) sets.append(n + QStringLiteral(" = ?"));
        sql = QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?").arg(quoteName(m_table->name), sets.join(QStringLiteral(", ")));
        values.append(m_editKey);
    } else if (names.isEmpty()) {
        sql = QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(quoteName(m_table->name));
    } else {
        sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                  .arg(quoteName(m_table->name), names.join(QStringLiteral(", ")),
                       QStringList(names.size(), QStringLiteral("?")).join(QStringLiteral(", ")));
    }
    // An edit is checked against the file and written in one write
    // transaction, so no other writer can slip in between.
    const bool editing = m_editMode == dbEditInProgress;
    const bool ownTransaction = editing && sqlite3_get_autocommit(c.db);
    const char *begin = ownTransaction ? "BEGIN IMMEDIATE" : "SAVEPOINT tonalba_update";
    const char *undo = ownTransaction ? "ROLLBACK" : "ROLLBACK TO tonalba_update; RELEASE tonalba_update";
    if (editing) {
        const int brc = sqlite3_exec(c.db, begin, nullptr, nullptr, nullptr);
        if (brc != SQLITE_OK)
            raiseSqlite(c.errors.get(), c.db, brc, numberForSqliteWrite(brc), kSource,
                        numberForSqliteWrite(brc) == errLocked ? QStringLiteral("Could not update; currently locked.")
                                                               : QStringLiteral("Could not save the record."));
        Row now;
        bool found = false;
        try {
            found = fetchRow(m_editKey, now);
        } catch (...) {
            sqlite3_exec(c.db, undo, nullptr, nullptr, nullptr);
            throw;
        }
        if (!found || now.values != m_editRead.values) {
            sqlite3_exec(c.db, undo, nullptr, nullptr, nullptr);
            discardRowCache();
            if (!found) {
                m_editMode = dbEditNone;
                fail(errRecordDeleted, QStringLiteral("Record is deleted."));
            }
            // Optimistic locking: the row changed since it was read for editing.
            fail(errWriteConflict,
                 QStringLiteral("The Microsoft Jet database engine stopped the process because you and another user "
                                "are attempting to change the same data at the same time."));
        }
    }
    int rc = SQLITE_OK;
    {
        Stmt s;
        rc = sqlite3_prepare_v2(c.db, sql.toUtf8().constData(), -1, &s.st, nullptr);
        if (rc == SQLITE_OK) {
            for (int i = 0; i < values.size(); ++i) bindValue(s.st, i + 1, values[i]);
            rc = sqlite3_step(s.st);
        }
    }
    const int changes = sqlite3_changes(c.db);
    if (editing && rc == SQLITE_DONE) {
        rc = sqlite3_exec(c.db, ownTransaction ? "COMMIT" : "RELEASE tonalba_update", nullptr, nullptr, nullptr);
        if (rc == SQLITE_OK) rc = SQLITE_DONE;
    }
    if (rc != SQLITE_DONE) {
        // Read the engine's answer before a rollback replaces it.
        const int ext = sqlite3_extended_errcode(c.db);
        const QString text = QString::fromUtf8(sqlite3_errmsg(c.db));
        if (editing && !sqlite3_get_autocommit(c.db)) sqlite3_exec(c.db, undo, nullptr, nullptr, nullptr);
        auto failWith = [&](int number, const QString &description) {
            raise(c.errors.get(), number, kSource, QStringLiteral("%1 (SQLite: %2)").arg(description, text));
        };
        if (ext == SQLITE_CONSTRAINT_NOTNULL)
            failWith(errRequired, QStringLiteral("A field cannot contain a Null value because its Required property is set to True."));
        if (ext == SQLITE_CONSTRAINT_UNIQUE || ext == SQLITE_CONSTRAINT_PRIMARYKEY)
            failWith(errDuplicateKey,
                     QStringLiteral("The changes you requested to the table were not successful because they would "
                                    "create duplicate values in the index, primary key, or relationship."));
        const int number = numberForSqliteWrite(rc);
        failWith(number, number == errLocked     ? QStringLiteral("Could not update; currently locked.")
                         : number == errDiskFull ? QStringLiteral("Not enough space on disk.")
                         : number == errReadOnly ? QStringLiteral("Cannot update. Database or object is read-only.")
                                                 : QStringLiteral("Could not save the record."));
    }
    c.recordsAffected = changes;
    discardRowCache();
    if (m_editMode == dbEditInProgress) {
        if (c.recordsAffected == 0) {
            m_editMode = dbEditNone;
            fail(errRecordDeleted, QStringLiteral("Record is deleted."));
        }
        m_lastModified = m_editKey;
    } else {
        // The new row joins the end of the keyset, wherever a sort would put it.
        m_lastModified = sqlite3_last_insert_rowid(c.db);
        m_keys.append(m_lastModified);
        m_positionsValid = false;
        if (m_pos == int(m_keys.size()) - 1 && !m_onDeleted) m_pos = int(m_keys.size());   // EOF stays EOF
    }
    m_editMode = dbEditNone;
}

void Recordset::Delete()
{
    requireUpdatable();
    requireCurrent();
    Connection &c = *m_conn;
    const qint64 key = m_keys[m_pos];
    endReadsBeforeWrite(c, kSource);
    Stmt s;
    const QString sql = QStringLiteral("DELETE FROM %1 WHERE rowid = ?1").arg(quoteName(m_table->name));
    int rc = sqlite3_prepare_v2(c.db, sql.toUtf8().constData(), -1, &s.st, nullptr);
    if (rc == SQLITE_OK) {
        sqlite3_bind_int64(s.st, 1, key);
        rc = sqlite3_step(s.st);
    }
    if (rc != SQLITE_DONE) {
        const int number = numberForSqliteWrite(rc);
        raiseSqlite(c.errors.get(), c.db, rc, number, kSource,
                    number == errLocked ? QStringLiteral("Could not delete; currently locked.") : QStringLiteral("Could not delete the record."));
    }
    c.recordsAffected = sqlite3_changes(c.db);
    if (c.recordsAffected == 0) fail(errRecordDeleted, QStringLiteral("Record is deleted."));
    m_keys.remove(m_pos);
    m_positionsValid = false;
    m_onDeleted = true;
    m_editMode = dbEditNone;
    discardRowCache();
}

void Recordset::Requery()
{
    check();
    loadKeys();
}

QByteArray Recordset::Bookmark() const
{
    check();
    if (!Bookmarkable()) fail(errNotSupported, QStringLiteral("Operation is not supported for this type of object."));
    requireCurrent();
    return keyBytes(m_materialized ? m_rows[m_pos].key : m_keys[m_pos]);
}

void Recordset::SetBookmark(const QByteArray &bookmark)
{
    check();
    if (!Bookmarkable()) fail(errNotSupported, QStringLiteral("Operation is not supported for this type of object."));
    if (bookmark.size() < 4) fail(errNotValidBookmark, QStringLiteral("Not a valid bookmark."));
    const qint64 key = qFromLittleEndian<qint32>(bookmark.constData());
    const int pos = positionOfKey(key);
    if (pos < 0) fail(errNotValidBookmark, QStringLiteral("Not a valid bookmark."));
    if (!m_materialized) {
        Row row;
        if (!fetchRow(key, row)) fail(errRecordDeleted, QStringLiteral("Record is deleted."));
        m_cache = row;
        m_cacheValid = true;
        m_cacheGeneration = *m_conn->idleGeneration;
    }
    setPosition(pos);
}

QByteArray Recordset::LastModified() const
{
    check();
    if (m_lastModified == 0) fail(errNoCurrentRecord, QStringLiteral("No current record."));
    return keyBytes(m_lastModified);
}

std::unique_ptr<Recordset> Recordset::OpenRecordset(int type, int options)
{
    check();
    if (m_type == dbOpenTable && type == -1) type = dbOpenDynaset;
    if (type == -1) type = m_type;
    if (type == dbOpenTable)
        fail(errNotSupported, QStringLiteral("Operation is not supported for this type of object: a sorted or filtered recordset cannot be table-type."));
    CriteriaTranslator tr(*m_table, m_conn->errors.get(), kSource);
    const SqlText filter = tr.where(m_filterText);
    const QString order = m_sortText.trimmed().isEmpty() ? m_orderBy : tr.orderBy(m_sortText);
    QString where = m_where;
    QVariantList params = m_whereParams;
    if (!filter.sql.isEmpty()) {
        where = where.isEmpty() ? filter.sql : QStringLiteral("(%1) AND %2").arg(where, filter.sql);
        params += filter.params;
    }
    std::unique_ptr<Recordset> rs(new Recordset(m_conn, type, options | (m_options & dbReadOnly), m_lockType));
    rs->m_source = m_source;
    rs->openOn(*m_table, m_columns, where, params, order);
    return rs;
}

std::unique_ptr<Recordset> Recordset::Clone()
{
    check();
    if (m_type == dbOpenForwardOnly) fail(errNotSupported, QStringLiteral("Operation is not supported for this type of object."));
    std::unique_ptr<Recordset> rs(new Recordset(m_conn, m_type, m_options, m_lockType));
    rs->m_source = m_source;
    rs->m_table = std::make_unique<TableInfo>(*m_table);
    rs->m_columns = m_columns;
    rs->m_columnIndex = m_columnIndex;
    rs->m_materialized = m_materialized;
    rs->m_where = m_where;
    rs->m_whereParams = m_whereParams;
    rs->m_orderBy = m_orderBy;
    rs->m_baseOrder = m_baseOrder;
    rs->m_keys = m_keys;
    rs->m_rows = m_rows;
    rs->m_index = m_index;
    rs->m_indexColumns = m_indexColumns;
    rs->buildFields();
    rs->m_pos = count() > 0 ? 0 : -1;
    return rs;
}

QVector<qint64> Recordset::matchingKeys(const QString &criteria) const
{
    Connection &c = *m_conn;
    if (m_table->isView) fail(errNotSupported, QStringLiteral("Operation is not supported for this type of object: searching a query."));
    CriteriaTranslator tr(*m_table, c.errors.get(), kSource);
    const SqlText crit = tr.where(criteria);
    QString sql = QStringLiteral("SELECT rowid FROM %1").arg(quoteName(m_table->name));
    if (!crit.sql.isEmpty()) sql += QStringLiteral(" WHERE ") + crit.sql;
    Stmt s;
    int rc = sqlite3_prepare_v2(c.db, sql.toUtf8().constData(), -1, &s.st, nullptr);
    if (rc != SQLITE_OK) raiseSqlite(c.errors.get(), c.db, rc, errSyntax, kSource, QStringLiteral("Cannot search with '%1'.").arg(criteria));
    for (int i = 0; i < crit.params.size(); ++i) bindValue(s.st, i + 1, crit.params[i]);
    QVector<qint64> out;
    while ((rc = sqlite3_step(s.st)) == SQLITE_ROW) out.append(sqlite3_column_int64(s.st, 0));
    if (rc != SQLITE_DONE) raiseSqlite(c.errors.get(), c.db, rc, numberForSqliteWrite(rc), kSource, QStringLiteral("Cannot search with '%1'.").arg(criteria));
    return out;
}

void Recordset::find(const QString &criteria, int start, int step)
{
    check();
    if (m_type == dbOpenTable || m_type == dbOpenForwardOnly)
        fail(errNotSupported, QStringLiteral("Operation is not supported for this type of object."));
    const QVector<qint64> keys = matchingKeys(criteria);
    const QSet<qint64> match(keys.begin(), keys.end());
    const int n = count();
    for (int i = start; i >= 0 && i < n; i += step) {
        if (match.contains(m_materialized ? m_rows[i].key : m_keys[i])) {
            m_noMatch = false;
            setPosition(i);
            return;
        }
    }
    m_noMatch = true;
}

void Recordset::FindFirst(const QString &criteria) { find(criteria, 0, 1); }
void Recordset::FindLast(const QString &criteria) { find(criteria, count() - 1, -1); }
void Recordset::FindNext(const QString &criteria) { find(criteria, m_onDeleted ? m_pos : m_pos + 1, 1); }
void Recordset::FindPrevious(const QString &criteria) { find(criteria, m_pos - 1, -1); }

void Recordset::SetIndex(const QString &name)
{
    check();
    if (m_type != dbOpenTable) fail(errNotSupported, QStringLiteral("Operation is not supported for this type of object."));
    Connection &c = *m_conn;
    QStringList cols;
    Stmt s;
    if (name.compare(QLatin1String("PrimaryKey"), Qt::CaseInsensitive) == 0) {
        sqlite3_prepare_v2(c.db, "SELECT name FROM pragma_table_info(?1) WHERE pk > 0 ORDER BY pk", -1, &s.st, nullptr);
        const QByteArray t = m_table->name.toUtf8();
        sqlite3_bind_text(s.st, 1, t.constData(), int(t.size()), SQLITE_TRANSIENT);
    } else {
        sqlite3_prepare_v2(c.db, "SELECT i.name FROM sqlite_schema m, pragma_index_info(m.name) i "
                                 "WHERE m.type = 'index' AND m.name = ?1 COLLATE NOCASE AND m.tbl_name = ?2 COLLATE NOCASE "
                                 "ORDER BY i.seqno", -1, &s.st, nullptr);
        const QByteArray n = name.toUtf8(), t = m_table->name.toUtf8();
        sqlite3_bind_text(s.st, 1, n.constData(), int(n.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(s.st, 2, t.constData(), int(t.size()), SQLITE_TRANSIENT);
    }
    while (sqlite3_step(s.st) == SQLITE_ROW)
        cols.append(QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(s.st, 0))));
    if (cols.isEmpty() && name.compare(QLatin1String("PrimaryKey"), Qt::CaseInsensitive) != 0)
        fail(3015, QStringLiteral("'%1' isn't an index in this table.").arg(name));
    m_index = name;
    m_indexColumns = cols;
    m_orderBy = CriteriaTranslator(*m_table, c.errors.get(), kSource).orderBy(cols.join(QStringLiteral(", ")));
    loadKeys();
}

void Recordset::Seek(const QString &comparison, const QVariantList &keys)
{
    check();
    if (m_type != dbOpenTable || m_index.isEmpty())
        fail(3019, QStringLiteral("Operation invalid without a current index."));
    static const QStringList ops = {"=", ">=", ">", "<=", "<"};
    if (!ops.contains(comparison) || keys.isEmpty() || keys.size() > qMax<qsizetype>(1, m_indexColumns.size()))
        fail(errInvalidArgument, QStringLiteral("Invalid argument."));
    // Row-value comparison over the first keys.size() index columns, in index order.
    QStringList lhs, marks;
    QVariantList values;
    for (int i = 0; i < keys.size(); ++i) {
        const QString colName = m_indexColumns.isEmpty() ? QStringLiteral("rowid") : m_indexColumns[i];
        const int ci = m_table->indexOf(colName);
        const int type = ci >= 0 ? m_table->columns[ci].type : dbLong;
        QString expr = quoteName(colName);
        if (type == dbDate) expr = QStringLiteral("tdays(%1)").arg(expr);
        else if (type == dbText || type == dbMemo) expr += QStringLiteral(" COLLATE TONALBA");
        lhs.append(expr);
        marks.append(QStringLiteral("?"));
        QVariant v = ci >= 0 ? storageValue(m_conn->errors.get(), m_table->columns[ci], keys[i]) : keys[i];
        if (type == dbDate && v.isValid()) {
            double d;
            isoToDays(v.toString(), d);
            v = d;
        }
        values.append(v);
    }
    const bool backwards = comparison.startsWith('<');
    const QString dir = backwards ? QStringLiteral(" DESC") : QString();
    QString sql = QStringLiteral("SELECT rowid FROM %1 WHERE (%2) %3 (%4)")
                      .arg(quoteName(m_table->name), lhs.join(QStringLiteral(", ")), comparison, marks.join(QStringLiteral(", ")));
    if (!m_where.isEmpty()) sql += QStringLiteral(" AND (%1)").arg(m_where);
    QStringList order;
    for (const QString &e : lhs) order.append(e + dir);
    sql += QStringLiteral(" ORDER BY %1, rowid%2 LIMIT 1").arg(order.join(QStringLiteral(", ")), dir);
    Connection &c = *m_conn;
    Stmt s;
    int rc = sqlite3_prepare_v2(c.db, sql.toUtf8().constData(), -1, &s.st, nullptr);
    if (rc != SQLITE_OK) raiseSqlite(c.errors.get(), c.db, rc, errEngine, kSource, QStringLiteral("Seek failed."));
    int i = 1;
    for (const QVariant &v : values) bindValue(s.st, i++, v);
    for (const QVariant &v : m_whereParams) bindValue(s.st, i++, v);
    const int pos = sqlite3_step(s.st) == SQLITE_ROW ? positionOfKey(sqlite3_column_int64(s.st, 0)) : -1;
    m_noMatch = pos < 0;
    if (pos >= 0) setPosition(pos);
}

ReadBatch::ReadBatch(const Recordset *recordset) : m_conn(recordset ? recordset->m_conn : nullptr)
{
    if (m_conn) ++m_conn->readDepth;
}

ReadBatch::~ReadBatch()
{
    if (!m_conn || --m_conn->readDepth > 0) return;
    m_conn->batchFetches = 0;
    finishRead(*m_conn);
}

} // namespace dao
