#pragma once

#include <QPointer>
#include <QString>

class QMessageBox;

namespace tickwell {

// The message box styles the program uses, by their old style numbers.
enum class MessageStyle {
    Plain = 0, // OK, no icon
    Exclamation = 48, // OK, exclamation icon
    SystemModal = 4096, // OK, no icon, above the windows of every program
};

// Message boxes: the windows are given one, so that tests can record the
// boxes and answer them.
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // Shows `text` under `title` and returns once the user has closed the box.
    // Line breaks in the text are CR LF.
    virtual void MsgBox(const QString& text, MessageStyle style, const QString& title) = 0;
    // Brings the system-modal box on show, if one is, to the front with the
    // keyboard: the user asked for it from somewhere else on the desktop.
    virtual void raiseReminder() = 0;
};

class QtMessageBoxes final : public MessageBoxes {
public:
    void MsgBox(const QString& text, MessageStyle style, const QString& title) override;
    void raiseReminder() override;
    // Lays out a reminder box without showing it. The first box of a run
    // loads the fonts and the style, which takes a quarter of a second; done
    // beforehand, a reminder shows within milliseconds of its minute.
    void prepare();

private:
    QPointer<QMessageBox> m_reminder;
};

} // namespace tickwell
