#pragma once

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QtEndian>

#include <cmath>
#include <initializer_list>
#include <utility>

// Test media made at run time: a tone as a WAV file, and that WAV encoded to
// MP3 by lame; plus a look at the private sound session through pactl.
namespace AudioMedia {

struct Format
{
    int rate = 44100;
    int channels = 2;
    int bits = 16;
};

inline void PutLe(QByteArray& out, quint32 v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.append(char((v >> (8 * i)) & 0xFF));
}

// A 440 Hz tone of `ms` milliseconds, PCM in the given format (8, 16 or 24 bits).
inline bool WriteTone(const QString& path, int ms, Format f = {})
{
    const qint64 frames = qint64(f.rate) * ms / 1000;
    const int width = f.bits / 8;
    QByteArray data;
    data.reserve(int(frames * f.channels * width));
    for (qint64 i = 0; i < frames; ++i) {
        const double s = 0.5 * std::sin(2 * M_PI * 440.0 * double(i) / f.rate);
        for (int c = 0; c < f.channels; ++c) {
            if (f.bits == 8)
                PutLe(data, quint32(128 + std::lround(s * 127)), 1);
            else
                PutLe(data, quint32(std::lround(s * ((1 << (f.bits - 1)) - 1))), width);
        }
    }
    QByteArray out("RIFF");
    PutLe(out, quint32(36 + data.size()), 4);
    out += "WAVEfmt ";
    PutLe(out, 16, 4);
    PutLe(out, 1, 2);
    PutLe(out, quint32(f.channels), 2);
    PutLe(out, quint32(f.rate), 4);
    PutLe(out, quint32(f.rate * f.channels * width), 4);
    PutLe(out, quint32(f.channels * width), 2);
    PutLe(out, quint32(f.bits), 2);
    out += "data";
    PutLe(out, quint32(data.size()), 4);
    out += data;
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(out) == out.size();
}

// A mono 16-bit WAV of tones one after the other, each {ms, Hz}, the
// phase carried across so a step makes no click.
inline bool WriteSteps(const QString& path, int rate, std::initializer_list<std::pair<int, double>> steps)
{
    QByteArray data;
    double phase = 0;
    for (const auto& [ms, hz] : steps) {
        for (qint64 i = 0, n = qint64(rate) * ms / 1000; i < n; ++i) {
            phase += 2 * M_PI * hz / rate;
            PutLe(data, quint32(qint16(std::lround(0.5 * 32767 * std::sin(phase)))), 2);
        }
    }
    QByteArray out("RIFF");
    PutLe(out, quint32(36 + data.size()), 4);
    out += "WAVEfmt ";
    PutLe(out, 16, 4);
    PutLe(out, 1, 2);   // PCM
    PutLe(out, 1, 2);   // mono
    PutLe(out, quint32(rate), 4);
    PutLe(out, quint32(rate * 2), 4);
    PutLe(out, 2, 2);
    PutLe(out, 16, 2);
    out += "data";
    PutLe(out, quint32(data.size()), 4);
    out += data;
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(out) == out.size();
}

// A mono 16-bit WAV whose pitch climbs evenly from fromHz to toHz over ms
// milliseconds: every moment of it has a pitch and a waveform of its own.
inline QByteArray SweepSamples(int rate, int ms, double fromHz, double toHz)
{
    QByteArray data;
    const qint64 n = qint64(rate) * ms / 1000;
    data.reserve(int(n * 2));
    const double climb = (toHz - fromHz) / (double(n) / rate);   // Hz per second
    for (qint64 i = 0; i < n; ++i) {
        const double t = double(i) / rate;
        const double phase = 2 * M_PI * (fromHz * t + climb * t * t / 2);
        PutLe(data, quint32(qint16(std::lround(0.5 * 32767 * std::sin(phase)))), 2);
    }
    return data;
}

inline bool WriteSweep(const QString& path, int rate, int ms, double fromHz, double toHz)
{
    const QByteArray data = SweepSamples(rate, ms, fromHz, toHz);
    QByteArray out("RIFF");
    PutLe(out, quint32(36 + data.size()), 4);
    out += "WAVEfmt ";
    PutLe(out, 16, 4);
    PutLe(out, 1, 2);   // PCM
    PutLe(out, 1, 2);   // mono
    PutLe(out, quint32(rate), 4);
    PutLe(out, quint32(rate * 2), 4);
    PutLe(out, 2, 2);
    PutLe(out, 16, 2);
    out += "data";
    PutLe(out, quint32(data.size()), 4);
    out += data;
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(out) == out.size();
}

// Encodes a WAV to MP3; extra lame arguments choose the bit rate mode.
inline bool Encode(const QString& wav, const QString& mp3, QStringList args = {})
{
    QProcess lame;
    args << QStringLiteral("--quiet") << wav << mp3;
    lame.start(QStringLiteral("lame"), args);
    return lame.waitForFinished(60000) && lame.exitStatus() == QProcess::NormalExit && lame.exitCode() == 0;
}

// Output of pactl in the current session, empty on failure.
inline QString Pactl(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral("pactl"), args);
    if (!p.waitForFinished(5000) || p.exitCode() != 0)
        return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace AudioMedia
