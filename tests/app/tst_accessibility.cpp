// The program's windows as a screen reader reads them: every focusable
// control named, no two controls with one name, the readings named by their
// whole place, picture buttons by their hints, the navigator as a tool bar.

#include "app/application.h"
#include "app/frm_main.h"
#include "app/frm_pass.h"
#include "app/frm_stampa.h"
#include "controls/popupcalendar.h"
#include "controls/dbdateedit.h"
#include "controls/dbmemo.h"
#include "controls/dbnavbar.h"
#include "core/formatsettings.h"
#include "data/archive.h"
#include "data/daodatabase.h"
#include "data/daotable.h"
#include "tests/app/accessibilitycheck.h"
#include "tests/app/archivesql.h"
#include "grid/exrichdbgrid.h"
#include "grid/gridaccessible.h"

#include <QToolButton>

#include <QFile>
#include <QTemporaryDir>
#include <QStackedWidget>
#include <QTest>
#include <QTimer>

#include <memory>

class TestAccessibility : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void initTestCase()
    {
        TFormatSettings it;
        QVERIFY(TFormatSettings::forLocale("it_IT", it));
        TFormatSettings::setCurrent(it);
        qputenv("TONALBA_HOME", m_dir.path().toUtf8());
        Tfrm_main::chooserHook() = [](Tfrm_pass *) { return QString(); };
        const QString archive = m_dir.filePath(QStringLiteral("rossi.mdb"));
        TArchive::create(archive);
        archivesql::exec(archive, "INSERT INTO Diario (Data, SX_MIN_1, SX_MAX_1, Peso) VALUES "
                                  "('2024-03-01 00:00:00', 80, 125, 70), ('2024-03-02 00:00:00', 85, 135, 71)");
    }

    void mainWindowNamesEveryControl()
    {
        Tfrm_main w{QStringList()};
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        if (const QByteArray path = qgetenv("TONALBA_A11Y_TREE"); !path.isEmpty()) {
            QFile out(QString::fromLocal8Bit(path));
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write(a11y::tree(&w).toUtf8());
        }
        const QStringList problems = a11y::problems(&w);
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));

        // The readings say their whole place; the labels stay as they were.
        QMap<QString, QString> names;
        for (const a11y::Node &n : a11y::nodes(&w))
            if (n.object) names[n.object->objectName()] = n.name;
        QCOMPARE(names.value("DBEditSX_MAX_1"), QStringLiteral("Prima rilevazione, prima misurazione, massima (PAS)"));
        QCOMPARE(names.value("DBEditDX_PULS_2"), QStringLiteral("Seconda rilevazione, seconda misurazione, pulsazioni"));
        QCOMPARE(names.value("DBEditPeso"), QStringLiteral("Peso"));
        QCOMPARE(names.value("cerca"), QStringLiteral("Ricerca"));
        QCOMPARE(names.value("DBEditAltezza"), QStringLiteral("Altezza (in metri)"));
        QCOMPARE(names.value("ButtonPanel2Button1"), QStringLiteral("Lista giorni"));
        QCOMPARE(names.value("grid_diario"), QStringLiteral("Lista giorni"));
    }

    void gridIsATableOfTheDaysOnScreen()
    {
        QList<QPair<QString, QString>> focused;   // cell text, its column's title
        gridAnnouncementHook() = [&](QAccessibleInterface *cell) {
            const auto headers = cell->tableCellInterface()->columnHeaderCells();
            focused.append({cell->text(QAccessible::Name), headers.isEmpty() ? QString() : headers[0]->text(QAccessible::Name)});
        };
        Tfrm_main w{QStringList()};
        w.show();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        w.ButtonPanel2[1]->click();   // the list page
        QAccessibleInterface *grid = QAccessible::queryAccessibleInterface(w.grid_diario);
        QCOMPARE(grid->role(), QAccessible::Table);
        QAccessibleTableInterface *table = grid->tableInterface();
        QVERIFY(table);
        QCOMPARE(table->columnCount(), 6);
        QCOMPARE(table->rowCount(), 2);
        QStringList titles;
        for (int c = 0; c < table->columnCount(); ++c) titles << table->columnDescription(c);
        QCOMPARE(titles, QStringList({"Data", "Peso", "BMI", "Minima", "Massima", "Note"}));
        QCOMPARE(table->cellAt(0, 0)->text(QAccessible::Name), QStringLiteral("01/03/2024"));
        QCOMPARE(table->cellAt(1, 3)->text(QAccessible::Name), QStringLiteral("85"));
        QCOMPARE(table->cellAt(1, 0)->tableCellInterface()->columnHeaderCells().value(0)->text(QAccessible::Name),
                 QStringLiteral("Data"));

        // A row change is said as the new current cell with its title.
        w.grid_diario->setFocus();
        QVERIFY(w.grid_diario->hasFocus());
        w.Diario->First();
        focused.clear();
        w.Diario->Next();
        QVERIFY(!focused.isEmpty());
        QCOMPARE(focused.last(), qMakePair(QStringLiteral("02/03/2024"), QStringLiteral("Data")));
        QCOMPARE(table->selectedRows(), QList<int>{1});
        gridAnnouncementHook() = nullptr;
    }

    void dialogsNameEveryControl_data()
    {
        QTest::addColumn<QString>("window");
        QTest::newRow("archive chooser") << "chooser";
        QTest::newRow("period dialog") << "period";
        QTest::newRow("new-archive question") << "new archive";
        QTest::newRow("calendar") << "calendar";
    }

    void dialogsNameEveryControl()
    {
        QFETCH(QString, window);
        std::unique_ptr<QWidget> owner;
        QWidget *shown = nullptr;
        QStringList problems;
        if (window == "chooser") {
            auto *chooser = new Tfrm_pass;
            chooser->ComboBox1->setItems({"alfa", "beta"});
            owner.reset(chooser);
        } else if (window == "period") {
            owner = std::make_unique<Tfrm_stampa>();
        } else if (window == "calendar") {
            owner = std::make_unique<TPopupCalendar>();
        } else {
            // A modal question: looked at while it waits for the answer.
            QTimer::singleShot(0, [&] {
                QWidget *dialog = QApplication::activeModalWidget();
                if (dialog) problems = a11y::problems(dialog);
                else problems << "no dialog";
                if (dialog) dialog->close();
            });
            Tfrm_main::askArchiveNameHook()(nullptr);
            QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
            return;
        }
        shown = owner.get();
        shown->show();
        QVERIFY(QTest::qWaitForWindowExposed(shown));
        if (const QByteArray path = qgetenv("TONALBA_A11Y_TREE"); !path.isEmpty())
            qDebug().noquote() << a11y::tree(shown);
        problems = a11y::problems(shown);
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
    }

    void commandsWithoutTheMouse()
    {
        Tfrm_main w{QStringList()};
        w.show();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        auto page = [&] { return w.PageControl1->currentWidget(); };
        QCOMPARE(page(), w.tb_scheda);
        QTest::keyClick(&w, Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(page(), w.tb_lista);
        QTest::keyClick(&w, Qt::Key_PageDown, Qt::ControlModifier);
        QCOMPARE(page(), w.tb_config);
        // As when the button is clicked: the navigator is off on the configuration page.
        QVERIFY(!w.nav_diario->isEnabled());
        QTest::keyClick(&w, Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(page(), w.tb_scheda);
        QVERIFY(w.nav_diario->isEnabled());
        QTest::keyClick(&w, Qt::Key_PageUp, Qt::ControlModifier);
        QCOMPARE(page(), w.tb_config);
        QTest::keyClick(&w, Qt::Key_L, Qt::AltModifier);
        QCOMPARE(page(), w.tb_lista);
        QTest::keyClick(&w, Qt::Key_G, Qt::AltModifier);
        QCOMPARE(page(), w.tb_scheda);
        // From inside the note, too.
        w.NoteMemo->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageDown, Qt::ControlModifier);
        QCOMPARE(page(), w.tb_lista);
    }

    void cardTabOrder()
    {
        Tfrm_main w{QStringList()};
        w.show();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        w.DataEdit->setFocus();
        QStringList order;
        for (int i = 0; i < 15; ++i) {
            QWidget *f = QApplication::focusWidget();
            while (f && f->objectName().isEmpty()) f = f->parentWidget();
            order << (f ? f->objectName() : QString());
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QStringList expected{"DBDateEdit1", "DBEditPeso"};
        for (const char *g : {"SX_", "DX_"})
            for (int m = 1; m <= 2; ++m)
                for (const char *k : {"MAX", "MIN", "PULS"})
                    expected << QStringLiteral("DBEdit%1%2_%3").arg(QLatin1String(g), QLatin1String(k)).arg(m);
        expected << "DBMemoNote";
        QCOMPARE(order, expected);
    }

    void navigatorIsAToolBarOfButtons()
    {
        Tfrm_main w{QStringList()};
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QAccessibleInterface *bar = QAccessible::queryAccessibleInterface(w.nav_diario);
        QVERIFY(bar);
        QCOMPARE(bar->role(), QAccessible::ToolBar);
        QCOMPARE(bar->text(QAccessible::Name), QStringLiteral("Barra di navigazione"));
        w.Diario->First();
        QStringList buttons;
        QAccessibleInterface *next = nullptr;
        for (int i = 0; i < bar->childCount(); ++i) {
            QAccessibleInterface *b = bar->child(i);
            if (b->state().invisible) continue;
            QCOMPARE(b->role(), QAccessible::Button);
            buttons << b->text(QAccessible::Name);
            if (b->text(QAccessible::Name) == QLatin1String("Successivo")) next = b;
        }
        QCOMPARE(buttons, QStringList({"Primo", "Precedente", "Successivo", "Ultimo", "Inserisci", "Cancella",
                                       "Modifica", "Conferma modifiche", "Annulla modifiche", "Aggiorna"}));
        // Its enabled state, and pressing it through the reader's action.
        QVERIFY(next && !next->state().disabled);
        QVERIFY(next->actionInterface());
        next->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(w.Diario->RecNo(), 2);
        QAccessibleInterface *post = nullptr;
        for (int i = 0; i < bar->childCount(); ++i)
            if (bar->child(i)->text(QAccessible::Name) == QLatin1String("Conferma modifiche")) post = bar->child(i);
        QVERIFY(post && post->state().disabled);
    }
};

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
