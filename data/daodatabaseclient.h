#pragma once
// What a table component offers the database it registers with: the database
// closes every registered client when it disconnects. A client closed this way
// must not unregister itself (the database clears its list afterwards).

#include <QString>

class TDaoDatabaseClient
{
public:
    virtual ~TDaoDatabaseClient() = default;
    virtual void databaseDisconnecting() = 0;   // close now; errors are ignored
    virtual QString clientName() const = 0;
};
