#pragma once
// TDaoDatabase: the database component. Starts the storage engine, opens one
// archive through a named workspace, keeps the table components registered on
// it (closing them at disconnect) and compacts archive files.
//
// States: created (engine started) -> connected <-> disconnected. Property
// writes that would change an open connection are refused while connected with
// the component's fixed messages. ODBC and installable formats, the registry
// lists and the login dialog do not exist here: OnLogin still runs, and an
// ODBC or installable-format connect fails with the engine's message.

#include "data/daodatabaseclient.h"
#include "data/engine.h"

#include <QList>
#include <QObject>
#include <QStringList>
#include <functional>
#include <memory>

class TDaoDatabase;
using TDaoDatabaseEvent = std::function<void(TDaoDatabase *database)>;
// LoginParams: "USER NAME=...", "PASSWORD=...", "DBPASSWORD=..."; edited in place.
using TDaoLoginEvent = std::function<void(TDaoDatabase *database, QStringList &loginParams)>;

class TDaoDatabase : public QObject
{
    Q_OBJECT
public:
    explicit TDaoDatabase(QObject *owner = nullptr);
    ~TDaoDatabase() override;

    // Published properties, in their declared order.
    QString ComponentVersion() const { return QStringLiteral("8.20"); }
    void SetComponentVersion(const QString &) {}
    bool Exclusive() const { return m_exclusive; }
    void SetExclusive(bool value);
    QString DatabaseLanguage() const { return m_databaseLanguage; }
    QString DatabaseType() const { return m_databaseType; }
    void SetDatabaseType(const QString &value);
    QString Database() const { return m_database; }
    void SetDatabase(const QString &value);
    QString DatabaseParameters() const { return m_databaseParameters; }
    void SetDatabaseParameters(const QString &value);
    QString DatabaseVersionInfo() const { return m_databaseVersionInfo; }
    void SetDatabaseVersionInfo(const QString &) {}
    bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool value);
    bool LoginPrompt() const { return m_loginPrompt; }
    void SetLoginPrompt(bool value);
    QString UserName() const { return m_userName; }
    void SetUserName(const QString &value);
    bool UseODBCDialog() const { return m_useOdbcDialog; }
    void SetUseODBCDialog(bool value) { m_useOdbcDialog = value; }
    QString Password() const { return m_password; }
    void SetPassword(const QString &value);
    QString DatabasePassword() const { return m_databasePassword; }
    void SetDatabasePassword(const QString &value);
    QString SystemDatabase() const { return m_systemDatabase; }
    void SetSystemDatabase(const QString &value);
    bool SaveUserName() const { return m_saveUserName; }
    void SetSaveUserName(bool value) { m_saveUserName = value; }
    bool ShowSystemObjects() const { return m_showSystemObjects; }
    void SetShowSystemObjects(bool value);
    bool SmartOpen() const { return m_smartOpen; }
    void SetSmartOpen(bool value) { m_smartOpen = value; }
    int EngineType() const { return m_engineType; }
    void SetEngineType(int value);
    bool PrivateEngine() const { return m_privateEngine; }
    void SetPrivateEngine(bool value);
    bool TrackTransactions() const { return m_trackTransactions; }
    void SetTrackTransactions(bool value);
    bool UsesDynaDao() const { return m_usesDynaDao; }
    void SetUsesDynaDao(bool) {}
    QString Version() const { return m_version; }
    void SetVersion(const QString &value);
    QString VersionDetails() const { return m_versionDetails; }
    void SetVersionDetails(const QString &) {}
    QString VersionInfo() const { return m_versionInfo; }
    void SetVersionInfo(const QString &) {}
    QString Workspace() const { return m_workspace; }
    void SetWorkspace(const QString &value);
    int DefaultCursorDriver() const { return m_defaultCursorDriver; }
    void SetDefaultCursorDriver(int value);
    int QueryTimeout() const { return m_queryTimeout; }
    void SetQueryTimeout(int value) { m_queryTimeout = value; }
    bool MdbVersionAutoDetect() const { return m_mdbVersionAutoDetect; }
    void SetMdbVersionAutoDetect(bool value) { m_mdbVersionAutoDetect = value; }

    TDaoLoginEvent OnLogin;
    TDaoDatabaseEvent OnBeforeConnect, OnAfterConnect, OnBeforeDisconnect, OnAfterDisconnect;

    bool Connected() const { return m_db != nullptr; }
    void SetConnected(bool value);
    void Open() { SetConnected(true); }
    void Close() { SetConnected(false); }

    // Form loading: writes between BeginLoad and Loaded do not restart the
    // engine; Loaded starts it (errors ignored).
    void BeginLoad() { m_loading = true; }
    void Loaded();
    void StartEngine();

    void RepairDatabaseFile(const QString &path, const QString &password);
    void CompactDatabaseFile(const QString &path, const QString &password);

    // Name lists of the open database (system objects only with ShowSystemObjects).
    const QStringList &TableNames() const { return m_tableNames; }
    const QStringList &QueryNames() const { return m_queryNames; }
    QStringList EngineVersionsFound() const { return dao::DBEngine::AvailableVersions(); }

    // The engine's first pending error; number 0 and empty texts when none.
    dao::ErrorInfo LastEngineError() const;

    // Table components.
    void RegisterClient(TDaoDatabaseClient *client);
    void UnregisterClient(TDaoDatabaseClient *client);
    const QList<TDaoDatabaseClient *> &Clients() const { return m_clients; }

    // Transactions of the workspace (the import adds a whole file or nothing).
    void BeginTrans();
    void CommitTrans();
    void Rollback();

    // Engine objects for the table component.
    dao::DBEngine *Engine() const { return m_engine.get(); }
    dao::Workspace *DaoWorkspace() const { return m_daoWorkspace; }
    dao::Database *DaoDatabase() const { return m_db.get(); }

    // The folder SmartOpen looks in, with a trailing "/": TONALBA_HOME when set,
    // else the executable's folder, unless the program sets another.
    static QString ApplicationFolder();
    static void SetApplicationFolder(const QString &folder);

    static QString LanguageForCollatingOrder(int order);

private:
    void refuseWhileConnected(const char *message) const;
    void restartAfter(const std::function<void()> &restore, bool ignoreRestartError);
    void connect();
    void disconnect();
    void refreshNames();

    std::unique_ptr<dao::DBEngine> m_engine;
    dao::Workspace *m_daoWorkspace = nullptr;
    std::shared_ptr<dao::Database> m_db;
    QList<TDaoDatabaseClient *> m_clients;
    bool m_closingClients = false;
    bool m_loading = false;
    QStringList m_tableNames, m_queryNames;

    bool m_exclusive = false;
    QString m_databaseLanguage;
    QString m_databaseType = QStringLiteral("Access");
    QString m_database;
    QString m_databaseParameters;
    QString m_databaseVersionInfo;
    bool m_readOnly = false;
    bool m_loginPrompt = false;
    QString m_userName = QStringLiteral("Admin");
    bool m_useOdbcDialog = true;
    QString m_password;
    QString m_databasePassword;
    QString m_systemDatabase;
    bool m_saveUserName = true;
    bool m_showSystemObjects = false;
    bool m_smartOpen = true;
    int m_engineType = dao::dbUseJet;
    bool m_privateEngine = false;
    bool m_trackTransactions = true;
    bool m_usesDynaDao = false;
    QString m_version;
    QString m_versionDetails;
    QString m_versionInfo;
    QString m_workspace = QStringLiteral("DaoWorkspace");
    int m_defaultCursorDriver = -1;
    int m_queryTimeout = 60;
    bool m_mdbVersionAutoDetect = false;
};
