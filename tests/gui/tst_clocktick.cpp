// SPDX-License-Identifier: GPL-3.0-or-later
// The clock tick: the present-time caption, which alarms are announced and
// which removed, and what may happen while a reminder box is open: commands
// from another start of the program included.
#include "support/Alarms.h"
#include "support/ProgramUnderTest.h"

#include "alarms/AlarmFileFormat.h"
#include "alarms/AlarmRing.h"
#include "alarms/SeriesFileFormat.h"
#include "frame/desktop/WallClockWakes.h"

#include <QEventLoop>
#include <QPointer>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <sys/stat.h>

using namespace tickwell;
using namespace tickwell::test;

namespace {

// Alarms on Saturday 5 October 2030.
std::string october5(int hour, int minute, const std::string& reminder)
{
    return record(2030, 10, 5, hour, minute, reminder);
}

QString reminderBox(const QString& reminder, const QString& entry)
{
    return reminder + "\r\n\r\n(" + entry + ")";
}

ino_t inode(const std::filesystem::path& path)
{
    struct stat info { };
    return ::stat(path.c_str(), &info) == 0 ? info.st_ino : 0;
}

// Lets events happen as a real box's own event loop would; returns how
// that loop ended (7: it ran its time, rather than being quit from outside).
int runNestedLoop(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, [&loop] { loop.exit(7); });
    return loop.exec();
}

// A repeating alarm's line in "Alarm.repeat".
std::string seriesLine(RepeatRule rule, DateValue first, const std::string& reminder)
{
    return formatSeriesLine({ *startSeries(rule, first), reminder });
}

std::string repeatsOf(const ProgramUnderTest& program)
{
    std::filesystem::path path = program.alarmPath();
    return readFile(path.replace_extension(".repeat"));
}

void writeRepeats(const ProgramUnderTest& program, const std::string& lines)
{
    std::filesystem::path path = program.alarmPath();
    writeFile(path.replace_extension(".repeat"), lines);
}

// The zone named, for as long as it lives.
class InZone {
public:
    explicit InZone(const char* zone)
        : m_was(qgetenv("TZ"))
        , m_wasSet(qEnvironmentVariableIsSet("TZ"))
    {
        qputenv("TZ", zone);
        ::tzset();
    }
    ~InZone()
    {
        m_wasSet ? qputenv("TZ", m_was) : qunsetenv("TZ");
        ::tzset();
    }
    InZone(const InZone&) = delete;
    InZone& operator=(const InZone&) = delete;

private:
    QByteArray m_was;
    bool m_wasSet;
};

} // namespace

class ClockTickTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void captionShowsThePresentDateAndTime();
    void aTickWithoutDueAlarmsOnlyRewritesTheCaption();
    void anAlarmIsAnnouncedAtItsMinuteThenRemoved();
    void alarmsDueWhileTheClockWasOffGoSilently_data();
    void alarmsDueWhileTheClockWasOffGoSilently();
    void anAlarmWhoseMinuteNoTickSawIsAnnouncedLate_data();
    void anAlarmWhoseMinuteNoTickSawIsAnnouncedLate();
    void theSpringForwardGapIsNoHidingPlace();
    void aRepeatingAlarmKeepsItsMinuteAcrossTheNightsTheClocksChange();
    void aWeekdayAlarmComesFridayThenMondayNotSaturday();
    void aRepeatingAlarmMissedInASleepIsAnnouncedOnceAndGoesOn();
    void aRepeatingAlarmTakesOverTheOneShotAlarmOfItsNextOccurrence();
    void anAlarmDueWhileABoxIsOpenFollowsIt_data();
    void anAlarmDueWhileABoxIsOpenFollowsIt();
    void switchedOffDuringABoxTheRestWait();
    void choosingTheNotificationRaisesItsOwnBox();
    void aReminderRingsLouderAndLouderUntilAnswered();
    void theRingEndsWithItsRingTimeOrWhenTheNoticeIsDismissed();
    void snoozedFromTheNotificationItComesBackLater();
    void aSnoozeThatCannotBeSavedIsSaid();
    void aRowThatDoesNotParseIsNeverDue();
    void aTickDuringAnOpenBoxOnlyRefreshesTheCaption();
    void shutdownAskedForDuringABoxWaitsForIt_data();
    void shutdownAskedForDuringABoxWaitsForIt();
    void theEditorClosedByItsFrameDuringABoxIsOnlyHidden();
    void hiddenTheClockSleepsFromMinuteToMinute();
    void aSleepingMachineWakesForTheNextAlarm();
    void theWallClockWakesComeAtTheirMomentAndWithANewZone();
};

void ClockTickTest::captionShowsThePresentDateAndTime()
{
    ProgramUnderTest program;
    program.start();
    program.clock.set(2002, 3, 8, 21, 5, 0);
    program.editor().tmrTimer_Timer();
    QCOMPARE(program.editor().lblCurrentTimeDate.caption(), "It is now : 9:05 PM  Friday, March 8, 2002");
    program.clock.set(1998, 10, 5, 0, 30, 59);
    program.editor().tmrTimer_Timer();
    QCOMPARE(program.editor().lblCurrentTimeDate.caption(), "It is now : 12:30 AM  Monday, October 5, 1998");
}

void ClockTickTest::aTickWithoutDueAlarmsOnlyRewritesTheCaption()
{
    {
        ProgramUnderTest program;
        program.start();
        program.editor().tmrTimer_Timer();
        QVERIFY(!std::filesystem::exists(program.alarmPath()));
    }
    ProgramUnderTest program;
    const std::string alarms = october5(9, 31, "a") + october5(9, 45, "b");
    program.writeAlarmFile(alarms);
    program.clock.set(2030, 10, 5, 9, 29, 59);
    program.start();
    frmMain& editor = program.editor();
    editor.lstAlarms.setListIndex(1);
    const ino_t before = inode(program.alarmPath());

    // The reminder box and its sound are made ready once an alarm is a
    // minute away, not before.
    editor.tmrTimer_Timer();
    QCOMPARE(program.messageBoxes.prepared, 0);
    QCOMPARE(program.notifications.prepared, 0);
    QCOMPARE(program.sound.prepared, 0);
    // The tick right at the start of the minute before is the one a
    // sleeping clock has.
    program.clock.set(2030, 10, 5, 9, 30, 0);
    editor.tmrTimer_Timer();
    QVERIFY(program.messageBoxes.prepared > 0);
    QVERIFY(program.notifications.prepared > 0);
    QVERIFY(program.sound.prepared > 0);
    // The box is told when its reminder comes: its last steps are taken
    // just before.
    QCOMPARE(program.messageBoxes.lastComesIn, std::chrono::seconds(60));
    program.clock.set(2030, 10, 5, 9, 30, 59);
    editor.tmrTimer_Timer();
    QCOMPARE(program.messageBoxes.lastComesIn, std::chrono::seconds(1));
    QVERIFY(program.messageBoxes.prepared > 0);
    QVERIFY(program.notifications.prepared > 0);
    QCOMPARE(editor.lstAlarms.listCount(), 2);
    QCOMPARE(editor.lstAlarms.listIndex(), 1);
    QVERIFY(program.messageBoxes.shown.empty());
    QCOMPARE(inode(program.alarmPath()), before);
    QCOMPARE(program.alarmFile(), alarms);
}

