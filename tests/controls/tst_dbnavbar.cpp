// The navigator bar against an in-memory table: which buttons are enabled in
// each position and state, the actions and their events, the layout of the
// buttons, auto-repeat driven by a hand-ticked timer, the keyboard, and the
// flat gradient.

#include "controls/dbnavbar.h"
#include "data/datasource.h"
#include "tests/controls/manualtimer.h"
#include "tests/data/memorydataset.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QTest>

namespace {

struct Diary
{
    TMemoryDataSet table;
    TDataSource source;
    TDBNavBar bar;

    explicit Diary(int rows)
    {
        table.addColumn("ID", ftAutoInc);
        table.addColumn("Value", ftInteger);
        for (int i = 1; i <= rows; ++i) table.addRow({QVariant(), i * 10});
        source.SetDataSet(&table);
        bar.SetDataSource(&source);
        bar.ConfirmDelete = false;
        bar.show();
    }
    int value() { return table.FieldByName("Value")->AsInteger(); }
    // One character per button, "1" enabled.
    QString enabled() const
    {
        QString s;
        for (int i = 0; i < kNavButtonCount; ++i) s += bar.Buttons(i)->isEnabled() ? '1' : '0';
        return s;
    }
};

void send(QWidget *w, QEvent::Type type, QPoint pos, Qt::MouseButton button = Qt::LeftButton)
{
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    QMouseEvent e(type, pos, w->mapToGlobal(pos), type == QEvent::MouseMove ? Qt::NoButton : button, held,
                  Qt::NoModifier);
    QCoreApplication::sendEvent(w, &e);
}

} // namespace

