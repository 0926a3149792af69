#pragma once
// TCustomDateEdit: a one-line masked edit for a date, with a button at its
// right that drops down the month calendar (TPopupCalendar). The format and
// the mask follow the regional short date format (order, separator, two or
// four year digits) and are rebuilt when those settings change, keeping the
// value. The value is a whole day; the empty date, 0, shows the bare mask.
//
// Reading the value never fails: a text that is no date reads as the empty
// date (or today with DefaultToday). Only CheckOnExit reports a bad date, when
// the edit is left.
//
// Keys (DirectInput on): keypad plus and minus step a day (from now when
// empty), "T" sets today, typed "+" and "-" are swallowed, ClickKey opens the
// calendar. Subclasses hook in before any change (beginEdit) and after one
// made by keys or the calendar (dateApplied).

#include "controls/dateeditformat.h"

#include <QKeySequence>
#include <QLineEdit>
#include <QStringList>
#include <functional>

class QToolButton;
class TPopupCalendar;

enum class TCalendarStyle { csPopup, csDialog };
enum class TPopupAlign { epaRight, epaLeft };
enum class TGlyphKind { gkCustom, gkDefault, gkDropDown, gkEllipsis };

class TCustomDateEdit : public QLineEdit
{
    Q_OBJECT
public:
    explicit TCustomDateEdit(QWidget *parent = nullptr);
    ~TCustomDateEdit() override;

    bool DefaultToday = false;
    bool DirectInput = true;
    TYearDigits YearDigits() const { return m_yearDigits; }
    void SetYearDigits(TYearDigits value);
    QChar BlanksChar() const { return m_blanksChar; }
    void SetBlanksChar(QChar value);
    Qt::DayOfWeek StartOfWeek = Qt::Monday;
    unsigned Weekends = 1u << Qt::Sunday;     // bit per Qt::DayOfWeek
    QColor WeekendColor = Qt::red;
    TCalendarStyle CalendarStyle = TCalendarStyle::csPopup;
    QString DialogTitle = QStringLiteral("Select a Date");
    QColor PopupColor;                         // invalid: the button face colour
    QStringList CalendarHints;
    bool CheckOnExit = false;
    QKeySequence ClickKey = QKeySequence(Qt::ALT | Qt::Key_Down);
    TPopupAlign PopupAlign = TPopupAlign::epaRight;
    int NumGlyphs() const { return m_numGlyphs; }
    void SetNumGlyphs(int value);
    TGlyphKind GlyphKind = TGlyphKind::gkDefault;

    // Called with the calendar's date before it is taken; may change it or
    // clear `accept`.
    std::function<void(TCustomDateEdit *sender, TDateTime &date, bool &accept)> OnAcceptDate;
    std::function<void(TCustomDateEdit *sender)> OnChange;

    // The value: the text parsed with the edit format.
    TDateTime Date() const;
    void SetDate(TDateTime value);
    bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool value);

    const TDateEditFormat &EditFormat() const;
    // The mask in the form's notation, "!99/99/9999;1; ".
    QString EditMask() const;

    // Opens the calendar (the button's click).
    void DoClick();
    bool PopupVisible() const;
    TPopupCalendar *Calendar() const { return m_calendar; }
    QToolButton *Button() const { return m_button; }

    // With text other than blanks and separators: reformats a valid date,
    // raises "'%s' is not a valid date" for anything else.
    void CheckValidDate();

protected:
    // Before keys or the calendar change the value: false refuses the change.
    virtual bool beginEdit() { return true; }
    // After keys or the calendar changed the value.
    virtual void dateApplied() {}
    // Whether typing may change the text now (besides ReadOnly).
    virtual bool canEditNow() const { return true; }
    // The calendar's date, after OnAcceptDate agreed.
    virtual void acceptValue(TDateTime date);
    // What leaving the edit does; raises to keep the focus.
    virtual void doExit();
    // The blank shown in empty positions.
    virtual QChar effectiveBlank() const { return m_blanksChar; }

    void updateReadOnly();
    void ensureFormat() const;
    void applyDelta(int days);
    void applyToday();

    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    bool event(QEvent *event) override;

private:
    void rebuildFormat();
    void calendarAccepted(TDateTime date);
    void updateButton();
    TDateTime dateToOpen() const;

    TDateEditFormat m_format;
    QString m_formatKey;
    TYearDigits m_yearDigits = TYearDigits::dyDefault;
    QChar m_blanksChar = QLatin1Char(' ');
    int m_numGlyphs = 1;
    bool m_readOnly = false;
    QToolButton *m_button = nullptr;
    TPopupCalendar *m_calendar = nullptr;
};
