// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <chrono>
#include <functional>
#include <memory>
#include <vector>

class QMessageBox;

namespace tickwell {

// The message box styles the program uses, by their old style numbers.
enum class MessageStyle {
    Plain = 0, // OK, no icon
    Exclamation = 48, // OK, exclamation icon
    SystemModal = 4096, // OK, no icon, above the windows of every program
    Question = 32, // a button for each choice, question mark icon
};

// Message boxes: the windows are given one, so that tests can record the
// boxes and answer them.
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // Shows `text` under `title` and returns once the user has closed the box.
    // Line breaks in the text are CR LF. `onScreen`, where given, runs once
    // the box is on the screen (at the latest a quarter of a second after it
    // was shown), while it waits for the user: what goes with a box must not
    // hold it up.
    virtual void MsgBox(
        const QString& text, MessageStyle style, const QString& title, const std::function<void()>& onScreen)
        = 0;
    void MsgBox(const QString& text, MessageStyle style, const QString& title)
    {
        MsgBox(text, style, title, {});
    }
    // Asks `text` under `title` with a button for each of `choices`: the
    // first is the default, the last the one Escape and the window's close
    // button choose. Returns the index of the choice, once the user has made
    // it; the last once the program is ending (closeAll()).
    virtual int Ask(const QString& text, const QString& title, const QStringList& choices) = 0;
    // Brings the system-modal box on show, if one is, to the front with the
    // keyboard: the user asked for it from somewhere else on the desktop.
    virtual void raiseReminder() = 0;
    // Closes the system-modal box on show, if one is, as its OK would: the
    // user answered it from somewhere else on the desktop.
    virtual void closeReminder() = 0;
    // A reminder is due within a minute, `comesIn` from now: whatever its
    // box needs the first time (fonts, style, icons) is made ready now, and
    // the rest just before it comes, so that the box shows within
    // milliseconds of its minute. Shows nothing.
    virtual void prepare(std::chrono::milliseconds comesIn) = 0;
    // The program is ending: every box on show is closed as its OK would
    // close it, and a box asked for from now on is not shown; its text goes
    // to standard error instead. A service manager or a logout gives a
    // program seconds, not until the user comes back to the screen.
    virtual void closeAll() = 0;
};

class QtMessageBoxes final : public MessageBoxes {
public:
    QtMessageBoxes();
    ~QtMessageBoxes() override;
    QtMessageBoxes(const QtMessageBoxes&) = delete;
    QtMessageBoxes& operator=(const QtMessageBoxes&) = delete;

    using MessageBoxes::MsgBox;
    void MsgBox(const QString& text, MessageStyle style, const QString& title,
        const std::function<void()>& onScreen) override;
    int Ask(const QString& text, const QString& title, const QStringList& choices) override;
    void raiseReminder() override;
    void closeReminder() override;
    // Lays out a reminder box and makes its window, without showing it; the
    // next reminder takes it. The first box of a run loads the fonts, the
    // style and the button's icon from the icon theme, a quarter of a second
    // and about 1.5 MB: done a minute ahead, not at start-up, a clock with no
    // alarm near does not carry them. A moment before the reminder comes,
    // the box's window goes to the middle of the screen.
    void prepare(std::chrono::milliseconds comesIn) override;
    void closeAll() override;

private:
    void show(QMessageBox& box, const QString& text, MessageStyle style, const QString& title,
        const std::function<void()>& onScreen);

    std::unique_ptr<QMessageBox> m_ready;
    QTimer m_placing;
    QPointer<QMessageBox> m_reminder;
    std::vector<QPointer<QMessageBox>> m_open;
    bool m_closed = false;
};

} // namespace tickwell
