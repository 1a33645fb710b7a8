// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "alarms/AlarmFile.h"
#include "alarms/AlarmStore.h"
#include "alarms/Repetition.h"
#include "frame/Form.h"
#include "frame/controls/ComboBox.h"
#include "frame/controls/CommandButton.h"
#include "frame/controls/ControlArray.h"
#include "frame/controls/Label.h"
#include "frame/controls/ListBox.h"
#include "frame/controls/MultiLineTextBox.h"
#include "frame/controls/PictureFrame.h"
#include "frame/controls/ShapeOutline.h"
#include "frame/controls/SpinControl.h"
#include "frame/controls/TextBox.h"
#include "frame/controls/Timer.h"
#include "frame/dates/Clock.h"
#include "frame/dates/DateValue.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tickwell {

struct Services;

// The alarm editor. It owns the alarms: the three row-parallel lists (entry
// texts, reminders, and what repeats) and the timer that fires them; and the alarm being
// composed: the month table, the picked day and the composed date value.
class frmMain final : public Form {
    Q_OBJECT

public:
    struct MonthInfo {
        QString Name;
        std::int16_t Days = 0; // in a common year
    };

    explicit frmMain(const Services& services);
    ~frmMain() override;

    // Puts the present date and time into the editor's fields.
    void InitTimeDate();

    // The date value of an entry text of lstAlarms; none for a text that is not one.
    std::optional<DateValue> ParseAlarmEntry(const QString& entry) const;

    // Reads "Alarm.dat" into the lists and drops the alarms already past.
    void LoadAlarms();
    // The one removal path: index 0 removes the selected row, index 1 every
    // row; either way "Alarm.dat" is rewritten from the lists. A repeating
    // alarm removed ends its series.
    void cmdClearAlarm_Click(std::int16_t index);
    // The clock tick: refreshes the present-time caption, announces the
    // alarms whose minute has come and removes every alarm that is due.
    void tmrTimer_Timer();

    // The program ends where it stands, without its event loop: the reminder
    // on show, if one is, counts as read and its alarm leaves the list and
    // the file; the alarms behind it stay.
    void reminderReadAtTheEnd();

    // The calendar.
    void lblDate_Click(std::int16_t index);
    void cboMonth_Click();
    void updYear_Change();
    void txtYear_Change();

    // The calendar at the keyboard: the arrow keys move a focus day, across
    // month ends too, and Space or Return picks or unpicks it as a click would.
    void picCalendar_KeyDown(int& keyCode, int shift);
    void picCalendar_GotFocus();
    void picCalendar_LostFocus();

    // The time fields.
    void txtHour_KeyPress(int& keyAscii);
    void txtHour_KeyDown(int& keyCode, int shift);
    void txtHour_KeyUp(int& keyCode, int shift);
    void txtHour_Change();
    void txtHour_LostFocus();
    void txtMin_KeyPress(int& keyAscii);
    void txtMin_KeyDown(int& keyCode, int shift);
    void txtMin_KeyUp(int& keyCode, int shift);
    void txtMin_Change();
    void txtMin_LostFocus();
    void lblAMPM_Click();
    void lblAMPM_Change();

    // Recomposes NewAlarmDate and its caption from the fields.
    void UpdateNewAlarmCaption();

    // The commands.
    void cmdSetAlarm_Click();
    // Set Alarm's work for an alarm at `when` with `reminder` (UTF-8), from
    // the editor, a snooze or a command line: the checks, the file and the
    // lists. Returns why it refused, empty once the alarm is set. With
    // `repeat`, the alarm repeats from the rule's first day on or after
    // `when`'s day, at `when`'s minute: that first occurrence is checked and
    // listed as any alarm.
    QString setAlarm(std::optional<DateValue> when, std::string_view reminder,
        std::optional<RepeatRule> repeat = std::nullopt);
    // How the alarm in `row` repeats; none for a one-shot alarm.
    std::optional<RepeatRule> repeatAt(int row) const;
    // The series the alarm in `row` is the occurrence of; none for a one-shot.
    std::optional<Series> seriesAt(int row) const;
    // Moves the series of the alarm in `row` on to its next occurrence, with
    // no word; the series ends if that was its last. Returns why it could
    // not, empty once done. (Ending a series is Clear Alarm on its row.)
    QString skipOccurrence(int row);
    // Whether an alarm is set for the minute `when`.
    bool hasAlarmAt(DateValue when) const;
    void cmdViewReminder_Click();
    void txtReminder_DblClick();
    // The repeat choice: a ready one, or "Custom..." for words of the user's.
    void cboRepeat_Click();
    // The repetition the choice stands for; none for "Never".
    std::optional<RepeatRule> chosenRepeat() const;
    void cmdClose_Click();
    void cmdAbout_Click();

