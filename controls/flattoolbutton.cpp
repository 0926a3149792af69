#include "controls/flattoolbutton.h"
#include "controls/accessible.h"
#include "core/exceptions.h"
#include "controls/repeattimer.h"

#include <QEnterEvent>
#include <QIcon>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionToolButton>
#include <cmath>

TFlatToolButton::TFlatToolButton(QWidget *parent) : QWidget(parent)
{
    installControlAccessibility();
    setAttribute(Qt::WA_Hover);
    setFocusPolicy(Qt::NoFocus);
    Color = palette().color(QPalette::Button);
    ColorHot = QColor(199, 199, 202);
    ColorDown = QColor(210, 211, 216);
    BorderHotColor = Qt::black;
    BorderDownColor = Qt::black;
    setRepeatTimer(std::make_unique<TRepeatTimer>());
}

TFlatToolButton::~TFlatToolButton() = default;

void TFlatToolButton::setRepeatTimer(std::unique_ptr<TRepeatTimer> timer)
{
    if (m_timer) m_timer->stop();
    m_timer = std::move(timer);
    if (m_timer) m_timer->OnTimer = [this] { repeatTick(); };
}

void TFlatToolButton::setShowFocusRect(bool value)
{
    if (m_showFocus == value) return;
    m_showFocus = value;
    update();
}

void TFlatToolButton::Click()
{
    if (isEnabled() && OnClick) OnClick(this);
}

QSize TFlatToolButton::sizeHint() const
{
    const QSize glyph = Glyph.isNull() ? QSize(16, 16) : Glyph.deviceIndependentSize().toSize();
    return glyph + QSize(6, 6);
}

void TFlatToolButton::paintGradient(QPainter &painter, const QRect &rect, const QColor &from, const QColor &to,
                                    int bands)
{
    if (!to.isValid() || bands < 2) {
        painter.fillRect(rect, from);
        return;
    }
    const int h = rect.height();
    auto channel = [bands](int start, int end, int k) {
        return start + int(std::lround(double(k) * (end - start) / bands));
    };
    for (int k = 0; k < bands; ++k) {
        // Integer band edges cover the whole height whatever it is.
        const int top = rect.top() + k * h / bands;
        const int bottom = rect.top() + (k + 1) * h / bands;
        if (bottom <= top) continue;
        const QColor c(channel(from.red(), to.red(), k), channel(from.green(), to.green(), k),
                       channel(from.blue(), to.blue(), k));
        painter.fillRect(QRect(rect.left(), top, rect.width(), bottom - top), c);
    }
}

QPixmap TFlatToolButton::glyphForState() const
{
    if (!isEnabled()) {
        if (!GlyphDisabled.isNull()) return GlyphDisabled;
        QIcon icon(Glyph);
        return icon.pixmap(Glyph.deviceIndependentSize().toSize(), QIcon::Disabled);
    }
    if (m_hot && !GlyphHot.isNull()) return GlyphHot;
    return Glyph;
}

void TFlatToolButton::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const bool enabled = isEnabled();
    const bool down = enabled && m_down && m_hot;
    const bool hot = enabled && m_hot && !down;
    const QRect r = rect();

    if (Flat) {
        QColor from = Color, to = ColorTo, border = BorderColor;
        if (down) {
            from = ColorDown;
            to = ColorDownTo;
            border = BorderDownColor;
        } else if (hot) {
            from = ColorHot;
            to = ColorHotTo;
            border = BorderHotColor;
        }
        paintGradient(p, r, from.isValid() ? from : palette().color(QPalette::Button), to);
        if (border.isValid()) {
            p.setPen(border);
            p.setBrush(Qt::NoBrush);
            p.drawRect(r.adjusted(0, 0, -1, -1));
        }
    } else {
        QStyleOptionToolButton opt;
        opt.initFrom(this);
        opt.state |= down ? QStyle::State_Sunken : QStyle::State_Raised;
        paintGradient(p, r, Color.isValid() ? Color : palette().color(QPalette::Button), ColorTo);
        style()->drawPrimitive(QStyle::PE_PanelButtonBevel, &opt, &p, this);
    }

    const QPixmap glyph = glyphForState();
    if (!glyph.isNull()) {
        const QSize gs = glyph.deviceIndependentSize().toSize();
        QPoint at((r.width() - gs.width()) / 2, (r.height() - gs.height()) / 2);
        if (hot && Shaded) at -= QPoint(1, 1);
        p.drawPixmap(at, glyph);
    }

    if (m_showFocus) {
        QRect f = r.adjusted(3, 3, -4, -4);
        if (down) f.translate(1, 1);
        QPen pen(palette().color(QPalette::WindowText));
        pen.setStyle(Qt::DotLine);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawRect(f);
    }
}

void TFlatToolButton::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_down = true;
    m_hot = rect().contains(event->position().toPoint());
    update();
    if (AutoRepeat) {
        Click();
        if (m_down && m_timer) m_timer->start(RepeatDelay);
    }
}

void TFlatToolButton::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !m_down) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    stopRepeat();
    m_down = false;
    const bool inside = rect().contains(event->position().toPoint());
    update();
    if (!AutoRepeat && inside) Click();
}

void TFlatToolButton::mouseMoveEvent(QMouseEvent *event)
{
    // While the button is held the pointer is grabbed: "hot" then means
    // "inside", which decides whether the repeat clicks.
    const bool inside = rect().contains(event->position().toPoint());
    if (inside != m_hot) {
        m_hot = inside;
        update();
    }
    QWidget::mouseMoveEvent(event);
}

void TFlatToolButton::enterEvent(QEnterEvent *event)
{
    m_hot = true;
    update();
    QWidget::enterEvent(event);
}

void TFlatToolButton::leaveEvent(QEvent *event)
{
    m_hot = false;
    update();
    QWidget::leaveEvent(event);
}

void TFlatToolButton::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::EnabledChange && !isEnabled()) {
        stopRepeat();
        m_down = false;
        m_hot = false;
    }
    QWidget::changeEvent(event);
}

void TFlatToolButton::stopRepeat()
{
    if (m_timer) m_timer->stop();
}

void TFlatToolButton::repeatTick()
{
    if (!m_timer) return;
    if (!m_down) {
        stopRepeat();
        return;
    }
    m_timer->start(RepeatInterval);
    if (!m_hot) return;
    try {
        Click();
    } catch (...) {
        stopRepeat();
        throw;
    }
}

bool TFlatToolButton::event(QEvent *event)
{
    // Failures of the handlers stop here, not in Qt's dispatch.
    bool handled = true;
    guarded([&] { handled = QWidget::event(event); });
    return handled;
}
