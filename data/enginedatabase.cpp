#include "data/enginedatabase.h"
#include "data/engine_p.h"
#include "data/enginecriteria_p.h"
#include "data/lockfile.h"

#include <sqlite3.h>

namespace dao {

static const QString kSource = QStringLiteral("DAO.Database");

Database::Database(std::shared_ptr<Connection> connection, std::unique_ptr<TArchiveLock> lock)
    : m_conn(std::move(connection)), m_lock(std::move(lock))
{
}

Database::~Database() { Close(); }

const QString &Database::Name() const { return m_conn->path; }
QString Database::Version() const { return QString::fromLatin1(sqlite3_libversion()); }
bool Database::Updatable() const { return !m_conn->readOnly; }
int Database::RecordsAffected() const { return m_conn->recordsAffected; }
bool Database::IsOpen() const { return m_conn->db != nullptr; }

static bool isSystemTable(const QString &name)
{
    return name.startsWith(QLatin1String("sqlite_"), Qt::CaseInsensitive)
           || name.compare(QLatin1String("tonalba_properties"), Qt::CaseInsensitive) == 0;
}

static QList<ObjectDef> objects(Connection &c, const char *type)
{
    c.check(kSource);
    QList<ObjectDef> out;
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(c.db, "SELECT name FROM sqlite_schema WHERE type = ?1 ORDER BY name", -1, &st, nullptr);
    sqlite3_bind_text(st, 1, type, -1, SQLITE_STATIC);
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        ObjectDef d;
        d.Name = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)));
        if (isSystemTable(d.Name)) d.Attributes = dbSystemObject;
        out.append(d);
    }
    sqlite3_finalize(st);
    if (rc != SQLITE_DONE) raiseSqlite(c.errors.get(), c.db, rc, numberForSqliteWrite(rc), kSource, QStringLiteral("Cannot read the list of tables."));
    if (qstrcmp(type, "table") == 0) {
        // The schema table itself is never listed by the schema.
        out.prepend({QStringLiteral("sqlite_schema"), dbSystemObject});
    }
    return out;
}

QList<ObjectDef> Database::TableDefs() const { return objects(*m_conn, "table"); }
QList<ObjectDef> Database::QueryDefs() const { return objects(*m_conn, "view"); }

std::unique_ptr<Recordset> Database::OpenRecordset(const QString &source, int type, int options, int lockType)
{
    Connection &c = *m_conn;
    c.check(kSource);
    SelectParts select;
    const bool isSql = source.trimmed().startsWith(QLatin1String("select"), Qt::CaseInsensitive);
    if (isSql && !parseSelect(source, select))
        raise(c.errors.get(), errSyntax, kSource, QStringLiteral("Syntax error in query '%1'.").arg(source));
    const QString name = isSql ? select.table : source.trimmed();
    const std::optional<TableInfo> table = readTableInfo(c, name);
    if (!table)
        raise(c.errors.get(), errNoSuchTable, kSource,
              QStringLiteral("The database engine cannot find the input table or query '%1'. "
                             "Make sure it exists and its name is spelled correctly.").arg(name));
    if (type == -1) type = isSql || table->isView ? dbOpenDynaset : dbOpenTable;
    if (type == dbOpenDynamic)
        raise(c.errors.get(), errNotSupported, kSource, QStringLiteral("Dynamic recordsets need an ODBC connection, which this engine does not offer."));
    if (type != dbOpenTable && type != dbOpenDynaset && type != dbOpenSnapshot && type != dbOpenForwardOnly)
        raise(c.errors.get(), errInvalidArgument, kSource, QStringLiteral("Invalid argument: recordset type %1.").arg(type));
    if (type == dbOpenTable && (isSql || table->isView))
        raise(c.errors.get(), errNotSupported, kSource, QStringLiteral("Operation is not supported for this type of object: a table-type recordset needs a table."));
    if (options & dbForwardOnly) type = dbOpenForwardOnly;

    std::unique_ptr<Recordset> rs(new Recordset(m_conn, type, options, lockType));
    rs->m_source = source;
    SqlText where;
    QString order;
    if (isSql) {
        CriteriaTranslator tr(*table, c.errors.get(), kSource);
        where = tr.where(select.where);
        order = tr.orderBy(select.orderBy);
        for (const QString &col : select.columns)
            if (table->indexOf(col) < 0)
                raise(c.errors.get(), errUnknownName, kSource,
                      QStringLiteral("The database engine does not recognize '%1' as a valid field name or expression.").arg(col));
    }
    rs->openOn(*table, select.columns, where.sql, where.params, order);
    return rs;
}

void Database::Execute(const QString &sql)
{
    m_conn->check(kSource);
    exec(*m_conn, sql, kSource);
    m_conn->recordsAffected = sqlite3_changes(m_conn->db);
}

void Database::Close()
{
    Connection &c = *m_conn;
    if (!c.db) return;
    // Recordsets die with their database, as in the classic engine.
    const QList<Recordset *> open = c.recordsets;
    for (Recordset *rs : open) rs->Close();
    finishRead(c);
    sqlite3_close_v2(c.db);
    c.db = nullptr;
    if (m_lock) m_lock->release();
}

} // namespace dao