    // The rows as records; none, with the reason, if a row cannot be read back.
    std::vector<AlarmRecord> recordsFromLists(std::string& failure) const;
    // The rows as records with their series.
    std::vector<ListedAlarm> alarmsFromLists(std::string& failure) const;

    static bool IsLeapYear(std::int16_t year) { return isLeapYear(year); }

    const std::array<MonthInfo, 13>& monthTable() const noexcept { return MonthTable; }
    const AlarmFile& alarmFile() const noexcept { return m_alarmFile; }
    std::int16_t selectedDay() const noexcept { return SelectedDay; }
    DateValue newAlarmDate() const noexcept { return NewAlarmDate; }

    // The controls, in the order they are stacked: the panel frames lowest,
    // each container before what it holds.
    ShapeOutline Shape1;
    ShapeOutline Shape2;
    ShapeOutline Shape3;
    ShapeOutline Shape4;
    Label lblCurrentTimeDate;
    Label lblAlarmTimeDate;
    Label lblNewAlarm;
    ComboBox cboMonth;
    TextBox txtYear;
    SpinControl updYear;
    PictureFrame picCalendar;
    ControlArray<Label, 1, 7> lblDay;
    ControlArray<Label, 1, 31> lblDate;
    PictureFrame picTime;
    TextBox txtHour;
    ControlArray<Label, 0, 0> lblColon;
    TextBox txtMin;
    Label lblAMPM;
    CommandButton cmdSetAlarm;
    Label lblRepeat;
    ComboBox cboRepeat;
    Label lblReminder;
    MultiLineTextBox txtReminder;
    Label lblExistingAlarms;
    ListBox lstAlarms;
    CommandButton cmdViewReminder;
    ControlArray<CommandButton, 0, 1> cmdClearAlarm;
    ListBox lstReminders;
    // Hidden like lstReminders: row by row, the series the alarm is the
    // occurrence of, empty for a one-shot alarm.
    ListBox lstRepeats;
    Label lblInstructions;
    CommandButton cmdAbout;
    CommandButton cmdClose;
    Timer tmrTimer;

protected:
    void Form_Load() override;
    void Form_Activate() override;
    void Form_QueryUnload(bool& cancel, UnloadMode mode) override;
    void Form_Unload() override;
    void showEvent(QShowEvent* event) override;

private:
    void setTabOrder();
    void connectHandlers();

    void InitMonthTable();
    void FillMonthList();
    void FillRepeatList();
    void ShowCalendarMonth(std::int16_t month, std::int16_t year);
    // The month chosen in cboMonth (1-12; 0 for none) and the year in txtYear.
    std::int16_t chosenMonth() const;
    std::int16_t chosenYear() const;
    std::int16_t monthLength(std::int16_t month, std::int16_t year) const;
    // The alarm the fields describe, if they describe one; lowers the picked
    // day to the chosen month's length.
    std::optional<DateValue> composeNewAlarm();
    static QString noAlarmCaption();

    // The keyboard's day in the calendar, and what assistive technology is told of the days.
    void moveFocusDay(int days);
    void showFocusDay();
    void markPickedDay();
    void nameCalendarDays(std::int16_t month, std::int16_t year, int firstWeekday);
    // "a" or "p" typed into the hour or minute field.
    void switchHalfOfDay(int keyAscii);
    int m_focusDay = 0; // 0 until the calendar is first shown
    // The repeat choice made before "Custom...", which Cancel goes back to.
    int m_repeatChosen = 0;

    // While one lives, removals from the lists are written to "Alarm.dat"
    // together, once: when the last one ends, or earlier by
    // writePendingRemovals(). Thousands of past alarms dropped at start-up
    // thus cost one write, not one each.
    class RemovalBatch {
    public:
        explicit RemovalBatch(frmMain& editor) noexcept;
        ~RemovalBatch();
        RemovalBatch(const RemovalBatch&) = delete;
        RemovalBatch& operator=(const RemovalBatch&) = delete;

    private:
        frmMain& m_editor;
    };
    void writePendingRemovals();

