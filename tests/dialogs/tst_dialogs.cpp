#include "dialogs/DialogParts.h"
#include "dialogs/DialogPrompter.h"
#include "dialogs/ExportDialog.h"
#include "dialogs/MessageInfoBox.h"
#include "dialogs/VersionInfo.h"
#include "dialogs/YesNo.h"
#include "ModalDriver.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QFontMetrics>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QtTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

// Presses a key where the keyboard focus is, as a user would.
void pressKey(Qt::Key key) { QTest::keyClick(static_cast<QWidget*>(nullptr), key); }

// A widget's colour at a point in its own (logical) coordinates.
QRgb pixelAt(QWidget* widget, QPoint at)
{
    const QPixmap shot = widget->grab();
    return shot.toImage().pixel((QPointF(at) * shot.devicePixelRatio()).toPoint());
}

// Opens a dialog without blocking and waits until it has the keyboard.
bool openActive(QDialog& dialog)
{
    dialog.open();
    // Neither answer (showing resets it), so the answer a test reads is a fresh one.
    dialog.setResult(1000);
    return QTest::qWaitForWindowActive(&dialog, Timeout);
}

void verifyCentred(QWidget* window)
{
    const QRect area = window->screen()->availableGeometry();
    const QPoint offset = window->frameGeometry().center() - area.center();
    QVERIFY2(qAbs(offset.x()) <= 1 && qAbs(offset.y()) <= 1,
             qPrintable(u"off centre by %1,%2"_s.arg(offset.x()).arg(offset.y())));
}

} // namespace

class TstDialogs : public QObject
{
    Q_OBJECT
public:
    static void initMain()
    {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
    }

private slots:
    void messageLabelFitsText_data();
    void messageLabelFitsText();
    void messageTextPutIntoLabelIsFittedOnShow();
    void messageLayout();
    void messageKeysClose_data();
    void messageKeysClose();

    void yesNoLayout();
    void yesNoWidensForALongQuestion();
    void yesNoEnterAnswersNo();
    void yesNoEscapeAnswersNo();
    void returnActsLikeSpace_data();
    void returnActsLikeSpace();
    void yesNoButtons_data();
    void yesNoButtons();
    void yesNoButtonColours();

    void versionInfo();

    void prompterYesNo_data();
    void prompterYesNo();
    void prompterMessage();
    void prompterStandardQuestion_data();
    void prompterStandardQuestion();
    void prompterVersionInfo();
    void prompterAudioExport_data();
    void prompterAudioExport();
};

void TstDialogs::messageLabelFitsText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("grows");
    QTest::addColumn<bool>("elided");

    const QString question = u"テキスト・データを保存しなくてもよいですか？"_s;
    QTest::newRow("short") << u"フォルダが見つかりません。"_s << false << false;
    QTest::newRow("two lines") << question.repeated(3) << true << false;
    QTest::newRow("long Japanese") << question.repeated(12) << true << true;
    QTest::newRow("long words")
        << u"The device could not be opened because the file format is not supported. "_s.repeated(8)
        << true << true;
    QTest::newRow("many short lines") << u"一\n二\n三\n四\n五\n六"_s << true << true;
}

void TstDialogs::messageLabelFitsText()
{
    QFETCH(QString, text);
    QFETCH(bool, grows);
    QFETCH(bool, elided);

    MessageInfoBox box;
    box.setText(text);
    QLabel* label = box.messageLabel;
    const QString shown = label->text();

    QCOMPARE(label->width(), 440);
    QVERIFY(label->height() >= 24 && label->height() <= 46);
    QCOMPARE(label->height() > 24, grows);
    QCOMPARE(box.isElided(), elided);
    QCOMPARE(shown.endsWith(u'…'), elided);
    QCOMPARE(box.fullText(), text);
    QCOMPARE(label->toolTip(), elided ? text : QString());

    // Everything shown is really drawn inside the label.
    const QRect inside = label->contentsRect();
    const QRect needed = QFontMetrics(label->font()).boundingRect(inside, label->alignment(), shown);
    QVERIFY2(inside.contains(needed), qPrintable(u"text needs %1x%2"_s.arg(needed.width()).arg(needed.height())));

    // What is shown is the message from its start, only broken into lines
    // (and cut where elided).
    auto squeezed = [](QString s) {
        s.remove(u'…');
        s.remove(QRegularExpression(u"\\s"_s));
        return s;
    };
    if (elided)
        QVERIFY(squeezed(text).startsWith(squeezed(shown)));
    else
        QCOMPARE(squeezed(shown), squeezed(text));
}

