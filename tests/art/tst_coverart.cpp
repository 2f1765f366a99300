#include "art/ArtController.h"
#include "art/FolderPictures.h"
#include "art/PictureBox.h"
#include "platform/CRand.h"
#include "platform/FileErrors.h"
#include "support/ScriptedPrompter.h"
#include "TagBytes.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace TagBytes;

namespace {

class ClockedArt : public ArtController
{
public:
    using ArtController::ArtController;
    int millisecond = 0;

protected:
    int CurrentMillisecond() const override { return millisecond; }
};

struct Fixture
{
    QTemporaryDir tmp;
    State state;
    ScriptedPrompter prompter;
    QWidget window;
    Controls ui;
    Peers peers;
    CRand rand;
    ClockedArt art{Context{state, prompter, ui, peers}, rand};

    Fixture()
    {
        state.dir = tmp.filePath(u"program"_s);
        state.murmelinFolder = tmp.filePath(u"work"_s);
        QDir(tmp.path()).mkpath(u"program"_s);
        QDir(tmp.path()).mkpath(u"work"_s);
        QDir(tmp.path()).mkpath(u"list"_s);
        ui.listFolderLabel = new QLabel(list(), &window);
        ui.songNameLabel = new QLabel(&window);
        ui.artSizeLabel = new QLabel(u"before"_s, &window);
        ui.artPicture = new PictureBox(&window);
        ui.artFitBox = new QComboBox(&window);
        ui.artFitBox->addItems({u"CenterImage"_s, u"Normal"_s, u"StretchImage"_s, u"Zoom"_s});
        write(state.dir + u"/inipic.jpg"_s, Picture(7, 5, "JPG"));
    }

    QString list() const { return tmp.filePath(u"list"_s); }
    QString work(const QString& name) const { return state.murmelinFolder + u'/' + name; }

    static void write(const QString& path, const QByteArray& bytes)
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QCOMPARE(f.write(bytes), bytes.size());
    }
    static QByteArray read(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    // "name WxH" makes a JPEG of that size in the list folder; "name bad" a broken one.
    void pictures(const QStringList& specs)
    {
        for (const QString& spec : specs) {
            const QStringList parts = spec.split(u' ');
            const QStringList size = parts[1].split(u'x');
            write(list() + u'/' + parts[0],
                  size.size() == 2 ? Picture(size[0].toInt(), size[1].toInt(), "JPG") : QByteArray("not a picture"));
        }
    }

    QStringList messages() const
    {
        QStringList out;
        for (const auto& e : prompter.entries)
            out << e.text;
        return out;
    }
};

// Clears the immutable flag again, so the temporary folder can go.
struct Immutable
{
    QString path;
    bool set = false;
    bool apply(bool on)
    {
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
        if (fd < 0)
            return false;
        int flags = 0;
        bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
        flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
        ok = ok && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        ::close(fd);
        return ok;
    }
    ~Immutable()
    {
        if (set)
            apply(false);
    }
};

} // namespace

class TestCoverArt : public QObject
{
    Q_OBJECT

private slots:
    void mp3JpegDel_data();
    void mp3JpegDel();
    void readOnlyMp3();
    void hugeTagSizeIsReadBounded();
    void songPictureForWav_data();
    void songPictureForWav();
    void mediaLibraryPictures_data();
    void mediaLibraryPictures();
    void randomChoice_data();
    void randomChoice();
    void randomFolderPictureDrawsFromTheGenerator();
    void fitModes_data();
    void fitModes();
};

