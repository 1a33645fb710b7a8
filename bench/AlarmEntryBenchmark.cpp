// SPDX-License-Identifier: GPL-3.0-or-later
// Reading an alarm's date back from its entry text: done for every row at
// every tick.
#include "alarms/AlarmEntry.h"
#include "editor/frmMain.h"
#include "support/ProgramUnderTest.h"

#include <benchmark/benchmark.h>

#include <string_view>

namespace {

constexpr std::string_view shortEntry = "9:05 AM  Friday, May 3, 2030";
constexpr std::string_view longEntry = "12:45 PM  Wednesday, September 25, 2030";

void parseAlarmEntry(benchmark::State& state, std::string_view entry)
{
    for (auto _ : state) {
        std::string_view text = entry;
        benchmark::DoNotOptimize(text);
        benchmark::DoNotOptimize(tickwell::ParseAlarmEntry(text));
    }
}
BENCHMARK_CAPTURE(parseAlarmEntry, short_one_digit_hour, shortEntry);
BENCHMARK_CAPTURE(parseAlarmEntry, long_two_digit_hour, longEntry);

// The editor's form of it, from a row's text as the tick reads it.
void parseAlarmEntryOfRow(benchmark::State& state, std::string_view entry)
{
    tickwell::test::ProgramUnderTest program;
    program.start();
    const QString row = QString::fromLatin1(entry.data(), qsizetype(entry.size()));
    for (auto _ : state)
        benchmark::DoNotOptimize(program.editor().ParseAlarmEntry(row));
}
BENCHMARK_CAPTURE(parseAlarmEntryOfRow, short_one_digit_hour, shortEntry);
BENCHMARK_CAPTURE(parseAlarmEntryOfRow, long_two_digit_hour, longEntry);

} // namespace
