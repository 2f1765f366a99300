#pragma once

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>

#include <functional>

inline constexpr int Timeout = 5000;

// Acts once on the next active modal dialog from inside its own event loop.
// Whatever is still modal when the time is up gets closed, so a dialog that
// never shows, or an action that fails to end it, fails the test instead of
// hanging it.
class ModalDriver
{
public:
    explicit ModalDriver(std::function<void(QWidget*)> action)
        : m_action(std::move(action))
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] { poll(); });
        m_timer.start(10);
        m_clock.start();
    }

    bool acted() const { return m_acted; }
    bool forced() const { return m_forced; }

private:
    void poll()
    {
        QWidget* modal = QApplication::activeModalWidget();
        const bool ready = modal && modal->isVisible() && modal->isActiveWindow();
        if (ready && !m_acted) {
            m_acted = true;
            m_action(modal);
        } else if (m_clock.elapsed() > Timeout && modal) {
            m_forced = true;
            if (auto* dialog = qobject_cast<QDialog*>(modal))
                dialog->done(-1);
            else
                modal->close();
        }
    }

    std::function<void(QWidget*)> m_action;
    QTimer m_timer;
    QElapsedTimer m_clock;
    bool m_acted = false;
    bool m_forced = false;
};
