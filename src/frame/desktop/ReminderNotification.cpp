// SPDX-License-Identifier: GPL-3.0-or-later
#include "frame/desktop/MessageBoxes.h"
#include "frame/desktop/Notifications.h"

namespace tickwell {

ReminderNotification::ReminderNotification(Notifications& notifications, MessageBoxes& boxes,
    const ReminderNotice& notice, std::function<void()> onDismissed)
    : m_notifications(notifications)
    , m_notice(notifications.post(notice))
{
    m_raise = QObject::connect(&notifications, &Notifications::activated, [this, &boxes](int chosen) {
        if (chosen == m_notice)
            boxes.raiseReminder();
    });
    m_snooze
        = QObject::connect(&notifications, &Notifications::snoozed, [this, &boxes](int chosen, int minutes) {
              // The first choice closes the box; another before it has gone
              // changes nothing.
              if (chosen != m_notice || m_snoozedFor)
                  return;
              m_snoozedFor = minutes;
              boxes.closeReminder();
          });
    m_dismiss = QObject::connect(
        &notifications, &Notifications::dismissed, [this, dismissed = std::move(onDismissed)](int chosen) {
            if (chosen == m_notice && dismissed)
                dismissed();
        });
}

ReminderNotification::~ReminderNotification()
{
    QObject::disconnect(m_raise);
    QObject::disconnect(m_snooze);
    QObject::disconnect(m_dismiss);
    m_notifications.withdraw(m_notice);
}

} // namespace tickwell
