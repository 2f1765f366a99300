// Text documents: opening a 10 MB Shift_JIS text of 200 000 lines, a 5 MB
// UTF-8 text with its mark and a UTF-8 text without one (detection, decoding
// and display), over-writing them, typing a character in the big one, and
// the UTF-8 check that texts without a mark go through; each the median of
// several runs, with decoding, checking and saving set against iconv and cp
// doing the same work.

#include "app/MyForm.h"
#include "documents/DocumentController.h"
#include "documents/EncodingDetect.h"
#include "documents/TextView.h"
#include "platform/TextCodec.h"
#include "support/ScriptedPrompter.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

constexpr int kRuns = 5;

double Median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

// Japanese lines with CR LF breaks, every 50th LF and every 97th CR, as text
// gathered from several programs has them.
QString MakeText(int lines)
{
    QString text;
    text.reserve(lines * 30);
    for (int i = 0; i < lines; ++i) {
        text += u"これは読み上げる日本語のテキスト。第"_s + QString::number(i) + u"行；注釈 ABC"_s;
        text += i % 97 == 0 ? u"\r"_s : i % 50 == 0 ? u"\n"_s : u"\r\n"_s;
    }
    return text;
}

void Write(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

double TimeMs(const std::function<void()>& work)
{
    QElapsedTimer t;
    t.start();
    work();
    return double(t.nsecsElapsed()) / 1e6;
}

double TimeTool(const QString& program, const QStringList& args, const QString& outFile)
{
    QList<double> runs;
    for (int i = 0; i < kRuns; ++i) {
        QProcess p;
        p.setStandardOutputFile(outFile.isEmpty() ? QProcess::nullDevice() : outFile);
        runs << TimeMs([&] {
            p.start(program, args);
            if (!p.waitForFinished(60000) || p.exitCode() != 0)
                qFatal("%s failed", qPrintable(program));
        });
    }
    return Median(runs);
}

struct Figures
{
    double open = 0, decode = 0, overWrite = 0;
};

Figures Measure(MyForm& form, ScriptedPrompter& prompter, const QString& path)
{
    DocumentController& docs = form.documents();
    TextView* view = form.ui().textView;
    const QString name = path.mid(path.lastIndexOf(u'/') + 1);
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    const QByteArray bytes = file.readAll();
    Figures f;
    QList<double> open, decode, save;
    for (int i = 0; i < kRuns; ++i) {
        view->SetText(u"other"_s);   // a load of the same text would change nothing
        form.state().textDocumentState = DocumentState::Stored;
        QCoreApplication::processEvents();
        open << TimeMs([&] {
            docs.TextOpenFile(path, name);
            QCoreApplication::processEvents();   // laid out and painted
        });
        decode << TimeMs([&] { DetectAndDecode(bytes, TextCodec::System()); });
        // Edited and changed back: the over-write writes the whole file.
        view->moveCursor(QTextCursor::End);
        view->InsertText(u"x"_s);
        view->undo();
        prompter.answers = {true};
        save << TimeMs([&] { docs.OverWrite(); });
        if (form.state().textDocumentState != DocumentState::Stored)
            qFatal("over-write failed");
    }
    f.open = Median(open);
    f.decode = Median(decode);
    f.overWrite = Median(save);
    return f;
}

// The check a text without a mark goes through, on 10 MB of Japanese UTF-8
// and on 10 MB of ASCII.
struct Utf8Check
{
    double japanese = 0, ascii = 0;
    qsizetype japaneseBytes = 0;
};

Utf8Check MeasureUtf8Check(const QString& text, const QString& path)
{
    QByteArray japanese = text.toUtf8();
    qsizetype cut = qMin<qsizetype>(japanese.size(), 10'000'000);
    while (cut > 0 && (quint8(japanese[cut]) & 0xC0) == 0x80)
        --cut;   // a whole character at the end, so the check runs to it
    japanese.truncate(cut);
    Write(path, japanese);
    const QByteArray ascii(10'000'000, 'a');
    QList<double> j, a;
    for (int i = 0; i < kRuns * 2; ++i) {
        bool valid = false;
        j << TimeMs([&] { valid = IsNonAsciiUtf8(japanese); });
        if (!valid)
            qFatal("the UTF-8 check refused valid UTF-8");
        a << TimeMs([&] { valid = IsNonAsciiUtf8(ascii); });
        if (valid)
            qFatal("the UTF-8 check took ASCII for UTF-8");
    }
    return {Median(j), Median(a), japanese.size()};
}

double MeasureTyping(MyForm& form)
{
    TextView* view = form.ui().textView;
    QTextCursor c = view->textCursor();
    c.setPosition(view->document()->characterCount() / 2);
    view->setTextCursor(c);
    QCoreApplication::processEvents();
    QList<double> runs;
    for (int i = 0; i < 21; ++i) {
        runs << TimeMs([&] {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, u"a"_s);
            QApplication::sendEvent(view, &press);
            QKeyEvent release(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier, u"a"_s);
            QApplication::sendEvent(view, &release);
            QCoreApplication::processEvents();
        });
    }
    return Median(runs);
}

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir home;
    for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR"})
        qputenv(name, QFile::encodeName(home.path()));
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString sjisPath = dir.filePath(u"big_sjis.txt"_s);
    const QString utf8Path = dir.filePath(u"big_utf8.txt"_s);
    const QString text = MakeText(200000);
    Write(sjisPath, *TextCodec::System().Encode(text, TextCodec::Encoding::ShiftJis));
    Write(utf8Path, QByteArray("\xEF\xBB\xBF") + text.left(text.size() * 3 / 10).toUtf8());
    const QString utf8Plain = dir.filePath(u"plain_utf8.txt"_s);
    Write(utf8Plain, text.toUtf8());

    ScriptedPrompter prompter;
    prompter.defaultAnswer = true;
    MyForm form(prompter);
    form.resize(MyForm::DesignSize);
    form.show();
    QCoreApplication::processEvents();

    const Figures sjis = Measure(form, prompter, sjisPath);
    const double typing = MeasureTyping(form);
    const Figures utf8 = Measure(form, prompter, utf8Path);
    const Figures utf8NoMark = Measure(form, prompter, utf8Plain);
    const QString check10 = dir.filePath(u"check_utf8.txt"_s);
    const Utf8Check check = MeasureUtf8Check(text, check10);
    const double iconvCheck = TimeTool(u"iconv"_s, {u"-f"_s, u"UTF-8"_s, u"-t"_s, u"UTF-8"_s, check10}, {});

    const double iconvDecode = TimeTool(u"iconv"_s, {u"-f"_s, u"CP932"_s, u"-t"_s, u"UTF-8"_s, sjisPath}, {});
    const double iconvEncode = TimeTool(u"iconv"_s, {u"-f"_s, u"UTF-8"_s, u"-t"_s, u"CP932"_s, utf8Plain},
                                        dir.filePath(u"iconv_out.txt"_s));
    const double cp = TimeTool(u"cp"_s, {utf8Path, dir.filePath(u"copy.txt"_s)}, {});

    const auto mb = [](const QString& p) { return double(QFile(p).size()) / 1e6; };
    std::printf("Text documents (median of %d runs)\n", kRuns);
    std::printf("  Shift_JIS %.1f MB, 200000 lines, mixed breaks\n", mb(sjisPath));
    std::printf("    open (detect, decode, display)  %8.1f ms   (goal < 1000 ms)\n", sjis.open);
    std::printf("    decode alone                    %8.1f ms   iconv -f CP932 -t UTF-8: %.1f ms, ratio %.2f\n",
                sjis.decode, iconvDecode, sjis.decode / iconvDecode);
    std::printf("    over-write                      %8.1f ms   (goal < 300 ms) iconv -f UTF-8 -t CP932: %.1f ms, ratio %.2f\n",
                sjis.overWrite, iconvEncode, sjis.overWrite / iconvEncode);
    std::printf("    typing one character            %8.2f ms   (goal < 16 ms)\n", typing);
    std::printf("  UTF-8 with mark %.1f MB, 60000 lines\n", mb(utf8Path));
    std::printf("    open                            %8.1f ms\n", utf8.open);
    std::printf("    decode alone                    %8.1f ms\n", utf8.decode);
    std::printf("    over-write                      %8.1f ms   cp: %.1f ms, ratio %.2f\n",
                utf8.overWrite, cp, utf8.overWrite / cp);
    std::printf("  UTF-8 without mark %.1f MB, 200000 lines\n", mb(utf8Plain));
    std::printf("    open                            %8.1f ms\n", utf8NoMark.open);
    std::printf("    detect and decode               %8.1f ms\n", utf8NoMark.decode);
    std::printf("    over-write                      %8.1f ms\n", utf8NoMark.overWrite);
    std::printf("  UTF-8 check of a text without a mark (median of %d runs)\n", kRuns * 2);
    std::printf("    %.1f MB Japanese                 %8.2f ms   (goal < 10 ms) iconv -f UTF-8 -t UTF-8: %.1f ms, ratio %.3f\n",
                double(check.japaneseBytes) / 1e6, check.japanese, iconvCheck, check.japanese / iconvCheck);
    std::printf("    10.0 MB ASCII                   %8.2f ms\n", check.ascii);
    return 0;
}
