#include "dialogs/MessageInfoBox.h"
#include "dialogs/YesNo.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QtTest>

#include <memory>

using namespace Qt::StringLiterals;

// Runs on a real X server without a compositor (Xvfb): what the screen
// shows around the dialogs' controls must be the window underneath.
namespace {

constexpr int Timeout = 5000;
const QColor Backdrop(0x2E, 0x8B, 0x57);
const QColor Bisque(0xFF, 0xE4, 0xC4);

QImage screenShot()
{
    return QGuiApplication::primaryScreen()->grabWindow(0).toImage();
}

} // namespace

class TstSeeThrough : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void onlyControlsCoverTheWindowBelow_data();
    void onlyControlsCoverTheWindowBelow();
};

void TstSeeThrough::initTestCase()
{
    // The point is a real X server; the offscreen platform would prove nothing.
    QCOMPARE(QGuiApplication::platformName(), u"xcb"_s);
}

void TstSeeThrough::onlyControlsCoverTheWindowBelow_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("text");
    QTest::newRow("message, one line") << u"message"_s << u"ファイルが見つかりません。"_s;
    QTest::newRow("message, grown label") << u"message"_s << u"テキスト・データを保存しなくてもよいですか？"_s.repeated(3);
    QTest::newRow("question") << u"question"_s << u"ファイルを削除しますか？"_s;
}

void TstSeeThrough::onlyControlsCoverTheWindowBelow()
{
    QFETCH(QString, kind);
    QFETCH(QString, text);

    // A stand-in for the main window, in a colour no dialog uses.
    QWidget window;
    window.setWindowFlag(Qt::FramelessWindowHint);
    QPalette pal = window.palette();
    pal.setColor(QPalette::Window, Backdrop);
    window.setPalette(pal);
    window.setAutoFillBackground(true);
    window.setGeometry(window.screen()->geometry());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window, Timeout));

    std::unique_ptr<QDialog> dialog;
    QLabel* label = nullptr;
    if (kind == u"message") {
        auto* box = new MessageInfoBox(&window);
        box->setText(text);
        label = box->messageLabel;
        dialog.reset(box);
    } else {
        auto* question = new YesNo(&window);
        question->messageLabel->setText(text);
        label = question->messageLabel;
        dialog.reset(question);
    }
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog.get(), Timeout));

    // Wait until the label is on the screen, so the dialog has been painted.
    const QPoint labelSpot = label->mapToGlobal(QPoint(label->width() - 4, 4));
    QTRY_COMPARE_WITH_TIMEOUT(QColor(screenShot().pixel(labelSpot)), Bisque, Timeout);

    const QImage shot = screenShot();
    const QRect frame = dialog->frameGeometry();
    QRegion controls;
    for (QWidget* child : dialog->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (child->isVisible())
            controls += QRect(child->mapToGlobal(QPoint(0, 0)), child->size());
    QVERIFY(!controls.isEmpty());

    int wrong = 0;
    QString first;
    for (int y = frame.top(); y <= frame.bottom(); ++y) {
        for (int x = frame.left(); x <= frame.right(); ++x) {
            if (controls.contains(QPoint(x, y)))
                continue;
            const QColor seen(shot.pixel(x, y));
            if (seen != Backdrop && wrong++ == 0)
                first = u"(%1, %2) in the dialog is %3"_s.arg(x - frame.left()).arg(y - frame.top()).arg(seen.name());
        }
    }
    QVERIFY2(wrong == 0, qPrintable(u"%1 pixels hide the window below; %2"_s.arg(wrong).arg(first)));
}

QTEST_MAIN(TstSeeThrough)
#include "tst_seethrough.moc"