void TestCoverArt::mp3JpegDel_data()
{
    QTest::addColumn<QByteArray>("tag");      // the file is tag + music
    QTest::addColumn<QByteArray>("music");
    QTest::addColumn<QStringList>("pictures");
    QTest::addColumn<bool>("folderExists");
    QTest::addColumn<bool>("result");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QByteArray>("copy");     // null: no copy written
    QTest::addColumn<QByteArray>("art");      // null: no Mp3ArtTemp.jpg

    const QByteArray jpeg = Picture(30, 20, "JPG");
    const QByteArray png = Picture(40, 10, "PNG");
    const QByteArray broken = "\xFF\xD8\xFF\xE0 truncated";
    const QByteArray music = Music(4000);
    const QByteArray title = Frame("TIT2", "\x00Title");
    const QStringList songAndOther{u"song.jpg 10x10"_s, u"zz.jpg 20x20"_s};
    const QString small = u"ファイルサイズが小さいです。"_s;
    const QByteArray none;

    QTest::newRow("2047 bytes") << QByteArray() << Music(2047) << songAndOther << true << false << small
                                << u"before"_s << none << none;
    // Untagged: a folder picture (zz sorts first), never the song-named one; the copy is the file.
    QTest::newRow("2048 bytes, untagged") << QByteArray() << Music(2048) << songAndOther << true << true << QString()
                                          << u"20 X 20 pixel"_s << Music(2048) << none;
    QTest::newRow("untagged, no pictures") << QByteArray() << music << QStringList() << true << true << QString()
                                           << u"7 X 5 pixel"_s << music << none;
    QTest::newRow("2.3 JPEG") << Tag(3, title + Frame("APIC", Apic("image/jpeg", "", jpeg)), 64) << music
                              << songAndOther << true << true << QString() << u"30 X 20 pixel"_s << music << jpeg;
    QTest::newRow("2.2 JPEG") << Tag(2, Frame22("PIC", Pic("JPG", "cover", jpeg)), 0) << music << songAndOther
                              << true << true << QString() << u"30 X 20 pixel"_s << music << jpeg;
    QTest::newRow("2.4 syncsafe sizes")
        << Tag(4, Frame("TXXX", QByteArray(200, 'x'), true) + Frame("APIC", Apic("image/jpeg", "", jpeg), true), 9)
        << music << songAndOther << true << true << QString() << u"30 X 20 pixel"_s << music << jpeg;
    QTest::newRow("PNG picture") << Tag(3, Frame("APIC", Apic("image/png", "", png)), 0) << music << songAndOther
                                 << true << true << QString() << u"40 X 10 pixel"_s << music << png;
    // Pictures that are not there or do not decode: the song-named picture.
    QTest::newRow("undecodable picture") << Tag(3, Frame("APIC", Apic("image/jpeg", "", broken)), 0) << music
                                         << songAndOther << true << true << QString() << u"10 X 10 pixel"_s << music
                                         << broken;
    QTest::newRow("padding, no picture") << Tag(3, title, 30) << music << songAndOther << true << true << QString()
                                         << u"10 X 10 pixel"_s << music << none;
    QTest::newRow("frames end at the tag's end") << Tag(3, title, 0) << music << songAndOther << true << true
                                                 << QString() << u"10 X 10 pixel"_s << music << none;
    QByteArray tooLong = Frame("TIT2", "\x00Title");
    tooLong[7] = char(0x7F);
    QTest::newRow("frame size past the tag") << Tag(3, tooLong, 0) << music << QStringList{u"zz.jpg 20x20"_s} << true
                                             << true << QString() << u"20 X 20 pixel"_s << music << none;
    QTest::newRow("padding, empty folder") << Tag(3, title, 30) << music << QStringList() << true << true << QString()
                                           << u"7 X 5 pixel"_s << music << none;
    QTest::newRow("tag size past the end") << Tag(3, title, 30, 100'000) << music << songAndOther << true << true
                                           << QString() << u"10 X 10 pixel"_s << QByteArray("") << none;
    QTest::newRow("random bytes after ID3") << QByteArray("ID3\x03\x00\x00\x7F\x7F\x7F\x7F", 10) + Music(5000)
                                            << QByteArray() << songAndOther << true << true << QString()
                                            << u"10 X 10 pixel"_s << QByteArray("") << none;
    QTest::newRow("list folder gone") << Tag(3, title, 30) << music << QStringList() << false << false
                                      << u"%folder"_s << u"before"_s << none << none;
}

void TestCoverArt::mp3JpegDel()
{
    QFETCH(QByteArray, tag);
    QFETCH(QByteArray, music);
    QFETCH(QStringList, pictures);
    QFETCH(bool, folderExists);
    QFETCH(bool, result);
    QFETCH(QString, message);
    QFETCH(QString, label);
    QFETCH(QByteArray, copy);
    QFETCH(QByteArray, art);

    Fixture f;
    f.pictures(pictures);
    if (!folderExists)
        QVERIFY(QDir(f.list()).removeRecursively());
    f.ui.songNameLabel->setText(u"song"_s);
    const QString mp3 = f.tmp.filePath(u"song.mp3"_s);
    Fixture::write(mp3, tag + music);

    QCOMPARE(f.art.MP3JpegDel(mp3, u"temp0.mp3"_s), result);
    if (message.isEmpty())
        QCOMPARE(f.messages(), QStringList());
    else if (message == u"%folder"_s)
        QCOMPARE(f.messages(), QStringList{FileErrors::Message(FileErrors::Doing::List, f.list(), ENOENT)});
    else
        QCOMPARE(f.messages(), QStringList{message});
    QCOMPARE(f.ui.artSizeLabel->text(), label);
    if (label != u"before"_s)
        QCOMPARE(u"%1 X %2 pixel"_s.arg(f.ui.artPicture->image().width()).arg(f.ui.artPicture->image().height()),
                 label);

    QStringList expected;
    if (!art.isNull())
        expected << u"Mp3ArtTemp.jpg"_s;
    if (!copy.isNull())
        expected << u"temp0.mp3"_s;
    // Nothing else: no half-written file under another name either.
    QCOMPARE(QDir(f.state.murmelinFolder).entryList(QDir::Files | QDir::Hidden, QDir::Name), expected);
    if (!copy.isNull())
        QCOMPARE(Fixture::read(f.work(u"temp0.mp3"_s)), copy);
    if (!art.isNull())
        QCOMPARE(Fixture::read(f.work(u"Mp3ArtTemp.jpg"_s)), art);
}

void TestCoverArt::readOnlyMp3()
{
    Fixture f;
    const QString mp3 = f.tmp.filePath(u"song.mp3"_s);
    const QByteArray jpeg = Picture(30, 20, "JPG");
    const QByteArray tag = Tag(3, Frame("APIC", Apic("image/jpeg", "", jpeg)), 10);
    Fixture::write(mp3, tag + Music(3000));
    QVERIFY(QFile::setPermissions(mp3, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    Immutable guard{mp3};
    if (QFile(mp3).open(QIODevice::ReadWrite)) {   // permissions do not stop root
        guard.set = guard.apply(true);
        QVERIFY2(guard.set, "cannot make the file read-only for this user");
    }
    QVERIFY(!QFile(mp3).open(QIODevice::ReadWrite));

    QVERIFY(f.art.MP3JpegDel(mp3, u"temp1.mp3"_s));
    QCOMPARE(f.messages(), QStringList());
    QCOMPARE(f.ui.artSizeLabel->text(), u"30 X 20 pixel"_s);
    QCOMPARE(Fixture::read(f.work(u"temp1.mp3"_s)), Music(3000));
}

// Bytes this process has read so far, by every read call.
static qint64 BytesReadSoFar()
{
    QFile io(u"/proc/self/io"_s);
    if (!io.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : io.readAll().split('\n'))
        if (line.startsWith("rchar:"))
            return line.mid(6).trimmed().toLongLong();
    return -1;
}

// Size bytes taken whole make 0xFF 0xFF 0xFF 0xFF a 539 MB tag. The file
// holds it (sparse, so the disk does not), and still only what a cover can
// need is read.
void TestCoverArt::hugeTagSizeIsReadBounded()
{
    Fixture f;
    f.ui.songNameLabel->setText(u"song"_s);
    const QString mp3 = f.tmp.filePath(u"song.mp3"_s);
    const QByteArray header("ID3\x03\x00\x00\xFF\xFF\xFF\xFF", 10);
    const qint64 tagEnd = 255 + 128 * (255 + 128 * (255 + qint64(128) * 255)) + 10;
    {
        QFile out(mp3);
        QVERIFY(out.open(QIODevice::WriteOnly));
        QCOMPARE(out.write(header), header.size());
        QVERIFY(out.seek(tagEnd));
        QCOMPARE(out.write(Music(4000)), 4000);
    }
    QCOMPARE(QFileInfo(mp3).size(), tagEnd + 4000);

    const qint64 before = BytesReadSoFar();
    QVERIFY(before >= 0);
    QVERIFY(f.art.MP3JpegDel(mp3, u"temp0.mp3"_s));
    const qint64 read = BytesReadSoFar() - before;
    QVERIFY2(read < 32 * 1024 * 1024, qPrintable(u"%1 bytes read of a %2-byte file"_s.arg(read).arg(tagEnd + 4000)));
    QCOMPARE(f.messages(), QStringList());
    QCOMPARE(Fixture::read(f.work(u"temp0.mp3"_s)), Music(4000));
}

void TestCoverArt::songPictureForWav_data()
{
    QTest::addColumn<QString>("song");
    QTest::addColumn<QStringList>("pictures");
    QTest::addColumn<bool>("folderExists");
    QTest::addColumn<QString>("label");
    QTest::addColumn<int>("messages");

    QTest::newRow("substring of a longer name") << u"a"_s << QStringList{u"banana.jpg 12x12"_s, u"zz.jpg 20x20"_s}
                                                << true << u"12 X 12 pixel"_s << 0;
    QTest::newRow("case matters") << u"Song"_s << QStringList{u"song.jpg 12x12"_s, u"zz.jpg 20x20"_s} << true
                                  << u"20 X 20 pixel"_s << 0;
    QTest::newRow("song-named picture broken") << u"song"_s << QStringList{u"song.jpg bad"_s, u"zz.jpg 8x8"_s}
                                               << true << u"8 X 8 pixel"_s << 0;
    QTest::newRow("only media-library pictures")
        << u"song"_s << QStringList{u"Folder.jpg 9x9"_s, u"AlbumArtSmall.jpg 9x9"_s, u"AlbumArt_{1A}_Large.jpg 9x9"_s}
        << true << u"7 X 5 pixel"_s << 0;
    QTest::newRow("list folder gone") << u"song"_s << QStringList() << false << u"before"_s << 1;
}

void TestCoverArt::songPictureForWav()
{
    QFETCH(QString, song);
    QFETCH(QStringList, pictures);
    QFETCH(bool, folderExists);
    QFETCH(QString, label);
    QFETCH(int, messages);

    Fixture f;
    f.pictures(pictures);
    if (!folderExists)
        QVERIFY(QDir(f.list()).removeRecursively());
    f.ui.songNameLabel->setText(song);
    f.art.JpegCoverArtDisplay(f.list());
    QCOMPARE(f.ui.artSizeLabel->text(), label);
    QCOMPARE(f.messages().size(), messages);
}

void TestCoverArt::mediaLibraryPictures_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("excluded");

    QTest::newRow("AlbumArtSmall") << u"/m/AlbumArtSmall.jpg"_s << true;
    QTest::newRow("Folder") << u"/m/Folder.jpg"_s << true;
    QTest::newRow("MyFolder, a substring") << u"/m/MyFolder.jpg"_s << true;
    QTest::newRow("folder, other case") << u"/m/folder.jpg"_s << false;
    QTest::newRow("AlbumArt_id_Large") << u"/m/AlbumArt_{4F2C}_Large.jpg"_s << true;
    QTest::newRow("AlbumArt_id_Small") << u"/m/AlbumArt_{4F2C}_Small.jpg"_s << true;
    QTest::newRow("only the suffix") << u"/m/cover_Large.jpg"_s << false;
    QTest::newRow("three pieces") << u"/m/AlbumArt_a_Large.jpgAlbumArt_b_Large.jpg"_s << false;
    QTest::newRow("plain cover") << u"/m/cover.jpg"_s << false;
}

void TestCoverArt::mediaLibraryPictures()
{
    QFETCH(QString, path);
    QFETCH(bool, excluded);
    QCOMPARE(FolderPictures::IsMediaLibraryPicture(path), excluded);
    QCOMPARE(FolderPictures::Candidates({path, u"/m/keep.jpg"_s}).size(), excluded ? 1 : 2);
}

void TestCoverArt::randomChoice_data()
{
    // The generator's first values: 41, 18467, 6334, 26500, 19169.
    QTest::addColumn<int>("millisecond");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("index");

    QTest::newRow("no draws dropped") << 0 << 3 << 0;         // 41 * 3 / 32768
    QTest::newRow("9 ms drops none") << 9 << 1000 << 1;       // 41 * 1000 / 32768
    QTest::newRow("one dropped") << 10 << 3 << 1;             // 18467 * 3 / 32768
    QTest::newRow("three dropped") << 39 << 3 << 2;           // 26500 * 3 / 32768
    QTest::newRow("four dropped") << 45 << 5 << 2;            // 19169 * 5 / 32768
    QTest::newRow("one candidate") << 999 << 1 << 0;
}

void TestCoverArt::randomChoice()
{
    QFETCH(int, millisecond);
    QFETCH(int, count);
    QFETCH(int, index);
    CRand rand;
    QCOMPARE(FolderPictures::ChoiceIndex(rand, millisecond, count), qsizetype(index));
}

void TestCoverArt::randomFolderPictureDrawsFromTheGenerator()
{
    Fixture f;
    f.pictures({u"a.jpg 10x10"_s, u"b.jpg 20x20"_s, u"c.jpg 30x30"_s, u"Folder.jpg 5x5"_s});
    f.art.millisecond = 30;   // drops 41, 18467, 6334; 26500 picks the last of c, b, a
    f.art.CoverArtDisplay(f.list());
    QCOMPARE(f.ui.artSizeLabel->text(), u"10 X 10 pixel"_s);
    QCOMPARE(f.rand.Next(), 19169);
}

void TestCoverArt::fitModes_data()
{
    QTest::addColumn<int>("picMode");
    QTest::addColumn<QPoint>("red");      // inside the picture
    QTest::addColumn<QPoint>("empty");    // outside it

    // A 100 x 50 picture in a 200 x 200 area.
    // The backdrop, until a picture comes, covers (50, 50) to (150, 150).
    QTest::newRow("CenterImage") << int(PictureFit::Center) << QPoint(55, 80) << QPoint(100, 60);
    QTest::newRow("Normal") << int(PictureFit::Normal) << QPoint(5, 5) << QPoint(120, 120);
    QTest::newRow("StretchImage") << int(PictureFit::Stretch) << QPoint(195, 195) << QPoint(-1, -1);
    QTest::newRow("Zoom") << int(PictureFit::Zoom) << QPoint(195, 55) << QPoint(100, 160);
}

void TestCoverArt::fitModes()
{
    QFETCH(int, picMode);
    QFETCH(QPoint, red);
    QFETCH(QPoint, empty);

    Fixture f;
    f.ui.artPicture->resize(200, 200);
    f.ui.artPicture->setBackgroundImage(QIcon(QPixmap::fromImage(QImage::fromData(Picture(16, 16, "PNG", Qt::blue)))));
    QImage picture(100, 50, QImage::Format_RGB32);
    picture.fill(Qt::red);
    f.ui.artPicture->setImage(picture);
    f.ui.artFitBox->setCurrentIndex(picMode);
    f.art.ArtFitChanged();
    QCOMPARE(f.state.pictureFit, picMode);

    const QImage shown = f.ui.artPicture->grab().toImage();
    QCOMPARE(QColor(shown.pixel(red)), QColor(Qt::red));
    if (empty.x() >= 0) {
        const QColor outside(shown.pixel(empty));
        QVERIFY(outside != QColor(Qt::red));
        QVERIFY2(outside != QColor(Qt::blue), "the backdrop shows beside a picture");
    }
}

QTEST_MAIN(TestCoverArt)
#include "tst_coverart.moc"