void TstDialogs::messageTextPutIntoLabelIsFittedOnShow()
{
    const QString text = u"ファイルを削除しますか？"_s.repeated(20);
    MessageInfoBox fitted;
    fitted.setText(text);

    MessageInfoBox box;
    box.messageLabel->setText(text);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box, Timeout));
    QCOMPARE(box.fullText(), text);
    QVERIFY(box.isElided());
    QCOMPARE(box.messageLabel->text(), fitted.messageLabel->text());
    QCOMPARE(box.messageLabel->size(), fitted.messageLabel->size());
}

void TstDialogs::messageLayout()
{
    MessageInfoBox box;
    QCOMPARE(box.size(), QSize(458, 79));
    QCOMPARE(box.minimumSize(), box.maximumSize());
    QVERIFY(box.windowFlags().testFlag(Qt::FramelessWindowHint));
    QVERIFY(box.testAttribute(Qt::WA_TranslucentBackground));
    QVERIFY(!box.accessibleName().isEmpty());

    QCOMPARE(box.findChild<QLabel*>(u"messageLabel"_s), box.messageLabel);
    QCOMPARE(box.messageLabel->text(), u"メッセージ"_s);
    QCOMPARE(box.messageLabel->geometry(), QRect(9, 6, 440, 24));
    QVERIFY(box.messageLabel->alignment().testFlag(Qt::AlignHCenter));
    QVERIFY(box.messageLabel->accessibleName().isEmpty());

    QCOMPARE(box.findChild<QPushButton*>(u"okButton"_s), box.okButton);
    QCOMPARE(box.okButton->text(), u"OK"_s);
    QCOMPARE(box.okButton->geometry(), QRect(379, 54, 70, 21));
    QVERIFY(box.okButton->isFlat());
    QVERIFY(box.okButton->isDefault());

    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box, Timeout));
    verifyCentred(&box);
    // Only the label and the button are painted.
    QCOMPARE(qAlpha(pixelAt(&box, QPoint(2, 2))), 0);
    QCOMPARE(qAlpha(pixelAt(&box, QPoint(200, 70))), 0);
    QCOMPARE(QColor(pixelAt(&box, QPoint(200, 15))), QColor(0xFF, 0xE4, 0xC4));
}

void TstDialogs::messageKeysClose_data()
{
    QTest::addColumn<Qt::Key>("key");
    QTest::newRow("Return") << Qt::Key_Return;
    QTest::newRow("Enter") << Qt::Key_Enter;
    QTest::newRow("Escape") << Qt::Key_Escape;
}

void TstDialogs::messageKeysClose()
{
    QFETCH(Qt::Key, key);
    MessageInfoBox box;
    box.setText(u"保存しました。"_s);
    QVERIFY(openActive(box));
    QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget(), box.okButton, Timeout);

    pressKey(key);
    QTRY_VERIFY_WITH_TIMEOUT(!box.isVisible(), Timeout);
    QCOMPARE(box.result(), int(QDialog::Rejected));
}

