#include "controls/popupcalendar.h"
#include "controls/flattoolbutton.h"
#include "controls/glyphs_p.h"

#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <cmath>

namespace {

const char *const kDefaultHints[4] = {"Previous Year", "Previous Month", "Next Month", "Next Year"};

// Qt numbers Monday 1 .. Sunday 7; the day names run Sunday first.
int sundayFirst(int qtDay)
{
    return qtDay % 7;
}

int daysInMonth(int y, int m)
{
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return m == 2 && leap ? 29 : days[m - 1];
}

} // namespace

TPopupCalendar::TPopupCalendar(QWidget *parent, bool popup)
    : QWidget(parent, popup ? Qt::Popup : Qt::Widget), m_popup(popup)
{
    setAttribute(Qt::WA_NoMouseReplay);
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(QStringLiteral("Calendario"));
    m_color = palette().color(QPalette::Button);
    m_date = today();
    const double scale = (screen() ? screen()->logicalDotsPerInch() : 96.0) / 96.0;
    resize(int(std::lround(180 * scale)), int(std::lround(120 * scale)));
    setMinimumSize(size());

    for (int i = 0; i < 4; ++i) {
        auto *b = new TFlatToolButton(this);
        b->setObjectName(QStringLiteral("CalendarButton%1").arg(i));
        const int dir = i < 2 ? -1 : 1;
        const bool year = i == 0 || i == 3;
        b->Glyph = arrowGlyph(dir, year, 12, GlyphState::Normal);
        b->GlyphHot = arrowGlyph(dir, year, 12, GlyphState::Hot);
        b->GlyphDisabled = arrowGlyph(dir, year, 12, GlyphState::Disabled);
        b->AutoRepeat = true;
        b->RepeatDelay = 500;
        b->RepeatInterval = 100;
        b->Color = m_color;
        b->BorderHotColor = QColor();
        b->BorderDownColor = palette().color(QPalette::Dark);
        const int months = (year ? 12 : 1) * dir;
        b->OnClick = [this, months](TFlatToolButton *) { MoveMonths(months); };
        m_buttons[std::size_t(i)] = b;
    }
    SetHints({});
    layoutHeader();
}

void TPopupCalendar::SetColor(const QColor &color)
{
    m_color = color.isValid() ? color : palette().color(QPalette::Button);
    for (TFlatToolButton *b : m_buttons) {
        b->Color = m_color;
        b->update();
    }
    update();
}

void TPopupCalendar::SetHints(const QStringList &hints)
{
    for (int i = 0; i < 4; ++i) {
        const QString own = hints.value(i);
        const QString hint = own.isEmpty() ? QString::fromLatin1(kDefaultHints[i]) : own;
        m_buttons[std::size_t(i)]->setToolTip(hint);
        m_buttons[std::size_t(i)]->setAccessibleName(hint);
    }
}

void TPopupCalendar::SetDate(TDateTime value)
{
    const TDateTime day = std::trunc(value);
    if (day == m_date) return;
    m_date = day;
    changed();
}

void TPopupCalendar::changed()
{
    update();
    if (OnChange) OnChange();
}

void TPopupCalendar::MoveMonths(int months)
{
    int y, m, d;
    decodeDate(m_date, y, m, d);
    int index = y * 12 + (m - 1) + months;
    y = index / 12;
    m = index % 12 + 1;
    if (y < 1 || y > 9999) return;
    d = std::min(d, daysInMonth(y, m));
    SetDate(encodeDate(y, m, d));
}

void TPopupCalendar::MoveDays(int days)
{
    TDateTime next = m_date + days;
    int y, m, d;
    decodeDate(next, y, m, d);
    if (y < 1 || y > 9999) return;
    SetDate(next);
}

QString TPopupCalendar::Title() const
{
    return formatDateTime(QStringLiteral("mmmm, yyyy"), m_date);
}

int TPopupCalendar::headerHeight() const
{
    return height() * 18 / 120;
}

void TPopupCalendar::layoutHeader()
{
    const int h = headerHeight();
    const int w = std::max(16, width() / 11);
    m_buttons[0]->setGeometry(0, 0, w, h);
    m_buttons[1]->setGeometry(w, 0, w, h);
    m_buttons[2]->setGeometry(width() - 2 * w, 0, w, h);
    m_buttons[3]->setGeometry(width() - w, 0, w, h);
}

void TPopupCalendar::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutHeader();
}

QRect TPopupCalendar::TitleRect() const
{
    const int w = m_buttons[0]->width();
    return QRect(2 * w, 0, width() - 4 * w, headerHeight());
}

QRect TPopupCalendar::CellRect(int row, int column) const
{
    const int top = headerHeight();
    const int h = height() - top;
    const int y0 = top + row * h / 7, y1 = top + (row + 1) * h / 7;
    const int x0 = column * width() / 7, x1 = (column + 1) * width() / 7;
    return QRect(x0, y0, x1 - x0, y1 - y0);
}

int TPopupCalendar::firstColumn() const
{
    int y, m, d;
    decodeDate(m_date, y, m, d);
    const int first = dayOfWeek(encodeDate(y, m, 1)) - 1;   // 0 = Sunday
    return (first - sundayFirst(StartOfWeek) + 7) % 7;
}

int TPopupCalendar::ColumnOf(int day) const
{
    return (firstColumn() + day - 1) % 7;
}

