#include "controls/customdateedit.h"
#include "controls/exitrefusal_p.h"
#include "controls/glyphs_p.h"
#include "controls/popupcalendar.h"
#include "core/exceptions.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QScreen>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>

namespace {

// The day counts of 1 January 1 and 31 December 9999.
constexpr double kMinDate = -693593;
constexpr double kMaxDate = 2958465;

bool isKeypad(const QKeyEvent *e, int key)
{
    const Qt::KeyboardModifiers shifts = Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier;
    return e->key() == key && (e->modifiers() & Qt::KeypadModifier) && !(e->modifiers() & shifts);
}

} // namespace

TCustomDateEdit::TCustomDateEdit(QWidget *parent) : QLineEdit(parent)
{
    m_button = new QToolButton(this);
    m_button->setObjectName(QStringLiteral("Button"));
    m_button->setAccessibleName(QStringLiteral("Calendario"));
    m_button->setFocusPolicy(Qt::NoFocus);
    m_button->setCursor(Qt::ArrowCursor);
    m_button->setAutoRaise(true);
    connect(m_button, &QToolButton::clicked, this, [this] { DoClick(); });
    connect(this, &QLineEdit::textChanged, this, [this] {
        if (OnChange) OnChange(this);
    });
    updateButton();
    rebuildFormat();
}

TCustomDateEdit::~TCustomDateEdit()
{
    if (m_calendar) {
        m_calendar->OnAccept = nullptr;
        m_calendar->OnCancel = nullptr;
        delete m_calendar;
    }
}

// ---- format ---------------------------------------------------------------

void TCustomDateEdit::ensureFormat() const
{
    const TFormatSettings &fs = TFormatSettings::current();
    const QString key = fs.shortDateFormat + QChar(0x1) + fs.dateSeparator + QChar(0x1)
                        + QString::number(int(m_yearDigits)) + effectiveBlank();
    if (key != m_formatKey) const_cast<TCustomDateEdit *>(this)->rebuildFormat();
}

void TCustomDateEdit::rebuildFormat()
{
    // The value survives the change: read it with the old format first.
    TDateTime value = 0;
    if (!m_formatKey.isEmpty()) {
        QString text = displayText();
        text.replace(effectiveBlank(), QLatin1Char(' '));
        text.replace(QChar(m_blanksChar), QLatin1Char(' '));
        if (!m_format.parse(text, value)) value = 0;
    }
    const bool wasModified = isModified();
    const TFormatSettings &fs = TFormatSettings::current();
    m_format = TDateEditFormat::build(m_yearDigits, fs);
    const QChar blank = effectiveBlank();
    m_formatKey = fs.shortDateFormat + QChar(0x1) + fs.dateSeparator + QChar(0x1)
                  + QString::number(int(m_yearDigits)) + blank;
    const QSignalBlocker block(this);
    setInputMask(m_format.qtInputMask(blank));
    setText(value == 0 ? QString() : m_format.format(value, blank));
    setModified(wasModified);
}

const TDateEditFormat &TCustomDateEdit::EditFormat() const
{
    ensureFormat();
    return m_format;
}

QString TCustomDateEdit::EditMask() const
{
    return EditFormat().editMask(m_blanksChar);
}

void TCustomDateEdit::SetYearDigits(TYearDigits value)
{
    m_yearDigits = value;
    ensureFormat();
}

void TCustomDateEdit::SetBlanksChar(QChar value)
{
    m_blanksChar = value.unicode() < 32 ? QLatin1Char(' ') : value;
    ensureFormat();
}

void TCustomDateEdit::SetNumGlyphs(int value)
{
    m_numGlyphs = std::clamp(value, 1, 4);
    updateButton();
}

void TCustomDateEdit::updateButton()
{
    QIcon icon(calendarGlyph(16, GlyphState::Normal));
    // With two glyphs the picture has its own disabled look.
    if (m_numGlyphs >= 2) icon.addPixmap(calendarGlyph(16, GlyphState::Disabled), QIcon::Disabled);
    m_button->setIcon(icon);
    m_button->setIconSize(QSize(16, 16));
}

