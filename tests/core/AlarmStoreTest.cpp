// SPDX-License-Identifier: GPL-3.0-or-later
// Which record is which series' occurrence, and the two files written
// together: the commands the clock and the command line share.
#include "alarms/AlarmStore.h"
#include "alarms/AlarmChecks.h"
#include "support/Alarms.h"
#include "support/TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

using namespace tickwell;
using tickwell::test::at;
using tickwell::test::readFile;
using tickwell::test::TemporaryDirectory;
using tickwell::test::writeFile;

using tickwell::test::every;

namespace {

SeriesLine line(const RepeatRule& rule, DateValue first, std::string reminder)
{
    return { *startSeries(rule, first), std::move(reminder) };
}

std::vector<std::optional<std::size_t>> tiedLines(
    const std::vector<AlarmRecord>& records, const std::vector<SeriesLine>& lines)
{
    return tieSeries(records, lines).lineOfRecord;
}

} // namespace

TEST(series_tie, a_record_is_a_series_occurrence_by_reminder_minute_and_day)
{
    // Weekdays at 6:30 from Monday 7 October 2030; daily at 6:30, another
    // reminder; a one-shot alarm with the first's reminder at another minute.
    const std::vector<SeriesLine> lines {
        line(every(RepeatUnit::Week, 1, mondayToFriday), at(2030, 10, 7, 6, 30), "Wake up"),
        line(every(RepeatUnit::Day), at(2030, 10, 1, 6, 30), "Pills"),
    };
    const std::vector<AlarmRecord> records {
        { at(2030, 10, 9, 7, 0), "Wake up" }, // another minute
        { at(2030, 10, 12, 6, 30), "Wake up" }, // a Saturday
        { at(2030, 10, 9, 6, 30), "Pills" }, // both series at one minute
        { at(2030, 10, 9, 6, 30), "Wake up" },
    };
    const SeriesTie tie = tieSeries(records, lines);
    EXPECT_EQ(
        tie.lineOfRecord, (std::vector<std::optional<std::size_t>> { std::nullopt, std::nullopt, 1, 0 }));
    EXPECT_TRUE(tie.untied.empty());

    // The occurrence removed by another program: the series has ended.
    const SeriesTie without = tieSeries(std::vector(records.begin(), records.begin() + 3), lines);
    EXPECT_EQ(without.untied, std::vector<std::size_t> { 0 });

    // Beyond its end a record is nobody's occurrence.
    RepeatRule twice = every(RepeatUnit::Day);
    twice.times = 2;
    EXPECT_EQ(
        tiedLines({ { at(2030, 10, 3, 6, 30), "Pills" } }, { line(twice, at(2030, 10, 1, 6, 30), "Pills") }),
        std::vector<std::optional<std::size_t>> { std::nullopt });
}

TEST(series_tie, every_series_that_can_have_an_occurrence_gets_one)
{
    // Daily from the 1st and every second day from the 2nd, one reminder and
    // one minute: the 4th is a day of both. Taken by the first, it would
    // leave the second with none; the first is moved on to the 5th.
    const std::vector<SeriesLine> lines {
        line(every(RepeatUnit::Day), at(2030, 10, 1, 6, 30), "Run"),
        line(every(RepeatUnit::Day, 2), at(2030, 10, 2, 6, 30), "Run"),
    };
    EXPECT_EQ(tiedLines({ { at(2030, 10, 4, 6, 30), "Run" }, { at(2030, 10, 5, 6, 30), "Run" } }, lines),
        (std::vector<std::optional<std::size_t>> { 1, 0 }));
    // Where both could have either, each the earliest left.
    EXPECT_EQ(tiedLines({ { at(2030, 10, 6, 6, 30), "Run" }, { at(2030, 10, 4, 6, 30), "Run" } }, lines),
        (std::vector<std::optional<std::size_t>> { 1, 0 }));
}

TEST(series_tie, a_one_shot_alarm_alike_to_an_occurrence_is_announced_once)
{
    // Weekends at 9:00 with "Market": its occurrence is on Sunday the 13th;
    // a one-shot "Market" at 9:00 on Saturday the 12th stands first and is
    // taken for the occurrence, the Sunday's for a one-shot.
    const Series weekends
        = *startSeries(every(RepeatUnit::Week, 1, saturdayAndSunday), at(2030, 10, 5, 9, 0));
    std::vector<ListedAlarm> alarms
        = listAlarms({ { at(2030, 10, 13, 9, 0), "Market" }, { at(2030, 10, 12, 9, 0), "Market" } },
            std::vector { SeriesLine { weekends, "Market" } });
    ASSERT_FALSE(alarms[0].series);
    ASSERT_EQ(alarms[1].series, weekends);
    // Once Saturday's has come, the series takes over Sunday's record rather
    // than add a second: Sunday's reminder comes once, and the series goes on.
    EXPECT_FALSE(moveSeriesOn(alarms, 1, at(2030, 10, 12, 9, 0)));
    ASSERT_EQ(alarms.size(), 1u);
    EXPECT_EQ(alarms[0], (ListedAlarm { { at(2030, 10, 13, 9, 0), "Market" }, weekends }));
    EXPECT_FALSE(moveSeriesOn(alarms, 0, at(2030, 10, 13, 9, 0)));
    EXPECT_EQ(alarms[0].record.when, at(2030, 10, 19, 9, 0));
}