void ClockTickTest::anAlarmIsAnnouncedAtItsMinuteThenRemoved()
{
    ProgramUnderTest program;
    const std::string later = october5(10, 0, "later");
    program.writeAlarmFile(october5(9, 31, "Dentist") + later);
    program.clock.set(2030, 10, 5, 9, 30, 0);
    program.start();
    frmMain& editor = program.editor();
    // Whatever the user had selected is not selected afterwards.
    editor.lstAlarms.setListIndex(1);

    program.clock.set(2030, 10, 5, 9, 30, 59);
    editor.tmrTimer_Timer();
    QVERIFY(program.messageBoxes.shown.empty());

    program.clock.set(2030, 10, 5, 9, 31, 0);
    bool keptWhileOpen = false;
    QList<int> notifiedWhileOpen;
    program.messageBoxes.whileOpen = [&](const ShownBox&) {
        keptWhileOpen
            = editor.lstAlarms.listCount() == 2 && program.alarmFile().starts_with("#2030-10-05 09:31");
        notifiedWhileOpen = program.notifications.showing();
    };
    editor.tmrTimer_Timer();
    QCOMPARE(program.messageBoxes.shown.size(), 1u);
    const ShownBox& box = program.messageBoxes.shown.front();
    QCOMPARE(box.text, reminderBox("Dentist", "9:31 AM  Saturday, October 5, 2030"));
    QCOMPARE(box.style, MessageStyle::SystemModal);
    QCOMPARE(box.title, "Tickwell Alarm Clock");
    QVERIFY(keptWhileOpen);
    // On the desktop's notifications too, while the box is open.
    QCOMPARE(notifiedWhileOpen, QList<int> { 1 });
    QCOMPARE(program.notifications.calls, QStringList({ "post 1", "withdraw 1" }));
    QCOMPARE(program.notifications.posted[0].reminder, "Dentist");
    QCOMPARE(program.notifications.posted[0].entry, "9:31 AM  Saturday, October 5, 2030");

    QCOMPARE(program.rows(editor.lstReminders), QStringList { "later" });
    QCOMPARE(program.rows(editor.lstAlarms), QStringList { "10:00 AM  Saturday, October 5, 2030" });
    QCOMPARE(editor.lstAlarms.listIndex(), -1);
    QCOMPARE(program.alarmFile(), later);

    // Gone for good: the next ticks find nothing more to announce.
    editor.tmrTimer_Timer();
    program.clock.advance(30);
    editor.tmrTimer_Timer();
    QCOMPARE(program.messageBoxes.shown.size(), 1u);
}

void ClockTickTest::alarmsDueWhileTheClockWasOffGoSilently_data()
{
    QTest::addColumn<QList<int>>("on"); // when the clock is switched on again
    QTest::addColumn<bool>("announced"); // the 9:31 alarm
    QTest::newRow("its minute passed") << QList<int> { 2030, 10, 5, 9, 35 } << false;
    QTest::newRow("next day") << QList<int> { 2030, 10, 6, 9, 31 } << false;
    QTest::newRow("next month") << QList<int> { 2030, 11, 5, 9, 31 } << false;
    QTest::newRow("next year") << QList<int> { 2031, 10, 5, 9, 31 } << false;
    QTest::newRow("next hour") << QList<int> { 2030, 10, 5, 10, 31 } << false;
    QTest::newRow("on again in its minute") << QList<int> { 2030, 10, 5, 9, 31 } << true;
}

void ClockTickTest::alarmsDueWhileTheClockWasOffGoSilently()
{
    QFETCH(QList<int>, on);
    QFETCH(bool, announced);
    ProgramUnderTest program;
    const std::string kept = record(2032, 1, 1, 8, 0, "kept");
    // (Three on one minute: a file edited by hand can hold such.)
    program.writeAlarmFile(october5(9, 31, "a") + october5(9, 31, "b") + october5(9, 31, "c") + kept);
    program.clock.set(2030, 10, 5, 9, 29, 0);
    program.start();
    program.editor().tmrTimer_Timer();
    forms::frmTaskbar->mnuPopupDeactivate_Click();
    program.clock.set(on[0], on[1], on[2], on[3], on[4], 20);
    forms::frmTaskbar->mnuPopupActivate_Click();
    const std::size_t writesBefore = program.editor().alarmFile().writeCount();
    program.editor().tmrTimer_Timer();
    QCOMPARE(program.messageBoxes.shown.size(), announced ? 3u : 0u);
    QCOMPARE(program.notifications.posted.size(), announced ? 3u : 0u);
    // Removed without a box in between, they are written away at once.
    QCOMPARE(program.editor().alarmFile().writeCount() - writesBefore, announced ? 3u : 1u);
    QCOMPARE(program.rows(program.editor().lstReminders), QStringList { "kept" });
    QCOMPARE(program.alarmFile(), kept);
}

void ClockTickTest::anAlarmWhoseMinuteNoTickSawIsAnnouncedLate_data()
{
    // Where the last tick before the gap was, and the first after it.
    QTest::addColumn<QList<int>>("before");
    QTest::addColumn<QList<int>>("after");
    QTest::newRow("asleep for an hour")
        << QList<int> { 2030, 10, 5, 9, 30, 59 } << QList<int> { 2030, 10, 5, 10, 31, 10 };
    QTest::newRow("stopped across both")
        << QList<int> { 2030, 10, 5, 9, 30, 59 } << QList<int> { 2030, 10, 5, 9, 45, 0 };
    QTest::newRow("wall clock set a day on")
        << QList<int> { 2030, 10, 5, 9, 0, 0 } << QList<int> { 2030, 10, 6, 9, 0, 0 };
}

void ClockTickTest::anAlarmWhoseMinuteNoTickSawIsAnnouncedLate()
{
    QFETCH(QList<int>, before);
    QFETCH(QList<int>, after);
    ProgramUnderTest program;
    const std::string later = record(2030, 10, 7, 8, 0, "later");
    program.writeAlarmFile(october5(9, 31, "first") + october5(9, 45, "second") + later);
    program.clock.set(before[0], before[1], before[2], before[3], before[4], before[5]);
    program.start();
    frmMain& editor = program.editor();
    editor.tmrTimer_Timer();
    QVERIFY(program.messageBoxes.shown.empty());

    std::vector<std::string> fileWhileOpen;
    program.messageBoxes.whileOpen = [&](const ShownBox&) { fileWhileOpen.push_back(program.alarmFile()); };
    program.clock.set(after[0], after[1], after[2], after[3], after[4], after[5]);
    editor.tmrTimer_Timer();

    // One after the other, in list order, each with the time it was due.
    QCOMPARE(program.messageBoxes.shown.size(), 2u);
    QCOMPARE(program.messageBoxes.shown[0].text, reminderBox("first", "9:31 AM  Saturday, October 5, 2030"));
    QCOMPARE(program.messageBoxes.shown[1].text, reminderBox("second", "9:45 AM  Saturday, October 5, 2030"));
    QCOMPARE(program.messageBoxes.shown[1].style, MessageStyle::SystemModal);
    // Each notified while its box was open, telling when it was due.
    QCOMPARE(program.notifications.calls, QStringList({ "post 1", "withdraw 1", "post 2", "withdraw 2" }));
    QCOMPARE(program.notifications.posted[1].reminder, "second");
    QCOMPARE(program.notifications.posted[1].entry, "9:45 AM  Saturday, October 5, 2030");
    // Each left the file as soon as its box was closed.
    QCOMPARE(fileWhileOpen[0], october5(9, 31, "first") + october5(9, 45, "second") + later);
    QCOMPARE(fileWhileOpen[1], october5(9, 45, "second") + later);
    QCOMPARE(program.alarmFile(), later);
    QCOMPARE(program.rows(editor.lstReminders), QStringList { "later" });
}