void TstDialogs::yesNoLayout()
{
    YesNo dialog;
    QCOMPARE(dialog.size(), QSize(376, 66));
    QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
    QVERIFY(dialog.windowFlags().testFlag(Qt::FramelessWindowHint));
    QVERIFY(dialog.testAttribute(Qt::WA_TranslucentBackground));
    QVERIFY(!dialog.accessibleName().isEmpty());

    QCOMPARE(dialog.messageLabel->objectName(), u"messageLabel"_s);
    QCOMPARE(dialog.messageLabel->text(), u"メッセージ"_s);
    QCOMPARE(dialog.messageLabel->geometry(), QRect(10, 9, 355, 24));
    QCOMPARE(dialog.messageLabel->minimumSize(), dialog.messageLabel->maximumSize());
    QVERIFY(dialog.messageLabel->accessibleName().isEmpty());
    QVERIFY(!dialog.messageLabel->picture().isNull());

    QCOMPARE(dialog.yesButton->objectName(), u"yesButton"_s);
    QCOMPARE(dialog.yesButton->text(), u"はい"_s);
    QCOMPARE(dialog.yesButton->geometry(), QRect(106, 41, 70, 21));
    QCOMPARE(dialog.noButton->objectName(), u"noButton"_s);
    QCOMPARE(dialog.noButton->text(), u"いいえ"_s);
    QCOMPARE(dialog.noButton->geometry(), QRect(192, 41, 70, 21));
    QVERIFY(dialog.yesButton->isFlat() && dialog.noButton->isFlat());
    QVERIFY(dialog.noButton->isDefault());

    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog, Timeout));
    verifyCentred(&dialog);
    QCOMPARE(qAlpha(pixelAt(&dialog, QPoint(3, 3))), 0);
    // Bisque at the right, the picture at the left, and the text clear of it.
    const QColor bisque(0xFF, 0xE4, 0xC4);
    QCOMPARE(QColor(pixelAt(dialog.messageLabel, QPoint(350, 4))), bisque);
    const QRect picture = dialog.messageLabel->pictureRect();
    QVERIFY(picture.isValid());
    QVERIFY(dialog.messageLabel->contentsRect().left() >= picture.right());
    QVERIFY(QColor(pixelAt(dialog.messageLabel, picture.center())) != bisque);
    // The thin line runs round the whole label, picture included.
    for (const QPoint edge : {QPoint(0, 12), QPoint(354, 12), QPoint(picture.center().x(), 0),
                              QPoint(picture.center().x(), 23), QPoint(200, 0)})
        QCOMPARE(QColor(pixelAt(dialog.messageLabel, edge)), QColor(Qt::black));
}

// A question naming a long file is shown whole, the buttons in the middle.
void TstDialogs::yesNoWidensForALongQuestion()
{
    YesNo dialog;
    dialog.messageLabel->setText(u"「とても長い名前の歌のファイル.lrc」の歌詞のタイミングを-0.3秒移して上書き保存しますか？"_s);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog, Timeout));
    QVERIFY(dialog.width() > 376);
    QCOMPARE(dialog.height(), 66);
    QVERIFY(dialog.messageLabel->fontMetrics().horizontalAdvance(dialog.messageLabel->text())
            <= dialog.messageLabel->contentsRect().width());
    QCOMPARE(dialog.messageLabel->geometry().right(), dialog.width() - 12);
    // Where the design's 376 pixels have them: 106 + 261 = 376 - 9.
    QCOMPARE(dialog.yesButton->geometry().left() + dialog.noButton->geometry().right(), dialog.width() - 9);
    verifyCentred(&dialog);
}

void TstDialogs::yesNoEnterAnswersNo()
{
    YesNo dialog;
    dialog.messageLabel->setText(u"ファイルを削除しますか？"_s);
    QVERIFY(openActive(dialog));
    QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget(), dialog.noButton, Timeout);

    pressKey(Qt::Key_Return);
    QTRY_VERIFY_WITH_TIMEOUT(!dialog.isVisible(), Timeout);
    QCOMPARE(dialog.result(), int(QDialog::Rejected));

    // Tab reaches はい next, and Enter there answers yes.
    YesNo again;
    QVERIFY(openActive(again));
    QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget(), again.noButton, Timeout);
    pressKey(Qt::Key_Tab);
    QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget(), again.yesButton, Timeout);
    pressKey(Qt::Key_Return);
    QTRY_VERIFY_WITH_TIMEOUT(!again.isVisible(), Timeout);
    QCOMPARE(again.result(), int(QDialog::Accepted));
}

void TstDialogs::yesNoEscapeAnswersNo()
{
    YesNo dialog;
    QVERIFY(openActive(dialog));
    pressKey(Qt::Key_Escape);
    QTRY_VERIFY_WITH_TIMEOUT(!dialog.isVisible(), Timeout);
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
}