TEST(alarm_store, a_series_is_made_moved_on_and_ended_through_both_files)
{
    TemporaryDirectory dir;
    AlarmFile file(dir.path());
    AlarmStore store(file);
    EXPECT_EQ(store.seriesFile().path(), dir / "Alarm.repeat");
    std::vector<ListedAlarm> alarms = store.load();
    const DateValue now = at(2030, 10, 5, 12, 0); // a Saturday

    // Weekdays from Saturday: its first occurrence is Monday's.
    ASSERT_EQ(addAlarm(store, alarms, at(2030, 10, 5, 6, 30), "Wake up",
                  every(RepeatUnit::Week, 1, mondayToFriday), now),
        "");
    ASSERT_EQ(addAlarm(store, alarms, at(2030, 10, 8, 9, 0), "Dentist", std::nullopt, now), "");
    EXPECT_EQ(readFile(dir / "Alarm.dat"),
        test::record(2030, 10, 7, 6, 30, "Wake up") + test::record(2030, 10, 8, 9, 0, "Dentist"));
    const std::string seriesBytes = std::string(seriesFileHeading)
        + "DTSTART:20301007T063000\tRRULE:FREQ=WEEKLY;BYDAY=MO,TU,WE,TH,FR\tREMINDER:Wake up\n";
    EXPECT_EQ(readFile(dir / "Alarm.repeat"), seriesBytes);
    // Its first occurrence is checked as any alarm: Monday 6:30 is taken now.
    EXPECT_EQ(addAlarm(store, alarms, at(2030, 10, 7, 6, 30), "Other", every(RepeatUnit::Day), now),
        duplicateRefusal);
    EXPECT_EQ(
        addAlarm(store, alarms, at(2030, 10, 5, 6, 30), "x", every(RepeatUnit::Day, 0), now).substr(0, 14),
        "The repetition");

    // Skipped: one write of the alarm file, the record replaced where it
    // stood; the file of series untouched.
    ASSERT_EQ(skipOccurrence(store, alarms, 0), "");
    EXPECT_EQ(readFile(dir / "Alarm.dat"),
        test::record(2030, 10, 8, 6, 30, "Wake up") + test::record(2030, 10, 8, 9, 0, "Dentist"));
    EXPECT_EQ(readFile(dir / "Alarm.repeat"), seriesBytes);
    EXPECT_EQ(skipOccurrence(store, alarms, 1), notRepeatingRefusal);

    // Read again, the record is the series' occurrence still.
    AlarmFile again(dir.path());
    AlarmStore reread(again);
    EXPECT_EQ(reread.load(), alarms);

    // Ended: its record, then its line.
    ASSERT_EQ(clearAlarm(store, alarms, 0), "");
    EXPECT_EQ(readFile(dir / "Alarm.dat"), test::record(2030, 10, 8, 9, 0, "Dentist"));
    EXPECT_EQ(readFile(dir / "Alarm.repeat"), "");
}

TEST(alarm_store, a_line_without_its_record_goes_at_the_next_write_and_what_cannot_be_read_stays)
{
    TemporaryDirectory dir;
    const std::string unreadable = "FREQ=HOURLY, a line of a later version\n";
    const SeriesLine gone = line(every(RepeatUnit::Day), at(2030, 10, 1, 7, 0), "Gone");
    const SeriesLine kept = line(every(RepeatUnit::Month), at(2030, 10, 31, 8, 0), "Rent");
    writeFile(dir / "Alarm.repeat",
        tickwell::formatSeriesLine(gone) + unreadable + tickwell::formatSeriesLine(kept));
    writeFile(dir / "Alarm.dat", test::record(2030, 11, 30, 8, 0, "Rent")); // November has no 31st
    AlarmFile file(dir.path());
    AlarmStore store(file);
    std::vector<ListedAlarm> alarms = store.load();
    ASSERT_EQ(alarms.size(), 1u);
    EXPECT_EQ(alarms[0].series, kept.series);

    ASSERT_EQ(
        addAlarm(store, alarms, at(2030, 11, 1, 9, 0), "New", every(RepeatUnit::Year), at(2030, 10, 5)), "");
    EXPECT_EQ(readFile(dir / "Alarm.repeat"),
        std::string(seriesFileHeading) + tickwell::formatSeriesLine(kept)
            + tickwell::formatSeriesLine(line(every(RepeatUnit::Year), at(2030, 11, 1, 9, 0), "New"))
            + unreadable);
}