int TPopupCalendar::DayAt(const QPoint &pos) const
{
    if (pos.y() < headerHeight()) return 0;
    int y, m, d;
    decodeDate(m_date, y, m, d);
    for (int row = 1; row < 7; ++row)
        for (int col = 0; col < 7; ++col) {
            if (!CellRect(row, col).contains(pos)) continue;
            const int day = (row - 1) * 7 + col - firstColumn() + 1;
            return day >= 1 && day <= daysInMonth(y, m) ? day : 0;
        }
    return 0;
}

void TPopupCalendar::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), m_color);
    const QPalette pal = palette();

    QFont bold = font();
    bold.setBold(true);
    p.setFont(bold);
    p.setPen(pal.color(QPalette::WindowText));
    p.drawText(TitleRect(), Qt::AlignCenter, Title());
    p.setFont(font());

    const QStringList &names = TFormatSettings::current().shortDayNames;
    const int start = sundayFirst(StartOfWeek);
    for (int col = 0; col < 7; ++col) {
        const QRect r = CellRect(0, col);
        p.setPen(pal.color(QPalette::WindowText));
        p.drawText(r, Qt::AlignCenter, names.value((start + col) % 7));
    }
    p.setPen(pal.color(QPalette::Dark));
    const int line = CellRect(1, 0).top() - 1;
    p.drawLine(2, line, width() - 3, line);

    int y, m, d;
    decodeDate(m_date, y, m, d);
    const int days = daysInMonth(y, m);
    const int offset = firstColumn();
    for (int day = 1; day <= days; ++day) {
        const int index = offset + day - 1;
        const QRect r = CellRect(1 + index / 7, index % 7);
        // Column c shows weekday (start + c) % 7, Sunday first.
        const int weekday = (start + index % 7) % 7;
        const int qtDay = weekday == 0 ? 7 : weekday;
        QColor ink = (Weekends & (1u << qtDay)) ? WeekendColor : pal.color(QPalette::WindowText);
        if (day == d) {
            p.fillRect(r, pal.color(QPalette::Highlight));
            ink = pal.color(QPalette::HighlightedText);
        }
        p.setPen(ink);
        p.drawText(r, Qt::AlignCenter, QString::number(day));
    }
}

bool TPopupCalendar::HandleKey(QKeyEvent *event)
{
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    const QString t = event->text();
    switch (event->key()) {
    case Qt::Key_Left: MoveDays(-1); return true;
    case Qt::Key_Right: MoveDays(1); return true;
    case Qt::Key_Up:
    case Qt::Key_Down: {
        const int step = event->key() == Qt::Key_Up ? -7 : 7;
        int y, m, d;
        decodeDate(m_date, y, m, d);
        if (d + step >= 1 && d + step <= daysInMonth(y, m)) MoveDays(step);
        return true;
    }
    case Qt::Key_PageUp: MoveMonths(ctrl ? -12 : -1); return true;
    case Qt::Key_PageDown: MoveMonths(ctrl ? 12 : 1); return true;
    default: break;
    }
    if (t == QLatin1String("+")) {
        MoveDays(1);
        return true;
    }
    if (t == QLatin1String("-")) {
        MoveDays(-1);
        return true;
    }
    if (t.compare(QLatin1String("t"), Qt::CaseInsensitive) == 0) {
        SetDate(today());
        return true;
    }
    return false;
}

void TPopupCalendar::keyPressEvent(QKeyEvent *event)
{
    if (m_popup) {
        switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter: accept(); return;
        case Qt::Key_Escape: hide(); return;
        default: break;
        }
    }
    if (HandleKey(event)) return;
    QWidget::keyPressEvent(event);
}

void TPopupCalendar::accept()
{
    m_closing = true;
    if (m_popup) hide();
    m_closing = false;
    if (OnAccept) OnAccept(m_date);
}

void TPopupCalendar::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    if (m_popup && !m_closing && OnCancel) OnCancel();
}

void TPopupCalendar::mousePressEvent(QMouseEvent *event)
{
    if (m_popup && !rect().contains(event->position().toPoint())) {
        QWidget::mousePressEvent(event);   // Qt closes the popup
        return;
    }
    if (event->button() == Qt::LeftButton) {
        if (const int day = DayAt(event->position().toPoint())) {
            int y, m, d;
            decodeDate(m_date, y, m, d);
            SetDate(encodeDate(y, m, day));
        }
    }
}

void TPopupCalendar::mouseReleaseEvent(QMouseEvent *event)
{
    const Qt::KeyboardModifiers shifts = Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier;
    if (m_popup && event->button() == Qt::LeftButton && !(event->modifiers() & shifts)
        && DayAt(event->position().toPoint()))
        accept();
}

void TPopupCalendar::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && TitleRect().contains(event->position().toPoint())) SetDate(today());
    else mousePressEvent(event);
}

QPoint TPopupCalendar::PopupPosition(const QRect &edit, const QSize &size, const QRect &screen, bool alignRight)
{
    int x = alignRight ? edit.left() + edit.width() - size.width() : edit.left();
    if (x < screen.left()) x = edit.left();
    if (x + size.width() > screen.left() + screen.width()) x = screen.left() + screen.width() - size.width();
    if (x < screen.left()) x = screen.left();
    int y = edit.top() + edit.height();
    if (y + size.height() > screen.top() + screen.height()) y = edit.top() - size.height();
    return {x, y};
}
