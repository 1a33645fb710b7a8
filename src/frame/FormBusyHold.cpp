// SPDX-License-Identifier: GPL-3.0-or-later
// Busy windows: requests that would pull a window, or the whole program,
// away from under a handler that waits in a nested event loop are kept
// until the handler has returned.
#include "frame/Form.h"

#include <QApplication>

#include <utility>

namespace tickwell {

Form::BusyHold::BusyHold(Form& form) noexcept
    : m_form(form)
{
    ++m_form.m_busyHolds;
}

Form::BusyHold::~BusyHold()
{
    m_form.releaseHold();
}

void Form::releaseHold()
{
    if (--m_busyHolds > 0 || m_waitingActions.empty())
        return;
    // Queued, not run here: the handler that held the window is still on
    // the stack, and an unload would destroy the window under it.
    QMetaObject::invokeMethod(
        this, [this] { runWaitingActions(); }, Qt::QueuedConnection);
}

void Form::runWaitingActions()
{
    // Held again before the queued call came: the next release comes back.
    if (isBusy())
        return;
    const std::vector<std::function<void()>> actions = std::exchange(m_waitingActions, {});
    for (const std::function<void()>& action : actions)
        action();
}

void Form::whenIdle(std::function<void()> action)
{
    if (isBusy())
        m_waitingActions.push_back(std::move(action));
    else
        action();
}

void Form::whenNoneBusy(std::function<void()> action)
{
    if (Form* busy = busyForm()) {
        // Once that window is free, look again: another may be busy by then.
        busy->whenIdle([action = std::move(action)]() mutable { whenNoneBusy(std::move(action)); });
        return;
    }
    action();
}

Form* Form::busyForm()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* form = qobject_cast<Form*>(widget);
        if (form && form->isBusy())
            return form;
    }
    return nullptr;
}

} // namespace tickwell