void ClockTickTest::theSpringForwardGapIsNoHidingPlace()
{
    // On 30 March 2031 Berlin's clocks go from 01:59:59 straight to 03:00:00:
    // an alarm for 02:30 has no minute of its own.
    const QByteArray zone = qgetenv("TZ");
    qputenv("TZ", "Europe/Berlin");
    ::tzset();
    const auto restore = qScopeGuard([&zone] {
        zone.isNull() ? qunsetenv("TZ") : qputenv("TZ", zone);
        ::tzset();
    });
    constexpr std::time_t lastSummerlessSecond = 1932598799; // 2031-03-30 00:59:59 UTC

    ProgramUnderTest program;
    program.writeAlarmFile(record(2031, 3, 30, 2, 30, "in the gap"));
    program.clock.setSystemTime(lastSummerlessSecond);
    QCOMPARE(program.clock.now(), at(2031, 3, 30, 1, 59, 59));
    program.start();
    program.editor().tmrTimer_Timer();
    QVERIFY(program.messageBoxes.shown.empty());

    program.clock.setSystemTime(lastSummerlessSecond + 1);
    QCOMPARE(program.clock.now(), at(2031, 3, 30, 3, 0, 0));
    program.editor().tmrTimer_Timer();
    QCOMPARE(program.messageBoxes.shown.size(), 1u);
    QCOMPARE(
        program.messageBoxes.shown[0].text, reminderBox("in the gap", "2:30 AM  Sunday, March 30, 2031"));
    QCOMPARE(program.alarmFile(), "");
}

void ClockTickTest::aRepeatingAlarmKeepsItsMinuteAcrossTheNightsTheClocksChange()
{
    // Every day at 2:30 in Berlin. On 30 March 2031 the clocks go from
    // 1:59:59 to 3:00:00, and on 26 October 2031 from 2:59:59 back to 2:00:00.
    const InZone berlin("Europe/Berlin");
    const std::string line = seriesLine({}, at(2031, 3, 1, 2, 30), "Feed the cat");
    ProgramUnderTest program;
    writeRepeats(program, line);
    program.writeAlarmFile(record(2031, 3, 30, 2, 30, "Feed the cat"));
    program.clock.setSystemTime(1932598799); // 0:59:59 UTC, 1:59:59 in Berlin
    program.start();
    frmMain& editor = program.editor();
    editor.tmrTimer_Timer();
    QVERIFY(program.messageBoxes.shown.empty());

    // Announced at the first minute after the gap, in the box's usual words;
    // then due at 2:30 again, not at 3:00.
    program.clock.setSystemTime(1932598800);
    QCOMPARE(program.clock.now(), at(2031, 3, 30, 3, 0, 0));
    editor.tmrTimer_Timer();
    QCOMPARE(program.messageBoxes.shown.size(), 1u);
    QCOMPARE(
        program.messageBoxes.shown[0].text, reminderBox("Feed the cat", "2:30 AM  Sunday, March 30, 2031"));
    QCOMPARE(program.alarmFile(), record(2031, 3, 31, 2, 30, "Feed the cat"));
    QCOMPARE(program.rows(editor.lstAlarms), QStringList { "2:30 AM  Monday, March 31, 2031" });
    QVERIFY(editor.repeatAt(0) == RepeatRule {});
    // Moving on wrote the alarm file alone.
    QCOMPARE(repeatsOf(program), line);

    // The night half past two comes twice: announced the first time only.
    editor.cmdClearAlarm_Click(1);
    QCOMPARE(repeatsOf(program), "");
    QCOMPARE(editor.setAlarm(at(2031, 10, 26, 2, 30), "Feed the cat", RepeatRule {}), QString());
    program.clock.setSystemTime(1950741000); // 0:30 UTC, 2:30 summer time
    editor.tmrTimer_Timer();
    QCOMPARE(program.messageBoxes.shown.size(), 2u);
    QCOMPARE(
        program.messageBoxes.shown[1].text, reminderBox("Feed the cat", "2:30 AM  Sunday, October 26, 2031"));
    for (std::time_t second = 1950741000 + 1; second <= 1950744600 + 120; second += 30) {
        program.clock.setSystemTime(second);
        editor.tmrTimer_Timer();
    }
    program.clock.setSystemTime(1950744600 + 120);
    editor.tmrTimer_Timer();
    QCOMPARE(program.clock.now(), at(2031, 10, 26, 2, 32, 0)); // the second 2:30 has gone by
    QCOMPARE(program.messageBoxes.shown.size(), 2u);
    QCOMPARE(program.alarmFile(), record(2031, 10, 27, 2, 30, "Feed the cat"));
}

void ClockTickTest::aWeekdayAlarmComesFridayThenMondayNotSaturday()
{
    RepeatRule weekdays;
    weekdays.unit = RepeatUnit::Week;
    weekdays.weekdays = mondayToFriday;
    ProgramUnderTest program;
    program.clock.set(2030, 10, 3, 20, 0, 0); // a Thursday evening
    program.start();
    frmMain& editor = program.editor();
    // Set on Thursday for Friday morning, the first of its days from then on.
    QCOMPARE(editor.setAlarm(at(2030, 10, 4, 7, 0), "Up", weekdays), QString());
    QCOMPARE(program.alarmFile(), record(2030, 10, 4, 7, 0, "Up"));
    QCOMPARE(repeatsOf(program),
        std::string(seriesFileHeading) + seriesLine(weekdays, at(2030, 10, 4, 7, 0), "Up"));

    QStringList announced;
    program.messageBoxes.whileOpen = [&](const ShownBox& box) { announced << box.text; };
    for (int day = 4; day <= 8; ++day) {
        for (const int hour : { 6, 7, 8 }) {
            program.clock.set(2030, 10, day, hour, 0, 5);
            editor.tmrTimer_Timer();
        }
    }
    QCOMPARE(announced,
        QStringList({ reminderBox("Up", "7:00 AM  Friday, October 4, 2030"),
            reminderBox("Up", "7:00 AM  Monday, October 7, 2030"),
            reminderBox("Up", "7:00 AM  Tuesday, October 8, 2030") }));
    QCOMPARE(program.alarmFile(), record(2030, 10, 9, 7, 0, "Up"));
    QVERIFY(editor.repeatAt(0) == weekdays);

    // A one-shot alarm set for Thursday at 7:00; Wednesday's moves the
    // series on to that minute too. Both are announced, one after the
    // other, and the series goes on.
    QCOMPARE(editor.setAlarm(at(2030, 10, 10, 7, 0), "Coffee"), QString());
    program.clock.set(2030, 10, 9, 7, 0, 5);
    editor.tmrTimer_Timer();
    QCOMPARE(program.alarmFile(), record(2030, 10, 10, 7, 0, "Up") + record(2030, 10, 10, 7, 0, "Coffee"));
    program.clock.set(2030, 10, 10, 7, 0, 5);
    editor.tmrTimer_Timer();
    QCOMPARE(announced.mid(3),
        QStringList({ reminderBox("Up", "7:00 AM  Wednesday, October 9, 2030"),
            reminderBox("Up", "7:00 AM  Thursday, October 10, 2030"),
            reminderBox("Coffee", "7:00 AM  Thursday, October 10, 2030") }));
    QCOMPARE(program.alarmFile(), record(2030, 10, 11, 7, 0, "Up"));

    // Skipped, the next comes; cleared, the series ends in both files.
    QCOMPARE(editor.skipOccurrence(0), QString());
    QCOMPARE(program.alarmFile(), record(2030, 10, 14, 7, 0, "Up")); // Friday's skipped
    QVERIFY(!editor.skipOccurrence(5).isEmpty());
    editor.lstAlarms.setListIndex(0);
    editor.cmdClearAlarm_Click(0);
    QCOMPARE(program.alarmFile(), "");
    QCOMPARE(repeatsOf(program), "");
    QCOMPARE(editor.lstRepeats.listCount(), 0);
}

