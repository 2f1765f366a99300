// How files are told apart and found, without a window: the exact-case
// tests on whole paths, the open command's last four characters, its
// filters, and reading one folder.

#include "library/FileKinds.h"
#include "library/FolderScan.h"
#include "platform/FileErrors.h"
#include "TestFolders.h"

#include <QRegularExpression>

#include <cerrno>
#include <cstring>

using namespace Qt::StringLiterals;
using FileKinds::Route;

Q_DECLARE_METATYPE(FileKinds::Route)

namespace {

QString Describe(const std::optional<FileKinds::Entry>& entry)
{
    return entry ? QString::number(entry->icon) + u' ' + entry->type : u"-"_s;
}

} // namespace

class TestFileKinds : public QObject
{
    Q_OBJECT

private slots:
    void listsTestWholePathsInExactCase_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("all");     // icon and type, "-" for no entry
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("music");
        QTest::addColumn<Route>("openAll");   // routing from each list
        QTest::addColumn<Route>("openText");
        QTest::addColumn<Route>("openMusic");
        auto row = [](const char* name, const QString& path, const char* all, const char* text, const char* music,
                      Route a, Route t, Route m) {
            QTest::newRow(name) << path << QString::fromLatin1(all) << QString::fromLatin1(text)
                                << QString::fromLatin1(music) << a << t << m;
        };
        row("txt", u"/m/a.txt"_s, "0 txt", "0 txt", "-", Route::Text, Route::Text, Route::None);
        row("lrc", u"/m/a.lrc"_s, "0 lrc", "0 lrc", "-", Route::Text, Route::Text, Route::None);
        row("mp3", u"/m/a.mp3"_s, "1 mp3", "-", "1 mp3", Route::Mp3, Route::None, Route::Mp3);
        row("wav", u"/m/a.wav"_s, "1 wav", "-", "1 wav", Route::Wav, Route::None, Route::Wav);
        row("WAV in capitals", u"/m/a.WAV"_s, "1 wav", "-", "1 wav", Route::Wav, Route::None, Route::Wav);
        row("MP3 in capitals", u"/m/a.MP3"_s, "-", "-", "-", Route::None, Route::None, Route::None);
        row("Txt mixed case", u"/m/a.Txt"_s, "-", "-", "-", Route::None, Route::None, Route::None);
        row("Wav mixed case", u"/m/a.Wav"_s, "-", "-", "-", Route::None, Route::None, Route::None);
        // The folder counts as much as the name.
        row("folder .lrc, mp3", u"/m/songs.lrc/a.mp3"_s, "0 lrc", "0 lrc", "1 mp3", Route::Text, Route::Text, Route::Mp3);
        row("folder .lrc, txt", u"/m/songs.lrc/a.txt"_s, "0 txt", "0 txt", "-", Route::Text, Route::Text, Route::None);
        row("folder .lrc, MP3", u"/m/songs.lrc/a.MP3"_s, "0 lrc", "0 lrc", "-", Route::Text, Route::Text, Route::None);
        // The type word says mp3 first, the routing tries wav first.
        row("folder .wav, mp3", u"/m/x.wav/b.mp3"_s, "1 mp3", "-", "1 mp3", Route::Wav, Route::None, Route::Wav);
        row("folder .mp3, WAV", u"/m/x.mp3/b.WAV"_s, "1 mp3", "-", "1 mp3", Route::Wav, Route::None, Route::Wav);
        row("a.txt.mp3", u"/m/a.txt.mp3"_s, "0 txt", "0 txt", "1 mp3", Route::Text, Route::Text, Route::Mp3);
    }

    void listsTestWholePathsInExactCase()
    {
        QFETCH(QString, path);
        QFETCH(QString, all);
        QFETCH(QString, text);
        QFETCH(QString, music);
        QFETCH(Route, openAll);
        QFETCH(Route, openText);
        QFETCH(Route, openMusic);
        QCOMPARE(Describe(FileKinds::ForAllList(path)), all);
        QCOMPARE(Describe(FileKinds::ForTextList(path)), text);
        QCOMPARE(Describe(FileKinds::ForMusicList(path)), music);
        QCOMPARE(FileKinds::FromAllList(path), openAll);
        QCOMPARE(FileKinds::FromTextList(path), openText);
        QCOMPARE(FileKinds::FromMusicList(path), openMusic);
    }

    void openCommandLooksAtTheLastFourCharacters()
    {
        const struct { const char16_t* path; Route route; } cases[] = {
            {u"/d/a.txt", Route::Text}, {u"/d/a.lrc", Route::Text},
            {u"/d/a.wav", Route::Wav}, {u"/d/a.WAV", Route::Wav}, {u"/d/a.mp3", Route::Mp3},
            {u"/d/a.mp4", Route::Video}, {u"/d/a.mov", Route::Video}, {u"/d/a.avi", Route::Video},
            {u"/d/a.wmv", Route::Video},
            // Any other letter case, other kinds, and texts before the end do not count.
            {u"/d/a.MP3", Route::Unsupported}, {u"/d/a.Mp3", Route::Unsupported}, {u"/d/a.TXT", Route::Unsupported},
            {u"/d/a.MP4", Route::Unsupported}, {u"/d/a.cda", Route::Unsupported},
            {u"/d.mp3/readme", Route::Unsupported}, {u"/d/a.mp3.bak", Route::Unsupported},
            {u"mp3", Route::Unsupported}, {u"", Route::Unsupported},
        };
        for (const auto& c : cases)
            QVERIFY2(FileKinds::FromOpenCommand(QString::fromUtf16(c.path)) == c.route,
                     qPrintable(QString::fromUtf16(c.path)));
    }

    void openFiltersShowTheirLabelsAndMatchTheirPatterns()
    {
        const QStringList labels{
            u"オーディオ/ビデオ/テキスト(*.wav;*.mp3*.cda;*.mp4;*.txt;*.lrc)"_s,
            u"オーディオ(*.wav;*.mp3*.cda)"_s,
            u"ビデオ(*.mp4;*.mov)"_s,
            u"テキスト(*.txt;*.lrc)"_s,
            u"すべて(*.*)"_s,
        };
        const QList<QStringList> patterns{
            {u"*.wav"_s, u"*.mp3"_s, u"*.cda"_s, u"*.mp4"_s, u"*.txt"_s, u"*.lrc"_s},
            {u"*.wav"_s, u"*.mp3"_s, u"*.cda"_s},
            {u"*.mp4"_s, u"*.mov"_s},
            {u"*.txt"_s, u"*.lrc"_s},
            {u"*"_s},
        };
        // The file dialog takes the patterns from the last parentheses; the
        // label is everything before them.
        static const QRegularExpression filter(u"^(.*) \\(([^()]*)\\)$"_s);
        const QStringList strings = FileKinds::OpenFilterStrings();
        QCOMPARE(strings.size(), 5);
        for (int i = 0; i < 5; ++i) {
            const QRegularExpressionMatch m = filter.match(strings.at(i));
            QVERIFY2(m.hasMatch(), qPrintable(strings.at(i)));
            QCOMPARE(m.captured(1), labels.at(i));
            QCOMPARE(m.captured(2).split(u' '), patterns.at(i));
        }
    }

    void songNamesAndFolders()
    {
        QCOMPARE(FileKinds::SongName(u"愛の歌.mp3"_s), u"愛の歌"_s);
        QCOMPARE(FileKinds::SongName(u".mp3"_s), QString());
        QCOMPARE(FileKinds::SongName(u"ab"_s), QString());
        QCOMPARE(FileKinds::FolderOf(u"/a b/c.d/e.txt"_s), u"/a b/c.d"_s);
        QCOMPARE(FileKinds::FolderOf(u"/e.txt"_s), u"/"_s);
        QCOMPARE(FileKinds::JoinPath(u"/"_s, u"e.txt"_s), u"/e.txt"_s);
    }

    void scanReadsOneFolderByPatternOrder()
    {
        QTemporaryDir dir;
        const QString d = dir.path();
        const QString longName = QString(250, u'n') + u".txt"_s;
        for (const QString& name : {u"b.wav"_s, u"A.WAV"_s, u"c.Mp3"_s, u"d.txt"_s, u"e.LRC"_s, u"f.jpg"_s,
                                    u"noext"_s, u"g.wav.bak"_s, u".hidden.txt"_s, u"スペース 入り.txt"_s, longName})
            TestFolders::Touch(d + u'/' + name);
        QDir(d).mkpath(u"sub.txt/inner"_s);                 // a folder with a listed suffix
        TestFolders::Touch(d + u"/sub.txt/inner.txt"_s);      // sub-folders are not searched
        QVERIFY(QFile::link(d + u"/d.txt"_s, d + u"/link.mp3"_s));
        QVERIFY(QFile::link(d + u"/loop.lrc"_s, d + u"/loop.lrc"_s));   // a link to itself
        QVERIFY(QFile::link(d + u"/gone"_s, d + u"/dangling.wav"_s));
        QVERIFY(QFile::link(d, d + u"/up.mp3"_s));            // a link to a folder

        auto names = [&](const QStringList& paths) {
            QStringList out;
            for (const QString& p : paths) {
                if (!p.startsWith(d + u'/'))
                    return QStringList{u"outside: "_s + p};
                out << p.mid(d.size() + 1);
            }
            return out;
        };
        const FolderScan::Result all = FolderScan::Scan(d, {u".wav"_s, u".mp3"_s, u".txt"_s, u".lrc"_s});
        QCOMPARE(all.status, FolderScan::Status::Ok);
        QCOMPARE(names(all.paths), (QStringList{u"A.WAV"_s, u"b.wav"_s, u"c.Mp3"_s, u"link.mp3"_s, u".hidden.txt"_s,
                                               u"d.txt"_s, longName, u"スペース 入り.txt"_s, u"e.LRC"_s}));
        const FolderScan::Result music = FolderScan::Scan(d + u'/', {u".wav"_s, u".mp3"_s});
        QCOMPARE(names(music.paths), (QStringList{u"A.WAV"_s, u"b.wav"_s, u"c.Mp3"_s, u"link.mp3"_s}));
    }

    void scanFailures()
    {
        QTemporaryDir dir;
        TestFolders::Touch(dir.filePath(u"file.txt"_s));
        for (const QString& missing : {dir.filePath(u"nowhere"_s), QString(), dir.filePath(u"file.txt"_s)}) {
            const FolderScan::Result r = FolderScan::Scan(missing, {u".txt"_s});
            QCOMPARE(r.status, FolderScan::Status::Missing);
            QVERIFY(r.paths.isEmpty());
        }
        QVERIFY(!FolderScan::ListingFailure(dir.path()));
        const std::optional<QString> gone = FolderScan::ListingFailure(dir.filePath(u"nowhere"_s));
        QCOMPARE(gone.value_or(QString()),
                 FileErrors::Message(FileErrors::Doing::List, dir.filePath(u"nowhere"_s), ENOENT));

        const QString locked = dir.filePath(u"locked"_s);
        QVERIFY(QDir().mkdir(locked));
        TestFolders::Touch(locked + u"/a.txt"_s);
        QVERIFY(QFile::setPermissions(locked, {}));
        TestFolders::NoPermissionOverride asUser;
        const QString denied = FileErrors::Message(FileErrors::Doing::List, locked, EACCES);
        const FolderScan::Result r = FolderScan::Scan(locked, {u".txt"_s});
        QCOMPARE(r.status, FolderScan::Status::Unreadable);
        QVERIFY2(r.reason.contains(denied), qPrintable(r.reason));
        const std::optional<QString> failure = FolderScan::ListingFailure(locked);
        QVERIFY(failure && failure->contains(denied));
        QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
};

MURMELIN_LIST_TEST_MAIN(TestFileKinds)
#include "tst_filekinds.moc"
