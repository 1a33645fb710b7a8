// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "preferences/Preferences.h"

#include <QMetaObject>
#include <QObject>
#include <QString>

#include <array>
#include <functional>
#include <optional>

namespace tickwell {

class MessageBoxes;

// What a reminder's notification says: the reminder, and the entry text of
// the alarm, which tells when it was due; and what it offers: its buttons
// that ask for the reminder again so many minutes later.
struct ReminderNotice {
    QString reminder;
    QString entry;
    std::array<int, 2> snoozeMinutes = Preferences {}.snoozeMinutes;
};

// The desktop's notifications, beside the reminder box: the box may come up
// unseen (behind a full-screen window, where no window can keep itself above
// the others). The clock rings itself; a notice makes no sound of its own.
// The windows are given one, so that tests can record what is posted and
// play the user's part.
class Notifications : public QObject {
    Q_OBJECT

public:
    // Posts a notice and returns its number for this run. Returns at once:
    // nothing waits for the desktop.
    virtual int post(const ReminderNotice& notice) = 0;
    // Takes the notice off the desktop, if it is still there.
    virtual void withdraw(int notice) = 0;
    // A reminder is due within a minute: what posting it needs is made ready now.
    virtual void prepare() = 0;

Q_SIGNALS:
    // The user chose the notice itself, not one of its buttons or its close.
    void activated(int notice);
    // The user chose one of the notice's buttons that ask for the reminder
    // again in so many minutes.
    void snoozed(int notice, int minutes);
    // The user dismissed the notice: they have heard the alarm.
    void dismissed(int notice);
};

// A reminder's notice for as long as its box is open: posted when made,
// withdrawn when it goes. Choosing the notice brings the box to the front;
// dismissing it silences the ring (`onDismissed`) and leaves the box, which
// is what removes the alarm. Asking for the reminder again closes the box as
// its OK would, and is kept for the tick to set the new alarm once the old
// one is gone.
class ReminderNotification {
public:
    ReminderNotification(Notifications& notifications, MessageBoxes& boxes, const ReminderNotice& notice,
        std::function<void()> onDismissed);
    ~ReminderNotification();
    ReminderNotification(const ReminderNotification&) = delete;
    ReminderNotification& operator=(const ReminderNotification&) = delete;

    // In how many minutes the user asked for the reminder again, if they did.
    std::optional<int> snoozedFor() const { return m_snoozedFor; }

private:
    Notifications& m_notifications;
    int m_notice;
    std::optional<int> m_snoozedFor;
    QMetaObject::Connection m_raise;
    QMetaObject::Connection m_snooze;
    QMetaObject::Connection m_dismiss;
};

} // namespace tickwell