void ClockTickTest::aRepeatingAlarmMissedInASleepIsAnnouncedOnceAndGoesOn()
{
    // Daily at 6:30 from Thursday 3 October; a one-shot alarm beside it.
    const std::string line = seriesLine({}, at(2030, 10, 3, 6, 30), "Pills");
    ProgramUnderTest program;
    writeRepeats(program, line);
    // Past at the start: moved on to its next to come, without a word.
    program.writeAlarmFile(record(2030, 10, 3, 6, 30, "Pills") + record(2030, 10, 9, 9, 0, "later"));
    program.clock.set(2030, 10, 3, 6, 31, 0);
    program.start();
    frmMain& editor = program.editor();
    QVERIFY(program.messageBoxes.shown.empty());
    QCOMPARE(program.alarmFile(), record(2030, 10, 4, 6, 30, "Pills") + record(2030, 10, 9, 9, 0, "later"));
    QCOMPARE(editor.alarmFile().writeCount(), 1u);

    // Asleep from Friday 6:00 to Sunday 8:00: Friday's, Saturday's and
    // Sunday's came. One box, the latest, and how many.
    program.clock.set(2030, 10, 4, 6, 0, 0);
    editor.tmrTimer_Timer();
    program.clock.set(2030, 10, 6, 8, 0, 0);
    editor.tmrTimer_Timer();
    QCOMPARE(program.messageBoxes.shown.size(), 1u);
    QCOMPARE(program.messageBoxes.shown[0].text,
        reminderBox("Pills", "6:30 AM  Sunday, October 6, 2030")
            + "\r\nMissed 3 times, the first at 6:30 AM  Friday, October 4, 2030.");
    QCOMPARE(program.notifications.posted[0].entry, "6:30 AM  Sunday, October 6, 2030");
    QCOMPARE(program.alarmFile(), record(2030, 10, 7, 6, 30, "Pills") + record(2030, 10, 9, 9, 0, "later"));

    // Snoozed: a one-shot alarm, and the series goes on.
    program.messageBoxes.whileOpen = [&](const ShownBox& box) {
        if (box.style == MessageStyle::SystemModal)
            program.notifications.snooze(program.notifications.showing().front(), 10);
    };
    program.clock.set(2030, 10, 7, 6, 30, 10);
    editor.tmrTimer_Timer();
    QCOMPARE(program.messageBoxes.shown.size(), 2u);
    QCOMPARE(program.alarmFile(),
        record(2030, 10, 8, 6, 30, "Pills") + record(2030, 10, 9, 9, 0, "later")
            + record(2030, 10, 7, 6, 40, "Pills"));
    QCOMPARE(program.rows(editor.lstRepeats),
        QStringList({ QString::fromStdString(formatSeriesFields(*startSeries({}, at(2030, 10, 3, 6, 30)))),
            "", "" }));
    program.messageBoxes.whileOpen = nullptr;

    // Switched off over its minute: on again, it moves on without a word.
    forms::frmTaskbar->mnuPopupDeactivate_Click();
    program.clock.set(2030, 10, 8, 12, 0, 0);
    forms::frmTaskbar->mnuPopupActivate_Click();
    editor.tmrTimer_Timer();
    // (The snooze fell due while the clock was off too, and went as well.)
    QCOMPARE(program.messageBoxes.shown.size(), 2u);
    QCOMPARE(program.alarmFile(), record(2030, 10, 9, 6, 30, "Pills") + record(2030, 10, 9, 9, 0, "later"));
    QCOMPARE(repeatsOf(program), line);
}

void ClockTickTest::aRepeatingAlarmTakesOverTheOneShotAlarmOfItsNextOccurrence()
{
    // Daily "Bins" at 8:00, and a one-shot "Bins" set for Sunday at 8:00 as
    // well: Sunday's reminder comes once, and the series goes on after it.
    ProgramUnderTest program;
    writeRepeats(program, seriesLine({}, at(2030, 10, 5, 8, 0), "Bins"));
    program.writeAlarmFile(
        october5(8, 0, "Bins") + record(2030, 10, 6, 8, 0, "Bins") + record(2030, 10, 6, 8, 0, "Paper"));
    program.clock.set(2030, 10, 5, 7, 59, 0);
    program.start();
    frmMain& editor = program.editor();
    QCOMPARE(program.rows(editor.lstRepeats).count(QString()), 2);
    program.clock.set(2030, 10, 5, 8, 0, 5);
    editor.tmrTimer_Timer();
    QCOMPARE(program.alarmFile(), record(2030, 10, 6, 8, 0, "Bins") + record(2030, 10, 6, 8, 0, "Paper"));
    QVERIFY(editor.seriesAt(0));
    QVERIFY(!editor.seriesAt(1));
    program.clock.set(2030, 10, 6, 8, 0, 5);
    editor.tmrTimer_Timer();
    QCOMPARE(program.messageBoxes.shown.size(), 3u);
    QCOMPARE(program.messageBoxes.shown[1].text, reminderBox("Bins", "8:00 AM  Sunday, October 6, 2030"));
    QCOMPARE(program.messageBoxes.shown[2].text, reminderBox("Paper", "8:00 AM  Sunday, October 6, 2030"));
    QCOMPARE(program.alarmFile(), record(2030, 10, 7, 8, 0, "Bins"));
}

void ClockTickTest::anAlarmDueWhileABoxIsOpenFollowsIt_data()
{
    QTest::addColumn<int>("closedAfter"); // seconds after 9:31:00
    QTest::addColumn<bool>("announcedBySameTick");
    QTest::newRow("closed at 9:31:40") << 40 << false;
    QTest::newRow("closed at 9:32:10") << 70 << true;
    QTest::newRow("closed at 9:33:05") << 125 << true;
}

void ClockTickTest::anAlarmDueWhileABoxIsOpenFollowsIt()
{
    QFETCH(int, closedAfter);
    QFETCH(bool, announcedBySameTick);
    ProgramUnderTest program;
    program.writeAlarmFile(october5(9, 31, "first") + october5(9, 32, "second"));
    program.clock.set(2030, 10, 5, 9, 30, 0);
    program.start();
    frmMain& editor = program.editor();
    program.messageBoxes.whileOpen = [&](const ShownBox& box) {
        if (box.text.startsWith("first"))
            program.clock.advance(closedAfter);
    };

    program.clock.set(2030, 10, 5, 9, 31, 0);
    editor.tmrTimer_Timer();
    QCOMPARE(program.messageBoxes.shown.size(), announcedBySameTick ? 2u : 1u);
    QCOMPARE(editor.lstAlarms.listCount(), announcedBySameTick ? 0 : 1);
    QCOMPARE(program.alarmFile(), announcedBySameTick ? "" : october5(9, 32, "second"));

    if (!announcedBySameTick) {
        program.clock.set(2030, 10, 5, 9, 31, 59);
        editor.tmrTimer_Timer();
        QCOMPARE(program.messageBoxes.shown.size(), 1u);
        program.clock.set(2030, 10, 5, 9, 32, 0);
        editor.tmrTimer_Timer();
        QCOMPARE(program.messageBoxes.shown.size(), 2u);
    }
    QStringList announced;
    for (const ShownBox& box : program.messageBoxes.shown)
        announced << box.text.section("\r\n", 0, 0);
    QCOMPARE(announced, QStringList({ "first", "second" }));
    QCOMPARE(program.messageBoxes.shown[1].text, reminderBox("second", "9:32 AM  Saturday, October 5, 2030"));
    QCOMPARE(editor.lstAlarms.listCount(), 0);
    QCOMPARE(program.alarmFile(), "");
}

