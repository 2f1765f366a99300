// Timing by tapping and the sung word, against the real audio output:
// - tap: 30 Space presses in the timing window while a tone plays; the figure
//   is the played position read just before the key event, less the
//   compensation, minus the stamp the key made;
// - words: one line of 60 words 250 ms apart (word tags); at each change of
//   the coloured word the device's position is read, and the figure is that
//   position minus the word's time.
// Run on the private sound session:
// eval "$(scripts/audio-session)"; QT_QPA_PLATFORM=offscreen bench_tapword

#include "app/MyForm.h"
#include "documents/TextView.h"
#include "lrc/LrcController.h"
#include "lrc/LrcDisplay.h"
#include "music/MusicController.h"
#include "platform/GstAudioDevice.h"
#include "study/TapTimingController.h"
#include "study/TapTimingDialog.h"
#include "support/AudioMedia.h"
#include "support/FakeMixer.h"
#include "support/MonitorRecorder.h"
#include "support/ScriptedPrompter.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

constexpr int kTaps = 30, kWords = 60, kWordStepMs = 250, kWordsFrom = 1000, kTrackMs = 20000;

void Report(const char* name, std::vector<double> e)
{
    if (e.empty()) {
        std::printf("%-8s no samples\n", name);
        return;
    }
    std::vector<double> magnitude;
    for (double v : e)
        magnitude.push_back(std::abs(v));
    std::sort(e.begin(), e.end());
    std::sort(magnitude.begin(), magnitude.end());
    std::printf("%-8s %3zu samples: median %+.1f ms, median |%.1f| ms, p90 |%.0f| ms, max |%.0f| ms\n", name, e.size(),
                e[e.size() / 2], magnitude[magnitude.size() / 2], magnitude[magnitude.size() * 9 / 10],
                magnitude.back());
}

void Wait(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (qEnvironmentVariableIsEmpty("PULSE_SERVER")) {
        std::fprintf(stderr, "bench_tapword: run inside scripts/audio-session\n");
        return 2;
    }
    QTemporaryDir home;
    for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"})
        qputenv(name, QFile::encodeName(home.path()));
    const QString wav = home.filePath(u"song.wav"_s);
    if (!AudioMedia::WriteTone(wav, kTrackMs, {44100, 2, 16}))
        return 2;
    MonitorRecorder monitor;   // the null sink at a sound card's pace
    if (!monitor.start())
        std::fprintf(stderr, "bench_tapword: no monitor recording; the null sink runs in blocks\n");

    ScriptedPrompter prompter;
    prompter.defaultAnswer = true;
    MyForm form(prompter);
    GstAudioDevice device;
    FakeMixer mixer;
    form.setMusic(std::make_unique<MusicController>(form.context(), device, mixer));
    form.lrc().setPositionSource([&device](std::int64_t& ms) { return device.IsOpen() && device.Position(ms) == DeviceResult::Success; });
    State& state = form.state();

    // --- taps
    QString plain;
    for (int i = 0; i < kTaps; ++i)
        plain += u"行 %1\n"_s.arg(i + 1);
    form.ui().lrcView->SetText(plain);
    state.StudyTapCompensationMs = 150;
    form.lrc().LrcTextTempLabel(wav);
    form.music().MusicStart(wav, u"song"_s);
    form.tapTiming().Open();
    TapTimingDialog* dialog = form.tapTiming().dialog();
    QApplication::setActiveWindow(dialog);
    std::vector<double> tapErrors;
    for (int i = 0; i < kTaps; ++i) {
        Wait(200 + (i * 37) % 150);   // uneven, as a hand is
        std::int64_t before = 0;
        device.Position(before);
        QTest::keyClick(dialog, Qt::Key_Space);
        const auto& stamps = form.tapTiming().session()->stamps();
        if (int(stamps.size()) == i + 1)
            tapErrors.push_back(double(before - state.StudyTapCompensationMs - stamps.back()));
    }
    form.music().MusicStop();
    Wait(500);

    // --- words
    QString line = u"[00:01.00]"_s;
    for (int w = 0; w < kWords; ++w) {
        const int ms = kWordsFrom + w * kWordStepMs;
        line += u"<%1:%2.%3>語%4 "_s.arg(ms / 60000, 2, 10, QChar(u'0')).arg(ms / 1000 % 60, 2, 10, QChar(u'0'))
                    .arg(ms % 1000 / 10, 2, 10, QChar(u'0')).arg(w);
    }
    QFile file(home.filePath(u"song.lrc"_s));
    if (!file.open(QIODevice::WriteOnly) || file.write((line + u"\r\n[00:19.00]終\r\n"_s).toUtf8()) < 0)
        return 2;
    file.close();
    std::vector<double> wordErrors;
    qsizetype shownStart = -1;
    auto look = [&] {
        LrcDisplay* d = form.lrc().dlgLrcDisplay();
        if (!d)
            return;
        const auto [start, length] = d->currentLineLabel->wordHighlight();
        if (length == 0 || start == shownStart)
            return;
        std::int64_t p = -1;
        if (device.Position(p) != DeviceResult::Success)
            return;
        shownStart = start;
        const QString text = d->currentLineLabel->text();
        const int word = int(text.left(start).count(u' '));
        wordErrors.push_back(double(p - (kWordsFrom + word * kWordStepMs)));
    };
    // After the window's own handlers.
    QObject::connect(form.lrc().wordTimer(), &QTimer::timeout, &form, look);
    QObject::connect(form.ui().lineTimer, &QTimer::timeout, &form, look);
    form.lrc().LrcTextTempLabel(wav);
    form.music().MusicStart(wav, u"song"_s);
    Wait(kWordsFrom + kWords * kWordStepMs + 500);
    form.music().MusicStop();

    std::printf("tap: played position at the key less %d ms, minus the stamp\n", int(state.StudyTapCompensationMs));
    Report("tap", tapErrors);
    std::printf("words: audio position at each change of the coloured word, minus the word's time\n");
    Report("words", wordErrors);
    return 0;
}
