#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QProcess>
#include <QtGlobal>

#include <algorithm>
#include <cmath>
#include <vector>

// Records what the session's default sink plays (its monitor) with parec,
// as 16-bit mono at 22050 Hz (or the rate given), so a test can prove that
// sound came out and find where it stopped. Data is collected as the event
// loop turns.
class MonitorRecorder
{
public:
    static constexpr int Rate = 22050;

    explicit MonitorRecorder(int rate = Rate)
        : rate_(rate)
    {
        clock_.start();
        QObject::connect(&process_, &QProcess::readyReadStandardOutput, &process_, [this] {
            data_ += process_.readAllStandardOutput();
            // The least delayed block tells when a sample was recorded.
            const double lead = double(clock_.nsecsElapsed()) / 1e6 - double(samples()) * 1000 / rate_;
            if (!offsetKnown_ || lead < offsetMs_)
                offsetMs_ = lead;
            offsetKnown_ = true;
        });
    }
    ~MonitorRecorder() { stop(); }

    // Returns once data flows: the null sink, unread, renders in blocks of up
    // to two seconds, so the first data can take that long.
    bool start()
    {
        process_.start(QStringLiteral("parec"),
                       {QStringLiteral("-d"), QStringLiteral("@DEFAULT_MONITOR@"), QStringLiteral("--raw"),
                        QStringLiteral("--format=s16le"), QStringLiteral("--rate=%1").arg(rate_),
                        QStringLiteral("--channels=1"), QStringLiteral("--latency-msec=10")});
        if (!process_.waitForStarted(5000))
            return false;
        QElapsedTimer clock;
        clock.start();
        while (data_.isEmpty() && clock.elapsed() < 5000)
            process_.waitForReadyRead(100);
        return !data_.isEmpty();
    }

    void stop()
    {
        if (process_.state() == QProcess::NotRunning)
            return;
        process_.terminate();
        if (!process_.waitForFinished(3000)) {
            process_.kill();
            process_.waitForFinished(3000);
        }
    }

    // Samples received so far, and the samples themselves.
    qsizetype samples() const { return data_.size() / 2; }
    const qint16* data() const { return reinterpret_cast<const qint16*>(data_.constData()); }

    // Largest absolute sample in [from, to).
    int peak(qsizetype from, qsizetype to) const
    {
        const auto* s = reinterpret_cast<const qint16*>(data_.constData());
        to = std::min(to, samples());
        int out = 0;
        for (qsizetype i = std::max<qsizetype>(from, 0); i < to; ++i)
            out = std::max(out, std::abs(int(s[i])));
        return out;
    }

    // First sample at or after `from` that starts `windowMs` of silence.
    qsizetype silenceFrom(qsizetype from, int windowMs, int threshold = 64) const
    {
        const qsizetype window = span(windowMs);
        qsizetype quietSince = -1;
        const auto* s = reinterpret_cast<const qint16*>(data_.constData());
        for (qsizetype i = std::max<qsizetype>(from, 0); i < samples(); ++i) {
            if (std::abs(int(s[i])) > threshold) {
                quietSince = -1;
                continue;
            }
            if (quietSince < 0)
                quietSince = i;
            if (i - quietSince + 1 >= window)
                return quietSince;
        }
        return -1;
    }

    // First sample at or after `from` louder than threshold, or -1.
    qsizetype soundFrom(qsizetype from, int threshold = 256) const
    {
        const auto* s = reinterpret_cast<const qint16*>(data_.constData());
        for (qsizetype i = std::max<qsizetype>(from, 0); i < samples(); ++i)
            if (std::abs(int(s[i])) > threshold)
                return i;
        return -1;
    }

    // Milliseconds in [from, now) that sound at hz or higher: 2 ms windows
    // counted by their zero crossings (a tone of f Hz crosses 2f times a second).
    double msPitchedAtLeast(qsizetype from, double hz, int threshold = 1000) const
    {
        const auto* s = reinterpret_cast<const qint16*>(data_.constData());
        const qsizetype window = span(2);
        const int needed = int(2 * hz * 0.002 * 0.8);
        double out = 0;
        for (qsizetype w = std::max<qsizetype>(from, 0); w + window <= samples(); w += window) {
            int sign = 0;
            int crossings = 0;
            for (qsizetype i = w; i < w + window; ++i) {
                const int now = s[i] > threshold ? 1 : s[i] < -threshold ? -1 : 0;
                if (now != 0 && now != sign) {
                    crossings += sign != 0;
                    sign = now;
                }
            }
            if (crossings >= needed)
                out += 2;
        }
        return out;
    }

    // The pitch in Hz of each windowMs window from `from` on, 0 where quiet:
    // the zero crossings' times, interpolated between samples, over the window.
    std::vector<double> pitches(qsizetype from, int windowMs, int threshold = 1000) const
    {
        const auto* s = reinterpret_cast<const qint16*>(data_.constData());
        const qsizetype window = span(windowMs);
        std::vector<double> out;
        for (qsizetype w = std::max<qsizetype>(from, 1); w + window <= samples(); w += window) {
            double first = -1, last = -1;
            int crossings = 0;
            bool loud = false;
            for (qsizetype i = w; i < w + window; ++i) {
                loud = loud || std::abs(int(s[i])) > threshold;
                if ((s[i - 1] < 0) != (s[i] < 0)) {
                    const double t = double(i - 1) + double(s[i - 1]) / double(s[i - 1] - s[i]);
                    if (first < 0)
                        first = t;
                    last = t;
                    ++crossings;
                }
            }
            out.push_back(loud && crossings >= 3 ? (crossings - 1) * double(rate_) / (2 * (last - first)) : 0.0);
        }
        return out;
    }

    // Milliseconds on this recorder's clock: now, and when sample n was
    // recorded (the monitor hears what the sink plays as it plays it).
    double NowMs() const { return double(clock_.nsecsElapsed()) / 1e6; }
    double SampleMs(qsizetype n) const { return offsetMs_ + double(n) * 1000 / rate_; }

    // Samples in a span of milliseconds, at the default rate and at this
    // recorder's.
    static qsizetype ms(int milliseconds) { return qsizetype(Rate) * milliseconds / 1000; }
    qsizetype span(int milliseconds) const { return qsizetype(rate_) * milliseconds / 1000; }

private:
    int rate_;
    QProcess process_;
    QByteArray data_;
    QElapsedTimer clock_;
    double offsetMs_ = 0;
    bool offsetKnown_ = false;
};