void ClockTickTest::switchedOffDuringABoxTheRestWait()
{
    ProgramUnderTest program;
    const std::string second = october5(9, 32, "second");
    const std::string third = october5(9, 33, "third");
    program.writeAlarmFile(october5(9, 31, "first") + second + third);
    program.clock.set(2030, 10, 5, 9, 30, 0);
    program.start();
    frmMain& editor = program.editor();
    program.messageBoxes.whileOpen = [&](const ShownBox&) {
        program.clock.set(2030, 10, 5, 9, 32, 30);
        forms::frmTaskbar->mnuPopupDeactivate_Click();
    };
    program.clock.set(2030, 10, 5, 9, 31, 0);
    editor.tmrTimer_Timer();
    QCOMPARE(program.messageBoxes.shown.size(), 1u);
    QCOMPARE(program.alarmFile(), second + third);

    // On again in the second alarm's minute: announced. (Later, it would go
    // without a word, as any alarm due while the clock is off.) Off and on
    // again behind its box, after the third's minute went by with the clock
    // on: the third is owed its reminder all the same.
    program.messageBoxes.whileOpen = [&](const ShownBox& box) {
        if (!box.text.startsWith("second"))
            return;
        program.clock.set(2030, 10, 5, 9, 34, 10);
        forms::frmTaskbar->mnuPopupDeactivate_Click();
        forms::frmTaskbar->mnuPopupActivate_Click();
    };
    forms::frmTaskbar->mnuPopupActivate_Click();
    editor.tmrTimer_Timer();
    QCOMPARE(program.messageBoxes.shown.size(), 3u);
    QCOMPARE(program.messageBoxes.shown[2].text, reminderBox("third", "9:33 AM  Saturday, October 5, 2030"));
    QCOMPARE(program.alarmFile(), "");
}

void ClockTickTest::choosingTheNotificationRaisesItsOwnBox()
{
    ProgramUnderTest program;
    program.writeAlarmFile(october5(9, 31, "first") + october5(9, 31, "second"));
    program.clock.set(2030, 10, 5, 9, 30, 0);
    program.start();
    QList<int> raisedWhileOpen;
    program.messageBoxes.whileOpen = [&](const ShownBox&) {
        const int before = program.messageBoxes.raised;
        // A notice of an earlier box, long withdrawn, raises nothing.
        program.notifications.choose(program.notifications.showing().front() - 1);
        program.notifications.choose(program.notifications.showing().front());
        raisedWhileOpen << program.messageBoxes.raised - before;
    };
    program.clock.set(2030, 10, 5, 9, 31, 0);
    program.editor().tmrTimer_Timer();
    QCOMPARE(raisedWhileOpen, QList<int>({ 1, 1 }));
    QCOMPARE(program.notifications.showing(), QList<int> {});

    // With the boxes closed, a late choice raises nothing.
    program.notifications.choose(2);
    QCOMPARE(program.messageBoxes.raised, 2);
    QCOMPARE(program.alarmFile(), "");
}

void ClockTickTest::aReminderRingsLouderAndLouderUntilAnswered()
{
    // Two on one minute (a file edited by hand can hold such).
    ProgramUnderTest program;
    program.writeAlarmFile(october5(9, 31, "first") + october5(9, 31, "second"));
    program.clock.set(2030, 10, 5, 9, 30, 0);
    program.start();
    QStringList heardWhileTheFirstWasOpen;
    program.messageBoxes.whileOpen = [&](const ShownBox& box) {
        if (!box.text.startsWith("first"))
            return;
        // Each sound that ends is followed by the next, a pause later; the
        // test's clock moves on by as much as a sound and a pause take.
        for (int ring = 0; ring < 4; ++ring) {
            const std::size_t before = program.sound.played.size();
            program.clock.advance(10);
            program.sound.finish();
            if (!QTest::qWaitFor([&] { return program.sound.played.size() > before; }, 10000))
                break;
        }
        heardWhileTheFirstWasOpen = program.sound.calls;
    };
    program.clock.set(2030, 10, 5, 9, 31, 0);
    program.editor().tmrTimer_Timer();

    QCOMPARE(program.messageBoxes.shown.size(), 2u);
    // The first box's ring, sound after sound, then stopped as the box was
    // answered, before the second's began: one ring at a time.
    QCOMPARE(heardWhileTheFirstWasOpen, QStringList({ "play 1", "play 2", "play 3", "play 4", "play 5" }));
    QCOMPARE(program.sound.calls.mid(5), QStringList({ "stop 5", "play 6", "stop 6" }));
    // Soft at first, louder with each sound, and full half a minute on; the
    // next reminder starts soft again.
    QList<int> decibels;
    for (const double volume : program.sound.volumes())
        decibels << qRound(volume);
    QCOMPARE(decibels, QList<int>({ -30, -20, -10, 0, 0, -30 }));
    // The theme's alarm, as nothing else was chosen.
    QVERIFY(std::all_of(program.sound.played.begin(), program.sound.played.end(),
        [](const AlarmTone& tone) { return tone.file.empty(); }));
}

void ClockTickTest::theRingEndsWithItsRingTimeOrWhenTheNoticeIsDismissed()
{
    ProgramUnderTest program;
    program.writeAlarmFile(october5(9, 31, "first") + october5(9, 40, "second"));
    program.clock.set(2030, 10, 5, 9, 30, 0);
    program.preferences.kept.ringTime = std::chrono::minutes(1);
    program.preferences.kept.gentleStart = false;
    program.preferences.kept.sound = Preferences::Sound::File;
    program.preferences.kept.soundFile = "/home/me/wake up.oga";
    program.preferences.kept.snoozeMinutes = { 5, 120 };
    program.start();
    bool rangOnAfterTheRingTime = true;
    bool rangOnAfterTheDismissal = true;
    program.messageBoxes.whileOpen = [&](const ShownBox& box) {
        if (box.text.startsWith("first")) {
            program.clock.advance(50);
            program.sound.finish();
            if (!QTest::qWaitFor([&] { return program.sound.played.size() == 2; }, 10000))
                return;
            // A minute rung: the sound that ends then is the last; the box stays.
            program.clock.advance(10);
            program.sound.finish();
            QTest::qWait(int(AlarmRing::pause.count()) * 3 / 2);
            rangOnAfterTheRingTime = program.sound.played.size() != 2;
        } else {
            const int notice = program.notifications.showing().front();
            program.notifications.dismiss(notice - 1); // another notice's
            QCOMPARE(program.sound.calls.last(), "play 3");
            program.notifications.dismiss(notice);
            QCOMPARE(program.sound.calls.last(), "stop 3");
            program.sound.finish();
            QTest::qWait(int(AlarmRing::pause.count()) * 3 / 2);
            rangOnAfterTheDismissal = program.sound.played.size() != 3;
        }
    };
    program.clock.set(2030, 10, 5, 9, 31, 0);
    program.editor().tmrTimer_Timer();
    QVERIFY(!rangOnAfterTheRingTime);
    QCOMPARE(program.sound.calls, QStringList({ "play 1", "play 2" }));
    // As the user chose: their file, at full volume, and their snoozes.
    QCOMPARE(program.sound.played[0].file, "/home/me/wake up.oga");
    QCOMPARE(program.sound.volumes(), std::vector<double>({ 0.0, 0.0 }));
    QCOMPARE(program.notifications.posted[0].snoozeMinutes, (std::array { 5, 120 }));

    // Asked to ring once: one sound, whatever happens after it.
    program.preferences.kept.ringTime = std::chrono::minutes(0);
    program.clock.set(2030, 10, 5, 9, 40, 0);
    program.editor().tmrTimer_Timer();
    QVERIFY(!rangOnAfterTheDismissal);
    QCOMPARE(program.messageBoxes.shown.size(), 2u);
    QCOMPARE(program.sound.calls, QStringList({ "play 1", "play 2", "play 3", "stop 3" }));
}