TEST(alarm_store, a_line_whose_record_may_lie_beyond_what_could_be_read_is_kept)
{
    TemporaryDirectory dir;
    const SeriesLine daily = line(every(RepeatUnit::Day), at(2030, 10, 1, 7, 0), "Walk");
    writeFile(dir / "Alarm.repeat", tickwell::formatSeriesLine(daily));
    writeFile(dir / "Alarm.dat", "#not a date#,\"x\"\r\n" + test::record(2030, 10, 9, 7, 0, "Walk"));
    AlarmFile file(dir.path());
    AlarmStore store(file);
    std::vector<ListedAlarm> alarms = store.load();
    EXPECT_TRUE(alarms.empty());
    ASSERT_EQ(
        addAlarm(store, alarms, at(2030, 11, 1, 9, 0), "New", every(RepeatUnit::Year), at(2030, 10, 5)), "");
    EXPECT_NE(readFile(dir / "Alarm.repeat").find(tickwell::formatSeriesLine(daily)), std::string::npos);
}

TEST(alarm_store, a_linked_alarm_file_has_its_series_beside_its_target)
{
    TemporaryDirectory dir;
    std::filesystem::create_directory(dir / "real");
    std::filesystem::create_directory(dir / "here");
    std::filesystem::create_symlink(dir / "real" / "Mine.dat", dir / "here" / "Alarm.dat");
    AlarmFile file(dir / "here");
    AlarmStore store(file);
    std::vector<ListedAlarm> alarms = store.load();
    ASSERT_EQ(
        addAlarm(store, alarms, at(2030, 10, 7, 6, 30), "Up", every(RepeatUnit::Day), at(2030, 10, 5)), "");
    EXPECT_TRUE(std::filesystem::exists(dir / "real" / "Mine.repeat"));
    EXPECT_FALSE(std::filesystem::exists(dir / "here" / "Alarm.repeat"));
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "here" / "Alarm.dat"));
}

TEST(alarm_store, another_programs_version_of_the_series_is_kept_aside)
{
    TemporaryDirectory dir;
    AlarmFile file(dir.path());
    AlarmStore store(file);
    std::vector<ListedAlarm> alarms = store.load();
    ASSERT_EQ(
        addAlarm(store, alarms, at(2030, 10, 7, 6, 30), "Up", every(RepeatUnit::Day), at(2030, 10, 5)), "");
    writeFile(dir / "Alarm.repeat", "# edited by hand\n");
    ASSERT_EQ(clearAlarm(store, alarms, 0), "");
    bool keptAside = false;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        keptAside = keptAside
            || (entry.path().filename().string().starts_with("Alarm.repeat.changed-by-another-program-")
                && readFile(entry.path()) == "# edited by hand\n");
    EXPECT_TRUE(keptAside);
}

TEST(alarm_store, at_a_start_past_alarms_go_and_past_series_move_on_to_their_next_to_come)
{
    RepeatRule thrice = every(RepeatUnit::Day);
    thrice.times = 3;
    const Series daily = *startSeries(every(RepeatUnit::Day), at(2030, 10, 1, 6, 30));
    const Series ending = *startSeries(thrice, at(2030, 10, 1, 7, 0));
    const Series weekly = *startSeries(every(RepeatUnit::Week), at(2030, 10, 1, 8, 0)); // Tuesdays
    std::vector<ListedAlarm> alarms {
        { { at(2030, 10, 2, 6, 30), "Pills" }, daily },
        { { at(2030, 10, 3, 9, 0), "past" }, std::nullopt },
        { { at(2030, 10, 2, 7, 0), "Run" }, ending },
        { { at(2030, 10, 20, 9, 0), "ahead" }, std::nullopt },
        { { at(2030, 10, 1, 8, 0), "Bins" }, weekly },
        // A one-shot alarm standing for the weekly series' next occurrence.
        { { at(2030, 10, 15, 8, 0), "Bins" }, std::nullopt },
    };
    bool ended = false;
    ASSERT_TRUE(passOverPastAlarms(alarms, at(2030, 10, 10, 12, 0), ended));
    EXPECT_TRUE(ended);
    EXPECT_EQ(alarms,
        (std::vector<ListedAlarm> { { { at(2030, 10, 11, 6, 30), "Pills" }, daily },
            { { at(2030, 10, 20, 9, 0), "ahead" }, std::nullopt },
            { { at(2030, 10, 15, 8, 0), "Bins" }, weekly } }));
    // Nothing past: nothing changes.
    ended = false;
    const std::vector<ListedAlarm> before = alarms;
    EXPECT_FALSE(passOverPastAlarms(alarms, at(2030, 10, 10, 12, 0), ended));
    EXPECT_FALSE(ended);
    EXPECT_EQ(alarms, before);
}
