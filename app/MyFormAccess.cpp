// The main window by keyboard and by screen reader: spoken names for buttons
// whose face is a symbol, checked states for the view and mode switches, the
// focus order, and the keys the controls do not handle themselves.

#include "app/MyForm.h"
#include "documents/TextView.h"
#include "library/LibraryController.h"
#include "music/MusicController.h"
#include "platform/SystemColors.h"
#include "speech/SpeechController.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTreeWidget>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

// How a marked button shows its state; kept as a property on the button so
// the accessible interface can be made for it whenever it is asked for.
constexpr char kFaceProperty[] = "murmelinFace";
enum class Face { ActiveColour = 1, Caption = 2, Value = 3 };

Face FaceOf(const QObject* button)
{
    return Face(button->property(kFaceProperty).toInt());
}

// On: painted in the highlight colour, or (a caption switch) showing its mark.
bool IsOn(const QPushButton* button)
{
    if (FaceOf(button) == Face::Caption)
        return !button->text().isEmpty();
    return SystemColors::BackColor(button) == SystemColors::ActiveCaption();
}

// A push button whose state is in its face: a switch reports itself as
// checkable and checked when on, a value button describes itself by its face.
// The button stays a plain push button, so its look and clicks are untouched.
class FaceButtonAccessible : public QAccessibleWidget
{
public:
    explicit FaceButtonAccessible(QPushButton* button)
        : QAccessibleWidget(button, QAccessible::Button)
    {
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && button()->accessibleName().isEmpty())
            return QString(button()->text()).remove(u'&');
        if (t == QAccessible::Description && FaceOf(button()) == Face::Value)
            return button()->text();
        return QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        if (FaceOf(button()) != Face::Value) {
            s.checkable = true;
            s.checked = IsOn(button());
        }
        s.pressed = button()->isDown();
        return s;
    }

    QStringList actionNames() const override
    {
        return QStringList{pressAction()} + QAccessibleWidget::actionNames();
    }

    void doAction(const QString& action) override
    {
        if (action == pressAction())
            button()->click();
        else
            QAccessibleWidget::doAction(action);
    }

private:
    QPushButton* button() const { return static_cast<QPushButton*>(widget()); }
};

QAccessibleInterface* FaceButtonFactory(const QString&, QObject* object)
{
    auto* button = qobject_cast<QPushButton*>(object);
    if (button && button->property(kFaceProperty).isValid())
        return new FaceButtonAccessible(button);
    return nullptr;
}

// Tells screen readers when a switch turns on or off: the controllers change
// only its colour or caption, so watch for the repaint that follows.
class SwitchWatcher : public QObject
{
public:
    using QObject::QObject;

    void watch(QPushButton* button)
    {
        on_[button] = IsOn(button);
        button->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::PaletteChange || event->type() == QEvent::Paint) {
            auto* button = static_cast<QPushButton*>(watched);
            const bool on = IsOn(button);
            if (on != on_.value(button)) {
                on_[button] = on;
                QAccessible::State changed;
                changed.checked = true;
                QAccessibleStateChangeEvent notice(button, changed);
                QAccessible::updateAccessibility(&notice);
            }
        }
        return false;
    }

private:
    QHash<QObject*, bool> on_;
};

void MarkFace(QPushButton* button, Face face)
{
    static const bool installed = [] {
        QAccessible::installFactory(FaceButtonFactory);
        return true;
    }();
    Q_UNUSED(installed);
    button->setProperty(kFaceProperty, int(face));
    // An interface made before the mark would be the plain one; drop it so
    // the next query makes ours.
    if (QAccessibleInterface* made = QAccessible::queryAccessibleInterface(button);
        made && !dynamic_cast<FaceButtonAccessible*>(made))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
}

} // namespace