void TstDialogs::returnActsLikeSpace_data()
{
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<QString>("button");
    QTest::addColumn<Qt::Key>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<int>("result");
    const Qt::KeyboardModifiers none = Qt::NoModifier;
    QTest::newRow("はい, Return") << u"question"_s << u"yesButton"_s << Qt::Key_Return << none << int(QDialog::Accepted);
    QTest::newRow("はい, keypad Enter")
        << u"question"_s << u"yesButton"_s << Qt::Key_Enter << Qt::KeyboardModifiers(Qt::KeypadModifier)
        << int(QDialog::Accepted);
    QTest::newRow("はい, space") << u"question"_s << u"yesButton"_s << Qt::Key_Space << none << int(QDialog::Accepted);
    QTest::newRow("いいえ, Return") << u"question"_s << u"noButton"_s << Qt::Key_Return << none << int(QDialog::Rejected);
    QTest::newRow("OK, Return") << u"message"_s << u"okButton"_s << Qt::Key_Return << none << int(QDialog::Rejected);
    QTest::newRow("OK, Enter") << u"message"_s << u"okButton"_s << Qt::Key_Enter << none << int(QDialog::Rejected);
}

// The focused button goes down on the press and answers on the release; a
// repeated press or a release alone (the key was pressed before the dialog
// opened) answers nothing.
void TstDialogs::returnActsLikeSpace()
{
    QFETCH(QString, dialog);
    QFETCH(QString, button);
    QFETCH(Qt::Key, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(int, result);

    std::unique_ptr<QDialog> shown;
    if (dialog == u"message")
        shown = std::make_unique<MessageInfoBox>();
    else
        shown = std::make_unique<YesNo>();
    QVERIFY(openActive(*shown));
    auto* target = shown->findChild<QPushButton*>(button);
    target->setFocus();
    QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget(), target, Timeout);

    QTest::keyRelease(target, key, modifiers);
    QTest::qWait(20);
    QVERIFY(shown->isVisible());

    QTest::keyPress(target, key, modifiers);
    QVERIFY(target->isDown());
    QKeyEvent repeat(QEvent::KeyPress, key, modifiers, QString(), true);
    QApplication::sendEvent(target, &repeat);
    QTest::qWait(20);
    QVERIFY(shown->isVisible());
    QCOMPARE(shown->result(), 1000);

    QTest::keyRelease(target, key, modifiers);
    QTRY_VERIFY_WITH_TIMEOUT(!shown->isVisible(), Timeout);
    QCOMPARE(shown->result(), result);
}

void TstDialogs::yesNoButtons_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("result");
    QTest::newRow("はい") << u"yesButton"_s << int(QDialog::Accepted);
    QTest::newRow("いいえ") << u"noButton"_s << int(QDialog::Rejected);
}

void TstDialogs::yesNoButtons()
{
    QFETCH(QString, button);
    QFETCH(int, result);
    YesNo dialog;
    QVERIFY(openActive(dialog));
    QTest::mouseClick(dialog.findChild<QPushButton*>(button), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!dialog.isVisible(), Timeout);
    QCOMPARE(dialog.result(), result);
}

void TstDialogs::yesNoButtonColours()
{
    YesNo dialog;
    QVERIFY(openActive(dialog));
    const QPoint face(4, 4); // inside the border, away from the caption
    const QColor plain = pixelAt(dialog.yesButton, face);

    struct Case
    {
        QPushButton* button;
        QColor hover;
        QColor pressed;
    };
    const Case cases[] = {
        {dialog.yesButton, QColor(0xFF, 0xE4, 0xE1), QColor(0xFF, 0x45, 0x00)},
        {dialog.noButton, QColor(0x99, 0xB4, 0xD1), QColor(0x55, 0x6B, 0x2F)},
    };
    for (const Case& c : cases) {
        QTest::mouseMove(c.button);
        QTRY_VERIFY_WITH_TIMEOUT(c.button->underMouse(), Timeout);
        QTRY_COMPARE_WITH_TIMEOUT(QColor(pixelAt(c.button, face)), c.hover, Timeout);
        c.button->setDown(true);
        QCOMPARE(QColor(pixelAt(c.button, face)), c.pressed);
        c.button->setDown(false);
    }
    // Away from the buttons they return to their plain face.
    QTest::mouseMove(dialog.messageLabel);
    QTRY_VERIFY_WITH_TIMEOUT(!dialog.noButton->underMouse(), Timeout);
    QCOMPARE(QColor(pixelAt(dialog.noButton, face)), plain);
    dialog.done(QDialog::Rejected);
}

