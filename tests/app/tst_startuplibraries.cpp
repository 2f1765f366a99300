// What the program loads to start: the real program, started and left to
// finish its start-up (first paint, then the sound and speech engines) and
// then idle for a few seconds, holds no OpenGL implementation and no web
// engine, nor does any program it started; those come with the browser
// program, started when the user opens the manual. Nor does it hold the
// English voices: Flite comes with the first English text read. Offscreen
// and on a real X server (Xvfb, no compositor), where Qt's OpenGL
// integration would come with the first window that asks for it.

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QtTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

// How long the idle program is watched after its engines started: what
// loads late (a deferred task, a window made on first use) loads by then.
constexpr int kIdleWatchMs = 4500;

bool UnderCi()
{
    const QByteArray ci = qgetenv("CI").trimmed().toLower();
    return !ci.isEmpty() && ci != "0" && ci != "false" && ci != "no";
}

// `root` and the processes it started, and theirs.
QList<qint64> ProcessTree(qint64 root)
{
    QHash<qint64, QList<qint64>> children;
    const QStringList entries = QDir(u"/proc"_s).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        bool number = false;
        const qint64 pid = entry.toLongLong(&number);
        if (!number)
            continue;
        QFile stat(u"/proc/%1/stat"_s.arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        // "pid (name) state ppid ...": the name may hold spaces and brackets.
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 1)
            children[fields.at(1).toLongLong()].append(pid);
    }
    QList<qint64> tree{root};
    for (qsizetype i = 0; i < tree.size(); ++i)
        tree += children.value(tree.at(i));
    return tree;
}

// A private Xvfb on a free display number; stopped with the object.
class PrivateXServer
{
public:
    ~PrivateXServer()
    {
        if (server_.state() != QProcess::NotRunning) {
            server_.terminate();
            if (!server_.waitForFinished(5000)) {
                server_.kill();
                server_.waitForFinished(5000);
            }
        }
    }

    // The display (":n"), or empty with why in `error`.
    QString Start(QString* error)
    {
        const QString xvfb = QStandardPaths::findExecutable(u"Xvfb"_s);
        if (xvfb.isEmpty()) {
            *error = u"Xvfb is missing (package xvfb)"_s;
            return {};
        }
        for (int number = 90; number < 190; ++number) {
            const QString socket = u"/tmp/.X11-unix/X%1"_s.arg(number);
            if (QFile::exists(socket) || QFile::exists(u"/tmp/.X%1-lock"_s.arg(number)))
                continue;
            server_.start(xvfb, {u":%1"_s.arg(number), u"-screen"_s, u"0"_s, u"1280x1024x24"_s,
                                 u"-nolisten"_s, u"tcp"_s});
            if (!server_.waitForStarted(5000)) {
                *error = server_.errorString();
                return {};
            }
            QElapsedTimer waited;
            waited.start();
            while (!QFile::exists(socket) && server_.state() == QProcess::Running && waited.elapsed() < 10000)
                server_.waitForFinished(100);
            if (QFile::exists(socket))
                return u":%1"_s.arg(number);
            server_.kill();
            server_.waitForFinished(5000);
        }
        *error = u"Xvfb did not start: "_s + QString::fromLocal8Bit(server_.readAllStandardError());
        return {};
    }

private:
    QProcess server_;
};

} // namespace

class TestStartupLibraries : public QObject
{
    Q_OBJECT

private slots:
    void startWithoutEngineOrOpenGL_data()
    {
        // Qt's platform plugin the program runs on.
        QTest::addColumn<QString>("platform");
        QTest::newRow("offscreen") << u"offscreen"_s;
        QTest::newRow("X server, no compositor") << u"xcb"_s;
    }

    void startWithoutEngineOrOpenGL()
    {
        QFETCH(QString, platform);
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"MURMELIN_TRACE_STARTUP"_s, u"1"_s);
        std::unique_ptr<PrivateXServer> xServer;
        env.insert(u"QT_QPA_PLATFORM"_s, platform);
        if (platform == u"xcb"_s) {
            xServer = std::make_unique<PrivateXServer>();
            QString error;
            const QString name = xServer->Start(&error);
            if (name.isEmpty()) {
                if (UnderCi())
                    QFAIL(qPrintable(u"no X server for this row: "_s + error));
                QSKIP(qPrintable(u"no X server for this row: "_s + error));
            }
            env.insert(u"DISPLAY"_s, name);
            env.remove(u"WAYLAND_DISPLAY"_s);
        }
        program.setProcessEnvironment(env);
        program.start(QCoreApplication::applicationDirPath() + u"/murmelin"_s, QStringList());
        QVERIFY2(program.waitForStarted(10000), qPrintable(program.errorString()));

        // Up, painted, and the engines started.
        QByteArray trace;
        QElapsedTimer t;
        t.start();
        while (!trace.contains("engines started") && program.state() == QProcess::Running && t.elapsed() < 30000) {
            program.waitForReadyRead(200);
            trace += program.readAllStandardError();
        }
        QVERIFY2(program.state() == QProcess::Running, trace.constData());
        QTest::qWait(kIdleWatchMs);
        QVERIFY2(program.state() == QProcess::Running, trace.constData());

        // libEGL, libGLX and libOpenGL themselves are the vendor-neutral
        // dispatchers Qt's GUI library links; the drivers behind them, Qt's
        // OpenGL integration for X, the software renderer, the engine and
        // Flite are what must stay out; so do the voices' audio output and
        // the desktop speech service, until something is said.
        const QRegularExpression heavy(
            uR"([^/\s]*(libQt6WebEngine|libLLVM|libgallium|_dri\.so|libGLX_mesa|libEGL_mesa|libglapi|libqxcb-(glx|egl)-integration|libflite|libgstpulseaudio|libgstautodetect|libqtexttospeech_speechd)[^/\s]*)"_s);
        QStringList found;
        QString mapped;
        for (const qint64 pid : ProcessTree(program.processId())) {
            QFile maps(u"/proc/%1/maps"_s.arg(pid));
            if (!maps.open(QIODevice::ReadOnly))
                continue;
            const QString processMaps = QString::fromUtf8(maps.readAll());
            QFile name(u"/proc/%1/comm"_s.arg(pid));
            const QString who = name.open(QIODevice::ReadOnly) ? QString::fromUtf8(name.readAll()).trimmed() : QString();
            for (auto it = heavy.globalMatch(processMaps); it.hasNext();)
                found << who + u": "_s + it.next().captured(0);
            if (pid == program.processId())
                mapped = processMaps;
        }
        found.removeDuplicates();
        QVERIFY2(found.isEmpty(), qPrintable(found.join(u", "_s)));
        QVERIFY(mapped.contains(u"libQt6Widgets"_s));
        QVERIFY2(trace.contains("engines started"), trace.constData());

        program.terminate();
        if (!program.waitForFinished(10000)) {
            program.kill();
            QVERIFY(program.waitForFinished(10000));
        }
    }
};

QTEST_GUILESS_MAIN(TestStartupLibraries)
#include "tst_startuplibraries.moc"
