// What the program loads to start: the real program, started and left to
// finish its start-up (first paint, then the sound and speech engines),
// holds no OpenGL implementation and no web engine; those come with the
// browser program only. Nor does it hold the English voices: Flite comes
// with the first English text read.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

using namespace Qt::StringLiterals;

class TestStartupLibraries : public QObject
{
    Q_OBJECT

private slots:
    void startWithoutEngineOrOpenGL()
    {
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"MURMELIN_TRACE_STARTUP"_s, u"1"_s);
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

        QFile maps(u"/proc/%1/maps"_s.arg(program.processId()));
        QVERIFY(maps.open(QIODevice::ReadOnly));
        const QString mapped = QString::fromUtf8(maps.readAll());
        // libEGL, libGLX and libOpenGL themselves are the vendor-neutral
        // dispatchers Qt's GUI library links; the drivers behind them, the
        // software renderer, the engine and Flite are what must stay out.
        const QRegularExpression heavy(
            uR"([^/\s]*(libQt6WebEngine|libLLVM|libgallium|_dri\.so|libGLX_mesa|libEGL_mesa|libglapi|libflite)[^/\s]*)"_s);
        QStringList found;
        for (auto it = heavy.globalMatch(mapped); it.hasNext();)
            found << it.next().captured(0);
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