void ClockTickTest::snoozedFromTheNotificationItComesBackLater()
{
    ProgramUnderTest program;
    const std::string taken = october5(10, 41, "taken") + october5(10, 42, "also taken");
    program.writeAlarmFile(october5(9, 31, "Dentist\r\nbring the card") + taken);
    program.clock.set(2030, 10, 5, 9, 30, 0);
    program.start();
    frmMain& editor = program.editor();
    int late = 0; // a notice already withdrawn, chosen while the next box is open
    int minutes = 60;
    std::vector<std::string> fileWhileOpen;
    program.messageBoxes.whileOpen = [&](const ShownBox& box) {
        if (box.style != MessageStyle::SystemModal)
            return;
        fileWhileOpen.push_back(program.alarmFile());
        if (late)
            program.notifications.snooze(late, 10);
        const int notice = program.notifications.showing().front();
        program.notifications.snooze(notice, minutes);
        // A second choice before the box has gone changes nothing.
        program.notifications.snooze(notice, 10);
    };

    // An hour after the start of the minute the box was answered in.
    program.clock.set(2030, 10, 5, 9, 31, 40);
    editor.tmrTimer_Timer();
    QCOMPARE(program.messageBoxes.shown.size(), 1u);
    QCOMPARE(program.messageBoxes.closedReminders, 1);
    QCOMPARE(program.notifications.calls, QStringList({ "post 1", "withdraw 1" }));
    // Snoozing answers the reminder: its ring stops with its box.
    QCOMPARE(program.sound.calls, QStringList({ "play 1", "stop 1" }));
    QCOMPARE(fileWhileOpen[0], october5(9, 31, "Dentist\r\nbring the card") + taken);
    QCOMPARE(program.alarmFile(), taken + october5(10, 31, "Dentist\r\nbring the card"));
    QCOMPARE(program.rows(editor.lstReminders),
        QStringList({ "taken", "also taken", "Dentist\r\nbring the card" }));

    // Announced at its minute like any other, and snoozed again: ten
    // minutes on are taken, so it goes to the next free minute.
    late = 1;
    minutes = 10;
    program.clock.set(2030, 10, 5, 10, 30, 59);
    editor.tmrTimer_Timer();
    QCOMPARE(program.messageBoxes.shown.size(), 1u);
    program.clock.set(2030, 10, 5, 10, 31, 0);
    editor.tmrTimer_Timer();
    QCOMPARE(program.messageBoxes.shown.size(), 2u);
    QCOMPARE(program.messageBoxes.shown[1].text,
        reminderBox("Dentist\r\nbring the card", "10:31 AM  Saturday, October 5, 2030"));
    QCOMPARE(program.messageBoxes.closedReminders, 2);
    const std::string snoozedTwice = taken + october5(10, 43, "Dentist\r\nbring the card");
    QCOMPARE(program.alarmFile(), snoozedTwice);

    // Chosen after its box was closed, the notice asks for nothing.
    program.notifications.snooze(2, 60);
    editor.tmrTimer_Timer();
    QCOMPARE(program.messageBoxes.closedReminders, 2);
    QCOMPARE(program.alarmFile(), snoozedTwice);
    QCOMPARE(editor.lstAlarms.listCount(), 3);
}

void ClockTickTest::aSnoozeThatCannotBeSavedIsSaid()
{
    ProgramUnderTest program;
    program.writeAlarmFile(october5(9, 31, "Dentist"));
    program.clock.set(2030, 10, 5, 9, 30, 0);
    program.start();
    program.messageBoxes.whileOpen = [&](const ShownBox& box) {
        if (box.style != MessageStyle::SystemModal)
            return;
        std::filesystem::remove(program.alarmPath());
        std::filesystem::create_directory(program.alarmPath());
        program.notifications.snooze(program.notifications.showing().front(), 10);
    };
    program.clock.set(2030, 10, 5, 9, 31, 0);
    program.editor().tmrTimer_Timer();
    const ShownBox& said = program.messageBoxes.shown.back();
    QCOMPARE(said.style, MessageStyle::Exclamation);
    QCOMPARE(said.title, "Tickwell Alarm Clock");
    QVERIFY2(said.text.startsWith("The alarm could not be saved to"), qPrintable(said.text));
    QCOMPARE(program.editor().lstAlarms.listCount(), 0);
}

void ClockTickTest::aRowThatDoesNotParseIsNeverDue()
{
    ProgramUnderTest program;
    program.writeAlarmFile(october5(9, 31, "due"));
    program.clock.set(2030, 10, 5, 9, 30, 0);
    program.start();
    frmMain& editor = program.editor();
    editor.lstAlarms.insertItem(0, "not an alarm");
    editor.lstReminders.insertItem(0, "kept");

    program.clock.set(2030, 10, 5, 9, 31, 0);
    editor.tmrTimer_Timer();
    // (The rewrite refuses to drop the row it cannot read, and says so.)
    QStringList reminders;
    for (const ShownBox& box : program.messageBoxes.shown) {
        if (box.style == MessageStyle::SystemModal)
            reminders << box.text.section("\r\n", 0, 0);
    }
    QCOMPARE(reminders, QStringList { "due" });
    QCOMPARE(program.rows(editor.lstAlarms), QStringList { "not an alarm" });
    QCOMPARE(program.rows(editor.lstReminders), QStringList { "kept" });
}

