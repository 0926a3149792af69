#include "data/daodatabase.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {
QString &applicationFolderOverride()
{
    static QString folder;
    return folder;
}

QString valueOf(const QStringList &params, const QString &name)
{
    for (const QString &line : params) {
        const int eq = line.indexOf('=');
        if (eq >= 0 && line.left(eq).compare(name, Qt::CaseInsensitive) == 0) return line.mid(eq + 1);
    }
    return QString();
}
} // namespace

TDaoDatabase::TDaoDatabase(QObject *owner) : QObject(owner)
{
    // The only engine this system has is 3.6, so that is the version chosen.
    m_version = dao::DBEngine::AvailableVersions().value(0);
    try {
        StartEngine();
    } catch (const Exception &) {
    }
}

TDaoDatabase::~TDaoDatabase()
{
    try {
        SetConnected(false);
    } catch (const Exception &) {
    }
    m_daoWorkspace = nullptr;
    m_engine.reset();
}

QString TDaoDatabase::ApplicationFolder()
{
    QString folder = applicationFolderOverride();
    if (folder.isEmpty()) folder = qEnvironmentVariable("TONALBA_HOME");
    if (folder.isEmpty())
        folder = QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QDir::currentPath();
    if (!folder.endsWith('/')) folder += '/';
    return folder;
}

void TDaoDatabase::SetApplicationFolder(const QString &folder) { applicationFolderOverride() = folder; }

QString TDaoDatabase::LanguageForCollatingOrder(int order)
{
    switch (order) {
    case 1024: return QStringLiteral("Neutral");
    case 1025: return QStringLiteral("Arabic");
    case 1028: return QStringLiteral("Traditional Chinese");
    case 1029: return QStringLiteral("Czech");
    case 1030: return QStringLiteral("Norwegian or Danish");
    case 1032: return QStringLiteral("Greek");
    case 1033: return QStringLiteral("General (English, French, German, Portuguese, Italian, and Modern Spanish)");
    case 1034: return QStringLiteral("Spanish");
    case 1037: return QStringLiteral("Hebrew");
    case 1038: return QStringLiteral("Hungarian");
    case 1039: return QStringLiteral("Icelandic");
    case 1041: return QStringLiteral("Japanese");
    case 1042: return QStringLiteral("Korean");
    case 1043: return QStringLiteral("Dutch");
    case 1045: return QStringLiteral("Polish");
    case 1049: return QStringLiteral("Bulgarian or Russian");
    case 1053: return QStringLiteral("Swedish or Finnish");
    case 1054: return QStringLiteral("Thai");
    case 1055: return QStringLiteral("Turkish");
    case 1060: return QStringLiteral("Slovenian");
    case 2052: return QStringLiteral("Simplified Chinese");
    case -1: return QStringLiteral("Undefined or unknown");
    default: return QString();
    }
}

void TDaoDatabase::refuseWhileConnected(const char *message) const
{
    if (Connected()) DatabaseError(QString::fromLatin1(message));
}

// A setting the engine is created with: restart it, and when that fails put
// the old value back, restart once more and let the error go on.
void TDaoDatabase::restartAfter(const std::function<void()> &restore, bool ignoreRestartError)
{
    if (m_loading) return;
    try {
        StartEngine();
    } catch (const Exception &) {
        if (ignoreRestartError) return;
        restore();
        try {
            StartEngine();
        } catch (const Exception &) {
        }
        throw;
    }
}

void TDaoDatabase::SetExclusive(bool value)
{
    refuseWhileConnected("TDaoDatabase.F_Set_Exclusive: Cannot change Exclusive mode while Database is connected!");
    m_exclusive = value;
}

void TDaoDatabase::SetDatabaseType(const QString &value)
{
    refuseWhileConnected("TDaoDatabase.F_Set_DatabaseType: Cannot set Database Type while Database is connected!");
    m_databaseType = value;
    m_database.clear();
}

void TDaoDatabase::SetDatabase(const QString &value)
{
    refuseWhileConnected("TDaoDatabase.F_Set_Database: Cannot set Database while Database is connected!");
    m_database = value;
}

