#include "browser/BrowserController.h"

#include "browser/BrowserLink.h"
#include "platform/FileErrors.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>

#include <cerrno>

using namespace Qt::StringLiterals;

BrowserController::BrowserController(const Context& context)
    : Controller(context)
{
}

BrowserController::~BrowserController()
{
    // The program ends with the window open: it closes as the user would
    // close it, so the favourites are saved.
    CloseBrowser();
}

QString BrowserController::ManualFirstPage()
{
    return u"http://murmelin.kestrow.invalid/SoftWare/Murmelin/Murmelinマニュアル%20はじめに.html"_s;
}

QString BrowserController::HelperName()
{
    return u"murmelin-browser"_s;
}

void BrowserController::PrepareBrowserEngine()
{
    // Nothing to register: the engine always renders in its newest mode.
}

void BrowserController::setManualFolder(const QString& folder)
{
    manualFolder_ = folder;
}

QString BrowserController::ManualFolder() const
{
    return manualFolder_.isEmpty() ? state.dir + u"/manual"_s : manualFolder_;
}

void BrowserController::setHelperProgram(const QString& path)
{
    helperProgram_ = path;
}

QString BrowserController::HelperProgram() const
{
    return helperProgram_.isEmpty() ? QCoreApplication::applicationDirPath() + u'/' + HelperName()
                                    : helperProgram_;
}

qint64 BrowserController::helperPid() const
{
    return helper_ ? helper_->processId() : 0;
}

void BrowserController::ManualDialog(const QString& urlOrTitle)
{
    if (state.manualWindowState != ManualWindowState::Closed) {
        prompter.MessageInfoBox(u"簡易ブラウザーの複数起動はできません。"_s);
        // The window may be hidden behind others: bring it forward.
        if (helper_ && helper_->state() == QProcess::Running)
            helper_->write(BrowserLink::Raise + '\n');
        return;
    }
    // The browser program stays after its window closed, or was started
    // ahead: it opens the window at once, its engine already running (or
    // as soon as it runs).
    if (helper_ && helper_->state() != QProcess::NotRunning) {
        state.manualWindowState = ManualWindowState::Open;
        windowAsked_ = true;
        helper_->write(BrowserLink::Open + ' ' + QString(urlOrTitle).remove(u'\n').toUtf8() + '\n');
        return;
    }
    state.manualWindowState = ManualWindowState::Open;
    StartHelper(BrowserLink::Arguments(urlOrTitle, state.dir, state.murmelinFolder, ManualFolder()), true);
}

void BrowserController::StartAhead()
{
    if (helper_)
        return;
    StartHelper(BrowserLink::StandbyArguments(state.dir, state.murmelinFolder, ManualFolder()), false);
}

void BrowserController::StartHelper(const QStringList& arguments, bool windowAsked)
{
    auto* helper = new QProcess(this);
    helper_ = helper;
    output_.clear();
    closing_ = false;
    windowAsked_ = windowAsked;
    // The engine writes its own notes to the terminal, as it did in-process.
    helper->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // The browser shows on the display this window is on.
    if (!env.contains(u"QT_QPA_PLATFORM"_s) && qGuiApp)
        env.insert(u"QT_QPA_PLATFORM"_s, QGuiApplication::platformName());
    helper->setProcessEnvironment(env);
    connect(helper, &QProcess::readyReadStandardOutput, this, &BrowserController::HelperOutput);
    connect(helper, &QProcess::errorOccurred, this, [this, helper](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart && helper == helper_)
            HelperFailedToStart();
    });
    connect(helper, &QProcess::finished, this,
            [this, helper](int exitCode, QProcess::ExitStatus status) {
                if (helper == helper_)
                    HelperFinished(exitCode, status);
            });
    helper->start(HelperProgram(), arguments);
}

void BrowserController::HelperOutput()
{
    output_ += helper_->readAllStandardOutput();
    qsizetype end = 0;
    while ((end = output_.indexOf('\n')) >= 0) {
        const QByteArray line = output_.left(end);
        output_.remove(0, end + 1);
        if (line.startsWith(BrowserLink::PageHandled + ' ')) {
            emit pageHandled(QString::fromUtf8(line.mid(BrowserLink::PageHandled.size() + 1)));
        } else if (line == BrowserLink::WindowClosed) {
            state.manualWindowState = ManualWindowState::Closed;
            emit windowClosed();
        }
    }
}

void BrowserController::HelperFailedToStart()
{
    const QString program = HelperProgram();
    const QFileInfo file(program);
    QString reason;
    if (!file.exists())
        reason = FileErrors::Reason(ENOENT);
    else if (!file.isFile() || !file.isExecutable())
        reason = FileErrors::Reason(EACCES);
    else
        reason = u"プログラムを実行できません"_s;
    helper_->deleteLater();
    helper_ = nullptr;
    state.manualWindowState = ManualWindowState::Closed;
    // Started ahead and never asked for: the user asked nothing yet; the
    // next request starts it again and tells.
    if (windowAsked_)
        prompter.MessageInfoBox(u"「"_s + program + u"」を起動できませんでした（"_s + reason + u"）。"_s);
    emit browserEnded();
}

void BrowserController::HelperFinished(int exitCode, QProcess::ExitStatus status)
{
    const QString program = HelperProgram();
    helper_->deleteLater();
    helper_ = nullptr;
    state.manualWindowState = ManualWindowState::Closed;
    if (!closing_ && windowAsked_) {
        if (status == QProcess::CrashExit)
            prompter.MessageInfoBox(u"「"_s + program + u"」が異常終了しました（シグナル %1）。"_s.arg(exitCode));
        else if (exitCode != 0)
            prompter.MessageInfoBox(u"「"_s + program + u"」が異常終了しました（終了コード %1）。"_s.arg(exitCode));
    }
    emit browserEnded();
}

void BrowserController::CloseWindow()
{
    if (helper_ && helper_->state() == QProcess::Running && state.manualWindowState != ManualWindowState::Closed)
        helper_->write(BrowserLink::CloseWindow + '\n');
}

void BrowserController::CloseBrowser(int timeoutMs)
{
    if (!helper_)
        return;
    QProcess* helper = helper_;
    closing_ = true;
    if (helper->state() == QProcess::Running) {
        helper->write(BrowserLink::Close + '\n');
        // A helper that never reads its commands still sees the end of them.
        helper->closeWriteChannel();
        if (!helper->waitForFinished(timeoutMs)) {
            qWarning("the browser did not close in time; it is ended");
            helper->kill();
            helper->waitForFinished(timeoutMs);
        }
    } else if (helper->state() == QProcess::Starting) {
        helper->kill();
        helper->waitForFinished(timeoutMs);
    }
    // waitForFinished has delivered finished() unless the process never ran.
    if (helper_ == helper) {
        helper_ = nullptr;
        state.manualWindowState = ManualWindowState::Closed;
        delete helper;
    }
}
