#include "frame/desktop/MessageBoxes.h"
#include "frame/desktop/Notifications.h"

namespace tickwell {

ReminderNotification::ReminderNotification(
    Notifications& notifications, MessageBoxes& boxes, const ReminderNotice& notice)
    : m_notifications(notifications)
    , m_notice(notifications.post(notice))
{
    m_raise = QObject::connect(&notifications, &Notifications::activated, [this, &boxes](int chosen) {
        if (chosen == m_notice)
            boxes.raiseReminder();
    });
}

ReminderNotification::~ReminderNotification()
{
    QObject::disconnect(m_raise);
    m_notifications.withdraw(m_notice);
}

} // namespace tickwell