void TstDialogs::versionInfo()
{
    VersionInfo dialog;
    QCOMPARE(dialog.windowTitle(), u"バージョン情報"_s);
    QCOMPARE(dialog.size(), QSize(439, 138));
    QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
    QCOMPARE(dialog.windowType(), Qt::Tool);
    QVERIFY(!dialog.accessibleName().isEmpty());

    QCOMPARE(dialog.nameLabel->text(), u"   Murmelin"_s);
    QCOMPARE(dialog.nameLabel->geometry(), QRect(66, 8, 309, 54));
    const QFont nameFont = dialog.nameLabel->font();
    QCOMPARE(nameFont.families().first(), u"恋文ペン字"_s);
    QCOMPARE(nameFont.pointSizeF(), 20.25);
    QVERIFY(nameFont.bold() && nameFont.italic());
    QCOMPARE(dialog.nameLabel->palette().color(QPalette::WindowText), QColor(0xB9, 0xD1, 0xEA));
    QCOMPARE(dialog.nameLabel->frameShadow(), QFrame::Sunken);
    QVERIFY(!dialog.nameLabel->picture().isNull());

    QCOMPARE(dialog.versionLabel->text(), u"Version:1.0.0.1"_s);
    QCOMPARE(dialog.versionLabel->geometry(), QRect(53, 67, 333, 20));
    QCOMPARE(dialog.versionLabel->font().pointSizeF(), 12.0);
    QCOMPARE(dialog.companyLabel->geometry(), QRect(94, 95, 333, 20));
    QCOMPARE(dialog.descriptionLabel->geometry(), QRect(94, 115, 333, 20));

    // Every line is readable in full and speaks its own text.
    for (QLabel* label : dialog.findChildren<QLabel*>()) {
        QVERIFY(!label->text().trimmed().isEmpty());
        QVERIFY2(label->accessibleName().isEmpty(), qPrintable(label->objectName()));
        const int needed = QFontMetrics(label->font()).horizontalAdvance(label->text());
        QVERIFY2(needed <= label->contentsRect().width(), qPrintable(label->objectName()));
    }
    for (QLabel* label : {dialog.companyLabel, dialog.descriptionLabel}) {
        QVERIFY(label->alignment().testFlag(Qt::AlignRight));
        QCOMPARE(label->font().pointSizeF(), 9.75);
    }

    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog, Timeout));
    verifyCentred(&dialog);
}

void TstDialogs::prompterYesNo_data()
{
    QTest::addColumn<bool>("clickYes");
    QTest::addColumn<bool>("answer");
    QTest::newRow("はい clicked") << true << true;
    QTest::newRow("Enter at once") << false << false;
}

void TstDialogs::prompterYesNo()
{
    QFETCH(bool, clickYes);
    QFETCH(bool, answer);
    QWidget owner;
    DialogPrompter prompter(&owner);
    const QString question = u"テキスト・データを上書き保存しますか？"_s;
    QString asked;
    QWidget* shownOver = nullptr;

    ModalDriver driver([&](QWidget* modal) {
        auto* dialog = qobject_cast<YesNo*>(modal);
        if (!dialog)
            return;
        asked = dialog->messageLabel->text();
        shownOver = dialog->parentWidget();
        if (clickYes)
            QTest::mouseClick(dialog->yesButton, Qt::LeftButton);
        else
            pressKey(Qt::Key_Return);
    });
    QCOMPARE(prompter.YesNo(question), answer);
    QVERIFY(driver.acted());
    QVERIFY(!driver.forced());
    QCOMPARE(asked, question);
    QCOMPARE(shownOver, &owner);
}

void TstDialogs::prompterMessage()
{
    DialogPrompter prompter;
    QString shown;
    ModalDriver driver([&](QWidget* modal) {
        if (auto* box = qobject_cast<MessageInfoBox*>(modal))
            shown = box->fullText();
        pressKey(Qt::Key_Escape);
    });
    prompter.MessageInfoBox(u"ファイルが見つかりません。"_s);
    QVERIFY(driver.acted());
    QVERIFY(!driver.forced());
    QCOMPARE(shown, u"ファイルが見つかりません。"_s);
}

void TstDialogs::prompterStandardQuestion_data()
{
    // What the user does in the box: click a button, press Escape, or close
    // the window; the last two answer neither button.
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("answer");
    QTest::newRow("yes") << u"yes"_s << int(Prompter::Answer::Yes);
    QTest::newRow("no") << u"no"_s << int(Prompter::Answer::No);
    QTest::newRow("escape") << u"escape"_s << int(Prompter::Answer::Dismissed);
    QTest::newRow("window closed") << u"close"_s << int(Prompter::Answer::Dismissed);
}

