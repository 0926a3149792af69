#pragma once
// The exception types every layer raises. Failures unwind to the event loop,
// which shows Exception::message(); EAbort is the silent abort and shows nothing.

#include <QString>
#include <QByteArray>
#include <exception>

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
[[noreturn]] inline void DatabaseError(const QString &message) { throw EDatabaseError(message); }
