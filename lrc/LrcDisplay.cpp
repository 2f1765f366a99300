#include "lrc/LrcDisplay.h"

#include "platform/DesignFonts.h"
#include "platform/SystemColors.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>

using namespace Qt::StringLiterals;

namespace {

constexpr int kClientWidth = 824;
constexpr int kClientHeight = 212;
// The window's outer limits were 300 to 2000 wide and 250 high with its
// frame; the frame takes 16 × 38 of that, and the height stays the client's.
constexpr int kMinWidth = 300 - 16;
constexpr int kMaxWidth = 2000 - 16;
constexpr int kLabelX = 32;
constexpr int kLabelTop = 19;
constexpr int kLabelStep = 44;
constexpr int kLabelWidth = 790;
constexpr int kLabelHeight = 40;
constexpr int kButtonX = 2;
constexpr int kButtonSize = 30;

// A night-blue picture behind the lines, drawn once and stretched.
QPixmap BackgroundPicture()
{
    QPixmap picture(kClientWidth, kClientHeight);
    QPainter p(&picture);
    QLinearGradient g(0, 0, 0, kClientHeight);
    g.setColorAt(0.0, QColor(0x10, 0x18, 0x30));
    g.setColorAt(0.5, QColor(0x18, 0x28, 0x48));
    g.setColorAt(1.0, QColor(0x08, 0x0c, 0x18));
    p.fillRect(picture.rect(), g);
    return picture;
}

} // namespace

LrcDisplay::LrcDisplay(QWidget* owner)
    : QWidget(owner, Qt::Window), background_(BackgroundPicture())
{
    setObjectName(u"LrcDisplay"_s);
    setWindowTitle(u"同期テキスト・ディスプレイ"_s);
    setWindowIcon(QIcon());
    // Painted whole by paintEvent; the toolkit double-buffers it.
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(kClientWidth, kClientHeight);
    setMinimumSize(kMinWidth, kClientHeight);
    setMaximumSize(kMaxWidth, kClientHeight);

    const QFont font = DesignFont(u"Microsoft YaHei"_s, 18);
    const std::array<QColor, 4> colours{QColor(0x80, 0x80, 0x80), QColor(0xDC, 0xDC, 0xDC),
                                        QColor(0xA9, 0xA9, 0xA9), SystemColors::WindowFrame()};
    const std::array<QString, 4> roles{u"直前の行"_s, u"現在の行"_s, u"次の行"_s, u"その次の行"_s};
    // The tooltip is also what a screen reader says the label is for.
    const QString practice = u"\nこの行をクリックすると、この行を再生範囲にして繰り返し再生します。"
                             u"\nウィンドウを前面に出すだけのクリックでは変わりません。"_s;
    const std::array<QString, 4> kLabelNames{u"previousLineLabel"_s, u"currentLineLabel"_s, u"nextLineLabel"_s,
                                             u"afterNextLineLabel"_s};
    const std::array<QString, 4> kButtonNames{u"previousLineSpeakButton"_s, u"currentLineSpeakButton"_s,
                                              u"nextLineSpeakButton"_s, u"afterNextLineSpeakButton"_s};
    const std::array<QString, 4> speakNames{u"直前の行を読み上げ"_s, u"現在の行を読み上げ"_s,
                                            u"次の行を読み上げ"_s, u"その次の行を読み上げ"_s};
    LyricLineLabel** labelSlots[4] = {&previousLineLabel, &currentLineLabel, &nextLineLabel, &afterNextLineLabel};
    QPushButton** buttonSlots[4] = {&previousLineSpeakButton, &currentLineSpeakButton, &nextLineSpeakButton, &afterNextLineSpeakButton};
    for (int i = 0; i < 4; ++i) {
        auto* label = new LyricLineLabel(this);
        label->setObjectName(kLabelNames[size_t(i)]);
        label->setFont(font);
        label->setAlignment(Qt::AlignCenter);
        label->setTextFormat(Qt::PlainText);
        QPalette pal = label->palette();
        pal.setColor(QPalette::WindowText, colours[size_t(i)]);
        label->setPalette(pal);
        label->setToolTip(roles[size_t(i)] + practice);
        // A click on a line practises it.
        label->setCursor(Qt::PointingHandCursor);
        label->installEventFilter(this);
        *labelSlots[i] = label;

        auto* button = new QPushButton(this);
        button->setObjectName(kButtonNames[size_t(i)]);
        button->setIcon(QIcon(u":/icons/play.svg"_s));
        button->setStyleSheet(u"background-color: black; border: none;"_s);
        button->setAccessibleName(speakNames[size_t(i)]);
        button->setToolTip(speakNames[size_t(i)]);
        button->setGeometry(kButtonX, kLabelTop + i * kLabelStep + (kLabelHeight - kButtonSize) / 2,
                            kButtonSize, kButtonSize);
        connect(button, &QPushButton::clicked, this, [this, label] { emit speakRequested(label->text()); });
        *buttonSlots[i] = button;
    }
    resizeEvent(nullptr);

    // Beside the main window, not over its player controls.
    const QScreen* screen = owner && owner->isVisible() ? owner->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        QRect frame;
        QSize size = this->size();
        if (owner && owner->isVisible()) {
            frame = owner->frameGeometry();
            // Our frame will be as thick as the owner's.
            size += frame.size() - owner->size();
        }
        move(PlaceBeside(screen->availableGeometry(), frame, size));
    }
}

QPoint LrcDisplay::PlaceBeside(const QRect& screen, const QRect& owner, const QSize& size)
{
    if (owner.isValid()) {
        const int x = qBound(screen.left(), owner.x() + (owner.width() - size.width()) / 2,
                             qMax(screen.left(), screen.right() + 1 - size.width()));
        if (owner.bottom() + 1 + size.height() <= screen.bottom() + 1)
            return {x, owner.bottom() + 1};
        if (owner.top() - size.height() >= screen.top())
            return {x, owner.top() - size.height()};
    }
    return {screen.x() + (screen.width() - size.width()) / 2, screen.y() + (screen.height() - size.height()) / 2};
}

void LrcDisplay::Clear()
{
    for (LyricLineLabel* label : lines()) {
        label->clear();
        label->setSecondLine({});
        label->setWordHighlight(0, 0);
    }
}

bool LrcDisplay::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress
        && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        for (int i = 0; i < 4; ++i) {
            if (watched != labels()[size_t(i)])
                continue;
            // The click that brings the window forward leaves the range alone.
            const bool bringsForward = !isActiveWindow()
                                       || (activatedAt_.isValid() && activatedAt_.elapsed() < ActivationClickMs);
            if (bringsForward) {
                raise();
                activateWindow();
            } else {
                emit lineClicked(i);
            }
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void LrcDisplay::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange) {
        if (isActiveWindow())
            activatedAt_.start();
        else
            activatedAt_.invalidate();
    }
    QWidget::changeEvent(event);
}

void LrcDisplay::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.drawPixmap(rect(), background_);
}

void LrcDisplay::resizeEvent(QResizeEvent*)
{
    // The labels keep their distance to both sides.
    const int width = qMax(0, kLabelWidth + this->width() - kClientWidth);
    for (int i = 0; i < 4; ++i)
        labels()[size_t(i)]->setGeometry(kLabelX, kLabelTop + i * kLabelStep, width, kLabelHeight);
}

void LrcDisplay::closeEvent(QCloseEvent* event)
{
    emit closed();
    event->accept();
}
