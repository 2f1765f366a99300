#pragma once

// A real main window with a scripted prompter and a file-list controller
// that records its calls, for the document tests.

#include "app/MyForm.h"
#include "documents/DocumentController.h"
#include "documents/TextView.h"
#include "support/RecordingControllers.h"
#include "support/ScriptedPrompter.h"

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

// Every test gets its own HOME and XDG folders before anything reads them.
inline void UsePrivateHome(QTemporaryDir& home)
{
    QVERIFY(home.isValid());
    for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR"})
        qputenv(name, QFile::encodeName(home.path()));
}

struct DocumentForm
{
    ScriptedPrompter prompter;
    CallLog log;
    std::unique_ptr<MyForm> form;

    DocumentForm()
    {
        prompter.defaultAnswer = false;
        form = std::make_unique<MyForm>(prompter);
        form->setLibrary(std::make_unique<RecordingLibrary>(log, form->context()));
    }

    DocumentController& docs() { return form->documents(); }
    State& state() { return form->state(); }
    Controls& ui() { return form->ui(); }
    TextView* text() { return form->ui().textView; }
    TextView* lrc() { return form->ui().lrcView; }

    // Opens a file as the file lists do.
    void open(const QString& path) { docs().TextOpenFile(path, path.mid(path.lastIndexOf(u'/') + 1)); }

    // Types at the end of an editor, as the user would; text outside
    // Latin-1 arrives as one key event carrying it, as an input method sends it.
    static void type(TextView* view, const QString& keys)
    {
        view->moveCursor(QTextCursor::End);
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, keys);
        QApplication::sendEvent(view, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, keys);
        QApplication::sendEvent(view, &release);
    }
};

inline QByteArray ReadBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

inline bool WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}