// ---- value ----------------------------------------------------------------

TDateTime TCustomDateEdit::Date() const
{
    ensureFormat();
    QString text = displayText();
    text.replace(effectiveBlank(), QLatin1Char(' '));
    TDateTime value = 0;
    if (m_format.parse(text, value)) return value;
    return DefaultToday ? today() : 0;
}

void TCustomDateEdit::SetDate(TDateTime value)
{
    ensureFormat();
    const TDateTime before = Date();
    TDateTime day = std::isfinite(value) ? std::trunc(value) : 0;
    if (day < kMinDate || day > kMaxDate) day = 0;
    if (day == 0 && DefaultToday) day = today();
    const QString text = day == 0 ? m_format.emptyText(effectiveBlank()) : m_format.format(day, effectiveBlank());
    if (text != displayText()) setText(day == 0 ? QString() : text);
    if (Date() != before) setModified(true);
}

void TCustomDateEdit::SetReadOnly(bool value)
{
    m_readOnly = value;
    updateReadOnly();
}

void TCustomDateEdit::updateReadOnly()
{
    setReadOnly(m_readOnly || !canEditNow());
}

// ---- keys -----------------------------------------------------------------

void TCustomDateEdit::applyDelta(int days)
{
    if (!beginEdit()) return;
    TDateTime base = Date();
    if (base == 0) base = now();
    SetDate(std::trunc(base) + days);
    selectAll();
    dateApplied();
}

void TCustomDateEdit::applyToday()
{
    if (!beginEdit()) return;
    SetDate(today());
    selectAll();
    dateApplied();
}

void TCustomDateEdit::keyPressEvent(QKeyEvent *event)
{
    const QString t = event->text();
    if (PopupVisible()) {
        const bool calendarKey = event->key() == Qt::Key_PageUp || event->key() == Qt::Key_PageDown
                                 || event->key() == Qt::Key_Left || event->key() == Qt::Key_Right
                                 || event->key() == Qt::Key_Up || event->key() == Qt::Key_Down
                                 || t == QLatin1String("+") || t == QLatin1String("-")
                                 || t.compare(QLatin1String("t"), Qt::CaseInsensitive) == 0;
        if (calendarKey && m_calendar->HandleKey(event)) return;
    }
    const QKeyCombination combo(event->modifiers() & ~Qt::KeypadModifier, Qt::Key(event->key()));
    if (!ClickKey.isEmpty() && ClickKey[0] == combo) {
        DoClick();
        return;
    }
    if (DirectInput) {
        if (isKeypad(event, Qt::Key_Plus)) {
            applyDelta(1);
            return;
        }
        if (isKeypad(event, Qt::Key_Minus)) {
            applyDelta(-1);
            return;
        }
        if (t.compare(QLatin1String("t"), Qt::CaseInsensitive) == 0) {
            applyToday();
            return;
        }
        if (t == QLatin1String("+") || t == QLatin1String("-")) return;
    } else {
        const bool edits = (t.size() == 1 && t[0].isPrint()) || event->key() == Qt::Key_Backspace
                           || event->key() == Qt::Key_Delete || event->matches(QKeySequence::Paste)
                           || event->matches(QKeySequence::Cut);
        if (edits) return;
    }
    QLineEdit::keyPressEvent(event);
}

// ---- focus ----------------------------------------------------------------

void TCustomDateEdit::CheckValidDate()
{
    QString text = displayText();
    if (m_format.isEmptyText(text)) return;
    text.replace(effectiveBlank(), QLatin1Char(' '));
    TDateTime value = 0;
    if (!m_format.parse(text, value)) {
        selectAll();
        throw EConvertError(QStringLiteral("'%1' is not a valid date").arg(displayText()));
    }
    SetDate(value);
}

void TCustomDateEdit::doExit()
{
    if (CheckOnExit) CheckValidDate();
}

void TCustomDateEdit::focusInEvent(QFocusEvent *event)
{
    ensureFormat();
    QLineEdit::focusInEvent(event);
}

