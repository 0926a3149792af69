// The date edit as a widget: value read and write through the mask, the step
// keys, the popup calendar (its grid, keys, header buttons, accepting and
// cancelling, placement), the check on exit, a change of regional format, and
// the bound form against an in-memory table.

#include "controls/dateedit.h"
#include "controls/dbdateedit.h"
#include "controls/flattoolbutton.h"
#include "controls/popupcalendar.h"
#include "data/datasource.h"
#include "core/exceptions.h"
#include "tests/controls/manualtimer.h"
#include "tests/data/memorydataset.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <QToolButton>

namespace {

TDateTime day(int y, int m, int d)
{
    return encodeDate(y, m, d);
}

QString text(TDateTime v)
{
    return v == 0 ? QStringLiteral("empty") : dateToStr(v);
}

void click(QWidget *w, QPoint pos, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QMouseEvent press(QEvent::MouseButtonPress, pos, w->mapToGlobal(pos), Qt::LeftButton, Qt::LeftButton, mods);
    QCoreApplication::sendEvent(w, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, pos, w->mapToGlobal(pos), Qt::LeftButton, Qt::NoButton, mods);
    QCoreApplication::sendEvent(w, &release);
}

// A diary with one dated row, bound to a date edit.
struct BoundDate
{
    TMemoryDataSet table;
    TDataSource source;
    TDBDateEdit edit;

    explicit BoundDate(const QVariant &value)
    {
        table.addColumn("ID", ftAutoInc);
        table.addColumn("Data", ftDateTime);
        table.addRow({QVariant(), value});
        source.SetDataSet(&table);
        edit.SetDataSource(&source);
        edit.SetDataField("Data");
        table.Open();
        edit.show();
        QApplication::setActiveWindow(&edit);
        edit.setFocus();
    }
    TField *field() { return table.FieldByName("Data"); }
};

} // namespace