void TstDialogs::prompterStandardQuestion()
{
    QFETCH(QString, action);
    QFETCH(int, answer);
    DialogPrompter prompter;
    QString title, text;
    ModalDriver driver([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (!box)
            return;
        title = box->windowTitle();
        text = box->text();
        if (action == u"yes")
            box->button(QMessageBox::Yes)->click();
        else if (action == u"no")
            box->button(QMessageBox::No)->click();
        else if (action == u"escape")
            pressKey(Qt::Key_Escape);
        else
            box->close();
    });
    QCOMPARE(int(prompter.StandardQuestion(u"貼り付けますか？"_s, u"貼り付け"_s)), answer);
    QVERIFY(driver.acted());
    QVERIFY(!driver.forced());
    QCOMPARE(title, u"貼り付け"_s);
    QCOMPARE(text, u"貼り付けますか？"_s);
}

void TstDialogs::prompterVersionInfo()
{
    DialogPrompter prompter;
    QString title;
    ModalDriver driver([&](QWidget* modal) {
        if (qobject_cast<VersionInfo*>(modal))
            title = modal->windowTitle();
        pressKey(Qt::Key_Escape);
    });
    prompter.VersionInfo();
    QVERIFY(driver.acted());
    QVERIFY(!driver.forced());
    QCOMPARE(title, u"バージョン情報"_s);
}

// The export dialog gives back what the user left in it, the name with its
// format's suffix; a cancel gives nothing.
void TstDialogs::prompterAudioExport_data()
{
    QTest::addColumn<bool>("cancelled");
    QTest::newRow("WAV under a new name") << false;
    QTest::newRow("cancelled") << true;
}

void TstDialogs::prompterAudioExport()
{
    QFETCH(bool, cancelled);
    QWidget owner;
    DialogPrompter prompter(&owner);
    Prompter::AudioExportChoices choices;
    choices.contents = u"テキスト全体（2行）を、内蔵の音声で読み上げて書き出します。"_s;
    choices.repetitionsText = u"繰り返しを入れる(&R)（今の回数は 1 回）"_s;
    choices.pausePossible = true;
    choices.voices = QStringList{u"自動"_s, u"英語（男性）"_s};
    choices.path = u"/tmp/音声.mp3"_s;
    choices.withSuffix = [](const QString& path, ExportFormat::Code format) {
        return path.section(u'.', 0, 0) + (format == ExportFormat::Wav ? u".wav"_s : u".mp3"_s);
    };
    choices.lrcPathFor = [](const QString& path) { return path.section(u'.', 0, 0) + u".lrc"_s; };
    QString lrcShown;
    bool repetitionsOffered = true;
    ModalDriver driver([&](QWidget* modal) {
        auto* dialog = qobject_cast<ExportDialog*>(modal);
        if (!dialog)
            return;
        repetitionsOffered = dialog->repetitionsBox()->isEnabled();
        dialog->wavButton()->click();
        dialog->fileNameBox()->setText(u"/tmp/lesson"_s);
        lrcShown = dialog->findChild<QLabel*>(u"exportLrcNameLabel"_s)->text();
        if (cancelled)
            pressKey(Qt::Key_Escape);
        else
            QTest::mouseClick(dialog->exportButton(), Qt::LeftButton);
    });
    const std::optional<Prompter::AudioExportChoices> chosen = prompter.AudioExportOptions(choices);
    QVERIFY(driver.acted());
    QVERIFY(!driver.forced());
    QVERIFY(!repetitionsOffered);
    QCOMPARE(lrcShown, u"同期テキスト: lesson.lrc"_s);
    QCOMPARE(chosen.has_value(), !cancelled);
    if (cancelled)
        return;
    QCOMPARE(chosen->format, ExportFormat::Wav);
    QCOMPARE(chosen->path, u"/tmp/lesson.wav"_s);
    QVERIFY(!chosen->withRepetitions);
    QVERIFY(chosen->withPause);
    QCOMPARE(chosen->contents, choices.contents);
}

QTEST_MAIN(TstDialogs)
#include "tst_dialogs.moc"
