// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "alarms/AlarmFile.h"
#include "alarms/SeriesFile.h"
#include "alarms/SeriesTie.h"

#include <span>
#include <vector>

namespace tickwell {

// The alarm file and the file of series beside it, written in the order
// that lets a kill at any moment neither lose a series nor double an
// occurrence: a series is made by its line first, then its record; it moves
// on by one rewrite of the alarm file that replaces its record; it ends by
// its record removed first, then its line. A line left without a record by
// a kill in between (or by another program) ends its series, and goes at
// the next write of the file of series.
class AlarmStore {
public:
    explicit AlarmStore(AlarmFile& alarms);

    AlarmFile& alarmFile() noexcept { return m_alarms; }
    const AlarmFile& alarmFile() const noexcept { return m_alarms; }
    const SeriesFile& seriesFile() const noexcept { return m_series; }

    // Both files read, and each record tied to its series.
    std::vector<ListedAlarm> load();

    struct Written {
        StoreResult alarms;
        StoreResult series; // success where the file of series was not written
        bool ok() const noexcept { return alarms.ok() && series.ok(); }
    };
    // Adds `alarm` to a file that holds `listed`; a series' line first.
    Written add(std::span<const ListedAlarm> listed, const ListedAlarm& alarm);
    // Writes `alarms` to the alarm file; then, where a series has ended
    // since the last write, the file of series.
    Written rewrite(std::span<const ListedAlarm> alarms, bool seriesEnded);

private:
    AlarmFile& m_alarms;
    SeriesFile m_series;
};

// The commands on the listed alarms, wherever they come from: each changes
// `alarms` and the store together, or neither where the store refuses.

// The series an alarm set for `when` and repeating by `repeat` starts: on
// the first day of the rule on or after `when`'s day, to which `when` moves.
// None for no repetition, or why there is none.
struct NewSeries {
    std::optional<Series> series;
    std::string refusal;
};
NewSeries newSeries(const std::optional<RepeatRule>& repeat, std::optional<DateValue>& when);

// Adds an alarm at `when` with `reminder`, repeating by `repeat` from the
// first day of the rule on or after `when`'s day; `now` and the listed
// alarms judge it as Set Alarm does. Returns why it refused, empty once the
// alarm is set.
std::string addAlarm(AlarmStore& store, std::vector<ListedAlarm>& alarms, std::optional<DateValue> when,
    std::string_view reminder, const std::optional<RepeatRule>& repeat, DateValue now);
// Removes `alarms[row]`, and ends its series.
std::string clearAlarm(AlarmStore& store, std::vector<ListedAlarm>& alarms, std::size_t row);
// Moves the series of `alarms[row]` on past its occurrence without a word; it
// ends if that was its last.
std::string skipOccurrence(AlarmStore& store, std::vector<ListedAlarm>& alarms, std::size_t row);

// Where a listed alarm goes once its occurrence has come, been skipped or
// passed: moved on past `after` (or taken over by a record that stood for
// its next occurrence), or gone. True when a series ended.
bool moveSeriesOn(std::vector<ListedAlarm>& alarms, std::size_t row, DateValue after);
// The alarms whose minute has begun by `now` at a start: a one-shot alarm
// goes, a series moves on to its next occurrence to come, or ends. However
// many, in one pass. Returns whether any changed, and sets `seriesEnded`.
bool passOverPastAlarms(std::vector<ListedAlarm>& alarms, DateValue now, bool& seriesEnded);

} // namespace tickwell