void TDaoDatabase::SetDatabaseParameters(const QString &value)
{
    refuseWhileConnected("TDaoDatabase.F_Set_DatabaseParameters: Cannot set DatabaseParameters while Database is connected!");
    m_databaseParameters = value;
}

void TDaoDatabase::SetReadOnly(bool value)
{
    refuseWhileConnected("TDaoDatabase.F_Set_ReadOnly: Cannot change mode while Database is connected!");
    m_readOnly = value;
}

void TDaoDatabase::SetLoginPrompt(bool value)
{
    refuseWhileConnected("TDaoDatabase.F_Set_LoginPrompt: Cannot change LoginPrompt while Database is connected!");
    m_loginPrompt = value;
}

void TDaoDatabase::SetUserName(const QString &value)
{
    refuseWhileConnected("TDaoDatabase.F_Set_UserName: Cannot change User Name while Database is connected!");
    const QString old = m_userName;
    m_userName = value;
    restartAfter([&] { m_userName = old; }, true);
}

void TDaoDatabase::SetPassword(const QString &value)
{
    refuseWhileConnected("TDaoDatabase.F_Set_Password: Cannot change Password while Database is connected!");
    const QString old = m_password;
    m_password = value;
    restartAfter([&] { m_password = old; }, true);
}

void TDaoDatabase::SetDatabasePassword(const QString &value)
{
    refuseWhileConnected("TDaoDatabase.F_Set_DatabasePassword: Cannot change Database Password while Database is connected!");
    m_databasePassword = value;
}

void TDaoDatabase::SetSystemDatabase(const QString &value)
{
    refuseWhileConnected("TDaoDatabase.F_Set_SystemDatabase: Cannot set SystemDatabase while Database is connected!");
    const QString old = m_systemDatabase;
    m_systemDatabase = value;
    restartAfter([&] { m_systemDatabase = old; }, false);
}

void TDaoDatabase::SetShowSystemObjects(bool value)
{
    m_showSystemObjects = value;
    if (Connected()) refreshNames();
}

void TDaoDatabase::SetEngineType(int value)
{
    refuseWhileConnected("TDaoDatabase.F_Set_EngineType: Cannot set EngineType Type while Database is connected!");
    const int old = m_engineType;
    m_engineType = value;
    restartAfter([&] { m_engineType = old; }, false);
}

void TDaoDatabase::SetPrivateEngine(bool value)
{
    refuseWhileConnected("TDaoDatabase.F_Set_EngineType: Cannot set PrivateEngine Type while Database is connected!");
    const bool old = m_privateEngine;
    m_privateEngine = value;
    restartAfter([&] { m_privateEngine = old; }, false);
}

void TDaoDatabase::SetTrackTransactions(bool value)
{
    refuseWhileConnected("Cannot set TrackTransactions property when Database is connected!");
    m_trackTransactions = value;
}

void TDaoDatabase::SetVersion(const QString &value)
{
    refuseWhileConnected("TDaoDatabase.F_Set_DaoVersion: Cannot set Dao Version while Database is connected!");
    const QString old = m_version;
    m_version = value.left(3);
    restartAfter([&] { m_version = old; }, false);
}

void TDaoDatabase::SetWorkspace(const QString &value)
{
    refuseWhileConnected("TDaoDatabase.F_Set_Workspace: Cannot set Workspace while Database is connected!");
    const QString old = m_workspace;
    m_workspace = value;
    restartAfter([&] { m_workspace = old; }, false);
}

void TDaoDatabase::SetDefaultCursorDriver(int value)
{
    m_defaultCursorDriver = value;
    if (!m_loading && m_engineType == dao::dbUseODBC && m_daoWorkspace) m_daoWorkspace->SetDefaultCursorDriver(value);
}

void TDaoDatabase::Loaded()
{
    m_loading = false;
    try {
        StartEngine();
    } catch (const Exception &) {
    }
}

