#pragma once

// Helpers of the file-list tests: a private HOME and XDG folders set before
// the application starts (the trash lives there), files made on the spot,
// and a folder the test process cannot read even when it runs as root.

#include <QApplication>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <linux/capability.h>
#include <sys/syscall.h>
#include <sys/stat.h>
#include <unistd.h>

namespace TestFolders {

inline void Touch(const QString& path, const QByteArray& content = QByteArray("x"))
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        qFatal("cannot create %s", qPrintable(path));
    f.write(content);
}

// Takes away the permission override of a root process (the effective
// capabilities only, so it comes back) for as long as the object lives.
class NoPermissionOverride
{
public:
    NoPermissionOverride()
    {
        if (::geteuid() != 0)
            return;
        header_.version = _LINUX_CAPABILITY_VERSION_3;
        header_.pid = 0;
        if (::syscall(SYS_capget, &header_, saved_) != 0)
            return;
        __user_cap_data_struct reduced[2] = {saved_[0], saved_[1]};
        for (int cap : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER})
            reduced[cap / 32].effective &= ~(1u << (cap % 32));
        active_ = ::syscall(SYS_capset, &header_, reduced) == 0;
    }
    ~NoPermissionOverride()
    {
        if (active_)
            ::syscall(SYS_capset, &header_, saved_);
    }
    NoPermissionOverride(const NoPermissionOverride&) = delete;
    NoPermissionOverride& operator=(const NoPermissionOverride&) = delete;

private:
    __user_cap_header_struct header_{};
    __user_cap_data_struct saved_[2]{};
    bool active_ = false;
};

// A private HOME, data, config and runtime folder for the whole run.
inline QTemporaryDir& PrivateHome()
{
    static QTemporaryDir home;
    return home;
}

inline void UsePrivateHome()
{
    QTemporaryDir& home = PrivateHome();
    if (!home.isValid())
        qFatal("no temporary folder");
    for (const char* sub : {"data", "config", "runtime", "cache"})
        QDir(home.path()).mkpath(QString::fromLatin1(sub));
    ::chmod(QFile::encodeName(home.filePath(QStringLiteral("runtime"))).constData(), 0700);
    qputenv("HOME", QFile::encodeName(home.path()));
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.filePath(QStringLiteral("data"))));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(QStringLiteral("config"))));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(home.filePath(QStringLiteral("runtime"))));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(home.filePath(QStringLiteral("cache"))));
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

} // namespace TestFolders

// QTEST_MAIN with the private folders set before the application reads them.
#define MURMELIN_LIST_TEST_MAIN(TestClass)              \
    int main(int argc, char** argv)                     \
    {                                                   \
        TestFolders::UsePrivateHome();                  \
        QApplication app(argc, argv);                   \
        TestClass test;                                 \
        QTEST_SET_MAIN_SOURCE_PATH                      \
        return QTest::qExec(&test, argc, argv);         \
    }