class TestDBNavBar : public QObject
{
    Q_OBJECT
private slots:
    void enabledState_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("expected");
        //                                          first..last ins del edit post canc refr srch setbm gobm
        QTest::newRow("first row") << 3 << "open" << "0011111001110";
        QTest::newRow("last row") << 3 << "last" << "1100111001110";
        QTest::newRow("middle row") << 3 << "middle" << "1111111001110";
        QTest::newRow("empty diary") << 0 << "open" << "0000101001110";
        QTest::newRow("editing") << 3 << "edit" << "0011110111110";
        QTest::newRow("read-only table") << 3 << "readonly" << "0011000000110";
        QTest::newRow("closed table") << 3 << "closed" << "0000000000000";
        QTest::newRow("bookmark stored") << 3 << "bookmark" << "0011111001111";
        QTest::newRow("bar disabled") << 3 << "disabled" << "0000000000000";
        QTest::newRow("bar enabled again") << 3 << "reenabled" << "1100111001110";
        QTest::newRow("data source destroyed") << 3 << "unbound" << "0000000000000";
    }
    void enabledState()
    {
        QFETCH(int, rows);
        QFETCH(QString, setup);
        QFETCH(QString, expected);
        Diary d(rows);
        d.table.readOnly = setup == "readonly";
        if (setup != "closed") d.table.Open();
        if (setup == "last") d.table.Last();
        if (setup == "middle") d.table.Next();
        if (setup == "edit") d.table.Edit();
        if (setup == "bookmark") d.bar.BtnClick(nbSetBookmark);
        if (setup == "disabled") d.bar.setEnabled(false);
        if (setup == "reenabled") {
            d.bar.setEnabled(false);
            d.table.Last();
            d.bar.setEnabled(true);
        }
        if (setup == "unbound") {
            auto *source = new TDataSource;
            source->SetDataSet(&d.table);
            d.bar.SetDataSource(source);
            delete source;
            QCOMPARE(d.bar.DataSource(), nullptr);
        }
        QCOMPARE(d.enabled(), expected);
    }

    void actionsMoveAndEdit()
    {
        Diary d(3);
        d.table.Open();
        d.bar.BtnClick(nbLast);
        QCOMPARE(d.value(), 30);
        d.bar.BtnClick(nbPrior);
        QCOMPARE(d.value(), 20);
        d.bar.BtnClick(nbEdit);
        QCOMPARE(d.table.State(), DataSetState::Edit);
        d.table.FieldByName("Value")->SetAsInteger(25);
        d.bar.BtnClick(nbPost);
        QCOMPARE(d.table.State(), DataSetState::Browse);
        QCOMPARE(d.table.stored(1, "Value").toInt(), 25);
        d.bar.BtnClick(nbInsert);
        QCOMPARE(d.table.State(), DataSetState::Insert);
        d.bar.BtnClick(nbCancel);
        QCOMPARE(d.table.State(), DataSetState::Browse);
        d.bar.BtnClick(nbDelete);
        QCOMPARE(d.table.rows().size(), 2);
        d.bar.BtnClick(nbFirst);
        QCOMPARE(d.value(), 10);
    }

    void bookmarkReturnsToTheRememberedRow()
    {
        Diary d(3);
        d.table.Open();
        d.table.Next();
        d.bar.BtnClick(nbSetBookmark);
        d.bar.BtnClick(nbLast);
        d.bar.BtnClick(nbGotoBookmark);
        QCOMPARE(d.value(), 20);
    }

    void eventsRunAroundOrInsteadOfTheAction()
    {
        Diary d(3);
        d.table.Open();
        QStringList log;
        d.bar.BeforeAction = [&](TDBNavBar *, int i) { log << QStringLiteral("before %1").arg(i); };
        d.bar.OnClick = [&](TDBNavBar *, int i) { log << QStringLiteral("click %1").arg(i); };
        d.bar.OnBtnNext = [&](TDBNavBar *) { log << "own next"; };
        d.bar.BtnClick(nbNext);
        QCOMPARE(d.value(), 10);   // replaced, so the table did not move
        d.bar.BtnClick(nbLast);
        QCOMPARE(d.value(), 30);
        QCOMPARE(log, (QStringList{"before 2", "own next", "click 2", "before 3", "click 3"}));

        // Without a data source only OnClick runs.
        log.clear();
        d.bar.SetDataSource(nullptr);
        d.bar.BtnClick(nbFirst);
        QCOMPARE(log, QStringList{"click 0"});
    }

    void layoutSpreadsTheRemainder_data()
    {
        QTest::addColumn<int>("align");
        QTest::addColumn<int>("width");
        QTest::addColumn<unsigned>("visible");
        QTest::addColumn<QList<int>>("widths");
        QTest::newRow("619 over ten, aligned") << int(TAlign::alBottom) << 619 << 1023u
                                               << QList<int>{62, 62, 62, 62, 61, 62, 62, 62, 62, 62};
        QTest::newRow("619 over ten, free: cut to 610") << int(TAlign::alNone) << 619 << 1023u
                                                        << QList<int>(10, 61);
        QTest::newRow("100 over three, aligned") << int(TAlign::alBottom) << 100 << 7u
                                                 << QList<int>{33, 34, 33};
        QTest::newRow("below the minimum grows to it") << int(TAlign::alBottom) << 50 << 15u
                                                       << QList<int>(4, 20);
    }
    void layoutSpreadsTheRemainder()
    {
        QFETCH(int, align);
        QFETCH(int, width);
        QFETCH(unsigned, visible);
        QFETCH(QList<int>, widths);
        Diary d(1);
        d.bar.SetAlign(TAlign(align));
        d.bar.SetVisibleButtons(visible);
        d.bar.resize(width, 18);
        QList<int> got;
        int x = 0;
        for (int i = 0; i < kNavButtonCount; ++i) {
            TNavBarButton *b = d.bar.Buttons(i);
            if (!(visible & (1u << i))) {
                QVERIFY2(b->x() > d.bar.width() && !b->isVisible(), qPrintable(QString::number(i)));
                continue;
            }
            QCOMPARE(b->x(), x);
            QCOMPARE(b->height(), d.bar.height());
            got << b->width();
            x += b->width();
        }
        QCOMPARE(got, widths);
        QCOMPARE(x, d.bar.width());
    }

    void largeGlyphsNeedLargerCells()
    {
        Diary d(1);
        d.bar.SetGlyphSize(TGlyphSize::gsLarge);
        d.bar.resize(10, 10);
        QCOMPARE(d.bar.size(), QSize(320, 30));
        d.bar.SetOrientation(Qt::Vertical);
        d.bar.resize(10, 10);
        QCOMPARE(d.bar.size(), QSize(32, 300));
        QCOMPARE(d.bar.Buttons(9)->geometry(), QRect(0, 270, 32, 30));
    }

    void holdingNextRepeats()
    {
        Diary d(8);
        d.table.Open();
        TNavBarButton *next = d.bar.Buttons(nbNext);
        auto *timer = new ManualTimer;
        next->setRepeatTimer(std::unique_ptr<TRepeatTimer>(timer));
        const QPoint inside = next->rect().center();

        send(next, QEvent::MouseButtonPress, inside);
        QCOMPARE(d.value(), 20);                // one row at the press
        QVERIFY(timer->isActive());
        QCOMPARE(timer->interval(), 400);
        timer->tick();
        QCOMPARE(d.value(), 30);                // another after 400 ms
        QCOMPARE(timer->interval(), 100);
        timer->tick();
        QCOMPARE(d.value(), 40);                // then every 100 ms
        QCOMPARE(timer->interval(), 100);

        // Dragged off the button the repeat idles; back on it goes on.
        send(next, QEvent::MouseMove, QPoint(-5, -5));
        timer->tick();
        QCOMPARE(d.value(), 40);
        send(next, QEvent::MouseMove, inside);
        timer->tick();
        QCOMPARE(d.value(), 50);

        send(next, QEvent::MouseButtonRelease, inside);
        QCOMPARE(d.value(), 50);                // nothing extra at the release
        QVERIFY(!timer->isActive());
        timer->tick();
        QCOMPARE(d.value(), 50);
    }

    void repeatStopsAtTheEndAndOnError()
    {
        Diary d(3);
        d.table.Open();
        TNavBarButton *next = d.bar.Buttons(nbNext);
        auto *timer = new ManualTimer;
        next->setRepeatTimer(std::unique_ptr<TRepeatTimer>(timer));
        send(next, QEvent::MouseButtonPress, next->rect().center());
        timer->tick();
        QCOMPARE(d.value(), 30);
        timer->tick();                          // steps onto the end: EOF disables next
        QVERIFY(!next->isEnabled());
        QVERIFY(!timer->isActive());
        send(next, QEvent::MouseButtonRelease, next->rect().center());

        d.table.First();
        TNavBarButton *prior = d.bar.Buttons(nbPrior);
        d.table.Last();
        auto *priorTimer = new ManualTimer;
        prior->setRepeatTimer(std::unique_ptr<TRepeatTimer>(priorTimer));
        int scrolls = 0;
        d.table.BeforeScroll = [&](TDataSet *) {
            if (++scrolls == 2) throw EDatabaseError("moved too far");
        };
        send(prior, QEvent::MouseButtonPress, prior->rect().center());
        QCOMPARE(d.value(), 20);
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, priorTimer->tick());
        QVERIFY(!priorTimer->isActive());
        QCOMPARE(d.value(), 20);
    }

    void plainButtonsClickAtTheRelease()
    {
        Diary d(3);
        d.table.Open();
        TNavBarButton *last = d.bar.Buttons(nbLast);
        send(last, QEvent::MouseButtonPress, last->rect().center());
        QCOMPARE(d.value(), 10);
        send(last, QEvent::MouseButtonRelease, last->rect().center());
        QCOMPARE(d.value(), 30);

        // Released elsewhere: no click.
        d.table.First();
        send(last, QEvent::MouseButtonPress, last->rect().center());
        send(last, QEvent::MouseButtonRelease, QPoint(-3, -3));
        QCOMPARE(d.value(), 10);
    }

    void disabledBarIgnoresClicksAndKeys()
    {
        Diary d(3);
        d.table.Open();
        d.bar.setEnabled(false);
        QTest::mouseClick(d.bar.Buttons(nbNext), Qt::LeftButton);
        QTest::mouseClick(d.bar.Buttons(nbLast), Qt::LeftButton);
        d.bar.setFocus();
        QTest::keyClick(&d.bar, Qt::Key_Right);
        QTest::keyClick(&d.bar, Qt::Key_Space);
        QCOMPARE(d.value(), 10);
        QCOMPARE(d.table.State(), DataSetState::Browse);
    }

    void keyboardMovesTheFocusedButton()
    {
        Diary d(3);
        d.table.Open();
        d.bar.SetVisibleButtons(1023u & ~(1u << nbPrior));
        QApplication::setActiveWindow(&d.bar);
        d.bar.setFocus();
        QCOMPARE(d.bar.FocusedButton(), int(nbFirst));
        QTest::keyClick(&d.bar, Qt::Key_Right);   // prior is hidden: skipped
        QCOMPARE(d.bar.FocusedButton(), int(nbNext));
        QTest::keyClick(&d.bar, Qt::Key_Space);
        QCOMPARE(d.value(), 20);
        QTest::keyClick(&d.bar, Qt::Key_Left);
        QCOMPARE(d.bar.FocusedButton(), int(nbFirst));
        QTest::keyClick(&d.bar, Qt::Key_Left);    // nothing further left
        QCOMPARE(d.bar.FocusedButton(), int(nbFirst));
        QVERIFY(d.bar.Buttons(nbFirst)->showFocusRect());
        QVERIFY(!d.bar.Buttons(nbNext)->showFocusRect());

        // A click gives the bar the focus and moves the focused button.
        send(d.bar.Buttons(nbLast), QEvent::MouseButtonPress, QPoint(5, 5));
        send(d.bar.Buttons(nbLast), QEvent::MouseButtonRelease, QPoint(5, 5));
        QCOMPARE(d.bar.FocusedButton(), int(nbLast));
    }

    void hintsFallBackToTheBuiltInOnes()
    {
        Diary d(1);
        QCOMPARE(d.bar.Buttons(nbNext)->toolTip(), QString("Next record"));
        d.bar.SetHints({"Primo", "Precedente", ""});
        QCOMPARE(d.bar.Buttons(nbFirst)->toolTip(), QString("Primo"));
        QCOMPARE(d.bar.Buttons(nbNext)->toolTip(), QString("Next record"));
    }

    void gradientHasSixteenBands()
    {
        QImage img(4, 32, QImage::Format_RGB32);
        QPainter p(&img);
        TFlatToolButton::paintGradient(p, img.rect(), QColor(0, 100, 200), QColor(160, 100, 9));
        p.end();
        for (int k = 0; k < 16; ++k) {
            // Blue falls by 191: k * 191 / 16 rounded to the nearest.
            const QColor expected(10 * k, 100, 200 - int(std::lround(k * 191 / 16.0)));
            QCOMPARE(img.pixelColor(1, 2 * k), expected);
            QCOMPARE(img.pixelColor(1, 2 * k + 1), expected);
        }
        // No end colour: a plain fill.
        QImage plain(4, 8, QImage::Format_RGB32);
        QPainter q(&plain);
        TFlatToolButton::paintGradient(q, plain.rect(), QColor(1, 2, 3), QColor());
        q.end();
        QCOMPARE(plain.pixelColor(0, 7), QColor(1, 2, 3));
    }

    void buttonsDrawTheirStateColours()
    {
        Diary d(3);
        d.table.Open();
        TDBNavBar::Look look = d.bar.Colors();
        look.Color = QColor(0xC0, 0xC0, 0xC0);
        look.ColorTo = QColor(0xAB, 0xAB, 0xAB);
        d.bar.SetColors(look);
        TNavBarButton *last = d.bar.Buttons(nbLast);
        // No border at rest: the top row is band 0, the start colour; the
        // bottom row band 15, 15/16 of the way to the end colour.
        const QImage rest = last->grab().toImage();
        QCOMPARE(rest.pixelColor(0, 0), QColor(0xC0, 0xC0, 0xC0));
        QCOMPARE(rest.pixelColor(0, rest.height() - 1), QColor(0xAC, 0xAC, 0xAC));
        send(last, QEvent::MouseButtonPress, last->rect().center());
        QImage down = last->grab().toImage();
        QCOMPARE(down.pixelColor(0, 0), QColor(Qt::black));          // the down border
        QCOMPARE(down.pixelColor(1, 1), QColor(210, 211, 216));      // ColorDown
        send(last, QEvent::MouseButtonRelease, QPoint(-3, -3));
    }
};

QTEST_MAIN(TestDBNavBar)
#include "tst_dbnavbar.moc"
