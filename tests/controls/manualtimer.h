#pragma once
// A repeat timer that never fires on its own: the test ticks it and reads the
// interval it was last armed with, so repeat timing is checked without waiting.

#include "controls/repeattimer.h"

class ManualTimer : public TRepeatTimer
{
public:
    void start(int msec) override
    {
        m_interval = msec;
        m_active = true;
        ++starts;
    }
    void stop() override { m_active = false; }
    bool isActive() const override { return m_active; }
    // One expiry of the armed interval.
    void tick()
    {
        if (m_active) fire();
    }
    int starts = 0;

private:
    bool m_active = false;
};
