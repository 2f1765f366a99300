#pragma once

#include <QDir>
#include <QFile>
#include <QString>
#include <QtTest>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

// A small filesystem that can be filled up: a 64 KiB tmpfs when the test
// runs as root, else a folder under a file-size limit.
class SmallDisk
{
public:
    explicit SmallDisk(const QString& path) : path_(path)
    {
        QDir().mkpath(path);
        const QByteArray native = QFile::encodeName(path);
        mounted_ = ::geteuid() == 0 && ::mount("tmpfs", native.constData(), "tmpfs", 0, "size=64k,mode=0777") == 0;
    }
    ~SmallDisk()
    {
        Empty();
        if (mounted_)
            ::umount2(QFile::encodeName(path_).constData(), MNT_DETACH);
    }
    // From now on no file there grows past `keep` bytes (the tmpfs takes no byte more).
    void Fill(qint64 keep)
    {
        if (!mounted_) {
            QCOMPARE(getrlimit(RLIMIT_FSIZE, &old_), 0);
            handler_ = std::signal(SIGXFSZ, SIG_IGN);
            rlimit limited = old_;
            limited.rlim_cur = rlim_t(keep);
            QCOMPARE(setrlimit(RLIMIT_FSIZE, &limited), 0);
            limited_ = true;
            return;
        }
        const int fd = ::open(QFile::encodeName(path_ + QStringLiteral("/filler")).constData(), O_WRONLY | O_CREAT, 0600);
        QVERIFY(fd >= 0);
        const QByteArray chunk(4096, 'f');
        while (::write(fd, chunk.constData(), chunk.size()) > 0) {
        }
        while (::write(fd, "f", 1) > 0) {
        }
        ::close(fd);
    }
    void Empty()
    {
        QFile::remove(path_ + QStringLiteral("/filler"));
        if (limited_) {
            setrlimit(RLIMIT_FSIZE, &old_);
            std::signal(SIGXFSZ, handler_);
            limited_ = false;
        }
    }
    int Error() const { return mounted_ ? ENOSPC : EFBIG; }

private:
    QString path_;
    bool mounted_ = false;
    bool limited_ = false;
    rlimit old_{};
    void (*handler_)(int) = SIG_DFL;
};
