// SPDX-License-Identifier: GPL-3.0-or-later
// frmMain's clock tick: the present-time caption, and the alarms whose time
// has come.
#include "editor/frmMain.h"

#include "alarms/AlarmEntry.h"
#include "alarms/AlarmRing.h"
#include "frame/Services.h"
#include "frame/dates/Clock.h"
#include "frame/dates/DateText.h"
#include "frame/desktop/AlarmSound.h"
#include "frame/desktop/MachineWake.h"
#include "frame/desktop/MessageBoxes.h"
#include "frame/desktop/Notifications.h"
#include "preferences/PreferencesStore.h"

#include <QScopeGuard>
#include <QScopedValueRollback>

#include <algorithm>
#include <chrono>
#include <optional>
#include <utility>

namespace tickwell {

namespace {

// A reminder box made ready this long ahead shows at once when its minute
// comes. A minute, and half a second more: the serials of two minutes a
// minute apart differ by a hair more than a minute's, and the tick at the
// start of the minute before, the only one while the clock sleeps between
// minutes, must find the alarm near.
constexpr double reminderLead = 60.5 / 86400.0;

DateValue startOfMinute(DateValue value)
{
    const DateParts p = value.parts();
    return DateValue::fromParts(p.year, p.month, p.day, p.hour, p.minute).value_or(value);
}

} // namespace

void frmMain::tmrTimer_Timer()
{
    const DateValue now = m_services.clock.now();
    lblCurrentTimeDate.setCaption(
        QStringLiteral("It is now : ") + QString::fromStdString(formatEntryPattern(now)));
    keepWatching(now);

    // Ticks go on while a reminder box is open. Only the tick that opened it
    // may scan the list: another would announce the same alarm again, or
    // remove rows from under it.
    if (m_scanningAlarms)
        return;
    const QScopedValueRollback scanning(m_scanningAlarms, true);
    // The index of one-shot rows lives for this scan only.
    const auto dropIndex = qScopeGuard([this] { m_oneShotRows.reset(); });
    // Neither the editor nor the program may end under a reminder on show.
    const BusyHold hold(*this);
    const RemovalBatch batch(*this);

    // Each check reads the clock afresh: after a box that stayed open a
    // while, the next alarm is judged by the time the box was closed.
    const DateValue scanStart = now;
    bool reminderNear = false;
    std::optional<DateValue> nextAlarm;
    int i = 0;
    while (i <= lstAlarms.listCount() - 1) {
        // Switched off from the tray while a reminder was open: the rest
        // waits until the clock is on again.
        if (!tmrTimer.enabled())
            break;
        const std::optional<DateValue> d = ParseAlarmEntry(lstAlarms.list(i));
        const DateValue present = m_services.clock.now();
        if (d && present >= *d) {
            // Announced whenever it fell due while the clock was on, in its
            // own minute or, after a sleep, a stop or a box left open, at
            // the first tick that finds it; silent only for an alarm that
            // fell due while the clock was off. A repeating alarm whose
            // occurrences came while the clock could not say so announces
            // the latest of them, once.
            keepWatching(present);
            const Announced due = dueAt(i, *d, present);
            const bool announce = fellDueWhileWatched(due.due);
            std::optional<int> snoozedFor;
            if (announce) {
                writePendingRemovals();
                m_reminderOnShow = i;
                m_dueOnShow = due.due;
                snoozedFor = announceAlarm(i, due);
                m_reminderOnShow.reset();
            }
            const QString reminder = snoozedFor ? lstReminders.list(i) : QString();
            // Read, it leaves the list, or its series moves on past it; come
            // while the clock was off, a series moves on to its next
            // occurrence to come.
            alarmHasCome(i, announce ? due.due : m_services.clock.now());
            // An announced alarm leaves the file as soon as its box is closed.
            if (announce)
                writePendingRemovals();
            // Asked for again: set once the alarm it follows is gone. It is
            // added at the end of the list, minutes ahead, so this scan
            // passes it by, and a later tick announces it at its minute.
            if (snoozedFor)
                snoozeAlarm(reminder, *snoozedFor);
            // The next alarm has moved up into row i, or the series' next
            // occurrence stands there.
        } else {
            reminderNear = reminderNear || (d && d->serial() - present.serial() <= reminderLead);
            if (d && (!nextAlarm || *d < *nextAlarm))
                nextAlarm = d;
            ++i;
        }
    }
    // Every alarm due by the start of this scan has been dealt with.
    if (tmrTimer.enabled()) {
        std::erase_if(m_earlierWatches, [scanStart](const Watch& watch) { return watch.until <= scanStart; });
        wakeMachineFor(nextAlarm);
    }
    if (reminderNear) {
        // The near alarm is the next, whose first moment the machine's wake
        // holds.
        const std::chrono::milliseconds comesIn = m_machineWake
            ? std::chrono::floor<std::chrono::milliseconds>(
                m_machineWake->moment - m_services.clock.instant())
            : std::chrono::milliseconds(0);
        m_services.messageBoxes.prepare(comesIn);
        m_services.notifications.prepare();
        m_services.sound.prepare();
    }
}

void frmMain::wakeMachineFor(std::optional<DateValue> nextAlarm)
{
    if (!nextAlarm) {
        cancelMachineWake();
        return;
    }
    // The same alarm, as at almost every tick: the timer stays as it is,
    // unless a new time zone has moved the alarm's moment. That is looked
    // at once a minute: each look converts a moment other than the
    // present, which the clock converts only once a second.
    const DateValue minute = startOfMinute(m_services.clock.now());
    if (m_machineWake && m_machineWake->alarm == *nextAlarm
        && (m_machineWake->lookedAt == minute
            || m_services.clock.localTime(m_machineWake->moment) == m_machineWake->shows)) {
        m_machineWake->lookedAt = minute;
        return;
    }
    const Clock::Instant moment = m_services.clock.firstMomentAt(*nextAlarm);
    const DateValue shows = m_services.clock.localTime(moment);
    const bool sameMoment = m_machineWake && m_machineWake->moment == moment;
    m_machineWake = MachineWakeTime { *nextAlarm, moment, shows, minute };
    if (!sameMoment)
        m_services.machineWake.wakeMachineAt(moment);
}

void frmMain::cancelMachineWake()
{
    if (std::exchange(m_machineWake, std::nullopt))
        m_services.machineWake.cancel();
}

void frmMain::startWatching(bool active)
{
    const DateValue now = m_services.clock.now();
    if (m_watchedSince)
        m_earlierWatches.push_back({ *m_watchedSince, now });
    m_watchedSince.reset();
    if (active)
        m_watchedSince = startOfMinute(now);
}

bool frmMain::fellDueWhileWatched(DateValue due) const
{
    if (m_watchedSince && due >= *m_watchedSince)
        return true;
    return std::any_of(m_earlierWatches.begin(), m_earlierWatches.end(),
        [due](const Watch& watch) { return due >= watch.since && due <= watch.until; });
}

void frmMain::keepWatching(DateValue now)
{
    // Set back, the wall clock would otherwise make the alarms set for the
    // repeated time look as if they fell due before watching began.
    if (!m_watchedSince || now < *m_watchedSince)
        m_watchedSince = startOfMinute(now);
}

void frmMain::reminderReadAtTheEnd()
{
    if (!m_reminderOnShow)
        return;
    // The tick that shows it waits in its box and will not return: its
    // removal is made here, as the tick would make it once the box closed.
    alarmHasCome(*std::exchange(m_reminderOnShow, std::nullopt), m_dueOnShow);
    writePendingRemovals();
}

frmMain::Announced frmMain::dueAt(int row, DateValue occurrence, DateValue present) const
{
    const std::optional<Series> series = seriesAt(row);
    if (!series)
        return { occurrence, 1, occurrence };
    const Catch caught = catchUp(*series, occurrence, present);
    Announced due { caught.latest, caught.passed, occurrence };
    // Those that came while the clock was off are not counted as missed.
    if (!fellDueWhileWatched(occurrence) && m_watchedSince) {
        const long long before
            = occurrencesBy(*series, *m_watchedSince) - (occurrenceIndex(*series, *m_watchedSince) ? 1 : 0);
        if (const std::optional<DateValue> since = nthOccurrence(*series, before);
            since && *since <= due.due) {
            due.since = *since;
            due.passed = occurrencesBy(*series, due.due) - before;
        }
    }
    return due;
}

std::optional<int> frmMain::announceAlarm(int row, const Announced& announced)
{
    const QString reminder = lstReminders.list(row);
    const QString entry = QString::fromStdString(alarmEntryText(announced.due));
    QString text = reminder + QStringLiteral("\r\n\r\n(") + entry + u')';
    if (announced.passed > 1)
        text += QStringLiteral("\r\n")
            + QString::fromStdString(missedOccurrencesNote(announced.passed, announced.since));
    // Heard and seen beyond the box, for as long as it is open: its ring
    // until it is answered, and its notification. Both start once the box
    // is on the screen: the sound system and the notification service they
    // wake must not hold up the box.
    std::optional<AlarmRing> ring;
    std::optional<ReminderNotification> notification;
    m_services.messageBoxes.MsgBox(
        text, MessageStyle::SystemModal, QStringLiteral("Tickwell Alarm Clock"), [&] {
            // Read afresh: a change in the Preferences window, or by hand,
            // counts from the next reminder on.
            const Preferences preferences = m_services.preferences.load();
            ring.emplace(m_services.sound, m_services.clock, preferences);
            notification.emplace(m_services.notifications, m_services.messageBoxes,
                ReminderNotice { reminder, entry, preferences.snoozeMinutes }, [&ring] { ring->silence(); });
        });
    return notification ? notification->snoozedFor() : std::nullopt;
}

} // namespace tickwell