void TDaoDatabase::StartEngine()
{
    if (m_engine && m_daoWorkspace) m_engine->CloseWorkspace(m_daoWorkspace);
    m_daoWorkspace = nullptr;
    m_engine.reset();
    // A 3.5 request falls back to 3.6, as when only the newer engine is installed.
    const QString wanted = m_version.left(3);
    if (wanted != QLatin1String("3.5") && wanted != QLatin1String("3.6"))
        DatabaseError(QStringLiteral("You does not have Microsoft DAO installed ot it is an OLD Version!"));
    m_engine = std::make_unique<dao::DBEngine>(QStringLiteral("3.6"));
    m_version = m_engine->Version();
    m_usesDynaDao = true;
    m_engine->SetSystemDB(m_systemDatabase);
    m_versionDetails = m_engine->Version();
    const QChar mode = m_versionDetails.size() > 2 ? m_versionDetails[2] : QChar();
    m_versionInfo = mode == '5' ? QStringLiteral("(In Access'97 mode)")
                    : mode == '6' ? QStringLiteral("(In Access'2000 mode)") : QString();
    m_engine->SetDefaultUser(m_userName);
    m_engine->SetDefaultPassword(m_password);
    m_daoWorkspace = m_engine->CreateWorkspace(m_workspace, m_userName, m_password, m_engineType);
    if (m_engineType == dao::dbUseODBC) m_daoWorkspace->SetDefaultCursorDriver(m_defaultCursorDriver);
    m_workspace = m_daoWorkspace->Name();
}

void TDaoDatabase::SetConnected(bool value)
{
    if (value == Connected()) return;
    if (value) connect();
    else disconnect();
}

void TDaoDatabase::connect()
{
    if (m_database.isEmpty()) DatabaseError(QStringLiteral("TDaoDatabase.F_Set_Active: Database property is not defined!"));
    if (m_databaseType.isEmpty())
        DatabaseError(QStringLiteral("TDaoDatabase.F_Set_Active: DatabaseType property is not defined!"));
    if (OnBeforeConnect) OnBeforeConnect(this);

    if (OnLogin) {
        QStringList params = {QStringLiteral("USER NAME=") + m_userName, QStringLiteral("PASSWORD=") + m_password,
                              QStringLiteral("DBPASSWORD=") + m_databasePassword};
        OnLogin(this, params);
        m_userName = valueOf(params, QStringLiteral("USER NAME"));
        m_password = valueOf(params, QStringLiteral("PASSWORD"));
        m_databasePassword = valueOf(params, QStringLiteral("DBPASSWORD"));
    }
    // Version detection from the file header would need a second handle on a
    // file this process may have open (closing it drops SQLite's locks); with
    // only the 3.6 engine it could not change the version anyway.

    StartEngine();

    const QString type = m_databaseType;
    std::shared_ptr<dao::Database> db;
    if (type.compare(QLatin1String("Access"), Qt::CaseInsensitive) == 0) {
        if (m_smartOpen && !QFileInfo::exists(m_database))
            m_database = ApplicationFolder() + QFileInfo(m_database).fileName();
        if (!QFileInfo::exists(m_database)) DatabaseError(QStringLiteral("Cannot find Database:\r\n") + m_database);
        if (m_engineType != dao::dbUseJet)
            DatabaseError(QStringLiteral("TDaoDatabase.F_Set_Active: ODBC direct workspaces\r\nare NOT supported for MS Access Databases!"));
        const QString connectText = QStringLiteral(";UID=") + m_userName + QStringLiteral(";PWD=") + m_databasePassword
                                    + ';' + m_databaseParameters;
        db = m_daoWorkspace->OpenDatabase(m_database, m_exclusive, m_readOnly, connectText);
    } else if (type.compare(QLatin1String("ODBC"), Qt::CaseInsensitive) == 0) {
        const QString connectText = m_database.startsWith(QLatin1String("odbc;"), Qt::CaseInsensitive)
                                        ? m_database + ';' + m_databaseParameters
                                        : type + QStringLiteral(";UID=") + m_userName + QStringLiteral(";PWD=") + m_password
                                              + QStringLiteral(";DSN=") + m_database + ';' + m_databaseParameters;
        db = m_daoWorkspace->OpenDatabase(m_database, true, m_readOnly, connectText);
    } else {
        if (m_engineType != dao::dbUseJet)
            DatabaseError(QStringLiteral("TDaoDatabase.F_Set_Active: ODBC direct workspaces NOT supported!"));
        const QString connectText = !m_password.isEmpty() && !m_userName.isEmpty()
                                        ? type + QStringLiteral(";UID=") + m_userName + QStringLiteral(";PWD=") + m_password
                                              + ';' + m_databaseParameters
                                        : type + ';' + m_databaseParameters;
        db = m_daoWorkspace->OpenDatabase(m_database, m_exclusive, m_readOnly, connectText);
    }
    if (m_queryTimeout != 60) db->SetQueryTimeout(m_queryTimeout);
    if (type.compare(QLatin1String("ODBC"), Qt::CaseInsensitive) != 0) m_databaseVersionInfo = db->Version();
    m_db = db;
    refreshNames();
    m_databaseLanguage = LanguageForCollatingOrder(m_db->CollatingOrder());
    m_engine->Idle(1);
    m_engine->Idle(8);
    if (OnAfterConnect) OnAfterConnect(this);
}

