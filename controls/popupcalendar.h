#pragma once
// TPopupCalendar: the month calendar of the date edit. A header row holds the
// previous-year, previous-month, title, next-month and next-year parts (the
// four buttons repeat while held, after 500 ms then every 100 ms); below it a
// 7 x 7 grid: the short day names from StartOfWeek, then the days of the
// month, each under its weekday. The calendar's date is one day, shown as the
// selected cell. As a popup it closes on Enter or a release over a day
// (accepting) and on Escape or a click elsewhere (cancelling).

#include "core/datetime.h"

#include <QColor>
#include <QStringList>
#include <QWidget>
#include <array>
#include <functional>

class TFlatToolButton;

class TPopupCalendar : public QWidget
{
    Q_OBJECT
public:
    // A popup window, or (popup false) a plain child widget for a dialog.
    explicit TPopupCalendar(QWidget *parent = nullptr, bool popup = true);

    TDateTime Date() const { return m_date; }
    void SetDate(TDateTime value);

    Qt::DayOfWeek StartOfWeek = Qt::Monday;
    unsigned Weekends = 1u << Qt::Sunday;     // bit per Qt::DayOfWeek
    QColor WeekendColor = Qt::red;
    void SetColor(const QColor &color);
    // Up to four texts for the header buttons; empty entries keep the defaults.
    void SetHints(const QStringList &hints);

    // Header actions: months forward (positive) or back; the day is cut to the
    // new month's length.
    void MoveMonths(int months);
    void MoveDays(int days);
    // A key of the calendar (arrows, pages, keypad +/-, T); false when not one.
    bool HandleKey(QKeyEvent *event);

    TFlatToolButton *HeaderButton(int index) const { return m_buttons.at(std::size_t(index)); }
    QString Title() const;
    QRect TitleRect() const;
    QRect CellRect(int row, int column) const;
    // The day shown at a point, or 0 for none.
    int DayAt(const QPoint &pos) const;
    int ColumnOf(int day) const;

    // Placement under (or above) an edit's global rectangle, right edges
    // aligned (or left edges with alignRight false), kept inside the screen.
    static QPoint PopupPosition(const QRect &edit, const QSize &size, const QRect &screen, bool alignRight);

    std::function<void(TDateTime date)> OnAccept;
    std::function<void()> OnCancel;
    std::function<void()> OnChange;

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void layoutHeader();
    int headerHeight() const;
    int firstColumn() const;
    void changed();
    void accept();

    TDateTime m_date = 0;
    QColor m_color;
    bool m_popup;
    bool m_closing = false;
    std::array<TFlatToolButton *, 4> m_buttons{};
};