class TestDateEdit : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        setClock([] { return QDateTime(QDate(2024, 6, 15), QTime(10, 0)); });
        TFormatSettings it;
        TFormatSettings::forLocale("it_IT", it);
        TFormatSettings::setCurrent(it);
    }
    void cleanup() { setClock({}); }

    void valueRead_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("defaultToday");
        QTest::addColumn<QString>("expected");
        QTest::newRow("empty text reads 0") << "" << false << "empty";
        QTest::newRow("empty text, DefaultToday") << "" << true << "15/06/2024";
        QTest::newRow("01/03/24 in a four-digit mask") << "010324" << false << "01/03/2024";
        QTest::newRow("blank year reads 1999") << "0103" << false << "01/03/1999";
        QTest::newRow("29/02/2023 reads empty") << "29022023" << false << "empty";
        QTest::newRow("29/02/2024 is valid") << "29022024" << false << "29/02/2024";
        QTest::newRow("a birth year of 1948") << "12101948" << false << "12/10/1948";
        QTest::newRow("separator typed early") << "1/3/2024" << false << "01/03/2024";
    }
    void valueRead()
    {
        QFETCH(QString, typed);
        QFETCH(bool, defaultToday);
        QFETCH(QString, expected);
        TDateEdit edit;
        edit.DefaultToday = defaultToday;
        edit.show();
        edit.setFocus();
        edit.home(false);
        QTest::keyClicks(&edit, typed);
        QCOMPARE(text(edit.Date()), expected);
    }

    void valueWrite()
    {
        TDateEdit edit;
        QCOMPARE(edit.displayText(), QString("  /  /    "));
        QCOMPARE(edit.EditMask(), QString("!99/99/9999;1; "));
        edit.SetDate(day(2024, 3, 5) + 0.75);   // the time of day is dropped
        QCOMPARE(edit.displayText(), QString("05/03/2024"));
        QCOMPARE(edit.Date(), day(2024, 3, 5));
        QVERIFY(edit.isModified());
        edit.setModified(false);
        edit.SetDate(day(2024, 3, 5));
        QVERIFY(!edit.isModified());              // same value: not modified
        edit.SetDate(1e9);                        // no calendar date
        QCOMPARE(edit.displayText(), QString("  /  /    "));
        QVERIFY(edit.isModified());
        edit.SetDate(day(2024, 3, 5));
        edit.setText(QString());                  // the period dialog's way of emptying
        QCOMPARE(edit.Date(), 0.0);
        edit.SetBlanksChar('_');
        QCOMPARE(edit.displayText(), QString("__/__/____"));
        edit.SetBlanksChar(QChar(9));             // below 32: a space
        QCOMPARE(edit.BlanksChar(), QChar(' '));
    }

    void stepKeys_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("expected");
        const int keypad = Qt::KeypadModifier;
        QTest::newRow("keypad plus in an empty edit: tomorrow") << "" << int(Qt::Key_Plus) << keypad << "16/06/2024";
        QTest::newRow("keypad minus steps back") << "01/03/2024" << int(Qt::Key_Minus) << keypad << "29/02/2024";
        QTest::newRow("keypad plus over the year") << "31/12/2023" << int(Qt::Key_Plus) << keypad << "01/01/2024";
        QTest::newRow("T sets today") << "01/03/2024" << int(Qt::Key_T) << int(Qt::ShiftModifier) << "15/06/2024";
        QTest::newRow("t sets today") << "" << int(Qt::Key_T) << 0 << "15/06/2024";
        QTest::newRow("typed plus is swallowed") << "01/03/2024" << int(Qt::Key_Plus) << 0 << "01/03/2024";
        QTest::newRow("typed minus is swallowed") << "01/03/2024" << int(Qt::Key_Minus) << 0 << "01/03/2024";
        QTest::newRow("keypad plus with Ctrl does nothing")
            << "01/03/2024" << int(Qt::Key_Plus) << (keypad | int(Qt::ControlModifier)) << "01/03/2024";
    }
    void stepKeys()
    {
        QFETCH(QString, start);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, expected);
        TDateEdit edit;
        edit.show();
        if (!start.isEmpty()) edit.SetDate(strToDate(start));
        QTest::keyClick(&edit, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(edit.displayText(), expected);
    }

    void directInputOffBlocksTyping()
    {
        TDateEdit edit;
        edit.DirectInput = false;
        edit.show();
        edit.SetDate(day(2024, 3, 5));
        edit.home(false);
        QTest::keyClicks(&edit, "07");
        QTest::keyClick(&edit, Qt::Key_Plus, Qt::KeypadModifier);
        QCOMPARE(edit.displayText(), QString("05/03/2024"));
    }

    void checkOnExit()
    {
        TDateEdit edit;
        edit.CheckOnExit = true;
        edit.show();
        edit.setText("31/02/2024");
        try {
            edit.CheckValidDate();
            QFAIL("no error raised");
        } catch (const EConvertError &e) {
            QCOMPARE(e.message(), QString("'31/02/2024' is not a valid date"));
        }
        QCOMPARE(edit.selectedText(), QString("31/02/2024"));
        edit.setText("1/3/24");                   // valid: reformatted
        edit.CheckValidDate();
        QCOMPARE(edit.displayText(), QString("01/03/2024"));
        edit.setText(QString());                  // blanks only: nothing to check
        edit.CheckValidDate();
    }

    void formatFollowsTheRegionalSettings()
    {
        TDateEdit edit;
        edit.show();
        edit.SetDate(day(2024, 3, 5));
        TFormatSettings us;
        QVERIFY(TFormatSettings::forLocale("en_US", us));
        us.shortDateFormat = "M/d/yyyy";
        TFormatSettings::setCurrent(us);
        QCOMPARE(edit.Date(), day(2024, 3, 5));
        QCOMPARE(edit.displayText(), QString("03/05/2024"));
        TFormatSettings de = us;
        de.shortDateFormat = "dd.MM.yy";
        de.dateSeparator = '.';
        TFormatSettings::setCurrent(de);
        edit.grab();   // a shown edit catches up when it paints
        QCOMPARE(edit.displayText(), QString("05.03.24"));
        QCOMPARE(edit.Date(), day(2024, 3, 5));
    }

    // ---- calendar ----

    void calendarGrid()
    {
        TPopupCalendar cal(nullptr, false);
        QCOMPARE(cal.size(), QSize(180, 120));
        cal.SetDate(day(2024, 3, 1));            // a Friday
        QCOMPARE(cal.Title(), QString("marzo, 2024"));
        QCOMPARE(cal.ColumnOf(1), 4);            // Monday first
        QCOMPARE(cal.ColumnOf(3), 6);            // the Sunday column
        QCOMPARE(cal.DayAt(cal.CellRect(1, 4).center()), 1);
        QCOMPARE(cal.DayAt(cal.CellRect(1, 3).center()), 0);    // before the first: empty
        QCOMPARE(cal.DayAt(cal.CellRect(5, 6).center()), 31);
        QCOMPARE(cal.DayAt(cal.CellRect(6, 0).center()), 0);    // after the last
        QCOMPARE(cal.DayAt(cal.CellRect(0, 4).center()), 0);    // the day names
        cal.StartOfWeek = Qt::Sunday;
        QCOMPARE(cal.ColumnOf(1), 5);
        QCOMPARE(cal.CellRect(6, 6).bottomRight(), QPoint(179, 119));
    }

    void calendarKeys_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("expected");
        QTest::newRow("left from the 1st into the prior month") << "01/03/2024" << int(Qt::Key_Left) << 0 << "29/02/2024";
        QTest::newRow("right after the last day") << "31/01/2024" << int(Qt::Key_Right) << 0 << "01/02/2024";
        QTest::newRow("keypad minus") << "10/03/2024" << int(Qt::Key_Minus) << int(Qt::KeypadModifier) << "09/03/2024";
        QTest::newRow("keypad plus") << "10/03/2024" << int(Qt::Key_Plus) << int(Qt::KeypadModifier) << "11/03/2024";
        QTest::newRow("up a week") << "10/03/2024" << int(Qt::Key_Up) << 0 << "03/03/2024";
        QTest::newRow("up stays in the month") << "03/03/2024" << int(Qt::Key_Up) << 0 << "03/03/2024";
        QTest::newRow("down stays in the month") << "28/03/2024" << int(Qt::Key_Down) << 0 << "28/03/2024";
        QTest::newRow("page down cuts the day") << "31/01/2024" << int(Qt::Key_PageDown) << 0 << "29/02/2024";
        QTest::newRow("page up") << "31/03/2024" << int(Qt::Key_PageUp) << 0 << "29/02/2024";
        QTest::newRow("ctrl page up: a year back") << "29/02/2024" << int(Qt::Key_PageUp) << int(Qt::ControlModifier)
                                                   << "28/02/2023";
        QTest::newRow("ctrl page down: a year on") << "15/06/2024" << int(Qt::Key_PageDown)
                                                   << int(Qt::ControlModifier) << "15/06/2025";
        QTest::newRow("t: today") << "01/01/2000" << int(Qt::Key_T) << 0 << "15/06/2024";
    }
    void calendarKeys()
    {
        QFETCH(QString, start);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, expected);
        TPopupCalendar cal(nullptr, false);
        cal.SetDate(strToDate(start));
        QTest::keyClick(&cal, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(dateToStr(cal.Date()), expected);
    }

    void headerButtonsRepeat()
    {
        TPopupCalendar cal(nullptr, false);
        cal.show();
        cal.SetDate(day(2024, 1, 31));
        TFlatToolButton *nextMonth = cal.HeaderButton(2);
        QCOMPARE(nextMonth->toolTip(), QString("Next Month"));
        auto *timer = new ManualTimer;
        nextMonth->setRepeatTimer(std::unique_ptr<TRepeatTimer>(timer));
        const QPoint c = nextMonth->rect().center();
        QMouseEvent press(QEvent::MouseButtonPress, c, nextMonth->mapToGlobal(c), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(nextMonth, &press);
        QCOMPARE(dateToStr(cal.Date()), QString("29/02/2024"));   // day cut to February
        QCOMPARE(cal.Title(), QString("febbraio, 2024"));
        QCOMPARE(timer->interval(), 500);
        timer->tick();
        QCOMPARE(dateToStr(cal.Date()), QString("29/03/2024"));
        QCOMPARE(timer->interval(), 100);
        QMouseEvent release(QEvent::MouseButtonRelease, c, nextMonth->mapToGlobal(c), Qt::LeftButton, Qt::NoButton,
                            Qt::NoModifier);
        QCoreApplication::sendEvent(nextMonth, &release);
        QVERIFY(!timer->isActive());

        cal.HeaderButton(0)->Click();
        QCOMPARE(dateToStr(cal.Date()), QString("29/03/2023"));
        cal.SetHints({"", "Mese precedente"});
        QCOMPARE(cal.HeaderButton(0)->toolTip(), QString("Previous Year"));
        QCOMPARE(cal.HeaderButton(1)->toolTip(), QString("Mese precedente"));
    }

    void doubleClickOnTheTitleGoesToToday()
    {
        TPopupCalendar cal(nullptr, false);
        cal.SetDate(day(2001, 1, 1));
        QTest::mouseDClick(&cal, Qt::LeftButton, Qt::NoModifier, cal.TitleRect().center());
        QCOMPARE(dateToStr(cal.Date()), QString("15/06/2024"));
    }

    void popupPosition_data()
    {
        QTest::addColumn<QRect>("edit");
        QTest::addColumn<bool>("alignRight");
        QTest::addColumn<QPoint>("expected");
        const QRect screen(0, 0, 800, 600);
        Q_UNUSED(screen);
        QTest::newRow("below, right edges aligned") << QRect(300, 100, 121, 20) << true << QPoint(241, 120);
        QTest::newRow("off the left: to the edit's left") << QRect(10, 100, 121, 20) << true << QPoint(10, 120);
        QTest::newRow("left alignment") << QRect(300, 100, 121, 20) << false << QPoint(300, 120);
        QTest::newRow("off the right: inside the screen") << QRect(700, 100, 121, 20) << false << QPoint(620, 120);
        QTest::newRow("no room below: above") << QRect(300, 500, 121, 20) << true << QPoint(241, 380);
    }
    void popupPosition()
    {
        QFETCH(QRect, edit);
        QFETCH(bool, alignRight);
        QFETCH(QPoint, expected);
        QCOMPARE(TPopupCalendar::PopupPosition(edit, QSize(180, 120), QRect(0, 0, 800, 600), alignRight), expected);
    }

    void openAcceptAndCancel()
    {
        TDateEdit edit;
        edit.resize(121, 21);
        edit.show();
        QApplication::setActiveWindow(&edit);
        edit.SetDate(day(2024, 1, 31));
        QList<TDateTime> offered;
        edit.OnAcceptDate = [&](TCustomDateEdit *, TDateTime &date, bool &accept) {
            offered << date;
            if (date == day(2024, 2, 1)) accept = false;
            if (date == day(2024, 2, 2)) date = day(2024, 2, 3);
        };

        QTest::mouseClick(edit.Button(), Qt::LeftButton);
        QVERIFY(edit.PopupVisible());
        TPopupCalendar *cal = edit.Calendar();
        QCOMPARE(dateToStr(cal->Date()), QString("31/01/2024"));   // taken from the text
        cal->HeaderButton(2)->Click();
        QTest::keyClick(cal, Qt::Key_Return);
        QVERIFY(!edit.PopupVisible());
        QCOMPARE(edit.displayText(), QString("29/02/2024"));
        QCOMPARE(edit.selectedText(), QString("29/02/2024"));

        // Refused by OnAcceptDate: the text stays.
        edit.DoClick();
        cal->SetDate(day(2024, 2, 1));
        QTest::keyClick(cal, Qt::Key_Enter);
        QCOMPARE(edit.displayText(), QString("29/02/2024"));

        // Changed by OnAcceptDate; chosen with the mouse on a day cell.
        edit.DoClick();
        cal->SetDate(day(2024, 2, 10));
        int col = cal->ColumnOf(2);
        QPoint at = cal->CellRect(1, col).center();   // 2 February 2024 is in the first week
        click(cal, at);
        QCOMPARE(edit.displayText(), QString("03/02/2024"));

        // A release with Shift, or over an empty cell, does not accept.
        edit.DoClick();
        click(cal, cal->CellRect(1, 0).center());     // before 1 February: empty
        QVERIFY(edit.PopupVisible());
        click(cal, cal->CellRect(2, 2).center(), Qt::ShiftModifier);
        QVERIFY(edit.PopupVisible());

        // Escape cancels.
        cal->SetDate(day(2025, 5, 5));
        QTest::keyClick(cal, Qt::Key_Escape);
        QVERIFY(!edit.PopupVisible());
        QCOMPARE(edit.displayText(), QString("03/02/2024"));
        QCOMPARE(offered, (QList<TDateTime>{day(2024, 2, 29), day(2024, 2, 1), day(2024, 2, 2)}));
    }

    void openingRules()
    {
        TDateEdit edit;
        edit.show();
        QApplication::setActiveWindow(&edit);
        edit.setText("31/02/2024");                  // unreadable: today
        edit.DoClick();
        QCOMPARE(dateToStr(edit.Calendar()->Date()), QString("15/06/2024"));
        QTest::keyClick(edit.Calendar(), Qt::Key_Escape);
        edit.SetReadOnly(true);
        edit.DoClick();
        QVERIFY(!edit.PopupVisible());
        edit.SetReadOnly(false);
        QTest::keyClick(&edit, Qt::Key_Down, Qt::AltModifier);   // ClickKey
        QVERIFY(edit.PopupVisible());
        QTest::keyClick(edit.Calendar(), Qt::Key_Escape);
    }

    // ---- bound ----

    void boundEditShowsTheFieldsDay()
    {
        BoundDate b(day(2024, 3, 5) + 14.5 / 24);
        QCOMPARE(b.edit.displayText(), QString("05/03/2024"));
        QVERIFY(b.edit.isReadOnly());                  // browsing
        b.table.Edit();
        b.field()->Clear();
        QCOMPARE(b.edit.displayText(), QString("  /  /    "));
        b.table.Cancel();
        QCOMPARE(b.edit.displayText(), QString("05/03/2024"));
    }

    void boundEditKeepsTheTimeOfDay()
    {
        BoundDate b(day(2024, 3, 5) + 14.5 / 24);
        b.edit.home(false);
        QTest::keyClick(&b.edit, Qt::Key_0);           // the digit starts Edit
        QCOMPARE(b.table.State(), DataSetState::Edit);
        QTest::keyClick(&b.edit, Qt::Key_7);
        QCOMPARE(b.edit.displayText(), QString("07/03/2024"));
        b.table.Post();
        int h, n, s, ms;
        decodeTime(b.field()->AsDateTime(), h, n, s, ms);
        QCOMPARE(QTime(h, n), QTime(14, 30));
        QCOMPARE(text(std::trunc(b.field()->AsDateTime())), QString("07/03/2024"));
    }

    void boundEditStepKeysAndCalendar()
    {
        BoundDate b(day(2024, 1, 31) + 0.25);
        QTest::keyClick(&b.edit, Qt::Key_Plus, Qt::KeypadModifier);
        QCOMPARE(b.table.State(), DataSetState::Edit);
        QCOMPARE(b.edit.displayText(), QString("01/02/2024"));
        b.edit.UpdateRecord();
        QCOMPARE(b.field()->AsDateTime(), day(2024, 2, 1) + 0.25);

        // A calendar date is stored at once.
        b.edit.DoClick();
        b.edit.Calendar()->SetDate(day(2024, 2, 20));
        QTest::keyClick(b.edit.Calendar(), Qt::Key_Return);
        QCOMPARE(b.field()->AsDateTime(), day(2024, 2, 20) + 0.25);
    }

    void boundEditRefusals()
    {
        BoundDate b(day(2024, 3, 5));
        b.edit.home(false);
        QTest::keyClick(&b.edit, Qt::Key_A);           // refused with a beep, no Edit
        QCOMPARE(b.table.State(), DataSetState::Browse);
        QCOMPARE(b.edit.displayText(), QString("05/03/2024"));

        b.table.readOnly = true;                       // nothing can start Edit
        QTest::keyClick(&b.edit, Qt::Key_1);
        QTest::keyClick(&b.edit, Qt::Key_Plus, Qt::KeypadModifier);
        QCOMPARE(b.table.State(), DataSetState::Browse);
        QCOMPARE(b.edit.displayText(), QString("05/03/2024"));
        b.edit.DoClick();
        b.edit.Calendar()->SetDate(day(2024, 4, 4));
        QTest::keyClick(b.edit.Calendar(), Qt::Key_Return);
        QCOMPARE(b.field()->AsDateTime(), day(2024, 3, 5));
        QCOMPARE(b.edit.displayText(), QString("05/03/2024"));
    }

    void boundEditEscapeAndClearing()
    {
        BoundDate b(day(2024, 3, 5));
        b.edit.home(false);
        QTest::keyClick(&b.edit, Qt::Key_1);
        QCOMPARE(b.edit.displayText(), QString("15/03/2024"));
        QTest::keyClick(&b.edit, Qt::Key_Escape);      // restores the field
        QCOMPARE(b.edit.displayText(), QString("05/03/2024"));
        QCOMPARE(b.edit.selectedText(), QString("05/03/2024"));

        // An impossible date is refused when written back: the day keeps its date.
        b.edit.home(false);
        QTest::keyClicks(&b.edit, "3102");
        QCOMPARE(b.edit.displayText(), QString("31/02/2024"));
        QString refused;
        try {
            b.table.Post();
        } catch (const Exception &e) {
            refused = e.message();
        }
        QCOMPARE(refused, QString("'31/02/2024' is not a valid date"));
        QCOMPARE(b.field()->AsDateTime(), day(2024, 3, 5));
        QCOMPARE(b.edit.displayText(), QString("31/02/2024"));

        // Emptied, it clears the field.
        b.edit.selectAll();
        QTest::keyClick(&b.edit, Qt::Key_Delete);
        b.table.Post();
        QVERIFY(b.field()->IsNull());
        QCOMPARE(b.edit.displayText(), QString("  /  /    "));
    }

    void unfocusedEmptyFieldShowsSpaces()
    {
        BoundDate b{QVariant()};
        b.edit.SetBlanksChar('_');
        QCOMPARE(b.edit.displayText(), QString("__/__/____"));   // focused: the mask's blanks
        auto *other = new QWidget(&b.edit);
        other->setFocusPolicy(Qt::StrongFocus);
        other->show();
        other->setFocus();
        QVERIFY(!b.edit.hasFocus());
        QCOMPARE(b.edit.displayText(), QString("  /  /    "));
    }
};

QTEST_MAIN(TestDateEdit)
#include "tst_dateedit.moc"
