// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "alarms/AlarmFileFormat.h"
#include "alarms/Repetition.h"
#include "alarms/SeriesFileFormat.h"

#include <cstddef>
#include <optional>
#include <span>
#include <vector>

// Which record of the alarm file is which series' occurrence. A series'
// occurrence is the record that carries its reminder, at its minute of the
// day, on one of its days within its end; the earliest such record where
// there are several, and each record the occurrence of one series at most.
// Nothing else ties them: the alarm file stays as any reader of its format
// expects it, and a series moves on with one write of it alone.
namespace tickwell {

// An alarm as the clock lists it: its record, and the series it is the
// occurrence of, if it is one.
struct ListedAlarm {
    AlarmRecord record;
    std::optional<Series> series;

    friend bool operator==(const ListedAlarm&, const ListedAlarm&) = default;
};

struct SeriesTie {
    // For each record, the line whose occurrence it is.
    std::vector<std::optional<std::size_t>> lineOfRecord;
    // The lines with no occurrence: their series has ended (an alarm set
    // that never came to its record, a record another program removed).
    std::vector<std::size_t> untied;
};
SeriesTie tieSeries(std::span<const AlarmRecord> records, std::span<const SeriesLine> lines);

// The records with the series they are tied to.
std::vector<ListedAlarm> listAlarms(std::vector<AlarmRecord> records, std::span<const SeriesLine> lines);

// What the series of `alarms[row]` becomes once its occurrence has come or
// been skipped: its occurrence after `after`, or none once it has ended.
// Where a record that no series holds already stands for that occurrence (a
// one-shot alarm with the series' reminder at that minute), the series
// takes it over, rather than announce the same reminder twice at one minute.
struct SeriesStep {
    std::optional<DateValue> next;
    std::optional<std::size_t> joins; // the row it takes over
};
SeriesStep stepSeries(std::span<const ListedAlarm> alarms, std::size_t row, DateValue after);

// The records of the listed alarms, and their series lines, in their order.
std::vector<AlarmRecord> recordsOf(std::span<const ListedAlarm> alarms);
std::vector<SeriesLine> seriesLines(std::span<const ListedAlarm> alarms);

} // namespace tickwell
