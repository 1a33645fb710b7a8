// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

#include <functional>
#include <initializer_list>
#include <vector>

namespace tickwell {

// A window of the program, with the life the windows rely on: created
// hidden, loaded once (its load handler runs), shown, shown modal, hidden,
// and unloaded (query-unload and unload handlers, then destroyed).
//
// The activate handler runs when the window becomes the program's active
// window: when it is shown, or when it is activated coming from another of
// the program's windows. Coming back from a message box, a menu or another
// program does not count.
//
// A window is busy while one of its handlers waits in a nested event loop,
// such as a message box: events, and with them requests to unload the
// window or to end the program, keep coming meanwhile. Such requests wait
// until the handler has returned; see BusyHold.
class Form : public QWidget {
    Q_OBJECT

public:
    // Holds the window busy for as long as it lives. Unloading a busy window
    // waits until the last hold has ended, and then runs from the event
    // loop, after the holding handler's stack has unwound: a handler is never
    // left running in a destroyed window.
    class BusyHold {
    public:
        explicit BusyHold(Form& form) noexcept;
        ~BusyHold();
        BusyHold(const BusyHold&) = delete;
        BusyHold& operator=(const BusyHold&) = delete;

    private:
        Form& m_form;
    };

    // Who asked for an unload: the program, or the user through the window
    // frame's close command (its close button, Alt+F4).
    enum class UnloadMode {
        Code,
        WindowFrame,
    };

    explicit Form(QWidget* parent = nullptr);
    ~Form() override;

    bool isLoaded() const noexcept { return m_loaded; }
    bool isUnloaded() const noexcept { return m_unloaded; }

    void Load();
    void Show();
    // Shows the window application-modal and returns once it is hidden (or
    // unloaded); events and timer ticks go on meanwhile.
    void ShowModal();
    void Hide();
    // Runs the query-unload handler (which may cancel), the unload handler,
    // stops the window's timers and hides it. The instance is destroyed by
    // whoever owns it, normally the window's program-wide reference.
    // A busy window is unloaded once it is free again.
    void Unload(UnloadMode mode = UnloadMode::Code);

    bool isBusy() const noexcept { return m_busyHolds > 0; }
    // Runs `action` now if the window is not busy, otherwise from the event
    // loop once its last hold has ended; waiting actions run in the order
    // they were given.
    void whenIdle(std::function<void()> action);
    // Runs `action` once no window of the program is busy: for ending the
    // program, which would otherwise also end the nested loop a handler
    // waits in.
    static void whenNoneBusy(std::function<void()> action);
    // A window that is busy, if one is.
    static Form* busyForm();

Q_SIGNALS:
    void loaded();
    void unloaded();
    void hidden();

protected:
    // The Tab key goes through `controls` in this order.
    static void chainTabOrder(std::initializer_list<QWidget*> controls);

    virtual void Form_Load() { }
    virtual void Form_Activate() { }
    virtual void Form_QueryUnload(bool& cancel, UnloadMode mode)
    {
        (void)cancel;
        (void)mode;
    }
    virtual void Form_Unload() { }

    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    static Form* activeForm();
    void becomeActiveForm();
    void releaseHold();
    void runWaitingActions();

    bool m_loaded = false;
    bool m_unloaded = false;
    bool m_activeForm = false;
    int m_busyHolds = 0;
    std::vector<std::function<void()>> m_waitingActions;
};

} // namespace tickwell
