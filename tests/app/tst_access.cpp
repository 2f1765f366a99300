// The main window as a keyboard-only user and a screen reader meet it: the
// accessible tree names every control by what it does, switches say which
// one is on, Tab walks every control and out of the editors, and Return,
// Enter and Escape do what the mouse would.

#include "app/MyForm.h"
#include "art/PictureBox.h"
#include "documents/TextView.h"
#include "support/RecordingControllers.h"
#include "support/ScriptedPrompter.h"

#include <QAccessible>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

// The popup sliders really show and hide; the rest only records.
class PopupSpeech : public RecordingSpeech
{
public:
    using RecordingSpeech::RecordingSpeech;
    void SpeechVolTrackBarDisp() override
    {
        RecordingSpeech::SpeechVolTrackBarDisp();
        SpeechController::SpeechVolTrackBarDisp();
    }
    void SpeechRateTrackBarDisp() override
    {
        RecordingSpeech::SpeechRateTrackBarDisp();
        SpeechController::SpeechRateTrackBarDisp();
    }
};

class PopupMusic : public RecordingMusic
{
public:
    using RecordingMusic::RecordingMusic;
    void MixerVolTrackBarDisp() override
    {
        RecordingMusic::MixerVolTrackBarDisp();
        MusicController::MixerVolTrackBarDisp();
    }
};

QString NameOf(QObject* object)
{
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(object);
    return iface ? iface->text(QAccessible::Name) : QString();
}

int LettersIn(const QString& text)
{
    return int(std::count_if(text.begin(), text.end(), [](QChar c) { return c.isLetter(); }));
}

} // namespace

class TestAccess : public QObject
{
    Q_OBJECT

    // The real file lists and documents over a folder of texts.
    struct Fixture
    {
        ScriptedPrompter prompter;
        CallLog log;
        QTemporaryDir folder;
        MyForm form{prompter};
        Controls& ui = form.ui();
        const QMap<QString, QString> texts{
            {u"alpha.txt"_s, u"first line\r\nsecond line\r\n"_s},
            {u"beta.txt"_s, u"third line\r\n"_s},
            {u"gamma.txt"_s, u"fourth\r\nfifth\r\nsixth\r\n"_s},
        };

        Fixture()
        {
            const Context& c = form.context();
            form.setSettings(std::make_unique<RecordingSettings>(log, c));
            form.setSpeech(std::make_unique<PopupSpeech>(log, c));
            form.setMusic(std::make_unique<PopupMusic>(log, c));
            form.setLrc(std::make_unique<RecordingLrc>(log, c));
        }

        void showWithFiles()
        {
            for (auto it = texts.begin(); it != texts.end(); ++it) {
                QFile f(folder.filePath(it.key()));
                QVERIFY(f.open(QIODevice::WriteOnly));
                f.write(it.value().toUtf8());
            }
            form.show();
            QVERIFY(QTest::qWaitForWindowActive(&form));
            QTRY_VERIFY_WITH_TIMEOUT(log.calls.contains(u"SpeechPlatformInstallationCheck"_s), 5000);
            form.state().listFolderPath = folder.path();
            form.library().ListViewAllFileNameWriting(folder.path());
            form.library().ListViewTextFileNameWriting(folder.path());
            QCOMPARE(ui.allFileList->topLevelItemCount(), 3);
        }

        // The window as a user leaves it after the given steps.
        void reach(const QString& view)
        {
            const QStringList steps = view.split(u' ');
            if (steps.contains(u"text"_s))
                ui.textViewButton->click();
            if (steps.contains(u"lrc"_s))
                ui.lrcViewButton->click();
            if (steps.contains(u"popups"_s)) {
                for (QPushButton* b : {ui.speechVolumeButton, ui.speechSpeedButton, ui.masterVolumeButton})
                    b->click();
            }
            if (steps.contains(u"music"_s))
                ui.musicListButton->click();
            if (steps.contains(u"textlist"_s))
                ui.textListButton->click();
            if (steps.contains(u"looping"_s))
                form.music().InOrderLoopButtonActiveColor();
            if (steps.contains(u"rangeoff"_s))
                ui.rangePlayButton->setText(QString());   // as the range switch turns it off
        }

