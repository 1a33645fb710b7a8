// SPDX-License-Identifier: GPL-3.0-or-later
#include "alarms/SeriesFileFormat.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace std::chrono;
using tickwell::DateValue;
using tickwell::SeriesLine;

namespace {

SeriesLine weekdaysAt630(std::string reminder)
{
    tickwell::RepeatRule rule;
    rule.unit = tickwell::RepeatUnit::Week;
    rule.weekdays = tickwell::mondayToFriday;
    return { *tickwell::startSeries(rule, *DateValue::fromParts(2030, 10, 7, 6, 30)), std::move(reminder) };
}

} // namespace

TEST(series_file_format, a_series_is_one_line_and_reads_back_whatever_its_reminder_holds)
{
    const SeriesLine plain = weekdaysAt630("Wake up");
    EXPECT_EQ(tickwell::formatSeriesLine(plain),
        "DTSTART:20301007T063000\tRRULE:FREQ=WEEKLY;BYDAY=MO,TU,WE,TH,FR\tREMINDER:Wake up\n");
    const SeriesLine odd = weekdaysAt630("C:\\temp\tand\r\nmore \x01 \"quoted\" \xE2\x98\x95");
    const std::vector<SeriesLine> lines { plain, odd };
    const std::string kept = "an old line this version cannot read\n# a user's note\n";
    const std::string written = tickwell::formatSeriesFile(lines, kept);
    EXPECT_EQ(std::count(written.begin(), written.end(), '\n'), 5);
    const tickwell::SeriesFileContents read = tickwell::parseSeriesFile(written);
    EXPECT_EQ(read.lines, lines);
    EXPECT_EQ(read.kept, kept);
    EXPECT_EQ(tickwell::formatSeriesFile(read.lines, read.kept), written);
    // Nothing to say, nothing written.
    EXPECT_EQ(tickwell::formatSeriesFile({}, ""), "");
    // The list's form of a series, without its reminder.
    EXPECT_EQ(tickwell::parseSeriesFields(tickwell::formatSeriesFields(plain.series)), plain.series);
    EXPECT_FALSE(tickwell::parseSeriesFields(tickwell::formatSeriesLine(plain)));
}

TEST(series_file_format, keeps_every_line_that_says_no_series_it_could_keep)
{
    const std::string good = tickwell::formatSeriesLine(weekdaysAt630("Wake up"));
    const std::vector<std::string> broken {
        "DTSTART:20301007T063000\tRRULE:FREQ=WEEKLY;BYDAY=MO,TU,WE,TH,FR\n", // no reminder
        "DTSTART:20301007T063000\tRRULE:FREQ=FORTNIGHTLY\tREMINDER:x\n",
        "DTSTART:20301007T063010\tRRULE:FREQ=DAILY\tREMINDER:x\n", // not a whole minute
        "DTSTART:20301005T063000\tRRULE:FREQ=WEEKLY;BYDAY=MO\tREMINDER:x\n", // starts on no series day
        "DTSTART:20301007T063000\tRRULE:FREQ=DAILY\tREMINDER:a\\qb\n",
        "DTSTART:20301007T063000\tRRULE:FREQ=DAILY\tREMINDER:x\tCOLOUR:red\n",
        // A field of an older version's line is a field this one does not know.
        "DTSTART:20301007T063000\tRRULE:FREQ=DAILY\tNEXT:20301009T063000\tREMINDER:x\n",
        "DTSTART:20301007T063000\tDTSTART:20301007T063000\tRRULE:FREQ=DAILY\tREMINDER:x\n",
        "no tabs at all",
    };
    std::string bytes = good;
    for (const std::string& line : broken)
        bytes += line;
    const tickwell::SeriesFileContents read = tickwell::parseSeriesFile(bytes);
    ASSERT_EQ(read.lines.size(), 1u);
    EXPECT_EQ(read.lines[0], weekdaysAt630("Wake up"));
    // Each kept as it stands; the last, which ended the file without a line
    // end, with one, so that a series written after it stays a line of its own.
    std::string kept;
    for (const std::string& line : broken)
        kept += line;
    EXPECT_EQ(read.kept, kept + "\n");
    const tickwell::SeriesFileContents again
        = tickwell::parseSeriesFile(tickwell::formatSeriesFile(read.lines, read.kept));
    EXPECT_EQ(again.lines, read.lines);
    EXPECT_EQ(again.kept, read.kept);
}
