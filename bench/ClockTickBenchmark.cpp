// SPDX-License-Identifier: GPL-3.0-or-later
// One whole tick over a loaded editor, none of its alarms due: what the
// clock costs every 100 ms, whatever else the program is doing.
#include "alarms/AlarmFileFormat.h"
#include "alarms/SeriesFileFormat.h"
#include "frame/dates/Clock.h"
#include "frame/dates/TimeZoneFile.h"
#include "frame/dates/ZoneFileWatch.h"
#include "support/ProgramUnderTest.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

using namespace tickwell;

std::string futureAlarms(int count)
{
    std::string file;
    for (int i = 0; i < count; ++i)
        file += formatAlarmRecord(
            { *DateValue::fromParts(2099, 1, 1 + i / 1440, i / 60 % 24, i % 60), "Team meeting in room 4" });
    return file;
}

// On the fake clock, which costs next to nothing to read.
void tickWithoutDueAlarms(benchmark::State& state)
{
    const int rows = int(state.range(0));
    test::ProgramUnderTest program;
    program.writeAlarmFile(futureAlarms(rows));
    program.clock.set(2030, 3, 8, 21, 5, 0);
    program.start();
    frmMain& editor = program.editor();
    if (editor.lstAlarms.listCount() != rows) {
        state.SkipWithError("the alarms did not load");
        return;
    }
    for (auto _ : state)
        editor.tmrTimer_Timer();
    state.counters["rows"] = rows;
    state.counters["per_row"] = benchmark::Counter(
        double(rows) * double(state.iterations()), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(tickWithoutDueAlarms)->Arg(0)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

// The same, every alarm repeating daily: a series costs the tick what a
// one-shot alarm does, until it is due.
void tickWithoutDueSeries(benchmark::State& state)
{
    const int rows = int(state.range(0));
    test::ProgramUnderTest program;
    program.writeAlarmFile(futureAlarms(rows));
    std::string repeats;
    for (int i = 0; i < rows; ++i)
        repeats += formatSeriesLine(
            { *startSeries({}, *DateValue::fromParts(2099, 1, 1 + i / 1440, i / 60 % 24, i % 60)),
                "Team meeting in room 4" });
    std::filesystem::path path = program.alarmPath();
    test::writeFile(path.replace_extension(".repeat"), repeats);
    program.clock.set(2030, 3, 8, 21, 5, 0);
    program.start();
    frmMain& editor = program.editor();
    if (editor.lstAlarms.listCount() != rows || (rows > 0 && !editor.repeatAt(rows - 1))) {
        state.SkipWithError("the series did not load");
        return;
    }
    for (auto _ : state)
        editor.tmrTimer_Timer();
    state.counters["rows"] = rows;
}
BENCHMARK(tickWithoutDueSeries)->Arg(10000)->Unit(benchmark::kMicrosecond);

// The clock switched on again hours later: every series moves on to its
// next occurrence without a word, in the one tick that finds them due.
void tickMovingEverySeriesOn(benchmark::State& state)
{
    const int rows = int(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        test::ProgramUnderTest program;
        std::string alarms, repeats;
        for (int i = 0; i < rows; ++i) {
            // In the morning: the clock is switched on again at noon.
            const DateValue first = *DateValue::fromParts(2030, 3, 9, i / 60 % 12, i % 60);
            alarms += formatAlarmRecord({ first, "Meeting " + std::to_string(i) });
            repeats += formatSeriesLine({ *startSeries({}, first), "Meeting " + std::to_string(i) });
        }
        program.writeAlarmFile(alarms);
        std::filesystem::path path = program.alarmPath();
        test::writeFile(path.replace_extension(".repeat"), repeats);
        program.clock.set(2030, 3, 8, 21, 5, 0);
        program.start();
        forms::frmTaskbar->mnuPopupDeactivate_Click();
        program.clock.set(2030, 3, 9, 12, 0, 30);
        forms::frmTaskbar->mnuPopupActivate_Click();
        state.ResumeTiming();
        program.editor().tmrTimer_Timer();
        if (!program.messageBoxes.shown.empty() || program.editor().lstAlarms.listCount() != rows) {
            const std::string what = std::to_string(program.messageBoxes.shown.size()) + " shown ("
                + (program.messageBoxes.shown.empty() ? std::string()
                                                      : program.messageBoxes.shown[0].text.toStdString())
                + "), " + std::to_string(program.editor().lstAlarms.listCount()) + " listed";
            state.SkipWithError(what.c_str());
            break;
        }
    }
}
BENCHMARK(tickMovingEverySeriesOn)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(1);

// The program on the system clock, as it runs, over `rows` future alarms.
struct OnTheSystemClock {
    test::TemporaryDirectory directory;
    const SystemClock clock;
    test::FakeMessageBoxes messageBoxes;
    test::FakeTrayService tray;
    test::FakeNotifications notifications;
    test::FakeWakeSource wakes;
    test::FakeMachineWake machineWake;
    test::FakeAlarmSound sound;
    test::FakePreferencesStore preferences;
    const Services services { clock, wakes, machineWake, messageBoxes, tray, notifications, sound,
        preferences, directory.path() };

    explicit OnTheSystemClock(int rows)
    {
        test::writeFile(directory / "Alarm.dat", futureAlarms(rows));
        forms::installFactories(services);
        Main();
    }
    ~OnTheSystemClock() { forms::destroyAll(); }
    OnTheSystemClock(const OnTheSystemClock&) = delete;
    OnTheSystemClock& operator=(const OnTheSystemClock&) = delete;
    frmMain& editor() { return *forms::frmMain; }
};

// The clock is read for every row.
void tickWithoutDueAlarmsOnTheSystemClock(benchmark::State& state)
{
    const int rows = int(state.range(0));
    OnTheSystemClock program(rows);
    for (auto _ : state)
        program.editor().tmrTimer_Timer();
    if (!program.messageBoxes.shown.empty() || program.editor().lstAlarms.listCount() != rows)
        state.SkipWithError("an alarm was due");
}
BENCHMARK(tickWithoutDueAlarmsOnTheSystemClock)->Arg(10000)->Unit(benchmark::kMicrosecond);

// As the running program meets it: a tick comes every 100 ms, after other
// programs have had the caches, so the rows come from memory, not from a
// cache the previous tick filled. This one, not the one above, tells what a
// change of the rows' layout in memory costs.
void tickWithoutDueAlarmsFromColdCaches(benchmark::State& state)
{
    OnTheSystemClock program(10000);
    // Larger than the caches of the machines this runs on.
    std::vector<unsigned char> elsewhere(64 << 20);
    for (auto _ : state) {
        state.PauseTiming();
        for (std::size_t i = 0; i < elsewhere.size(); i += 64)
            ++elsewhere[i];
        state.ResumeTiming();
        program.editor().tmrTimer_Timer();
    }
    benchmark::DoNotOptimize(elsewhere.data());
}
BENCHMARK(tickWithoutDueAlarmsFromColdCaches)->Unit(benchmark::kMicrosecond)->Iterations(200);

// The look at the time-zone file, so that a new zone counts without a
// restart: once a second where there is no watch on it, otherwise once the
// watch has seen something.
void lookAtTheTimeZoneFile(benchmark::State& state)
{
    TimeZoneFile zone;
    for (auto _ : state)
        benchmark::DoNotOptimize(zone.followChanges());
}
BENCHMARK(lookAtTheTimeZoneFile)->Unit(benchmark::kMicrosecond);

// What the system clock takes once a second instead: asking the watch.
void askTheZoneWatch(benchmark::State& state)
{
    ZoneFileWatch watch;
    for (auto _ : state)
        benchmark::DoNotOptimize(watch.takeChanges());
}
BENCHMARK(askTheZoneWatch)->Unit(benchmark::kMicrosecond);

} // namespace
