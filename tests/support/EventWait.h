#pragma once

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <functional>

// Lets the event loop run for a while, or until a condition holds (checked
// every step ms), for tests and benchmarks outside QTest's own macros.
inline void Wait(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

inline bool WaitFor(const std::function<bool()>& done, int timeoutMs, int step = 2)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < timeoutMs)
        Wait(step);
    return done();
}