void ClockTickTest::aTickDuringAnOpenBoxOnlyRefreshesTheCaption()
{
    ProgramUnderTest program;
    program.writeAlarmFile(october5(9, 31, "Call back\r\nthen lunch") + october5(9, 32, "second"));
    program.clock.set(2030, 10, 5, 9, 30, 0);
    program.start();
    frmMain& editor = program.editor();

    QString captionWhileOpen;
    QStringList rowsWhileOpen;
    std::size_t boxesWhileOpen = 0;
    program.messageBoxes.whileOpen = [&](const ShownBox& box) {
        if (!box.text.startsWith("Call back"))
            return;
        // The box stays open into the next alarm's minute, and ticks keep coming.
        program.clock.set(2030, 10, 5, 9, 32, 5);
        editor.tmrTimer_Timer();
        editor.tmrTimer_Timer();
        captionWhileOpen = editor.lblCurrentTimeDate.caption();
        rowsWhileOpen = program.rows(editor.lstReminders);
        boxesWhileOpen = program.messageBoxes.shown.size();
    };
    program.clock.set(2030, 10, 5, 9, 31, 0);
    editor.tmrTimer_Timer();

    QCOMPARE(captionWhileOpen, "It is now : 9:32 AM  Saturday, October 5, 2030");
    QCOMPARE(rowsWhileOpen, QStringList({ "Call back\r\nthen lunch", "second" }));
    QCOMPARE(boxesWhileOpen, 1u);
    // The tick that opened the box goes on with its scan: the next alarm's
    // minute is the present one by now.
    QCOMPARE(program.messageBoxes.shown.size(), 2u);
    QCOMPARE(program.messageBoxes.shown[0].text,
        "Call back\r\nthen lunch\r\n\r\n(9:31 AM  Saturday, October 5, 2030)");
    QCOMPARE(program.messageBoxes.shown[1].text, reminderBox("second", "9:32 AM  Saturday, October 5, 2030"));
    QCOMPARE(editor.lstAlarms.listCount(), 0);
    QCOMPARE(program.alarmFile(), "");
}

void ClockTickTest::shutdownAskedForDuringABoxWaitsForIt_data()
{
    QTest::addColumn<bool>("bySignal");
    QTest::newRow("tray menu") << false;
    QTest::newRow("terminated or session end") << true;
}

void ClockTickTest::shutdownAskedForDuringABoxWaitsForIt()
{
    QFETCH(bool, bySignal);
    ProgramUnderTest program;
    const std::string second = october5(9, 31, "b");
    const std::string later = october5(10, 0, "later");
    // "a" repeats every day: read at the end, it moves on to tomorrow.
    const std::string tomorrow = record(2030, 10, 6, 9, 31, "a");
    writeRepeats(program, seriesLine({}, at(2030, 10, 5, 9, 31), "a"));
    program.writeAlarmFile(october5(9, 31, "a") + second + later);
    program.clock.set(2030, 10, 5, 9, 30, 0);
    program.start();
    const QPointer<frmMain> editor = &program.editor();
    program.events.clear();

    int nestedLoopEnd = 0;
    program.messageBoxes.whileOpen = [&](const ShownBox& box) {
        if (!box.text.startsWith("a"))
            return;
        if (bySignal) {
            // A signal or the session's end closes the box as its OK would.
            EndProgram(program.messageBoxes);
            QVERIFY(program.messageBoxes.closedAll);
        } else {
            // The user chose to shut down: the reminder is read first.
            forms::frmTaskbar->mnuPopupExit_Click();
        }
        // The box's own loop runs on; ending the program now would quit it.
        nestedLoopEnd = runNestedLoop(250);
        QCOMPARE(program.events, QStringList {});
    };
    program.clock.set(2030, 10, 5, 9, 31, 0);
    editor->tmrTimer_Timer();
    QCOMPARE(nestedLoopEnd, 7);
    QCOMPARE(program.events, QStringList {});
    if (bySignal) {
        // The reminder on show counts as announced; the next of its minute
        // is neither shown nor dropped, and stays on file for the next start.
        QCOMPARE(program.messageBoxes.shown.size(), 1u);
        QCOMPARE(program.alarmFile(), tomorrow + second + later);
        QCOMPARE(program.messageBoxes.afterClosing.size(), 0u);
    } else {
        QCOMPARE(program.messageBoxes.shown.size(), 2u);
        QCOMPARE(program.alarmFile(), tomorrow + later);
    }
    const std::string onFile = program.alarmFile();

    // Back in the program's event loop, the shutdown is carried out and ends it.
    QTimer stuck;
    stuck.setSingleShot(true);
    connect(&stuck, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    stuck.start(5000);
    QCOMPARE(QCoreApplication::exec(), 0);
    QCOMPARE(program.events, QStringList({ "unload frmAbout", "unload frmMain", "unload frmTaskbar" }));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!editor);
    QCOMPARE(program.alarmFile(), onFile);
}

void ClockTickTest::theEditorClosedByItsFrameDuringABoxIsOnlyHidden()
{
    ProgramUnderTest program;
    const std::string later = october5(9, 40, "later");
    program.writeAlarmFile(october5(9, 31, "a") + october5(9, 31, "b") + later);
    program.clock.set(2030, 10, 5, 9, 30, 0);
    program.start();
    forms::frmMain->Show();
    const QPointer<frmMain> editor = &program.editor();
    program.events.clear();

    program.messageBoxes.whileOpen = [&](const ShownBox& box) {
        if (box.text.startsWith("a")) {
            // The window frame's close command, delivered by the box's loop.
            QTimer::singleShot(0, editor, [&editor] { editor->close(); });
            QCOMPARE(runNestedLoop(50), 7);
        }
    };
    program.clock.set(2030, 10, 5, 9, 31, 0);
    editor->tmrTimer_Timer();
    // The tick finished its scan: both alarms of the minute announced and removed.
    QCOMPARE(program.messageBoxes.shown.size(), 2u);
    QCOMPARE(program.alarmFile(), later);

    // Hidden, not unloaded: the clock runs on and the next alarm still comes.
    QTRY_VERIFY(!editor->isVisible());
    QCOMPARE(program.events, QStringList {});
    QCOMPARE(forms::frmMain.instance(), editor.data());
    QVERIFY(editor->tmrTimer.enabled());
    program.clock.set(2030, 10, 5, 9, 40, 0);
    editor->tmrTimer_Timer();
    QCOMPARE(program.messageBoxes.shown.size(), 3u);
    QCOMPARE(program.alarmFile(), "");
}

void ClockTickTest::aSleepingMachineWakesForTheNextAlarm()
{
    ProgramUnderTest program;
    program.writeAlarmFile(october5(10, 0, "later") + october5(9, 31, "Dentist") + "#garbage\r\n");
    program.clock.set(2030, 10, 5, 9, 30, 0);
    program.start();
    frmMain& editor = program.editor();
    FakeMachineWake& machine = program.machineWake;
    const auto minute = [](int hour, int m) { return FakeClock::momentOf(2030, 10, 5, hour, m); };

    // The earliest alarm's minute, whatever its place in the list; asked
    // for once, not at every tick.
    editor.tmrTimer_Timer();
    QVERIFY(machine.moment == minute(9, 31));
    for (int tick = 0; tick < 20; ++tick) {
        program.clock.advance(std::chrono::milliseconds(100));
        editor.tmrTimer_Timer();
    }
    QCOMPARE(machine.asked, 1);

    // A new first alarm, by the editor or from another start: the next tick
    // moves the wake to it.
    QCOMPARE(editor.setAlarm(*DateValue::fromParts(2030, 10, 5, 9, 45), "Tea"), QString());
    editor.tmrTimer_Timer();
    QCOMPARE(machine.asked, 1);
    editor.lstAlarms.setListIndex(1);
    editor.cmdClearAlarm_Click(0); // the 9:31 one
    editor.tmrTimer_Timer();
    QVERIFY(machine.moment == minute(9, 45));
    QCOMPARE(machine.asked, 2);

    // Switched off: no machine wakes for an alarm that will not ring; on
    // again, it does.
    forms::frmTaskbar->mnuPopupDeactivate_Click();
    QVERIFY(!machine.moment);
    forms::frmTaskbar->mnuPopupActivate_Click();
    editor.tmrTimer_Timer();
    QVERIFY(machine.moment == minute(9, 45));

    // Announced, the alarm leaves; the next is the one to wake for, and
    // with none left there is no wake.
    program.clock.set(2030, 10, 5, 9, 45, 0);
    editor.tmrTimer_Timer();
    QVERIFY(machine.moment == minute(10, 0));
    program.clock.set(2030, 10, 5, 10, 0, 0);
    editor.tmrTimer_Timer();
    QCOMPARE(program.messageBoxes.shown.size(), 2u);
    QVERIFY(!machine.moment);
    const int asked = machine.asked;
    editor.tmrTimer_Timer();
    QCOMPARE(machine.asked, asked);

    // Unloaded, the editor's clock is gone: so is the wake.
    QCOMPARE(editor.setAlarm(*DateValue::fromParts(2030, 10, 6, 7, 0), "Up"), QString());
    editor.tmrTimer_Timer();
    QVERIFY(machine.moment == FakeClock::momentOf(2030, 10, 6, 7, 0));
    editor.Unload();
    QVERIFY(!machine.moment);
}

