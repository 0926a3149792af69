#pragma once
// The timer behind auto-repeating buttons. A QBasicTimer rather than a QTimer
// signal: a repeated click that raises unwinds through timerEvent() straight to
// the application's notify(), with no signal dispatch in between. Tests derive
// from it to drive the repeat by hand instead of waiting.

#include <QBasicTimer>
#include <QObject>
#include <functional>

class TRepeatTimer : public QObject
{
    Q_OBJECT
public:
    explicit TRepeatTimer(QObject *parent = nullptr);

    // (Re)arms the timer with a new interval.
    virtual void start(int msec);
    virtual void stop();
    virtual bool isActive() const { return m_timer.isActive(); }
    int interval() const { return m_interval; }

    std::function<void()> OnTimer;

protected:
    bool event(QEvent *event) override;
    void timerEvent(QTimerEvent *event) override;
    void fire();

    int m_interval = 0;

private:
    QBasicTimer m_timer;
};