    // Alarms that fall due while the clock is on are announced; those that
    // fell due while it was off are not. Watching starts when the clock is
    // switched on, and again whenever the wall clock is set back.
    void startWatching(bool active);
    void keepWatching(DateValue now);
    bool fellDueWhileWatched(DateValue due) const;
    // Shows the reminder of the alarm in `row` until the user closes its
    // box; returns in how many minutes they asked for it again, if they did.
    // A repeating alarm whose occurrences came while the clock could not
    // say so shows the latest, `due`, and how many came from `since` on.
    struct Announced {
        DateValue due;
        long long passed = 1;
        DateValue since;
    };
    std::optional<int> announceAlarm(int row, const Announced& announced);
    // The occurrence of a repeating alarm that has come, or the one-shot
    // alarm that has: the latest occurrence by `present`, and whether it
    // fell due while the clock was on.
    Announced dueAt(int row, DateValue occurrence, DateValue present) const;
    // An alarm whose time has come leaves the list, or, repeating, moves on
    // to its occurrence after `after`.
    void alarmHasCome(int row, DateValue after);
    // The series of the alarm in `row` moved on past `after`, in the lists
    // and the file.
    void moveSeriesOnAt(int row, DateValue after);
    // Adds the rows of `alarm` at the end of the lists.
    void listAlarm(const ListedAlarm& alarm);
    // The row of a one-shot alarm with `entry` and `reminder`, if there is
    // one. A tick that moves thousands of series on (the clock switched on
    // again after a day) looks them up in an index made once for its scan
    // and kept in step with its removals, not in the whole list each time.
    std::optional<int> oneShotRow(const QString& entry, const QString& reminder);
    void oneShotRowGone(int row);
    // A change to the lists is written now, or with the batch under way.
    void listsChanged();
    // Sets the alarm the user asked for from a reminder's notification:
    // `reminder` again, `minutes` after the start of the present minute.
    void snoozeAlarm(const QString& reminder, int minutes);
    // A list changed from outside a tick: the clock looks at once, even
    // while it sleeps until the next minute.
    void alarmsChanged();
    // A machine asleep when the next alarm falls due wakes for it: asked
    // only when that alarm, or the moment its minute begins, changes. None
    // while the clock is off.
    void wakeMachineFor(std::optional<DateValue> nextAlarm);
    void cancelMachineWake();

    AlarmStore::Written appendAlarm(const ListedAlarm& alarm);
    void rewriteAlarmFile();
    QString alarmFilePath() const;
    // A reminder as the file holds it, as a row of lstReminders shows it.
    static QString reminderText(const std::string& utf8);
    // The messages about the file: a write that failed, another program's
    // version kept beside it, a file not read at start.
    // `path`: the file that could not be written, where not "Alarm.dat".
    void announceSaveFailure(const StoreResult& result, const QString& path = {});
    void announceKeptAside(const StoreResult& result, const QString& path);
    void announceKeptAside(const AlarmStore::Written& written);
    void announceLoadFailure();

    // The repeat choice shows `rule`: a ready choice, or its words as the
    // custom one next to "Custom...".
    void showRepeatChoice(const std::optional<RepeatRule>& rule);
    // What lstAlarms shows of how the alarms in rows `first` to `last` repeat.
    void showRepeatsOf(int first, int last);
    // Clear Alarm as the user gives it: a repeating alarm's series is only
    // ended once they have said so, or skips this occurrence instead.
    void clearAlarmAsked();

    const Services& m_services;

    std::array<MonthInfo, 13> MonthTable; // rows 1 to 12
    std::int16_t SelectedDay = 0; // 0: no day picked
    DateValue NewAlarmDate;

    AlarmFile m_alarmFile;
    AlarmStore m_store { m_alarmFile };
    // A series ended since "Alarm.repeat" was last written: it is written
    // after "Alarm.dat", once the series' record has gone.
    bool m_seriesEnded = false;
    // A failing save is announced once, not at every removal while it keeps failing.
    bool m_saveFailureAnnounced = false;
    // Set while a tick scans the alarms, across the reminder boxes it waits in.
    bool m_scanningAlarms = false;
    // The one-shot alarms' rows by entry text and reminder, while a tick
    // scans; none until first needed.
    std::optional<std::unordered_map<QString, int>> m_oneShotRows;
    // The row whose reminder is on show, while its box is open, and the
    // occurrence it announces.
    std::optional<int> m_reminderOnShow;
    DateValue m_dueOnShow;
    int m_removalBatches = 0;
    bool m_rewritePending = false;
    // The start of the minute in which the clock was last switched on (or
    // set back to): an alarm due before it fell due while the clock was off.
    std::optional<DateValue> m_watchedSince;
    // Earlier times the clock was on, from the start of the minute it was
    // switched on to the moment it was switched off: alarms that fell due
    // then, behind a reminder on show, are still owed their reminder. Kept
    // until a whole scan has dealt with every alarm due by their end.
    struct Watch {
        DateValue since;
        DateValue until;
    };
    std::vector<Watch> m_earlierWatches;
    // The alarm the machine is to wake for, the moment it wakes at, and the
    // local time that moment showed when asked: should the zone change, it
    // shows another. Looked at again once a minute.
    struct MachineWakeTime {
        DateValue alarm;
        Clock::Instant moment;
        DateValue shows;
        DateValue lookedAt;
    };
    std::optional<MachineWakeTime> m_machineWake;
};

} // namespace tickwell
