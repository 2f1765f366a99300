// Clicking MP3s in the real window's file list: the tag's picture or a folder
// picture shows with its size, and the tag-less copies take turns.

#include "app/MyForm.h"
#include "art/PictureBox.h"
#include "library/LibraryController.h"
#include "support/RecordingControllers.h"
#include "support/ScriptedPrompter.h"
#include "TagBytes.h"

#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

using namespace Qt::StringLiterals;
using namespace TagBytes;

class TestCoverArtForm : public QObject
{
    Q_OBJECT

private slots:
    void clickingMp3s();
    void backdropFitsTheArea();
};

void TestCoverArtForm::clickingMp3s()
{
    ScriptedPrompter prompter;
    CallLog calls;
    MyForm form{prompter};
    form.setSettings(std::make_unique<RecordingSettings>(calls, form.context()));
    form.setSpeech(std::make_unique<RecordingSpeech>(calls, form.context()));
    // The player plays the copies on a fake device: these bytes are no audio.
    form.setMusic(std::make_unique<RecordingMusic>(calls, form.context()));
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));

    QTemporaryDir dir;
    const QString folder = dir.filePath(u"Speech1"_s);
    const QString work = dir.filePath(u"work"_s);
    QVERIFY(QDir().mkpath(folder) && QDir().mkpath(work));
    const QByteArray music = Music(3000);
    auto write = [](const QString& path, const QByteArray& bytes) {
        QFile f(path);
        return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
    };
    QVERIFY(write(folder + u"/tagged.mp3"_s, Tag(3, Frame("APIC", Apic("image/jpeg", "", Picture(60, 45, "JPG"))), 32)
                                                 + music));
    QVERIFY(write(folder + u"/plain.mp3"_s, music));
    QVERIFY(write(folder + u"/cover.jpg"_s, Picture(16, 12, "JPG")));

    State& s = form.state();
    Controls& ui = form.ui();
    s.listFolderPath = folder;
    s.murmelinFolder = work;
    ui.listFolderLabel->setText(folder);
    form.library().ListViewAllFileNameWriting(folder);

    auto click = [&](const QString& name) {
        const QList<QTreeWidgetItem*> found = ui.allFileList->findItems(name, Qt::MatchExactly, 0);
        QVERIFY2(!found.isEmpty(), qPrintable(name));
        QTest::mouseClick(ui.allFileList->viewport(), Qt::LeftButton, {}, ui.allFileList->visualItemRect(found.first()).center());
        ui.listContextMenu->hide();
    };
    auto read = [](const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };

    click(u"tagged.mp3"_s);
    QCOMPARE(ui.artSizeLabel->text(), u"60 X 45 pixel"_s);
    QCOMPARE(ui.artPicture->image().size(), QSize(60, 45));
    QCOMPARE(read(work + u"/temp0.mp3"_s), music);
    QCOMPARE(s.mp3TempCopyIndex, 1);

    click(u"plain.mp3"_s);
    QCOMPARE(ui.artSizeLabel->text(), u"16 X 12 pixel"_s);
    QCOMPARE(read(work + u"/temp1.mp3"_s), music);
    QCOMPARE(s.mp3TempCopyIndex, 0);
    QCOMPARE(prompter.entries.size(), 0);
}

// Until a picture comes, the program's own picture fills the picture area
// as far as its proportions allow, centred, and the rest of the area goes
// on in the colours of its edges.
void TestCoverArtForm::backdropFitsTheArea()
{
    ScriptedPrompter prompter;
    MyForm form{prompter};
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    PictureBox* box = form.ui().artPicture;
    const QImage shown = box->grab().toImage();
    const QImage picture(QCoreApplication::applicationDirPath() + u"/inipic.jpg"_s);
    QVERIFY(!picture.isNull());
    const QRect fit = PictureBox::ImageRect(picture.size(), box->size(), PictureBox::Zoom);
    QVERIFY(fit.height() == box->height() || fit.width() == box->width());
    const QImage scaled = picture.scaled(fit.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    auto near = [](QColor a, QColor b) {
        return std::abs(a.red() - b.red()) <= 24 && std::abs(a.green() - b.green()) <= 24
               && std::abs(a.blue() - b.blue()) <= 24;
    };
    const QPoint samples[] = {{box->width() / 2, 4}, {box->width() / 2, box->height() - 5},
                              fit.center(), {fit.left() + fit.width() / 2, fit.top() + fit.height() * 86 / 100}};
    for (const QPoint& at : samples) {
        const QColor want = scaled.pixelColor(at - fit.topLeft());
        QVERIFY2(near(shown.pixelColor(at), want), qPrintable(u"(%1, %2): %3, not %4"_s.arg(at.x()).arg(at.y())
                                                                   .arg(shown.pixelColor(at).name(), want.name())));
    }
    // Beside the picture: its edge colours, no band of another colour.
    const QPoint band = fit.left() > 4 ? QPoint(2, box->height() * 3 / 4) : QPoint(box->width() / 2, 2);
    const QColor edge = fit.left() > 4 ? scaled.pixelColor(0, band.y() - fit.top())
                                       : scaled.pixelColor(band.x() - fit.left(), 0);
    QVERIFY2(near(shown.pixelColor(band), edge), qPrintable(shown.pixelColor(band).name() + u" "_s + edge.name()));
}

QTEST_MAIN(TestCoverArtForm)
#include "tst_coverartform.moc"
