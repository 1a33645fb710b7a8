// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

#include <functional>

class QString;
class QMessageLogContext;

namespace tickwell {

// The end of the display: the X server gone (a logout without a session
// manager, a crash) or the Wayland compositor. The toolkit's platform plugin
// says so in a warning and ends the process on the spot, from deep inside
// the event loop: exit() on X11, which then runs the destructors of static
// objects after the toolkit can no longer take them, and _exit() on
// Wayland. Neither returns to the event loop, so nothing can wait for it.
// While one of these lives, that warning instead runs `end` on the
// program's thread, there and then, and ends the process with status 0.
class DisplayLoss {
public:
    // `end` does, without the display and without the event loop, what the
    // session's end would: the clock's last writes.
    explicit DisplayLoss(std::function<void()> end);
    ~DisplayLoss();
    DisplayLoss(const DisplayLoss&) = delete;
    DisplayLoss& operator=(const DisplayLoss&) = delete;

    // Whether a message of the toolkit says the display's connection is lost.
    static bool saysDisplayLost(const QString& message);

private:
    static void onMessage(QtMsgType type, const QMessageLogContext& context, const QString& message);
    // Runs the end and ends the process; returns only when the end is already under way.
    void finish();

    std::function<void()> m_end;
    QtMessageHandler m_passOn = nullptr;
};

} // namespace tickwell
