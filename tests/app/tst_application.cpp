// Failures raised inside event handlers reach the user as a message; the
// silent abort reaches nobody; the event loop goes on either way.

#include "app/application.h"
#include "data/exceptions.h"

#include <QTest>
#include <QTimer>

class Thrower : public QObject
{
public:
    std::function<void()> action;

protected:
    bool event(QEvent *e) override
    {
        if (e->type() == QEvent::User) {
            action();
            return true;
        }
        return QObject::event(e);
    }
};

class TestApplication : public QObject
{
    Q_OBJECT
private slots:
    void failuresShowTheirMessage_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("database error") << 0 << QStringList{"Field 'Peso' must have a value"};
        QTest::newRow("silent abort") << 1 << QStringList{};
        QTest::newRow("std exception") << 2 << QStringList{"bad"};
    }
    void failuresShowTheirMessage()
    {
        QFETCH(int, kind);
        QFETCH(QStringList, shown);
        QStringList messages;
        auto saved = TApplication::showExceptionHook();
        TApplication::showExceptionHook() = [&](const QString &m) { messages << m; };
        Thrower t;
        t.action = [kind] {
            if (kind == 0) DatabaseError("Field 'Peso' must have a value");
            if (kind == 1) Abort();
            throw std::runtime_error("bad");
        };
        QCoreApplication::postEvent(&t, new QEvent(QEvent::User));
        QCoreApplication::sendPostedEvents(&t);
        // The loop keeps running after the failure.
        bool ran = false;
        QTimer::singleShot(0, [&] { ran = true; });
        QTRY_VERIFY(ran);
        TApplication::showExceptionHook() = saved;
        QCOMPARE(messages, shown);
    }
};

int main(int argc, char **argv)
{
    TApplication app(argc, argv);
    TestApplication test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_application.moc"