void ClockTickTest::hiddenTheClockSleepsFromMinuteToMinute()
{
    ProgramUnderTest program;
    program.writeAlarmFile(october5(9, 31, "Dentist") + october5(9, 33, "soon") + october5(10, 0, "later"));
    program.clock.set(2030, 10, 5, 9, 30, 20);
    program.start();
    frmMain& editor = program.editor();
    FakeWakeSource& wakes = program.wakes;
    QSignalSpy ticks(&editor.tmrTimer, &Timer::timer);
    const auto minute = [](int hour, int m) { return FakeClock::momentOf(2030, 10, 5, hour, m); };
    const auto ticking = [&editor] {
        const QList<QTimer*> timers = editor.tmrTimer.findChildren<QTimer*>();
        return std::any_of(
            timers.begin(), timers.end(), [](const QTimer* timer) { return timer->isActive(); });
    };

    // One tick at once, then nothing until the next minute begins.
    QTRY_COMPARE(ticks.count(), 1);
    QVERIFY(editor.tmrTimer.asleep());
    QVERIFY(wakes.moment == minute(9, 31));
    QVERIFY(!ticking());

    // A wake that finds the wall clock a few milliseconds short of its
    // moment (set back by time synchronisation, say) waits out the rest of
    // it, not a minute.
    program.clock.set(minute(9, 31) - std::chrono::milliseconds(3));
    wakes.wake();
    QCOMPARE(ticks.count(), 2);
    QVERIFY(program.messageBoxes.shown.empty());
    QVERIFY(wakes.moment == minute(9, 31));

    // The wake at the minute's start finds its alarm.
    program.clock.set(2030, 10, 5, 9, 31, 0);
    wakes.wake();
    QCOMPARE(ticks.count(), 3);
    QCOMPARE(program.messageBoxes.shown.size(), 1u);
    QVERIFY(wakes.moment == minute(9, 32));
    // The next wake, a minute ahead of the next alarm, makes its box ready.
    const int prepared = program.messageBoxes.prepared;
    program.clock.set(2030, 10, 5, 9, 32, 0);
    wakes.wake();
    QVERIFY(program.messageBoxes.prepared > prepared);
    QVERIFY(wakes.moment == minute(9, 33));

    // The wall clock set forward, or the machine back from a suspend: the
    // wake comes at once, and what fell due meanwhile is announced.
    program.clock.set(2030, 10, 5, 10, 0, 30);
    wakes.wake();
    QCOMPARE(program.messageBoxes.shown.size(), 3u);
    QVERIFY(wakes.moment == minute(10, 1));

    // An alarm set or cleared brings one tick at once, from the event loop.
    editor.txtHour.setText("10");
    editor.txtMin.setText("45");
    editor.lblAMPM.setCaption("AM");
    editor.cmdSetAlarm_Click();
    QCOMPARE(editor.lstAlarms.listCount(), 1);
    QTRY_COMPARE(ticks.count(), 6);
    editor.lstAlarms.setListIndex(0);
    editor.cmdClearAlarm_Click(0);
    QTRY_COMPARE(ticks.count(), 7);
    QVERIFY(!ticking());

    // Shown, the editor's clock ticks ten times a second and sleeps no more.
    editor.Show();
    QVERIFY(!editor.tmrTimer.asleep());
    QVERIFY(!wakes.moment);
    QTRY_VERIFY(ticks.count() >= 9);
    editor.cmdClose_Click();
    QVERIFY(editor.tmrTimer.asleep());
    QVERIFY(wakes.moment == minute(10, 1));
    QVERIFY(!ticking());

    // Switched off, nothing wakes it; switched on, it looks at once.
    editor.tmrTimer.setEnabled(false);
    QVERIFY(!wakes.moment);
    QVERIFY(!ticking());
    const int off = int(ticks.count());
    wakes.wake();
    editor.cmdClearAlarm_Click(1);
    QCoreApplication::processEvents();
    QCOMPARE(ticks.count(), off);
    editor.tmrTimer.setEnabled(true);
    QTRY_COMPARE(ticks.count(), off + 1);
    QVERIFY(wakes.moment == minute(10, 1));
}

void ClockTickTest::theWallClockWakesComeAtTheirMomentAndWithANewZone()
{
    using namespace std::chrono;
    const TemporaryDirectory directory;
    const std::filesystem::path zone = directory / "zone";
    writeFile(zone, readFile("/usr/share/zoneinfo/UTC"));
    const QByteArray tz = qgetenv("TZ");
    const bool hadTz = qEnvironmentVariableIsSet("TZ");
    qputenv("TZ", QByteArray(":") + zone.c_str());
    tzset();
    const auto restore = qScopeGuard([&] {
        if (hadTz)
            qputenv("TZ", tz);
        else
            qunsetenv("TZ");
        tzset();
    });
    SystemClock clock;
    WallClockWakes wakes(clock);
    QSignalSpy woken(&wakes, &WakeSource::woken);

    const auto moment = system_clock::now() + milliseconds(150);
    wakes.wakeAt(moment);
    QVERIFY(woken.wait(10000));
    QVERIFY(system_clock::now() >= moment);
    // A moment gone by wakes at once.
    wakes.wakeAt(moment);
    QVERIFY(woken.wait(10000));
    // Cancelled, it does not come (this much waiting only shows its absence).
    wakes.wakeAt(system_clock::now() + milliseconds(50));
    wakes.cancel();
    QVERIFY(!woken.wait(300));

    // Woken as a second begins, the clock already reads that second: the
    // wake and every reading of the time are one clock, to the nanosecond.
    for (int i = 0; i < 5; ++i) {
        const auto second = ceil<seconds>(system_clock::now() + milliseconds(1));
        wakes.wakeAt(second);
        QVERIFY(woken.wait(10000));
        QVERIFY(clock.now() >= clock.localTime(second));
        QVERIFY(clock.nextMinuteStart() > second);
    }

    // A new zone wakes it, and the clock has it at once.
    const int hour = clock.now().parts().hour;
    writeFile(zone, readFile("/usr/share/zoneinfo/Asia/Tokyo"));
    QVERIFY(woken.wait(10000));
    QCOMPARE(clock.now().parts().hour, (hour + 9) % 24);
}

QTEST_MAIN(ClockTickTest)
#include "tst_clocktick.moc"
