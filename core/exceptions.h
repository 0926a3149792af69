#pragma once
// The exception types every layer raises. Failures unwind to the event loop,
// which shows Exception::message(); EAbort is the silent abort and shows nothing.

#include <QString>
#include <QByteArray>
#include <exception>
#include <functional>

class Exception : public std::exception
{
public:
    explicit Exception(const QString &message) : m_message(message), m_utf8(message.toUtf8()) {}
    const QString &message() const noexcept { return m_message; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

// A refused action: cancels quietly, the event loop shows nothing.
class EAbort : public Exception
{
public:
    EAbort() : Exception(QStringLiteral("Operation aborted")) {}
};

class EDatabaseError : public Exception
{
public:
    using Exception::Exception;
};

// Text that cannot be turned into a number or a date.
class EConvertError : public Exception
{
public:
    using Exception::Exception;
};

[[noreturn]] inline void Abort() { throw EAbort(); }

// Where a failure caught at an event boundary goes. The application points it
// at its message box; until then it is a warning on stderr. EAbort never
// reaches it.
using TExceptionHandler = std::function<void(const std::exception &error)>;
inline TExceptionHandler &exceptionHandler()
{
    static TExceptionHandler handler;
    return handler;
}
inline void SetExceptionHandler(TExceptionHandler handler) { exceptionHandler() = std::move(handler); }
void HandleException(const std::exception &error);

// Runs an event handler of ours and stops its failure here. Qt's own event
// dispatch is not exception-safe: a failure that unwinds through it leaves Qt's
// copies of the event (and a pressed button's state) behind.
template <typename F>
void guarded(F &&handler)
{
    try {
        handler();
    } catch (const EAbort &) {
    } catch (const std::exception &error) {
        HandleException(error);
    }
}
[[noreturn]] inline void DatabaseError(const QString &message) { throw EDatabaseError(message); }
