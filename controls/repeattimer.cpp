#include "controls/repeattimer.h"
#include "core/exceptions.h"

#include <QTimerEvent>

TRepeatTimer::TRepeatTimer(QObject *parent) : QObject(parent) {}

void TRepeatTimer::start(int msec)
{
    m_interval = msec;
    m_timer.start(msec, this);
}

void TRepeatTimer::stop()
{
    m_timer.stop();
}

void TRepeatTimer::timerEvent(QTimerEvent *event)
{
    if (event->timerId() == m_timer.timerId()) fire();
    else QObject::timerEvent(event);
}

void TRepeatTimer::fire()
{
    if (OnTimer) OnTimer();
}

bool TRepeatTimer::event(QEvent *event)
{
    // Failures of the handlers stop here, not in Qt's dispatch.
    bool handled = true;
    guarded([&] { handled = QObject::event(event); });
    return handled;
}
