// One whole tick over a loaded editor, none of its alarms due: what the
// clock costs every 100 ms, whatever else the program is doing.
#include "alarms/AlarmFileFormat.h"
#include "frame/dates/Clock.h"
#include "frame/dates/TimeZoneFile.h"
#include "support/ProgramUnderTest.h"

#include <benchmark/benchmark.h>

#include <string>

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

// On the system clock, as the program runs: the clock is read for every row.
void tickWithoutDueAlarmsOnTheSystemClock(benchmark::State& state)
{
    const int rows = int(state.range(0));
    test::TemporaryDirectory directory;
    test::writeFile(directory / "Alarm.dat", futureAlarms(rows));
    const SystemClock clock;
    test::FakeMessageBoxes messageBoxes;
    test::FakeTrayService tray;
    test::FakeNotifications notifications;
    const Services services { clock, messageBoxes, tray, notifications, directory.path() };
    forms::installFactories(services);
    Main();
    frmMain& editor = *forms::frmMain;
    for (auto _ : state)
        editor.tmrTimer_Timer();
    if (!messageBoxes.shown.empty() || editor.lstAlarms.listCount() != rows)
        state.SkipWithError("an alarm was due");
    forms::destroyAll();
}
BENCHMARK(tickWithoutDueAlarmsOnTheSystemClock)->Arg(10000)->Unit(benchmark::kMicrosecond);

// The look at the time-zone file the system clock takes once a second, so
// that a new zone counts without a restart.
void lookAtTheTimeZoneFile(benchmark::State& state)
{
    TimeZoneFile zone;
    for (auto _ : state)
        benchmark::DoNotOptimize(zone.followChanges());
}
BENCHMARK(lookAtTheTimeZoneFile)->Unit(benchmark::kMicrosecond);

} // namespace
