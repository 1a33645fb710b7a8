// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "alarms/Repetition.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// What repeats among the alarms of the alarm file, kept beside it: one line
// a series, its fields "NAME:value" apart by tabs, the line ending in LF:
//
//   DTSTART:20301007T063000  RRULE:FREQ=WEEKLY;BYDAY=MO,TU,WE,TH,FR  REMINDER:Wake up
//
// DTSTART and RRULE say the series in iCalendar's words (CalendarRule.h):
// its first occurrence, a local date and minute, and the rule. REMINDER is
// its reminder, backslash, tab and line breaks written \\, \t, \n and \r,
// other control characters \xHH. The occurrence set now is not here: it is
// the record of the alarm file that the series is tied to (SeriesTie.h), so
// that moving a series on is one write of the alarm file alone.
namespace tickwell {

struct SeriesLine {
    Series series;
    std::string reminder;

    friend bool operator==(const SeriesLine&, const SeriesLine&) = default;
};

struct SeriesFileContents {
    std::vector<SeriesLine> lines;
    // Every other line, byte for byte with its line end, in its order: it is
    // written back after the series, so that nothing is lost that this
    // version cannot read. (The writer's own heading is not kept: it is
    // written anew.)
    std::string kept;
};

inline constexpr std::string_view seriesFileHeading
    = "# What repeats among the alarms: one series a line (Tickwell Alarm Clock)\n";

std::string formatSeriesLine(const SeriesLine& line);
std::string formatSeriesFile(std::span<const SeriesLine> lines, std::string_view kept);
// Never fails: a line that is not a series is kept.
SeriesFileContents parseSeriesFile(std::string_view bytes);

// A series without its reminder, "DTSTART:...<tab>RRULE:...": how the
// editor's list of repetitions holds it, row by row.
std::string formatSeriesFields(const Series& series);
std::optional<Series> parseSeriesFields(std::string_view text);

} // namespace tickwell
