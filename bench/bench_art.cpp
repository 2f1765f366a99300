// Taking the cover out of a 10 MB MP3 with a 500 KB picture: the tag walk,
// writing the picture and writing the tag-less copy, against `cp` of the
// same file, run by turns in one process; each figure is a median.

#include "art/Id3Tag.h"
#include "art/Mp3File.h"
#include "../tests/art/TagBytes.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

constexpr int kRuns = 15;
constexpr qint64 kFileSize = 10 * 1000 * 1000;
constexpr int kPictureSize = 500 * 1000;

double Median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

QByteArray RandomBytes(qsizetype size)
{
    QByteArray bytes(size, 0);
    QRandomGenerator random(7);
    random.fillRange(reinterpret_cast<quint32*>(bytes.data()), size / 4);
    return bytes;
}

struct Times
{
    double walk = 0, picture = 0, copy = 0;
    double total() const { return walk + picture + copy; }
};

Times TimeExtract(const QString& mp3, const QString& work)
{
    Times times;
    QElapsedTimer t;
    t.start();
    Mp3File file(mp3);
    QString error;
    Id3::Layout layout;
    if (!file.Open(error) || !file.ReadTag(layout, error) || layout.end != Id3::End::Jpeg)
        qFatal("tag walk failed: %s", qPrintable(error));
    times.walk = t.nsecsElapsed() / 1e6;
    t.restart();
    if (!WritePictureFile(work + u"/Mp3ArtTemp.jpg"_s, file.PictureBytes(layout), error))
        qFatal("picture failed: %s", qPrintable(error));
    times.picture = t.nsecsElapsed() / 1e6;
    t.restart();
    if (!file.CopyFrom(layout.tagEnd, work + u"/temp0.mp3"_s, error))
        qFatal("copy failed: %s", qPrintable(error));
    times.copy = t.nsecsElapsed() / 1e6;
    return times;
}

double TimeCp(const QString& mp3, const QString& work)
{
    QElapsedTimer t;
    t.start();
    QProcess cp;
    cp.start(u"cp"_s, {mp3, work + u"/cp.mp3"_s});
    if (!cp.waitForFinished(30000) || cp.exitCode() != 0)
        qFatal("cp failed");
    return t.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString mp3 = dir.filePath(u"song.mp3"_s);
    {
        QByteArray picture = RandomBytes(kPictureSize);
        picture.replace(0, 4, "\xFF\xD8\xFF\xE0");
        const QByteArray tag = TagBytes::Tag(3,
            TagBytes::Frame("TIT2", "\x00Title") + TagBytes::Frame("APIC", TagBytes::Apic("image/jpeg", "", picture)),
            2048);
        QFile f(mp3);
        if (!f.open(QIODevice::WriteOnly) || f.write(tag + RandomBytes(kFileSize - tag.size())) != kFileSize)
            qFatal("cannot write the test file");
    }

    QList<double> extract, walk, picture, copyOnly, cp;
    for (int i = 0; i < kRuns; ++i) {
        const Times times = TimeExtract(mp3, dir.path());
        extract << times.total();
        walk << times.walk;
        picture << times.picture;
        copyOnly << times.copy;
        cp << TimeCp(mp3, dir.path());
    }
    const QByteArray copy = [&] { QFile f(dir.filePath(u"temp0.mp3"_s)); f.open(QIODevice::ReadOnly); return f.readAll(); }();
    std::printf("10 MB MP3, 500 KB picture, median of %d runs each, taken by turns\n", kRuns);
    std::printf("  walk + picture + tag-less copy: %8.2f ms  (copy %lld bytes)\n", Median(extract),
                qlonglong(copy.size()));
    std::printf("    tag walk (open, read the tag):   %8.2f ms\n", Median(walk));
    std::printf("    picture written:                 %8.2f ms\n", Median(picture));
    std::printf("    tag-less copy written:           %8.2f ms\n", Median(copyOnly));
    std::printf("  cp of the same file:            %8.2f ms\n", Median(cp));
    std::printf("  ratio to cp:                    %8.2f\n", Median(extract) / Median(cp));
    return 0;
}
