// Failures raised inside event handlers reach the user as a message; the
// silent abort reaches nobody; the event loop goes on either way.

#include "app/application.h"
#include "app/frm_main.h"
#include "core/exceptions.h"

#include <QPushButton>
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

    // Qt's own dialogs speak Italian with Italian regional settings; the
    // buttons whose English titles the program gives keep them.
    void qtDialogsFollowTheRegionalSettings()
    {
        auto *app = qobject_cast<TApplication *>(QCoreApplication::instance());
        QVERIFY(app);
        QVERIFY(!app->loadQtTranslations("en_US"));
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QString("Cancel"));
        QVERIFY2(app->loadQtTranslations("it_IT"), "qtbase_it.qm missing: scripts/install-deps.sh");
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QString("Annulla"));
        QCOMPARE(QCoreApplication::translate("QFileDialog", "Save As"), QString("Salva come"));

        // The new-archive question keeps its "OK" and "Cancel".
        QStringList buttons;
        QTimer::singleShot(0, [&] {
            QWidget *modal = QApplication::activeModalWidget();
            if (!modal) return;
            for (QPushButton *b : modal->findChildren<QPushButton *>()) buttons << b->text();
            QMetaObject::invokeMethod(modal, "reject", Qt::QueuedConnection);
        });
        QCOMPARE(Tfrm_main::askArchiveNameHook()(nullptr), QString());
        buttons.sort();
        QCOMPARE(buttons, (QStringList{"Cancel", "OK"}));
        QVERIFY(!app->loadQtTranslations("en_US"));
    }
};

int main(int argc, char **argv)
{
    TApplication app(argc, argv);
    TestApplication test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_application.moc"
