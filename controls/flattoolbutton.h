#pragma once
// A flat picture button: at rest, under the pointer (hot) and pressed it fills
// itself with a 16-band vertical gradient between two colours (a plain fill
// when the second colour is none, an invalid QColor) and draws an optional
// border; the glyph sits in the middle, one pixel up and left when hot and
// Shaded. Disabled buttons show the disabled glyph and never turn hot.
//
// Clicks: a plain button clicks when the left button is released over it. An
// auto-repeat button clicks at the press, again after RepeatDelay and then
// every RepeatInterval while it is held under the pointer; the release adds
// nothing and stops the repeat, and so does a click that raises.

#include <QColor>
#include <QPixmap>
#include <QWidget>
#include <functional>
#include <memory>

class TRepeatTimer;

class TFlatToolButton : public QWidget
{
    Q_OBJECT
public:
    explicit TFlatToolButton(QWidget *parent = nullptr);
    ~TFlatToolButton() override;

    bool Flat = true;
    bool Shaded = true;
    QColor Color, ColorTo;
    QColor ColorHot, ColorHotTo;
    QColor ColorDown, ColorDownTo;
    QColor BorderColor, BorderHotColor, BorderDownColor;

    QPixmap Glyph, GlyphHot, GlyphDisabled;

    bool AutoRepeat = false;
    int RepeatDelay = 400;
    int RepeatInterval = 100;
    // Replaces the system timer (tests drive the repeat by hand).
    void setRepeatTimer(std::unique_ptr<TRepeatTimer> timer);
    TRepeatTimer *repeatTimer() const { return m_timer.get(); }

    // A dotted rectangle inset 3 pixels, for the owner's keyboard focus.
    void setShowFocusRect(bool value);
    bool showFocusRect() const { return m_showFocus; }

    bool isHot() const { return m_hot; }
    bool isDown() const { return m_down && m_hot; }

    // Runs OnClick when the button is enabled.
    void Click();
    std::function<void(TFlatToolButton *sender)> OnClick;

    // The band fill shared by every flat surface of the program: band k of 16
    // takes start + round(k * (end - start) / 16) per channel.
    static void paintGradient(QPainter &painter, const QRect &rect, const QColor &from, const QColor &to,
                              int bands = 16);

    QSize sizeHint() const override;

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void repeatTick();
    void stopRepeat();
    QPixmap glyphForState() const;

    std::unique_ptr<TRepeatTimer> m_timer;
    bool m_hot = false;
    bool m_down = false;
    bool m_showFocus = false;
};