void TDaoDatabase::refreshNames()
{
    m_tableNames.clear();
    m_queryNames.clear();
    if (!m_db) return;
    try {
        if (m_engineType == dao::dbUseJet)
            for (const dao::ObjectDef &t : m_db->TableDefs())
                if (m_showSystemObjects || !(t.Attributes & dao::dbSystemObject)) m_tableNames.append(t.Name);
        for (const dao::ObjectDef &q : m_db->QueryDefs()) m_queryNames.append(q.Name);
    } catch (const Exception &) {
    }
}

void TDaoDatabase::disconnect()
{
    if (OnBeforeDisconnect) OnBeforeDisconnect(this);
    m_tableNames.clear();
    m_queryNames.clear();
    m_closingClients = true;
    const QList<TDaoDatabaseClient *> clients = m_clients;
    for (TDaoDatabaseClient *client : clients) {
        try {
            client->databaseDisconnecting();
        } catch (const Exception &) {
        }
    }
    m_closingClients = false;
    m_clients.clear();
    m_db->Close();
    m_db.reset();
    if (OnAfterDisconnect) OnAfterDisconnect(this);
}

void TDaoDatabase::RegisterClient(TDaoDatabaseClient *client)
{
    if (client && !m_clients.contains(client)) m_clients.append(client);
}

void TDaoDatabase::UnregisterClient(TDaoDatabaseClient *client)
{
    if (!m_closingClients) m_clients.removeOne(client);
}

dao::ErrorInfo TDaoDatabase::LastEngineError() const
{
    if (!m_engine || m_engine->Errors().isEmpty()) return dao::ErrorInfo();
    return m_engine->Errors().first();
}

void TDaoDatabase::BeginTrans()
{
    if (!m_daoWorkspace) StartEngine();
    m_daoWorkspace->BeginTrans();
}

void TDaoDatabase::CommitTrans()
{
    if (!m_daoWorkspace) StartEngine();
    m_daoWorkspace->CommitTrans();
}

void TDaoDatabase::Rollback()
{
    if (!m_daoWorkspace) StartEngine();
    m_daoWorkspace->Rollback();
}

void TDaoDatabase::RepairDatabaseFile(const QString &path, const QString &password)
{
    if (m_version == QLatin1String("3.5")) {
        if (!m_engine) StartEngine();
        m_engine->RepairDatabase(path);
        return;
    }
    CompactDatabaseFile(path, password);
}

// Compacts in place instead of into a copy that replaces the archive: there is
// no moment at which a failure could lose both, and no rename over a file that
// someone might open in between. The engine holds the archive's exclusive lock
// meanwhile, refuses a damaged archive and checks the free space first.
void TDaoDatabase::CompactDatabaseFile(const QString &path, const QString &password)
{
    if (!m_engine) StartEngine();
    const QString locale = password.isEmpty() ? QString() : QStringLiteral(";pwd=") + password;
    m_engine->CompactDatabaseInPlace(path, locale);
}
