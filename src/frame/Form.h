#pragma once

#include <QWidget>

namespace tickwell {

// A window of the program, with the life the windows rely on: created
// hidden, loaded once (its load handler runs), shown, shown modal, hidden,
// and unloaded (query-unload and unload handlers, then destroyed).
//
// The activate handler runs when the window becomes the program's active
// window: when it is shown, or when it is activated coming from another of
// the program's windows. Coming back from a message box, a menu or another
// program does not count.
class Form : public QWidget {
    Q_OBJECT

public:
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
    void Unload();

Q_SIGNALS:
    void loaded();
    void unloaded();
    void hidden();

protected:
    virtual void Form_Load() { }
    virtual void Form_Activate() { }
    virtual void Form_QueryUnload(bool& cancel) { (void)cancel; }
    virtual void Form_Unload() { }

    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    static Form* activeForm();
    void becomeActiveForm();

    bool m_loaded = false;
    bool m_unloaded = false;
    bool m_activeForm = false;
};

} // namespace tickwell
