#include "art/Id3Tag.h"
#include "TagBytes.h"

#include <QRandomGenerator>
#include <QTest>

using namespace TagBytes;
using Id3::End;

Q_DECLARE_METATYPE(Id3::End)

class TestId3Walk : public QObject
{
    Q_OBJECT

private slots:
    void walk_data();
    void walk();
    void randomBytesStayInside();
};

void TestId3Walk::walk_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<End>("end");
    QTest::addColumn<qint64>("tagEnd");
    QTest::addColumn<QByteArray>("picture");   // the bytes the walk points at

    const QByteArray jpeg = "\xFF\xD8\xFF\xE0 jpeg data \xFF\xD9";
    const QByteArray png = "\x89PNG\r\n\x1A\n png data";
    const QByteArray music = Music(3000);
    const QByteArray title = Frame("TIT2", "\x00Title");
    const QByteArray artist = Frame("TPE1", "\x00Someone");

    auto row = [&](const char* name, const QByteArray& tag, End end, const QByteArray& picture) {
        QTest::newRow(name) << tag + music << end << qint64(tag.size()) << picture;
    };
    QTest::newRow("untagged") << music << End::Untagged << qint64(0) << QByteArray();
    row("2.3 APIC first", Tag(3, Frame("APIC", Apic("image/jpeg", "", jpeg)), 0), End::Jpeg, jpeg);
    row("2.3 APIC after other frames, then padding",
        Tag(3, title + artist + Frame("APIC", Apic("image/jpeg", "front", jpeg)), 100), End::Jpeg, jpeg);
    row("2.2 PIC", Tag(2, Frame22("TT2", "\x00Title") + Frame22("PIC", Pic("JPG", "", jpeg)), 20), End::Jpeg, jpeg);
    // The description scan looks at 63 bytes (2.3) or 64 (2.2) and skips the next one.
    row("2.3 description of 63", Tag(3, Frame("APIC", Apic("image/jpeg", QByteArray(63, 'd'), jpeg)), 0),
        End::Jpeg, jpeg);
    row("2.3 description of 64", Tag(3, Frame("APIC", Apic("image/jpeg", QByteArray(64, 'd'), jpeg)), 0),
        End::Jpeg, char(0) + jpeg);
    row("2.2 description of 64", Tag(2, Frame22("PIC", Pic("JPG", QByteArray(64, 'd'), jpeg)), 0), End::Jpeg, jpeg);
    row("2.2 description of 65", Tag(2, Frame22("PIC", Pic("JPG", QByteArray(65, 'd'), jpeg)), 0),
        End::Jpeg, char(0) + jpeg);
    row("padding before any picture", Tag(3, title + artist, 50), End::Padding, {});
    row("frames fill the tag", Tag(3, title + artist, 0), End::TagEnd, {});
    // 200 is 0x00 0x00 0x01 0x48 syncsafe, 328 as a plain number.
    row("2.4 syncsafe frame size",
        Tag(4, Frame("TXXX", QByteArray(200, 'x'), true) + Frame("APIC", Apic("image/jpeg", "", jpeg), true), 10),
        End::Jpeg, jpeg);
    row("2.3 PNG picture", Tag(3, title + Frame("APIC", Apic("image/png", "cover", png)), 10), End::OtherPicture, png);
    row("2.2 PNG picture", Tag(2, Frame22("PIC", Pic("PNG", "", png)), 10), End::OtherPicture, png);
    row("zero-size frame", Tag(3, Frame("TIT2", {}) + Frame("APIC", Apic("image/jpeg", "", jpeg)), 0),
        End::Jpeg, jpeg);
    row("zero-size picture frame", Tag(3, Frame("APIC", {}) + title, 0), End::OtherPicture, {});

    // Frame sizes that point outside the tag end the walk with no picture.
    QByteArray negative = Frame("TIT2", "\x00Title");
    negative[4] = char(0x80);
    row("frame size with the top bit set", Tag(3, negative + Frame("APIC", Apic("image/jpeg", "", jpeg)), 0),
        End::BadFrame, {});
    QByteArray tooLong = Frame("TIT2", "\x00Title");
    tooLong[7] = char(0x7F);
    row("frame size past the tag", Tag(3, tooLong, 0), End::BadFrame, {});
    QByteArray longPicture = Frame("APIC", Apic("image/jpeg", "", jpeg));
    longPicture[6] = char(0x10);
    row("picture frame past the tag", Tag(3, longPicture, 40), End::BadFrame, {});

    // A tag size beyond the file: padding inside the file still ends the walk;
    // without it the walk stops at the file's end.
    const QByteArray big = Tag(3, title, 30, 1'000'000);
    QTest::newRow("tag size past the end, padding") << big + music << End::Padding << qint64(1'000'010) << QByteArray();
    const QByteArray bigNoPadding = Tag(3, title, 0, 1'000'000);
    QTest::newRow("tag size past the end, no padding")
        << bigNoPadding + music << End::BadFrame << qint64(1'000'010) << QByteArray();
    QTest::newRow("tag size past the end, short file")
        << Tag(3, {}, 0, 5000) + QByteArray("TIT2") << End::BadFrame << qint64(5010) << QByteArray();
}

void TestId3Walk::walk()
{
    QFETCH(QByteArray, file);
    QFETCH(End, end);
    QFETCH(qint64, tagEnd);
    QFETCH(QByteArray, picture);

    const Id3::Layout layout = Id3::Walk(file, file.size());
    QCOMPARE(layout.end, end);
    QCOMPARE(layout.tagEnd, tagEnd);
    if (layout.HasPicture())
        QCOMPARE(file.sliced(layout.pictureBegin, layout.pictureEnd - layout.pictureBegin), picture);
    else
        QVERIFY(picture.isEmpty());

    // The caller hands over only what the file holds up to the tag's end.
    const QByteArray head = file.first(std::min<qint64>(file.size(), std::max(Id3::TagEnd(file), qint64(10))));
    const Id3::Layout fromHead = Id3::Walk(head, file.size());
    QCOMPARE(fromHead.end, layout.end);
    QCOMPARE(fromHead.pictureBegin, layout.pictureBegin);
    QCOMPARE(fromHead.pictureEnd, layout.pictureEnd);
}

void TestId3Walk::randomBytesStayInside()
{
    // Whatever follows "ID3", the walk ends and points only inside the bytes.
    QRandomGenerator random(20240611);
    for (int round = 0; round < 3000; ++round) {
        QByteArray file(2048 + int(random.bounded(4096)), 0);
        for (char& c : file)
            c = char(random.bounded(256));
        // Small tag sizes and frame IDs that look like pictures now and then.
        file.replace(0, 3, "ID3");
        file[3] = char(2 + round % 3);
        if (round % 2)
            file.replace(6, 4, Syncsafe(quint32(random.bounded(6000))));
        file.replace(10, 4, round % 3 == 0 ? QByteArray("APIC") : QByteArray("PIC\x00", 4));
        const Id3::Layout layout = Id3::Walk(file, file.size());
        QCOMPARE(layout.tagEnd, Id3::TagEnd(file));
        if (layout.HasPicture()) {
            QVERIFY2(layout.pictureBegin >= 10 && layout.pictureBegin <= layout.pictureEnd, file.toHex().constData());
            QVERIFY2(layout.pictureEnd <= std::min<qint64>(file.size(), layout.tagEnd), file.toHex().constData());
        }
    }
}

QTEST_GUILESS_MAIN(TestId3Walk)
#include "tst_id3walk.moc"
