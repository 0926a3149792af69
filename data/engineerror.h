#pragma once
// Failures of the storage engine. Every failing engine member fills the
// engine's Errors collection and throws EDaoError, which carries the engine's
// error number (the numbers callers test, such as 3167 for a record deleted by
// someone else, follow the classic engine), the object that raised it and the
// description, which is also the exception's message.

#include "core/exceptions.h"

namespace dao {

// Numbers callers and tests rely on.
enum ErrorNumber : int {
    errInvalidArgument = 3001,
    errNoCurrentRecord = 3021,
    errUpdateWithoutEdit = 3020,
    errDuplicateKey = 3022,
    errFileNotFound = 3024,
    errDiskFull = 3026,
    errReadOnly = 3027,
    errBadPassword = 3031,
    errFileInUse = 3045,
    errNotADatabase = 3049,
    errCannotOpenFile = 3051,
    errUnknownName = 3070,
    errSyntax = 3075,
    errNoSuchTable = 3078,
    errNotValidBookmark = 3159,
    errFieldTooSmall = 3163,
    errRecordDeleted = 3167,
    errWriteConflict = 3197,
    errNoInstallableIsam = 3170,
    errDatabaseExists = 3204,
    errNotSupported = 3251,
    errItemNotFound = 3265,
    errLocked = 3260,
    errRequired = 3314,
    errNumericOverflow = 3349,
    errObjectInvalid = 3420,
    errConversion = 3421,
    errOdbcUnavailable = 3423,
    errTypeMismatch = 3464,
    errNoTransaction = 3034,
    errEngine = 3000,
};

struct ErrorInfo
{
    int number = 0;
    QString source;          // "DAO.Database", "DAO.Recordset", ...
    QString description;
    QString helpFile;        // kept for callers that show it; always empty
    int helpContext = 0;
};

} // namespace dao

class EDaoError : public EDatabaseError
{
public:
    explicit EDaoError(const dao::ErrorInfo &info) : EDatabaseError(info.description), m_info(info) {}
    int number() const { return m_info.number; }
    const QString &source() const { return m_info.source; }
    const QString &description() const { return m_info.description; }
    const dao::ErrorInfo &info() const { return m_info; }

private:
    dao::ErrorInfo m_info;
};