void TCustomDateEdit::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    // The calendar or another application's window taking the keyboard is no exit.
    if (event->reason() == Qt::PopupFocusReason || event->reason() == Qt::ActiveWindowFocusReason
        || PopupVisible())
        return;
    try {
        doExit();
    } catch (...) {
        exitRefusal::takeFocusBack(this);
        throw;
    }
}

bool TCustomDateEdit::event(QEvent *event)
{
    if (event->type() == QEvent::LocaleChange || event->type() == QEvent::Show) ensureFormat();
    // Failures of the handlers stop here, not in Qt's dispatch.
    bool handled = true;
    guarded([&] { handled = QLineEdit::event(event); });
    return handled;
}

void TCustomDateEdit::paintEvent(QPaintEvent *event)
{
    // The regional settings send no notice when they change: a shown edit
    // catches up at its next paint at the latest.
    ensureFormat();
    QLineEdit::paintEvent(event);
}

void TCustomDateEdit::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::EnabledChange) m_button->setEnabled(isEnabled());
    QLineEdit::changeEvent(event);
}

void TCustomDateEdit::resizeEvent(QResizeEvent *event)
{
    QLineEdit::resizeEvent(event);
    const int side = std::max(0, height() - 4);
    m_button->setGeometry(width() - side - 2, 2, side, side);
    setTextMargins(0, 0, side, 0);
}

// ---- calendar -------------------------------------------------------------

bool TCustomDateEdit::PopupVisible() const
{
    return m_calendar && m_calendar->isVisible();
}

TDateTime TCustomDateEdit::dateToOpen() const
{
    QString text = displayText();
    if (m_format.isEmptyText(text)) return today();
    text.replace(effectiveBlank(), QLatin1Char(' '));
    TDateTime value = 0;
    return m_format.parse(text, value) ? value : today();
}

void TCustomDateEdit::DoClick()
{
    if (m_readOnly || PopupVisible()) return;
    ensureFormat();
    const TDateTime start = dateToOpen();

    if (CalendarStyle == TCalendarStyle::csDialog) {
        QDialog dialog(window());
        dialog.setWindowTitle(DialogTitle);
        auto *calendar = new TPopupCalendar(&dialog, false);
        calendar->StartOfWeek = StartOfWeek;
        calendar->Weekends = Weekends;
        calendar->WeekendColor = WeekendColor;
        calendar->SetColor(PopupColor);
        calendar->SetHints(CalendarHints);
        calendar->SetDate(start);
        auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
        connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
        connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
        auto *layout = new QVBoxLayout(&dialog);
        layout->addWidget(calendar);
        layout->addWidget(buttons);
        if (dialog.exec() == QDialog::Accepted) calendarAccepted(calendar->Date());
        setFocus();
        return;
    }

    if (!m_calendar) {
        m_calendar = new TPopupCalendar(this, true);
        m_calendar->setObjectName(QStringLiteral("PopupCalendar"));
        m_calendar->OnAccept = [this](TDateTime date) { calendarAccepted(date); };
        m_calendar->OnCancel = [this] { setFocus(); };
    }
    m_calendar->setFont(font());   // a popup window does not inherit it
    m_calendar->StartOfWeek = StartOfWeek;
    m_calendar->Weekends = Weekends;
    m_calendar->WeekendColor = WeekendColor;
    m_calendar->SetColor(PopupColor);
    m_calendar->SetHints(CalendarHints);
    m_calendar->SetDate(start);

    const QRect edit(mapToGlobal(QPoint(0, 0)), size());
    const QRect screenRect = screen() ? screen()->geometry() : QRect(0, 0, 1024, 768);
    m_calendar->move(
        TPopupCalendar::PopupPosition(edit, m_calendar->size(), screenRect, PopupAlign == TPopupAlign::epaRight));
    setFocus();
    m_calendar->show();
}

void TCustomDateEdit::calendarAccepted(TDateTime date)
{
    bool accept = true;
    if (OnAcceptDate) OnAcceptDate(this, date, accept);
    if (accept) acceptValue(date);
    setFocus();
}

void TCustomDateEdit::acceptValue(TDateTime date)
{
    if (!beginEdit()) return;
    SetDate(date);
    selectAll();
    dateApplied();
}