void MyForm::BuildKeyboardAndNames()
{
    // A face that is only a symbol, a count or a mode says nothing read
    // aloud: these buttons speak what they do, their tooltip's words.
    for (QPushButton* b : {ui_.lineUpButton, ui_.lineDownButton, ui_.readButton, ui_.readPauseButton, ui_.readStopButton,
                           ui_.readingModeButton, ui_.loopCountButton, ui_.rangePlayButton})
        b->setAccessibleName(b->toolTip());
    // Two buttons both show "Text"; each is named for its view.
    ui_.textListButton->setAccessibleName(u"テキスト一覧"_s);
    ui_.textViewButton->setAccessibleName(u"テキスト表示"_s);

    auto* watcher = new SwitchWatcher(this);
    for (QPushButton* b : {ui_.allListButton, ui_.textListButton, ui_.musicListButton, ui_.artViewButton, ui_.textViewButton,
                           ui_.lrcViewButton, ui_.repeatOneButton, ui_.inOrderButton, ui_.inOrderLoopButton, ui_.randomPlayButton}) {
        MarkFace(b, Face::ActiveColour);
        watcher->watch(b);
    }
    MarkFace(ui_.rangePlayButton, Face::Caption);
    watcher->watch(ui_.rangePlayButton);
    MarkFace(ui_.readingModeButton, Face::Value);
    MarkFace(ui_.loopCountButton, Face::Value);

    // Focus follows the window's rows: the top bar, the lists, the view
    // switches and the documents, the reading column with each popup slider
    // after its button, then the position bar and the range row.
    QWidget* const order[] = {
        ui_.listFolderButton, ui_.previousSongButton, ui_.musicPlayButton, ui_.musicPauseButton, ui_.musicStopButton, ui_.nextSongButton,
        ui_.repeatOneButton, ui_.inOrderButton, ui_.inOrderLoopButton, ui_.randomPlayButton,
        ui_.allListButton, ui_.textListButton, ui_.musicListButton, ui_.allFileList, ui_.textFileList, ui_.musicList,
        ui_.artViewButton, ui_.textViewButton, ui_.lrcViewButton, ui_.artFitBox,
        ui_.textNameBox, ui_.textView, ui_.lrcNameBox, ui_.lrcView,
        ui_.lineEndCheckButton, ui_.saveButton, ui_.undoButton, ui_.loopCountButton, ui_.readingModeButton,
        ui_.lineUpButton, ui_.readButton, ui_.readPauseButton, ui_.readStopButton, ui_.lineDownButton,
        ui_.speechSpeedButton, ui_.speechSpeedSlider, ui_.speechVolumeButton, ui_.speechVolumeSlider, ui_.masterVolumeButton, ui_.masterVolumeSlider,
        ui_.musicPositionSlider, ui_.rangePlayButton, ui_.rangeStartSetButton, ui_.rangeStartClearButton, ui_.rangeEndClearButton, ui_.rangeEndSetButton,
    };
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
}

bool MyForm::KeyboardEvent(QWidget* target, QKeyEvent* key)
{
    const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
    if (modifiers != Qt::NoModifier)
        return false;

    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
        // Return presses a focused button as space does.
        if (auto* button = qobject_cast<QPushButton*>(target)) {
            if (!key->isAutoRepeat())
                button->animateClick();
            return true;
        }
        int list = 0;
        for (QTreeWidget* view : {ui_.allFileList, ui_.textFileList, ui_.musicList}) {
            if (target == view) {
                OpenListRow(list);
                return true;
            }
            ++list;
        }
        return false;
    }

    if (key->key() == Qt::Key_Escape) {
        // Escape closes a popup slider, from the slider or its button, the
        // way its button does, and leaves the focus on that button.
        const struct {
            QSlider* slider;
            QPushButton* button;
            std::function<void()> toggle;
        } popups[] = {
            {ui_.speechVolumeSlider, ui_.speechVolumeButton, [this] { speech_->SpeechVolTrackBarDisp(); }},
            {ui_.speechSpeedSlider, ui_.speechSpeedButton, [this] { speech_->SpeechRateTrackBarDisp(); }},
            {ui_.masterVolumeSlider, ui_.masterVolumeButton, [this] { music_->MixerVolTrackBarDisp(); }},
        };
        for (const auto& p : popups) {
            if ((target == p.slider || target == p.button) && p.slider->isVisible()) {
                p.toggle();
                if (p.button->isVisible())
                    p.button->setFocus(Qt::OtherFocusReason);
                return true;
            }
        }
    }
    return false;
}

void MyForm::OpenListRow(int list)
{
    QTreeWidget* const views[] = {ui_.allFileList, ui_.textFileList, ui_.musicList};
    QTreeWidget* view = views[list];
    QTreeWidgetItem* row = view->currentItem();
    if (!row)
        return;
    // As a left click on the row: the selection is routed as an open. The
    // memory is put back afterwards, so the arrow keys keep only moving.
    const std::int32_t before = state_.lastClickButton;
    state_.lastClickButton = ClickButton::Left;
    if (row->isSelected())
        library_->SelectionChanged(list);
    else
        view->setCurrentItem(row, 0, QItemSelectionModel::ClearAndSelect);
    state_.lastClickButton = before;
}