        // What a Tab walk must reach: every control a user can see, use and focus.
        QSet<QWidget*> focusable() const
        {
            QSet<QWidget*> out;
            for (QWidget* w : form.findChildren<QWidget*>()) {
                if (w->window() == &form && w->isVisible() && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus))
                    out.insert(w);
            }
            return out;
        }
    };

    static void viewRows()
    {
        QTest::addColumn<QString>("view");
        QTest::newRow("all files and picture") << u"start"_s;
        QTest::newRow("text view") << u"text"_s;
        QTest::newRow("synchronized-text view") << u"lrc"_s;
        QTest::newRow("text view, popup sliders open") << u"text popups"_s;
        QTest::newRow("music list") << u"music"_s;
    }

private slots:
    void everyControlSpeaksWhatItDoes_data() { viewRows(); }
    void everyControlSpeaksWhatItDoes()
    {
        QFETCH(QString, view);
        Fixture f;
        f.showWithFiles();
        f.reach(view);

        // Every control of the window, shown or not, through the tree.
        QList<QAccessibleInterface*> all;
        std::function<void(QAccessibleInterface*)> walk = [&](QAccessibleInterface* node) {
            for (int i = 0; i < node->childCount(); ++i) {
                if (QAccessibleInterface* child = node->child(i)) {
                    all << child;
                    walk(child);
                }
            }
        };
        walk(QAccessible::queryAccessibleInterface(&f.form));

        QHash<QString, QString> owner;   // name -> object name
        int checkedUsable = 0;
        for (QAccessibleInterface* iface : std::as_const(all)) {
            auto* w = qobject_cast<QWidget*>(iface->object());
            if (!w || !(w->focusPolicy() & Qt::TabFocus))
                continue;
            const QString name = iface->text(QAccessible::Name);
            // One name, one control, whether shown now or later.
            QVERIFY2(!owner.contains(name) || name.isEmpty(),
                     qPrintable(u"%1 and %2 are both \"%3\""_s.arg(owner.value(name), w->objectName(), name)));
            owner.insert(name, w->objectName());
            if (!w->isVisible() || !w->isEnabled())
                continue;
            // A symbol, a count or a two-character mode says nothing read aloud.
            QVERIFY2(LettersIn(name) >= 3, qPrintable(w->objectName() + u" is named \""_s + name + u'"'));
            QVERIFY2(!iface->state().invisible && !iface->state().disabled, qPrintable(w->objectName()));
            ++checkedUsable;
        }
        QCOMPARE(checkedUsable, f.focusable().size());
    }

    void switchesSayWhichIsOn_data()
    {
        QTest::addColumn<QString>("view");
        QTest::addColumn<QStringList>("on");
        QTest::newRow("at start") << u"start"_s << QStringList{u"allListButton"_s, u"artViewButton"_s, u"rangePlayButton"_s};
        QTest::newRow("text list, text view") << u"text textlist"_s
                                              << QStringList{u"textListButton"_s, u"textViewButton"_s, u"rangePlayButton"_s};
        QTest::newRow("music list, lrc view") << u"lrc music"_s
                                              << QStringList{u"musicListButton"_s, u"lrcViewButton"_s, u"rangePlayButton"_s};
        QTest::newRow("looping play mode") << u"music looping"_s
                                           << QStringList{u"musicListButton"_s, u"artViewButton"_s, u"inOrderLoopButton"_s, u"rangePlayButton"_s};
        QTest::newRow("range play off") << u"rangeoff"_s << QStringList{u"allListButton"_s, u"artViewButton"_s};
    }
    void switchesSayWhichIsOn()
    {
        QFETCH(QString, view);
        QFETCH(QStringList, on);
        Fixture f;
        f.showWithFiles();
        f.reach(view);
        for (const char* name : {"allListButton", "textListButton", "musicListButton", "artViewButton", "textViewButton", "lrcViewButton",
                                 "repeatOneButton", "inOrderButton", "inOrderLoopButton", "randomPlayButton", "rangePlayButton"}) {
            auto* b = f.form.findChild<QPushButton*>(QString::fromLatin1(name));
            QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(b);
            QVERIFY2(iface->state().checkable, name);
            QCOMPARE(iface->state().checked, on.contains(QString::fromLatin1(name)));
            // The look and the mouse stay a plain button's.
            QVERIFY2(!b->isCheckable(), name);
        }
    }

    void valueButtonsAndPictureFitSpeakTheirState()
    {
        Fixture f;
        f.showWithFiles();
        // The fit box says what it sets; its value is the mode, by keyboard too.
        QAccessibleInterface* fit = QAccessible::queryAccessibleInterface(f.ui.artFitBox);
        QVERIFY(LettersIn(fit->text(QAccessible::Name)) >= 3);
        QCOMPARE(fit->text(QAccessible::Value), u"CenterImage"_s);
        f.ui.artFitBox->setFocus();
        QTest::keyClick(f.ui.artFitBox, Qt::Key_Down);
        QCOMPARE(fit->text(QAccessible::Value), u"Normal"_s);
        QCOMPARE(f.ui.artPicture->sizeMode(), PictureBox::Normal);

        // The mode and count buttons are named by what they do and described
        // by what they show now.
        f.reach(u"text"_s);
        for (QPushButton* b : {f.ui.readingModeButton, f.ui.loopCountButton}) {
            QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(b);
            QCOMPARE(iface->text(QAccessible::Name), b->toolTip());
            QCOMPARE(iface->text(QAccessible::Description), b->text());
            QVERIFY(!iface->state().checkable);
        }
        f.ui.loopCountButton->setText(u"4"_s);
        QCOMPARE(QAccessible::queryAccessibleInterface(f.ui.loopCountButton)->text(QAccessible::Description), u"4"_s);
        QCOMPARE(NameOf(f.ui.textViewButton), u"テキスト表示"_s);
        QCOMPARE(NameOf(f.ui.textListButton), u"テキスト一覧"_s);
    }

    void tabWalksEveryControlAndLeavesTheEditors_data() { viewRows(); }
    void tabWalksEveryControlAndLeavesTheEditors()
    {
        QFETCH(QString, view);
        Fixture f;
        f.showWithFiles();
        f.reach(view);
        QWidget* start = f.ui.listFolderButton;
        start->setFocus(Qt::TabFocusReason);
        QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget(), start, 2000);

        auto walk = [&](bool forward, QList<QWidget*>& seen) {
            seen = {start};
            for (int step = 0; step < 200; ++step) {
                QWidget* at = QApplication::focusWidget();
                if (auto* editor = qobject_cast<TextView*>(at)) {
                    // Tab types a tab and keeps the focus; Ctrl+Tab leaves.
                    if (forward) {
                        const qsizetype tabs = editor->toPlainText().count(u'\t');
                        QTest::keyClick(editor, Qt::Key_Tab);
                        QCOMPARE(editor->toPlainText().count(u'\t'), tabs + 1);
                        QCOMPARE(QApplication::focusWidget(), editor);
                    }
                    QTest::keyClick(editor, forward ? Qt::Key_Tab : Qt::Key_Backtab,
                                    forward ? Qt::ControlModifier : Qt::ControlModifier | Qt::ShiftModifier);
                } else {
                    QTest::keyClick(at, forward ? Qt::Key_Tab : Qt::Key_Backtab,
                                    forward ? Qt::NoModifier : Qt::ShiftModifier);
                }
                QWidget* next = QApplication::focusWidget();
                QVERIFY2(next && next != at, qPrintable(u"stuck on "_s + at->objectName()));
                if (next == start)
                    return;
                seen << next;
            }
        };

        QList<QWidget*> forward;
        walk(true, forward);
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(QApplication::focusWidget(), start);
        QCOMPARE(QSet<QWidget*>(forward.begin(), forward.end()).size(), forward.size());
        QStringList missing;
        for (QWidget* w : f.focusable())
            if (!forward.contains(w))
                missing << w->objectName();
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(u", "_s)));
        QCOMPARE(forward.size(), f.focusable().size());

        QList<QWidget*> backward;
        walk(false, backward);
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(QApplication::focusWidget(), start);
        QList<QWidget*> reversed(forward.rbegin(), forward.rend() - 1);
        reversed.prepend(start);
        QCOMPARE(backward, reversed);
    }

    void returnOnAListRowOpensIt_data()
    {
        QTest::addColumn<int>("list");
        QTest::addColumn<int>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::newRow("all files, Return") << 0 << int(Qt::Key_Return) << Qt::KeyboardModifiers();
        QTest::newRow("all files, keypad Enter") << 0 << int(Qt::Key_Enter) << Qt::KeyboardModifiers(Qt::KeypadModifier);
        QTest::newRow("text list, Return") << 1 << int(Qt::Key_Return) << Qt::KeyboardModifiers();
    }
    void returnOnAListRowOpensIt()
    {
        QFETCH(int, list);
        QFETCH(int, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        Fixture f;
        f.showWithFiles();
        if (list == 1)
            QTest::keyClick(f.ui.textListButton, Qt::Key_Return);
        QTreeWidget* view = list == 0 ? f.ui.allFileList : f.ui.textFileList;
        QTRY_VERIFY_WITH_TIMEOUT(view->isVisible(), 2000);
        view->setFocus();

        // Arrows only move the row.
        QTest::keyClick(view, Qt::Key_Down);
        QTest::keyClick(view, Qt::Key_Down);
        QVERIFY(view->currentItem() && view->currentItem()->isSelected());
        QVERIFY(!f.ui.textView->isVisible());
        QCOMPARE(f.ui.textView->Text(), QString());

        const QString name = view->currentItem()->text(0);
        QTest::keyClick(view, Qt::Key(key), modifiers);
        QTRY_COMPARE_WITH_TIMEOUT(f.ui.textView->Text(), f.texts.value(name), 2000);
        QVERIFY(f.ui.textView->isVisible());
        QCOMPARE(f.ui.textNameBox->text() + u".txt"_s, name);
        QCOMPARE(f.form.state().lastClickButton, ClickButton::None);

        // After the open the arrows still only move.
        QTest::keyClick(view, Qt::Key_Up);
        QVERIFY(view->currentItem()->text(0) != name);
        QCOMPARE(f.ui.textView->Text(), f.texts.value(name));
        QCOMPARE(f.prompter.entries.size(), 0);
    }

    void returnPressesButtonsAndEscapeClosesPopups_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("call");
        QTest::addColumn<QString>("popup");   // the slider the button shows, if any
        QTest::newRow("start reading") << u"readButton"_s << int(Qt::Key_Return) << u"SpeechPlay"_s << QString();
        QTest::newRow("pause reading") << u"readPauseButton"_s << int(Qt::Key_Return) << u"SpeechPause"_s << QString();
        QTest::newRow("stop reading, keypad Enter") << u"readStopButton"_s << int(Qt::Key_Enter) << u"SpeechStop"_s << QString();
        QTest::newRow("music play") << u"musicPlayButton"_s << int(Qt::Key_Return) << u"MusicPlay"_s << QString();
        QTest::newRow("speech volume") << u"speechVolumeButton"_s << int(Qt::Key_Return) << u"SpeechVolSetting"_s << u"speechVolumeSlider"_s;
        QTest::newRow("speech speed") << u"speechSpeedButton"_s << int(Qt::Key_Return) << u"SpeechRateSetting"_s << u"speechSpeedSlider"_s;
        QTest::newRow("mixer volume") << u"masterVolumeButton"_s << int(Qt::Key_Return) << u"MixerVolSetting"_s << u"masterVolumeSlider"_s;
    }
    void returnPressesButtonsAndEscapeClosesPopups()
    {
        QFETCH(QString, button);
        QFETCH(int, key);
        QFETCH(QString, call);
        QFETCH(QString, popup);
        Fixture f;
        f.showWithFiles();
        f.reach(u"text"_s);
        auto* b = f.form.findChild<QPushButton*>(button);
        b->setFocus(Qt::TabFocusReason);
        f.log.calls.clear();
        QTest::keyClick(b, Qt::Key(key), key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
        if (popup.isEmpty()) {
            QTRY_COMPARE_WITH_TIMEOUT(f.log.calls, QStringList{call}, 2000);
            return;
        }

        // The popup opens, Tab enters it, the arrows set it, Escape closes it.
        auto* slider = f.form.findChild<QSlider*>(popup);
        QTRY_VERIFY_WITH_TIMEOUT(slider->isVisible(), 2000);
        QTest::keyClick(b, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), slider);
        QTest::keyClick(slider, Qt::Key_Up);
        QVERIFY(f.log.calls.contains(call));
        QTest::keyClick(slider, Qt::Key_Escape);
        QVERIFY(!slider->isVisible());
        QCOMPARE(QApplication::focusWidget(), b);
        const State& s = f.form.state();
        QCOMPARE(s.volumeSliderShown + s.rateSliderShown + s.mixerSliderShown, Switch::Off);
        // Escape on the button of a closed popup leaves the window alone.
        QTest::keyClick(b, Qt::Key_Escape);
        QVERIFY(!slider->isVisible());
    }
};

QTEST_MAIN(TestAccess)
#include "tst_access.moc"
