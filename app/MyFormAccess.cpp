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
    for (QPushButton* b : {ui_.button2, ui_.button3, ui_.button4, ui_.button5, ui_.button6,
                           ui_.button9, ui_.button10, ui_.button30})
        b->setAccessibleName(b->toolTip());
    // Two buttons both show "Text"; each is named for its view.
    ui_.button20->setAccessibleName(u"テキスト一覧"_s);
    ui_.button12->setAccessibleName(u"テキスト表示"_s);

    auto* watcher = new SwitchWatcher(this);
    for (QPushButton* b : {ui_.button18, ui_.button20, ui_.button19, ui_.button31, ui_.button12,
                           ui_.button13, ui_.button26, ui_.button27, ui_.button28, ui_.button29}) {
        MarkFace(b, Face::ActiveColour);
        watcher->watch(b);
    }
    MarkFace(ui_.button30, Face::Caption);
    watcher->watch(ui_.button30);
    MarkFace(ui_.button9, Face::Value);
    MarkFace(ui_.button10, Face::Value);

    // Focus follows the window's rows: the top bar, the lists, the view
    // switches and the documents, the reading column with each popup slider
    // after its button, then the position bar and the range row.
    QWidget* const order[] = {
        ui_.button1, ui_.button25, ui_.button21, ui_.button22, ui_.button23, ui_.button24,
        ui_.button26, ui_.button27, ui_.button28, ui_.button29,
        ui_.button18, ui_.button20, ui_.button19, ui_.listView1, ui_.listView2, ui_.listView3,
        ui_.button31, ui_.button12, ui_.button13, ui_.comboBox3,
        ui_.textBox3, ui_.textBox1, ui_.textBox4, ui_.textBox2,
        ui_.button34, ui_.button32, ui_.button33, ui_.button10, ui_.button9,
        ui_.button2, ui_.button4, ui_.button5, ui_.button6, ui_.button3,
        ui_.button8, ui_.trackBar2, ui_.button7, ui_.trackBar1, ui_.button11, ui_.trackBar4,
        ui_.trackBar3, ui_.button30, ui_.button15, ui_.button16, ui_.button17, ui_.button14,
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
        for (QTreeWidget* view : {ui_.listView1, ui_.listView2, ui_.listView3}) {
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
            {ui_.trackBar1, ui_.button7, [this] { speech_->SpeechVolTrackBarDisp(); }},
            {ui_.trackBar2, ui_.button8, [this] { speech_->SpeechRateTrackBarDisp(); }},
            {ui_.trackBar4, ui_.button11, [this] { music_->MixerVolTrackBarDisp(); }},
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
    QTreeWidget* const views[] = {ui_.listView1, ui_.listView2, ui_.listView3};
    QTreeWidget* view = views[list];
    QTreeWidgetItem* row = view->currentItem();
    if (!row)
        return;
    // As a left click on the row: the selection is routed as an open. The
    // memory is put back afterwards, so the arrow keys keep only moving.
    const std::int32_t before = state_.MouseRightAndLeftButtonFlag;
    state_.MouseRightAndLeftButtonFlag = 2;
    if (row->isSelected())
        library_->SelectionChanged(list);
    else
        view->setCurrentItem(row, 0, QItemSelectionModel::ClearAndSelect);
    state_.MouseRightAndLeftButtonFlag = before;
}
